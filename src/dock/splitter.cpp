// Dragging a bar's splitter strip: the bar and its partner follow every move.
#include "dock/dock_private.h"

namespace tov {

void TovDockPrivate::picSplit_MouseMove(std::int16_t Index, const MouseArgs& a) {
  if (a.button != btnLeft) return;
  // In fit mode a drag exchanges height between two bars as they stood when it began.
  if (mFitToDock && (!mSplitDragging || mPair.bar != Index)) fitCapturePair(Index);
  // Until the release, the drag is one change for the listeners.
  mSplitDragging = true;
  BarRef b = barAt(Index);
  BarElements* e = set(Index);
  if (!b || !e) return;
  Panel& split = *e->picSplit;
  Panel& frame = *e->picDockBar;
  const double Y = a.y;
  // The bar takes the strip's new lower edge; the resize runs the application's handlers, which
  // may remove the bar and unload its elements.
  auto follow = [&](double bottom) {
    skipFailure([&] { b->setHeight(toInt32(bottom)); });
    if (alive()) pResizeBar(Index);
  };
  if (Y > 0 && split.Top() < frame.Height()) {
    split.setTop(split.Top() + Y);
    if (frame.Height() - split.Height() < split.Top() && b->Height() < b->HeightMax())
      follow(split.Height() + split.Top());
  } else if (Y < 0 && split.Top() > twips::kSplitStop) {
    split.setTop(split.Top() < twips::kSplitSnap ? twips::kSplitSnap : split.Top() + Y);
    follow(split.Top() + split.Height());
  } else {
    return;
  }
  if (BarElements* now = alive() ? set(Index) : nullptr) now->picSplit->zOrderFront();
}

void TovDockPrivate::picSplit_MouseUp(std::int16_t Index, const MouseArgs&) {
  mSplitDragging = false;
  BarRef b = barAt(Index);
  BarElements* e = set(Index);
  if (b && e) {
    Panel& split = *e->picSplit;
    // Setting the height repaints the bar, which runs the application's handlers.
    skipFailure([&] { b->setHeight(toInt32(split.Height() + split.Top())); });
  }
  if (alive()) pBarChanged(Index, true);
}

}  // namespace tov

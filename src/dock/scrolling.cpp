// The scroll bar and the placing of splitter strips and hosted controls inside the bars.
#include "dock/dock_private.h"
#include "model/internals.h"

namespace tov {

std::int32_t TovDockPrivate::scrollStep(std::int32_t T) {
  ScrollBar& vs = *VScroll;
  if (mAllowScroll) {
    std::int32_t O = toInt32(T - Height() + twips::kScrollMargin);
    if (O > 0 && O < twips::kMaxScroll) {
      if (O < twips::kMinScroll) O = twips::kMinScroll;
      vs.setVisible(true);
      vs.setHeight(Height() - twips::kScrollMargin);
      vs.setLeft(Width() - vs.Width() - twips::kScrollMargin);
      vs.setMax(O);
      vs.setLargeChange(toInt32(O / 5.0));
      vs.setSmallChange(toInt32(O / 20.0));
      return toInt32(Width() - vs.Width() - twips::kRightMargin);
    }
  }
  // A hidden scroll bar scrolls nothing: its value goes back to 0 and the change notification
  // brings the bars back to their unscrolled places.
  vs.setVisible(false);
  vs.setValue(0);
  return toInt32(Width() - twips::kRightMargin);
}

void TovDockPrivate::VScroll_Change() {
  pResizeHeight();
}

void TovDockPrivate::VScroll_Scroll() {
  pResizeHeight();
}

void TovDockPrivate::pPlaceSplit(std::int16_t Index) {
  // Placing the strip runs none of the application's code.
  const cTovBar* b = barPtr(Index);
  BarElements* e = set(Index);
  if (!b || !e) return;
  Panel& split = *e->picSplit;
  if (b->ShowResize() && b->State() == eBarExpanded) {
    split.setVisible(true);
    // In fit mode the strip lies on the bar's lower edge, and the body ends where it begins.
    split.setTop(e->picDockBar->Height() - split.Height() - (mFitToDock ? 0 : twips::kSplitBottom));
    split.setBackColor(b->BackColor());
    split.zOrderFront();
  } else {
    split.setVisible(false);
  }
}

void TovDockPrivate::pPlaceControl(std::int16_t Index) {
  // A handler of an earlier CtlResize may have removed the bar.
  BarRef b = barAt(Index);
  BarElements* e = set(Index);
  if (!b || !e) return;
  ControlRef control = b->Control();
  if (!control) return;
  const std::int32_t h = e->picSplit->Visible() ? toInt32(e->picSplit->Height()) : 0;
  const std::int32_t t = toInt32(e->picTitel->Height());
  // Each member is late-bound: it may be missing, or run the control's own code, which may remove
  // the bar's elements. Every member is still called, each on the elements as they are then.
  auto late = [](auto&& call) { skipFailure(call); };
  late([&] {
    control->call("Move",
                  {mControlLeft, add32(BarInternals::fTopBar(*b), t), elements(Index).picDockBar->Width()});
  });
  if (b->State() == eBarExpanded) {
    late([&] { control->let("Visible", true); });
    // A bar lower than its title and splitter leaves no room, not a negative height.
    const double below = mFitToDock ? BarInternals::fTopBar(*b) : 0;
    late(
        [&] { control->let("Height", std::max(0.0, elements(Index).picDockBar->Height() - t - h - below)); });
  } else {
    late([&] { control->let("Visible", false); });
  }
  std::string key = b->Key();
  raise(q.CtlResize, key);
}

}  // namespace tov

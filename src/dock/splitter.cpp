// Dragging a bar's splitter strip: the bar and its partner follow every move.
#include "dock/dock_internal.h"

namespace tov {

void TovDock::picSplit_MouseMove(std::int16_t Index, const MouseArgs& a) {
  if (a.button != btnLeft) return;
  // Elements are looked up on every use: the layout run by a move may unload them.
  auto split = [&]() -> Panel& { return (*picSplit)(Index); };
  auto frame = [&]() -> Panel& { return (*picDockBar)(Index); };
  BarRef b;
  skipFailure([&] { b = bar(Index); });
  const double Y = a.y;
  if (skipTest([&] { return Y > 0 && split().Top() < frame().Height(); })) {
    skipFailure([&] { split().setTop(split().Top() + Y); });
    if (skipTest([&] {
          return frame().Height() - split().Height() < split().Top() && b->Height() < b->HeightMax();
        })) {
      skipFailure([&] { b->setHeight(toInt32(split().Height() + split().Top())); });
      if (alive()) skipFailure([&] { pResizeBar(Index); });
    }
    if (alive()) skipFailure([&] { split().zOrderFront(); });
  } else if (skipTest([&] { return Y < 0 && split().Top() > 280; })) {
    skipFailure([&] {
      if (split().Top() < 300) {
        split().setTop(300);
      } else {
        split().setTop(split().Top() + Y);
      }
    });
    skipFailure([&] { b->setHeight(toInt32(split().Top() + split().Height())); });
    if (alive()) skipFailure([&] { pResizeBar(Index); });
    if (alive()) skipFailure([&] { split().zOrderFront(); });
  }
}

void TovDock::picSplit_MouseUp(std::int16_t Index, const MouseArgs&) {
  skipFailure(
      [&] { bar(Index)->setHeight(toInt32((*picSplit)(Index).Height() + (*picSplit)(Index).Top())); });
  if (alive()) skipFailure([&] { pBarChanged(Index); });
}

}  // namespace tov

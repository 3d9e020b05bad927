// The scroll bar and the placing of splitter strips and hosted controls inside the bars.
#include "dock/dock_internal.h"

namespace tov {

std::int32_t TovDock::scrollStep(std::int32_t T) {
  ScrollBar& vs = *VScroll;
  if (mAllowScroll) {
    std::int32_t O = toInt32(T - Height() + 50);
    if (O > 0 && O < 20000) {
      if (O < 20) O = 20;
      vs.setVisible(true);
      vs.setHeight(Height() - 50);
      vs.setLeft(Width() - vs.Width() - 50);
      vs.setMax(O);
      vs.setLargeChange(toInt32(O / 5.0));
      vs.setSmallChange(toInt32(O / 20.0));
      return toInt32(Width() - vs.Width() - 20);
    }
  }
  // A hidden scroll bar scrolls nothing: its value goes back to 0 and the change notification
  // brings the bars back to their unscrolled places.
  vs.setVisible(false);
  vs.setValue(0);
  return toInt32(Width() - 20);
}

void TovDock::VScroll_Change() {
  pResizeHeight();
}

void TovDock::VScroll_Scroll() {
  pResizeHeight();
}

void TovDock::pPlaceSplit(std::int16_t Index) {
  BarRef b;
  skipFailure([&] { b = bar(Index); });
  if (!b) return;
  auto split = [&]() -> Panel& { return (*picSplit)(Index); };
  if (skipTest([&] { return b->ShowResize() && b->State() == eBarExpanded; })) {
    skipFailure([&] { split().setVisible(true); });
    skipFailure([&] { split().setTop((*picDockBar)(Index).Height() - split().Height() - 20); });
    skipFailure([&] { split().setBackColor(b->BackColor()); });
    skipFailure([&] { split().zOrderFront(); });
  } else {
    skipFailure([&] { split().setVisible(false); });
  }
}

void TovDock::pPlaceControl(std::int16_t Index) {
  std::int32_t h = 0;
  skipFailure([&] {
    if ((*picSplit)(Index).Visible()) h = toInt32((*picSplit)(Index).Height());
  });
  BarRef b;
  // A handler of an earlier CtlResize may have removed the bar.
  skipFailure([&] { b = bar(Index); });
  if (!b) return;
  ControlRef control;
  skipFailure([&] { control = b->Control(); });
  if (!control) return;
  std::int32_t t = 0;
  skipFailure([&] { t = toInt32((*picTitel)(Index).Height()); });
  skipFailure([&] {
    control->call("Move", {mControlLeft, add32(b->fTopBar(), t), (*picDockBar)(Index).Width()});
  });
  if (skipTest([&] { return b->State() == eBarExpanded; })) {
    skipFailure([&] { control->let("Visible", true); });
    // A bar lower than its title and splitter leaves no room, not a negative height.
    skipFailure([&] { control->let("Height", std::max(0.0, (*picDockBar)(Index).Height() - t - h)); });
  } else {
    skipFailure([&] { control->let("Visible", false); });
  }
  std::string key;
  skipFailure([&] { key = b->Key(); });
  raise(CtlResize, key);
}

}  // namespace tov

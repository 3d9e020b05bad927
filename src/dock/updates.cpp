// The procedures through which a bar's setters reach its elements.
#include "dock/dock_internal.h"

namespace tov {

void TovDock::fRepaintBar(std::int32_t Index) {
  auto keep = shared_from_this();
  skipFailure([&] {
    if (mShow) pPaint(toInt16(Index));
  });
}

void TovDock::fSetShowResize(std::int32_t Index) {
  fRepaintBar(Index);
}

void TovDock::fRefreshTitle(std::int16_t Index) {
  auto keep = shared_from_this();
  skipFailure([&] {
    if (mShow) pArrangeTitle(Index);
  });
}

void TovDock::fSetState(std::int16_t Index, std::int32_t& OldState) {
  auto keep = shared_from_this();
  if (!mShow) return;
  skipFailure([&] { pPaint(Index); });
  if (!mAllowScroll && alive()) {
    std::int32_t state = eBarExpanded;
    skipFailure([&] { state = bar(Index)->State(); });
    if (OldState == eBarHidden && state != eBarHidden) {
      std::int16_t partner = 0;
      skipFailure([&] { pCalcHeight(Index, partner); });
      skipFailure([&] { pAutoSize(); });
      skipFailure([&] { OrderBars(false); });
    } else {
      skipFailure([&] { state = bar(Index)->State(); });
      if (state != eBarHidden) {
        std::int16_t partner = 0;
        skipFailure([&] { pCalcHeight(Index, partner); });
        skipFailure([&] { pSetHeightMax(); });
      } else {
        skipFailure([&] { pAutoSize(); });
        skipFailure([&] { OrderBars(false); });
      }
    }
  }
  skipFailure([&] { pResizeHeight(); });
}

void TovDock::fSetHeight(std::int16_t Index, std::int32_t Height) {
  (*picDockBar)(Index).setHeight(Height);
}

void TovDock::fSetTop(std::int16_t Index, std::int32_t& Top) {
  (*picDockBar)(Index).setTop(Top);
}

std::int32_t TovDock::fGetTop(std::int16_t Index) {
  return toInt32((*picDockBar)(Index).Top());
}

std::int32_t TovDock::fGetWidth(std::int16_t Index) {
  return toInt32((*picDockBar)(Index).Width());
}

void TovDock::fSetLeft(std::int16_t Index, std::int32_t& Left) {
  (*picDockBar)(Index).setLeft(Left);
}

void TovDock::fSetWidth(std::int16_t Index, std::int32_t& Width) {
  auto keep = shared_from_this();
  (*picDockBar)(Index).setWidth(Width);
  pArrangeTitle(Index);
  pPaint(Index);
}

}  // namespace tov

// The procedures through which a bar's setters reach its elements.
#include "dock/dock_private.h"

namespace tov {

void TovDockPrivate::fRepaintBar(std::int32_t Index) {
  // An index beyond 16 bits names no element set: there is nothing to paint.
  if (mShow && Index >= INT16_MIN && Index <= INT16_MAX) pPaint(static_cast<std::int16_t>(Index));
}

void TovDockPrivate::fSetShowResize(std::int32_t Index) {
  fRepaintBar(Index);
}

void TovDockPrivate::fRefreshTitle(std::int16_t Index) {
  if (mShow) pArrangeTitle(Index);
}

void TovDockPrivate::fSetState(std::int16_t Index, std::int32_t& OldState) {
  Run run(*this);
  layoutChanged();
  if (mFitToDock) return fitStateSet(Index);
  if (!mShow) return;
  pPaint(Index);
  if (!mAllowScroll && alive()) {
    // Every branch below sets the splitter limits again for the states as they are now; a limits
    // walk that ran the handler making this change stops there (see pSetHeightMax).
    ++mLimitsRedone;
    // A handler run by the repaint may have removed the bar: it then counts as shown.
    BarRef b = barAt(Index);
    const std::int32_t state = b ? b->State() : eBarExpanded;
    std::int16_t partner = 0;
    if (OldState == eBarHidden && state != eBarHidden) {
      pCalcHeight(Index, partner);
      pAutoSize();
      OrderBars(false);
    } else if (state != eBarHidden) {
      pCalcHeight(Index, partner);
      pSetHeightMax();
    } else {
      pAutoSize();
      OrderBars(false);
    }
  }
  pResizeHeight();
}

void TovDockPrivate::fSetHeight(std::int16_t Index, std::int32_t Height) {
  Run run(*this);
  layoutChanged();
  elements(Index).picDockBar->setHeight(Height);
  if (mFitToDock) fitHeightSet(Index);
}

void TovDockPrivate::fSetTop(std::int16_t Index, std::int32_t& Top) {
  elements(Index).picDockBar->setTop(Top);
}

std::int32_t TovDockPrivate::fGetTop(std::int16_t Index) {
  return toInt32(elements(Index).picDockBar->Top());
}

std::int32_t TovDockPrivate::fGetWidth(std::int16_t Index) {
  return toInt32(elements(Index).picDockBar->Width());
}

void TovDockPrivate::fSetLeft(std::int16_t Index, std::int32_t& Left) {
  elements(Index).picDockBar->setLeft(Left);
}

void TovDockPrivate::fSetWidth(std::int16_t Index, std::int32_t& Width) {
  elements(Index).picDockBar->setWidth(Width);
  // The repaint arranges the title again before anything else reads it. An arrangement of its own
  // first only leaves a trace where the repaint does not arrange (dock not shown, bar hidden), or
  // where the icon element still shows another picture: the caption follows its width as it stood.
  const cTovBar* b = mShow ? barPtr(Index) : nullptr;
  const bool arrangedByPaint =
      b && b->State() != eBarHidden && (!b->Icon() || elements(Index).imgIcon->Picture() == b->Icon());
  if (!arrangedByPaint) pArrangeTitle(Index);
  pPaint(Index);
}

}  // namespace tov

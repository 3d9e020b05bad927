// The title buttons, right clicks, and the whole-dock refreshes.
#include "dock/dock_private.h"
#include "model/internals.h"

namespace tov {

void TovDockPrivate::pCloseBar(std::int16_t Index) {
  if (mLoading) return;
  bool found = false;
  const std::int32_t n = count();
  for (std::int32_t k = 1; k <= n && !found; ++k) {
    if (k == Index) continue;
    if (BarRef other = barAt(k)) found = other->State() != eBarHidden;
  }
  if (!found) {
    skipFailure([&] { host()->ShowMessage(templ::kKeepOneVisible, 0, "", -1, 0); });
    return;
  }
  BarRef b = barAt(Index);
  if (!b) return;
  // Hiding runs the application's handlers; whatever they do, the stack is fitted again.
  skipFailure([&] { b->setState(eBarHidden); });
  if (!alive()) return;
  pAutoSize();
  pRepaintAll();
  if (!alive()) return;
  std::string key = b->Key();
  raise(q.Closed, key);
}

void TovDockPrivate::imgCollapse_Click(std::int16_t Index) {
  if (BarRef b = barAt(Index)) skipFailure([&] { b->setState(eBarCollapsed); });
  if (alive()) pBarChanged(Index);
  if (alive()) pArrangeTitle(Index);
}

void TovDockPrivate::imgExpand_Click(std::int16_t Index) {
  if (BarRef b = barAt(Index)) skipFailure([&] { b->setState(eBarExpanded); });
  if (alive()) pBarChanged(Index);
  if (alive()) pArrangeTitle(Index);
}

void TovDockPrivate::reorderOrFit() {
  if (clsBars* all = collection(); all && !BarsInternals::fReorder(*all)) pAutoSize();
}

void TovDockPrivate::imgOpt_Click(std::int16_t Index) {
  BarRef b = barAt(Index);
  std::string key = b ? b->Key() : std::string();
  bool bReLoad = false;
  if (!raise(q.OptShow, key, bReLoad)) return;
  if (key.empty()) return;
  if (bReLoad) {
    pLoadColors();
    pLoadSettings();
  } else {
    reorderOrFit();
  }
  if (alive()) OrderBars(false);
}

void TovDockPrivate::pTitleRightClick(std::int16_t Index) {
  BarRef b = barAt(Index);
  std::string key = b ? b->Key() : std::string();
  if (!raise(q.RightClick, key)) return;
  reorderOrFit();
  if (alive()) OrderBars(false);
}

void TovDockPrivate::UserControl_MouseDown(const MouseArgs& a) {
  mSplitDragging = false;
  if (a.button != btnRight) return;
  std::string key;
  raise(q.RightClick, key);
}

void TovDockPrivate::pRepaintAll() {
  // The count is read on every step: a CtlResize handler run by one repaint may clear the bars.
  for (std::int32_t k = 1; alive() && k <= count(); ++k) {
    pPaint(static_cast<std::int16_t>(k));
  }
  OrderBars(false);
}

void TovDockPrivate::pRefreshAll() {
  pLoadColors();
  pLoadSettings();
  pAutoSize();
  pRepaintAll();
}

}  // namespace tov

// The title buttons, right clicks, and the whole-dock refreshes.
#include "dock/dock_internal.h"

namespace tov {

void TovDock::pCloseBar(std::int16_t Index) {
  if (mLoading) return;
  bool found = false;
  std::int32_t count = 0;
  skipFailure([&] { count = bars().Count(); });
  for (std::int32_t k = 1; k <= count && !found; ++k) {
    if (k == Index) continue;
    skipFailure([&] { found = bar(k)->State() != eBarHidden; });
  }
  if (!found) {
    skipFailure([&] { HostServices::instance()->ShowMessage(templ::kKeepOneVisible, 0, "", -1, 0); });
    return;
  }
  BarRef b;
  skipFailure([&] { b = bar(Index); });
  skipFailure([&] { b->setState(eBarHidden); });
  if (!alive()) return;
  skipFailure([&] { pAutoSize(); });
  skipFailure([&] { pRepaintAll(); });
  if (!alive()) return;
  std::string key;
  skipFailure([&] { key = b->Key(); });
  raise(Closed, key);
}

void TovDock::imgCollapse_Click(std::int16_t Index) {
  skipFailure([&] { bar(Index)->setState(eBarCollapsed); });
  if (alive()) skipFailure([&] { pBarChanged(Index); });
  if (alive()) skipFailure([&] { pArrangeTitle(Index); });
}

void TovDock::imgExpand_Click(std::int16_t Index) {
  skipFailure([&] { bar(Index)->setState(eBarExpanded); });
  if (alive()) skipFailure([&] { pBarChanged(Index); });
  if (alive()) skipFailure([&] { pArrangeTitle(Index); });
}

void TovDock::imgOpt_Click(std::int16_t Index) {
  std::string key;
  bool bReLoad = false;
  skipFailure([&] { key = bar(Index)->Key(); });
  if (!raise(OptShow, key, bReLoad)) return;
  if (key.empty()) return;
  if (bReLoad) {
    skipFailure([&] { pLoadColors(); });
    skipFailure([&] { pLoadSettings(); });
  } else {
    skipFailure([&] {
      if (!bars().fReorder()) pAutoSize();
    });
  }
  if (alive()) skipFailure([&] { OrderBars(false); });
}

void TovDock::pTitleRightClick(std::int16_t Index) {
  std::string key;
  skipFailure([&] { key = bar(Index)->Key(); });
  if (!raise(RightClick, key)) return;
  skipFailure([&] {
    if (!bars().fReorder()) pAutoSize();
  });
  if (alive()) skipFailure([&] { OrderBars(false); });
}

void TovDock::UserControl_MouseDown(const MouseArgs& a) {
  if (a.button != btnRight) return;
  std::string key;
  raise(RightClick, key);
}

void TovDock::pRepaintAll() {
  // The count is read on every step: a CtlResize handler run by one repaint may clear the bars.
  for (std::int32_t k = 1; alive() && k <= bars().Count(); ++k)
    pPaint(toInt16(k));
  OrderBars(false);
}

void TovDock::pRefreshAll() {
  pLoadColors();
  pLoadSettings();
  pAutoSize();
  for (std::int32_t k = 1; k <= bars().Count() && alive(); ++k)
    pPaint(toInt16(k));
  OrderBars(false);
}

}  // namespace tov

// Giving a changed bar's height difference to a partner bar so the stack keeps the dock's height.
#include <algorithm>
#include <climits>

#include "dock/dock_private.h"
#include "model/internals.h"

namespace tov {

void TovDockPrivate::pCalcHeight(const std::int16_t& Index, std::int16_t& PartnerIndex) {
  if (Index <= 0) return;
  const std::vector<BarRef> visible = visibleBars();
  const auto c = static_cast<std::int32_t>(visible.size());
  if (c <= 1) return;
  std::int32_t p = 0;
  for (std::int32_t pos = 1; pos <= c && p == 0; ++pos)
    if (visible[static_cast<std::size_t>(pos) - 1]->Index() == Index) p = pos;
  auto at = [&](std::int32_t pos) -> cTovBar& {
    if (pos < 1 || pos > c) throw Failure::objectNotSet();
    return *visible[static_cast<std::size_t>(pos) - 1];
  };
  auto resizable = [&](std::int32_t pos) { return pos >= 1 && pos <= c && at(pos).AllowResize(); };

  std::int32_t q = 0;
  if (p < c) {
    q = (p == c - 1 && !resizable(p + 1)) ? p - 1 : p + 1;
  } else {
    q = p - 1;
  }
  if (q == 0 || !resizable(q)) {
    for (std::int32_t pos = 1; pos <= c; ++pos) {
      if (resizable(pos)) {
        q = pos;
        break;
      }
    }
  }
  if (q < 1 || q > c) return;
  const BarRef P = visible[static_cast<std::size_t>(q) - 1];
  // A handler run while the bar changed may have replaced the bars: there is nothing to exchange.
  const BarRef changed = barAt(Index);
  if (!changed) return;
  // Heights and tops near the 32-bit limit overflow: each step that does is left out on its own.
  // Placing a bar's element changes no height, so the sum can be taken before it.
  auto step = [](auto&& s) { skipFailure(s); };
  std::int32_t s = twips::kExchangeReserve;
  step([&] {
    for (std::int32_t pos = 1; pos <= c; ++pos) {
      if (pos != q) s = add32(s, at(pos).Height());
    }
  });
  const std::int32_t reserve = P->AllowResize() ? twips::kNeighbourReserve : 0;
  step([&] { changed->setHeightMax(sub32(add32(changed->Height(), P->Height()), reserve)); });
  step([&] {
    if (p < q) {
      P->setTop(add32(changed->Top(), changed->Height()));
    } else {
      changed->setTop(add32(P->Top(), P->Height()));
    }
  });
  const std::int32_t before = P->Height();
  step([&] { P->setHeight(toInt32(Height() - s)); });
  const auto partner = static_cast<std::int16_t>(P->Index());
  pPlaceSplit(partner);
  // The partner's control follows its new height at once, not only at the next repaint; the
  // application's CtlResize handler may fail.
  if (P->Height() != before) step([&] { pPlaceControl(partner); });
  PartnerIndex = partner;
}

void TovDockPrivate::pResizeBar(std::int16_t Index) {
  report("TovDock: OrderBars", [&] {
    if (mFitToDock) {
      fitResizeBar(Index);
    } else if (!mAllowScroll) {
      std::int16_t partner = 0;
      pCalcHeight(Index, partner);
      // pCalcHeight has placed the partner's control if the partner changed; the dragged bar's
      // control follows here.
      if (alive()) pPlaceControl(Index);
    } else {
      pSetScrollHeightMax();
      pResizeHeight();
      pPlaceControl(Index);
    }
  });
}

void TovDockPrivate::pBarChanged(std::int16_t Index, bool byHand) {
  if (mFitToDock) return fitBarChanged(Index, byHand);
  if (!mShow) return;
  if (!mAllowScroll) {
    std::int16_t partner = 0;
    pCalcHeight(Index, partner);
    if (alive()) pSetHeightMax();
  }
  if (alive()) pResizeHeight();
  if (alive()) pSaveSettings();
}

}  // namespace tov

// Giving a changed bar's height difference to a partner bar so the stack keeps the dock's height.
#include "dock/dock_internal.h"

namespace tov {

void TovDock::pCalcHeight(const std::int16_t& Index, std::int16_t& PartnerIndex) {
  if (Index <= 0) return;
  std::vector<BarRef> visible;
  skipFailure([&] { visible = visibleBars(); });
  const std::int32_t c = static_cast<std::int32_t>(visible.size());
  if (c <= 1) return;
  auto at = [&](std::int32_t pos) -> BarRef {
    if (pos < 1 || pos > c) throw Failure::objectNotSet();
    return visible[static_cast<std::size_t>(pos) - 1];
  };
  auto resizable = [&](std::int32_t pos) { return pos >= 1 && pos <= c && at(pos)->AllowResize(); };

  std::int32_t p = 0;
  for (std::int32_t pos = 1; pos <= c; ++pos) {
    if (visible[static_cast<std::size_t>(pos) - 1]->Index() == Index) {
      p = pos;
      break;
    }
  }
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
  BarRef P = at(q);
  BarRef changed;
  skipFailure([&] { changed = bar(Index); });
  // A handler run while the bar changed may have replaced the bars: there is nothing to exchange.
  if (!changed) return;
  const std::int32_t reserve = P->AllowResize() ? 500 : 0;
  skipFailure([&] { changed->setHeightMax(sub32(add32(changed->Height(), P->Height()), reserve)); });
  skipFailure([&] {
    if (p < q) {
      P->setTop(add32(changed->Top(), changed->Height()));
    } else {
      changed->setTop(add32(P->Top(), P->Height()));
    }
  });
  std::int32_t s = 100;
  skipFailure([&] {
    for (std::int32_t pos = 1; pos <= c; ++pos) {
      if (pos != q) s = add32(s, at(pos)->Height());
    }
  });
  std::int32_t before = 0;
  skipFailure([&] { before = P->Height(); });
  skipFailure([&] { P->setHeight(toInt32(Height() - s)); });
  skipFailure([&] { pPlaceSplit(toInt16(P->Index())); });
  // The partner's control follows its new height at once, not only at the next repaint.
  skipFailure([&] {
    if (P->Height() != before) pPlaceControl(toInt16(P->Index()));
  });
  skipFailure([&] { PartnerIndex = toInt16(P->Index()); });
}

void TovDock::pResizeBar(std::int16_t Index) {
  report("TovDock: OrderBars", [&] {
    if (!mAllowScroll) {
      std::int16_t partner = 0;
      pCalcHeight(Index, partner);
      // pCalcHeight has placed the partner's control if the partner changed; the dragged bar's
      // control follows here.
      if (alive()) pPlaceControl(Index);
    } else {
      for (std::int32_t i = 1; i <= bars().Count(); ++i)
        bar(i)->setHeightMax(20000);
      pResizeHeight();
      pPlaceControl(Index);
    }
  });
}

void TovDock::pBarChanged(std::int16_t Index) {
  if (!mShow) return;
  if (!mAllowScroll) {
    std::int16_t partner = 0;
    skipFailure([&] { pCalcHeight(Index, partner); });
    if (alive()) skipFailure([&] { pSetHeightMax(); });
  }
  if (alive()) skipFailure([&] { pResizeHeight(); });
  if (alive()) skipFailure([&] { pSaveSettings(); });
}

}  // namespace tov

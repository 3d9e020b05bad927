// The layout pass: stacking in display order, widths, splitter limits and automatic heights.
#include <algorithm>

#include "dock/dock_private.h"
#include "model/internals.h"

namespace tov {

void TovDockPrivate::OrderBars(bool bSave) {
  report("TovDock: OrderBars", [&] {
    if (mAllowScroll) {
      for (std::int32_t i = 1; i <= bars().Count(); ++i)
        bar(i)->setHeightMax(twips::kScrollHeightMax);
    } else {
      pSetHeightMax();
    }
    const std::int32_t T = pResizeHeight();
    std::int32_t W = scrollStep(T);
    if (W < twips::kMinBarWidth) W = twips::kMinBarWidth;
    pResizeWidth(W);
    if (bSave && mShow && alive()) pSaveSettings();
  });
}

std::int32_t TovDockPrivate::pResizeHeight() {
  std::int32_t yMax = 0;
  const bool stacked = report("TovDock: pResizeHeight", [&] {
    const std::int32_t D = VScroll->Visible() ? -VScroll->Value() : 0;
    std::int32_t y = 0, ySaved = 0;
    std::int32_t prev = eAlignTop;
    // The count is read on every step: a handler run by a bar's move may add or clear bars.
    for (std::int32_t pos = 1; pos <= bars().Count(); ++pos) {
      BarRef b = bars().ItemByOrder(pos);
      if (!b) throw Failure::objectNotSet();
      const std::int32_t align = b->AlignBar();
      if (align == eAlignRight && prev < eAlignRight) y = ySaved;
      prev = align;
      b->setTop(add32(y, D));
      y = add32(y, b->Height());
      if (prev == eAlignTop) ySaved = y;
      if (y > yMax) yMax = y;
    }
  });
  return stacked ? yMax : 0;
}

void TovDockPrivate::pResizeWidth(const std::int32_t& W) {
  report("TovDock.pResizeWidth", [&] {
    const std::int32_t half = toInt32(W / 2.0);
    const std::int32_t column = toInt32(W / 2.0 - twips::kColumnGap);
    for (std::int32_t pos = 1; alive() && pos <= bars().Count(); ++pos) {
      BarRef b = bars().ItemByOrder(pos);
      if (!b) throw Failure::objectNotSet();
      switch (b->AlignBar()) {
        case eAlignTop:
        case eAlignBottom:
          b->setLeft(0);
          b->setWidth(W);
          break;
        case eAlignLeft:
          b->setLeft(0);
          b->setWidth(column);
          break;
        case eAlignRight:
          b->setLeft(half);
          b->setWidth(column);
          break;
      }
    }
  });
}

std::vector<BarRef> TovDockPrivate::visibleBars() const {
  // One walk over the order slots; the same bars ItemByOrderVisible gives position by position.
  std::vector<BarRef> visible;
  if (!mBars) return visible;
  const auto& items = BarsInternals::fItems(*mBars);
  const auto& order = BarsInternals::fOrder(*mBars);
  const std::size_t count = std::min(items.size(), order.empty() ? 0 : order.size() - 1);
  visible.reserve(count);
  for (std::size_t pos = 1; pos <= count; ++pos) {
    const std::int32_t index = order[pos];
    if (index < 1 || static_cast<std::size_t>(index) > items.size()) continue;
    const BarRef& b = items[static_cast<std::size_t>(index) - 1];
    if (b->State() != eBarHidden) visible.push_back(b);
  }
  return visible;
}

void TovDockPrivate::pSetHeightMax() {
  const std::vector<BarRef> visible = visibleBars();
  // A bar removed by a handler run from an earlier repaint no longer reaches the dock; the
  // others are still set.
  auto showResize = [](const BarRef& b, bool v) { skipFailure([&] { b->setShowResize(v); }); };
  const std::size_t n = visible.size();
  for (std::size_t i = 0; i + 1 < n && alive(); ++i) {
    const BarRef& B = visible[i];
    const BarRef& N = visible[i + 1];
    // Two heights whose sum leaves 32 bits keep the limit they had.
    skipFailure([&] { B->setHeightMax(sub32(add32(B->Height(), N->Height()), twips::kNeighbourReserve)); });
    showResize(B, B->AllowResize() && N->AllowResize());
  }
  if (n > 0) showResize(visible[n - 1], false);
}

void TovDockPrivate::pAutoSize() {
  if (mAllowScroll || !mBars) return;
  const char* context = "TovDock: pAutoSize";
  // Nothing here runs the application's code, so the bars can be walked in place; what can fail
  // is a sum of heights beyond 32 bits, reported for that bar while the others still count.
  auto addHeight = [&](std::int32_t& S, const cTovBar& b) {
    report(context, [&] { S = add32(S, b.Height()); });
  };
  const auto& items = BarsInternals::fItems(*mBars);
  const auto& order = BarsInternals::fOrder(*mBars);
  auto inOrder = [&](auto&& visit) {
    for (std::size_t pos = 1; pos < order.size() && pos <= items.size(); ++pos) {
      const std::int32_t index = order[pos];
      if (index >= 1 && static_cast<std::size_t>(index) <= items.size())
        visit(*items[static_cast<std::size_t>(index) - 1]);
    }
  };
  std::int32_t n = count(), S = 0;
  inOrder([&](const cTovBar& b) {
    if (!b.AllowResize()) --n;
    addHeight(S, b);
  });
  if (n <= 0) return;
  std::int32_t d = toInt32((Height() - S) / n);
  for (int adjustment = 1; d > twips::kAutoSizeSlack || d < -twips::kAutoSizeSlack; ++adjustment) {
    S = 0;
    const std::int32_t Hmax = mul32(n, twips::kNeighbourReserve);
    inOrder([&](cTovBar& b) {
      if (b.AllowResize()) {
        report(context, [&] {
          const std::int32_t grown = add32(b.Height(), d);
          b.setHeight(std::max(grown, twips::kAutoSizeMin));
          b.setHeightMax(Hmax);
        });
      }
      addHeight(S, b);
    });
    if (adjustment == twips::kAutoSizeRounds) break;
    d = toInt32(Height() - S);
  }
}

}  // namespace tov

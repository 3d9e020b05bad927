// The layout pass: stacking in display order, widths, splitter limits and automatic heights.
#include <algorithm>
#include <cstdint>

#include "dock/dock_private.h"
#include "model/internals.h"

namespace tov {

void TovDockPrivate::OrderBars(bool bSave) {
  report("TovDock: OrderBars", [&] {
    if (mFitToDock) fitToDock();
    if (mAllowScroll) {
      pSetScrollHeightMax();
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
  if (mFitToDock) return fitStack();
  std::int32_t yMax = 0;
  const bool stacked = report("TovDock: pResizeHeight", [&] {
    const std::int32_t D = VScroll->Visible() ? -VScroll->Value() : 0;
    std::int32_t y = 0, ySaved = 0;
    std::int32_t prev = eAlignTop;
    // The count is read on every step: a handler run by a bar's move may add or clear bars.
    for (std::int32_t pos = 1; pos <= bars().Count(); ++pos) {
      // Placing a frame runs none of the application's code.
      const cTovBar* b = barPtrByOrder(pos);
      if (!b) throw Failure::objectNotSet();
      const std::int32_t align = b->AlignBar();
      if (align == eAlignRight && prev < eAlignRight) y = ySaved;
      prev = align;
      // The bar would find this dock through its relay; the dock places the frame itself.
      std::int32_t top = add32(y, D);
      fSetTop(toInt16(b->Index()), top);
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
      // Read before the repaint, which runs the application's handlers.
      const cTovBar* b = barPtrByOrder(pos);
      if (!b) throw Failure::objectNotSet();
      // What the bar's setters would do once they found this dock through the relay.
      const std::int16_t index = toInt16(b->Index());
      std::int32_t left = 0, width = column;
      switch (b->AlignBar()) {
        case eAlignTop:
        case eAlignBottom:
          width = W;
          break;
        case eAlignLeft:
          break;
        case eAlignRight:
          left = half;
          break;
        default:
          continue;
      }
      fSetLeft(index, left);
      fSetWidth(index, width);
    }
  });
}

std::vector<BarRef> TovDockPrivate::visibleBars() const {
  std::vector<BarRef> visible;
  if (!mBars) return visible;
  const auto& items = BarsInternals::fItems(*mBars);
  const auto& order = BarsInternals::fOrder(*mBars);
  for (std::size_t pos = 1; pos < order.size() && pos <= items.size(); ++pos) {
    const std::int32_t index = order[pos];
    if (index < 1 || static_cast<std::size_t>(index) > items.size()) continue;
    const BarRef& b = items[static_cast<std::size_t>(index) - 1];
    if (b->State() != eBarHidden) visible.push_back(b);
  }
  return visible;
}

void TovDockPrivate::pSetScrollHeightMax() {
  for (const BarRef& b : BarsInternals::fItems(bars()))
    b->setHeightMax(twips::kScrollHeightMax);
}

void TovDockPrivate::pSetHeightMax() {
  if (mFitToDock) return fitLimits();
  // A splitter that appears or goes repaints its bar, which runs the application's handlers: the
  // bars are held, so a bar a handler removes is still set while it no longer reaches the dock.
  const std::vector<BarRef> visible = visibleBars();
  const std::size_t n = visible.size();
  // A handler that shows, hides or reorders bars makes the held neighbours wrong. A state change
  // sets the limits again at once, and so does a pass the handler runs (showing the dock applies
  // the stored order and lays out): every walk counts itself, so this one stops once another ran.
  const std::uint32_t redone = ++mLimitsRedone;
  for (std::size_t i = 0; i + 1 < n && alive() && mLimitsRedone == redone; ++i) {
    cTovBar& B = *visible[i];
    const cTovBar& N = *visible[i + 1];
    // Two heights whose sum leaves 32 bits keep the limit they had.
    skipFailure([&] { B.setHeightMax(sub32(add32(B.Height(), N.Height()), twips::kNeighbourReserve)); });
    skipFailure([&] { B.setShowResize(B.AllowResize() && N.AllowResize()); });
  }
  if (n > 0 && mLimitsRedone == redone) skipFailure([&] { visible[n - 1]->setShowResize(false); });
}

void TovDockPrivate::pAutoSize() {
  // In fit mode every layout pass fits the bars first.
  if (mFitToDock || mAllowScroll || !mBars) return;
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
    // A new height moves the frame.
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

// The layout pass: stacking in display order, widths, splitter limits and automatic heights.
#include <algorithm>

#include "dock/dock_internal.h"

namespace tov {

void TovDock::OrderBars(bool bSave) {
  auto keep = shared_from_this();
  report("TovDock: OrderBars", [&] {
    if (mAllowScroll) {
      for (std::int32_t i = 1; i <= bars().Count(); ++i)
        bar(i)->setHeightMax(20000);
    } else {
      pSetHeightMax();
    }
    const std::int32_t T = pResizeHeight();
    std::int32_t W = scrollStep(T);
    if (W < 200) W = 200;
    pResizeWidth(W);
    if (bSave && mShow && alive()) pSaveSettings();
  });
}

std::int32_t TovDock::pResizeHeight() {
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

void TovDock::pResizeWidth(const std::int32_t& W) {
  report("TovDock.pResizeWidth", [&] {
    const std::int32_t half = toInt32(W / 2.0);
    const std::int32_t column = toInt32(W / 2.0 - 30);
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

std::vector<BarRef> TovDock::visibleBars() const {
  // One walk over the order slots; the same bars ItemByOrderVisible gives position by position.
  const clsBars& all = bars();
  const auto& items = all.fItems();
  const auto& order = all.fOrder();
  const std::size_t count = std::min(items.size(), order.empty() ? 0 : order.size() - 1);
  std::vector<BarRef> visible;
  visible.reserve(count);
  for (std::size_t pos = 1; pos <= count; ++pos) {
    const std::int32_t index = order[pos];
    if (index < 1 || static_cast<std::size_t>(index) > items.size()) continue;
    const BarRef& b = items[static_cast<std::size_t>(index) - 1];
    if (b->State() != eBarHidden) visible.push_back(b);
  }
  return visible;
}

void TovDock::pSetHeightMax() {
  std::vector<BarRef> visible;
  skipFailure([&] { visible = visibleBars(); });
  const std::size_t n = visible.size();
  for (std::size_t i = 0; i + 1 < n && alive(); ++i) {
    const BarRef& B = visible[i];
    const BarRef& N = visible[i + 1];
    skipFailure([&] { B->setHeightMax(sub32(add32(B->Height(), N->Height()), 500)); });
    skipFailure([&] { B->setShowResize(B->AllowResize() && N->AllowResize()); });
  }
  skipFailure([&] {
    if (n == 0) throw Failure::objectNotSet();
    visible[n - 1]->setShowResize(false);
  });
}

void TovDock::pAutoSize() {
  const char* context = "TovDock: pAutoSize";
  if (mAllowScroll) return;
  std::int32_t n = 0, S = 0;
  reportStep(context, [&] { n = bars().Count(); });
  // Walks the display order once per adjustment; every statement reports its own failure.
  auto walk = [&](const std::function<void(const BarRef&)>& visit) {
    std::int32_t count = 0;
    reportStep(context, [&] { count = bars().Count(); });
    for (std::int32_t pos = 1; pos <= count && alive(); ++pos) {
      BarRef b;
      reportStep(context, [&] {
        b = bars().ItemByOrder(pos);
        if (!b) throw Failure::objectNotSet();
      });
      if (b) visit(b);
    }
  };
  walk([&](const BarRef& b) {
    reportStep(context, [&] {
      if (!b->AllowResize()) n = sub32(n, 1);
    });
    reportStep(context, [&] { S = add32(S, b->Height()); });
  });
  if (n <= 0) return;
  std::int32_t d = 0;
  reportStep(context, [&] { d = toInt32((Height() - S) / n); });
  for (int adjustment = 1; (d > 10 || d < -10) && alive(); ++adjustment) {
    S = 0;
    std::int32_t Hmax = 0;
    reportStep(context, [&] { Hmax = mul32(n, 500); });
    walk([&](const BarRef& b) {
      reportStep(context, [&] {
        if (!b->AllowResize()) return;
        const std::int32_t grown = add32(b->Height(), d);
        b->setHeight(grown > 400 ? grown : 400);
        b->setHeightMax(Hmax);
      });
      reportStep(context, [&] { S = add32(S, b->Height()); });
    });
    if (adjustment == 4) break;
    reportStep(context, [&] { d = toInt32(Height() - S); });
  }
}

}  // namespace tov

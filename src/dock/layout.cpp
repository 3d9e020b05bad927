// The layout pass: stacking in display order, widths, splitter limits and automatic heights.
#include <algorithm>
#include <cstdint>

#include "dock/dock_private.h"
#include "model/internals.h"

namespace tov {

void TovDockPrivate::OrderBars(bool bSave) {
  report("TovDock: OrderBars", [&] {
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
  std::int32_t yMax = 0;
  const bool stacked = report("TovDock: pResizeHeight", [&] {
    const std::int32_t D = VScroll->Visible() ? -VScroll->Value() : 0;
    std::int32_t y = 0, ySaved = 0;
    std::int32_t prev = eAlignTop;
    // The count is read on every step: a handler run by a bar's move may add or clear bars.
    for (std::int32_t pos = 1; pos <= bars().Count(); ++pos) {
      warmAhead(pos, Walk::ByPosition, Reach::Frame);
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

namespace {
/// Asks for the cache lines of `bytes` bytes from `before` bytes ahead of an object, ahead of use.
/// A pass over many bars waits on memory for each element and bar it touches first; asked for a few
/// bars ahead, they arrive while the bars before are placed. Elements and bars keep what a pass
/// reads near their start. Addresses are counted as numbers: the span may reach beyond a smaller
/// object, which a prefetch never faults on.
inline void warm(const void* p, std::size_t bytes, std::size_t before = 0) {
  if (!p) return;
  const auto at = reinterpret_cast<std::uintptr_t>(p) - before;
  for (std::size_t k = 0; k < bytes; k += 64)
    __builtin_prefetch(reinterpret_cast<const void*>(at + k));
  // The span's last line, which a span that starts within a line reaches.
  __builtin_prefetch(reinterpret_cast<const void*>(at + bytes - 1));
}
/// A bar as a walk reads it: the shared reference's counts lie in the 16 bytes before it, what a
/// pass and the bar's setters read of it in the 224 after them.
inline void warmBar(const cTovBar* b) {
  warm(b, 240, 16);
}
}  // namespace

void TovDockPrivate::warmAhead(std::int32_t at, Walk walk, Reach reach, const PassWidths* widths) const {
  if (!mBars) return;
  const auto& order = BarsInternals::fOrder(*mBars);
  const auto& items = BarsInternals::fItems(*mBars);
  auto setAt = [&](std::int32_t step) -> std::pair<std::int32_t, const BarElements*> {
    std::int32_t index = at + step;
    if (walk == Walk::ByPosition) {
      if (index < 1 || static_cast<std::size_t>(index) >= order.size()) return {0, nullptr};
      index = order[static_cast<std::size_t>(index)];
    }
    if (index < 1 || static_cast<std::size_t>(index) > items.size()) return {0, nullptr};
    return {index, set(index)};
  };
  // Four steps ahead the bar and its set, of which a pass reads the first 96 bytes.
  if (const auto [index, e] = setAt(4); index) {
    warmBar(items[static_cast<std::size_t>(index) - 1].get());
    if (reach != Reach::Bar) warm(e, 96);
  }
  if (reach == Reach::Bar) return;
  // Two steps ahead, with that set at hand, its elements: an element's vtable pointer and what its
  // backend keeps after it. Geometry and visibility lie in the first 64 bytes, all a pass reads of
  // a title button; the caption, colour, picture or tooltip that a pass compares with what it sets
  // in the 56 after them. A title kept as it was arranged is read no further than its strip's size.
  const auto [index, e] = setAt(2);
  if (!e) return;
  warm(e->picDockBar.get(), 120);
  if (reach == Reach::Frame) return;
  warm(e->picSplit.get(), 120);
  const cTovBar& b = *items[static_cast<std::size_t>(index) - 1];
  bool kept = e->arranged.switches != 0;
  if (kept && widths) {
    const std::int32_t align = b.AlignBar();
    kept = e->arranged.width == (align == eAlignLeft || align == eAlignRight ? widths->column : widths->full);
  }
  if (kept) {
    warm(e->picTitel.get(), 64);
    return;
  }
  // A title arranged anew also reads the bar's right title, past what a pass reads of the bar.
  warm(&b.TitleRight(), sizeof(std::string));
  for (const Element* member : {e->imgClose.get(), e->imgCollapse.get(), e->imgExpand.get(), e->imgOpt.get()})
    warm(member, 64);
  const Element* const more[] = {e->picTitel.get(), e->lblTitel.get(), e->lblTitelRight.get(),
                                 e->imgIcon.get()};
  for (const Element* member : more)
    warm(member, 120);
}

void TovDockPrivate::pResizeWidth(const std::int32_t& W) {
  report("TovDock.pResizeWidth", [&] {
    const std::int32_t half = toInt32(W / 2.0);
    const std::int32_t column = toInt32(W / 2.0 - twips::kColumnGap);
    const PassWidths widths{W, column};
    for (std::int32_t pos = 1; alive() && pos <= bars().Count(); ++pos) {
      warmAhead(pos, Walk::ByPosition, Reach::Repaint, &widths);
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
  std::vector<cTovBar*> raw;
  visibleBarsInto(raw);
  std::vector<BarRef> visible;
  visible.reserve(raw.size());
  for (cTovBar* b : raw)
    visible.push_back(b->shared_from_this());
  return visible;
}

void TovDockPrivate::visibleBarsInto(std::vector<cTovBar*>& out) const {
  out.clear();
  eachVisibleRecord([&](const BarRecord& r) { out.push_back(r.bar); });
}

void TovDockPrivate::visibleRecordsInto(std::vector<const BarRecord*>& out) const {
  out.clear();
  eachVisibleRecord([&](const BarRecord& r) { out.push_back(&r); });
}

void TovDockPrivate::pSetScrollHeightMax() {
  for (const BarRef& b : BarsInternals::fItems(bars()))
    b->setHeightMax(twips::kScrollHeightMax);
}

void TovDockPrivate::pSetHeightMax() {
  // Most passes change no splitter: the limits are set from the collection's records, touching a
  // bar only where its limit changes. Only a splitter that appears or goes repaints its bar, which
  // runs the application's handlers; from that bar on, the bars are held as before, so a bar a
  // handler removes is still set while it no longer reaches the dock.
  std::vector<const BarRecord*> raw = std::move(mRecordScratch);
  visibleRecordsInto(raw);
  const std::size_t n = raw.size();
  auto take = [&](std::size_t from) {
    std::vector<BarRef> held;
    held.reserve(n - from);
    for (std::size_t k = from; k < n; ++k)
      held.push_back(raw[k]->bar->shared_from_this());
    mRecordScratch = std::move(raw);
    return held;
  };
  // Nothing in this walk runs the application's code, so the records stay where they are.
  std::size_t i = 0;
  bool stopped = false;
  for (; i + 1 < n; ++i) {
    if (!alive()) {
      stopped = true;
      break;
    }
    const BarRecord& B = *raw[i];
    const BarRecord& N = *raw[i + 1];
    if (B.showResize != (B.AllowResize() && N.AllowResize())) break;
    // Two heights whose sum leaves 32 bits keep the limit they had.
    skipFailure([&] {
      const std::int32_t v = sub32(add32(B.Height(), N.Height()), twips::kNeighbourReserve);
      if (v == B.heightMax) return;
      // New heights change the limits of many bars in a row: the bars a few records on are asked
      // for while this one is set.
      if (i + 8 < n) warmBar(raw[i + 8]->bar);
      B.bar->setHeightMax(v);
    });
  }
  std::vector<BarRef> visible;
  if (stopped) {
    // The dock went away before the walk: only the last bar's splitter is still cleared.
    visible = take(n - 1);
  } else if (i + 1 >= n) {
    if (n == 0 || !raw[n - 1]->showResize) {
      mRecordScratch = std::move(raw);
      return;
    }
    visible = take(n - 1);
  } else {
    visible = take(i);
  }
  auto limit = [](cTovBar& B, const cTovBar& N) {
    skipFailure([&] { B.setHeightMax(sub32(add32(B.Height(), N.Height()), twips::kNeighbourReserve)); });
  };
  auto showResize = [](const BarRef& b, bool v) { skipFailure([&] { b->setShowResize(v); }); };
  const std::size_t m = visible.size();
  // A handler that shows or hides a bar makes the held neighbours wrong; the limits were then set
  // again, for the bars as they are, before the handler returned.
  const std::uint32_t redone = mLimitsRedone;
  for (std::size_t j = 0; !stopped && j + 1 < m && alive() && mLimitsRedone == redone; ++j) {
    const BarRef& B = visible[j];
    const BarRef& N = visible[j + 1];
    limit(*B, *N);
    showResize(B, B->AllowResize() && N->AllowResize());
  }
  if (m > 0 && mLimitsRedone == redone) showResize(visible[m - 1], false);
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
  auto inOrder = [&](Reach reach, auto&& visit) {
    for (std::size_t pos = 1; pos < order.size() && pos <= items.size(); ++pos) {
      warmAhead(static_cast<std::int32_t>(pos), Walk::ByPosition, reach);
      const std::int32_t index = order[pos];
      if (index >= 1 && static_cast<std::size_t>(index) <= items.size())
        visit(*items[static_cast<std::size_t>(index) - 1]);
    }
  };
  std::int32_t n = count(), S = 0;
  inOrder(Reach::Bar, [&](const cTovBar& b) {
    if (!b.AllowResize()) --n;
    addHeight(S, b);
  });
  if (n <= 0) return;
  std::int32_t d = toInt32((Height() - S) / n);
  for (int adjustment = 1; d > twips::kAutoSizeSlack || d < -twips::kAutoSizeSlack; ++adjustment) {
    S = 0;
    const std::int32_t Hmax = mul32(n, twips::kNeighbourReserve);
    // A new height moves the frame.
    inOrder(Reach::Frame, [&](cTovBar& b) {
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

// Reordering bars by dragging their titles onto another bar, the top strip or the free area.
// Each drop is planned first and then applied; while the bar is dragged the same plan tells the
// toolkit what to mark, so the marker and the drop cannot disagree.
#include <algorithm>

#include "dock/dock_private.h"
#include "model/internals.h"

namespace tov {

void TovDockPrivate::picTitel_MouseDown(std::int16_t Index, const MouseArgs& a) {
  // A splitter drag whose release never came is over.
  mSplitDragging = false;
  if (a.button == btnRight) {
    // The application's handler may fail; the press is over all the same.
    skipFailure([&] { pTitleRightClick(Index); });
    return;
  }
  BarRef b = barAt(Index);
  BarElements* e = set(Index);
  if (b && e && b->CanMove()) {
    e->picDockBar->Drag();
    mDragSource = Index;
  }
}

bool TovDockPrivate::ownDrag(Element* source) {
  const BarElements* e = mDragSource > 0 ? set(mDragSource) : nullptr;
  return source && e && source == e->picDockBar.get();
}

TovDockPrivate::DropPlan TovDockPrivate::planBarDrop(std::int16_t Index, std::int32_t d) {
  DropPlan plan;
  plan.source = d;
  if (!bar(Index)->CanMove()) return plan;
  std::int32_t target = Index;
  NativeWindows& native = mToolkit->native();
  const PointPx p = native.ScreenToClient(mSurface->hWnd(), native.GetCursorPos());
  if (p.y < twips::kTopDropStrip && bar(Index)->AlignBar() != eAlignTop) {
    if (bar(d)->Top() > p.y) {
      target = 0;
      plan.align = eAlignTop;
    }
  } else {
    if (Index == d) return plan;
    if (bar(Index)->AlignBar() != bar(d)->AlignBar()) plan.align = bar(Index)->AlignBar();
  }
  plan.kind = DropPlan::Kind::AtTarget;
  plan.target = target;
  return plan;
}

TovDockPrivate::DropPlan TovDockPrivate::planFreeDrop(std::int32_t d, float X) {
  DropPlan plan;
  plan.source = d;
  const std::int32_t n = bars().Count();
  std::int32_t newAlign = 0, target = 0;
  if (X >= static_cast<float>(Width()) / 2.0f) {
    newAlign = eAlignRight;
    BarRef lastBar = bars().ItemByOrder(n);
    if (!lastBar) throw Failure::objectNotSet();
    target = lastBar->Index();
  } else {
    for (std::int32_t p = 1; p <= n; ++p) {
      BarRef b = bars().ItemByOrder(p);
      if (!b) throw Failure::objectNotSet();
      const std::int32_t a = b->AlignBar();
      if (a == eAlignTop || a == eAlignLeft) {
        newAlign = a;
        target = b->Index();
      } else if (a == eAlignRight && p == 1) {
        newAlign = eAlignLeft;
        target = 0;
        break;
      }
    }
  }
  if (target == d) return plan;
  // With only bottom bars before it, the left side offers no group: the bar joins the left column.
  plan.kind = DropPlan::Kind::AfterTarget;
  plan.target = target;
  plan.align = newAlign == 0 ? eAlignLeft : newAlign;
  return plan;
}

void TovDockPrivate::applyDrop(const DropPlan& plan) {
  if (plan.kind == DropPlan::Kind::Nothing) return;
  if (plan.align) bar(plan.source)->setAlignBar(*plan.align);
  if (plan.kind == DropPlan::Kind::AtTarget) {
    const std::int32_t pos = BarsInternals::fOrderByIndex(bars(), plan.target);
    BarsInternals::fInsert(bars(), plan.source, pos);
  } else {
    BarsInternals::fInsertAfter(bars(), plan.source, plan.target);
  }
  // A bar dropped into an empty column lands behind the bar it follows in the order, which may be
  // one of another group (the order begins with a right bar, or only bottom bars precede it); the
  // stacking takes each group as one run, so the order is grouped again before it runs.
  reorderOrFit();
  OrderBars(true);
}

DropHint TovDockPrivate::dropHint(const DropPlan& plan, float X) {
  if (plan.kind == DropPlan::Kind::Nothing) return {};
  // Where the bar is and where it would be, found as fInsert and fInsertAfter find them, but
  // without their message boxes: this only looks.
  const auto& order = BarsInternals::fOrder(bars());
  const std::int32_t n = std::min(bars().Count(), static_cast<std::int32_t>(order.size()) - 1);
  auto posOf = [&](std::int32_t index) {
    for (std::int32_t pos = 1; pos <= n; ++pos)
      if (order[static_cast<std::size_t>(pos)] == index) return pos;
    return 0;
  };
  std::int32_t to = plan.target == 0 ? 1 : posOf(plan.target);
  if (plan.kind == DropPlan::Kind::AfterTarget && to < n) ++to;
  const std::int32_t from = posOf(plan.source);
  const bool realigned = plan.align && *plan.align != bar(plan.source)->AlignBar();
  if (to == from && !realigned) return {};

  struct Box {
    double left, top, right, bottom;
  };
  auto frameOf = [&](std::int32_t index) -> std::optional<Box> {
    const BarElements* e = index > 0 ? set(index) : nullptr;
    if (!e || !e->picDockBar->Visible()) return std::nullopt;
    const Panel& f = *e->picDockBar;
    return Box{f.Left(), f.Top(), f.Left() + f.Width(), f.Top() + f.Height()};
  };
  std::vector<Box> frames;
  for (std::int32_t i = 1; i <= UBound(); ++i)
    if (auto f = frameOf(i)) frames.push_back(*f);
  auto onSurface = [&](double y) { return std::clamp(y, 0.0, Height()); };

  DropHint h;
  if (plan.kind == DropPlan::Kind::AfterTarget) {
    // The half of the free area the cursor is on: below every bar reaching into that half.
    const bool right = X >= static_cast<float>(Width()) / 2.0f;
    h.kind = DropHint::Kind::Area;
    h.x1 = right ? Width() / 2 : 0;
    h.x2 = right ? Width() : Width() / 2;
    double below = 0;
    for (const Box& f : frames)
      if (f.left < h.x2 && f.right > h.x1) below = std::max(below, f.bottom);
    h.y1 = below < Height() ? onSurface(below) : 0;
    h.y2 = Height();
    return h;
  }
  h.kind = DropHint::Kind::Line;
  if (plan.target == 0) {
    // The top strip: the bar becomes the first, over the whole width.
    const BarRef first = n > 0 ? barAt(order[1]) : nullptr;
    const auto f = first ? frameOf(first->Index()) : std::nullopt;
    h.x1 = 0;
    for (const Box& b : frames)
      h.x2 = std::max(h.x2, b.right);
    h.y1 = h.y2 = onSurface(f ? f->top : 0);
    return h;
  }
  const auto f = frameOf(plan.target);
  if (!f) return {};
  // A bar moved up goes in front of the target, one moved down behind it.
  h.x1 = f->left;
  h.x2 = f->right;
  h.y1 = h.y2 = onSurface(to < from ? f->top : f->bottom);
  return h;
}

void TovDockPrivate::DockBar_DragDrop(std::int16_t Index) {
  // The drop ends the drag whatever happens below.
  const std::int32_t d = mDragSource;
  mDragSource = 0;
  report("TovDock.DockBar_DragDrop", [&] { applyDrop(planBarDrop(Index, d)); });
}

DropHint TovDockPrivate::DockBar_DragOver(std::int16_t Index, Element* source) {
  DropHint h;
  if (ownDrag(source)) skipFailure([&] { h = dropHint(planBarDrop(Index, mDragSource), 0); });
  return h;
}

void TovDockPrivate::UserControl_DragDrop(Element* source, float X, float Y) {
  (void)Y;
  if (!ownDrag(source)) {
    mDragSource = 0;
    return;
  }
  const std::int32_t d = mDragSource;
  mDragSource = 0;
  report("TovDock: DragDrop", [&] { applyDrop(planFreeDrop(d, X)); });
}

DropHint TovDockPrivate::UserControl_DragOver(Element* source, float X, float Y) {
  (void)Y;
  DropHint h;
  if (ownDrag(source)) skipFailure([&] { h = dropHint(planFreeDrop(mDragSource, X), X); });
  return h;
}

}  // namespace tov

// Reordering bars by dragging their titles onto another bar, the top strip or the free area.
#include "dock/dock_private.h"
#include "model/internals.h"

namespace tov {

void TovDockPrivate::picTitel_MouseDown(std::int16_t Index, const MouseArgs& a) {
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

void TovDockPrivate::DockBar_DragDrop(std::int16_t Index) {
  // The drop ends the drag whatever happens below.
  const std::int32_t d = mDragSource;
  mDragSource = 0;
  report("TovDock.DockBar_DragDrop", [&] {
    if (!bar(Index)->CanMove()) return;
    std::int32_t target = Index;
    NativeWindows& native = mToolkit->native();
    const PointPx p = native.ScreenToClient(mSurface->hWnd(), native.GetCursorPos());
    if (p.y < twips::kTopDropStrip && bar(Index)->AlignBar() != eAlignTop) {
      if (bar(d)->Top() > p.y) {
        target = 0;
        bar(d)->setAlignBar(eAlignTop);
      }
    } else {
      if (Index == d) return;
      if (bar(Index)->AlignBar() != bar(d)->AlignBar()) bar(d)->setAlignBar(bar(Index)->AlignBar());
    }
    const std::int32_t pos = BarsInternals::fOrderByIndex(bars(), target);
    BarsInternals::fInsert(bars(), d, pos);
    OrderBars(true);
  });
}

void TovDockPrivate::UserControl_DragDrop(Element* source, float X, float Y) {
  (void)Y;
  if (!ownDrag(source)) {
    mDragSource = 0;
    return;
  }
  const std::int32_t d = mDragSource;
  mDragSource = 0;
  report("TovDock: DragDrop", [&] {
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
    if (target == d) return;
    // With only bottom bars before it, the left side offers no group: the bar joins the left column.
    if (newAlign == 0) newAlign = eAlignLeft;
    bar(d)->setAlignBar(newAlign);
    BarsInternals::fInsertAfter(bars(), d, target);
    OrderBars(true);
  });
}

}  // namespace tov

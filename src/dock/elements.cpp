// Creating and removing the element set of a bar.
#include "dock/dock_internal.h"

namespace tov {

BarRef TovDock::fBarAdd() {
  // Beyond the last 16-bit index a bar could have no elements and no index of its own: the
  // overflow goes to the collection, which then adds nothing.
  const std::int16_t i = add16(toInt16(picDockBar->UBound()), 1);
  auto bar = std::make_shared<cTovBar>();
  reportFailure(*mToolkit, "fBarAdd", [&] {
    bar->fEvents(mEvents);
    bar->fToolkit(mToolkit);
    picDockBar->Load(i);
    picTitel->Load(i).setContainer(&(*picDockBar)(i));
    auto inTitle = [&](auto& array) -> auto& {
      auto& e = array.Load(i);
      e.setContainer(&(*picTitel)(i));
      return e;
    };
    inTitle(*lblTitel).setVisible(true);
    inTitle(*lblTitelRight).setVisible(true);
    auto titleButton = [&](ElementArray<Image>& array) {
      auto& img = inTitle(array);
      img.setMousePointer(ptrCustom);
      img.setMouseIcon(imgHand->Picture());
    };
    titleButton(*imgClose);
    titleButton(*imgCollapse);
    titleButton(*imgExpand);
    inTitle(*imgIcon);
    titleButton(*imgOpt);
    auto& split = picSplit->Load(i);
    split.setContainer(&(*picDockBar)(i));
    split.setMousePointer(ptrSizeNS);
    split.setVisible(true);
    for (auto* lines : {lineSplit0.get(), lineSplit1.get(), lineSplit2.get()}) {
      auto& line = lines->Load(i);
      line.setContainer(&split);
      line.setVisible(true);
    }
    (*picTitel)(i).setVisible(true);
    wireMember(i);
  });
  return bar;
}

void TovDock::wireMember(std::int16_t i) {
  // Every member's handler knows its index, as in an element array sharing one handler.
  std::weak_ptr<TovDock> w = weak_from_this();
  auto on = [&](auto method) {
    return [w, method, i](auto&&... args) {
      if (auto self = w.lock(); self && self->alive()) ((*self).*method)(i, args...);
    };
  };
  (*picTitel)(i).onMouseDown = on(&TovDock::picTitel_MouseDown);
  auto drop = [w, i](Element* source, float, float) {
    auto self = w.lock();
    if (!self || !self->alive()) return;
    if (self->ownDrag(source)) {
      self->DockBar_DragDrop(i);
    } else {
      self->mDragSource = 0;  // any drop ends the drag
    }
  };
  (*picTitel)(i).onDragDrop = drop;
  (*picDockBar)(i).onDragDrop = drop;
  (*imgClose)(i).onClick = on(&TovDock::pCloseBar);
  (*imgCollapse)(i).onClick = on(&TovDock::imgCollapse_Click);
  (*imgExpand)(i).onClick = on(&TovDock::imgExpand_Click);
  (*imgOpt)(i).onClick = on(&TovDock::imgOpt_Click);
  (*picSplit)(i).onMouseMove = on(&TovDock::picSplit_MouseMove);
  (*picSplit)(i).onMouseUp = on(&TovDock::picSplit_MouseUp);
}

void TovDock::fClear() {
  reportFailure(*mToolkit, "TovDock.fClear", [&] {
    // Contents before their containers, the frame last; the highest index first.
    while (picDockBar->UBound() >= 1) {
      auto u = [&] { return picDockBar->UBound(); };
      lineSplit0->Unload(u());
      lineSplit1->Unload(u());
      lineSplit2->Unload(u());
      picSplit->Unload(u());
      imgClose->Unload(u());
      imgCollapse->Unload(u());
      imgExpand->Unload(u());
      imgIcon->Unload(u());
      imgOpt->Unload(u());
      lblTitel->Unload(u());
      lblTitelRight->Unload(u());
      picTitel->Unload(u());
      picDockBar->Unload(u());
    }
  });
  mDragSource = 0;
  mGradients.clear();
}

}  // namespace tov

// Creating and removing the element set of a bar.
#include "dock/dock_private.h"
#include "model/internals.h"

namespace tov {

namespace {

/// A copy of a template member, which starts hidden in the template's container, or in `into`.
template <class T>
std::unique_ptr<T> copy(const std::unique_ptr<T>& member0, Element* into = nullptr) {
  std::unique_ptr<Element> e = into ? member0->cloneInto(*into) : member0->clone();
  auto* typed = dynamic_cast<T*>(e.get());
  if (!typed) throw Failure("Type mismatch", errTypeMismatch);
  e.release();
  return std::unique_ptr<T>(typed);
}

}  // namespace

std::unique_ptr<BarElements> BarElements::copyOf(const BarElements& t, const PictureRef& hand) {
  auto e = std::make_unique<BarElements>();
  e->picDockBar = copy(t.picDockBar);
  e->picTitel = copy(t.picTitel, e->picDockBar.get());
  auto inTitle = [&](const auto& member0) { return copy(member0, e->picTitel.get()); };
  e->lblTitel = inTitle(t.lblTitel);
  e->lblTitel->setVisible(true);
  e->lblTitelRight = inTitle(t.lblTitelRight);
  e->lblTitelRight->setVisible(true);
  auto titleButton = [&](const std::unique_ptr<Image>& member0) {
    auto img = inTitle(member0);
    img->setMousePointer(ptrCustom);
    img->setMouseIcon(hand);
    return img;
  };
  e->imgClose = titleButton(t.imgClose);
  e->imgCollapse = titleButton(t.imgCollapse);
  e->imgExpand = titleButton(t.imgExpand);
  e->imgIcon = inTitle(t.imgIcon);
  e->imgOpt = titleButton(t.imgOpt);
  e->picSplit = copy(t.picSplit, e->picDockBar.get());
  e->picSplit->setMousePointer(ptrSizeNS);
  e->picSplit->setVisible(true);
  auto gripLine = [&](const std::unique_ptr<Line>& member0) {
    auto line = copy(member0, e->picSplit.get());
    line->setVisible(true);
    return line;
  };
  e->lineSplit0 = gripLine(t.lineSplit0);
  e->lineSplit1 = gripLine(t.lineSplit1);
  e->lineSplit2 = gripLine(t.lineSplit2);
  e->picTitel->setVisible(true);
  return e;
}

void BarElements::unload() {
  // Each member leaves the set before it goes: its destruction may run toolkit code.
  auto drop = [](auto& member) { std::exchange(member, nullptr).reset(); };
  drop(lineSplit0);
  drop(lineSplit1);
  drop(lineSplit2);
  drop(picSplit);
  drop(imgClose);
  drop(imgCollapse);
  drop(imgExpand);
  drop(imgIcon);
  drop(imgOpt);
  drop(lblTitel);
  drop(lblTitelRight);
  drop(picTitel);
  drop(picDockBar);
}

BarRef TovDockPrivate::fBarAdd() {
  // Beyond the last 16-bit index a bar could have no elements and no index of its own: the
  // overflow goes to the collection, which then adds nothing.
  const std::int16_t i = add16(toInt16(UBound()), 1);
  BarRef bar = BarInternals::create();
  BarInternals::fEvents(*bar, mEvents);
  BarInternals::fToolkit(*bar, mToolkit);
  report("fBarAdd", [&] {
    mSets.push_back(BarElements::copyOf(elements(0), imgHand->Picture()));
    wireMember(i);
  });
  return bar;
}

void TovDockPrivate::giveSplitsWindows(bool own) {
  // Without one, the strip lies under the bar's body where the body runs on under it (as it does
  // unfitted). The copies made later take the template's.
  for (const auto& set : mSets)
    if (set) set->picSplit->setOwnWindow(own);
}

void TovDockPrivate::wireMember(std::int16_t i) {
  // Every member's handler knows its index, as in an element array sharing one handler.
  std::weak_ptr<TovDock> w = q.weak_from_this();
  auto on = [&](auto method) {
    return [w, method, i](auto&&... args) {
      if (auto self = w.lock(); self && of(*self).alive()) {
        Run run(of(*self));
        (of(*self).*method)(i, args...);
      }
    };
  };
  BarElements& e = elements(i);
  e.picTitel->handlers().onMouseDown = on(&TovDockPrivate::picTitel_MouseDown);
  auto drop = [w, i](Element* source, float, float) {
    auto self = w.lock();
    if (!self || !of(*self).alive()) return;
    TovDockPrivate& d = of(*self);
    Run run(d);
    if (d.ownDrag(source)) {
      d.DockBar_DragDrop(i);
    } else {
      d.mDragSource = 0;  // any drop ends the drag
    }
  };
  auto over = [w, i](Element* source, float, float) -> DropHint {
    auto self = w.lock();
    if (!self || !of(*self).alive()) return {};
    return of(*self).DockBar_DragOver(i, source);
  };
  e.picTitel->handlers().onDragDrop = drop;
  e.picDockBar->handlers().onDragDrop = drop;
  e.picTitel->handlers().onDragOver = over;
  e.picDockBar->handlers().onDragOver = over;
  // The captions and the icon cover most of a narrow strip and show its move pointer: a press or a
  // drop on them is one on the strip. They keep the strip's handlers rather than copies of each.
  for (Element* onStrip :
       {static_cast<Element*>(e.lblTitel.get()), static_cast<Element*>(e.lblTitelRight.get()),
        static_cast<Element*>(e.imgIcon.get())}) {
    onStrip->shareHandlers(*e.picTitel);
  }
  e.imgClose->handlers().onClick = on(&TovDockPrivate::pCloseBar);
  e.imgCollapse->handlers().onClick = on(&TovDockPrivate::imgCollapse_Click);
  e.imgExpand->handlers().onClick = on(&TovDockPrivate::imgExpand_Click);
  e.imgOpt->handlers().onClick = on(&TovDockPrivate::imgOpt_Click);
  e.picSplit->handlers().onMouseMove = on(&TovDockPrivate::picSplit_MouseMove);
  e.picSplit->handlers().onMouseUp = on(&TovDockPrivate::picSplit_MouseUp);
}

void TovDockPrivate::fClear() {
  // The highest index first; a set leaves the dock before its elements go.
  while (mSets.size() > 1) {
    std::unique_ptr<BarElements> gone = std::move(mSets.back());
    mSets.pop_back();
    gone->unload();
  }
  mDragSource = 0;
}

}  // namespace tov

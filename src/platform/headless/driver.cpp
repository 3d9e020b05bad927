#include <stdexcept>

#include "platform/headless/internal.h"

namespace tov::headless {

namespace {

HeadlessSurface& headlessSurface(Surface& s) {
  auto* h = dynamic_cast<HeadlessSurface*>(&s);
  if (!h) throw std::invalid_argument("Driver: not a headless surface");
  return *h;
}

const Node& node(const Element& e) {
  const Node* n = nodeOf(&e);
  if (!n) throw std::invalid_argument("Driver: not a headless element");
  return *n;
}

HeadlessScrollBar& headlessBar(ScrollBar& bar) {
  auto* b = dynamic_cast<HeadlessScrollBar*>(&bar);
  if (!b) throw std::invalid_argument("Driver: not a headless scroll bar");
  return *b;
}

/// Front-most visible element at a point in the container's client twips, the deepest one within
/// nested panels; null when the point hits no child.
Node* hitTest(const Node& container, double x, double y) {
  for (auto it = container.mLinks->children.rbegin(); it != container.mLinks->children.rend(); ++it) {
    Node* child = *it;
    const Element& e = child->element();
    if (!e.Visible() || !child->contains(x, y)) continue;
    if (child->isContainer())
      if (Node* inner = hitTest(*child, x - e.Left(), y - e.Top())) return inner;
    return child;
  }
  return nullptr;
}

void moveCursor(HeadlessSurface& s, double x, double y) {
  s.mLinks->world->cursor = {s.mScreenOrigin.x + toInt32(x / kTwipsPerPixel96),
                             s.mScreenOrigin.y + toInt32(y / kTwipsPerPixel96)};
}

/// The element under a point, or the surface where no element is.
Node& targetAt(HeadlessSurface& s, double x, double y) {
  Node* hit = hitTest(s, x, y);
  return hit ? *hit : s;
}

using MouseHandler = std::function<void(const MouseArgs&)> ElementHandlers::*;

// The handler is copied: it may unload the element and with it the handler object.
void sendMouse(Node& target, MouseHandler which, double x, double y, std::int16_t button,
               std::int16_t shift) {
  auto handler = target.element().handler(which);
  if (!handler) return;
  handler(MouseArgs{button, shift, static_cast<float>(x - target.absLeft()),
                    static_cast<float>(y - target.absTop())});
}

void sendDrop(Node& target, Element* source, double x, double y) {
  auto handler = target.element().handler(&ElementHandlers::onDragDrop);
  if (!handler) return;
  handler(source, static_cast<float>(x - target.absLeft()), static_cast<float>(y - target.absTop()));
}

DropHint sendDragOver(Node& target, Element* source, double x, double y) {
  auto handler = target.element().handler(&ElementHandlers::onDragOver);
  if (!handler) return {};
  return handler(source, static_cast<float>(x - target.absLeft()), static_cast<float>(y - target.absTop()));
}

}  // namespace

Driver::Driver(Surface& surface) : mSurface(headlessSurface(surface)), mAlive(mSurface.ref()) {}

void Driver::resize(double width, double height) {
  if (!alive()) return;
  mSurface.setWidth(width);
  mSurface.setHeight(height);
  auto handler = mSurface.onResize;
  if (handler) handler();
}

void Driver::setUserMode(bool running) {
  if (alive()) mSurface.mUserMode = running;
}

void Driver::setScreenOrigin(PointPx p) {
  if (alive()) mSurface.mScreenOrigin = p;
}

void Driver::press(double x, double y, std::int16_t button, std::int16_t shift) {
  if (!alive()) return;
  moveCursor(mSurface, x, y);
  Node& target = targetAt(mSurface, x, y);
  mSurface.mDrag.reset();
  mSurface.mHint = {};
  mSurface.mCapture = target.ref();
  sendMouse(target, &ElementHandlers::onMouseDown, x, y, button, shift);
}

void Driver::move(double x, double y, std::int16_t buttons, std::int16_t shift) {
  if (!alive()) return;
  moveCursor(mSurface, x, y);
  // The toolkit's drag outline owns the mouse; the element under it says what a drop would do.
  if (Node* dragged = Node::deref(mSurface.mDrag)) {
    const DropHint hint = sendDragOver(targetAt(mSurface, x, y), &dragged->element(), x, y);
    if (alive()) mSurface.mHint = hint;
    return;
  }
  Node* target = Node::deref(mSurface.mCapture);
  if (!target) {
    mSurface.mCapture.reset();
    target = &targetAt(mSurface, x, y);
  }
  sendMouse(*target, &ElementHandlers::onMouseMove, x, y, buttons, shift);
}

void Driver::release(double x, double y, std::int16_t button, std::int16_t shift) {
  if (!alive()) return;
  moveCursor(mSurface, x, y);
  Node* dragged = Node::deref(mSurface.mDrag);
  Node* captured = Node::deref(mSurface.mCapture);
  mSurface.mDrag.reset();
  mSurface.mHint = {};
  mSurface.mCapture.reset();
  Node& under = targetAt(mSurface, x, y);
  if (dragged) {
    sendDrop(under, &dragged->element(), x, y);
    return;
  }
  if (!captured) return;
  const bool overPressed = &under == captured;
  const NodeRef pressed = captured->ref();
  sendMouse(*captured, &ElementHandlers::onMouseUp, x, y, button, shift);
  Node* still = Node::deref(pressed);
  // A click is the left button's, as on the classic toolkit.
  if (!overPressed || !still || button != btnLeft) return;
  auto handler = still->element().handler(&ElementHandlers::onClick);
  if (handler) handler();
}

void Driver::click(double x, double y, std::int16_t button) {
  press(x, y, button);
  release(x, y, button);
}

void Driver::dropForeign(double x, double y) {
  if (!alive()) return;
  moveCursor(mSurface, x, y);
  sendDrop(targetAt(mSurface, x, y), nullptr, x, y);
}

void Driver::scrollTo(ScrollBar& bar, std::int32_t value) {
  // A scroll bar that is not on screen takes no input.
  if (!shown(bar)) return;
  headlessBar(bar).setValue(value);
}

void Driver::scrollThumb(ScrollBar& bar, std::int32_t value) {
  if (!shown(bar)) return;
  HeadlessScrollBar& b = headlessBar(bar);
  b.setValueQuietly(value);
  auto handler = b.onScroll;
  if (handler) handler();
}

Element* Driver::elementAt(double x, double y) const {
  if (!alive()) return nullptr;
  Node* hit = hitTest(mSurface, x, y);
  return hit ? &hit->element() : nullptr;
}

double Driver::absLeft(const Element& e) const {
  return node(e).absLeft();
}
double Driver::absTop(const Element& e) const {
  return node(e).absTop();
}

bool Driver::shown(const Element& e) const {
  const Node* n = &node(e);
  for (; n->mLinks->container; n = n->mLinks->container)
    if (!n->element().Visible()) return false;
  return alive() && n == &mSurface && mSurface.Visible();
}

std::vector<Element*> Driver::children(const Element& container) const {
  std::vector<Element*> out;
  for (Node* child : node(container).mLinks->children)
    out.push_back(&child->element());
  return out;
}

DropHint Driver::dropHint() const {
  return alive() && Node::deref(mSurface.mDrag) ? mSurface.mHint : DropHint{};
}

Element* Driver::dragging() const {
  if (!alive()) return nullptr;
  Node* n = Node::deref(mSurface.mDrag);
  return n ? &n->element() : nullptr;
}

}  // namespace tov::headless

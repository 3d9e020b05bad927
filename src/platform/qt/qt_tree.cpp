#include "platform/qt/qt_tree.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace tov::qt::detail {

Node* nodeOfWidget(QWidget* w) {
  auto* n = dynamic_cast<NodeWidget*>(w);
  return n ? n->node() : nullptr;
}

Node* asNode(const Element* e) {
  return dynamic_cast<Node*>(const_cast<Element*>(e));
}

Node::Node(Element& self, std::shared_ptr<ToolkitState> state) : mSelf(self), mState(std::move(state)) {}

Node::~Node() {
  if (mState->dragSource() == this) mState->cancelDrag();
  for (Node* c : mChildren)
    c->mContainer = nullptr;
  if (mContainer) {
    auto& wl = mContainer->mWindowless;
    const bool painted = std::find(wl.begin(), wl.end(), this) != wl.end();
    unlink();
    if (painted && mVisible) updateHost();
  }
}

void Node::unlink() {
  auto& siblings = mContainer->mChildren;
  siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  auto& wl = mContainer->mWindowless;
  wl.erase(std::remove(wl.begin(), wl.end(), this), wl.end());
}

Node* Node::surface() {
  Node* n = this;
  while (n->mContainer)
    n = n->mContainer;
  return n->isSurface() ? n : nullptr;
}

QWidget* Node::hostWidget() const {
  if (windowed()) return innerWidget();
  return mContainer ? mContainer->hostWidget() : nullptr;
}

Scale Node::scale() const {
  for (const Node* n = this; n; n = n->mContainer) {
    if (const Scale* s = n->screenScale()) return *s;
  }
  return scaleOf(static_cast<const QWidget*>(nullptr));
}

QRect Node::pxRect() const {
  return scale().pxRect(mLeft, mTop, mWidth, mHeight);
}

QRect Node::hostRect() const {
  QRect r = pxRect();
  for (const Node* c = mContainer; c && !c->windowed(); c = c->mContainer)
    r.translate(c->pxRect().topLeft());
  return r;
}

void Node::relayoutChildren(double factor) {
  for (Node* c : mChildren) {
    c->rescaled(factor);
    c->applyGeometry();
    c->relayoutChildren(factor);
  }
}

void Node::updateHost() const {
  if (windowed()) return;
  // A hidden host paints nothing to update (Qt ignores it); the rectangle is not worth finding.
  if (QWidget* h = hostWidget(); h && h->isVisible()) h->update(hostRect().adjusted(-1, -1, 2, 2));
}

void Node::applyGeometry() {
  if (windowed()) {
    QWidget* w = widget();
    if (!w) return;
    // While handlers run, a widget on screen takes its geometry when the outermost one returns:
    // the moves of a splitter step can then go together (see applyHeldMoves).
    if (mState->dispatchDepth > 0 && w->isVisible() && mContainer) {
      auto* own = dynamic_cast<NodeWidget*>(w);
      if (own && own->heldEpoch != mState->heldEpoch) {
        own->heldEpoch = mState->heldEpoch;
        mState->heldMoves.emplace_back(w);
      }
      return;
    }
    w->setGeometry(pxRect());
    if (mContainer) mContainer->childrenPlaced();
  } else if (QWidget* h = hostWidget()) {
    // The old rectangle is not kept; windowless elements are small, so what holds them repaints
    // whole: the host, or the drawn panel they lie in (a title strip on its frame).
    if (mContainer && !mContainer->windowed()) {
      h->update(mContainer->hostRect());
    } else {
      h->update();
    }
  }
}

void Node::applyVisible() {
  if (windowed()) {
    if (QWidget* w = widget()) w->setVisible(mVisible);
    if (mContainer) mContainer->childrenPlaced();
  } else {
    updateHost();
  }
}

void Node::setVisibleFlag(bool v) {
  if (v == mVisible) return;
  mVisible = v;
  applyVisible();
}

void Node::setContainerNode(Node* c) {
  if (c == mContainer && c) return;
  for (Node* up = c; up; up = up->mContainer) {
    if (up == this) throw Failure::invalidValue("Container");
  }
  if (mContainer) {
    if (!windowed()) updateHost();
    unlink();
  }
  mContainer = c;
  if (!c) return;
  c->mChildren.push_back(this);
  if (windowed()) {
    if (QWidget* w = widget()) {
      QWidget* parent = parentIn(*c);
      if (w->parentWidget() != parent) w->setParent(parent);
      w->setGeometry(pxRect());
      w->setVisible(mVisible);
      raiseWidget(w);
      c->childrenPlaced();
    }
  } else {
    c->mWindowless.push_back(this);
    updateHost();
  }
}

void Node::bringToFront() {
  if (windowed()) {
    if (QWidget* w = widget()) raiseWidget(w);
    return;
  }
  if (!mContainer) return;
  auto& wl = mContainer->mWindowless;
  if (wl.back() == this) return;  // already in front: no pixel changes
  wl.erase(std::remove(wl.begin(), wl.end(), this), wl.end());
  wl.push_back(this);
  updateHost();
}

void Node::raiseWidget(QWidget* w) const {
  QWidget* stack = mContainer ? mContainer->hostWidget() : nullptr;
  if (stack && w->parentWidget() != stack && stack->parentWidget() == w->parentWidget()) {
    w->stackUnder(stack);
  } else {
    w->raise();
  }
}

void Node::setPointer(std::int32_t pointer, PictureRef icon) {
  if (pointer == mPointer && icon == mIcon) return;
  mPointer = pointer;
  mIcon = std::move(icon);
  std::optional<QCursor> c = toCursor(mPointer, mIcon, mState->pictures);
  mHasCursor = c.has_value();
  if (c) mCursor = *c;
  if (windowed()) {
    if (QWidget* w = widget()) {
      if (mHasCursor) {
        w->setCursor(mCursor);
      } else {
        w->unsetCursor();
      }
    }
  }
}

bool Node::cursor(QCursor& out) const {
  if (!mHasCursor) return false;
  out = mCursor;
  return true;
}

double Node::absLeft() const {
  double x = 0;
  for (const Node* n = this; n && n->mContainer; n = n->mContainer)
    x += n->mLeft;
  return x;
}

double Node::absTop() const {
  double y = 0;
  for (const Node* n = this; n && n->mContainer; n = n->mContainer)
    y += n->mTop;
  return y;
}

QPointF Node::toTwips(QPointF global) const {
  const QWidget* w = widget();
  const QPointF origin = w ? w->mapToGlobal(QPointF(0, 0)) : QPointF(0, 0);
  return (global - origin) / scale().pixelsPerTwip;
}

Node* Node::windowlessAt(double x, double y) const {
  for (auto it = mWindowless.rbegin(); it != mWindowless.rend(); ++it) {
    if ((*it)->mVisible && (*it)->hits(x, y)) return *it;
  }
  return nullptr;
}

Node* Node::deepestAt(double x, double y) const {
  Node* n = windowlessAt(x, y);
  Node* inner = n ? n->deepestAt(x - n->mLeft, y - n->mTop) : nullptr;
  return inner ? inner : n;
}

const Node* Node::host() const {
  const Node* n = this;
  while (n && !n->windowed())
    n = n->mContainer;
  return n;
}

Node::Hit Node::hitTest(double x, double y) const {
  // Geometry in twips decides, not the pixels it maps to: a strip 80 twips high is 5.33 pixels.
  const double k = scale().pixelsPerTwip;
  const QPoint p(static_cast<int>(std::floor(x * k)), static_cast<int>(std::floor(y * k)));
  // The children of a widget, front to back; those of the widget that holds this element's
  // children are met where that widget lies among its siblings.
  auto among = [&](const QWidget* w, auto& self) -> Hit {
    const QObjectList& kids = w->children();
    for (auto it = kids.crbegin(); it != kids.crend(); ++it) {
      auto* cw = qobject_cast<QWidget*>(*it);
      if (!cw || cw->isHidden() || cw->isWindow() || cw->testAttribute(Qt::WA_TransparentForMouseEvents)) {
        continue;
      }
      if (Node* n = nodeOfWidget(cw)) {
        if (n == this) {
          if (const Hit inner = self(cw, self); inner.node || inner.widget) return inner;
          continue;
        }
        if (!n->hits(x, y)) continue;
        const Hit inner = n->hitTest(x - n->mLeft, y - n->mTop);
        return inner.node || inner.widget ? inner : Hit{n, cw};
      }
      if (cw->geometry().contains(p)) {
        QWidget* deepest = cw->childAt(cw->mapFromParent(p));
        return {nullptr, deepest ? deepest : cw};
      }
    }
    return {};
  };
  if (QWidget* w = widget()) {
    if (const Hit h = among(w, among); h.node || h.widget) return h;
  }
  if (Node* n = deepestAt(x, y)) return {n, n->hostWidget()};
  return {};
}

Node::Hit Node::hitAt(QPointF twips) const {
  if (twips.x() < 0 || twips.y() < 0 || twips.x() >= mWidth || twips.y() >= mHeight) return {};
  Hit h = hitTest(twips.x(), twips.y());
  if (!h.node && !h.widget) h = {const_cast<Node*>(this), widget()};
  return h;
}

void Node::paintWindowless(QPainter& painter, const QPalette& palette) const {
  for (Node* n : mWindowless) {
    if (n->mVisible) n->paintSelf(painter, palette, n->pxRect());
  }
}

void Node::paintSelf(QPainter&, const QPalette&, const QRect&) const {}

}  // namespace tov::qt::detail

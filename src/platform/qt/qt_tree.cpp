#include "platform/qt/qt_tree.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <typeinfo>

#include "platform/qt/qt_nodes.h"

namespace tov::qt::detail {

Node* nodeOfWidget(QWidget* w) {
  auto* n = dynamic_cast<NodeWidget*>(w);
  return n ? n->node() : nullptr;
}

Node* asNode(const Element* e) {
  if (!e) return nullptr;
  auto* m = const_cast<Element*>(e);
  // Each kind of this backend is final: found by its exact type, it is cast without the search
  // through both hierarchies that a cast across from Element to Node makes.
  const std::type_info& type = typeid(*m);
  if (type == typeid(PanelNode)) return static_cast<PanelNode*>(m);
  if (type == typeid(ImageNode)) return static_cast<ImageNode*>(m);
  if (type == typeid(LabelNode)) return static_cast<LabelNode*>(m);
  if (type == typeid(LineNode)) return static_cast<LineNode*>(m);
  if (type == typeid(SurfaceNode)) return static_cast<SurfaceNode*>(m);
  if (type == typeid(ScrollBarNode)) return static_cast<ScrollBarNode*>(m);
  return dynamic_cast<Node*>(m);
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
  if (windowed()) return widget();
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

void Node::relayout(double factor) {
  rescaled(factor);
  applyGeometry();
  for (Node* c : mChildren)
    c->relayout(factor);
}

void Node::updateHost() const {
  if (windowed()) return;
  // A hidden host paints nothing to update (Qt ignores it); the rectangle is not worth finding.
  if (QWidget* h = hostWidget(); h && h->isVisible()) h->update(pxRect().adjusted(-1, -1, 2, 2));
}

void Node::applyGeometry() {
  if (windowed()) {
    if (QWidget* w = widget()) w->setGeometry(pxRect());
  } else if (QWidget* h = hostWidget()) {
    // The old rectangle is not kept; windowless elements are small, so the host repaints whole.
    h->update();
  }
}

void Node::applyVisible() {
  if (windowed()) {
    if (QWidget* w = widget()) w->setVisible(mVisible);
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
      QWidget* parent = c->hostWidget();
      if (w->parentWidget() != parent) w->setParent(parent);
      w->setGeometry(pxRect());
      w->setVisible(mVisible);
      w->raise();
    }
  } else {
    c->mWindowless.push_back(this);
    updateHost();
  }
}

void Node::bringToFront() {
  if (windowed()) {
    if (QWidget* w = widget()) w->raise();
    return;
  }
  if (!mContainer) return;
  auto& wl = mContainer->mWindowless;
  wl.erase(std::remove(wl.begin(), wl.end(), this), wl.end());
  wl.push_back(this);
  updateHost();
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

Node::Hit Node::hitTest(double x, double y) const {
  // Geometry in twips decides, not the pixels it maps to: a strip 80 twips high is 5.33 pixels.
  if (QWidget* w = widget()) {
    const double k = scale().pixelsPerTwip;
    const QObjectList& kids = w->children();
    for (auto it = kids.crbegin(); it != kids.crend(); ++it) {
      auto* cw = qobject_cast<QWidget*>(*it);
      if (!cw || cw->isHidden() || cw->isWindow() || cw->testAttribute(Qt::WA_TransparentForMouseEvents)) {
        continue;
      }
      if (Node* n = nodeOfWidget(cw)) {
        if (!n->hits(x, y)) continue;
        const Hit inner = n->hitTest(x - n->mLeft, y - n->mTop);
        return inner.node || inner.widget ? inner : Hit{n, cw};
      }
      const QPoint p(static_cast<int>(std::floor(x * k)), static_cast<int>(std::floor(y * k)));
      if (cw->geometry().contains(p)) {
        QWidget* deepest = cw->childAt(cw->mapFromParent(p));
        return {nullptr, deepest ? deepest : cw};
      }
    }
  }
  if (Node* n = windowlessAt(x, y)) return {n, n->hostWidget()};
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

namespace tov::qt {

namespace {

struct HeldMove {
  QPointer<QWidget> widget;
  QRect to;
  int from;
};

/// Moves the largest set of held moves that share a parent and a vertical offset with one scroll
/// of the parent's pixels, and takes them out of `moves`. A splitter step moves every bar below
/// the dragged one by the same distance: moved one by one, each QWidget::move scans all siblings
/// for overlaps, copies its own pixels and leaves a strip of the parent to repaint, with every
/// child it touches. The set must stand in one column of the parent, in at most a few runs without
/// gaps, and no widget that moves on its own may lie where they scroll; otherwise the widgets are
/// moved one by one as before.
void moveAsGroup(std::vector<HeldMove>& moves) {
  // Each move's parent and offset, once; null for a move that cannot go with a group.
  struct Shift {
    QWidget* parent;
    int dy;
  };
  std::vector<Shift> shifts(moves.size(), Shift{nullptr, 0});
  struct Key {
    QWidget* parent;
    int dy;
    std::size_t count;
  };
  constexpr std::size_t kKeys = 4;
  std::vector<Key> keys;
  for (std::size_t i = 0; i < moves.size(); ++i) {
    QWidget* w = moves[i].widget.data();
    const QRect& to = moves[i].to;
    if (!w || to.x() != w->x() || to.size() != w->size() || !w->isVisible() || w->internalWinId()) continue;
    Shift& s = shifts[i];
    s = {w->parentWidget(), to.y() - w->y()};
    auto it = std::find_if(keys.begin(), keys.end(),
                           [&s](const Key& k) { return k.parent == s.parent && k.dy == s.dy; });
    if (it != keys.end()) {
      ++it->count;
    } else if (keys.size() < kKeys) {
      keys.push_back({s.parent, s.dy, 1});
    }
  }
  auto best = std::max_element(keys.begin(), keys.end(),
                               [](const Key& a, const Key& b) { return a.count < b.count; });
  if (best == keys.end() || best->count < 2 || !best->parent) return;
  QWidget* parent = best->parent;
  const int dy = best->dy;

  std::vector<std::size_t> group;  // indexes into moves, in the order the moves are made
  group.reserve(best->count);
  for (std::size_t i = 0; i < moves.size(); ++i) {
    if (shifts[i].parent == parent && shifts[i].dy == dy) group.push_back(i);
  }
  // The widgets stand in one column: runs of them without gaps, as stacked bars are, scroll
  // together. Each run scrolls from its new top down to its lower edge, old or new; its source
  // never reaches the rows the offset gives up above its old top, where the bar that grows is
  // already dirty (Qt copies nothing from a dirty area). What a run leaves is repainted.
  std::vector<QRect> column;
  column.reserve(group.size());
  for (std::size_t i : group)
    column.push_back(moves[i].widget->geometry());
  std::sort(column.begin(), column.end(), [](const QRect& a, const QRect& b) { return a.y() < b.y(); });
  const int left = column.front().x(), width = column.front().width();
  constexpr std::size_t kRuns = 8;
  std::vector<QRect> scrolled, repainted;
  for (std::size_t k = 0; k < column.size();) {
    const int top = column[k].y();
    int bottom = top + column[k].height();
    if (column[k].x() != left || column[k].width() != width) return;
    for (++k; k < column.size() && column[k].y() == bottom; ++k) {
      if (column[k].x() != left || column[k].width() != width) return;
      bottom += column[k].height();
    }
    if (k < column.size() && column[k].y() < bottom) return;  // overlapping widgets
    if (scrolled.size() == kRuns) return;
    scrolled.emplace_back(left, top + dy, width, std::max(bottom, bottom + dy) - (top + dy));
    const int keptTop = std::max(top, bottom + dy);
    repainted.push_back(dy > 0 ? QRect(left, top, width, std::min(dy, bottom - top))
                               : QRect(left, keptTop, width, bottom - keptTop));
  }
  auto hitsScrolled = [&](const QRect& r) {
    return std::any_of(scrolled.begin(), scrolled.end(), [&r](const QRect& s) { return s.intersects(r); });
  };

  std::vector<const QWidget*> members;
  members.reserve(group.size());
  for (std::size_t i : group)
    members.push_back(moves[i].widget);
  std::sort(members.begin(), members.end());
  auto isMember = [&](const QObject* o) { return std::binary_search(members.begin(), members.end(), o); };
  // A widget that moves on its own later must find its pixels where they were.
  for (const HeldMove& m : moves) {
    if (m.widget && m.widget->parentWidget() == parent && !isMember(m.widget) &&
        (hitsScrolled(m.to) || hitsScrolled(m.widget->geometry()))) {
      return;
    }
  }
  // A widget that stays is painted again where it was scrolled, unless it lies under every
  // widget of the group: the scroll reads and writes only where the group covers it.
  const QObjectList& siblings = parent->children();
  const auto lowest = std::find_if(siblings.begin(), siblings.end(), isMember);
  for (auto it = lowest; it != siblings.end(); ++it) {
    const auto* w = qobject_cast<const QWidget*>(*it);
    if (!w || w->isWindow() || !w->isVisible() || isMember(w)) continue;
    for (const QRect& s : scrolled) {
      if (s.intersects(w->geometry())) repainted.push_back(s.intersected(w->geometry()));
    }
  }

  // Runs going down are scrolled from the lowest, those going up from the highest, so that no
  // run reads what another one already wrote; repaints follow, as a scroll moves what is dirty.
  if (dy > 0) std::reverse(scrolled.begin(), scrolled.end());
  for (const QRect& r : scrolled)
    parent->scroll(0, dy, r);
  for (const QRect& r : repainted) {
    if (!r.isEmpty()) parent->update(r);
  }
  // The pixels are in place: each widget only takes its new geometry and its move event, as from
  // QWidget::move, without the region work Qt skips for a widget outside the window system's range.
  std::vector<HeldMove> rest;
  rest.reserve(moves.size() - group.size());
  std::size_t g = 0;
  for (std::size_t i = 0; i < moves.size(); ++i) {
    if (g < group.size() && group[g] == i) {
      ++g;
      continue;
    }
    rest.push_back(std::move(moves[i]));
  }
  for (std::size_t i : group) {
    const QPointer<QWidget> w = moves[i].widget;
    if (!w) continue;
    const bool outside = w->testAttribute(Qt::WA_OutsideWSRange);
    w->setAttribute(Qt::WA_OutsideWSRange, true);
    w->setGeometry(moves[i].to);
    if (w) w->setAttribute(Qt::WA_OutsideWSRange, outside);
  }
  moves = std::move(rest);
}

}  // namespace

void QtToolkit::Impl::applyHeldMoves() {
  std::vector<QPointer<QWidget>> held;
  held.swap(heldMoves);
  ++heldEpoch;
  std::vector<HeldMove> moves;
  moves.reserve(held.size());
  for (const QPointer<QWidget>& w : held) {
    // Where the element is now: it may have moved again, or gone to another container.
    detail::Node* n = w ? detail::nodeOfWidget(w) : nullptr;
    if (!n) continue;
    const QRect to = n->pxRect();
    if (to != w->geometry()) moves.push_back({w, to, w->y()});
  }
  // Widgets going down are moved from the lowest, those going up from the highest: none lands on
  // a sibling that is still in place above it in z-order, so Qt copies what it showed.
  std::stable_sort(moves.begin(), moves.end(), [](const HeldMove& a, const HeldMove& b) {
    const bool downA = a.to.y() > a.from, downB = b.to.y() > b.from;
    if (downA != downB) return downA;
    return downA ? a.from > b.from : a.from < b.from;
  });
  moveAsGroup(moves);
  for (const HeldMove& m : moves) {
    if (m.widget) m.widget->setGeometry(m.to);
  }
}

}  // namespace tov::qt

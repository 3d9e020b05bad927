// The geometry held back while handlers ran, given to the widgets at once when they return.
#include <QPointer>
#include <algorithm>
#include <map>
#include <tuple>
#include <unordered_map>

#include "platform/qt/qt_tree.h"

namespace tov::qt {

namespace {

struct Move {
  QPointer<QWidget> widget;
  QRect to;
};

/// Scrolls the parent whose children the most moves shift by one offset, when that pays: Qt then
/// copies the pixels once and moves every child without working out, child by child, what each
/// move uncovers, which it would paint again (a splitter step moves every bar below the dragged
/// one). The parent's other children go back, or on to where they are held for, and stand in
/// `moves` instead of the moves the scroll made.
void scrollShared(std::vector<Move>& moves) {
  std::map<std::tuple<QWidget*, int, int>, int> shifts;
  for (const Move& m : moves) {
    QWidget* w = m.widget;
    if (w && m.to.size() == w->size()) ++shifts[{w->parentWidget(), m.to.x() - w->x(), m.to.y() - w->y()}];
  }
  const auto most = std::max_element(shifts.begin(), shifts.end(),
                                     [](const auto& a, const auto& b) { return a.second < b.second; });
  if (most == shifts.end()) return;
  const auto [parent, dx, dy] = most->first;
  if (!parent || !parent->isVisible()) return;

  std::unordered_map<const QWidget*, QRect> held;
  for (const Move& m : moves) {
    if (m.widget && m.widget->parentWidget() == parent) held.emplace(m.widget, m.to);
  }
  // Every child, back to front, with where it is to be.
  struct Child {
    QWidget* widget;
    QRect to;
    bool shifted;  // the scroll puts it there
    bool seen;     // it shows on the parent's area
  };
  std::vector<Child> children;
  int with = 0, against = 0;
  for (QObject* o : parent->children()) {
    auto* w = qobject_cast<QWidget*>(o);
    if (!w || w->isWindow()) continue;
    const auto h = held.find(w);
    const QRect to = h != held.end() ? h->second : w->geometry();
    const bool shifted = to == w->geometry().translated(dx, dy);
    const bool seen = !w->isHidden() && w->geometry().intersects(parent->rect());
    children.push_back({w, to, shifted, seen});
    if (seen) ++(shifted ? with : against);
  }
  // It pays when it moves more of what shows to its place than away from it, and not at all when
  // a child that goes back and keeps its size lies under one that moves: Qt paints it again whole,
  // and all that lies over it (the scroll bar under the edges of the bars).
  if (with <= against) return;
  for (auto c = children.begin(); c != children.end(); ++c) {
    if (c->shifted || !c->seen || c->to.size() != c->widget->size()) continue;
    for (auto over = c + 1; over != children.end(); ++over) {
      if (over->shifted && over->seen && over->to.intersects(c->to.united(c->to.translated(dx, dy)))) return;
    }
  }

  std::vector<Move> rest;
  rest.reserve(moves.size());
  for (Move& m : moves) {
    if (m.widget && m.widget->parentWidget() != parent) rest.push_back(std::move(m));
  }
  parent->scroll(dx, dy);
  // What shows through the parent's mask was copied with the rest.
  if (QWidget* under = parent->parentWidget(); under && !parent->mask().isEmpty())
    under->update((QRegion(parent->rect()) - parent->mask()).translated(parent->pos()));
  for (const Child& c : children) {
    if (!c.shifted) rest.push_back({c.widget, c.to});
  }
  moves = std::move(rest);
}

}  // namespace

void QtToolkit::Impl::applyHeldMoves() {
  std::vector<QPointer<QWidget>> held;
  held.swap(heldMoves);
  ++heldEpoch;
  std::vector<Move> moves;
  moves.reserve(held.size());
  detail::Node* told = nullptr;
  for (const QPointer<QWidget>& w : held) {
    // Where the element is now: it may have moved again, or gone to another container.
    detail::Node* n = w ? detail::nodeOfWidget(w) : nullptr;
    if (!n) continue;
    // Siblings come one after the other: their container hears of them once.
    if (detail::Node* c = n->container(); c && c != told) {
      told = c;
      c->childrenPlaced();
    }
    const QRect to = n->pxRect();
    if (to != w->geometry()) moves.push_back({w, to});
  }
  // First, while nothing on screen is marked to be painted again: Qt copies no pixels from there.
  scrollShared(moves);
  // Widgets going down are moved from the lowest, those going up from the highest: none lands on
  // a sibling that is still in place, so Qt copies what each showed rather than paint it again.
  // Those that change size are painted again anyway, and go last.
  auto rank = [](const Move& m) {
    const bool sized = m.to.size() != m.widget->size(), down = m.to.y() > m.widget->y();
    return std::tuple(sized, !down, down ? -m.widget->y() : m.widget->y());
  };
  std::erase_if(moves, [](const Move& m) { return !m.widget || m.to == m.widget->geometry(); });
  std::stable_sort(moves.begin(), moves.end(),
                   [&](const Move& a, const Move& b) { return rank(a) < rank(b); });
  for (const Move& m : moves) {
    if (m.widget) m.widget->setGeometry(m.to);
  }
}

}  // namespace tov::qt

// Accessible interfaces of the dock's widgets: the dock, its surface and each pane's frame, whose
// children are the parts drawn on it (accessible_strips.cpp) and the widget it hosts.
#include "accessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPointer>
#include <algorithm>
#include <utility>

#include "accessible_strips.h"
#include "dock_widget_p.h"
#include "keyboard.h"
#include "tovdock/qt/dock_widget.h"
#include "tovdock/qt/qt_toolkit.h"

namespace tov::qt::detail {

namespace {

QWidget* frameOf(const DockWidget* dock, const Pane* pane) {
  return dock ? TitleKeys::of(dock)->frameOf(pane) : nullptr;
}

Pane* paneOfFrame(const DockWidget* dock, const QWidget* frame) {
  return dock ? TitleKeys::of(dock)->paneOfFrame(frame) : nullptr;
}

/// A widget of the dock whose hidden children are left out, so that a hidden pane, a folded pane's
/// widget and the element templates are not there for a screen reader. Children are in reading
/// order, top to bottom. The children of `through`, a child that is no object of its own, count as
/// this widget's.
class ShownChildren : public QAccessibleWidget {
 public:
  explicit ShownChildren(QWidget* w, QAccessible::Role role = QAccessible::Client, QWidget* through = nullptr)
      : QAccessibleWidget(w, role), mThrough(through) {}
  QRect rect() const override { return shownRect(widget()); }

  int childCount() const override { return static_cast<int>(shown().size()); }
  QAccessibleInterface* child(int index) const override {
    const QWidgetList list = shown();
    return index >= 0 && index < list.size() ? QAccessible::queryAccessibleInterface(list.at(index))
                                             : nullptr;
  }
  int indexOfChild(const QAccessibleInterface* c) const override {
    return c ? static_cast<int>(shown().indexOf(qobject_cast<QWidget*>(c->object()))) : -1;
  }
  QAccessibleInterface* childAt(int x, int y) const override {
    for (QWidget* w : shown())
      if (QAccessibleInterface* c = QAccessible::queryAccessibleInterface(w); c && c->rect().contains(x, y))
        return c;
    return nullptr;
  }

 protected:
  /// Whether a shown child widget is one of the children.
  virtual bool listed(const QWidget*) const { return true; }

 private:
  QWidgetList shown() const {
    QWidgetList list;
    auto add = [&](const QWidget* parent) {
      for (QObject* o : parent->children())
        if (auto* w = qobject_cast<QWidget*>(o);
            w && w != mThrough && !w->isWindow() && !w->isHidden() && listed(w))
          list.append(w);
    };
    add(widget());
    if (mThrough) add(mThrough);
    std::stable_sort(list.begin(), list.end(), [](const QWidget* a, const QWidget* b) {
      return std::pair(a->y(), a->x()) < std::pair(b->y(), b->x());
    });
    return list;
  }

  QPointer<QWidget> mThrough;
};

/// The widget over the surface's own that holds the frames, or null.
QWidget* stackOf(const DockWidget* dock) {
  const DockRef& core = DockWidgetPrivate::get(dock)->dock;
  return core ? QtToolkit::innerWidgetOf(core->surface()) : nullptr;
}

/// The frame of a pane: a group named by the pane's title, as the region an accordion header labels.
/// Its splitter strip, drawn at its foot, is its last child.
class FrameAccessible : public ShownChildren {
 public:
  FrameAccessible(QWidget* frame, DockWidget* dock)
      : ShownChildren(frame, QAccessible::Grouping), mDock(dock) {}
  ~FrameAccessible() override {
    for (QAccessible::Id id : {mTitle, mSplitter})
      if (id) QAccessible::deleteAccessibleInterface(id);
  }
  FrameAccessible(const FrameAccessible&) = delete;
  FrameAccessible& operator=(const FrameAccessible&) = delete;

  QString text(QAccessible::Text t) const override {
    const Pane* p = mDock && t == QAccessible::Name ? paneOfFrame(mDock, widget()) : nullptr;
    return p ? p->title() : ShownChildren::text(t);
  }
  QAccessibleInterface* parent() const override {
    // The widget that holds the frames is no object of its own: the frames are the surface's.
    QWidget* up = widget()->parentWidget();
    if (up && mDock && up == stackOf(mDock)) up = up->parentWidget();
    return up ? QAccessible::queryAccessibleInterface(up) : ShownChildren::parent();
  }

  /// The title strip drawn at the frame's top, its first child; made on first use and kept with the
  /// frame's interface.
  QAccessibleInterface* title() const {
    return kept(mTitle, [this] { return newTitleInterface(widget(), mDock); });
  }

  // The drawn title strip, the shown widgets in reading order, and the drawn splitter strip.
  int childCount() const override { return 1 + ShownChildren::childCount() + (splitterShown() ? 1 : 0); }
  QAccessibleInterface* child(int index) const override {
    if (index == 0) return title();
    if (index == 1 + ShownChildren::childCount()) return splitterShown() ? splitter() : nullptr;
    return ShownChildren::child(index - 1);
  }
  int indexOfChild(const QAccessibleInterface* c) const override {
    if (!c) return -1;
    if (c == title()) return 0;
    if (mSplitter && c == QAccessible::accessibleInterface(mSplitter))
      return splitterShown() ? 1 + ShownChildren::childCount() : -1;
    const int i = ShownChildren::indexOfChild(c);
    return i < 0 ? -1 : i + 1;
  }
  QAccessibleInterface* childAt(int x, int y) const override {
    if (title()->rect().contains(x, y)) return title();
    if (QAccessibleInterface* c = ShownChildren::childAt(x, y)) return c;
    return splitterShown() && splitter()->rect().contains(x, y) ? splitter() : nullptr;
  }
  // The frame takes the focus for its title strip.
  QAccessibleInterface* focusChild() const override { return widget()->hasFocus() ? title() : nullptr; }

 protected:
  // A splitter strip with a window of its own is the same child.
  bool listed(const QWidget* w) const override {
    const Pane* p = paneOfFrame(mDock, widget());
    const Panel* split = p ? TitleKeys::of(mDock)->setOf(p).splitter : nullptr;
    return !split || QtToolkit::widgetOf(*split) != w;
  }

 private:
  bool splitterShown() const { return shownSplitter(mDock, paneOfFrame(mDock, widget())) != nullptr; }
  QAccessibleInterface* splitter() const {
    return kept(mSplitter, [this] { return newSplitterInterface(widget(), mDock); });
  }
  /// The interface registered as `id`, made by `make` on first use.
  template <class Make>
  static QAccessibleInterface* kept(QAccessible::Id& id, Make make) {
    if (!id) id = QAccessible::registerAccessibleInterface(make());
    return QAccessible::accessibleInterface(id);
  }

  QPointer<DockWidget> mDock;
  mutable QAccessible::Id mTitle = 0, mSplitter = 0;
};

QAccessibleInterface* dockInterfaces(const QString&, QObject* object) {
  auto* w = qobject_cast<QWidget*>(object);
  if (!w) return nullptr;
  if (qobject_cast<DockWidget*>(w)) return new ShownChildren(w);
  // The dock's own widgets lie at most three levels below it: surface, the widget over it that holds
  // the frames, frame.
  constexpr int kDeepestLevel = 3;
  DockWidget* dock = nullptr;
  QWidget* above = w->parentWidget();
  for (int level = 0; above && !dock && level < kDeepestLevel; ++level, above = above->parentWidget())
    dock = qobject_cast<DockWidget*>(above);
  TitleKeys* keys = dock && DockWidgetPrivate::get(dock)->dock ? TitleKeys::of(dock) : nullptr;
  if (!keys) return nullptr;
  if (w == dock->surfaceWidget()) return new ShownChildren(w, QAccessible::Client, stackOf(dock));
  if (paneOfFrame(dock, w)) return new FrameAccessible(w, dock);
  return nullptr;
}

}  // namespace

QAccessibleInterface* titleInterface(QWidget* frame) {
  auto* f = dynamic_cast<FrameAccessible*>(QAccessible::queryAccessibleInterface(frame));
  return f ? f->title() : nullptr;
}

void installAccessibility() {
  static const bool installed = [] {
    QAccessible::installFactory(dockInterfaces);
    return true;
  }();
  (void)installed;
}

void announceChanges(DockWidget* dock, Pane* pane) {
  QObject::connect(pane, &Pane::stateChanged, dock, [dock, pane](PaneState state) {
    if (!QAccessible::isActive()) return;
    // A pane shown or hidden changes the surface's children, a pane folded its frame's (its widget
    // and its drawn splitter strip).
    for (QWidget* w : {dock->surfaceWidget(), frameOf(dock, pane)}) {
      if (!w) continue;
      QAccessibleEvent reorder(w, QAccessible::ObjectReorder);
      QAccessible::updateAccessibility(&reorder);
    }
    QWidget* frame = TitleKeys::of(dock)->titleOf(pane);
    QAccessibleInterface* title = frame ? titleInterface(frame) : nullptr;
    if (!title || state == PaneState::Hidden) return;
    QAccessible::State folding;
    folding.expanded = true;
    folding.collapsed = true;
    QAccessibleStateChangeEvent changed(title, folding);
    QAccessible::updateAccessibility(&changed);
    // The fold button now does the other thing, and says so.
    QAccessibleEvent renamed(foldButtonOf(title), QAccessible::NameChanged);
    QAccessible::updateAccessibility(&renamed);
  });
}

void announceTitle(DockWidget* dock, Pane* pane, bool name) {
  if (!QAccessible::isActive()) return;
  // The title names the strip and the pane's frame; the right-hand title describes the strip.
  QWidget* frame = frameOf(dock, pane);
  if (!frame) return;
  const QAccessible::Event what = name ? QAccessible::NameChanged : QAccessible::DescriptionChanged;
  QAccessibleEvent strip(titleInterface(frame), what);
  QAccessible::updateAccessibility(&strip);
  if (!name) return;
  QAccessibleEvent group(frame, what);
  QAccessible::updateAccessibility(&group);
}

void announceFocus(DockWidget* dock, Pane* pane) {
  QWidget* frame = frameOf(dock, pane);
  if (!QAccessible::isActive() || !frame) return;
  QAccessibleEvent focus(titleInterface(frame), QAccessible::Focus);
  QAccessible::updateAccessibility(&focus);
}

}  // namespace tov::qt::detail

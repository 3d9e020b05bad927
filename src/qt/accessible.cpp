// Accessible interfaces of the dock's widgets. The buttons on a title strip and the splitter strip
// at a frame's foot are drawn, not widgets: the strip's and the frame's interfaces make them
// children of their own, placed where they are drawn, and act on them through the dock's routines.
#include "accessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeySequence>
#include <QPointer>
#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include "dock_widget_p.h"
#include "keyboard.h"
#include "last_pane.h"
#include "pane_p.h"
#include "texts.h"
#include "tovdock/qt/dock_widget.h"
#include "tovdock/qt/qt_toolkit.h"

namespace tov::qt::detail {

namespace {

enum class ButtonKind { Fold, Close, Options };
constexpr std::array kButtonKinds{ButtonKind::Fold, ButtonKind::Close, ButtonKind::Options};

/// The pane's drawn button of a kind while it is shown; the fold button is the one of the pane's state.
const Image* shownButton(const DockWidget* dock, const Pane* pane, ButtonKind kind) {
  if (!dock || !pane || pane->state() == PaneState::Hidden) return nullptr;
  const BarElementsView e = TitleKeys::of(dock)->setOf(pane);
  const Image* button = nullptr;
  switch (kind) {
    case ButtonKind::Fold:
      button = pane->state() == PaneState::Collapsed ? e.expand : e.collapse;
      break;
    case ButtonKind::Close:
      button = e.close;
      break;
    case ButtonKind::Options:
      button = e.options;
      break;
  }
  return button && button->Visible() ? button : nullptr;
}

/// What of a widget is on view, on the screen: its rectangle cut by every widget it lies in (a
/// strip is wider than its pane, and a scrolled pane lies partly outside the dock).
QRect shownRect(const QWidget* w) {
  QRect r(w->mapToGlobal(QPoint(0, 0)), w->size());
  for (const QWidget* p = w->isWindow() ? nullptr : w->parentWidget(); p;
       p = p->isWindow() ? nullptr : p->parentWidget())
    r &= QRect(p->mapToGlobal(QPoint(0, 0)), p->size());
  return r;
}

QWidget* frameOf(const DockWidget* dock, const Pane* pane) {
  return dock ? TitleKeys::of(dock)->frameOf(pane) : nullptr;
}

Pane* paneOfFrame(const DockWidget* dock, const QWidget* frame) {
  return dock ? TitleKeys::of(dock)->paneOfFrame(frame) : nullptr;
}

/// The interface of the title strip drawn on a pane's frame.
QAccessibleInterface* titleInterface(QWidget* frame);

/// A drawn button of a title strip.
class ButtonAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
 public:
  ButtonAccessible(QWidget* title, DockWidget* dock, ButtonKind kind)
      : mTitle(title), mDock(dock), mKind(kind) {}

  bool isValid() const override { return button() != nullptr; }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override {
    QAccessibleInterface* p = parent();
    return p ? p->window() : nullptr;
  }
  QAccessibleInterface* parent() const override { return mTitle ? titleInterface(mTitle.data()) : nullptr; }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }

  QString text(QAccessible::Text t) const override {
    const Pane* p = pane();
    if (t != QAccessible::Name || !p) return {};
    // Named with its pane: a screen reader lists the buttons of every pane together.
    const PanePart part = mKind == ButtonKind::Close           ? PanePart::Close
                          : mKind == ButtonKind::Options       ? PanePart::Options
                          : p->state() == PaneState::Collapsed ? PanePart::Expand
                                                               : PanePart::Collapse;
    return nameOf(part, p->title());
  }
  void setText(QAccessible::Text, const QString&) override {}
  QRect rect() const override {
    const Image* b = button();
    if (!b) return {};
    return QtToolkit::pixelRect(*b).translated(mTitle->mapToGlobal(QPoint(0, 0))) & shownRect(mTitle);
  }
  QAccessible::Role role() const override { return QAccessible::Button; }
  QAccessible::State state() const override {
    QAccessible::State s;
    s.invisible = !button();
    s.disabled = mKind == ButtonKind::Close && isLastShown(mDock, pane());
    return s;
  }
  void* interface_cast(QAccessible::InterfaceType t) override {
    return t == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
  }

  QStringList actionNames() const override { return {pressAction()}; }
  void doAction(const QString& name) override {
    Pane* p = pane();
    if (name != pressAction() || !p || !button()) return;
    const TitleCommand c = mKind == ButtonKind::Fold    ? TitleCommand::Toggle
                           : mKind == ButtonKind::Close ? TitleCommand::Close
                                                        : TitleCommand::Options;
    // The press may run the application's handlers, which may delete this interface: nothing after it.
    TitleKeys::of(mDock)->run(p, c);
  }
  QStringList keyBindingsForAction(const QString&) const override { return {}; }

 private:
  Pane* pane() const { return mDock && mTitle ? TitleKeys::of(mDock)->paneOf(mTitle.data()) : nullptr; }
  const Image* button() const { return shownButton(mDock, pane(), mKind); }

  QPointer<QWidget> mTitle;
  QPointer<DockWidget> mDock;
  ButtonKind mKind;
};

/// A pane's title strip, drawn on its frame (`mTitle`, the widget that takes the strip's focus).
class TitleAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
 public:
  // A button, as the header of an accordion is: pressing it folds the pane, screen readers say
  // "expanded" or "collapsed" with its name, and the strip's own buttons are its children.
  TitleAccessible(QWidget* title, DockWidget* dock) : mTitle(title), mDock(dock) {}
  ~TitleAccessible() override {
    for (QAccessible::Id id : mButtons)
      if (id) QAccessible::deleteAccessibleInterface(id);
  }
  TitleAccessible(const TitleAccessible&) = delete;
  TitleAccessible& operator=(const TitleAccessible&) = delete;

  /// The interface of the strip's button of a kind, made on first use and kept with the strip's.
  QAccessibleInterface* button(ButtonKind kind) const {
    QAccessible::Id& id = mButtons.at(static_cast<std::size_t>(kind));
    if (!id) id = QAccessible::registerAccessibleInterface(new ButtonAccessible(mTitle, mDock, kind));
    return QAccessible::accessibleInterface(id);
  }

  bool isValid() const override { return pane() != nullptr; }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override {
    QAccessibleInterface* p = parent();
    return p ? p->window() : nullptr;
  }
  QAccessibleInterface* parent() const override {
    return mTitle ? QAccessible::queryAccessibleInterface(mTitle.data()) : nullptr;
  }
  QString text(QAccessible::Text t) const override {
    const Pane* p = pane();
    if (p && t == QAccessible::Name) return p->title();
    if (p && t == QAccessible::Description) return p->rightTitle();
    return {};
  }
  void setText(QAccessible::Text, const QString&) override {}
  QRect rect() const override {
    const Pane* p = pane();
    if (!p) return {};
    return TitleKeys::of(mDock)->titleRect(p).translated(mTitle->mapToGlobal(QPoint(0, 0))) &
           shownRect(mTitle);
  }
  QAccessible::Role role() const override { return QAccessible::Button; }
  QAccessible::State state() const override {
    QAccessible::State s;
    const Pane* p = pane();
    s.invisible = !p || p->state() == PaneState::Hidden;
    s.focusable = true;
    s.focused = mTitle && mTitle->hasFocus();
    if (p && PanePrivate::bar(p)->CanExpand()) {
      s.expandable = true;
      s.expanded = p->state() == PaneState::Expanded;
      s.collapsed = p->state() == PaneState::Collapsed;
    }
    return s;
  }
  void* interface_cast(QAccessible::InterfaceType t) override {
    return t == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
  }

  int childCount() const override { return static_cast<int>(shown().size()); }
  QAccessibleInterface* child(int index) const override {
    const std::vector<ButtonKind> kinds = shown();
    return index >= 0 && index < static_cast<int>(kinds.size())
               ? button(kinds[static_cast<std::size_t>(index)])
               : nullptr;
  }
  int indexOfChild(const QAccessibleInterface* c) const override {
    const std::vector<ButtonKind> kinds = shown();
    for (std::size_t i = 0; i < kinds.size(); ++i)
      if (button(kinds[i]) == c) return static_cast<int>(i);
    return -1;
  }
  QAccessibleInterface* childAt(int x, int y) const override {
    for (ButtonKind k : shown())
      if (QAccessibleInterface* b = button(k); b->rect().contains(x, y)) return b;
    return nullptr;
  }

  QStringList actionNames() const override {
    QStringList names{setFocusAction()};
    if (const Pane* p = pane()) {
      names << showMenuAction();
      if (PanePrivate::bar(p)->CanExpand()) names.prepend(pressAction());
    }
    return names;
  }
  void doAction(const QString& name) override {
    Pane* p = pane();
    if (p && name == pressAction()) {
      TitleKeys::of(mDock)->run(p, TitleCommand::Toggle);
    } else if (p && name == showMenuAction()) {
      TitleKeys::of(mDock)->run(p, TitleCommand::Menu);
    } else if (mTitle && name == setFocusAction()) {
      mTitle->setFocus(Qt::OtherFocusReason);
    }
  }
  QStringList keyBindingsForAction(const QString& name) const override {
    if (name == pressAction()) return {QKeySequence(Qt::Key_Space).toString(QKeySequence::NativeText)};
    if (name == showMenuAction())
      return {QKeySequence(Qt::SHIFT | Qt::Key_F10).toString(QKeySequence::NativeText)};
    return {};
  }

 private:
  Pane* pane() const { return mDock && mTitle ? TitleKeys::of(mDock)->paneOf(mTitle.data()) : nullptr; }
  /// The buttons the strip shows, left to right.
  std::vector<ButtonKind> shown() const {
    std::vector<std::pair<double, ButtonKind>> at;
    const Pane* p = pane();
    for (ButtonKind k : kButtonKinds)
      if (const Image* b = shownButton(mDock, p, k)) at.emplace_back(b->Left(), k);
    std::sort(at.begin(), at.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<ButtonKind> kinds;
    for (const auto& [left, k] : at)
      kinds.push_back(k);
    return kinds;
  }

  QPointer<QWidget> mTitle;
  QPointer<DockWidget> mDock;
  mutable std::array<QAccessible::Id, kButtonKinds.size()> mButtons{};
};

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

/// The splitter strip under a pane, drawn on its frame: named after the pane, its value the pane's
/// height in logical pixels, which it sets as a drag of the strip does.
class SplitterAccessible : public QAccessibleInterface, public QAccessibleValueInterface {
 public:
  SplitterAccessible(QWidget* frame, DockWidget* dock) : mFrame(frame), mDock(dock) {}

  /// The pane's splitter while it is shown.
  static const Panel* shownSplitter(const DockWidget* dock, const Pane* pane) {
    if (!dock || !pane || pane->state() == PaneState::Hidden) return nullptr;
    const Panel* split = TitleKeys::of(dock)->setOf(pane).splitter;
    return split && split->Visible() ? split : nullptr;
  }

  bool isValid() const override { return mFrame && pane(); }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override {
    QAccessibleInterface* p = parent();
    return p ? p->window() : nullptr;
  }
  QAccessibleInterface* parent() const override {
    return mFrame ? QAccessible::queryAccessibleInterface(mFrame.data()) : nullptr;
  }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }

  QString text(QAccessible::Text t) const override {
    const Pane* p = pane();
    return p && t == QAccessible::Name ? nameOf(PanePart::Splitter, p->title()) : QString();
  }
  void setText(QAccessible::Text, const QString&) override {}
  QRect rect() const override {
    const Panel* split = shownSplitter(mDock, pane());
    if (!split) return {};
    return QtToolkit::pixelRect(*split).translated(mFrame->mapToGlobal(QPoint(0, 0))) & shownRect(mFrame);
  }
  QAccessible::Role role() const override { return QAccessible::Separator; }
  QAccessible::State state() const override {
    QAccessible::State s;
    s.invisible = !shownSplitter(mDock, pane());
    return s;
  }
  void* interface_cast(QAccessible::InterfaceType t) override {
    return t == QAccessible::ValueInterface ? static_cast<QAccessibleValueInterface*>(this) : nullptr;
  }

  QVariant currentValue() const override {
    const Pane* p = pane();
    return p ? QVariant(DockWidgetPrivate::get(mDock)->toPixels(PanePrivate::bar(p)->Height())) : QVariant();
  }
  void setCurrentValue(const QVariant& value) override {
    const Pane* p = pane();
    if (!p) return;
    DockWidgetPrivate& d = *DockWidgetPrivate::get(mDock);
    const BarRef bar = PanePrivate::bar(p);
    const DockRef hold = d.dock;
    hold->dragSplitter(bar->Index(), d.toTwips(value.toInt()) - bar->Height());
  }
  QVariant maximumValue() const override { return mDock ? QVariant(mDock->height()) : QVariant(); }
  QVariant minimumValue() const override { return 0; }
  QVariant minimumStepSize() const override { return kResizeStep; }

 private:
  Pane* pane() const { return mFrame ? paneOfFrame(mDock, mFrame.data()) : nullptr; }

  QPointer<QWidget> mFrame;
  QPointer<DockWidget> mDock;
};

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
    return kept(mTitle, [this] { return new TitleAccessible(widget(), mDock); });
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
  bool splitterShown() const {
    return SplitterAccessible::shownSplitter(mDock, paneOfFrame(mDock, widget())) != nullptr;
  }
  QAccessibleInterface* splitter() const {
    return kept(mSplitter, [this] { return new SplitterAccessible(widget(), mDock); });
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

QAccessibleInterface* titleInterface(QWidget* frame) {
  auto* f = dynamic_cast<FrameAccessible*>(QAccessible::queryAccessibleInterface(frame));
  return f ? f->title() : nullptr;
}

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
    auto* title = frame ? static_cast<TitleAccessible*>(titleInterface(frame)) : nullptr;
    if (!title || state == PaneState::Hidden) return;
    QAccessible::State folding;
    folding.expanded = true;
    folding.collapsed = true;
    QAccessibleStateChangeEvent changed(title, folding);
    QAccessible::updateAccessibility(&changed);
    // The fold button now does the other thing, and says so.
    QAccessibleEvent renamed(title->button(ButtonKind::Fold), QAccessible::NameChanged);
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

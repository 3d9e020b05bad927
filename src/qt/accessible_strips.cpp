// The title strip, its buttons and the splitter strip drawn on a pane's frame, as assistive technology
// sees them: interfaces of no widget, children of the frame's (accessible.cpp), placed where the
// parts are drawn and acting through the routines the strip's keys and a drag of the strip run.
#include "accessible_strips.h"

#include <QAccessible>
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

/// A part drawn on a frame: no object of its own, in its parent's window, its texts not set from
/// outside, and without children unless it says otherwise.
class DrawnPart : public QAccessibleInterface {
 public:
  QObject* object() const override { return nullptr; }
  QWindow* window() const override {
    QAccessibleInterface* p = parent();
    return p ? p->window() : nullptr;
  }
  void setText(QAccessible::Text, const QString&) override {}
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
};

/// A drawn button of a title strip.
class ButtonAccessible : public DrawnPart, public QAccessibleActionInterface {
 public:
  ButtonAccessible(QWidget* title, DockWidget* dock, ButtonKind kind)
      : mTitle(title), mDock(dock), mKind(kind) {}

  bool isValid() const override { return button() != nullptr; }
  QAccessibleInterface* parent() const override { return mTitle ? titleInterface(mTitle.data()) : nullptr; }

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
class TitleAccessible : public DrawnPart, public QAccessibleActionInterface {
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
  QAccessibleInterface* parent() const override {
    return mTitle ? QAccessible::queryAccessibleInterface(mTitle.data()) : nullptr;
  }
  QString text(QAccessible::Text t) const override {
    const Pane* p = pane();
    if (p && t == QAccessible::Name) return p->title();
    if (p && t == QAccessible::Description) return p->rightTitle();
    return {};
  }
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

/// The splitter strip under a pane, drawn on its frame: named after the pane, its value the pane's
/// height in logical pixels, which it sets as a drag of the strip does.
class SplitterAccessible : public DrawnPart, public QAccessibleValueInterface {
 public:
  SplitterAccessible(QWidget* frame, DockWidget* dock) : mFrame(frame), mDock(dock) {}

  bool isValid() const override { return mFrame && pane(); }
  QAccessibleInterface* parent() const override {
    return mFrame ? QAccessible::queryAccessibleInterface(mFrame.data()) : nullptr;
  }

  QString text(QAccessible::Text t) const override {
    const Pane* p = pane();
    return p && t == QAccessible::Name ? nameOf(PanePart::Splitter, p->title()) : QString();
  }
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
  Pane* pane() const { return mDock && mFrame ? TitleKeys::of(mDock)->paneOfFrame(mFrame.data()) : nullptr; }

  QPointer<QWidget> mFrame;
  QPointer<DockWidget> mDock;
};

}  // namespace

QRect shownRect(const QWidget* w) {
  QRect r(w->mapToGlobal(QPoint(0, 0)), w->size());
  for (const QWidget* p = w->isWindow() ? nullptr : w->parentWidget(); p;
       p = p->isWindow() ? nullptr : p->parentWidget())
    r &= QRect(p->mapToGlobal(QPoint(0, 0)), p->size());
  return r;
}

const Panel* shownSplitter(const DockWidget* dock, const Pane* pane) {
  if (!dock || !pane || pane->state() == PaneState::Hidden) return nullptr;
  const Panel* split = TitleKeys::of(dock)->setOf(pane).splitter;
  return split && split->Visible() ? split : nullptr;
}

QAccessibleInterface* newTitleInterface(QWidget* frame, DockWidget* dock) {
  return new TitleAccessible(frame, dock);
}

QAccessibleInterface* newSplitterInterface(QWidget* frame, DockWidget* dock) {
  return new SplitterAccessible(frame, dock);
}

QAccessibleInterface* foldButtonOf(QAccessibleInterface* title) {
  auto* t = dynamic_cast<TitleAccessible*>(title);
  return t ? t->button(ButtonKind::Fold) : nullptr;
}

}  // namespace tov::qt::detail

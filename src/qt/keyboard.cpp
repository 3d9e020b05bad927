// Keyboard use of the panes: each title strip takes the focus, shows it with a frame and answers
// keys through the dock's own routines.
#include "keyboard.h"

#include <QKeyEvent>
#include <QMetaObject>
#include <QPainter>
#include <QPointer>
#include <algorithm>
#include <cstddef>
#include <utility>

#include "accessible.h"
#include "dock_widget_p.h"
#include "last_pane.h"
#include "pane_p.h"
#include "title_click.h"
#include "tovdock/qt/dock_widget.h"
#include "tovdock/qt/qt_toolkit.h"

namespace tov::qt::detail {

namespace {

TitleCommand commandOf(int key, Qt::KeyboardModifiers mods) {
  mods &= ~Qt::KeypadModifier;
  switch (key) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return mods == Qt::NoModifier ? TitleCommand::Toggle : TitleCommand::None;
    case Qt::Key_Delete:
      return mods == Qt::NoModifier ? TitleCommand::Close : TitleCommand::None;
    case Qt::Key_Up:
      return mods == Qt::AltModifier                         ? TitleCommand::Up
             : mods == (Qt::AltModifier | Qt::ShiftModifier) ? TitleCommand::Shrink
                                                             : TitleCommand::None;
    case Qt::Key_Down:
      return mods == Qt::AltModifier                         ? TitleCommand::Down
             : mods == (Qt::AltModifier | Qt::ShiftModifier) ? TitleCommand::Grow
                                                             : TitleCommand::None;
    case Qt::Key_Menu:
      return mods == Qt::NoModifier ? TitleCommand::Menu : TitleCommand::None;
    case Qt::Key_F10:
      return mods == Qt::ShiftModifier ? TitleCommand::Menu : TitleCommand::None;
    default:
      return TitleCommand::None;
  }
}

}  // namespace

TitleKeys::TitleKeys(DockWidget* dock) : QObject(dock), mDock(dock) {}

TitleKeys* TitleKeys::of(const DockWidget* dock) {
  return DockWidgetPrivate::get(dock)->keys;
}

BarElementsView TitleKeys::setOf(const Pane* pane) const {
  if (!pane || !DockWidgetPrivate::get(mDock)->dock) return {};
  return DockWidgetPrivate::get(mDock)->dock->elementsOf(PanePrivate::bar(pane)->Index());
}

Pane* TitleKeys::keysFor(const QObject* widget) const {
  const auto* w = qobject_cast<const QWidget*>(widget);
  const QWidget* focus = w ? w->window()->focusWidget() : nullptr;
  if (!w || (focus && focus != w && w->isAncestorOf(focus))) return nullptr;
  return paneOf(w);
}

QRect TitleKeys::titleRect(const Pane* pane) const {
  const BarElementsView e = setOf(pane);
  return e.title ? QtToolkit::pixelRect(*e.title) : QRect();
}

QWidget* TitleKeys::frameOf(const Pane* pane) const {
  const BarElementsView e = setOf(pane);
  return e.frame ? QtToolkit::widgetOf(*e.frame) : nullptr;
}

Pane* TitleKeys::paneOfFrame(const QObject* frame) const {
  if (!frame || !DockWidgetPrivate::get(mDock)->dock) return nullptr;
  const QList<Pane*>& panes = DockWidgetPrivate::get(mDock)->panes;
  auto enter = [&](qsizetype from) {
    for (qsizetype i = from; i < panes.size(); ++i)
      if (const QObject* w = frameOf(panes[i])) mOwners.insert(w, panes[i]);
    mEntered = panes.size();
  };
  for (int attempt = 0; attempt < 2; ++attempt) {
    const auto it = mOwners.constFind(frame);
    if (it == mOwners.cend()) {
      if (mEntered == panes.size()) return nullptr;
      enter(mEntered);
      continue;
    }
    if (const QPointer<Pane>& pane = *it; pane && frameOf(pane) == frame) return pane.data();
    // A widget of a pane that went, at an address another one has now.
    mOwners.clear();
    enter(0);
  }
  return nullptr;
}

void TitleKeys::attach(Pane* pane) {
  QWidget* title = titleOf(pane);
  if (!title) return;
  // The keyboard's Tab brings the focus; a click on the strip does too (TitleClicks), but not one
  // on the rest of the frame.
  title->setFocusPolicy(Qt::TabFocus);
  title->removeEventFilter(this);
  title->installEventFilter(this);
  TitleClicks::of(mDock)->attach(title);
}

void TitleKeys::order() {
  QWidget* last = nullptr;
  for (Pane* p : mDock->panes()) {
    QWidget* title = titleOf(p);
    if (!title) continue;
    if (last) QWidget::setTabOrder(last, title);
    last = title;
    if (QWidget* w = p->widget()) {
      QWidget::setTabOrder(title, w);
      last = w;
    }
  }
}

void TitleKeys::orderLater() {
  if (std::exchange(mOrderPosted, true)) return;
  QMetaObject::invokeMethod(
      this,
      [this] {
        mOrderPosted = false;
        order();
      },
      Qt::QueuedConnection);
}

bool TitleKeys::eventFilter(QObject* watched, QEvent* e) {
  auto* title = qobject_cast<QWidget*>(watched);
  if (!title) return false;
  switch (e->type()) {
    case QEvent::Paint:
      if (!title->hasFocus()) return false;
      // The strip paints itself first; the frame goes over it.
      static_cast<QObject*>(title)->event(e);
      {
        QPainter p(title);
        p.setPen(QPen(title->palette().color(QPalette::Highlight), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(titleRect(paneOf(title)).adjusted(0, 0, -1, -1));
      }
      return true;
    case QEvent::FocusIn:
      // The order may have changed by a drop since the strips were last put in Tab order.
      order();
      title->update(titleRect(paneOf(title)));
      announceFocus(mDock, paneOf(title));
      return false;
    case QEvent::FocusOut:
      title->update(titleRect(paneOf(title)));
      return false;
    case QEvent::ShortcutOverride: {
      // The strip's keys go to the strip before any shortcut of the window.
      auto* k = static_cast<QKeyEvent*>(e);
      if (commandOf(k->key(), k->modifiers()) != TitleCommand::None && keysFor(title)) {
        k->accept();
        return true;
      }
      return false;
    }
    case QEvent::KeyPress: {
      auto* k = static_cast<QKeyEvent*>(e);
      Pane* pane = keysFor(title);
      if (!pane) return false;
      // The strip's own event runs the dock: a strip that goes meanwhile is deleted later.
      const QtToolkit::EventScope scope(*DockWidgetPrivate::get(mDock)->toolkit);
      return run(pane, commandOf(k->key(), k->modifiers()));
    }
    default:
      return false;
  }
}

bool TitleKeys::run(Pane* pane, TitleCommand c) {
  // The places a move counts are those of the panes alone.
  if (!DockWidgetPrivate::get(mDock)->settle()) return false;
  QWidget* title = titleOf(pane);
  if (c == TitleCommand::None || !title) return false;
  // The dock's actions run the application's handlers, which may delete the widget and so drop the
  // dock: the dock is held, and nothing of the widget is touched once it is gone.
  QPointer<DockWidget> dock = mDock;
  const DockRef hold = DockWidgetPrivate::get(mDock)->dock;
  const BarRef bar = PanePrivate::bar(pane);
  const std::int32_t i = bar->Index();
  switch (c) {
    case TitleCommand::Toggle:
      if (bar->State() == eBarExpanded) {
        hold->collapseBar(i);
      } else {
        hold->expandBar(i);
      }
      break;
    case TitleCommand::Close:
      // The last pane shown stays, without the core's message.
      if (!isLastShown(mDock, pane)) hold->closeBar(i);
      break;
    case TitleCommand::Shrink:
    case TitleCommand::Grow: {
      // As a drag of the splitter by a step: its limits apply, and it is saved as a drag is.
      const double step = DockWidgetPrivate::get(mDock)->toTwips(kResizeStep);
      hold->dragSplitter(i, c == TitleCommand::Grow ? step : -step);
      break;
    }
    case TitleCommand::Options:
      hold->requestOptions(i);
      break;
    case TitleCommand::Up:
    case TitleCommand::Down: {
      QPointer<QWidget> focus = title;
      move(pane, c == TitleCommand::Up ? -1 : 1);
      if (focus) focus->setFocus(Qt::OtherFocusReason);
      break;
    }
    case TitleCommand::Menu:
      // The menu opens at the strip, not wherever the mouse happens to be.
      DockWidgetPrivate::get(mDock)->menuAt = title->mapToGlobal(titleRect(pane).bottomLeft() + QPoint(0, 1));
      hold->requestContextMenu(i);
      if (dock) DockWidgetPrivate::get(dock)->menuAt.reset();
      break;
    case TitleCommand::None:
      break;
  }
  return true;
}

void TitleKeys::move(Pane* pane, int step) {
  const QPointer<DockWidget> dock = mDock;
  const BarRef bar = PanePrivate::bar(pane);
  if (!bar->CanMove()) return;
  // As a drop on the neighbour shown above or below: the pane joins its group and takes its place.
  const QList<Pane*> ordered = mDock->panes();
  QList<Pane*> shown;
  for (Pane* p : ordered)
    if (p->state() != PaneState::Hidden) shown.append(p);
  const qsizetype at = shown.indexOf(pane);
  const qsizetype to = at + step;
  if (at < 0 || to < 0 || to >= shown.size()) return;
  const BarRef target = PanePrivate::bar(shown[to]);
  if (!target->CanMove()) return;
  const auto position = static_cast<std::int32_t>(ordered.indexOf(shown[to])) + 1;
  const DockRef hold = DockWidgetPrivate::get(mDock)->dock;
  hold->moveBar(bar->Index(), position, target->AlignBar());
  if (dock) order();
}

}  // namespace tov::qt::detail

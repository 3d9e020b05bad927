// Keyboard use of the panes: each title strip takes the focus, shows it with a frame and answers
// keys through the dock's own routines.
#include "qt/keyboard.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <algorithm>
#include <cstddef>

#include "dock/dock_private.h"
#include "model/internals.h"
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
      return mods == Qt::AltModifier ? TitleCommand::Up : TitleCommand::None;
    case Qt::Key_Down:
      return mods == Qt::AltModifier ? TitleCommand::Down : TitleCommand::None;
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
  return dock->mKeys;
}

const BarElements* TitleKeys::setOf(const Pane* pane) const {
  if (!pane || !mDock->dock()) return nullptr;
  return TovDockPrivate::of(*mDock->dock()).set(pane->bar()->Index());
}

QWidget* TitleKeys::titleOf(const Pane* pane) const {
  const BarElements* e = setOf(pane);
  return e && e->picTitel ? QtToolkit::widgetOf(*e->picTitel) : nullptr;
}

QWidget* TitleKeys::frameOf(const Pane* pane) const {
  const BarElements* e = setOf(pane);
  return e && e->picDockBar ? QtToolkit::widgetOf(*e->picDockBar) : nullptr;
}

Pane* TitleKeys::ownerOf(const QObject* widget, Part part) const {
  if (!widget || !mDock->dock()) return nullptr;
  auto partOf = [this](const Pane* p, Part k) -> QObject* {
    return k == Part::Title ? titleOf(p) : frameOf(p);
  };
  auto enter = [&](qsizetype from) {
    for (qsizetype i = from; i < mDock->mPanes.size(); ++i) {
      Pane* p = mDock->mPanes[i];
      for (Part k : {Part::Title, Part::Frame})
        if (const QObject* w = partOf(p, k)) mOwners.insert(w, {p, k});
    }
    mEntered = mDock->mPanes.size();
  };
  for (int attempt = 0; attempt < 2; ++attempt) {
    const auto it = mOwners.constFind(widget);
    if (it == mOwners.cend()) {
      if (mEntered == mDock->mPanes.size()) return nullptr;
      enter(mEntered);
      continue;
    }
    const auto& [pane, kind] = *it;
    if (pane && partOf(pane, kind) == widget) return kind == part ? pane.data() : nullptr;
    // A widget of a pane that went, at an address another one has now.
    mOwners.clear();
    enter(0);
  }
  return nullptr;
}

void TitleKeys::attach(Pane* pane) {
  QWidget* title = titleOf(pane);
  if (!title) return;
  title->setFocusPolicy(Qt::StrongFocus);
  title->removeEventFilter(this);
  title->installEventFilter(this);
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
        p.drawRect(title->rect().adjusted(0, 0, -1, -1));
      }
      return true;
    case QEvent::FocusIn:
      // The order may have changed by a drop since the strips were last put in Tab order.
      order();
      title->update();
      return false;
    case QEvent::FocusOut:
      title->update();
      return false;
    case QEvent::ShortcutOverride: {
      // The strip's keys go to the strip before any shortcut of the window.
      auto* k = static_cast<QKeyEvent*>(e);
      if (commandOf(k->key(), k->modifiers()) != TitleCommand::None && paneOf(title)) {
        k->accept();
        return true;
      }
      return false;
    }
    case QEvent::KeyPress: {
      auto* k = static_cast<QKeyEvent*>(e);
      Pane* pane = paneOf(title);
      return pane && run(pane, commandOf(k->key(), k->modifiers()));
    }
    default:
      return false;
  }
}

bool TitleKeys::run(Pane* pane, TitleCommand c) {
  QWidget* title = titleOf(pane);
  if (c == TitleCommand::None || !title) return false;
  QPointer<DockWidget> dock = mDock;
  // The core routines run the application's handlers, which may delete the widget and so drop the dock.
  const DockRef hold = mDock->dock();
  TovDockPrivate& d = TovDockPrivate::of(*hold);
  const BarRef bar = pane->bar();
  const auto i = static_cast<std::int16_t>(bar->Index());
  switch (c) {
    case TitleCommand::Toggle:
      if (!bar->CanExpand()) return true;
      if (bar->State() == eBarExpanded) {
        d.imgCollapse_Click(i);
      } else if (bar->State() == eBarCollapsed) {
        d.imgExpand_Click(i);
      }
      break;
    case TitleCommand::Close:
      if (bar->ShowClose()) d.pCloseBar(i);
      break;
    case TitleCommand::Options:
      if (bar->ShowOptions()) d.imgOpt_Click(i);
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
      mDock->mMenuAt = title->mapToGlobal(QPoint(0, title->height()));
      d.pTitleRightClick(i);
      if (dock) dock->mMenuAt.reset();
      break;
    case TitleCommand::None:
      break;
  }
  if (dock) dock->syncStates();
  return true;
}

void TitleKeys::move(Pane* pane, int step) {
  TovDockPrivate& d = TovDockPrivate::of(*mDock->dock());
  const BarRef bar = pane->bar();
  if (!bar->CanMove()) return;
  const std::vector<BarRef> shown = d.visibleBars();
  const auto at = std::find(shown.begin(), shown.end(), bar);
  if (at == shown.end()) return;
  const std::ptrdiff_t to = (at - shown.begin()) + step;
  if (to < 0 || to >= static_cast<std::ptrdiff_t>(shown.size())) return;
  const BarRef& target = shown[static_cast<std::size_t>(to)];
  if (!target->CanMove()) return;
  d.report("TovDock: move", [&] {
    // As a drop on the neighbour: the pane joins its group and takes its place.
    if (target->AlignBar() != bar->AlignBar()) bar->setAlignBar(target->AlignBar());
    const std::int32_t pos = BarsInternals::fOrderByIndex(d.bars(), target->Index());
    BarsInternals::fInsert(d.bars(), bar->Index(), pos);
    d.OrderBars(true);
  });
  order();
}

}  // namespace tov::qt::detail

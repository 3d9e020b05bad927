// Undo of the user's layout changes: each gesture on a dock that changes its layout (or the layout
// of its set) becomes one command holding the layout before and after it.
#include "undo.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QToolButton>
#include <QUndoStack>

#include "dock_widget_p.h"
#include "keyboard.h"
#include "pane_p.h"
#include "tovdock/qt/dock_set.h"

namespace tov::qt::detail {

namespace {

constexpr int kUndoLimit = 100;

/// A layout before and after one change. Pushed once the change is made: the first redo does nothing.
class LayoutCommand : public QUndoCommand {
 public:
  LayoutCommand(LayoutHistory* history, QByteArray before, QByteArray after)
      : mHistory(history), mBefore(std::move(before)), mAfter(std::move(after)) {}
  void undo() override {
    if (mHistory) mHistory->apply(mBefore);
  }
  void redo() override {
    if (std::exchange(mDone, true) && mHistory) mHistory->apply(mAfter);
  }

 private:
  QPointer<LayoutHistory> mHistory;
  QByteArray mBefore, mAfter;
  bool mDone = false;
};

bool isRedo(const QKeyEvent* k) {
  const auto mods = k->modifiers() & ~Qt::KeypadModifier;
  return k->matches(QKeySequence::Redo) ||
         (k->key() == Qt::Key_Z && mods == (Qt::ControlModifier | Qt::ShiftModifier));
}

bool isUndo(const QKeyEvent* k) {
  return !isRedo(k) && k->matches(QKeySequence::Undo);
}

/// Gives the focus back to the title of the pane `key` (in `dock`, or in a dock of `h`'s set) once
/// the change `h` undid or redid is laid out.
void focusLater(LayoutHistory* h, const QString& key, const QPointer<DockWidget>& dock) {
  // The pane's title keeps the focus wherever the change put the pane. A pane that went back to
  // another dock of a set has a new title there, on screen after that dock's next layout.
  QMetaObject::invokeMethod(
      h,
      [h, key, dock] {
        const auto* set = qobject_cast<const DockSet*>(h->parent());
        const QList<DockWidget*> docks = set ? set->docks() : QList<DockWidget*>{dock.data()};
        for (DockWidget* d : docks) {
          Pane* pane = d ? d->pane(key) : nullptr;
          if (QWidget* title = pane ? TitleKeys::of(d)->titleOf(pane) : nullptr) {
            title->setFocus(Qt::OtherFocusReason);
            return;
          }
        }
      },
      Qt::QueuedConnection);
}

}  // namespace

// ---- LayoutHistory ----

LayoutHistory::LayoutHistory(QObject* parent, Capture capture, Apply apply)
    : QObject(parent), mCapture(std::move(capture)), mApply(std::move(apply)), mStack(new QUndoStack(this)) {
  mStack->setUndoLimit(kUndoLimit);
}

void LayoutHistory::begin() {
  if (mDepth++ == 0) mBefore = mCapture();
}

void LayoutHistory::end() {
  if (mDepth == 0 || --mDepth > 0 || mApplying) return;
  QByteArray after = mCapture();
  if (after != mBefore) mStack->push(new LayoutCommand(this, std::exchange(mBefore, {}), std::move(after)));
}

void LayoutHistory::apply(const QByteArray& state) {
  // A change under way (a press not yet released) starts again from the layout put back.
  const bool pending = mDepth > 0;
  mApplying = true;
  mApply(state);
  mApplying = false;
  if (pending) mBefore = mCapture();
}

// ---- UndoWatch ----

UndoWatch::UndoWatch(DockWidget* dock) : QObject(dock), mDock(dock) {
  const QPointer<DockWidget> self = dock;
  mOwn = new LayoutHistory(
      this, [self] { return self ? self->saveState() : QByteArray(); },
      [self](const QByteArray& state) {
        if (!self || !self->restoreState(state)) return;
        saveLayout(self);
      });
  qApp->installEventFilter(this);
}

UndoWatch::~UndoWatch() {
  // Deleted by a slot run by an undo or redo: the stack finishes that call on its own and goes later.
  if (mOwn->applying()) {
    mOwn->setParent(nullptr);
    mOwn->deleteLater();
  }
}

UndoWatch* UndoWatch::of(const DockWidget* dock) {
  return DockWidgetPrivate::get(dock)->undo;
}

bool UndoWatch::isOwn(const QObject* w) const {
  const QWidget* surface = mDock->surfaceWidget();
  if (!surface || !w || !w->isWidgetType()) return false;
  const QList<Pane*>& panes = DockWidgetPrivate::get(mDock)->panes;
  for (const QObject* o = w; o; o = o->parent()) {
    if (o == surface) return true;
    if (std::any_of(panes.begin(), panes.end(), [o](const Pane* p) { return p->widget() == o; }))
      return false;
  }
  return false;
}

void UndoWatch::endLater(LayoutHistory* h) {
  QMetaObject::invokeMethod(
      this,
      [h = QPointer<LayoutHistory>(h)] {
        if (h) h->end();
      },
      Qt::QueuedConnection);
}

void UndoWatch::beginGesture() {
  LayoutHistory* h = history();
  h->begin();
  endLater(h);
}

bool UndoWatch::eventFilter(QObject* watched, QEvent* e) {
  switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
      // One change from the press to the release: a splitter drag or a title dragged to its place.
      if (!mPressed && isOwn(watched)) {
        mPressed = history();
        mPressed->begin();
      }
      return false;
    case QEvent::MouseButtonRelease:
      if (mPressed && static_cast<QMouseEvent*>(e)->buttons() == Qt::NoButton)
        endLater(std::exchange(mPressed, {}));
      // A menu item or tool button the user chose (a pane's toggle action, a reset) is theirs too.
      if (qobject_cast<QMenu*>(watched) || qobject_cast<QToolButton*>(watched)) beginGesture();
      return false;
    case QEvent::Shortcut:
      beginGesture();
      return false;
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress: {
      auto* k = static_cast<QKeyEvent*>(e);
      const bool title = TitleKeys::of(mDock)->keysFor(watched) != nullptr;
      if (!title) {
        if (e->type() == QEvent::KeyPress && qobject_cast<QMenu*>(watched)) beginGesture();
        return false;
      }
      const bool undo = isUndo(k), redo = isRedo(k);
      if (e->type() == QEvent::ShortcutOverride) {
        // The title's keys before any shortcut of the window.
        if (undo || redo) e->accept();
        return undo || redo;
      }
      if (undo || redo) {
        // A slot run by the change may delete the dock and this watch with it: nothing of it is
        // used afterwards.
        const QString key = TitleKeys::of(mDock)->paneOf(watched)->key();
        const QPointer<LayoutHistory> h = history();
        const QPointer<DockWidget> dock = mDock;
        undo ? h->stack()->undo() : h->stack()->redo();
        if (h) focusLater(h, key, dock);
        return true;
      }
      beginGesture();
      return false;
    }
    default:
      return false;
  }
}

void saveLayout(DockWidget* dock) {
  if (!dock || !dock->autoSave()) return;
  const DockRef core = DockWidgetPrivate::get(dock)->dock;
  const QList<Pane*> order = dock->panes();
  if (!core || !core->Show() || order.size() < 2) return;
  // The dock saves after each move of a bar: one moved a place and back, in one run, leaves the
  // layout as it is and saves it. Other routines that save lay the bars out anew.
  const auto it =
      std::find_if(order.begin(), order.end(), [](const Pane* p) { return p->state() != PaneState::Hidden; });
  if (it == order.end()) return;
  const BarRef bar = PanePrivate::bar(*it);
  const auto position = static_cast<std::int32_t>(it - order.begin()) + 1;
  const bool movable = bar->CanMove();
  TovDock::Batch batch(*core);
  bar->setCanMove(true);
  if (core->moveBar(bar->Index(), position == 1 ? 2 : position - 1, bar->AlignBar()))
    core->moveBar(bar->Index(), position, bar->AlignBar());
  bar->setCanMove(movable);
}

}  // namespace tov::qt::detail

namespace tov::qt {

QUndoStack* DockWidget::undoStack() const {
  return d->undo->history()->stack();
}

}  // namespace tov::qt

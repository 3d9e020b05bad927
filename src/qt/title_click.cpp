// Clicks on title strips: each folds or unfolds its pane through the dock's own actions, which save
// it as a click on the fold button does.
#include "title_click.h"

#include <QApplication>
#include <QMouseEvent>

#include "dock_widget_p.h"
#include "keyboard.h"
#include "pane_p.h"

namespace tov::qt::detail {

TitleClicks::TitleClicks(DockWidget* dock) : QObject(dock), mDock(dock) {}

TitleClicks* TitleClicks::of(const DockWidget* dock) {
  return DockWidgetPrivate::get(dock)->clicks;
}

void TitleClicks::attach(QWidget* title) {
  title->removeEventFilter(this);
  title->installEventFilter(this);
}

bool TitleClicks::onStrip(QWidget* title, QPoint at) const {
  const Pane* pane = TitleKeys::of(mDock)->paneOf(title);
  QWidget* surface = mDock->surfaceWidget();
  const DockRef& dock = DockWidgetPrivate::get(mDock)->dock;
  if (!pane || !surface || !dock) return false;
  const QPointF twips = QPointF(title->mapTo(surface, at)) / QtToolkit::pixelsPerTwip(dock->surface());
  const Element* hit = QtToolkit::elementAt(dock->surface(), twips.x(), twips.y());
  const BarElementsView e = TitleKeys::of(mDock)->setOf(pane);
  return hit && (hit == e.title || hit == e.caption || hit == e.captionRight || hit == e.icon);
}

bool TitleClicks::eventFilter(QObject* watched, QEvent* e) {
  auto* title = qobject_cast<QWidget*>(watched);
  if (!title) return false;
  switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
      const auto* m = static_cast<QMouseEvent*>(e);
      // A press on the strip or a button on it brings the focus to the strip, as Tab does.
      const TitleKeys* keys = TitleKeys::of(mDock);
      if (keys->titleRect(keys->paneOf(title)).contains(m->position().toPoint()))
        title->setFocus(Qt::MouseFocusReason);
      const bool left = m->button() == Qt::LeftButton && m->buttons() == Qt::LeftButton;
      mPressed = left && onStrip(title, m->position().toPoint()) ? title : nullptr;
      mPressAt = m->globalPosition().toPoint();
      mMoved = false;
      return false;
    }
    case QEvent::MouseMove: {
      const auto* m = static_cast<QMouseEvent*>(e);
      if (mPressed == title &&
          (m->globalPosition().toPoint() - mPressAt).manhattanLength() >= QApplication::startDragDistance())
        mMoved = true;
      return false;
    }
    case QEvent::MouseButtonRelease: {
      const auto* m = static_cast<QMouseEvent*>(e);
      const bool click =
          mPressed == title && !mMoved && m->button() == Qt::LeftButton &&
          (m->globalPosition().toPoint() - mPressAt).manhattanLength() < QApplication::startDragDistance() &&
          onStrip(title, m->position().toPoint());
      mPressed = nullptr;
      Pane* pane = click && mFolds ? TitleKeys::of(mDock)->paneOf(title) : nullptr;
      if (!pane || !PanePrivate::bar(pane)->CanExpand()) return false;
      // The release is the click's alone: the drag its press began ends without a drop, which in the
      // top strip would lay out and save.
      DockWidgetPrivate::get(mDock)->toolkit->cancelDrag();
      TitleKeys::of(mDock)->run(pane, TitleCommand::Toggle);
      return true;
    }
    default:
      return false;
  }
}

}  // namespace tov::qt::detail

// Panes that move between the docks of a set, undo of the user's layout changes and the glide of
// the panes: through real mouse and key input where the user has one.
#include <gtest/gtest.h>

#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QUndoStack>

#include "qt_dock_fixture.h"
#include "tovdock/qt/dock_set.h"

namespace tov::qt {
namespace {

/// The record an auto-saving dock keeps in QSettings for "dock/pane".
QString stored(const char* entry) {
  return QSettings().value(QString("DockBar/") + entry).toString();
}

/// The keys of a dock's panes in display order.
std::string keysOf(const DockWidget* dock) {
  QStringList out;
  for (Pane* p : dock->panes())
    out << p->key();
  return out.join(' ').toStdString();
}

class QtDockSet : public QtDock {
 protected:
  void SetUp() override {
    QtDock::SetUp();
    window->resize(700, 480);
    delete d;
    left = panes("L", true);
    right = new DockWidget(window.get());
    right->setObjectName("R");
    right->setFitToContent(false);
    right->setAnimated(false);
    for (const char* k : {"x", "y", "z"})
      right->addPane(k, new QLabel(k), QString(k).toUpper());
    right->setGeometry(left->geometry().right() + 10, 20, left->width(), left->height());
    right->show();
    QCoreApplication::processEvents();
    set.addDock(left);
    set.addDock(right);
  }
  /// A point on the title strip of a pane of the right dock, in its twips.
  QPointF onRightTitle(const char* key) {
    DockTestAccess r(*coreDock(right));
    return at(r.picTitel(coreBar(right->pane(key))->Index())) + QPointF(2500, 60);
  }

  DockWidget* left = nullptr;
  DockWidget* right = nullptr;
  DockSet set;
};

TEST_F(QtDockSet, ATitleDroppedOnTheOtherDockMovesThePaneThereAndUndoAndRedoMoveItAgainAndSave) {
  QWidget* widget = left->pane("a")->widget();
  QSignalSpy removed(left, &DockWidget::paneRemoved), added(right, &DockWidget::paneAdded);
  mouse(QEvent::MouseButtonPress, onTitle("a"));  // Escape ends a drag without a drop
  mouse(QEvent::MouseMove, onTitle("a", 600));
  mouseIn(window.get(), right, QEvent::MouseMove, onRightTitle("y"));
  QTest::keyClick(window.get(), Qt::Key_Escape);
  mouseIn(window.get(), right, QEvent::MouseButtonRelease, onRightTitle("y"));
  QCoreApplication::processEvents();
  EXPECT_EQ(keysOf(right), "x y z");
  mouse(QEvent::MouseButtonPress, onTitle("a"));
  mouse(QEvent::MouseMove, onTitle("a", 600));
  for (int i = 0; i < 2; ++i)
    mouseIn(window.get(), right, QEvent::MouseMove, onRightTitle("y"));
  ASSERT_TRUE(QGuiApplication::overrideCursor());
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::DragMoveCursor);  // not the forbidden one
  const QWidget* marker = right->findChild<QWidget*>("tovdock_drop_marker");
  ASSERT_TRUE(marker);
  EXPECT_TRUE(marker->isVisible());
  mouseIn(window.get(), right, QEvent::MouseButtonRelease, onRightTitle("y"));
  QCoreApplication::processEvents();
  EXPECT_FALSE(QGuiApplication::overrideCursor());
  EXPECT_EQ(keysOf(left), "b c");
  EXPECT_EQ(keysOf(right), "x a y z");
  EXPECT_EQ(right->pane("a")->widget(), widget);
  EXPECT_TRUE(right->isAncestorOf(widget));
  EXPECT_EQ(removed.count(), 1);
  EXPECT_EQ(added.count(), 1);
  EXPECT_EQ(left->undoStack(), set.undoStack());
  ASSERT_EQ(set.undoStack()->count(), 1);
  EXPECT_FALSE(stored("R/a").isEmpty());

  const QString moved = stored("L/b");
  set.undoStack()->undo();
  EXPECT_EQ(keysOf(left), "a b c");
  EXPECT_EQ(keysOf(right), "x y z");
  EXPECT_EQ(left->pane("a")->widget(), widget);
  EXPECT_NE(stored("L/b"), moved);  // saved as the user's change would be
  set.undoStack()->redo();
  EXPECT_EQ(keysOf(right), "x a y z");
}

TEST_F(QtDockSet, MovePaneToAndAltArrowsMoveBetweenDocksOnlyTheKeysMovesAreSteps) {
  EXPECT_FALSE(left->movePaneTo("nope", right, 0));
  EXPECT_FALSE(left->movePaneTo("a", nullptr, 0));
  left->addPane("x", new QLabel, "X");  // a key the target uses
  EXPECT_FALSE(left->movePaneTo("x", right, 0));
  left->removePane("x");
  left->pane("a")->setState(PaneState::Collapsed);
  left->pane("a")->setMovable(false);
  EXPECT_TRUE(left->movePaneTo("a", right, 1));
  EXPECT_EQ(keysOf(right), "x a y z");
  EXPECT_EQ(right->pane("a")->state(), PaneState::Collapsed);
  EXPECT_FALSE(right->pane("a")->isMovable());
  EXPECT_EQ(set.undoStack()->count(), 0);  // the application's move

  QWidget* b = titleOf("b");
  b->setFocus();
  QTest::keyClick(b, Qt::Key_Right, Qt::AltModifier);
  QCoreApplication::processEvents();
  EXPECT_EQ(keysOf(left), "c");
  EXPECT_EQ(keysOf(right), "x a y z b");
  QWidget* focus = QApplication::focusWidget();
  ASSERT_TRUE(focus);
  QTest::keyClick(focus, Qt::Key_Right, Qt::AltModifier);  // no dock further right
  QTest::keyClick(focus, Qt::Key_Left, Qt::AltModifier);
  QCoreApplication::processEvents();
  EXPECT_EQ(keysOf(left), "c b");
  EXPECT_EQ(set.undoStack()->count(), 2);
}

TEST_F(QtDockSet, RestoreMovesEachPaneBackIntoItsDockAndRefusesAnotherSet) {
  left->movePaneTo("a", right, 1);
  right->pane("a")->setState(PaneState::Collapsed);
  const QByteArray state = set.saveState();
  right->movePaneTo("a", left, 0);  // where the application adds it at the next start
  left->pane("a")->setState(PaneState::Expanded);
  EXPECT_FALSE(set.restoreState(state.left(state.size() - 1)));
  DockSet other;
  other.addDock(left);
  EXPECT_FALSE(other.restoreState(state));  // saved from two docks
  set.addDock(left);
  EXPECT_EQ(keysOf(left), "a b c");
  ASSERT_TRUE(set.restoreState(state));
  EXPECT_EQ(keysOf(left), "b c");
  EXPECT_EQ(keysOf(right), "x a y z");
  EXPECT_EQ(right->pane("a")->state(), PaneState::Collapsed);
}

TEST_F(QtDockSet, AfterARestartEachPaneIsBackInTheDockThatHeldItAsTheSetSavedIt) {
  set.setObjectName("docks");
  left->movePaneTo("a", right, 1);
  right->pane("a")->setState(PaneState::Collapsed);
  QCoreApplication::processEvents();
  window.reset();  // the docks save as they go
  window = std::make_unique<QWidget>();
  window->resize(700, 480);
  DockSet again;
  again.setObjectName("docks");
  QList<DockWidget*> docks;
  for (const char* name : {"L", "R"}) {
    auto* dock = new DockWidget(window.get());
    dock->setObjectName(name);
    dock->setFitToContent(false);
    dock->setAnimated(false);
    dock->setGeometry(name == QString("L") ? 20 : 330, 20, 300, 400);
    again.addDock(dock);
    docks << dock;
  }
  for (const char* k : {"a", "b", "c"})  // all in the left dock, as the application makes them
    docks[0]->addPane(k, new QLabel(k), k);
  for (const char* k : {"x", "y", "z"})
    docks[1]->addPane(k, new QLabel(k), k);
  window->show();
  QCoreApplication::processEvents();
  EXPECT_EQ(keysOf(docks[0]), "b c");
  EXPECT_EQ(keysOf(docks[1]), "x a y z");
  EXPECT_EQ(docks[1]->pane("a")->state(), PaneState::Collapsed);
}

TEST_F(QtDock, UndoBringsBackAClosedPaneWithItsHeightOneStepPerSplitterDragAndSaves) {
  panes("S", true);
  QUndoStack* stack = d->undoStack();
  const std::string before = layoutOf(d);
  click(middle(access().imgClose(indexOf("b"))));
  ASSERT_EQ(stack->count(), 1);
  EXPECT_EQ(d->pane("b")->state(), PaneState::Hidden);
  const QString closed = stored("S/b");
  stack->undo();
  EXPECT_EQ(layoutOf(d), before);
  EXPECT_NE(stored("S/b"), closed);  // the undo is saved
  stack->redo();
  EXPECT_EQ(d->pane("b")->state(), PaneState::Hidden);
  stack->undo();

  const QPointF grip = at(access().picSplit(indexOf("a"))) + QPointF(600, 20);
  mouse(QEvent::MouseButtonPress, grip);
  for (int dy : {150, 300, 450})
    mouse(QEvent::MouseMove, grip + QPointF(0, dy));
  mouse(QEvent::MouseButtonRelease, grip + QPointF(0, 450));
  QCoreApplication::processEvents();
  EXPECT_EQ(stack->count(), 1);  // one step, in place of the close undone
  EXPECT_NE(layoutOf(d), before);

  d->pane("c")->setState(PaneState::Collapsed);  // the application's change is no step
  EXPECT_EQ(stack->count(), 1);
  d->pane("c")->setState(PaneState::Expanded);
  QWidget* title = titleOf("a");
  title->setFocus();
  QTest::keyClick(title, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(layoutOf(d), before);
  QTest::keyClick(title, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_NE(layoutOf(d), before);
  EXPECT_EQ(stack->undoLimit(), 100);
}

TEST_F(QtDock, AnimatedFoldPaintsHeightsInBetweenAndEndsWhereTheLayoutIs) {
  d->setAnimated(true);
  QTest::qWait(20);
  const int start = d->pane("a")->widget()->parentWidget()->height();
  click(middle(access().imgCollapse(indexOf("a"))));
  const std::string folded = layoutOf(d);
  const int end = d->pane("a")->widget()->parentWidget()->height();
  QList<int> heights;
  QWidget* overlay = nullptr;
  for (int i = 0; i < 100 && (!overlay || overlay->isVisible()); ++i) {
    QTest::qWait(5);
    overlay = d->findChild<QWidget*>("tovdock_motion");
    if (overlay && overlay->isVisible())
      heights << overlay->property("frames").toMap()["a"].toRect().height();
  }
  ASSERT_GE(heights.size(), 3);
  EXPECT_EQ(heights.last(), end);
  EXPECT_TRUE(std::any_of(heights.begin(), heights.end(), [&](int h) { return h < start && h > end; }));
  EXPECT_TRUE(std::is_sorted(heights.rbegin(), heights.rend()));

  d->setAnimated(false);
  click(middle(access().imgExpand(indexOf("a"))));
  EventCount paints(QEvent::Paint);
  overlay->installEventFilter(&paints);
  click(middle(access().imgCollapse(indexOf("a"))));
  QTest::qWait(200);
  EXPECT_EQ(layoutOf(d), folded);
  EXPECT_EQ(paints.count, 0);
}

TEST_F(QtDock, WithTheGlideOnThePanesPartWhereADraggedTitleWouldLandAndCloseUpWithoutADrop) {
  d->setAnimated(true);
  QTest::qWait(20);
  const std::string before = layoutOf(d);
  const int top = d->pane("c")->widget()->parentWidget()->y();
  mouse(QEvent::MouseButtonPress, onTitle("a"));
  mouse(QEvent::MouseMove, onTitle("a", 600));
  mouse(QEvent::MouseMove, onTitle("b", 60));  // a would go after b
  mouse(QEvent::MouseMove, onTitle("b", 60));
  QTest::qWait(250);
  const QWidget* overlay = d->findChild<QWidget*>("tovdock_motion");
  ASSERT_TRUE(overlay);
  EXPECT_TRUE(overlay->isVisible());
  EXPECT_GT(overlay->property("frames").toMap()["c"].toRect().top(), top);
  EXPECT_EQ(overlay->property("frames").toMap()["b"].toRect().top(),
            d->pane("b")->widget()->parentWidget()->y());
  QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window.get(), Qt::Key_Escape);
  mouse(QEvent::MouseButtonRelease, onTitle("b", 60));
  QTest::qWait(250);
  EXPECT_FALSE(overlay->isVisible());
  EXPECT_EQ(layoutOf(d), before);
}

}  // namespace
}  // namespace tov::qt

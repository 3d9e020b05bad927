// Panes that move between the docks of a set, undo of the user's layout changes and the glide of
// the panes: through real mouse and key input where the user has one.

#include "qt_dock_fixture.h"
#include "tovdock/qt/dock_set.h"

namespace tov::qt {
namespace {

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
    delete d;
    std::tie(left, right) = twoDocks(set, true);
  }
  /// The docks L with a, b and c and R with x, y and z side by side in the window, shown now or
  /// with the window, and in `docks`; the mouse reaches L.
  std::pair<DockWidget*, DockWidget*> twoDocks(DockSet& docks, bool show) {
    window->resize(700, 480);
    DockWidget* r = panes("R", true, {"x", "y", "z"}, show);
    r->move(r->geometry().right() + 10, 20);
    DockWidget* l = panes("L", true, {"a", "b", "c"}, show);
    QCoreApplication::processEvents();
    docks.addDock(l), docks.addDock(r);
    return {l, r};
  }
  /// The title strip of a pane of the right dock, and a point on it in the dock's twips.
  Panel& rightTitle(const char* key) {
    return DockTestAccess(*coreDock(right)).picTitel(coreBar(right->pane(key))->Index());
  }
  QPointF onRightTitle(const char* key) { return at(rightTitle(key)) + QPointF(2500, 60); }

  DockWidget *left = nullptr, *right = nullptr;
  DockSet set;
};

TEST_F(QtDockSet, ATitleDroppedOnTheOtherDockMovesThePaneThereAndUndoAndRedoMoveItAgainAndSave) {
  QWidget* widget = left->pane("a")->widget();
  QSignalSpy removed(left, &DockWidget::paneRemoved), added(right, &DockWidget::paneAdded);
  hold({onTitle("a"), onTitle("a", 600)});  // Escape ends a drag without a drop
  mouseIn(window.get(), right, QEvent::MouseMove, onRightTitle("y"));
  QTest::keyClick(window.get(), Qt::Key_Escape);
  mouseIn(window.get(), right, QEvent::MouseButtonRelease, onRightTitle("y"));
  EXPECT_EQ(keysOf(right), "x y z");
  hold({onTitle("a"), onTitle("a", 600)});
  for (int i = 0; i < 2; ++i)
    mouseIn(window.get(), right, QEvent::MouseMove, onRightTitle("y"));
  const QCursor* cursor = QGuiApplication::overrideCursor();
  const QWidget* marker = right->findChild<QWidget*>("tovdock_drop_marker");
  EXPECT_EQ(std::pair(cursor ? cursor->shape() : Qt::ArrowCursor, marker && marker->isVisible()),
            std::pair(Qt::DragMoveCursor, true));  // not the forbidden cursor
  mouseIn(window.get(), right, QEvent::MouseButtonRelease, onRightTitle("y"));
  EXPECT_FALSE(QGuiApplication::overrideCursor());
  EXPECT_EQ(keysOf(left) + "|" + keysOf(right), "b c|x a y z");
  EXPECT_EQ(
      std::tuple(right->pane("a")->widget(), right->isAncestorOf(widget), removed.count(), added.count(),
                 left->undoStack() == set.undoStack(), set.undoStack()->count(), stored("R/a").isEmpty()),
      std::tuple(widget, true, 1, 1, true, 1, false));

  const QString moved = stored("L/b");
  set.undoStack()->undo();
  // Saved as the user's change would be.
  EXPECT_EQ(std::tuple(keysOf(left) + "|" + keysOf(right), left->pane("a")->widget(), stored("L/b") == moved),
            std::tuple(std::string("a b c|x y z"), widget, false));
  set.undoStack()->redo();
  EXPECT_EQ(keysOf(right), "x a y z");
}

TEST_F(QtDockSet, MovePaneToAndAltRightMoveBetweenDocksWhichARestartOrARestoreOfTheSetKeep) {
  set.setObjectName("docks");
  left->addPane("x", new QLabel, "X");  // a key the target uses
  EXPECT_EQ(std::tuple(left->movePaneTo("nope", right, 0), left->movePaneTo("a", nullptr, 0),
                       left->movePaneTo("x", right, 0)),
            std::tuple(false, false, false));
  left->removePane("x");
  left->pane("a")->setState(PaneState::Collapsed), left->pane("a")->setMovable(false);
  EXPECT_TRUE(left->movePaneTo("a", right, 1));
  // With its state and switches; the application's move is no step to undo, the keys' move is one.
  EXPECT_EQ(std::tuple(right->pane("a")->state(), right->pane("a")->isMovable(), set.undoStack()->count()),
            std::tuple(PaneState::Collapsed, false, 0));
  QWidget* b = titleOf("b");
  b->setFocus();
  QTest::keyClick(b, Qt::Key_Right, Qt::AltModifier);
  QCoreApplication::processEvents();
  EXPECT_EQ(std::pair(keysOf(left) + "|" + keysOf(right), set.undoStack()->count()),
            std::pair(std::string("c|x a y z b"), 1));
  // Undone and redone on its title, the pane goes back and forth and its title there keeps the focus.
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
  QCoreApplication::processEvents();
  ASSERT_EQ(keysOf(left), "b c");  // a pane not back would leave no title to look at
  EXPECT_EQ(QApplication::focusWidget(), titleOf("b"));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  QCoreApplication::processEvents();
  ASSERT_EQ(keysOf(right), "x a y z b");
  EXPECT_EQ(QApplication::focusWidget(), QtToolkit::drawnOn(rightTitle("b")));

  const QByteArray state = set.saveState();
  window = std::make_unique<QWidget>();  // the docks save as they go
  DockSet again;
  again.setObjectName("docks");
  std::tie(left, right) = twoDocks(again, false);  // a and b in the left dock, as the application makes it
  window->show();
  EXPECT_EQ(std::pair(keysOf(left) + "|" + keysOf(right), right->pane("a")->state()),
            std::pair(std::string("c|x a y z b"), PaneState::Collapsed));

  // A state the set saved moves it back there too; one cut short or of two other docks is refused.
  right->movePaneTo("a", left, 0);
  EXPECT_FALSE(again.restoreState(state.left(state.size() - 1)));
  DockSet other;
  other.addDock(left);
  EXPECT_FALSE(other.restoreState(state));
  again.addDock(left);
  EXPECT_EQ(keysOf(left), "a c");
  ASSERT_TRUE(again.restoreState(state));
  EXPECT_EQ(keysOf(left) + "|" + keysOf(right), "c|x a y z b");
}

TEST_F(QtDock, UndoBringsBackAClosedPaneWithItsHeightASplitterDragIsOneStepAndOneLayoutChange) {
  panes("S", true);
  QUndoStack* stack = d->undoStack();
  const std::string before = layoutOf(d);
  click(middle(access().imgClose(indexOf("b"))));
  EXPECT_EQ(std::pair(stack->count(), d->pane("b")->state()), std::pair(1, PaneState::Hidden));
  const QString closed = stored("S/b");
  stack->undo();
  // The undo is saved.
  EXPECT_EQ(std::pair(layoutOf(d), stored("S/b") == closed), std::pair(before, false));
  stack->redo();
  EXPECT_EQ(d->pane("b")->state(), PaneState::Hidden);
  stack->undo();
  turn();

  QSignalSpy told(d, &DockWidget::layoutChanged);
  const QPointF grip = at(access().picSplit(indexOf("a"))) + QPointF(600, 20);
  drag({grip, grip + QPointF(0, 150), grip + QPointF(0, 300), grip + QPointF(0, 450)});
  turn();
  // One step, in place of the close undone; a resize then is no step and no layout change (the walk
  // checks the application's calls).
  EXPECT_EQ(std::tuple(stack->count(), told.count(), layoutOf(d) == before), std::tuple(1, 1, false));
  d->resize(d->width(), d->height() + 40);
  turn();
  EXPECT_EQ(std::pair(stack->count(), told.count()), std::pair(1, qsizetype(1)));
}

TEST_F(QtDock, AnimatedDragsAndFoldsGlideThroughHeightsInBetweenAndEndWhereTheLayoutIs) {
  d->setAnimated(true);
  QTest::qWait(20);
  // The panes part where a dragged title would land, and close up again without a drop.
  const std::string before = layoutOf(d);
  const int top = frame("c")->y();
  hold({onTitle("a"), onTitle("a", 600), onTitle("b", 60), onTitle("b", 60)});  // a would go after b
  QTest::qWait(250);
  QWidget* overlay = d->findChild<QWidget*>("tovdock_motion");
  ASSERT_TRUE(overlay);
  EXPECT_TRUE(overlay->isVisible());
  EXPECT_GT(overlay->property("frames").toMap()["c"].toRect().top(), top);
  EXPECT_EQ(overlay->property("frames").toMap()["b"].toRect().top(), frame("b")->y());
  QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window.get(), Qt::Key_Escape);
  mouse(QEvent::MouseButtonRelease, onTitle("b", 60));
  QTest::qWait(250);
  EXPECT_EQ(std::pair(overlay->isVisible(), layoutOf(d)), std::pair(false, before));

  // A fold paints heights in between and ends where the same fold ends without the animation,
  // which paints no frame in between.
  const int start = frame("a")->height();
  click(middle(access().imgCollapse(indexOf("a"))));
  const std::string folded = layoutOf(d);
  const int end = frame("a")->height();
  QList<int> heights;
  for (int i = 0; i < 100 && (heights.isEmpty() || overlay->isVisible()); ++i) {
    QTest::qWait(5);
    if (overlay->isVisible()) heights << overlay->property("frames").toMap()["a"].toRect().height();
  }
  ASSERT_GE(heights.size(), 3);
  EXPECT_EQ(std::tuple(heights.last(), std::is_sorted(heights.rbegin(), heights.rend())),
            std::tuple(end, true));
  EXPECT_TRUE(std::any_of(heights.begin(), heights.end(), [&](int h) { return h < start && h > end; }));

  d->setAnimated(false);
  click(middle(access().imgExpand(indexOf("a"))));
  EventCount paints(QEvent::Paint);
  overlay->installEventFilter(&paints);
  click(middle(access().imgCollapse(indexOf("a"))));
  QTest::qWait(200);
  EXPECT_EQ(std::pair(layoutOf(d), paints.count), std::pair(folded, 0));
}

}  // namespace
}  // namespace tov::qt

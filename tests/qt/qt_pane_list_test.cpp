// The list of panes from code: inserting, moving, removing and taking panes on a shown dock and on
// one not shown yet, a hosted widget deleted under its pane, and the one layoutChanged per turn.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPointer>
#include <QSignalSpy>

#include "qt_dock_fixture.h"

namespace tov::qt {
namespace {

using PaneList = QtDock;

/// Each pane in order: key, group and state, and "!" when its frame does not start where the frame
/// shown before it ends (the fitted heights are the dock's business, the stacking this test's).
std::string orderOf(DockWidget* d) {
  QStringList out;
  int next = 0;
  for (Pane* p : d->panes()) {
    const QWidget* frame = p->widget()->parentWidget();
    out << p->key() + "TLRB"[int(p->group())] + "CEH"[int(p->state())] +
               (frame->isVisible() && frame->y() != next ? "!" : "");
    if (frame->isVisible()) next = frame->y() + frame->height();
  }
  return out.join(" ").toStdString();
}

/// Lets deleteLater and the queued signals run.
void turn() {
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QCoreApplication::processEvents();
}

TEST_F(PaneList, InsertMoveRemoveAndTakeKeepTheOtherPanesTheirPlacesStatesGroupsAndWidgets) {
  d->pane("b")->setState(PaneState::Collapsed);
  d->pane("b")->setHeight(90);
  d->pane("c")->setGroup(PaneGroup::Bottom);
  d->pane("c")->setMovable(false);
  QPointer<QWidget> bodyA = d->pane("a")->widget(), bodyB = d->pane("b")->widget();
  // Between b and c: the pane follows b into the top group; at the end, it follows c to the bottom.
  auto* x = new QLabel("x");
  EXPECT_EQ(d->insertPane(2, "x", x, "X")->group(), PaneGroup::Top);
  EXPECT_EQ(d->insertPane(99, "y", new QLabel("y"), "Y")->group(), PaneGroup::Bottom);
  QLabel spare;
  EXPECT_FALSE(d->insertPane(0, "x", &spare, "again") || spare.parent());
  EXPECT_EQ(orderOf(d), "aTE bTC xTE cBE yBE");
  turn();  // a pane added to a dock on screen takes the dock's colours
  const BarRef a = coreBar(d->pane("a")), y = coreBar(d->pane("y"));
  EXPECT_EQ(std::pair(y->BackColor(), y->TitleForeColor()), std::pair(a->BackColor(), a->TitleForeColor()));
  // An application moves a pane the user may not drag; past the end is the last place.
  EXPECT_TRUE(d->movePane("c", 0));
  EXPECT_TRUE(d->movePane("a", 99));
  EXPECT_EQ(std::tuple(d->indexOf("c"), d->indexOf("a"), d->indexOf("none"), d->count()),
            std::tuple(0, 4, -1, 5));
  EXPECT_EQ(orderOf(d), "cTE bTC xTE yBE aBE");

  ASSERT_TRUE(d->removePane("b"));
  EXPECT_FALSE(d->removePane("b"));
  QWidget* taken = d->takeWidget("x");
  EXPECT_EQ(std::tuple(taken, taken->parent(), taken->isHidden(), d->takeWidget("x")),
            std::tuple(static_cast<QWidget*>(x), static_cast<QObject*>(nullptr), true,
                       static_cast<QWidget*>(nullptr)));
  delete taken;
  turn();
  EXPECT_EQ(std::tuple(bodyA.isNull(), bodyB.isNull(), d->count(), coreDock(d)->Bars()->Count()),
            std::tuple(false, true, 3, 3));
  EXPECT_EQ(orderOf(d), "cTE yBE aBE");
  // The bars made anew keep the panes' switches, and a reset gives the order the panes were added in.
  EXPECT_FALSE(d->pane("c")->isMovable());
  d->resetLayout();
  EXPECT_EQ(orderOf(d), "cTE aBE yBE");
}

TEST_F(PaneList, ADeletedWidgetTakesItsPaneAlsoInsideTheDocksOwnCloseWhichFinishesFirst) {
  delete d->pane("b")->widget();
  EXPECT_EQ(std::tuple(d->pane("b"), d->count(), d->indexOf("c")), std::tuple(nullptr, 2, 1));
  QObject::connect(d, &DockWidget::paneClosed, window.get(),
                   [&](const QString& key) { delete d->pane(key)->widget(); });
  turn();
  click(middle(access().imgClose(indexOf("a"))));
  turn();
  EXPECT_EQ(std::tuple(orderOf(d), coreDock(d)->Bars()->Count()), std::tuple(std::string("cTE"), 1));
}

TEST_F(PaneList, LayoutChangedIsToldOnceForADragOnceForARunOfCallsAndNotForAResize) {
  turn();
  QSignalSpy told(d, &DockWidget::layoutChanged);
  QPointF grip = at(access().picSplit(indexOf("a"))) + QPointF(600, 20);
  mouse(QEvent::MouseButtonPress, grip);
  for (int step = 0; step < 3; ++step)
    mouse(QEvent::MouseMove, grip += QPointF(0, 150));
  mouse(QEvent::MouseButtonRelease, grip);
  turn();
  EXPECT_EQ(told.count(), 1);
  d->pane("a")->setState(PaneState::Collapsed);
  d->pane("b")->setGroup(PaneGroup::Bottom);
  d->pane("c")->setHeight(50);
  d->movePane("c", 0);
  d->insertPane(1, "n", new QLabel("n"), "N");
  d->removePane("n");
  turn();
  EXPECT_EQ(told.count(), 2);
  d->resize(d->width(), d->height() + 40);
  turn();
  EXPECT_EQ(told.count(), 2);
}

TEST_F(PaneList, BeforeTheFirstShowInsertsMovesAndTakesLeaveTheStoredLayoutToBeLoaded) {
  delete d;
  panes("kept", true);
  d->pane("a")->setState(PaneState::Collapsed);
  d->pane("c")->setGroup(PaneGroup::Bottom);
  delete d;  // saves
  d = new DockWidget(window.get());
  d->setObjectName("kept");
  for (const char* k : {"a", "b", "c"})
    d->addPane(k, new QLabel(k), QString(k).toUpper());
  d->insertPane(0, "x", new QLabel("x"), "X");
  d->movePane("a", 2);
  delete d->takeWidget("b");
  EXPECT_EQ(std::tuple(d->indexOf("x"), d->indexOf("a"), d->indexOf("c")), std::tuple(0, 1, 2));
  d->setGeometry(20, 20, pixels(4500), pixels(6000));
  d->show();
  EXPECT_EQ(orderOf(d), "xTE aTC cBE");
}

}  // namespace
}  // namespace tov::qt

// The list of panes from code: inserting, moving, removing and taking panes on a shown dock and on
// one not shown yet (the seeded walk deletes hosted widgets under their panes), and what the dock must not
// take as it is: keys that would share a record, colour roles out of range and panes whose bars the
// application cleared.

#include "qt_dock_fixture.h"

namespace tov::qt {
namespace {

using PaneList = QtDock;

TEST_F(PaneList, InsertMoveRemoveAndTakeKeepTheOtherPanesTheirPlacesStatesGroupsAndWidgets) {
  d->pane("b")->setState(PaneState::Collapsed);
  d->pane("b")->setHeight(90);
  d->pane("c")->setGroup(PaneGroup::Bottom);
  d->pane("c")->setMovable(false);
  QPointer<QWidget> bodyA = d->pane("a")->widget(), bodyB = d->pane("b")->widget();
  // Between b and c: the pane follows b into the top group; at the end, it follows c to the bottom.
  const QPointer<QLabel> x = new QLabel("x");
  EXPECT_EQ(d->insertPane(2, "x", x, "X")->group(), PaneGroup::Top);
  EXPECT_EQ(d->insertPane(99, "y", new QLabel("y"), "Y")->group(), PaneGroup::Bottom);
  EXPECT_EQ(layoutOf(d), "aTE, bTC, xTE, cBE, yBE");
  turn();  // a pane added to a dock on screen takes the dock's colours
  const BarRef a = coreBar(d->pane("a")), y = coreBar(d->pane("y"));
  EXPECT_EQ(std::pair(y->BackColor(), y->TitleForeColor()), std::pair(a->BackColor(), a->TitleForeColor()));
  // An application moves a pane the user may not drag; past the end is the last place.
  EXPECT_EQ((std::tuple{d->movePane("c", 0), d->movePane("a", 99), d->indexOf("c"), d->indexOf("a"),
                        d->indexOf("none"), d->count()}),
            std::tuple(true, true, 0, 4, -1, 5));
  EXPECT_EQ(layoutOf(d), "cTE 0+203 w, bTC 203+17, xTE 220+43 w, yBE 263+44 w, aBE 307+93 w");

  EXPECT_EQ((std::pair{d->removePane("b"), d->removePane("b")}), std::pair(true, false));
  delete d->takeWidget("x");
  EXPECT_EQ(std::pair(x.isNull(), d->takeWidget("x")), std::pair(true, static_cast<QWidget*>(nullptr)));
  turn();
  EXPECT_EQ(std::tuple(bodyA.isNull(), bodyB.isNull(), d->count(), coreDock(d)->Bars()->Count()),
            std::tuple(false, true, 3, 3));
  EXPECT_EQ(layoutOf(d), "cTE 0+223 w, yBE 223+63 w, aBE 286+114 w");
  // The bars made anew keep the panes' switches, and a reset gives the order the panes were added in.
  EXPECT_FALSE(d->pane("c")->isMovable());
  d->resetLayout();
  EXPECT_EQ(layoutOf(d), "cTE 0+133 w, aBE 133+134 w, yBE 267+133 w");
  // A height read or a state saved before the bars of a deleted widget's pane are made anew is the
  // one after.
  delete d->pane("y")->widget();
  const int height = d->pane("a")->height();
  const QByteArray early = d->saveState();
  turn();
  EXPECT_EQ(d->saveState(), early);
  EXPECT_EQ(d->pane("a")->height(), height);
}

TEST_F(PaneList, BeforeTheFirstShowInsertsMovesAndTakesLeaveTheStoredLayoutToBeLoaded) {
  delete d;
  panes("kept", true);
  d->pane("a")->setState(PaneState::Collapsed);
  d->pane("c")->setGroup(PaneGroup::Bottom);
  delete d;  // saves
  panes("kept", true, {"a", "b", "c"}, false);
  d->insertPane(0, "x", new QLabel("x"), "X");
  d->movePane("a", 2);
  delete d->takeWidget("b");
  EXPECT_EQ(std::tuple(d->indexOf("x"), d->indexOf("a"), d->indexOf("c")), std::tuple(0, 1, 2));
  d->show();
  EXPECT_EQ(layoutOf(d), "xTE 0+143 w, aTC 143+17, cBE 160+240 w");
}

TEST_F(PaneList, RefusedInputLeavesTheDockAsItWas) {
  // Keys that would share a record: the separator escaped, lone surrogates refused.
  DockWidget* first = d;
  first->setObjectName("x/y");
  ASSERT_TRUE(first->addPane("z", new QLabel("z"), "Z"));
  DockWidget* second = panes("x");
  ASSERT_TRUE(second->addPane("y/z", new QLabel("y/z"), "YZ"));
  EXPECT_NE(coreBar(first->pane("z"))->Key(), coreBar(second->pane("y/z"))->Key());
  EXPECT_EQ(coreBar(second->pane("a"))->Key(), "x/a");
  for (const char16_t lone : {0xD800, 0xDC00})
    EXPECT_FALSE(second->addPane(QString(QChar(lone)) + "k", new QLabel("s"), "S"));
  EXPECT_EQ(second->count(), 4);
  delete first;

  // No C++ exception out of a Qt-style call.
  EXPECT_NO_THROW(d->setColor(DockWidget::ColorRole(99), Qt::red));
  EXPECT_FALSE(d->color(DockWidget::ColorRole(-1)).isValid());
  Pane* a = d->pane("a");
  coreDock(d)->Bars()->Clear();
  EXPECT_NO_THROW((a->setState(PaneState::Collapsed), a->setGroup(PaneGroup::Bottom), a->setHeight(200),
                   a->setTitle("A"), a->setClosable(false), a->setOptionsVisible(true)));
}

}  // namespace
}  // namespace tov::qt

// What an application or a stored state may hand the dock widget that it must not take as it is:
// heights beyond any screen, keys that would share a record, a dock without a shown pane, a widget
// in two panes, colour roles out of range and panes whose bars the application cleared.

#include <climits>

#include "qt_dock_fixture.h"

namespace tov::qt {
namespace {

TEST_F(QtDock, HeightsBeyondAnyScreenAreClampedAndThePanesStillStandOneBelowTheOther) {
  // The fixture fails on any message box, such as an overflow.
  ASSERT_TRUE(d->restoreState(stateOf({{"a", 1, 1, INT_MAX}, {"b", 1, 1, INT_MAX}, {"c", 1, 0, INT_MAX}})));
  d->pane("b")->setHeight(INT_MAX);
  d->pane("c")->setHeight(INT_MAX);
  QCoreApplication::processEvents();
  int bottom = 0;
  for (Pane* p : d->panes()) {
    const QWidget* frame = p->widget()->parentWidget();
    EXPECT_GE(frame->y(), bottom) << p->key().toStdString();
    bottom = frame->y() + frame->height();
    EXPECT_GT(p->height(), 0);
    EXPECT_LT(p->height(), 100000);
  }
}

TEST_F(QtDock, RefusedInputLeavesTheDockAsItWas) {
  // Keys that would share a record: the separator escaped, lone surrogates refused.
  DockWidget* first = d;
  first->setObjectName("x/y");
  ASSERT_TRUE(first->addPane("z", new QLabel("z"), "Z"));
  DockWidget* second = panes("x");
  ASSERT_TRUE(second->addPane("y/z", new QLabel("y/z"), "YZ"));
  EXPECT_NE(coreBar(first->pane("z"))->Key(), coreBar(second->pane("y/z"))->Key());
  EXPECT_EQ(coreBar(second->pane("a"))->Key(), "x/a");
  EXPECT_FALSE(second->addPane(QString(QChar(0xD800)) + "k", new QLabel("s"), "S"));
  EXPECT_FALSE(second->addPane(QString(QChar(0xDC00)) + "k", new QLabel("s"), "S"));
  // One widget in two panes.
  EXPECT_FALSE(second->addPane("twice", second->pane("a")->widget(), "Twice"));
  EXPECT_EQ(second->count(), 4);
  delete first;

  // Every pane hidden: one stays shown.
  for (Pane* p : d->panes())
    p->setState(PaneState::Hidden);
  EXPECT_EQ(layoutOf(d), "aTH, bTH, cTH, y/zTE");
  d->showAllPanes();
  ASSERT_TRUE(d->restoreState(stateOf({{"a", 1, 2, 0}, {"b", 1, 2, 0}, {"c", 1, 2, 0}, {"y/z", 1, 2, 0}})));
  EXPECT_EQ(layoutOf(d), "aTE, bTH, cTH, y/zTH");

  // No C++ exception out of a Qt-style call.
  EXPECT_NO_THROW(d->setColor(DockWidget::ColorRole(99), Qt::red));
  EXPECT_FALSE(d->color(DockWidget::ColorRole(-1)).isValid());
  Pane* a = d->pane("a");
  coreDock(d)->Bars()->Clear();
  EXPECT_NO_THROW({
    a->setState(PaneState::Collapsed);
    a->setGroup(PaneGroup::Bottom);
    a->setHeight(200);
    a->setTitle("A");
    a->setClosable(false);
    a->setOptionsVisible(true);
  });
}

}  // namespace
}  // namespace tov::qt

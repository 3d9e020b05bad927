// What an application or a stored state may hand the dock widget that it must not take as it is:
// keys that would share a record, colour roles out of range and panes whose bars the application
// cleared.

#include "qt_dock_fixture.h"

namespace tov::qt {
namespace {

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
  EXPECT_EQ(second->count(), 4);
  delete first;

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

// The dock deleted by the application from inside its own calls and signals, and hosted widgets that
// leave for another window or delete the dock from their own events: nothing of the dock is touched
// once it is gone, and it is gone for the application at once.

#include "qt_dock_fixture.h"

namespace tov::qt {
namespace {

using Kill = std::function<void()>;

/// Where the application's slot that deletes the dock is connected: a name and what connects it.
using Slot = std::pair<const char*, void (*)(DockWidget*, QObject* context, const Kill&)>;

template <auto signal>
void onDock(DockWidget* d, QObject* c, const Kill& k) {
  QObject::connect(d, signal, c, k);
}
/// The signal of each pane, or of what `of` gives for it.
template <auto signal, auto of = [](Pane* p) { return p; }>
void onPanes(DockWidget* d, QObject* c, const Kill& k) {
  for (Pane* p : d->panes())
    QObject::connect(std::invoke(of, p), signal, c, k);
}
/// The core's handler `member` with the arguments `Args`.
template <auto member, typename... Args>
void onCore(DockWidget* d, QObject*, const Kill& k) {
  CoreEvents events;
  events.*member = [k](Args&...) { k(); };
  setCoreEvents(d, events);
}

/// Runs the slot when a hosted widget is resized, before the widget's own resizeEvent.
void onWidgetResize(DockWidget* d, QObject* c, const Kill& k) {
  auto* filter = new EventCount(QEvent::Resize, k, c);
  for (Pane* p : d->panes())
    p->widget()->installEventFilter(filter);
}

const Slot kSlots[] = {
    {"PaneStateChanged", onPanes<&Pane::stateChanged>},
    {"DockPaneStateChanged", onDock<&DockWidget::paneStateChanged>},
    {"PaneClosed", onDock<&DockWidget::paneClosed>},
    {"OptionsRequested", onDock<&DockWidget::optionsRequested>},
    {"ContextMenuRequested", onDock<&DockWidget::contextMenuRequested>},
    {"ViewActionToggled", onPanes<&QAction::toggled, &Pane::toggleViewAction>},
    {"LayoutChanged", onDock<&DockWidget::layoutChanged>},
    {"CoreClosed", onCore<&CoreEvents::closed, std::string>},
    {"CoreCtlResize", onCore<&CoreEvents::ctlResize, std::string>},
    {"CoreOptShow", onCore<&CoreEvents::optShow, std::string, bool>},
    {"CoreRightClick", onCore<&CoreEvents::rightClick, std::string>},
    {"WidgetResized", onWidgetResize},
};

class DeletedInASlot : public QtDock, public ::testing::WithParamInterface<Slot> {
 protected:
  /// Each public call and each kind of the user's input, on a dock whose pane a is expanded with
  /// its options button, b collapsed and c hidden.
  std::vector<std::pair<const char*, std::function<void()>>> actions() {
    return {
        {"collapse", [this] { d->pane("a")->setState(PaneState::Collapsed); }},
        {"expand", [this] { d->pane("b")->setState(PaneState::Expanded); }},
        {"view action shows", [this] { d->pane("c")->toggleViewAction()->trigger(); }},
        {"group", [this] { d->pane("a")->setGroup(PaneGroup::Bottom); }},
        {"height", [this] { d->pane("a")->setHeight(150); }},
        {"closable", [this] { d->pane("a")->setClosable(false); }},
        {"options", [this] { d->pane("b")->setOptionsVisible(true); }},
        {"insert", [this] { d->insertPane(0, "n", new QLabel("n"), "N"); }},
        {"remove", [this] { d->removePane("a"); }},
        {"take", [this] { delete d->takeWidget("a"); }},
        {"height after a widget went", [this] { delete d->pane("b")->widget(), d->pane("a")->height(); }},
        {"move after a widget went", [this] { delete d->pane("b")->widget(), d->movePane("a", 1); }},
        {"restore after a widget went", [this] { delete d->pane("b")->widget(), d->restoreState(fresh); }},
        {"move", [this] { d->movePane("a", 2); }},
        {"show all", [this] { d->showAllPanes(); }},
        {"reset", [this] { d->resetLayout(); }},
        {"restore", [this] { d->restoreState(fresh); }},
        {"scrollable", [this] { d->setScrollable(true); }},
        {"fit", [this] { d->setFitToContent(true); }},
        {"palette", [this] { d->setPalette(pinned(QPalette(Qt::darkGray))); }},
        {"resize", [this] { d->resize(d->width() - 30, d->height() - 40); }},
        {"space", [this] { QTest::keyClick(titleOf("a"), Qt::Key_Space); }},
        {"delete key", [this] { QTest::keyClick(titleOf("a"), Qt::Key_Delete); }},
        {"alt down", [this] { QTest::keyClick(titleOf("a"), Qt::Key_Down, Qt::AltModifier); }},
        {"menu key", [this] { QTest::keyClick(titleOf("a"), Qt::Key_Menu); }},
        {"collapse button", [this] { click(middle(access().imgCollapse(indexOf("a")))); }},
        {"expand button", [this] { click(middle(access().imgExpand(indexOf("b")))); }},
        {"close button", [this] { click(middle(access().imgClose(indexOf("a")))); }},
        {"options button", [this] { click(middle(access().imgOpt(indexOf("a")))); }},
        {"right click", [this] { click(onTitle("a"), Qt::RightButton); }},
        {"right click background", [this] { click(QPointF(2000, 5900), Qt::RightButton); }},
        {"title drop", [this] { drag(onTitle("a"), onTitle("b")); }},
        {"screen reader press",
         [this] { press(QAccessible::queryAccessibleInterface(titleOf("a"))->child(0)->child(0)); }},
    };
  }

  /// The layout the dock starts with, which the restore brings back.
  QByteArray fresh;
};

TEST_P(DeletedInASlot, DuringEachCallAndInputTheDockGoesAtOnceAndNothingOfItIsTouchedAfterwards) {
  int deletions = 0;
  for (const auto& [name, action] : actions()) {
    // Qt itself does not survive a widget deleted inside its own resize().
    if (GetParam().second == onWidgetResize && name == std::string("resize")) continue;
    if (!d) panes();
    fresh = d->saveState();
    d->pane("a")->setOptionsVisible(true);
    d->pane("b")->setState(PaneState::Collapsed);
    d->pane("c")->setState(PaneState::Hidden);
    turn();
    SCOPED_TRACE(name);
    const QPointer<DockWidget> dock = d;
    bool deleted = false;
    GetParam().second(d, window.get(), [dock, &deleted] {
      if (dock) deleted = true, delete dock.data();
    });
    QList<QPointer<QObject>> parts{d};
    QList<QPointer<QWidget>> widgets;
    for (Pane* p : d->panes())
      parts << p, widgets << p->widget();
    action();
    // Gone for the application as soon as its slot deleted it: the dock and its panes, and the
    // panes' widgets out of its window; after the turn nothing of it is left.
    if (deleted) {
      for (const QPointer<QObject>& part : parts)
        EXPECT_TRUE(part.isNull()) << part->metaObject()->className();
      for (const QPointer<QWidget>& w : widgets)
        EXPECT_FALSE(window->isAncestorOf(w)) << w->objectName().toStdString();
    }
    turn();
    ASSERT_EQ(dock.isNull(), deleted) << "deleted by nothing but the slot";
    delete dock.data();
    deletions += deleted, d = nullptr;
    EXPECT_TRUE(window->findChildren<QWidget*>().isEmpty());
    for (const QPointer<QWidget>& w : widgets)
      EXPECT_TRUE(w.isNull());
  }
  // Every slot ran inside some of the calls and input.
  EXPECT_GT(deletions, 0);
  RecordProperty("deletions", deletions);
}

INSTANTIATE_TEST_SUITE_P(EachSlot, DeletedInASlot, ::testing::ValuesIn(kSlots),
                         [](const testing::TestParamInfo<Slot>& i) { return std::string(i.param.first); });

TEST_F(QtDock, HostedWidgetsMovedToAnotherWindowStayThereWhenTheDockOrItsWindowGoes) {
  QWidget other;
  for (bool wholeWindow : {false, true}) {
    SCOPED_TRACE(wholeWindow);
    if (!d) panes();
    const QPointer<QWidget> moved = d->pane("b")->widget();
    moved->setParent(&other), moved->setGeometry(5, 6, 70, 80), moved->show();
    wholeWindow ? window.reset() : delete d;
    d = nullptr;
    turn();
    ASSERT_TRUE(moved);
    EXPECT_EQ(std::tuple(moved->parentWidget(), moved->geometry(), moved->isHidden()),
              std::tuple(&other, QRect(5, 6, 70, 80), false));
  }
}

}  // namespace
}  // namespace tov::qt

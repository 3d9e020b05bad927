// The dock deleted by the application from inside its own calls and signals, and hosted widgets that
// leave for another window or delete the dock from their own events: nothing of the dock is touched
// once it is gone, and it is gone for the application at once.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QLabel>
#include <QPointer>
#include <algorithm>
#include <functional>
#include <vector>

#include "qt_dock_fixture.h"

namespace tov::qt {
namespace {

/// Lets deleteLater and the queued signals run.
void turn() {
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QCoreApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

/// Where the application's slot that deletes the dock is connected.
enum class Slot {
  PaneStateChanged,
  DockPaneStateChanged,
  PaneClosed,
  OptionsRequested,
  ContextMenuRequested,
  ViewActionToggled,
  LayoutChanged,
  CoreClosed,
  CoreCtlResize,
  CoreOptShow,
  CoreRightClick
};

class DeletedInASlot : public QtDock, public ::testing::WithParamInterface<Slot> {
 protected:
  /// Pane a expanded with its options button, b collapsed, c hidden.
  void prepare() {
    d->pane("a")->setOptionsVisible(true);
    d->pane("b")->setState(PaneState::Collapsed);
    d->pane("c")->setState(PaneState::Hidden);
    turn();
  }

  /// Connects the slot, which deletes the dock the first time it runs.
  void arm() {
    const QPointer<DockWidget> target = d;
    auto kill = [this, target] {
      if (!target) return;
      ++deleted;
      delete target.data();
    };
    CoreEvents events;
    switch (GetParam()) {
      case Slot::PaneStateChanged:
        for (Pane* p : d->panes())
          QObject::connect(p, &Pane::stateChanged, window.get(), kill);
        break;
      case Slot::DockPaneStateChanged:
        QObject::connect(d, &DockWidget::paneStateChanged, window.get(), kill);
        break;
      case Slot::PaneClosed:
        QObject::connect(d, &DockWidget::paneClosed, window.get(), kill);
        break;
      case Slot::OptionsRequested:
        QObject::connect(d, &DockWidget::optionsRequested, window.get(), kill);
        break;
      case Slot::ContextMenuRequested:
        QObject::connect(d, &DockWidget::contextMenuRequested, window.get(), kill);
        break;
      case Slot::ViewActionToggled:
        for (Pane* p : d->panes())
          QObject::connect(p->toggleViewAction(), &QAction::toggled, window.get(), kill);
        break;
      case Slot::LayoutChanged:
        QObject::connect(d, &DockWidget::layoutChanged, window.get(), kill);
        break;
      case Slot::CoreClosed:
        events.closed = [kill](std::string&) { kill(); };
        break;
      case Slot::CoreCtlResize:
        events.ctlResize = [kill](std::string&) { kill(); };
        break;
      case Slot::CoreOptShow:
        events.optShow = [kill](std::string&, bool&) { kill(); };
        break;
      case Slot::CoreRightClick:
        events.rightClick = [kill](std::string&) { kill(); };
        break;
    }
    setCoreEvents(d, events);
  }

  void keyOn(const char* pane, int k, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::keyClick(titleOf(pane), Qt::Key(k), mods);
  }
  void press(const char* pane, Image& (DockTestAccess::*which)(int)) {
    DockTestAccess a = access();
    clickAlive(middle((a.*which)(indexOf(pane))));
  }
  /// A click whose release comes only while the dock is still there to take it.
  void clickAlive(QPointF at, Qt::MouseButton b = Qt::LeftButton) {
    const QPointer<DockWidget> alive = d;
    mouse(QEvent::MouseButtonPress, at, b);
    if (alive) mouse(QEvent::MouseButtonRelease, at, b);
  }

  /// Each public call and each kind of the user's input, on the prepared dock.
  std::vector<std::pair<const char*, std::function<void()>>> actions() {
    return {
        {"collapse", [this] { d->pane("a")->setState(PaneState::Collapsed); }},
        {"expand", [this] { d->pane("b")->setState(PaneState::Expanded); }},
        {"hide", [this] { d->pane("a")->setState(PaneState::Hidden); }},
        {"view action shows", [this] { d->pane("c")->toggleViewAction()->trigger(); }},
        {"view action hides", [this] { d->pane("a")->toggleViewAction()->trigger(); }},
        {"group", [this] { d->pane("a")->setGroup(PaneGroup::Bottom); }},
        {"height", [this] { d->pane("a")->setHeight(150); }},
        {"title", [this] { d->pane("a")->setTitle("Title"); }},
        {"right title", [this] { d->pane("a")->setRightTitle("right"); }},
        {"icon", [this] { d->pane("a")->setIcon(QIcon(QPixmap(16, 16))); }},
        {"resizable", [this] { d->pane("a")->setResizable(false); }},
        {"closable", [this] { d->pane("a")->setClosable(false); }},
        {"movable", [this] { d->pane("a")->setMovable(false); }},
        {"options", [this] { d->pane("b")->setOptionsVisible(true); }},
        {"add", [this] { d->addPane("n", new QLabel("n"), "N"); }},
        {"insert", [this] { d->insertPane(0, "n", new QLabel("n"), "N"); }},
        {"remove", [this] { d->removePane("a"); }},
        {"take", [this] { delete d->takeWidget("a"); }},
        {"move", [this] { d->movePane("a", 2); }},
        {"show all", [this] { d->showAllPanes(); }},
        {"reset", [this] { d->resetLayout(); }},
        {"restore",
         [this] {
           d->restoreState(stateOf({{"c", 1, 1, 900}, {"a", 4, 0, 900}, {"b", 1, 1, 900}}));
         }},
        {"scrollable", [this] { d->setScrollable(true); }},
        {"fit", [this] { d->setFitToContent(true); }},
        {"colour", [this] { d->setColor(DockWidget::TitleStart, Qt::red); }},
        {"palette", [this] { d->setPalette(pinned(QPalette(Qt::darkGray))); }},
        {"auto save", [this] { d->setAutoSave(true); }},
        {"object name", [this] { d->setObjectName("renamed"); }},
        {"resize", [this] { d->resize(d->width() - 30, d->height() - 40); }},
        {"hide dock", [this] { d->hide(); }},
        {"space", [this] { keyOn("a", Qt::Key_Space); }},
        {"delete key", [this] { keyOn("a", Qt::Key_Delete); }},
        {"alt down", [this] { keyOn("a", Qt::Key_Down, Qt::AltModifier); }},
        {"alt up", [this] { keyOn("b", Qt::Key_Up, Qt::AltModifier); }},
        {"menu key", [this] { keyOn("a", Qt::Key_Menu); }},
        {"collapse button", [this] { press("a", &DockTestAccess::imgCollapse); }},
        {"expand button", [this] { press("b", &DockTestAccess::imgExpand); }},
        {"close button", [this] { press("a", &DockTestAccess::imgClose); }},
        {"options button", [this] { press("a", &DockTestAccess::imgOpt); }},
        {"right click", [this] { clickAlive(onTitle("a"), Qt::RightButton); }},
        {"right click background",
         [this] {
           clickAlive(QPointF(coreDock(d)->Width() - 15, coreDock(d)->Height() - 15), Qt::RightButton);
         }},
        {"splitter drag",
         [this] {
           const QPointF grip = at(access().picSplit(indexOf("a"))) + QPointF(600, 20);
           const QPointer<DockWidget> alive = d;
           mouse(QEvent::MouseButtonPress, grip);
           if (alive) mouse(QEvent::MouseMove, grip - QPointF(0, 600));
           if (alive) mouse(QEvent::MouseButtonRelease, grip - QPointF(0, 600));
         }},
        {"title drop",
         [this] {
           const QPointF from = onTitle("a"), to = onTitle("b");
           const QPointer<DockWidget> alive = d;
           mouse(QEvent::MouseButtonPress, from);
           if (alive) mouse(QEvent::MouseMove, to);
           if (alive) mouse(QEvent::MouseButtonRelease, to);
         }},
        {"screen reader press",
         [this] {
           QAccessibleInterface* title = QAccessible::queryAccessibleInterface(titleOf("a"));
           title->child(0)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
         }},
    };
  }

  int deleted = 0;
};

TEST_P(DeletedInASlot, DuringEachCallAndInputTheDockGoesAtOnceAndNothingOfItIsTouchedAfterwards) {
  const std::size_t n = actions().size();
  int deletions = 0;
  for (std::size_t k = 0; k < n; ++k) {
    if (k > 0) panes();
    prepare();
    const auto [name, act] = actions()[k];
    SCOPED_TRACE(name);
    arm();
    QList<QPointer<QObject>> parts{d};
    QList<QPointer<QWidget>> widgets;
    for (Pane* p : d->panes()) {
      parts << p;
      widgets << p->widget();
    }
    deleted = 0;
    act();
    if (deleted) {
      // Gone for the application as soon as its slot deleted it: the dock and its panes, and the
      // panes' widgets out of its window.
      for (const QPointer<QObject>& part : parts)
        EXPECT_TRUE(part.isNull()) << (part ? part->metaObject()->className() : "");
      for (const QPointer<QWidget>& w : widgets)
        EXPECT_TRUE(!w || !window->isAncestorOf(w)) << w->objectName().toStdString();
    }
    turn();
    if (deleted) {
      ++deletions;
      EXPECT_TRUE(window->findChildren<QWidget*>().isEmpty());
      EXPECT_TRUE(
          std::all_of(widgets.begin(), widgets.end(), [](const QPointer<QWidget>& w) { return w.isNull(); }));
    } else {
      ASSERT_TRUE(parts[0]) << "deleted by nothing but the slot";
      delete d;
    }
    d = nullptr;
  }
  // Every slot ran inside some of the calls and input.
  EXPECT_GT(deletions, 0);
  RecordProperty("deletions", deletions);
}

INSTANTIATE_TEST_SUITE_P(EachSlot, DeletedInASlot,
                         ::testing::Values(Slot::PaneStateChanged, Slot::DockPaneStateChanged,
                                           Slot::PaneClosed, Slot::OptionsRequested,
                                           Slot::ContextMenuRequested, Slot::ViewActionToggled,
                                           Slot::LayoutChanged, Slot::CoreClosed, Slot::CoreCtlResize,
                                           Slot::CoreOptShow, Slot::CoreRightClick));

/// Deletes the dock when one of the widgets it watches is resized, before the widget's own
/// resizeEvent runs.
class DeleteOnResize : public QObject {
 public:
  explicit DeleteOnResize(DockWidget* dock) : mDock(dock) {}
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Resize && mDock) delete mDock.data();
    return false;
  }

 private:
  QPointer<DockWidget> mDock;
};

TEST_F(QtDock, HostedWidgetsMovedToAnotherWindowStayThereAndOnesThatDeleteTheDockWhenResizedEndIt) {
  QWidget other;
  for (bool wholeWindow : {false, true}) {
    SCOPED_TRACE(wholeWindow);
    if (!d) panes();
    const QPointer<QWidget> moved = d->pane("b")->widget();
    moved->setParent(&other);
    moved->setGeometry(5, 6, 70, 80);
    moved->show();
    if (wholeWindow) {
      window.reset();
    } else {
      delete d;
    }
    d = nullptr;
    turn();
    ASSERT_TRUE(moved);
    EXPECT_EQ(moved->parentWidget(), &other);
    EXPECT_EQ(moved->geometry(), QRect(5, 6, 70, 80));
    EXPECT_FALSE(moved->isHidden());
  }
  window = std::make_unique<QWidget>();
  window->show();
  for (const bool byCall : {false, true}) {
    SCOPED_TRACE(byCall);
    panes();
    turn();
    const QPointer<DockWidget> dock = d;
    DeleteOnResize filter(d);
    for (Pane* p : d->panes())
      p->widget()->installEventFilter(&filter);
    if (byCall) {
      d->pane("a")->setState(PaneState::Collapsed);
    } else {
      const QPointF button = middle(access().imgCollapse(indexOf("a")));
      mouse(QEvent::MouseButtonPress, button);
      if (dock) mouse(QEvent::MouseButtonRelease, button);
    }
    EXPECT_TRUE(dock.isNull());
    turn();
    EXPECT_TRUE(window->findChildren<QWidget*>().isEmpty());
    d = nullptr;
  }
}

}  // namespace
}  // namespace tov::qt

// The list of panes from code: inserting, moving, removing and taking panes on a shown dock and on
// one not shown yet (the seeded walk deletes hosted widgets under their panes), and what the dock must not
// take as it is: keys that would share a record, colour roles out of range and panes whose bars the
// application cleared. Then panes sized for their content, on real widgets: an IDE-like side bar whose
// panes fill the dock at or above their widgets' minimums, through splitter drags, a deep shrink and the
// scroll mode.

#include "qt_dock_fixture.h"

namespace tov::qt {
namespace {

using PaneList = QtDock;

TEST_F(PaneList, InsertMoveRemoveAndTakeKeepTheOtherPanesTheirPlacesStatesGroupsAndWidgets) {
  d->pane("b")->setState(PaneState::Collapsed), d->pane("b")->setHeight(90);
  d->pane("c")->setGroup(PaneGroup::Bottom), d->pane("c")->setMovable(false);
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

class QtSizing : public QtDock {
 protected:
  /// A search line that does not resize, a file tree, notes and a form; an outline and a calendar
  /// side by side; a problems list at the bottom. Shown 560 x 659 pixels.
  void sideBar(bool scrollable = false) {
    delete d;
    window->resize(600, 700);
    d = new DockWidget(window.get());
    d->setAutoSave(false), d->setScrollable(scrollable);
    auto* form = new QWidget;
    auto* fields = new QFormLayout(form);
    fields->addRow("Name", new QLineEdit("Main dock"));
    fields->addRow("Kind", new QComboBox);
    fields->addRow("Width", new QSpinBox);
    fields->addRow("", new QCheckBox("Pinned"));
    // The first four at the top, then one pane in each of the other groups.
    const char* keys[] = {"search", "files", "notes", "form", "outline", "calendar", "problems"};
    QWidget* const widgets[] = {new QLineEdit,   new QTreeView,       new QTextEdit,  form,
                                new QListWidget, new QCalendarWidget, new QListWidget};
    for (int i = 0; i < 7; ++i)
      d->addPane(keys[i], widgets[i], keys[i])->setGroup(PaneGroup(std::max(0, i - 3)));
    d->pane("search")->setResizable(false);
    d->setGeometry(0, 0, 560, 659);
    d->show();
  }
  /// Every pane's frame height.
  std::map<QString, int> heights() {
    std::map<QString, int> all;
    for (Pane* p : d->panes())
      all[p->key()] = frameOf(p)->height();
    return all;
  }
  /// Every expanded pane's widget is at least its minimum, and covers its frame from the title
  /// strip's lower edge to the splitter strip, or to the frame's bottom without one.
  void expectFitted(const char* when) {
    SCOPED_TRACE(when);
    int bottom = 0;
    for (Pane* p : d->panes()) {
      const BarElementsView e = coreDock(d)->elementsOf(coreBar(p)->Index());
      const QWidget* frame = frameOf(p);
      bottom = std::max(bottom, frame->geometry().bottom() + 1);
      if (p->state() != PaneState::Expanded) continue;
      const int top = QtToolkit::pixelRect(*e.title).bottom() + 1;
      const int end = e.splitter->Visible() ? QtToolkit::pixelRect(*e.splitter).y() : frame->height();
      EXPECT_EQ(p->widget()->geometry(), QRect(0, top, frame->width(), end - top)) << p->key().toStdString();
      EXPECT_GE(p->widget()->height(), p->widget()->minimumSizeHint().height()) << p->key().toStdString();
    }
    EXPECT_EQ(bottom, d->height()) << "the dock's last pixel row is used";
  }
};

TEST_F(QtSizing, ASideBarFillsTheDockAtItsWidgetsMinimumsThroughADragAndAShrinkOrScrolls) {
  sideBar();
  expectFitted("shown");
  // The dock asks for the titles and minimum bodies of its panes, the columns side by side, and
  // for two calendars' widths.
  std::map<QString, int> least;
  for (Pane* p : d->panes())
    least[p->key()] = QtToolkit::pixelRect(*coreDock(d)->elementsOf(coreBar(p)->Index()).title).height() +
                      p->widget()->minimumSizeHint().height();
  const int needed = least["search"] + least["files"] + least["notes"] + least["form"] +
                     std::max(least["outline"], least["calendar"]) + least["problems"];
  const QSize hint = d->minimumSizeHint();
  EXPECT_GE(hint.height(), needed);
  EXPECT_GE(hint.width(), 2 * d->pane("calendar")->widget()->minimumSizeHint().width());
  EXPECT_LT(hint.height(), needed + 7 * 7) << "no more than a splitter strip per pane";

  // The splitter under the file tree, dragged 60 pixels down, stops where the notes below reach
  // their minimum; the other panes stay.
  const std::map<QString, int> before = heights();
  const QPointF grip =
      at(*coreDock(d)->elementsOf(coreBar(d->pane("files"))->Index()).splitter) + QPointF(600, 40);
  const QPointF step(0, 20 / pixelsPerTwip());
  drag({grip, grip + step, grip + 2 * step, grip + 3 * step});
  std::map<QString, int> dragged = heights();
  const QWidget* notes = d->pane("notes")->widget();
  EXPECT_GT(dragged["files"], before.at("files"));
  EXPECT_LT(notes->height(), notes->minimumSizeHint().height() + 2) << "the notes gave all they had";
  EXPECT_EQ(dragged["files"] + dragged["notes"], before.at("files") + before.at("notes"));
  EXPECT_EQ(dragged["form"], before.at("form"));
  expectFitted("dragged");

  // A shrink far below the minimums folds panes from the bottom; growing back restores every height.
  d->resize(400, 300);
  EXPECT_EQ(d->pane("problems")->state(), PaneState::Collapsed);
  d->resize(560, 659);
  for (const auto& [key, height] : heights())
    EXPECT_NEAR(height, dragged[key], 1) << key.toStdString();
  expectFitted("grown back");
  // Folded for want of room, a pane opens again when it has room, also once the panes were made anew.
  d->resize(400, 300);
  d->removePane("outline");
  d->resize(560, 659);
  EXPECT_EQ(d->pane("problems")->state(), PaneState::Expanded);

  // With scrolling the panes start at their preferred heights.
  sideBar(true);
  for (Pane* p : d->panes())
    EXPECT_NEAR(p->widget()->height(), p->widget()->sizeHint().height(), 1) << p->key().toStdString();
  // Scrolling, the dock needs no room for its panes' minimums.
  EXPECT_LT(d->minimumSizeHint().height(), d->pane("form")->widget()->minimumSizeHint().height());

  // A click on a title strip takes the focus to it; keys a hosted widget lets pass are not the strip's:
  // Ctrl+Z in the file tree is the window's Undo.
  Pane* files = d->pane("files");
  click(at(*coreDock(d)->elementsOf(coreBar(files)->Index()).title) + QPointF(600, 60), Qt::RightButton);
  QWidget* clicked = window->focusWidget();
  QWidget* search = d->pane("search")->widget();
  search->setFocus(), QTest::keyClick(search, Qt::Key_Down, Qt::AltModifier);
  EXPECT_EQ(std::pair(clicked, d->panes().first()->key()), std::pair(frameOf(files), QString("search")));
  QAction* undo = new QAction(window.get());
  undo->setShortcut(QKeySequence::Undo), window->addAction(undo), window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  QSignalSpy undone(undo, &QAction::triggered);
  files->widget()->setFocus(), QTest::keyClick(files->widget(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(undone.count(), 1);
}

TEST_F(QtSizing, AWidgetThatHidesAPaneWhileTheFitFillsItLeavesTheFitOfTheNewStates) {
  Pane* hide = nullptr;
  auto* b = new QLabel("b");
  b->installEventFilter(new EventCount(
      QEvent::Resize, [&] { hide ? hide->setState(PaneState::Hidden) : void(); }, b));
  d->setFitToContent(true);
  d->removePane("b");
  d->insertPane(1, "b", b, "b");
  d->pane("c")->setGroup(PaneGroup::Bottom);
  turn();
  // The fit moves b's frame by a pixel and fills b's widget to it, before it sets c.
  hide = d->pane("a");
  d->pane("a")->setHeight(d->pane("a")->height() - 32);
  const std::string fitted = layoutOf(d);
  coreDock(d)->relayout();
  EXPECT_EQ(layoutOf(d), fitted);
}

}  // namespace
}  // namespace tov::qt

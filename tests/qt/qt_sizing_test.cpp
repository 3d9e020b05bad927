// Panes sized for their content, on real widgets: an IDE-like side bar whose panes fill the dock at
// or above their widgets' minimums, through splitter drags, a deep shrink and the scroll mode.

#include "qt_dock_fixture.h"

namespace tov::qt {
namespace {

class QtSizing : public QtDock {
 protected:
  /// A search line that does not resize, a file tree, notes and a form; an outline and a calendar
  /// side by side; a problems list at the bottom. Shown 560 x 659 pixels.
  void sideBar(bool scrollable = false) {
    delete d;
    window->resize(600, 700);
    d = new DockWidget(window.get());
    d->setAutoSave(false);
    d->setScrollable(scrollable);
    auto add = [&](const char* key, QWidget* w, PaneGroup group) {
      d->addPane(key, w, key)->setGroup(group);
    };
    auto* form = new QWidget;
    auto* fields = new QFormLayout(form);
    fields->addRow("Name", new QLineEdit("Main dock"));
    fields->addRow("Kind", new QComboBox);
    fields->addRow("Width", new QSpinBox);
    fields->addRow("", new QCheckBox("Pinned"));
    add("search", new QLineEdit, PaneGroup::Top);
    d->pane("search")->setResizable(false);
    add("files", new QTreeView, PaneGroup::Top);
    add("notes", new QTextEdit, PaneGroup::Top);
    add("form", form, PaneGroup::Top);
    add("outline", new QListWidget, PaneGroup::Left);
    add("calendar", new QCalendarWidget, PaneGroup::Right);
    add("problems", new QListWidget, PaneGroup::Bottom);
    d->setGeometry(0, 0, 560, 659);
    d->show();
  }
  QWidget* widgetOf(Panel* e) { return QtToolkit::widgetOf(*e); }
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
      const QWidget* split = widgetOf(e.splitter);
      const int top = widgetOf(e.title)->geometry().bottom() + 1;
      const int end = split->isVisible() ? split->y() : frame->height();
      EXPECT_EQ(p->widget()->geometry(), QRect(0, top, frame->width(), end - top)) << p->key().toStdString();
      EXPECT_GE(p->widget()->height(), p->widget()->minimumSizeHint().height()) << p->key().toStdString();
    }
    EXPECT_EQ(bottom, d->height()) << "the dock's last pixel row is used";
  }
};

TEST_F(QtSizing, ASideBarFillsTheDockAtItsWidgetsMinimumsThroughADragAndAShrink) {
  sideBar();
  expectFitted("shown");
  // The dock asks for the titles and minimum bodies of its panes, the columns side by side, and
  // for two calendars' widths.
  std::map<QString, int> least;
  for (Pane* p : d->panes())
    least[p->key()] = widgetOf(coreDock(d)->elementsOf(coreBar(p)->Index()).title)->height() +
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
  const Panel* strip = coreDock(d)->elementsOf(coreBar(d->pane("files"))->Index()).splitter;
  const QPointF grip(test::UiDriver::absLeft(*strip) + 600, test::UiDriver::absTop(*strip) + 40);
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
}

TEST_F(QtSizing, AWidgetThatHidesAPaneWhileTheFitFillsItLeavesTheFitOfTheNewStates) {
  struct Hiding : QLabel {
    using QLabel::QLabel;
    void resizeEvent(QResizeEvent* e) override {
      QLabel::resizeEvent(e);
      if (pane) std::exchange(pane, nullptr)->setState(PaneState::Hidden);
    }
    Pane* pane = nullptr;
  };
  auto* b = new Hiding("b");
  d->setFitToContent(true);
  d->removePane("b");
  d->insertPane(1, "b", b, "b");
  d->pane("c")->setGroup(PaneGroup::Bottom);
  turn();
  // The fit moves b's frame by a pixel and fills b's widget to it, before it sets c.
  b->pane = d->pane("a");
  d->pane("a")->setHeight(d->pane("a")->height() - 32);
  const std::string fitted = layoutOf(d);
  coreDock(d)->relayout();
  EXPECT_EQ(layoutOf(d), fitted);
}

TEST_F(QtSizing, WithScrollingPanesStartAtTheirPreferredHeight) {
  sideBar(true);
  for (Pane* p : d->panes())
    EXPECT_NEAR(p->widget()->height(), p->widget()->sizeHint().height(), 1) << p->key().toStdString();
  // Scrolling, the dock needs no room for its panes' minimums.
  EXPECT_LT(d->minimumSizeHint().height(), d->pane("form")->widget()->minimumSizeHint().height());
}

}  // namespace
}  // namespace tov::qt

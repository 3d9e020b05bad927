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

TEST_F(QtSizing, ASideBarFillsTheDockAtItsWidgetsMinimumsThroughADragAndAShrinkOrScrolls) {
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
}

}  // namespace
}  // namespace tov::qt

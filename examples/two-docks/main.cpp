// Two docks in one window, one on each side of the editor. Each keeps a layout of its own in the
// default settings store, under its objectName: the same key names a different pane in each dock.
#include <tovdock/qt/dock_widget.h>

#include <QApplication>
#include <QCalendarWidget>
#include <QFormLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTextEdit>

using tov::qt::DockWidget;
using tov::qt::PaneGroup;

static QWidget* propertiesForm() {
  auto* form = new QWidget;
  auto* layout = new QFormLayout(form);
  layout->addRow("Name", new QLineEdit("chapter-1.txt"));
  layout->addRow("Author", new QLineEdit);
  return form;
}

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QCoreApplication::setApplicationName("two-docks");  // names the settings store
  QMainWindow window;
  auto* split = new QSplitter(&window);

  auto* left = new DockWidget(split);
  left->setObjectName("left");  // the layout is kept under this name
  auto* editor = new QPlainTextEdit(split);
  editor->setPlainText("Drag the panes of either dock, close some, and run the example again.");
  auto* right = new DockWidget(split);
  right->setObjectName("right");
  split->setStretchFactor(1, 1);
  window.setCentralWidget(split);

  auto* chapters = new QListWidget;
  chapters->addItems({"Chapter 1", "Chapter 2", "Chapter 3"});
  left->addPane("contents", chapters, "Chapters");
  left->addPane("notes", new QTextEdit, "Notes")->setClosable(true);

  right->addPane("properties", propertiesForm(), "Properties");
  right->addPane("calendar", new QCalendarWidget, "Calendar")->setGroup(PaneGroup::Bottom);
  right->addPane("notes", new QTextEdit, "Review notes")->setClosable(true);
  for (DockWidget* dock : {left, right})
    for (const char* key : {"notes", "calendar"})
      if (tov::qt::Pane* pane = dock->pane(key)) pane->setResizable(true);

  window.resize(1000, 600);
  window.show();
  return app.exec();
}

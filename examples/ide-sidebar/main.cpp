// An IDE's sidebar beside its editor: a project tree, an outline, a search and the problems at the
// bottom. The View menu (also the context menu of the titles) hides and shows the panes; the window,
// the splitter and the dock's layout are kept in QSettings.
#include <tovdock/qt/dock_widget.h>

#include <QApplication>
#include <QDir>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTreeView>
#include <QVBoxLayout>

using tov::qt::DockWidget;
using tov::qt::Pane;

static QWidget* searchPanel() {
  auto* panel = new QWidget;
  auto* layout = new QVBoxLayout(panel);
  auto* query = new QLineEdit(panel);
  query->setPlaceholderText("Find in files");
  auto* results = new QListWidget(panel);
  layout->addWidget(query);
  layout->addWidget(results);
  QObject::connect(query, &QLineEdit::returnPressed, results,
                   [=] { results->addItem("No results for \"" + query->text() + "\""); });
  return panel;
}

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QCoreApplication::setOrganizationName("TovDocking3 examples");
  QCoreApplication::setApplicationName("ide-sidebar");
  QMainWindow window;
  auto* split = new QSplitter(&window);
  auto* dock = new DockWidget(split);
  dock->setAutoSave(false);  // kept in QSettings with the rest of the window
  new QPlainTextEdit("int main() {\n  return 0;\n}\n", split);
  split->setStretchFactor(1, 1);
  window.setCentralWidget(split);

  auto* files = new QFileSystemModel(&window);
  files->setRootPath(QDir::currentPath());
  auto* tree = new QTreeView;
  tree->setModel(files);
  tree->setRootIndex(files->index(QDir::currentPath()));
  tree->setHeaderHidden(true);
  for (int column = 1; column < files->columnCount(); ++column)
    tree->hideColumn(column);
  auto* outline = new QListWidget;
  outline->addItems({"main()", "searchPanel()"});
  auto* problems = new QListWidget;
  problems->addItem("main.cpp:2: warning: unused parameter 'argc'");

  QStyle* style = app.style();
  Pane* project = dock->addPane("project", tree, "Project", style->standardIcon(QStyle::SP_DirIcon));
  project->setRightTitle(QDir::current().dirName());
  project->setHeight(260);
  dock->addPane("outline", outline, "Outline", style->standardIcon(QStyle::SP_FileDialogListView));
  dock->addPane("search", searchPanel(), "Search", style->standardIcon(QStyle::SP_FileDialogContentsView))
      ->setState(tov::qt::PaneState::Collapsed);
  dock->addPane("problems", problems, "Problems", style->standardIcon(QStyle::SP_MessageBoxWarning))
      ->setGroup(tov::qt::PaneGroup::Bottom);

  QMenu* view = window.menuBar()->addMenu("&View");
  for (const char* key : {"project", "outline", "search", "problems"}) {
    Pane* pane = dock->pane(key);
    pane->setResizable(true);
    pane->setClosable(true);
    view->addAction(pane->toggleViewAction());
  }
  QObject::connect(dock, &DockWidget::contextMenuRequested,
                   [view](const QString&, const QPoint& at) { view->popup(at); });
  QObject::connect(dock, &DockWidget::paneClosed, [&window](const QString& key) {
    window.statusBar()->showMessage(key + " closed: View brings it back", 3000);
  });

  window.resize(900, 600);
  QSettings settings;
  window.restoreGeometry(settings.value("window").toByteArray());
  split->restoreState(settings.value("splitter").toByteArray());
  dock->restoreState(settings.value("sidebar").toByteArray());
  QObject::connect(&app, &QCoreApplication::aboutToQuit, [&] {
    QSettings settings;
    settings.setValue("window", window.saveGeometry());
    settings.setValue("splitter", split->saveState());
    settings.setValue("sidebar", dock->saveState());
  });
  window.show();
  return app.exec();
}

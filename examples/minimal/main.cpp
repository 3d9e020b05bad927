// The smallest program with a dock: three panes, one of them at the bottom, and the layout kept in
// QSettings between runs.
#include <tovdock/qt/dock_widget.h>

#include <QApplication>
#include <QDebug>
#include <QListWidget>
#include <QMainWindow>
#include <QSettings>
#include <QTextEdit>
#include <QTreeView>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QCoreApplication::setOrganizationName("TovDocking3 examples");  // where QSettings keeps the layout
  QCoreApplication::setApplicationName("minimal");
  QMainWindow window;

  auto* dock = new tov::qt::DockWidget(&window);   // lays itself out when first shown
  dock->setAutoSave(false);                        // the layout goes to QSettings below
  dock->addPane("files", new QTreeView, "Files");  // the dock owns the widgets
  dock->addPane("notes", new QTextEdit, "Notes");
  dock->addPane("log", new QListWidget, "Log")->setGroup(tov::qt::PaneGroup::Bottom);
  QObject::connect(dock, &tov::qt::DockWidget::paneClosed,
                   [](const QString& key) { qDebug() << key << "closed"; });
  QSettings settings;
  dock->restoreState(settings.value("dock").toByteArray());
  QObject::connect(qApp, &QCoreApplication::aboutToQuit,
                   [dock] { QSettings().setValue("dock", dock->saveState()); });

  window.setCentralWidget(dock);
  window.resize(320, 480);
  window.show();
  return app.exec();
}

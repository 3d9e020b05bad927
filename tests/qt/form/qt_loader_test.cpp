// The form of qt_form_test.cpp loaded at run time by QUiLoader with the installed Designer plugin:
// the same dock, of the one DockWidget class the application links.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QUiLoader>
#include <memory>

#include "tovdock/qt/dock_widget.h"

namespace tov::qt {
namespace {

QString panesOf(const DockWidget* dock) {
  QStringList out;
  for (const Pane* p : dock->panes())
    out << p->key() + "=" + p->title();
  return out.join(" ");
}

TEST(QtLoader, QUiLoaderWithTheInstalledPluginBuildsTheDockUicBuilds) {
  QUiLoader loader;
  loader.clearPluginPaths();
  loader.addPluginPath(TOVDOCK_DESIGNER_PLUGINS);
  ASSERT_TRUE(loader.availableWidgets().contains("tov::qt::DockWidget"))
      << loader.errorString().toStdString();
  QFile file(TOVDOCK_FORM);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const std::unique_ptr<QWidget> form(loader.load(&file));
  ASSERT_TRUE(form) << loader.errorString().toStdString();
  // A plugin with a copy of the class of its own would make a widget this cast refuses.
  auto* dock = qobject_cast<DockWidget*>(form->findChild<QWidget*>("dock"));
  ASSERT_TRUE(dock);
  EXPECT_EQ(panesOf(dock), "files=Files notes=Notes");
  EXPECT_EQ(std::tuple(dock->isScrollable(), dock->autoSave()), std::tuple(true, false));
}

}  // namespace
}  // namespace tov::qt

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}

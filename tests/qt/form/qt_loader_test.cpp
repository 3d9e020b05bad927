// The form of qt_form_test.cpp loaded at run time by QUiLoader with the installed Designer plugin:
// the same dock, of the one DockWidget class the application links.
#include <QFile>
#include <QUiLoader>

#include "form_support.h"

namespace tov::qt {
namespace {

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
  expectFormDock(dock);
}

}  // namespace
}  // namespace tov::qt

// Uses the installed Qt component only: a dock widget with three panes, shown offscreen.
#include <tovdock/qt/dock_widget.h>

#include <QApplication>
#include <QLabel>
#include <filesystem>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  QApplication app(argc, argv);
  tov::HostServices::setInstance(std::make_shared<tov::DefaultHostServices>(std::filesystem::path(argv[1])));
  int failures = 0;
  {
    tov::qt::DockWidget dock;
    dock.resize(320, 480);
    for (const char* name : {"First", "Second", "Third"})
      failures += !dock.addPane(name, new QLabel(name), name);
    dock.show();
    failures += dock.grab().isNull();
  }
  tov::HostServices::setInstance(nullptr);
  return failures;
}

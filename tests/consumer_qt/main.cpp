// Uses the installed Qt component through its Qt header alone: a dock widget with three panes, one
// moved, one removed, shown offscreen, and its German translation.
#include <tovdock/qt/dock_widget.h>

#include <QApplication>
#include <QLabel>

// The Qt header shows no core: this name would clash with the core dock's class.
namespace tov {
using TovDock = int;
}

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  int failures = 0;
  {
    tov::qt::DockWidget dock;
    dock.setAutoSave(false), dock.resize(320, 480);
    for (const char* name : {"First", "Second", "Third"})
      failures += !dock.addPane(name, new QLabel(name), name);
    failures += !dock.movePane("Third", 0) || !dock.removePane("Second");
    dock.show();
    failures += dock.indexOf("First") != 1 || dock.count() != 2 || dock.grab().isNull();
  }
  // English without a translator, German with the one shipped.
  const auto close = [] { return QCoreApplication::translate("tov::qt::DockWidget", "Close"); };
  failures += close() != "Close";
  tov::qt::installTranslator(QLocale(QLocale::German));
  failures += close() != "Element ausblenden";
  return failures;
}

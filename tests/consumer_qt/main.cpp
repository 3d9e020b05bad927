// Uses the installed Qt component only: a dock widget with three panes, drawn into a picture.
#include <tovdock/qt/dock_widget.h>

#include <QApplication>
#include <QLabel>
#include <QSet>
#include <filesystem>

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  QApplication app(argc, argv);
  tov::HostServices::setInstance(std::make_shared<tov::DefaultHostServices>(std::filesystem::path(argv[1])));
  int failures = 0;
  {
    tov::qt::DockWidget dock;
    dock.resize(320, 480);
    for (const char* name : {"First", "Second", "Third"})
      failures += !dock.addPane(name, new QLabel(name), name);
    dock.show();
    const QImage shot = dock.grab().toImage();
    failures += !shot.save(argv[2], "PNG");
    QSet<QRgb> colours;
    for (int y = 0; y < shot.height(); ++y)
      for (int x = 0; x < shot.width(); ++x)
        colours.insert(shot.pixel(x, y));
    // The title gradients alone bring dozens of colours; a dock that draws nothing has a few.
    failures += colours.size() < 16;
  }
  tov::HostServices::setInstance(nullptr);
  return failures;
}

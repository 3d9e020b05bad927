// Uses the installed Qt component only: a dock widget with three panes, rendered into a PNG that
// is then read back and looked at.
#include <tovdock/qt/dock_widget.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QSet>
#include <cstdio>
#include <filesystem>
#include <vector>

namespace {

int fail(const char* what) {
  std::fprintf(stderr, "consumer: %s\n", what);
  return 1;
}

int run(const char* png) {
  tov::qt::DockWidget dock;
  dock.resize(320, 480);
  std::vector<QWidget*> panes;
  for (const char* name : {"First", "Second", "Third"}) {
    tov::qt::Pane* pane = dock.addPane(name, new QLabel(name), name);
    if (!pane) return fail("a pane could not be added");
    panes.push_back(pane->widget());
  }
  dock.show();  // lays the panes out
  if (!dock.grab().save(png, "PNG")) return fail("the picture could not be written");

  const QImage shot(png);
  if (shot.isNull()) return fail("the picture could not be read back");
  if (shot.size() != QSize(320, 480)) return fail("the picture does not have the size of the dock");
  QSet<QRgb> colours;
  for (int y = 0; y < shot.height(); ++y)
    for (int x = 0; x < shot.width(); ++x)
      colours.insert(shot.pixel(x, y));
  // The title gradients alone bring dozens of colours.
  if (colours.size() < 16) return fail("the picture has hardly any colours");
  int below = 0;
  for (QWidget* pane : panes) {
    if (!pane->isVisible()) return fail("a pane is not shown");
    // The panes lie one under the other, in the order of their bars.
    const QPoint at = pane->mapTo(&dock, QPoint(0, 0));
    if (at.y() < below) return fail("the panes overlap");
    below = at.y() + pane->height();
    // The title strip above each pane runs from a darker to a lighter colour.
    const int y = at.y() - 4;
    const QRgb left = shot.pixel(at.x() + 2, y), middle = shot.pixel(at.x() + pane->width() / 2, y);
    if (qGray(left) >= qGray(middle)) return fail("a title strip shows no gradient");
  }
  std::printf("consumer: dock widget with %d panes drawn in %d colours\n", static_cast<int>(panes.size()),
              static_cast<int>(colours.size()));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: consumer <settings file> <picture file>\n");
    return 2;
  }
  const std::filesystem::path store(argv[1]);
  const char* png = argv[2];
  QApplication app(argc, argv);
  tov::HostServices::setInstance(std::make_shared<tov::DefaultHostServices>(store));
  const int result = run(png);
  tov::HostServices::setInstance(nullptr);
  return result;
}

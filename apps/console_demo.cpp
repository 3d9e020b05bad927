// Builds a dock of five bars on the headless toolkit, lays it out and prints where each bar went.
#include <cstdio>
#include <memory>
#include <string>

#include "tovdock/dock.h"
#include "tovdock/host.h"

namespace {

struct BarSetup {
  const char* key;
  const char* title;
  tov::eAlignBar align;
  bool resizable;
  bool close;
  bool options;
  std::int32_t state;
  std::int32_t height;  // twips; 0 keeps the bar's own
};

const char* stateName(std::int32_t state) {
  switch (state) {
    case tov::eBarCollapsed:
      return "collapsed";
    case tov::eBarExpanded:
      return "expanded";
    case tov::eBarHidden:
      return "hidden";
    default:
      return "?";
  }
}

const char* alignName(std::int32_t align) {
  switch (align) {
    case tov::eAlignTop:
      return "top";
    case tov::eAlignLeft:
      return "left";
    case tov::eAlignRight:
      return "right";
    case tov::eAlignBottom:
      return "bottom";
    default:
      return "?";
  }
}

}  // namespace

int main() {
  auto services = std::make_shared<tov::DefaultHostServices>(std::nullopt, "tovdock-demo");
  tov::HostServices::setInstance(services);

  auto dock = tov::TovDock::create();
  const BarSetup setups[] = {
      {"explorer", "Explorer", tov::eAlignTop, true, false, true, tov::eBarExpanded, 2400},
      {"search", "Suche", tov::eAlignTop, false, true, false, tov::eBarCollapsed, 0},
      {"outline", "Gliederung", tov::eAlignLeft, true, true, false, tov::eBarExpanded, 1800},
      {"properties", "Eigenschaften", tov::eAlignRight, true, true, true, tov::eBarExpanded, 1800},
      {"output", "Ausgabe", tov::eAlignBottom, true, false, true, tov::eBarExpanded, 1500},
  };
  for (const auto& s : setups) {
    auto bar = dock->Bars()->Add();
    if (!bar) {
      std::fprintf(stderr, "tovdock-console-demo: bar %s could not be added\n", s.key);
      return 1;
    }
    bar->setKey(s.key);
    bar->setTitle(s.title);
    bar->setAlignBar(s.align);
    bar->setShowClose(s.close);
    bar->setShowOptions(s.options);
    bar->setAllowResize(s.resizable);
    bar->setState(s.state);
    if (s.height > 0) bar->setHeight(s.height);
  }

  // 300 x 600 pixels.
  dock->resize(4500, 9000);
  dock->setShow(true);

  std::printf("Dock %.0f x %.0f twips, %d bars in display order:\n\n", dock->Width(), dock->Height(),
              static_cast<int>(dock->Bars()->Count()));
  std::printf("%-3s %-12s %-7s %-10s %7s %7s %7s\n", "#", "key", "align", "state", "top", "height", "width");
  for (std::int32_t i = 1; i <= dock->Bars()->Count(); ++i) {
    const auto bar = dock->Bars()->ItemByOrder(i);
    if (!bar) continue;
    std::printf("%-3d %-12s %-7s %-10s %7d %7d %7d\n", static_cast<int>(i), bar->Key().c_str(),
                alignName(bar->AlignBar()), stateName(bar->State()), static_cast<int>(bar->Top()),
                static_cast<int>(bar->Height()), static_cast<int>(bar->Width()));
  }
  std::printf("\nSettings store: %s (%s)\n", services->storePath().c_str(),
              services->persistent() ? "layout is kept between runs" : "not usable, layout is not kept");

  dock->Terminate();
  return 0;
}

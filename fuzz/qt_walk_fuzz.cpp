// Coverage-guided walks over the dock widget's API and input (see tests/qt/qt_walk.h), offscreen.
#include <cstdio>
#include <cstdlib>

#include "qt_walk.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  new QApplication(*argc, *argv);
  // What Qt allocates once for good (fonts, styles) is allocated before the leak checks begin.
  const std::vector<std::uint8_t> warm(2000, 7);
  tov::qt::test::QtWalk(warm.data(), warm.size()).run(50);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (auto broken = tov::qt::test::QtWalk(data, size).run(300)) {
    std::fprintf(stderr, "qt_walk_fuzz: %s\n", broken->c_str());
    std::abort();
  }
  return 0;
}

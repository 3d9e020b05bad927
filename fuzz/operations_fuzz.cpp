// Coverage-guided walks over the dock's API and user input (see tests/support/operations_driver.h).
#include <cstdio>
#include <cstdlib>

#include "support/operations_driver.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (auto broken = tov::test::OperationsDriver(data, size).run(400)) {
    std::fprintf(stderr, "operations_fuzz: %s\n", broken->c_str());
    std::abort();
  }
  return 0;
}

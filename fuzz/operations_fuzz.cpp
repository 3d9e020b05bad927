// Coverage-guided walks over the dock's API and user input (see tests/support/operations_driver.h).
#include <cstdio>
#include <cstdlib>

#include "support/operations_driver.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tov::test::OperationsDriver driver(data, size);
  if (auto broken = driver.run(400)) {
    std::fprintf(stderr, "operations_fuzz: %s\n", broken->c_str());
    std::abort();
  }
  return 0;
}

// Coverage-guided walks over the dock's API and user input (see tests/support/operations_driver.h).
#include <cstdio>
#include <cstdlib>

#include "support/operations_driver.h"

namespace {

long long gSteps = 0, gReentries = 0;

void printTotals() {
  std::fprintf(stderr, "operations_fuzz: %lld steps, %lld re-entries from the host and hosted controls\n",
               gSteps, gReentries);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::atexit(printTotals);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tov::test::OperationsDriver driver(data, size);
  auto broken = driver.run(400);
  gSteps += driver.steps;
  gReentries += driver.reentries;
  if (broken) {
    std::fprintf(stderr, "operations_fuzz: %s\n", broken->c_str());
    std::abort();
  }
  return 0;
}

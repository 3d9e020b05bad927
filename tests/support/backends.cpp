#include "support/ui_driver.h"

namespace tov::test {

std::vector<std::string> backendNames() {
#ifdef TOVDOCK_TEST_QT
  return {"headless", "qt"};
#endif
  return {"headless"};
}

std::unique_ptr<UiDriver> makeDriver(const std::string& backend) {
#ifdef TOVDOCK_TEST_QT
  if (backend == "qt") return makeQtDriver();
#endif
  return backend == "headless" ? makeHeadlessDriver() : nullptr;
}

}  // namespace tov::test

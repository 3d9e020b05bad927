#include <stdexcept>

#include "support/backend_drivers.h"

namespace tov::test {

std::vector<std::string> backendNames() {
  std::vector<std::string> names{"headless"};
#ifdef TOVDOCK_TEST_QT
  names.push_back("qt");
#endif
  return names;
}

std::unique_ptr<UiDriver> makeDriver(const std::string& backend) {
  if (backend == "headless") return makeHeadlessDriver();
#ifdef TOVDOCK_TEST_QT
  if (backend == "qt") return makeQtDriver();
#endif
  throw std::invalid_argument("no test driver for backend '" + backend + "'");
}

}  // namespace tov::test

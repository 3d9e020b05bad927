// The toolkit docks are made on when the application names none: the headless one, until the
// application installs another.
#include <mutex>

#include "tovdock/headless.h"

namespace tov {

namespace {

std::mutex gToolkitMutex;
std::shared_ptr<Toolkit> gToolkit;

}  // namespace

std::shared_ptr<Toolkit> defaultToolkit() {
  std::lock_guard lock(gToolkitMutex);
  if (!gToolkit) gToolkit = std::make_shared<headless::HeadlessToolkit>();
  return gToolkit;
}

void setDefaultToolkit(std::shared_ptr<Toolkit> toolkit) {
  std::lock_guard lock(gToolkitMutex);
  gToolkit = std::move(toolkit);
}

}  // namespace tov

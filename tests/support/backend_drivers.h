#pragma once
// Factories of the UiDriver implementations that backends.cpp offers, one per built backend.
#include <memory>

#include "support/ui_driver.h"

namespace tov::test {

std::unique_ptr<UiDriver> makeHeadlessDriver();
#ifdef TOVDOCK_TEST_QT
std::unique_ptr<UiDriver> makeQtDriver();
#endif

}  // namespace tov::test

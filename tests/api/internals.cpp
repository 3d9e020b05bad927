// What an application may and may not reach: CASE 0 must compile, every other case must not.
#include <memory>

#include "tovdock/dock.h"

void use(std::shared_ptr<tov::TovDock> dock) {
  tov::BarRef bar = dock->Bars()->Add();
#if CASE == 1
  auto own = std::make_shared<tov::cTovBar>();
#elif CASE == 2
  auto own = std::make_shared<tov::clsBars>();
#elif CASE == 3
  tov::cTovBar own{tov::cTovBar::Passkey()};
#elif CASE == 4
  dock->fBarAdd();
#elif CASE == 5
  bar->fEvents(nullptr);
#elif CASE == 6
  dock->Bars()->fSetOrder({0, 1});
#elif CASE == 7
  dock->d->fClear();
#endif
}

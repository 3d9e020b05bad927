// Uses the installed headers and library only: a dock with two bars on the default toolkit.
#include <tovdock/dock.h>
#include <tovdock/host.h>

#include <filesystem>
#include <memory>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  tov::HostServices::setInstance(std::make_shared<tov::DefaultHostServices>(std::filesystem::path(argv[1])));
  auto dock = tov::TovDock::create();
  for (const char* key : {"first", "second"})
    if (auto bar = dock->Bars()->Add()) bar->setKey(key);
  dock->resize(3000, 6000);
  dock->setShow(true);
  const bool held = dock->Bars()->Count() == 2 && dock->Bars()->ItemByKey("second");
  dock->Terminate();
  return held ? 0 : 1;
}

// Uses the installed headers and library only: a dock with two bars on the default toolkit.
#include <tovdock/dock.h>
#include <tovdock/host.h>

#include <cstdio>
#include <filesystem>
#include <memory>

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: consumer <settings file>\n");
    return 2;
  }
  tov::HostServices::setInstance(std::make_shared<tov::DefaultHostServices>(std::filesystem::path(argv[1])));

  auto dock = tov::TovDock::create();
  auto first = dock->Bars()->Add();
  auto second = dock->Bars()->Add();
  if (!first || !second) {
    std::fprintf(stderr, "consumer: a bar could not be added\n");
    return 1;
  }
  first->setKey("first");
  first->setTitle("First");
  second->setKey("second");
  second->setTitle("Second");
  dock->resize(3000, 6000);
  dock->setShow(true);

  if (dock->Bars()->Count() != 2 || dock->Bars()->ItemByKey("second") != second) {
    std::fprintf(stderr, "consumer: the dock does not hold the two bars\n");
    return 1;
  }
  std::printf("consumer: dock with %d bars ok\n", static_cast<int>(dock->Bars()->Count()));
  dock->Terminate();
  return 0;
}

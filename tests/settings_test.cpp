// Saving and restoring each bar's position, group, state and height under its key, and the same
// layout as records for the layers above, with the notification of a changed layout.
#include <filesystem>
#include <fstream>

#include "support/dock_fixture.h"

namespace tov::test {
namespace {

using Settings = DockTest;

TEST_P(Settings, ValuesAreReadByTheirLeadingDecimalTextOrIgnoredAsAWhole) {
  dock->setAllowScroll(true);
  std::size_t records = 0;
  for (const char* name : {"settings_lenient.txt", "settings_ignored.txt"}) {
    std::ifstream in(std::filesystem::path(TOVDOCK_TEST_DATA_DIR) / name);
    for (std::string line; std::getline(in, line);) {
      if (line.empty() || line[0] == '#') continue;
      const std::size_t bar = line.find('|');
      ++records;
      bars()->Clear();
      addBars({"x", "y", "z"}, 700);
      // A record that reads puts y into another group, behind z; one that does not leaves y as it was.
      host->store = {{{"DockBar", "y"}, line.substr(0, bar)}, {{"DockBar", "z"}, "3:1:1:900"}};
      show(6000, 6000);
      EXPECT_EQ(snap(), bar == std::string::npos
                            ? "x:1:1:700@0 y:1:1:700@700 z:1:1:900@1400"
                            : "x:1:1:700@0 z:1:1:900@700 y:" + line.substr(bar + 1) + "@1600")
          << line;
    }
  }
  EXPECT_GE(records, 30u) << "records read from both files";
  EXPECT_TRUE(ui->messages().empty());
}

TEST_P(Settings, OnlyAShownDockInARunningApplicationSavesAtTermination) {
  addBar("a", 1000);
  dock->Terminate();  // never shown: the stored layout was never read, so it is not overwritten
  for (bool running : {false, true}) {
    newDock();
    ui->setUserMode(running);
    addBar("a", 1000);
    dock->setShow(true);
    dock.reset();
  }
  EXPECT_EQ(host->saves, std::vector<std::string>{"a=1:1:1:1000"});
}

TEST_P(Settings,
       RecordsAreWhatIsStoredApplyAsLoadingDoesAndAStateChangeIsToldOnceEvenToAListenerThatDeletesTheDock) {
  const auto made = addBars({"a", "b", "c"});
  const BarRef &a = made[0], &c = made[2];
  made[1]->setShowClose(true), c->setShowClose(true);
  show();
  dock->collapseBar(a->Index());
  dock->closeBar(c->Index());
  const std::vector<LayoutRecord> saved = dock->records();

  // A dock not shown yet shows the records applied to it instead of the stored layout.
  newDock();
  for (const char* key : {"c", "b", "a"})
    addBar(key, 700, eAlignTop, true)->setShowClose(true);
  host->store = {{{"DockBar", "a"}, "3:1:1:1500"}};  // not read: the records stand in
  std::vector<LayoutRecord> records = saved;
  records.push_back({"b", 1, eAlignBottom + 1, eBarExpanded, 2000});  // an unknown group: ignored
  dock->applyRecords(records);
  EXPECT_EQ(bars()->ItemByKey("a")->State(), eBarCollapsed);
  dock->setAllowScroll(true);
  show(6000, 6000);
  EXPECT_EQ(snap(), "a:1:0:260@0 b:1:1:3340@260 c:1:2:0@3600");
  dock->expandBar(bars()->ItemByKey("a")->Index());
  // A hidden bar without a close button comes back; a bar that cannot resize keeps its height.
  bars()->ItemByKey("b")->setAllowResize(false);
  bars()->ItemByKey("c")->setShowClose(false);
  dock->applyRecords({{"b", 2, eAlignTop, eBarExpanded, 2500}, {"c", 3, eAlignTop, eBarHidden, 0}});
  EXPECT_EQ(snap(), "a:1:1:1200@0 b:1:1:3340@1200 c:1:1:700@4540");
  host->store[{"DockBar", "b"}] = "2:4:1:3340";  // a later load reads the store again
  dock->setShow(true);
  EXPECT_EQ(order(), "a,c,b");
  // While scrolling a state change changes no height: the state alone is told, once.
  int told = 0;
  dock->LayoutChanged = [&] { ++told; };
  bars()->ItemByKey("c")->setState(eBarHidden);
  EXPECT_EQ(told, 1);
  // A listener that deletes the dock ends the run safely.
  dock->LayoutChanged = [this] { dock.reset(); };
  bars()->ItemByKey("c")->setState(eBarExpanded);
  EXPECT_FALSE(dock);
}

TOV_BACKEND_SUITE(Settings);

}  // namespace
}  // namespace tov::test

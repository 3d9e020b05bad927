// Saving and restoring each bar's position, group, state and height under its key.
#include <filesystem>
#include <fstream>

#include "support/dock_fixture.h"

namespace tov::test {
namespace {

/// The lines of a file under tests/data, without comments and empty lines.
std::vector<std::string> dataLines(const std::string& name) {
  std::ifstream in(std::filesystem::path(TOVDOCK_TEST_DATA_DIR) / name);
  EXPECT_TRUE(in) << name;
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);)
    if (!line.empty() && line[0] != '#') lines.push_back(line);
  return lines;
}

class Settings : public DockTest {
 protected:
  /// Bars a, l (resizable), h (hidden, with a close button), r (right, collapsed), bt (bottom) and
  /// one without a key at the bottom, created in the order given and shown in scroll mode, where
  /// the heights stay as given.
  void barsInOrder(std::initializer_list<const char*> keys) {
    for (const std::string key : keys) {
      const std::int32_t align = key == "r"                 ? eAlignRight
                                 : key == "bt" || key == "" ? eAlignBottom
                                                            : eAlignTop;
      BarRef b = addBar(key,
                        key == "l"    ? 2400
                        : key == "r"  ? 600
                        : key == "bt" ? 700
                                      : 800,
                        align, key == "l");
      b->setShowClose(key == "h");
      if (key == "h" || key == "r") b->setState(key == "h" ? eBarHidden : eBarCollapsed);
    }
    dock->setAllowScroll(true);
    show(6000, 6000);
  }
};

TEST_P(Settings, RecordsGoGroupByGroupAndComeBackInADockBuiltInAnotherOrder) {
  host->store[{"DockBar", ""}] = "4:1:0:900";  // a bar without a key is neither read nor written
  barsInOrder({"a", "l", "h", "r", "bt", ""});
  // Groups changed without a reorder: records still go top, left, right, bottom, each with the
  // bar's display position. A hidden bar has no height; a collapsed one the height it expands to.
  bars()->ItemByKey("l")->setAlignBar(eAlignLeft);
  bars()->ItemByKey("a")->setAlignBar(eAlignBottom);
  EXPECT_EQ(records(), "h=3:1:2:0 l=2:2:1:2400 r=4:3:0:600 a=1:4:1:800 bt=5:4:1:700");
  dock->relayout();
  const std::string saved = records(), shown = snap();
  ui->setUserMode(true);
  newDock();  // the old dock saves as it terminates
  barsInOrder({"bt", "r", "h", "l", "a", ""});
  EXPECT_EQ(records(), saved);
  EXPECT_EQ(snap(), shown);
}

TEST_P(Settings, ClashingPositionsKeepTheOrderAndFitTheBars) {
  auto made = addBars({"a", "b", "c"});
  made[0]->setShowOptions(true);
  show(6000, 3600);
  dock->moveBar(made[2]->Index(), 1, eAlignTop);
  made[0]->setHeight(2000);
  host->store[{"DockBar", "a"}] = host->store[{"DockBar", "b"}] = "1:1:1:1500";
  dock->OptShow = [](std::string&, bool& reload) { reload = true; };
  dock->requestOptions(made[0]->Index());
  // c: 1200 less its share of the 600 too many.
  EXPECT_EQ(snap(), "c:1:1:1000@0 a:1:1:1300@1000 b:1:1:1300@2300");
}

TEST_P(Settings, ValuesAreReadByTheirLeadingDecimalTextOrIgnoredAsAWhole) {
  auto lines = dataLines("settings_lenient.txt");
  const auto bad = dataLines("settings_ignored.txt");
  ASSERT_GE(bad.size(), 20u);
  lines.insert(lines.end(), bad.begin(), bad.end());
  dock->setAllowScroll(true);
  for (const std::string& line : lines) {
    const std::size_t bar = line.find('|');
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

TOV_BACKEND_SUITE(Settings);

}  // namespace
}  // namespace tov::test

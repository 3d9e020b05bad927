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
  void store(const std::map<std::string, std::string>& records) {
    for (const auto& [key, value] : records)
      host->store[{"DockBar", key}] = value;
  }
  std::vector<std::string> saved() {
    host->saves.clear();
    access().pSaveSettings();
    return host->saves;
  }
};

TEST_P(Settings, RecordsAreWrittenGroupByGroupInTheExactFormat) {
  auto a = addBar("a", 1000);
  auto l = addBar("l", 2400, eAlignTop, true);
  auto h = addBar("h", 800);
  auto e = addBar("", 900);
  auto r = addBar("r", 600, eAlignRight);
  auto bt = addBar("bt", 700, eAlignBottom);
  h->setShowClose(true);
  h->setState(eBarHidden);
  r->setState(eBarCollapsed);
  store({{"", "4:4:0:900"}});  // a bar without a key is neither read nor written
  dock->setAllowScroll(true);  // the heights stay exactly as given
  show(6000, 6000);

  // Groups changed without a reorder: records still go top, left, right, bottom, each with the
  // bar's display position.
  l->setAlignBar(eAlignLeft);
  a->setAlignBar(eAlignBottom);
  const std::vector<std::string> expected{"h=3:1:2:0", "l=2:2:1:2400", "r=5:3:0:600", "a=1:4:1:1000",
                                          "bt=6:4:1:700"};
  EXPECT_EQ(saved(), expected);

  // In a grouped order, save, load into the same dock and save again write the same records.
  e->setKey("e");
  ASSERT_TRUE(BarsInternals::fReorder(*bars()));
  const auto first = saved();
  r->setState(eBarExpanded);
  bt->setAlignBar(eAlignTop);
  access().pLoadSettings();
  EXPECT_EQ(saved(), first);
}

TEST_P(Settings, ClashingPositionsKeepTheOrderAndFitTheBars) {
  auto a = addBar("a", 1000, eAlignTop, true);
  auto b = addBar("b", 1000, eAlignTop, true);
  auto c = addBar("c", 1000, eAlignTop, true);
  show(6000, 3600);
  ASSERT_TRUE(BarsInternals::fSetOrder(*bars(), {0, 3, 1, 2}));
  a->setHeight(2000);
  store({{"a", "1:1:1:1500"}, {"b", "1:1:1:1500"}});
  access().pLoadSettings();
  // c: 1200 less its share of the 600 too many.
  EXPECT_EQ(std::vector({a->Height(), b->Height(), c->Height()}), std::vector({1300, 1300, 1000}));
  EXPECT_TRUE(order() == "c,a,b" && dock->Show() && !access().loading());
}

TEST_P(Settings, ValuesAreReadByTheirLeadingDecimalTextOrIgnoredAsAWhole) {
  auto lines = dataLines("settings_lenient.txt");
  const auto bad = dataLines("settings_ignored.txt");
  ASSERT_GE(bad.size(), 20u);
  lines.insert(lines.end(), bad.begin(), bad.end());
  for (const std::string& line : lines) {
    const std::size_t bar = line.find('|');
    bars()->Clear();
    for (const char* key : {"x", "y", "z"})
      addBar(key, 700, eAlignTop, true);
    host->store.clear();
    // A record that reads puts y into another group, behind z; one that does not leaves y as it was.
    store({{"y", line.substr(0, bar)}, {"z", "3:1:1:900"}});
    dock->setAllowScroll(true);
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
  EXPECT_TRUE(host->saves.empty());

  for (bool running : {false, true}) {
    dock = TovDock::create(ui->toolkit());
    ui->attach(dock->surface());
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

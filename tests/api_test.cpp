// The calls the layers above use beyond the user's actions: the layout as records, and the one
// notification per run of the dock. The actions themselves are tested with the mouse actions they
// stand for (commands, splitter, drag and drop, shell).
#include "support/dock_fixture.h"

namespace tov::test {
namespace {

class DockApi : public DockTest {
 protected:
  /// Resizable bars a, b, c of 1000 each in a dock 3600 high, b with a close button.
  void threeBars() {
    const auto made = addBars({"a", "b", "c"});
    a = made[0], b = made[1], c = made[2];
    b->setShowClose(true);
    show();
    dock->LayoutChanged = [this] { ++told; };
  }
  BarRef a, b, c;
  int told = 0;
};

TEST_P(DockApi, RecordsAreWhatIsStoredAndApplyAsLoadingDoes) {
  threeBars();
  c->setShowClose(true);
  dock->collapseBar(a->Index());
  dock->closeBar(c->Index());
  // A collapsed bar's record holds the height it expands to; a hidden one holds none.
  const std::vector<LayoutRecord> saved = dock->records();
  EXPECT_EQ(records(), "a=1:1:0:1200 b=2:1:1:3340 c=3:1:2:0");

  // A dock not shown yet shows the records applied to it instead of the stored layout.
  dock = TovDock::create(ui->toolkit());
  ui->attach(dock->surface());
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
}

TEST_P(DockApi, LayoutChangesAreToldOncePerRunAndNotForAResize) {
  threeBars();
  // A splitter drag is one change, told at its release.
  const double x = 1000, y = ui->absTop(access().picSplit(a->Index())) + 70;  // below the grip lines
  ui->press(x, y);
  for (double dy : {100, 200, 300})
    ui->move(x, y + dy);
  std::vector<int> seen{told};
  ui->release(x, y + 300);
  seen.push_back(told);
  clickOn(access().imgCollapse(b->Index()));
  seen.push_back(told);
  ui->resize(7000, 4000);
  seen.push_back(told);
  dock->setAllowScroll(true);  // no height changes: the state alone is told
  c->setState(eBarHidden);
  seen.push_back(told);
  {
    TovDock::Batch batch(*dock);
    c->setState(eBarExpanded);
    a->setAlignBar(eAlignLeft);
    dock->relayout();
    EXPECT_EQ(order(), "a,b,c") << "the relayout waits for the batch";
  }
  seen.push_back(told);
  EXPECT_EQ(seen, std::vector({0, 1, 2, 2, 3, 4}));
  EXPECT_EQ(order(), "b,c,a");
  // A listener that deletes the dock ends the run safely.
  dock->LayoutChanged = [this] { dock.reset(); };
  c->setState(eBarCollapsed);
  EXPECT_FALSE(dock);
}

TOV_BACKEND_SUITE(DockApi);

}  // namespace
}  // namespace tov::test

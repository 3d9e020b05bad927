// The calls the layers above use beyond the user's actions: the layout as records, and the
// notification of a changed layout. The notification's rules for drags, resizes and batches are
// met through the Qt layer, which depends on them. The actions
// themselves are tested with the mouse actions they stand for (commands, splitter, drag and drop,
// shell).
#include "support/dock_fixture.h"

namespace tov::test {
namespace {

using DockApi = DockTest;

TEST_P(DockApi,
       RecordsAreWhatIsStoredApplyAsLoadingDoesAndAStateChangeIsToldOnceEvenToAListenerThatDeletesTheDock) {
  const auto made = addBars({"a", "b", "c"});
  const BarRef &a = made[0], &c = made[2];
  made[1]->setShowClose(true), c->setShowClose(true);
  show();
  dock->collapseBar(a->Index());
  dock->closeBar(c->Index());
  // A collapsed bar's record holds the height it expands to; a hidden one holds none.
  const std::vector<LayoutRecord> saved = dock->records();
  EXPECT_EQ(records(), "a=1:1:0:1200 b=2:1:1:3340 c=3:1:2:0");

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

TOV_BACKEND_SUITE(DockApi);

}  // namespace
}  // namespace tov::test

// Fit mode: the stack fills the dock column by column, in proportion to the bars' shares, never
// below a bar's minimum, folding the lowest bars when nothing else fits and unfolding them again.
#include "support/dock_fixture.h"

namespace tov::test {
namespace {

class Fit : public DockTest {
 protected:
  /// A top bar, two left bars, a right bar (all resizable, with preferred bodies 400, 600, 300,
  /// 300 and the top one a minimum of 400) and a bottom bar that is not resizable, whose body
  /// wants 200, in a dock 3600 high.
  void sideBar() {
    dock->setFitToDock(true);
    for (auto [key, align, preferred] : {std::tuple("t", eAlignTop, 400), std::tuple("l1", eAlignLeft, 600),
                                         std::tuple("l2", eAlignLeft, 300), std::tuple("r", eAlignRight, 300),
                                         std::tuple("b", eAlignBottom, 200)}) {
      BarRef bar = addBar(key, 0, align, key != std::string("b"));
      bar->setPreferredBodyHeight(preferred);
      bar->setControl(ui->makeControl(key));
    }
    bars()->ItemByKey("t")->setMinBodyHeight(400);
    show(6000, 3600);
  }
  BarRef bar(const char* key) { return bars()->ItemByKey(key); }
};

TEST_P(Fit, ColumnsFillTheDockEachOnItsOwnInProportionAndBackAfterADeepShrink) {
  sideBar();
  // Bodies share 3600 less the bottom bar (260 + 200) and three titles with splitters (3 x 340) as
  // 400 : 600 : 300; the right column fills what the top and bottom bars leave.
  const std::string full = "t:1:1:992@0 l1:2:1:1318@992 l2:2:1:830@2310 r:3:1:2148@992 b:4:1:460@3140";
  EXPECT_EQ(snap(), full);
  // Hosted controls end where the splitter strip begins, which lies on the bar's lower edge.
  const Panel& strip = access().picSplit(bar("l1")->Index());
  EXPECT_EQ(std::pair(strip.Top() + strip.Height(), strip.Visible()), std::pair(1318.0, true));
  EXPECT_EQ(valueToInt32(bar("l1")->Control()->get("Height")), 1318 - 260 - 80);
  EXPECT_FALSE(access().picSplit(bar("t")->Index()).Visible()) << "no splitter between two groups";

  // The top bar keeps its minimum body; the left bars share the rest, still 2 : 1.
  ui->resize(6000, 2400);
  EXPECT_EQ(snap(), "t:1:1:740@0 l1:2:1:686@740 l2:2:1:514@1426 r:3:1:1200@740 b:4:1:460@1940");
  // Too small for every minimum: the lowest bars of the stack fold first, the right column on its
  // own; the stack still ends at the dock's bottom.
  ui->resize(6000, 1900);
  EXPECT_EQ(snap(), "t:1:1:740@0 l1:2:1:440@740 l2:2:0:260@1180 r:3:1:700@740 b:4:1:460@1440");
  // Nothing fits: the bars that can fold have folded and the stack runs past the dock.
  ui->resize(6000, 1000);
  EXPECT_EQ(snap(), "t:1:0:260@0 l1:2:0:260@260 l2:2:0:260@520 r:3:0:260@260 b:4:1:460@780");
  // Folded by the fit, the bars are stored as expanded and come back as they were.
  EXPECT_EQ(host->value("l2").substr(0, 6), "");
  EXPECT_EQ(dock->records()[2].state, eBarExpanded);
  ui->resize(6000, 3600);
  EXPECT_EQ(snap(), full);
  EXPECT_EQ(std::pair(dock->MinimumHeight(), dock->PreferredHeight()), std::pair(2000, 2780));
}

TEST_P(Fit, ASplitterStopsAtTheNeighboursMinimumAndItsHeightsBecomeTheShares) {
  sideBar();
  bar("l2")->setMinBodyHeight(500);
  bar("l2")->setShowClose(true);
  dock->relayout();
  // l2 keeps its minimum body of 500; t and l1 share the rest 400 : 600.
  const std::string fitted = "t:1:1:988@0 l1:2:1:1312@988 l2:2:1:840@2300 r:3:1:2152@988 b:4:1:460@3140";
  EXPECT_EQ(snap(), fitted);
  ASSERT_TRUE(dock->dragSplitter(bar("l1")->Index(), 600));
  EXPECT_EQ(std::pair(bar("l1")->Height(), bar("l2")->Height()), std::pair(1312, 840));
  EXPECT_EQ(host->value("l1"), "2:2:1:1312") << "what a drag asks for beyond its limit is no share";
  ASSERT_TRUE(dock->dragSplitter(bar("l1")->Index(), -2000));
  EXPECT_EQ(std::pair(bar("l1")->Height(), bar("l2")->Height()), std::pair(400, 1752));
  EXPECT_EQ(host->value("l1"), "2:2:1:400") << "the shares are stored";
  // The heights dragged are the shares: they come back after a shrink.
  ui->resize(6000, 2000);
  ui->resize(6000, 3600);
  EXPECT_EQ(std::pair(bar("l1")->Height(), bar("l2")->Height()), std::pair(400, 1752));
  // A height the application gives is the bar's share; a stored one, also an older version's, too.
  // t asks for 2000 - 340 of the free 2120 next to l2's 1412; l1 keeps its least body of 60.
  bar("t")->setHeight(2000);
  dock->relayout();
  EXPECT_EQ(bar("t")->Height(), 340 + (2120 - 60) * 1660 / (1660 + 1412));
  dock->applyRecords({{"l1", 2, eAlignLeft, eBarExpanded, 1340}, {"l2", 3, eAlignLeft, eBarExpanded, 1340}});
  EXPECT_NEAR(bar("l1")->Height(), bar("l2")->Height(), 1);
  // A reset gives every bar its content's height again.
  dock->resetLayout();
  EXPECT_EQ(snap(), fitted);
}

TOV_BACKEND_SUITE(Fit);

}  // namespace
}  // namespace tov::test

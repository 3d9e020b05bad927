// Stacking, widths, the dock's size, automatic heights and the scroll bar; and the fit mode, where
// the stack fills the dock column by column, in proportion to the bars' shares, never below a bar's
// minimum, folding the lowest bars when nothing else fits and unfolding them again.
#include <array>
#include <cmath>

#include "support/dock_fixture.h"

namespace tov::test {
namespace {

class Layout : public DockTest {
 protected:
  std::vector<double> widthsAndLefts(std::initializer_list<BarRef> made) {
    std::vector<double> v;
    for (const BarRef& b : made)
      v.insert(v.end(), {1.0 * b->Width(), access().picDockBar(b->Index()).Left()});
    return v;
  }
};

TEST_P(Layout, WidthsRoundHalvesToEvenAndTheDockKeepsItsSmallestSize) {
  auto t = addBar("t", 500), l = addBar("l", 500, eAlignLeft), r = addBar("r", 500, eAlignRight);
  show(3021, 4000);  // W = 3001: columns of 1500.5 - 30, the right one at 1500.5
  EXPECT_EQ(widthsAndLefts({t, l, r}), std::vector<double>({3001, 0, 1470, 0, 1470, 1500}));
  // A wide scroll bar leaves less than the smallest width: bars take 200, columns half less 30.
  access().VScroll().setWidth(300);
  l->setHeight(5000);
  dock->setAllowScroll(true);
  ui->resize(300, 4000);  // the dock keeps its smallest size, 500 by 200
  EXPECT_EQ(widthsAndLefts({t, l, r}), std::vector<double>({200, 0, 70, 0, 70, 100}));
  auto size = [&] { return std::tuple(dock->Width(), dock->Height()); };
  ui->resize(501, 199);
  EXPECT_EQ(size(), std::tuple(501.0, 200.0));
  // A size without a whole number of twips is refused before anything changes.
  for (double bad : {std::nan(""), HUGE_VAL, -HUGE_VAL, 2147483648.0}) {
    EXPECT_THROW(dock->resize(bad, 900), Failure);
    EXPECT_THROW(dock->resize(900, bad), Failure);
  }
  EXPECT_EQ(size(), std::tuple(501.0, 200.0));
  dock->setShow(false);
  dock->resize(2147483647.0, 300);
  EXPECT_EQ(dock->Width(), 2147483647.0);
}

TEST_P(Layout, AutoSizeSharesTheDifferenceInOneStepAndHoldsBarsAtFourHundred) {
  // Heights of the bars (negative: not resizable), the dock's height and the heights fitted to it:
  // one step; the remainder passed on; nothing without resizable bars; the fourth round is the last;
  // 10 twips off is close enough, 11 are not.
  const std::vector<std::tuple<std::vector<std::int32_t>, double, std::vector<std::int32_t>>> cases{
      {{1000, 1000, 1000}, 3600, {1200, 1200, 1200}},
      {{500, 2000, -300}, 1500, {400, 800, 300}},
      {{-1000, -1000}, 6000, {1000, 1000}},
      {{500, 1000, 300}, 1600, {400, 734, 400}},
      {{1000}, 1010, {1000}},
      {{1000}, 1011, {1011}},
      {{1000}, 990, {1000}},
      {{1000}, 989, {989}}};
  for (const auto& [given, dockHeight, expected] : cases) {
    dock->setShow(false);
    bars()->Clear();
    for (std::int32_t h : given)
      addBar("", std::abs(h), eAlignTop, h > 0);
    show(5000, dockHeight);
    std::vector<std::int32_t> heights;
    for (std::int32_t i = 1; i <= bars()->Count(); ++i)
      heights.push_back(bars()->Item(i)->Height());
    EXPECT_EQ(heights, expected) << dockHeight;
  }
  EXPECT_EQ(bars()->Item(1)->HeightMax(), 500);  // 500 for each resizable bar
  dock->collapseBar(1), dock->expandBar(1);      // a single visible bar exchanges height with nobody
  EXPECT_EQ(bars()->Item(1)->Height(), 989);
}

TEST_P(Layout, OverflowScrollsWithRangeAndStepsRaisedToTwentyAndRoundedHalfToEvenButNotBeyond20000) {
  // Height of the first bar of two (the other 1000 high) in a dock 4000 high; range, large and
  // small change of the scroll bar, which keeps the range it had once it is hidden.
  dock->setAllowScroll(true);
  const auto& vs = access().VScroll();
  for (auto [height, max, large, small] : std::vector<std::array<std::int32_t, 4>>{{4000, 1050, 210, 52},
                                                                                   {2960, 20, 4, 1},
                                                                                   {2980, 30, 6, 2},
                                                                                   {22949, 19999, 4000, 1000},
                                                                                   {22950, 0, 0, 0}}) {
    dock->setShow(false);
    bars()->Clear();
    addBar("a", height);
    addBar("b", 1000);
    show(5000, 4000);
    EXPECT_EQ(std::vector({vs.Visible() ? 1 : 0, vs.Value(), max ? vs.Max() : 0, max ? vs.LargeChange() : 0,
                           max ? vs.SmallChange() : 0}),
              std::vector({max > 0 ? 1 : 0, 0, max, large, small}))
        << height;
  }
  // Every bar may grow while scrolling; scrolled, the bars move up.
  bars()->Item(1)->setHeight(4000);
  dock->resize(5000, 4000);
  ui->scrollTo(access().VScroll(), 1050);
  EXPECT_EQ(std::vector({toInt32(vs.Height()), toInt32(vs.Left() + vs.Width()), bars()->Item(1)->Width(),
                         bars()->Item(2)->HeightMax()}),
            std::vector({3950, 5000 - 50, toInt32(5000 - vs.Width() - 20), 20000}));
  EXPECT_EQ(snap(), "a:1:1:4000@-1050 b:1:1:1000@2950");
  // A stack that fits again hides the scroll bar and brings the bars back.
  bars()->Item(1)->setState(eBarCollapsed);
  dock->resize(5000, 4000);
  EXPECT_EQ(snap() + " " + std::to_string(vs.Value()) + visible({&vs}), "a:1:0:260@0 b:1:1:1000@260 00");
}

TOV_BACKEND_SUITE(Layout);

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
  // Nothing fits: the bars that can fold have folded and the stack runs past the dock. A height
  // given to a folded bar leaves it as high as its title.
  bar("l2")->setHeight(500);
  ui->resize(6000, 1000);
  EXPECT_EQ(snap(), "t:1:0:260@0 l1:2:0:260@260 l2:2:0:260@520 r:3:0:260@260 b:4:1:460@780");
  // Folded by the fit, the bars are stored as expanded and come back as they were.
  EXPECT_EQ(std::tuple(host->value("l2"), dock->records()[2].state), std::tuple("", eBarExpanded));
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
  // What a drag asks for beyond its limit is no share; the shares are stored, and they come back
  // after a shrink.
  auto pair = [&] { return std::tuple(bar("l1")->Height(), bar("l2")->Height(), host->value("l1")); };
  ASSERT_TRUE(dock->dragSplitter(bar("l1")->Index(), 600));
  EXPECT_EQ(pair(), std::tuple(1312, 840, "2:2:1:1312"));
  ASSERT_TRUE(dock->dragSplitter(bar("l1")->Index(), -2000));
  EXPECT_EQ(pair(), std::tuple(400, 1752, "2:2:1:400"));
  ui->resize(6000, 2000);
  ui->resize(6000, 3600);
  EXPECT_EQ(pair(), std::tuple(400, 1752, "2:2:1:400"));
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
  // A fitted stack of top bars leaves no free height: what one bar takes, the one below gives.
  bars()->Clear();
  addBars({"x", "y"}), dock->relayout();
  ASSERT_TRUE(dock->dragSplitter(1, 300));
  EXPECT_EQ(snap(), "x:1:1:2100@0 y:1:1:1500@2100");
}

TOV_BACKEND_SUITE(Fit);

}  // namespace
}  // namespace tov::test

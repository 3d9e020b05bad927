// Stacking, widths, the dock's size, automatic heights and the scroll bar; and the fit mode, where
// the stack fills the dock column by column, in proportion to the bars' shares, never below a bar's
// minimum, folding the lowest bars when nothing else fits and unfolding them again. Dragging a bar's
// splitter strip: live resizing, limits, the partner bar and scroll mode.
#include <algorithm>
#include <array>
#include <cmath>

#include "support/dock_fixture.h"

namespace tov::test {
namespace {

/// Widths and places of the bars; the fit mode's side bars; the splitter's three bars and drags.
struct Layout : DockTest {
  std::vector<double> widthsAndLefts(std::initializer_list<BarRef> made) {
    std::vector<double> v;
    for (const BarRef& b : made)
      v.insert(v.end(), {1.0 * b->Width(), access().picDockBar(b->Index()).Left()});
    return v;
  }
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
  /// Bars a, b, c of 1000, 1500 and 1000 with hosted controls in a dock 3600 high, shown and laid
  /// out without being fitted to the dock.
  void threeBars(bool scroll = false) {
    dock->setAllowScroll(true);
    const auto made = addBars({"a", "b", "c"});
    a = made[0], b = made[1], c = made[2];
    b->setHeight(1500);
    for (const auto& bar : made)
      bar->setControl(ui->makeControl("ctl" + bar->Key()));
    show();
    dock->setAllowScroll(scroll);
    dock->ShowElement(0);  // no hidden bar: only the layout pass
    dock->CtlResize = [this](std::string& key) { resized.push_back(key); };
  }
  Panel& strip(const BarRef& bar) { return access().picSplit(bar->Index()); }
  double y(const BarRef& bar) { return ui->absTop(strip(bar)); }
  /// Presses on the strip and moves the pointer `dy` from the strip's top edge (what the strip
  /// receives as Y) for each step.
  void drag(const BarRef& bar, std::initializer_list<double> steps, std::int16_t buttons = btnLeft) {
    ui->press(1000, y(bar) + 70, buttons);
    for (double dy : steps)
      ui->move(1000, y(bar) + dy, buttons);
  }
  void release(const BarRef& bar, std::int16_t button = btnLeft) { ui->release(1000, y(bar) + 70, button); }
  /// Heights of the bars, their hosted controls, and bar `b`'s limit.
  std::vector<std::int32_t> heights() {
    std::vector<std::int32_t> v;
    for (const BarRef& bar : {a, b, c})
      v.insert(v.end(), {bar->Height(), valueToInt32(bar->Control()->get("Height"))});
    v.push_back(b->HeightMax());
    return v;
  }
  BarRef a, b, c;
  std::vector<std::string> resized;
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

using Fit = Layout;

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

TEST_P(Layout, TheReleaseSetsTheStripBottomWhateverTheButtonAndMovesNeedTheLeftOneAlone) {
  threeBars();
  drag(a, {});
  release(a);  // the strip rests 20 above the panel's bottom
  EXPECT_EQ(std::tuple(a->Height(), host->value("a")), std::tuple(980, "1:1:1:980"));
  drag(b, {300, 300, -300}, btnRight);
  ui->move(1000, y(b) + 300, btnLeft | btnRight);
  EXPECT_EQ(std::tuple(strip(b).Top(), b->Height()), std::tuple(1420.0, 1520));  // b took up a's difference
  release(b, btnRight);
  EXPECT_EQ(b->Height(), 1500);
}

TEST_P(Layout, ThePartnerBelowFollowsEveryMove) {
  threeBars();
  // b and c, with their hosted controls, are resized while the button is still held; a move that
  // stays on the strip's edge resizes nothing.
  drag(b, {0});
  EXPECT_TRUE(resized.empty());
  ui->move(1000, y(b) + 220);
  EXPECT_EQ(heights(), std::vector({1000, 660, 1700, 1360, 800, 540, 2200}));
  EXPECT_EQ(std::tuple(resized, top(c)), std::tuple(std::vector<std::string>{"c", "b"}, 2700.0));
  release(b);
  EXPECT_EQ(host->value("b") + " " + host->value("c"), "2:1:1:1700 3:1:1:800");
}

TEST_P(Layout, GrowthStopsAtHeightMaxButTheReleaseDoesNot) {
  threeBars();
  drag(b, {20});  // the strip's bottom reaches the panel's bottom: the bar does not follow yet
  const std::vector<std::int32_t> before{b->Height(), static_cast<std::int32_t>(resized.size())};
  ui->move(1000, y(b) + 280);  // strip bottom 1780 lies below the panel's bottom: the bar follows
  EXPECT_EQ(std::vector({before[0], before[1], b->Height(), b->HeightMax(), c->Height()}),
            std::vector({1500, 0, 1780, 1780 + 1000 - 500, 3600 - (100 + 1000 + 1780)}));
  release(b);
  drag(a, {});
  a->setHeightMax(1000);
  std::vector<double> seen;
  for (double dy : {100, 50}) {  // once the strip's top lies at the panel's bottom, it travels no further
    ui->move(1000, y(a) + dy);
    seen.insert(seen.end(), {strip(a).Top(), 1.0 * a->Height()});
  }
  release(a);
  seen.push_back(a->Height());
  EXPECT_EQ(seen, std::vector<double>({1000, 1000, 1000, 1000, 1080}));
}

TEST_P(Layout, UpwardMovesStopNearTheTitle) {
  // Moves and the strip's top after each, from 1400: straight up to 310; between 280 and 300 the
  // strip snaps back to 300; from 300 one step takes it as far as it goes; at 280 and above it,
  // upward moves are ignored. The bar follows the strip's bottom, its control never gets a
  // negative height.
  using Steps = std::vector<std::pair<double, double>>;
  for (const Steps& steps :
       {Steps{{-1090, 310}, {-5, 305}, {-20, 285}, {-1, 300}, {-100, 200}, {-10, 200}, {0, 200}},
        Steps{{-1100, 300}, {-20, 280}, {-5, 280}}}) {
    newDock();  // a fresh dock, as the first test step found it
    host->store.clear();
    threeBars();
    drag(b, {});
    for (const auto& [dy, stripTop] : steps) {
      ui->move(1000, y(b) + dy);
      EXPECT_EQ(std::vector({strip(b).Top(), b->Height() + 0.0, heights()[3] + 0.0}),
                std::vector({stripTop, stripTop + 80, std::max(0.0, stripTop + 80 - 260 - 80)}))
          << "move " << dy;
    }
  }
}

TEST_P(Layout, TheCallsDragAsTheMouseDoes) {
  threeBars();
  ASSERT_TRUE(dock->dragSplitter(a->Index(), 300));  // the lower edge moves by the step
  EXPECT_EQ(snap(), "a:1:1:1300@0 b:1:1:1200@1300 c:1:1:1000@2500");
  ASSERT_TRUE(dock->dragSplitter(a->Index(), -400));
  EXPECT_EQ(snap(), "a:1:1:900@0 b:1:1:1600@900 c:1:1:1000@2500");
  EXPECT_FALSE(dock->dragSplitter(c->Index(), 100)) << "the lowest bar shows no splitter";
  ASSERT_TRUE(dock->setBarHeight(c->Index(), 900));
  EXPECT_EQ(snap() + " " + host->value("c"), "a:1:1:900@0 b:1:1:1700@900 c:1:1:900@2600 3:1:1:900");
  c->setState(eBarCollapsed);
  EXPECT_FALSE(dock->setBarHeight(c->Index(), 900)) << "only for an expanded bar";
}

TEST_P(Layout, ThePartnerIsTheNextResizableBarOrTheOneAboveTheLowest) {
  threeBars();
  c->setHeight(1200);  // the lowest bar takes its partner from above
  EXPECT_EQ(access().pCalcHeight(toInt16(c->Index())), b->Index());
  // Only the partner's hosted control follows at once.
  EXPECT_EQ(heights(),
            std::vector({1000, 660, 3600 - (100 + 1000 + 1200), 1300 - 260 - 80, 1200, 740, 2000}));
  EXPECT_EQ(top(c), 1000 + 1500);
  // Which of four bars of 1000 may resize, which one changed; its partner, which takes the rest of
  // a dock 3600 high, and the changed bar's limit, which keeps a reserve only for a resizable partner.
  dock->setShow(false);
  for (auto [resizable, changed, partner, heightMax] :
       std::vector<std::tuple<std::vector<bool>, std::int16_t, std::int16_t, std::int32_t>>{
           {{true, true, true, false}, 3, 2, 1500},
           {{true, true, false, false}, 4, 1, 1500},
           {{false, false, false, false}, 2, 3, 2000}}) {
    bars()->Clear();
    for (bool canResize : resizable)
      addBar("", 1000, eAlignTop, canResize);
    dock->resize(6000, 3600);
    const std::int16_t found = access().pCalcHeight(changed);
    EXPECT_EQ(std::tuple(found, bars()->Item(partner)->Height(), bars()->Item(changed)->HeightMax()),
              std::tuple(partner, 500, heightMax))
        << changed;
  }
}

TEST_P(Layout, AHandlerThatShowsTheDockDuringTheFitPassLeavesTheSplittersOfTheStoredOrder) {
  // Without the fit, the walk's saved input "handler-shows-the-dock-in-the-limits-walk" meets this.
  threeBars(), dock->setFitToDock(true), b->setShowResize(false);
  host->store[{"DockBar", "b"}] = "3:1:1:1500", host->store[{"DockBar", "c"}] = "2:1:1:1000";
  // The next pass gives b its splitter back, which repaints b while the limits are set.
  bool once = true;
  dock->CtlResize = [&](std::string& key) {
    if (key == "b" && std::exchange(once, false)) dock->setShow(true);
  };
  dock->ShowElement(0);
  std::string splitters;
  for (std::int32_t i = 1; i <= bars()->Count(); ++i)
    splitters += bars()->ItemByOrder(i)->Key() + std::to_string(bars()->ItemByOrder(i)->ShowResize()) + " ";
  EXPECT_EQ(splitters, "a1 c1 b0 ");
}

TEST_P(Layout, InScrollModeTheStackGrows) {
  threeBars(true);
  drag(a, {600});
  EXPECT_EQ(heights(), std::vector({1580, 1240, 1500, 1160, 1000, 660, 20000}));
  EXPECT_EQ(std::vector({top(b), top(c)}), std::vector({1580.0, 3080.0}));
  release(a);  // the scroll bar follows at the next full pass
  EXPECT_EQ(visible({&access().VScroll()}) + " " + host->value("a"), "0 1:1:1:1580");
}

TOV_BACKEND_SUITE(Layout);

}  // namespace
}  // namespace tov::test

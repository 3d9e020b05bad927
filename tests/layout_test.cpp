// Stacking, widths, splitter limits, automatic heights and the scroll bar.
#include <array>
#include <cmath>
#include <vector>

#include "support/dock_fixture.h"

namespace tov::test {
namespace {

class Layout : public DockTest {};

TEST_P(Layout, WidthsRoundHalvesToEven) {
  auto t = addBar("t", 500);
  auto l = addBar("l", 500, eAlignLeft);
  auto r = addBar("r", 500, eAlignRight);
  show(3021, 4000);
  auto left = [&](const BarRef& b) { return access().picDockBar(b->Index()).Left(); };
  EXPECT_EQ(std::vector({t->Width(), l->Width(), r->Width()}), std::vector({3001, 1470, 1470}));
  EXPECT_EQ(std::vector({left(l), left(r)}), std::vector({0.0, 1500.0}));
}

TEST_P(Layout, NarrowDockGivesBarsTheSmallestWidth) {
  auto t = addBar("t", 500);
  show(500, 4000);
  EXPECT_EQ(t->Width(), 480);
  auto size = [&] { return std::pair(dock->Width(), dock->Height()); };
  ui->resize(300, 100);  // the dock keeps its minimum size
  EXPECT_EQ(size(), std::pair(500.0, 200.0));
  access().pResizeWidth(150);
  EXPECT_EQ(t->Width(), 150);
  access().OrderBars(false);
  EXPECT_EQ(t->Width(), 480);
  // A wide scroll bar leaves less than the smallest width: bars take 200, columns half less 30.
  auto l = addBar("l", 5000, eAlignLeft), r = addBar("r", 500, eAlignRight);
  access().VScroll().setWidth(300);
  dock->setAllowScroll(true);
  access().OrderBars(false);
  EXPECT_EQ(std::vector({t->Width(), l->Width(), r->Width()}), std::vector({200, 70, 70}));
  EXPECT_EQ(access().picDockBar(r->Index()).Left(), 100.0);
  dock->setAllowScroll(false);
  ui->resize(800, 150);
  EXPECT_EQ(size(), std::pair(800.0, 200.0));

  // A size without a whole number of twips is refused before anything changes.
  for (double bad : {std::nan(""), HUGE_VAL, -HUGE_VAL, 2147483648.0}) {
    EXPECT_THROW(dock->resize(bad, 900), Failure);
    EXPECT_THROW(dock->resize(900, bad), Failure);
  }
  EXPECT_EQ(size(), std::pair(800.0, 200.0));
  dock->setShow(false);
  dock->resize(2147483647.0, 300);
  EXPECT_EQ(dock->Width(), 2147483647.0);
}

TEST_P(Layout, AutoSizeSharesTheDifferenceInOneStepAndHoldsBarsAtFourHundred) {
  struct Case {
    std::vector<std::pair<std::int32_t, bool>> bars;  // height, resizable
    double dockHeight;
    bool scroll;
    std::vector<std::int32_t> expected;
  };
  const std::vector<Case> cases{
      {{{1000, true}, {1000, true}, {1000, true}}, 3600, false, {1200, 1200, 1200}},
      {{{500, true}, {2000, true}, {300, false}}, 1500, false, {400, 800, 300}},  // remainder passed on
      {{{1000, true}, {1000, false}}, 6000, true, {1000, 1000}},                  // nothing while scrolling
      {{{1000, false}, {1000, false}}, 6000, false, {1000, 1000}},                // or without resizable bars
      {{{500, true}, {1000, true}, {300, true}},
       1600,
       false,
       {400, 734, 400}},                      // the fourth round is the last
      {{{1000, true}}, 1010, false, {1000}},  // 10 twips off is close enough, 11 are not
      {{{1000, true}}, 1011, false, {1011}},
      {{{1000, true}}, 990, false, {1000}},
      {{{1000, true}}, 989, false, {989}}};
  for (const Case& k : cases) {
    bars()->Clear();
    dock->setAllowScroll(k.scroll);
    std::vector<BarRef> made;
    for (const auto& [height, resizable] : k.bars)
      made.push_back(addBar(std::to_string(made.size()), height, eAlignTop, resizable));
    dock->resize(5000, k.dockHeight);
    access().pAutoSize();
    for (std::size_t i = 0; i < made.size(); ++i)
      EXPECT_EQ(made[i]->Height(), k.expected[i]) << k.dockHeight << " bar " << i;
    EXPECT_TRUE(k.dockHeight != 3600 || made[0]->HeightMax() == 1500) << made[0]->HeightMax();
  }
}

class Scrolling : public Layout {
 protected:
  // One bar per 1000 twips of stack, in a dock 4000 high.
  void stack(std::int32_t height) {
    dock->setAllowScroll(true);
    addBar("a", height);
    addBar("b", 1000);
    show(5000, 4000);
  }
};

TEST_P(Scrolling, OverflowGivesRangeAndSteps) {
  stack(4000);  // 5000 in a dock of 4000
  auto& vs = access().VScroll();
  EXPECT_EQ(std::vector({vs.Visible() ? 1 : 0, vs.Max(), vs.LargeChange(), vs.SmallChange(),
                         toInt32(vs.Height()), toInt32(vs.Left() + vs.Width())}),
            std::vector({1, 1050, 210, 52, 3950, 5000 - 50}));
  // Every bar may grow while scrolling.
  EXPECT_TRUE(bars()->Item(1)->Width() == toInt32(5000 - vs.Width() - 20) &&
              bars()->Item(2)->HeightMax() == 20000);
  ui->scrollTo(vs, 1050);
  EXPECT_EQ(snap(), "a:1:1:4000@-1050 b:1:1:1000@2950");
}

TEST_P(Scrolling, SmallOverflowIsRaisedToTwentyStepsRoundHalvesToEvenAndHugeOverflowShowsNoBar) {
  // Height of the first bar (stack of it plus 1000 in a dock of 4000), max, large and small change.
  for (auto [height, max, large, small] :
       std::vector<std::array<std::int32_t, 4>>{{2960, 20, 4, 1}, {2980, 30, 6, 2}, {22950, 0, 0, 0}}) {
    bars()->Clear();
    stack(height);
    const auto& vs = access().VScroll();
    EXPECT_TRUE(vs.Visible() == (max > 0) && vs.Value() == 0) << height;
    if (max == 0) continue;
    EXPECT_EQ(std::vector({vs.Max(), vs.LargeChange(), vs.SmallChange()}), std::vector({max, large, small}))
        << height;
  }
}

TOV_BACKEND_SUITE(Layout);
TOV_BACKEND_SUITE(Scrolling);

}  // namespace
}  // namespace tov::test

// Stacking, widths, the dock's size, automatic heights and the scroll bar.
#include <array>
#include <cmath>
#include <vector>

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

}  // namespace
}  // namespace tov::test

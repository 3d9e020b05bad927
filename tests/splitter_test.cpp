// Dragging a bar's splitter strip: live resizing, limits, the partner bar and scroll mode.
#include <algorithm>
#include <utility>

#include "support/dock_fixture.h"

namespace tov::test {
namespace {

class Splitter : public DockTest {
 protected:
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

TEST_P(Splitter, TheReleaseSetsTheStripBottomWhateverTheButtonAndMovesNeedTheLeftOneAlone) {
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

TEST_P(Splitter, ThePartnerBelowFollowsEveryMove) {
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

TEST_P(Splitter, GrowthStopsAtHeightMaxButTheReleaseDoesNot) {
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

TEST_P(Splitter, UpwardMovesStopNearTheTitle) {
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

TEST_P(Splitter, TheCallsDragAsTheMouseDoes) {
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

TEST_P(Splitter, ThePartnerIsTheNextResizableBarOrTheOneAboveTheLowest) {
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

TEST_P(Splitter, AHandlerThatShowsTheDockDuringTheFitPassLeavesTheSplittersOfTheStoredOrder) {
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

TEST_P(Splitter, InScrollModeTheStackGrows) {
  threeBars(true);
  drag(a, {600});
  EXPECT_EQ(heights(), std::vector({1580, 1240, 1500, 1160, 1000, 660, 20000}));
  EXPECT_EQ(std::vector({top(b), top(c)}), std::vector({1580.0, 3080.0}));
  release(a);  // the scroll bar follows at the next full pass
  EXPECT_EQ(visible({&access().VScroll()}) + " " + host->value("a"), "0 1:1:1:1580");
}

TOV_BACKEND_SUITE(Splitter);

}  // namespace
}  // namespace tov::test

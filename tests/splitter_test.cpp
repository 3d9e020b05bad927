// Dragging a bar's splitter strip: live resizing, limits, the partner bar and scroll mode.
#include <algorithm>

#include "support/dock_fixture.h"

namespace tov::test {
namespace {

class Splitter : public DockTest {
 protected:
  /// Bars a, b, c of 1000, 1500 and 1000 with hosted controls in a dock 3600 high, shown without
  /// being fitted to the dock.
  void threeBars(bool scroll = false) {
    a = addBar("a", 1000, eAlignTop, true);
    b = addBar("b", 1500, eAlignTop, true);
    c = addBar("c", 1000, eAlignTop, true);
    for (const auto& bar : {a, b, c})
      bar->setControl(ui->makeControl("ctl" + bar->Key()));
    dock->setAllowScroll(true);
    show();
    dock->setAllowScroll(scroll);
    access().OrderBars(false);
    dock->CtlResize = [this](std::string& key) { resized.push_back(key); };
  }
  Panel& strip(const BarRef& bar) { return access().picSplit(bar->Index()); }
  void press(const BarRef& bar, std::int16_t button = btnLeft) {
    ui->press(1000, ui->absTop(strip(bar)) + 70, button);
  }
  /// Moves the pointer `dy` from the strip's top edge, which is what the strip receives as Y.
  void move(const BarRef& bar, double dy, std::int16_t buttons = btnLeft) {
    ui->move(1000, ui->absTop(strip(bar)) + dy, buttons);
  }
  void release(const BarRef& bar, std::int16_t button = btnLeft) {
    ui->release(1000, ui->absTop(strip(bar)) + 70, button);
  }
  std::int32_t controlHeight(const BarRef& bar) { return valueToInt32(bar->Control()->get("Height")); }
  BarRef a, b, c;
  std::vector<std::string> resized;
};

TEST_P(Splitter, ReleaseSetsTheStripBottomWhateverTheButton) {
  threeBars();
  press(a);
  release(a);  // the strip rests 20 above the panel's bottom
  EXPECT_TRUE(a->Height() == 980 && host->value("a") == "1:1:1:980");

  // Moves with the right button, or with two buttons, change nothing; the right release applies.
  press(b, btnRight);
  move(b, 300, btnRight);
  move(b, 300, btnLeft | btnRight);
  move(b, -300, btnRight);
  EXPECT_TRUE(strip(b).Top() == 1420 && b->Height() == 1520);  // re-placed when b took up the difference
  release(b, btnRight);
  EXPECT_EQ(b->Height(), 1500);
}

TEST_P(Splitter, GrowthStopsAtHeightMaxButTheReleaseDoesNot) {
  threeBars();
  press(b);
  move(b, 20);  // the strip's bottom reaches the panel's bottom: the bar does not follow yet
  EXPECT_TRUE(b->Height() == 1500 && resized.empty());
  move(b, 280);  // strip bottom 1780 lies below the panel's bottom: the bar follows
  EXPECT_EQ(std::vector({b->Height(), b->HeightMax(), c->Height()}),
            std::vector({1780, 1780 + 1000 - 500, 3600 - (100 + 1000 + 1780)}));
  release(b);

  press(a);
  a->setHeightMax(1000);
  move(a, 100);
  EXPECT_TRUE(strip(a).Top() == 1000 && a->Height() == 1000);
  move(a, 50);  // the strip's top already lies at the panel's bottom: no further travel
  EXPECT_EQ(strip(a).Top(), 1000);
  release(a);
  EXPECT_EQ(a->Height(), 1080);
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
    dock = TovDock::create(ui->toolkit());  // a fresh dock, as the first test step found it
    ui->attach(dock->surface());
    host->store.clear();
    threeBars();
    press(b);
    for (const auto& [dy, stripTop] : steps) {
      move(b, dy);
      EXPECT_EQ(std::vector({strip(b).Top(), b->Height() + 0.0, controlHeight(b) + 0.0}),
                std::vector({stripTop, stripTop + 80, std::max(0.0, stripTop + 80 - 260 - 80)}))
          << "move " << dy;
    }
    release(b);
  }
}

TEST_P(Splitter, ThePartnerBelowFollowsEveryMove) {
  threeBars();
  // b and c, with their hosted controls, are resized while the button is still held.
  press(b);
  resized.clear();
  move(b, 0);  // a move that stays on the strip's edge resizes nothing
  EXPECT_TRUE(resized.empty());
  move(b, 220);
  EXPECT_EQ(std::vector({b->Height(), c->Height(), controlHeight(b), controlHeight(c)}),
            std::vector({1700, 800, 1700 - 260 - 80, 800 - 260}));
  EXPECT_EQ(resized, (std::vector<std::string>{"c", "b"}));
  EXPECT_TRUE(b->HeightMax() == 2200 && top(c) == 2700);
  release(b);  // the limits of the other bars follow at the release
  EXPECT_EQ(a->HeightMax(), 1000 + 1700 - 500);
  EXPECT_EQ(host->value("b") + " " + host->value("c"), "2:1:1:1700 3:1:1:800");
}

TEST_P(Splitter, TheLowestBarTakesItsPartnerFromAbove) {
  threeBars();
  c->setHeight(1200);
  EXPECT_EQ(access().pCalcHeight(toInt16(c->Index())), b->Index());
  EXPECT_EQ(top(c), 1000 + 1500);
  EXPECT_EQ(std::vector({b->Height(), controlHeight(b)}),
            std::vector({3600 - (100 + 1000 + 1200), 1300 - 260 - 80}));
  a->setState(eBarHidden);  // two visible bars are partners too
  c->setHeight(1000);
  EXPECT_TRUE(access().pCalcHeight(toInt16(c->Index())) == b->Index() && b->Height() == 3600 - (100 + 1000));
}

TEST_P(Splitter, APartnerThatCannotResizeGivesWayToTheFirstThatCan) {
  // Which of four bars of 1000 may resize, which one changed; its partner, which takes the rest of
  // a dock 3600 high, and the changed bar's limit, which keeps a reserve only for a resizable partner.
  struct Case {
    std::vector<bool> resizable;
    std::int16_t changed, partner;
    std::int32_t heightMax;
  };
  for (const Case& k : std::vector<Case>{{{true, true, true, false}, 3, 2, 1500},
                                         {{true, true, false, false}, 4, 1, 1500},
                                         {{false, false, false, false}, 2, 3, 2000}}) {
    bars()->Clear();
    for (bool resizable : k.resizable)
      addBar("", 1000, eAlignTop, resizable);
    dock->resize(6000, 3600);
    EXPECT_EQ(access().pCalcHeight(k.changed), k.partner) << k.changed;
    EXPECT_TRUE(bars()->Item(k.partner)->Height() == 500 &&
                bars()->Item(k.changed)->HeightMax() == k.heightMax)
        << k.changed;
  }
}

TEST_P(Splitter, InScrollModeTheStackGrows) {
  threeBars(true);
  press(a);
  move(a, 600);
  EXPECT_EQ(std::vector({a->Height(), b->Height() + c->Height(), a->HeightMax(), controlHeight(a)}),
            std::vector({1580, 2500, 20000, 1580 - 260 - 80}));
  EXPECT_EQ(std::vector({top(b), top(c)}), std::vector({1580.0, 3080.0}));
  release(a);  // the scroll bar follows at the next full pass
  EXPECT_TRUE(!access().VScroll().Visible() && host->value("a") == "1:1:1:1580");
}

TOV_BACKEND_SUITE(Splitter);

}  // namespace
}  // namespace tov::test

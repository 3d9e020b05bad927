// The title buttons (close, collapse, expand, options) and right clicks on titles and background,
// by mouse and by the calls that stand for them.
#include "support/dock_fixture.h"

namespace tov::test {
namespace {

class Commands : public DockTest {
 protected:
  /// Clicks an element `dx` from its left and 100 below its top.
  void click(Element& e, std::int16_t button = btnLeft, double dx = 100) {
    ui->click(ui->absLeft(e) + dx, ui->absTop(e) + 100, button);
  }
};

TEST_P(Commands, CloseHidesTheBarThenRaisesClosedButNeverTheLastVisibleOne) {
  auto made = addBars({"a", "b", ""}, 1000, false);
  const BarRef &a = made[0], &b = made[1], &c = made[2];
  for (const BarRef& bar : made)
    bar->setShowClose(true), bar->setState(bar == a ? eBarExpanded : eBarHidden);
  std::vector<std::string> closed;
  // The bar is already hidden and the rest laid out when the application hears of it.
  dock->Closed = [&](std::string& key) { closed.push_back(key + " " + snap()); };
  show();
  // Hidden bars do not count; the refusal goes through the host, not a message box.
  click(access().imgClose(a->Index()));
  EXPECT_FALSE(dock->closeBar(a->Index()));
  EXPECT_EQ(host->messages,
            std::vector<std::string>(2, "Sie müssen mindestens ein Element sichtbar lassen!"));
  c->setState(eBarExpanded);
  click(access().imgClose(a->Index()));  // the last bar counts too
  b->setState(eBarExpanded);
  c->setState(eBarHidden);
  a->setState(eBarCollapsed);  // a collapsed bar counts as visible, but not when it is the last
  EXPECT_TRUE(dock->closeBar(b->Index()));
  EXPECT_FALSE(dock->closeBar(a->Index()));
  EXPECT_EQ(closed, (std::vector<std::string>{"a a:1:2:0@0 b:1:2:0@0 :1:1:1000@0",
                                              "b a:1:0:260@0 b:1:2:0@260 :1:2:0@260"}));
  // While the stored settings are applied, the close button does nothing at all.
  host->hostile = [&](std::string_view op) {
    if (op == "GetSetting") click(access().imgClose(a->Index()));
  };
  dock->setShow(true);
  host->hostile = nullptr;
  EXPECT_EQ(std::tuple(a->State(), closed.size(), host->messages.size(), ui->messages().size()),
            std::tuple(eBarCollapsed, 2u, 3u, 0u));
}

TEST_P(Commands, CollapseAndExpandAreSavedAtOnce) {
  auto made = addBars({"a", "b", "c"});
  const BarRef &a = made[0], &b = made[1];
  EXPECT_FALSE(dock->collapseBar(a->Index())) << "nothing is on screen yet";
  show();
  click(access().imgCollapse(b->Index()));
  // The bar below takes up the difference.
  EXPECT_EQ(snap() + " " + host->value("b"), "a:1:1:1200@0 b:1:0:260@1200 c:1:1:2040@1460 2:1:0:1200");
  // Refused: folding a folded bar, unfolding an open one, and either for a bar without fold buttons.
  std::vector refused{dock->collapseBar(b->Index()), dock->expandBar(a->Index())};
  a->setCanExpand(false), b->setCanExpand(false);
  refused.insert(refused.end(), {dock->collapseBar(a->Index()), dock->expandBar(b->Index())});
  a->setCanExpand(true), b->setCanExpand(true);
  EXPECT_EQ(refused, std::vector(4, false));
  // The application's own state changes are laid out but not saved: only the user's action saves.
  host->saves.clear();
  b->setState(eBarExpanded);
  b->setState(eBarCollapsed);
  click(access().imgExpand(b->Index()));
  EXPECT_EQ(std::tuple(host->saves.size(), host->value("b")), std::tuple(3u, "2:1:1:1200"));
  const std::vector values{dock->collapseBar(b->Index()) ? host->value("b") : "refused",
                           dock->expandBar(b->Index()) ? host->value("b") : "refused"};
  EXPECT_EQ(values, std::vector<std::string>({"2:1:0:1200", "2:1:1:1200"}));
}

TEST_P(Commands, OptionsActOnTheKeyAndReloadFlagTheApplicationHandsBack) {
  auto a = addBar("a", 1000), b = addBar("b", 700);
  a->setShowOptions(true);
  show();
  EXPECT_FALSE(dock->requestOptions(b->Index())) << "b has no options button";
  // An emptied key stops every follow-up: the changed group is not applied.
  std::vector<std::string> asked;
  dock->OptShow = [&](std::string& key, bool& reload) {
    asked.push_back(key + (reload ? " reload" : ""));
    a->setAlignBar(eAlignBottom);
    key.clear();
  };
  click(access().imgOpt(a->Index()));
  EXPECT_EQ(std::tuple(asked, snap()),
            std::tuple(std::vector<std::string>{"a"}, "a:4:1:1000@0 b:1:1:700@1000"));
  // Stored values and scheme colours are only read again when the application asks for it.
  host->store[{"DockBar", "b"}] = "2:4:0:700";
  host->colors[140] = 0x123456;
  dock->OptShow = [&](std::string&, bool&) {};
  EXPECT_TRUE(dock->requestOptions(a->Index()));
  EXPECT_EQ(snap() + " " + std::to_string(a->BackColor() == 0x123456), "b:1:1:700@0 a:4:1:1000@700 0");
  dock->OptShow = [&](std::string&, bool& reload) { reload = true; };
  click(access().imgOpt(a->Index()));
  EXPECT_EQ(snap() + " " + std::to_string(a->BackColor() == 0x123456), "a:4:1:1000@0 b:4:0:260@1000 1");
}

TEST_P(Commands, RightClicksRaiseTheKeyAndOnlyTitlesLayOut) {
  auto a = addBar("a", 1000), b = addBar("b", 700);
  show();
  std::vector<std::string> keys;
  BarRef regroup = a;
  dock->RightClick = [&](std::string& key) {
    keys.push_back(key);
    regroup->setAlignBar(eAlignBottom);
  };
  host->saves.clear();
  click(access().picTitel(a->Index()), btnRight, 1500);  // on the strip, clear of caption and buttons
  EXPECT_EQ(std::tuple(access().dragSource(), order()), std::tuple(0, "b,a"));  // and starts no drag
  // The background: the key is empty and nothing follows; other buttons there raise nothing.
  regroup = b;
  for (const std::int16_t button : {btnRight, btnLeft, btnMiddle})
    ui->click(3000, 3000, button);
  EXPECT_EQ(snap(), "b:4:1:700@0 a:4:1:1000@700");
  a->setAlignBar(eAlignTop);
  EXPECT_TRUE(dock->requestContextMenu(a->Index()));
  EXPECT_EQ(snap(), "a:1:1:1000@0 b:4:1:700@1000");
  EXPECT_EQ(std::tuple(keys, host->saves.size()), std::tuple(std::vector<std::string>{"a", "", "a"}, 0u));
}

TOV_BACKEND_SUITE(Commands);

}  // namespace
}  // namespace tov::test

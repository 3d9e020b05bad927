// The title buttons (close, collapse, expand, options) and right clicks on titles and background.
#include "support/dock_fixture.h"

namespace tov::test {
namespace {

constexpr const char* kKeepOne = "Sie müssen mindestens ein Element sichtbar lassen!";

class Commands : public DockTest {
 protected:
  void clickClose(const BarRef& b) { clickOn(access().imgClose(b->Index())); }
  std::vector<std::string> closed;
};

TEST_P(Commands, CloseHidesTheBarThenRaisesClosedButNeverTheLastVisibleOne) {
  auto a = addBar("a", 1000);
  a->setShowClose(true);
  dock->Closed = [this](std::string& key) { closed.push_back(key); };
  show();
  clickClose(a);
  // A hidden second bar does not count; the refusal goes through the host, not a message box.
  auto b = addBar("b", 1200);
  b->setShowClose(true);
  b->setState(eBarHidden);
  clickClose(a);
  EXPECT_EQ(host->messages, (std::vector<std::string>{kKeepOne, kKeepOne}));
  EXPECT_TRUE(a->State() == eBarExpanded && closed.empty() && ui->messages().empty());

  host->messages.clear();
  auto c = addBar("", 900);
  c->setShowClose(true);
  clickClose(a);  // the last bar counts too
  EXPECT_TRUE(a->State() == eBarHidden && closed == std::vector<std::string>{"a"});
  closed.clear();
  b->setState(eBarExpanded);
  a->setState(eBarCollapsed);
  dock->Closed = [&](std::string& key) {
    closed.push_back(key);
    // The bar is already hidden and the rest laid out when the application hears of it.
    EXPECT_TRUE(key != "b" || (b->State() == eBarHidden && !access().picDockBar(b->Index()).Visible() &&
                               top(c) == a->Height()));
  };
  clickClose(b);  // a collapsed bar counts as visible
  clickClose(c);
  EXPECT_EQ(closed, (std::vector<std::string>{"b", ""}));

  // While the stored settings are applied, the close button does nothing at all.
  access().loading() = true;
  clickClose(a);
  access().loading() = false;
  EXPECT_TRUE(a->State() == eBarCollapsed && closed.size() == 2 && host->messages.empty());
}

TEST_P(Commands, CollapseAndExpandByClickAreSavedAtOnce) {
  addBar("a", 1000, eAlignTop, true);
  auto b = addBar("b", 1000, eAlignTop, true);
  addBar("c", 1000, eAlignTop, true);
  show();
  host->saves.clear();

  clickOn(access().imgCollapse(b->Index()));
  // The bar below takes up the difference.
  EXPECT_EQ(snap() + " " + host->value("b"), "a:1:1:1200@0 b:1:0:260@1200 c:1:1:2040@1460 2:1:0:1200");

  // The application's own state changes are laid out but not saved: only the click saves.
  host->saves.clear();
  b->setState(eBarExpanded);
  b->setState(eBarCollapsed);
  clickOn(access().imgExpand(b->Index()));
  EXPECT_TRUE(host->saves.size() == 3 && host->value("b") == "2:1:1:1200") << host->value("b");
}

TEST_P(Commands, OptionsActOnTheKeyAndReloadFlagTheApplicationHandsBack) {
  auto a = addBar("a", 1000);
  auto b = addBar("b", 700);
  a->setShowOptions(true);
  show();
  std::vector<std::string> asked;

  // An emptied key stops every follow-up: the changed group is not applied.
  dock->OptShow = [&](std::string& key, bool& reload) {
    asked.push_back(key);
    EXPECT_FALSE(reload);
    a->setAlignBar(eAlignBottom);
    key.clear();
  };
  clickOn(access().imgOpt(a->Index()));
  EXPECT_TRUE(asked == std::vector<std::string>{"a"} && order() == "a,b" && top(b) == 1000);

  // Stored values and scheme colours are only read again when the application asks for it.
  host->store[{"DockBar", "b"}] = "2:4:0:700";
  host->colors[140] = 0x123456;
  dock->OptShow = [&](std::string&, bool&) {};
  clickOn(access().imgOpt(a->Index()));
  EXPECT_TRUE(order() == "b,a" && top(a) == 700 && b->State() == eBarExpanded && a->BackColor() != 0x123456);

  dock->OptShow = [&](std::string&, bool& reload) { reload = true; };
  clickOn(access().imgOpt(a->Index()));
  EXPECT_TRUE(b->State() == eBarCollapsed && b->AlignBar() == eAlignBottom && top(b) == 1000);
  EXPECT_TRUE(a->BackColor() == 0x123456 && dock->Show());
}

TEST_P(Commands, RightClicksRaiseTheKeyAndOnlyTitlesLayOut) {
  auto a = addBar("a", 1000);
  auto b = addBar("b", 700);
  show();
  std::vector<std::string> keys;
  BarRef regroup = a;
  dock->RightClick = [&](std::string& key) {
    keys.push_back(key);
    regroup->setAlignBar(eAlignBottom);
  };
  host->saves.clear();
  clickOn(access().picTitel(a->Index()), btnRight, 1500);       // on the strip, clear of caption and buttons
  EXPECT_TRUE(access().dragSource() == 0 && order() == "b,a");  // a right press starts no drag

  // The background: the key is empty and nothing follows.
  regroup = b;
  ui->click(3000, 3000, btnRight);
  ui->click(3000, 3000, btnLeft);  // other buttons on the background raise nothing
  ui->click(3000, 3000, btnMiddle);
  EXPECT_EQ(keys, (std::vector<std::string>{"a", ""}));
  EXPECT_TRUE(order() == "b,a" && top(a) == 700 && host->saves.empty());
}

TOV_BACKEND_SUITE(Commands);

}  // namespace
}  // namespace tov::test

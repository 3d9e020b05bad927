// Hosts and hosted controls that drop the dock while it terminates. Handlers that re-enter the dock
// in the middle of its passes are met by the operation walk.
#include "support/dock_fixture.h"

namespace tov::test {
namespace {

class Reentrancy : public DockTest {
 protected:
  /// Resizable top bars of 1000 with hosted controls and every title button.
  std::vector<BarRef> fullBars(std::initializer_list<const char*> keys) {
    std::vector<BarRef> made = addBars(keys);
    for (const BarRef& b : made) {
      b->setControl(ui->makeControl("ctl" + b->Key()));
      b->setShowClose(true), b->setShowOptions(true);
    }
    return made;
  }
  /// The dock still works: new bars are shown, filled to its height and stacked without gaps.
  void expectUsable() {
    ASSERT_TRUE(dock);
    fullBars({"n1", "n2"});
    show(6000, 4000);
    std::int32_t y = 0;
    for (std::int32_t i = 1; i <= bars()->Count(); ++i) {
      BarRef b = bars()->ItemByOrder(i);
      if (b->State() == eBarHidden) continue;
      EXPECT_EQ(std::tuple(ui->shown(access().picDockBar(b->Index())), top(b)), std::tuple(true, 1.0 * y))
          << b->Key();
      y += b->Height();
    }
    EXPECT_NEAR(y, 4000, 20);
    EXPECT_EQ(ui->messages(), std::vector<std::string>{});
  }
};

TEST_P(Reentrancy, TerminationSurvivesHostsAndControlsThatDropTheDock) {
  // Code that runs inside Terminate drops the application's last reference to the dock: the host
  // while it saves, a hosted control while it is handed back, or such a control while the
  // application clears the bars through a plain reference to the collection.
  for (int way = 0; way < 3; ++way) {
    const Hwnd form = parentOf(ui->makeControl("probe"));
    auto made = fullBars({"a", "b"});
    show();
    const ControlRef plain = made[0]->Control();
    bool armed = false;
    auto dropOnHide = [&](std::string_view member) {
      if (member == "Visible" && way > 0 && armed) dock.reset();
    };
    made[1]->setControl(std::make_shared<HookedControl>(ui->makeControl("hooked"), dropOnHide));
    host->hostile = [&](std::string_view op) {
      if (op == "SaveSetting" && way == 0) dock.reset();
    };
    clsBars& all = *dock->Bars();
    armed = true;
    way < 2 ? dock->Terminate() : all.Clear();
    host->hostile = nullptr;
    EXPECT_EQ(std::tuple(dock, made[0]->Control(), valueToBool(plain->get("Visible")), parentOf(plain)),
              std::tuple(DockRef(), ControlRef(), false, form))
        << way;
    EXPECT_NE(host->value("a"), "") << way;
    // A bar removed from the collection no longer reaches the dock.
    if (way == 2) {
      EXPECT_THROW(made[0]->setHeight(2500), Failure);
    }
    newDock();
  }
  expectUsable();
}

TOV_BACKEND_SUITE(Reentrancy);

}  // namespace
}  // namespace tov::test

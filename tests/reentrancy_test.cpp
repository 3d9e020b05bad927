// Application handlers that re-enter the dock from inside its own passes.
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
  /// Runs `body` on the `nth` CtlResize only (the dock raises a copy of the handler).
  void onResize(std::function<void(std::string&)> body, int nth = 1) {
    dock->CtlResize = [body, seen = std::make_shared<int>(0), nth](std::string& key) {
      if (++*seen == nth) body(key);
    };
  }
  /// The dock still works: new bars are shown, filled to its height and stacked without gaps.
  void expectUsable() {
    ASSERT_TRUE(dock);
    dock->CtlResize = dock->Closed = nullptr;
    dock->OptShow = nullptr;
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

TEST_P(Reentrancy, ResizeHandlersMayStopTheDockOrAddBars) {
  fullBars({"a", "b", "c"});
  show();
  onResize([&](std::string&) { dock->setShow(false); });
  dock->resize(6000, 3200);
  EXPECT_FALSE(dock->Show());
  dock->setShow(true);
  onResize([&](std::string&) { fullBars({"x", "y"}); });
  dock->resize(6000, 3000);
  EXPECT_EQ(bars()->Count(), 5);
  expectUsable();
}

TEST_P(Reentrancy, HandlersMayClearTheBarsInTheMiddleOfAnyPass) {
  auto clear = [this](auto&&...) { bars()->Clear(); };
  std::vector<BarRef> made;
  auto click = [&](Image& (DockTestAccess::*button)(int), std::size_t bar) {
    clickOn((access().*button)(made[bar]->Index()));
  };
  // What the handler is and what runs it: showing, a repaint of every bar after a close (the
  // third resize comes after the layout placed the two remaining controls), a splitter drag, the
  // close and options commands, and a collapse whose bar index is gone after the handler put
  // fewer bars in.
  const std::vector<std::pair<std::function<void()>, std::function<void()>>> passes{
      {[&] { onResize(clear); }, [&] { show(); }},
      {[&] { onResize(clear, 3); }, [&] { click(&DockTestAccess::imgClose, 1); }},
      {[&] { onResize(clear); },
       [&] {
         const double y = ui->absTop(access().picSplit(made[0]->Index())) + 70;
         ui->press(1000, y);
         ui->move(1000, y + 200);
         ui->release(1000, y + 300);
       }},
      {[&] { dock->Closed = clear; }, [&] { click(&DockTestAccess::imgClose, 1); }},
      {[&] { dock->OptShow = [&](std::string&, bool& reload) { clear(), reload = true; }; },
       [&] { click(&DockTestAccess::imgOpt, 0); }},
      {[&] { onResize([&](std::string&) {
               clear(), fullBars({"p", "q"});
             }); },
       [&] { click(&DockTestAccess::imgCollapse, 2); }}};
  for (const auto& [arrange, run] : passes) {
    bars()->Clear();
    made = fullBars({"a", "b", "c"});
    if (&arrange != &passes[0].first) show();
    arrange();
    run();
    // The control is handed back.
    EXPECT_EQ(std::tuple(order(), made[0]->Control(), dock->Show()),
              std::tuple(&arrange == &passes.back().first ? "p,q" : "", ControlRef(), true));
    bars()->Clear();
    expectUsable();
  }
  // A bar removed from the collection no longer reaches the dock, nor the bar now at its index.
  const double newHeight = access().picDockBar(1).Height();
  EXPECT_THROW(made[0]->setHeight(2500), Failure);
  EXPECT_EQ(access().picDockBar(1).Height(), newHeight);
}

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
    dock = TovDock::create(ui->toolkit());
    ui->attach(dock->surface());
  }
  expectUsable();
}

TOV_BACKEND_SUITE(Reentrancy);

}  // namespace
}  // namespace tov::test

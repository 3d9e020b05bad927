// Application handlers that re-enter the dock from inside its own passes.
#include "support/dock_fixture.h"

namespace tov::test {
namespace {

class Reentrancy : public DockTest {
 protected:
  /// Resizable top bars of 1000 with hosted controls and every title button.
  std::vector<BarRef> addBars(std::initializer_list<const char*> keys) {
    std::vector<BarRef> made;
    for (const char* key : keys) {
      BarRef b = made.emplace_back(addBar(key, 1000, eAlignTop, true));
      b->setControl(ui->makeControl(std::string("ctl") + key));
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
    addBars({"n1", "n2"});
    show();
    dock->resize(6000, 4000);
    std::int32_t y = 0;
    for (std::int32_t i = 1; i <= bars()->Count(); ++i) {
      BarRef b = bars()->ItemByOrder(i);
      if (b->State() == eBarHidden) continue;
      EXPECT_TRUE(ui->shown(access().picDockBar(b->Index())) && top(b) == y) << b->Key();
      y += b->Height();
    }
    EXPECT_NEAR(y, 4000, 20);
    EXPECT_EQ(ui->messages(), std::vector<std::string>{});
  }
  /// Presses on a bar's splitter strip, moves down 200 and 300 and releases there.
  void dragStrip(const BarRef& b) {
    const double y = ui->absTop(access().picSplit(b->Index())) + 70;
    ui->press(1000, y);
    for (double dy : {200, 300})
      ui->move(1000, y + dy);
    ui->release(1000, y + 300);
  }
};

TEST_P(Reentrancy, ResizeHandlersMayStopTheDockOrAddBars) {
  addBars({"a", "b", "c"});
  show();
  onResize([&](std::string&) { dock->setShow(false); });
  dock->resize(6000, 3200);
  EXPECT_FALSE(dock->Show());
  dock->setShow(true);
  onResize([&](std::string&) { addBars({"x", "y"}); });
  dock->resize(6000, 3000);
  EXPECT_EQ(bars()->Count(), 5);
  expectUsable();
}

TEST_P(Reentrancy, HandlersMayClearTheBarsInTheMiddleOfAnyPass) {
  auto clear = [this](auto&&...) { bars()->Clear(); };
  std::vector<BarRef> made;
  // What the handler is and what runs it: showing, a repaint of every bar after a close (the
  // third resize comes after the layout placed the two remaining controls), a splitter drag, the
  // close and options commands, and a collapse whose bar index is gone after the handler put
  // fewer bars in.
  const std::vector<std::pair<std::function<void()>, std::function<void()>>> passes{
      {[&] { onResize(clear); }, [&] { show(); }},
      {[&] { onResize(clear, 3); }, [&] { clickOn(access().imgClose(made[1]->Index())); }},
      {[&] { onResize(clear); }, [&] { dragStrip(made[0]); }},
      {[&] { dock->Closed = clear; }, [&] { clickOn(access().imgClose(made[1]->Index())); }},
      {[&] { dock->OptShow = [&](std::string&, bool& reload) { clear(), reload = true; }; },
       [&] { clickOn(access().imgOpt(made[0]->Index())); }},
      {[&] { onResize([&](std::string&) { clear(), addBars({"p"}); }); },
       [&] { clickOn(access().imgCollapse(made[2]->Index())); }}};
  for (const auto& [arrange, run] : passes) {
    bars()->Clear();
    made = addBars({"a", "b", "c"});
    if (&arrange != &passes[0].first) show();
    arrange();
    run();
    EXPECT_EQ(order(), &arrange == &passes.back().first ? "p" : "");
    EXPECT_TRUE(!made[0]->Control() && dock->Show());  // the control is handed back
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
    SCOPED_TRACE(way);
    const Hwnd form = parentOf(ui->makeControl("probe"));
    auto made = addBars({"a", "b"});
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
    EXPECT_FALSE(dock || made[0]->Control() || valueToBool(plain->get("Visible")));
    EXPECT_TRUE(parentOf(plain) == form && host->value("a") != "");
    dock = TovDock::create(ui->toolkit());
    ui->attach(dock->surface());
  }
  expectUsable();
}

TOV_BACKEND_SUITE(Reentrancy);

}  // namespace
}  // namespace tov::test

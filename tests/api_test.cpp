// The calls the layers above use: the user's actions from code, the layout as records, and the one
// notification per run of the dock.
#include "support/dock_fixture.h"

namespace tov::test {
namespace {

class DockApi : public DockTest {
 protected:
  /// Resizable bars a, b, c of 1000 each, b with a close and an options button, in a dock 3600 high.
  void threeBars() {
    a = addBar("a", 1000, eAlignTop, true);
    b = addBar("b", 1000, eAlignTop, true);
    c = addBar("c", 1000, eAlignTop, true);
    b->setShowClose(true);
    b->setShowOptions(true);
    show();
    dock->LayoutChanged = [this] { ++told; };
    host->saves.clear();
  }
  BarRef a, b, c;
  int told = 0;
};

TEST_P(DockApi, UserActionsFromCodeActAsTheMouseAndRefuseWhatItCannotDo) {
  a = addBar("a", 1000, eAlignTop, true);
  EXPECT_FALSE(dock->collapseBar(a->Index())) << "nothing is on screen yet";
  bars()->Clear();
  threeBars();
  // Folding as the buttons do: the partner takes up the difference and the layout is saved.
  ASSERT_TRUE(dock->collapseBar(b->Index()));
  EXPECT_EQ(snap() + " " + host->value("b"), "a:1:1:1200@0 b:1:0:260@1200 c:1:1:2040@1460 2:1:0:1200");
  EXPECT_FALSE(dock->collapseBar(b->Index()));
  EXPECT_FALSE(dock->expandBar(a->Index()));
  EXPECT_TRUE(dock->expandBar(b->Index()));
  EXPECT_EQ(b->Height(), 1200);

  // The splitter: its lower edge moves by the step, as a drag and release do.
  ASSERT_TRUE(dock->dragSplitter(a->Index(), 300));
  EXPECT_EQ(snap(), "a:1:1:1500@0 b:1:1:900@1500 c:1:1:1100@2400");
  ASSERT_TRUE(dock->dragSplitter(a->Index(), -400));
  EXPECT_EQ(snap(), "a:1:1:1100@0 b:1:1:1300@1100 c:1:1:1100@2400");
  EXPECT_FALSE(dock->dragSplitter(c->Index(), 100)) << "the lowest bar shows no splitter";
  ASSERT_TRUE(dock->setBarHeight(c->Index(), 900));
  EXPECT_EQ(host->value("c"), "3:1:1:900");

  // A move as a drop: group and place; a place or group out of range, or no change, is refused.
  EXPECT_FALSE(dock->moveBar(c->Index(), 4, eAlignTop));
  EXPECT_FALSE(dock->moveBar(c->Index(), 1, eAlignBottom + 1));
  EXPECT_FALSE(dock->moveBar(c->Index(), 3, eAlignTop));
  ASSERT_TRUE(dock->moveBar(c->Index(), 1, eAlignLeft));
  EXPECT_EQ(order() + " " + host->value("c"), "c,a,b 1:2:1:900");
  c->setCanMove(false);
  EXPECT_FALSE(dock->moveBar(c->Index(), 2, eAlignLeft));

  // Closing: the options button and the close button are b's; the last shown bar stays.
  std::vector<std::string> events;
  dock->Closed = [&](std::string& key) { events.push_back("closed " + key); };
  dock->OptShow = [&](std::string& key, bool&) { events.push_back("options " + key); };
  EXPECT_FALSE(dock->requestOptions(a->Index()));
  EXPECT_TRUE(dock->requestOptions(b->Index()));
  EXPECT_FALSE(dock->closeBar(a->Index()));
  EXPECT_TRUE(dock->closeBar(b->Index()));
  EXPECT_EQ(events, (std::vector<std::string>{"options b", "closed b"}));
  a->setShowClose(true);
  a->setState(eBarHidden);
  c->setShowClose(true);
  EXPECT_FALSE(dock->closeBar(c->Index()));
  EXPECT_EQ(host->messages, std::vector<std::string>{"Sie müssen mindestens ein Element sichtbar lassen!"});

  // Showing again is saved as the user's change, and so is a reset.
  host->saves.clear();
  EXPECT_TRUE(dock->showBar(b->Index()));
  EXPECT_FALSE(dock->showBar(b->Index()));
  EXPECT_EQ(host->value("b").substr(0, 6), "2:1:1:");  // the options click grouped c behind a and b
  dock->resetLayout();
  EXPECT_EQ(order() + " " + host->value("c"), "a,b,c 3:2:1:1200");
}

TEST_P(DockApi, RecordsAreWhatIsStoredAndApplyAsLoadingDoes) {
  threeBars();
  c->setShowClose(true);
  dock->collapseBar(a->Index());
  dock->closeBar(c->Index());
  const std::vector<LayoutRecord> saved = dock->records();
  // A collapsed bar's record holds the height it expands to; a hidden one holds none.
  std::string text;
  for (const LayoutRecord& r : saved)
    text += r.key + "=" + std::to_string(r.position) + ":" + std::to_string(r.align) + ":" +
            std::to_string(r.state) + ":" + std::to_string(r.height) + " ";
  EXPECT_EQ(text, "a=1:1:0:1200 b=2:1:1:3340 c=3:1:2:0 ");

  // A dock not shown yet shows the records applied to it instead of the stored layout.
  dock = TovDock::create(ui->toolkit());
  ui->attach(dock->surface());
  for (const char* key : {"c", "b", "a"})
    addBar(key, 700, eAlignTop, true)->setShowClose(true);
  host->store.clear();
  host->store[{"DockBar", "a"}] = "3:1:1:1500";  // not read: the records stand in
  std::vector<LayoutRecord> records = saved;
  records.push_back({"b", 1, eAlignBottom + 1, eBarExpanded, 2000});  // an unknown group: ignored
  dock->applyRecords(records);
  EXPECT_EQ(bars()->ItemByKey("a")->State(), eBarCollapsed);
  dock->setAllowScroll(true);
  show(6000, 6000);
  EXPECT_EQ(snap(), "a:1:0:260@0 b:1:1:3340@260 c:1:2:0@3600");
  dock->expandBar(bars()->ItemByKey("a")->Index());
  EXPECT_EQ(bars()->ItemByKey("a")->Height(), 1200);

  // A hidden bar without a close button comes back; a bar that cannot resize keeps its height.
  BarRef b2 = bars()->ItemByKey("b");
  b2->setAllowResize(false);
  bars()->ItemByKey("c")->setShowClose(false);
  dock->applyRecords({{"b", 2, eAlignTop, eBarExpanded, 2500}, {"c", 3, eAlignTop, eBarHidden, 0}});
  EXPECT_EQ(snap(), "a:1:1:1200@0 b:1:1:3340@1200 c:1:1:700@4540");
}

TEST_P(DockApi, LayoutChangesAreToldOncePerRunAndNotForAResize) {
  threeBars();
  // A splitter drag is one change, told at its release.
  const Panel& strip = access().picSplit(a->Index());
  const double x = 1000, y = ui->absTop(strip) + 70;  // below the grip lines
  ui->press(x, y);
  for (double dy : {100, 200, 300}) {
    ui->move(x, y + dy);
    EXPECT_EQ(told, 0);
  }
  ui->release(x, y + 300);
  EXPECT_EQ(told, 1);
  clickOn(access().imgCollapse(b->Index()));
  EXPECT_EQ(told, 2);
  ui->resize(7000, 4000);
  EXPECT_EQ(told, 2);
  c->setState(eBarCollapsed);
  EXPECT_EQ(told, 3);
  {
    TovDock::Batch batch(*dock);
    c->setState(eBarExpanded);
    a->setAlignBar(eAlignLeft);
    dock->relayout();
    EXPECT_EQ(order(), "a,b,c") << "the relayout waits for the batch";
  }
  EXPECT_EQ(std::pair(told, order()), std::pair(4, std::string("b,c,a")));
  // A listener that deletes the dock ends the run safely.
  dock->LayoutChanged = [this] { dock.reset(); };
  c->setState(eBarCollapsed);
  EXPECT_FALSE(dock);
}

TOV_BACKEND_SUITE(DockApi);

}  // namespace
}  // namespace tov::test

// The dock shell and element sets, attribute updates and the title strip; the bar object and the
// bar collection: setter rules, hosted controls and look-ups; saving and restoring each bar's
// position, group, state and height under its key, and the same layout as records for the layers
// above, with the notification of a changed layout.
#include <filesystem>
#include <fstream>

#include "support/dock_fixture.h"
#include "tovdock/headless.h"

namespace tov::test {
namespace {

using DockShell = DockTest;

TEST_P(DockShell, ShowElementShowsOneOrAllHiddenBarsAndMinusOneResetsAllButWhileScrolling) {
  BarRef a = addBar("a", 1000, eAlignTop, true), b = addBar("b", 3000, eAlignTop, true),
         c = addBar("c", 1000);
  b->setShowClose(true);
  show(6000, 5000);
  c->setState(eBarCollapsed);
  dock->moveBar(c->Index(), 1, eAlignTop);
  host->store[{"DockBar", "c"}] = "1:1:0:1000";  // the reset does not load stored settings
  dock->setShow(false);
  dock->resetLayout();  // shows the dock again and saves the layout
  // Both resizable bars start again from 600 and share the rest of the dock equally.
  EXPECT_EQ(snap() + " " + host->value("c"), "a:1:1:2000@0 b:1:1:2000@2000 c:1:1:1000@4000 3:1:1:1000");
  dock->setAllowScroll(true);
  b->setState(eBarHidden);
  c->setState(eBarCollapsed);
  dock->moveBar(c->Index(), 1, eAlignTop);
  dock->ShowElement(-1);
  EXPECT_EQ(snap(), "c:1:0:260@0 a:1:1:2000@260 b:1:2:0@2260");
  c->setState(eBarHidden);
  a->setState(eBarCollapsed);
  a->setTop(777);
  dock->ShowElement(0);  // every hidden bar, then a layout pass
  EXPECT_EQ(snap(), "c:1:1:1000@0 a:1:0:260@1000 b:1:1:2000@1260");
  b->setState(eBarHidden);
  c->setState(eBarCollapsed);
  EXPECT_EQ(std::vector({dock->showBar(b->Index()), dock->showBar(b->Index())}), std::vector({true, false}));
  EXPECT_EQ(snap() + " " + host->value("b"), "c:1:0:260@0 a:1:0:260@260 b:1:1:2000@520 3:1:1:2000");
}

TEST(DockShellLimits, BarsBeyondTheLastSixteenBitIndexAreRefusedWhole) {
  auto toolkit = std::make_shared<headless::HeadlessToolkit>();
  auto dock = TovDock::create(toolkit);
  const BarsRef all = dock->Bars();
  for (int i = 1; i <= 32767; ++i)
    ASSERT_TRUE(all->Add());
  // Each refused call fails once, with one message box (a braced list is read left to right).
  EXPECT_EQ((std::tuple{std::vector{all->Add(), all->Add()}, toolkit->messages().size(), all->Count()}),
            std::tuple(std::vector<BarRef>(2), 2u, 32767));
  EXPECT_EQ(toolkit->messages().back().title + "|" + toolkit->messages().back().text, "clsBars.Add|Overflow");
}

TEST_P(DockShell, NewBarsStartHiddenAndUpdatesBeforeShowOnlyMoveAndSizeTheFrameAndReadBackRoundedHalfToEven) {
  bars()->Add();
  BarRef b = addBar("", 1000);
  const BarElementsView e = dock->elementsOf(b->Index());
  EXPECT_EQ(dock->hWndItem(0), dock->elementsOf(0).frame->hWnd());
  EXPECT_THROW(dock->hWndItem(3), Failure);
  EXPECT_EQ(visible({e.frame, e.title, e.caption, e.captionRight, e.splitter, e.grip[0], e.grip[1], e.grip[2],
                     e.close, e.collapse, e.expand, e.options}),
            "011111110000");
  const std::string caption = e.caption->Caption();
  b->setTitle("Neu");
  b->setIcon(icon16());
  b->setTitleBackColorStart(0x112233);
  b->setShowResize(true);
  b->setShowResize(false);
  EXPECT_EQ(e.caption->Caption() + visible({e.splitter, e.icon, e.frame}), caption + "100");
  EXPECT_EQ(GetParam() == "headless" ? headless::drawing(*e.title).size() : 0u, 0u);  // nothing drawn
  b->setTop(1234);
  b->setHeight(700);
  b->setWidth(3000);  // a width change arranges the title even now
  EXPECT_EQ(std::vector({e.frame->Top(), e.frame->Height(), e.title->Width()}),
            std::vector({1234.0, 700.0, 3000.0}));
  EXPECT_EQ(e.caption->Caption() + visible({e.icon, e.frame}), "Neu10");
  e.frame->setTop(1500.5);
  const auto down = b->Top();
  e.frame->setTop(1501.5);
  e.frame->setWidth(2999.4);
  EXPECT_EQ(std::vector({down, b->Top(), b->Width()}), std::vector({1500, 1502, 2999}));
  // After a Clear, the shown dock arranges a new title at once.
  show();
  bars()->Clear();
  EXPECT_EQ(dock->elementsOf(addBar("d", 1000)->Index()).caption->Caption(), "d");
}

TEST_P(DockShell, StateChangesRefitTheStackOnlyWithoutScrolling) {
  const BarRef b = addBars({"a", "b"})[1], c = addBar("c", 1000);
  show(6000, 5000);
  // Collapsing gives the difference to the partner above and fits nothing else; hiding fits the
  // resizable bars to the dock again; shown again, the partner gives way first, then the resizable
  // bars are fitted. While scrolling, the other bars keep their heights and are only restacked.
  const std::vector<std::tuple<BarRef, std::int32_t, bool, std::string>> steps{
      {c, eBarCollapsed, false, "a:1:1:2000@0 b:1:1:2640@2000 c:1:0:260@4640 1"},
      {c, eBarHidden, false, "a:1:1:2180@0 b:1:1:2820@2180 c:1:2:0@5000 0"},
      {c, eBarExpanded, false, "a:1:1:2230@0 b:1:1:1770@2230 c:1:1:1000@4000 1"},
      {c, eBarCollapsed, true, "a:1:1:2230@0 b:1:1:1770@2230 c:1:0:260@4000 1"},
      {b, eBarHidden, true, "a:1:1:2230@0 b:1:2:0@2230 c:1:0:260@2230 1"}};
  for (const auto& [bar, state, scroll, expected] : steps) {
    dock->setAllowScroll(scroll);
    bar->setState(state);
    EXPECT_EQ(snap() + " " + visible({dock->elementsOf(c->Index()).frame}), expected);
  }
}

TEST_P(DockShell, TitleButtonsArePackedFromTheRightAndTheCaptionFollowsTheIcon) {
  BarRef b = addBar("a", 1000);
  b->setShowClose(true);
  b->setShowOptions(true);
  b->setTitleRight("Rechts");
  BarRef bare = addBar("", 1000);  // no title and no expand: no title strip, nothing of it arranged
  bare->setCanExpand(false);
  show();
  const BarElementsView e = dock->elementsOf(b->Index()), k = dock->elementsOf(bare->Index());
  const double W = e.title->Width();
  const auto rightEnd = [&] { return e.captionRight->Left() + e.captionRight->Width(); };
  b->setState(eBarCollapsed);
  EXPECT_EQ(
      std::vector({W, e.close->Left(), e.expand->Left(), e.options->Left(), rightEnd(), k.title->Width()}),
      std::vector(
          {e.frame->Width(), W - 260, W - 500, W - 740, W - 780, dock->elementsOf(0).title->Width()}));
  EXPECT_EQ(visible({e.close, e.collapse, e.expand, e.options, k.title, k.frame}), "101101");
  // The switches the bar only stores show at the next pass, one by one: only the close button goes,
  // the others stay as they were shown, and the right caption moves up; an empty one keeps its place.
  std::vector<double> ends;
  for (auto off : {&cTovBar::setShowClose, &cTovBar::setShowOptions, &cTovBar::setCanExpand}) {
    ((*b).*off)(false);
    dock->relayout();
    ends.push_back(rightEnd());
  }
  const double left = e.captionRight->Left();
  b->setTitleRight("");
  ends.push_back(e.captionRight->Left() - left);
  EXPECT_EQ(ends, std::vector({W - 540, W - 300, W - 60, 0.0}));
  EXPECT_EQ(visible({e.close, e.options, e.expand}), "011");
  // The caption starts after the icon (240 wide; the template's image is 225) as it stood before.
  std::vector<double> captionLeft{e.caption->Left()};
  b->setIcon(icon16());
  captionLeft.push_back(e.caption->Left());
  dock->relayout();
  captionLeft.push_back(e.caption->Left() + 1000 * e.icon->Visible());
  b->setIcon(nullptr);
  captionLeft.push_back(e.caption->Left() + 1000 * e.icon->Visible());
  EXPECT_EQ(captionLeft, std::vector<double>({50, 325, 1340, 50}));
  dock->repaintBar(7);  // no such bar: the painting reports it
  EXPECT_EQ(ui->messages(),
            std::vector<std::string>{"DockBar.pPaint|Object variable or With block variable not set"});
}

TEST_P(DockShell, SchemeColoursOverwriteTheBarsAndTitleGradientsRunFromTheFirstBandToTheLast) {
  host->colors = {{10, 0x0A0A0A}, {140, 0x140140}, {143, 0x804020}, {144, 0xFFE0C0}, {150, 0x150150}};
  host->vertical = true;
  BarRef b = addBar("b", 1000);
  b->setBackColor(0x111111);
  b->setTitleBackColorStart(0x222222);
  show();
  EXPECT_EQ(std::vector({b->BackColor(), b->TitleForeColor(), b->TitleBackColorStart(),
                         b->TitleBackColorEnd(), dock->elementsOf(b->Index()).frame->BackColor(),
                         Color(b->TitleVertical()), dock->surface().BackColor()}),
            std::vector<Color>({0x140140, 0x150150, 0x804020, 0xFFE0C0, 0x140140, 1, 0x0A0A0A}));
  // Top to bottom, the last of 30 lines lies 29 steps of 30 on. Each channel is stepped on the whole
  // colour and masked; 255 * 29 / 30 = 246.5 goes to the even 246, and 255 - 8.5 * 29 = 8.5 to 8.
  // Left to right, the last of 61 bands lies 60 steps of 60 on: the end colour itself.
  const Panel& strip = *dock->elementsOf(b->Index()).title;
  std::vector<std::optional<Gradient>> seen{strip.gradient()};
  for (auto [start, end] : {std::pair(0x000000, 0xFFFFFF), std::pair(0x0000FF, 0x000000)}) {
    b->setTitleBackColorStart(start);
    b->setTitleBackColorEnd(end);
    seen.push_back(strip.gradient());
  }
  b->setTitleVertical(false);
  seen.push_back(strip.gradient());
  EXPECT_EQ(seen, (std::vector<std::optional<Gradient>>{
                      Gradient{0x804020, 0xFBDABB, true}, Gradient{0x000000, 0xF6F6F6, true},
                      Gradient{0x0000FF, 0x000008, true}, Gradient{0x0000FF, 0x000000, false}}));
  host->colors[144] = 0x444444;  // shown again, the scheme is read again
  dock->ShowElement(-1);
  EXPECT_EQ(b->TitleBackColorEnd(), 0x444444);
}

TEST_P(DockShell, HeightIsTakenOnlyAboveOneHundredWhileNotHiddenAndCollapsesToTheTitle) {
  BarRef b = addBar("a", 1000, eAlignTop, true);
  Panel& frame = access().picDockBar(b->Index());
  frame.setHeight(555);  // tells whether a later put reached the dock
  b->setHeight(100);
  b->setHeight(1000);
  b->setState(eBarHidden);
  b->setHeight(3000);
  b->setState(eBarExpanded);
  std::vector<double> seen{1.0 * b->Height(), frame.Height()};
  b->setHeight(101);
  b->setState(eBarCollapsed);  // to the title's height, which the frame follows even now
  seen.insert(seen.end(), {1.0 * b->Height(), frame.Height()});
  b->setHeight(500);  // a collapsed bar's height is not remembered for expanding
  b->setState(eBarExpanded);
  // Without a title, or with CanExpand set after it, the title is 18 high, which a put ignores.
  BarRef untitled = addBar("", 1500);
  b->setCanExpand(false);
  for (const BarRef& bar : {b, untitled}) {
    bar->setState(eBarCollapsed);
    seen.push_back(bar->Height());
  }
  EXPECT_EQ(seen, std::vector<double>({1000, 555, 260, 260, 101, 1500}));
}

TEST_P(DockShell, ControlsWithAlignAreRefusedOthersGoBackToTheirFormerParentAndTheLastAssignmentStands) {
  BarRef b = addBar("a", 1000);
  ControlRef first = ui->makeControl("First"), third = ui->makeControl("Third");  // without Align
  ControlRef second = ui->makeControl("Second", 0), aligned = ui->makeControl("Aligned", 1);
  const Hwnd form = parentOf(first), alignedParent = parentOf(aligned), frame = dock->hWndItem(1);
  b->setControl(first);
  EXPECT_NO_THROW(b->setControl(aligned));
  b->setRedraw(true);  // obsolete: a notice, and it still reads false
  EXPECT_EQ(std::tuple(b->Control(), parentOf(aligned), b->Redraw()),
            std::tuple(first, alignedParent, false));
  EXPECT_EQ(ui->messages(),
            (std::vector<std::string>{"|Align-Eigenschaft von Control Aligned darf nicht gesetzt sein!",
                                      "|Redraw obsolet"}));
  // Assigned twice: the remembered parent stays the form, not the bar's own frame.
  b->setControl(second);
  b->setControl(second);
  b->setControl(nullptr);
  EXPECT_EQ(std::tuple(b->Control(), parentOf(second), valueToBool(second->get("Visible"))),
            std::tuple(ControlRef(), form, false));
  // A control handed back gives the bar another one: that assignment came last and stands, and the
  // second control stays where it was. The same when the handler clears the bars.
  auto hooked = [&](std::function<void()> act) {
    return std::make_shared<HookedControl>(ui->makeControl("Hooked"), [act](std::string_view m) {
      if (m == "Visible") act();
    });
  };
  ControlRef fourth = hooked([&] { b->setControl(third); });
  b->setControl(fourth);
  b->setControl(second);
  EXPECT_EQ(std::tuple(b->Control(), parentOf(third), parentOf(second), parentOf(fourth),
                       valueToBool(fourth->get("Visible"))),
            std::tuple(third, frame, form, form, false));
  b.reset();
  bars()->Item(1)->setControl(hooked([&] { bars()->Clear(); }));
  bars()->Item(1)->setControl(third);
  EXPECT_EQ(std::tuple(bars()->Count(), parentOf(third)), std::tuple(0, form));
  // Cleared, a bar whose control's code gives it another only stores that one: it stays in its
  // window instead of going with the bar's frame.
  bars()->Add()->setControl(hooked([&] { bars()->Item(1)->setControl(second); }));
  bars()->Clear();
  EXPECT_EQ(parentOf(second), form);
}

TEST_P(DockShell, LookupsByIndexOrderAndKeyAndBarsOutliveTheirDockWithoutReachingIt) {
  auto made = addBars({"Files", "Files", "other"});
  EXPECT_THROW(bars()->Bar(4), Failure);
  made[0]->setState(eBarHidden);  // visible positions skip hidden bars
  EXPECT_EQ(std::vector({bars()->Bar(2), bars()->Item(4), bars()->ItemByKey("Files"),
                         bars()->ItemByKey("files"), bars()->ItemByOrderVisible(1),
                         bars()->ItemByOrderVisible(2), bars()->ItemByOrderVisible(3)}),
            std::vector<BarRef>({made[1], nullptr, made[0], nullptr, made[1], made[2], nullptr}));
  BarsRef kept = bars();
  dock.reset();
  EXPECT_THROW(made[1]->setTitle("x"), Failure);
  EXPECT_NO_THROW(made[1]->setControl(ui->makeControl("C")));  // the control setter never fails to the caller
  EXPECT_EQ(kept->Add(), nullptr);
  EXPECT_EQ(ui->messages(),
            std::vector<std::string>{"clsBars.Add|Object variable or With block variable not set"});
}

TEST_P(DockShell, ValuesAreReadByTheirLeadingDecimalTextOrIgnoredAsAWhole) {
  dock->setAllowScroll(true);
  std::size_t records = 0;
  for (const char* name : {"settings_lenient.txt", "settings_ignored.txt"}) {
    std::ifstream in(std::filesystem::path(TOVDOCK_TEST_DATA_DIR) / name);
    for (std::string line; std::getline(in, line);) {
      if (line.empty() || line[0] == '#') continue;
      const std::size_t bar = line.find('|');
      ++records;
      bars()->Clear();
      addBars({"x", "y", "z"}, 700);
      // A record that reads puts y into another group, behind z; one that does not leaves y as it was.
      host->store = {{{"DockBar", "y"}, line.substr(0, bar)}, {{"DockBar", "z"}, "3:1:1:900"}};
      show(6000, 6000);
      EXPECT_EQ(snap(), bar == std::string::npos
                            ? "x:1:1:700@0 y:1:1:700@700 z:1:1:900@1400"
                            : "x:1:1:700@0 z:1:1:900@700 y:" + line.substr(bar + 1) + "@1600")
          << line;
    }
  }
  EXPECT_GE(records, 30u) << "records read from both files";
  EXPECT_TRUE(ui->messages().empty());
}

TEST_P(DockShell, OnlyAShownDockInARunningApplicationSavesAtTermination) {
  addBar("a", 1000);
  dock->Terminate();  // never shown: the stored layout was never read, so it is not overwritten
  for (bool running : {false, true}) {
    newDock();
    ui->setUserMode(running);
    addBar("a", 1000);
    dock->setShow(true);
    dock.reset();
  }
  EXPECT_EQ(host->saves, std::vector<std::string>{"a=1:1:1:1000"});
}

TEST_P(DockShell,
       RecordsAreWhatIsStoredApplyAsLoadingDoesAndAStateChangeIsToldOnceEvenToAListenerThatDeletesTheDock) {
  const auto made = addBars({"a", "b", "c"});
  const BarRef &a = made[0], &c = made[2];
  made[1]->setShowClose(true), c->setShowClose(true);
  show();
  dock->collapseBar(a->Index());
  dock->closeBar(c->Index());
  std::vector<LayoutRecord> records = dock->records();

  // A dock not shown yet shows the records applied to it instead of the stored layout.
  newDock();
  for (const char* key : {"c", "b", "a"})
    addBar(key, 700, eAlignTop, true)->setShowClose(true);
  host->store = {{{"DockBar", "a"}, "3:1:1:1500"}};                   // not read: the records stand in
  records.push_back({"b", 1, eAlignBottom + 1, eBarExpanded, 2000});  // an unknown group: ignored
  dock->applyRecords(records);
  EXPECT_EQ(bars()->ItemByKey("a")->State(), eBarCollapsed);
  dock->setAllowScroll(true);
  show(6000, 6000);
  EXPECT_EQ(snap(), "a:1:0:260@0 b:1:1:3340@260 c:1:2:0@3600");
  dock->expandBar(bars()->ItemByKey("a")->Index());
  // A hidden bar without a close button comes back; a bar that cannot resize keeps its height.
  bars()->ItemByKey("b")->setAllowResize(false);
  bars()->ItemByKey("c")->setShowClose(false);
  dock->applyRecords({{"b", 2, eAlignTop, eBarExpanded, 2500}, {"c", 3, eAlignTop, eBarHidden, 0}});
  EXPECT_EQ(snap(), "a:1:1:1200@0 b:1:1:3340@1200 c:1:1:700@4540");
  host->store[{"DockBar", "b"}] = "2:4:1:3340";  // a later load reads the store again
  dock->setShow(true);
  EXPECT_EQ(order(), "a,c,b");
  // While scrolling a state change changes no height: the state alone is told, once.
  int told = 0;
  dock->LayoutChanged = [&] { ++told; };
  bars()->ItemByKey("c")->setState(eBarHidden);
  EXPECT_EQ(told, 1);
  // A listener that deletes the dock ends the run safely.
  dock->LayoutChanged = [this] { dock.reset(); };
  bars()->ItemByKey("c")->setState(eBarExpanded);
  EXPECT_FALSE(dock);
}

TOV_BACKEND_SUITE(DockShell);

}  // namespace
}  // namespace tov::test

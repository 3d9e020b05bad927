// The dock shell and element sets, attribute updates and the title strip.
#include <cmath>
#include <iterator>
#include <tuple>
#include <vector>

#include "support/dock_fixture.h"
#include "tovdock/headless.h"

namespace tov::test {
namespace {

using headless::DrawOp;

class DockShell : public DockTest {
 protected:
  static PictureRef icon16() {
    return std::make_shared<const Picture>(
        Picture{16, 16, std::vector<std::uint32_t>(256, 0xFF000000u), 0, 0});
  }
};

TEST_P(DockShell, ShowElementShowsOneOrAllHiddenBarsAndMinusOneResetsAllButWhileScrolling) {
  BarRef a = addBar("a", 1000, eAlignTop, true);
  BarRef b = addBar("b", 3000, eAlignTop, true);
  BarRef c = addBar("c", 1000);
  b->setShowClose(true);
  ui->resize(6000, 5000);
  c->setState(eBarCollapsed);
  BarsInternals::fInsert(*bars(), 3, 1);
  host->store[{"DockBar", "c"}] = "1:1:0:1000";  // the reset does not load stored settings
  dock->ShowElement(-1);
  EXPECT_TRUE(dock->Show() && c->State() == eBarExpanded && order() == "a,b,c" && top(c) == 4000);
  // Both resizable bars start again from 600 and share the rest of the dock equally.
  EXPECT_EQ(std::vector({a->Height(), b->Height(), c->Height()}), std::vector({2000, 2000, 1000}));

  dock->setAllowScroll(true);
  b->setState(eBarHidden);
  c->setState(eBarCollapsed);
  BarsInternals::fInsert(*bars(), 3, 1);
  dock->ShowElement(-1);
  EXPECT_TRUE(b->State() == eBarHidden && c->State() == eBarCollapsed && order() == "c,a,b" && top(a) == 260);

  c->setState(eBarHidden);
  a->setState(eBarCollapsed);
  a->setTop(777);
  dock->ShowElement(0);  // every hidden bar, then a layout pass
  EXPECT_EQ(snap(), "c:1:1:1000@0 a:1:0:260@1000 b:1:1:2000@1260");
  b->setState(eBarHidden);
  c->setState(eBarCollapsed);
  dock->ShowElement(static_cast<std::int16_t>(b->Index()));
  EXPECT_TRUE(b->State() == eBarExpanded && c->State() == eBarCollapsed && ui->messages().empty());
}

TEST_P(DockShell, NewBarsTakeTheNextIndexWithTheirFrameHidden) {
  auto acc = access();
  bars()->Add();
  const int i = bars()->Add()->Index();
  EXPECT_TRUE(i == 2 && dock->hWndItem(0) == acc.picDockBar(0).hWnd() &&
              dock->hWndItem(2) == acc.picDockBar(2).hWnd());
  EXPECT_THROW(dock->hWndItem(3), Failure);

  // Title strip, captions, splitter and grip lines are visible inside the still hidden frame.
  EXPECT_FALSE(acc.picDockBar(i).Visible() || ui->shown(acc.lblTitel(i)));
  for (Element* e : {&acc.picTitel(i), &acc.picSplit(i)})
    EXPECT_TRUE(e->Visible() && e->Container() == &acc.picDockBar(i));
  for (Element* e : {&acc.lblTitel(i), &acc.lblTitelRight(i)})
    EXPECT_TRUE(e->Visible() && e->Container() == &acc.picTitel(i));
  for (int k = 0; k < 3; ++k)
    EXPECT_TRUE(acc.lineSplit(k, i).Visible() && acc.lineSplit(k, i).Container() == &acc.picSplit(i));
  for (Image* button : {&acc.imgClose(i), &acc.imgCollapse(i), &acc.imgExpand(i), &acc.imgOpt(i)})
    EXPECT_TRUE(!button->Visible() && button->Container() == &acc.picTitel(i) &&
                button->MousePointer() == ptrCustom && button->MouseIcon() == acc.imgHand().Picture());
  EXPECT_EQ(acc.imgClose(i).ToolTipText(), "Element ausblenden");
  EXPECT_EQ(acc.picSplit(i).ToolTipText(), "Hier ziehen, um die Größe des Elements zu verändern");

  // Clear unloads every bar's elements, and numbering starts again.
  show();
  bars()->Clear();
  EXPECT_TRUE(acc.ubound() == 0 && acc.loaded(0) && !acc.loaded(1) && !acc.loaded(2));
  // The shown dock arranges the new title.
  EXPECT_TRUE(addBar("d", 1000)->Index() == 1 && acc.lblTitel(1).Caption() == "d");
}

TEST(DockShellLimits, BarsBeyondTheLastSixteenBitIndexAreRefusedWhole) {
  auto toolkit = std::make_shared<headless::HeadlessToolkit>();
  auto dock = TovDock::create(toolkit);
  for (int i = 1; i <= 32767; ++i)
    ASSERT_TRUE(dock->Bars()->Add());
  // Each refused call fails once, with one message box.
  for (std::size_t attempt = 1; attempt <= 2; ++attempt) {
    EXPECT_EQ(dock->Bars()->Add(), nullptr);
    ASSERT_EQ(toolkit->messages().size(), attempt);
  }
  EXPECT_EQ(toolkit->messages().back().title + "|" + toolkit->messages().back().text, "clsBars.Add|Overflow");
  EXPECT_TRUE(dock->Bars()->Count() == 32767 && BarsInternals::fOrder(*dock->Bars()).size() == 32768 &&
              DockTestAccess(*dock).ubound() == 32767);
}

TEST_P(DockShell, UpdatesBeforeShowOnlyMoveAndSizeTheFrame) {
  BarRef b = addBar("", 1000);
  const int i = b->Index();
  auto acc = access();
  const std::string caption = acc.lblTitel(i).Caption();
  b->setTitle("Neu");
  b->setIcon(icon16());
  b->setTitleBackColorStart(0x112233);
  b->setShowResize(true);
  b->setShowResize(false);
  EXPECT_TRUE(acc.lblTitel(i).Caption() == caption && acc.picSplit(i).Visible());
  EXPECT_FALSE(acc.imgIcon(i).Visible() || acc.picDockBar(i).Visible());
  EXPECT_TRUE(GetParam() != "headless" || headless::drawing(acc.picTitel(i)).empty());
  b->setTop(1234);
  b->setHeight(700);
  EXPECT_EQ(std::pair(acc.picDockBar(i).Top(), acc.picDockBar(i).Height()), std::pair(1234.0, 700.0));
  b->setWidth(3000);  // a width change arranges the title even now
  EXPECT_TRUE(acc.picTitel(i).Width() == 3000 && acc.lblTitel(i).Caption() == "Neu");
  EXPECT_TRUE(acc.imgIcon(i).Visible() && !acc.picDockBar(i).Visible());
  // Position and width read back as the nearest whole number, halves to even.
  acc.picDockBar(i).setTop(1500.5);
  const auto down = b->Top();
  acc.picDockBar(i).setTop(1501.5);
  acc.picDockBar(i).setWidth(2999.4);
  EXPECT_EQ(std::vector({down, b->Top(), b->Width()}), std::vector({1500, 1502, 2999}));
}

TEST_P(DockShell, StateChangesRefitTheStackOnlyWithoutScrolling) {
  BarRef a = addBar("a", 1000, eAlignTop, true);
  BarRef b = addBar("b", 1000, eAlignTop, true);
  BarRef c = addBar("c", 1000);
  show(6000, 5000);
  // Collapsing gives the difference to the partner above and fits nothing else; hiding fits the
  // resizable bars to the dock again; shown again, the partner gives way first, then the resizable
  // bars are fitted. While scrolling, the other bars keep their heights and are only restacked.
  const std::vector<std::tuple<BarRef, std::int32_t, bool, std::int32_t, std::int32_t, double>> steps{
      {c, eBarCollapsed, false, 2000, 2640, 4640},
      {c, eBarHidden, false, 2180, 2820, 5000},
      {c, eBarExpanded, false, 2230, 1770, 4000},
      {c, eBarCollapsed, true, 2230, 1770, 4000},
      {b, eBarHidden, true, 2230, 0, 2230}};
  for (const auto& [bar, state, scroll, ha, hb, topC] : steps) {
    dock->setAllowScroll(scroll);
    bar->setState(state);
    EXPECT_EQ(std::vector({a->Height(), b->Height()}), std::vector({ha, hb})) << bar->Key() << state;
    EXPECT_EQ(access().picDockBar(c->Index()).Visible(), c->State() != eBarHidden);
    EXPECT_TRUE(c->State() == eBarHidden || top(c) == topC) << bar->Key() << state << ": " << top(c);
  }
}

TEST_P(DockShell, TitleButtonsArePackedFromTheRightAndTheCaptionFollowsTheIcon) {
  BarRef b = addBar("a", 1000);
  b->setShowClose(true);
  b->setShowOptions(true);
  b->setTitleRight("Rechts");
  BarRef plain = addBar("p", 1000);
  plain->setCanExpand(false);
  plain->setTitleRight("xy");
  BarRef bare = bars()->Add();  // no title and no expand: no title strip
  bare->setHeight(1000);
  bare->setCanExpand(false);
  show();
  auto acc = access();
  const int i = b->Index(), p = plain->Index(), k = bare->Index();
  const double W = acc.picTitel(i).Width();
  EXPECT_EQ(W, acc.picDockBar(i).Width());
  EXPECT_EQ(std::vector({acc.imgClose(i).Left(), acc.imgCollapse(i).Left(), acc.imgOpt(i).Left()}),
            std::vector({W - 260, W - 500, W - 740}));
  EXPECT_TRUE(acc.imgClose(i).Visible() && acc.imgCollapse(i).Visible() && acc.imgOpt(i).Visible() &&
              !acc.imgExpand(i).Visible());
  const Label& right = acc.lblTitelRight(i);
  EXPECT_TRUE(right.Caption() == "Rechts" && right.Left() + right.Width() == W - 780);
  b->setState(eBarCollapsed);
  EXPECT_TRUE(acc.imgExpand(i).Visible() && !acc.imgCollapse(i).Visible() &&
              acc.imgExpand(i).Left() == W - 500);
  EXPECT_EQ(acc.lblTitelRight(p).Left() + acc.lblTitelRight(p).Width(), acc.picTitel(p).Width() - 60);
  EXPECT_FALSE(acc.imgClose(p).Visible() || acc.imgCollapse(p).Visible() || acc.imgExpand(p).Visible());
  EXPECT_TRUE(!acc.picTitel(k).Visible() && acc.picDockBar(k).Visible());
  EXPECT_TRUE(acc.lblTitel(k).Caption() == acc.lblTitel(0).Caption() &&  // untouched
              acc.picTitel(k).Width() == acc.picTitel(0).Width());

  // The switches the bar only stores show at the next pass, one by one: only the close button goes,
  // the others stay as they were shown, and the right caption moves up.
  const auto rightEnd = [&] { return right.Left() + right.Width(); };
  b->setTitleRight("Recht");
  EXPECT_TRUE(right.Caption() == "Recht" && rightEnd() == W - 780);
  b->setShowClose(false);
  acc.OrderBars(false);
  EXPECT_TRUE(!acc.imgClose(i).Visible() && rightEnd() == W - 540);
  b->setShowOptions(false);
  acc.OrderBars(false);
  EXPECT_TRUE(acc.imgOpt(i).Visible() && rightEnd() == W - 300);
  b->setCanExpand(false);
  acc.OrderBars(false);
  EXPECT_TRUE(acc.imgExpand(i).Visible() && rightEnd() == W - 60);
  const double rightLeft = right.Left();
  b->setTitleRight("");  // an empty right caption keeps its place
  EXPECT_EQ(right.Left(), rightLeft);

  // The caption starts after the icon (240 wide; the template's image is 225) as it stood before.
  EXPECT_EQ(acc.lblTitel(i).Left(), 50);
  b->setIcon(icon16());
  EXPECT_TRUE(acc.lblTitel(i).Left() == 325 && acc.imgIcon(i).Visible());
  acc.OrderBars(false);
  EXPECT_EQ(acc.lblTitel(i).Left(), 340);
  b->setIcon(nullptr);
  EXPECT_TRUE(acc.lblTitel(i).Left() == 50 && !acc.imgIcon(i).Visible());
  for (bool movable : {true, false}) {
    b->setCanMove(movable);
    acc.pArrangeTitle(i);
    EXPECT_EQ(acc.picTitel(i).ToolTipText(),
              movable ? "Element kann durch 'drag and drop' verschoben werden" : "");
    EXPECT_EQ(acc.picTitel(i).MousePointer(), movable ? ptrSizeAll : ptrDefault);
    EXPECT_EQ(acc.lblTitel(i).MousePointer(), movable ? ptrSizeAll : ptrDefault);
  }
  acc.pPaint(7);  // no such bar: the painting reports it
  EXPECT_TRUE(ui->messages().size() == 1 && ui->messages()[0].rfind("DockBar.pPaint|", 0) == 0);
}

TEST_P(DockShell, TitleGradientsRunFromTheFirstBandToTheLastLeftToRightOrTopToBottom) {
  BarRef b = addBar("a", 1000);
  show();  // the host scheme starts at 0x804020 and ends at 0xFFE0C0
  const Panel& strip = access().picTitel(b->Index());
  // Left to right, the last of 61 bands lies 60 steps of 60 on: the end colour itself.
  EXPECT_EQ(strip.gradient(), (Gradient{0x804020, 0xFFE0C0, false}));
  // Top to bottom, the last of 30 lines lies 29 steps of 30 on. Each channel is stepped on the whole
  // colour and masked; 255 * 29 / 30 = 246.5 goes to the even 246, and 255 - 8.5 * 29 = 8.5 to 8.
  b->setTitleVertical(true);
  EXPECT_EQ(strip.gradient(), (Gradient{0x804020, 0xFBDABB, true}));
  b->setTitleBackColorStart(0x000000);
  b->setTitleBackColorEnd(0xFFFFFF);
  EXPECT_EQ(strip.gradient(), (Gradient{0x000000, 0xF6F6F6, true}));
  b->setTitleBackColorStart(0x0000FF);
  b->setTitleBackColorEnd(0x000000);
  EXPECT_EQ(strip.gradient(), (Gradient{0x0000FF, 0x000008, true}));
}

TEST_P(DockShell, SchemeColoursOverwriteTheBars) {
  host->colors = {{10, 0x0A0A0A}, {140, 0x140140}, {143, 0x143143}, {144, 0x144144}, {150, 0x150150}};
  host->vertical = true;
  BarRef a = addBar("a", 1000);
  BarRef b = addBar("b", 1000);
  b->setBackColor(0x111111);
  b->setTitleBackColorStart(0x222222);
  show();
  for (const BarRef& bar : {a, b}) {
    EXPECT_EQ(std::vector({bar->BackColor(), bar->TitleForeColor(), bar->TitleBackColorStart(),
                           bar->TitleBackColorEnd(), access().picDockBar(bar->Index()).BackColor()}),
              std::vector<Color>({0x140140, 0x150150, 0x143143, 0x144144, 0x140140}));
    EXPECT_TRUE(bar->TitleVertical());
  }
  const std::optional<Gradient> g = access().picTitel(b->Index()).gradient();
  ASSERT_TRUE(g.has_value());
  EXPECT_EQ(g->start, 0x143143);
  EXPECT_TRUE(g->vertical);
  EXPECT_EQ(dock->surface().BackColor(), 0x0A0A0A);
  b->setTitleBackColorEnd(0x333333);
  host->colors[144] = 0x444444;
  dock->ShowElement(-1);
  EXPECT_EQ(b->TitleBackColorEnd(), 0x444444);
}

TOV_BACKEND_SUITE(DockShell);

}  // namespace
}  // namespace tov::test

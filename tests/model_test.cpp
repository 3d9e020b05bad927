// The bar object and the bar collection: setter rules, hosted controls and look-ups.
#include <utility>
#include <vector>

#include "support/dock_fixture.h"

namespace tov::test {
namespace {

class BarModel : public DockTest {
 protected:
  bool visible(const ControlRef& c) { return valueToBool(c->get("Visible")); }
  Hwnd frameOf(const BarRef& b) { return dock->hWndItem(static_cast<std::int16_t>(b->Index())); }
};

TEST_P(BarModel, NewBarDefaults) {
  BarRef b = bars()->Add();
  EXPECT_TRUE(b->State() == eBarExpanded && b->AlignBar() == eAlignTop && b->CanExpand() && b->CanMove());
  EXPECT_FALSE(b->AllowResize() || b->ShowResize() || b->ShowClose() || b->ShowOptions() ||
               b->TitleVertical());
  b->setRedraw(true);  // obsolete
  EXPECT_FALSE(b->Redraw());
  EXPECT_EQ(ui->messages(), std::vector<std::string>{"|Redraw obsolet"});
}

TEST_P(BarModel, HeightIsTakenOnlyAboveOneHundredWhileNotHiddenAndCollapsesToTheTitle) {
  BarRef b = addBar("a", 1000, eAlignTop, true);
  Panel& frame = access().picDockBar(b->Index());
  EXPECT_EQ(frame.Height(), 1000);  // the frame follows even while the dock is not shown
  frame.setHeight(555);             // tells whether a later put reached the dock
  b->setHeight(100);
  b->setHeight(1000);
  b->setState(eBarHidden);
  EXPECT_EQ(b->Height(), 0);
  b->setHeight(3000);
  b->setState(eBarExpanded);
  EXPECT_TRUE(b->Height() == 1000 && frame.Height() == 555);
  b->setHeight(101);
  EXPECT_EQ(frame.Height(), 101);

  b->setState(eBarCollapsed);
  std::vector<std::int32_t> heights{b->Height()};
  b->setHeight(500);  // a collapsed bar's height is not remembered for expanding
  b->setState(eBarExpanded);
  heights.push_back(b->Height());
  BarRef untitled = bars()->Add();
  untitled->setHeight(1500);
  untitled->setState(eBarCollapsed);
  heights.push_back(untitled->Height());  // 18 is below what a height put takes
  auto title = [](const BarRef& bar) { return BarInternals::fTitleHeight(*bar); };
  heights.push_back(title(untitled));
  untitled->setCanExpand(false);
  heights.push_back(title(untitled));
  untitled->setTitle("x");
  heights.push_back(title(untitled));
  untitled->setTitle("");
  heights.push_back(title(untitled));
  b->setCanExpand(false);  // set after the title: back to 18
  heights.push_back(title(b));
  EXPECT_EQ(heights, std::vector({260, 101, 1500, 18, 0, 260, 0, 18}));
}

TEST_P(BarModel, SettersReachTheShownDockOnlyOnChange) {
  BarRef b = addBar("a", 1000);
  show(5000, 4000);
  const auto i = b->Index();
  auto acc = access();

  acc.lblTitel(i).setCaption("stale");
  b->setTitle("a");
  const std::string unchanged = acc.lblTitel(i).Caption();
  b->setTitle("b");
  EXPECT_EQ(unchanged + " " + acc.lblTitel(i).Caption(), "stale b");

  acc.picDockBar(i).setVisible(false);
  b->setState(eBarExpanded);
  EXPECT_FALSE(acc.picDockBar(i).Visible());

  // AllowResize switches the splitter flag on without a repaint; ShowResize repaints when it changes.
  Panel& split = acc.picSplit(i);
  b->setAllowResize(true);
  b->setShowResize(true);
  EXPECT_FALSE(split.Visible());
  b->setShowResize(false);
  b->setShowResize(true);
  EXPECT_TRUE(split.Visible());
}

TEST_P(BarModel, HostedControlsWithAlignSetAreRefusedOthersReturnToTheirFormerParent) {
  BarRef b = addBar("a", 1000);
  ControlRef first = ui->makeControl("First");  // has no Align member
  ControlRef second = ui->makeControl("Second", 0);
  ControlRef aligned = ui->makeControl("Aligned", 1);
  const Hwnd form = parentOf(first), alignedParent = parentOf(aligned);
  b->setControl(first);
  EXPECT_NO_THROW(b->setControl(aligned));
  EXPECT_TRUE(b->Control() == first && parentOf(aligned) == alignedParent);
  EXPECT_EQ(ui->messages(),
            std::vector<std::string>{"|Align-Eigenschaft von Control Aligned darf nicht gesetzt sein!"});

  // Assigned twice: the remembered parent stays the form, not the bar's own frame.
  b->setControl(second);
  b->setControl(second);
  b->setControl(nullptr);
  EXPECT_TRUE(b->Control() == nullptr && parentOf(second) == form && !visible(second));
}

TEST_P(BarModel, AControlHandedBackMayReassignOrReleaseItsBar) {
  BarRef b = addBar("a", 1000);
  ControlRef second = ui->makeControl("Second"), third = ui->makeControl("Third");
  const Hwnd form = parentOf(second);
  // Each hooked control acts once, when it is hidden on its way back.
  auto hooked = [&](const char* name, std::function<void()> act) {
    return std::make_shared<HookedControl>(ui->makeControl(name),
                                           [act, armed = std::make_shared<bool>(true)](std::string_view m) {
                                             if (m == "Visible" && std::exchange(*armed, false)) act();
                                           });
  };
  // The bar is given a third control meanwhile: that assignment came last and stands, and the
  // second control stays where it was.
  ControlRef first = hooked("First", [&] { b->setControl(third); });
  b->setControl(first);
  b->setControl(second);
  EXPECT_TRUE(b->Control() == third && parentOf(third) == frameOf(b) && parentOf(second) == form &&
              parentOf(first) == form && !visible(first));

  // The bar's control is released meanwhile: nothing is handed back twice, the new one comes in.
  ControlRef fourth = hooked("Fourth", [&] { b->setControl(nullptr); });
  b->setControl(fourth);
  b->setControl(second);
  EXPECT_EQ(b->Control(), second);
  EXPECT_EQ(std::vector({parentOf(second), parentOf(fourth), parentOf(third)}),
            std::vector({frameOf(b), form, form}));

  // The bars are cleared meanwhile, with no other owner of the bar left.
  b.reset();
  bars()->Item(1)->setControl(hooked("Fifth", [&] { bars()->Clear(); }));
  bars()->Item(1)->setControl(third);
  EXPECT_TRUE(bars()->Count() == 0 && parentOf(third) == form);
}

TEST_P(BarModel, TerminationHandsControlsBackAndLeavesBarsWithoutDock) {
  BarRef b = addBar("a", 1000);
  ControlRef c = ui->makeControl("C");
  const Hwnd form = parentOf(c);
  b->setControl(c);
  dock->setShow(true);
  ASSERT_TRUE(visible(c));
  BarsRef kept = bars();

  dock.reset();
  EXPECT_TRUE(parentOf(c) == form && !visible(c) && kept->Count() == 0);

  EXPECT_THROW(b->setTitle("x"), Failure);
  EXPECT_NO_THROW(b->setControl(c));  // the control setter never fails to the caller

  ui->clearMessages();
  EXPECT_TRUE(kept->Add() == nullptr && ui->messages().size() == 1 &&
              ui->messages()[0].rfind("clsBars.Add|", 0) == 0);
}

TEST_P(BarModel, LookupsByIndexOrderAndKey) {
  EXPECT_TRUE(!bars()->ItemByOrderVisible(1) && BarsInternals::fOrderByIndex(*bars(), 0) == 1);
  BarRef a = addBar("Files");
  BarRef b = addBar("Files");
  BarRef c = addBar("other");
  for (std::int32_t bad : {0, 4}) {
    EXPECT_THROW(bars()->Bar(bad), Failure);
    EXPECT_TRUE(!bars()->Item(bad) && !bars()->ItemByOrder(bad));
  }
  EXPECT_TRUE(bars()->ItemByKey("Files") == a && !bars()->ItemByKey("files") && !bars()->ItemByKey("othe") &&
              BarsInternals::fOrderByIndex(*bars(), 5) == 0 && ui->messages().empty());

  // Visible positions skip hidden bars in display order.
  BarsInternals::fInsert(*bars(), 3, 1);  // c, a, b
  a->setState(eBarHidden);
  EXPECT_EQ(bars()->CountVisible(), 2);
  for (std::int32_t pos : {0, 1, 2, 3})
    EXPECT_EQ(bars()->ItemByOrderVisible(pos), (std::vector<BarRef>{nullptr, c, b, nullptr}[pos])) << pos;
}

TOV_BACKEND_SUITE(BarModel);

}  // namespace
}  // namespace tov::test

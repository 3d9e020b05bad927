// The bar object and the bar collection: setter rules, hosted controls and look-ups.
#include <utility>
#include <vector>

#include "support/dock_fixture.h"

namespace tov::test {
namespace {

class BarModel : public DockTest {
 protected:
  bool shown(const ControlRef& c) { return valueToBool(c->get("Visible")); }
};

TEST_P(BarModel, HeightIsTakenOnlyAboveOneHundredWhileNotHiddenAndCollapsesToTheTitle) {
  BarRef b = addBar("a", 1000, eAlignTop, true);
  Panel& frame = access().picDockBar(b->Index());
  frame.setHeight(555);  // tells whether a later put reached the dock
  b->setHeight(100);
  b->setHeight(1000);
  b->setState(eBarHidden);
  std::vector<double> seen{1.0 * b->Height()};
  b->setHeight(3000);
  b->setState(eBarExpanded);
  seen.insert(seen.end(), {1.0 * b->Height(), frame.Height()});
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
  EXPECT_EQ(seen, std::vector<double>({0, 1000, 555, 260, 260, 101, 1500}));
}

TEST_P(BarModel, ControlsWithAlignAreRefusedOthersGoBackToTheirFormerParentAndTheLastAssignmentStands) {
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
  EXPECT_EQ(std::tuple(b->Control(), parentOf(second), shown(second)), std::tuple(ControlRef(), form, false));
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
  EXPECT_EQ(std::tuple(b->Control(), parentOf(third), parentOf(second), parentOf(fourth), shown(fourth)),
            std::tuple(third, frame, form, form, false));
  b.reset();
  bars()->Item(1)->setControl(hooked([&] { bars()->Clear(); }));
  bars()->Item(1)->setControl(third);
  EXPECT_EQ(std::tuple(bars()->Count(), parentOf(third)), std::tuple(0, form));
}

TEST_P(BarModel, LookupsByIndexOrderAndKeyAndBarsOutliveTheirDockWithoutReachingIt) {
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
  ASSERT_EQ(ui->messages().size(), 1u);
  EXPECT_EQ(ui->messages()[0].rfind("clsBars.Add|", 0), 0u);
}

TOV_BACKEND_SUITE(BarModel);

}  // namespace
}  // namespace tov::test

// The headless toolkit's rules that the dock suites do not reach: copies start bare, containment
// refuses cycles and other surfaces, orphans and handlers that unload their element are harmless,
// native windows refuse unknown ones, and values convert as the classic runtime converts them.
#include <gtest/gtest.h>

#include <tuple>

#include "support/ui_driver.h"
#include "tovdock/headless.h"

namespace tov::headless {
namespace {

using namespace test;

struct HeadlessTest : ::testing::Test {
  HeadlessToolkit tk;
  std::unique_ptr<Surface> surface = tk.createSurface();
  Driver drv{*surface};
};

TEST_F(HeadlessTest, CopiesStartBareContainmentRefusesCyclesAndOrphansAreHarmless) {
  auto strip = place(surface->createPanel(nullptr), 0, 0, 4000, 300);
  auto lbl = surface->createLabel(strip.get());
  lbl->setCaption("Größe"), lbl->setAutoSize(true);  // a width of 100 per code point
  lbl->setLeft(360), lbl->setAlignment(Label::Align::Right), lbl->setVisible(true);
  lbl->handlers().onClick = [] {};
  strip->fillRect(0, 0, 10, 10, 1);
  strip->setGradient(Gradient{0x102030, 0x405060, true});
  auto copy = lbl->clone();
  std::unique_ptr<Element> stripCopy = strip->clone();
  Panel& panelCopy = dynamic_cast<Panel&>(*stripCopy);
  EXPECT_EQ(std::tuple(copy->Left(), copy->Width(), dynamic_cast<Label&>(*copy).Alignment(),
                       panelCopy.gradient(), copy->Visible(), bool(copy->handler(&ElementHandlers::onClick)),
                       drawing(panelCopy).size(), drv.children(*stripCopy).size()),
            std::tuple(360.0, 500.0, Label::Align::Right, strip->gradient(), false, false, 0u, 0u));
  EXPECT_EQ(drv.children(*strip), (std::vector<Element*>{lbl.get(), copy.get()}));
  stripCopy->setContainer(strip.get());
  auto otherSurface = tk.createSurface();
  for (const std::function<void()>& refused : std::vector<std::function<void()>>{
           [&] { strip->setContainer(stripCopy.get()); }, [&] { strip->setContainer(lbl.get()); },
           [&] { surface->createLabel(lbl.get()); }, [&] { strip->setContainer(otherSurface.get()); }})
    EXPECT_EQ(failureNumber(refused), errInvalidValue);

  // Elements that outlive their container, or the surface, are harmless orphans.
  strip.reset();
  EXPECT_EQ(stripCopy->Container(), nullptr);
  surface.reset();
  EXPECT_EQ(failureNumber([&] { copy->setContainer(stripCopy.get()); }), errInvalidValue);
  stripCopy->Drag();
}

TEST_F(HeadlessTest, ScrollBarNotifiesRealChangesWithinRangeAndMayBeUnloadedByItsHandler) {
  auto bar = surface->createScrollBar(nullptr);
  bar->setMax(1050);
  std::vector<int> seen;
  int scrolls = 0;
  bar->onChange = [&] { seen.push_back(bar->Value()); };
  bar->onScroll = [&] { ++scrolls; };
  for (int v : {500, 500, 5000, -3, 800})
    bar->setValue(v);
  bar->setMax(800);  // no change
  bar->setMax(300);  // clamps
  EXPECT_EQ(failureNumber([&] { bar->setMax(-1); }), errInvalidValue);
  drv.scrollThumb(*bar, 40);  // not on screen: no input
  surface->setVisible(true), bar->setVisible(true);
  drv.scrollThumb(*bar, 40);  // thumb drag: scroll only
  EXPECT_EQ(seen, (std::vector<int>{500, 1050, 0, 800, 300}));
  EXPECT_EQ(std::pair(bar->Value(), scrolls), std::pair(40, 1));
  bar->onChange = [&] { bar.reset(); };
  bar->setValue(10);
  EXPECT_EQ(bar, nullptr);
}

TEST_F(HeadlessTest, TheFrontMostVisibleDeepestElementIsHitAndNativeWindowsMapToWholePixels) {
  auto bar = place(surface->createPanel(nullptr), 1000, 1000, 4000, 2000);
  auto title = place(surface->createPanel(bar.get()), 0, 0, 4000, 260);
  auto caption = place(surface->createLabel(title.get()), 360, 30, 555, 225);
  auto button = place(surface->createLabel(title.get()), 300, 0, 240, 240);  // over the caption
  auto line = surface->createLine(bar.get());
  line->setPoints(0, 1025, 20840, 1025), line->setVisible(true);
  const std::vector<std::pair<std::pair<double, double>, Element*>> hits{
      {{1400, 1100}, button.get()}, {{4000, 1100}, title.get()}, {{999, 1100}, nullptr},
      {{3000, 2040}, line.get()},   {{3000, 2041}, bar.get()},   {{3000, 2010}, line.get()}};
  for (const auto& [pt, e] : hits)
    EXPECT_EQ(drv.elementAt(pt.first, pt.second), e) << pt.first << "," << pt.second;
  caption->zOrderFront();
  EXPECT_EQ(drv.elementAt(1400, 1100), caption.get());
  title->setVisible(false);  // hides its children as well
  EXPECT_EQ(drv.elementAt(1400, 1100), bar.get());

  // Native windows: the form would become its own grandchild; unknown windows are refused either way.
  NativeWindows& w = tk.native();
  const Hwnd form = tk.createWindow();
  const Hwnd child = tk.createWindow(form);
  const Hwnd old = bar->hWnd();
  EXPECT_EQ((std::vector<Hwnd>{w.SetParent(form, child), w.SetParent(child, old), w.SetParent(child, 999999),
                               w.SetParent(999999, form), w.GetParent(child)}),
            (std::vector<Hwnd>{0, form, 0, 0, old}));

  drv.setScreenOrigin({100, 200});
  bar->setLeft(1500), bar->setTop(3000), title->setTop(345);  // 23 px down in the bar
  drv.press(1500 + 172.5, 3000 + 337.5);                      // 111.5 and 22.5 px round to even
  const PointPx cursor = w.GetCursorPos(), inTitle = w.ScreenToClient(title->hWnd(), cursor);
  EXPECT_EQ(std::tuple(cursor.x, cursor.y, inTitle.x, inTitle.y),
            std::tuple(100 + 112, 200 + 222, 12, 222 - 223));
  caption.reset(), button.reset(), line.reset(), title.reset(), bar.reset();
  EXPECT_EQ(std::tuple(tk.windowExists(old), w.GetParent(child)), std::tuple(false, Hwnd(0)));
  EXPECT_NE(place(surface->createPanel(nullptr), 0, 0, 100, 100)->hWnd(), old);
}

TEST(LateBoundValues, ConvertAsTheClassicRuntimeDoes) {
  const std::vector<std::pair<Value, std::int32_t>> ints{
      {2.5, 2},     {3.5, 4},  {-2.5, -2}, {std::string(" 52.5 "), 52}, {2147483647.0, 2147483647},
      {Value{}, 0}, {true, -1}};
  for (const auto& [v, n] : ints)
    EXPECT_EQ(valueToInt32(v), n) << valueToString(v);
  for (const Value& v : {Value(2147483647.5), Value(std::string("1e10"))})
    EXPECT_EQ(failureNumber([&] { valueToInt32(v); }), errOverflow);
  for (const char* s : {"abc", "", "12px", "nan", "inf", "0x10"})
    EXPECT_EQ(failureNumber([s] { valueToInt32(std::string(s)); }), 13) << s;
  EXPECT_THROW(valueToBool(std::string("maybe")), Failure);
  EXPECT_EQ(valueToDouble(std::string("+1.25e2")), 125);
  EXPECT_EQ(std::vector({valueToBool(std::string("TRUE")), valueToBool(0.5), valueToBool(std::string("0")),
                         valueToBool({})}),
            std::vector({true, true, false, false}));
  const std::vector<std::pair<Value, std::string>> text{{Value{}, ""}, {true, "True"}, {1.5, "1.5"},
                                                        {0.1, "0.1"},  {-0.0, "0"},    {1e20, "1E+20"}};
  for (const auto& [v, s] : text)
    EXPECT_EQ(valueToString(v), s) << s;
}

}  // namespace
}  // namespace tov::headless

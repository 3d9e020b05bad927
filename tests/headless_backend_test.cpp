// The headless toolkit as the dock relies on it: element arrays, containment and z-order, input
// dispatch with capture and drag, scroll notifications, drawing, native windows, late binding.
// Input that the dock tests already script through the backend-neutral driver is checked there.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tovdock/headless.h"

namespace tov {
namespace {

using Log = std::vector<std::string>;

std::int32_t failureNumber(const std::function<void()>& f) {
  try {
    f();
  } catch (const Failure& e) {
    return e.Number();
  }
  return 0;
}

}  // namespace

namespace headless {
namespace {

using Elems = std::vector<Element*>;

class HeadlessTest : public ::testing::Test {
 protected:
  template <class T>
  static std::unique_ptr<T> place(std::unique_ptr<T> e, double left, double top, double width,
                                  double height) {
    e->setLeft(left), e->setTop(top), e->setWidth(width), e->setHeight(height), e->setVisible(true);
    return e;
  }
  auto panel(Element* in, double l, double t, double w, double h) {
    return place(surface->createPanel(in), l, t, w, h);
  }
  auto label(Element* in, double l, double t, double w, double h) {
    return place(surface->createLabel(in), l, t, w, h);
  }
  /// Records every notification of an element as "<tag> <event> x,y".
  void record(Element& e, const std::string& tag) {
    auto at = [=, this](const char* what, float x, float y) {
      log.push_back(tag + what + std::to_string(int(x)) + "," + std::to_string(int(y)));
    };
    e.onMouseDown = [=](const MouseArgs& a) { at(" down ", a.x, a.y); };
    e.onMouseMove = [=](const MouseArgs& a) { at(" move ", a.x, a.y); };
    e.onMouseUp = [=](const MouseArgs& a) { at(" up ", a.x, a.y); };
    e.onClick = [=, this] { log.push_back(tag + " click"); };
    e.onDragDrop = [=](Element* s, float x, float y) { at(s ? " drop elem " : " drop null ", x, y); };
  }

  HeadlessToolkit tk;
  std::unique_ptr<Surface> surface = tk.createSurface();
  Driver drv{*surface};
  Log log;
};

// ---- elements ------------------------------------------------------------------------------------

TEST_F(HeadlessTest, CloneCopiesPropertiesButStartsInvisibleWithoutHandlersDrawingOrChildren) {
  auto strip = panel(nullptr, 0, 0, 4000, 300);
  auto lbl = label(strip.get(), 360, 30, 555, 225);
  lbl->setCaption("Title");
  lbl->setAlignment(Label::Align::Right);
  lbl->onClick = [] {};
  auto title = panel(strip.get(), 0, 0, 4000, 260);
  auto caption = label(title.get(), 0, 0, 100, 100);
  title->fillRect(0, 0, 10, 10, 1);
  auto copy = lbl->clone();
  auto& c = dynamic_cast<Label&>(*copy);
  EXPECT_EQ(c.Caption(), "Title");
  EXPECT_EQ(c.Alignment(), Label::Align::Right);
  EXPECT_EQ(c.Left(), 360);
  EXPECT_FALSE(c.Visible());
  EXPECT_FALSE(c.onClick);
  auto titleCopy = title->clone();
  auto& t = dynamic_cast<Panel&>(*titleCopy);
  EXPECT_EQ(drv.children(*strip), (Elems{lbl.get(), title.get(), &c, &t}));
  EXPECT_NE(t.hWnd(), title->hWnd());
  EXPECT_EQ(tk.native().GetParent(t.hWnd()), strip->hWnd());
  EXPECT_TRUE(drawing(t).empty());
  EXPECT_TRUE(drv.children(t).empty());
}

TEST_F(HeadlessTest, ZOrderFrontAndContainerChangesKeepChildListsAndWindowsInStep) {
  auto a = panel(nullptr, 0, 0, 100, 100);
  auto b = panel(nullptr, 0, 0, 100, 100);
  auto c = panel(nullptr, 0, 0, 100, 100);
  a->zOrderFront();
  EXPECT_EQ(drv.children(*surface), (Elems{b.get(), c.get(), a.get()}));
  b->setContainer(c.get());
  EXPECT_EQ(drv.children(*surface), (Elems{c.get(), a.get()}));
  EXPECT_EQ(drv.children(*c), (Elems{b.get()}));
  EXPECT_EQ(tk.native().GetParent(b->hWnd()), c->hWnd());

  auto lbl = label(nullptr, 0, 0, 10, 10);
  auto otherSurface = tk.createSurface();
  // Into its own child, into a label, or onto another surface.
  for (const std::function<void()>& refused : std::vector<std::function<void()>>{
           [&] { c->setContainer(b.get()); }, [&] { a->setContainer(lbl.get()); },
           [&] { surface->createLabel(lbl.get()); }, [&] { a->setContainer(otherSurface.get()); }})
    EXPECT_EQ(failureNumber(refused), errInvalidValue);
}

TEST_F(HeadlessTest, ElementsOutlivingTheirContainerBecomeSafeOrphans) {
  auto bar = panel(nullptr, 0, 0, 100, 100);
  auto title = panel(bar.get(), 0, 0, 100, 20);
  auto caption = label(title.get(), 0, 0, 10, 10);
  auto sibling = label(nullptr, 0, 0, 10, 10);
  caption.reset();
  EXPECT_TRUE(drv.children(*title).empty());
  bar.reset();
  EXPECT_EQ(title->Container(), nullptr);
  EXPECT_FALSE(drv.shown(*title));
  EXPECT_EQ(tk.native().GetParent(title->hWnd()), 0);
  EXPECT_EQ(drv.children(*surface), (Elems{sibling.get()}));

  surface.reset();  // children still alive
  EXPECT_EQ(sibling->Container(), nullptr);
  EXPECT_EQ(title->clone()->Container(), nullptr);
  title->Drag();
  EXPECT_EQ(failureNumber([&] { sibling->setContainer(title.get()); }), errInvalidValue);
}

TEST_F(HeadlessTest, AutoSizedLabelFollowsItsCaptionInCodePointsAndImagesTheirPicture) {
  auto lbl = label(nullptr, 0, 0, 555, 225);
  lbl->setCaption("Größe");
  EXPECT_EQ(lbl->Width(), 555);  // no AutoSize yet
  lbl->setAutoSize(true);
  EXPECT_EQ(lbl->Width(), 500);
  EXPECT_EQ(lbl->clone()->Width(), 500);
  lbl->setCaption("ab");
  EXPECT_EQ(lbl->Width(), 200);
  lbl->setAutoSize(false);
  lbl->setCaption("abcdef");
  EXPECT_EQ(lbl->Width(), 200);

  auto img = surface->createImage(nullptr);
  img->setPicture(std::make_shared<Picture>(Picture{16, 20, {}, 0, 0}));
  img->setPicture(nullptr);  // keeps the size
  EXPECT_EQ(img->Height(), 300);
}

// ---- scroll bar and drawing ----------------------------------------------------------------------

TEST_F(HeadlessTest, ScrollBarNotifiesRealChangesWithinRangeAndMayBeUnloadedByItsHandler) {
  auto bar = surface->createScrollBar(nullptr);
  bar->setMax(1050);
  std::vector<int> seen;
  int scrolls = 0;
  bar->onChange = [&] { seen.push_back(bar->Value()); };
  bar->onScroll = [&] { ++scrolls; };
  for (int v : {500, 500, 5000, -3, 0, 800})
    bar->setValue(v);
  bar->setMax(900);  // no change
  bar->setMax(300);  // clamps
  EXPECT_EQ(bar->Value(), 300);
  EXPECT_EQ(seen, (std::vector<int>{500, 1050, 0, 800, 300}));
  EXPECT_EQ(failureNumber([&] { bar->setMax(-1); }), errInvalidValue);

  drv.scrollThumb(*bar, 40);  // thumb drag: scroll only
  EXPECT_EQ(bar->Value(), 40);
  EXPECT_EQ(seen.size(), 5u);
  drv.scrollTo(*bar, 70);
  EXPECT_EQ(seen.back(), 70);
  EXPECT_EQ(scrolls, 1);

  bar->onChange = [&] { bar.reset(); };
  bar->setValue(10);
  EXPECT_EQ(bar, nullptr);
}

TEST_F(HeadlessTest, RedrawingTheSameFigureReplacesItInsteadOfGrowing) {
  auto strip = panel(nullptr, 0, 0, 4000, 260);
  for (int pass = 0; pass < 3; ++pass)
    for (int i = 0; i < 30; ++i)
      strip->fillRect(i * 100, 0, (i + 1) * 100, 500, pass);
  EXPECT_EQ(drawing(*strip).size(), 30u);
  strip->drawLine(0, 0, 100, 0, 7);
  strip->fillRect(0, 0, 100, 0, 8);  // same numbers, other kind: both stay
  strip->drawLine(0, 0, 100, 0, 9);
  const auto ops = drawing(*strip);
  ASSERT_EQ(ops.size(), 32u);
  EXPECT_EQ(ops[30], (DrawOp{DrawOp::Kind::FillRect, 0, 0, 100, 0, 8}));
  EXPECT_EQ(ops[31], (DrawOp{DrawOp::Kind::Line, 0, 0, 100, 0, 9}));
  EXPECT_EQ(ops[0].color, 2);
}

// ---- hit testing and mouse input -----------------------------------------------------------------

TEST_F(HeadlessTest, FrontMostVisibleDeepestElementWinsWithinItsPanel) {
  auto bar = panel(nullptr, 1000, 1000, 4000, 2000);
  auto title = panel(bar.get(), 0, 0, 4000, 260);
  auto caption = label(title.get(), 360, 30, 555, 225);
  auto button = label(title.get(), 300, 0, 240, 240);  // overlaps the caption, in front of it
  auto wide = label(bar.get(), 0, 1500, 9000, 100);
  auto line = surface->createLine(bar.get());
  line->setPoints(0, 1025, 20840, 1025);
  line->setVisible(true);
  const std::vector<std::pair<std::pair<double, double>, Element*>> hits{
      {{1400, 1100}, button.get()}, {{4000, 1100}, title.get()}, {{4000, 2000}, bar.get()},
      {{999, 1100}, nullptr},       {{2000, 2550}, wide.get()},  {{6000, 2550}, nullptr},
      {{3000, 2040}, line.get()},   {{3000, 2041}, bar.get()},   {{3000, 2010}, line.get()}};
  for (const auto& [pt, e] : hits)
    EXPECT_EQ(drv.elementAt(pt.first, pt.second), e) << pt.first << "," << pt.second;
  caption->zOrderFront();
  EXPECT_EQ(drv.elementAt(1400, 1100), caption.get());
  caption->setVisible(false);
  EXPECT_EQ(drv.elementAt(1400, 1100), button.get());
  title->setVisible(false);  // hides its children as well
  EXPECT_EQ(drv.elementAt(1310, 1100), bar.get());
}

TEST_F(HeadlessTest, PressCapturesMovesAndReleaseClicksOnlyOverThePressedElement) {
  auto a = panel(nullptr, 1000, 500, 2000, 1000);
  auto b = panel(nullptr, 4000, 500, 2000, 1000);
  record(*a, "a");
  record(*b, "b");
  record(*surface, "dock");
  drv.setScreenOrigin({100, 200});
  drv.press(1500, 600);
  EXPECT_EQ(tk.native().GetCursorPos().x, 100 + 100);
  drv.move(5000, 400);  // over b and then above everything: still a's
  drv.release(1200, 700);
  drv.press(1500, 600);
  drv.release(4500, 600);         // released over b: no click
  drv.move(1100, 600, 0);         // without capture: the element under the point
  drv.click(200, 300, btnRight);  // background: the surface, and no click but the left button's
  EXPECT_EQ(log, (Log{"a down 500,100", "a move 4000,-100", "a up 200,200", "a click", "a down 500,100",
                      "a up 3500,100", "a move 100,100", "dock down 200,300", "dock up 200,300"}));
}

TEST_F(HeadlessTest, HandlerThatUnloadsTheElementOrSurfaceEndsCaptureSafely) {
  auto a = panel(nullptr, 0, 0, 1000, 1000);
  auto inner = label(a.get(), 0, 0, 500, 500);
  record(*surface, "dock");
  inner->onMouseDown = [&](const MouseArgs&) { inner.reset(), a.reset(); };
  drv.press(100, 100);
  drv.move(200, 200);
  drv.release(200, 200);
  auto b = panel(nullptr, 0, 0, 1000, 1000);
  record(*b, "b");
  b->onMouseUp = [&](const MouseArgs&) { b.reset(); };
  drv.click(100, 100);
  EXPECT_EQ(log, (Log{"dock move 200,200", "b down 100,100"}));

  log.clear();
  auto c = panel(nullptr, 0, 0, 1000, 1000);
  c->onMouseDown = [&](const MouseArgs&) { c->Drag(), surface.reset(); };
  c->onMouseUp = [&](const MouseArgs&) { log.push_back("up"); };
  drv.click(100, 100);
  drv.move(200, 200);
  drv.dropForeign(100, 100);
  drv.resize(10, 10);
  EXPECT_EQ(drv.elementAt(100, 100), nullptr);
  EXPECT_EQ(drv.dragging(), nullptr);
  EXPECT_FALSE(drv.shown(*c));
  EXPECT_TRUE(log.empty());
}

// ---- drag and drop -------------------------------------------------------------------------------

class HeadlessDragDrop : public HeadlessTest {
 protected:
  void SetUp() override {
    bar1 = panel(nullptr, 0, 0, 4000, 1000);
    title1 = panel(bar1.get(), 0, 0, 4000, 260);
    bar2 = panel(nullptr, 0, 1000, 4000, 1000);
    title2 = panel(bar2.get(), 0, 0, 4000, 260);
    caption2 = label(title2.get(), 360, 30, 555, 225);
    record(*bar1, "bar1");
    record(*bar2, "bar2");
    record(*title2, "title2");
    record(*surface, "dock");
    // As a title strip does: a press starts a drag of the whole bar.
    title1->onMouseDown = [this](const MouseArgs&) { bar1->Drag(); };
  }
  std::unique_ptr<Panel> bar1, title1, bar2, title2;
  std::unique_ptr<Label> caption2;
};

TEST_F(HeadlessDragDrop, ReleaseDropsTheDraggedElementOnTheElementUnderThePoint) {
  drv.press(100, 100);
  EXPECT_EQ(drv.dragging(), bar1.get());
  drv.move(2000, 1500);
  drv.release(2000, 1100);
  EXPECT_EQ(drv.dragging(), nullptr);
  drv.press(100, 100);
  drv.release(2000, 1600);
  drv.press(100, 100);
  drv.release(500, 1100);  // on the caption, which has no drop handler
  drv.dropForeign(2000, 1600);
  drv.press(100, 100);
  drv.release(3000, 5000);  // the free area: the surface
  drv.dropForeign(2000, 2500);
  EXPECT_EQ(log, (Log{"title2 drop elem 2000,100", "bar2 drop elem 2000,600", "bar2 drop null 2000,600",
                      "dock drop elem 3000,5000", "dock drop null 2000,2500"}));
}

TEST_F(HeadlessDragDrop, HandlersMayUnloadTheDraggedElementAndTheTarget) {
  title1->onMouseDown = [this](const MouseArgs&) {
    bar2->Drag();  // then unloaded: nothing is dragged
    caption2.reset(), title2.reset(), bar2.reset();
  };
  drv.press(100, 100);
  EXPECT_EQ(drv.dragging(), nullptr);
  drv.release(2000, 3000);
  EXPECT_TRUE(log.empty());

  bar2 = panel(nullptr, 0, 1000, 4000, 1000);
  title1->onMouseDown = [this](const MouseArgs&) { bar1->Drag(); };
  bar2->onDragDrop = [this](Element*, float, float) { title1.reset(), bar1.reset(), bar2.reset(); };
  drv.press(100, 100);
  drv.release(2000, 1600);
  EXPECT_EQ(bar2, nullptr);
  EXPECT_EQ(drv.dragging(), nullptr);
  drv.click(2000, 1600);
  EXPECT_EQ(log, (Log{"dock down 2000,1600", "dock up 2000,1600", "dock click"}));
}

// ---- native windows and hosted controls ----------------------------------------------------------

TEST_F(HeadlessTest, SetParentReturnsTheFormerParentAndRefusesUnknownWindowsAndCycles) {
  NativeWindows& w = tk.native();
  const Hwnd form = tk.createWindow();
  const Hwnd child = tk.createWindow(form);
  auto bar = panel(nullptr, 0, 0, 100, 100);
  const Hwnd old = bar->hWnd();
  EXPECT_EQ(w.SetParent(form, child), 0);  // the form would become its own grandchild
  EXPECT_EQ(w.GetParent(form), 0);
  EXPECT_EQ(w.SetParent(child, old), form);
  EXPECT_EQ(w.SetParent(child, 999999), 0);
  EXPECT_EQ(w.SetParent(999999, form), 0);
  EXPECT_EQ(w.GetParent(child), old);
  EXPECT_EQ(w.SetParent(child, 0), old);
  EXPECT_EQ(w.GetParent(child), 0);

  w.SetParent(child, old);
  bar.reset();
  EXPECT_FALSE(tk.windowExists(old));
  EXPECT_TRUE(tk.windowExists(child));
  EXPECT_EQ(w.GetParent(child), 0);
  EXPECT_NE(panel(nullptr, 0, 0, 100, 100)->hWnd(), old);
}

TEST_F(HeadlessTest, ScreenToClientUsesTheWindowsScreenPositionInWholePixels) {
  drv.setScreenOrigin({100, 200});
  auto bar = panel(nullptr, 1500, 3000, 4000, 1000);
  auto title = panel(bar.get(), 0, 345, 4000, 260);  // 23 px down in the bar
  drv.press(1500 + 150, 3000 + 337.5);               // 22.5 px rounds to even
  auto xy = [](PointPx p) { return std::pair{p.x, p.y}; };
  const PointPx cursor = tk.native().GetCursorPos();
  EXPECT_EQ(xy(cursor), std::pair(100 + 110, 200 + 222));
  EXPECT_EQ(xy(tk.native().ScreenToClient(surface->hWnd(), cursor)), std::pair(110, 222));
  // The press lies just above the title.
  EXPECT_EQ(xy(tk.native().ScreenToClient(title->hWnd(), cursor)), std::pair(10, 222 - 223));
}

TEST(HeadlessTestControl, MembersRecordCallsAndMissingOnesFailAsLateBindingDoes) {
  HeadlessToolkit tk;
  const Hwnd form = tk.createWindow();
  TestControl plain(tk, "Tree", std::nullopt, form);
  TestControl aligned(tk, "List", 1);
  Log changes;
  plain.onMember = [&](std::string_view m) { changes.emplace_back(m); };
  plain.call("Move", {0, 300, 4000.0, 1200.0});
  plain.let("height", 800.0);
  plain.let("Visible", false);
  EXPECT_EQ(plain.top() + plain.width() + plain.height(), 300 + 4000 + 800);
  EXPECT_EQ(valueToInt32(plain.get("hWnd")), plain.hWnd());
  EXPECT_EQ(tk.native().GetParent(plain.hWnd()), form);
  tk.native().SetParent(plain.hWnd(), form);  // the same parent is no change
  tk.native().SetParent(plain.hWnd(), 0);
  EXPECT_EQ(changes, (Log{"Move", "Height", "Visible", "Parent"}));
  tk.native().SetParent(plain.hWnd(), form);
  EXPECT_EQ(valueToString(plain.get("Name")), "Tree");
  EXPECT_EQ(valueToInt32(aligned.get("Align")), 1);

  EXPECT_EQ(failureNumber([&] { plain.get("Align"); }), errNoSuchMember);
  EXPECT_EQ(failureNumber([&] { plain.call("Refresh", {}); }), errNoSuchMember);
  plain.missing = {"Visible"};
  EXPECT_EQ(failureNumber([&] { plain.let("Visible", true); }), errNoSuchMember);
  EXPECT_FALSE(plain.visible());
  EXPECT_EQ(plain.calls, (Log{"Move", "Let Height", "Let Visible", "Get hWnd", "Get Name", "Get Align",
                              "Refresh", "Let Visible"}));
  const Hwnd h = std::make_unique<TestControl>(tk, "Gone")->hWnd();
  EXPECT_FALSE(tk.windowExists(h));
}

TEST(HeadlessToolkitTest, DefaultToolkitIsHeadlessAndReplaceable) {
  auto first = defaultToolkit();
  EXPECT_NE(dynamic_cast<HeadlessToolkit*>(first.get()), nullptr);
  EXPECT_EQ(defaultToolkit(), first);
  auto mine = std::make_shared<HeadlessToolkit>();
  setDefaultToolkit(mine);
  EXPECT_EQ(defaultToolkit(), mine);
  setDefaultToolkit(first);
}

}  // namespace
}  // namespace headless

// ---- late-bound values ---------------------------------------------------------------------------

namespace {

TEST(LateBoundValues, Int32RoundsHalvesToEvenAndRejectsOverflowAndNonNumbers) {
  const std::vector<std::pair<Value, std::int32_t>> good{{2.5, 2},
                                                         {3.5, 4},
                                                         {-2.5, -2},
                                                         {1500.5, 1500},
                                                         {std::string(" 52.5 "), 52},
                                                         {2147483647.0, 2147483647},
                                                         {Value{}, 0},
                                                         {true, -1}};
  for (const auto& [v, n] : good)
    EXPECT_EQ(valueToInt32(v), n) << valueToString(v);
  EXPECT_EQ(failureNumber([] { valueToInt32(2147483647.5); }), errOverflow);
  EXPECT_EQ(failureNumber([] { valueToInt32(std::string("1e10")); }), errOverflow);
  for (const char* s : {"abc", "", "12px", "nan", "inf", "0x10"}) {
    try {
      valueToInt32(std::string(s));
      ADD_FAILURE() << s;
    } catch (const Failure& f) {
      EXPECT_EQ(f.Number(), 13) << s;
      EXPECT_EQ(f.Description(), "Type mismatch") << s;
    }
  }
  EXPECT_THROW(valueToBool(std::string("maybe")), Failure);
}

TEST(LateBoundValues, EmptyFlagAndNumberValuesConvertAsTheClassicRuntimeDoes) {
  EXPECT_EQ(valueToDouble({}), 0);
  EXPECT_EQ(valueToDouble(std::string("+1.25e2")), 125);
  EXPECT_FALSE(valueToBool({}));
  EXPECT_TRUE(valueToBool(std::string("TRUE")));
  EXPECT_FALSE(valueToBool(std::string("0")));
  EXPECT_TRUE(valueToBool(0.5));
  const std::vector<std::pair<Value, std::string>> text{{Value{}, ""}, {true, "True"}, {1.5, "1.5"},
                                                        {0.1, "0.1"},  {-0.0, "0"},    {1e20, "1E+20"}};
  for (const auto& [v, s] : text)
    EXPECT_EQ(valueToString(v), s) << s;
}

}  // namespace
}  // namespace tov

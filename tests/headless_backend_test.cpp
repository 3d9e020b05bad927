// The headless toolkit as the dock relies on it: element arrays, containment and z-order, input
// dispatch with capture and drag, scroll notifications, drawing, native windows, late binding.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/ui_driver.h"
#include "tovdock/headless.h"

namespace tov::headless {
namespace {

using Log = std::vector<std::string>;
using Elems = std::vector<Element*>;

Failure failureOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const Failure& e) {
    return e;
  }
  return Failure("no failure", 0);
}

class HeadlessTest : public ::testing::Test {
 protected:
  template <class T>
  static T& place(T& e, double left, double top, double width, double height) {
    e.setLeft(left);
    e.setTop(top);
    e.setWidth(width);
    e.setHeight(height);
    e.setVisible(true);
    return e;
  }
  std::unique_ptr<Panel> panel(Element* container, double l, double t, double w, double h) {
    auto p = surface->createPanel(container);
    place(*p, l, t, w, h);
    return p;
  }
  std::unique_ptr<Label> label(Element* container, double l, double t, double w, double h) {
    auto p = surface->createLabel(container);
    place(*p, l, t, w, h);
    return p;
  }
  /// Records every notification of an element as "<tag> <event> x,y".
  void record(Element& e, const std::string& tag) {
    auto pt = [](float x, float y) { return std::to_string(int(x)) + "," + std::to_string(int(y)); };
    e.onMouseDown = [=, this](const MouseArgs& a) { log.push_back(tag + " down " + pt(a.x, a.y)); };
    e.onMouseMove = [=, this](const MouseArgs& a) { log.push_back(tag + " move " + pt(a.x, a.y)); };
    e.onMouseUp = [=, this](const MouseArgs& a) { log.push_back(tag + " up " + pt(a.x, a.y)); };
    e.onClick = [=, this] { log.push_back(tag + " click"); };
    e.onDragDrop = [=, this](Element* source, float x, float y) {
      log.push_back(tag + " drop " + (source ? "elem" : "null") + " " + pt(x, y));
    };
  }

  HeadlessToolkit tk;
  std::unique_ptr<Surface> surface = tk.createSurface();
  Driver drv{*surface};
  std::vector<std::string> log;
};

// ---- elements ------------------------------------------------------------------------------------

using HeadlessElements = HeadlessTest;

TEST_F(HeadlessElements, CloneCopiesPropertiesButStartsInvisibleWithoutHandlersInFront) {
  auto strip = panel(nullptr, 0, 0, 4000, 300);
  auto lbl = label(strip.get(), 360, 30, 555, 225);
  lbl->setCaption("Title");
  lbl->setAutoSize(true);
  lbl->setAlignment(Label::Align::Right);
  lbl->setToolTipText("tip");
  lbl->setMousePointer(ptrSizeAllAlt);
  lbl->onClick = [] {};
  auto other = label(strip.get(), 0, 0, 10, 10);

  auto copy = lbl->clone();
  auto* c = dynamic_cast<Label*>(copy.get());
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->Caption(), "Title");
  EXPECT_TRUE(c->AutoSize());
  EXPECT_EQ(c->Alignment(), Label::Align::Right);
  EXPECT_EQ(c->Left(), 360);
  EXPECT_EQ(c->Width(), 500);
  EXPECT_EQ(c->ToolTipText(), "tip");
  EXPECT_EQ(c->MousePointer(), ptrSizeAllAlt);
  EXPECT_FALSE(c->Visible());
  EXPECT_FALSE(c->onClick);
  EXPECT_EQ(c->Container(), strip.get());
  EXPECT_EQ(drv.children(*strip), (Elems{lbl.get(), other.get(), c}));
}

TEST_F(HeadlessElements, ClonedPanelHasItsOwnWindowAndNoDrawingOrChildren) {
  auto bar = panel(nullptr, 0, 0, 4000, 2000);
  auto title = panel(bar.get(), 0, 0, 4000, 260);
  auto caption = label(title.get(), 0, 0, 100, 100);
  title->setBackColor(0x123456);
  title->fillRect(0, 0, 10, 10, 1);

  auto copy = title->clone();
  auto& c = dynamic_cast<Panel&>(*copy);
  EXPECT_NE(c.hWnd(), title->hWnd());
  EXPECT_EQ(tk.native().GetParent(c.hWnd()), bar->hWnd());
  EXPECT_EQ(c.BackColor(), 0x123456);
  EXPECT_TRUE(drawing(c).empty());
  EXPECT_TRUE(drv.children(c).empty());
}

TEST_F(HeadlessElements, ZOrderFrontAndContainerChangesKeepChildListsAndWindowsInStep) {
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
  EXPECT_EQ(failureOf([&] { c->setContainer(b.get()); }).Number(), errInvalidValue);  // own child
  EXPECT_EQ(failureOf([&] { a->setContainer(lbl.get()); }).Number(), errInvalidValue);
  EXPECT_EQ(failureOf([&] { surface->createLabel(lbl.get()); }).Number(), errInvalidValue);
  auto otherSurface = tk.createSurface();
  EXPECT_EQ(failureOf([&] { a->setContainer(otherSurface.get()); }).Number(), errInvalidValue);
}

TEST_F(HeadlessElements, ElementsOutlivingTheirContainerBecomeSafeOrphans) {
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
  auto orphanCopy = title->clone();
  EXPECT_EQ(orphanCopy->Container(), nullptr);
  title->Drag();
  EXPECT_EQ(failureOf([&] { sibling->setContainer(title.get()); }).Number(), errInvalidValue);
}

TEST_F(HeadlessElements, AutoSizedLabelFollowsItsCaptionInCodePoints) {
  auto lbl = label(nullptr, 0, 0, 555, 225);
  lbl->setCaption("Größe");
  EXPECT_EQ(lbl->Width(), 555);  // no AutoSize yet
  lbl->setAutoSize(true);
  EXPECT_EQ(lbl->Width(), 500);
  lbl->setCaption("ab");
  EXPECT_EQ(lbl->Width(), 200);
  lbl->setAutoSize(false);
  lbl->setCaption("abcdef");
  EXPECT_EQ(lbl->Width(), 200);
  EXPECT_EQ(textWidth(""), 0);
}

TEST_F(HeadlessElements, ImageTakesThePictureSizeAndKeepsItForNoPicture) {
  auto img = surface->createImage(nullptr);
  place(*img, 0, 0, 240, 240);
  auto pic = std::make_shared<Picture>();
  pic->width = 16;
  pic->height = 20;
  img->setPicture(pic);
  EXPECT_EQ(img->Width(), 240);
  EXPECT_EQ(img->Height(), 300);
  img->setPicture(nullptr);
  EXPECT_EQ(img->Picture(), nullptr);
  EXPECT_EQ(img->Height(), 300);
}

// ---- scroll bar ----------------------------------------------------------------------------------

using HeadlessScrollBarTest = HeadlessTest;

TEST_F(HeadlessScrollBarTest, CodeSetValueNotifiesOnlyRealChangesWithinRange) {
  auto bar = surface->createScrollBar(nullptr);
  bar->setMax(1050);
  std::vector<int> seen;
  bar->onChange = [&] { seen.push_back(bar->Value()); };
  bar->setValue(500);
  bar->setValue(500);
  bar->setValue(5000);
  bar->setValue(-3);
  bar->setValue(0);
  EXPECT_EQ(seen, (std::vector<int>{500, 1050, 0}));
}

TEST_F(HeadlessScrollBarTest, SmallerMaxClampsValueAndNotifies) {
  auto bar = surface->createScrollBar(nullptr);
  bar->setMax(1000);
  bar->setValue(800);
  int changes = 0;
  bar->onChange = [&] { ++changes; };
  bar->setMax(900);
  EXPECT_EQ(changes, 0);
  bar->setMax(300);
  EXPECT_EQ(bar->Value(), 300);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(failureOf([&] { bar->setMax(-1); }).Number(), errInvalidValue);
}

TEST_F(HeadlessScrollBarTest, UserScrollRaisesChangeAndThumbDragRaisesScroll) {
  auto bar = surface->createScrollBar(nullptr);
  bar->setMax(100);
  int changes = 0, scrolls = 0;
  bar->onChange = [&] { ++changes; };
  bar->onScroll = [&] { ++scrolls; };
  drv.scrollThumb(*bar, 40);
  EXPECT_EQ(bar->Value(), 40);
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(scrolls, 1);
  drv.scrollTo(*bar, 70);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(scrolls, 1);
}

TEST_F(HeadlessScrollBarTest, ChangeHandlerMayUnloadTheBar) {
  auto bar = surface->createScrollBar(nullptr);
  bar->onChange = [&] { bar.reset(); };
  bar->setValue(10);
  EXPECT_EQ(bar, nullptr);
}

// ---- drawing -------------------------------------------------------------------------------------

using HeadlessDrawing = HeadlessTest;

TEST_F(HeadlessDrawing, RedrawingTheSameFigureReplacesItInsteadOfGrowing) {
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

// ---- hit testing ---------------------------------------------------------------------------------

using HeadlessHitTest = HeadlessTest;

TEST_F(HeadlessHitTest, FrontMostVisibleDeepestElementWins) {
  auto bar = panel(nullptr, 1000, 1000, 4000, 2000);
  auto title = panel(bar.get(), 0, 0, 4000, 260);
  auto caption = label(title.get(), 360, 30, 555, 225);
  auto button = label(title.get(), 300, 0, 240, 240);  // overlaps the caption, in front of it

  EXPECT_EQ(drv.elementAt(1000 + 400, 1000 + 100), button.get());
  caption->zOrderFront();
  EXPECT_EQ(drv.elementAt(1400, 1100), caption.get());
  caption->setVisible(false);
  EXPECT_EQ(drv.elementAt(1400, 1100), button.get());
  EXPECT_EQ(drv.elementAt(1000 + 3000, 1000 + 100), title.get());
  EXPECT_EQ(drv.elementAt(1000 + 3000, 1000 + 1000), bar.get());
  EXPECT_EQ(drv.elementAt(999, 1100), nullptr);

  title->setVisible(false);  // hides its children as well
  EXPECT_EQ(drv.elementAt(1000 + 310, 1000 + 100), bar.get());
}

TEST_F(HeadlessHitTest, ChildrenAreClippedToTheirPanel) {
  auto strip = panel(nullptr, 0, 0, 1000, 100);
  auto wide = label(strip.get(), 0, 0, 5000, 100);
  EXPECT_EQ(drv.elementAt(500, 50), wide.get());
  EXPECT_EQ(drv.elementAt(2000, 50), nullptr);
}

TEST_F(HeadlessHitTest, LineIsHitWithinOnePixelOfIt) {
  auto split = panel(nullptr, 0, 1000, 25000, 80);
  auto line = surface->createLine(split.get());
  line->setPoints(0, 25, 20840, 25);
  line->setVisible(true);
  EXPECT_EQ(drv.elementAt(5000, 1000 + 25 + 15), line.get());
  EXPECT_EQ(drv.elementAt(5000, 1000 + 25 + 16), split.get());
  EXPECT_EQ(drv.elementAt(5000, 1000 + 25 - 15), line.get());
}

// ---- mouse input ---------------------------------------------------------------------------------

using HeadlessMouse = HeadlessTest;

TEST_F(HeadlessMouse, PressCapturesMovesAndReleaseClicksOnlyOverThePressedElement) {
  auto a = panel(nullptr, 1000, 500, 2000, 1000);
  auto b = panel(nullptr, 4000, 500, 2000, 1000);
  record(*a, "a");
  record(*b, "b");
  drv.setScreenOrigin({100, 200});

  drv.press(1500, 600);
  EXPECT_EQ(tk.native().GetCursorPos().x, 100 + 100);
  drv.move(5000, 400);  // over b and then above everything: still a's
  drv.release(1200, 700);
  drv.press(1500, 600);
  drv.release(4500, 600);  // released over b: no click
  EXPECT_EQ(log, (Log{"a down 500,100", "a move 4000,-100", "a up 200,200", "a click", "a down 500,100",
                      "a up 3500,100"}));
}

TEST_F(HeadlessMouse, WithoutCaptureMovesGoToTheElementUnderThePointAndBackgroundToTheSurface) {
  auto a = panel(nullptr, 1000, 500, 2000, 1000);
  record(*a, "a");
  record(*surface, "dock");
  drv.move(1100, 600, 0);
  drv.click(200, 300, btnRight);
  EXPECT_EQ(log, (Log{"a move 100,100", "dock down 200,300", "dock up 200,300"}));
}

TEST_F(HeadlessMouse, HandlerThatUnloadsTheElementEndsCaptureSafely) {
  auto a = panel(nullptr, 0, 0, 1000, 1000);
  auto inner = label(a.get(), 0, 0, 500, 500);
  record(*surface, "dock");
  // The handler still reads its captures after its own element is gone.
  inner->onMouseDown = [&](const MouseArgs&) { inner.reset(), a.reset(); };
  drv.press(100, 100);
  drv.move(200, 200);
  drv.release(200, 200);
  EXPECT_EQ(log, (Log{"dock move 200,200"}));

  auto b = panel(nullptr, 0, 0, 1000, 1000);
  record(*b, "b");
  b->onMouseUp = [&](const MouseArgs&) { b.reset(); };
  drv.click(100, 100);
  EXPECT_EQ(log, (Log{"dock move 200,200", "b down 100,100"}));
}

TEST_F(HeadlessMouse, InputAfterAHandlerDestroyedTheSurfaceGoesNowhere) {
  auto a = panel(nullptr, 0, 0, 1000, 1000);
  a->onMouseDown = [&](const MouseArgs&) { a->Drag(), surface.reset(); };
  a->onMouseUp = [&](const MouseArgs&) { log.push_back("up"); };
  drv.click(100, 100);
  drv.move(200, 200);
  drv.dropForeign(100, 100);
  drv.resize(10, 10);
  EXPECT_EQ(drv.elementAt(100, 100), nullptr);
  EXPECT_EQ(drv.dragging(), nullptr);
  EXPECT_FALSE(drv.shown(*a));
  EXPECT_TRUE(log.empty());
}

// ---- drag and drop -------------------------------------------------------------------------------

class HeadlessDragDropBars : public HeadlessTest {
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

TEST_F(HeadlessDragDropBars, ReleaseDropsTheDraggedElementOnTheElementUnderThePoint) {
  drv.press(100, 100);
  EXPECT_EQ(drv.dragging(), bar1.get());
  drv.move(2000, 1500);
  drv.release(2000, 1100);
  EXPECT_EQ(drv.dragging(), nullptr);
  drv.press(100, 100);
  drv.release(2000, 1600);
  EXPECT_EQ(log, (Log{"title2 drop elem 2000,100", "bar2 drop elem 2000,600"}));
}

TEST_F(HeadlessDragDropBars, DropOnTheFreeAreaGoesToTheSurfaceAndElementsWithoutHandlerIgnoreIt) {
  Element* source = nullptr;
  surface->onDragDrop = [&](Element* s, float, float) { source = s; };
  drv.press(100, 100);
  drv.release(3000, 5000);
  EXPECT_EQ(source, bar1.get());

  drv.press(100, 100);
  drv.release(500, 1100);  // on the caption, which has no drop handler
  EXPECT_TRUE(log.empty());
}

TEST_F(HeadlessDragDropBars, ForeignDropHasNoSource) {
  drv.dropForeign(2000, 1600);
  drv.dropForeign(2000, 2500);
  EXPECT_EQ(log, (Log{"bar2 drop null 2000,600", "dock drop null 2000,2500"}));
}

TEST_F(HeadlessDragDropBars, DropHandlerMayUnloadSourceAndTarget) {
  bar2->onDragDrop = [this](Element*, float, float) {
    title1.reset(), bar1.reset(), caption2.reset(), title2.reset(), bar2.reset();
  };
  drv.press(100, 100);
  drv.release(2000, 1600);
  EXPECT_EQ(bar2, nullptr);
  EXPECT_EQ(drv.dragging(), nullptr);
  drv.click(2000, 1600);
  EXPECT_EQ(log, (Log{"dock down 2000,1600", "dock up 2000,1600", "dock click"}));
}

TEST_F(HeadlessDragDropBars, DragOfAnUnloadedElementDropsNothing) {
  title1->onMouseDown = [this](const MouseArgs&) {
    bar2->Drag();
    caption2.reset(), title2.reset(), bar2.reset();
  };
  drv.press(100, 100);
  EXPECT_EQ(drv.dragging(), nullptr);
  drv.release(2000, 3000);
  EXPECT_TRUE(log.empty());
}

// ---- native windows ------------------------------------------------------------------------------

using HeadlessNative = HeadlessTest;

TEST_F(HeadlessNative, SetParentReturnsTheFormerParentAndRefusesUnknownWindowsAndCycles) {
  NativeWindows& w = tk.native();
  const Hwnd form = tk.createWindow();
  const Hwnd child = tk.createWindow(form);
  auto bar = panel(nullptr, 0, 0, 100, 100);

  EXPECT_EQ(w.SetParent(form, child), 0);  // the form would become its own grandchild
  EXPECT_EQ(w.GetParent(form), 0);
  EXPECT_EQ(w.SetParent(child, bar->hWnd()), form);
  EXPECT_EQ(w.GetParent(child), bar->hWnd());
  EXPECT_EQ(w.SetParent(child, 999999), 0);
  EXPECT_EQ(w.SetParent(999999, form), 0);
  EXPECT_EQ(w.GetParent(child), bar->hWnd());
  EXPECT_EQ(w.SetParent(child, 0), bar->hWnd());
  EXPECT_EQ(w.GetParent(child), 0);

  w.SetParent(child, bar->hWnd());
  const Hwnd old = bar->hWnd();
  bar.reset();
  EXPECT_FALSE(tk.windowExists(old));
  EXPECT_TRUE(tk.windowExists(child));
  EXPECT_EQ(w.GetParent(child), 0);
  auto again = panel(nullptr, 0, 0, 100, 100);
  EXPECT_NE(again->hWnd(), old);
}

TEST_F(HeadlessNative, ScreenToClientUsesTheWindowsScreenPositionInWholePixels) {
  drv.setScreenOrigin({100, 200});
  auto bar = panel(nullptr, 1500, 3000, 4000, 1000);
  auto title = panel(bar.get(), 0, 345, 4000, 260);  // 23 px down in the bar
  drv.press(1500 + 150, 3000 + 337.5);               // 22.5 px rounds to even
  const PointPx cursor = tk.native().GetCursorPos();
  EXPECT_EQ(cursor.x, 100 + 110);
  EXPECT_EQ(cursor.y, 200 + 222);
  const PointPx inDock = tk.native().ScreenToClient(surface->hWnd(), cursor);
  EXPECT_EQ(inDock.x, 110);
  EXPECT_EQ(inDock.y, 222);
  const PointPx inTitle = tk.native().ScreenToClient(title->hWnd(), cursor);
  EXPECT_EQ(inTitle.x, 10);
  EXPECT_EQ(inTitle.y, 222 - 223);  // the press lies just above the title
}

// ---- hosted test control -------------------------------------------------------------------------

TEST(HeadlessTestControl, MembersRecordCallsAndMissingOnesFailAsLateBindingDoes) {
  HeadlessToolkit tk;
  const Hwnd form = tk.createWindow();
  TestControl plain(tk, "Tree", std::nullopt, form);
  TestControl aligned(tk, "List", 1);
  int resized = 0;
  plain.onResized = [&] { ++resized; };

  plain.call("Move", {0, 300, 4000.0, 1200.0});
  plain.let("height", 800.0);
  plain.let("Visible", false);
  EXPECT_EQ(plain.left(), 0);
  EXPECT_EQ(plain.top(), 300);
  EXPECT_EQ(plain.width(), 4000);
  EXPECT_EQ(plain.height(), 800);
  EXPECT_FALSE(plain.visible());
  EXPECT_EQ(resized, 2);
  EXPECT_EQ(valueToInt32(plain.get("hWnd")), plain.hWnd());
  EXPECT_EQ(tk.native().GetParent(plain.hWnd()), form);
  EXPECT_EQ(valueToString(plain.get("Name")), "Tree");
  EXPECT_EQ(valueToInt32(aligned.get("Align")), 1);

  EXPECT_EQ(failureOf([&] { plain.get("Align"); }).Number(), errNoSuchMember);
  EXPECT_EQ(failureOf([&] { plain.call("Refresh", {}); }).Number(), errNoSuchMember);
  plain.missing = {"Visible"};
  EXPECT_EQ(failureOf([&] { plain.let("Visible", true); }).Number(), errNoSuchMember);
  EXPECT_FALSE(plain.visible());
  EXPECT_EQ(plain.calls, (Log{"Move", "Let Height", "Let Visible", "Get hWnd", "Get Name", "Get Align",
                              "Refresh", "Let Visible"}));

  Hwnd h = 0;
  {
    TestControl gone(tk, "Gone");
    h = gone.hWnd();
    EXPECT_TRUE(tk.windowExists(h));
  }
  EXPECT_FALSE(tk.windowExists(h));
}

// ---- toolkit -------------------------------------------------------------------------------------

TEST(HeadlessToolkitTest, MessageBoxesAreRecordedAndSurfacesStartInvisibleInRunMode) {
  HeadlessToolkit tk;
  tk.messageBox("Overflow", "DockBar.pPaint");
  ASSERT_EQ(tk.messages().size(), 1u);
  EXPECT_EQ(tk.messages()[0].title, "DockBar.pPaint");
  EXPECT_EQ(tk.messages()[0].text, "Overflow");
  tk.clearMessages();
  EXPECT_TRUE(tk.messages().empty());

  auto s = tk.createSurface();
  EXPECT_FALSE(s->Visible());
  EXPECT_TRUE(s->AmbientUserMode());
  Driver(*s).setUserMode(false);
  EXPECT_FALSE(s->AmbientUserMode());
}

TEST(HeadlessToolkitTest, ResizeRaisesTheSurfacesResizeAfterSettingTheSize) {
  HeadlessToolkit tk;
  auto s = tk.createSurface();
  double seen = 0;
  s->onResize = [&] { seen = s->Width() * 10000 + s->Height(); };
  Driver(*s).resize(300, 100);
  EXPECT_EQ(seen, 300 * 10000 + 100);
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

TEST(HeadlessUiDriver, FormatsMessagesAndShowsTheAttachedSurface) {
  auto d = test::makeDriver("headless");
  auto s = d->toolkit()->createSurface();
  auto p = s->createPanel(nullptr);
  p->setVisible(true);
  d->attach(*s);
  EXPECT_TRUE(d->shown(*p));
  d->toolkit()->messageBox("Subscript out of range", "clsBars.Add");
  EXPECT_EQ(d->messages(), (Log{"clsBars.Add|Subscript out of range"}));
  EXPECT_THROW(test::makeDriver("none"), std::invalid_argument);
}

}  // namespace
}  // namespace tov::headless

// ---- late-bound values ---------------------------------------------------------------------------

namespace tov {
namespace {

Failure conversionFailure(const Value& v) {
  try {
    valueToInt32(v);
  } catch (const Failure& e) {
    return e;
  }
  return Failure("no failure", 0);
}

TEST(LateBoundValues, Int32RoundsHalvesToEvenAndOverflows) {
  EXPECT_EQ(valueToInt32(2.5), 2);
  EXPECT_EQ(valueToInt32(3.5), 4);
  EXPECT_EQ(valueToInt32(-2.5), -2);
  EXPECT_EQ(valueToInt32(1500.5), 1500);
  EXPECT_EQ(valueToInt32(std::string(" 52.5 ")), 52);
  EXPECT_EQ(valueToInt32(2147483647.0), 2147483647);
  EXPECT_EQ(conversionFailure(2147483647.5).Number(), errOverflow);
  EXPECT_EQ(conversionFailure(std::string("1e10")).Number(), errOverflow);
}

TEST(LateBoundValues, TextThatIsNoNumberIsATypeMismatch) {
  for (const char* s : {"abc", "", "12px", "nan", "inf", "0x10"}) {
    const Failure f = conversionFailure(std::string(s));
    EXPECT_EQ(f.Number(), 13) << s;
    EXPECT_EQ(f.Description(), "Type mismatch") << s;
  }
  EXPECT_THROW(valueToBool(std::string("maybe")), Failure);
}

TEST(LateBoundValues, EmptyAndFlagValuesConvertAsTheClassicRuntimeDoes) {
  EXPECT_EQ(valueToInt32({}), 0);
  EXPECT_EQ(valueToDouble({}), 0);
  EXPECT_FALSE(valueToBool({}));
  EXPECT_EQ(valueToString({}), "");
  EXPECT_EQ(valueToInt32(true), -1);
  EXPECT_TRUE(valueToBool(std::string("TRUE")));
  EXPECT_FALSE(valueToBool(std::string("0")));
  EXPECT_TRUE(valueToBool(0.5));
  EXPECT_EQ(valueToString(true), "True");
  EXPECT_EQ(valueToString(1.5), "1.5");
  EXPECT_EQ(valueToString(0.1), "0.1");
  EXPECT_EQ(valueToString(-0.0), "0");
  EXPECT_EQ(valueToString(1e20), "1E+20");
  EXPECT_EQ(valueToDouble(std::string("+1.25e2")), 125);
}

}  // namespace
}  // namespace tov

// The Qt backend where the behaviour suites on Qt do not reach it: the painted drawing and
// gradient, the scroll bar's thumb, elements whose widgets are deleted, toolkits side by side and
// screens of other DPI.
#include <gtest/gtest.h>

#include <QLabel>
#include <QScreen>
#include <QScrollBar>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include "qt_support.h"
#include "support/ui_driver.h"

// From Qt's platform interface, whose headers are not installed: tells Qt a screen's DPI changed.
class Q_GUI_EXPORT QWindowSystemInterface {
 public:
  static void handleScreenLogicalDotsPerInchChange(QScreen* screen, qreal newDpiX, qreal newDpiY);
};

namespace tov::qt {
namespace {

using test::place;

/// A surface shown in a top-level window, with mouse input at twips points of the surface.
class QtBackend : public QtWindowTest {
 protected:
  void SetUp() override {
    window->setGeometry(50, 60, 600, 500);
    QtToolkit::widgetOf(*surface)->setParent(window.get());
    surface = place(std::move(surface), 0, 0, 6000, 6000);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  }
  std::unique_ptr<Panel> panel(double left, double top, double width, double height) {
    return place(surface->createPanel(surface.get()), left, top, width, height);
  }
  // The surface goes before the window, both before the toolkit.
  void TearDown() override { surface.reset(), window.reset(); }
  QWidget* target() override { return QtToolkit::widgetOf(*surface); }
  QImage grab() { return QtToolkit::widgetOf(*surface)->grab().toImage(); }

  std::shared_ptr<QtToolkit> toolkit = std::make_shared<QtToolkit>();
  std::unique_ptr<Surface> surface = toolkit->createSurface();
};

TEST_F(QtBackend, PanelsKeepTheirDrawingWhenGrownAndImagesShowTheirPicture) {
  auto p = panel(0, 0, 3000, 600);
  p->setBackColor(0x00FF00);               // green
  p->fillRect(0, 0, 1500, 300, 0x0000FF);  // red, in the low byte
  auto img = place(surface->createImage(p.get()), 2250, 0, 0, 0);
  img->setPicture(
      std::make_shared<Picture>(Picture{16, 8, std::vector<std::uint32_t>(128, 0xFF0000FFu), 0, 0}));
  p->setWidth(3600);
  const QImage shot = grab();
  p->setBackColor(0xFFFFFF);  // clears the drawing
  // Fifteen twips a pixel; fill, back colour, picture, the back colour in the new area, and cleared.
  EXPECT_EQ(
      (std::vector<std::uint32_t>{std::uint32_t(img->Height()), rgb(shot, 10, 10), rgb(shot, 120, 30),
                                  rgb(shot, pixels(2250) + 2, 2), rgb(shot, 230, 10), rgb(grab(), 10, 10)}),
      (std::vector<std::uint32_t>{120, 0xFF0000, 0x00FF00, 0x0000FF, 0x00FF00, 0xFFFFFF}));

  // A gradient runs from edge to edge over the back colour, under what is drawn; Qt samples it at
  // the pixels' centres, which lie within a step of the edges' colours.
  p->setGradient(Gradient{0x0000FF, 0xFF0000, false});  // red to blue
  p->drawLine(0, 300, 3600, 300, 0x00FF00);
  const QImage across = grab();
  p->setGradient(Gradient{0x0000FF, 0xFF0000, true});
  const QImage down = grab();
  auto near = [](std::uint32_t a, std::uint32_t b) {
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b)) <= 6;
  };
  for (const auto& [got, want] : std::vector<std::pair<std::uint32_t, std::uint32_t>>{
           {rgb(across, 0, 5), 0xFF0000},
           {rgb(across, pixels(3600) - 1, 5), 0x0000FF},
           {rgb(across, pixels(1800), pixels(300)), 0x00FF00},
           {rgb(down, pixels(1800), 0), 0xFF0000},
           {rgb(down, pixels(1800), pixels(600) - 1), 0x0000FF}})
    EXPECT_PRED2(near, got, want);
}

TEST_F(QtBackend,
       CopiesTakeTheLookAndPlaceAndInputGoesToTheFrontMostWhichCapturesItAndClicksWithTheLeftButton) {
  auto p = panel(0, 0, 3000, 1500);
  auto back = surface->createLabel(p.get());
  back->setFont({"Arial", 12, false}), back->setAutoSize(true), back->setCaption("Copy me");
  back->setAlignment(Label::Align::Center), back->setForeColor(0x0000FF), back->setToolTipText("tip");
  back->setMousePointer(ptrSizeAll);
  back = place(std::move(back), 300, 300, 1234, 300);  // its own width now, not the caption's
  auto front = back->clone();
  auto look = [](const Element& e) {
    const auto& x = dynamic_cast<const Label&>(e);
    return std::tuple{x.font(),      x.AutoSize(),    x.Caption(),      x.Alignment(),
                      x.ForeColor(), x.ToolTipText(), x.MousePointer(), x.Left(),
                      x.Top(),       x.Width(),       x.Height()};
  };
  EXPECT_EQ(look(*front), look(*back));
  std::vector<std::string> log;
  auto record = [&](const char* what) {
    return [&log, what](const MouseArgs& a) {
      log.push_back(what + std::to_string(a.button) + " " + std::to_string(int(a.x)) + "," +
                    std::to_string(int(a.y)));
    };
  };
  front->handlers().onMouseMove = record("move ");
  front->handlers().onMouseUp = record("up ");
  front->handlers().onClick = [&] { log.push_back("click"); };
  back->handlers().onClick = [&] { log.push_back("back click"); };
  front->setVisible(true);
  click({450, 450});  // a hover move comes first
  mouse(QEvent::MouseButtonPress, {450, 450});
  mouse(QEvent::MouseMove, {450, 1350});  // held moves stay with the pressed element
  mouse(QEvent::MouseButtonRelease, {450, 1350});
  click({450, 450}, Qt::RightButton);
  back->zOrderFront();
  click({450, 450});
  EXPECT_EQ(log, (std::vector<std::string>{"move 0 150,150", "up 1 150,150", "click", "move 1 150,1050",
                                           "up 1 150,1050", "move 0 150,150", "up 2 150,150", "back click"}));
}

TEST_F(QtBackend, ScrollBarReportsEveryChangeOfItsValueAlsoByCode) {
  auto bar = surface->createScrollBar(surface.get());
  int changes = 0, scrolls = 0;
  bar->onChange = [&] { ++changes; };
  bar->onScroll = [&] { ++scrolls; };
  bar->setMax(1000), bar->setLargeChange(200), bar->setValue(800), bar->setValue(800);
  bar->setMax(500);  // clamps the value
  EXPECT_EQ(std::pair(bar->Value(), changes), std::pair(500, 2));
  EXPECT_THROW(bar->setValue(501), Failure);
  auto* sb = qobject_cast<QScrollBar*>(QtToolkit::widgetOf(*bar));
  ASSERT_NE(sb, nullptr);
  EXPECT_EQ(std::pair(sb->maximum(), sb->pageStep()), std::pair(500, 200));
  sb->setSliderDown(true), sb->setSliderPosition(100), sb->setSliderPosition(120), sb->setSliderDown(false);
  EXPECT_EQ(std::tuple(scrolls, changes, bar->Value()), std::tuple(2, 3, 120));
}

TEST_F(QtBackend, ElementsSurviveTheirWidgetsOrTheirDragSourceGoing) {
  EXPECT_THROW(surface->clone(), Failure);
  auto p = panel(0, 0, 3000, 600);
  auto text = surface->createLabel(p.get());
  auto bar = surface->createScrollBar(p.get());
  const Hwnd h = p->hWnd();
  delete QtToolkit::widgetOf(*p);
  EXPECT_EQ(std::pair(toolkit->widgetFor(h), p->hWnd()), (std::pair<QWidget*, Hwnd>(nullptr, 0)));
  p->setWidth(1234), p->setVisible(true), p->fillRect(0, 0, 100, 100, 0), p->zOrderFront();
  p->setMousePointer(ptrSizeNS), text->setCaption("still here"), text->setVisible(true);
  bar->setMax(10), bar->setValue(5);
  EXPECT_EQ(std::pair(p->Width(), bar->Value()), std::pair(1234.0, 5));
  grab();

  // A source that goes away as its drag starts ends the drag without a drop.
  auto source = panel(0, 0, 3000, 600);
  source->handlers().onMouseDown = [&](const MouseArgs&) { source->Drag(), source.reset(); };
  surface->handlers().onDragDrop = [](Element*, float, float) { ADD_FAILURE() << "a drop without a source"; };
  mouse(QEvent::MouseButtonPress, {300, 300});
  EXPECT_EQ(toolkit->dragging(), nullptr);
  mouse(QEvent::MouseButtonRelease, {300, 3000});

  // A hosted widget the application deleted fails as a control whose object is gone.
  auto* label = new QLabel("hosted", window.get());
  WidgetControl ctl(label);
  ctl.call("Move", {Value(0.0), Value(260.0), Value(3000.0)});
  EXPECT_EQ(label->pos(), QPoint(0, pixels(260)));
  ctl.let("Height", Value(1660.0));
  EXPECT_EQ(label->geometry(), QRect(0, pixels(260), pixels(3000), pixels(260 + 1660) - pixels(260)));
  label->resize(50, 50);  // changed behind the control's back: reads follow the widget
  EXPECT_EQ(valueToDouble(ctl.get("Height")), 50 / pixelsPerTwip());
  delete label;
  EXPECT_EQ(test::failureNumber([&] { ctl.get("Height"); }), errObjectNotSet);

  // A widget made where a deleted one was is another window, with a handle of its own.
  auto* dead = new QLabel(window.get());
  const Hwnd goneHandle = QtToolkit::handleOf(dead);
  const QWidget* at = dead;
  delete dead;
  std::vector<std::unique_ptr<QLabel>> made;
  while (made.size() < 8 && (made.empty() || made.back().get() != at))
    made.push_back(std::make_unique<QLabel>(window.get()));
  // (A sanitizer's allocator keeps freed memory aside: then no widget comes there.)
  if (made.back().get() == at) {
    EXPECT_NE(QtToolkit::handleOf(made.back().get()), goneHandle);
  }
  EXPECT_EQ(toolkit->widgetFor(goneHandle), nullptr);
}

TEST_F(QtBackend, ToolkitsInOneProcessKeepTheirOwnWindowsAndDrags) {
  QtToolkit other;
  std::unique_ptr<Surface> otherSurface = other.createSurface();
  auto mine = panel(0, 0, 3000, 600);
  auto theirs = otherSurface->createPanel(otherSurface.get());
  EXPECT_EQ((std::vector{toolkit->widgetFor(mine->hWnd()), other.widgetFor(mine->hWnd()),
                         toolkit->widgetFor(theirs->hWnd())}),
            (std::vector<QWidget*>{QtToolkit::widgetOf(*mine), nullptr, nullptr}));
  // A hosted widget is no toolkit's own: either one places it, but only into its own windows.
  const Hwnd h = QtToolkit::handleOf(new QLabel("hosted", window.get()));
  EXPECT_EQ((std::vector{toolkit->native().SetParent(h, theirs->hWnd()),
                         other.native().SetParent(h, theirs->hWnd()), other.native().GetParent(h)}),
            (std::vector<Hwnd>{0, QtToolkit::handleOf(window.get()), theirs->hWnd()}));

  mine->handlers().onMouseDown = [&](const MouseArgs&) { mine->Drag(); };
  mouse(QEvent::MouseButtonPress, {300, 300});
  theirs->Drag();
  EXPECT_EQ(std::pair(toolkit->dragging(), other.dragging()),
            (std::pair<Element*, Element*>(mine.get(), theirs.get())));
  mouse(QEvent::MouseButtonRelease, {300, 300});
  EXPECT_EQ(std::pair(toolkit->dragging(), other.dragging()),
            (std::pair<Element*, Element*>(nullptr, theirs.get())));
}

TEST_F(QtBackend, ElementsFollowTheLogicalDpiOfTheScreenTheSurfaceIsOn) {
  QScreen* primary = QGuiApplication::primaryScreen();
  QScreen* dense = nullptr;
  for (QScreen* s : QGuiApplication::screens())
    if (s->logicalDotsPerInchY() != primary->logicalDotsPerInchY()) dense = s;
  if (!dense) GTEST_SKIP() << "needs a second screen of another DPI (tests/qt/offscreen_screens.json)";
  const double denseDpi = dense->logicalDotsPerInchY();
  auto p = panel(1440, 720, 2880, 1440);
  QWidget* w = QtToolkit::widgetOf(*p);
  // The panel's geometry in pixels at a DPI.
  const auto at = [](double dpi) {
    const auto px = [dpi](double twips) { return static_cast<int>(std::lround(twips * dpi / 1440)); };
    return QRect(px(1440), px(720), px(1440 + 2880) - px(1440), px(720 + 1440) - px(720));
  };
  EXPECT_EQ(w->geometry(), at(primary->logicalDotsPerInchY()));
  // The surface keeps its 400 pixels: after the new metrics it learns its size in twips.
  std::vector<long> widths;
  surface->onMetricsChanged = [&] { widths.push_back(0); };
  surface->onResize = [&] { widths.push_back(std::lround(surface->Width())); };
  const QPoint home = window->pos();
  window->windowHandle()->setScreen(dense);
  window->move(dense->geometry().topLeft() + QPoint(50, 60));
  // The twips stay as set.
  EXPECT_EQ(std::tuple(w->geometry(), pixelsPerTwip(w), p->Width()),
            std::tuple(at(denseDpi), denseDpi / 1440, 2880.0));

  for (double dpi : {120.0, denseDpi}) {
    QWindowSystemInterface::handleScreenLogicalDotsPerInchChange(dense, dpi, dpi);
    QCoreApplication::processEvents();
    EXPECT_EQ(w->geometry(), at(dpi));
  }
  window->windowHandle()->setScreen(primary);
  window->move(home);
  EXPECT_EQ(w->geometry(), at(primary->logicalDotsPerInchY()));
  const long dense400 = std::lround(400 * 1440 / denseDpi);
  EXPECT_EQ(widths, (std::vector<long>{0, dense400, 0, 400 * 1440 / 120, 0, dense400, 0, 6000}));
}

}  // namespace
}  // namespace tov::qt

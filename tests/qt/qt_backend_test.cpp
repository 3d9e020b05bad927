// The Qt backend where the behaviour suites on Qt do not reach it: the painted drawing, the scroll
// bar's thumb, elements whose widgets are deleted and screens of other DPI.

#include "qt_dock_fixture.h"

// From Qt's platform interface, whose headers are not installed: tells Qt a screen's DPI changed.
class Q_GUI_EXPORT QWindowSystemInterface {
 public:
  static void handleScreenLogicalDotsPerInchChange(QScreen* screen, qreal newDpiX, qreal newDpiY);
};

namespace tov::qt {
namespace {

using tov::test::place;

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

TEST_F(QtBackend, PanelsKeepTheirDrawingWhenGrownImagesShowTheirPictureAndCopiesTheLookAndPlace) {
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

  // A copy of a label takes its look and place; the front-most of the two takes the click.
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
  front->handlers().onClick = [&] { log.push_back("front"); };
  back->handlers().onClick = [&] { log.push_back("back"); };
  front->setVisible(true);
  click({450, 450});
  back->zOrderFront();
  click({450, 450});
  EXPECT_EQ(log, (std::vector<std::string>{"front", "back"}));
}

TEST_F(QtBackend, AWindowlessPanelIsDrawnCutToItselfOnItsContainerAndTakesTheMouseAndPointerThere) {
  auto host = panel(0, 0, 3000, 1500);
  host->setBackColor(0xFFFFFF);
  auto strip = place(surface->createPanel(host.get()), 600, 305, 1500, 600);  // from a third into pixel 20
  strip->setOwnWindow(false), strip->setBackColor(0x00FF00), strip->fillRect(0, 300, 300, 600, 0x0000FF),
      strip->setMousePointer(ptrSizeNS);
  auto img = place(surface->createImage(strip.get()), 750, 540, 0, 0);  // 8 pixels high, 4 of them below
  img->setPicture(
      std::make_shared<Picture>(Picture{16, 8, std::vector<std::uint32_t>(128, 0xFF0000FFu), 0, 0}));
  EXPECT_EQ(std::tuple(strip->hWnd(), QtToolkit::widgetOf(*strip->clone())), std::tuple(Hwnd(0), nullptr));
  auto onScreen = [&](int x, int y) {
    QCoreApplication::processEvents();
    return rgb(window->screen()->grabWindow(window->winId()).toImage(), x, y);
  };
  // Pixels 40 to 140 across and 20 to 60 down: back colour, drawing, picture, and the host below.
  EXPECT_EQ((std::vector{onScreen(60, 25), onScreen(45, 45), onScreen(92, 57), onScreen(92, 61)}),
            (std::vector{0x00FF00u, 0xFF0000u, 0x0000FFu, 0xFFFFFFu}));
  img->setVisible(false);
  EXPECT_EQ(onScreen(92, 57), 0x00FF00u);
  img->setVisible(true), img->setLeft(600);  // ten pixels to the left: painted again where it went
  EXPECT_EQ(onScreen(82, 57), 0x0000FFu);
  strip->setBackColor(0x000000);
  EXPECT_EQ(std::pair(onScreen(60, 25), onScreen(45, 45)), std::pair(0u, 0u));
  std::vector<float> at;
  strip->handlers().onMouseDown = [&](const MouseArgs& a) { at = {a.x, a.y}; };
  // Its first row of pixels takes the mouse, as a widget there would.
  mouse(QEvent::MouseMove, {1200, 300}, Qt::NoButton);
  mouse(QEvent::MouseButtonPress, {1200, 300}), mouse(QEvent::MouseButtonRelease, {1200, 300});
  EXPECT_EQ(std::pair(at, QtToolkit::widgetOf(*host)->cursor().shape()),
            std::pair(std::vector<float>{600, -5}, Qt::SizeVerCursor));
}

TEST_F(QtBackend, ScrollBarsReportEveryChangeAlsoByCodeAndElementsSurviveTheirWidgetsOrTheirDragSourceGoing) {
  EXPECT_THROW(surface->clone(), Failure);
  auto p = panel(0, 0, 3000, 600);
  auto text = surface->createLabel(p.get());
  auto bar = surface->createScrollBar(p.get());
  int changes = 0, scrolls = 0;
  bar->onChange = [&] { ++changes; };
  bar->onScroll = [&] { ++scrolls; };
  bar->setMax(1000), bar->setLargeChange(200), bar->setValue(800), bar->setValue(800);
  bar->setMax(500);  // clamps the value
  EXPECT_EQ(std::pair(bar->Value(), changes), std::pair(500, 2));
  auto* sb = qobject_cast<QScrollBar*>(QtToolkit::widgetOf(*bar));
  ASSERT_NE(sb, nullptr);
  sb->setSliderDown(true), sb->setSliderPosition(100), sb->setSliderPosition(120), sb->setSliderDown(false);
  EXPECT_EQ(std::tuple(scrolls, changes, bar->Value()), std::tuple(2, 3, 120));

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

  // A hosted widget: the control moves and reads it in twips.
  auto* label = new QLabel("hosted", window.get());
  WidgetControl ctl(label);
  ctl.call("Move", {Value(0.0), Value(260.0), Value(3000.0)});
  EXPECT_EQ(label->pos(), QPoint(0, pixels(260)));
  ctl.let("Height", Value(1660.0));
  EXPECT_EQ(label->geometry(), QRect(0, pixels(260), pixels(3000), pixels(260 + 1660) - pixels(260)));
  label->resize(50, 50);  // changed behind the control's back: reads follow the widget
  EXPECT_EQ(valueToDouble(ctl.get("Height")), 50 / pixelsPerTwip());
}

TEST_F(QtBackend, ElementsFollowTheLogicalDpiOfTheScreenTheSurfaceIsOn) {
  QScreen *primary = QGuiApplication::primaryScreen(), *dense = nullptr;
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
  window->windowHandle()->setScreen(primary), window->move(home);
  EXPECT_EQ(w->geometry(), at(primary->logicalDotsPerInchY()));
  const long dense400 = std::lround(400 * 1440 / denseDpi);
  EXPECT_EQ(widths, (std::vector<long>{0, dense400, 0, 400 * 1440 / 120, 0, dense400, 0, 6000}));
}

}  // namespace
}  // namespace tov::qt

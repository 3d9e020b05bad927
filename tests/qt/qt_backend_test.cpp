// The Qt backend's elements on their own: geometry, drawing, input routing, drag and drop, the
// scroll bar, native windows, hosted widgets, screens of other DPI and toolkits side by side.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHelpEvent>
#include <QImage>
#include <QLabel>
#include <QRubberBand>
#include <QScreen>
#include <QScrollBar>
#include <QToolTip>
#include <QWindow>
#include <QtTest/QTest>
#include <memory>
#include <string>
#include <vector>

#include "qt_support.h"

// Part of Qt's platform interface, whose headers are not installed: tells Qt a screen's DPI changed.
class Q_GUI_EXPORT QWindowSystemInterface {
 public:
  static void handleScreenLogicalDotsPerInchChange(QScreen* screen, qreal newDpiX, qreal newDpiY);
};

namespace tov::qt {
namespace {

/// " x,y" in whole numbers.
std::string xy(double x, double y) {
  return " " + std::to_string(static_cast<int>(x)) + "," + std::to_string(static_cast<int>(y));
}

std::shared_ptr<Picture> picture(int w, int h, std::uint32_t argb) {
  auto pic = std::make_shared<Picture>();
  pic->width = w;
  pic->height = h;
  pic->pixels.assign(w * h, argb);
  return pic;
}

constexpr QEvent::Type Press = QEvent::MouseButtonPress, Move = QEvent::MouseMove,
                       Release = QEvent::MouseButtonRelease;

/// A surface shown in a top-level window, with mouse input at twips points of the surface.
class QtBackend : public ::testing::Test {
 protected:
  void SetUp() override {
    form->setGeometry(50, 60, 600, 500);
    QtToolkit::widgetOf(*surface)->setParent(form.get());
    surface = place(std::move(surface), 0, 0, 6000, 6000);
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  }

  template <class E>
  static std::unique_ptr<E> place(std::unique_ptr<E> e, double left, double top, double width,
                                  double height) {
    e->setLeft(left);
    e->setTop(top);
    e->setWidth(width);
    e->setHeight(height);
    e->setVisible(true);
    return e;
  }
  std::unique_ptr<Panel> panel(double left, double top, double width, double height) {
    return place(surface->createPanel(surface.get()), left, top, width, height);
  }

  /// A window-system mouse event; a move carries `b` as the held buttons.
  void mouse(QEvent::Type type, double x, double y, Qt::MouseButton b = Qt::LeftButton) {
    sendMouse(form.get(), QtToolkit::widgetOf(*surface), type, QPointF(x, y), b, timestamp);
  }
  void click(double x, double y, Qt::MouseButton b = Qt::LeftButton) {
    mouse(Press, x, y, b);
    mouse(Release, x, y, b);
  }

  QImage grab() { return QtToolkit::widgetOf(*surface)->grab().toImage(); }

  std::shared_ptr<QtToolkit> toolkit = std::make_shared<QtToolkit>();
  std::unique_ptr<QWidget> form = std::make_unique<QWidget>();
  std::unique_ptr<Surface> surface = toolkit->createSurface();  // goes before the form
  int timestamp = 1000;
};

TEST_F(QtBackend, PanelsKeepTheirDrawingWhenGrownAndImagesShowTheirPicture) {
  auto p = panel(0, 0, 3000, 600);
  p->setBackColor(0x00FF00);               // green
  p->fillRect(0, 0, 1500, 300, 0x0000FF);  // red, in the low byte
  auto img = place(surface->createImage(p.get()), 2250, 0, 0, 0);
  img->setPicture(picture(16, 8, 0xFF0000FFu));
  EXPECT_EQ(img->Height(), 120);  // fifteen twips a pixel
  p->setWidth(3600);
  const QImage shot = grab();
  // Fill, back colour, picture, and the back colour in the new area.
  EXPECT_EQ((std::vector{rgb(shot, 10, 10), rgb(shot, 120, 30), rgb(shot, pixels(2250) + 2, 2),
                         rgb(shot, 230, 10)}),
            (std::vector<std::uint32_t>{0xFF0000, 0x00FF00, 0x0000FF, 0x00FF00}));
  p->setBackColor(0xFFFFFF);
  EXPECT_EQ(rgb(grab(), 10, 10), 0xFFFFFFu);

  // Bands drawn over each other, each pass narrower, green and red in turn: however the drawing
  // is kept, each place shows the newest band over it.
  for (int pass = 0; pass < 6; ++pass) {
    const double band = 55 - 5 * pass;
    for (int i = 0; i < 61; ++i)
      p->fillRect(i * band, 0, (i + 1) * band, 300, pass % 2 ? 0x0000FF : 0x00FF00);
    if (pass == 2) grab();
  }
  const QImage passes = grab();
  EXPECT_EQ(
      (std::vector{rgb(passes, pixels(1000), 5), rgb(passes, pixels(2600), 5), rgb(passes, pixels(2900), 5),
                   rgb(passes, pixels(3200), 5), rgb(passes, pixels(3450), 5)}),
      (std::vector<std::uint32_t>{0xFF0000, 0x00FF00, 0xFF0000, 0x00FF00, 0xFFFFFF}));

  // Bands drawn over the whole width leave what lies below them, and a line along their edge.
  auto bands = [&](Color c) {
    for (int i = 0; i < 61; ++i)
      p->fillRect(i * 60, 0, (i + 1) * 60, 300, c);
  };
  p->fillRect(0, 300, 600, 600, 0x0000FF);
  bands(0x00FF00);
  const QImage below = grab();
  p->setBackColor(0xFFFFFF);
  bands(0xFFFFFF);
  p->drawLine(1500, 300, 3000, 300, 0x0000FF);
  bands(0x00FF00);
  const QImage edge = grab();
  EXPECT_EQ((std::vector{rgb(below, pixels(3300), 5), rgb(below, pixels(300), pixels(450)),
                         rgb(edge, pixels(300), 5), rgb(edge, pixels(2000), pixels(300))}),
            (std::vector<std::uint32_t>{0x00FF00, 0xFF0000, 0x00FF00, 0xFF0000}));
}

TEST_F(QtBackend, CopiesOfLabelsTakeTheirLookAndPlace) {
  auto p = panel(0, 0, 3000, 600);
  auto l = place(surface->createLabel(p.get()), 300, 30, 900, 225);
  l->setFont({"Arial", 12, false});
  l->setAutoSize(true);
  l->setCaption("Copy me");
  l->setAlignment(Label::Align::Center);
  l->setForeColor(0x0000FF);
  l->setToolTipText("tip");
  l->setMousePointer(ptrSizeAll);
  l->setWidth(1234);  // its own width now, not the caption's
  auto copy = l->clone();
  auto look = [](const Element& e) {
    const auto& x = dynamic_cast<const Label&>(e);
    return std::tuple{x.font(),      x.AutoSize(),    x.Caption(),      x.Alignment(),
                      x.ForeColor(), x.ToolTipText(), x.MousePointer(), x.Left(),
                      x.Top(),       x.Width(),       x.Height(),       x.Visible()};
  };
  l->setVisible(false);
  EXPECT_EQ(look(*copy), look(*l));
}

TEST_F(QtBackend, InputGoesToTheFrontMostElementWhichCapturesItAndClicksWithTheLeftButtonOnly) {
  auto p = panel(0, 0, 3000, 1500);
  auto back = place(surface->createLabel(p.get()), 300, 300, 900, 300);
  auto front = back->clone();
  front->setVisible(true);
  std::vector<std::string> log;
  auto record = [&](const std::string& who) {
    return [&log, who](const MouseArgs& a) { log.push_back(who + std::to_string(a.button) + xy(a.x, a.y)); };
  };
  p->onMouseDown = record("panel ");
  back->onMouseDown = record("back ");
  front->onMouseDown = record("front ");
  front->onMouseUp = record("front-up ");
  front->onMouseMove = record("front-move ");
  int clicks = 0;
  front->onClick = back->onClick = [&] { ++clicks; };

  click(450, 450);  // a hover move comes first
  mouse(Press, 450, 450);
  // Held moves stay with the pressed element; released elsewhere, there is no click.
  mouse(Move, 450, 1350);
  mouse(Release, 450, 1350);
  back->zOrderFront();
  click(450, 450, Qt::RightButton);
  click(1500, 900);
  EXPECT_EQ(log, (std::vector<std::string>{"front-move 0 150,150", "front 1 150,150", "front-up 1 150,150",
                                           "front 1 150,150", "front-move 1 150,1050", "front-up 1 150,1050",
                                           "back 2 150,150", "panel 1 1500,900"}));
  EXPECT_EQ(clicks, 1);
}

TEST_F(QtBackend, ADragShowsAnOutlineAndDropsOnTheElementUnderTheCursorInItsScale) {
  auto source = panel(0, 0, 3000, 600);
  auto target = panel(0, 1500, 3000, 1500);
  auto over = place(surface->createLabel(target.get()), 1500, 300, 900, 300);
  source->onMouseDown = [&](const MouseArgs&) { source->Drag(); };
  source->onMouseUp = [&](const MouseArgs&) { ADD_FAILURE() << "a drag ends in a drop, not a release"; };
  std::vector<std::string> drops;
  for (Element* e : std::initializer_list<Element*>{surface.get(), source.get(), target.get(), over.get()}) {
    e->onDragDrop = [&, e](Element* s, float x, float y) {
      // During the drop the platform says the cursor is where the button was let go.
      const PointPx c = toolkit->native().ScreenToClient(surface->hWnd(), toolkit->native().GetCursorPos());
      const int on = (e == target.get()) + 2 * (e == over.get()) + 4 * (s == source.get());
      drops.push_back(std::to_string(on) + xy(x, y) + xy(c.x, c.y));
    };
  }

  mouse(Press, 300, 300);
  EXPECT_EQ(toolkit->dragging(), source.get());
  mouse(Move, 600, 1950);
  auto bands = form->findChildren<QRubberBand*>();
  ASSERT_EQ(bands.size(), 1);
  EXPECT_TRUE(bands[0]->isVisible());
  EXPECT_EQ(bands[0]->pos(), QPoint(pixels(600) - pixels(300), pixels(1950) - pixels(300)));
  mouse(Release, 600, 1950);
  mouse(Press, 300, 300);
  mouse(Release, 1650, 1800);
  mouse(Press, 300, 300);
  mouse(Release, 4500, 4500);
  EXPECT_EQ(toolkit->dragging(), nullptr);
  EXPECT_TRUE(form->findChildren<QRubberBand*>().isEmpty());
  const auto px = [](double x, double y) { return xy(pixels(x), pixels(y)); };
  EXPECT_EQ(drops, (std::vector<std::string>{"5 600,450" + px(600, 1950), "6 150,0" + px(1650, 1800),
                                             "4 4500,4500" + px(4500, 4500)}));

  // A source that goes away as its drag starts ends the drag without a drop.
  source->onMouseDown = [&](const MouseArgs&) {
    source->Drag();
    source.reset();
  };
  mouse(Press, 300, 300);
  EXPECT_EQ(toolkit->dragging(), nullptr);
  mouse(Release, 300, 3000);
  EXPECT_EQ(drops.size(), 3u);
}

TEST_F(QtBackend, ScrollBarReportsEveryChangeOfItsValueAlsoByCode) {
  auto bar = surface->createScrollBar(surface.get());
  int changes = 0, scrolls = 0;
  bar->onChange = [&] { ++changes; };
  bar->onScroll = [&] { ++scrolls; };
  bar->setMax(1000);
  bar->setLargeChange(200);
  bar->setValue(800);
  bar->setValue(800);
  EXPECT_EQ(changes, 1);
  bar->setMax(500);  // clamps the value
  EXPECT_EQ(bar->Value(), 500);
  EXPECT_EQ(changes, 2);
  EXPECT_THROW(bar->setValue(501), Failure);

  auto* sb = qobject_cast<QScrollBar*>(QtToolkit::widgetOf(*bar));
  ASSERT_NE(sb, nullptr);
  EXPECT_EQ(std::pair(sb->maximum(), sb->pageStep()), std::pair(500, 200));
  sb->setSliderDown(true);
  sb->setSliderPosition(100);
  sb->setSliderPosition(120);
  sb->setSliderDown(false);
  EXPECT_EQ(scrolls, 2);
  EXPECT_EQ(changes, 3);  // one change when the thumb is let go
  EXPECT_EQ(bar->Value(), 120);
}

TEST_F(QtBackend, ElementsSurviveTheirWidgetsBeingDeleted) {
  EXPECT_THROW(surface->clone(), Failure);
  auto p = panel(0, 0, 3000, 600);
  auto text = surface->createLabel(p.get());
  auto bar = surface->createScrollBar(p.get());
  const Hwnd h = p->hWnd();
  delete QtToolkit::widgetOf(*p);
  EXPECT_EQ(toolkit->widgetFor(h), nullptr);
  EXPECT_EQ(p->hWnd(), 0);
  p->setWidth(1234);
  EXPECT_EQ(p->Width(), 1234);
  p->setVisible(true);
  p->fillRect(0, 0, 100, 100, 0);
  p->zOrderFront();
  p->setMousePointer(ptrSizeNS);
  text->setCaption("still here");
  text->setVisible(true);
  bar->setMax(10);
  bar->setValue(5);
  EXPECT_EQ(bar->Value(), 5);
  grab();

  // A widget made where a deleted one was is another window, with a handle of its own.
  auto* gone = new QLabel(form.get());
  const Hwnd goneHandle = QtToolkit::handleOf(gone);
  const QWidget* at = gone;
  delete gone;
  std::vector<std::unique_ptr<QLabel>> made;
  while (made.size() < 8 && (made.empty() || made.back().get() != at))
    made.push_back(std::make_unique<QLabel>(form.get()));
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
  EXPECT_NE(mine->hWnd(), theirs->hWnd());
  EXPECT_EQ(toolkit->widgetFor(mine->hWnd()), QtToolkit::widgetOf(*mine));
  EXPECT_EQ(other.widgetFor(mine->hWnd()), nullptr);
  EXPECT_EQ(toolkit->widgetFor(theirs->hWnd()), nullptr);
  // A hosted widget is no toolkit's own: either one places it, but only into its own windows.
  auto* hosted = new QLabel("hosted", form.get());
  const Hwnd h = QtToolkit::handleOf(hosted);
  EXPECT_EQ(toolkit->native().SetParent(h, theirs->hWnd()), 0);
  EXPECT_EQ(other.native().SetParent(h, theirs->hWnd()), QtToolkit::handleOf(form.get()));
  EXPECT_EQ(other.native().GetParent(h), theirs->hWnd());

  mine->onMouseDown = [&](const MouseArgs&) { mine->Drag(); };
  mouse(Press, 300, 300);
  EXPECT_EQ(toolkit->dragging(), mine.get());
  EXPECT_EQ(other.dragging(), nullptr);
  theirs->Drag();
  EXPECT_EQ(toolkit->dragging(), mine.get());
  EXPECT_EQ(other.dragging(), theirs.get());
  mouse(Release, 300, 300);
  EXPECT_EQ(toolkit->dragging(), nullptr);
  EXPECT_EQ(other.dragging(), theirs.get());
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
  const auto at = [](double dpi, double x, double y, double width, double height) {
    const auto px = [dpi](double twips) { return static_cast<int>(std::lround(twips * dpi / 1440)); };
    return QRect(px(x), px(y), px(x + width) - px(x), px(y + height) - px(y));
  };
  EXPECT_EQ(w->geometry(), at(primary->logicalDotsPerInchY(), 1440, 720, 2880, 1440));

  const QPoint home = form->pos();
  form->windowHandle()->setScreen(dense);
  form->move(dense->geometry().topLeft() + QPoint(50, 60));
  EXPECT_EQ(w->geometry(), at(denseDpi, 1440, 720, 2880, 1440));
  EXPECT_EQ(pixelsPerTwip(w), denseDpi / 1440);
  EXPECT_EQ(p->Width(), 2880);  // the twips stay as set

  QWindowSystemInterface::handleScreenLogicalDotsPerInchChange(dense, 120, 120);
  QCoreApplication::processEvents();
  EXPECT_EQ(w->geometry(), at(120, 1440, 720, 2880, 1440));

  QWindowSystemInterface::handleScreenLogicalDotsPerInchChange(dense, denseDpi, denseDpi);
  QCoreApplication::processEvents();
  form->windowHandle()->setScreen(primary);
  form->move(home);
  EXPECT_EQ(w->geometry(), at(primary->logicalDotsPerInchY(), 1440, 720, 2880, 1440));
}

TEST_F(QtBackend, PointersAndTooltipsComeFromTheElementUnderTheMouse) {
  auto p = panel(0, 0, 3000, 600);
  p->setMousePointer(ptrSizeAllAlt);
  p->setToolTipText("panel tip");
  QWidget* w = QtToolkit::widgetOf(*p);
  auto hand = picture(32, 32, 0xFFFFFFFFu);
  hand->hotX = 5;
  auto button = place(surface->createImage(p.get()), 1500, 0, 0, 0);
  button->setPicture(hand);
  button->setMousePointer(ptrCustom);
  button->setMouseIcon(hand);
  mouse(Move, 1600, 100, Qt::NoButton);
  EXPECT_EQ(w->cursor().shape(), Qt::BitmapCursor);
  EXPECT_EQ(w->cursor().hotSpot(), QPoint(5, 0));
  mouse(Move, 300, 100, Qt::NoButton);
  EXPECT_EQ(w->cursor().shape(), Qt::SizeAllCursor);

  auto tipped = place(surface->createLabel(p.get()), 1500, 300, 900, 300);
  tipped->setToolTipText("label tip");
  auto tipAt = [&](double x, double y) {
    const QPoint local(pixels(x), pixels(y));
    QHelpEvent e(QEvent::ToolTip, local, w->mapToGlobal(local));
    QCoreApplication::sendEvent(w, &e);
    return e.isAccepted() ? QToolTip::text().toStdString() : std::string("(none)");
  };
  EXPECT_EQ(tipAt(300, 300), "panel tip");
  EXPECT_EQ(tipAt(1650, 450), "label tip");
  tipped->setToolTipText("");
  EXPECT_EQ(tipAt(1650, 450), "(none)");  // a label without a tip shows none, not its panel's
}

TEST(QtWidgetControl, DrivesAnyWidgetByMemberNameAndFailsOnceItIsGone) {
  QWidget panel;
  auto* label = new QLabel("hosted", &panel);
  WidgetControl ctl(label);
  ctl.call("Move", {Value(0.0), Value(260.0), Value(3000.0)});
  ctl.let("Height", Value(1660.0));
  EXPECT_EQ(label->geometry(), QRect(0, pixels(260), pixels(3000), pixels(260 + 1660) - pixels(260)));
  label->resize(50, 50);  // changed behind the control's back: reads follow the widget
  EXPECT_EQ(valueToDouble(ctl.get("Height")), 50 / pixelsPerTwip());
  delete label;
  try {
    ctl.get("Name");
    ADD_FAILURE() << "a member of a deleted widget";
  } catch (const Failure& f) {
    EXPECT_EQ(f.Number(), errObjectNotSet);
  }
}

}  // namespace
}  // namespace tov::qt

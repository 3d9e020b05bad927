// The Qt backend's elements on their own: geometry, drawing, input routing, drag and drop, the
// scroll bar, native windows and hosted widgets.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFrame>
#include <QHelpEvent>
#include <QImage>
#include <QLabel>
#include <QRubberBand>
#include <QScrollBar>
#include <QToolTip>
#include <QWindow>
#include <QtTest/QTest>
#include <memory>
#include <string>
#include <vector>

#include "tovdock/qt/qt_toolkit.h"

namespace tov::qt {
namespace {

int pixels(double twips) {
  return static_cast<int>(std::lround(twips * pixelsPerTwip()));
}

std::uint32_t rgb(const QImage& img, int x, int y) {
  return img.pixel(x, y) & 0xFFFFFF;
}

/// A surface shown in a top-level window, with mouse input at twips points of the surface.
class QtBackend : public ::testing::Test {
 protected:
  void SetUp() override {
    toolkit = std::make_shared<QtToolkit>();
    toolkit->setMessageHandler([this](const std::string& text, const std::string& title) {
      messages.push_back(title + "|" + text);
    });
    surface = toolkit->createSurface();
    form = std::make_unique<QWidget>();
    form->setGeometry(50, 60, 600, 500);
    QtToolkit::widgetOf(*surface)->setParent(form.get());
    surface->setLeft(0);
    surface->setTop(0);
    surface->setWidth(6000);
    surface->setHeight(6000);
    surface->setVisible(true);
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  }
  void TearDown() override {
    surface.reset();
    form.reset();
  }

  /// A visible panel on the surface.
  std::unique_ptr<Panel> panel(double left, double top, double width, double height, Element* in = nullptr) {
    auto p = surface->createPanel(in ? in : surface.get());
    p->setLeft(left);
    p->setTop(top);
    p->setWidth(width);
    p->setHeight(height);
    p->setVisible(true);
    return p;
  }

  void mouse(QEvent::Type type, double x, double y, Qt::MouseButtons state, Qt::MouseButton button) {
    QWidget* s = QtToolkit::widgetOf(*surface);
    const QPoint local = s->mapTo(form.get(), QPoint(pixels(x), pixels(y)));
    QWindow* w = form->windowHandle();
    qt_handleMouseEvent(w, QPointF(local), w->mapToGlobal(QPointF(local)), state, button, type,
                        Qt::NoModifier, ++timestamp);
    QCoreApplication::processEvents();
  }
  void press(double x, double y, Qt::MouseButton b = Qt::LeftButton) {
    mouse(QEvent::MouseButtonPress, x, y, b, b);
  }
  void move(double x, double y, Qt::MouseButtons held = Qt::LeftButton) {
    mouse(QEvent::MouseMove, x, y, held, Qt::NoButton);
  }
  void release(double x, double y, Qt::MouseButton b = Qt::LeftButton) {
    mouse(QEvent::MouseButtonRelease, x, y, Qt::NoButton, b);
    timestamp += 10000;
  }

  QImage grab() { return QtToolkit::widgetOf(*surface)->grab().toImage(); }

  std::shared_ptr<QtToolkit> toolkit;
  std::unique_ptr<Surface> surface;
  std::unique_ptr<QWidget> form;
  std::vector<std::string> messages;
  int timestamp = 1000;
};

TEST_F(QtBackend, GeometryReadsBackAsSetAndMapsToPixels) {
  auto p = panel(100.5, 301, 1499.7, 452);
  EXPECT_EQ(p->Left(), 100.5);
  EXPECT_EQ(p->Top(), 301);
  EXPECT_EQ(p->Width(), 1499.7);
  EXPECT_EQ(p->ScaleHeight(), 452);
  const QRect g = QtToolkit::widgetOf(*p)->geometry();
  EXPECT_EQ(g, QRect(pixels(100.5), pixels(301), pixels(100.5 + 1499.7) - pixels(100.5),
                     pixels(301 + 452) - pixels(301)));

  auto line = surface->createLine(p.get());
  line->setPoints(300, 40, 20, 10);
  EXPECT_EQ(line->Left(), 20);
  EXPECT_EQ(line->Width(), 280);
  line->setTop(100);
  EXPECT_EQ(line->Y1(), 130);
  EXPECT_EQ(line->Y2(), 100);
}

TEST_F(QtBackend, NewElementsStartInvisibleAndCopiesTakeEveryPropertyButVisibility) {
  auto p = panel(0, 0, 3000, 2000);
  auto label = surface->createLabel(p.get());
  EXPECT_FALSE(label->Visible());
  label->setLeft(45);
  label->setTop(30);
  label->setAlignment(Label::Align::Right);
  label->setToolTipText("tip");
  label->setMousePointer(ptrSizeAll);
  label->setAutoSize(true);
  label->setCaption("Caption");
  label->setVisible(true);
  const double autoWidth = label->Width();
  EXPECT_GT(autoWidth, 0);
  label->setCaption("Caption, longer");
  EXPECT_GT(label->Width(), autoWidth);

  auto copy = label->clone();
  auto* c = dynamic_cast<Label*>(copy.get());
  ASSERT_NE(c, nullptr);
  EXPECT_FALSE(c->Visible());
  EXPECT_EQ(c->Container(), p.get());
  EXPECT_EQ(c->Caption(), "Caption, longer");
  EXPECT_EQ(c->Alignment(), Label::Align::Right);
  EXPECT_EQ(c->ToolTipText(), "tip");
  EXPECT_EQ(c->MousePointer(), ptrSizeAll);
  EXPECT_EQ(c->Left(), 45);
  EXPECT_EQ(c->Width(), label->Width());

  auto panelCopy = p->clone();
  EXPECT_FALSE(panelCopy->Visible());
  EXPECT_TRUE(QtToolkit::widgetOf(*panelCopy)->isHidden());
  EXPECT_EQ(panelCopy->Container(), surface.get());
  EXPECT_THROW(surface->clone(), Failure);
}

TEST_F(QtBackend, ImagesTakeTheSizeOfTheirPictureAtFifteenTwipsPerPixel) {
  auto p = panel(0, 0, 3000, 2000);
  auto img = surface->createImage(p.get());
  auto pic = std::make_shared<Picture>();
  pic->width = 16;
  pic->height = 8;
  pic->pixels.assign(16 * 8, 0xFF0000FFu);
  img->setPicture(pic);
  EXPECT_EQ(img->Width(), 240);
  EXPECT_EQ(img->Height(), 120);
  img->setLeft(150);
  img->setTop(150);
  img->setVisible(true);
  const QImage shot = grab();
  EXPECT_EQ(rgb(shot, pixels(150) + 2, pixels(150) + 2), 0x0000FFu);
}

TEST_F(QtBackend, PanelDrawingPersistsUntilTheBackColourChanges) {
  auto p = panel(0, 0, 3000, 600);
  p->setBackColor(0x00FF00);                 // green
  p->fillRect(0, 0, 1500, 500, 0x0000FF);    // red, in the low byte
  p->drawLine(0, 450, 3000, 450, 0xFF0000);  // blue
  QImage shot = grab();
  EXPECT_EQ(rgb(shot, 10, 10), 0xFF0000u);
  EXPECT_EQ(rgb(shot, 150, 10), 0x00FF00u);
  EXPECT_EQ(rgb(shot, 150, pixels(450)), 0x0000FFu);

  // Covered and uncovered again: the drawing is still there.
  auto cover = panel(0, 0, 3000, 600);
  cover->setBackColor(0);
  cover->setVisible(false);
  p->setWidth(3600);
  shot = grab();
  EXPECT_EQ(rgb(shot, 10, 10), 0xFF0000u);
  EXPECT_EQ(rgb(shot, 230, 10), 0x00FF00u);  // the new area has the back colour

  p->setBackColor(0xFFFFFF);
  shot = grab();
  EXPECT_EQ(rgb(shot, 10, 10), 0xFFFFFFu);
}

TEST_F(QtBackend, LinesAreDrawnByTheirPanelAndNeverTakeInput) {
  auto p = panel(0, 0, 3000, 80);
  p->setBackColor(0x404040);
  auto line = surface->createLine(p.get());
  line->setPoints(0, 15, 3000, 15);
  line->setBorderColor(0xFFFFFF);
  line->setVisible(true);
  int downs = 0;
  p->onMouseDown = [&](const MouseArgs&) { ++downs; };
  EXPECT_EQ(rgb(grab(), 20, 1), 0xFFFFFFu);
  press(300, 15);
  release(300, 15);
  EXPECT_EQ(downs, 1);
}

TEST_F(QtBackend, InputGoesToTheFrontMostElementAndTheReleaseToThePressedOne) {
  auto p = panel(0, 0, 3000, 1500);
  auto back = surface->createLabel(p.get());
  back->setCaption("back");
  back->setLeft(300);
  back->setTop(300);
  back->setWidth(900);
  back->setHeight(300);
  back->setVisible(true);
  auto front = back->clone();
  front->setVisible(true);

  std::vector<std::string> log;
  auto record = [&](const std::string& who) {
    return [&log, who](const MouseArgs& a) {
      log.push_back(who + " " + std::to_string(a.button) + " " + std::to_string(static_cast<int>(a.x)) + "," +
                    std::to_string(static_cast<int>(a.y)));
    };
  };
  p->onMouseDown = record("panel");
  back->onMouseDown = record("back");
  front->onMouseDown = record("front");
  front->onMouseUp = record("front-up");
  int clicks = 0;
  front->onClick = [&] { ++clicks; };
  back->onClick = [&] { ++clicks; };

  press(450, 450);
  release(450, 450);
  back->zOrderFront();
  press(450, 450, Qt::RightButton);
  release(450, 450, Qt::RightButton);
  press(1500, 900);
  release(1500, 900);
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[0], "front 1 150,150");  // in the label's own twips
  EXPECT_EQ(log[1], "front-up 1 150,150");
  EXPECT_EQ(log[2], "back 2 150,150");
  EXPECT_EQ(log[3], "panel 1 1500,900");
  EXPECT_EQ(clicks, 1);

  // Moves with the button held go to the pressed element; released elsewhere there is no click.
  front->zOrderFront();
  std::vector<float> ys;
  front->onMouseMove = [&](const MouseArgs& a) {
    if (a.button == btnLeft) ys.push_back(a.y);
  };
  press(450, 450);
  move(450, 1350);
  release(450, 1350);
  ASSERT_EQ(ys.size(), 1u);
  EXPECT_EQ(ys[0], 1050);
  EXPECT_EQ(clicks, 1);
}

TEST_F(QtBackend, AHandlerMayDestroyTheElementItRunsFor) {
  auto p = panel(0, 0, 3000, 1500);
  auto inner = panel(300, 300, 1500, 600, p.get());
  inner->onMouseDown = [&](const MouseArgs&) {
    inner.reset();
    p.reset();
  };
  press(600, 600);
  release(600, 600);
  EXPECT_EQ(p, nullptr);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  press(600, 600);
  release(600, 600);
}

TEST_F(QtBackend, ADragDropsOnTheElementUnderTheCursorInItsScale) {
  auto source = panel(0, 0, 3000, 600);
  auto target = panel(0, 1500, 3000, 1500);
  auto label = surface->createLabel(target.get());
  label->setCaption("label");
  label->setLeft(1500);
  label->setTop(300);
  label->setWidth(900);
  label->setHeight(300);
  label->setVisible(true);
  source->onMouseDown = [&](const MouseArgs&) { source->Drag(); };
  int ups = 0;
  source->onMouseUp = [&](const MouseArgs&) { ++ups; };
  struct Drop {
    Element* on;
    Element* source;
    float x, y;
  };
  std::vector<Drop> drops;
  for (Element* e : std::initializer_list<Element*>{surface.get(), source.get(), target.get(), label.get()}) {
    e->onDragDrop = [&drops, e](Element* s, float x, float y) { drops.push_back({e, s, x, y}); };
  }
  // During the drop the platform says the cursor is where the button was let go.
  PointPx client;
  surface->onDragDrop = [&](Element* s, float x, float y) {
    drops.push_back({surface.get(), s, x, y});
    NativeWindows& native = toolkit->native();
    client = native.ScreenToClient(surface->hWnd(), native.GetCursorPos());
  };

  press(300, 300);
  EXPECT_EQ(QtToolkit::dragging(), source.get());
  auto bands = form->findChildren<QRubberBand*>();
  ASSERT_EQ(bands.size(), 1);
  EXPECT_TRUE(bands[0]->isVisible());
  const QPoint before = bands[0]->pos();
  move(600, 1950);
  EXPECT_EQ(bands[0]->pos() - before, QPoint(pixels(600) - pixels(300), pixels(1950) - pixels(300)));
  release(600, 1950);
  press(300, 300);
  release(1650, 1800);
  press(300, 300);
  release(4500, 4500);
  EXPECT_EQ(ups, 0);
  EXPECT_EQ(QtToolkit::dragging(), nullptr);
  EXPECT_TRUE(form->findChildren<QRubberBand*>().isEmpty());

  ASSERT_EQ(drops.size(), 3u);
  EXPECT_EQ(drops[0].on, target.get());
  EXPECT_EQ(drops[0].source, source.get());
  EXPECT_EQ(drops[0].x, 600);
  EXPECT_EQ(drops[0].y, 450);
  EXPECT_EQ(drops[1].on, label.get());
  EXPECT_EQ(drops[1].x, 150);
  EXPECT_EQ(drops[2].on, surface.get());
  EXPECT_EQ(drops[2].x, 4500);
  EXPECT_EQ(client.x, pixels(4500));
  EXPECT_EQ(client.y, pixels(4500));
}

TEST_F(QtBackend, ADragWhoseSourceGoesAwayEndsWithoutADrop) {
  auto source = panel(0, 0, 3000, 600);
  int drops = 0;
  surface->onDragDrop = [&](Element*, float, float) { ++drops; };
  source->onMouseDown = [&](const MouseArgs&) {
    source->Drag();
    source.reset();
  };
  press(300, 300);
  EXPECT_EQ(QtToolkit::dragging(), nullptr);
  release(300, 3000);
  EXPECT_EQ(drops, 0);
}

TEST_F(QtBackend, ScrollBarReportsEveryChangeOfItsValueAlsoByCode) {
  auto bar = surface->createScrollBar(surface.get());
  bar->setVisible(true);
  int changes = 0, scrolls = 0;
  bar->onChange = [&] { ++changes; };
  bar->onScroll = [&] { ++scrolls; };
  bar->setMax(1000);
  bar->setLargeChange(200);
  bar->setSmallChange(50);
  EXPECT_EQ(changes, 0);
  bar->setValue(800);
  bar->setValue(800);
  EXPECT_EQ(changes, 1);
  bar->setMax(500);  // clamps the value
  EXPECT_EQ(bar->Value(), 500);
  EXPECT_EQ(changes, 2);
  EXPECT_THROW(bar->setValue(501), Failure);

  auto* sb = qobject_cast<QScrollBar*>(QtToolkit::widgetOf(*bar));
  ASSERT_NE(sb, nullptr);
  EXPECT_EQ(sb->pageStep(), 200);
  sb->setSliderDown(true);
  sb->setSliderPosition(100);
  sb->setSliderPosition(120);
  sb->setSliderDown(false);
  EXPECT_EQ(scrolls, 2);
  EXPECT_EQ(changes, 3);  // one change when the thumb is let go
  EXPECT_EQ(bar->Value(), 120);
}

TEST_F(QtBackend, ElementsSurviveTheirWidgetsBeingDeleted) {
  auto p = panel(0, 0, 3000, 600);
  auto label = surface->createLabel(p.get());
  auto bar = surface->createScrollBar(p.get());
  const Hwnd h = p->hWnd();
  EXPECT_EQ(QtToolkit::widgetFor(h), QtToolkit::widgetOf(*p));
  delete QtToolkit::widgetOf(*p);
  EXPECT_EQ(QtToolkit::widgetFor(h), nullptr);
  EXPECT_EQ(p->hWnd(), 0);
  p->setWidth(1234);
  EXPECT_EQ(p->Width(), 1234);
  p->setVisible(true);
  p->fillRect(0, 0, 100, 100, 0);
  p->zOrderFront();
  p->setMousePointer(ptrSizeNS);
  label->setCaption("still here");
  label->setVisible(true);
  bar->setMax(10);
  bar->setValue(5);
  EXPECT_EQ(bar->Value(), 5);
  grab();
}

TEST_F(QtBackend, PointersFollowTheElementUnderTheMouse) {
  auto p = panel(0, 0, 3000, 600);
  p->setMousePointer(ptrSizeNS);
  QWidget* w = QtToolkit::widgetOf(*p);
  EXPECT_EQ(w->cursor().shape(), Qt::SizeVerCursor);
  p->setMousePointer(ptrSizeAllAlt);
  EXPECT_EQ(w->cursor().shape(), Qt::SizeAllCursor);

  auto hand = std::make_shared<Picture>();
  hand->width = hand->height = 32;
  hand->pixels.assign(32 * 32, 0xFFFFFFFFu);
  hand->hotX = 5;
  auto button = surface->createImage(p.get());
  button->setPicture(hand);
  button->setLeft(1500);
  button->setMousePointer(ptrCustom);
  button->setMouseIcon(hand);
  button->setVisible(true);
  move(1600, 100, Qt::NoButton);
  EXPECT_EQ(w->cursor().shape(), Qt::BitmapCursor);
  EXPECT_EQ(w->cursor().hotSpot(), QPoint(5, 0));
  move(300, 100, Qt::NoButton);
  EXPECT_EQ(w->cursor().shape(), Qt::SizeAllCursor);
}

TEST_F(QtBackend, TooltipsComeFromTheElementUnderTheMouse) {
  auto p = panel(0, 0, 3000, 600);
  p->setToolTipText("panel tip");
  auto label = surface->createLabel(p.get());
  label->setCaption("label");
  label->setLeft(1500);
  label->setWidth(900);
  label->setHeight(300);
  label->setToolTipText("label tip");
  label->setVisible(true);
  QWidget* w = QtToolkit::widgetOf(*p);
  auto tipAt = [&](double x, double y) {
    const QPoint local(pixels(x), pixels(y));
    QHelpEvent e(QEvent::ToolTip, local, w->mapToGlobal(local));
    QCoreApplication::sendEvent(w, &e);
    return e.isAccepted() ? QToolTip::text().toStdString() : std::string("(none)");
  };
  EXPECT_EQ(tipAt(300, 300), "panel tip");
  EXPECT_EQ(tipAt(1650, 150), "label tip");
  label->setToolTipText("");
  EXPECT_EQ(tipAt(1650, 150), "(none)");  // a label without a tip shows none, not its panel's
}

TEST_F(QtBackend, SurfaceRaisesResizeForItsContainerOnly) {
  int resizes = 0;
  surface->onResize = [&] { ++resizes; };
  surface->setWidth(4500);
  surface->setHeight(3000);
  EXPECT_EQ(resizes, 0);
  QtToolkit::resizeSurface(*surface, 4000, 3990);
  EXPECT_EQ(resizes, 1);
  EXPECT_EQ(surface->Width(), 4000);
  QtToolkit::widgetOf(*surface)->resize(300, 200);
  EXPECT_EQ(resizes, 2);
  EXPECT_EQ(surface->Width(), 300 / pixelsPerTwip());
  EXPECT_TRUE(surface->AmbientUserMode());
  QtToolkit::setUserMode(*surface, false);
  EXPECT_FALSE(surface->AmbientUserMode());
}

TEST_F(QtBackend, MessageBoxesGoToTheInstalledHandler) {
  toolkit->messageBox("Overflow", "TovDock: OrderBars");
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "TovDock: OrderBars|Overflow");
}

TEST_F(QtBackend, NativeParentingMovesWidgetsAndReportsTheFormerParent) {
  auto p = panel(0, 0, 3000, 600);
  QWidget home;
  auto* child = new QFrame(&home);
  child->show();
  NativeWindows& native = toolkit->native();
  const Hwnd c = QtToolkit::handleOf(child);
  EXPECT_EQ(native.GetParent(c), QtToolkit::handleOf(&home));
  EXPECT_EQ(native.SetParent(c, p->hWnd()), QtToolkit::handleOf(&home));
  EXPECT_EQ(child->parentWidget(), QtToolkit::widgetOf(*p));
  EXPECT_FALSE(child->isHidden());               // keeps its visibility across the move
  EXPECT_EQ(native.SetParent(p->hWnd(), c), 0);  // no cycles
  EXPECT_EQ(native.SetParent(c, 999999), 0);
  EXPECT_EQ(native.SetParent(c, QtToolkit::handleOf(&home)), p->hWnd());
  EXPECT_EQ(child->parentWidget(), &home);
}

TEST(QtWidgetControl, DrivesAnyWidgetByMemberName) {
  QWidget panel;
  auto* label = new QLabel("hosted", &panel);
  label->setObjectName("files");
  WidgetControl ctl(label);
  ctl.call("Move", {Value(0.0), Value(260.0), Value(3000.0)});
  ctl.let("Height", Value(1660.0));
  EXPECT_EQ(valueToDouble(ctl.get("Height")), 1660);
  EXPECT_EQ(valueToDouble(ctl.get("Top")), 260);
  EXPECT_EQ(label->geometry(), QRect(0, pixels(260), pixels(3000), pixels(260 + 1660) - pixels(260)));
  ctl.let("Visible", Value(false));
  EXPECT_FALSE(valueToBool(ctl.get("Visible")));
  EXPECT_EQ(valueToString(ctl.get("Name")), "files");
  EXPECT_EQ(valueToInt32(ctl.get("hWnd")), QtToolkit::handleOf(label));
  try {
    ctl.get("Align");
    FAIL() << "a widget without an Align property has no Align member";
  } catch (const Failure& f) {
    EXPECT_EQ(f.Number(), errNoSuchMember);
  }
  label->setProperty("Align", 1);
  EXPECT_EQ(valueToInt32(ctl.get("Align")), 1);

  label->resize(50, 50);  // changed behind the control's back: reads follow the widget
  EXPECT_EQ(valueToDouble(ctl.get("Height")), 50 / pixelsPerTwip());

  delete label;
  try {
    ctl.get("Name");
    FAIL() << "a deleted widget has no members";
  } catch (const Failure& f) {
    EXPECT_EQ(f.Number(), errObjectNotSet);
  }
}

}  // namespace
}  // namespace tov::qt

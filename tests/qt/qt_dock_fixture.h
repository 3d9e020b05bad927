// The fixtures of the Qt tests: a shown window with window-system mouse input, twips in whole pixels
// and colours of grabbed images; and that window holding a dock of three panes.
#pragma once
#include <gtest/gtest.h>

#include <QtTest>
#include <cmath>

#include "qt_walk.h"
#include "support/dock_access.h"
#include "support/ui_driver.h"
#include "tovdock/qt/qt_toolkit.h"

namespace tov::qt {

using test::turn, tov::test::UiDriver;

/// A top-level window shown by the test, with window-system mouse input that Qt routes itself, at
/// points in twips of the widget `target()`.
class QtWindowTest : public ::testing::Test {
 protected:
  static int pixels(double twips) { return static_cast<int>(std::lround(twips * pixelsPerTwip())); }
  static std::uint32_t rgb(const QImage& img, int x, int y) { return img.pixel(x, y) & 0xFFFFFF; }
  static std::uint32_t rgb(const QColor& c) { return c.rgb() & 0xFFFFFF; }
  virtual QWidget* target() = 0;
  void mouse(QEvent::Type type, QPointF twips, Qt::MouseButton b = Qt::LeftButton) {
    mouseIn(window.get(), target(), type, twips, b);
  }
  /// The same in another shown window `top`, at points of its widget `on`.
  void mouseIn(QWidget* top, QWidget* on, QEvent::Type type, QPointF twips,
               Qt::MouseButton b = Qt::LeftButton) {
    test::sendMouse(top, type, on->mapTo(top, QPoint(pixels(twips.x()), pixels(twips.y()))), b, ++timestamp);
    if (type == QEvent::MouseButtonRelease) timestamp += 10000;
  }
  /// A press at the first point and moves to the others while `target()` lives; whether it lives.
  QPointer<QWidget> hold(std::initializer_list<QPointF> path, Qt::MouseButton b = Qt::LeftButton) {
    const QPointer<QWidget> on = target();
    mouse(QEvent::MouseButtonPress, *path.begin(), b);
    for (auto p = path.begin() + 1; p != path.end() && on; ++p)
      mouse(QEvent::MouseMove, *p, b);
    return on;
  }
  /// The same and the release at the last point.
  void drag(std::initializer_list<QPointF> path, Qt::MouseButton b = Qt::LeftButton) {
    if (hold(path, b)) mouse(QEvent::MouseButtonRelease, path.end()[-1], b);
  }
  void drag(QPointF from, QPointF to) { drag({from, to}); }
  void click(QPointF t, Qt::MouseButton b = Qt::LeftButton) { drag({t}, b); }

  std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
  int timestamp = 1000;
};

class QtDock : public QtWindowTest {
 protected:
  void SetUp() override {
    HostServices::setInstance(host);
    QSettings().clear();  // where docks that save keep their layout
    window->setGeometry(30, 40, 420, 480);
    window->setPalette(QPalette(QColor(255, 0, 255))), window->setAutoFillBackground(true);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    panes();
  }
  void TearDown() override { window.reset(), HostServices::setInstance(nullptr); }

  /// A dock of the panes `keys` (a, b and c unless told) in the window, shown only now, as an
  /// application does it; the mouse and access() reach the newest one. It shares its height as
  /// designed: the fit to the panes' content has tests of its own (QtSizing in qt_pane_list_test.cpp).
  DockWidget* panes(const QString& name = {}, bool autoSave = false,
                    std::initializer_list<const char*> keys = {"a", "b", "c"}, bool show = true) {
    d = new DockWidget(window.get());
    d->setFitToContent(false), d->setAnimated(false);
    coreToolkit(d)->setMessageHandler(
        [](const std::string& text, const std::string&) { ADD_FAILURE() << text; });
    d->setObjectName(name), d->setAutoSave(autoSave);
    for (const char* k : keys)
      d->addPane(k, new QLabel(k), QString(k).toUpper());
    d->setGeometry(20, 20, pixels(4500), pixels(6000));
    if (show) d->show();
    return d;
  }
  DockTestAccess access() { return DockTestAccess(*coreDock(d)); }
  std::int32_t indexOf(const char* key) { return coreBar(d->pane(key))->Index(); }
  QWidget* frame(const char* key) { return frameOf(d->pane(key)); }
  QWidget* titleOf(const char* key) { return QtToolkit::drawnOn(access().picTitel(indexOf(key))); }

  /// Position of an element in the dock's twips.
  static QPointF at(const Element& e) { return {UiDriver::absLeft(e), UiDriver::absTop(e)}; }
  /// The middle of an image button.
  QPointF middle(const Element& e) { return at(e) + QPointF(e.Width() / 2, e.Height() / 2); }
  /// A point on a title strip, away from its caption and buttons.
  QPointF onTitle(const char* key, double down = 130) {
    return at(access().picTitel(indexOf(key))) + QPointF(2500, down);
  }

  QWidget* target() override { return d; }

  /// A palette that a widget keeps whatever its parent's is.
  static QPalette pinned(QPalette p) { return p.setResolveMask(~QPalette::ResolveMask(0)), p; }
  /// The record an auto-saving dock keeps in QSettings for "dock/pane".
  static QString stored(const QString& entry) { return QSettings().value("DockBar/" + entry).toString(); }
  /// The frame that holds a pane's title, widget and splitter.
  static QWidget* frameOf(Pane* p) { return p->widget()->parentWidget(); }
  /// Each pane in order: key, group and state, its frame's top and height in pixels while the frame
  /// shows, and "w" while its widget shows.
  static std::string layoutOf(DockWidget* d) {
    QStringList out;
    for (Pane* p : d->panes()) {
      const QWidget* frame = frameOf(p);
      out << p->key() + "TLRB"[int(p->group())] + "CEH"[int(p->state())] +
                 (frame->isVisible() ? QString(" %1+%2").arg(frame->y()).arg(frame->height()) : "") +
                 (p->widget()->isVisible() ? " w" : "");
    }
    return out.join(", ").toStdString();
  }
  /// Presses a button as a screen reader does.
  static void press(QAccessibleInterface* b) {
    b->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  }
  /// A colour of the dock's 0x00BBGGRR form as a QColor.
  static QColor qcolor(Color c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }
  /// The pixels of an element of a title strip in a grab of the strip at `ratio` device pixels each.
  static QRect devicePixels(const Element& e, int ratio) {
    const int left = pixels(e.Left()), top = pixels(e.Top());
    return QRect(left * ratio, top * ratio, (pixels(e.Left() + e.Width()) - left) * ratio,
                 (pixels(e.Top() + e.Height()) - top) * ratio);
  }

  std::shared_ptr<tov::test::MemoryHost> host = std::make_shared<tov::test::MemoryHost>();
  DockWidget* d = nullptr;
};

/// Counts the events of one type that the widgets it is installed on receive, and runs `then` on
/// each before the widget sees it.
struct EventCount : QObject {
  explicit EventCount(QEvent::Type type, std::function<void()> then = {}, QObject* parent = nullptr)
      : QObject(parent), type(type), then(std::move(then)) {}
  bool eventFilter(QObject*, QEvent* e) override {
    count += e->type() == type;
    if (e->type() == type && then) then();
    return false;
  }
  QEvent::Type type;
  std::function<void()> then;
  int count = 0;
};

}  // namespace tov::qt

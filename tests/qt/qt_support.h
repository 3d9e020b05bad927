// What the Qt tests share: twips in whole pixels, colours of grabbed images and a shown window with
// window-system mouse input.
#pragma once
#include <gtest/gtest.h>

#include <QtTest>
#include <QtWidgets>
#include <cmath>

#include "tovdock/qt/qt_toolkit.h"

namespace tov::qt {

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
    const QPoint p = on->mapTo(top, QPoint(pixels(twips.x()), pixels(twips.y())));
    QWindow* w = top->windowHandle();
    qt_handleMouseEvent(w, QPointF(p), w->mapToGlobal(QPointF(p)),
                        type == QEvent::MouseButtonRelease ? Qt::NoButton : b,
                        type == QEvent::MouseMove ? Qt::NoButton : b, type, Qt::NoModifier, ++timestamp);
    QCoreApplication::processEvents();
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
  void click(QPointF t, Qt::MouseButton b = Qt::LeftButton) { drag({t}, b); }

  std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
  int timestamp = 1000;
};

}  // namespace tov::qt

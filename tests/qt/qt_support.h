// What the Qt tests share: twips in whole pixels, colours of grabbed images and window-system mouse
// input that Qt routes itself.
#pragma once
#include <QColor>
#include <QCoreApplication>
#include <QImage>
#include <QWidget>
#include <QWindow>
#include <QtTest/QTest>
#include <cmath>
#include <cstdint>

#include "tovdock/qt/qt_toolkit.h"

namespace tov::qt {

inline int pixels(double twips) {
  return static_cast<int>(std::lround(twips * pixelsPerTwip()));
}

inline std::uint32_t rgb(const QImage& img, int x, int y) {
  return img.pixel(x, y) & 0xFFFFFF;
}
inline std::uint32_t rgb(const QColor& c) {
  return c.rgb() & 0xFFFFFF;
}

/// A mouse event to `window` at a point in twips of `in`; a move carries `b` as the held button.
inline void sendMouse(QWidget* window, const QWidget* in, QEvent::Type type, QPointF twips, Qt::MouseButton b,
                      int& timestamp) {
  const QPoint p = in->mapTo(window, QPoint(pixels(twips.x()), pixels(twips.y())));
  QWindow* w = window->windowHandle();
  qt_handleMouseEvent(w, QPointF(p), w->mapToGlobal(QPointF(p)),
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : b,
                      type == QEvent::MouseMove ? Qt::NoButton : b, type, Qt::NoModifier, ++timestamp);
  QCoreApplication::processEvents();
  if (type == QEvent::MouseButtonRelease) timestamp += 10000;
}

}  // namespace tov::qt

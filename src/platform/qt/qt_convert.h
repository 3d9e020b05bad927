#pragma once
// Conversions between the dock's units and Qt's: twips and pixels at a screen's logical DPI,
// colours, fonts, pictures and mouse pointers.
#include <QColor>
#include <QCursor>
#include <QFont>
#include <QIcon>
#include <QImage>
#include <QMetaObject>
#include <QPalette>
#include <QPointer>
#include <QRect>
#include <QScreen>
#include <QWindow>
#include <cmath>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "tovdock/platform.h"

class QWidget;

namespace tov::qt::detail {

/// Rounds to the nearest int, halves away from zero, as std::lround does; within the range of an
/// int by a truncation and a comparison rather than a library call, as every edge of every element
/// is rounded so.
inline int roundToInt(double v) {
  if (!(std::abs(v) < 2147483647.0)) return static_cast<int>(std::lround(v));
  const auto whole = static_cast<int>(v);
  // Exact: the part after the point of a value this small.
  const double rest = v - whole;
  return rest >= 0.5 ? whole + 1 : rest <= -0.5 ? whole - 1 : whole;
}

/// Twips and pixels at one logical DPI (1440 twips per inch).
struct Scale {
  double pixelsPerTwip = 96.0 / 1440.0;

  /// Twips to whole pixels.
  int px(double twips) const;
  double twips(double pixels) const { return pixels / pixelsPerTwip; }
  /// The pixels a rectangle in twips covers: its edges rounded, so neighbours share their edge.
  QRect pxRect(double left, double top, double width, double height) const;
  bool operator==(const Scale&) const = default;
};

/// The scale of a screen's logical DPI; 96 DPI without a screen.
Scale scaleOf(const QScreen* screen);
/// The scale of the screen a widget is on (the primary screen's for null).
Scale scaleOf(const QWidget* widget);
/// The screen a widget is on (the primary one for none), as QWidget::screen() finds it.
QScreen* screenOf(const QWidget* widget);

/// Follows the screen a widget's window is on and that screen's logical DPI, and says when the
/// scale changes: the window moved to another screen, or the screen's DPI changed.
class ScreenFollower {
 public:
  /// `changed` is called with the scale before the change.
  explicit ScreenFollower(std::function<void(const Scale& before)> changed);
  ~ScreenFollower();
  ScreenFollower(const ScreenFollower&) = delete;
  ScreenFollower& operator=(const ScreenFollower&) = delete;

  /// Follows the window `widget` lies in now; called again whenever it may lie in another one.
  void follow(QWidget* widget);
  const Scale& scale() const { return mScale; }

 private:
  void update();

  std::function<void(const Scale& before)> mChanged;
  QPointer<QWidget> mWidget;
  QPointer<QWindow> mWindow;
  QPointer<QScreen> mScreen;
  QMetaObject::Connection mWindowWatch;
  QMetaObject::Connection mScreenWatch;
  Scale mScale;
};

QColor toQColor(Color c, const QPalette& palette);
/// The same colour as a QRgb; an RGB colour needs neither the palette nor a QColor.
inline QRgb toQRgb(Color c, const QPalette& palette) {
  if (c & static_cast<Color>(0x80000000u)) return toQColor(c, palette).rgba();
  return qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}
QFont toQFont(const Font& f);
/// A copy of the picture's pixels; null for a picture without pixels.
QImage toQImage(const Picture& p);

/// The icon a picture was made from by pictureOf, or a null icon.
QIcon iconOf(const PictureRef& p);

/// Pictures converted once and shared: every bar shows the same few pictures.
class PictureCache {
 public:
  /// The picture as an image (null for none).
  QImage image(const PictureRef& p);
  /// The picture as a cursor with its hot spot (an arrow for none).
  QCursor cursor(const PictureRef& p);

 private:
  struct Converted {
    std::weak_ptr<const Picture> picture;
    QImage image;
    std::optional<QCursor> cursor;
  };
  Converted& converted(const PictureRef& p);
  std::map<const Picture*, Converted> mConverted;
};

/// The cursor of a mouse pointer number (`icon` for the custom pointer, the platform's pointing hand
/// for the dock's hand picture); none for the default pointer, which leaves the cursor to the
/// element underneath.
std::optional<QCursor> toCursor(std::int32_t pointer, const PictureRef& icon, PictureCache& pictures);

}  // namespace tov::qt::detail

#include "platform/qt/qt_convert.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cmath>

#include "tovdock/qt/qt_toolkit.h"

namespace tov::qt {

double pixelsPerTwip() {
  return detail::scaleOf(QGuiApplication::primaryScreen()).pixelsPerTwip;
}

double pixelsPerTwip(const QWidget* widget) {
  return detail::scaleOf(widget).pixelsPerTwip;
}

namespace {

// The icons pictures were made from, by picture; pictures no longer in use drop out as others come.
// Kept on the heap and emptied with the application: an icon's pixmaps must not outlive it.
struct IconSource {
  std::weak_ptr<const Picture> picture;
  QIcon icon;
};
std::map<const Picture*, IconSource>* gIconSources = nullptr;

void dropIconSources() {
  delete gIconSources;
  gIconSources = nullptr;
}

}  // namespace

PictureRef pictureOf(const QIcon& icon, int size) {
  if (icon.isNull() || size <= 0) return nullptr;
  const QImage image = icon.pixmap(QSize(size, size), 1.0).toImage().convertToFormat(QImage::Format_ARGB32);
  auto pic = std::make_shared<Picture>();
  pic->width = image.width();
  pic->height = image.height();
  for (int y = 0; y < image.height(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    pic->pixels.insert(pic->pixels.end(), row, row + image.width());
  }
  if (!gIconSources) {
    gIconSources = new std::map<const Picture*, IconSource>;
    qAddPostRoutine(dropIconSources);
  }
  std::erase_if(*gIconSources, [](const auto& entry) { return entry.second.picture.expired(); });
  (*gIconSources)[pic.get()] = IconSource{pic, icon};
  return pic;
}

}  // namespace tov::qt

namespace tov::qt::detail {

int Scale::px(double twips) const {
  return roundToInt(twips * pixelsPerTwip);
}

QRect Scale::pxRect(double left, double top, double width, double height) const {
  const int x = px(left), y = px(top);
  return QRect(x, y, std::max(0, px(left + width) - x), std::max(0, px(top + height) - y));
}

Scale scaleOf(const QScreen* screen) {
  const double dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
  return Scale{(dpi > 0 ? dpi : 96.0) / 1440.0};
}

QScreen* screenOf(const QWidget* widget) {
  // With one screen there is nothing to find; QWidget::screen() would still look for the screen
  // under the window's geometry, which is most of the cost of a control's member call.
  if (const QList<QScreen*> all = QGuiApplication::screens(); all.size() == 1) return all.front();
  return widget ? widget->screen() : QGuiApplication::primaryScreen();
}

Scale scaleOf(const QWidget* widget) {
  return scaleOf(screenOf(widget));
}

ScreenFollower::ScreenFollower(std::function<void(const Scale& before)> changed)
    : mChanged(std::move(changed)), mScale(scaleOf(static_cast<const QWidget*>(nullptr))) {}

ScreenFollower::~ScreenFollower() {
  QObject::disconnect(mWindowWatch);
  QObject::disconnect(mScreenWatch);
}

void ScreenFollower::follow(QWidget* widget) {
  mWidget = widget;
  // A widget's window handle exists once its window was shown; until then its screen is the one
  // its window's geometry lies on.
  QWindow* window = widget ? widget->window()->windowHandle() : nullptr;
  if (window != mWindow) {
    QObject::disconnect(mWindowWatch);
    mWindow = window;
    if (window) mWindowWatch = QObject::connect(window, &QWindow::screenChanged, [this] { update(); });
  }
  update();
}

void ScreenFollower::update() {
  QScreen* screen = screenOf(mWidget);
  if (screen != mScreen) {
    QObject::disconnect(mScreenWatch);
    mScreen = screen;
    if (screen) {
      mScreenWatch = QObject::connect(screen, &QScreen::logicalDotsPerInchChanged, [this] { update(); });
    }
  }
  const Scale now = scaleOf(screen);
  if (now == mScale) return;
  const Scale before = mScale;
  mScale = now;
  // What the call runs may destroy this follower's owner, and the follower with it.
  if (const auto changed = mChanged) changed(before);
}

QColor toQColor(Color c, const QPalette& palette) {
  if (c & static_cast<Color>(0x80000000u)) {
    switch (c & 0xFF) {
      case 0x00:  // scroll bars
      case 0x0F:  // button face
        return palette.color(QPalette::Button);
      case 0x05:  // window background
        return palette.color(QPalette::Base);
      case 0x08:  // window text
      case 0x12:  // button text
        return palette.color(QPalette::WindowText);
      case 0x10:  // button shadow
        return palette.color(QPalette::Mid);
      case 0x14:  // button highlight
        return palette.color(QPalette::Light);
      default:  // inactive border and the rest of the window furniture
        return palette.color(QPalette::Window);
    }
  }
  return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

QFont toQFont(const Font& f) {
  QFont q(QString::fromStdString(f.name));
  q.setPointSizeF(f.size > 0 ? f.size : 9);
  q.setBold(f.bold);
  return q;
}

QImage toQImage(const Picture& p) {
  if (p.width <= 0 || p.height <= 0 ||
      p.pixels.size() < static_cast<std::size_t>(p.width) * static_cast<std::size_t>(p.height)) {
    return {};
  }
  // Picture pixels are 0xAARRGGBB words, which is QImage's ARGB32 layout.
  QImage view(reinterpret_cast<const uchar*>(p.pixels.data()), p.width, p.height, p.width * 4,
              QImage::Format_ARGB32);
  return view.copy();
}

QIcon iconOf(const PictureRef& p) {
  if (!p || !gIconSources) return {};
  const auto it = gIconSources->find(p.get());
  // A picture at the address of a gone one is another picture.
  return it != gIconSources->end() && it->second.picture.lock() == p ? it->second.icon : QIcon();
}

PictureCache::Converted& PictureCache::converted(const PictureRef& p) {
  for (auto it = mConverted.begin(); it != mConverted.end();) {
    it = it->second.picture.expired() ? mConverted.erase(it) : std::next(it);
  }
  Converted& c = mConverted[p.get()];
  if (c.picture.expired()) c = Converted{p, toQImage(*p), std::nullopt};
  return c;
}

QImage PictureCache::image(const PictureRef& p) {
  return p ? converted(p).image : QImage();
}

QCursor PictureCache::cursor(const PictureRef& p) {
  if (!p) return QCursor(Qt::ArrowCursor);
  Converted& c = converted(p);
  if (!c.cursor) {
    c.cursor =
        c.image.isNull() ? QCursor(Qt::ArrowCursor) : QCursor(QPixmap::fromImage(c.image), p->hotX, p->hotY);
  }
  return *c.cursor;
}

std::optional<QCursor> toCursor(std::int32_t pointer, const PictureRef& icon, PictureCache& pictures) {
  switch (pointer) {
    case ptrDefault:
      return std::nullopt;
    case ptrArrow:
      return QCursor(Qt::ArrowCursor);
    case 2:
      return QCursor(Qt::CrossCursor);
    case 3:
      return QCursor(Qt::IBeamCursor);
    case ptrSizeAll:
    case ptrSizeAllAlt:
      return QCursor(Qt::SizeAllCursor);
    case 6:
      return QCursor(Qt::SizeBDiagCursor);
    case ptrSizeNS:
      return QCursor(Qt::SizeVerCursor);
    case 8:
      return QCursor(Qt::SizeFDiagCursor);
    case 9:
      return QCursor(Qt::SizeHorCursor);
    case 10:
      return QCursor(Qt::UpArrowCursor);
    case 11:
      return QCursor(Qt::WaitCursor);
    case 12:
      return QCursor(Qt::ForbiddenCursor);
    case 13:
      return QCursor(Qt::BusyCursor);
    case ptrCustom:
      if (icon && icon->symbol == Picture::Symbol::Hand) return QCursor(Qt::PointingHandCursor);
      return pictures.cursor(icon);
    default:
      return QCursor(Qt::ArrowCursor);
  }
}

}  // namespace tov::qt::detail

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <tuple>

#include "platform/qt/qt_looks.h"
#include "platform/qt/qt_nodes.h"

namespace tov::qt::detail {

namespace {

// Assigning a picture sizes an image to it at the classic 15 twips per pixel.
constexpr double kPictureTwips = kTwipsPerPixel96;

/// The colour of the glyphs in a row: its caption's.
QColor inkOf(const Node* row, const QPalette& palette) {
  if (row) {
    for (const Node* n : row->windowless()) {
      if (n->self().kind() == Element::Kind::Label)
        return toQColor(static_cast<const LabelNode*>(n)->ForeColor(), palette);
    }
  }
  return palette.color(QPalette::WindowText);
}

/// A cog wheel of eight teeth with a hole, filling a square of `size` about `c`.
QPainterPath gear(QPointF c, double size) {
  const double outer = size * 0.37, inner = size * 0.27, hole = size * 0.14;
  constexpr int kTeeth = 8;
  constexpr double kStep = 2 * std::numbers::pi / kTeeth;
  QPolygonF rim;
  for (int i = 0; i < kTeeth; ++i) {
    const double a = i * kStep;
    for (auto [r, da] : {std::pair{inner, -0.34}, {outer, -0.20}, {outer, 0.20}, {inner, 0.34}}) {
      const double t = a + da * kStep * 1.25;
      rim << QPointF(c.x() + r * std::cos(t), c.y() + r * std::sin(t));
    }
  }
  QPainterPath path;
  path.setFillRule(Qt::OddEvenFill);
  path.addPolygon(rim);
  path.closeSubpath();
  path.addEllipse(c, hole, hole);
  return path;
}

/// A title button's shape in `box`: a wash of the ink under the mouse (darker on light titles,
/// lighter on dark ones, stronger while held), then the glyph, antialiased.
void drawButton(QPainter& painter, Picture::Symbol symbol, const QRectF& box, QColor ink, bool hover,
                bool down, bool enabled) {
  // A disabled button is drawn faint, as Qt draws a disabled tool button's icon.
  constexpr float kDisabledAlpha = 0.35f;
  if (!enabled) ink.setAlphaF(kDisabledAlpha);
  const double size = std::min(box.width(), box.height());
  const QPointF c = box.center();
  painter.setRenderHint(QPainter::Antialiasing, true);
  if (hover) {
    QColor wash = ink;
    wash.setAlphaF(down ? 0.32f : 0.16f);
    painter.setPen(Qt::NoPen);
    painter.setBrush(wash);
    const double radius = size * 0.22;
    painter.drawRoundedRect(QRectF(c.x() - size / 2, c.y() - size / 2, size, size), radius, radius);
  }
  painter.setPen(QPen(ink, std::max(1.0, size / 11), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.setBrush(Qt::NoBrush);
  if (symbol == Picture::Symbol::Close) {
    const double r = size * 0.21;
    painter.drawLine(QPointF(c.x() - r, c.y() - r), QPointF(c.x() + r, c.y() + r));
    painter.drawLine(QPointF(c.x() - r, c.y() + r), QPointF(c.x() + r, c.y() - r));
  } else if (symbol == Picture::Symbol::Expand || symbol == Picture::Symbol::Collapse) {
    // Two chevrons pointing the way the pane will fold: down to open it, up to close it.
    const double r = size * 0.22, h = size * 0.12, apart = size * 0.13;
    const double tip = symbol == Picture::Symbol::Expand ? h : -h;
    for (double y : {c.y() - apart, c.y() + apart}) {
      const QPointF v[3] = {{c.x() - r, y - tip}, {c.x(), y + tip}, {c.x() + r, y - tip}};
      painter.drawPolyline(v, 3);
    }
  } else {
    painter.setPen(Qt::NoPen);
    painter.setBrush(ink);
    painter.drawPath(gear(c, size));
  }
}

}  // namespace

ImageNode::ImageNode(Node& container) : QtElement(container.sharedState()) {
  setContainerNode(&container);
}

void ImageNode::setPicture(PictureRef p) {
  // Pictures do not change: the one it shows already gives the same size and pixels.
  if (p == mPicture) return;
  mPicture = std::move(p);
  mLook.pixmap = QPixmap();
  mImage = state().pictures.image(mPicture);
  mSource = iconOf(mPicture);
  if (mPicture) {
    mWidth = mPicture->width * kPictureTwips;
    mHeight = mPicture->height * kPictureTwips;
  }
  geometryChanged();
}

void ImageNode::setEnabled(bool on) {
  if (on == mEnabled) return;
  mEnabled = on;
  updateHost();
}

bool ImageNode::isButton() const {
  if (!mPicture) return false;
  switch (mPicture->symbol) {
    case Picture::Symbol::Close:
    case Picture::Symbol::Expand:
    case Picture::Symbol::Collapse:
    case Picture::Symbol::Options:
      return true;
    default:
      return false;
  }
}

std::unique_ptr<Element> ImageNode::copyIn(Node& container) const {
  auto c = std::make_unique<ImageNode>(container);
  copyProperties(*this, *c);
  return c;
}

void ImageNode::paintSelf(QPainter& painter, const QPalette& palette, const QRect& area) const {
  if (area.isEmpty()) return;
  if (isButton()) {
    paintButton(painter, palette, area);
    return;
  }
  if (!mSource.isNull()) {
    // At the painter's pixel ratio, kept whole and centred in the box.
    mSource.paint(&painter, area, Qt::AlignCenter);
    return;
  }
  if (mImage.isNull()) return;
  painter.save();
  painter.setRenderHint(QPainter::SmoothPixmapTransform, area.size() != mImage.size());
  painter.drawImage(area, mImage);
  painter.restore();
}

void ImageNode::paintButton(QPainter& painter, const QPalette& palette, const QRect& area) const {
  // The mouse is followed by the widget the button is drawn on.
  const auto* panel = dynamic_cast<const PanelNode*>(host());
  const bool hover = panel && panel->hovered(this);
  const bool down = hover && panel->pressed(this);
  const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
  const QColor ink = inkOf(container(), palette);
  const int state = !mEnabled ? 3 : down ? 2 : hover ? 1 : 0;
  if (mLook.pixmap.isNull() || mLook.size != area.size() || mLook.ratio != ratio || mLook.ink != ink.rgba() ||
      mLook.state != state) {
    // Every bar shows the same few buttons: each look is drawn once, at the device's resolution.
    using Key = std::tuple<int, int, int, qreal, QRgb, int>;
    static auto* looks = new Looks<Key>;
    const Key key{static_cast<int>(mPicture->symbol), area.width(), area.height(), ratio, ink.rgba(), state};
    QPixmap look;
    if (!looks->find(key, &look)) {
      look = QPixmap((QSizeF(area.size()) * ratio).toSize());
      look.setDevicePixelRatio(ratio);
      look.fill(Qt::transparent);
      QPainter p(&look);
      drawButton(p, mPicture->symbol, QRectF(QPointF(0, 0), QSizeF(area.size())), ink, hover, down, mEnabled);
      p.end();
      looks->insert(key, look);
    }
    mLook = {area.size(), ratio, ink.rgba(), state, look};
  }
  painter.drawPixmap(area.topLeft(), mLook.pixmap);
}

}  // namespace tov::qt::detail

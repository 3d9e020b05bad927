#include <QEnterEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <tuple>

#include "platform/qt/qt_looks.h"
#include "platform/qt/qt_nodes.h"

namespace tov::qt::detail {

namespace {

/// Cuts a segment to a rectangle (Liang and Barsky); false when nothing of it lies inside.
bool clipSegment(double& x1, double& y1, double& x2, double& y2, double w, double h) {
  double t0 = 0, t1 = 1;
  const double dx = x2 - x1, dy = y2 - y1;
  const double p[4] = {-dx, dx, -dy, dy}, q[4] = {x1, w - x1, y1, h - y1};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
    } else {
      const double t = q[i] / p[i];
      if (p[i] < 0) {
        t0 = std::max(t0, t);
      } else {
        t1 = std::min(t1, t);
      }
    }
  }
  if (t0 > t1) return false;
  x2 = x1 + t1 * dx;
  y2 = y1 + t1 * dy;
  x1 += t0 * dx;
  y1 += t0 * dy;
  return true;
}

/// Whether the mouse can hold a button down (the left one).
bool leftButton(const QEvent& e) {
  return static_cast<const QMouseEvent&>(e).button() == Qt::LeftButton;
}

}  // namespace

PanelNode::PanelNode(Node& container, bool ownWindow)
    : QtElement(container.sharedState()), mOwnWindow(ownWindow) {
  if (ownWindow) makeWidget(container);
  setContainerNode(&container);
}

void PanelNode::makeWidget(const Node& container) {
  auto* w = new ElementWidget(this, container.hostWidget());
  w->hide();
  if (QCursor c; cursor(c)) w->setCursor(c);
  mWidget.reset(w, state());
}

void PanelNode::setOwnWindow(bool on) {
  if (on == mOwnWindow || (!on && holdsWindows())) return;
  // Out of its container and back, as the other kind: a window goes among the container's
  // windows, over its drawing, and a drawn panel in front of the drawn ones.
  Node* c = container();
  setContainerNode(nullptr);
  mOwnWindow = on;
  if (!on) {
    mWidget.release();
  } else if (c) {
    makeWidget(*c);
  }
  setContainerNode(c);
}

Hwnd PanelNode::hWnd() const {
  return mOwnWindow ? state().handleOf(widget()) : 0;
}

bool PanelNode::hits(double x, double y) const {
  if (mOwnWindow) return Node::hits(x, y);
  // Drawn on whole pixels, it takes the mouse on the pixels it covers, as a widget there would: a
  // strip whose edge falls inside a pixel takes that pixel whole or not at all. The point lies on a
  // pixel's corner, less what the conversion to twips lost.
  const double k = scale().pixelsPerTwip;
  return pxRect().contains(static_cast<int>(std::floor(x * k + 1e-6)),
                           static_cast<int>(std::floor(y * k + 1e-6)));
}

void PanelNode::repaint() const {
  if (!mOwnWindow) {
    if (mVisible) updateHost();
  } else if (QWidget* w = widget()) {
    w->update();
  }
}

void PanelNode::setBackColor(Color c) {
  // With nothing drawn, the colour it has already changes no pixel.
  if (c == mBackColor && mDrawing.empty()) return;
  mBackColor = c;
  // As with a picture box, a new back colour erases what was drawn.
  mDrawing.clear();
  mDrawing.shrink_to_fit();
  repaint();
}

void PanelNode::setGradient(const std::optional<Gradient>& g) {
  if (g == mGradient) return;
  mGradient = g;
  repaint();
}

void PanelNode::drawLine(double x1, double y1, double x2, double y2, Color c) {
  // What falls outside the panel is lost, as on a picture of the panel's size.
  if (!clipSegment(x1, y1, x2, y2, mWidth, mHeight)) return;
  mDrawing.push_back({x1, y1, x2, y2, c, false});
  repaint();
}

void PanelNode::fillRect(double x1, double y1, double x2, double y2, Color c) {
  const double left = std::max(0.0, std::min(x1, x2)), right = std::min(mWidth, std::max(x1, x2));
  const double top = std::max(0.0, std::min(y1, y2)), bottom = std::min(mHeight, std::max(y1, y2));
  if (left >= right || top >= bottom) return;
  mDrawing.push_back({left, top, right, bottom, c, true});
  repaint();
}

std::unique_ptr<Element> PanelNode::copyIn(Node& container) const {
  auto c = std::make_unique<PanelNode>(container, mOwnWindow);
  copyProperties(*this, *c);
  c->bringToFront();
  return c;
}

void PanelNode::paintSelf(QPainter& painter, const QPalette& palette, const QRect& area) const {
  const QColor back = toQColor(mBackColor, palette);
  if (!mGradient) {
    painter.fillRect(area, back);
  } else {
    painter.drawPixmap(area.topLeft(), gradientLook(painter, palette, area.size()));
  }
  if (mOwnWindow) {
    if (!mDrawing.empty()) paintDrawing(painter, palette);
    return;
  }
  // Drawn on the container's widget: what lies in the panel is placed from its corner and cut to it.
  if (mDrawing.empty() && windowless().empty()) return;
  painter.save();
  painter.translate(area.topLeft());
  painter.setClipRect(QRect(QPoint(0, 0), area.size()), Qt::IntersectClip);
  paintDrawing(painter, palette);
  paintWindowless(painter, palette);
  painter.restore();
}

QPixmap PanelNode::gradientLook(const QPainter& painter, const QPalette& palette, QSize size) const {
  // Qt works a horizontal gradient out pixel by pixel, and every title strip shows the same one,
  // painted again wherever a splitter step uncovers it: it is drawn once for each size and colours.
  const QColor back = toQColor(mBackColor, palette);
  const QColor start = toQColor(mGradient->start, palette), end = toQColor(mGradient->end, palette);
  const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
  using Key = std::tuple<int, int, qreal, QRgb, QRgb, QRgb, bool>;
  static auto* looks = new Looks<Key>;
  const Key key{size.width(), size.height(),      ratio, back.rgba(), start.rgba(),
                end.rgba(),   mGradient->vertical};
  QPixmap look;
  if (looks->find(key, &look)) return look;
  look = QPixmap((QSizeF(size) * ratio).toSize());
  look.setDevicePixelRatio(ratio);
  // An opaque look stays without an alpha channel: Qt copies it rather than blend it.
  const bool translucent = start.alpha() < 255 || end.alpha() < 255;
  if (translucent) look.fill(Qt::transparent);
  const QRect area(QPoint(0, 0), size);
  QPainter p(&look);
  // From edge to edge of the panel, drawn by Qt at the device's resolution.
  if (translucent) p.fillRect(area, back);
  QLinearGradient g(area.topLeft(), mGradient->vertical ? QPointF(area.left(), area.top() + area.height())
                                                        : QPointF(area.left() + area.width(), area.top()));
  g.setColorAt(0, start);
  g.setColorAt(1, end);
  p.fillRect(area, g);
  p.end();
  looks->insert(key, look);
  return look;
}

void PanelNode::paintDrawing(QPainter& painter, const QPalette& palette) const {
  // Edges fall on whole device pixels: sharp at any pixel ratio, and at ratio 1 the pixels a
  // picture of the panel would have had.
  const double k = scale().pixelsPerTwip;
  const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
  auto at = [k, ratio](double twips) { return std::round(twips * k * ratio) / ratio; };
  for (const Stroke& s : mDrawing) {
    const QColor c = toQColor(s.color, palette);
    if (s.fill) {
      painter.fillRect(QRectF(QPointF(at(s.x1), at(s.y1)), QPointF(at(s.x2), at(s.y2))), c);
    } else if (s.x1 == s.x2 || s.y1 == s.y2) {
      // A pen one pixel wide, its end points included.
      const qreal left = at(std::min(s.x1, s.x2)), top = at(std::min(s.y1, s.y2));
      painter.fillRect(
          QRectF(left, top, at(std::max(s.x1, s.x2)) - left + 1, at(std::max(s.y1, s.y2)) - top + 1), c);
    } else {
      painter.setPen(QPen(c, 1));
      painter.drawLine(QLineF(at(s.x1), at(s.y1), at(s.x2), at(s.y2)));
    }
  }
}

const Node* PanelNode::buttonAt(QPointF px) const {
  const double k = scale().pixelsPerTwip;
  const Node* n = deepestAt(px.x() / k, px.y() / k);
  const auto* image = dynamic_cast<const ImageNode*>(n);
  return image && image->isButton() && image->enabled() ? n : nullptr;
}

bool PanelNode::hovered(const Node* button) const {
  return mMouse && button && buttonAt(*mMouse) == button;
}

bool PanelNode::pressed(const Node* button) const {
  return button && button == mPressed && !mPressedToken.expired() && hovered(button);
}

void PanelNode::pointerEvent(const QEvent& e) {
  const Node* hotBefore = mMouse ? buttonAt(*mMouse) : nullptr;
  const Node* pressedBefore = mPressed;
  switch (e.type()) {
    case QEvent::MouseMove:
      mMouse = static_cast<const QMouseEvent&>(e).position();
      break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
      mMouse = static_cast<const QMouseEvent&>(e).position();
      if (leftButton(e)) {
        mPressed = buttonAt(*mMouse);
        mPressedToken = mPressed ? mPressed->token() : std::weak_ptr<int>();
      }
      break;
    case QEvent::MouseButtonRelease:
      mMouse = static_cast<const QMouseEvent&>(e).position();
      if (leftButton(e)) mPressed = nullptr;
      break;
    case QEvent::Enter:
      mMouse = static_cast<const QEnterEvent&>(e).position();
      break;
    case QEvent::Leave:
    case QEvent::Hide:
      mMouse.reset();
      break;
    default:
      return;
  }
  const Node* hot = mMouse ? buttonAt(*mMouse) : nullptr;
  if (hot == hotBefore && mPressed == pressedBefore) return;
  // A button looks pressed only under the mouse: the look changed on these two alone.
  for (const Node* b : {hotBefore, hot})
    if (b) b->updateHost();
}

}  // namespace tov::qt::detail

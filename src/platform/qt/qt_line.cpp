#include <QPainter>
#include <algorithm>

#include "platform/qt/qt_nodes.h"

namespace tov::qt::detail {

LineNode::LineNode(Node& container) : QtElement(container.sharedState()) {
  setContainerNode(&container);
}

void LineNode::sync() {
  mLeft = Left();
  mTop = Top();
  mWidth = Width();
  mHeight = Height();
  updateHost();
  if (QWidget* h = hostWidget()) h->update();
}

void LineNode::setLeft(double v) {
  mPoints.setLeft(v);
  sync();
}

void LineNode::setTop(double v) {
  mPoints.setTop(v);
  sync();
}

void LineNode::setWidth(double v) {
  mPoints.setWidth(v);
  sync();
}

void LineNode::setHeight(double v) {
  mPoints.setHeight(v);
  sync();
}

void LineNode::setPoints(double x1, double y1, double x2, double y2) {
  mPoints = {x1, y1, x2, y2};
  sync();
}

void LineNode::setBorderColor(Color c) {
  mColor = c;
  updateHost();
}

std::unique_ptr<Element> LineNode::copyIn(Node& container) const {
  auto c = std::make_unique<LineNode>(container);
  copyProperties(*this, *c);
  return c;
}

void LineNode::paintSelf(QPainter& painter, const QPalette& palette, const QRect&) const {
  const Scale k = scale();
  const int x1 = k.px(mPoints.x1), y1 = k.px(mPoints.y1), x2 = k.px(mPoints.x2), y2 = k.px(mPoints.y2);
  const QColor c = toQColor(mColor, palette);
  if (x1 == x2 || y1 == y2) {
    // The pixels of a pen one pixel wide, filled: grip lines are drawn for every bar on each paint.
    painter.fillRect(
        QRect(QPoint(std::min(x1, x2), std::min(y1, y2)), QPoint(std::max(x1, x2), std::max(y1, y2))), c);
    return;
  }
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(QPen(c, 1));
  painter.drawLine(x1, y1, x2, y2);
  painter.restore();
}

}  // namespace tov::qt::detail

#include "platform/qt/qt_nodes.h"

#include <QPainter>

namespace tov::qt::detail {

SurfaceNode::SurfaceNode(std::shared_ptr<ToolkitState> state) : QtElement(std::move(state)) {
  auto* w = new ElementWidget(this, nullptr);
  w->setAttribute(Qt::WA_DeleteOnClose, false);
  mWidget.reset(w, this->state());
  // Designed 7560 x 6375 twips.
  mWidth = 7560;
  mHeight = 6375;
  w->setGeometry(pxRect());
  w->hide();
  mScreen.follow(w);
}

SurfaceNode::~SurfaceNode() = default;

void SurfaceNode::scaleChanged(const Scale& before) {
  // The surface keeps the pixels its container gave it; the twips it has change instead, as the
  // geometry of what lies on it does not.
  relayoutChildren(scale().pixelsPerTwip / before.pixelsPerTwip);
  const std::weak_ptr<int> alive = token();
  callHandler(state(), onMetricsChanged);
  if (alive.expired()) return;
  if (QWidget* w = widget()) {
    const Scale k = scale();
    mWidth = k.twips(w->width());
    mHeight = k.twips(w->height());
  }
  callHandler(state(), onResize);
}

Hwnd SurfaceNode::hWnd() const {
  return state().handleOf(widget());
}

void SurfaceNode::setBackColor(Color c) {
  mBackColor = c;
  if (QWidget* w = widget()) w->update();
}

void SurfaceNode::resizeTo(double width, double height, bool raise) {
  const bool changed = width != mWidth || height != mHeight;
  mWidth = width;
  mHeight = height;
  if (QWidget* w = widget()) {
    mApplying = true;
    w->setGeometry(pxRect());
    mApplying = false;
  }
  if (changed && raise) callHandler(state(), onResize);
}

void SurfaceNode::widgetResized(QSize s) {
  if (mApplying || s == pxRect().size()) return;
  const Scale k = scale();
  mWidth = k.twips(s.width());
  mHeight = k.twips(s.height());
  callHandler(state(), onResize);
}

Node& SurfaceNode::containerOf(Element* container) {
  if (!container) return *this;
  Node* n = asNode(container);
  if (!n) throw Failure::invalidValue("Container");
  return *n;
}

std::unique_ptr<Panel> SurfaceNode::createPanel(Element* container) {
  return std::make_unique<PanelNode>(containerOf(container));
}
std::unique_ptr<Label> SurfaceNode::createLabel(Element* container) {
  return std::make_unique<LabelNode>(containerOf(container));
}
std::unique_ptr<Image> SurfaceNode::createImage(Element* container) {
  return std::make_unique<ImageNode>(containerOf(container));
}
std::unique_ptr<Line> SurfaceNode::createLine(Element* container) {
  return std::make_unique<LineNode>(containerOf(container));
}
std::unique_ptr<ScrollBar> SurfaceNode::createScrollBar(Element* container) {
  return std::make_unique<ScrollBarNode>(containerOf(container));
}

std::unique_ptr<Element> SurfaceNode::clone() const {
  throw Failure("A dock surface cannot be copied", errInvalidCall);
}

std::unique_ptr<Element> SurfaceNode::copyIn(Node&) const {
  return clone();
}

void SurfaceNode::paintSelf(QPainter& painter, const QPalette& palette, const QRect& area) const {
  painter.fillRect(area, toQColor(mBackColor, palette));
}

void SurfaceNode::applyToolTip() {}

}  // namespace tov::qt::detail

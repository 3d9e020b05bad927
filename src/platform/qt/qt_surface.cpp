#include "platform/qt/qt_nodes.h"

#include <QCoreApplication>
#include <QPainter>
#include <algorithm>

namespace tov::qt::detail {

SurfaceNode::SurfaceNode(std::shared_ptr<ToolkitState> state) : QtElement(std::move(state)) {
  auto* w = new ElementWidget(this, nullptr);
  w->setAttribute(Qt::WA_DeleteOnClose, false);
  mWidget.reset(w, this->state());
  mStack = new StackWidget(this, w);
  // Designed 7560 x 6375 twips.
  mWidth = 7560;
  mHeight = 6375;
  w->setGeometry(pxRect());
  mStack->setGeometry(w->rect());
  w->hide();
  mScreen.follow(w);
}

SurfaceNode::~SurfaceNode() {
  // The widget may outlive the element for the length of a handler; so does the stack in it.
  if (mStack) mStack->detach();
}

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

void SurfaceNode::childrenPlaced() {
  if (mStack) mStack->fitLater();
}

void SurfaceNode::widgetResized(QSize s) {
  if (mStack) mStack->fit();
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
  return std::make_unique<PanelNode>(containerOf(container), true);
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

namespace {

/// A child widget that shows within its parent, or null.
const QWidget* shown(const QObject* o) {
  auto* w = qobject_cast<const QWidget*>(o);
  return w && !w->isHidden() && !w->isWindow() ? w : nullptr;
}

}  // namespace

void StackWidget::fit() {
  mFitPosted = false;
  QWidget* surface = parentWidget();
  // What lies under the stack: the scroll bar, when it shows.
  QRegion under;
  for (const QObject* o : surface->children()) {
    if (o != this && shown(o)) under += shown(o)->geometry();
  }
  int right = surface->width();
  QRegion hole;
  if (!under.isEmpty()) {
    // Scrolled, the stack copies the pixels of all it covers, and what of the scroll bar shows
    // through it would be painted again: it covers no more than its children do.
    int reach = 0;
    for (const QObject* o : children()) {
      if (const QWidget* w = shown(o)) reach = std::max(reach, w->geometry().right() + 1);
    }
    right = std::clamp(reach, std::min(under.boundingRect().left(), right), right);
    hole = under & QRect(0, 0, right, surface->height());
    if (!hole.isEmpty()) {
      for (const QObject* o : children()) {
        if (const QWidget* w = shown(o)) hole -= w->geometry();
      }
    }
  }
  if (const QRect to(0, 0, right, surface->height()); to != geometry()) setGeometry(to);
  const QRegion shape = hole.isEmpty() ? QRegion() : QRegion(rect()) - hole;
  if (shape == mask()) return;
  if (shape.isEmpty()) {
    clearMask();
  } else {
    setMask(shape);
  }
}

void StackWidget::fitLater() {
  if (mFitPosted) return;
  // Over nothing, the stack covers the whole surface wherever its children are.
  const QObjectList& siblings = parentWidget()->children();
  const bool over = std::any_of(siblings.begin(), siblings.end(),
                                [this](const QObject* o) { return o != this && shown(o); });
  if (!over && geometry() == parentWidget()->rect() && mask().isEmpty()) return;
  mFitPosted = true;
  // Posted events come before the paint Qt asks for: the mask is right when the stack is painted.
  QCoreApplication::postEvent(this, new QEvent(QEvent::LayoutRequest));
}

bool StackWidget::event(QEvent* e) {
  if (e->type() == QEvent::LayoutRequest) {
    if (mFitPosted) fit();
    return true;
  }
  return ElementWidget::event(e);
}

}  // namespace tov::qt::detail

#include <algorithm>

#include "platform/qt/qt_nodes.h"

namespace tov::qt::detail {

ScrollBarNode::ScrollBarNode(Node& container) : QtElement(container.sharedState()) {
  auto* w = new ScrollBarWidget(this, parentIn(container));
  w->hide();
  w->setRange(0, mMax);
  w->setSingleStep(mSmall);
  w->setPageStep(mLarge);
  mWidget.reset(w, state());
  QObject::connect(w, &QScrollBar::valueChanged, w, [w](int v) {
    if (auto* n = dynamic_cast<ScrollBarNode*>(w->node())) n->widgetValueChanged(v, w->isSliderDown());
  });
  QObject::connect(w, &QScrollBar::sliderPressed, w, [w] { w->pressValue = w->value(); });
  QObject::connect(w, &QScrollBar::sliderMoved, w, [w](int v) {
    if (auto* n = dynamic_cast<ScrollBarNode*>(w->node())) {
      n->mValue = v;
      callHandler(n->state(), n->onScroll);
    }
  });
  QObject::connect(w, &QScrollBar::sliderReleased, w, [w] {
    // The value followed the thumb without a change notification; the release reports it.
    if (auto* n = dynamic_cast<ScrollBarNode*>(w->node())) {
      if (w->value() != w->pressValue) callHandler(n->state(), n->onChange);
    }
  });
  setContainerNode(&container);
}

void ScrollBarNode::widgetValueChanged(int v, bool fromThumb) {
  mValue = v;
  if (!fromThumb) callHandler(state(), onChange);
}

void ScrollBarNode::setValue(std::int32_t v) {
  if (v < 0 || v > mMax) throw Failure::invalidValue("Value");
  if (v == mValue) return;
  if (auto* w = mWidget.get()) {
    w->setValue(v);
  } else {
    mValue = v;
    callHandler(state(), onChange);
  }
}

void ScrollBarNode::setMax(std::int32_t v) {
  if (v < 0) throw Failure::invalidValue("Max");
  mMax = v;
  if (auto* w = mWidget.get()) {
    w->setMaximum(v);
  } else if (mValue > v) {
    mValue = v;
    callHandler(state(), onChange);
  }
}

void ScrollBarNode::setSmallChange(std::int32_t v) {
  mSmall = v;
  if (auto* w = mWidget.get()) w->setSingleStep(std::max(1, v));
}

void ScrollBarNode::setLargeChange(std::int32_t v) {
  mLarge = v;
  if (auto* w = mWidget.get()) w->setPageStep(std::max(1, v));
}

std::unique_ptr<Element> ScrollBarNode::copyIn(Node& container) const {
  auto c = std::make_unique<ScrollBarNode>(container);
  copyProperties(*this, *c);
  c->bringToFront();
  return c;
}

void ScrollBarNode::applyToolTip() {
  if (auto* w = mWidget.get()) w->setToolTip(QString::fromStdString(mToolTip));
}

}  // namespace tov::qt::detail

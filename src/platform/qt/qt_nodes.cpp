#include "platform/qt/qt_nodes.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <cmath>

namespace tov::qt::detail {

namespace {

QPalette paletteOf(const QWidget* w) {
  return w ? w->palette() : QApplication::palette();
}

// Assigning a picture sizes an image to it at the classic 15 twips per pixel.
constexpr double kPictureTwips = kTwipsPerPixel96;

}  // namespace

// ---- panel -----------------------------------------------------------------------------------

PanelNode::PanelNode(Node& container) : QtElement(container.sharedState()) {
  auto* w = new ElementWidget(this, container.hostWidget());
  w->hide();
  mWidget.reset(w, state());
  setContainerNode(&container);
}

Hwnd PanelNode::hWnd() const {
  return state().handleOf(widget());
}

void PanelNode::setBackColor(Color c) {
  mBackColor = c;
  // As with a picture box, a new back colour erases what was drawn.
  if (!mBacking.isNull()) mBacking.fill(toQColor(c, paletteOf(widget())));
  if (QWidget* w = widget()) w->update();
}

void PanelNode::rescaled(double factor) {
  // What was drawn stays in view, stretched, until the owner draws it again at the new size.
  if (mBacking.isNull()) return;
  const QSize size(std::max(1, static_cast<int>(std::lround(mBacking.width() * factor))),
                   std::max(1, static_cast<int>(std::lround(mBacking.height() * factor))));
  mBacking = mBacking.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

void PanelNode::ensureBacking() {
  const Scale k = scale();
  const QSize need(std::max(1, k.px(mWidth)), std::max(1, k.px(mHeight)));
  if (mBacking.isNull() || mBacking.width() < need.width() || mBacking.height() < need.height()) {
    QImage grown(need.expandedTo(mBacking.size()), QImage::Format_RGB32);
    grown.fill(toQColor(mBackColor, paletteOf(widget())));
    if (!mBacking.isNull()) {
      QPainter copy(&grown);
      copy.drawImage(0, 0, mBacking);
    }
    mBacking = std::move(grown);
  }
}

void PanelNode::drawLine(double x1, double y1, double x2, double y2, Color c) {
  ensureBacking();
  {
    QPainter p(&mBacking);
    p.setPen(QPen(toQColor(c, paletteOf(widget())), 1));
    const Scale k = scale();
    p.drawLine(k.px(x1), k.px(y1), k.px(x2), k.px(y2));
  }
  if (QWidget* w = widget()) w->update();
}

void PanelNode::fillRect(double x1, double y1, double x2, double y2, Color c) {
  ensureBacking();
  const Scale k = scale();
  const QPoint a(k.px(std::min(x1, x2)), k.px(std::min(y1, y2)));
  const QPoint b(k.px(std::max(x1, x2)), k.px(std::max(y1, y2)));
  const QRect r = QRect(a, b).intersected(mBacking.rect());
  if (r.isEmpty()) return;
  // A title gradient is sixty of these per layout pass; rows are filled directly, without a painter.
  const QRgb rgb = toQColor(c, paletteOf(widget())).rgb();
  for (int y = r.top(); y <= r.bottom(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(mBacking.scanLine(y));
    std::fill(row + r.left(), row + r.right() + 1, rgb);
  }
  if (QWidget* w = widget()) w->update(r);
}

std::unique_ptr<Element> PanelNode::clone() const {
  auto c = std::make_unique<PanelNode>(cloneContainer());
  copyProperties(*this, *c);
  c->bringToFront();
  return c;
}

void PanelNode::paintSelf(QPainter& painter, const QPalette& palette, const QRect& area) const {
  painter.fillRect(area, toQColor(mBackColor, palette));
  if (!mBacking.isNull()) painter.drawImage(0, 0, mBacking);
}

// ---- label -----------------------------------------------------------------------------------

LabelNode::LabelNode(Node& container) : QtElement(container.sharedState()), mQFont(toQFont(mFont)) {
  setContainerNode(&container);
}

void LabelNode::fit() {
  if (mAutoSize) {
    // Measured as on the screen the label is shown on, whose DPI sizes the font's pixels.
    const QWidget* host = hostWidget();
    const QFontMetrics fm = host ? QFontMetrics(mQFont, host) : QFontMetrics(mQFont);
    mWidth = scale().twips(fm.horizontalAdvance(mText));
  }
  geometryChanged();
}

void LabelNode::setCaption(const std::string& v) {
  // Measuring the text again would give the width it has.
  if (v == mCaption) return;
  mCaption = v;
  mText = QString::fromStdString(v);
  fit();
}

void LabelNode::setAutoSize(bool v) {
  mAutoSize = v;
  fit();
}

void LabelNode::setAlignment(Align a) {
  mAlign = a;
  updateHost();
}

void LabelNode::setFont(const Font& f) {
  mFont = f;
  mQFont = toQFont(f);
  fit();
}

void LabelNode::setForeColor(Color c) {
  mForeColor = c;
  updateHost();
}

std::unique_ptr<Element> LabelNode::clone() const {
  auto c = std::make_unique<LabelNode>(cloneContainer());
  copyProperties(*this, *c);
  return c;
}

void LabelNode::paintSelf(QPainter& painter, const QPalette& palette, const QRect& area) const {
  if (mText.isEmpty()) return;
  const int h = mAlign == Align::Right    ? Qt::AlignRight
                : mAlign == Align::Center ? Qt::AlignHCenter
                                          : Qt::AlignLeft;
  painter.save();
  painter.setClipRect(area, Qt::IntersectClip);
  painter.setFont(mQFont);
  painter.setPen(toQColor(mForeColor, palette));
  painter.drawText(area, h | Qt::AlignVCenter | Qt::TextSingleLine, mText);
  painter.restore();
}

// ---- image -----------------------------------------------------------------------------------

ImageNode::ImageNode(Node& container) : QtElement(container.sharedState()) {
  setContainerNode(&container);
}

void ImageNode::setPicture(PictureRef p) {
  mPicture = std::move(p);
  mImage = state().pictures.image(mPicture);
  if (mPicture) {
    mWidth = mPicture->width * kPictureTwips;
    mHeight = mPicture->height * kPictureTwips;
  }
  geometryChanged();
}

std::unique_ptr<Element> ImageNode::clone() const {
  auto c = std::make_unique<ImageNode>(cloneContainer());
  copyProperties(*this, *c);
  return c;
}

void ImageNode::paintSelf(QPainter& painter, const QPalette&, const QRect& area) const {
  if (mImage.isNull() || area.isEmpty()) return;
  painter.save();
  painter.setRenderHint(QPainter::SmoothPixmapTransform, area.size() != mImage.size());
  painter.drawImage(area, mImage);
  painter.restore();
}

// ---- line ------------------------------------------------------------------------------------

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

std::unique_ptr<Element> LineNode::clone() const {
  auto c = std::make_unique<LineNode>(cloneContainer());
  copyProperties(*this, *c);
  return c;
}

void LineNode::paintSelf(QPainter& painter, const QPalette& palette, const QRect&) const {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(QPen(toQColor(mColor, palette), 1));
  const Scale k = scale();
  painter.drawLine(k.px(mPoints.x1), k.px(mPoints.y1), k.px(mPoints.x2), k.px(mPoints.y2));
  painter.restore();
}

// ---- scroll bar ------------------------------------------------------------------------------

ScrollBarNode::ScrollBarNode(Node& container) : QtElement(container.sharedState()) {
  auto* w = new ScrollBarWidget(this, container.hostWidget());
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

std::unique_ptr<Element> ScrollBarNode::clone() const {
  auto c = std::make_unique<ScrollBarNode>(cloneContainer());
  copyProperties(*this, *c);
  c->bringToFront();
  return c;
}

void ScrollBarNode::applyToolTip() {
  if (auto* w = mWidget.get()) w->setToolTip(QString::fromStdString(mToolTip));
}

}  // namespace tov::qt::detail

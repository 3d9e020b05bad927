#include <QFontMetrics>
#include <QPainter>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

#include "platform/qt/qt_nodes.h"

namespace tov::qt::detail {

namespace {

// A caption within this of its full extent (in twips) is shown whole.
constexpr double kSpanSlack = 0.5;

/// Where a caption of a title row is shown, in its container's twips.
struct Span {
  double left, right;
};

/// The room a caption has in its row. The left caption ends before the first image after it (the
/// buttons); the right one, placed before the buttons by the dock, starts after the left one. When
/// the two meet, the right one gives way down to two fifths of their room and the left one takes
/// the rest. Only the drawing is shortened: hit tests keep the dock's geometry.
Span captionSpan(const LabelNode& label) {
  const Span whole{label.mLeft, label.mLeft + label.mWidth};
  const Node* row = label.container();
  if (!row) return whole;
  const LabelNode* first = nullptr;
  const LabelNode* second = nullptr;
  for (const Node* n : row->windowless()) {
    if (n->self().kind() != Element::Kind::Label) continue;
    const auto* l = static_cast<const LabelNode*>(n);
    if (!l->mVisible || l->text().isEmpty()) continue;
    (l->Alignment() == Label::Align::Right ? second : first) = l;
  }
  if (&label != first && &label != second) return whole;
  const double k = label.scale().pixelsPerTwip;
  // Captions keep a few pixels apart; the dock's gap before the buttons is kept as it is.
  const double gap = 6 / k, buttonGap = 2 / k;
  double end = row->mWidth;
  const double from = first ? first->mLeft : label.mLeft;
  for (const Node* n : row->windowless()) {
    if (n->mVisible && n->self().kind() == Element::Kind::Image && n->mLeft > from)
      end = std::min(end, n->mLeft);
  }
  Span left = first ? Span{first->mLeft, std::min(first->mLeft + first->mWidth, end - buttonGap)} : Span{};
  Span right = second ? Span{second->mLeft, second->mLeft + second->mWidth} : Span{};
  if (first && second && left.right + gap > right.left) {
    const double room = right.right - left.left - gap;
    const double share = std::min(second->mWidth, std::max(room - (left.right - left.left), room * 0.4));
    right.left = right.right - std::max(0.0, share);
    left.right = std::min(left.right, right.left - gap);
  }
  return &label == first ? left : right;
}

}  // namespace

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

std::unique_ptr<Element> LabelNode::copyIn(Node& container) const {
  // What copyProperties leaves, without measuring the caption: the copy ends with this label's
  // width whatever its caption measured. Every bar's captions are copies.
  auto c = std::make_unique<LabelNode>(container);
  c->mFont = mFont;
  c->mQFont = mQFont;
  c->mAlign = mAlign;
  c->mForeColor = mForeColor;
  c->mAutoSize = mAutoSize;
  c->mCaption = mCaption;
  c->mText = mText;
  c->mLeft = mLeft;
  c->mTop = mTop;
  c->mWidth = mWidth;
  c->mHeight = mHeight;
  c->geometryChanged();
  c->setToolTipText(mToolTip);
  c->setMouseIcon(mIcon);
  c->setMousePointer(mPointer);
  return c;
}

const LabelNode::Shaped& LabelNode::shaped(const QPaintDevice* device, int room) const {
  const int dpi = device ? device->logicalDpiY() : 0;
  if (mShaped && mShaped->room == room && mShaped->dpi == dpi && mShaped->source == mText &&
      mShaped->font == mQFont) {
    return *mShaped;
  }
  QString text = mText;
  if (room >= 0) {
    const QWidget* host = hostWidget();
    const QFontMetrics fm = host ? QFontMetrics(mQFont, host) : QFontMetrics(mQFont);
    text = fm.elidedText(mText, Qt::ElideRight, room);
  }
  // One line, as drawText with Qt::TextSingleLine lays it out: breaks become spaces, trailing
  // spaces count, and the height is the line's without its leading.
  for (QChar& c : text) {
    if (c == u'\n' || c == u'\r') c = u' ';
  }
  QTextOption option;
  option.setWrapMode(QTextOption::NoWrap);
  option.setFlags(QTextOption::IncludeTrailingSpaces);
  // Shaped once: the line gives the size and the glyphs that are drawn.
  Shaped s{mText, mQFont, room, dpi, {}, {}};
  if (!text.isEmpty()) {
    QTextLayout layout(text, mQFont, const_cast<QPaintDevice*>(device));
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(0x01000000);
    s.size = QSizeF(line.naturalTextWidth(), line.height());
    layout.endLayout();
    s.glyphs = line.glyphRuns();
  }
  mShaped = std::move(s);
  return *mShaped;
}

void LabelNode::paintSelf(QPainter& painter, const QPalette& palette, const QRect& area) const {
  if (mText.isEmpty()) return;
  QRect shown = area;
  int room = -1;
  const Span span = captionSpan(*this);
  if (span.left > mLeft + kSpanSlack || span.right < mLeft + mWidth - kSpanSlack) {
    // The caption does not fit between its neighbours: it is shortened with an ellipsis there.
    const double k = scale().pixelsPerTwip;
    const int left = area.left() + static_cast<int>(std::ceil((span.left - mLeft) * k));
    const int right = area.left() + static_cast<int>(std::floor((span.right - mLeft) * k));
    shown = QRect(left, area.top(), std::max(0, right - left), area.height());
    room = shown.width();
  }
  const Shaped& text = shaped(painter.device(), room);
  if (text.glyphs.isEmpty()) return;
  // Placed as drawText places a single line in a rectangle.
  const qreal x = mAlign == Align::Right    ? shown.width() - text.size.width()
                  : mAlign == Align::Center ? (shown.width() - text.size.width()) / 2
                                            : 0;
  const QPointF at(shown.left() + x, shown.top() + (shown.height() - text.size.height()) / 2);
  const bool inside = QRectF(shown).contains(QRectF(at, text.size));
  if (!inside) {
    painter.save();
    painter.setClipRect(shown, Qt::IntersectClip);
  }
  painter.setPen(toQColor(mForeColor, palette));
  for (const QGlyphRun& run : text.glyphs)
    painter.drawGlyphRun(at, run);
  if (!inside) painter.restore();
}

}  // namespace tov::qt::detail

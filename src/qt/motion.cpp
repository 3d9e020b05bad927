// The glide of a dock's panes: after a change the dock is laid out at once; a picture of the new
// layout, cut into its panes, is painted over it and moved from the old places to the new ones.
#include "motion.h"

#include <QApplication>
#include <QEasingCurve>
#include <QEvent>
#include <QPainter>
#include <QStyle>
#include <QVariantAnimation>
#include <algorithm>
#include <cmath>

#include "dock_widget_p.h"
#include "keyboard.h"
#include "tovdock/qt/qt_toolkit.h"

namespace tov::qt::detail {

namespace {

constexpr int kDuration = 150;

QRect between(const QRect& a, const QRect& b, double t) {
  auto mix = [t](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
  return QRect(mix(a.x(), b.x()), mix(a.y(), b.y()), mix(a.width(), b.width()), mix(a.height(), b.height()));
}

}  // namespace

/// The picture over the dock while the panes glide; the mouse goes through it to the dock.
class MotionOverlay : public QWidget {
 public:
  struct Piece {
    QString key;
    QRect from, to, now;
    /// Where the pane stands in the layout.
    QRect real;
    /// The pane in the new layout, in the shot's device pixels; empty for a pane that went.
    QRectF source;
  };

  explicit MotionOverlay(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("tovdock_motion"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
  }

  QPixmap shot;
  QList<Piece> pieces;
  QColor background, paneBackground;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), background);
    const double ratio = shot.devicePixelRatio();
    for (const Piece& piece : pieces) {
      if (piece.now.height() <= 0) continue;
      p.fillRect(piece.now, paneBackground);
      if (piece.source.isEmpty()) continue;
      // The pane's picture from its top, as far as its glide has opened it.
      const int h = std::min(piece.now.height(), piece.real.height());
      QRectF source = piece.source;
      source.setHeight(h * ratio);
      p.drawPixmap(QRectF(piece.now.x(), piece.now.y(), piece.to.width(), h), shot, source);
    }
  }
};

Motion::Motion(DockWidget* dock) : QObject(dock), mDock(dock), mAnimation(new QVariantAnimation(this)) {
  mAnimation->setStartValue(0.0);
  mAnimation->setEndValue(1.0);
  mAnimation->setDuration(kDuration);
  mAnimation->setEasingCurve(QEasingCurve::OutCubic);
  connect(mAnimation, &QVariantAnimation::valueChanged, this,
          [this](const QVariant& v) { step(v.toDouble()); });
  connect(mAnimation, &QVariantAnimation::finished, this, [this] {
    if (mPartAt < 0) finish();
  });
  dock->installEventFilter(this);
  qApp->installEventFilter(this);
}

Motion::~Motion() {
  // A running animation stopped by its deletion tells nothing to what is already half gone.
  QObject::disconnect(mAnimation, nullptr, this, nullptr);
}

bool Motion::eventFilter(QObject* watched, QEvent* e) {
  switch (e->type()) {
    case QEvent::Show:
    case QEvent::Resize:
      if (watched == mDock) recordLater();
      return false;
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
    case QEvent::KeyPress:
      // The drag moves its marker when the event is handled: the gap follows then.
      if (!mFollowPosted && (mPartAt >= 0 || DockWidgetPrivate::get(mDock)->toolkit->dragging())) {
        mFollowPosted = true;
        QMetaObject::invokeMethod(
            this, [this] { followDrag(); }, Qt::QueuedConnection);
      }
      return false;
    default:
      return false;
  }
}

void Motion::followDrag() {
  mFollowPosted = false;
  const QtToolkit& toolkit = *DockWidgetPrivate::get(mDock)->toolkit;
  const DropHint hint = toolkit.dragging() ? toolkit.dropHint() : DropHint();
  if (hint.kind == DropHint::Kind::Line) {
    part(DockWidgetPrivate::get(mDock)->toPixels(hint.y1), false);
  } else if (!mPartedFromOutside) {
    part(-1, false);
  }
}

void Motion::part(int y, bool fromOutside) {
  if (y == mPartAt || !animated() || !mDock->isVisible()) return;
  mPartAt = y;
  mPartedFromOutside = fromOutside && y >= 0;
  const QHash<QString, QRect> real = frames();
  QHash<QString, QRect> to = real;
  // Room for a title strip where the pane would land.
  const int gap = mDock->fontMetrics().height() * 3 / 2;
  if (y >= 0)
    for (QRect& r : to)
      if (r.top() >= y - 1) r.translate(0, gap);
  const bool painted = mOverlay && mOverlay->isVisible();
  QHash<QString, QRect> from = real;
  if (painted)
    for (const MotionOverlay::Piece& piece : mOverlay->pieces)
      from.insert(piece.key, piece.now);
  glide(from, to, real, !painted);
}

void Motion::recordLater() {
  if (mRecordPosted || !animated()) return;
  mRecordPosted = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        mRecordPosted = false;
        if (mStartPosted || mAnimation->state() == QAbstractAnimation::Running) return;
        mLast = frames();
        mLastSize = mDock->size();
      },
      Qt::QueuedConnection);
}

void Motion::setAnimated(bool on) {
  mAnimated = on;
  if (on) {
    recordLater();
    return;
  }
  mAnimation->stop();
  mPartAt = -1;
  mPartedFromOutside = false;
  finish();
  mLast.clear();
}

bool Motion::animated() const {
  return mAnimated.value_or(mDock->style()->styleHint(QStyle::SH_Widget_Animation_Duration, nullptr, mDock) >
                            0);
}

QHash<QString, QRect> Motion::frames() const {
  QHash<QString, QRect> out;
  const TitleKeys* keys = TitleKeys::of(mDock);
  for (Pane* p : DockWidgetPrivate::get(mDock)->panes) {
    const QWidget* frame = keys->frameOf(p);
    if (frame && frame->isVisible())
      out.insert(p->key(), QRect(frame->mapTo(mDock, QPoint(0, 0)), frame->size()));
  }
  return out;
}

void Motion::layoutChanged() {
  if (!animated() || mStartPosted) return;
  mPartAt = -1;
  mPartedFromOutside = false;
  // The glide starts from where the panes are painted now: their last places, or the places a glide
  // under way has reached.
  if (mOverlay && mOverlay->isVisible()) {
    mLast.clear();
    for (const MotionOverlay::Piece& piece : mOverlay->pieces)
      if (piece.now.height() > 0) mLast.insert(piece.key, piece.now);
  }
  mStartPosted = true;
  // Once the dock's run is over: its handlers are not the place to take a picture.
  QMetaObject::invokeMethod(
      this, [this] { start(); }, Qt::QueuedConnection);
}

void Motion::start() {
  mStartPosted = false;
  const QHash<QString, QRect> to = frames();
  const QHash<QString, QRect> from = std::exchange(mLast, to);
  const bool resized = std::exchange(mLastSize, mDock->size()) != mDock->size();
  if (from.isEmpty() || resized || from == to || !mDock->isVisible() || !animated()) {
    mAnimation->stop();
    finish();
    return;
  }
  glide(from, to, to, true);
}

void Motion::glide(const QHash<QString, QRect>& from, const QHash<QString, QRect>& to,
                   const QHash<QString, QRect>& real, bool newShot) {
  if (!mOverlay) mOverlay = new MotionOverlay(mDock);
  QWidget* surface = mDock->surfaceWidget();
  if (newShot) {
    mOverlay->hide();
    mOverlay->shot = surface ? surface->grab() : QPixmap();
  }
  const double ratio = mOverlay->shot.devicePixelRatio();
  mOverlay->background = mDock->color(DockWidget::Background);
  mOverlay->paneBackground = mDock->color(DockWidget::PaneBackground);
  mOverlay->pieces.clear();
  QList<QString> keys = to.keys();
  for (const QString& k : from.keys())
    if (!to.contains(k)) keys.append(k);
  for (const QString& k : keys) {
    MotionOverlay::Piece piece;
    piece.key = k;
    // A pane shown or hidden opens from or closes to no height at its place.
    piece.to = to.value(k);
    piece.from = from.contains(k) ? from.value(k) : QRect(piece.to.x(), piece.to.y(), piece.to.width(), 0);
    if (!to.contains(k)) piece.to = QRect(piece.from.x(), piece.from.y(), piece.from.width(), 0);
    piece.real = real.value(k);
    if (real.contains(k) && surface) {
      const QRect r(surface->mapFrom(mDock, piece.real.topLeft()), piece.real.size());
      piece.source = QRectF(r.x() * ratio, r.y() * ratio, r.width() * ratio, r.height() * ratio);
    }
    piece.now = piece.from;
    mOverlay->pieces.append(piece);
  }
  mOverlay->setGeometry(mDock->rect());
  mAnimation->stop();
  step(0.0);
  mOverlay->show();
  mOverlay->raise();
  mAnimation->start();
}

void Motion::step(double t) {
  if (!mOverlay) return;
  QVariantMap now;
  for (MotionOverlay::Piece& piece : mOverlay->pieces) {
    piece.now = between(piece.from, piece.to, t);
    now.insert(piece.key, piece.now);
  }
  // What is painted, for those who follow the glide frame by frame.
  mOverlay->setProperty("frames", now);
  mOverlay->update();
}

void Motion::finish() {
  if (!mOverlay) return;
  mOverlay->hide();
  mOverlay->shot = QPixmap();
  mOverlay->pieces.clear();
}

}  // namespace tov::qt::detail

namespace tov::qt {

void DockWidget::setAnimated(bool on) {
  d->motion->setAnimated(on);
}

bool DockWidget::isAnimated() const {
  return d->motion->animated();
}

}  // namespace tov::qt

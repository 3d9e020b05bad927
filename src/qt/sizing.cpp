// Panes sized for their content: the hosted widgets' size hints in their bars, in twips, and the
// widgets filling their bodies to the pixel.
#include "sizing.h"

#include <QEvent>
#include <QPointer>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <utility>

#include "dock_widget_p.h"
#include "pane_p.h"
#include "tovdock/qt/dock_widget.h"
#include "tovdock/qt/qt_toolkit.h"

namespace tov::qt::detail {

namespace {

/// The designed size of the dock and the least one, in twips.
constexpr double kDesignWidth = 4500, kDesignHeight = 6375;
constexpr double kLeastWidth = 500, kLeastHeight = 200;

}  // namespace

PaneSizing::PaneSizing(DockWidget* dock) : QObject(dock), mDock(dock) {}

void PaneSizing::watch(Pane* pane) {
  // A widget with a layout hears of its own changes; one without asks its frame to lay it out.
  if (QWidget* w = pane->widget()) {
    w->installEventFilter(this);
    mWatched.insert(w, {w, pane});
    if (QWidget* frame = w->parentWidget(); frame && frame != mDock) {
      frame->installEventFilter(this);
      mWatched.insert(frame, {frame, pane});
    }
  }
  take(pane);
}

void PaneSizing::stop() {
  for (const Watched& w : std::as_const(mWatched))
    if (w.object) w.object->removeEventFilter(this);
  mWatched.clear();
}

void PaneSizing::fill(Pane* pane) {
  QWidget* w = pane->widget();
  QWidget* frame = w ? w->parentWidget() : nullptr;
  const DockRef dock = coreDock(mDock);
  if (!frame || !dock || !dock->FitToDock() || pane->state() != PaneState::Expanded) return;
  const BarElementsView e = dock->elementsOf(PanePrivate::bar(pane)->Index());
  const int end =
      e.splitter && e.splitter->Visible() ? QtToolkit::pixelRect(*e.splitter).y() : frame->height();
  const QRect now = w->geometry();
  QRect want = now;
  want.setRight(frame->width() - 1);
  want.setBottom(end - 1);
  if (want == now || std::abs(want.right() - now.right()) > 1 || std::abs(want.bottom() - now.bottom()) > 1)
    return;
  mFilling = true;
  // The widget's resize may run a slot that deletes the dock, and this with it.
  const QPointer<PaneSizing> self = this;
  w->setGeometry(want);
  if (self) mFilling = false;
}

bool PaneSizing::take(Pane* pane) {
  const QWidget* w = pane->widget();
  cTovBar* bar = PanePrivate::bar(pane).get();
  if (!w || !bar) return false;
  const DockWidgetPrivate* d = DockWidgetPrivate::get(mDock);
  // Rounded up: a body of these twips is at least as many pixels as the widget asks for.
  auto twips = [&](int pixels) {
    return static_cast<std::int32_t>(std::ceil(std::max(0, pixels) / d->pixelsPerTwip() - 1e-9));
  };
  const QSize least = w->minimumSizeHint();
  const int leastHeight = w->minimumHeight() > 0 ? w->minimumHeight() : least.height();
  const int leastWidth = w->minimumWidth() > 0 ? w->minimumWidth() : least.width();
  const std::int32_t minimum = twips(leastHeight);
  const std::int32_t preferred = std::max(minimum, twips(w->sizeHint().height()));
  const std::int32_t width = twips(leastWidth);
  if (bar->MinBodyHeight() == minimum && bar->PreferredBodyHeight() == preferred &&
      bar->MinBodyWidth() == width)
    return false;
  bar->setMinBodyHeight(minimum);
  bar->setPreferredBodyHeight(preferred);
  bar->setMinBodyWidth(width);
  return true;
}

bool PaneSizing::take() {
  bool changed = false;
  for (Pane* p : DockWidgetPrivate::get(mDock)->panes)
    changed = take(p) || changed;
  return changed;
}

bool PaneSizing::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if ((type == QEvent::Resize || type == QEvent::Move || type == QEvent::Show) && !mFilling) {
    const QPointer<Pane> p = mWatched.value(watched).pane;
    const QWidget* w = p ? p->widget() : nullptr;
    // The fill may run a slot that deletes the dock, and this with it: nothing of this after it.
    if (w && (w == watched || w->parentWidget() == watched)) fill(p);
    return false;
  }
  if (type == QEvent::LayoutRequest && !mPending) {
    mPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
          mPending = false;
          if (!take()) return;
          const QPointer<DockWidget> dock = mDock;
          if (DockRef core = coreDock(mDock)) core->relayout();
          if (dock) dock->updateGeometry();
        },
        Qt::QueuedConnection);
  }
  return false;
}

QSize PaneSizing::minimumSize() const {
  const DockWidgetPrivate* d = DockWidgetPrivate::get(mDock);
  const DockRef& dock = d->dock;
  if (!dock || !dock->FitToDock()) return {d->toPixels(kLeastWidth), d->toPixels(kLeastHeight)};
  // With scrolling, the stack needs no more than the dock's least height.
  const double height = dock->AllowScroll() ? kLeastHeight : dock->MinimumHeight();
  const double ppt = d->pixelsPerTwip();
  return {static_cast<int>(std::ceil(dock->MinimumWidth() * ppt)), static_cast<int>(std::ceil(height * ppt))};
}

QSize PaneSizing::preferredSize() const {
  const DockWidgetPrivate* d = DockWidgetPrivate::get(mDock);
  const DockRef& dock = d->dock;
  const QSize least = minimumSize();
  if (!dock || !dock->FitToDock() || dock->AllowScroll())
    return least.expandedTo({d->toPixels(kDesignWidth), d->toPixels(kDesignHeight)});
  return least.expandedTo({d->toPixels(kDesignWidth), d->toPixels(dock->PreferredHeight())});
}

}  // namespace tov::qt::detail

namespace tov::qt {

void DockWidget::setFitToContent(bool on) {
  const DockRef dock = d->dock;
  // The dock's handlers may delete this widget or its panes, through a slot or a widget's code.
  const QPointer<DockWidget> self = this;
  TovDock::Batch batch(*dock);
  dock->setFitToDock(on);
  // Panes added while fitted have no height of their own until a fit gives them one.
  if (self && !on) {
    for (const QPointer<Pane>& p : QList<QPointer<Pane>>(d->panes.begin(), d->panes.end())) {
      const BarRef b = p ? PanePrivate::bar(p) : nullptr;
      if (b && b->State() == eBarExpanded && b->Height() <= 0) b->setHeight(DockWidgetPrivate::kStartHeight);
      if (b && b->State() == eBarCollapsed && b->HeightExpanded() <= 0)
        b->setHeightExpanded(DockWidgetPrivate::kStartHeight);
    }
  }
  dock->relayout();
  if (self) updateGeometry();
}

bool DockWidget::fitsToContent() const {
  return d->dock->FitToDock();
}

}  // namespace tov::qt

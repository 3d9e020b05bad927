#include "tovdock/qt/dock_widget.h"

#include <QApplication>
#include <QCursor>
#include <QMetaObject>
#include <QResizeEvent>
#include <algorithm>
#include <cmath>
#include <utility>

#include "accessible.h"
#include "dock_widget_p.h"
#include "keyboard.h"
#include "last_pane.h"
#include "motion.h"
#include "palette_host.h"
#include "pane_p.h"
#include "sizing.h"
#include "texts.h"
#include "title_click.h"
#include "undo.h"

namespace tov::qt {

DockWidget::DockWidget(QWidget* parent) : QWidget(parent), d(std::make_unique<DockWidgetPrivate>(this)) {
  d->toolkit = std::make_shared<QtToolkit>();
  // Before the dock's first widget is made: Qt keeps the first interface it finds for a widget.
  detail::installAccessibility();
  d->dock = TovDock::create(d->toolkit);
  d->keys = new detail::TitleKeys(this);
  d->clicks = new detail::TitleClicks(this);
  d->toolkit->setTextPresenter(&detail::presented);
  d->sizing = new detail::PaneSizing(this);
  d->undo = new detail::UndoWatch(this);
  d->motion = new detail::Motion(this);
  d->dock->setFitToDock(true);
  // The stored layout is shared with other runs of the application and may be busy or damaged.
  d->dock->setGuardedRecords(true);
  Surface& surface = d->dock->surface();
  if (QWidget* s = QtToolkit::widgetOf(surface)) s->setParent(this);
  surface.setLeft(0);
  surface.setTop(0);
  surface.setVisible(true);
  // The dock belongs to this widget and is terminated before it, so the handlers never outlive it.
  // A handler may delete this widget: nothing of it is touched after that.
  DockRef& dock = d->dock;
  dock->Closed = [this](std::string& key) {
    const DockWidgetPrivate::HandlerScope scope(*d);
    if (d->events.closed) d->events.closed(key);
    if (Pane* p = scope.widget ? d->paneOfCoreKey(key) : nullptr) emit paneClosed(p->key());
  };
  dock->CtlResize = [this](std::string& key) {
    if (!d->events.ctlResize) return;
    // Qt goes on with this widget after its own resize: the application's handler,
    // which may delete it, waits for the event loop then.
    if (d->ownEvents > 0) {
      QMetaObject::invokeMethod(
          this,
          [this, key] {
            std::string k = key;
            const DockWidgetPrivate::HandlerScope scope(*d);
            if (d->events.ctlResize) d->events.ctlResize(k);
          },
          Qt::QueuedConnection);
      return;
    }
    const DockWidgetPrivate::HandlerScope scope(*d);
    d->events.ctlResize(key);
  };
  dock->OptShow = [this](std::string& key, bool& reload) {
    const DockWidgetPrivate::HandlerScope scope(*d);
    if (d->events.optShow) d->events.optShow(key, reload);
    if (Pane* p = scope.widget ? d->paneOfCoreKey(key) : nullptr) emit optionsRequested(p->key());
  };
  dock->RightClick = [this](std::string& key) {
    const DockWidgetPrivate::HandlerScope scope(*d);
    if (d->events.rightClick) d->events.rightClick(key);
    if (!scope.widget) return;
    Pane* p = key.empty() ? nullptr : d->paneOfCoreKey(key);
    if (key.empty() || p)
      emit contextMenuRequested(p ? p->key() : QString(), d->menuAt.value_or(QCursor::pos()));
  };
  // The panes' state signals follow every change of the layout, and so do the size hints; the
  // widget's signal waits for the event loop, so that a run of changes is told once.
  dock->LayoutChanged = [this] {
    const DockWidgetPrivate::HandlerScope scope(*d);
    updateGeometry();
    d->motion->layoutChanged();
    d->syncStates();
    if (!scope.widget) return;
    detail::markLastShown(this);
    d->queueLayoutChanged();
  };
  // Panes of docks with other object names keep records of their own.
  connect(this, &QObject::objectNameChanged, this, [this] {
    for (Pane* p : d->panes)
      PanePrivate::bar(p)->setKey(d->coreKey(p->key()));
  });
  // The dock's own host services, which give it the colours of this widget's palette.
  setAutoSave(true);
  d->applyColors();
}

DockWidget::~DockWidget() {
  d->sizing->stop();
  DockRef dock = std::move(d->dock);
  // Deleted by a slot that one of the dock's runs called: the widget whose event or signal runs it
  // may be any of the dock's. They leave the application's window now and are deleted when control
  // returns to the event loop.
  const bool running = dock && (dock->inRun() || d->ownEvents > 0 || d->showing > 0);
  // The panes' widgets are deleted with this one, after its private part: they tell it nothing. A
  // widget the application moved into another window stays there: the dock lets go of it rather
  // than hand it back to this widget, which may be half destroyed with its window.
  for (Pane* p : d->panes) {
    QWidget* w = p->widget();
    if (!w) continue;
    QObject::disconnect(w, nullptr, this, nullptr);
    const bool away = !isAncestorOf(w);
    if (away || running) {
      if (auto c = std::dynamic_pointer_cast<WidgetControl>(PanePrivate::bar(p)->Control())) c->release();
    }
    if (running && !away) {
      w->hide();
      w->setParent(nullptr);
      w->deleteLater();
    }
  }
  if (!dock) return;
  dock->Closed = nullptr;
  dock->CtlResize = nullptr;
  dock->OptShow = nullptr;
  dock->RightClick = nullptr;
  dock->LayoutChanged = nullptr;
  if (!running) {
    dock->Terminate();
    return;
  }
  const QtToolkit::EventScope scope(*d->toolkit);
  dock->Terminate();
  if (QWidget* surface = QtToolkit::widgetOf(dock->surface())) {
    surface->hide();
    surface->setParent(nullptr);
    surface->deleteLater();
  }
}

QWidget* DockWidget::surfaceWidget() const {
  return d->dock ? QtToolkit::widgetOf(d->dock->surface()) : nullptr;
}

QSize DockWidget::sizeHint() const {
  return d->sizing->preferredSize();
}

QSize DockWidget::minimumSizeHint() const {
  return d->sizing->minimumSize();
}

void DockWidget::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  d->flushLayout();
  // The dock activates itself the first time it is shown: loads the layout and lays the panes out.
  if (d->dock && !d->dock->Show() && !d->activated) {
    d->activated = true;
    // The dock's widgets are already on screen here, and each one shown in a visible parent is
    // shown at once on its own. Laid out hidden, they are shown together, as the window shows its
    // own widgets.
    const QPointer<QWidget> surface = surfaceWidget();
    const bool together = surface && surface->isVisible();
    if (together) surface->hide();
    // A handler run by the first layout may delete this widget.
    const QPointer<DockWidget> self = this;
    DockRef dock = d->dock;
    dock->setShow(true);
    if (together && surface) surface->show();
    if (!self) return;
  }
  d->keys->order();
  // A dock of one pane tells no change of its layout when it shows.
  detail::markLastShown(this);
}

void DockWidget::changeEvent(QEvent* e) {
  QWidget::changeEvent(e);
  if (e->type() != QEvent::PaletteChange && e->type() != QEvent::ApplicationPaletteChange) return;
  // Qt goes on with this widget, and QApplication with every other, after the change: the colours,
  // whose repaint may show a hosted widget and so run its code, follow when control returns to the
  // event loop, before the next paint. A run of palette changes is applied once.
  if (std::exchange(d->colorsDue, true)) return;
  QMetaObject::invokeMethod(
      this,
      [this] {
        d->colorsDue = false;
        d->applyColors();
      },
      Qt::QueuedConnection);
}

void DockWidget::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  // The surface's own size in twips, which need not be whole, given as its container gives it; the
  // hints in twips of this screen.
  d->sizing->take();
  const DockWidgetPrivate::OwnEvent own(*d);
  if (DockRef dock = d->dock)
    QtToolkit::resizeSurface(dock->surface(), width() / d->pixelsPerTwip(), height() / d->pixelsPerTwip());
}

void DockWidget::setScrollable(bool on) {
  if (on == isScrollable()) return;
  const DockRef dock = d->dock;
  const QPointer<DockWidget> self = this;  // a handler of the dock may delete it
  TovDock::Batch batch(*dock);
  dock->setAllowScroll(on);
  dock->relayout();
  if (self) updateGeometry();
}

bool DockWidget::isScrollable() const {
  return d->dock->AllowScroll();
}

void DockWidget::showAllPanes() {
  if (!d->settle()) return;
  const DockRef dock = d->dock;
  dock->ShowElement(0);
}

void DockWidget::resetLayout() {
  if (!d->settle()) return;
  const QPointer<DockWidget> self = this;
  const DockRef dock = d->dock;
  d->relayoutAfterRun();
  TovDock::Batch batch(*dock);
  dock->ShowElement(-1);
  if (!self || !dock->Show()) return;
  // The dock restores the order its bars were made in; the panes go in the order they were added in,
  // an inserted one at its place.
  std::vector<LayoutRecord> records = dock->records();
  bool moved = false;
  for (LayoutRecord& r : records) {
    const Pane* p = d->paneOfCoreKey(r.key);
    const auto position = p ? static_cast<std::int32_t>(d->panes.indexOf(p)) + 1 : 0;
    moved = moved || position != r.position;
    r.position = position;
  }
  if (moved && records.size() == static_cast<std::size_t>(dock->Bars()->Count())) dock->applyRecords(records);
  // The order of creation leaves the groups mixed: they stand in the order one after the other.
  dock->relayout();
  if (self) d->keys->order();
}

void DockWidget::setFoldOnTitleClick(bool on) {
  d->clicks->setFolds(on);
}

bool DockWidget::foldOnTitleClick() const {
  return d->clicks->folds();
}

bool DockWidget::autoSave() const {
  return d->autoSave;
}

void DockWidget::setAutoSave(bool on) {
  d->autoSave = on;
  d->dock->setHostServices(std::make_shared<PaletteHost>(this, on));
}

void DockWidget::setColor(ColorRole role, const QColor& color) {
  const auto i = static_cast<std::size_t>(role);
  if (i >= d->colors.size()) return;
  d->colors[i] = color.isValid() ? color.toRgb() : QColor();
  d->applyColors();
}

QColor DockWidget::color(ColorRole role) const {
  const auto i = static_cast<std::size_t>(role);
  if (i >= d->colors.size()) return {};
  const QColor& own = d->colors[i];
  if (own.isValid()) return own;
  if (role != TitleText) return paletteColor(palette(), role);
  return paletteColor(palette(), role, color(TitleStart), color(TitleEnd));
}

// ---- DockWidgetPrivate ----

double DockWidgetPrivate::pixelsPerTwip() const {
  return dock ? QtToolkit::pixelsPerTwip(dock->surface()) : qt::pixelsPerTwip(q);
}

double DockWidgetPrivate::toTwips(int pixels) const {
  return std::round(pixels / pixelsPerTwip());
}

int DockWidgetPrivate::toPixels(double twips) const {
  // Far beyond any screen, a height stays a whole number of pixels.
  return static_cast<int>(std::lround(std::clamp(twips * pixelsPerTwip(), -1e9, 1e9)));
}

void DockWidgetPrivate::applyColors() {
  if (!dock) return;
  const QPalette& p = q->palette();
  const Color light = toColor(p.color(QPalette::Active, QPalette::Light));
  const Color midlight = toColor(p.color(QPalette::Active, QPalette::Midlight));
  const Color dark = toColor(p.color(QPalette::Active, QPalette::Dark));
  // The template too: bars added later are copies of it.
  const BarsRef all = dock->Bars();
  const std::int32_t n = all ? all->Count() : 0;
  for (std::int32_t i = 0; i <= n; ++i) {
    const BarElementsView e = dock->elementsOf(i);
    const Color colors[3] = {light, midlight, dark};
    for (int k = 0; k < 3; ++k)
      if (e.grip[k]) e.grip[k]->setBorderColor(colors[k]);
  }
  DockRef hold = dock;
  hold->reloadColors();
}

namespace {

/// A name in a stored key: the separator and the escape character escaped, so that "x/y" with "z"
/// and "x" with "y/z" keep records of their own. Names without either are stored as they are.
QString escaped(const QString& name) {
  QString out = name;
  out.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
  out.replace(QLatin1Char('/'), QLatin1String("\\/"));
  return out;
}

}  // namespace

std::string DockWidgetPrivate::coreKey(const QString& key) const {
  const QString name = q->objectName();
  return (name.isEmpty() ? escaped(key) : escaped(name) + QLatin1Char('/') + escaped(key)).toStdString();
}

bool DockWidgetPrivate::storable(const QString& key) {
  // Lone surrogates become replacement characters in UTF-8: two such keys would share a record.
  return QString::fromStdString(key.toStdString()) == key;
}

Pane* DockWidgetPrivate::paneOfCoreKey(const std::string& key) const {
  for (Pane* p : panes)
    if (PanePrivate::bar(p)->Key() == key) return p;
  return nullptr;
}

Pane* DockWidgetPrivate::paneOfIndex(std::int32_t index) const {
  for (Pane* p : panes)
    if (PanePrivate::bar(p)->Index() == index) return p;
  return nullptr;
}

void DockWidgetPrivate::queueLayoutChanged() {
  if (layoutQueued) return;
  layoutQueued = true;
  QMetaObject::invokeMethod(
      q,
      [this] {
        layoutQueued = false;
        emit q->layoutChanged();
      },
      Qt::QueuedConnection);
}

void DockWidgetPrivate::relayoutAfterRun() {
  if (!dock || !dock->inRun() || std::exchange(runRelayoutPosted, true)) return;
  QMetaObject::invokeMethod(
      q,
      [this] {
        runRelayoutPosted = false;
        if (const DockRef hold = dock; hold && hold->Show()) hold->relayout();
      },
      Qt::QueuedConnection);
}

void DockWidgetPrivate::relayoutLater() {
  if (std::exchange(relayoutPosted, true)) return;
  // Out of sight meanwhile: each widget shown in a visible parent posts events of its own, and Qt
  // looks through every event still posted for each new one. The bars are shown together, as the
  // first show shows them; the focus stays where it was.
  QWidget* surface = q->surfaceWidget();
  if (surface && surface->isVisible()) {
    QWidget* had = QApplication::focusWidget();
    focusBeforeAdding = surface->isAncestorOf(had) ? had : nullptr;
    hiddenForAdding = surface;
    surface->hide();
  }
  QMetaObject::invokeMethod(
      q, [this] { flushLayout(); }, Qt::QueuedConnection);
}

bool DockWidgetPrivate::showSurface(QWidget* surface) {
  const QPointer<DockWidget> self = q;
  const DockRef hold = dock;
  ++showing;
  surface->show();
  if (!self) return false;
  --showing;
  return true;
}

void DockWidgetPrivate::flushLayout() {
  if (!std::exchange(relayoutPosted, false) || !dock) return;
  const QPointer<DockWidget> self = q;
  const DockRef hold = dock;
  // Bars added to a shown dock have none of its colours until they are loaded again.
  hold->reloadColors();
  if (!self) return;
  hold->relayout();
  if (!self) return;
  if (const QPointer<QWidget> surface = std::exchange(hiddenForAdding, nullptr);
      surface && !showSurface(surface))
    return;
  if (const QPointer<QWidget> focus = std::exchange(focusBeforeAdding, nullptr))
    focus->setFocus(Qt::OtherFocusReason);
  q->updateGeometry();
}

void DockWidgetPrivate::syncStates() {
  // A slot may add panes, change states or delete the dock: the list is copied and every pane still
  // there (and with it the dock, their parent) looked at once.
  const QList<QPointer<Pane>> all(panes.begin(), panes.end());
  for (const QPointer<Pane>& p : all) {
    if (p && PanePrivate::get(p)->sync() && p) emit q->paneStateChanged(p->key(), p->state());
  }
}

}  // namespace tov::qt

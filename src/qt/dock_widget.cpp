#include "tovdock/qt/dock_widget.h"

#include <QApplication>
#include <QCursor>
#include <QMessageBox>
#include <QResizeEvent>
#include <algorithm>
#include <cmath>

#include "accessible.h"
#include "dock_widget_p.h"
#include "keyboard.h"
#include "palette_host.h"
#include "sizing.h"

namespace tov::qt {

DockWidget::DockWidget(QWidget* parent, std::shared_ptr<QtToolkit> toolkit)
    : QWidget(parent), d(std::make_unique<DockWidgetPrivate>(this)) {
  d->toolkit = toolkit ? std::move(toolkit) : std::make_shared<QtToolkit>();
  // Before the dock's first widget is made: Qt keeps the first interface it finds for a widget.
  detail::installAccessibility();
  d->dock = TovDock::create(d->toolkit);
  d->keys = new detail::TitleKeys(this);
  d->sizing = new detail::PaneSizing(this);
  d->dock->setFitToDock(true);
  Surface& surface = d->dock->surface();
  if (QWidget* s = QtToolkit::widgetOf(surface)) s->setParent(this);
  surface.setLeft(0);
  surface.setTop(0);
  surface.setVisible(true);
  // The dock belongs to this widget and is terminated before it, so the handlers never outlive it.
  // A slot may delete this widget: nothing of it is touched after that.
  DockRef& dock = d->dock;
  dock->Closed = [this](std::string& key) {
    const QPointer<DockWidget> self = this;
    emit closed(key);
    if (Pane* p = self ? d->paneOfCoreKey(key) : nullptr) emit paneClosed(p->key());
  };
  dock->CtlResize = [this](std::string& key) { emit ctlResize(key); };
  dock->OptShow = [this](std::string& key, bool& reload) {
    const QPointer<DockWidget> self = this;
    emit optShow(key, reload);
    if (Pane* p = self ? d->paneOfCoreKey(key) : nullptr) emit optionsRequested(p->key());
  };
  dock->RightClick = [this](std::string& key) {
    const QPointer<DockWidget> self = this;
    emit rightClick(key);
    if (!self) return;
    Pane* p = key.empty() ? nullptr : d->paneOfCoreKey(key);
    if (key.empty() || p)
      emit contextMenuRequested(p ? p->key() : QString(), d->menuAt.value_or(QCursor::pos()));
  };
  // The panes' state signals follow every change of the layout, and so does what the dock needs.
  dock->LayoutChanged = [this] {
    updateGeometry();
    d->syncStates();
  };
  // Panes of docks with other object names keep records of their own.
  connect(this, &QObject::objectNameChanged, this, [this] {
    for (Pane* p : d->panes)
      p->bar()->setKey(d->coreKey(p->key()));
  });
  // The dock's own host services, which give it the colours of this widget's palette.
  setAutoSave(true);
  d->applyColors();
}

DockWidget::~DockWidget() {
  DockRef dock = std::move(d->dock);
  if (!dock) return;
  dock->Closed = nullptr;
  dock->CtlResize = nullptr;
  dock->OptShow = nullptr;
  dock->RightClick = nullptr;
  dock->LayoutChanged = nullptr;
  dock->Terminate();
}

const DockRef& DockWidget::dock() const {
  return d->dock;
}

BarsRef DockWidget::bars() const {
  return d->dock ? d->dock->Bars() : nullptr;
}

const std::shared_ptr<QtToolkit>& DockWidget::toolkit() const {
  return d->toolkit;
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
}

void DockWidget::changeEvent(QEvent* e) {
  QWidget::changeEvent(e);
  if (e->type() == QEvent::PaletteChange || e->type() == QEvent::ApplicationPaletteChange) d->applyColors();
}

void DockWidget::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  // The surface's own size in twips, which need not be whole; the hints in twips of this screen.
  d->sizing->take();
  if (DockRef dock = d->dock) dock->resize(width() / d->pixelsPerTwip(), height() / d->pixelsPerTwip());
}

bool DockWidget::autoSave() const {
  return d->autoSave;
}

void DockWidget::setAutoSave(bool on) {
  d->autoSave = on;
  d->dock->setHostServices(std::make_shared<PaletteHost>(this, on));
}

void DockWidget::setColor(ColorRole role, const QColor& color) {
  d->colors.at(static_cast<std::size_t>(role)) = color.isValid() ? color.toRgb() : QColor();
  d->applyColors();
}

QColor DockWidget::color(ColorRole role) const {
  const QColor& own = d->colors.at(static_cast<std::size_t>(role));
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

std::string DockWidgetPrivate::coreKey(const QString& key) const {
  return (q->objectName().isEmpty() ? key : q->objectName() + QLatin1Char('/') + key).toStdString();
}

Pane* DockWidgetPrivate::paneOfCoreKey(const std::string& key) const {
  for (Pane* p : panes)
    if (p->bar()->Key() == key) return p;
  return nullptr;
}

Pane* DockWidgetPrivate::paneOfIndex(std::int32_t index) const {
  for (Pane* p : panes)
    if (p->bar()->Index() == index) return p;
  return nullptr;
}

void DockWidgetPrivate::syncStates() {
  // A slot may add panes, change states or delete the dock: the list is copied and every pane still
  // there (and with it the dock, their parent) looked at once.
  const QList<QPointer<Pane>> all(panes.begin(), panes.end());
  for (const QPointer<Pane>& p : all) {
    if (p && p->sync() && p) emit p->mDock->paneStateChanged(p->key(), p->state());
  }
}

// ---- QtHostServices ----

QtHostServices::QtHostServices(std::optional<std::filesystem::path> storePath,
                               std::optional<std::string> application)
    : DefaultHostServices(std::move(storePath), std::move(application)) {}

void QtHostServices::ShowMessage(const std::string& text, std::int32_t number, const std::string& text2,
                                 std::int16_t flag, std::int32_t number2) {
  DefaultHostServices::ShowMessage(text, number, text2, flag, number2);
  QMessageBox box(QMessageBox::Information, QApplication::applicationDisplayName(),
                  QCoreApplication::translate("tov", text.c_str()), QMessageBox::Ok,
                  QApplication::activeWindow());
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

}  // namespace tov::qt

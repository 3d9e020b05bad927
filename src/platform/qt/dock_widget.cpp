#include "tovdock/qt/dock_widget.h"

#include <QApplication>
#include <QCursor>
#include <QMessageBox>
#include <QResizeEvent>
#include <cmath>
#include <optional>

#include "dock/dock_private.h"
#include "platform/qt/qt_nodes.h"
#include "qt/accessible.h"
#include "qt/keyboard.h"

namespace tov::qt {

DockWidget::DockWidget(QWidget* parent, std::shared_ptr<QtToolkit> toolkit)
    : QWidget(parent), mToolkit(toolkit ? std::move(toolkit) : std::make_shared<QtToolkit>()) {
  // Before the dock's first widget is made: Qt keeps the first interface it finds for a widget.
  detail::installAccessibility();
  mDock = TovDock::create(mToolkit);
  mKeys = new detail::TitleKeys(this);
  Surface& surface = mDock->surface();
  if (QWidget* s = QtToolkit::widgetOf(surface)) s->setParent(this);
  surface.setLeft(0);
  surface.setTop(0);
  surface.setVisible(true);
  // The dock belongs to this widget and is terminated before it, so the handlers never outlive it.
  // Every event may follow a change of state: the panes' state signals go after the core's. A slot
  // may delete this widget: nothing of it is touched after that.
  mDock->Closed = [this](std::string& key) {
    const QPointer<DockWidget> self = this;
    emit closed(key);
    if (Pane* p = self ? paneOfCoreKey(key) : nullptr) emit paneClosed(p->key());
    if (self) syncStates();
  };
  mDock->CtlResize = [this](std::string& key) {
    const QPointer<DockWidget> self = this;
    emit ctlResize(key);
    if (self) syncStates();
  };
  mDock->OptShow = [this](std::string& key, bool& reload) {
    const QPointer<DockWidget> self = this;
    emit optShow(key, reload);
    if (Pane* p = self ? paneOfCoreKey(key) : nullptr) emit optionsRequested(p->key());
  };
  mDock->RightClick = [this](std::string& key) {
    const QPointer<DockWidget> self = this;
    emit rightClick(key);
    if (!self) return;
    Pane* p = key.empty() ? nullptr : paneOfCoreKey(key);
    if (key.empty() || p)
      emit contextMenuRequested(p ? p->key() : QString(), mMenuAt.value_or(QCursor::pos()));
  };
  // Panes of docks with other object names keep records of their own.
  connect(this, &QObject::objectNameChanged, this, [this] {
    for (Pane* p : mPanes)
      p->bar()->setKey(coreKey(p->key()));
  });
  // The dock's own host services, which give it the colours of this widget's palette.
  setAutoSave(true);
  applyColors();
}

DockWidget::~DockWidget() {
  if (!mDock) return;
  mDock->Closed = nullptr;
  mDock->CtlResize = nullptr;
  mDock->OptShow = nullptr;
  mDock->RightClick = nullptr;
  mDock->Terminate();
  mDock.reset();
}

QWidget* DockWidget::surfaceWidget() const {
  return mDock ? QtToolkit::widgetOf(mDock->surface()) : nullptr;
}

namespace {

// The scale the dock's elements are laid out in.
detail::Scale scaleOf(const DockRef& dock, const QWidget* widget) {
  const detail::Node* n = dock ? detail::asNode(&dock->surface()) : nullptr;
  return n ? n->scale() : detail::scaleOf(widget);
}

}  // namespace

QSize DockWidget::sizeHint() const {
  const detail::Scale k = scaleOf(mDock, this);
  return {k.px(4500), k.px(6375)};
}

QSize DockWidget::minimumSizeHint() const {
  const detail::Scale k = scaleOf(mDock, this);
  return {k.px(500), k.px(200)};
}

void DockWidget::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  // The dock activates itself the first time it is shown: loads the layout and lays the panes out.
  if (mDock && !mDock->Show() && !mActivated) {
    mActivated = true;
    // The dock's widgets are already on screen here, and each one shown in a visible parent is
    // shown at once on its own. Laid out hidden, they are shown together, as the window shows its
    // own widgets.
    const QPointer<QWidget> surface = surfaceWidget();
    const bool together = surface && surface->isVisible();
    if (together) surface->hide();
    // A handler run by the first layout may delete this widget.
    const QPointer<DockWidget> self = this;
    mDock->setShow(true);
    if (together && surface) surface->show();
    if (!self) return;
    syncStates();
    if (!self) return;
  }
  mKeys->order();
}

void DockWidget::changeEvent(QEvent* e) {
  QWidget::changeEvent(e);
  if (e->type() == QEvent::PaletteChange || e->type() == QEvent::ApplicationPaletteChange) applyColors();
}

double DockWidget::toTwips(int pixels) const {
  return std::round(scaleOf(mDock, this).twips(pixels));
}

int DockWidget::toPixels(double twips) const {
  return scaleOf(mDock, this).px(twips);
}

void DockWidget::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  const detail::Scale k = scaleOf(mDock, this);
  if (!mDock) return;
  // Each bar's top, width and height are set one after the other; moves wait for the rest.
  std::optional<detail::HoldMoves> hold;
  if (detail::Node* n = detail::asNode(&mDock->surface())) hold.emplace(n->state());
  mDock->resize(k.twips(width()), k.twips(height()));
}

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

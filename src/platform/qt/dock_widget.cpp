#include "tovdock/qt/dock_widget.h"

#include <QApplication>
#include <QMessageBox>
#include <QResizeEvent>

#include "platform/qt/qt_elements.h"

namespace tov::qt {

DockWidget::DockWidget(QWidget* parent, std::shared_ptr<QtToolkit> toolkit)
    : QWidget(parent), mToolkit(toolkit ? std::move(toolkit) : std::make_shared<QtToolkit>()) {
  mDock = TovDock::create(mToolkit);
  Surface& surface = mDock->surface();
  if (QWidget* s = QtToolkit::widgetOf(surface)) s->setParent(this);
  surface.setLeft(0);
  surface.setTop(0);
  surface.setVisible(true);
  // The dock belongs to this widget and is terminated before it, so the handlers never outlive it.
  mDock->Closed = [this](std::string& key) { emit closed(key); };
  mDock->CtlResize = [this](std::string& key) { emit ctlResize(key); };
  mDock->OptShow = [this](std::string& key, bool& reload) { emit optShow(key, reload); };
  mDock->RightClick = [this](std::string& key) { emit rightClick(key); };
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

QSize DockWidget::sizeHint() const {
  return {detail::px(4500), detail::px(6375)};
}

QSize DockWidget::minimumSizeHint() const {
  return {detail::px(500), detail::px(200)};
}

void DockWidget::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  const double k = pixelsPerTwip();
  if (mDock) mDock->resize(width() / k, height() / k);
}

QtHostServices::QtHostServices(std::optional<std::filesystem::path> storePath,
                               std::optional<std::string> application)
    : DefaultHostServices(std::move(storePath), std::move(application)) {}

void QtHostServices::ShowMessage(const std::string& text, std::int32_t number, const std::string& text2,
                                 std::int16_t flag, std::int32_t number2) {
  DefaultHostServices::ShowMessage(text, number, text2, flag, number2);
  QMessageBox box(QMessageBox::Information, QApplication::applicationDisplayName(),
                  QString::fromStdString(text), QMessageBox::Ok, QApplication::activeWindow());
  box.setWindowModality(Qt::ApplicationModal);
  detail::DispatchScope scope;
  box.exec();
}

}  // namespace tov::qt

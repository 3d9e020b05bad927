// The core beneath a DockWidget, for applications that need it, and the host services of a Qt program.
#include "tovdock/qt/dock_core.h"

#include <QApplication>
#include <QMessageBox>

#include "dock_widget_p.h"
#include "pane_p.h"
#include "texts.h"

namespace tov::qt {

DockRef coreDock(const DockWidget* dock) {
  return dock ? DockWidgetPrivate::get(dock)->dock : nullptr;
}

BarRef coreBar(const Pane* pane) {
  return pane ? PanePrivate::bar(pane) : nullptr;
}

std::shared_ptr<QtToolkit> coreToolkit(const DockWidget* dock) {
  return dock ? DockWidgetPrivate::get(dock)->toolkit : nullptr;
}

void setCoreEvents(DockWidget* dock, CoreEvents events) {
  if (dock) DockWidgetPrivate::get(dock)->events = std::move(events);
}

QtHostServices::QtHostServices(std::optional<std::filesystem::path> storePath,
                               std::optional<std::string> application)
    : DefaultHostServices(std::move(storePath), std::move(application)) {}

void QtHostServices::ShowMessage(const std::string& text, std::int32_t number, const std::string& text2,
                                 std::int16_t flag, std::int32_t number2) {
  DefaultHostServices::ShowMessage(text, number, text2, flag, number2);
  QMessageBox box(QMessageBox::Information, QApplication::applicationDisplayName(), detail::presented(text),
                  QMessageBox::Ok, QApplication::activeWindow());
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

}  // namespace tov::qt

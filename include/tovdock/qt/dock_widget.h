#pragma once
/// A TovDock as a Qt widget, and host services for Qt programs.
///
///     auto* dock = new tov::qt::DockWidget(window);
///     auto bar = dock->bars()->Add();
///     bar->setKey("files"); bar->setTitle("Files");
///     bar->setControl(std::make_shared<tov::qt::WidgetControl>(new QTreeView(window)));
///     QObject::connect(dock, &tov::qt::DockWidget::closed, [](std::string& key) { ... });
///     dock->dock()->setShow(true);
///
/// The event signals carry the dock's by-reference arguments: a slot connected directly (the
/// default within one thread) may change them, as a handler of the dock's own events does.
#include <QWidget>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "tovdock/dock.h"
#include "tovdock/host.h"
#include "tovdock/qt/qt_toolkit.h"

namespace tov::qt {

class DockWidget : public QWidget {
  Q_OBJECT

 public:
  /// Creates the dock on a new surface of `toolkit` (a new QtToolkit when null) inside this widget.
  explicit DockWidget(QWidget* parent = nullptr, std::shared_ptr<QtToolkit> toolkit = nullptr);
  /// Terminates the dock (saving its settings) before the widget goes.
  ~DockWidget() override;

  const DockRef& dock() const { return mDock; }
  BarsRef bars() const { return mDock->Bars(); }
  const std::shared_ptr<QtToolkit>& toolkit() const { return mToolkit; }
  /// The widget of the dock's surface, a child of this one.
  QWidget* surfaceWidget() const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 signals:
  void closed(std::string& key);
  void ctlResize(std::string& key);
  void optShow(std::string& key, bool& reload);
  void rightClick(std::string& key);

 protected:
  void resizeEvent(QResizeEvent* e) override;

 private:
  std::shared_ptr<QtToolkit> mToolkit;
  DockRef mDock;
};

/// The default host services (SQLite settings, the built-in colour scheme) with the user messages
/// shown in a QMessageBox.
class QtHostServices : public DefaultHostServices {
 public:
  explicit QtHostServices(std::optional<std::filesystem::path> storePath = std::nullopt,
                          std::optional<std::string> application = std::nullopt);
  void ShowMessage(const std::string& text, std::int32_t number, const std::string& text2, std::int16_t flag,
                   std::int32_t number2) override;
};

}  // namespace tov::qt

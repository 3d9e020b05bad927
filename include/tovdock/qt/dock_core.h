#pragma once
/// What lies beneath a DockWidget, for an application that needs the core: the dock and its bars
/// (twips, 1-based indexes), the Qt toolkit it runs on, its events with by-reference arguments, and
/// the host services of a Qt program.
///
///     #include <tovdock/qt/dock_core.h>
///     tov::qt::setCoreEvents(dock, {.optShow = [](std::string& key, bool& reload) { reload = true; }});
///     tov::qt::coreBar(dock->pane("files"))->setTitleVertical(true);
///
/// A pane's bar is the dock's own: removing, taking or inserting a pane may give the others new bars
/// (the dock rebuilds them), so ask again after one instead of keeping a bar.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "tovdock/dock.h"
#include "tovdock/host.h"
#include "tovdock/qt/dock_widget.h"
#include "tovdock/qt/qt_toolkit.h"

namespace tov::qt {

/// The core dock behind the widget; null once the widget is being destroyed.
TOVDOCK_QT_EXPORT DockRef coreDock(const DockWidget* dock);

/// The bar behind a pane (see above for how long it stays the pane's).
TOVDOCK_QT_EXPORT BarRef coreBar(const Pane* pane);

/// The toolkit the widget's dock runs on (message boxes, drag state, hit tests).
TOVDOCK_QT_EXPORT std::shared_ptr<QtToolkit> coreToolkit(const DockWidget* dock);

/// Handlers of the core's events, with its arguments by reference: a handler may change them as the
/// core allows (OptShow's `reload`). Keys are the bars' keys, which are the panes' keys prefixed with
/// the dock's objectName and "/" when it has one. Each runs before the widget's Qt signal of the same
/// event (`closed` before paneClosed, `optShow` before optionsRequested, `rightClick` before
/// contextMenuRequested); CtlResize has no Qt signal.
struct CoreEvents {
  /// The user hid a bar.
  std::function<void(std::string& key)> closed;
  /// The dock has just placed or resized a bar's hosted widget.
  std::function<void(std::string& key)> ctlResize;
  /// The user pressed a bar's options button; `reload` set true loads colours and stored layout anew.
  std::function<void(std::string& key, bool& reload)> optShow;
  /// A right click on a bar's title, or on the background with an empty key.
  std::function<void(std::string& key)> rightClick;
};

/// Installs the handlers of the core's events on a dock widget, replacing any installed before.
TOVDOCK_QT_EXPORT void setCoreEvents(DockWidget* dock, CoreEvents events);

/// The default host services (SQLite settings, the built-in colour scheme) with the user messages
/// shown in a QMessageBox. Install it with HostServices::setInstance.
class TOVDOCK_QT_EXPORT QtHostServices : public DefaultHostServices {
 public:
  /// Uses `storePath` when given, else the per-user path of `application` (default: the program's
  /// name).
  explicit QtHostServices(std::optional<std::filesystem::path> storePath = std::nullopt,
                          std::optional<std::string> application = std::nullopt);
  /// Shows `text` in an application-modal QMessageBox: the core's own text in English, or in the
  /// language installTranslator installed.
  void ShowMessage(const std::string& text, std::int32_t number, const std::string& text2, std::int16_t flag,
                   std::int32_t number2) override;
};

}  // namespace tov::qt

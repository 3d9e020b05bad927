#pragma once
// Where a DockWidget with auto-save keeps its layout: the application's QSettings.
#include <QPointer>
#include <QSettings>
#include <QString>
#include <memory>
#include <optional>
#include <string>

namespace tov::qt {
class DockWidget;
}

namespace tov::qt::detail {

/// The stored layout of one dock widget, in the QSettings of the application's organisation and
/// name: the core's section ("DockBar") and, for a named dock, a group of its objectName, with one
/// entry per pane as the core stores it ("position:align:state:height"). One auto-saving dock keeps
/// each name: another with the same objectName, or also with none, is warned about once and neither
/// reads nor writes until it has a name of its own.
class SettingsHost {
 public:
  explicit SettingsHost(DockWidget* widget) : mWidget(widget) {}

  /// The value stored under the core's section and a bar's key, empty when none is.
  std::string read(const std::string& section, const std::string& key);
  /// The same, or nothing when the settings file cannot be read (it exists but is unreadable or
  /// malformed): the dock then leaves that record alone when it saves.
  std::optional<std::string> tryRead(const std::string& section, const std::string& key);
  void write(const std::string& section, const std::string& key, const std::string& value);
  /// Keeps one QSettings open from the first begin to the last end.
  void begin();
  void end();

 private:
  /// Whether this dock keeps the records of its name; warns when another one does.
  bool ownsName();
  QSettings& settings();

  QPointer<DockWidget> mWidget;
  std::unique_ptr<QSettings> mOpen;
  int mBatches = 0;
  /// The name last warned about, so that a dock is told once per name.
  std::optional<QString> mWarned;
};

}  // namespace tov::qt::detail

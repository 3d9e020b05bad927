// The layout of auto-saving dock widgets in QSettings, one name per dock.
#include "settings_host.h"

#include <QFileInfo>
#include <QHash>

#include "tovdock/qt/dock_widget.h"

namespace tov::qt::detail {

namespace {

/// The dock keeping the records of each objectName, of all docks of the process.
QHash<QString, QPointer<DockWidget>>& owners() {
  static QHash<QString, QPointer<DockWidget>> all;
  return all;
}

QString keyOf(const std::string& section, const std::string& key) {
  // A named dock's keys begin with its name and "/": a group of its own within the section.
  return QString::fromStdString(section) + QLatin1Char('/') + QString::fromStdString(key);
}

}  // namespace

bool SettingsHost::ownsName() {
  if (!mWidget) return false;
  const QString name = mWidget->objectName();
  QPointer<DockWidget>& owner = owners()[name];
  // A name is free again when its dock is gone, renamed or no longer saves.
  if (!owner || owner == mWidget || owner->objectName() != name || !owner->autoSave()) {
    owner = mWidget;
    mWarned.reset();
    return true;
  }
  if (mWarned != name) {
    mWarned = name;
    qWarning(
        "tov::qt::DockWidget: another dock saves its layout under the objectName \"%s\"; this one "
        "saves nothing until it has a name of its own",
        qPrintable(name));
  }
  return false;
}

QSettings& SettingsHost::settings() {
  if (!mOpen) mOpen = std::make_unique<QSettings>();
  return *mOpen;
}

std::string SettingsHost::read(const std::string& section, const std::string& key) {
  if (!ownsName()) return {};
  const std::string value = settings().value(keyOf(section, key)).toString().toStdString();
  if (mBatches == 0) mOpen.reset();
  return value;
}

std::optional<std::string> SettingsHost::tryRead(const std::string& section, const std::string& key) {
  if (!ownsName()) return std::string();
  QSettings& store = settings();
  // QSettings also reports an access error when the application has no organisation name, and
  // then reads and writes all the same: only a file that is there and cannot be read or parsed
  // keeps the dock from trusting what it reads.
  const QFileInfo file(store.fileName());
  const bool unreadable = store.status() == QSettings::FormatError ||
                          (store.status() == QSettings::AccessError && file.exists() && !file.isReadable());
  std::optional<std::string> value;
  if (!unreadable) value = store.value(keyOf(section, key)).toString().toStdString();
  if (mBatches == 0) mOpen.reset();
  return value;
}

void SettingsHost::write(const std::string& section, const std::string& key, const std::string& value) {
  if (!ownsName()) return;
  settings().setValue(keyOf(section, key), QString::fromStdString(value));
  if (mBatches == 0) mOpen.reset();
}

void SettingsHost::begin() {
  ++mBatches;
}

void SettingsHost::end() {
  if (mBatches > 0 && --mBatches == 0) mOpen.reset();
}

}  // namespace tov::qt::detail

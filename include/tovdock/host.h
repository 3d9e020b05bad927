#pragma once
/// @file
/// Host services: user messages, stored settings and the colour scheme, one object per process.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "tovdock/export.h"

namespace tov {

/// The numbers of the scheme's colours and flags that the dock asks for.
namespace scheme {
inline constexpr std::int32_t kDock = 10;            ///< colour of the dock round and below the bars
inline constexpr std::int32_t kBar = 140;            ///< colour of a bar's frame and splitter
inline constexpr std::int32_t kTitleStart = 143;     ///< first colour of the title gradient
inline constexpr std::int32_t kTitleEnd = 144;       ///< second colour of the title gradient
inline constexpr std::int32_t kTitleText = 150;      ///< colour of the title text
inline constexpr std::int32_t kTitleVertical = 141;  ///< flag: the title gradient runs top to bottom
}  // namespace scheme

/// What the dock asks of its host: user messages, stored settings and the colour scheme.
///
/// One object serves the whole process: it is created on first use (`HostServices::instance()`)
/// and shared by every dock. An application, or a test, replaces it with `setInstance`; a single
/// dock may have services of its own (`TovDock::setHostServices`).
class TOVDOCK_EXPORT HostServices {
 public:
  virtual ~HostServices() = default;

  /// Shows `text` to the user; returns when the user has seen it.
  virtual void ShowMessage(const std::string& text, std::int32_t number, const std::string& text2,
                           std::int16_t flag, std::int32_t number2) = 0;
  /// The stored value for section and key, or "" when none is stored.
  virtual std::string GetSetting(const std::string& section, const std::string& key, std::int16_t number) = 0;
  /// The stored value for section and key as GetSetting gives it, or nothing when the store could
  /// not be read now (another process holds it, it could not be opened): its "" would not mean
  /// that nothing is stored. A dock with guarded records (TovDock::setGuardedRecords) reads through
  /// this and never writes a record it could not read. The default asks GetSetting.
  virtual std::optional<std::string> ReadSetting(const std::string& section, const std::string& key);
  /// Stores a value; a later GetSetting, also in a later run, returns it unchanged.
  virtual void SaveSetting(const std::string& section, const std::string& key, const std::string& value,
                           std::int32_t number) = 0;
  /// The scheme's yes/no value of a flag number (141: title gradient runs top to bottom).
  virtual bool GetFlag(std::int32_t number) = 0;
  /// The scheme's colour of a number (10 dock, 140 bar, 143/144 title gradient, 150 title text).
  virtual std::int32_t GetColor(std::int32_t number) = 0;
  ///@{
  /// Mark the settings calls of one load or save of a layout. Between them, reads may come from one
  /// reading of the store and saves may be written together when the outermost batch ends. Batches
  /// nest; every begin is followed by one end. The default does nothing.
  virtual void BeginSettingsBatch() {}
  virtual void EndSettingsBatch() {}
  ///@}

  /// The process-wide object; a `DefaultHostServices` is created on first use.
  static std::shared_ptr<HostServices> instance();
  /// Replaces the process-wide object (null: the next use creates a default one again).
  static void setInstance(std::shared_ptr<HostServices> services);
};

/// The default host services: settings in an SQLite database file, one per user and application,
/// a built-in light colour scheme, messages on stderr.
///
/// The database lies at `$XDG_CONFIG_HOME/<application>/settings.sqlite` (or under `~/.config`, or
/// in the private folder `tovdock-<uid>` of the temporary folder when neither is set). Folders it
/// creates are private to the user (mode 0700) and so is the file (0600).
///
/// A store is checked before anything is written to it: a file that is not a regular file, is not an
/// SQLite database, holds other data, has a newer format or another layout of its tables is reported
/// once on stderr and left exactly as it is; the services then go on without persistence (GetSetting
/// returns "", SaveSetting does nothing). Only a missing or empty file becomes a new store.
///
/// No call waits long for other processes: when another process holds the store's write lock,
/// a call gives up after about 200 ms. A save that could not be written then is kept in memory
/// (a later save of the same key replaces it), GetSetting returns it, and it is written with the
/// next save that finds the store free, or at the latest when the object is destroyed (which waits
/// up to about two seconds). A store that cannot be written at all (read-only file or folder) is
/// still read; the first save that cannot be kept is reported once and later saves are kept in memory
/// for the rest of the run. Saves run one transaction each, or one per batch; several processes may save
/// at once.
class TOVDOCK_EXPORT DefaultHostServices : public HostServices {
 public:
  /// Uses `storePath` when given, else the per-user path of `application` (default: the program's
  /// name).
  explicit DefaultHostServices(std::optional<std::filesystem::path> storePath = std::nullopt,
                               std::optional<std::string> application = std::nullopt);
  ~DefaultHostServices() override;

  void ShowMessage(const std::string& text, std::int32_t number, const std::string& text2, std::int16_t flag,
                   std::int32_t number2) override;
  std::string GetSetting(const std::string& section, const std::string& key, std::int16_t number) override;
  /// Nothing while another process holds the store and while it cannot be used at all.
  std::optional<std::string> ReadSetting(const std::string& section, const std::string& key) override;
  void SaveSetting(const std::string& section, const std::string& key, const std::string& value,
                   std::int32_t number) override;
  bool GetFlag(std::int32_t number) override;
  std::int32_t GetColor(std::int32_t number) override;
  ///@{
  /// In a batch, reads share one read transaction (one snapshot of the store, its locks taken once)
  /// and saves are kept until the outermost batch ends, then written in one transaction.
  void BeginSettingsBatch() override;
  void EndSettingsBatch() override;
  ///@}

  /// The database file in use.
  const std::filesystem::path& storePath() const;
  /// False when the store was refused or cannot be written, so that saves are not kept beyond this
  /// run; true while the store is only busy.
  bool persistent() const;
  /// Saves made but not yet written to the store (kept in memory while the store is busy or
  /// read-only). When it is 0, every save that returned is in the store and survives the end or the
  /// crash of this process.
  std::size_t pendingSaves() const;
  /// Writes the saves kept in memory now, waiting for other processes at most about 200 ms.
  /// True when none is left pending.
  bool flush();
  /// Messages shown so far (also written to stderr).
  std::vector<std::string> messages() const;

  /// The per-user store path for an application name.
  static std::filesystem::path defaultStorePath(const std::string& application);
  /// The running program's name.
  static std::string programName();

 private:
  struct TOVDOCK_NO_EXPORT Impl;
  std::unique_ptr<Impl> d;
};

}  // namespace tov

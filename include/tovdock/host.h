#pragma once
/// Host services: user messages, stored settings and the colour scheme, one object per process.
///
/// The object is created on first use (`HostServices::instance()`) and shared by every dock.
/// An application, or a test, replaces it with `HostServices::setInstance`.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace tov {

class HostServices {
 public:
  virtual ~HostServices() = default;

  /// Shows `text` to the user; returns when the user has seen it.
  virtual void ShowMessage(const std::string& text, std::int32_t number, const std::string& text2,
                           std::int16_t flag, std::int32_t number2) = 0;
  /// The stored value for section and key, or "" when none is stored.
  virtual std::string GetSetting(const std::string& section, const std::string& key, std::int16_t number) = 0;
  /// Stores a value; a later GetSetting, also in a later run, returns it unchanged.
  virtual void SaveSetting(const std::string& section, const std::string& key, const std::string& value,
                           std::int32_t number) = 0;
  /// The scheme's yes/no value of a flag number (141: title gradient runs top to bottom).
  virtual bool GetFlag(std::int32_t number) = 0;
  /// The scheme's colour of a number (10 dock, 140 bar, 143/144 title gradient, 150 title text).
  virtual std::int32_t GetColor(std::int32_t number) = 0;

  /// The process-wide object; a `DefaultHostServices` is created on first use.
  static std::shared_ptr<HostServices> instance();
  /// Replaces the process-wide object (null: the next use creates a default one again).
  static void setInstance(std::shared_ptr<HostServices> services);
};

/// The default host services: settings in an SQLite database file, one per user and application,
/// a built-in light colour scheme, messages on stderr.
///
/// The database lies at `$XDG_CONFIG_HOME/<application>/settings.sqlite` (or under `~/.config`).
/// Each SaveSetting is its own transaction; several processes may save at once. A store that cannot
/// be opened or is corrupt is reported once on stderr and the services go on without persistence
/// (GetSetting returns "", SaveSetting does nothing).
class DefaultHostServices : public HostServices {
 public:
  /// Uses `storePath` when given, else the per-user path of `application` (default: the program's
  /// name).
  explicit DefaultHostServices(std::optional<std::filesystem::path> storePath = std::nullopt,
                               std::optional<std::string> application = std::nullopt);
  ~DefaultHostServices() override;

  void ShowMessage(const std::string& text, std::int32_t number, const std::string& text2, std::int16_t flag,
                   std::int32_t number2) override;
  std::string GetSetting(const std::string& section, const std::string& key, std::int16_t number) override;
  void SaveSetting(const std::string& section, const std::string& key, const std::string& value,
                   std::int32_t number) override;
  bool GetFlag(std::int32_t number) override;
  std::int32_t GetColor(std::int32_t number) override;

  /// The database file in use.
  const std::filesystem::path& storePath() const;
  /// False when the store could not be opened and settings are not kept.
  bool persistent() const;
  /// Messages shown so far (also written to stderr).
  std::vector<std::string> messages() const;

  /// The per-user store path for an application name.
  static std::filesystem::path defaultStorePath(const std::string& application);
  /// The running program's name.
  static std::string programName();

 private:
  struct Impl;
  std::unique_ptr<Impl> d;
};

}  // namespace tov

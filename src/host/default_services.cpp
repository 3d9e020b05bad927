// The process-wide host services object and the default services: the settings store, the built-in
// colour scheme and messages on stderr.
#include <exception>
#include <iostream>
#include <utility>

#include "host/settings_store.h"
#include "tovdock/host.h"

namespace tov {

namespace {

std::mutex& instanceMutex() {
  static std::mutex m;
  return m;
}

std::shared_ptr<HostServices>& instanceSlot() {
  static std::shared_ptr<HostServices> slot;
  return slot;
}

constexpr std::int32_t rgb(int r, int g, int b) {
  return static_cast<std::int32_t>(r | (g << 8) | (b << 16));
}

/// Settings are a convenience and must not stop the caller: a failure of `body` (only allocation
/// can fail) is told on stderr and goes no further.
template <typename Body>
void keepGoing(const char* what, Body&& body) {
  try {
    body();
  } catch (const std::exception& e) {
    std::cerr << "tovdock: " << what << " failed: " << e.what() << '\n';
  }
}

}  // namespace

std::shared_ptr<HostServices> HostServices::instance() {
  std::lock_guard lock(instanceMutex());
  auto& slot = instanceSlot();
  if (!slot) slot = std::make_shared<DefaultHostServices>();
  return slot;
}

std::optional<std::string> HostServices::ReadSetting(const std::string& section, const std::string& key) {
  return GetSetting(section, key, 0);
}

void HostServices::setInstance(std::shared_ptr<HostServices> services) {
  std::shared_ptr<HostServices> previous;
  {
    std::lock_guard lock(instanceMutex());
    previous = std::exchange(instanceSlot(), std::move(services));
  }
  // `previous` is released outside the lock: its destructor may do I/O.
}

struct DefaultHostServices::Impl {
  explicit Impl(host::StorePlace place) : store(std::move(place)) {}

  host::SettingsStore store;
  mutable std::mutex messagesMutex;
  std::vector<std::string> messages;
};

DefaultHostServices::DefaultHostServices(std::optional<std::filesystem::path> storePath,
                                         std::optional<std::string> application)
    : d(std::make_unique<Impl>(storePath ? host::StorePlace{std::move(*storePath), {}}
                                         : host::defaultPlace(application ? *application : programName()))) {}

DefaultHostServices::~DefaultHostServices() {
  keepGoing("saving the settings", [&] { d->store.finish(); });
}

void DefaultHostServices::ShowMessage(const std::string& text, std::int32_t, const std::string&, std::int16_t,
                                      std::int32_t) {
  std::lock_guard lock(d->messagesMutex);
  std::cerr << text << std::endl;
  d->messages.push_back(text);
}

std::string DefaultHostServices::GetSetting(const std::string& section, const std::string& key,
                                            std::int16_t) {
  return ReadSetting(section, key).value_or(std::string());
}

std::optional<std::string> DefaultHostServices::ReadSetting(const std::string& section,
                                                            const std::string& key) {
  std::optional<std::string> value;
  keepGoing("reading a setting", [&] { value = d->store.read(section, key); });
  return value;
}

void DefaultHostServices::SaveSetting(const std::string& section, const std::string& key,
                                      const std::string& value, std::int32_t) {
  keepGoing("saving a setting", [&] { d->store.save(section, key, value); });
}

void DefaultHostServices::BeginSettingsBatch() {
  d->store.beginBatch();
}

void DefaultHostServices::EndSettingsBatch() {
  keepGoing("saving the settings", [&] { d->store.endBatch(); });
}

bool DefaultHostServices::GetFlag(std::int32_t) {
  // 141 (vertical title gradient) is off in this scheme, as is every other flag.
  return false;
}

std::int32_t DefaultHostServices::GetColor(std::int32_t number) {
  switch (number) {
    case 10:  // dock background
      return rgb(236, 239, 243);
    case 140:  // bar background
      return rgb(250, 251, 252);
    case 143:  // title gradient start: light steel blue
      return rgb(176, 196, 222);
    case 144:  // title gradient end: nearly white
      return rgb(240, 244, 250);
    case 150:  // title text: dark navy, legible on both ends of the gradient
      return rgb(24, 34, 56);
    default:
      return rgb(192, 192, 192);
  }
}

const std::filesystem::path& DefaultHostServices::storePath() const {
  return d->store.path();
}

bool DefaultHostServices::persistent() const {
  return d->store.persistent();
}

std::size_t DefaultHostServices::pendingSaves() const {
  return d->store.pendingSaves();
}

bool DefaultHostServices::flush() {
  return d->store.flush();
}

std::vector<std::string> DefaultHostServices::messages() const {
  std::lock_guard lock(d->messagesMutex);
  return d->messages;
}

}  // namespace tov

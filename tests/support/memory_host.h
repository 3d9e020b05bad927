#pragma once
// Host services kept in memory, with a fixed colour scheme, recording messages and every save.
#include <map>
#include <utility>

#include "tovdock/host.h"
#include "tovdock/platform.h"

namespace tov::test {

class MemoryHost : public HostServices {
 public:
  void ShowMessage(const std::string& text, std::int32_t, const std::string&, std::int16_t,
                   std::int32_t) override {
    messages.push_back(text);
    if (auto hook = hostile) hook("ShowMessage");
  }
  std::string GetSetting(const std::string& section, const std::string& key, std::int16_t) override {
    const std::string found = value(key, section);  // read before the host's own code may change it
    if (auto hook = hostile) hook("GetSetting");
    return found;
  }
  void SaveSetting(const std::string& section, const std::string& key, const std::string& value,
                   std::int32_t) override {
    store[{section, key}] = value;
    saves.push_back(key + "=" + value);
    if (auto hook = hostile) hook("SaveSetting");
  }
  bool GetFlag(std::int32_t number) override { return number == 141 && vertical; }
  std::int32_t GetColor(std::int32_t number) override { return colors.contains(number) ? colors[number] : 0; }

  /// The stored value of a key, by default a bar's in section "DockBar".
  std::string value(const std::string& key, const std::string& section = "DockBar") const {
    return store.contains({section, key}) ? store.at({section, key}) : std::string();
  }

  std::map<std::pair<std::string, std::string>, std::string> store;
  std::vector<std::string> saves;
  std::vector<std::string> messages;
  std::map<std::int32_t, std::int32_t> colors{
      {10, 0xF0F0F0}, {140, 0xE0E0E0}, {143, 0x804020}, {144, 0xFFE0C0}, {150, 0x000000}};
  bool vertical = false;
  /// Runs after each ShowMessage, GetSetting and SaveSetting with the operation's name; it may call
  /// back into the dock, as a host's own code might.
  std::function<void(std::string_view operation)> hostile;
};

/// Wraps a hosted control of any backend and runs `hook` after each Move, Visible or Height
/// assignment, as a control whose own code reacts to being moved or hidden.
struct HookedControl : Control {
  HookedControl(ControlRef inner, std::function<void(std::string_view member)> hook)
      : inner(std::move(inner)), hook(std::move(hook)) {}
  Value invoke(std::string_view member, Access access, std::span<const Value> args) override {
    Value result = inner->invoke(member, access, args);
    // The hook may drop the last reference to this control: it runs on a copy, and nothing of the
    // control is used afterwards.
    if (access != Access::Get) decltype(hook){hook}(member);
    return result;
  }
  ControlRef inner;
  std::function<void(std::string_view)> hook;
};

}  // namespace tov::test

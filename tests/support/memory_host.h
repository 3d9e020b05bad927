#pragma once
// Host services kept in memory, with a fixed colour scheme, recording messages and every save.
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tovdock/host.h"

namespace tov::test {

class MemoryHost : public HostServices {
 public:
  void ShowMessage(const std::string& text, std::int32_t, const std::string&, std::int16_t,
                   std::int32_t) override {
    messages.push_back(text);
  }
  std::string GetSetting(const std::string& section, const std::string& key, std::int16_t) override {
    auto it = store.find({section, key});
    return it == store.end() ? std::string() : it->second;
  }
  void SaveSetting(const std::string& section, const std::string& key, const std::string& value,
                   std::int32_t) override {
    store[{section, key}] = value;
    saves.push_back(key + "=" + value);
  }
  bool GetFlag(std::int32_t number) override { return number == 141 && vertical; }
  std::int32_t GetColor(std::int32_t number) override {
    auto it = colors.find(number);
    return it == colors.end() ? 0 : it->second;
  }

  /// The stored value of a bar's key in section "DockBar".
  std::string value(const std::string& key) const {
    auto it = store.find({"DockBar", key});
    return it == store.end() ? std::string() : it->second;
  }

  std::map<std::pair<std::string, std::string>, std::string> store;
  std::vector<std::string> saves;
  std::vector<std::string> messages;
  std::map<std::int32_t, std::int32_t> colors{
      {10, 0xF0F0F0}, {140, 0xE0E0E0}, {143, 0x804020}, {144, 0xFFE0C0}, {150, 0x000000}};
  bool vertical = false;
};

}  // namespace tov::test

// Stored layouts as another program, an older version or a damaged disk may leave them: the record
// reader on its own, then whole stores loaded into a dock. Input: one byte for the number of bars,
// one byte of flags per bar, then one record per bar, separated by line feeds.
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "dock/settings_value.h"
#include "support/memory_host.h"
#include "tovdock/dock.h"
#include "tovdock/headless.h"

namespace {

using namespace tov;

void check(bool kept, const std::string& what) {
  if (kept) return;
  std::fprintf(stderr, "settings_fuzz: %s\n", what.c_str());
  std::abort();
}

/// A record read must name a known group and state, and read back the same once written.
void checkReader(std::string_view text) {
  const auto r = settings::parse(text);
  if (!r) return;
  check(r->align >= eAlignTop && r->align <= eAlignBottom && r->state >= eBarCollapsed &&
            r->state <= eBarHidden,
        "unknown group or state accepted");
  const auto again = settings::parse(settings::format(r->position, r->align, r->state, r->height));
  check(again && std::array{again->position, again->align, again->state, again->height} ==
                     std::array{r->position, r->align, r->state, r->height},
        "a record does not read back as written");
}

/// Each bar whose record reads takes its group, state and height from it; the others stay as
/// they were. Which order comes out is for the walk and the settings tests to judge.
void checkStore(std::span<const std::uint8_t> flags, std::string_view rest) {
  auto host = std::make_shared<test::MemoryHost>();
  HostServices::setInstance(host);
  const std::size_t n = flags.size();
  std::vector<std::string> records(n);
  for (std::size_t k = 0; k < n && !rest.empty(); ++k) {
    const auto end = std::min(rest.find('\n'), rest.size());
    records[k] = std::string(rest.substr(0, end));
    rest.remove_prefix(std::min(end + 1, rest.size()));
    if (!records[k].empty()) host->store[{"DockBar", "k" + std::to_string(k + 1)}] = records[k];
  }
  {
    auto dock = TovDock::create(std::make_shared<headless::HeadlessToolkit>());
    // With scrolling the dock does not stretch heights to its own, so what was loaded stays visible.
    dock->setAllowScroll(true);
    dock->resize(6000, 4000);
    std::vector<std::array<std::int32_t, 3>> before;  // group, state, height
    for (std::size_t k = 1; k <= n; ++k) {
      auto b = dock->Bars()->Add();
      const std::uint8_t f = flags[k - 1];
      b->setKey("k" + std::to_string(k));
      b->setAllowResize(f & 1);
      b->setShowClose(f & 2);
      b->setAlignBar(1 + (f >> 2) % 4);
      b->setHeight(static_cast<std::int32_t>(200 + 100 * k));
      if (f & 0x10) b->setState(eBarCollapsed);
      before.push_back({b->AlignBar(), b->State(), b->Height()});
    }
    dock->setShow(true);
    for (std::size_t k = 1; k <= n; ++k) {
      auto b = dock->Bars()->Item(static_cast<std::int32_t>(k));
      const auto r = settings::parse(records[k - 1]);
      const std::string who = "bar " + std::to_string(k) + " ('" + records[k - 1] + "'): ";
      if (!r || r->position < 1 || r->position > static_cast<std::int32_t>(n)) {
        check(before[k - 1] == std::array{b->AlignBar(), b->State(), b->Height()},
              who + "ignored, yet changed");
        continue;
      }
      const bool hides = r->state == eBarHidden && !(flags[k - 1] & 2);
      check(b->AlignBar() == r->align && b->State() == (hides ? eBarExpanded : r->state),
            who + "not applied");
      check(!b->AllowResize() || r->height <= 100 || b->Height() == r->height, who + "height not applied");
    }
  }
  HostServices::setInstance(nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  checkReader(text);
  for (std::size_t start = 0; start <= text.size();) {
    const auto end = std::min(text.find('\n', start), text.size());
    checkReader(text.substr(start, end - start));
    start = end + 1;
  }
  const std::size_t n = size < 1 ? 0 : 1 + data[0] % 8;
  if (n > 0 && size >= 1 + n) checkStore({data + 1, n}, text.substr(1 + n));
  return 0;
}

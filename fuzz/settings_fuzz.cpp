// Stored layouts as another program, an older version or a damaged disk may leave them: the record
// reader on its own, then whole stores loaded into a dock. Input: one byte for the number of bars,
// one byte of flags per bar, then one record per bar, separated by line feeds.
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "dock/settings_value.h"
#include "support/memory_host.h"
#include "tovdock/dock.h"
#include "tovdock/headless.h"

namespace {

using namespace tov;

[[noreturn]] void broken(const std::string& what) {
  std::fprintf(stderr, "settings_fuzz: %s\n", what.c_str());
  std::abort();
}

/// A record read must name a known group and state, and read back the same once written.
void checkReader(std::string_view text) {
  const auto r = settings::parse(text);
  if (!r) return;
  if (r->align < eAlignTop || r->align > eAlignBottom) broken("unknown group accepted");
  if (r->state < eBarCollapsed || r->state > eBarHidden) broken("unknown state accepted");
  const auto again = settings::parse(settings::format(r->position, r->align, r->state, r->height));
  if (!again || again->position != r->position || again->align != r->align || again->state != r->state ||
      again->height != r->height)
    broken("a record does not read back as written");
}

void checkStore(const std::uint8_t* data, std::size_t size) {
  const std::size_t n = size < 1 ? 0 : 1 + data[0] % 8;
  if (n == 0 || size < 1 + n) return;
  const std::uint8_t* flags = data + 1;
  std::string_view rest(reinterpret_cast<const char*>(data + 1 + n), size - 1 - n);
  auto host = std::make_shared<test::MemoryHost>();
  HostServices::setInstance(host);
  std::vector<std::string> records(n);
  for (std::size_t k = 0; k < n && !rest.empty(); ++k) {
    const auto end = rest.find('\n');
    records[k] = std::string(rest.substr(0, end));
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
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
      b->setTitle(b->Key());
      b->setAllowResize(f & 1);
      b->setShowClose(f & 2);
      b->setAlignBar(1 + (f >> 2) % 4);
      b->setHeight(static_cast<std::int32_t>(200 + 100 * k));
      if (f & 0x10) b->setState(eBarCollapsed);
      before.push_back({b->AlignBar(), b->State(), b->Height()});
    }
    dock->setShow(true);

    // The order the records ask for: slots start as creation order, each good record claims one.
    std::vector<std::size_t> wanted(n + 1);
    for (std::size_t k = 1; k <= n; ++k)
      wanted[k] = k;
    for (std::size_t k = 1; k <= n; ++k) {
      auto b = dock->Bars()->Item(static_cast<std::int32_t>(k));
      const auto r = settings::parse(records[k - 1]);
      const std::string who = "bar " + std::to_string(k) + " ('" + records[k - 1] + "'): ";
      if (!r || r->position < 1 || r->position > static_cast<std::int32_t>(n)) {
        if (before[k - 1] != std::array{b->AlignBar(), b->State(), b->Height()})
          broken(who + "a record that was ignored changed its bar");
        continue;
      }
      wanted[static_cast<std::size_t>(r->position)] = k;
      const bool hides = r->state == eBarHidden && !(flags[k - 1] & 2);
      if (b->AlignBar() != r->align) broken(who + "group not applied");
      if (b->State() != (hides ? eBarExpanded : r->state)) broken(who + "state not applied");
      if (b->AllowResize() && r->height > 100 && b->Height() != r->height) broken(who + "height not applied");
    }
    std::vector<char> seen(n + 1, 0);
    bool permutation = true;
    for (std::size_t k = 1; k <= n; ++k)
      permutation = permutation && !std::exchange(seen[wanted[k]], 1);
    // A complete order is installed grouped top, left, right, bottom; anything else leaves the
    // order the bars were added in.
    std::vector<std::int32_t> expected;
    for (std::int32_t a = eAlignTop; a <= (permutation ? eAlignBottom : eAlignTop); ++a)
      for (std::size_t k = 1; k <= n; ++k) {
        const auto i = static_cast<std::int32_t>(permutation ? wanted[k] : k);
        if (!permutation || dock->Bars()->Item(i)->AlignBar() == a) expected.push_back(i);
      }
    for (std::size_t pos = 1; pos <= n; ++pos) {
      auto b = dock->Bars()->ItemByOrder(static_cast<std::int32_t>(pos));
      if (!b) broken("display order has a hole at " + std::to_string(pos));
      if (b->Index() != expected[pos - 1])
        broken("display position " + std::to_string(pos) + " holds bar " + std::to_string(b->Index()) +
               ", expected " + std::to_string(expected[pos - 1]));
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
  checkStore(data, size);
  return 0;
}

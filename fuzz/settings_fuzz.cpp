// Stored layouts as another program, an older version or a damaged disk may leave them: the record
// reader on its own, then whole stores loaded into a dock. Input: one byte for the number of bars,
// one byte of flags per bar, then one record per bar, separated by line feeds.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "dock/settings_value.h"
#include "support/memory_host.h"
#include "tovdock/dock.h"
#include "tovdock/headless.h"

namespace {

[[noreturn]] void broken(const std::string& what) {
  std::fprintf(stderr, "settings_fuzz: %s\n", what.c_str());
  std::abort();
}

/// A record read must name a known group and state, and read back the same once written.
void checkReader(std::string_view text) {
  const auto r = tov::settings::parse(text);
  if (!r) return;
  if (r->align < tov::eAlignTop || r->align > tov::eAlignBottom) broken("unknown group accepted");
  if (r->state < tov::eBarCollapsed || r->state > tov::eBarHidden) broken("unknown state accepted");
  const auto again = tov::settings::parse(tov::settings::format(r->position, r->align, r->state, r->height));
  if (!again || again->position != r->position || again->align != r->align || again->state != r->state ||
      again->height != r->height)
    broken("a record does not read back as written");
}

struct Before {
  std::int32_t align, state, height;
};

void checkStore(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return;
  const std::int32_t n = 1 + data[0] % 8;
  if (size < 1 + static_cast<std::size_t>(n)) return;
  const std::uint8_t* flags = data + 1;
  std::string_view rest(reinterpret_cast<const char*>(data + 1 + n), size - 1 - static_cast<std::size_t>(n));

  auto host = std::make_shared<tov::test::MemoryHost>();
  tov::HostServices::setInstance(host);
  std::vector<std::string> records(static_cast<std::size_t>(n));
  for (std::int32_t k = 0; k < n && !rest.empty(); ++k) {
    const auto end = rest.find('\n');
    records[static_cast<std::size_t>(k)] = std::string(rest.substr(0, end));
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  }
  for (std::int32_t k = 0; k < n; ++k)
    if (!records[static_cast<std::size_t>(k)].empty())
      host->store[{"DockBar", "k" + std::to_string(k + 1)}] = records[static_cast<std::size_t>(k)];

  auto toolkit = std::make_shared<tov::headless::HeadlessToolkit>();
  {
    auto dock = tov::TovDock::create(toolkit);
    // With scrolling the dock does not stretch heights to its own, so what was loaded stays visible.
    dock->setAllowScroll(true);
    dock->resize(6000, 4000);
    std::vector<Before> before;
    for (std::int32_t k = 1; k <= n; ++k) {
      auto b = dock->Bars()->Add();
      const std::uint8_t f = flags[k - 1];
      b->setKey("k" + std::to_string(k));
      b->setTitle(b->Key());
      b->setAllowResize(f & 1);
      b->setShowClose(f & 2);
      b->setAlignBar(1 + (f >> 2) % 4);
      b->setHeight(200 + 100 * k);
      if (f & 0x10) b->setState(tov::eBarCollapsed);
      before.push_back({b->AlignBar(), b->State(), b->Height()});
    }
    dock->setShow(true);

    // The order the records ask for: slots start as creation order, each good record claims one.
    std::vector<std::int32_t> wanted(static_cast<std::size_t>(n) + 1);
    for (std::int32_t k = 1; k <= n; ++k)
      wanted[static_cast<std::size_t>(k)] = k;
    for (std::int32_t k = 1; k <= n; ++k) {
      auto b = dock->Bars()->Item(k);
      const auto r = tov::settings::parse(records[static_cast<std::size_t>(k - 1)]);
      const auto& old = before[static_cast<std::size_t>(k - 1)];
      const std::string who =
          "bar " + std::to_string(k) + " ('" + records[static_cast<std::size_t>(k - 1)] + "'): ";
      if (!r || r->position < 1 || r->position > n) {
        if (b->AlignBar() != old.align || b->State() != old.state || b->Height() != old.height)
          broken(who + "a record that was ignored changed its bar");
        continue;
      }
      wanted[static_cast<std::size_t>(r->position)] = k;
      const std::int32_t state =
          r->state == tov::eBarHidden && !(flags[k - 1] & 2) ? tov::eBarExpanded : r->state;
      if (b->AlignBar() != r->align) broken(who + "group not applied");
      if (b->State() != state) broken(who + "state not applied");
      if (b->AllowResize() && r->height > 100 && b->Height() != r->height) broken(who + "height not applied");
    }

    std::vector<bool> seen(static_cast<std::size_t>(n) + 1, false);
    bool permutation = true;
    for (std::int32_t k = 1; k <= n; ++k) {
      const auto i = wanted[static_cast<std::size_t>(k)];
      if (seen[static_cast<std::size_t>(i)]) permutation = false;
      seen[static_cast<std::size_t>(i)] = true;
    }
    // A complete order is installed grouped top, left, right, bottom; anything else leaves the
    // order the bars were added in.
    std::vector<std::int32_t> expected;
    for (std::int32_t a = tov::eAlignTop; a <= tov::eAlignBottom; ++a)
      for (std::int32_t k = 1; k <= n; ++k) {
        const auto i = permutation ? wanted[static_cast<std::size_t>(k)] : k;
        if (!permutation ? a == tov::eAlignTop : dock->Bars()->Item(i)->AlignBar() == a)
          expected.push_back(i);
      }
    for (std::int32_t pos = 1; pos <= n; ++pos) {
      auto b = dock->Bars()->ItemByOrder(pos);
      if (!b) broken("display order has a hole at " + std::to_string(pos));
      if (b->Index() != expected[static_cast<std::size_t>(pos - 1)])
        broken("display position " + std::to_string(pos) + " holds bar " + std::to_string(b->Index()) +
               ", expected " + std::to_string(expected[static_cast<std::size_t>(pos - 1)]));
    }
  }
  tov::HostServices::setInstance(nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  checkReader(text);
  for (std::size_t start = 0; start < text.size();) {
    const auto end = text.find('\n', start);
    checkReader(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  checkStore(data, size);
  return 0;
}

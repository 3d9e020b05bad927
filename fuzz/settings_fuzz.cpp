// Stored records as another program, an older version or a damaged disk may leave them: the whole
// input, and each of its lines, must either be refused or name a known group and state and read back
// the same once written. How a dock applies what it read is for the operation walk and the settings
// tests, which load such records into live docks.
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>

#include "dock/settings_value.h"
#include "tovdock/bar.h"

using namespace tov;

static void checkReader(std::string_view text) {
  const auto r = settings::parse(text);
  if (!r) return;
  // A known group and state, and the same record once written and read again.
  const auto fields = [](const auto& x) { return std::array{x.position, x.align, x.state, x.height}; };
  const auto again = settings::parse(settings::format(r->position, r->align, r->state, r->height));
  if (r->align >= eAlignTop && r->align <= eAlignBottom && r->state >= eBarCollapsed &&
      r->state <= eBarHidden && again && fields(*again) == fields(*r))
    return;
  std::fprintf(stderr, "settings_fuzz: a bad record accepted: '%.*s'\n", static_cast<int>(text.size()),
               text.data());
  std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  checkReader(text);
  for (std::size_t start = 0; start <= text.size();) {
    const auto end = std::min(text.find('\n', start), text.size());
    checkReader(text.substr(start, end - start));
    start = end + 1;
  }
  return 0;
}

// Saving and restoring each bar's place, group, state and height under its key.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <optional>

#include "dock/dock_private.h"
#include "dock/settings_value.h"
#include "model/internals.h"

namespace tov {

namespace settings {

double leadingNumber(std::string_view text) {
  // Blanks, tabs and line feeds are ignored anywhere, as the classic numeric reading does.
  std::string s;
  for (char c : text) {
    if (c != ' ' && c != '\t' && c != '\n' && c != '\r') s.push_back(c);
  }
  std::size_t i = 0;
  std::string number;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) number.push_back(s[i++]);
  bool digits = false;
  while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
    number.push_back(s[i++]);
    digits = true;
  }
  if (i < s.size() && s[i] == '.') {
    number.push_back(s[i++]);
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
      number.push_back(s[i++]);
      digits = true;
    }
  }
  if (!digits) return 0;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
    std::size_t j = i + 1;
    std::string exponent = "e";
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) exponent.push_back(s[j++]);
    bool expDigits = false;
    while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) {
      exponent.push_back(s[j++]);
      expDigits = true;
    }
    if (expDigits) number += exponent;
  }
  return std::strtod(number.c_str(), nullptr);
}

std::optional<Record> parse(std::string_view value) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  while (fields.size() < 4) {
    const std::size_t colon = value.find(':', start);
    fields.push_back(
        value.substr(start, colon == std::string_view::npos ? std::string_view::npos : colon - start));
    if (colon == std::string_view::npos) break;
    start = colon + 1;
  }
  if (fields.size() < 4) return std::nullopt;
  Record r;
  std::int32_t* out[4] = {&r.position, &r.align, &r.state, &r.height};
  for (int k = 0; k < 4; ++k) {
    const double v = leadingNumber(fields[static_cast<std::size_t>(k)]);
    if (!std::isfinite(v) || std::fabs(v) > 2147483648.0) return std::nullopt;
    try {
      *out[k] = toInt32(v);
    } catch (const Failure&) {
      return std::nullopt;
    }
  }
  // A group or state the dock does not know would drop the bar out of the display order.
  if (r.align < eAlignTop || r.align > eAlignBottom) return std::nullopt;
  if (r.state < eBarCollapsed || r.state > eBarHidden) return std::nullopt;
  return r;
}

std::string format(std::int32_t position, std::int32_t align, std::int32_t state, std::int32_t height) {
  return std::to_string(position) + ":" + std::to_string(align) + ":" + std::to_string(state) + ":" +
         std::to_string(height);
}

/// One load or save of the layout, run as one batch of the host's settings calls. The batch is
/// begun by the constructor, which fails when the host's begin does; its end is not skipped by a
/// failure in between and cannot fail itself.
class Batch {
 public:
  explicit Batch(std::shared_ptr<HostServices> host) : mHost(std::move(host)) { mHost->BeginSettingsBatch(); }
  ~Batch() {
    skipFailure([&] { mHost->EndSettingsBatch(); });
  }
  Batch(const Batch&) = delete;
  Batch& operator=(const Batch&) = delete;

 private:
  std::shared_ptr<HostServices> mHost;
};

}  // namespace settings

std::vector<LayoutRecord> TovDockPrivate::layoutRecords() {
  std::vector<LayoutRecord> records;
  const std::int32_t count = bars().Count();
  for (std::int32_t a = eAlignTop; a <= eAlignBottom; ++a) {
    for (std::int32_t i = 1; i <= count; ++i) {
      BarRef b = bars().ItemByOrder(i);
      if (!b) throw Failure::objectNotSet();
      if (b->Key().empty() || b->AlignBar() != a) continue;
      if (mFitToDock) {
        records.push_back(fitRecord(*b, i));
        continue;
      }
      // A collapsed bar keeps the height it expands to: its title's height would lose it for good.
      const std::int32_t height = b->State() == eBarCollapsed ? b->HeightExpanded() : b->Height();
      records.push_back({b->Key(), i, b->AlignBar(), b->State(), height});
    }
  }
  return records;
}

void TovDockPrivate::pSaveSettings() {
  report("pSaveSettings", [&] {
    auto host = this->host();
    settings::Batch batch(host);
    for (const LayoutRecord& r : layoutRecords()) {
      std::string value = settings::format(r.position, r.align, r.state, r.height);
      if (mGuardedRecords) {
        // Another run may have changed what this one left alone; a record that could not be read
        // is not replaced by values that did not come from it.
        const auto known = mRecordsKnown.find(r.key);
        if (mRecordsUnread.contains(r.key) || (known != mRecordsKnown.end() && known->second == value))
          continue;
        mRecordsKnown[r.key] = value;
      }
      host->SaveSetting(templ::kSection, r.key, value, 0);
    }
  });
}

void TovDockPrivate::knowRecords() {
  mRecordsKnown.clear();
  // A bar the store holds no record for is written at the next save, as without guarded records.
  for (const LayoutRecord& r : layoutRecords())
    if (mRecordsStored.contains(r.key))
      mRecordsKnown[r.key] = settings::format(r.position, r.align, r.state, r.height);
}

void TovDockPrivate::applyLayout(
    const std::function<std::optional<LayoutRecord>(const std::string& key)>& lookup) {
  const std::int32_t count = this->count();
  std::vector<std::int32_t> order(static_cast<std::size_t>(count) + 1, 0);
  for (std::int32_t k = 1; k <= count; ++k)
    order[static_cast<std::size_t>(k)] = k;
  const bool shown = mShow;
  mLoading = true;
  mShow = false;
  // The lookup may run the host's code, which may remove the bars: each setter still stores its
  // value on the bar, although it no longer reaches the dock.
  auto each = [](auto&& step) { skipFailure(step); };
  for (std::int32_t i = 1; i <= count && alive(); ++i) {
    BarRef b = mBars ? mBars->ItemByOrder(i) : nullptr;
    if (!b || b->Key().empty()) continue;
    std::optional<LayoutRecord> r;
    each([&] { r = lookup(b->Key()); });
    // A record that does not read as known values is ignored for its bar as a whole.
    if (!r || r->position < 1 || r->position > count) continue;
    if (r->align < eAlignTop || r->align > eAlignBottom || r->state < eBarCollapsed || r->state > eBarHidden)
      continue;
    // A height beyond any screen would only overflow the sums of the layout.
    if (mGuardedRecords) r->height = std::min(r->height, LayoutRecord::kHeightMax);
    order[static_cast<std::size_t>(r->position)] = b->Index();
    b->setAlignBar(r->align);
    each([&] { b->setState(r->state); });
    each([&] {
      if (b->State() == eBarHidden && !b->ShowClose()) b->setState(eBarExpanded);
    });
    each([&] {
      if (b->AllowResize()) b->setHeight(r->height);
    });
    // In fit mode a stored height, also one an older version stored, is the bar's share.
    if (mFitToDock && BarInternals::fAllowResize(*b) && r->height > 100)
      BarInternals::fSetShare(*b, r->height);
    // A collapsed bar's record holds the height it expands to; one of an older version holds its
    // title's height, which is no height to expand to.
    if (b->State() == eBarCollapsed && BarInternals::fAllowResize(*b) &&
        r->height > BarInternals::fTitleHeight(*b))
      b->setHeightExpanded(r->height);
  }
  mShow = shown;
  // A dock not shown yet is fitted when it is shown.
  if (clsBars* all = collection(); all && !BarsInternals::fSetOrder(*all, order) && shown) pAutoSize();
  mLoading = false;
}

void TovDockPrivate::pLoadSettings() {
  // Records the application applied before the first show stand in for the stored ones.
  if (mPendingRecords) {
    const std::vector<LayoutRecord> pending = std::move(*mPendingRecords);
    mPendingRecords.reset();
    mShow = true;
    applyLayout([&](const std::string& key) -> std::optional<LayoutRecord> {
      for (const LayoutRecord& r : pending)
        if (r.key == key) return r;
      return std::nullopt;
    });
    return;
  }
  auto host = this->host();
  std::optional<settings::Batch> batch;
  skipFailure([&] { batch.emplace(host); });
  mShow = true;
  std::set<std::string> unread, stored;
  applyLayout([&](const std::string& key) -> std::optional<LayoutRecord> {
    std::string value;
    if (!mGuardedRecords) {
      value = host->GetSetting(templ::kSection, key, 0);
    } else if (std::optional<std::string> read = host->ReadSetting(templ::kSection, key)) {
      value = std::move(*read);
    } else {
      unread.insert(key);
      return std::nullopt;
    }
    if (value.empty()) return std::nullopt;
    stored.insert(key);
    const std::optional<settings::Record> r = settings::parse(value);
    if (!r) return std::nullopt;
    return LayoutRecord{key, r->position, r->align, r->state, r->height};
  });
  if (!mGuardedRecords) return;
  mRecordsUnread = std::move(unread);
  mRecordsStored = std::move(stored);
  // What the store holds is what the dock holds once it is laid out, at the end of this run.
  mRecordsLoaded = true;
}

}  // namespace tov

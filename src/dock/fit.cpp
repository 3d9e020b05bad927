// Fit mode: bars sized for their content. The stack fills the dock, each column on its own; the
// free height goes to the resizable bars in proportion to their shares and never takes a bar below
// its minimum; splitters exchange height between two bars of one group.
#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdint>
#include <vector>

#include "dock/dock_private.h"
#include "model/internals.h"

namespace tov {

namespace {

/// A shown bar as the fit sees it. Lengths are wide: no sum of 32-bit heights overflows here.
struct FitBar {
  BarRef bar;
  /// Expanded as far as its user knows (the fit may have folded it) and with the resize switch.
  bool resizable = false;
  /// Folding it to its title gives room.
  bool canFold = false;
  /// Title strip, the distance to the body and the splitter strip.
  std::int64_t chrome = 0;
  std::int64_t minBody = 0;
  /// Its part of the free height, relative to the others'.
  std::int64_t share = 1;
  /// The height of a bar that is not resizable, and a bar's height folded to its title.
  std::int64_t fixed = 0, folded = 0;
  /// What the fit gives it.
  bool fold = false;
  std::int64_t height = 0;

  std::int64_t least() const { return chrome + minBody; }
  std::int64_t preferred() const {
    return resizable ? least() + std::max<std::int64_t>(0, share - minBody) : fixed;
  }
};

enum Group : std::size_t { kTop, kLeft, kRight, kBottom };
using Groups = std::array<std::vector<FitBar>, 4>;

std::int64_t whole(double v) {
  return static_cast<std::int64_t>(std::llround(v));
}

std::int32_t clamp32(std::int64_t v) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
}

/// The fit's heights of a group added up, or with `standing` the heights its bars have now.
std::int64_t sum(const std::vector<FitBar>& group, bool standing = false) {
  std::int64_t s = 0;
  for (const FitBar& f : group)
    s += standing ? f.bar->Height() : f.height;
  return s;
}

/// The shown bars, group by group in display order, measured for the fit. Runs no foreign code.
Groups measure(const TovDockPrivate& d) {
  Groups groups;
  const clsBars* all = d.collection();
  if (!all) return groups;
  const auto& items = BarsInternals::fItems(*all);
  const auto& order = BarsInternals::fOrder(*all);
  for (std::size_t pos = 1; pos < order.size() && pos <= items.size(); ++pos) {
    const std::int32_t index = order[pos];
    if (index < 1 || static_cast<std::size_t>(index) > items.size()) continue;
    const BarRef& b = items[static_cast<std::size_t>(index) - 1];
    const std::int32_t align = b->AlignBar();
    if (b->State() == eBarHidden || align < eAlignTop || align > eAlignBottom) continue;
    FitBar f{b};
    const bool expanded = b->State() == eBarExpanded || BarInternals::fFitFolded(*b);
    const BarElements* e = d.set(index);
    const std::int64_t title = whole(e ? e->picTitel->Height() : twips::kTitleHeight);
    // A distance to the body of the application's choosing: within 32 bits, above the title.
    const std::int64_t above = std::max<std::int64_t>(0, title + BarInternals::fTopBar(*b));
    const std::int64_t share = BarInternals::fShare(*b);
    const std::int64_t preferred = b->PreferredBodyHeight();
    f.resizable = expanded && b->ResizeFlag();
    if (f.resizable) {
      f.chrome = above + whole(e ? e->picSplit->Height() : twips::kSplitHeight);
      // Without a minimum of its own, the least height automatic sizing keeps.
      f.minBody = std::clamp<std::int64_t>(twips::kAutoSizeMin - f.chrome, b->MinBodyHeight(), INT32_MAX);
      f.share = std::max<std::int64_t>(1, share > 0       ? share - f.chrome
                                          : preferred > 0 ? preferred
                                                          : twips::kResetHeight - f.chrome);
      f.folded = BarInternals::fTitleHeight(*b);
      // The bar's height setter refuses a title height of 100 or less: such a bar does not fold.
      f.canFold = f.folded > 100 && f.folded < f.least();
    } else if (expanded) {
      // A height given by hand, else its content's, else the one it has.
      f.fixed = share > 100     ? share
                : preferred > 0 ? above + std::max<std::int64_t>(preferred, b->MinBodyHeight())
                                : b->Height();
    } else {
      f.fixed = b->Height();
    }
    f.height = f.resizable ? f.least() : f.fixed;
    groups[static_cast<std::size_t>(align - eAlignTop)].push_back(std::move(f));
  }
  return groups;
}

/// Gives `free` to the bars in proportion to their shares, none below its minimum body; `free` is
/// at least the sum of the minimums.
void distribute(const std::vector<FitBar*>& bars, std::int64_t free) {
  std::int64_t S = 0;
  for (const FitBar* f : bars)
    S += f->share;
  // Shares only count relative to each other: scaled down, every product below stays in 64 bits.
  int shift = 0;
  while ((S >> shift) >= (std::int64_t{1} << 31))
    ++shift;
  std::vector<std::int64_t> s;
  S = 0;
  for (const FitBar* f : bars)
    S += s.emplace_back(std::max<std::int64_t>(1, f->share >> shift));
  // A bar whose part would fall below its minimum keeps the minimum; the rest is shared anew. The
  // bars are tried by their minimum against their share, the largest first: once one keeps its
  // part, the parts only grow and every later one keeps its part too.
  std::vector<std::size_t> byNeed(bars.size());
  for (std::size_t i = 0; i < byNeed.size(); ++i)
    byNeed[i] = i;
  std::stable_sort(byNeed.begin(), byNeed.end(), [&](std::size_t a, std::size_t b) {
    return bars[a]->minBody * s[b] > bars[b]->minBody * s[a];
  });
  std::vector<bool> held(bars.size(), false);
  for (std::size_t i : byNeed) {
    if (free * s[i] >= bars[i]->minBody * S) break;
    held[i] = true;
    bars[i]->height = bars[i]->least();
    free -= bars[i]->minBody;
    S -= s[i];
  }
  // Whole twips from running sums: the parts add up to `free` exactly, none below its exact value
  // rounded down.
  std::int64_t running = 0, given = 0;
  for (std::size_t i = 0; i < bars.size(); ++i) {
    if (held[i]) continue;
    running += s[i];
    const std::int64_t upTo = free * running / S;
    bars[i]->height = bars[i]->chrome + (upTo - given);
    given = upTo;
  }
}

/// Fills `height` with the bars of one column, top to bottom. When their minimums do not fit,
/// bars fold from the bottom up, the one expanded last (`keep`) only when no other is left.
void fill(const std::vector<FitBar*>& bars, std::int64_t height, const cTovBar* keep) {
  std::int64_t need = 0;
  for (const FitBar* f : bars)
    need += f->height;
  for (int round = 0; round < 2 && need > height; ++round) {
    for (auto it = bars.rbegin(); it != bars.rend() && need > height; ++it) {
      FitBar& f = **it;
      if (!f.resizable || !f.canFold || f.fold || (round == 0 && f.bar.get() == keep)) continue;
      f.fold = true;
      f.height = f.folded;
      need -= f.least() - f.folded;
    }
  }
  // Once the bar expanded last had to fold too, some folded before it may fit again: the highest
  // open first, as they folded from the bottom up.
  const bool keepFolded =
      std::any_of(bars.begin(), bars.end(), [&](const FitBar* f) { return f->fold && f->bar.get() == keep; });
  for (FitBar* f : bars) {
    if (!keepFolded || !f->fold || f->bar.get() == keep || need + f->least() - f->folded > height) continue;
    f->fold = false;
    f->height = f->least();
    need += f->least() - f->folded;
  }
  std::vector<FitBar*> open;
  std::int64_t free = height, mins = 0;
  for (FitBar* f : bars) {
    free -= f->resizable && !f->fold ? f->chrome : f->height;
    if (f->resizable && !f->fold) open.push_back(f), mins += f->minBody;
  }
  // Too little even so: the bars keep their minimums and the stack runs past the dock.
  if (!open.empty() && free > mins) distribute(open, free);
}

/// Free height below each group of the bars as they stand: the gap under the shorter column, and
/// under the stack. A fitted stack leaves none, however far its bars lie above their minimums.
std::array<std::int64_t, 4> freeBelow(const Groups& g, std::int64_t H) {
  const std::int64_t top = sum(g[kTop], true), left = sum(g[kLeft], true), right = sum(g[kRight], true),
                     bottom = sum(g[kBottom], true);
  const std::int64_t middle = std::max(left, right);
  const bool below = !g[kBottom].empty();
  std::array<std::int64_t, 4> free{};
  free[kTop] = g[kLeft].empty() && g[kRight].empty() && !below ? H - top : 0;
  free[kLeft] = below ? middle - left : H - top - left;
  free[kRight] = below ? middle - right : H - top - right;
  free[kBottom] = H - top - middle - bottom;
  for (std::int64_t& f : free)
    f = std::max<std::int64_t>(0, f);
  return free;
}

/// Which group, and which place in it, bar `Index` has.
std::pair<std::size_t, std::size_t> place(const Groups& g, std::int32_t Index) {
  for (std::size_t k = 0; k < g.size(); ++k)
    for (std::size_t i = 0; i < g[k].size(); ++i)
      if (g[k][i].bar->Index() == Index) return {k, i};
  return {g.size(), 0};
}

}  // namespace

// ---- The public face ----

bool TovDock::FitToDock() const {
  return d->mFitToDock;
}

void TovDock::setFitToDock(bool on) {
  TovDockPrivate::Run run(*d);
  if (on == d->mFitToDock || !d->alive()) return;
  d->mFitToDock = on;
  d->giveSplitsWindows(!on);  // fitted, a body ends where its splitter strip begins
  const BarsRef all = d->mBars;
  if (!all) return;
  for (std::int32_t i = 1; i <= all->Count() && d->alive(); ++i) {
    const BarRef b = all->Item(i);
    if (!b) continue;
    if (on) {
      // The heights the bars have are what they were given: their shares.
      const std::int32_t h = b->State() == eBarExpanded ? b->Height() : b->HeightExpanded();
      if (BarInternals::fShare(*b) == 0 && h > 100) BarInternals::fSetShare(*b, h);
    } else if (BarInternals::fFitFolded(*b)) {
      // Bars the fit folded come back as their user left them.
      BarInternals::fSetFitFolded(*b, false);
      skipFailure([&] { b->setState(eBarExpanded); });
    }
  }
}

std::int32_t TovDock::MinimumHeight() const {
  return d->fitNeeds(false);
}

std::int32_t TovDock::PreferredHeight() const {
  return d->fitNeeds(true);
}

std::int32_t TovDock::MinimumWidth() const {
  std::int64_t width = whole(twips::kMinWidth);
  for (const auto& group : measure(*d))
    for (const FitBar& f : group) {
      const std::int64_t body = f.bar->MinBodyWidth();
      const bool column = f.bar->AlignBar() == eAlignLeft || f.bar->AlignBar() == eAlignRight;
      const double bars = column ? 2 * (body + twips::kColumnGap) : static_cast<double>(body);
      const double scroll = d->mAllowScroll && d->VScroll ? d->VScroll->Width() : 0;
      width = std::max(width, whole(bars + twips::kRightMargin + scroll));
    }
  return clamp32(width);
}

// ---- Sizing ----

std::int32_t TovDockPrivate::fitNeeds(bool preferred) const {
  const Groups g = measure(*this);
  std::array<std::int64_t, 4> need{};
  for (std::size_t k = 0; k < g.size(); ++k)
    for (const FitBar& f : g[k])
      need[k] += preferred ? f.preferred() : f.height;
  const std::int64_t total = need[kTop] + std::max(need[kLeft], need[kRight]) + need[kBottom];
  return clamp32(std::max<std::int64_t>(total, whole(twips::kMinHeight)));
}

void TovDockPrivate::fitToDock() {
  Groups g = measure(*this);
  if (!mAllowScroll) {
    const std::int64_t H = whole(Height());
    // The column that needs more governs the top and bottom groups; the other fills what is left.
    auto needs = [&](Group k) {
      std::int64_t least = 0, wish = 0;
      for (const FitBar& f : g[k])
        least += f.height, wish += f.preferred();
      return std::pair(least, wish);
    };
    const cTovBar* keep = barPtr(mFitKeep);
    auto fit = [&](Group governing, Group other) {
      std::vector<FitBar*> stack;
      for (Group k : {kTop, governing, kBottom})
        for (FitBar& f : g[k])
          stack.push_back(&f);
      fill(stack, H, keep);
      std::vector<FitBar*> column;
      for (FitBar& f : g[other])
        column.push_back(&f);
      fill(column, H - sum(g[kTop]) - sum(g[kBottom]), keep);
    };
    const bool leftGoverns = needs(kLeft) >= needs(kRight);
    const Group governing = leftGoverns ? kLeft : kRight, other = leftGoverns ? kRight : kLeft;
    fit(governing, other);
    // Folded to make room, the governing column may end up shorter than the other, which then runs
    // past the dock: the other governs instead.
    if (sum(g[other]) > sum(g[governing])) {
      g = measure(*this);
      fit(other, governing);
    }
  } else {
    for (auto& group : g)
      for (FitBar& f : group)
        if (f.resizable) f.height = f.preferred();
  }
  // The bars folded or unfolded are repainted by the layout pass that follows. A frame's move may
  // run a handler that fits anew (see mStacks): its fit stands, and the bar set here stays the fit's.
  Run run(*this);
  const std::uint32_t fit = ++mFits;
  const std::int32_t outer = mFitBar;
  for (auto& group : g)
    for (FitBar& f : group) {
      if (mFits != fit || !alive()) return;
      cTovBar& b = *f.bar;
      mFitBar = b.Index();
      if (f.fold != BarInternals::fFitFolded(b)) {
        BarInternals::fSetFitFolded(b, f.fold);
        skipFailure([&] { b.setState(f.fold ? eBarCollapsed : eBarExpanded); });
      }
      // A folded bar is as high as its title, also after the application gave it another height.
      if (mFits == fit && b.State() == (f.fold ? eBarCollapsed : eBarExpanded))
        skipFailure([&] { b.setHeight(clamp32(f.height)); });
      mFitBar = outer;
    }
}

std::int32_t TovDockPrivate::fitStack() {
  std::int32_t extent = 0;
  const std::uint32_t stack = ++mStacks;
  const bool stacked = report("TovDock: pResizeHeight", [&] {
    // The bars in order, hidden ones included. A move may run a handler that stacks them anew.
    std::array<std::vector<const cTovBar*>, 4> groups;
    std::array<std::int64_t, 4> height{};
    for (std::int32_t pos = 1; pos <= bars().Count(); ++pos) {
      const cTovBar* b = barPtrByOrder(pos);
      if (!b) throw Failure::objectNotSet();
      const auto k =
          static_cast<std::size_t>(std::clamp<std::int32_t>(b->AlignBar(), eAlignTop, eAlignBottom) - 1);
      groups[k].push_back(b);
      height[k] += b->Height();
    }
    const std::int64_t D = VScroll->Visible() ? -VScroll->Value() : 0;
    const std::int64_t middle = height[kTop] + std::max(height[kLeft], height[kRight]);
    const std::array<std::int64_t, 4> start{0, height[kTop], height[kTop], middle};
    for (std::size_t k = 0; k < groups.size(); ++k) {
      std::int64_t y = start[k];
      for (const cTovBar* b : groups[k]) {
        std::int32_t top = toInt32(static_cast<double>(y + D));
        fSetTop(toInt16(b->Index()), top);
        if (mStacks != stack) return void(extent = alive() ? fitStack() : 0);
        y += b->Height();
      }
    }
    extent = toInt32(static_cast<double>(middle + height[kBottom]));
  });
  return stacked ? extent : 0;
}

// ---- Splitters ----

void TovDockPrivate::fitLimits() {
  const Groups g = measure(*this);
  const auto free = freeBelow(g, whole(Height()));
  // Showing or hiding a splitter repaints its bar, which runs the application's handlers (see
  // pSetHeightMax): the bars are held, and a handler that changed the states or ran a walk of its
  // own ends this one.
  const std::uint32_t redone = ++mLimitsRedone;
  for (std::size_t k = 0; k < g.size(); ++k) {
    for (std::size_t i = 0; i < g[k].size() && alive() && mLimitsRedone == redone; ++i) {
      const FitBar& f = g[k][i];
      const FitBar* next = i + 1 < g[k].size() ? &g[k][i + 1] : nullptr;
      const std::int64_t room =
          next && next->resizable ? std::max<std::int64_t>(0, next->bar->Height() - next->least()) : 0;
      skipFailure([&] { f.bar->setHeightMax(clamp32(f.bar->Height() + free[k] + room)); });
      skipFailure([&] { f.bar->setShowResize(next && f.bar->AllowResize() && next->bar->AllowResize()); });
    }
  }
}

void TovDockPrivate::fitCapturePair(std::int16_t Index) {
  mPair = {};
  const Groups g = measure(*this);
  const auto [k, i] = place(g, Index);
  if (k >= g.size() || !g[k][i].resizable) return;
  const FitBar& bar = g[k][i];
  // The bar below in the group, or above it for the lowest one.
  const FitBar* partner = i + 1 < g[k].size() ? &g[k][i + 1] : i > 0 ? &g[k][i - 1] : nullptr;
  if (partner && !partner->resizable) partner = nullptr;
  mPair.bar = Index;
  mPair.height = bar.bar->Height();
  mPair.least = bar.least();
  mPair.free = mAllowScroll ? INT32_MAX : freeBelow(g, whole(Height()))[k];
  if (partner && !mAllowScroll) {
    mPair.partner = partner->bar->Index();
    mPair.partnerHeight = partner->bar->Height();
    mPair.partnerLeast = partner->least();
  }
}

void TovDockPrivate::fitResizeBar(std::int16_t Index) {
  if (mPair.bar != Index) fitCapturePair(Index);
  const BarRef b = barAt(Index);
  const BarElements* e = set(Index);
  if (!b || !e || mPair.bar != Index) return;
  // The bar is asked for the height down to the strip's lower edge, also one its setter refuses.
  // It grows into the free height first, then at its partner's cost down to the partner's
  // minimum; it shrinks down to its own, and the partner takes what it gives.
  const std::int64_t asked = whole(e->picSplit->Top() + e->picSplit->Height());
  const SplitPair p = mPair;
  const std::int64_t most = p.height + p.free + std::max<std::int64_t>(0, p.partnerHeight - p.partnerLeast);
  const std::int64_t h = std::max(p.least, std::min(asked, most));
  const std::int64_t partner = h >= p.height
                                   ? p.partnerHeight - std::max<std::int64_t>(0, h - p.height - p.free)
                                   : p.partnerHeight + (p.height - h);
  const BarRef other = p.partner ? barAt(p.partner) : nullptr;
  const std::int32_t before = other ? other->Height() : 0;
  {
    Run run(*this);
    mFitBar = Index;
    skipFailure([&] { b->setHeight(clamp32(h)); });
    skipFailure([&] { b->setHeightMax(clamp32(most)); });
    mFitBar = p.partner;
    if (other) skipFailure([&] { other->setHeight(clamp32(partner)); });
    mFitBar = 0;
  }
  if (mAllowScroll) pSetScrollHeightMax();
  pResizeHeight();
  pPlaceSplit(Index);
  if (other) {
    pPlaceSplit(static_cast<std::int16_t>(p.partner));
    // The partner's control follows its new height; the application's CtlResize runs there.
    if (other->Height() != before) pPlaceControl(static_cast<std::int16_t>(p.partner));
  }
  if (alive()) pPlaceControl(Index);
}

void TovDockPrivate::fitBarChanged(std::int16_t Index, bool byHand) {
  if (!mShow) return;
  if (byHand) {
    // A release without a move finds no pair yet: the heights as they are now are where it began.
    if (mPair.bar != Index) fitCapturePair(Index);
    const SplitPair pair = mPair;
    report("TovDock: OrderBars", [&] { fitResizeBar(Index); });
    const BarRef b = barAt(Index);
    const BarRef other = pair.partner ? barAt(pair.partner) : nullptr;
    // Heights the user changed are the shares from now on; a release where it began changes none.
    if (alive() && b && (b->Height() != pair.height || (other && other->Height() != pair.partnerHeight)))
      fitTakeShares();
  }
  mPair = {};
  if (!mAllowScroll && alive()) fitLimits();
  if (alive()) pResizeHeight();
  if (alive()) pSaveSettings();
}

// ---- Shares, states and records ----

void TovDockPrivate::fitTakeShares() {
  for (const auto& group : measure(*this))
    for (const FitBar& f : group)
      if (f.resizable && f.bar->State() == eBarExpanded) BarInternals::fSetShare(*f.bar, f.bar->Height());
}

void TovDockPrivate::fitHeightSet(std::int16_t Index) {
  // The fit's own heights, and those a splitter drag asks for (its exchange sets the shares).
  cTovBar* b = Index == mFitBar || Index == mPair.bar ? nullptr : barPtr(Index);
  if (b && b->State() == eBarExpanded && !BarInternals::fChangingState(*b))
    BarInternals::fSetShare(*b, b->Height());
}

void TovDockPrivate::fitStateSet(std::int16_t Index) {
  if (Index == mFitBar) return;
  if (BarRef b = barAt(Index)) {
    BarInternals::fSetFitFolded(*b, false);
    // Loading a layout expands no bar by choice: the one kept open stays, and a restored state
    // folds as it did when saved.
    if (b->State() == eBarExpanded && !mLoading) mFitKeep = Index;
  }
  if (!mShow) return;
  pPaint(Index);
  if (!alive()) return;
  // A handler that changes states meanwhile stops a limits walk that ran it (see pSetHeightMax).
  ++mLimitsRedone;
  OrderBars(false);
}

LayoutRecord TovDockPrivate::fitRecord(const cTovBar& b, std::int32_t position) const {
  const std::int32_t state = BarInternals::fFitFolded(b) ? eBarExpanded : b.State();
  const std::int32_t share = BarInternals::fShare(b);
  const bool shared = b.State() != eBarHidden && b.ResizeFlag() && share > 100;
  // Else the height it expands to, the default where it never had one (the setter refuses that).
  const std::int32_t height = shared ? share : b.State() == eBarHidden ? b.Height() : b.HeightExpanded();
  return {b.Key(), position, b.AlignBar(), state, height};
}

}  // namespace tov

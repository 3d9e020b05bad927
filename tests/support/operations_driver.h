#pragma once
// A random walk over the dock's public API and the user's input on the headless backend, with
// application handlers, host services and hosted controls that re-enter the dock. Every choice is
// taken from a byte stream, so the same driver serves a seeded test and a coverage-guided fuzzer.
// After every step the walk checks what must always hold; the first break ends the walk with a
// description.
#include <algorithm>
#include <array>
#include <cmath>

#include "dock/settings_value.h"
#include "support/byte_choices.h"
#include "support/dock_access.h"
#include "support/memory_host.h"
#include "support/ui_driver.h"
#include "tovdock/dock.h"
#include "tovdock/headless.h"

namespace tov::test {

class OperationsDriver {
 public:
  OperationsDriver(const std::uint8_t* data, std::size_t size) : in(data, size) {
    host->hostile = [this](std::string_view) { reenter(hostAct); };
    HostServices::setInstance(host);
    build();
  }
  ~OperationsDriver() {
    hostAct = controlAct = Act::None;
    if (dock) dock->Closed = dock->CtlResize = dock->RightClick = nullptr;
    dock.reset();
    made.clear();
    HostServices::setInstance(nullptr);
  }

  /// Runs at most `maxSteps` steps; the first broken rule, or nothing.
  std::optional<std::string> run(int maxSteps) {
    for (steps = 0; steps < maxSteps && !in.done(); ++steps) {
      const std::uint32_t op = in.below(24);
      laidOut = painted = dragged = false;
      mode = static_cast<Hostile>(in.below(5));
      // The host's and the hosted controls' own code acts once in a step, at the first chance.
      hostAct = static_cast<Act>(in.below(2 * static_cast<int>(Act::Count)));
      controlAct = static_cast<Act>(in.below(2 * static_cast<int>(Act::Count)));
      // The API's refusals (missing bars, a dock that is gone) reach the application as failures.
      const std::size_t saves = host->saves.size();
      const int acted = reentries;
      failureNumber([&] { step(op); });
      // A drop the dock saved lays the stack out, unless the application's code changed the bars
      // meanwhile.
      laidOut = laidOut || (dragged && host->saves.size() > saves && reentries == acted);
      hostAct = controlAct = Act::None;
      if (!dock) build();
      if (auto broken = check())
        return "step " + std::to_string(steps) + " (op " + std::to_string(op) + "): " + *broken;
    }
    return std::nullopt;
  }

  /// Steps run; steps after which a stack that fits was checked to lie inside the dock, and after which
  /// the stack was checked in fit mode; bars checked to come back from the store as saved; times the host
  /// or a hosted control called back into the dock.
  int steps = 0, fitsChecked = 0, fitChecked = 0, restoredChecked = 0, reentries = 0;

 private:
  /// Half of the choices are None: most steps run with a quiet host and quiet controls.
  enum class Act { None, DropDock, ClearBars, AssignControl, ReleaseControl, ChangeState, ShowDock, Count };

  void build() {
    dock = TovDock::create(toolkit);
    toolkit->native().SetParent(dock->surface().hWnd(), form);
    dock->surface().setVisible(true);
    ui.emplace(dock->surface());
    // A running application: terminating saves the layout.
    ui->setUserMode(true);
    // Two reads of the input are taken in a braced list, which is read left to right whatever the
    // compiler: the fuzzer's findings replay the same in every build.
    const auto [width, height] = std::array{in.between(500, 9000), in.between(200, 9000)};
    dock->resize(width, height);
    dock->setFitToDock(in.flip());
    // Handlers reach the driver, never the dock they were installed on: that one may be gone.
    dock->CtlResize = [this](std::string&) {
      if (mode != Hostile::ResizeChangesStates || depth > 1 || !dock) return;
      ++depth;
      failureNumber([&] {
        if (BarRef b = anyBar()) b->setState(in.between(0, 2));
      });
      --depth;
    };
    dock->Closed = [this](std::string&) {
      if (mode == Hostile::ClosedClears && dock) dock->Bars()->Clear();
    };
    dock->RightClick = [this](std::string&) {
      if (mode == Hostile::RightClickDrops) dock.reset();
    };
    dock->OptShow = [this](std::string& key, bool& reload) {
      if (mode != Hostile::OptShowChanges) return;
      key = in.flip() ? std::string() : keyName(in.below(6));
      reload = in.flip();
    };
  }

  static std::string keyName(std::uint32_t k) { return k == 0 ? std::string() : "k" + std::to_string(k); }

  BarsRef bars() const { return dock ? dock->Bars() : nullptr; }
  std::int32_t count() const { return bars() ? bars()->Count() : 0; }
  BarRef anyBar() { return count() == 0 ? nullptr : bars()->Item(in.between(1, count())); }
  /// A bar of this dock, or now and then one that an earlier dock or a Clear left behind.
  BarRef target() {
    if (!made.empty() && in.below(8) == 0) return made[in.below(static_cast<std::uint32_t>(made.size()))];
    return anyBar();
  }

  /// A point on an element of bar `i` (one of the title buttons, the strip, the splitter).
  std::optional<std::pair<double, double>> pointOn(std::int32_t i, std::uint32_t which) {
    DockTestAccess a(*dock);
    if (i < 1 || i > a.ubound() || !a.loaded(i)) return std::nullopt;
    Element* parts[] = {&a.imgClose(i), &a.imgCollapse(i), &a.imgExpand(i),
                        &a.imgOpt(i),   &a.picTitel(i),    &a.picSplit(i)};
    Element& e = *parts[which % 6];
    return std::make_pair(ui->absLeft(e) + std::min(e.Width() / 2, 100.0),
                          ui->absTop(e) + std::min(e.Height() / 2, 30.0));
  }

  /// A hosted control whose Move, Height, Visible and parent changes may call back into the dock.
  ControlRef newControl(const char* name, std::optional<std::int32_t> align = std::nullopt) {
    auto c = std::make_shared<headless::TestControl>(*toolkit, name, align, form);
    c->onMember = [this](std::string_view) { reenter(controlAct); };
    return c;
  }

  /// What the host's or a control's own code does to the dock: drop it, clear the bars, give a bar
  /// another control or none, change a bar's state, or show the dock.
  void reenter(Act& act) {
    const Act now = std::exchange(act, Act::None);
    if (now == Act::None || now >= Act::Count || depth > 0 || !dock) return;
    ++reentries;
    ++depth;
    failureNumber([&] {
      BarRef b = now >= Act::AssignControl && now <= Act::ChangeState ? anyBar() : nullptr;
      if (now == Act::DropDock) dock.reset();
      if (now == Act::ClearBars) bars()->Clear();
      if (now == Act::AssignControl && b) b->setControl(newControl("r"));
      if (now == Act::ReleaseControl && b) b->setControl(nullptr);
      if (now == Act::ChangeState && b) b->setState(in.between(0, 2));
      if (now == Act::ShowDock) dock->setShow(true);
    });
    --depth;
  }

  void step(std::uint32_t op) {
    // One to three bars at a time, twelve at most.
    for (std::int32_t k = op < 2 ? in.between(1, 3) : 0; k > 0 && dock && count() < 12; --k) {
      BarRef b = bars()->Add();
      if (!b) return;
      made.push_back(b);
      b->setKey(keyName(in.below(8)));
      b->setTitle(b->Key());
      if (in.flip()) b->setAllowResize(true);
      if (in.flip()) b->setControl(newControl("c"));
      // What its content needs and wants (for the fit mode; nothing or less than nothing at times).
      const auto [least, wish] = std::array{in.between(-100, 1500), in.between(-100, 3000)};
      b->setMinBodyHeight(least), b->setPreferredBodyHeight(wish);
    }
    if (op == 2 || op == 3) setProperty();
    if (op == 4) dock->setShow(in.below(4) != 0), laidOut = painted = true;
    if (op == 5) in.flip() ? dock->setAllowScroll(in.flip()) : dock->setFitToDock(in.flip());
    if (op == 6) {
      const auto [width, height] = std::array{in.between(-100, 12000), in.between(-100, 12000)};
      dock->resize(width, height), laidOut = true;
    }
    if (op >= 7 && op <= 14) {
      // A click on a title button, the strip or the splitter of some bar, a right click now and
      // then; a splitter drag; a title dragged and dropped somewhere in the dock, or outside it.
      const std::int32_t bar = in.between(1, std::max(1, count()));
      auto p = pointOn(bar, op <= 10 ? in.below(6) : op <= 12 ? 5 : 4);
      if (!p) return;
      const auto [x, y] = *p;
      if (op <= 10) return ui->click(x, y, in.below(5) == 0 ? btnRight : btnLeft);
      ui->press(x, y);
      for (int k = op <= 12 ? in.between(1, 3) : 0; k > 0 && ui; --k)
        ui->move(x, y + in.between(-6000, 6000));
      if (op <= 12) return ui->release(x, y + in.between(-6000, 6000));
      const auto [dx, dy] = std::array{in.between(-200, 200), in.between(-200, 200)};
      ui->move(x + dx, y + dy);
      // A title not on screen yet leaves the press to what lies there, a splitter at times, whose
      // release exchanges heights and lays out nothing.
      dragged = dock && DockTestAccess(*dock).dragSource() != 0;
      const auto [rx, ry] = std::array{in.between(-500, 9000), in.between(-500, 9000)};
      ui->release(rx, ry);
    }
    if (op == 15) {
      // What the dock did not drag changes neither its order nor its groups, nor the store, and
      // fails nowhere.
      auto layout = [&] {
        std::vector<std::int32_t> now = BarsInternals::fOrder(*bars());
        for (std::int32_t i = 1; i <= count(); ++i)
          now.push_back(bars()->Item(i)->AlignBar());
        now.push_back(static_cast<std::int32_t>(host->saves.size() + toolkit->messages().size()));
        return now;
      };
      const auto before = layout();
      const auto [fx, fy] = std::array{in.between(0, 9000), in.between(0, 9000)};
      ui->dropForeign(fx, fy);
      if (dock && layout() != before) breaks.push_back("a foreign drop moved bars or failed");
    }
    if (op == 16) {
      ScrollBar& bar = DockTestAccess(*dock).VScroll();
      const std::int32_t v = in.between(-100, 20000);
      in.flip() ? ui->scrollTo(bar, v) : ui->scrollThumb(bar, v);
    }
    if (op == 17) {
      const std::int32_t which = in.between(-2, count() + 1);
      dock->ShowElement(which), laidOut = true, painted = which == -1;
    }
    if (op == 18) {
      const auto [cx, cy] = std::array{in.between(0, 9000), in.between(0, 9000)};
      ui->click(cx, cy, in.flip() ? btnRight : btnLeft);
    }
    // Routines reached directly, not through an entry point that keeps the dock alive.
    if (op == 19) DockTestAccess(*DockRef(dock)).pSaveSettings();
    if (op == 20) DockTestAccess(*DockRef(dock)).pLoadSettings();
    if (op == 21) restart();
    // Through a plain reference, as an application may hold it: the collection keeps itself.
    if (clsBars* all = op == 22 ? bars().get() : nullptr) all->Clear();
    if (op >= 23) hostileStore();
  }

  /// The application ends and starts again with bars of the same keys.
  void restart() {
    std::vector<std::pair<BarRef, ControlRef>> held;
    for (std::int32_t i = 1; i <= count(); ++i)
      held.emplace_back(bars()->Item(i), bars()->Item(i)->Control());
    dock->Terminate();
    dock.reset();
    // The ended dock handed every control back, hidden, to the window it came from. A control that
    // a handler gave a bar while the dock ended stays with that bar.
    for (const auto& [b, c] : held)
      if (c && (b->Control() == c || valueToBool(c->get("Visible")) ||
                toolkit->native().GetParent(valueToInt32(c->get("hWnd"))) != form))
        breaks.push_back("an ended dock kept the control of bar '" + b->Key() + "'");
    // Quiet handlers, host and controls: what the new run shows must come from the store alone.
    hostAct = controlAct = Act::None;
    mode = Hostile::None;
    build();
    for (const auto& [old, c] : held) {
      BarRef b = bars()->Add();
      if (!b) break;
      b->setKey(old->Key());
      b->setAllowResize(in.flip());
    }
    dock->setShow(true);
    laidOut = painted = true;
    expectRestored();
  }

  void setProperty() {
    BarRef b = target();
    if (!b) return;
    const std::uint32_t which = std::min<std::uint32_t>(in.below(16), 15);
    if (which < 2) {
      // Groups and states out of range are refused and leave the value as it was; others are taken.
      const bool align = which == 0;
      const std::int32_t before = align ? b->AlignBar() : b->State();
      const std::int32_t v = align ? in.between(-1, 6) : in.between(-2, 4);
      const bool outside = align ? v < eAlignTop || v > eAlignBottom : v < eBarCollapsed || v > eBarHidden;
      const std::int32_t error = failureNumber([&] { align ? b->setAlignBar(v) : b->setState(v); });
      const bool threw = error == errInvalidValue;
      if (error != 0 && !threw) return;  // another failure reaches the application as it is
      if (outside != threw || (threw && (align ? b->AlignBar() : b->State()) != before))
        breaks.push_back((align ? "AlignBar " : "State ") + std::to_string(v) +
                         (threw ? " was refused wrongly" : " was taken"));
      // A new state is laid out with the neighbours at once unless the stack scrolls.
      laidOut = !align && !threw && v != before && dock && !dock->AllowScroll();
      return;
    }
    if (which == 2) b->setHeight(in.number());
    if (which == 3) {
      // Limits the dock sets, and the content's heights: mostly plausible, now and then hostile.
      const std::uint32_t pick = in.below(4);
      const std::int32_t v = pick % 3 == 0 ? in.number() : in.between(-100, 3000);
      pick == 0 ? b->setHeightMax(v) : pick == 2 ? b->setPreferredBodyHeight(v) : b->setMinBodyHeight(v);
    }
    // The bar's switches, and where it stands: a setter chosen before its value is read.
    using Bar = cTovBar;
    static constexpr void (Bar::*switches[])(bool) = {&Bar::setAllowResize, &Bar::setCanExpand,
                                                      &Bar::setShowClose, &Bar::setShowResize,
                                                      &Bar::setShowOptions};
    static constexpr void (Bar::*places[])(std::int32_t) = {&Bar::setTop, &Bar::setLeft, &Bar::setWidth};
    if (which >= 4 && which <= 8) ((*b).*switches[which - 4])(in.flip());
    if (which == 9) b->setKey(keyName(in.below(8)));
    if (which == 10) b->setTitle(in.flip() ? "" : std::string(in.below(60), 'T'));
    if (which == 11) b->setTitleRight(std::string(in.below(60), 'R'));
    if (which == 12) b->setTitleVertical(in.flip());
    if (which == 13) ((*b).*places[in.below(3)])(in.number());
    if (which == 14) {
      const std::uint32_t pick = in.below(3);
      b->setControl(pick == 0 ? newControl("c") : pick == 1 ? newControl("aligned", 1) : nullptr);
    }
    if (which == 15) {
      b->setTitleBackColorStart(static_cast<Color>(in.below(0x1000000)));
      b->setTitleForeColor(static_cast<Color>(in.below(0x1000000)));
    }
  }

  /// Every keyed bar whose record reads takes its group and state from it; the new bars do not
  /// show a close button, so none of them may come back hidden. The others, and every bar without a
  /// key whatever the store holds for it, stay expanded top bars.
  void expectRestored() {
    const std::int32_t n = count();
    for (std::int32_t i = 1; i <= n; ++i) {
      BarRef b = bars()->Item(i);
      auto r = settings::parse(host->value(b->Key()));
      if (b->Key().empty() || !r || r->position < 1 || r->position > n)
        r = settings::Record{0, eAlignTop, eBarExpanded, 0};
      else
        ++restoredChecked;
      const std::int32_t state = r->state == eBarHidden ? eBarExpanded : r->state;
      // A bar the fit folded is expanded as far as its user knows.
      if (b->AlignBar() != r->align || (BarInternals::fFitFolded(*b) ? eBarExpanded : b->State()) != state)
        breaks.push_back("bar '" + b->Key() + "' did not come back as " + host->value(b->Key()));
    }
  }

  /// Records the application or another version may have left in the store.
  void hostileStore() {
    static const char* values[] = {"",    "1:1:1:1000", "9:9:9:9",   "-1:1:1:500", "2:4:2:800",
                                   "1:2", "x:y:z:w",    "1e9:1:1:1", "3:3:0:0",    "2.5:1.5:0.5:999.5"};
    host->store[{"DockBar", keyName(in.below(8))}] = values[in.below(std::size(values))];
  }

  std::optional<std::string> check() {
    if (!breaks.empty()) return breaks.front();
    BarsRef all = bars();
    if (!all) return "a live dock without its bar collection";
    const std::int32_t n = all->Count();
    const auto& order = BarsInternals::fOrder(*all);
    if (order.size() != static_cast<std::size_t>(n) + 1 && !(n == 0 && order.empty()))
      return "order has the wrong number of slots";
    // Every bar has its elements and no element set outlives its bar.
    DockTestAccess a(*dock);
    if (a.ubound() != n)
      return "elements for " + std::to_string(a.ubound()) + " bars, not " + std::to_string(n);
    std::vector<std::int32_t> sorted(order.begin() + (n > 0), order.end());
    std::sort(sorted.begin(), sorted.end());
    for (std::int32_t i = 1; i <= n; ++i) {
      if (sorted[static_cast<std::size_t>(i - 1)] != i) return "order is not a permutation of 1..Count";
      BarRef b = all->Item(i);
      if (!b || b->Index() != i || !a.loaded(i))
        return "bar " + std::to_string(i) + " is missing or misnumbered";
      if (b->State() == eBarHidden && b->Height() != 0) return "a hidden bar takes room";
      if (b->State() < eBarCollapsed || b->State() > eBarHidden) return "a bar has an unknown state";
      if (b->AlignBar() < eAlignTop || b->AlignBar() > eAlignBottom) return "a bar has an unknown group";
    }
    // The records: the keyed bars group by group, each with its display position, group, state (a
    // fold of the fit is none of the user's) and the height it expands to, in fit mode its share.
    std::vector<LayoutRecord> expected, told = dock->records();
    const bool fit = dock->FitToDock();
    for (std::int32_t g = eAlignTop; g <= eAlignBottom; ++g) {
      for (std::int32_t pos = 1; pos <= n; ++pos) {
        BarRef b = all->ItemByOrder(pos);
        if (b->Key().empty() || b->AlignBar() != g) continue;
        const std::int32_t height = b->State() == eBarCollapsed ? b->HeightExpanded() : b->Height();
        expected.push_back(
            {b->Key(), pos, g, BarInternals::fFitFolded(*b) ? eBarExpanded : b->State(), fit ? 0 : height});
      }
    }
    for (LayoutRecord& r : told)
      r.height = fit ? 0 : r.height;
    if (told != expected) return "the records do not tell the layout";
    return fits(*all, a);
  }

  /// After a layout pass every shown bar stands where the columns put it, moved up by the scroll
  /// position; in fit mode, as fitBreaks says. Without scrolling, a stack whose columns fit the dock lies
  /// inside it, and splitters and height limits follow the next visible bar. Steps that only change a
  /// property leave the layout to the next pass, as the application expects.
  std::optional<std::string> fits(clsBars& all, DockTestAccess& access) {
    if (!laidOut || !dock->Show()) return std::nullopt;
    const bool scroll = dock->AllowScroll();
    const ScrollBar& vs = access.VScroll();
    if (!vs.Visible() && vs.Value() != 0)
      return "a hidden scroll bar is left at " + std::to_string(vs.Value());
    const std::int64_t D = vs.Visible() ? vs.Value() : 0;
    // The columns as the layout stacks them: the top group, then the left column below it, the
    // right column beside the left one, and the bottom group below the right column.
    // Sums are wide: a bar may be as high as the API lets it be.
    std::int64_t y = 0, ySaved = 0, extent = 0;
    std::int32_t prev = eAlignTop;
    std::vector<std::pair<BarRef, std::int64_t>> shown;  // visible bars in display order, and their tops
    for (std::int32_t pos = 1; pos <= all.Count(); ++pos) {
      BarRef b = all.ItemByOrder(pos);
      if (b->AlignBar() == eAlignRight && prev < eAlignRight) y = ySaved;
      prev = b->AlignBar();
      if (b->State() != eBarHidden) shown.emplace_back(b, y - D);
      y += b->Height();
      if (prev == eAlignTop) ySaved = y;
      extent = std::max(extent, y);
    }
    // Showing the dock paints every bar: the hidden ones' frames are gone, the others' are on screen.
    for (std::int32_t i = 1; painted && i <= all.Count(); ++i)
      if (ui->shown(access.picDockBar(i)) == (all.Item(i)->State() == eBarHidden))
        return "bar " + std::to_string(i) + " is on screen exactly when hidden";
    if (dock->FitToDock()) return ++fitChecked, fitBreaks(all, access, scroll, D);
    const double height = dock->Height();
    if (extent > (scroll ? INT32_MAX : height)) return std::nullopt;
    fitsChecked += !scroll;
    for (std::size_t j = 0; j < shown.size(); ++j) {
      const auto& [b, expected] = shown[j];
      const double top = access.picDockBar(b->Index()).Top();
      if (top != static_cast<double>(expected) || (!scroll && (top < 0 || top + b->Height() > height)))
        return "bar " + std::to_string(b->Index()) + " lies at " + std::to_string(top) + ", not at " +
               std::to_string(expected);
      // A splitter joins two resizable neighbours; the pair keeps the reserve for the lower one.
      const BarRef next = j + 1 < shown.size() ? shown[j + 1].first : nullptr;
      if (!scroll && (b->ShowResize() != (next && b->AllowResize() && next->AllowResize()) ||
                      (next && b->HeightMax() != b->Height() + next->Height() - 500)))
        return "bar " + std::to_string(b->Index()) + " has the splitter or height limit of another neighbour";
    }
    return std::nullopt;
  }

  /// After a layout pass in fit mode, with the scroll bar at `D`: the groups stacked without overlap (the
  /// columns below the top group, the bottom group below both), no open resizable bar below its minimum, the
  /// stack ending at the dock's bottom when the minimums fit, and splitters only within a group.
  std::optional<std::string> fitBreaks(clsBars& all, DockTestAccess& access, bool scroll, std::int64_t D) {
    std::array<std::vector<BarRef>, 4> groups;
    // Heights wide: a bar may be as high as the API lets it be.
    std::array<std::int64_t, 4> height{}, need{};
    bool open = false;
    for (std::int32_t pos = 1; pos <= all.Count(); ++pos) {
      BarRef b = all.ItemByOrder(pos);
      const auto k = static_cast<std::size_t>(b->AlignBar() - eAlignTop);
      groups[k].push_back(b);
      height[k] += b->Height();
      if (b->State() == eBarHidden) continue;
      const std::int32_t i = b->Index();
      // The title strip, the distance to the body and the splitter strip, and at least 400 in all.
      const std::int64_t chrome =
          std::max<std::int64_t>(0, std::llround(access.picTitel(i).Height()) + BarInternals::fTopBar(*b)) +
          std::llround(access.picSplit(i).Height());
      const std::int64_t least = chrome + std::max<std::int64_t>(b->MinBodyHeight(), 400 - chrome);
      open = open || b->AllowResize();
      need[k] += b->AllowResize() ? least : b->Height();
      if (b->AllowResize() && b->Height() < std::min<std::int64_t>(least, INT32_MAX))
        return "bar " + std::to_string(i) + " of " + std::to_string(b->Height()) +
               " lies below its minimum " + std::to_string(least);
    }
    const std::int64_t middle = height[0] + std::max(height[1], height[2]);
    const std::array<std::int64_t, 4> start{0, height[0], height[0], middle};
    // A stack past 32 bits cannot be placed: the pass stops with its message, and the places stay.
    if (middle + height[3] > INT32_MAX) return std::nullopt;
    for (std::size_t k = 0; k < groups.size(); ++k) {
      std::int64_t y = start[k];
      for (std::size_t j = 0; j < groups[k].size(); ++j) {
        const BarRef& b = groups[k][j];
        const double top = access.picDockBar(b->Index()).Top();
        if (b->State() != eBarHidden && top != static_cast<double>(y - D))
          return "bar " + std::to_string(b->Index()) + " lies at " + std::to_string(top) + ", not at " +
                 std::to_string(y - D);
        y += b->Height();
        // A splitter joins two resizable neighbours of one group.
        auto next = std::find_if(groups[k].begin() + static_cast<std::ptrdiff_t>(j) + 1, groups[k].end(),
                                 [](const BarRef& n) { return n->State() != eBarHidden; });
        const bool joined = next != groups[k].end() && b->AllowResize() && (*next)->AllowResize();
        if (!scroll && b->State() != eBarHidden && b->ShowResize() != joined)
          return "bar " + std::to_string(b->Index()) +
                 (joined ? " has no splitter" : " has a splitter to no neighbour");
      }
    }
    const std::int64_t needed = need[0] + std::max(need[1], need[2]) + need[3];
    const std::int64_t extent = middle + height[3];
    if (!scroll && open && needed <= std::llround(dock->Height()) && extent != std::llround(dock->Height()))
      return "the stack ends at " + std::to_string(extent) + " in a dock " + std::to_string(dock->Height()) +
             " high";
    return std::nullopt;
  }

  ByteChoices in;
  std::shared_ptr<MemoryHost> host = std::make_shared<MemoryHost>();
  std::shared_ptr<headless::HeadlessToolkit> toolkit = std::make_shared<headless::HeadlessToolkit>();
  Hwnd form = toolkit->createWindow();
  DockRef dock;
  std::optional<headless::Driver> ui;
  std::vector<BarRef> made;
  std::vector<std::string> breaks;
  int depth = 0;
  /// Whether the last step ended in a full layout pass of a live dock, whether it also repainted every
  /// bar, and whether it dragged a title of the dock.
  bool laidOut = false, painted = false, dragged = false;

  enum class Hostile { None, ResizeChangesStates, ClosedClears, RightClickDrops, OptShowChanges };
  Hostile mode = Hostile::None;
  Act hostAct = Act::None, controlAct = Act::None;
};

}  // namespace tov::test

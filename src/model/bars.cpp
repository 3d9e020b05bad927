#include "tovdock/bars.h"

#include "model/internals.h"

namespace tov {

std::shared_ptr<TovDock> clsBars::dock() const {
  auto d = mEvents ? mEvents->Dock() : nullptr;
  if (!d) throw Failure::objectNotSet();
  return d;
}

MessageSink& clsBars::sink() const {
  if (mToolkit) return *mToolkit;
  static auto fallback = defaultToolkit();
  return *fallback;
}

void clsBars::touched() const {
  if (auto d = mEvents ? mEvents->Dock() : nullptr) dockLink(*d).fLayoutTouched();
}

BarRef clsBars::Add() {
  BarRef result;
  reportFailure(sink(), "clsBars.Add", [&] {
    BarRef bar = dockLink(*dock()).fBarAdd();
    mCol.push_back(bar);
    result = bar;
    const std::int32_t count = Count();
    bar->setIndex(count);
    mOrder.resize(static_cast<std::size_t>(count) + 1, 0);
    mOrder[static_cast<std::size_t>(count)] = count;
  });
  return result;
}

std::int32_t clsBars::Count() const {
  return static_cast<std::int32_t>(mCol.size());
}

std::int32_t clsBars::CountVisible() const {
  std::int32_t n = 0;
  for (const auto& bar : mCol) {
    if (bar->State() != eBarHidden) ++n;
  }
  return n;
}

BarRef clsBars::Bar(std::int32_t Index) const {
  if (Index < 1 || Index > Count()) throw Failure::subscript();
  return mCol[static_cast<std::size_t>(Index) - 1];
}

BarRef clsBars::Item(std::int32_t Index) const {
  if (Index < 1 || Index > Count()) return nullptr;
  return mCol[static_cast<std::size_t>(Index) - 1];
}

BarRef clsBars::ItemByKey(const std::string& Key) const {
  for (const auto& bar : mCol) {
    if (bar->Key() == Key) return bar;
  }
  return nullptr;
}

BarRef clsBars::ItemByOrder(std::int32_t OrderIndex) const {
  if (OrderIndex < 1 || OrderIndex > Count() || static_cast<std::size_t>(OrderIndex) >= mOrder.size()) {
    return nullptr;
  }
  return Item(mOrder[static_cast<std::size_t>(OrderIndex)]);
}

BarRef clsBars::ItemByOrderVisible(std::int32_t OrderIndex) const {
  if (OrderIndex < 1) return nullptr;
  std::int32_t seen = 0;
  for (std::int32_t pos = 1; pos <= Count(); ++pos) {
    BarRef bar = ItemByOrder(pos);
    if (bar && bar->State() != eBarHidden && ++seen == OrderIndex) return bar;
  }
  return nullptr;
}

void clsBars::Clear() {
  // A hosted control handed back may drop the dock, and with it the dock's reference to us.
  auto keep = weak_from_this().lock();
  // Index-based: a hosted control handed back may run application code that adds or clears bars.
  for (std::int32_t i = 1; i <= Count(); ++i) {
    BarRef bar = Item(i);
    // A removed bar that the application still holds must not reach the dock: its index may
    // belong to a bar added later. Cut before the hand-back, whose code may give the bar another
    // control: that one is then only stored, not adopted into a frame that is about to go.
    BarInternals::fEvents(*bar, nullptr);
    skipFailure([&] { bar->setControl(nullptr); });
  }
  mCol.clear();
  // Slots of removed bars would otherwise outlive them until the next Add.
  mOrder.clear();
  skipFailure([&] { dockLink(*dock()).fClear(); });
}

std::int32_t BarsInternals::fOrderByIndex(clsBars& bars, std::int32_t Index) {
  std::int32_t result = 0;
  reportFailure(bars.sink(), "fOrderByIndex", [&] {
    if (Index == 0) {
      result = 1;
      return;
    }
    for (std::int32_t pos = 1; pos <= bars.Count(); ++pos) {
      if (bars.mOrder.at(static_cast<std::size_t>(pos)) == Index) {
        result = pos;
        return;
      }
    }
  });
  return result;
}

void BarsInternals::fInsert(clsBars& bars, std::int32_t Index, std::int32_t NewPos) {
  reportFailure(bars.sink(), "TovDock.fInsert", [&] {
    const std::int32_t OldPos = fOrderByIndex(bars, Index);
    auto slot = [&](std::int32_t i) -> std::int32_t& {
      if (i < 0 || static_cast<std::size_t>(i) >= bars.mOrder.size()) throw Failure::subscript();
      return bars.mOrder[static_cast<std::size_t>(i)];
    };
    if (OldPos >= NewPos) {
      for (std::int32_t i = OldPos; i >= NewPos + 1; --i)
        slot(i) = slot(i - 1);
    } else {
      for (std::int32_t i = OldPos; i <= NewPos - 1; ++i)
        slot(i) = slot(i + 1);
    }
    slot(NewPos) = Index;
    if (OldPos != NewPos) bars.touched();
  });
}

void BarsInternals::fInsertAfter(clsBars& bars, std::int32_t Index, std::int32_t AfterIndex) {
  std::int32_t target = 1;
  skipFailure([&] { target = AfterIndex == 0 ? 1 : fOrderByIndex(bars, AfterIndex); });
  skipFailure([&] {
    if (target < bars.Count()) target = add32(target, 1);
  });
  skipFailure([&] { fInsert(bars, Index, target); });
}

bool BarsInternals::fSetOrder(clsBars& bars, const std::vector<std::int32_t>& Order) {
  bool result = false;
  reportFailure(bars.sink(), "fSetOrder", [&] {
    const std::int32_t count = bars.Count();
    auto at = [&](std::int32_t i) {
      if (static_cast<std::size_t>(i) >= Order.size()) throw Failure::subscript();
      return Order[static_cast<std::size_t>(i)];
    };
    std::vector<bool> marked(static_cast<std::size_t>(count) + 1, false);
    for (std::int32_t i = 1; i <= count; ++i) {
      const std::int32_t v = at(i);
      if (v < 1 || v > count) return;
      marked[static_cast<std::size_t>(v)] = true;
    }
    for (std::int32_t i = 1; i <= count; ++i) {
      if (!marked[static_cast<std::size_t>(i)]) return;
    }
    // Each group in turn, in the given order: the bars' alignments are read once, not once a group.
    std::vector<std::int32_t> align(static_cast<std::size_t>(count) + 1, 0);
    for (std::int32_t i = 1; i <= count; ++i)
      align[static_cast<std::size_t>(i)] = bars.mCol[static_cast<std::size_t>(at(i)) - 1]->AlignBar();
    const std::vector<std::int32_t> before = bars.mOrder;
    std::int32_t n = 0;
    for (std::int32_t a = eAlignTop; a <= eAlignBottom; ++a) {
      for (std::int32_t i = 1; i <= count; ++i) {
        if (align[static_cast<std::size_t>(i)] == a) bars.mOrder.at(static_cast<std::size_t>(++n)) = at(i);
      }
    }
    result = true;
    if (bars.mOrder != before) bars.touched();
  });
  return result;
}

bool BarsInternals::fReorder(clsBars& bars) {
  std::vector<std::int32_t> copy(static_cast<std::size_t>(bars.Count()) + 1, 0);
  for (std::int32_t i = 1; i <= bars.Count() && static_cast<std::size_t>(i) < bars.mOrder.size(); ++i) {
    copy[static_cast<std::size_t>(i)] = bars.mOrder[static_cast<std::size_t>(i)];
  }
  return fSetOrder(bars, copy);
}

bool BarsInternals::fSetOrderDefault(clsBars& bars) {
  bool result = false;
  reportFailure(bars.sink(), "fSetOrderDefault", [&] {
    const std::vector<std::int32_t> before = bars.mOrder;
    for (std::int32_t i = 1; i <= bars.Count(); ++i)
      bars.mOrder.at(static_cast<std::size_t>(i)) = i;
    result = true;
    if (bars.mOrder != before) bars.touched();
  });
  return result;
}

}  // namespace tov

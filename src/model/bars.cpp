#include "tovdock/bars.h"

#include "tovdock/dock.h"

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

BarRef clsBars::Add() {
  BarRef result;
  reportFailure(sink(), "clsBars.Add", [&] {
    BarRef bar = dock()->fBarAdd();
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
    skipFailure([&] { bar->setControl(nullptr); });
    // A removed bar that the application still holds must not reach the dock: its index may
    // belong to a bar added later.
    bar->fEvents(nullptr);
  }
  mCol.clear();
  // Slots of removed bars would otherwise outlive them until the next Add.
  mOrder.clear();
  skipFailure([&] { dock()->fClear(); });
}

std::int32_t clsBars::fOrderByIndex(std::int32_t Index) {
  std::int32_t result = 0;
  reportFailure(sink(), "fOrderByIndex", [&] {
    if (Index == 0) {
      result = 1;
      return;
    }
    for (std::int32_t pos = 1; pos <= Count(); ++pos) {
      if (mOrder.at(static_cast<std::size_t>(pos)) == Index) {
        result = pos;
        return;
      }
    }
  });
  return result;
}

void clsBars::fInsert(std::int32_t Index, std::int32_t NewPos) {
  reportFailure(sink(), "TovDock.fInsert", [&] {
    const std::int32_t OldPos = fOrderByIndex(Index);
    auto slot = [&](std::int32_t i) -> std::int32_t& {
      if (i < 0 || static_cast<std::size_t>(i) >= mOrder.size()) throw Failure::subscript();
      return mOrder[static_cast<std::size_t>(i)];
    };
    if (OldPos >= NewPos) {
      for (std::int32_t i = OldPos; i >= NewPos + 1; --i)
        slot(i) = slot(i - 1);
    } else {
      for (std::int32_t i = OldPos; i <= NewPos - 1; ++i)
        slot(i) = slot(i + 1);
    }
    slot(NewPos) = Index;
  });
}

void clsBars::fInsertAfter(std::int32_t Index, std::int32_t AfterIndex) {
  std::int32_t target = 1;
  skipFailure([&] { target = AfterIndex == 0 ? 1 : fOrderByIndex(AfterIndex); });
  skipFailure([&] {
    if (target < Count()) target = add32(target, 1);
  });
  skipFailure([&] { fInsert(Index, target); });
}

bool clsBars::fSetOrder(const std::vector<std::int32_t>& Order) {
  bool result = false;
  reportFailure(sink(), "fSetOrder", [&] {
    const std::int32_t count = Count();
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
    std::int32_t n = 0;
    for (std::int32_t a = eAlignTop; a <= eAlignBottom; ++a) {
      for (std::int32_t i = 1; i <= count; ++i) {
        if (mCol[static_cast<std::size_t>(at(i)) - 1]->AlignBar() == a) {
          mOrder.at(static_cast<std::size_t>(++n)) = at(i);
        }
      }
    }
    result = true;
  });
  return result;
}

bool clsBars::fReorder() {
  std::vector<std::int32_t> copy(static_cast<std::size_t>(Count()) + 1, 0);
  for (std::int32_t i = 1; i <= Count() && static_cast<std::size_t>(i) < mOrder.size(); ++i) {
    copy[static_cast<std::size_t>(i)] = mOrder[static_cast<std::size_t>(i)];
  }
  return fSetOrder(copy);
}

bool clsBars::fSetOrderDefault() {
  bool result = false;
  reportFailure(sink(), "fSetOrderDefault", [&] {
    for (std::int32_t i = 1; i <= Count(); ++i)
      mOrder.at(static_cast<std::size_t>(i)) = i;
    result = true;
  });
  return result;
}

}  // namespace tov

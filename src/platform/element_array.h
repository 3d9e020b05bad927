#pragma once
// An indexed family of like elements. Member 0 is the template; a loaded member is a copy of it.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tovdock/failure.h"
#include "tovdock/platform.h"

namespace tov {

template <class T>
class ElementArray {
 public:
  explicit ElementArray(std::string name, std::unique_ptr<T> member0) : mName(std::move(name)) {
    mMembers.push_back(std::move(member0));
  }

  /// Member `i`; a member that is not loaded is a failure (errElementMissing).
  T& operator()(std::int32_t i) const {
    if (!exists(i)) {
      throw Failure("Control array element '" + std::to_string(i) + "' doesn't exist", errElementMissing);
    }
    return *mMembers[static_cast<std::size_t>(i)];
  }
  bool exists(std::int32_t i) const {
    return i >= 0 && static_cast<std::size_t>(i) < mMembers.size() && mMembers[static_cast<std::size_t>(i)];
  }
  /// Highest loaded index (0 while only the template exists).
  std::int32_t UBound() const { return static_cast<std::int32_t>(mMembers.size()) - 1; }

  /// Loads member `i` as a copy of member 0; loading a loaded member is a failure.
  T& Load(std::int32_t i) {
    if (i <= 0 || exists(i)) throw Failure("Object already loaded", 360);
    auto copy = mMembers[0]->clone();
    auto* typed = dynamic_cast<T*>(copy.get());
    if (!typed) throw Failure("Type mismatch", 13);
    copy.release();
    if (static_cast<std::size_t>(i) >= mMembers.size()) mMembers.resize(static_cast<std::size_t>(i) + 1);
    mMembers[static_cast<std::size_t>(i)].reset(typed);
    return *typed;
  }
  /// Unloads member `i`; member 0 cannot be unloaded.
  void Unload(std::int32_t i) {
    if (i == 0) throw Failure("Unable to unload within this context", 365);
    (void)(*this)(i);
    // Move the member out first: its destruction may run toolkit code that looks at the array.
    std::unique_ptr<T> gone = std::move(mMembers[static_cast<std::size_t>(i)]);
    while (mMembers.size() > 1 && !mMembers.back())
      mMembers.pop_back();
    gone.reset();
  }

 private:
  std::string mName;
  std::vector<std::unique_ptr<T>> mMembers;
};

}  // namespace tov

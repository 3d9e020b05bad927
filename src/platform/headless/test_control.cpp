#include <algorithm>
#include <array>
#include <cctype>

#include "platform/headless/internal.h"

namespace tov::headless {

namespace {

// Late-bound names match regardless of case, as on the classic runtime.
bool sameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

constexpr std::array<std::string_view, 6> kMembers = {"Move", "Visible", "Height", "hWnd", "Name", "Align"};

Failure noSuchMember() {
  return Failure("Object doesn't support this property or method", errNoSuchMember);
}
Failure wrongArguments() {
  return Failure("Wrong number of arguments or invalid property assignment", errWrongArguments);
}

}  // namespace

TestControl::TestControl(HeadlessToolkit& toolkit, std::string name, std::optional<std::int32_t> align,
                         Hwnd parent)
    : mWorld(toolkit.d), mName(std::move(name)), mAlign(align) {
  mHwnd = mWorld->addWindow(parent, nullptr);
  mWorld->windows[mHwnd].onReparent = [this] { changed("Parent"); };
}

void TestControl::changed(const char* member) {
  // The hook may release the last reference to this control: nothing of it is used afterwards.
  if (auto hook = onMember) hook(member);
}

TestControl::~TestControl() {
  mWorld->removeWindow(mHwnd);
}

Value TestControl::invoke(std::string_view member, Access access, std::span<const Value> args) {
  auto known = std::find_if(kMembers.begin(), kMembers.end(), [&](auto m) { return sameName(m, member); });
  const std::string name(known != kMembers.end() ? *known : member);
  switch (access) {
    case Access::Get:
      calls.push_back("Get " + name);
      break;
    case Access::Let:
      calls.push_back("Let " + name);
      break;
    case Access::Call:
      calls.push_back(name);
      break;
  }
  if (known == kMembers.end()) throw noSuchMember();
  if (std::any_of(missing.begin(), missing.end(), [&](const std::string& m) { return sameName(m, name); }))
    throw noSuchMember();

  auto resized = [this] {
    mWorld->windows[mHwnd].left = mLeft;
    mWorld->windows[mHwnd].top = mTop;
  };

  if (name == "Move" && access == Access::Call) {
    if (args.empty() || args.size() > 4) throw wrongArguments();
    mLeft = valueToDouble(args[0]);
    if (args.size() > 1) mTop = valueToDouble(args[1]);
    if (args.size() > 2) mWidth = valueToDouble(args[2]);
    if (args.size() > 3) mHeight = valueToDouble(args[3]);
    resized();
    changed("Move");
    return {};
  }
  if (access == Access::Let && args.size() != 1) throw wrongArguments();
  if (name == "Visible") {
    if (access == Access::Get) return mVisible;
    if (access == Access::Let) {
      mVisible = valueToBool(args[0]);
      changed("Visible");
      return {};
    }
  } else if (name == "Height") {
    if (access == Access::Get) return mHeight;
    if (access == Access::Let) {
      mHeight = valueToDouble(args[0]);
      resized();
      changed("Height");
      return {};
    }
  } else if (access == Access::Get) {
    if (name == "hWnd") return mHwnd;
    if (name == "Name") return mName;
    if (name == "Align" && mAlign) return *mAlign;
  }
  throw noSuchMember();
}

}  // namespace tov::headless

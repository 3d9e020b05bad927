#include "tovdock/bar.h"

#include <atomic>
#include <utility>

#include "model/internals.h"

namespace tov {

std::shared_ptr<TovDock> clsEvents::Dock() const {
  // Asked on every setter of every bar: the handler is called in place, not on a copy. The dock's
  // handler only looks itself up and cannot replace itself meanwhile.
  std::shared_ptr<TovDock> dock;
  if (evGetDockBar) evGetDockBar(dock);
  return dock;
}

LinkRun::LinkRun(const std::shared_ptr<clsEvents>& relay) : mDock(relay ? relay->Dock() : nullptr) {
  if (mDock) dockLink(*mDock).fEnterRun();
}

std::shared_ptr<TovDock> cTovBar::dock() const {
  auto d = mEvents ? mEvents->Dock() : nullptr;
  if (!d) throw Failure::objectNotSet();
  return d;
}

Toolkit& cTovBar::toolkit() const {
  if (mToolkit) return *mToolkit;
  static auto fallback = defaultToolkit();
  return *fallback;
}

std::int16_t cTovBar::index16() const {
  return toInt16(mIndex);
}

void cTovBar::setAlignBar(std::int32_t v) {
  // A bar outside the four groups would drop out of the display order while another is shown twice.
  if (v < eAlignTop || v > eAlignBottom) throw Failure::invalidValue("AlignBar must be 1 to 4");
  if (v == mAlignBar) return;
  mAlignBar = v;
  // The group is only stored; the dock, when there is one, tells its listeners.
  if (auto d = mEvents ? mEvents->Dock() : nullptr) dockLink(*d).fLayoutTouched();
}

bool cTovBar::AllowResize() const {
  return mState == eBarExpanded && mAllowResize;
}

void cTovBar::setAllowResize(bool v) {
  mAllowResize = v;
  mShowResize = v;
}

void cTovBar::setCanExpand(bool v) {
  mTitleHeight = 18;
  mCanExpand = v;
  if (!v && mTitle.empty()) mTitleHeight = 0;
}

std::int32_t cTovBar::Height() const {
  return mState == eBarHidden ? 0 : mHeight;
}

void cTovBar::setHeight(std::int32_t h) {
  if (h == mHeight || mState == eBarHidden || h <= 100) return;
  mHeight = h;
  if (mState == eBarExpanded) mHeightExpanded = h;
  dockLink(*dock()).fSetHeight(index16(), h);
}

void cTovBar::setHeightMax(std::int32_t v) {
  mHeightMax = v;
}

void cTovBar::setIcon(PictureRef v) {
  mIcon = std::move(v);
  mTitleStamp = newTitleStamp();
  dockLink(*dock()).fRefreshTitle(index16());
}

void cTovBar::setLeft(std::int32_t v) {
  dockLink(*dock()).fSetLeft(index16(), v);
}

void cTovBar::setRedraw(bool) {
  toolkit().messageBox("Redraw obsolet", "");
}

void cTovBar::setShowResize(bool v) {
  if (v == mShowResize) return;
  mShowResize = v;
  dockLink(*dock()).fSetShowResize(mIndex);
}

namespace {
std::atomic<std::uint64_t> titleStamps{0};
}  // namespace

std::uint64_t cTovBar::newTitleStamp() {
  return titleStamps.fetch_add(1, std::memory_order_relaxed) + 1;
}

void cTovBar::setState(std::int32_t s) {
  if (s < eBarCollapsed || s > eBarHidden) throw Failure::invalidValue("State must be 0 to 2");
  if (s == mState) return;
  const LinkRun run(mEvents);
  std::int32_t old = mState;
  mState = s;
  {
    // The height of the new state is not one the application gave the bar (BarInternals::fShare).
    struct Changing {
      bool& flag;
      explicit Changing(bool& f) : flag(f) { flag = true; }
      ~Changing() { flag = false; }
    } changing(mChangingState);
    if (s == eBarExpanded) {
      setHeight(mHeightExpanded);
    } else if (s != eBarHidden) {
      setHeight(mTitleHeight);
    }
  }
  dockLink(*dock()).fSetState(index16(), old);
}

void cTovBar::setTitle(const std::string& t) {
  if (t == mTitle) return;
  mTitleHeight = 260;
  if (!mCanExpand && t.empty()) mTitleHeight = 0;
  mTitle = t;
  mTitleStamp = newTitleStamp();
  dockLink(*dock()).fRefreshTitle(index16());
}

void cTovBar::setTitleRight(const std::string& t) {
  if (t == mTitleRight) return;
  mTitleRight = t;
  mTitleStamp = newTitleStamp();
  dockLink(*dock()).fRefreshTitle(index16());
}

void cTovBar::setTitleBackColorStart(Color c) {
  mTitleBackColorStart = c;
  dockLink(*dock()).fRepaintBar(mIndex);
}

void cTovBar::setTitleBackColorEnd(Color c) {
  mTitleBackColorEnd = c;
  dockLink(*dock()).fRepaintBar(mIndex);
}

void cTovBar::setTitleVertical(bool v) {
  mTitleVertical = v;
  dockLink(*dock()).fRepaintBar(mIndex);
}

void cTovBar::setTitleForeColor(Color c) {
  mTitleForeColor = c;
  dockLink(*dock()).fRepaintBar(mIndex);
}

void cTovBar::setTop(std::int32_t v) {
  dockLink(*dock()).fSetTop(index16(), v);
}
std::int32_t cTovBar::Top() const {
  return dockLink(*dock()).fGetTop(index16());
}
void cTovBar::setWidth(std::int32_t v) {
  dockLink(*dock()).fSetWidth(index16(), v);
}
std::int32_t cTovBar::Width() const {
  return dockLink(*dock()).fGetWidth(index16());
}

void cTovBar::setControl(ControlRef c) {
  // Every step of the assignment may fail on its own (a control without a member, no dock);
  // the assignment goes on with the next step and never fails to the caller.
  bool adopt = true;
  // A control without the member is adopted; asking first spares it a failure.
  skipFailure([&] { adopt = !c || !c->mayHave("Align") || valueToInt32(c->get("Align")) == 0; });
  if (adopt) {
    pSetControl(std::move(c));
    return;
  }
  skipFailure([&] {
    toolkit().messageBox(
        "Align-Eigenschaft von Control " + valueToString(c->get("Name")) + " darf nicht gesetzt sein!", "");
  });
}

void cTovBar::letControl(ControlRef c) {
  pSetControl(std::move(c));
}

void cTovBar::pSetControl(ControlRef c) {
  // A control's own code (its Visible, its parent change) may clear the bars and so drop the last
  // owner of this bar, or assign the bar another control; the bar stays alive to the end.
  auto keep = weak_from_this().lock();
  NativeWindows* native = nullptr;
  skipFailure([&] { native = &toolkit().native(); });
  if (c && c == mControl) {
    // The control is already ours: its former parent stays the one remembered when it came.
    skipFailure(
        [&] { native->SetParent(valueToInt32(c->get("hWnd")), dockLink(*dock()).fHwndItem(index16())); });
  } else {
    // The old control leaves the bar before any of its code runs, so code that assigns or
    // releases a control of this bar meanwhile finds the bar without it.
    const ControlRef old = std::exchange(mControl, nullptr);
    const Hwnd oldParent = mParentHwnd;
    if (old) {
      // A replaced control goes back, hidden, to where it came from instead of staying in our frame.
      skipFailure([&] { old->let("Visible", false); });
      skipFailure([&] { native->SetParent(valueToInt32(old->get("hWnd")), oldParent); });
    }
    // A control assigned while the old one was handed back came later than `c`: it stays, and `c`
    // is left where it is.
    if (c && !mControl) {
      mControl = c;
      skipFailure([&] { mParentHwnd = native->GetParent(valueToInt32(c->get("hWnd"))); });
      if (mControl == c)
        skipFailure(
            [&] { native->SetParent(valueToInt32(c->get("hWnd")), dockLink(*dock()).fHwndItem(index16())); });
    }
  }
  // Without a dock (an ending one clears its bars) there is nothing to repaint, and asking would
  // throw once for every bar.
  if (const auto d = mEvents ? mEvents->Dock() : nullptr)
    skipFailure([&] { dockLink(*d).fRepaintBar(mIndex); });
}

}  // namespace tov

// The dock's public face and lifecycle: creation, element template, resizing, termination.
#include <cmath>

#include "dock/dock_private.h"
#include "model/internals.h"

namespace tov {

// ---- The public face: every entry point keeps the dock alive for the whole call. ----

std::shared_ptr<TovDock> TovDock::create(std::shared_ptr<Toolkit> toolkit) {
  if (!toolkit) toolkit = defaultToolkit();
  std::shared_ptr<TovDock> dock(new TovDock(std::move(toolkit)));
  dock->d->initialise();
  return dock;
}

TovDock::TovDock(std::shared_ptr<Toolkit> toolkit)
    : d(std::make_unique<TovDockPrivate>(*this, std::move(toolkit))) {}

TovDock::~TovDock() {
  d->Terminate();
}

BarsRef TovDock::Bars() const {
  return d->mBars;
}
bool TovDock::AllowScroll() const {
  return d->mAllowScroll;
}
void TovDock::setAllowScroll(bool v) {
  d->mAllowScroll = v;
}
bool TovDock::GuardedRecords() const {
  return d->mGuardedRecords;
}
void TovDock::setGuardedRecords(bool on) {
  d->mGuardedRecords = on;
}
bool TovDock::Show() const {
  return d->mShow;
}
Surface& TovDock::surface() const {
  return *d->mSurface;
}
Toolkit& TovDock::toolkit() const {
  return *d->mToolkit;
}
double TovDock::Width() const {
  return d->mSurface ? d->mSurface->Width() : 0;
}
double TovDock::Height() const {
  return d->mSurface ? d->mSurface->Height() : 0;
}

void TovDock::setShow(bool b) {
  TovDockPrivate::Run run(*d);
  d->setShow(b);
}

void TovDock::ShowElement(std::int32_t Index) {
  TovDockPrivate::Run run(*d);
  d->ShowElement(Index);
}

Hwnd TovDock::hWndItem(std::int16_t Index) const {
  return d->fHwndItem(Index);
}

void TovDock::Terminate() {
  // The host services and the hosted controls run code here that may drop the application's last
  // reference to the dock. From the destructor there is no reference left to hold.
  auto keep = weak_from_this().lock();
  d->Terminate();
}

void TovDock::resize(double width, double height) {
  // Every layout pass turns the size into whole twips: a size that has none would fail each one.
  auto outOfRange = [](double v) { return !std::isfinite(v) || std::abs(v) > INT32_MAX; };
  if (outOfRange(width) || outOfRange(height))
    throw Failure::invalidCall("the size must be a finite number of twips");
  TovDockPrivate::Run run(*d);
  d->mSurface->setWidth(width);
  d->mSurface->setHeight(height);
  d->onSurfaceResize();
}

// ---- Lifecycle ----

TovDockPrivate::TovDockPrivate(TovDock& dock, std::shared_ptr<Toolkit> toolkit)
    : q(dock), mToolkit(std::move(toolkit)) {}

TovDockPrivate::~TovDockPrivate() = default;

void TovDockPrivate::initialise() {
  // A toolkit that cannot make the template leaves a dock that shows nothing, as it did before.
  skipFailure([&] { buildTemplate(); });
  mEvents = std::make_shared<clsEvents>();
  mEvents->evGetDockBar = [w = q.weak_from_this()](std::shared_ptr<TovDock>& Dock) { Dock = w.lock(); };
  mBars = BarsInternals::create(mToolkit);
  BarsInternals::fEvents(*mBars, mEvents);
}

namespace {

template <class T>
std::unique_ptr<T> placed(std::unique_ptr<T> e, double left, double top, double width, double height) {
  e->setLeft(left);
  e->setTop(top);
  e->setWidth(width);
  e->setHeight(height);
  e->setVisible(false);
  return e;
}

std::unique_ptr<Line> gripLine(Surface& s, Element* container, double y, Color c) {
  auto line = s.createLine(container);
  line->setPoints(0, y, twips::kGripLength, y);
  line->setBorderColor(c);
  return line;
}

std::unique_ptr<Image> button(Surface& s, Element* container, double left, PictureRef pic, const char* tip) {
  auto img = placed(s.createImage(container), left, 0, twips::kButtonSize, twips::kButtonSize);
  img->setPicture(std::move(pic));
  img->setToolTipText(tip);
  img->setMousePointer(ptrCustom);
  return img;
}

}  // namespace

void TovDockPrivate::buildTemplate() {
  mSurface = mToolkit->createSurface();
  Surface& s = *mSurface;
  s.setWidth(twips::kDesignWidth);
  s.setHeight(twips::kDesignHeight);
  const Font titleFont{"Arial", 9, true};
  auto t = std::make_unique<BarElements>();

  // Created in the designer's order, which is also the z-order every copy keeps.
  t->picDockBar = placed(s.createPanel(&s), 810, 930, 4185, 2655);
  Panel* frame = t->picDockBar.get();
  VScroll = placed(s.createScrollBar(&s), 7290, 0, 255, 5115);
  imgHand = placed(s.createImage(&s), 4950, 4500, 480, 480);
  imgHand->setPicture(pictures::handCursor());

  t->picSplit = placed(s.createPanel(frame), 0, 1000, twips::kAcross, twips::kSplitHeight);
  Panel* split = t->picSplit.get();
  split->setBackColor(kSysScrollBars);
  split->setMousePointer(ptrSizeNS);
  split->setToolTipText(templ::kTipSplit);
  t->lineSplit2 = gripLine(s, split, twips::kGripDark, 0x808080);
  t->lineSplit0 = gripLine(s, split, twips::kGripWhite, 0xFFFFFF);
  t->lineSplit1 = gripLine(s, split, twips::kGripLight, 0xC0C0C0);

  t->picTitel = placed(s.createPanel(frame), 0, 0, 3990, twips::kTitleHeight);
  Panel* title = t->picTitel.get();
  // Nothing lies over the strip: the frame's widget can draw it and take its input.
  title->setOwnWindow(false);
  title->setBackColor(kSysInactiveBorder);
  title->setMousePointer(ptrSizeAllAlt);
  title->setFont(titleFont);

  auto caption = [&](double left, Label::Align align) {
    auto l = placed(s.createLabel(title), left, 30, 555, 225);
    l->setFont(titleFont);
    l->setForeColor(kSysWindowText);
    l->setAlignment(align);
    l->setAutoSize(true);
    l->setCaption("lblTitel");
    return l;
  };
  t->lblTitel = caption(360, Label::Align::Left);
  t->lblTitel->setMousePointer(ptrSizeAllAlt);
  t->lblTitelRight = caption(2910, Label::Align::Right);
  t->imgClose = button(s, title, 1680, pictures::closeButton(), templ::kTipClose);
  t->imgExpand = button(s, title, 1410, pictures::expandButton(), templ::kTipExpand);
  t->imgCollapse = button(s, title, 1140, pictures::collapseButton(), templ::kTipCollapse);
  t->imgOpt = button(s, title, 900, pictures::optionsButton(), templ::kTipOptions);
  t->imgIcon = placed(s.createImage(title), 0, 20, 225, 225);
  mSets.push_back(std::move(t));

  // Handlers hold the dock weakly: an element may outlive the dock for the length of a handler.
  std::weak_ptr<TovDock> w = q.weak_from_this();
  auto on = [w](auto method) {
    return [w, method](auto&&... args) {
      if (auto self = w.lock(); self && self->d->alive()) {
        Run run(*self->d);
        ((*self->d).*method)(args...);
      }
    };
  };
  s.onResize = on(&TovDockPrivate::onSurfaceResize);
  s.onMetricsChanged = on(&TovDockPrivate::forgetTitleArrangements);
  s.handlers().onMouseDown = on(&TovDockPrivate::UserControl_MouseDown);
  s.handlers().onDragDrop = on(&TovDockPrivate::UserControl_DragDrop);
  s.handlers().onDragOver = [w](Element* source, float x, float y) -> DropHint {
    auto self = w.lock();
    return self && self->d->alive() ? self->d->UserControl_DragOver(source, x, y) : DropHint{};
  };
  VScroll->onChange = on(&TovDockPrivate::VScroll_Change);
  VScroll->onScroll = on(&TovDockPrivate::VScroll_Scroll);
}

void TovDockPrivate::onSurfaceResize() {
  if (mSurface->Width() < twips::kMinWidth) mSurface->setWidth(twips::kMinWidth);
  if (mSurface->Height() < twips::kMinHeight) mSurface->setHeight(twips::kMinHeight);
  if (!mShow) return;
  // Heights the dock gives itself to fit a new size are not the user's or the application's.
  const bool resizing = std::exchange(mResizing, true);
  pAutoSize();
  OrderBars(false);
  mResizing = resizing;
}

void TovDockPrivate::Terminate() {
  if (mTerminated) return;
  // A dock that was never shown has not loaded the stored layout; saving it would overwrite the
  // user's layout with the application's defaults.
  if (mSurface && mSurface->AmbientUserMode() && mEverShown) pSaveSettings();
  mTerminated = true;
  if (mEvents) mEvents->evGetDockBar = nullptr;
  mEvents.reset();
  if (BarsRef all = mBars) {
    BarsInternals::fEvents(*all, nullptr);
    all->Clear();
  }
  mBars.reset();
}

void TovDockPrivate::setShow(bool b) {
  mShow = b;
  if (!b) return;
  mEverShown = true;
  pRefreshAll();
}

void TovDockPrivate::ShowElement(std::int32_t Index) {
  // Each state change runs the application's handlers, which may fail or clear the bars: the next
  // bar is still tried.
  if (Index == 0) {
    for (std::int32_t i = 1; alive() && i <= count(); ++i) {
      if (BarRef b = barAt(i); b && b->State() == eBarHidden) skipFailure([&] { b->setState(eBarExpanded); });
    }
  } else if (Index == -1) {
    if (!mAllowScroll) {
      for (std::int32_t i = 1; alive() && i <= count(); ++i) {
        BarRef b = barAt(i);
        if (!b) continue;
        skipFailure([&] { b->setState(eBarExpanded); });
        // A handler may have hidden the bar again; the height is only given while it can grow.
        skipFailure([&] {
          if (b->AllowResize()) b->setHeight(twips::kResetHeight);
        });
      }
      if (clsBars* all = collection()) BarsInternals::fSetOrderDefault(*all);
      // In fit mode the bars take their content's heights again.
      for (std::int32_t i = 1; mFitToDock && i <= count(); ++i)
        if (BarRef b = barAt(i)) BarInternals::fSetShare(*b, 0);
    }
    pLoadColors();
    pAutoSize();
    mShow = true;
    mEverShown = true;
    pRepaintAll();
    return;
  } else if (BarRef b = barAt(Index)) {
    skipFailure([&] { b->setState(eBarExpanded); });
  }
  OrderBars(false);
}

// ---- Look-ups ----

BarElements& TovDockPrivate::elements(std::int32_t Index) const {
  BarElements* e = set(Index);
  if (!e) {
    throw Failure("Control array element '" + std::to_string(Index) + "' doesn't exist", errElementMissing);
  }
  return *e;
}

clsBars& TovDockPrivate::bars() const {
  if (!mBars) throw Failure::objectNotSet();
  return *mBars;
}

BarRef TovDockPrivate::barAt(std::int32_t Index) const {
  return mBars ? mBars->Item(Index) : nullptr;
}

BarRef TovDockPrivate::bar(std::int32_t Index) const {
  BarRef b = barAt(Index);
  if (!b) throw Failure::objectNotSet();
  return b;
}

std::int32_t TovDockPrivate::count() const {
  return mBars ? mBars->Count() : 0;
}

}  // namespace tov

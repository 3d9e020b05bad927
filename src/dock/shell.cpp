// The dock's public face and lifecycle: creation, element template, resizing, termination.
#include "dock/dock_internal.h"

namespace tov {

std::shared_ptr<TovDock> TovDock::create(std::shared_ptr<Toolkit> toolkit) {
  if (!toolkit) toolkit = defaultToolkit();
  std::shared_ptr<TovDock> dock(new TovDock(std::move(toolkit)));
  dock->initialise();
  return dock;
}

TovDock::TovDock(std::shared_ptr<Toolkit> toolkit) : mToolkit(std::move(toolkit)) {}

TovDock::~TovDock() {
  Terminate();
}

void TovDock::initialise() {
  skipFailure([&] { buildTemplate(); });
  skipFailure([&] {
    mEvents = std::make_shared<clsEvents>();
    mEvents->evGetDockBar = [w = weak_from_this()](std::shared_ptr<TovDock>& Dock) { Dock = w.lock(); };
  });
  skipFailure([&] {
    mBars = std::make_shared<clsBars>();
    mBars->fToolkit(mToolkit);
  });
  skipFailure([&] { mBars->fEvents(mEvents); });
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
  line->setPoints(0, y, 20840, y);
  line->setBorderColor(c);
  return line;
}

std::unique_ptr<Image> button(Surface& s, Element* container, double left, PictureRef pic, const char* tip) {
  auto img = placed(s.createImage(container), left, 0, 240, 240);
  img->setPicture(std::move(pic));
  img->setToolTipText(tip);
  img->setMousePointer(ptrCustom);
  return img;
}

}  // namespace

void TovDock::buildTemplate() {
  mSurface = mToolkit->createSurface();
  Surface& s = *mSurface;
  s.setWidth(7560);
  s.setHeight(6375);
  const Font titleFont{"Arial", 9, true};

  auto frame = placed(s.createPanel(&s), 810, 930, 4185, 2655);
  Panel* frame0 = frame.get();
  picDockBar = std::make_unique<ElementArray<Panel>>("picDockBar", std::move(frame));
  VScroll = placed(s.createScrollBar(&s), 7290, 0, 255, 5115);
  imgHand = placed(s.createImage(&s), 4950, 4500, 480, 480);
  imgHand->setPicture(pictures::handCursor());

  auto split = placed(s.createPanel(frame0), 0, 1000, 25000, 80);
  split->setBackColor(kSysScrollBars);
  split->setMousePointer(ptrSizeNS);
  split->setToolTipText(templ::kTipSplit);
  Panel* split0 = split.get();
  picSplit = std::make_unique<ElementArray<Panel>>("picSplit", std::move(split));
  lineSplit2 = std::make_unique<ElementArray<Line>>("lineSplit2", gripLine(s, split0, 40, 0x808080));
  lineSplit0 = std::make_unique<ElementArray<Line>>("lineSplit0", gripLine(s, split0, 10, 0xFFFFFF));
  lineSplit1 = std::make_unique<ElementArray<Line>>("lineSplit1", gripLine(s, split0, 25, 0xC0C0C0));

  auto title = placed(s.createPanel(frame0), 0, 0, 3990, 260);
  title->setBackColor(kSysInactiveBorder);
  title->setMousePointer(ptrSizeAllAlt);
  title->setFont(titleFont);
  Panel* title0 = title.get();
  picTitel = std::make_unique<ElementArray<Panel>>("picTitel", std::move(title));

  auto caption = [&](double left, Label::Align align) {
    auto l = placed(s.createLabel(title0), left, 30, 555, 225);
    l->setFont(titleFont);
    l->setForeColor(kSysWindowText);
    l->setAlignment(align);
    l->setAutoSize(true);
    l->setCaption("lblTitel");
    return l;
  };
  auto left = caption(360, Label::Align::Left);
  left->setMousePointer(ptrSizeAllAlt);
  lblTitel = std::make_unique<ElementArray<Label>>("lblTitel", std::move(left));
  lblTitelRight = std::make_unique<ElementArray<Label>>("lblTitelRight", caption(2910, Label::Align::Right));
  imgClose = std::make_unique<ElementArray<Image>>(
      "imgClose", button(s, title0, 1680, pictures::closeButton(), templ::kTipClose));
  imgExpand = std::make_unique<ElementArray<Image>>(
      "imgExpand", button(s, title0, 1410, pictures::expandButton(), templ::kTipExpand));
  imgCollapse = std::make_unique<ElementArray<Image>>(
      "imgCollapse", button(s, title0, 1140, pictures::collapseButton(), templ::kTipCollapse));
  imgOpt = std::make_unique<ElementArray<Image>>(
      "imgOpt", button(s, title0, 900, pictures::optionsButton(), templ::kTipOptions));
  imgIcon = std::make_unique<ElementArray<Image>>("imgIcon", placed(s.createImage(title0), 0, 20, 225, 225));

  // Handlers hold the dock weakly: an element may outlive the dock for the length of a handler.
  std::weak_ptr<TovDock> w = weak_from_this();
  s.onResize = [w] {
    if (auto self = w.lock(); self && self->alive()) self->onSurfaceResize();
  };
  s.onMouseDown = [w](const MouseArgs& a) {
    if (auto self = w.lock(); self && self->alive()) self->UserControl_MouseDown(a);
  };
  s.onDragDrop = [w](Element* source, float x, float y) {
    if (auto self = w.lock(); self && self->alive()) self->UserControl_DragDrop(source, x, y);
  };
  VScroll->onChange = [w] {
    if (auto self = w.lock(); self && self->alive()) self->VScroll_Change();
  };
  VScroll->onScroll = [w] {
    if (auto self = w.lock(); self && self->alive()) self->VScroll_Scroll();
  };
}

double TovDock::Width() const {
  return mSurface ? mSurface->Width() : 0;
}
double TovDock::Height() const {
  return mSurface ? mSurface->Height() : 0;
}

void TovDock::resize(double width, double height) {
  // Every layout pass turns the size into whole twips: a size that has none would fail each one.
  auto outOfRange = [](double v) { return !std::isfinite(v) || std::abs(v) > INT32_MAX; };
  if (outOfRange(width) || outOfRange(height))
    throw Failure::invalidCall("the size must be a finite number of twips");
  auto keep = shared_from_this();
  mSurface->setWidth(width);
  mSurface->setHeight(height);
  onSurfaceResize();
}

void TovDock::onSurfaceResize() {
  skipFailure([&] {
    if (mSurface->Width() < 500) mSurface->setWidth(500);
  });
  skipFailure([&] {
    if (mSurface->Height() < 200) mSurface->setHeight(200);
  });
  if (!mShow) return;
  skipFailure([&] { pAutoSize(); });
  skipFailure([&] { OrderBars(false); });
}

void TovDock::Terminate() {
  if (mTerminated) return;
  // The host services and the hosted controls run code here that may drop the application's last
  // reference to the dock. From the destructor there is no reference left to hold.
  auto keep = weak_from_this().lock();
  // A dock that was never shown has not loaded the stored layout; saving it would overwrite the
  // user's layout with the application's defaults.
  skipFailure([&] {
    if (mSurface && mSurface->AmbientUserMode() && mEverShown) pSaveSettings();
  });
  mTerminated = true;
  if (mEvents) mEvents->evGetDockBar = nullptr;
  mEvents.reset();
  if (BarsRef all = mBars) {
    all->fEvents(nullptr);
    skipFailure([&] { all->Clear(); });
  }
  mBars.reset();
}

void TovDock::setShow(bool b) {
  auto keep = shared_from_this();
  mShow = b;
  if (!b) return;
  mEverShown = true;
  skipFailure([&] { pRefreshAll(); });
}

void TovDock::ShowElement(std::int32_t Index) {
  auto keep = shared_from_this();
  if (Index == 0) {
    for (std::int32_t i = 1; alive() && i <= bars().Count(); ++i) {
      skipFailure([&] {
        BarRef b = bar(i);
        if (b->State() == eBarHidden) b->setState(eBarExpanded);
      });
    }
    skipFailure([&] { OrderBars(false); });
    return;
  }
  if (Index == -1) {
    if (!mAllowScroll) {
      for (std::int32_t i = 1; alive() && i <= bars().Count(); ++i) {
        BarRef b;
        skipFailure([&] { b = bar(i); });
        if (!b) continue;
        skipFailure([&] { b->setState(eBarExpanded); });
        skipFailure([&] {
          if (b->AllowResize()) b->setHeight(600);
        });
      }
      skipFailure([&] { bars().fSetOrderDefault(); });
    }
    skipFailure([&] { pLoadColors(); });
    skipFailure([&] { pAutoSize(); });
    mShow = true;
    mEverShown = true;
    skipFailure([&] { pRepaintAll(); });
    return;
  }
  skipFailure([&] { bar(Index)->setState(eBarExpanded); });
  skipFailure([&] { OrderBars(false); });
}

Hwnd TovDock::hWndItem(std::int16_t Index) const {
  return (*picDockBar)(Index).hWnd();
}

clsBars& TovDock::bars() const {
  if (!mBars) throw Failure::objectNotSet();
  return *mBars;
}

BarRef TovDock::bar(std::int32_t Index) const {
  BarRef b = bars().Item(Index);
  if (!b) throw Failure::objectNotSet();
  return b;
}

}  // namespace tov

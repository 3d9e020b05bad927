// Title strips: scheme colours, repainting a bar, arranging its title and painting the gradient.
#include "dock/dock_private.h"

namespace tov {

void TovDockPrivate::pLoadColors() {
  auto host = this->host();
  // Every colour setter stores its value and then repaints the bar, which runs the application's
  // handlers: when one fails (a handler removed the bar), the others still take their colours.
  auto each = [](auto&& step) { skipFailure(step); };
  const std::int32_t n = count();
  for (std::int32_t i = 1; i <= n && alive(); ++i) {
    BarRef b = barAt(i);
    if (!b) continue;
    b->setBackColor(pGetColor(scheme::kBar));
    each([&] { b->setTitleForeColor(pGetColor(scheme::kTitleText)); });
    each([&] { b->setTitleBackColorStart(pGetColor(scheme::kTitleStart)); });
    each([&] { b->setTitleBackColorEnd(pGetColor(scheme::kTitleEnd)); });
    each([&] { b->setTitleVertical(host->GetFlag(scheme::kTitleVertical)); });
  }
  skipFailure([&] { mSurface->setBackColor(host->GetColor(scheme::kDock)); });
}

Color TovDockPrivate::pGetColor(std::int32_t ColorNumber) {
  Color c = 0;
  skipFailure([&] { c = host()->GetColor(ColorNumber); });
  return c;
}

void TovDockPrivate::pPaint(std::int16_t Index) {
  report("DockBar.pPaint", [&] {
    if (!mShow) return;
    BarRef b = bar(Index);
    Panel& frame = *elements(Index).picDockBar;
    if (b->State() == eBarHidden) {
      frame.setVisible(false);
      return;
    }
    frame.setVisible(true);
    // Showing the frame may run the application's code (a hosted control's resize), which may have
    // unloaded the bar's elements: they are looked up again.
    elements(Index).picDockBar->setBackColor(b->BackColor());
    pArrangeTitle(Index);
    pPlaceSplit(Index);
    pPlaceControl(Index);
  });
}

void TovDockPrivate::pArrangeTitle(std::int32_t Index) {
  cTovBar* b = barPtr(Index);
  BarElements* e = set(Index);
  if (b && e) arrangeTitle(*b, *e);
}

namespace {
/// What an arrangement reads of a bar besides its texts and icon, one bit each; the top bit is
/// always set, so that no bar matches a set never arranged.
std::uint8_t switchesOf(const cTovBar& b) {
  return static_cast<std::uint8_t>(0x80 | (b.CanExpand() ? 0x01 : 0) | (b.ShowClose() ? 0x02 : 0) |
                                   (b.State() == eBarCollapsed ? 0x04 : 0) | (b.ShowOptions() ? 0x08 : 0) |
                                   (b.CanMove() ? 0x10 : 0));
}
}  // namespace

void TovDockPrivate::arrangeTitle(const cTovBar& b, BarElements& e) {
  // Only the elements are set here, which runs none of the application's code: the bar and its
  // set stay where they are for the whole arrangement.
  Panel& strip = *e.picTitel;
  const bool stripShown = b.CanExpand() || !b.Title().empty();
  // Most passes arrange each title for what it was arranged for before, which would set every
  // element to what it has: the elements are then left alone. Only this routine sets them.
  const TitleArrangement now{BarInternals::fTitleStamp(b), e.picDockBar->Width(), switchesOf(b)};
  if (e.arranged == now && (!stripShown || strip.gradient() == gradientOf(b))) return;
  // Kept only once the arrangement is complete and would set the same again.
  e.arranged = {};
  bool same = true;
  if (!stripShown) {
    strip.setVisible(false);
    e.arranged = now;
    return;
  }
  strip.setWidth(now.width);
  const double W = strip.Width();

  if (!b.Icon()) {
    e.lblTitel->setLeft(twips::kCaptionLeft);
    e.imgIcon->setPicture(nullptr);
    e.imgIcon->setVisible(false);
  } else {
    // The caption follows the icon element's width as it stood before the new picture: where the
    // picture changes that width, the next arrangement moves the caption.
    const double iconWidth = e.imgIcon->Width();
    e.lblTitel->setLeft(twips::kIconGap + iconWidth);
    e.imgIcon->setPicture(b.Icon());
    e.imgIcon->setVisible(true);
    same = e.imgIcon->Width() == iconWidth;
  }
  e.lblTitel->setCaption(b.Title());
  e.lblTitelRight->setCaption(b.TitleRight());
  paintGradient(b, e);

  // Buttons are packed against the right edge, the first one kButtonsInset twips in.
  double r = twips::kButtonsInset;
  auto place = [&](Image& button) {
    r = roundHalfEven(button.Width() + r);
    button.setLeft(W - r);
    button.setVisible(true);
  };
  if (b.ShowClose()) {
    place(*e.imgClose);
  } else {
    e.imgClose->setVisible(false);
  }
  if (b.CanExpand()) {
    // Only the button not shown is hidden: hiding the shown one as well, to show it again at once,
    // would have its strip repainted although nothing changed.
    const bool collapsed = b.State() == eBarCollapsed;
    (collapsed ? *e.imgCollapse : *e.imgExpand).setVisible(false);
    place(collapsed ? *e.imgExpand : *e.imgCollapse);
  }
  if (b.ShowOptions()) place(*e.imgOpt);

  if (!b.TitleRight().empty()) {
    Label& right = *e.lblTitelRight;
    right.setLeft(W - right.Width() - r - twips::kRightCaptionGap);
  }
  // Kept as strings: a tooltip set from a literal would build one on every arrangement.
  static const std::string kMoveTip = templ::kTipMove, kNoTip;
  const bool movable = b.CanMove();
  strip.setToolTipText(movable ? kMoveTip : kNoTip);
  strip.setMousePointer(movable ? ptrSizeAll : ptrDefault);
  e.lblTitel->setMousePointer(movable ? ptrSizeAll : ptrDefault);
  strip.setVisible(true);
  if (same) e.arranged = now;
}

namespace {

/// The colour of band `i` of a title gradient in `bands` steps from `S` toward `E`: each channel
/// moves by the same single-precision step per band.
Color bandColor(Color S, Color E, int bands, int i) {
  static constexpr std::int32_t kMasks[3] = {0x0000FF, 0x00FF00, 0xFF0000};
  Color c = 0;
  for (const std::int32_t m : kMasks) {
    const auto d = static_cast<float>(static_cast<double>((S & m) - (E & m)) / bands);
    // A start colour near the 32-bit limit overflows for some bands: that channel stays dark.
    skipFailure([&] { c |= toInt32(S - static_cast<double>(d) * i) & m; });
  }
  return c;
}

}  // namespace

Gradient TovDockPrivate::gradientOf(const cTovBar& b) {
  // Left to right the strip shows 61 bands, 60 steps apart, the last one from its right edge on;
  // top to bottom 30 lines, the last one at 29/30 of its height. The toolkit draws the gradient
  // between the first band's colour and the last one's.
  const Color S = b.TitleBackColorStart(), E = b.TitleBackColorEnd();
  const bool vertical = b.TitleVertical();
  const int bands = vertical ? 30 : 60;
  return {bandColor(S, E, bands, 0), bandColor(S, E, bands, vertical ? 29 : 60), vertical};
}

void TovDockPrivate::forgetTitleArrangements() {
  for (const auto& e : mSets)
    if (e) e->arranged = {};
}

void TovDockPrivate::paintGradient(const cTovBar& b, BarElements& e) {
  e.picTitel->setGradient(gradientOf(b));
}

}  // namespace tov

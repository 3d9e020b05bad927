// Title strips: scheme colours, repainting a bar, arranging its title and painting the gradient.
#include "dock/dock_internal.h"

namespace tov {

void TovDock::pLoadColors() {
  std::int32_t n = 0;
  skipFailure([&] { n = bars().Count(); });
  auto host = HostServices::instance();
  for (std::int32_t i = 1; i <= n && alive(); ++i) {
    BarRef b;
    skipFailure([&] { b = bar(i); });
    // A handler run by an earlier bar's repaint may have removed this one.
    if (!b) continue;
    skipFailure([&] { b->setBackColor(pGetColor(140)); });
    skipFailure([&] { b->setTitleForeColor(pGetColor(150)); });
    skipFailure([&] { b->setTitleBackColorStart(pGetColor(143)); });
    skipFailure([&] { b->setTitleBackColorEnd(pGetColor(144)); });
    skipFailure([&] { b->setTitleVertical(host->GetFlag(141)); });
  }
  skipFailure([&] { mSurface->setBackColor(host->GetColor(10)); });
}

Color TovDock::pGetColor(std::int32_t ColorNumber) {
  Color c = 0;
  skipFailure([&] { c = HostServices::instance()->GetColor(ColorNumber); });
  return c;
}

void TovDock::pPaint(std::int16_t Index) {
  report("DockBar.pPaint", [&] {
    if (!mShow) return;
    BarRef b = bar(Index);
    if (b->State() == eBarHidden) {
      (*picDockBar)(Index).setVisible(false);
      return;
    }
    (*picDockBar)(Index).setVisible(true);
    (*picDockBar)(Index).setBackColor(b->BackColor());
    pArrangeTitle(Index);
    pPlaceSplit(Index);
    pPlaceControl(Index);
  });
}

void TovDock::pArrangeTitle(std::int32_t Index) {
  BarRef b;
  skipFailure([&] { b = bar(Index); });
  if (!b) return;
  auto strip = [&]() -> Panel& { return (*picTitel)(Index); };
  bool noStrip = false;
  skipFailure([&] { noStrip = !b->CanExpand() && b->Title().empty(); });
  if (noStrip) {
    skipFailure([&] { strip().setVisible(false); });
    return;
  }
  skipFailure([&] { strip().setWidth((*picDockBar)(Index).Width()); });
  double W = 0;
  skipFailure([&] { W = strip().Width(); });

  auto& icon = *imgIcon;
  if (skipTest([&] { return b->Icon() == nullptr; })) {
    skipFailure([&] { (*lblTitel)(Index).setLeft(50); });
    skipFailure([&] { icon(Index).setPicture(nullptr); });
    skipFailure([&] { icon(Index).setVisible(false); });
  } else {
    // The caption follows the icon element's width as it stood before the new picture.
    skipFailure([&] { (*lblTitel)(Index).setLeft(100 + icon(Index).Width()); });
    skipFailure([&] { icon(Index).setPicture(b->Icon()); });
    skipFailure([&] { icon(Index).setVisible(true); });
  }
  skipFailure([&] { (*lblTitel)(Index).setCaption(b->Title()); });
  skipFailure([&] { (*lblTitelRight)(Index).setCaption(b->TitleRight()); });
  skipFailure([&] { pPaintGradient(Index); });

  // Buttons are packed against the right edge, the first one 20 twips in.
  std::int32_t r = 20;
  auto place = [&](ElementArray<Image>& button) {
    skipFailure([&] { r = toInt32(button(Index).Width() + r); });
    skipFailure([&] { button(Index).setLeft(W - r); });
    skipFailure([&] { button(Index).setVisible(true); });
  };
  if (skipTest([&] { return b->ShowClose(); })) {
    place(*imgClose);
  } else {
    skipFailure([&] { (*imgClose)(Index).setVisible(false); });
  }
  if (skipTest([&] { return b->CanExpand(); })) {
    skipFailure([&] { (*imgCollapse)(Index).setVisible(false); });
    skipFailure([&] { (*imgExpand)(Index).setVisible(false); });
    if (skipTest([&] { return b->State() == eBarCollapsed; })) {
      place(*imgExpand);
    } else {
      place(*imgCollapse);
    }
  }
  if (skipTest([&] { return b->ShowOptions(); })) place(*imgOpt);

  if (skipTest([&] { return !b->TitleRight().empty(); })) {
    skipFailure([&] {
      auto& right = (*lblTitelRight)(Index);
      right.setLeft(W - right.Width() - r - 40);
    });
  }
  if (skipTest([&] { return b->CanMove(); })) {
    skipFailure([&] { strip().setToolTipText(templ::kTipMove); });
    skipFailure([&] { (*lblTitel)(Index).setMousePointer(ptrSizeAll); });
    skipFailure([&] { strip().setMousePointer(ptrSizeAll); });
  } else {
    skipFailure([&] { strip().setMousePointer(ptrDefault); });
    skipFailure([&] { strip().setToolTipText(""); });
    skipFailure([&] { (*lblTitel)(Index).setMousePointer(ptrDefault); });
  }
  skipFailure([&] { strip().setVisible(true); });
}

void TovDock::pPaintGradient(std::int32_t Index) {
  BarRef b;
  skipFailure([&] { b = bar(Index); });
  if (!b) return;
  Color S = 0, E = 0;
  skipFailure([&] { S = b->TitleBackColorStart(); });
  skipFailure([&] { E = b->TitleBackColorEnd(); });
  bool vertical = false;
  skipFailure([&] { vertical = b->TitleVertical(); });
  Panel* strip = nullptr;
  skipFailure([&] { strip = &(*picTitel)(Index); });
  if (!strip) return;
  const int N = vertical ? 30 : 60;
  const int last = vertical ? 29 : 60;
  float step = 0;
  skipFailure(
      [&] { step = static_cast<float>((vertical ? strip->ScaleHeight() : strip->ScaleWidth()) / N); });

  // The strip keeps what was drawn; the same gradient drawn again would change no pixel.
  const GradientKey key{S, E, vertical, step};
  if (Index >= 0 && static_cast<std::size_t>(Index) < mGradients.size() &&
      mGradients[static_cast<std::size_t>(Index)] == key) {
    return;
  }

  static constexpr std::int32_t kMasks[3] = {0x0000FF, 0x00FF00, 0xFF0000};
  float d[3];
  for (int m = 0; m < 3; ++m) {
    d[m] = static_cast<float>(static_cast<double>((S & kMasks[m]) - (E & kMasks[m])) / N);
  }
  for (int i = 0; i <= last; ++i) {
    Color c = 0;
    for (int m = 0; m < 3; ++m) {
      skipFailure([&] { c |= toInt32(S - static_cast<double>(d[m]) * i) & kMasks[m]; });
    }
    const double at = static_cast<double>(step) * i;
    skipFailure([&] {
      if (vertical) {
        strip->drawLine(0, at, 25000, at, c);
      } else {
        strip->fillRect(at, 0, static_cast<double>(step) * (i + 1), 500, c);
      }
    });
  }
  if (Index >= 0) {
    if (static_cast<std::size_t>(Index) >= mGradients.size())
      mGradients.resize(static_cast<std::size_t>(Index) + 1);
    mGradients[static_cast<std::size_t>(Index)] = key;
  }
}

}  // namespace tov

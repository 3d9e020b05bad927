// The colours of a DockWidget from its palette, and the host services that hand them to the dock.
#include "palette_host.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace tov::qt {

namespace {

constexpr double kMinContrast = 4.5;
/// What a palette of high contrast has between Window and WindowText, and what its titles keep.
constexpr double kHighContrastPalette = 15;
constexpr double kHighContrastText = 7;

QColor colorOf(const QPalette& p, QPalette::ColorRole r) {
  return p.color(QPalette::Active, r);
}

/// The title's background and text in a palette of high contrast: its Button and ButtonText when
/// they reach the contrast, else its Window and WindowText.
std::pair<QColor, QColor> highContrastTitle(const QPalette& p) {
  const QColor button = colorOf(p, QPalette::Button), buttonText = colorOf(p, QPalette::ButtonText);
  if (contrastRatio(button, buttonText) >= kHighContrastText) return {button, buttonText};
  return {colorOf(p, QPalette::Window), colorOf(p, QPalette::WindowText)};
}

QColor mix(const QColor& a, const QColor& b, double t) {
  auto channel = [t](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
  return QColor(channel(a.red(), b.red()), channel(a.green(), b.green()), channel(a.blue(), b.blue()));
}

double luminance(const QColor& c) {
  auto linear = [](int v) {
    const double s = v / 255.0;
    return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(c.red()) + 0.7152 * linear(c.green()) + 0.0722 * linear(c.blue());
}

double worstContrast(const QColor& text, const QColor& start, const QColor& end) {
  return std::min(contrastRatio(text, start), contrastRatio(text, end));
}

/// The text colour moved toward black or white, whichever stands out more from both ends, by as
/// little as gives the wanted contrast (or all the way when nothing less does).
QColor legible(const QColor& text, const QColor& start, const QColor& end, double wanted) {
  if (worstContrast(text, start, end) >= wanted) return text;
  const QColor black(0, 0, 0), white(255, 255, 255);
  const QColor target = worstContrast(black, start, end) >= worstContrast(white, start, end) ? black : white;
  for (int step = 1; step < 20; ++step) {
    const QColor c = mix(text, target, step / 20.0);
    if (worstContrast(c, start, end) >= wanted) return c;
  }
  return target;
}

}  // namespace

double contrastRatio(const QColor& a, const QColor& b) {
  const double la = luminance(a), lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

Color toColor(const QColor& c) {
  return static_cast<Color>(c.red() | (c.green() << 8) | (c.blue() << 16));
}

bool isHighContrast(const QPalette& p) {
  return contrastRatio(colorOf(p, QPalette::Window), colorOf(p, QPalette::WindowText)) >=
         kHighContrastPalette;
}

QColor paletteColor(const QPalette& p, DockWidget::ColorRole role, const QColor& start, const QColor& end) {
  auto of = [&p](QPalette::ColorRole r) { return colorOf(p, r); };
  if (isHighContrast(p) && role != DockWidget::Background && role != DockWidget::PaneBackground) {
    const auto [back, text] = highContrastTitle(p);
    if (role != DockWidget::TitleText) return back;
    return legible(text, start.isValid() ? start : back, end.isValid() ? end : back, kHighContrastText);
  }
  switch (role) {
    case DockWidget::Background:
      return of(QPalette::Window);
    case DockWidget::PaneBackground:
      return of(QPalette::Base);
    case DockWidget::TitleStart:
      // A little darker than a button, with a hint of the highlight.
      return mix(mix(of(QPalette::Button), of(QPalette::Mid), 0.45), of(QPalette::Highlight), 0.15);
    case DockWidget::TitleEnd:
      return mix(of(QPalette::Window), of(QPalette::Base), 0.5);
    case DockWidget::TitleText:
      return legible(of(QPalette::ButtonText),
                     start.isValid() ? start : paletteColor(p, DockWidget::TitleStart),
                     end.isValid() ? end : paletteColor(p, DockWidget::TitleEnd), kMinContrast);
  }
  return {};
}

PaletteHost::PaletteHost(DockWidget* widget, bool keepsSettings) : mWidget(widget) {
  if (keepsSettings) mSettings.emplace(widget);
}

void PaletteHost::ShowMessage(const std::string&, std::int32_t, const std::string&, std::int16_t,
                              std::int32_t) {}

std::string PaletteHost::GetSetting(const std::string& section, const std::string& key, std::int16_t) {
  return mSettings ? mSettings->read(section, key) : std::string();
}

std::optional<std::string> PaletteHost::ReadSetting(const std::string& section, const std::string& key) {
  if (!mSettings) return std::string();
  return mSettings->tryRead(section, key);
}

void PaletteHost::SaveSetting(const std::string& section, const std::string& key, const std::string& value,
                              std::int32_t) {
  if (mSettings) mSettings->write(section, key, value);
}

void PaletteHost::BeginSettingsBatch() {
  if (mSettings) mSettings->begin();
}

void PaletteHost::EndSettingsBatch() {
  if (mSettings) mSettings->end();
}

bool PaletteHost::GetFlag(std::int32_t number) {
  return HostServices::instance()->GetFlag(number);
}

std::int32_t PaletteHost::GetColor(std::int32_t number) {
  if (!mWidget) return HostServices::instance()->GetColor(number);
  switch (number) {
    case scheme::kDock:
      return toColor(mWidget->color(DockWidget::Background));
    case scheme::kBar:
      return toColor(mWidget->color(DockWidget::PaneBackground));
    case scheme::kTitleStart:
      return toColor(mWidget->color(DockWidget::TitleStart));
    case scheme::kTitleEnd:
      return toColor(mWidget->color(DockWidget::TitleEnd));
    case scheme::kTitleText:
      return toColor(mWidget->color(DockWidget::TitleText));
    default:
      return HostServices::instance()->GetColor(number);
  }
}

}  // namespace tov::qt

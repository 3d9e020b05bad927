#pragma once
// The colours of a DockWidget: taken from its palette, each one replaceable by the application.
#include <QColor>
#include <QPalette>
#include <QPointer>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "settings_host.h"
#include "tovdock/host.h"
#include "tovdock/platform.h"
#include "tovdock/qt/dock_widget.h"

namespace tov::qt {

/// The colour of a role as the palette gives it. The title text is pushed toward black or white
/// until it stands out from both ends of the gradient, `start` and `end`, by a contrast ratio of at
/// least 4.5:1, or 7:1 in a palette of high contrast, whose own colours the titles then take.
QColor paletteColor(const QPalette& palette, DockWidget::ColorRole role, const QColor& start = {},
                    const QColor& end = {});

/// The contrast ratio of two colours (1 to 21) from their relative luminance.
double contrastRatio(const QColor& a, const QColor& b);

/// A colour in the dock's 0x00BBGGRR form.
Color toColor(const QColor& c);

/// Whether a palette is one of high contrast: its Window and WindowText colours contrast 15:1 or
/// more. Titles then take the palette's own colours, their text at 7:1 or more.
bool isHighContrast(const QPalette& palette);

/// Host services of one DockWidget. With `keepsSettings` the layout is kept in the application's
/// QSettings (see SettingsHost); without it, it is neither read nor written. The colours come from
/// the widget. Messages are not shown: the one the core has, that the last pane shown cannot be
/// hidden, the widget shows as a close button that cannot be pressed.
class PaletteHost : public HostServices {
 public:
  PaletteHost(DockWidget* widget, bool keepsSettings);

  void ShowMessage(const std::string& text, std::int32_t number, const std::string& text2, std::int16_t flag,
                   std::int32_t number2) override;
  std::string GetSetting(const std::string& section, const std::string& key, std::int16_t number) override;
  std::optional<std::string> ReadSetting(const std::string& section, const std::string& key) override;
  void SaveSetting(const std::string& section, const std::string& key, const std::string& value,
                   std::int32_t number) override;
  bool GetFlag(std::int32_t number) override;
  std::int32_t GetColor(std::int32_t number) override;
  void BeginSettingsBatch() override;
  void EndSettingsBatch() override;

 private:
  QPointer<DockWidget> mWidget;
  std::optional<detail::SettingsHost> mSettings;
};

}  // namespace tov::qt

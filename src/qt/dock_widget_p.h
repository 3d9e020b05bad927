#pragma once
// The state of a DockWidget and what its parts (panes, keys, assistive technology, colours) share.
#include <QList>
#include <QPoint>
#include <QPointer>
#include <array>
#include <memory>
#include <optional>
#include <string>

#include "tovdock/qt/dock_widget.h"

namespace tov::qt {

class PaletteHost;
namespace detail {
class TitleKeys;
class PaneSizing;
}  // namespace detail

class DockWidgetPrivate {
 public:
  explicit DockWidgetPrivate(DockWidget* widget) : q(widget) {}

  static DockWidgetPrivate* get(const DockWidget* w) { return w->d.get(); }

  /// The pane's key as the core stores it: prefixed with the objectName when there is one.
  std::string coreKey(const QString& key) const;
  Pane* paneOfCoreKey(const std::string& key) const;
  /// The pane of a bar index, or null.
  Pane* paneOfIndex(std::int32_t index) const;
  /// Emits the state signals of every pane whose state changed.
  void syncStates();
  /// Logical pixels and twips on the screen the dock is on.
  double pixelsPerTwip() const;
  double toTwips(int pixels) const;
  int toPixels(double twips) const;
  /// The grip lines follow the palette; a dock on screen loads its colours again and repaints.
  void applyColors();

  DockWidget* q;
  std::shared_ptr<QtToolkit> toolkit;
  DockRef dock;
  QList<Pane*> panes;
  detail::TitleKeys* keys = nullptr;
  detail::PaneSizing* sizing = nullptr;
  /// Where a context menu asked for with the keyboard opens, while it is being asked for.
  std::optional<QPoint> menuAt;
  bool autoSave = true;
  bool activated = false;
  std::array<QColor, 5> colors;
};

}  // namespace tov::qt

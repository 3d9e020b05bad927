#pragma once
// The state of a Pane: the bar behind it and what the Qt face keeps besides.
#include <QIcon>
#include <QPointer>
#include <QString>

#include "tovdock/qt/dock_core.h"
#include "tovdock/qt/dock_widget.h"

class QAction;

namespace tov::qt {

class PanePrivate {
 public:
  static PanePrivate* get(const Pane* p) { return p->d.get(); }
  /// The bar behind the pane.
  static const BarRef& bar(const Pane* p) { return p->d->coreBar; }

  /// Emits stateChanged when the bar's state differs from the one last seen.
  bool sync();

  Pane* q = nullptr;
  DockWidget* dock = nullptr;
  QString key;
  QPointer<QWidget> widget;
  BarRef coreBar;
  QIcon icon;
  QAction* toggle = nullptr;
  PaneState seen = PaneState::Expanded;
};

}  // namespace tov::qt

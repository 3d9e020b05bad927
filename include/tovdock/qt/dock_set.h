#pragma once
// Several dock widgets with one layout (DockSet).
#include <QByteArray>
#include <QList>
#include <QObject>
#include <memory>

#include "tovdock/qt/dock_widget.h"

class QUndoStack;

namespace tov::qt {

class DockSetPrivate;

/// Several docks with one layout: the user drags a pane's title from one dock of the set to another,
/// or moves it with Alt+Left and Alt+Right on its focused title to the nearest dock on that side.
///
///     auto* set = new tov::qt::DockSet(window);
///     set->addDock(leftDock);
///     set->addDock(rightDock);
///     editMenu->addAction(set->undoStack()->createUndoAction(editMenu));
///     settings.setValue("docks", set->saveState());
///
/// The set's state says which dock holds each pane and how each dock lays its panes out; restoring
/// it puts every pane back into the dock that held it. The docks share one undo stack. When its docks
/// keep their layouts in QSettings (autoSave), the set keeps there which dock holds each
/// pane, under its objectName: when a dock of the set is first shown, each pane goes back to the dock
/// that held it before the docks load their layouts.
class TOVDOCK_QT_EXPORT DockSet : public QObject {
  Q_OBJECT

 public:
  /// An empty set; `parent` owns it as any QObject.
  explicit DockSet(QObject* parent = nullptr);
  ~DockSet() override;

  /// Adds a dock; the set does not own it. Its user's changes go to the set's undo stack from now
  /// on. A dock belongs to one set at a time.
  void addDock(DockWidget* dock);
  /// The docks, in the order they were added (deleted ones left out).
  QList<DockWidget*> docks() const;

  /// Which dock holds each pane (by pane key, the docks by their place in docks()) and each dock's
  /// layout (DockWidget::saveState), versioned.
  QByteArray saveState() const;
  /// Moves each pane the state names into the dock that held it, then restores each dock's layout.
  /// Panes the state does not name stay where they are. Malformed data, data of a newer version or
  /// of another number of docks returns false and changes nothing.
  bool restoreState(const QByteArray& state);

  /// The user's layout changes in all the docks, one command each (see DockWidget::undoStack).
  QUndoStack* undoStack() const;

 private:
  friend class DockSetPrivate;
  std::unique_ptr<DockSetPrivate> d;
};

}  // namespace tov::qt

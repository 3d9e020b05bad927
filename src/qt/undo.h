#pragma once
// The user's layout changes as undoable commands: a change is the layout before a gesture and the
// layout after it, of one dock or of all the docks of a set.
#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <functional>

class QUndoStack;

namespace tov::qt {
class DockWidget;
}

namespace tov::qt::detail {

/// The commands of one dock, or of the docks of one set, on one stack of 100.
class LayoutHistory : public QObject {
 public:
  using Capture = std::function<QByteArray()>;
  using Apply = std::function<void(const QByteArray&)>;
  /// `capture` gives the whole layout as it stands; `apply` puts one back and saves it.
  LayoutHistory(QObject* parent, Capture capture, Apply apply);

  QUndoStack* stack() const { return mStack; }
  /// A user's change begins and ends; nested pairs make one command, pushed at the outermost end
  /// when the layout differs.
  void begin();
  void end();
  /// Puts a layout back, as a command's undo and redo do; nothing is recorded meanwhile.
  void apply(const QByteArray& state);
  /// Whether a layout is being put back.
  bool applying() const { return mApplying; }

 private:
  Capture mCapture;
  Apply mApply;
  QUndoStack* mStack;
  QByteArray mBefore;
  int mDepth = 0;
  bool mApplying = false;
};

/// Watches one dock's input: a press on its titles, buttons or splitters, or a key on a title, begins
/// a user's change, which ends once the gesture has been handled (a splitter drag at its release); so
/// do a menu item, a tool button and a shortcut the user chose. Ctrl+Z and Ctrl+Shift+Z on a title
/// undo and redo.
class UndoWatch : public QObject {
 public:
  explicit UndoWatch(DockWidget* dock);
  ~UndoWatch() override;
  static UndoWatch* of(const DockWidget* dock);

  /// The history the dock's changes go to: its set's while it is in one, else its own.
  LayoutHistory* history() const { return mShared ? mShared.data() : mOwn; }
  void share(LayoutHistory* history) { mShared = history; }

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  /// Whether input to `w` is the dock's own: its surface's, but not a hosted widget's.
  bool isOwn(const QObject* w) const;
  /// Ends the change once the event being delivered has been handled.
  void endLater(LayoutHistory* h);
  /// A change for the event being delivered alone.
  void beginGesture();

  DockWidget* mDock;
  LayoutHistory* mOwn;
  QPointer<LayoutHistory> mShared;
  QPointer<LayoutHistory> mPressed;
};

/// Saves a dock's layout as a change by the user does, when the dock keeps its layout.
void saveLayout(DockWidget* dock);

}  // namespace tov::qt::detail

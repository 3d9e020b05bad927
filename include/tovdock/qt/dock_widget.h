#pragma once
/// A vertical stack of panes as a Qt widget: each pane is a title strip over a widget it hosts.
///
///     auto* dock = new tov::qt::DockWidget(window);
///     dock->addPane("files", new QTreeView, tr("Files"));
///     dock->insertPane(0, "search", new QLineEdit, tr("Search"));
///     QObject::connect(dock, &tov::qt::DockWidget::layoutChanged, [=] { settings.setValue("dock",
///     dock->saveState()); });
///
/// The user collapses and expands a pane with a click on its title strip or its fold button, hides it
/// with its close button (the last pane shown cannot be hidden), drags the splitter under it to give
/// it another height and drags its title, captions or icon to another place. Positions are 0-based
/// places in the display order, as in Qt's containers. Sizes are logical pixels.
///
/// The dock lays its panes out when it is first shown. Its title strips take the keyboard focus, each
/// before its pane's widget in Tab order: Space or Enter collapses or expands the pane, Delete closes
/// it, Alt+Up and Alt+Down move it one place, Alt+Shift+Up and Alt+Shift+Down move the splitter under
/// it by a step, and the Menu key or Shift+F10 asks for its context menu. Its texts are English until
/// installTranslator gives them another language.
///
/// In a `.ui` file the dock is a container whose pages become panes (see addPage). What lies beneath,
/// the core dock with its bars and events, is in `tovdock/qt/dock_core.h`.
#include <QByteArray>
#include <QColor>
#include <QIcon>
#include <QList>
#include <QLocale>
#include <QObject>
#include <QPoint>
#include <QString>
#include <QWidget>
#include <memory>

#include "tovdock/qt/export.h"

class QAction;
class QUndoStack;

namespace tov::qt {

Q_NAMESPACE_EXPORT(TOVDOCK_QT_EXPORT)

/// Shows the dock's texts (tooltips, the names screen readers read) in the language of `locale`, for
/// which the library ships a translation (German), else in English, their own language. Call it after
/// the QApplication exists; a later call replaces the earlier one. The translations are installed
/// with the library in `<datadir>/tovdock/translations`.
TOVDOCK_QT_EXPORT void installTranslator(const QLocale& locale = QLocale());

/// What a pane shows: its title only, its title and widget, or nothing (it takes no room).
enum class PaneState { Collapsed, Expanded, Hidden };
Q_ENUM_NS(PaneState)

/// Where a pane stands: full width above or below the others, or in a left or right column.
enum class PaneGroup { Top, Left, Right, Bottom };
Q_ENUM_NS(PaneGroup)

class DockWidget;
class DockSet;
class DockWidgetPrivate;
class PanePrivate;

/// One pane of a DockWidget: a title strip and the widget it hosts. Owned by its dock, and deleted
/// when it leaves the dock (removePane, takeWidget, or its widget deleted).
class TOVDOCK_QT_EXPORT Pane : public QObject {
  Q_OBJECT
  /// The key the pane is stored and found by (key()).
  Q_PROPERTY(QString key READ key CONSTANT)
  /// The caption at the left of the title strip (title()).
  Q_PROPERTY(QString title READ title WRITE setTitle)
  /// The caption at the right of the title strip (rightTitle()).
  Q_PROPERTY(QString rightTitle READ rightTitle WRITE setRightTitle)
  /// The icon at the left of the title strip (icon()).
  Q_PROPERTY(QIcon icon READ icon WRITE setIcon)
  /// Folded, open or closed (state()).
  Q_PROPERTY(tov::qt::PaneState state READ state WRITE setState NOTIFY stateChanged)
  /// The group the pane stands in (group()).
  Q_PROPERTY(tov::qt::PaneGroup group READ group WRITE setGroup)
  /// Whether a splitter resizes the pane (isResizable()).
  Q_PROPERTY(bool resizable READ isResizable WRITE setResizable)
  /// Whether the title offers a close button (isClosable()).
  Q_PROPERTY(bool closable READ isClosable WRITE setClosable)
  /// Whether the user can drag the pane to another place (isMovable()).
  Q_PROPERTY(bool movable READ isMovable WRITE setMovable)
  /// Whether the title offers the options button (isOptionsVisible()).
  Q_PROPERTY(bool optionsVisible READ isOptionsVisible WRITE setOptionsVisible)

 public:
  /// Panes are made and deleted by their dock only.
  ~Pane() override;

  /// The key the pane was added with: unique in its dock, and the name its layout is stored under.
  QString key() const;
  /// The hosted widget; the dock owns it while the pane exists.
  QWidget* widget() const;

  /// The caption on the left of the title strip.
  QString title() const;
  /// Sets title().
  void setTitle(const QString& title);
  /// The caption on the right of the title strip, shortened last.
  QString rightTitle() const;
  /// Sets rightTitle().
  void setRightTitle(const QString& title);
  /// The icon at the left of the title strip.
  QIcon icon() const;
  /// Sets icon().
  void setIcon(const QIcon& icon);

  /// Collapsed, expanded or hidden.
  PaneState state() const;
  /// Sets state(). The last pane shown is not hidden: one pane always stays visible. A hidden pane
  /// without a close button comes back expanded when the dock applies a layout (restoreState, the
  /// stored layout).
  void setState(PaneState state);
  /// The group the pane stands in.
  PaneGroup group() const;
  /// Sets group(): the groups stay together in the display order, the pane keeping its place among
  /// the panes of its new group that stood before and after it.
  void setGroup(PaneGroup group);

  /// The expanded height in logical pixels (a collapsed pane expands to it).
  int height() const;
  /// Sets height().
  void setHeight(int height);

  /// Whether the user may drag the splitter under the pane (only while it is expanded).
  bool isResizable() const;
  /// Sets isResizable().
  void setResizable(bool on);
  /// Whether the title strip shows a close button.
  bool isClosable() const;
  /// Sets isClosable().
  void setClosable(bool on);
  /// Whether the user may drag the pane to another place.
  bool isMovable() const;
  /// Sets isMovable().
  void setMovable(bool on);
  /// Whether the title strip shows an options button, which emits DockWidget::optionsRequested.
  bool isOptionsVisible() const;
  /// Sets isOptionsVisible().
  void setOptionsVisible(bool on);

  /// A checkable action that hides and shows the pane, for a View menu. It stays checked when the
  /// pane is the last one shown: one pane always stays visible.
  QAction* toggleViewAction() const;

 signals:
  /// The pane was collapsed, expanded, hidden or shown, by the user or by code.
  void stateChanged(tov::qt::PaneState state);

 private:
  friend class DockWidget;
  friend class DockWidgetPrivate;
  friend class PanePrivate;
  Pane(DockWidget* dock, const QString& key, QWidget* widget);
  std::unique_ptr<PanePrivate> d;
};

/// The dock widget. Its own properties for Designer are `scrollable`, `autoSave` and
/// `foldOnTitleClick`.
class TOVDOCK_QT_EXPORT DockWidget : public QWidget {
  Q_OBJECT
  /// Whether the stack may be taller than the dock and scrolls (isScrollable()).
  Q_PROPERTY(bool scrollable READ isScrollable WRITE setScrollable)
  /// Whether the layout is kept in QSettings (autoSave()).
  Q_PROPERTY(bool autoSave READ autoSave WRITE setAutoSave)
  /// Whether a click on a title folds or unfolds its pane (foldOnTitleClick()).
  Q_PROPERTY(bool foldOnTitleClick READ foldOnTitleClick WRITE setFoldOnTitleClick)
  /// The number of panes (count()).
  Q_PROPERTY(int count READ count)

 public:
  /// An empty dock.
  explicit DockWidget(QWidget* parent = nullptr);
  /// Saves the layout (with autoSave) and deletes the panes and their widgets.
  ~DockWidget() override;

  /// The widget the panes are drawn on, a child of this one that fills it.
  QWidget* surfaceWidget() const;

  /// About 300 by 425 logical pixels at 96 DPI.
  QSize sizeHint() const override;
  /// About 33 by 13 logical pixels at 96 DPI.
  QSize minimumSizeHint() const override;

  /// Adds a pane at the end of the display order; see insertPane.
  Pane* addPane(const QString& key, QWidget* widget, const QString& title, const QIcon& icon = {});
  /// Adds a pane hosting `widget` at display position `position` (clamped to 0..count()), in the
  /// group of the pane it follows (of the one it precedes at position 0). The dock re-parents and owns
  /// `widget`. An empty or already used key, or no widget, is refused with a warning: nullptr, and
  /// nothing is added.
  Pane* insertPane(int position, const QString& key, QWidget* widget, const QString& title,
                   const QIcon& icon = {});
  /// Adds a page of a `.ui` file as a pane, as uic and QUiLoader do: the page's objectName is its key
  /// (a new one when it is empty or used), its windowTitle its title, followed when it changes.
  Q_INVOKABLE void addPage(QWidget* page);
  /// Removes the pane and deletes its widget (with deleteLater). False for an unknown key.
  bool removePane(const QString& key);
  /// Removes the pane and gives its widget back, hidden, without a parent and owned by the caller.
  /// Null for an unknown key.
  QWidget* takeWidget(const QString& key);
  /// Moves the pane to display position `position` (clamped to 0..count()-1). It keeps its group
  /// when a neighbour at its new place is in it, and takes the group of the pane before it (of the one
  /// after it at position 0) otherwise. Movable or not: this is the application's move. False for an
  /// unknown key.
  bool movePane(const QString& key, int position);
  /// Moves the pane with its widget, title, icon, state, height and switches to display position
  /// `position` of `target` (clamped as insertPane clamps it); within this dock, as movePane. Emits
  /// paneRemoved here and paneAdded there, and both docks save. False for an unknown key, no target
  /// or a key `target` already uses.
  bool movePaneTo(const QString& key, DockWidget* target, int position);
  /// The pane's display position, or -1 for an unknown key.
  int indexOf(const QString& key) const;
  /// The number of panes, hidden ones included.
  int count() const;
  /// The pane of a key, or null.
  Pane* pane(const QString& key) const;
  /// The panes in display order.
  QList<Pane*> panes() const;

  /// Whether the stack may grow taller than the dock and scroll.
  void setScrollable(bool on);
  /// Whether the stack may scroll (off by default).
  bool isScrollable() const;
  /// On (the default), panes are sized for their widgets (minimumSizeHint, sizeHint): the stack
  /// fills the dock in proportion to the panes' heights, none below its minimum, and the dock's
  /// own size hints follow. Off, the dock shares its height among the panes as it was designed to.
  void setFitToContent(bool on);
  /// Whether panes are sized for their widgets.
  bool fitsToContent() const;
  /// Shows every hidden pane again.
  void showAllPanes();
  /// Expands every pane, gives resizable ones their default height and puts the panes in the order
  /// the dock holds them in: the order they were added in, an inserted pane counting as added last.
  void resetLayout();

  /// The layout of every pane (group, position, state, height), versioned.
  QByteArray saveState() const;
  /// Applies a saved layout to the panes whose keys it names; the others stay as they are. A pane
  /// without a close button comes back expanded where the layout has it hidden.
  /// Malformed data or data of a newer version returns false and changes nothing.
  bool restoreState(const QByteArray& state);

  /// On (the default), the layout is kept in QSettings with the application's organisation and
  /// name, in group "DockBar/<objectName>" (in "DockBar" without a name), one entry per pane. One dock
  /// keeps each name: another auto-saving dock with the same objectName, or also with none, gets a
  /// warning and saves nothing until it has a name of its own. Off, this dock writes nothing to
  /// disk: persist saveState() yourself.
  void setAutoSave(bool on);
  /// Whether the layout is kept in the settings store.
  bool autoSave() const;

  ///@{
  /// On (the default), a click on a pane's title strip (a press and release within the start
  /// distance, not on a button) folds or unfolds the pane, and is saved as a click on its fold button.
  void setFoldOnTitleClick(bool on);
  bool foldOnTitleClick() const;
  ///@}

  /// The user's layout changes, one command each (a fold, a close, a move, a splitter drag, a
  /// resize by key): put its createUndoAction and createRedoAction in the Edit menu. Ctrl+Z and
  /// Ctrl+Shift+Z on a focused title undo and redo. Changes made from code are not recorded. Docks of
  /// a DockSet share the set's stack. Holds 100 commands.
  QUndoStack* undoStack() const;

  /// On, folding, unfolding, closing, showing and moving panes glide for about 150 ms, and while a
  /// title is dragged the panes part where it would land; the layout is final at once and only the
  /// picture moves. On by default unless the style's widget animations take no time.
  void setAnimated(bool on);
  /// Whether layout changes glide.
  bool isAnimated() const;

  /// The colours the dock paints with. Each follows the widget's palette (Window, Base, a title
  /// gradient from Button and Mid toward Window and Base, ButtonText kept legible on both ends of the
  /// gradient) until the application sets one itself. In a palette of high contrast (Window and
  /// WindowText at 15:1 or more) titles take the palette's Button and ButtonText, or its Window and
  /// WindowText where those contrast less than 7:1.
  enum ColorRole {
    Background,      ///< behind the panes
    PaneBackground,  ///< behind a pane's widget and its splitter
    TitleStart,      ///< the left end of a title strip's gradient
    TitleEnd,        ///< the right end of a title strip's gradient
    TitleText        ///< the captions
  };
  Q_ENUM(ColorRole)
  /// Sets the colour of a role; an invalid colour gives the role back to the palette.
  void setColor(ColorRole role, const QColor& color);
  /// The colour the dock uses for a role.
  QColor color(ColorRole role) const;

 signals:
  /// The user hid the pane with its close button (or the Delete key).
  void paneClosed(const QString& key);
  /// A pane's state changed, by the user or by code.
  void paneStateChanged(const QString& key, tov::qt::PaneState state);
  /// The user pressed the pane's options button.
  void optionsRequested(const QString& key);
  /// A right click on a pane's title, or on the background with an empty key.
  void contextMenuRequested(const QString& key, const QPoint& globalPos);
  /// The order, a group, a state or a height changed, or a pane came or went, by the user or by
  /// code: emitted once when control returns to the event loop, for all changes since (a splitter
  /// drag, a drop, a run of calls). Resizing the dock itself is not a change of its layout.
  void layoutChanged();
  /// A pane came into this dock (insertPane, addPane, movePaneTo, a drop from another dock).
  void paneAdded(const QString& key);
  /// A pane left this dock (removePane, takeWidget, movePaneTo, a drop on another dock).
  void paneRemoved(const QString& key);

 protected:
  /// The dock lays its panes out for the new size.
  void resizeEvent(QResizeEvent* e) override;
  /// The first show loads the stored layout and lays the panes out.
  void showEvent(QShowEvent* e) override;
  /// A new palette repaints the dock in its colours.
  void changeEvent(QEvent* e) override;

 private:
  friend class Pane;
  friend class PanePrivate;
  friend class DockWidgetPrivate;
  std::unique_ptr<DockWidgetPrivate> d;
};

}  // namespace tov::qt

#pragma once
/// A TovDock as a Qt widget, and host services for Qt programs.
///
///     auto* dock = new tov::qt::DockWidget(window);
///     dock->addPane("files", new QTreeView, "Files");
///     dock->addPane("notes", new QTextEdit, "Notes");
///     QObject::connect(dock, &tov::qt::DockWidget::paneClosed, [](const QString& key) { ... });
///     dock->restoreState(settings.value("dock").toByteArray());
///
/// The dock lays its panes out when it is first shown. Its title strips take the keyboard focus, each
/// before its pane's widget in Tab order: Space or Enter collapses or expands the pane, Delete closes
/// it, Alt+Up and Alt+Down move it one place, and the Menu key or Shift+F10 asks for its context menu.
///
/// The core's event signals (`closed`, ...) carry the dock's by-reference arguments: a slot connected
/// directly may change them.
#include <QAction>
#include <QByteArray>
#include <QColor>
#include <QIcon>
#include <QList>
#include <QLocale>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "tovdock/dock.h"
#include "tovdock/host.h"
#include "tovdock/qt/qt_toolkit.h"

namespace tov::qt {

/// Shows the dock's texts (tooltips, the message that one pane must stay visible) in the language
/// of `locale`: English for any language but German, whose texts the dock has itself. Call it once,
/// after the QApplication exists; a later call replaces the earlier one.
void installTranslator(const QLocale& locale = QLocale());

enum class PaneState { Collapsed, Expanded, Hidden };
enum class PaneGroup { Top, Left, Right, Bottom };

class DockWidget;
class DockWidgetPrivate;

/// One pane of a DockWidget: a title strip and the widget it hosts. Owned by its dock.
class Pane : public QObject {
  Q_OBJECT

 public:
  QString key() const { return mKey; }
  QWidget* widget() const { return mWidget; }

  QString title() const;
  void setTitle(const QString& title);
  QString rightTitle() const;
  void setRightTitle(const QString& title);
  QIcon icon() const { return mIcon; }
  void setIcon(const QIcon& icon);

  PaneState state() const;
  void setState(PaneState state);
  PaneGroup group() const;
  void setGroup(PaneGroup group);

  /// The expanded height in logical pixels.
  int height() const;
  void setHeight(int height);

  bool isResizable() const;
  void setResizable(bool on);
  bool isClosable() const;
  void setClosable(bool on);
  bool isMovable() const;
  void setMovable(bool on);

  /// A checkable action that hides and shows the pane, for a View menu. It stays checked when the
  /// pane is the last one shown: one pane always stays visible.
  QAction* toggleViewAction() const { return mToggle; }

  /// The core bar behind the pane.
  const BarRef& bar() const { return mBar; }

 signals:
  void stateChanged(tov::qt::PaneState state);

 private:
  friend class DockWidget;
  friend class DockWidgetPrivate;
  Pane(DockWidget* dock, const QString& key, QWidget* widget, BarRef bar);
  /// Emits stateChanged when the bar's state differs from the one last seen.
  bool sync();

  DockWidget* mDock;
  QString mKey;
  QPointer<QWidget> mWidget;
  BarRef mBar;
  QIcon mIcon;
  QAction* mToggle;
  PaneState mSeen;
};

class DockWidget : public QWidget {
  Q_OBJECT

 public:
  /// Creates the dock on a new surface of `toolkit` (a new QtToolkit when null) inside this widget.
  explicit DockWidget(QWidget* parent = nullptr, std::shared_ptr<QtToolkit> toolkit = nullptr);
  /// Terminates the dock (saving its settings) before the widget goes.
  ~DockWidget() override;

  const DockRef& dock() const;
  BarsRef bars() const;
  const std::shared_ptr<QtToolkit>& toolkit() const;
  /// The widget of the dock's surface, a child of this one.
  QWidget* surfaceWidget() const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

  /// Adds a pane hosting `widget`, which the dock re-parents and owns: it is deleted with the
  /// dock. An empty or already used key is refused with a warning: nullptr, and nothing is added.
  Pane* addPane(const QString& key, QWidget* widget, const QString& title, const QIcon& icon = {});
  Pane* pane(const QString& key) const;
  /// The panes in display order.
  QList<Pane*> panes() const;

  /// Whether the stack may grow taller than the dock and scroll.
  void setScrollable(bool on);
  bool isScrollable() const;
  /// On (the default), panes are sized for their widgets (minimumSizeHint, sizeHint): the stack
  /// fills the dock in proportion to the panes' heights, none below its minimum, and the dock's
  /// own size hints follow. Off, the dock shares its height among the panes as it was designed to.
  void setFitToContent(bool on);
  bool fitsToContent() const;
  /// Shows every hidden pane again.
  void showAllPanes();
  /// Expands every pane, gives resizable ones their default height and restores creation order.
  void resetLayout();

  /// The layout of every pane (group, position, state, height), versioned.
  QByteArray saveState() const;
  /// Applies a saved layout to the panes whose keys it names; the others stay as they are.
  /// Malformed data or data of a newer version returns false and changes nothing.
  bool restoreState(const QByteArray& state);

  /// On (the default), the layout is kept in the default settings store under this dock's
  /// objectName. Off, this dock writes nothing to disk: persist saveState() yourself.
  void setAutoSave(bool on);
  bool autoSave() const;

  /// The colours the dock paints with. Each follows the widget's palette (Window, Base, a title
  /// gradient from Button and Mid toward Window and Base, ButtonText kept legible on both ends of the
  /// gradient) until the application sets one itself.
  enum ColorRole { Background, PaneBackground, TitleStart, TitleEnd, TitleText };
  /// Sets the colour of a role; an invalid colour gives the role back to the palette.
  void setColor(ColorRole role, const QColor& color);
  /// The colour the dock uses for a role.
  QColor color(ColorRole role) const;

 signals:
  void closed(std::string& key);
  void ctlResize(std::string& key);
  void optShow(std::string& key, bool& reload);
  void rightClick(std::string& key);

  void paneClosed(const QString& key);
  void paneStateChanged(const QString& key, tov::qt::PaneState state);
  void optionsRequested(const QString& key);
  /// A right click on a pane's title, or on the background with an empty key.
  void contextMenuRequested(const QString& key, const QPoint& globalPos);

 protected:
  void resizeEvent(QResizeEvent* e) override;
  void showEvent(QShowEvent* e) override;
  /// A new palette repaints the dock in its colours.
  void changeEvent(QEvent* e) override;

 private:
  friend class Pane;
  friend class DockWidgetPrivate;
  std::unique_ptr<DockWidgetPrivate> d;
};

/// The default host services (SQLite settings, the built-in colour scheme) with the user messages
/// shown in a QMessageBox.
class QtHostServices : public DefaultHostServices {
 public:
  explicit QtHostServices(std::optional<std::filesystem::path> storePath = std::nullopt,
                          std::optional<std::string> application = std::nullopt);
  void ShowMessage(const std::string& text, std::int32_t number, const std::string& text2, std::int16_t flag,
                   std::int32_t number2) override;
};

}  // namespace tov::qt

#pragma once
/// @file
/// The Qt 6 Widgets backend.
///
/// Windowed elements (surface, panels, scroll bar) are QWidgets; labels, images and lines are drawn by
/// the panel or surface that contains them and take input through its hit test, in front of its own
/// drawing and behind its child widgets. Geometry is kept in twips exactly as set and mapped to
/// pixels through the logical DPI of the screen the surface is on (1440 twips per inch). A panel's
/// gradient is a QLinearGradient painted from edge to edge over its back colour, and what is drawn
/// on it is kept as strokes in twips, painted again each time: both are sharp at any device pixel
/// ratio. When the surface goes to a screen of another DPI, its elements are mapped to pixels anew,
/// the surface raises onMetricsChanged and then onResize with its size in twips from the pixels
/// its container gave it. The dock's own pictures (title buttons, the hand cursor) are drawn as
/// shapes in the palette's colours, and pictures made by pictureOf from the application's icons are
/// drawn from the icon at the device's resolution.
///
/// Each toolkit keeps its own state: its window handles, the drag in progress, the cursor position
/// of the last mouse event and its converted pictures. Toolkits in one process do not see each
/// other's windows or drags.
///
/// Every element outlives its widget safely: when a widget is deleted under its element (an
/// application deleting a window), the element's operations become no-ops and geometry reads return
/// the numbers last set.
#include <QIcon>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "tovdock/platform.h"
#include "tovdock/qt/export.h"

namespace tov::qt {

/// Pixels per twip on the primary screen (its logical DPI / 1440).
TOVDOCK_QT_EXPORT double pixelsPerTwip();
/// Pixels per twip on the screen a widget is on.
TOVDOCK_QT_EXPORT double pixelsPerTwip(const QWidget* widget);

/// A picture of an icon at `size` logical pixels, as a bar's icon. Its pixels are taken at a device
/// pixel ratio of 1; this backend draws it from the icon itself, at the resolution of what it paints
/// on. Null for a null icon.
TOVDOCK_QT_EXPORT PictureRef pictureOf(const QIcon& icon, int size = 16);

/// The Qt toolkit. Needs a QApplication; everything runs on its thread.
class TOVDOCK_QT_EXPORT QtToolkit : public Toolkit {
 public:
  /// Shows a message box's text under its title instead of a QMessageBox.
  using MessageHandler = std::function<void(const std::string& text, const std::string& title)>;

  /// A toolkit of its own: its windows, drags and pictures are not shared with other toolkits.
  QtToolkit();
  ~QtToolkit() override;

  std::unique_ptr<Surface> createSurface() override;
  NativeWindows& native() override;
  /// An application-modal QMessageBox with an OK button, unless a handler is installed.
  void messageBox(const std::string& text, const std::string& title) override;
  /// Routes message boxes to `handler` instead (tests record them); null restores the QMessageBox.
  void setMessageHandler(MessageHandler handler);
  /// How the tooltips show a text the dock set (its own texts are German): the text `present` gives
  /// for it. Null, the start, shows each as it is.
  ///@{
  using TextPresenter = std::function<QString(const std::string& text)>;
  void setTextPresenter(TextPresenter present);
  ///@}
  /// Ends the drag in progress without a drop, as Escape does.
  void cancelDrag();

  /// The widget of a windowed element (surface, panel, scroll bar); null for windowless elements and
  /// for elements whose widget is gone.
  static QWidget* widgetOf(const Element& e);
  /// The widget an element is drawn on: its own, or the one of the windowed element it lies in;
  /// null as for widgetOf.
  static QWidget* drawnOn(const Element& e);
  /// The widget a windowed element's children lie in: its own widget, but for a surface one over
  /// it that holds all but the scroll bar (so that the bars scroll as one); null as for widgetOf.
  static QWidget* innerWidgetOf(const Element& e);
  /// Pixels per twip as the element is laid out: on the screen its surface follows.
  static double pixelsPerTwip(const Element& e);
  /// An element's rectangle in pixels of the widget that shows it: its container's widget, or for
  /// an element drawn by a panel, that panel's. Empty for an element of another toolkit.
  static QRect pixelRect(const Element& e);
  /// Native handle of a widget, assigned on first use (0 for null). A widget keeps its handle for
  /// its life; handles are unique in the process and never reused.
  static Hwnd handleOf(QWidget* w);
  /// The widget behind a handle: a window of this toolkit or a widget that is no element (a hosted
  /// control); null when it is gone, unknown or another toolkit's element.
  QWidget* widgetFor(Hwnd h);

  /// Sets a surface's ambient user mode (true, a running application, by default).
  static void setUserMode(Surface& s, bool running);
  /// Sets a surface's size in twips as its container does, raising onResize once. Panels that
  /// the handler moves without resizing them are moved when it returns, in an order that lets Qt
  /// copy their pixels.
  static void resizeSurface(Surface& s, double width, double height);
  /// The front-most visible element under a point in the surface's client twips, or null for the
  /// surface itself or a point on a widget that is not an element (a hosted control). Hit testing
  /// uses the twips geometry, so it agrees with the numbers the dock set.
  static Element* elementAt(Surface& s, double x, double y);
  /// The widget that takes mouse input at a point in the surface's client twips: an element's own,
  /// the panel that draws a windowless element, or a hosted control's; null outside the surface.
  static QWidget* widgetAt(Surface& s, double x, double y);
  /// The element being dragged by a manual drag of this toolkit, or null.
  Element* dragging() const;
  /// What the drag in progress marks: what the element under the cursor said a drop would do.
  /// Nothing before the outline shows, after Escape and without a drag.
  DropHint dropHint() const;

  /// The state shared with the elements (internal).
  struct TOVDOCK_QT_NO_EXPORT Impl;

  /// Held by code outside the toolkit that runs the dock for an event of one of its widgets (a key
  /// on a title strip): a widget whose element goes meanwhile is deleted later, as in the
  /// toolkit's own events, since the event under way may be its own.
  class EventScope {
   public:
    /// Runs the dock of `toolkit` for an event until the scope ends.
    explicit EventScope(const QtToolkit& toolkit);
    ~EventScope();
    EventScope(const EventScope&) = delete;
    EventScope& operator=(const EventScope&) = delete;

   private:
    std::shared_ptr<Impl> mState;
  };

 private:
  std::shared_ptr<Impl> d;
};

/// A hosted control wrapping any QWidget. Members, positions in twips of the parent panel:
/// "Move"(left, top[, width[, height]]), "Visible", "Height", "Left", "Top", "Width", "hWnd",
/// "Name" (the object name), and "Align" when the widget has a dynamic property of that name.
/// Once the widget is deleted every member fails with errObjectNotSet. The widget's own code, run
/// by a move, may delete the widget and whatever holds it.
class TOVDOCK_QT_EXPORT WidgetControl : public Control {
 public:
  /// Hosts `widget`; the control does not own it.
  explicit WidgetControl(QWidget* widget);
  Value invoke(std::string_view member, Access access, std::span<const Value> args) override;
  /// A widget has "Align" only as a property of that name.
  bool mayHave(std::string_view member) const override;
  /// The hosted widget; null once it is deleted.
  QWidget* widget() const { return mWidget; }
  /// Lets go of the widget, which stays where it is: the dock no longer moves, shows or hands it
  /// back, and every member fails as once the widget is deleted.
  void release() { mWidget.clear(); }

 private:
  QPointer<QWidget> mWidget;
  // Twips last set, returned while the widget still has the pixel geometry they gave.
  double mLeft = 0, mTop = 0, mWidth = 0, mHeight = 0;
  QRect mSetPx;
};

}  // namespace tov::qt

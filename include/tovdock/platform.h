#pragma once
/// @file
/// What the dock needs from a form toolkit and from the native window functions.
///
/// The dock (src/dock) talks to the toolkit only through these classes. A backend implements them:
/// the headless backend (standard library only, the default) and the Qt Widgets backend.
///
/// Conventions that every backend keeps:
///  - Geometry is in twips (1440 per inch) as floating point, relative to the element's container.
///    A value set is read back exactly as it was set.
///  - Setting a property never raises an event, except `ScrollBar::setValue` and `setMax`, which
///    raise the change notification whenever the value changes, also when code sets it.
///  - Event handlers are plain std::function members. A backend copies a handler before calling it
///    and does not touch the element after the handler returned unless it knows the element still
///    exists: a handler may unload the element, clear the dock or destroy it.
///  - A new element starts invisible, at the template geometry given by the creator.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "tovdock/export.h"
#include "tovdock/failure.h"

namespace tov {

/// Native window handle, 32 bits as on the classic platform. 0 is no window.
using Hwnd = std::int32_t;

/// Colour: red in the low byte, green in the second, blue in the third. Values with the top bit
/// set name a system colour (`kSys...`); backends resolve those when they draw.
using Color = std::int32_t;
inline constexpr Color kSysScrollBars = static_cast<Color>(0x80000000u);      ///< scroll bar track
inline constexpr Color kSysInactiveBorder = static_cast<Color>(0x8000000Bu);  ///< inactive window border
inline constexpr Color kSysButtonFace = static_cast<Color>(0x8000000Fu);      ///< face of buttons and panels
inline constexpr Color kSysWindowText = static_cast<Color>(0x80000008u);      ///< text in windows

/// Mouse pointer numbers.
enum Pointer : std::int32_t {
  ptrDefault = 0,      ///< the container's pointer
  ptrArrow = 1,        ///< arrow
  ptrSizeAll = 5,      ///< four-way move arrow
  ptrSizeNS = 7,       ///< north-south sizing arrow
  ptrSizeAllAlt = 15,  ///< four-way arrow (template setting of title strips)
  ptrCustom = 99,      ///< the element's MouseIcon
};

/// Mouse button mask bits.
enum MouseButton : std::int16_t {
  btnLeft = 1,   ///< left button
  btnRight = 2,  ///< right button
  btnMiddle = 4  ///< middle button
};

/// A bitmap with an alpha channel; pixels are 0xAARRGGBB, row by row. Pictures are immutable and
/// shared. A cursor picture carries its hot spot.
struct Picture {
  /// What one of the dock's own pictures shows. A toolkit may draw these itself, sharp at any
  /// scale and in its platform's look; the pixels stand for them everywhere else.
  enum class Symbol : std::uint8_t { None, Close, Expand, Collapse, Options, Hand };

  int width = 0;                      ///< width in pixels
  int height = 0;                     ///< height in pixels
  std::vector<std::uint32_t> pixels;  ///< width * height pixels, 0xAARRGGBB, row by row
  int hotX = 0;                       ///< a cursor's hot spot, pixels from the left
  int hotY = 0;                       ///< a cursor's hot spot, pixels from the top
  Symbol symbol = Symbol::None;       ///< what the picture shows, when it is one of the dock's own
};
/// Pictures are shared and never change.
using PictureRef = std::shared_ptr<const Picture>;

/// A font of titles and captions.
struct Font {
  std::string name = "Arial";  ///< family name
  double size = 9;             ///< size in points
  bool bold = true;            ///< bold weight
  /// Fonts are equal when every field is.
  bool operator==(const Font&) const = default;
};

/// Twips per pixel at the classic 96 dots per inch; the headless backend measures screen pixels so.
inline constexpr double kTwipsPerPixel96 = 15.0;

class Element;
class Panel;
class Label;
class Image;
class Line;
class ScrollBar;
class Surface;

/// Mouse input as an element receives it: button mask, shift mask, position in the element's own
/// scale (twips from its top left corner).
struct MouseArgs {
  /// `MouseButton` bits: the button pressed or released, the buttons held on a move.
  std::int16_t button = 0;
  std::int16_t shift = 0;  ///< shift mask: 1 Shift, 2 Ctrl, 4 Alt
  float x = 0;             ///< twips from the element's left edge
  float y = 0;             ///< twips from the element's top edge
};

/// What a drop at the cursor would do, for the toolkit to show while an element is dragged. The
/// points are in the surface's client twips.
struct DropHint {
  /// What a drop would do.
  enum class Kind {
    None,  ///< a drop here changes nothing
    Line,  ///< the dragged element would go in between, at the line (x1,y1)-(x2,y2)
    Area   ///< the dragged element would go to the area of corners (x1,y1) and (x2,y2)
  };
  Kind kind = Kind::None;  ///< nothing, a line or an area
  ///@{
  /// The line's ends or the area's corners, in the surface's client twips.
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  ///@}
  /// Hints are equal when every field is.
  bool operator==(const DropHint&) const = default;
};

/// What an element does on input. The handlers live apart from the element and are made with the
/// first one set: most elements never get one.
struct ElementHandlers {
  /// A button went down over the element.
  std::function<void(const MouseArgs&)> onMouseDown;
  /// The mouse moved over the element, or anywhere while the element has the capture.
  std::function<void(const MouseArgs&)> onMouseMove;
  /// A button went up; the element had the capture.
  std::function<void(const MouseArgs&)> onMouseUp;
  /// A press and a release over the element.
  std::function<void()> onClick;
  /// Drop of a dragged element; `source` is the dragged element or null for a foreign drag,
  /// x and y are in this element's scale.
  std::function<void(Element* source, float x, float y)> onDragDrop;
  /// The dragged element is over this one (x and y in this element's scale): what would a drop
  /// there do? It must change nothing. No handler means a drop there changes nothing.
  std::function<DropHint(Element* source, float x, float y)> onDragOver;
};

/// Base of every toolkit element: geometry, visibility, containment, z-order, pointer, tooltip.
class TOVDOCK_EXPORT Element {
 public:
  /// The element's class.
  enum class Kind {
    Surface,   ///< the dock's own area (`Surface`)
    Panel,     ///< a windowed panel (`Panel`)
    Label,     ///< a text (`Label`)
    Image,     ///< a picture (`Image`)
    Line,      ///< a line (`Line`)
    ScrollBar  ///< the vertical scroll bar (`ScrollBar`)
  };
  virtual ~Element() = default;
  /// The element's class, for a safe downcast.
  virtual Kind kind() const = 0;

  ///@{
  /// Geometry in twips, relative to the container: read back exactly as set.
  virtual double Left() const = 0;
  virtual double Top() const = 0;
  virtual double Width() const = 0;
  virtual double Height() const = 0;
  virtual void setLeft(double v) = 0;
  virtual void setTop(double v) = 0;
  virtual void setWidth(double v) = 0;
  virtual void setHeight(double v) = 0;
  ///@}

  ///@{
  /// Whether the element itself is shown (it is seen when its containers are shown too).
  virtual bool Visible() const = 0;
  virtual void setVisible(bool v) = 0;
  ///@}

  /// The element this one lies in (null for the surface).
  virtual Element* Container() const = 0;
  /// Moves the element into another container; its geometry stays as numbers.
  virtual void setContainer(Element* container) = 0;
  /// Brings the element in front of its siblings.
  virtual void zOrderFront() = 0;

  ///@{
  /// The tooltip shown over the element ("" for none).
  virtual std::string ToolTipText() const = 0;
  virtual void setToolTipText(const std::string& v) = 0;
  ///@}
  ///@{
  /// The mouse pointer over the element, one of `Pointer`.
  virtual std::int32_t MousePointer() const = 0;
  virtual void setMousePointer(std::int32_t v) = 0;
  ///@}
  ///@{
  /// The picture of the pointer `ptrCustom`, with its hot spot.
  virtual PictureRef MouseIcon() const = 0;
  virtual void setMouseIcon(PictureRef v) = 0;
  ///@}

  /// Copy for an element array: every property but visibility (the copy starts invisible) and the
  /// handlers, in the same container, in front of its siblings.
  virtual std::unique_ptr<Element> clone() const = 0;
  /// The copy `clone` makes, moved into `container`. A toolkit may make it there at once.
  virtual std::unique_ptr<Element> cloneInto(Element& container) const {
    std::unique_ptr<Element> c = clone();
    c->setContainer(&container);
    return c;
  }

  /// Begins a manual drag of this element: the toolkit shows an outline following the cursor,
  /// asks `onDragOver` of the element under the cursor what to mark as it moves and, when the button
  /// is released, calls `onDragDrop` of the element under the cursor.
  virtual void Drag() = 0;

  /// The element's input handlers, made when first asked for.
  ElementHandlers& handlers() {
    if (!mHandlers) mHandlers = std::make_shared<ElementHandlers>();
    return *mHandlers;
  }
  /// Takes the handlers of `other` (made if it has none) and keeps them together with it: a handler
  /// set on either is set on both.
  void shareHandlers(Element& other) {
    other.handlers();
    mHandlers = other.mHandlers;
  }
  /// A copy of one handler, empty when none is set. The toolkit calls the copy, so a handler may
  /// replace itself or destroy its element.
  template <class F>
  F handler(F ElementHandlers::*which) const {
    return mHandlers ? (*mHandlers).*which : F();
  }

 private:
  std::shared_ptr<ElementHandlers> mHandlers;
};

/// A linear gradient between two colours: `start` at the panel's left edge and `end` at its right
/// edge, or top and bottom when `vertical`.
struct Gradient {
  Color start = 0;        ///< colour at the left (top) edge
  Color end = 0;          ///< colour at the right (bottom) edge
  bool vertical = false;  ///< top to bottom instead of left to right
  /// Gradients are equal when every field is.
  bool operator==(const Gradient&) const = default;
};

/// Windowed picture panel: a native window that can contain elements and be drawn on.
class TOVDOCK_EXPORT Panel : public Element {
 public:
  Kind kind() const override { return Kind::Panel; }
  /// The panel's native window.
  virtual Hwnd hWnd() const = 0;
  ///@{
  /// The colour the panel is filled with.
  virtual Color BackColor() const = 0;
  virtual void setBackColor(Color c) = 0;
  ///@}
  ///@{
  /// The font of what the panel draws as text.
  virtual Font font() const = 0;
  virtual void setFont(const Font& f) = 0;
  ///@}
  ///@{
  /// Inner size in the panel's scale (twips; the panels have no border).
  virtual double ScaleWidth() const = 0;
  virtual double ScaleHeight() const = 0;
  ///@}
  ///@{
  /// The panel's background: its back colour, covered by the gradient when it has one. What is
  /// drawn on the panel lies over both. Setting what it has changes nothing.
  virtual std::optional<Gradient> gradient() const = 0;
  virtual void setGradient(const std::optional<Gradient>& g) = 0;
  ///@}
  ///@{
  /// Whether the panel has a native window of its own. Without one a backend may draw it on its
  /// container, under the container's windows, and give it the mouse input that falls on it there;
  /// its hWnd() is then 0, and a copy is made without one too. A backend may keep every panel's
  /// window, and a panel that holds windows keeps its own.
  virtual bool ownWindow() const { return true; }
  virtual void setOwnWindow(bool /*on*/) {}
  ///@}
  ///@{
  /// Persistent drawing in the panel's twips: what is drawn stays until it is drawn over.
  virtual void drawLine(double x1, double y1, double x2, double y2, Color c) = 0;
  virtual void fillRect(double x1, double y1, double x2, double y2, Color c) = 0;
  ///@}
};

/// Windowless text label.
class TOVDOCK_EXPORT Label : public Element {
 public:
  /// Where the caption lies in the label.
  enum class Align {
    Left,   ///< at the left edge
    Right,  ///< at the right edge
    Center  ///< in the middle
  };
  Kind kind() const override { return Kind::Label; }
  ///@{
  /// The text shown. With AutoSize on, the label's width follows its caption.
  virtual std::string Caption() const = 0;
  virtual void setCaption(const std::string& v) = 0;
  ///@}
  ///@{
  /// On, the label's width is the width of its caption in its font.
  virtual bool AutoSize() const = 0;
  virtual void setAutoSize(bool v) = 0;
  ///@}
  ///@{
  /// Where the caption lies in the label.
  virtual Align Alignment() const = 0;
  virtual void setAlignment(Align a) = 0;
  ///@}
  ///@{
  /// The caption's font.
  virtual Font font() const = 0;
  virtual void setFont(const Font& f) = 0;
  ///@}
  ///@{
  /// The caption's colour.
  virtual Color ForeColor() const = 0;
  virtual void setForeColor(Color c) = 0;
  ///@}
};

/// Windowless image. Assigning a picture sizes the image to the picture (1 pixel = 15 twips).
class TOVDOCK_EXPORT Image : public Element {
 public:
  Kind kind() const override { return Kind::Image; }
  ///@{
  /// The picture shown (null: none).
  virtual PictureRef Picture() const = 0;
  virtual void setPicture(PictureRef p) = 0;
  /// A button image set disabled (false) is drawn as one that cannot be pressed and raises no
  /// click; true, the start, gives it back. A toolkit without such a look may ignore it.
  virtual void setEnabled(bool /*on*/) {}
  ///@}
};

/// Windowless straight line; X1..Y2 in the container's twips.
class TOVDOCK_EXPORT Line : public Element {
 public:
  Kind kind() const override { return Kind::Line; }
  ///@{
  /// The line's ends in the container's twips.
  virtual double X1() const = 0;
  virtual double Y1() const = 0;
  virtual double X2() const = 0;
  virtual double Y2() const = 0;
  virtual void setPoints(double x1, double y1, double x2, double y2) = 0;
  ///@}
  ///@{
  /// The line's colour.
  virtual Color BorderColor() const = 0;
  virtual void setBorderColor(Color c) = 0;
  ///@}
};

/// Vertical scroll bar, range 0..Max.
class TOVDOCK_EXPORT ScrollBar : public Element {
 public:
  Kind kind() const override { return Kind::ScrollBar; }
  ///@{
  /// The thumb's position, 0..Max. Setting it raises onChange when the value changes, also when
  /// code sets it.
  virtual std::int32_t Value() const = 0;
  virtual void setValue(std::int32_t v) = 0;
  ///@}
  ///@{
  /// The largest value. Setting it keeps Value within 0..Max; a value clamped so raises onChange.
  virtual std::int32_t Max() const = 0;
  virtual void setMax(std::int32_t v) = 0;
  ///@}
  ///@{
  /// How far a click on an arrow moves the thumb.
  virtual std::int32_t SmallChange() const = 0;
  virtual void setSmallChange(std::int32_t v) = 0;
  ///@}
  ///@{
  /// How far a click on the track moves the thumb.
  virtual std::int32_t LargeChange() const = 0;
  virtual void setLargeChange(std::int32_t v) = 0;
  ///@}

  /// Value changed (by the user or by code).
  std::function<void()> onChange;
  /// Thumb being dragged.
  std::function<void()> onScroll;
};

/// The dock's own area (the user control): contains the template elements and creates elements.
class TOVDOCK_EXPORT Surface : public Element {
 public:
  Kind kind() const override { return Kind::Surface; }
  /// The surface's native window.
  virtual Hwnd hWnd() const = 0;
  ///@{
  /// The colour the surface is filled with where no element lies.
  virtual Color BackColor() const = 0;
  virtual void setBackColor(Color c) = 0;
  ///@}
  /// True inside a running application, false inside a form designer.
  virtual bool AmbientUserMode() const = 0;

  ///@{
  /// A new element in `container` (this surface or an element of it), invisible; the caller owns it.
  virtual std::unique_ptr<Panel> createPanel(Element* container) = 0;
  virtual std::unique_ptr<Label> createLabel(Element* container) = 0;
  virtual std::unique_ptr<Image> createImage(Element* container) = 0;
  virtual std::unique_ptr<Line> createLine(Element* container) = 0;
  virtual std::unique_ptr<ScrollBar> createScrollBar(Element* container) = 0;
  ///@}

  /// The container changed the surface's size (setting Width or Height by code raises nothing).
  std::function<void()> onResize;
  /// The toolkit measures captions and pictures anew (the surface went to another screen, or the
  /// screen's resolution changed): what was sized by its content may have another size in twips.
  /// Raised before the onResize that gives the surface its new size in twips.
  std::function<void()> onMetricsChanged;
};

/// A value passed to or returned from a late-bound member.
using Value = std::variant<std::monostate, bool, std::int32_t, double, std::string>;

/// An application control hosted in a bar. Its members are reached by name at run time, as
/// "Move", "Visible", "Height", "Align", "hWnd", "Name". A member the control lacks throws a
/// Failure numbered errNoSuchMember, which the caller may skip.
class TOVDOCK_EXPORT Control {
 public:
  /// How a member is used.
  enum class Access {
    Get,  ///< read a property
    Let,  ///< assign a property (one argument)
    Call  ///< call a method
  };
  virtual ~Control() = default;
  /// Uses member `member` with `args`; the result of a Get or Call, else nothing. A member the
  /// control lacks throws a Failure numbered errNoSuchMember.
  virtual Value invoke(std::string_view member, Access access, std::span<const Value> args) = 0;
  /// False when the control surely lacks a member, found out without a failure; the default
  /// does not know, and a use of the member tells.
  virtual bool mayHave(std::string_view /*member*/) const { return true; }

  /// Reads property `member`.
  Value get(std::string_view member) { return invoke(member, Access::Get, {}); }
  /// Assigns `v` to property `member`.
  void let(std::string_view member, Value v) { invoke(member, Access::Let, std::span<const Value>(&v, 1)); }
  /// Calls method `member` with `args`.
  Value call(std::string_view member, std::initializer_list<Value> args) {
    return invoke(member, Access::Call, std::span<const Value>(args.begin(), args.size()));
  }
};
/// Controls are shared between the application and the bar that hosts one.
using ControlRef = std::shared_ptr<Control>;

///@{
/// Reads a late-bound result as a number or text; a type that does not convert is a failure.
TOVDOCK_EXPORT std::int32_t valueToInt32(const Value& v);
TOVDOCK_EXPORT double valueToDouble(const Value& v);
TOVDOCK_EXPORT bool valueToBool(const Value& v);
TOVDOCK_EXPORT std::string valueToString(const Value& v);
///@}

/// A point in pixels.
struct PointPx {
  std::int32_t x = 0;  ///< pixels from the left
  std::int32_t y = 0;  ///< pixels from the top
};

/// Native window functions.
class TOVDOCK_EXPORT NativeWindows {
 public:
  virtual ~NativeWindows() = default;
  /// Makes `child` a child window of `parent`; returns the former parent (0 on failure).
  virtual Hwnd SetParent(Hwnd child, Hwnd parent) = 0;
  /// The parent window of `child` (0 for none).
  virtual Hwnd GetParent(Hwnd child) = 0;
  /// Cursor position on the screen, in pixels.
  virtual PointPx GetCursorPos() = 0;
  /// Converts a screen point into the client coordinates of `window`, in pixels.
  virtual PointPx ScreenToClient(Hwnd window, PointPx screen) = 0;
};

/// One form toolkit: creates dock surfaces, shows message boxes, offers the native functions.
class TOVDOCK_EXPORT Toolkit : public MessageSink {
 public:
  /// A new, empty dock surface, invisible until its container shows it.
  virtual std::unique_ptr<Surface> createSurface() = 0;
  /// The native window functions of this toolkit's windows.
  virtual NativeWindows& native() = 0;
};

///@{
/// The toolkit docks use when none is given; the headless one unless an application replaced it.
TOVDOCK_EXPORT std::shared_ptr<Toolkit> defaultToolkit();
TOVDOCK_EXPORT void setDefaultToolkit(std::shared_ptr<Toolkit> toolkit);
///@}

}  // namespace tov

#pragma once
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

#include "tovdock/failure.h"

namespace tov {

/// Native window handle, 32 bits as on the classic platform. 0 is no window.
using Hwnd = std::int32_t;

/// Colour: red in the low byte, green in the second, blue in the third. Values with the top bit
/// set name a system colour (`kSys...`); backends resolve those when they draw.
using Color = std::int32_t;
inline constexpr Color kSysScrollBars = static_cast<Color>(0x80000000u);
inline constexpr Color kSysInactiveBorder = static_cast<Color>(0x8000000Bu);
inline constexpr Color kSysButtonFace = static_cast<Color>(0x8000000Fu);
inline constexpr Color kSysWindowText = static_cast<Color>(0x80000008u);

/// Mouse pointer numbers.
enum Pointer : std::int32_t {
  ptrDefault = 0,
  ptrArrow = 1,
  ptrSizeAll = 5,      ///< four-way move arrow
  ptrSizeNS = 7,       ///< north-south sizing arrow
  ptrSizeAllAlt = 15,  ///< four-way arrow (template setting of title strips)
  ptrCustom = 99,      ///< the element's MouseIcon
};

/// Mouse button mask bits.
enum MouseButton : std::int16_t { btnLeft = 1, btnRight = 2, btnMiddle = 4 };

/// A bitmap with an alpha channel; pixels are 0xAARRGGBB, row by row. Pictures are immutable and
/// shared. A cursor picture carries its hot spot.
struct Picture {
  /// What one of the dock's own pictures shows. A toolkit may draw these itself, sharp at any
  /// scale and in its platform's look; the pixels stand for them everywhere else.
  enum class Symbol : std::uint8_t { None, Close, Expand, Collapse, Options, Hand };

  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
  int hotX = 0;
  int hotY = 0;
  Symbol symbol = Symbol::None;
};
using PictureRef = std::shared_ptr<const Picture>;

struct Font {
  std::string name = "Arial";
  double size = 9;
  bool bold = true;
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
  std::int16_t button = 0;
  std::int16_t shift = 0;
  float x = 0;
  float y = 0;
};

/// What a drop at the cursor would do, for the toolkit to show while an element is dragged. The
/// points are in the surface's client twips.
struct DropHint {
  enum class Kind {
    None,  ///< a drop here changes nothing
    Line,  ///< the dragged element would go in between, at the line (x1,y1)-(x2,y2)
    Area   ///< the dragged element would go to the area of corners (x1,y1) and (x2,y2)
  };
  Kind kind = Kind::None;
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  bool operator==(const DropHint&) const = default;
};

/// What an element does on input. The handlers live apart from the element and are made with the
/// first one set: most elements never get one.
struct ElementHandlers {
  std::function<void(const MouseArgs&)> onMouseDown;
  std::function<void(const MouseArgs&)> onMouseMove;
  std::function<void(const MouseArgs&)> onMouseUp;
  std::function<void()> onClick;
  /// Drop of a dragged element; `source` is the dragged element or null for a foreign drag,
  /// x and y are in this element's scale.
  std::function<void(Element* source, float x, float y)> onDragDrop;
  /// The dragged element is over this one (x and y in this element's scale): what would a drop
  /// there do? It must change nothing. No handler means a drop there changes nothing.
  std::function<DropHint(Element* source, float x, float y)> onDragOver;
};

/// Base of every toolkit element: geometry, visibility, containment, z-order, pointer, tooltip.
class Element {
 public:
  enum class Kind { Surface, Panel, Label, Image, Line, ScrollBar };
  virtual ~Element() = default;
  virtual Kind kind() const = 0;

  virtual double Left() const = 0;
  virtual double Top() const = 0;
  virtual double Width() const = 0;
  virtual double Height() const = 0;
  virtual void setLeft(double v) = 0;
  virtual void setTop(double v) = 0;
  virtual void setWidth(double v) = 0;
  virtual void setHeight(double v) = 0;

  virtual bool Visible() const = 0;
  virtual void setVisible(bool v) = 0;

  /// The element this one lies in (null for the surface).
  virtual Element* Container() const = 0;
  /// Moves the element into another container; its geometry stays as numbers.
  virtual void setContainer(Element* container) = 0;
  /// Brings the element in front of its siblings.
  virtual void zOrderFront() = 0;

  virtual std::string ToolTipText() const = 0;
  virtual void setToolTipText(const std::string& v) = 0;
  virtual std::int32_t MousePointer() const = 0;
  virtual void setMousePointer(std::int32_t v) = 0;
  virtual PictureRef MouseIcon() const = 0;
  virtual void setMouseIcon(PictureRef v) = 0;

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
    if (!mHandlers) mHandlers = std::make_unique<ElementHandlers>();
    return *mHandlers;
  }
  /// A copy of one handler, empty when none is set. The toolkit calls the copy, so a handler may
  /// replace itself or destroy its element.
  template <class F>
  F handler(F ElementHandlers::*which) const {
    return mHandlers ? (*mHandlers).*which : F();
  }

 private:
  std::unique_ptr<ElementHandlers> mHandlers;
};

/// A linear gradient between two colours: `start` at the panel's left edge and `end` at its right
/// edge, or top and bottom when `vertical`.
struct Gradient {
  Color start = 0;
  Color end = 0;
  bool vertical = false;
  bool operator==(const Gradient&) const = default;
};

/// Windowed picture panel: a native window that can contain elements and be drawn on.
class Panel : public Element {
 public:
  Kind kind() const override { return Kind::Panel; }
  virtual Hwnd hWnd() const = 0;
  virtual Color BackColor() const = 0;
  virtual void setBackColor(Color c) = 0;
  virtual Font font() const = 0;
  virtual void setFont(const Font& f) = 0;
  /// Inner size in the panel's scale (twips; the panels have no border).
  virtual double ScaleWidth() const = 0;
  virtual double ScaleHeight() const = 0;
  /// The panel's background: its back colour, covered by the gradient when it has one. What is
  /// drawn on the panel lies over both. Setting what it has changes nothing.
  virtual std::optional<Gradient> gradient() const = 0;
  virtual void setGradient(const std::optional<Gradient>& g) = 0;
  /// Persistent drawing: what is drawn stays until it is drawn over.
  virtual void drawLine(double x1, double y1, double x2, double y2, Color c) = 0;
  virtual void fillRect(double x1, double y1, double x2, double y2, Color c) = 0;
};

/// Windowless text label.
class Label : public Element {
 public:
  enum class Align { Left, Right, Center };
  Kind kind() const override { return Kind::Label; }
  virtual std::string Caption() const = 0;
  /// With AutoSize on, the label's width follows its caption.
  virtual void setCaption(const std::string& v) = 0;
  virtual bool AutoSize() const = 0;
  virtual void setAutoSize(bool v) = 0;
  virtual Align Alignment() const = 0;
  virtual void setAlignment(Align a) = 0;
  virtual Font font() const = 0;
  virtual void setFont(const Font& f) = 0;
  virtual Color ForeColor() const = 0;
  virtual void setForeColor(Color c) = 0;
};

/// Windowless image. Assigning a picture sizes the image to the picture (1 pixel = 15 twips).
class Image : public Element {
 public:
  Kind kind() const override { return Kind::Image; }
  virtual PictureRef Picture() const = 0;
  virtual void setPicture(PictureRef p) = 0;
  /// A button image set disabled (false) is drawn as one that cannot be pressed and raises no
  /// click; true, the start, gives it back. A toolkit without such a look may ignore it.
  virtual void setEnabled(bool /*on*/) {}
};

/// Windowless straight line; X1..Y2 in the container's twips.
class Line : public Element {
 public:
  Kind kind() const override { return Kind::Line; }
  virtual double X1() const = 0;
  virtual double Y1() const = 0;
  virtual double X2() const = 0;
  virtual double Y2() const = 0;
  virtual void setPoints(double x1, double y1, double x2, double y2) = 0;
  virtual Color BorderColor() const = 0;
  virtual void setBorderColor(Color c) = 0;
};

/// Vertical scroll bar, range 0..Max.
class ScrollBar : public Element {
 public:
  Kind kind() const override { return Kind::ScrollBar; }
  virtual std::int32_t Value() const = 0;
  /// Raises onChange when the value changes, also when code sets it.
  virtual void setValue(std::int32_t v) = 0;
  virtual std::int32_t Max() const = 0;
  /// Keeps Value within 0..Max; a value clamped so raises onChange.
  virtual void setMax(std::int32_t v) = 0;
  virtual std::int32_t SmallChange() const = 0;
  virtual void setSmallChange(std::int32_t v) = 0;
  virtual std::int32_t LargeChange() const = 0;
  virtual void setLargeChange(std::int32_t v) = 0;

  /// Value changed (by the user or by code).
  std::function<void()> onChange;
  /// Thumb being dragged.
  std::function<void()> onScroll;
};

/// The dock's own area (the user control): contains the template elements and creates elements.
class Surface : public Element {
 public:
  Kind kind() const override { return Kind::Surface; }
  virtual Hwnd hWnd() const = 0;
  virtual Color BackColor() const = 0;
  virtual void setBackColor(Color c) = 0;
  /// True inside a running application, false inside a form designer.
  virtual bool AmbientUserMode() const = 0;

  virtual std::unique_ptr<Panel> createPanel(Element* container) = 0;
  virtual std::unique_ptr<Label> createLabel(Element* container) = 0;
  virtual std::unique_ptr<Image> createImage(Element* container) = 0;
  virtual std::unique_ptr<Line> createLine(Element* container) = 0;
  virtual std::unique_ptr<ScrollBar> createScrollBar(Element* container) = 0;

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
class Control {
 public:
  enum class Access { Get, Let, Call };
  virtual ~Control() = default;
  virtual Value invoke(std::string_view member, Access access, std::span<const Value> args) = 0;
  /// False when the control surely lacks a member, found out without a failure; the default
  /// does not know, and a use of the member tells.
  virtual bool mayHave(std::string_view /*member*/) const { return true; }

  Value get(std::string_view member) { return invoke(member, Access::Get, {}); }
  void let(std::string_view member, Value v) { invoke(member, Access::Let, std::span<const Value>(&v, 1)); }
  Value call(std::string_view member, std::initializer_list<Value> args) {
    return invoke(member, Access::Call, std::span<const Value>(args.begin(), args.size()));
  }
};
using ControlRef = std::shared_ptr<Control>;

/// Reads a late-bound result as a number or text; a type that does not convert is a failure.
std::int32_t valueToInt32(const Value& v);
double valueToDouble(const Value& v);
bool valueToBool(const Value& v);
std::string valueToString(const Value& v);

struct PointPx {
  std::int32_t x = 0;
  std::int32_t y = 0;
};

/// Native window functions.
class NativeWindows {
 public:
  virtual ~NativeWindows() = default;
  /// Makes `child` a child window of `parent`; returns the former parent (0 on failure).
  virtual Hwnd SetParent(Hwnd child, Hwnd parent) = 0;
  virtual Hwnd GetParent(Hwnd child) = 0;
  /// Cursor position on the screen, in pixels.
  virtual PointPx GetCursorPos() = 0;
  /// Converts a screen point into the client coordinates of `window`, in pixels.
  virtual PointPx ScreenToClient(Hwnd window, PointPx screen) = 0;
};

/// One form toolkit: creates dock surfaces, shows message boxes, offers the native functions.
class Toolkit : public MessageSink {
 public:
  /// A new, empty dock surface, invisible until its container shows it.
  virtual std::unique_ptr<Surface> createSurface() = 0;
  virtual NativeWindows& native() = 0;
};

/// The toolkit docks use when none is given; the headless one unless an application replaced it.
std::shared_ptr<Toolkit> defaultToolkit();
void setDefaultToolkit(std::shared_ptr<Toolkit> toolkit);

}  // namespace tov

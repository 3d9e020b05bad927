#pragma once
/// Internals of the headless backend, shared by its translation units.
///
/// Every element is a `Node` besides being a `tov::Element`: the node holds containment (a child
/// list per container, back to front), the native window of windowed elements and a liveness token
/// that input dispatch uses to find out whether a handler unloaded the element it was called for.
#include <bit>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/element_props.h"
#include "tovdock/headless.h"

namespace tov::headless {

class Node;

/// Shared state of one toolkit. Elements and test controls hold it by shared pointer, so they may
/// outlive the toolkit object itself.
struct HeadlessToolkit::Impl final : NativeWindows {
  struct Window {
    Hwnd parent = 0;
    /// The element the window belongs to; null for plain windows.
    const Node* owner = nullptr;
    /// Position of a plain window within its parent, in twips.
    double left = 0, top = 0;
    /// Called after SetParent gave the window another parent.
    std::function<void()> onReparent;
  };
  std::unordered_map<Hwnd, Window> windows;
  /// Every tooltip text set on an element, once: elements point into it, so setting the text an
  /// element already shows reads nothing of the element but that pointer.
  std::unordered_set<std::string> texts;
  PointPx cursor;
  std::vector<ShownMessage> messages;
  bool echo = false;

  /// The kept copy of a text.
  const std::string* intern(const std::string& text) { return &*texts.insert(text).first; }
  /// Registers a new window; an unknown parent becomes the desktop (0).
  Hwnd addWindow(Hwnd parent, const Node* owner);
  /// Unregisters a window; its child windows are left on the desktop (a parent that no longer
  /// exists reads as 0, handles are never reused).
  void removeWindow(Hwnd h);
  /// The registered parent of a window, or 0 when that parent is gone.
  Hwnd liveParent(const Window& w) const;
  /// Top left corner of a window on the screen, in pixels.
  PointPx screenPos(Hwnd h) const;

  Hwnd SetParent(Hwnd child, Hwnd parent) override;
  Hwnd GetParent(Hwnd child) override;
  PointPx GetCursorPos() override { return cursor; }
  PointPx ScreenToClient(Hwnd window, PointPx screen) override;
};

using World = HeadlessToolkit::Impl;
class HeadlessSurface;

/// Stores a value unless the field holds exactly that value already (numbers compared bit for
/// bit): a layout pass sets mostly what an element has, and a field left alone keeps its cache
/// line clean, which counts with many elements.
inline void assign(double& field, double v) {
  if (std::bit_cast<std::uint64_t>(field) != std::bit_cast<std::uint64_t>(v)) field = v;
}
template <class T>
inline void assign(T& field, const T& v) {
  if (!(field == v)) field = v;
}

/// What a node links to and what no layout pass reads: kept in a block of its own, which the
/// node's weak references share, so that the node itself keeps only what a pass reads.
struct NodeLinks {
  /// The node; the block goes with it.
  Node* self = nullptr;
  std::shared_ptr<World> world;
  /// Null once the surface is gone.
  HeadlessSurface* surface = nullptr;
  /// Null for the surface and for orphans whose container was destroyed first.
  Node* container = nullptr;
  /// Back to front.
  std::vector<Node*> children;
  Hwnd hwnd = 0;
  PictureRef mouseIcon;
};

/// Weak reference to a node; empty once the node is destroyed.
using NodeRef = std::weak_ptr<NodeLinks>;

class Node {
 public:
  /// Attaches the new node in front of the children of `container` (which may be null).
  Node(std::shared_ptr<World> world, HeadlessSurface* surface, Node* container, bool windowed);
  virtual ~Node();
  Node(const Node&) = delete;
  Node& operator=(const Node&) = delete;

  virtual Element& element() = 0;
  virtual const Element& element() const = 0;

  NodeRef ref() const { return mLinks; }
  static Node* deref(const NodeRef& r) {
    auto p = r.lock();
    return p ? p->self : nullptr;
  }

  bool isContainer() const;
  /// Whether a point in the container's client twips lies on this element.
  bool contains(double x, double y) const;
  /// Offset of the element's top left corner from the surface's client origin (or from the root
  /// of an orphaned subtree).
  double absLeft() const;
  double absTop() const;
  PointPx screenPos() const;

  /// Moves the node into another container of the same surface, in front of its new siblings.
  void moveTo(Element* container);
  void toFront();
  void beginDrag();

  double mLeft = 0, mTop = 0, mWidth = 0, mHeight = 0;
  std::int32_t mPointer = ptrDefault;
  bool mVisible = false;
  /// In front of its siblings: bringing it to the front again reads nothing else.
  bool mFront = false;
  /// Never null while the node lives.
  std::shared_ptr<NodeLinks> mLinks;

 private:
  void attach(Node* container);
  void detach();
  /// Cuts the node loose from a container that is being destroyed, and its subtree from the surface.
  void orphan();
};

/// The node behind an element of this backend, or null for another backend's element.
Node* nodeOf(const Element* e);

/// The properties every element kind shares, implemented once.
/// A layout pass reads an element's first 64 bytes (its vtable pointers, geometry and visibility)
/// and, for a tooltip or the kind's first property (caption, picture, colour), the 56 after them;
/// what the node links to lies elsewhere.
template <class Base>
class Basic : public Base, public Node {
 public:
  using Node::Node;

  Element& element() override { return *this; }
  const Element& element() const override { return *this; }

  double Left() const override { return mLeft; }
  double Top() const override { return mTop; }
  double Width() const override { return mWidth; }
  double Height() const override { return mHeight; }
  void setLeft(double v) override { assign(mLeft, v); }
  void setTop(double v) override { assign(mTop, v); }
  void setWidth(double v) override { assign(mWidth, v); }
  void setHeight(double v) override { assign(mHeight, v); }

  bool Visible() const override { return mVisible; }
  void setVisible(bool v) override { assign(mVisible, v); }

  Element* Container() const override { return mLinks->container ? &mLinks->container->element() : nullptr; }
  void setContainer(Element* container) override { moveTo(container); }
  void zOrderFront() override { toFront(); }

  std::string ToolTipText() const override { return mToolTip ? *mToolTip : std::string(); }
  void setToolTipText(const std::string& v) override {
    if (mToolTip ? *mToolTip != v : !v.empty()) mToolTip = v.empty() ? nullptr : mLinks->world->intern(v);
  }
  std::int32_t MousePointer() const override { return mPointer; }
  void setMousePointer(std::int32_t v) override { assign(mPointer, v); }
  PictureRef MouseIcon() const override { return mLinks->mouseIcon; }
  void setMouseIcon(PictureRef v) override {
    if (v != mLinks->mouseIcon) mLinks->mouseIcon = std::move(v);
  }

  void Drag() override { beginDrag(); }

 protected:
  /// A copy in the same container, front-most, invisible, without handlers.
  template <class Self>
  std::unique_ptr<Element> cloneAs() const {
    auto c = std::make_unique<Self>(mLinks->world, mLinks->surface, mLinks->container);
    copyProperties(*this, *c);
    return c;
  }

  /// Kept by the world; null for no tooltip.
  const std::string* mToolTip = nullptr;
};

class HeadlessPanel final : public Basic<Panel> {
 public:
  HeadlessPanel(std::shared_ptr<World> world, HeadlessSurface* surface, Node* container)
      : Basic(std::move(world), surface, container, true) {}
  std::unique_ptr<Element> clone() const override { return cloneAs<HeadlessPanel>(); }

  Hwnd hWnd() const override { return mLinks->hwnd; }
  Color BackColor() const override { return mP.back; }
  void setBackColor(Color c) override { assign(mP.back, c); }
  Font font() const override { return mP.font; }
  void setFont(const Font& f) override { assign(mP.font, f); }
  double ScaleWidth() const override { return mWidth; }
  double ScaleHeight() const override { return mHeight; }
  std::optional<Gradient> gradient() const override { return mP.gradient; }
  void setGradient(const std::optional<Gradient>& g) override { assign(mP.gradient, g); }
  void drawLine(double x1, double y1, double x2, double y2, Color c) override;
  void fillRect(double x1, double y1, double x2, double y2, Color c) override;
  void fillBands(std::span<const Color> colors, double step, double height) override;

  struct Props {
    Color back = kSysButtonFace;
    std::optional<Gradient> gradient;
    Font font;
  } mP;
  /// One op as the panel keeps it: the figure bit for bit, with its dead mark in the padding.
  struct Stroke {
    double x1, y1, x2, y2;
    Color color;
    bool fill;  ///< a FillRect, else a Line
    bool dead;
  };
  /// What was drawn, oldest first; an op drawn over by an identical figure is marked dead and
  /// dropped when the dead ones outnumber the live ones.
  std::vector<Stroke> mDrawn;
  std::size_t mDeadCount = 0;
  /// Open-addressed index of the live ops by figure: 0 for a free slot, else the op's place + 1.
  /// A gradient drawn on every title strip adds dozens of figures per panel; the table keeps them
  /// without an allocation per figure.
  std::vector<std::uint32_t> mFigureSlots;
  /// Bands drawn on an empty panel, or over bands with the same figures, kept as they came: a
  /// title's gradient costs a share in its colours, which the panels drawn with the same colours
  /// share, rather than an op and an index slot per band. Anything else drawn spells them out into
  /// ops first. Null when the panel holds no such run, else never empty.
  std::shared_ptr<const std::vector<Color>> mBandColors;
  double mBandStep = 0;
  double mBandHeight = 0;
  std::vector<DrawOp> liveDrawing() const;

 private:
  void draw(const Stroke& op);
  void spellOutBands();
  /// The slot of the live op with the figure of `op`, or the free slot where it would go.
  std::uint32_t& figureSlot(const Stroke& op);
  void indexFigures();
};

class HeadlessLabel final : public Basic<Label> {
 public:
  HeadlessLabel(std::shared_ptr<World> world, HeadlessSurface* surface, Node* container)
      : Basic(std::move(world), surface, container, false) {}
  std::unique_ptr<Element> clone() const override { return cloneAs<HeadlessLabel>(); }

  std::string Caption() const override { return mP.caption; }
  void setCaption(const std::string& v) override;
  bool AutoSize() const override { return mP.autoSize; }
  void setAutoSize(bool v) override;
  Align Alignment() const override { return mP.align; }
  void setAlignment(Align a) override { assign(mP.align, a); }
  Font font() const override { return mP.font; }
  void setFont(const Font& f) override { assign(mP.font, f); }
  Color ForeColor() const override { return mP.fore; }
  void setForeColor(Color c) override { assign(mP.fore, c); }

  struct Props {
    std::string caption;
    bool autoSize = false;
    Align align = Align::Left;
    Font font;
    Color fore = kSysWindowText;
  } mP;
};

class HeadlessImage final : public Basic<Image> {
 public:
  HeadlessImage(std::shared_ptr<World> world, HeadlessSurface* surface, Node* container)
      : Basic(std::move(world), surface, container, false) {}
  std::unique_ptr<Element> clone() const override { return cloneAs<HeadlessImage>(); }

  PictureRef Picture() const override { return mP.picture; }
  void setPicture(PictureRef p) override;

  struct Props {
    PictureRef picture;
  } mP;
};

/// A line's Left/Top/Width/Height are its bounding box; setting them moves or stretches the line.
class HeadlessLine final : public Basic<Line> {
 public:
  HeadlessLine(std::shared_ptr<World> world, HeadlessSurface* surface, Node* container)
      : Basic(std::move(world), surface, container, false) {}
  std::unique_ptr<Element> clone() const override { return cloneAs<HeadlessLine>(); }

  double Left() const override { return mP.points.left(); }
  double Top() const override { return mP.points.top(); }
  double Width() const override { return mP.points.width(); }
  double Height() const override { return mP.points.height(); }
  void setLeft(double v) override { mP.points.setLeft(v); }
  void setTop(double v) override { mP.points.setTop(v); }
  void setWidth(double v) override { mP.points.setWidth(v); }
  void setHeight(double v) override { mP.points.setHeight(v); }

  double X1() const override { return mP.points.x1; }
  double Y1() const override { return mP.points.y1; }
  double X2() const override { return mP.points.x2; }
  double Y2() const override { return mP.points.y2; }
  void setPoints(double x1, double y1, double x2, double y2) override { mP.points = {x1, y1, x2, y2}; }
  Color BorderColor() const override { return mP.color; }
  void setBorderColor(Color c) override { mP.color = c; }

  struct Props {
    LinePoints points;
    Color color = kSysWindowText;
  } mP;
};

class HeadlessScrollBar final : public Basic<ScrollBar> {
 public:
  HeadlessScrollBar(std::shared_ptr<World> world, HeadlessSurface* surface, Node* container)
      : Basic(std::move(world), surface, container, true) {}
  std::unique_ptr<Element> clone() const override { return cloneAs<HeadlessScrollBar>(); }

  std::int32_t Value() const override { return mP.value; }
  void setValue(std::int32_t v) override;
  std::int32_t Max() const override { return mP.max; }
  void setMax(std::int32_t v) override;
  std::int32_t SmallChange() const override { return mP.small; }
  void setSmallChange(std::int32_t v) override { mP.small = v; }
  std::int32_t LargeChange() const override { return mP.large; }
  void setLargeChange(std::int32_t v) override { mP.large = v; }

  /// Moves the value within 0..Max without the change notification; true if it changed.
  bool setValueQuietly(std::int32_t v);

  struct Props {
    std::int32_t value = 0;
    std::int32_t max = 32767;
    std::int32_t small = 1;
    std::int32_t large = 1;
  } mP;
};

class HeadlessSurface final : public Basic<Surface> {
 public:
  explicit HeadlessSurface(std::shared_ptr<World> world);
  std::unique_ptr<Element> clone() const override;

  Hwnd hWnd() const override { return mLinks->hwnd; }
  Color BackColor() const override { return mP.back; }
  void setBackColor(Color c) override { assign(mP.back, c); }
  bool AmbientUserMode() const override { return mUserMode; }

  std::unique_ptr<Panel> createPanel(Element* container) override;
  std::unique_ptr<Label> createLabel(Element* container) override;
  std::unique_ptr<Image> createImage(Element* container) override;
  std::unique_ptr<Line> createLine(Element* container) override;
  std::unique_ptr<ScrollBar> createScrollBar(Element* container) override;

  struct Props {
    Color back = kSysButtonFace;
  } mP;

  bool mUserMode = true;
  PointPx mScreenOrigin;
  /// Element that received the last press, until the release.
  NodeRef mCapture;
  /// Element whose drag is in progress.
  NodeRef mDrag;
  /// What the element under the cursor said at the last move of the drag.
  DropHint mHint;

 private:
  /// The container node for a new element: the surface for null, else a panel of this surface.
  Node* hostFor(Element* container);
};

}  // namespace tov::headless

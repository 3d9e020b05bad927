#pragma once
/// Internals of the headless backend, shared by its translation units.
///
/// Every element is a `Node` besides being a `tov::Element`: the node holds containment (a child
/// list per container, back to front), the native window of windowed elements and a liveness token
/// that input dispatch uses to find out whether a handler unloaded the element it was called for.
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

/// What a node links to, in a block of its own that the node's weak references share: a reference
/// finds the node through it while the node lives, and nothing once it is gone.
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
  void setLeft(double v) override { mLeft = v; }
  void setTop(double v) override { mTop = v; }
  void setWidth(double v) override { mWidth = v; }
  void setHeight(double v) override { mHeight = v; }

  bool Visible() const override { return mVisible; }
  void setVisible(bool v) override { mVisible = v; }

  Element* Container() const override { return mLinks->container ? &mLinks->container->element() : nullptr; }
  void setContainer(Element* container) override { moveTo(container); }
  void zOrderFront() override { toFront(); }

  std::string ToolTipText() const override { return mToolTip ? *mToolTip : std::string(); }
  void setToolTipText(const std::string& v) override {
    if (mToolTip ? *mToolTip != v : !v.empty()) mToolTip = v.empty() ? nullptr : mLinks->world->intern(v);
  }
  std::int32_t MousePointer() const override { return mPointer; }
  void setMousePointer(std::int32_t v) override { mPointer = v; }
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
  void setBackColor(Color c) override { mP.back = c; }
  Font font() const override { return mP.font; }
  void setFont(const Font& f) override { mP.font = f; }
  double ScaleWidth() const override { return mWidth; }
  double ScaleHeight() const override { return mHeight; }
  std::optional<Gradient> gradient() const override { return mP.gradient; }
  void setGradient(const std::optional<Gradient>& g) override { mP.gradient = g; }
  void drawLine(double x1, double y1, double x2, double y2, Color c) override;
  void fillRect(double x1, double y1, double x2, double y2, Color c) override;

  struct Props {
    Color back = kSysButtonFace;
    std::optional<Gradient> gradient;
    Font font;
  } mP;
  /// What was drawn and still shows, oldest first.
  std::vector<DrawOp> mDrawn;

 private:
  void draw(const DrawOp& op);
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
  void setAlignment(Align a) override { mP.align = a; }
  Font font() const override { return mP.font; }
  void setFont(const Font& f) override { mP.font = f; }
  Color ForeColor() const override { return mP.fore; }
  void setForeColor(Color c) override { mP.fore = c; }

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
  void setBackColor(Color c) override { mP.back = c; }
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

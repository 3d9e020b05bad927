#pragma once
/// TovDock: a vertical stack of bars with title strips, splitters, columns, scrolling, drag and drop
/// reordering and a remembered layout.
///
/// Create it with `TovDock::create`; the application keeps the shared reference. The dock works
/// on the surface its toolkit gives it (`surface()`), which the application places in its window.
/// Typical use:
///
///     auto dock = tov::TovDock::create();
///     auto bar = dock->Bars()->Add();
///     bar->setKey("files"); bar->setTitle("Dateien"); bar->setControl(myControl);
///     dock->setShow(true);
///
/// Everything runs on the thread that owns the surface. Event handlers run synchronously inside
/// the dock's routines and may do anything, including clearing the bars or dropping the last
/// reference to the dock: the dock finishes on what still exists and stays safe.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "tovdock/bar.h"
#include "tovdock/bars.h"
#include "tovdock/platform.h"

namespace tov {

class TovDockPrivate;

class TovDock : public std::enable_shared_from_this<TovDock> {
 public:
  /// A new, inactive dock on a surface of `toolkit` (the default toolkit when null).
  static std::shared_ptr<TovDock> create(std::shared_ptr<Toolkit> toolkit = nullptr);
  /// Terminates the dock (see Terminate).
  ~TovDock();
  TovDock(const TovDock&) = delete;
  TovDock& operator=(const TovDock&) = delete;

  /// The bar collection; the same object for the dock's life, null once it has terminated.
  BarsRef Bars() const;

  /// Scroll mode: the stack may be taller than the dock. Takes effect at the next layout.
  bool AllowScroll() const;
  void setAllowScroll(bool v);

  /// Activates the dock: loads colours and stored settings, sizes, paints and lays out the bars.
  /// False only stops further layout, painting and saving.
  bool Show() const;
  void setShow(bool b);

  /// Shows bars again: 0 all hidden bars, -1 resets states, heights and order, else bar `Index`.
  void ShowElement(std::int32_t Index);

  /// The native window of bar `Index`'s frame (0: the template's). Throws for a missing bar.
  Hwnd hWndItem(std::int16_t Index) const;

  /// Saves the settings (inside a running application), hands the hosted controls back and drops
  /// the bars. Runs once; the destructor calls it when the application has not.
  void Terminate();

  /// Events; every argument is by reference so a handler may change it.
  std::function<void(std::string& Key)> Closed;
  std::function<void(std::string& Key)> CtlResize;
  std::function<void(std::string& Key, bool& bReLoad)> OptShow;
  std::function<void(std::string& Key)> RightClick;

  /// The dock's own area, to be placed in the application's window.
  Surface& surface() const;
  Toolkit& toolkit() const;
  /// Size of the dock in twips. Setting it is what the container does when it resizes the dock;
  /// a width or height that is not a finite number within 32 bits is refused with a Failure
  /// (errInvalidCall) and changes nothing.
  double Width() const;
  double Height() const;
  void resize(double width, double height);

 private:
  friend class TovDockPrivate;
  explicit TovDock(std::shared_ptr<Toolkit> toolkit);
  std::unique_ptr<TovDockPrivate> d;
};

using DockRef = std::shared_ptr<TovDock>;

}  // namespace tov

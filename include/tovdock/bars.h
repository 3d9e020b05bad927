#pragma once
/// @file
/// The dock's bar collection.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tovdock/bar.h"
#include "tovdock/export.h"

namespace tov {

struct BarsInternals;

/// The dock's bar collection (`TovDock::Bars()`): creates bars, finds them, and owns their display
/// order.
///
/// Three numberings: `Index` (1..Count, creation order, fixed), the order position (1..Count,
/// display order) and the visible position (1..CountVisible, display order without hidden bars).
class TOVDOCK_EXPORT clsBars : public std::enable_shared_from_this<clsBars> {
 public:
  /// Only the dock makes its collection: the key to the constructor is the library's own.
  class Passkey {
    friend struct BarsInternals;
    Passkey() = default;
  };
  /// Made by the dock only (see Passkey).
  explicit clsBars(Passkey) {}
  clsBars(const clsBars&) = delete;
  clsBars& operator=(const clsBars&) = delete;

  /// Creates a bar with its elements and puts it at the end of the display order. Null, with one
  /// message box titled "clsBars.Add", when the dock cannot be reached or already has 32767 bars.
  BarRef Add();
  /// Number of bars.
  std::int32_t Count() const;
  /// Number of bars that are not hidden.
  std::int32_t CountVisible() const;
  /// The bar at `Index`; an index outside 1..Count throws (errSubscript).
  BarRef Bar(std::int32_t Index) const;
  /// The bar at `Index`, or null.
  BarRef Item(std::int32_t Index) const;
  /// Item(Index).
  BarRef operator()(std::int32_t Index) const { return Item(Index); }
  /// The first bar in creation order with exactly this key, or null.
  BarRef ItemByKey(const std::string& Key) const;
  /// The bar at a display position, or null.
  BarRef ItemByOrder(std::int32_t OrderIndex) const;
  /// The bar at a visible position, or null.
  BarRef ItemByOrderVisible(std::int32_t OrderIndex) const;
  /// Hands every hosted control back, removes all bars and, while the dock is reachable, their
  /// elements.
  void Clear();

 private:
  friend struct BarsInternals;
  std::shared_ptr<TovDock> dock() const;
  MessageSink& sink() const;
  /// The order changed: the dock tells its listeners.
  void touched() const;

  std::vector<BarRef> mCol;
  std::vector<std::int32_t> mOrder;
  std::shared_ptr<clsEvents> mEvents;
  std::shared_ptr<Toolkit> mToolkit;
};

/// The shared reference to a collection that the dock hands out.
using BarsRef = std::shared_ptr<clsBars>;

}  // namespace tov

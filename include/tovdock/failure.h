#pragma once
/// @file
/// Failures, the three ways of handling them, and the exact integer arithmetic of the dock.
///
/// Every routine of the library handles a failure in one of three ways:
///  - `reportFailure(context, body)`: stop at the first failure and show the toolkit's message box
///    with the failure's description as text, an OK button and `context` as title;
///  - `skipFailure(step)`: skip the failing step silently and go on with the next one;
///  - nothing: the failure passes to the caller (thin accessors, bar properties).
/// Arithmetic overflow is a failure like any other (`Failure::overflow()`).
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "tovdock/export.h"

namespace tov {

/// Error numbers the library raises; they follow the classic component runtime numbering.
enum ErrorNumber : std::int32_t {
  errInvalidCall = 5,        ///< invalid procedure call or argument
  errOverflow = 6,           ///< arithmetic overflow
  errOutOfMemory = 7,        ///< out of memory
  errSubscript = 9,          ///< subscript out of range
  errTypeMismatch = 13,      ///< a value of the wrong type
  errObjectNotSet = 91,      ///< object reference is null
  errElementMissing = 340,   ///< element array member does not exist
  errAlreadyLoaded = 360,    ///< element already loaded
  errCannotUnload = 365,     ///< element cannot be unloaded here
  errInvalidValue = 380,     ///< invalid property value
  errNoSuchMember = 438,     ///< late-bound member the object does not have
  errArgumentMissing = 449,  ///< a required argument was not given
  errWrongArguments = 450,   ///< wrong number of arguments or invalid property assignment
  errControlAlign = 9999,    ///< hosted control has its Align property set
};

/// A failure with description, number and source, as the message box and the caller see it.
class TOVDOCK_EXPORT Failure : public std::runtime_error {
 public:
  /// A failure numbered `number` (an `ErrorNumber`, or the application's own) raised by `source`.
  Failure(std::string description, std::int32_t number, std::string source = "TovDock")
      : std::runtime_error(description), mNumber(number), mSource(std::move(source)) {}

  /// The text a message box shows.
  std::string Description() const { return what(); }
  /// The error number.
  std::int32_t Number() const { return mNumber; }
  /// Who raised it ("TovDock" for the library).
  const std::string& Source() const { return mSource; }

  /// The failure of arithmetic that leaves its range (errOverflow).
  static Failure overflow() { return Failure("Overflow", errOverflow); }
  /// An index outside a collection (errSubscript).
  static Failure subscript() { return Failure("Subscript out of range", errSubscript); }
  /// A reference that is null where an object is needed (errObjectNotSet).
  static Failure objectNotSet() {
    return Failure("Object variable or With block variable not set", errObjectNotSet);
  }
  /// A call or argument the callee refuses (errInvalidCall); `what` says which.
  static Failure invalidCall(std::string_view what) {
    return Failure("Invalid procedure call or argument: " + std::string(what), errInvalidCall);
  }
  /// A property value outside its range (errInvalidValue); `what` says which.
  static Failure invalidValue(std::string_view what) {
    return Failure("Invalid property value: " + std::string(what), errInvalidValue);
  }

 private:
  std::int32_t mNumber;
  std::string mSource;
};

/// Where `reportFailure` shows its message box. The dock passes its toolkit.
class TOVDOCK_EXPORT MessageSink {
 public:
  virtual ~MessageSink() = default;
  /// Modal message box with an OK button; `title` empty means the toolkit's default title.
  virtual void messageBox(const std::string& text, const std::string& title) = 0;
};

/// Turns any exception into a Failure; anything that is not a std::exception is rethrown.
TOVDOCK_EXPORT Failure asFailure(const std::exception& e);

/// Runs `body`; on a failure shows it in a message box titled `context` and returns false.
template <class F>
bool reportFailure(MessageSink& sink, std::string_view context, F&& body) {
  try {
    body();
    return true;
  } catch (const std::exception& e) {
    sink.messageBox(asFailure(e).Description(), std::string(context));
    return false;
  }
}

/// Runs one step; a failure is swallowed and the result is false.
template <class F>
bool skipFailure(F&& step) {
  try {
    step();
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

/// Nearest whole number, halves to the even neighbour (1500.5 -> 1500, 2.5 -> 2, 3.5 -> 4).
inline double roundHalfEven(double v) {
  return std::nearbyint(v);
}

/// Rounds to a 32-bit integer, halves to even; out of range or not a number is an overflow.
TOVDOCK_EXPORT std::int32_t toInt32(double v);
/// Rounds to a 16-bit integer, halves to even; out of range is an overflow.
TOVDOCK_EXPORT std::int16_t toInt16(double v);
/// Narrows a 32-bit value to 16 bits; out of range is an overflow.
TOVDOCK_EXPORT std::int16_t toInt16(std::int32_t v);

///@{
/// Checked 32-bit arithmetic: the result is exact or the call throws an overflow Failure.
TOVDOCK_EXPORT std::int32_t add32(std::int32_t a, std::int32_t b);
TOVDOCK_EXPORT std::int32_t sub32(std::int32_t a, std::int32_t b);
TOVDOCK_EXPORT std::int32_t mul32(std::int32_t a, std::int32_t b);
///@}
/// Checked 16-bit addition, for 16-bit counters and indexes.
TOVDOCK_EXPORT std::int16_t add16(std::int16_t a, std::int16_t b);

}  // namespace tov

#include "tovdock/failure.h"

#include <cfenv>
#include <limits>

namespace tov {

Failure asFailure(const std::exception& e) {
  if (auto* f = dynamic_cast<const Failure*>(&e)) return *f;
  if (dynamic_cast<const std::bad_alloc*>(&e)) return Failure("Out of memory", errOutOfMemory);
  if (dynamic_cast<const std::out_of_range*>(&e)) return Failure::subscript();
  return Failure(e.what(), errInvalidCall);
}

namespace {

/// Rounds half to even into T; out of T's range (or not a number) is an overflow.
template <class T>
T rounded(double v) {
  const double r = roundHalfEven(v);
  if (!(r >= std::numeric_limits<T>::min() && r <= std::numeric_limits<T>::max())) throw Failure::overflow();
  return static_cast<T>(r);
}

}  // namespace

std::int32_t toInt32(double v) {
  return rounded<std::int32_t>(v);
}

std::int16_t toInt16(double v) {
  return rounded<std::int16_t>(v);
}

std::int16_t toInt16(std::int32_t v) {
  if (v < std::numeric_limits<std::int16_t>::min() || v > std::numeric_limits<std::int16_t>::max())
    throw Failure::overflow();
  return static_cast<std::int16_t>(v);
}

std::int32_t add32(std::int32_t a, std::int32_t b) {
  std::int32_t r;
  if (__builtin_add_overflow(a, b, &r)) throw Failure::overflow();
  return r;
}

std::int32_t sub32(std::int32_t a, std::int32_t b) {
  std::int32_t r;
  if (__builtin_sub_overflow(a, b, &r)) throw Failure::overflow();
  return r;
}

std::int32_t mul32(std::int32_t a, std::int32_t b) {
  std::int32_t r;
  if (__builtin_mul_overflow(a, b, &r)) throw Failure::overflow();
  return r;
}

std::int16_t add16(std::int16_t a, std::int16_t b) {
  std::int16_t r;
  if (__builtin_add_overflow(a, b, &r)) throw Failure::overflow();
  return r;
}

}  // namespace tov

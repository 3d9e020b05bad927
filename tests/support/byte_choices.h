#pragma once
// Choices taken from a byte stream, so that one driver serves a seeded test and a coverage-guided
// fuzzer alike.
#include <cstddef>
#include <cstdint>
#include <iterator>

namespace tov::test {

/// Choices read from bytes; an exhausted stream answers 0 and ends the walk.
class ByteChoices {
 public:
  ByteChoices(const std::uint8_t* data, std::size_t size) : mData(data), mSize(size) {}
  bool done() const { return mPos >= mSize; }
  std::uint32_t below(std::uint32_t n) {
    if (n <= 1) return 0;
    std::uint32_t v = 0;
    for (std::uint32_t range = 1; range < n && range < (1u << 24); range <<= 8)
      v = (v << 8) | (mPos < mSize ? mData[mPos++] : 0);
    return v % n;
  }
  bool flip() { return below(2) == 1; }
  std::int32_t between(std::int32_t lo, std::int32_t hi) {
    return lo + static_cast<std::int32_t>(below(static_cast<std::uint32_t>(hi - lo + 1)));
  }
  /// A number that is mostly plausible and sometimes hostile.
  std::int32_t number() {
    static constexpr std::int32_t edges[] = {INT32_MIN, INT32_MIN + 1, -32768,        -32769,   32767,
                                             32768,     65535,         INT32_MAX - 1, INT32_MAX};
    const std::uint32_t kind = below(8);
    return kind == 0   ? between(-3, 3)
           : kind == 1 ? between(95, 105)
           : kind == 2 ? edges[below(std::size(edges))]
                       : between(0, 12000);
  }

 private:
  const std::uint8_t* mData;
  std::size_t mSize;
  std::size_t mPos = 0;
};

}  // namespace tov::test

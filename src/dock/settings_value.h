#pragma once
// The stored record of a bar: "position:align:state:height" in plain decimal text.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tov::settings {

struct Record {
  std::int32_t position = 0;
  std::int32_t align = 0;
  std::int32_t state = 0;
  std::int32_t height = 0;
};

/// The value of the leading decimal text (sign, digits, fraction, exponent; blanks ignored), 0 when
/// the text starts with none.
double leadingNumber(std::string_view text);
/// The first four fields of a stored value, each read as a leading number rounded half to even.
/// Null for fewer than four fields, a number beyond 32 bits, or an unknown group or state.
std::optional<Record> parse(std::string_view value);
std::string format(std::int32_t position, std::int32_t align, std::int32_t state, std::int32_t height);

}  // namespace tov::settings

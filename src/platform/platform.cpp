// Late-bound values: conversions between numbers, flags and text as the classic runtime does them.
#include "tovdock/platform.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>


namespace tov {

namespace {

Failure typeMismatch() {
  return Failure("Type mismatch", errTypeMismatch);
}

std::string_view trimmed(std::string_view s) {
  const auto first = s.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

// Decimal text with optional sign, fraction and exponent; "inf", "nan" and hexadecimal are not numbers here.
double parseNumber(const std::string& text) {
  std::string_view s = trimmed(text);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  double v = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v, std::chars_format::general);
  if (s.empty() || ec != std::errc() || end != s.data() + s.size() || !std::isfinite(v)) throw typeMismatch();
  return v;
}

}  // namespace

double valueToDouble(const Value& v) {
  struct Visitor {
    double operator()(std::monostate) const { return 0; }
    double operator()(bool b) const { return b ? -1 : 0; }  // true is all bits set
    double operator()(std::int32_t i) const { return i; }
    double operator()(double d) const { return d; }
    double operator()(const std::string& s) const { return parseNumber(s); }
  };
  return std::visit(Visitor{}, v);
}

std::int32_t valueToInt32(const Value& v) {
  if (auto* i = std::get_if<std::int32_t>(&v)) return *i;
  return toInt32(valueToDouble(v));
}

bool valueToBool(const Value& v) {
  if (auto* s = std::get_if<std::string>(&v)) {
    if (equalsIgnoringCase(trimmed(*s), "True")) return true;
    if (equalsIgnoringCase(trimmed(*s), "False")) return false;
  }
  return valueToDouble(v) != 0;
}

std::string valueToString(const Value& v) {
  struct Visitor {
    std::string operator()(std::monostate) const { return {}; }
    std::string operator()(bool b) const { return b ? "True" : "False"; }
    std::string operator()(std::int32_t i) const { return std::to_string(i); }
    std::string operator()(double d) const {
      if (d == 0) return "0";  // also for negative zero
      // Fifteen significant digits, as the classic runtime prints a double.
      char buf[32];
      std::snprintf(buf, sizeof buf, "%.15G", d);
      return buf;
    }
    std::string operator()(const std::string& s) const { return s; }
  };
  return std::visit(Visitor{}, v);
}

}  // namespace tov

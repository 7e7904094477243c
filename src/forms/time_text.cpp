#include "forms/time_text.h"

#include <array>
#include <cstdint>

#include "platform/ascii.h"

namespace tavrin {
namespace {

struct Unit {
  std::string_view name;
  std::int64_t milliseconds;
};
// The units a time may end in; the first three, largest first, are the ones shown.
constexpr std::array<Unit, 4> kUnits = {{
    {"min", 60000},
    {"s", 1000},
    {"ms", 1},
    {"sec", 1000},
}};

// Longer than this, a number is no time a run takes (an hour is 3600000 ms).
constexpr std::size_t kMostWholeDigits = 9;
constexpr std::size_t kMostDecimals = 6;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

}  // namespace

std::string TimeText(std::string_view milliseconds) {
  if (milliseconds.empty() || milliseconds.size() > kMostWholeDigits) {
    return std::string(milliseconds);
  }
  std::int64_t value = 0;
  for (char c : milliseconds) {
    if (!IsDigit(c)) return std::string(milliseconds);
    value = value * 10 + (c - '0');
  }
  for (const Unit& unit : kUnits) {
    if (unit.milliseconds == 1) break;
    const std::int64_t tenth = unit.milliseconds / 10;
    if (value < unit.milliseconds || value % tenth != 0) continue;
    std::string text = std::to_string(value / unit.milliseconds);
    if (value % unit.milliseconds != 0) {
      text += '.';
      text += static_cast<char>('0' + value % unit.milliseconds / tenth);
    }
    return text + " " + std::string(unit.name);
  }
  return std::to_string(value) + " ms";
}

std::optional<std::string> MillisecondsOf(std::string_view text) {
  text = Trimmed(text);
  if (text.empty()) return std::string();
  std::size_t at = 0;
  std::int64_t whole = 0;
  while (at < text.size() && IsDigit(text[at])) whole = whole * 10 + (text[at++] - '0');
  const std::size_t wholeDigits = at;
  std::int64_t decimals = 0;
  std::int64_t decimalScale = 1;
  if (at < text.size() && text[at] == '.') {
    const std::size_t first = ++at;
    while (at < text.size() && IsDigit(text[at]) && at - first < kMostDecimals) {
      decimals = decimals * 10 + (text[at++] - '0');
      decimalScale *= 10;
    }
    if (at == first) return std::nullopt;
  }
  if (wholeDigits == 0 || wholeDigits > kMostWholeDigits ||
      (at < text.size() && IsDigit(text[at]))) {
    return std::nullopt;
  }
  const std::string_view unitName = Trimmed(text.substr(at));
  std::int64_t scale = unitName.empty() ? 1 : 0;
  for (const Unit& unit : kUnits) {
    if (SameIgnoringCase(unitName, unit.name)) scale = unit.milliseconds;
  }
  if (scale == 0 || decimals * scale % decimalScale != 0) return std::nullopt;
  return std::to_string(whole * scale + decimals * scale / decimalScale);
}

}  // namespace tavrin

#include "collection/text.h"

namespace tavrin {

std::size_t CharCount(const std::string& text, TextEncoding enc) {
  if (enc == TextEncoding::kSingleByte) return text.size();
  std::size_t count = 0;
  for (std::size_t pos = 0; pos < text.size(); pos += CharLength(text, pos, enc)) ++count;
  return count;
}

namespace {

// The code points of the East Asian Wide and Fullwidth characters, by block.
constexpr char32_t kWideRanges[][2] = {
    {0x1100, 0x115F},   {0x231A, 0x231B},   {0x2329, 0x232A},   {0x23E9, 0x23EC},
    {0x23F0, 0x23F0},   {0x23F3, 0x23F3},   {0x25FD, 0x25FE},   {0x2614, 0x2615},
    {0x2648, 0x2653},   {0x267F, 0x267F},   {0x2693, 0x2693},   {0x26A1, 0x26A1},
    {0x26AA, 0x26AB},   {0x26BD, 0x26BE},   {0x26C4, 0x26C5},   {0x26CE, 0x26CE},
    {0x26D4, 0x26D4},   {0x26EA, 0x26EA},   {0x26F2, 0x26F5},   {0x26FA, 0x26FD},
    {0x2705, 0x2705},   {0x270A, 0x270B},   {0x2728, 0x2728},   {0x274C, 0x274C},
    {0x2753, 0x2755},   {0x2757, 0x2757},   {0x2795, 0x2797},   {0x27B0, 0x27B0},
    {0x27BF, 0x27BF},   {0x2B1B, 0x2B1C},   {0x2B50, 0x2B50},   {0x2B55, 0x2B55},
    {0x2E80, 0x303E},   {0x3041, 0x33FF},   {0x3400, 0x4DBF},   {0x4E00, 0x9FFF},
    {0xA000, 0xA4CF},   {0xA960, 0xA97F},   {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},
    {0xFE10, 0xFE19},   {0xFE30, 0xFE6F},   {0xFF00, 0xFF60},   {0xFFE0, 0xFFE6},
    {0x16FE0, 0x18CFF}, {0x1B000, 0x1B2FF}, {0x1F004, 0x1F004}, {0x1F0CF, 0x1F0CF},
    {0x1F18E, 0x1F18E}, {0x1F191, 0x1F19A}, {0x1F200, 0x1F251}, {0x1F300, 0x1F64F},
    {0x1F680, 0x1F6FF}, {0x1F7E0, 0x1F7EB}, {0x1F90C, 0x1F9FF}, {0x1FA70, 0x1FAFF},
    {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD},
};

// The columns of the character of `len` bytes at `pos`.
std::size_t CharWidth(const std::string& text, std::size_t pos, std::size_t len, TextEncoding enc) {
  if (enc == TextEncoding::kSingleByte || len < 3) return 1;
  const char32_t code = CodePointAt(text, pos, len);
  for (const auto& range : kWideRanges) {
    if (code >= range[0] && code <= range[1]) return 2;
  }
  return 1;
}

}  // namespace

std::size_t DisplayWidth(const std::string& text, TextEncoding enc) {
  std::size_t width = 0;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t len = CharLength(text, pos, enc);
    width += CharWidth(text, pos, len, enc);
    pos += len;
  }
  return width;
}

std::string ShortenText(const std::string& text, std::size_t limit, TextEncoding enc) {
  static const std::string kEllipsis = "...";
  if (DisplayWidth(text, enc) <= limit) return text;
  // A limit too small for the marker gets as much of the marker as fits.
  if (limit <= kEllipsis.size()) return kEllipsis.substr(0, limit);
  const std::size_t room = limit - kEllipsis.size();
  std::size_t end = 0;
  for (std::size_t width = 0; end < text.size();) {
    const std::size_t len = CharLength(text, end, enc);
    width += CharWidth(text, end, len, enc);
    if (width > room) break;
    end += len;
  }
  return text.substr(0, end) + kEllipsis;
}

bool NameLess(const std::string& a, const std::string& b) {
  const std::string la = LowerAscii(a);
  const std::string lb = LowerAscii(b);
  return la != lb ? la < lb : a < b;
}

}  // namespace tavrin

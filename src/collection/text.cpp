#include "collection/text.h"

namespace tavrin {

namespace {

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Length in bytes of the character that begins at `pos`. A byte that starts no
// valid UTF-8 sequence (a stray continuation byte, an overlong form, a surrogate,
// a value above U+10FFFF, a sequence cut short) is a character of its own.
std::size_t CharLength(const std::string& text, std::size_t pos, TextEncoding enc) {
  if (enc == TextEncoding::kSingleByte) return 1;
  const auto at = [&](std::size_t i) -> unsigned char {
    return i < text.size() ? static_cast<unsigned char>(text[i]) : 0;
  };
  const unsigned char lead = at(pos);
  if (lead < 0x80) return 1;
  std::size_t len = 0;
  unsigned char low = 0x80;  // allowed range of the second byte
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    len = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    len = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    len = 4;
    if (lead == 0xF0) low = 0x90;   // no overlong forms
    if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
  } else {
    return 1;
  }
  if (pos + len > text.size()) return 1;
  const unsigned char second = at(pos + 1);
  if (second < low || second > high) return 1;
  for (std::size_t i = 2; i < len; ++i) {
    if (!IsContinuation(at(pos + i))) return 1;
  }
  return len;
}

}  // namespace

std::size_t CharCount(const std::string& text, TextEncoding enc) {
  if (enc == TextEncoding::kSingleByte) return text.size();
  std::size_t count = 0;
  for (std::size_t pos = 0; pos < text.size(); pos += CharLength(text, pos, enc)) ++count;
  return count;
}

std::string ShortenText(const std::string& text, std::size_t limit, TextEncoding enc) {
  static const std::string kEllipsis = "...";
  if (CharCount(text, enc) <= limit) return text;
  // A limit too small for the marker gets as much of the marker as fits.
  if (limit <= kEllipsis.size()) return kEllipsis.substr(0, limit);
  const std::size_t keep = limit - kEllipsis.size();
  std::size_t end = 0;
  for (std::size_t chars = 0; chars < keep; ++chars) end += CharLength(text, end, enc);
  return text.substr(0, end) + kEllipsis;
}

std::string LowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

bool NameLess(const std::string& a, const std::string& b) {
  const std::string la = LowerAscii(a);
  const std::string lb = LowerAscii(b);
  return la != lb ? la < lb : a < b;
}

}  // namespace tavrin

#include "collection/text.h"

namespace tavrin {

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

bool NameLess(const std::string& a, const std::string& b) {
  const std::string la = LowerAscii(a);
  const std::string lb = LowerAscii(b);
  return la != lb ? la < lb : a < b;
}

}  // namespace tavrin

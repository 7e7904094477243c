#pragma once

#include <string>
#include <string_view>

namespace tavrin {

// ASCII lower case of one character (the letters A to Z); every other byte as it is.
constexpr char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// ASCII lower case (the letters A to Z), as the file format, paths and the
// association store compare.
inline std::string LowerAscii(std::string text) {
  for (char& c : text) c = LowerAscii(c);
  return text;
}

// Whether `text` ends in `suffix`, letter case (of A to Z) ignored.
constexpr bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix) {
  if (text.size() < suffix.size()) return false;
  const std::size_t start = text.size() - suffix.size();
  for (std::size_t i = 0; i < suffix.size(); ++i) {
    if (LowerAscii(text[start + i]) != LowerAscii(suffix[i])) return false;
  }
  return true;
}

}  // namespace tavrin

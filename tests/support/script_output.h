#pragma once

// What a script reads from the program's output: lines, and fields unescaped.
#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

namespace tavrin::testing {

// Undoes the escapes of the program's listings and messages: "\\", "\t", "\n", "\r"
// and "\xHH". Throws on any other backslash sequence.
inline std::string Unescaped(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      out += text[i];
      continue;
    }
    const char next = i + 1 < text.size() ? text[++i] : '\0';
    if (const auto at = std::string("\\tnr").find(next); at != std::string::npos) {
      out += "\\\t\n\r"[at];
    } else if (next == 'x' && i + 2 < text.size() &&
               text.find_first_not_of("0123456789abcdefABCDEF", i + 1) > i + 2) {
      out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      throw std::runtime_error("bad escape at byte " + std::to_string(i));
    }
  }
  return out;
}

// The lines of output that ends each line with a line feed.
inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    lines.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  return lines;
}

}  // namespace tavrin::testing

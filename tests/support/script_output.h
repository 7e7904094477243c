#pragma once

// What a script reads from the program's output: its lines.
#include <algorithm>
#include <string>
#include <vector>

namespace tavrin::testing {

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

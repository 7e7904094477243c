#pragma once

#include <string>

namespace tavrin::posix {

// The folder of a path: "." for a bare name, "/" for a name in the root folder.
inline std::string ParentFolder(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

}  // namespace tavrin::posix

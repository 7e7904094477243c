#include "collection/paths.h"

#include "collection/text.h"
#include "platform/files.h"

namespace tavrin {

// Positions count bytes. The separators and the dot are ASCII, and in UTF-8 an
// ASCII byte never occurs inside another character, so cutting at them never
// splits a character.

namespace {

int Position(std::string::size_type index) {
  return index == std::string::npos ? 0 : static_cast<int>(index) + 1;
}

}  // namespace

int FindLast(const std::string& text, const std::string& ch) {
  if (CharCount(ch) != 1) return 0;
  return Position(text.rfind(ch));
}

std::string CutAtNull(std::string& text) {
  const auto nul = text.find('\0');
  if (nul != std::string::npos) text.resize(nul);
  return text;
}

std::string FolderPart(const std::string& path, char sep) {
  const int p = FindLast(path, std::string(1, sep));
  if (p == 0) return path;
  return path.substr(0, static_cast<std::size_t>(p - 1));
}

std::string FilePart(const std::string& path, char sep) {
  const int p = FindLast(path, std::string(1, sep));
  return path.substr(static_cast<std::size_t>(p));
}

std::string BaseName(const std::string& path, char sep) {
  const int p1 = FindLast(path, std::string(1, sep));
  int p2 = FindLast(path, ".");
  // No dot, or a dot only in a folder name: the whole file part is the name.
  if (p2 == 0 || p2 < p1) p2 = static_cast<int>(path.size()) + 1;
  return path.substr(static_cast<std::size_t>(p1), static_cast<std::size_t>(p2 - p1 - 1));
}

std::string ForceCollExt(const std::string& path, char sep) {
  const std::string ext = kCollExt;
  const std::string lower = LowerAscii(path);
  if (lower.size() >= ext.size() &&
      lower.compare(lower.size() - ext.size(), ext.size(), ext) == 0) {
    return path;
  }
  const int p = FindLast(path, ".");
  // A dot only in a folder name is no extension: append, so that the result stays
  // in the same folder.
  if (p == 0 || p < FindLast(path, std::string(1, sep))) return path + ext;
  return path.substr(0, static_cast<std::size_t>(p)) + ext.substr(1);
}

}  // namespace tavrin

#pragma once

#include <string>

#include "platform/system.h"

namespace tavrin {

// Path and name helpers. They work on the text alone and never touch the file
// system. Positions are 1-based; `sep` is the folder separator.

// Position of the last occurrence of `ch` (a one-character string) in `text`; 0 if
// none, and 0 when `ch` is not exactly one character.
int FindLast(const std::string& text, const std::string& ch);

// Cuts `text` at its first NUL character and returns the result.
std::string CutAtNull(std::string& text);

// The text before the last separator; the whole path when it has none.
std::string FolderPart(const std::string& path, char sep = kNativeSeparator);

// The text after the last separator; the whole path when it has none.
std::string FilePart(const std::string& path, char sep = kNativeSeparator);

// The file part without its extension (the text between the last separator and
// the last dot). A dot that stands only in a folder name gives the file part.
std::string BaseName(const std::string& path, char sep = kNativeSeparator);

// The path with the extension ".tavrin": kept when present in any letter case,
// replacing another extension, appended when the file name has none.
std::string ForceCollExt(const std::string& path, char sep = kNativeSeparator);

}  // namespace tavrin

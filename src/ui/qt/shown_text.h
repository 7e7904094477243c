#pragma once

#include <QString>
#include <string>

namespace tavrin::qt {

// How the views show the program's texts, which are bytes: as UTF-8, where every byte
// that is no valid UTF-8 (a Latin-1 file name) is carried as a character of its own
// (U+DC80 to U+DCFF), so that no byte is lost to a replacement character and an edit
// of the other characters gives the same byte back.
QString Shown(const std::string& bytes);

// A shown or typed text as the program's bytes; the inverse of Shown.
std::string Typed(const QString& text);

}  // namespace tavrin::qt

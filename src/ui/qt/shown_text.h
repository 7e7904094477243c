#pragma once

#include <QString>
#include <string>

namespace tavrin::qt {

// How the views show the program's texts, which are bytes: as UTF-8, and where they are
// no valid UTF-8 (a Latin-1 file name) with every such byte written as "\xHH", so that
// no byte is lost to a replacement character.
QString Shown(const std::string& bytes);

// What the user typed, as the program's bytes.
std::string Typed(const QString& text);

}  // namespace tavrin::qt

#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/traits.h"

namespace tavrin {

// Length in bytes of the character that begins at `pos` (at most the bytes left).
// In UTF-8 a byte that starts no valid sequence (a stray continuation byte, an
// overlong form, a surrogate, a value above U+10FFFF, a sequence cut short) is a
// character of its own, one byte long.
std::size_t CharLength(std::string_view text, std::size_t pos, TextEncoding enc);

// `text` with every control character written as an escape, so that it fits on one
// line, splits at tabs, and cannot steer a terminal: a backslash becomes "\\", a tab
// "\t", a line feed "\n", a carriage return "\r", and every other control character
// "\xHH", byte by byte (in UTF-8 also U+0080 to U+009F, and every byte that is no
// valid UTF-8). Everything else stays as it is.
std::string EscapeControls(std::string_view text, TextEncoding enc = kNativeEncoding);

// `text` as a terminal may show it to a person: every control character escaped as
// EscapeControls escapes it, except the line feeds that break it into lines, and with
// backslashes kept as they are (a Windows path stays readable). For message boxes
// written to standard error.
std::string TerminalText(std::string_view text, TextEncoding enc = kNativeEncoding);

// `text` (UTF-8) as a JSON string, with its double quotes. Control characters are
// escaped; a byte that is no valid UTF-8 becomes U+FFFD, so the result is valid JSON
// whatever the bytes.
std::string JsonString(std::string_view text);

}  // namespace tavrin

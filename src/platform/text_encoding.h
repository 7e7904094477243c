#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/traits.h"

namespace tavrin {

// Length in bytes of the character that begins at `pos` (at most the bytes left).
// In UTF-8 a byte that starts no valid sequence (a stray continuation byte, an
// overlong form, a surrogate, a value above U+10FFFF, a sequence cut short) is a
// character of its own, one byte long.
std::size_t CharLength(std::string_view text, std::size_t pos, TextEncoding enc);

// The code point of the valid UTF-8 sequence of `len` bytes (CharLength) at `pos`.
char32_t CodePointAt(std::string_view text, std::size_t pos, std::size_t len);

// The program's bytes (UTF-8) as UTF-16 text for a toolkit that shows UTF-16, and
// back, without losing a byte: every byte that is no valid UTF-8 is carried as the lone
// surrogate U+DC80 to U+DCFF (U+DC00 plus the byte), which no valid text holds, and
// comes back as that byte, also when other characters around it were edited.
// Surrogates outside that range (pasted, never made here) come back as U+FFFD.
std::u16string Utf16OfBytes(std::string_view bytes);
std::string BytesOfUtf16(std::u16string_view text);

// `text` with every control character written as an escape, so that it fits on one
// line, splits at tabs, cannot steer a terminal and shows in the order of its bytes: a
// backslash becomes "\\", a tab "\t", a line feed "\n", a carriage return "\r", and
// every other control character "\xHH", byte by byte (in UTF-8 also U+0080 to U+009F,
// the direction controls U+200E, U+200F, U+202A to U+202E and U+2066 to U+2069, the
// separators U+2028 and U+2029, and every byte that is no valid UTF-8). Everything
// else stays as it is.
std::string EscapeControls(std::string_view text, TextEncoding enc = kNativeEncoding);

// `text` on one line for a person (a message naming a path): escaped as EscapeControls
// escapes it, except that backslashes stay as they are where they separate folders
// (Windows), so that a path can be pasted into a command or a registry editor.
std::string LineText(std::string_view text, TextEncoding enc = kNativeEncoding,
                     bool keepBackslashes = kNativeSeparator == '\\');

// `text` as a terminal may show it to a person: every control character escaped as
// EscapeControls escapes it, except the line feeds that break it into lines, and with
// backslashes kept as they are (a Windows path stays readable). For message boxes
// written to standard error.
std::string TerminalText(std::string_view text, TextEncoding enc = kNativeEncoding);

// `text` as a window shows it to a person: escaped as TerminalText escapes it, except
// the bytes that are no valid UTF-8, which are left for the window to show (as it can
// without losing them). For what the windows show of a collection: the item list, the
// details pane, the item editor's boxes, message boxes.
//
// For people a backslash stays as it is, unless what follows it would read as an escape
// (another backslash, what is shown escaped, or "t", "r", "n", "x" and two hex digits):
// then it is shown as "\\", so that two texts never look alike.
std::string WindowText(std::string_view text, TextEncoding enc = kNativeEncoding);

// A text that a box shows as WindowText shows it, and that the user edits there: the
// bytes it stands for after each edit. What the user typed is taken as typed, an escape
// too; every character and escape left as it was stands for the bytes it was shown for,
// so that an edit never saves the text of an escape in place of its bytes.
class ShownBytes {
 public:
  ShownBytes() = default;
  explicit ShownBytes(std::string_view bytes, TextEncoding enc = kNativeEncoding);

  // What the box shows, and the bytes it stands for.
  const std::string& Shown() const { return shown_; }
  const std::string& Bytes() const { return bytes_; }
  // The box now shows `shown`.
  void Edit(std::string_view shown);

 private:
  // One character or escape: how many bytes it shows as and stands for.
  struct Piece {
    std::size_t shown;
    std::size_t bytes;
  };
  std::string shown_;
  std::string bytes_;
  std::vector<Piece> pieces_;
};

// `text` (UTF-8) as a JSON string, with its double quotes. Control characters, and the
// direction controls and separators that EscapeControls escapes, are escaped as
// "\uXXXX"; a byte that is no valid UTF-8 becomes U+FFFD, so the result is valid JSON
// whatever the bytes.
std::string JsonString(std::string_view text);

}  // namespace tavrin

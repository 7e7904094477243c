#include "platform/text_encoding.h"

#include <algorithm>
#include <cstdio>

namespace tavrin {
namespace {

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// "\xHH" for one byte.
void AppendByteEscape(std::string& out, unsigned char byte) {
  char hex[5];
  std::snprintf(hex, sizeof hex, "\\x%02x", byte);
  out += hex;
}

// A two-byte UTF-8 sequence of U+0080 to U+009F, the C1 control characters.
bool IsC1Control(std::string_view text, std::size_t pos, std::size_t len) {
  return len == 2 && static_cast<unsigned char>(text[pos]) == 0xC2 &&
         static_cast<unsigned char>(text[pos + 1]) <= 0x9F;
}

// A three-byte UTF-8 sequence of Unicode's direction controls (U+200E, U+200F, U+202A
// to U+202E, U+2066 to U+2069) or of its line and paragraph separators (U+2028, U+2029):
// unseen themselves, they reorder or break the text around them, so that a file
// "report<U+202E>fdp.sh" shows as "reporths.pdf".
bool IsDirectionControl(std::string_view text, std::size_t pos, std::size_t len) {
  if (len != 3 || static_cast<unsigned char>(text[pos]) != 0xE2) return false;
  const auto second = static_cast<unsigned char>(text[pos + 1]);
  const auto third = static_cast<unsigned char>(text[pos + 2]);
  if (second == 0x80) return third == 0x8E || third == 0x8F || (third >= 0xA8 && third <= 0xAE);
  return second == 0x81 && third >= 0xA6 && third <= 0xA9;
}

// A character that is written as the escapes of its bytes.
bool IsEscapedCharacter(std::string_view text, std::size_t pos, std::size_t len) {
  return IsC1Control(text, pos, len) || IsDirectionControl(text, pos, len);
}

}  // namespace

std::size_t CharLength(std::string_view text, std::size_t pos, TextEncoding enc) {
  if (enc == TextEncoding::kSingleByte || pos >= text.size()) return 1;
  const auto at = [&](std::size_t i) -> unsigned char {
    return i < text.size() ? static_cast<unsigned char>(text[i]) : 0;
  };
  const unsigned char lead = at(pos);
  if (lead < 0x80) return 1;
  std::size_t len = 0;
  unsigned char low = 0x80;  // allowed range of the second byte
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    len = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    len = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    len = 4;
    if (lead == 0xF0) low = 0x90;   // no overlong forms
    if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
  } else {
    return 1;
  }
  if (pos + len > text.size()) return 1;
  const unsigned char second = at(pos + 1);
  if (second < low || second > high) return 1;
  for (std::size_t i = 2; i < len; ++i) {
    if (!IsContinuation(at(pos + i))) return 1;
  }
  return len;
}

namespace {

constexpr char16_t kByteCarrier = 0xDC00;  // plus the byte: U+DC80 to U+DCFF

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

void AppendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

}  // namespace

char32_t CodePointAt(std::string_view text, std::size_t pos, std::size_t len) {
  if (len <= 1) return static_cast<unsigned char>(text[pos]);
  // The lead's bits, then six bits from each continuation byte.
  char32_t code = static_cast<unsigned char>(text[pos]) & (0x7F >> len);
  for (std::size_t i = 1; i < len; ++i) {
    code = (code << 6) | (static_cast<unsigned char>(text[pos + i]) & 0x3F);
  }
  return code;
}

std::u16string Utf16OfBytes(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  for (std::size_t pos = 0; pos < bytes.size();) {
    const std::size_t len = CharLength(bytes, pos, TextEncoding::kUtf8);
    const auto lead = static_cast<unsigned char>(bytes[pos]);
    if (len == 1) {
      out += lead < 0x80 ? static_cast<char16_t>(lead) : static_cast<char16_t>(kByteCarrier + lead);
      ++pos;
      continue;
    }
    const char32_t code = CodePointAt(bytes, pos, len);
    if (code >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(code);
    }
    pos += len;
  }
  return out;
}

std::string BytesOfUtf16(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) +
                          (static_cast<char32_t>(text[i + 1]) - 0xDC00));
      ++i;
    } else if (unit >= kByteCarrier + 0x80 && unit <= kByteCarrier + 0xFF) {
      out += static_cast<char>(unit - kByteCarrier);
    } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
      AppendUtf8(out, 0xFFFD);
    } else {
      AppendUtf8(out, unit);
    }
  }
  return out;
}

namespace {

// Who reads an escaped text.
enum class Reader {
  kLine,      // EscapeControls: one line, split at tabs
  kPathLine,  // LineText where backslashes separate folders: one line, for a person
  kTerminal,  // TerminalText: a person, on a terminal
  kWindow,    // WindowText: a person, in a window
};

// Appends how the character of `len` bytes at `pos` is shown to `reader` when it is shown
// as an escape; false, and nothing appended, when it is shown as it is. A backslash is
// left to its caller.
bool AppendEscape(std::string& out, std::string_view text, std::size_t pos, std::size_t len,
                  TextEncoding enc, Reader reader) {
  const auto byte = static_cast<unsigned char>(text[pos]);
  const bool forPeople = reader == Reader::kTerminal || reader == Reader::kWindow;
  if (byte == '\\' || (forPeople && byte == '\n')) return false;
  if (byte == '\t') {
    out += "\\t";
  } else if (byte == '\n') {
    out += "\\n";
  } else if (byte == '\r') {
    out += "\\r";
  } else if (byte < 0x20 || byte == 0x7F) {
    AppendByteEscape(out, byte);
  } else if (enc == TextEncoding::kUtf8 && byte >= 0x80 &&
             ((len == 1 && reader != Reader::kWindow) || IsEscapedCharacter(text, pos, len))) {
    for (std::size_t i = 0; i < len; ++i) {
      AppendByteEscape(out, static_cast<unsigned char>(text[pos + i]));
    }
  } else {
    return false;
  }
  return true;
}

bool IsHexDigit(std::string_view text, std::size_t pos) {
  if (pos >= text.size()) return false;
  const char c = text[pos];
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Whether a backslash shown before what begins at `pos` would read as the start of an
// escape: before another backslash, before what is shown escaped, and before "t", "r",
// "n" or "x" and two hex digits. Such a backslash is shown as "\\", so that a text that
// holds "\x1b" never looks like one that holds the ESC; any other stays as it is, so that
// a path with backslashes stays readable.
bool BackslashReadsAsEscape(std::string_view text, std::size_t pos, TextEncoding enc,
                            Reader reader) {
  if (pos >= text.size()) return false;
  const char next = text[pos];
  if (next == '\\' || next == 't' || next == 'r' || next == 'n') return true;
  if (next == 'x') return IsHexDigit(text, pos + 1) && IsHexDigit(text, pos + 2);
  std::string unused;
  return AppendEscape(unused, text, pos, CharLength(text, pos, enc), enc, reader);
}

// Calls `piece(shown, pos, len)` for each character of `text` in turn: how it is shown
// to `reader`, and the `len` bytes at `pos` it stands for.
template <typename Piece>
void ForEachShownPiece(std::string_view text, TextEncoding enc, Reader reader, Piece piece) {
  std::string shown;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t len = CharLength(text, pos, enc);
    shown.clear();
    if (text[pos] == '\\') {
      // A path's backslashes stay single, so that it can be pasted where paths go.
      const bool escaped =
          reader == Reader::kLine ||
          (reader != Reader::kPathLine && BackslashReadsAsEscape(text, pos + 1, enc, reader));
      piece(std::string_view(escaped ? "\\\\" : "\\"), pos, len);
    } else if (AppendEscape(shown, text, pos, len, enc, reader)) {
      piece(std::string_view(shown), pos, len);
    } else {
      piece(text.substr(pos, len), pos, len);
    }
    pos += len;
  }
}

std::string Escaped(std::string_view text, TextEncoding enc, Reader reader) {
  std::string out;
  out.reserve(text.size());
  ForEachShownPiece(text, enc, reader,
                    [&](std::string_view shown, std::size_t, std::size_t) { out += shown; });
  return out;
}

}  // namespace

std::string EscapeControls(std::string_view text, TextEncoding enc) {
  return Escaped(text, enc, Reader::kLine);
}

std::string LineText(std::string_view text, TextEncoding enc, bool keepBackslashes) {
  return Escaped(text, enc, keepBackslashes ? Reader::kPathLine : Reader::kLine);
}

std::string TerminalText(std::string_view text, TextEncoding enc) {
  return Escaped(text, enc, Reader::kTerminal);
}

std::string WindowText(std::string_view text, TextEncoding enc) {
  return Escaped(text, enc, Reader::kWindow);
}

ShownBytes::ShownBytes(std::string_view bytes, TextEncoding enc) : bytes_(bytes) {
  ForEachShownPiece(bytes, enc, Reader::kWindow,
                    [&](std::string_view shown, std::size_t, std::size_t len) {
                      shown_ += shown;
                      pieces_.push_back({shown.size(), len});
                    });
}

void ShownBytes::Edit(std::string_view shown) {
  // What stayed at the start and at the end; the rest was typed.
  std::size_t same = 0;
  const std::size_t most = std::min(shown.size(), shown_.size());
  while (same < most && shown[same] == shown_[same]) ++same;
  std::size_t sameEnd = 0;
  while (sameEnd < most - same &&
         shown[shown.size() - 1 - sameEnd] == shown_[shown_.size() - 1 - sameEnd]) {
    ++sameEnd;
  }
  // Whole pieces only: an escape the user changed any part of is taken as typed.
  std::size_t first = 0, firstShown = 0, firstBytes = 0;
  while (first < pieces_.size() && firstShown + pieces_[first].shown <= same) {
    firstShown += pieces_[first].shown;
    firstBytes += pieces_[first].bytes;
    ++first;
  }
  std::size_t last = pieces_.size(), lastShown = 0, lastBytes = 0;
  while (last > first && lastShown + pieces_[last - 1].shown <= sameEnd) {
    --last;
    lastShown += pieces_[last].shown;
    lastBytes += pieces_[last].bytes;
  }
  const std::string_view typed = shown.substr(firstShown, shown.size() - firstShown - lastShown);
  std::vector<Piece> pieces(pieces_.begin(), pieces_.begin() + static_cast<std::ptrdiff_t>(first));
  pieces.insert(pieces.end(), typed.size(), Piece{1, 1});
  pieces.insert(pieces.end(), pieces_.begin() + static_cast<std::ptrdiff_t>(last), pieces_.end());
  bytes_ =
      bytes_.substr(0, firstBytes) + std::string(typed) + bytes_.substr(bytes_.size() - lastBytes);
  shown_ = std::string(shown);
  pieces_ = std::move(pieces);
}

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  out.reserve(text.size() + 2);
  for (std::size_t pos = 0; pos < text.size();) {
    const auto byte = static_cast<unsigned char>(text[pos]);
    const std::size_t len = CharLength(text, pos, TextEncoding::kUtf8);
    char code[7];
    if (byte == '"' || byte == '\\') {
      out += '\\';
      out += static_cast<char>(byte);
    } else if (byte == '\n') {
      out += "\\n";
    } else if (byte == '\r') {
      out += "\\r";
    } else if (byte == '\t') {
      out += "\\t";
    } else if (byte < 0x20 || byte == 0x7F) {
      std::snprintf(code, sizeof code, "\\u%04x", byte);
      out += code;
    } else if (byte >= 0x80 && len == 1) {
      out += "\\ufffd";  // no valid UTF-8
    } else if (IsC1Control(text, pos, len)) {
      std::snprintf(code, sizeof code, "\\u%04x", static_cast<unsigned char>(text[pos + 1]));
      out += code;
    } else if (IsDirectionControl(text, pos, len)) {
      // The code point of the three bytes 1110xxxx 10xxxxxx 10xxxxxx.
      const unsigned point = ((static_cast<unsigned char>(text[pos]) & 0x0Fu) << 12) |
                             ((static_cast<unsigned char>(text[pos + 1]) & 0x3Fu) << 6) |
                             (static_cast<unsigned char>(text[pos + 2]) & 0x3Fu);
      std::snprintf(code, sizeof code, "\\u%04x", point);
      out += code;
    } else {
      out.append(text.substr(pos, len));
    }
    pos += len;
  }
  return out + "\"";
}

}  // namespace tavrin

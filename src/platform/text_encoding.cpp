#include "platform/text_encoding.h"

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

// The escaping of EscapeControls; `forPeople` keeps line feeds and backslashes.
std::string Escaped(std::string_view text, TextEncoding enc, bool forPeople) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) {
    const auto byte = static_cast<unsigned char>(text[pos]);
    const std::size_t len = CharLength(text, pos, enc);
    if (forPeople && (byte == '\\' || byte == '\n')) {
      out += static_cast<char>(byte);
    } else if (byte == '\\') {
      out += "\\\\";
    } else if (byte == '\t') {
      out += "\\t";
    } else if (byte == '\n') {
      out += "\\n";
    } else if (byte == '\r') {
      out += "\\r";
    } else if (byte < 0x20 || byte == 0x7F) {
      AppendByteEscape(out, byte);
    } else if (enc == TextEncoding::kUtf8 && byte >= 0x80 &&
               (len == 1 || IsC1Control(text, pos, len))) {
      for (std::size_t i = 0; i < len; ++i) {
        AppendByteEscape(out, static_cast<unsigned char>(text[pos + i]));
      }
    } else {
      out.append(text.substr(pos, len));
    }
    pos += len;
  }
  return out;
}

}  // namespace

std::string EscapeControls(std::string_view text, TextEncoding enc) {
  return Escaped(text, enc, /*forPeople=*/false);
}

std::string TerminalText(std::string_view text, TextEncoding enc) {
  return Escaped(text, enc, /*forPeople=*/true);
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
    } else {
      out.append(text.substr(pos, len));
    }
    pos += len;
  }
  return out + "\"";
}

}  // namespace tavrin

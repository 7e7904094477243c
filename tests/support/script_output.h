#pragma once

// What a script reads from the program's output: fields unescaped, JSON parsed back.
#include <cctype>
#include <cstdint>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace tavrin::testing {

// Undoes the escapes of the program's listings and messages: "\\", "\t", "\n", "\r"
// and "\xHH". Throws on any other backslash sequence.
inline std::string Unescaped(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      out += text[i];
      continue;
    }
    if (++i >= text.size()) throw std::runtime_error("backslash at the end");
    switch (text[i]) {
      case '\\':
        out += '\\';
        break;
      case 't':
        out += '\t';
        break;
      case 'n':
        out += '\n';
        break;
      case 'r':
        out += '\r';
        break;
      case 'x':
        if (i + 2 >= text.size() || !std::isxdigit(static_cast<unsigned char>(text[i + 1])) ||
            !std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
          throw std::runtime_error("bad \\x escape");
        }
        out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
        i += 2;
        break;
      default:
        throw std::runtime_error(std::string("unknown escape \\") + text[i]);
    }
  }
  return out;
}

// `text` split at every `separator`: n separators give n + 1 parts.
inline std::vector<std::string> SplitAt(const std::string& text, char separator) {
  std::vector<std::string> parts{""};
  for (const char c : text) {
    if (c == separator) {
      parts.emplace_back();
    } else {
      parts.back() += c;
    }
  }
  return parts;
}

// The lines of output that ends each line with a line feed.
inline std::vector<std::string> Lines(std::string text) {
  if (text.empty()) return {};
  if (text.back() == '\n') text.pop_back();
  return SplitAt(text, '\n');
}

// A JSON value as a strict reader (RFC 8259) gives it back: strings decoded to UTF-8,
// numbers as written. Throws std::runtime_error on anything that is not valid JSON,
// including text that is not valid UTF-8 and control characters inside strings.
struct Json {
  enum Kind { kNull, kBool, kNumber, kString, kArray, kObject } kind = kNull;
  bool boolean = false;
  std::string text;  // a string's value, or a number as written
  std::vector<Json> items;
  std::map<std::string, Json> members;

  const Json& operator[](const std::string& key) const {
    const auto it = members.find(key);
    if (kind != kObject || it == members.end()) throw std::runtime_error("no member " + key);
    return it->second;
  }

  static Json Parse(const std::string& source) {
    Reader reader{source};
    Json value = reader.Value();
    reader.Blanks();
    if (reader.pos != source.size()) reader.Fail("text after the value");
    return value;
  }

 private:
  struct Reader {
    const std::string& s;
    std::size_t pos = 0;

    [[noreturn]] void Fail(const std::string& why) const {
      throw std::runtime_error(why + " at byte " + std::to_string(pos));
    }
    void Blanks() {
      while (pos < s.size() &&
             (s[pos] == ' ' || s[pos] == '\t' || s[pos] == '\n' || s[pos] == '\r'))
        ++pos;
    }
    bool Take(char c) {
      Blanks();
      if (pos < s.size() && s[pos] == c) return ++pos, true;
      return false;
    }
    void Expect(char c) {
      if (!Take(c)) Fail(std::string("expected ") + c);
    }
    bool Word(const char* word) {
      const std::string w(word);
      if (s.compare(pos, w.size(), w) != 0) return false;
      pos += w.size();
      return true;
    }
    Json Value() {
      Blanks();
      Json v;
      if (pos >= s.size()) Fail("no value");
      if (Take('{')) {
        v.kind = kObject;
        if (Take('}')) return v;
        do {
          Blanks();
          const std::string key = String();
          Expect(':');
          v.members[key] = Value();
        } while (Take(','));
        Expect('}');
      } else if (Take('[')) {
        v.kind = kArray;
        if (Take(']')) return v;
        do v.items.push_back(Value());
        while (Take(','));
        Expect(']');
      } else if (s[pos] == '"') {
        v.kind = kString;
        v.text = String();
      } else if (Word("true") || Word("false")) {
        v.kind = kBool;
        v.boolean = s[pos - 1] == 'e' && s[pos - 2] == 'u';
      } else if (Word("null")) {
        v.kind = kNull;
      } else {
        const std::size_t start = pos;
        if (s[pos] == '-') ++pos;
        if (pos >= s.size() || !std::isdigit(static_cast<unsigned char>(s[pos]))) Fail("bad value");
        if (s[pos] == '0' && pos + 1 < s.size() &&
            std::isdigit(static_cast<unsigned char>(s[pos + 1])))
          Fail("leading zero");
        while (pos < s.size() && std::isdigit(static_cast<unsigned char>(s[pos]))) ++pos;
        v.kind = kNumber;
        v.text = s.substr(start, pos - start);
      }
      return v;
    }
    static void Append(std::string& out, uint32_t code) {
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
    uint32_t Hex4() {
      if (pos + 4 > s.size()) Fail("short \\u escape");
      const std::string digits = s.substr(pos, 4);
      for (const char c : digits) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) Fail("bad \\u escape");
      }
      pos += 4;
      return static_cast<uint32_t>(std::stoul(digits, nullptr, 16));
    }
    // Length of the valid UTF-8 sequence at pos, or 0.
    std::size_t Utf8Length() const {
      const auto b = [&](std::size_t i) {
        return i < s.size() ? static_cast<unsigned char>(s[i]) : 0u;
      };
      const unsigned lead = b(pos);
      std::size_t len = 0;
      unsigned low = 0x80, high = 0xBF;
      if (lead >= 0xC2 && lead <= 0xDF)
        len = 2;
      else if (lead >= 0xE0 && lead <= 0xEF)
        len = 3, low = lead == 0xE0 ? 0xA0 : low, high = lead == 0xED ? 0x9F : high;
      else if (lead >= 0xF0 && lead <= 0xF4)
        len = 4, low = lead == 0xF0 ? 0x90 : low, high = lead == 0xF4 ? 0x8F : high;
      else
        return 0;
      if (b(pos + 1) < low || b(pos + 1) > high) return 0;
      for (std::size_t i = 2; i < len; ++i) {
        if ((b(pos + i) & 0xC0) != 0x80) return 0;
      }
      return len;
    }
    std::string String() {
      if (pos >= s.size() || s[pos] != '"') Fail("expected a string");
      ++pos;
      std::string out;
      for (;;) {
        if (pos >= s.size()) Fail("unclosed string");
        const auto c = static_cast<unsigned char>(s[pos]);
        if (c == '"') return ++pos, out;
        if (c < 0x20) Fail("control character in a string");
        if (c >= 0x80) {
          const std::size_t len = Utf8Length();
          if (len == 0) Fail("invalid UTF-8");
          out += s.substr(pos, len);
          pos += len;
          continue;
        }
        ++pos;
        if (c != '\\') {
          out += static_cast<char>(c);
          continue;
        }
        if (pos >= s.size()) Fail("unclosed escape");
        const char e = s[pos++];
        const std::string simple = "\"\\/bfnrt";
        const std::string meant = "\"\\/\b\f\n\r\t";
        if (const auto at = simple.find(e); at != std::string::npos) {
          out += meant[at];
        } else if (e == 'u') {
          uint32_t code = Hex4();
          if (code >= 0xD800 && code <= 0xDBFF) {
            if (!Word("\\u")) Fail("lone surrogate");
            const uint32_t low = Hex4();
            if (low < 0xDC00 || low > 0xDFFF) Fail("lone surrogate");
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
          } else if (code >= 0xDC00 && code <= 0xDFFF) {
            Fail("lone surrogate");
          }
          Append(out, code);
        } else {
          Fail("bad escape");
        }
      }
    }
  };
};

}  // namespace tavrin::testing

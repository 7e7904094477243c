#pragma once

// What a script reads from the program's output: lines, fields unescaped, JSON parsed back.
#include <algorithm>
#include <cstdint>
#include <map>
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
    const char next = i + 1 < text.size() ? text[++i] : '\0';
    if (const auto at = std::string("\\tnr").find(next); at != std::string::npos) {
      out += "\\\t\n\r"[at];
    } else if (next == 'x' && i + 2 < text.size() &&
               text.find_first_not_of("0123456789abcdefABCDEF", i + 1) > i + 2) {
      out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      throw std::runtime_error("bad escape at byte " + std::to_string(i));
    }
  }
  return out;
}

// The lines of output that ends each line with a line feed.
inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    lines.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  return lines;
}

// A JSON value as a strict reader (RFC 8259) gives it back: strings decoded to UTF-8,
// numbers (integers, all the program writes) as written. Throws std::runtime_error on
// anything that is not valid JSON, including text that is not valid UTF-8 and control
// characters inside strings.
struct Json {
  bool boolean = false;
  std::string text;  // a string's value, or a number as written
  std::vector<Json> items;
  std::map<std::string, Json> members;

  const Json& operator[](const std::string& key) const {
    const auto it = members.find(key);
    if (it == members.end()) throw std::runtime_error("no member " + key);
    return it->second;
  }
  static Json Parse(const std::string& source) {
    Reader reader{source};
    Json value = reader.Value();
    if (reader.Take("")) reader.Fail("text after the value");
    return value;
  }

 private:
  struct Reader {
    const std::string& s;
    std::size_t pos = 0;

    [[noreturn]] void Fail(const std::string& why) const {
      throw std::runtime_error(why + " at byte " + std::to_string(pos));
    }
    unsigned Byte(std::size_t at) const {
      return at < s.size() ? static_cast<unsigned char>(s[at]) : 0x100;
    }
    // Skips blanks, then takes `word` if it comes next; "" is taken where text is left.
    bool Take(const std::string& word) {
      while (pos < s.size() && std::string(" \t\n\r").find(s[pos]) != std::string::npos) ++pos;
      if (s.compare(pos, word.size(), word) != 0 || (word.empty() && pos == s.size())) return false;
      pos += word.size();
      return true;
    }
    void Expect(const char* word) {
      if (!Take(word)) Fail(std::string("expected ") + word);
    }
    Json Value() {
      Json v;
      if (Take("{")) {
        if (Take("}")) return v;
        do {
          Take("");
          const std::string key = String();
          Expect(":");
          v.members[key] = Value();
        } while (Take(","));
        Expect("}");
      } else if (Take("[")) {
        if (Take("]")) return v;
        do v.items.push_back(Value());
        while (Take(","));
        Expect("]");
      } else if (Byte(pos) == '"') {
        v.text = String();
      } else if (Take("true") || Take("false")) {
        v.boolean = s[pos - 1] == 'e' && s[pos - 2] == 'u';
      } else if (!Take("null")) {
        const std::size_t start = pos;
        if (Byte(pos) == '-') ++pos;
        if (Byte(pos) < '0' || Byte(pos) > '9') Fail("bad value");
        while (Byte(pos) >= '0' && Byte(pos) <= '9') ++pos;
        v.text = s.substr(start, pos - start);
        if (v.text.size() > 1 && v.text[v.text[0] == '-'] == '0') Fail("leading zero");
      }
      return v;
    }
    uint32_t Hex4() {
      const std::string digits = s.substr(pos, 4);
      if (digits.size() != 4 || digits.find_first_not_of("0123456789abcdefABCDEF") != digits.npos) {
        Fail("bad \\u escape");
      }
      pos += 4;
      return static_cast<uint32_t>(std::stoul(digits, nullptr, 16));
    }
    // Length of the valid UTF-8 sequence at pos (no overlong form, no surrogate, nothing
    // above U+10FFFF), or 0.
    std::size_t Utf8Length() const {
      const unsigned lead = Byte(pos);
      const std::size_t len = lead < 0x80   ? 1
                              : lead < 0xC2 ? 0
                              : lead < 0xE0 ? 2
                              : lead < 0xF0 ? 3
                              : lead < 0xF5 ? 4
                                            : 0;
      const unsigned low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
      const unsigned high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
      if (len > 1 && (Byte(pos + 1) < low || Byte(pos + 1) > high)) return 0;
      for (std::size_t i = 2; i < len; ++i) {
        if ((Byte(pos + i) & 0xC0) != 0x80) return 0;
      }
      return len;
    }
    std::string String() {
      if (Byte(pos++) != '"') Fail("expected a string");
      std::string out;
      for (;;) {
        const unsigned c = Byte(pos);
        if (c == 0x100) Fail("unclosed string");
        if (c == '"') return ++pos, out;
        if (c < 0x20) Fail("control character in a string");
        const std::size_t len = Utf8Length();
        if (len == 0) Fail("invalid UTF-8");
        if (c != '\\') {
          out += s.substr(pos, len);
          pos += len;
          continue;
        }
        const auto at = std::string("\"\\/bfnrt").find(static_cast<char>(Byte(++pos)));
        if (Byte(pos++) != 'u') {
          if (at == std::string::npos) Fail("bad escape");
          out += "\"\\/\b\f\n\r\t"[at];
          continue;
        }
        uint32_t code = Hex4();
        if (code >= 0xD800 && code <= 0xDBFF && s.compare(pos, 2, "\\u") == 0) {
          pos += 2;
          const uint32_t low = Hex4();
          if (low < 0xDC00 || low > 0xDFFF) Fail("lone surrogate");
          code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        } else if (code >= 0xD800 && code <= 0xDFFF) {
          Fail("lone surrogate");
        }
        // As UTF-8: a lead byte that counts the bytes, then six bits a byte.
        const int tail = code < 0x80 ? 0 : code < 0x800 ? 1 : code < 0x10000 ? 2 : 3;
        out += static_cast<char>(
            tail == 0 ? code : ((0xFF00 >> (tail + 1)) & 0xFF) | (code >> (6 * tail)));
        for (int k = tail - 1; k >= 0; --k)
          out += static_cast<char>(0x80 | ((code >> (6 * k)) & 0x3F));
      }
    }
  };
};

}  // namespace tavrin::testing

// Escapes that make a collection's texts safe for a script and a terminal, and JSON
// strings that stay valid JSON whatever the bytes.
#include "platform/text_encoding.h"

#include <gtest/gtest.h>

#include <random>

#include "script_output.h"

namespace tavrin {
namespace {

using testing::Json;
using testing::Unescaped;
constexpr auto kUtf8 = TextEncoding::kUtf8;
constexpr auto kSingle = TextEncoding::kSingleByte;

// Random texts of any bytes, weighted towards the ones that need care.
std::vector<std::string> RandomTexts() {
  std::mt19937 random(20240611);
  const std::string pieces[] = {"\\",
                                "\t",
                                "\n",
                                "\r",
                                "\x1b[2J",
                                "\x7f",
                                "\xc2\x9b",
                                "\xc2\xa0",
                                "\xff",
                                "\xe2\x82",
                                "\xe2\x82\xac",
                                "\xf0\x9f\x98\x80",
                                "\"",
                                std::string(1, '\0'),
                                "a",
                                " "};
  std::vector<std::string> texts;
  for (int n = 0; n < 500; ++n) {
    std::string text;
    const int length = static_cast<int>(random() % 12);
    for (int i = 0; i < length; ++i) {
      text += random() % 3 == 0 ? std::string(1, static_cast<char>(random() % 256))
                                : pieces[random() % std::size(pieces)];
    }
    texts.push_back(text);
  }
  return texts;
}

TEST(EscapeControls, WritesControlCharactersAsEscapesAndKeepsTheRest) {
  const struct {
    const char* name;
    std::string text;
    TextEncoding enc;
    std::string escaped;
  } cases[] = {
      {"plain text", "Notes 1.txt", kUtf8, "Notes 1.txt"},
      {"backslash", "c:\\x\\a.exe", kUtf8, "c:\\\\x\\\\a.exe"},
      {"tab, line feed, carriage return", "a\tb\nc\r", kUtf8, "a\\tb\\nc\\r"},
      {"escape sequence", "\x1b[31mred", kUtf8, "\\x1b[31mred"},
      {"NUL and DEL", std::string("a\0b\x7f", 4), kUtf8, "a\\x00b\\x7f"},
      {"letters of other scripts", "caf\xc3\xa9 \xe6\x97\xa5", kUtf8, "caf\xc3\xa9 \xe6\x97\xa5"},
      {"C1 control in UTF-8",
       "\xc2\x9b"
       "2J",
       kUtf8, "\\xc2\\x9b2J"},
      {"no valid UTF-8", "a\xff\xe2\x82z", kUtf8, "a\\xff\\xe2\\x82z"},
      {"single-byte code page keeps high bytes", "\x9b\xe9", kSingle, "\x9b\xe9"},
      {"single-byte code page escapes C0", "a\tb\x1b", kSingle, "a\\tb\\x1b"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(EscapeControls(c.text, c.enc), c.escaped);
  }
}

// Whatever the bytes: one line without a tab or any other control character, valid
// UTF-8, and the original comes back from the escapes.
TEST(EscapeControls, AnyBytesGiveOneSafeLineThatUnescapesToThem) {
  for (const auto& text : RandomTexts()) {
    const std::string escaped = EscapeControls(text, kUtf8);
    for (const char c : escaped) {
      const auto byte = static_cast<unsigned char>(c);
      ASSERT_TRUE(byte >= 0x20 && byte != 0x7F) << escaped;
    }
    for (std::size_t pos = 0; pos < escaped.size();) {
      const std::size_t len = CharLength(escaped, pos, kUtf8);
      const auto lead = static_cast<unsigned char>(escaped[pos]);
      ASSERT_FALSE(len == 1 && lead >= 0x80) << escaped;  // no invalid UTF-8
      ASSERT_FALSE(len == 2 && lead == 0xC2 && static_cast<unsigned char>(escaped[pos + 1]) < 0xA0)
          << escaped;  // no C1 control
      pos += len;
    }
    EXPECT_EQ(Unescaped(escaped), text);
  }
}

// Text for people on a terminal keeps its lines and backslashes; no other control
// character gets through, whatever the bytes.
TEST(TerminalText, KeepsLinesAndBackslashesAndEscapesEveryOtherControl) {
  EXPECT_EQ(TerminalText("C:\\x\\a.exe\n\nFile Not Found", kUtf8),
            "C:\\x\\a.exe\n\nFile Not Found");
  EXPECT_EQ(TerminalText("a\tb\r\x1b]0;t\x07\xc2\x9b\xff", kUtf8),
            "a\\tb\\r\\x1b]0;t\\x07\\xc2\\x9b\\xff");
  EXPECT_EQ(TerminalText("\x9b\xe9\x1b", kSingle), "\x9b\xe9\\x1b");
  for (const auto& text : RandomTexts()) {
    for (const char c : TerminalText(text, kUtf8)) {
      const auto byte = static_cast<unsigned char>(c);
      ASSERT_TRUE((byte >= 0x20 && byte != 0x7F) || byte == '\n') << EscapeControls(text);
    }
  }
}

TEST(JsonString, EscapesAndStaysValidJsonWhateverTheBytes) {
  const struct {
    const char* name;
    std::string text;
    std::string json;
    std::string readBack;
  } cases[] = {
      {"plain", "Notes", "\"Notes\"", "Notes"},
      {"quotes and backslashes", "say \"hi\" c:\\x", "\"say \\\"hi\\\" c:\\\\x\"",
       "say \"hi\" c:\\x"},
      {"controls", std::string("\t\n\r\x1b\0\x7f", 6), "\"\\t\\n\\r\\u001b\\u0000\\u007f\"",
       std::string("\t\n\r\x1b\0\x7f", 6)},
      {"UTF-8 as it stands", "caf\xc3\xa9 \xf0\x9f\x98\x80", "\"caf\xc3\xa9 \xf0\x9f\x98\x80\"",
       "caf\xc3\xa9 \xf0\x9f\x98\x80"},
      {"C1 control", "\xc2\x9b", "\"\\u009b\"", "\xc2\x9b"},
      {"invalid bytes become U+FFFD", "a\xff\xe2\x82z", "\"a\\ufffd\\ufffd\\ufffdz\"",
       "a\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbdz"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(JsonString(c.text), c.json);
    EXPECT_EQ(Json::Parse(JsonString(c.text)).text, c.readBack);
  }
  for (const auto& text : RandomTexts()) {
    const std::string json = JsonString(text);
    EXPECT_NO_THROW(Json::Parse(json)) << EscapeControls(json);
  }
}

}  // namespace
}  // namespace tavrin

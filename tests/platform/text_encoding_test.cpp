// Escapes that make a collection's texts safe for a script and a terminal, JSON strings
// that stay valid JSON whatever the bytes, and boxes where nobody can answer them: written
// to standard error, whole, and answered as a person who wants nothing changed would.
#include "platform/text_encoding.h"

#include <gtest/gtest.h>

#include <random>

#include "platform/toolkit.h"
#include "script_output.h"

namespace tavrin {
namespace {

using testing::Unescaped;
constexpr auto kUtf8 = TextEncoding::kUtf8;
constexpr auto kSingle = TextEncoding::kSingleByte;

// Random texts of any bytes, weighted towards the ones that need care.
std::vector<std::string> RandomTexts() {
  std::mt19937 random(20240611);
  const std::string pieces[] = {"\\",      "\t",       "\n",       "\r",
                                "\x1b[2J", "\xc2\x9b", "\xe2\x82", "\xe2\x80\xae",
                                "\"",      "\xff",     " ",        std::string(1, '\0')};
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

// Whether `text` is valid UTF-8 without a C0 control or DEL (nor, with `noC1`, a C1 control).
::testing::AssertionResult SafeUtf8(const std::string& text, bool noC1) {
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t len = CharLength(text, pos, kUtf8);
    const auto lead = static_cast<unsigned char>(text[pos]);
    const auto next = static_cast<unsigned char>(pos + 1 < text.size() ? text[pos + 1] : 0);
    if ((len == 1 && (lead < 0x20 || lead >= 0x7F)) ||
        (noC1 && len == 2 && lead == 0xC2 && next < 0xA0)) {
      return ::testing::AssertionFailure() << "at byte " << pos << " of " << EscapeControls(text);
    }
    pos += len;
  }
  return ::testing::AssertionSuccess();
}

TEST(EscapeControls, WritesControlCharactersAsEscapesAndKeepsTheRest) {
  const struct {
    const char* name;
    std::string text;
    TextEncoding enc;
    std::string escaped;
  } cases[] = {
      {"backslash", "c:\\x\\a.exe", kUtf8, "c:\\\\x\\\\a.exe"},
      {"tab, line feed, carriage return", "a\tb\nc\r", kUtf8, "a\\tb\\nc\\r"},
      {"NUL and DEL", std::string("a\0b\x7f", 4), kUtf8, "a\\x00b\\x7f"},
      {"C1 control in UTF-8",
       "\xc2\x9b"
       "2J",
       kUtf8, "\\xc2\\x9b2J"},
      {"no valid UTF-8", "a\xff\xe2\x82z", kUtf8, "a\\xff\\xe2\\x82z"},
      {"every direction control and separator",
       "\xe2\x80\x8e\xe2\x80\x8f\xe2\x80\xa8\xe2\x80\xa9\xe2\x80\xaa\xe2\x81\xa6\xe2\x81\xa9",
       kUtf8,
       "\\xe2\\x80\\x8e\\xe2\\x80\\x8f\\xe2\\x80\\xa8\\xe2\\x80\\xa9\\xe2\\x80\\xaa"
       "\\xe2\\x81\\xa6\\xe2\\x81\\xa9"},
      {"their neighbours stay", "\xe2\x80\x8d\xe2\x80\xaf\xe2\x81\xa5\xe2\x81\xaa\xe2\x80\x94",
       kUtf8, "\xe2\x80\x8d\xe2\x80\xaf\xe2\x81\xa5\xe2\x81\xaa\xe2\x80\x94"},
      {"single-byte code page keeps high bytes", "\x9b\xe9", kSingle, "\x9b\xe9"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(EscapeControls(c.text, c.enc), c.escaped);
  }
  // Text for people on a terminal keeps its lines and backslashes; text for a window
  // also leaves the bytes that are no UTF-8 to the window, which shows them whole.
  EXPECT_EQ(TerminalText("C:\\x\\a.exe\n\nFile Not Found", kUtf8),
            "C:\\x\\a.exe\n\nFile Not Found");
  EXPECT_EQ(TerminalText("a\tb\r\x1b]0;t\x07\xc2\x9b\xff", kUtf8),
            "a\\tb\\r\\x1b]0;t\\x07\\xc2\\x9b\\xff");
  EXPECT_EQ(WindowText("C:\\x\\a.exe\n\nreport\xe2\x80\xae"
                       "fdp.sh\t\x1b\xc2\x9b",
                       kUtf8),
            "C:\\x\\a.exe\n\nreport\\xe2\\x80\\xaefdp.sh\\t\\x1b\\xc2\\x9b");
  EXPECT_EQ(WindowText("caf\xe9 \xff\xe2\x80", kUtf8), "caf\xe9 \xff\xe2\x80");
}

// Bytes become UTF-16 for a toolkit and come back unchanged: valid UTF-8 as its
// characters, every other byte as U+DC80 to U+DCFF, also when the characters around it
// were edited. A surrogate that no byte gave (pasted from elsewhere) becomes U+FFFD,
// never a byte of its own.
TEST(Utf16OfBytes, CarriesEveryByteThatIsNoUtf8AsALoneSurrogate) {
  const struct {
    const char* name;
    std::string bytes;
    std::u16string shown;
  } cases[] = {
      {"letters of other scripts", "caf\xc3\xa9 \xe6\x97\xa5", u"caf\u00e9 \u65e5"},
      {"Latin-1", "p\xe9", u"p\xdce9"},
      {"an encoded surrogate", "\xed\xa0\x80", u"\xdced\xdca0\xdc80"},
      {"NUL", std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Utf16OfBytes(c.bytes), c.shown);
    EXPECT_EQ(BytesOfUtf16(c.shown), c.bytes);
  }
  EXPECT_EQ(BytesOfUtf16(u"\u00e9" + Utf16OfBytes("p\xe9") + u"x"), "\xc3\xa9p\xe9x");
  EXPECT_EQ(BytesOfUtf16(u"a\xd800"
                         u"b\xdc41"),
            "a\xef\xbf\xbd"
            "b\xef\xbf\xbd");
}

TEST(JsonString, EscapesWhatJsonMustAndGivesValidUtf8) {
  const struct {
    const char* name;
    std::string text;
    std::string json;
  } cases[] = {
      {"quotes and backslashes", "say \"hi\" c:\\x", "\"say \\\"hi\\\" c:\\\\x\""},
      {"controls", std::string("\t\n\r\x1b\0\x7f", 6), "\"\\t\\n\\r\\u001b\\u0000\\u007f\""},
      {"direction controls and separators", "a\xe2\x80\xae\xe2\x81\xa6\xe2\x80\xa8",
       "\"a\\u202e\\u2066\\u2028\""},
      {"invalid bytes become U+FFFD", "a\xff\xe2\x82z", "\"a\\ufffd\\ufffd\\ufffdz\""},
      {"other scripts stay", "caf\xc3\xa9 \xe6\x97\xa5", "\"caf\xc3\xa9 \xe6\x97\xa5\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(JsonString(c.text), c.json);
  }
}

// Whatever the bytes: the escapes give one line without a tab or any other control
// character, valid UTF-8, and the original comes back from them; text for a terminal
// keeps only its line feeds; JSON is valid UTF-8 without controls; UTF-16 carries the bytes there
// and back.
TEST(EscapeControls, AnyBytesGiveSafeTextThatComesBackWhole) {
  for (const auto& text : RandomTexts()) {
    EXPECT_EQ(BytesOfUtf16(Utf16OfBytes(text)), text) << EscapeControls(text);
    ASSERT_TRUE(SafeUtf8(JsonString(text), false));
    for (const char c : TerminalText(text, kUtf8)) {
      const auto byte = static_cast<unsigned char>(c);
      ASSERT_TRUE((byte >= 0x20 && byte != 0x7F) || byte == '\n') << EscapeControls(text);
    }
    const std::string escaped = EscapeControls(text, kUtf8);
    ASSERT_TRUE(SafeUtf8(escaped, true));
    ASSERT_EQ(escaped.find("\xe2\x80\xae"), std::string::npos) << escaped;  // no direction control
    EXPECT_EQ(Unescaped(escaped), text);
  }
}

// A box's text from a shared collection cannot retitle the terminal, write its clipboard,
// colour the output or go back over a line: control characters are written as escapes,
// while its line breaks, backslashes and other characters stay as they are.
TEST(StderrToolkit, WritesEveryBoxWholeAndAnswersNoToQuestions) {
  StderrToolkit toolkit;
  const std::string withNul("gone\0tail\n\nFile Not Found", 25);
  const std::string name =
      "\x1b]0;owned\x07\x1b]52;c;ZWNobyBoaQ==\x07\x1b[31mred\x1b[0m\rC:\\Tools\\caf\xc3\xa9\tx";
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(toolkit.MsgBox(withNul, kStyleCriticalOk, "The Tavrin - Error:"), kAnswerOk);
  EXPECT_EQ(toolkit.MsgBox("old.tavrin\n\nReplace it?", kStyleQuestionYesNo + kStyleDefaultButton2,
                           "The Tavrin - Question:"),
            kAnswerNo);
  EXPECT_EQ(toolkit.MsgBox("x", kStyleQuestionYesNoCancel, "The Tavrin - Registry Option..."),
            kAnswerNo);
  toolkit.MsgBox(name + "\n\nFile Not Found", kStyleCriticalOk, "The Tavrin - Error:");
  std::string err = ::testing::internal::GetCapturedStderr();
  // Where standard error is a text stream (Windows) its line ends may be CR LF.
  for (auto at = err.find("\r\n"); at != std::string::npos; at = err.find("\r\n", at)) {
    err.erase(at, 1);
  }
  EXPECT_EQ(err,
            "The Tavrin - Error:\ngone\\x00tail\n\nFile Not Found\n"
            "The Tavrin - Question:\nold.tavrin\n\nReplace it?\n"
            "The Tavrin - Registry Option...\nx\n"
            "The Tavrin - Error:\n"
            "\\x1b]0;owned\\x07\\x1b]52;c;ZWNobyBoaQ==\\x07\\x1b[31mred\\x1b[0m\\rC:"
            "\\Tools\\caf\xc3\xa9\\tx"
            "\n\nFile Not Found\n");
}

}  // namespace
}  // namespace tavrin

// Escapes that make a collection's texts safe for a script and a terminal, JSON strings
// that stay valid JSON whatever the bytes, and boxes where nobody can answer them: written
// to standard error, whole, and answered as a person who wants nothing changed would.
#include "platform/text_encoding.h"

#include <gtest/gtest.h>

#include "platform/toolkit.h"

namespace tavrin {
namespace {

constexpr auto kUtf8 = TextEncoding::kUtf8;
constexpr auto kSingle = TextEncoding::kSingleByte;

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
  // A line for a person keeps a Windows path as it can be pasted, and nothing more.
  EXPECT_EQ(LineText("C:\\colls\\a\n\x1b.tavrin", kSingle, true), "C:\\colls\\a\\n\\x1b.tavrin");
  EXPECT_EQ(LineText("/a\\b\n", kUtf8, false), "/a\\\\b\\n");
}

// A backslash that would read as the start of an escape is shown escaped, so that no two
// texts look alike in a window; any other stays, so that a path stays readable.
TEST(WindowText, EscapesABackslashOnlyWhereItWouldReadAsAnEscape) {
  const struct {
    const char* name;
    std::string text;
    std::string shown;
  } cases[] = {
      {"a path", "C:\\Program Files\\a.exe", "C:\\Program Files\\a.exe"},
      {"the text of an escape", "\\xe2\\x80\\xae", "\\\\xe2\\\\x80\\\\xae"},
      {"the character it stands for", "\xe2\x80\xae", "\\xe2\\x80\\xae"},
      {"the text of a tab", "a\\tb", "a\\\\tb"},
      {"before an escaped tab", "a\\\tb", "a\\\\\\tb"},
      {"two backslashes", "a\\\\b", "a\\\\\\b"},
      {"x without two hex digits", "\\x1 \\xg1", "\\x1 \\xg1"},
      {"at the end", "a\\", "a\\"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(WindowText(c.text, kUtf8), c.shown);
    EXPECT_EQ(TerminalText(c.text, kUtf8), c.shown);
  }
}

// A box shows a text escaped and the user edits it: what was typed is taken as typed, and
// every byte the user left is kept, not the escape it was shown as.
TEST(ShownBytes, KeepsTheBytesOfWhatWasNotEditedAndTakesWhatWasTyped) {
  const struct {
    const char* name;
    std::string bytes;
    std::string edited;  // the box's text after the edit
    std::string saved;
  } cases[] = {
      {"appended to a tab", "tab\there", "tab\\there!", "tab\there!"},
      {"appended to an ESC", "esc\033y", "esc\\x1by!", "esc\033y!"},
      {"typed before a direction control",
       "a\xe2\x80\xae"
       "b",
       "Za\\xe2\\x80\\xaeb",
       "Za\xe2\x80\xae"
       "b"},
      {"an escape typed is text", "a", "a\\t", "a\\t"},
      {"an escape cut short is what is left of it", "esc\033y", "esc\\x1y", "esc\\x1y"},
      {"an escape deleted whole", "a\tb", "ab", "ab"},
      {"a byte that is no UTF-8 stays", "p\xe9\t", "p\xe9\\t.", "p\xe9\t."},
      {"all replaced", "\t\t", "x", "x"},
      {"nothing changed", "\x1b\\x1b", "\\x1b\\\\x1b", "\x1b\\x1b"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ShownBytes box(c.bytes, kUtf8);
    EXPECT_EQ(box.Shown(), WindowText(c.bytes, kUtf8));
    box.Edit(c.edited);
    EXPECT_EQ(box.Bytes(), c.saved);
    EXPECT_EQ(box.Shown(), c.edited);
  }
  // Edits one after another, as keys are typed.
  ShownBytes box("\x1b", kUtf8);
  for (const char* step : {"\\x1b!", "\\x1b!!", "\\x1b!", "x\\x1b!"}) box.Edit(step);
  EXPECT_EQ(box.Bytes(), "x\x1b!");
}

// Bytes become UTF-16 for a toolkit and come back unchanged: valid UTF-8 as characters,
// every other byte as U+DC80 to U+DCFF, also beside edited text. A surrogate that no byte
// gave (pasted from elsewhere) becomes U+FFFD, never a byte of its own.
TEST(Utf16OfBytes, CarriesEveryByteThatIsNoUtf8AsALoneSurrogate) {
  const struct {
    const char* name;
    std::string bytes;
    std::u16string shown;
  } cases[] = {
      {"letters of other scripts", "caf\xc3\xa9 \xe6\x97\xa5", u"caf\u00e9 \u65e5"},
      {"Latin-1", "p\xe9", u"p\xdce9"},
      {"an encoded surrogate", "\xed\xa0\x80", u"\xdced\xdca0\xdc80"},
      {"overlong slashes", "\xe0\x80\xaf\xf0\x80\x80\xaf",
       u"\xdce0\xdc80\xdcaf\xdcf0\xdc80\xdc80\xdcaf"},
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

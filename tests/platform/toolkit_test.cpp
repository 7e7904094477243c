// Boxes where nobody can answer them: written to standard error, whole, and answered
// as a person who wants nothing changed would.
#include "platform/toolkit.h"

#include <gtest/gtest.h>

#include <string>

namespace tavrin {
namespace {

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

// Boxes where nobody can answer them: written to standard error, whole, and answered
// as a person who wants nothing changed would.
#include "platform/toolkit.h"

#include <gtest/gtest.h>

#include <string>

namespace tavrin {
namespace {

TEST(StderrToolkit, WritesEveryBoxWholeAndAnswersNoToQuestions) {
  StderrToolkit toolkit;
  const std::string withNul("gone\0tail\n\nFile Not Found", 25);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(toolkit.MsgBox(withNul, kStyleCriticalOk, "The Tavrin - Error:"), kAnswerOk);
  EXPECT_EQ(toolkit.MsgBox("old.tavrin\n\nReplace it?", kStyleQuestionYesNo + kStyleDefaultButton2,
                           "The Tavrin - Question:"),
            kAnswerNo);
  EXPECT_EQ(toolkit.MsgBox("x", kStyleQuestionYesNoCancel, "The Tavrin - Registry Option..."),
            kAnswerNo);
  std::string err = ::testing::internal::GetCapturedStderr();
  // Where standard error is a text stream (Windows) its line ends may be CR LF.
  for (auto at = err.find("\r\n"); at != std::string::npos; at = err.find("\r\n", at)) {
    err.erase(at, 1);
  }
  EXPECT_EQ(err, "The Tavrin - Error:\n" + withNul +
                     "\n"
                     "The Tavrin - Question:\nold.tavrin\n\nReplace it?\n"
                     "The Tavrin - Registry Option...\nx\n");
}

}  // namespace
}  // namespace tavrin

#pragma once

#include <string>

namespace tavrin {

// Message-box styles the program uses (buttons plus icon, added together, and the
// default button where it is not the first).
enum MsgBoxStyle : int {
  kStyleCriticalOk = 16,
  kStyleQuestionYesNoCancel = 35,
  kStyleQuestionYesNo = 36,
  kStyleExclamationOk = 48,
  kStyleInformationOk = 64,
  kStyleDefaultButton2 = 0x100,  // the second button (No) is the default
};

// The button a message box was closed with.
enum MsgBoxAnswer : int {
  kAnswerOk = 1,
  kAnswerCancel = 2,
  kAnswerYes = 6,
  kAnswerNo = 7,
};

// What the logic needs of the window toolkit outside its own windows:
// modal message boxes, one pass over the pending window events, and a wait that serves
// them as they come.
class Toolkit {
 public:
  virtual ~Toolkit() = default;

  // Shows a modal box and returns the answer. Line breaks in `text` are single LFs.
  virtual int MsgBox(const std::string& text, int style, const std::string& caption) = 0;

  // Lets pending window events run once and returns at once.
  virtual void DoEvents() = 0;

  // Waits `ms` milliseconds, running each window event as soon as it comes (a click, a
  // paint, a screen reader's question) instead of sleeping through them. False, at once,
  // where there is no event loop to wait in: the caller then pauses by itself.
  virtual bool DoEventsFor(long ms) {
    (void)ms;
    return false;
  }
};

// A toolkit without windows: every box goes to standard error as its caption
// and its text; questions are answered No. Used where no display can be reached.
class StderrToolkit : public Toolkit {
 public:
  int MsgBox(const std::string& text, int style, const std::string& caption) override;
  void DoEvents() override {}
};

// The answer a box without a user gives: No for questions, OK otherwise.
int UnattendedAnswer(int style);

// Whether the environment asks for every box on standard error instead of a display
// (TAVRIN_BOXES_TO_STDERR=1): for scripts and set-ups with no one to answer.
bool BoxesToStderrAsked();

}  // namespace tavrin

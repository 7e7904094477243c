// Message boxes and the event pump on Qt: the GUI starts only when a box must be
// shown, and not at all without a display.
#include "platform/qt/qt_toolkit.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace tavrin {
namespace {

int argc = 1;
char name[] = "tavrin-test";
char* argv[] = {name, nullptr};

TEST(QtToolkit, BoxesGoToStandardErrorWithoutADisplayAndToQtWithOne) {
  int asked = 0;
  QtToolkit toolkit(argc, argv, [&asked] {
    ++asked;
    return false;  // no display
  });
  EXPECT_EQ(toolkit.MsgBox("a.exe\n\nFile Not Found", kStyleCriticalOk, "The Tavrin - Error:"),
            kAnswerOk);
  EXPECT_EQ(toolkit.MsgBox("old.tavrin\n\nUpgrade?", kStyleQuestionYesNo, "The Tavrin - Question:"),
            kAnswerNo);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(QCoreApplication::instance(), nullptr);
  // With a display, the application starts.
  QtToolkit shown(argc, argv, [] { return true; });
  ASSERT_NE(shown.EnsureApplication(), nullptr);
  // Each box shows its caption, its text and a question's default (a box of one button
  // needs none), answered with `click`. A direction control shows escaped.
  using Box = QMessageBox;
  const std::string reversed =
      "report\xe2\x80\xae"
      "fdp.sh\n\nFile Not Found";
  const QString escaped = "report\\xe2\\x80\\xaefdp.sh\n\nFile Not Found";
  const struct {
    const char* name;
    int style;
    Box::StandardButton click;
    int answer;
    Box::StandardButton byDefault;
  } cases[] = {
      {"error", kStyleCriticalOk, Box::Ok, kAnswerOk, Box::NoButton},
      {"question", kStyleQuestionYesNo, Box::No, kAnswerNo, Box::Yes},
      {"No by default", kStyleQuestionYesNo + kStyleDefaultButton2, Box::Yes, kAnswerYes, Box::No}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    bool seen = false;
    QTimer::singleShot(0, [&] {
      if (auto* box = qobject_cast<Box*>(QApplication::activeModalWidget())) {
        EXPECT_EQ(box->windowTitle().toStdString(), "The Tavrin - Error:");
        EXPECT_EQ(box->text(), escaped);
        EXPECT_EQ(box->standardButton(box->defaultButton()), c.byDefault);
        seen = true;
        box->button(c.click)->click();
      }
    });
    EXPECT_EQ(shown.MsgBox(reversed, c.style, "The Tavrin - Error:"), c.answer);
    EXPECT_TRUE(seen) << "no message box was shown";
  }
}

// Without a plugin for the platform asked for, Qt would end the program: no application
// starts, and the boxes go to standard error after a line that says why.
TEST(QtToolkit, NoPlatformPluginIsNoApplicationAndBoxesGoToStandardError) {
  char option[] = "-platform";
  char platform[] = "tavrin-no-such-platform";
  char* args[] = {name, option, platform, nullptr};
  int count = 3;
  QtToolkit toolkit(count, args, [] { return true; });
  EXPECT_EQ(toolkit.EnsureApplication(), nullptr);
  EXPECT_EQ(QCoreApplication::instance(), nullptr);
  EXPECT_EQ(toolkit.WhyNoApplication().rfind(
                "Qt finds no platform plugin for \"tavrin-no-such-platform\" that loads", 0),
            0u)
      << toolkit.WhyNoApplication();
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(toolkit.MsgBox("a\n\nb", kStyleQuestionYesNo, "Q"), kAnswerNo);
  EXPECT_EQ(toolkit.MsgBox("c", kStyleCriticalOk, "E"), kAnswerOk);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "tavrin: message boxes are written here: " + toolkit.WhyNoApplication() +
                "\nQ\na\n\nb\nE\nc\n");
}

// A wait in the event loop serves each event as it comes (a screen reader's question
// arrives so, from its connection), not after the wait; without an application there
// is no loop to wait in.
TEST(QtToolkit, AWaitServesEachEventAsItComes) {
  QtToolkit none(argc, argv, [] { return false; });
  EXPECT_FALSE(none.DoEventsFor(1000));
  QtToolkit toolkit(argc, argv, [] { return true; });
  ASSERT_NE(toolkit.EnsureApplication(), nullptr);
  bool waiting = false;
  std::vector<bool> servedWhileWaiting;
  std::thread asker;
  // Once the wait has begun, another thread posts three events to this one.
  QTimer::singleShot(0, [&] {
    asker = std::thread([&] {
      for (int i = 0; i < 3; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        QMetaObject::invokeMethod(
            qApp, [&] { servedWhileWaiting.push_back(waiting); }, Qt::QueuedConnection);
      }
    });
  });
  waiting = true;
  EXPECT_TRUE(toolkit.DoEventsFor(1000));
  waiting = false;
  if (asker.joinable()) asker.join();
  QCoreApplication::processEvents();
  EXPECT_EQ(servedWhileWaiting, (std::vector<bool>{true, true, true}));
}

}  // namespace
}  // namespace tavrin

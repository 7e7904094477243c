// Message boxes and the event pump on Qt: the GUI starts only when a box must be
// shown, and not at all without a display.
#include "platform/qt/qt_toolkit.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <string>

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
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(toolkit.MsgBox("a.exe\n\nFile Not Found", kStyleCriticalOk, "The Tavrin - Error:"),
            kAnswerOk);
  EXPECT_EQ(toolkit.MsgBox("old.tavrin\n\nUpgrade?", kStyleQuestionYesNo, "The Tavrin - Question:"),
            kAnswerNo);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "The Tavrin - Error:\na.exe\n\nFile Not Found\n"
            "The Tavrin - Question:\nold.tavrin\n\nUpgrade?\n");
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(QCoreApplication::instance(), nullptr);
  toolkit.DoEvents();
  // With a display, the application starts on first need and only once; then a pass
  // over the events runs what is pending.
  QtToolkit shown(argc, argv, [&asked] {
    ++asked;
    return true;
  });
  shown.DoEvents();
  EXPECT_EQ(QCoreApplication::instance(), nullptr);
  EXPECT_EQ(asked, 1);
  QApplication* app = shown.EnsureApplication();
  ASSERT_NE(app, nullptr);
  EXPECT_EQ(shown.EnsureApplication(), app);
  EXPECT_EQ(asked, 2);
  bool ran = false;
  QMetaObject::invokeMethod(
      app, [&ran] { ran = true; }, Qt::QueuedConnection);
  shown.DoEvents();
  EXPECT_TRUE(ran);

  // Each box shows its caption, text, icon, the buttons of its style and, for a question,
  // its default button (the one Enter presses; a box of one button needs none named);
  // the box is answered with `click` once it is shown. A direction control in the text
  // is shown escaped, so that "report<U+202E>fdp.sh" does not read "reporths.pdf".
  using Box = QMessageBox;
  const int noByDefault = kStyleQuestionYesNo + kStyleDefaultButton2;
  const struct {
    int style;
    Box::StandardButton click;
    int answer;
    Box::Icon icon;
    Box::StandardButtons buttons;
    Box::StandardButton byDefault;
  } cases[] = {
      {kStyleCriticalOk, Box::Ok, kAnswerOk, Box::Critical, Box::Ok, Box::NoButton},
      {kStyleQuestionYesNo, Box::No, kAnswerNo, Box::Question, Box::Yes | Box::No, Box::Yes},
      {noByDefault, Box::Yes, kAnswerYes, Box::Question, Box::Yes | Box::No, Box::No}};
  for (const auto& c : cases) {
    const Box* seen = nullptr;
    QTimer::singleShot(0, [&] {
      for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<Box*>(w); box != nullptr && box->isVisible()) {
          EXPECT_EQ(box->windowTitle().toStdString() + "|" + box->text().toStdString(),
                    "The Tavrin - Error:|report\\xe2\\x80\\xaefdp.sh\n\nFile Not Found");
          EXPECT_EQ(box->icon(), c.icon);
          EXPECT_EQ(box->standardButtons(), c.buttons);
          EXPECT_EQ(box->standardButton(box->defaultButton()), c.byDefault);
          seen = box;
          box->button(c.click)->click();
        }
      }
    });
    EXPECT_EQ(shown.MsgBox("report\xe2\x80\xae"
                           "fdp.sh\n\nFile Not Found",
                           c.style, "The Tavrin - Error:"),
              c.answer);
    EXPECT_NE(seen, nullptr) << "no message box was shown";
  }
  // A name whose bytes are no UTF-8 (Latin-1 "caf\xe9") is shown as the views show it:
  // the byte as a character of its own, never a replacement character.
  QString text;
  QTimer::singleShot(0, [&] {
    if (auto* box = qobject_cast<Box*>(QApplication::activeModalWidget())) {
      text = box->text();
      box->button(Box::Ok)->click();
    }
  });
  shown.MsgBox("caf\xe9.tavrin\n\nFile Not Found", kStyleCriticalOk, "The Tavrin - Error:");
  EXPECT_EQ(text, QString("caf") + QChar(0xDCE9) + ".tavrin\n\nFile Not Found");
}

// Qt asked for a platform it has no plugin for would end the program as its
// application starts: no application is started, and the boxes go to standard error
// after one line that says why.
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

}  // namespace
}  // namespace tavrin

// Message boxes and the event pump on Qt: the GUI starts only when a box must be
// shown, and not at all without a display.
#include "platform/qt/qt_toolkit.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <string>

namespace tavrin {
namespace {

int argc = 1;
char name[] = "tavrin-test";
char* argv[] = {name, nullptr};

// What a box looked like when it was answered.
struct SeenBox {
  std::string title;
  std::string text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons buttons;
};

// Answers the next message box with `button` once it is shown, noting how it looked.
void AnswerNextBox(QMessageBox::StandardButton button, SeenBox& seen) {
  QTimer::singleShot(0, [button, &seen] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* box = qobject_cast<QMessageBox*>(w);
      if (box == nullptr || !box->isVisible()) continue;
      seen = {box->windowTitle().toStdString(), box->text().toStdString(), box->icon(),
              box->standardButtons()};
      box->button(button)->click();
      return;
    }
    ADD_FAILURE() << "no message box was shown";
  });
}

TEST(QtToolkit, WithoutADisplayBoxesGoToStandardErrorAndQuestionsAreAnsweredNo) {
  int asked = 0;
  QtToolkit toolkit(argc, argv, [&asked] {
    ++asked;
    return false;
  });
  ::testing::internal::CaptureStderr();
  const int ok = toolkit.MsgBox("a.exe\n\nFile Not Found", kStyleCriticalOk, "The Tavrin - Error:");
  const int answer =
      toolkit.MsgBox("old.tavrin\n\nUpgrade?", kStyleQuestionYesNo, "The Tavrin - Question:");
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(ok, kAnswerOk);
  EXPECT_EQ(answer, kAnswerNo);
  EXPECT_EQ(err,
            "The Tavrin - Error:\na.exe\n\nFile Not Found\n"
            "The Tavrin - Question:\nold.tavrin\n\nUpgrade?\n");
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(QCoreApplication::instance(), nullptr);
  toolkit.DoEvents();
}

TEST(QtToolkit, TheApplicationStartsOnFirstNeedAndOnlyOnce) {
  int asked = 0;
  QtToolkit toolkit(argc, argv, [&asked] {
    ++asked;
    return true;
  });
  toolkit.DoEvents();
  EXPECT_EQ(QCoreApplication::instance(), nullptr);
  EXPECT_EQ(asked, 0);

  QApplication* app = toolkit.EnsureApplication();
  ASSERT_NE(app, nullptr);
  EXPECT_EQ(toolkit.EnsureApplication(), app);
  EXPECT_EQ(asked, 1);

  bool ran = false;
  QMetaObject::invokeMethod(
      app, [&ran] { ran = true; }, Qt::QueuedConnection);
  toolkit.DoEvents();
  EXPECT_TRUE(ran);
}

TEST(QtToolkit, BoxesShowCaptionTextIconAndButtonsOfTheirStyle) {
  QtToolkit toolkit(argc, argv, [] { return true; });
  ASSERT_NE(toolkit.EnsureApplication(), nullptr);

  SeenBox seen;
  AnswerNextBox(QMessageBox::Ok, seen);
  EXPECT_EQ(toolkit.MsgBox("a.exe\n\nFile Not Found", kStyleCriticalOk, "The Tavrin - Error:"),
            kAnswerOk);
  EXPECT_EQ(seen.title, "The Tavrin - Error:");
  EXPECT_EQ(seen.text, "a.exe\n\nFile Not Found");
  EXPECT_EQ(seen.icon, QMessageBox::Critical);
  EXPECT_EQ(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));

  AnswerNextBox(QMessageBox::No, seen);
  EXPECT_EQ(toolkit.MsgBox("q", kStyleQuestionYesNo, "The Tavrin - Question:"), kAnswerNo);
  EXPECT_EQ(seen.icon, QMessageBox::Question);
  EXPECT_EQ(seen.buttons, QMessageBox::Yes | QMessageBox::No);

  AnswerNextBox(QMessageBox::Yes, seen);
  EXPECT_EQ(toolkit.MsgBox("q", kStyleQuestionYesNo, "The Tavrin - Question:"), kAnswerYes);

  AnswerNextBox(QMessageBox::Cancel, seen);
  EXPECT_EQ(toolkit.MsgBox("q", kStyleQuestionYesNoCancel, "The Tavrin - Question:"),
            kAnswerCancel);
  EXPECT_EQ(seen.buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);

  AnswerNextBox(QMessageBox::Ok, seen);
  EXPECT_EQ(toolkit.MsgBox("w", kStyleExclamationOk, "The Tavrin - Registry Option..."), kAnswerOk);
  EXPECT_EQ(seen.icon, QMessageBox::Warning);
}

}  // namespace
}  // namespace tavrin

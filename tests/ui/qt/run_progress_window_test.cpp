// The Qt progress window shows what the form tells it (an '&' of a name as it is), and
// Cancel, Enter, Esc and the close box each reach the form's Cancel; the window stays
// until the run ends.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <functional>

#include "ui/qt/run_progress_window.h"
#include "ui/qt/shown_text.h"

namespace tavrin {
namespace {

using P = ProgressControl;

struct CountedCancel : FrmRunProgress {
  using FrmRunProgress::FrmRunProgress;
  int cancels = 0;
  void btnCancel_Click() override { ++cancels; }
};

TEST(RunProgressWindowView, ShowsTheWaitAndEveryCancelReachesTheForm) {
  StderrToolkit toolkit;
  qt::RunProgressWindow* window = nullptr;
  CountedCancel form(toolkit,
                     [&window](FrmRunProgress& f) {
                       auto made = std::make_unique<qt::RunProgressWindow>(f);
                       window = made.get();
                       return made;
                     },
                     {});
  const RunWait wait{"Work & play", 2, 3, "A&B", "tcp:127.0.0.1:9", 12000, 30000};
  form.Waiting(wait);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->windowTitle(), "The Tavrin - Running");
  const auto text = [window](P label) {
    return qt::Typed(static_cast<QLabel*>(window->Control(label))->text());
  };
  EXPECT_EQ(text(P::lblColl), "Work & play");
  EXPECT_EQ(text(P::lblItem), "Starting 2 of 3: A&B");
  EXPECT_EQ(text(P::lblWait), "Waiting for tcp:127.0.0.1:9, 12 s of 30 s");
  // Bars of the items started and of the wait, named for a screen reader.
  const auto bar = [window](P control) {
    auto* shown = static_cast<QProgressBar*>(window->Control(control));
    return shown->accessibleName().toStdString() + " " + std::to_string(shown->value()) + " of " +
           std::to_string(shown->maximum());
  };
  EXPECT_EQ(bar(P::barItems), "Items started 2 of 3");
  EXPECT_EQ(bar(P::barWait), "Time waited 12000 of 30000");
  // Markup is shown as it is typed; what does not fit is cut with an ellipsis, and read
  // whole.
  // The wait's line is cut in its middle: how long it has waited stays in view.
  const std::string markup = "file:<b style=color:blue>x</b>" + std::string(300, 'f');
  const std::string longName(300, 'n');
  form.Waiting({"c", 2, 3, longName, markup, 12000, 30000});
  auto* item = static_cast<QLabel*>(window->Control(P::lblItem));
  EXPECT_EQ(item->textFormat(), Qt::PlainText);
  EXPECT_TRUE(item->text().endsWith(QChar(0x2026))) << item->text().toStdString();
  EXPECT_EQ(item->accessibleName().toStdString(), "Starting 2 of 3: " + longName);
  auto* waitLine = static_cast<QLabel*>(window->Control(P::lblWait));
  EXPECT_EQ(waitLine->textFormat(), Qt::PlainText);
  EXPECT_TRUE(waitLine->text().contains(QChar(0x2026)));
  EXPECT_TRUE(waitLine->text().endsWith(", 12 s of 30 s")) << waitLine->text().toStdString();

  QWidget* cancel = window->Control(P::btnCancel);
  const struct {
    const char* name;
    std::function<void()> gesture;
  } kCancels[] = {
      {"Esc", [&] { QTest::keyClick(cancel, Qt::Key_Escape); }},
      {"the button", [&] { QTest::mouseClick(cancel, Qt::LeftButton); }},
      {"the close box", [&] { window->close(); }},
  };
  int cancels = 0;
  for (const auto& row : kCancels) {
    SCOPED_TRACE(row.name);
    row.gesture();
    EXPECT_EQ(form.cancels, ++cancels);
    EXPECT_TRUE(window->isVisible()) << "it stays until the run has stopped";
  }
  form.RunEnded();
  EXPECT_FALSE(QApplication::topLevelWidgets().contains(window)) << "the window is gone";
}

}  // namespace
}  // namespace tavrin

// The Qt run options dialog passes what the user types to its form, a line break of the
// variables' box included, and Enter in a one-line box is OK.
#include <QMenu>
#include <QPlainTextEdit>

#include "run_process.h"
#include "ui/qt/run_options_dialog.h"
#include "window_fixture.h"

namespace tavrin {
namespace {

using C = OptionsControl;

struct RunOptionsDialogTest : WindowTest {};

// From the item's popup to the file and back: what is typed in the dialog reaches the
// item, is saved with the collection, and the program's own --list reads it.
TEST_F(RunOptionsDialogTest, WhatTheDialogSetsIsSavedAndListed) {
  form = std::make_unique<FrmMain>(
      Context(fake.platform),
      Loaded({testing::With(testing::Item("Server", testing::BinPath("server")),
                            {{"Colour", "red"}})}));
  window = std::make_unique<MainWindow>(*form, [](QDialog& d) {
    auto& dialog = dynamic_cast<qt::RunOptionsDialog&>(d);
    dialog.show();
    QTest::keyClicks(dialog.Control(C::txtDelay), "250");
    auto* ready = static_cast<QComboBox*>(dialog.Control(C::cboReady));
    ready->setCurrentIndex(2);
    emit ready->activated(2);
    QTest::keyClicks(dialog.Control(C::txtReady), "/run/app.pid");
    QWidget* env = dialog.Control(C::txtEnv);
    QTest::keyClicks(env, "A=1");
    QTest::keyClick(env, Qt::Key_Return);
    QTest::keyClicks(env, "B=2");
    EXPECT_TRUE(dialog.isVisible()) << "Enter in the variables' box is a line break";
    QTest::keyClick(dialog.Control(C::txtReady), Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
    return d.result();
  });
  window->show();
  Activate(window.get());
  ClickEntry(0);
  QTest::keyClick(window->lstItems(), Qt::Key_F10, Qt::ShiftModifier);
  QTest::keyClick(window->mnuPopItem2(), Qt::Key_P);  // "Run O&ptions..."
  EXPECT_EQ(Box(), "<Current Collection>");
  EXPECT_EQ(state.Items.at(0).Options, (std::vector<ItemOption>{{"Colour", "red"},
                                                                {"Delay", "250"},
                                                                {"WaitReady", "file:/run/app.pid"},
                                                                {"Env", "A=1"},
                                                                {"Env", "B=2"}}));
  dialogs.answers = {{true, state.CurrentCollFile}};
  QTest::mouseClick(window->collButton("Save"), Qt::LeftButton);
  const auto listed = testing::RunProcess({testing::TavrinPath(), "--list", dir.file("c.tavrin")});
  EXPECT_EQ(listed.exitCode, 0) << listed.err;
  EXPECT_THAT(listed.out, ::testing::EndsWith("\tColour=red\tDelay=250\tWaitReady=file:/run/app.pid"
                                              "\tEnv=A=1\tEnv=B=2\n"));
}

}  // namespace
}  // namespace tavrin

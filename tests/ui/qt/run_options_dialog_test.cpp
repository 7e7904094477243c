// The Qt run options dialog passes what the user types to its form, a line break of the
// variables' box included, and Enter in a one-line box is OK.
#include <QPlainTextEdit>

#include "ui/qt/run_options_dialog.h"
#include "window_fixture.h"

namespace tavrin {
namespace {

using C = OptionsControl;

struct RunOptionsDialogTest : WindowTest {};

TEST_F(RunOptionsDialogTest, TypedFieldsReachTheItem) {
  edit.EditItem = testing::With(testing::Item("a", "b"), {{"Colour", "red"}});
  FrmRunOptions optionsForm(Context());
  qt::RunOptionsDialog dialog(optionsForm, nullptr);
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
  EXPECT_FALSE(edit.EditCancelled);
  EXPECT_EQ(edit.EditItem.Options, (std::vector<ItemOption>{{"Colour", "red"},
                                                            {"Delay", "250"},
                                                            {"WaitReady", "file:/run/app.pid"},
                                                            {"Env", "A=1"},
                                                            {"Env", "B=2"}}));
}

}  // namespace
}  // namespace tavrin

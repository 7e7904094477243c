// The run options dialog in Win32, opened from the item popup menu and worked by a user
// at the screen: what is typed and picked reaches the form, the lines of the variables'
// box too, and OK writes them back. What OK refuses is the form's test's; Esc and the
// dialog's keys are the item editor's, made by the same dialog class.
#include <windows.h>

#include "ui/win32/run_options_dialog.h"
#include "window_fixture.h"

namespace tavrin {
namespace {

using testing::BinPath;
using ::testing::EndsWith;
using testing::Item;
using Dialog = win32::RunOptionsDialog;

HWND Field(HWND dialog, OptionsControl control) {
  return GetDlgItem(dialog, Dialog::kIdControl + static_cast<int>(control));
}

// Opens the dialog from the popup menu by its access key and runs `script` on it.
void WithDialog(Win32WindowTest& test, const std::function<void(ScreenUser&, HWND)>& script) {
  ScreenUser user([&](ScreenUser& u) {
    HWND menu = u.WaitFor([] { return ScreenUser::TopLevel("#32768", ""); });
    PostMessageA(menu, WM_CHAR, 'p', 1);
    script(u, u.WaitForDialog(test.window->hwnd()));
  });
  test.RightClickList();
  user.Finish();
}

TEST_F(Win32WindowTest, TheRunOptionsDialogSetsAnItemsOptions) {
  Open({Item("One", BinPath("one")), Item("Two", BinPath("two"))});
  Select(1);
  // A delay, a port to wait for and two variables typed as the keyboard types them (a
  // multi-line box tells of no change set by a message; its lines end in CR LF).
  WithDialog(*this, [&](ScreenUser& u, HWND dialog) {
    ScreenUser::Type(Field(dialog, OptionsControl::txtDelay), "2000");
    SendMessageA(Field(dialog, OptionsControl::cboReady), CB_SETCURSEL, 1, 0);
    SendMessageA(
        dialog, WM_COMMAND,
        MAKEWPARAM(Dialog::kIdControl + static_cast<int>(OptionsControl::cboReady), CBN_SELCHANGE),
        reinterpret_cast<LPARAM>(Field(dialog, OptionsControl::cboReady)));
    ScreenUser::Type(Field(dialog, OptionsControl::txtReady), "127.0.0.1:8080");
    for (const char c : std::string("A=1\rB=2")) {
      PostMessageA(Field(dialog, OptionsControl::txtEnv), WM_CHAR, static_cast<WPARAM>(c), 1);
    }
    PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);  // the mouse on OK
    u.WaitUntilGone(dialog);
  });
  EXPECT_EQ(
      state.Items[1].Options,
      (std::vector<ItemOption>{
          {"Delay", "2000"}, {"WaitReady", "tcp:127.0.0.1:8080"}, {"Env", "A=1"}, {"Env", "B=2"}}));
  EXPECT_EQ(BoxText(), "<Current Collection>");
  EXPECT_THAT(Details(), EndsWith("Options: delay 2 s, ready tc..."));
}

}  // namespace
}  // namespace tavrin

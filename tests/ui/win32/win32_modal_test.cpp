// The modal windows and popups in Win32 and a run's progress window, worked by a user at
// the screen on a thread of their own; what they see is checked once the call returns.
#include <windows.h>
// The common controls after the system's header.
#include <commctrl.h>

#include "forms/frm_run_progress.h"
#include "platform/win32/win32_toolkit.h"
#include "ui/win32/run_options_dialog.h"
#include "ui/win32/run_progress_window.h"
#include "window_fixture.h"

namespace tavrin {
namespace {

using testing::BinPath;
using ::testing::ElementsAre;
using ::testing::EndsWith;
using testing::Item;
using ::testing::StartsWith;
using Editor = win32::ItemEditor;
using Options = win32::RunOptionsDialog;

// The open popup menu of the test thread, and its entries' texts.
HWND WaitForMenu(ScreenUser& user) {
  return user.WaitFor([] { return ScreenUser::TopLevel("#32768"); });
}
Strings MenuEntries(HWND menuWindow) {
  auto* menu = reinterpret_cast<HMENU>(SendMessageA(menuWindow, MN_GETHMENU, 0, 0));
  Strings entries;
  char text[64];
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    text[0] = '\0';
    GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
    entries.push_back(text);
  }
  return entries;
}
// Chooses the entry of an open menu by its access key, as the keyboard does.
void Choose(HWND menuWindow, char accessKey) {
  PostMessageA(menuWindow, WM_CHAR, static_cast<WPARAM>(accessKey), 1);
}

// Whether the item editor's control `id` is enabled.
bool EditorEnabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != 0; }

// What the editor shows: "Name | file | params | style index | wait [ok find wait-enabled]".
std::string EditorSeen(HWND dialog) {
  const auto send = [dialog](int id, UINT message) {
    return SendMessageA(GetDlgItem(dialog, id), message, 0, 0);
  };
  std::string seen = ScreenUser::Text(GetDlgItem(dialog, Editor::kIdItem)) + " | " +
                     ScreenUser::Text(GetDlgItem(dialog, Editor::kIdFile)) + " | " +
                     ScreenUser::Text(GetDlgItem(dialog, Editor::kIdParams)) + " | " +
                     std::to_string(send(Editor::kIdStyle, CB_GETCURSEL)) + " | " +
                     (send(Editor::kIdWait, BM_GETCHECK) == BST_CHECKED ? "wait" : "no wait") +
                     " [";
  if (EditorEnabled(dialog, IDOK)) seen += "ok ";
  HWND bar = FindWindowExA(dialog, nullptr, "TavrinToolbar", nullptr);
  if (SendMessageA(win32::InnerToolbar(bar), TB_ISBUTTONENABLED, Editor::kIdFind, 0)) {
    seen += "find ";
  }
  if (EditorEnabled(dialog, Editor::kIdWait)) seen += "wait-enabled ";
  if (seen.back() == ' ') seen.pop_back();
  return seen + "]";
}

TEST_F(Win32WindowTest, ADoubleClickEditsTheItemInTheEditor) {
  Open({Item("Notes", "c:\\notes\\todo.txt", "-x", 2), Item("Build", BinPath("make.exe"))});
  std::string opened, typed;
  bool stayed = false;
  ScreenUser user([&](ScreenUser& u) {
    HWND dialog = u.WaitForDialog(window->hwnd());
    opened = EditorSeen(dialog);
    // Enter while OK is disabled does nothing. A character typed after it shows when
    // the keys have been handled (a text set from here would overtake them).
    const HWND name = GetDlgItem(dialog, Editor::kIdItem);
    ScreenUser::Key(name, VK_RETURN);
    PostMessageA(name, WM_CHAR, 'X', 1);
    u.WaitUntil([&] { return ScreenUser::Text(name).find('X') != std::string::npos; });
    stayed = IsWindowVisible(dialog) != FALSE;
    ScreenUser::Type(name, "Todo");
    u.WaitUntil([&] { return EditorEnabled(dialog, IDOK); });
    typed = EditorSeen(dialog);
    ScreenUser::Key(name, VK_RETURN);
    u.WaitUntilGone(dialog);
  });
  Select(0, true);
  user.Finish();
  // A text file: no waiting for it; the folder can be found.
  // A backslash before what would read as an escape ("\\n", "\\t") is shown doubled.
  EXPECT_EQ(opened, "Notes | c:\\\\notes\\\\todo.txt | -x | 2 | no wait [find]");
  EXPECT_TRUE(stayed);
  EXPECT_EQ(typed, "Todo | c:\\\\notes\\\\todo.txt | -x | 2 | no wait [ok find]");
  EXPECT_EQ(Seen(), "<Current Collection>: Todo Build [save exec]");
  EXPECT_EQ(Selected(), 0);
  EXPECT_THAT(Details(), StartsWith("Todo\n"));
}

TEST_F(Win32WindowTest, CancelEscAndTheCloseBoxLeaveTheItemAsItWas) {
  Open({Item("Notes", BinPath("notes"))});
  Select(0);
  // Esc presses Cancel, as the system's dialog keys do.
  const std::function<void(HWND)> ways[] = {
      [](HWND dialog) { ScreenUser::Key(GetDlgItem(dialog, Editor::kIdItem), VK_ESCAPE); },
      [](HWND dialog) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); },
  };
  for (const auto& way : ways) {
    bool closed = false;  // by the way tried, not by the user giving up
    ScreenUser user([&](ScreenUser& u) {
      HWND dialog = u.WaitForDialog(window->hwnd());
      ScreenUser::Type(GetDlgItem(dialog, Editor::kIdItem), "Changed");
      u.WaitUntil([&] { return EditorEnabled(dialog, IDOK); });
      way(dialog);
      closed = u.WaitUntilGone(dialog);
    });
    Click(MainControl::tbItemEdit);
    user.Finish();
    EXPECT_TRUE(closed);
    EXPECT_EQ(Seen(), "c: Notes [save delete exec]");
    EXPECT_FALSE(edit.EditCancelled);
  }
}

// The right button opens the popup the form names: Add alone without a selection, every
// entry with one; an entry chosen by its access key reaches the form.
TEST_F(Win32WindowTest, TheRightButtonOpensThePopupOfTheSelection) {
  Open({Item("One", BinPath("one")), Item("Two", BinPath("two")), Item("Three", BinPath("3"))});
  Strings noSelection, selection;
  ScreenUser none([&](ScreenUser& u) {
    HWND menu = WaitForMenu(u);
    noSelection = MenuEntries(menu);
    PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 1);
    u.WaitUntilGone(menu);
  });
  RightClickList();
  none.Finish();
  EXPECT_THAT(noSelection, ElementsAre("&Add..."));

  Select(0);
  ScreenUser remove([&](ScreenUser& u) {
    HWND menu = WaitForMenu(u);
    selection = MenuEntries(menu);
    Choose(menu, 'r');
  });
  RightClickList();
  remove.Finish();
  EXPECT_THAT(selection,
              ElementsAre("&Add...", "&Edit...", "&Remove", "", "&Open Item", "Run O&ptions..."));
  EXPECT_THAT(Listed(), ElementsAre("Two", "Three"));
  EXPECT_EQ(Selected(), 0);
}

HWND Field(HWND dialog, OptionsControl control) {
  return GetDlgItem(dialog, Options::kIdControl + static_cast<int>(control));
}

// The run options dialog, opened from the popup menu: what is typed and picked reaches the
// form, the lines of the variables' box too, and OK writes them back. What OK refuses is
// the form's test's; Esc and the dialog's keys are the item editor's (the same class).
TEST_F(Win32WindowTest, TheRunOptionsDialogSetsAnItemsOptions) {
  Open({Item("One", BinPath("one")), Item("Two", BinPath("two"))});
  Select(1);
  // A delay, a port to wait for and two variables typed as the keyboard types them (a
  // multi-line box tells of no change set by a message; its lines end in CR LF).
  ScreenUser user([&](ScreenUser& u) {
    Choose(WaitForMenu(u), 'p');
    const HWND dialog = u.WaitForDialog(window->hwnd());
    ScreenUser::Type(Field(dialog, OptionsControl::txtDelay), "2000");
    SendMessageA(Field(dialog, OptionsControl::cboReady), CB_SETCURSEL, 1, 0);
    SendMessageA(
        dialog, WM_COMMAND,
        MAKEWPARAM(Options::kIdControl + static_cast<int>(OptionsControl::cboReady), CBN_SELCHANGE),
        reinterpret_cast<LPARAM>(Field(dialog, OptionsControl::cboReady)));
    ScreenUser::Type(Field(dialog, OptionsControl::txtReady), "127.0.0.1:8080");
    for (const char c : std::string("A=1\rB=2")) {
      PostMessageA(Field(dialog, OptionsControl::txtEnv), WM_CHAR, static_cast<WPARAM>(c), 1);
    }
    PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);  // the mouse on OK
    u.WaitUntilGone(dialog);
  });
  RightClickList();
  user.Finish();
  EXPECT_EQ(
      state.Items[1].Options,
      (std::vector<ItemOption>{
          {"Delay", "2000"}, {"WaitReady", "tcp:127.0.0.1:8080"}, {"Env", "A=1"}, {"Env", "B=2"}}));
  EXPECT_EQ(BoxText(), "<Current Collection>");
  EXPECT_THAT(Details(), EndsWith("Options: delay 2 s, ready tc..."));
}

// F1 shows the About box, modal over the window; a click on its address starts a mail,
// and Enter closes it.
TEST_F(Win32WindowTest, F1ShowsTheAboutBoxWhoseAddressStartsAMail) {
  Open();
  bool mainEnabled = true, closed = false, mailFocused = false;
  ScreenUser user([&](ScreenUser& u) {
    HWND dialog = u.WaitForDialog(window->hwnd());
    mainEnabled = IsWindowEnabled(window->hwnd()) != 0;
    HWND mail = nullptr;
    for (HWND c = FindWindowExA(dialog, nullptr, "Static", nullptr); c;
         c = FindWindowExA(dialog, c, "Static", nullptr)) {
      if (ScreenUser::Text(c) == FrmAbout::kFeedbackAddress) mail = c;
    }
    PostMessageA(mail, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    PostMessageA(mail, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    u.WaitUntil([&] { return !fake.shell.calls.empty(); });
    // The keyboard reaches the address too: Tab from OK, then Enter.
    const auto focus = [&] {
      GUITHREADINFO info{};
      info.cbSize = sizeof info;
      GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
      return info.hwndFocus;
    };
    ScreenUser::Key(GetDlgItem(dialog, IDOK), VK_TAB);
    mailFocused = u.WaitUntil([&] { return focus() == mail; });
    ScreenUser::Key(mail, VK_RETURN);
    u.WaitUntil([&] { return fake.shell.calls.size() > 1; });
    ScreenUser::Key(GetDlgItem(dialog, IDOK), VK_RETURN);
    closed = u.WaitUntilGone(dialog);
  });
  Key(MainControl::cboColl, VK_F1);
  user.Finish();
  EXPECT_FALSE(mainEnabled);
  EXPECT_TRUE(closed);  // by the key, not by the user giving up
  EXPECT_TRUE(IsWindowEnabled(window->hwnd()));
  EXPECT_FALSE(window->closed());
  EXPECT_TRUE(mailFocused);
  const std::string mail =
      std::string("shell:mailto:") + FrmAbout::kFeedbackAddress + "?subject=Tavrin Feedback!!";
  EXPECT_THAT(fake.shell.calls, ElementsAre(mail, mail));
}

// The progress window, as a run that waits shows it: the collection, the item and the
// wait, and every way of cancelling reaches the form from the run's own passes over the
// window's messages, the keys too (the window has no loop of its own).
struct CountedCancel : FrmRunProgress {
  using FrmRunProgress::FrmRunProgress;
  int cancels = 0;
  void btnCancel_Click() override { ++cancels; }
};

std::string Label(HWND window, ProgressControl label) {
  return ScreenUser::Text(
      GetDlgItem(window, win32::RunProgressWindow::kIdControl + static_cast<int>(label)));
}

TEST(Win32ProgressWindow, ShowsTheWaitAndEveryCancelReachesTheForm) {
  win32::Win32Toolkit toolkit;
  CountedCancel form(toolkit, win32::MakeRunProgressWindow, {});
  const RunWait wait{"Work & play", 2, 3, "Server", "tcp:127.0.0.1:9", 12000, 30000};
  form.Waiting(wait);
  HWND window = FindWindowA(nullptr, "The Tavrin - Running");
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_EQ(Label(window, ProgressControl::lblColl), "Work & play");
  EXPECT_EQ(Label(window, ProgressControl::lblItem), "Starting 2 of 3: Server");
  EXPECT_EQ(Label(window, ProgressControl::lblWait), "Waiting for tcp:127.0.0.1:9, 12 s of 30 s");
  // The bars: the items started of all, the wait's share of its limit.
  const auto bar = [window](ProgressControl control) {
    HWND shown =
        GetDlgItem(window, win32::RunProgressWindow::kIdControl + static_cast<int>(control));
    return std::to_string(SendMessageA(shown, PBM_GETPOS, 0, 0)) + " of " +
           std::to_string(SendMessageA(shown, PBM_GETRANGE, FALSE, 0));
  };
  EXPECT_EQ(bar(ProgressControl::barItems), "2 of 3");
  EXPECT_EQ(bar(ProgressControl::barWait), "12000 of 30000");
  // A line too long for its place is cut with an ellipsis.
  EXPECT_NE(GetWindowLongPtrA(GetDlgItem(window, win32::RunProgressWindow::kIdControl +
                                                     static_cast<int>(ProgressControl::lblItem)),
                              GWL_STYLE) &
                SS_ENDELLIPSIS,
            0);
  HWND cancel = GetDlgItem(window, IDCANCEL);
  EXPECT_EQ(GetFocus(), cancel);

  const struct {
    const char* name;
    std::function<void()> gesture;
  } kCancels[] = {
      {"Esc", [&] { ScreenUser::Key(cancel, VK_ESCAPE); }},
      {"the button", [&] { PostMessageA(cancel, BM_CLICK, 0, 0); }},  // the mouse on it
      {"the close box", [&] { PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0); }},
  };
  int cancels = 0;
  for (const auto& row : kCancels) {
    SCOPED_TRACE(row.name);
    row.gesture();
    form.Waiting(wait);  // the run's next slice lets the messages run
    EXPECT_EQ(form.cancels, ++cancels);
    EXPECT_TRUE(IsWindowVisible(window)) << "it stays until the run has stopped";
  }
  form.RunEnded();
  EXPECT_FALSE(IsWindow(window));
}

}  // namespace
}  // namespace tavrin

// The keyboard in the Win32 windows: Tab reaches every control in tab order, the
// toolbars too, and the focus comes back where it was after a modal window.
#include <windows.h>
// The common controls after the system's header.
#include <commctrl.h>

#include "forms/keys.h"
#include "window_fixture.h"

namespace tavrin {
namespace {

using testing::BinPath;
using ::testing::ElementsAre;
using testing::Item;
using Editor = win32::ItemEditor;

TEST_F(Win32WindowTest, TabGoesThroughEveryControlOfTheMainWindowInTabOrder) {
  Open({Item("One", BinPath("one.exe")), Item("Two", BinPath("two.exe"))});
  // The names of the controls that Tab (Shift+Tab) goes through from the collection
  // box until it is back there.
  const auto cycle = [this](int mask) {
    SetFocus(window->Control(MainControl::cboColl));
    Strings seen{FocusName()};
    for (int i = 0; i < 16 && (seen.size() == 1 || seen.back() != seen.front()); ++i) {
      KeyInFocus(VK_TAB, mask);
      seen.push_back(FocusName());
    }
    return seen;
  };
  // Without a selection the item buttons are disabled, and Tab passes them over.
  EXPECT_THAT(cycle(0),
              ElementsAre("cboColl", "tbColl", "lstItems", "btnExec", "btnExit", "cboColl"));
  Select(0);
  EXPECT_THAT(cycle(0),
              ElementsAre("cboColl", "tbColl", "lstItems", "tbItem0", "tbItem1", "tbItem2",
                          "tbItem3", "tbItem4", "btnExec", "btnExit", "cboColl"));
  EXPECT_THAT(cycle(kShiftMask),
              ElementsAre("cboColl", "btnExit", "btnExec", "tbItem4", "tbItem3", "tbItem2",
                          "tbItem1", "tbItem0", "lstItems", "tbColl", "cboColl"));

  // On a toolbar the keyboard stands on a button: Enter presses it, the arrow keys
  // move along the collection toolbar.
  SetFocus(window->Control(MainControl::cboColl));
  KeyInFocus(VK_TAB);
  HWND collBar = win32::InnerToolbar(window->Control(MainControl::tbCollOther));
  ASSERT_EQ(Focus(), collBar);
  EXPECT_EQ(SendMessageA(collBar, TB_GETHOTITEM, 0, 0), 0);
  KeyInFocus(VK_RETURN);
  ASSERT_EQ(dialogs.requests.size(), 1u);  // "Other": the Open dialog, cancelled
  KeyInFocus(VK_RIGHT);
  EXPECT_EQ(SendMessageA(collBar, TB_GETHOTITEM, 0, 0), 1);
  // Left behind, the toolbar shows no button as the keyboard's.
  KeyInFocus(VK_TAB);
  EXPECT_EQ(FocusName(), "lstItems");
  EXPECT_EQ(SendMessageA(collBar, TB_GETHOTITEM, 0, 0), -1);

  SetFocus(window->Control(MainControl::btnExec));
  KeyInFocus(VK_TAB, kShiftMask);
  EXPECT_EQ(FocusName(), "tbItem4");
  KeyInFocus(VK_RETURN);  // Down
  EXPECT_THAT(Listed(), ElementsAre("Two", "One"));
  EXPECT_EQ(Selected(), 1);
}

TEST_F(Win32WindowTest, TabGoesThroughEveryControlOfTheEditorInTabOrder) {
  Open({Item("Tool", "c:\\tools\\run.exe")});
  Strings seen;
  LRESULT hotOnArrival = -1;
  ScreenUser user([&](ScreenUser& u) {
    HWND dialog = u.WaitForDialog(window->hwnd());
    HWND bar = win32::InnerToolbar(FindWindowExA(dialog, nullptr, "TavrinToolbar", nullptr));
    const DWORD thread = GetWindowThreadProcessId(dialog, nullptr);
    const auto focus = [thread] {
      GUITHREADINFO info{};
      info.cbSize = sizeof info;
      GetGUIThreadInfo(thread, &info);
      return info.hwndFocus;
    };
    const std::pair<int, const char*> controls[] = {
        {Editor::kIdItem, "txtItem"},     {Editor::kIdFile, "txtFile"},
        {Editor::kIdParams, "txtParams"}, {Editor::kIdStyle, "cboStyle"},
        {Editor::kIdWait, "cWait"},       {IDOK, "btnOk"},
        {IDCANCEL, "btnCancel"}};
    const auto name = [&](HWND control) -> std::string {
      if (control == bar) return "tbOpen";
      for (const auto& [id, text] : controls) {
        if (control == GetDlgItem(dialog, id)) return text;
      }
      return "another control";
    };
    seen.push_back(name(focus()));
    for (int i = 0; i < 10 && (seen.size() == 1 || seen.back() != seen.front()); ++i) {
      HWND before = focus();
      ScreenUser::Key(before, VK_TAB);
      if (!u.WaitUntil([&] { return focus() != before; })) break;
      seen.push_back(name(focus()));
      if (focus() == bar) {
        hotOnArrival = SendMessageA(bar, TB_GETHOTITEM, 0, 0);
        // Enter on "Open" browses for a file: the Open dialog, cancelled.
        ScreenUser::Key(bar, VK_RETURN);
        u.WaitUntil([&] { return dialogs.requests.size() == 1; });
      }
    }
    ScreenUser::Press(dialog, IDCANCEL);
    u.WaitUntilGone(dialog);
  });
  DoubleClick(0);
  user.Finish();
  // OK is disabled until something changes: Tab passes it over.
  EXPECT_THAT(seen, ElementsAre("txtItem", "txtFile", "txtParams", "cboStyle", "cWait", "btnCancel",
                                "tbOpen", "txtItem"));
  EXPECT_EQ(hotOnArrival, 0);
  EXPECT_EQ(dialogs.requests.size(), 1u);
}

// After each modal window, and when the window shows again after a run that keeps it
// open, the control that had the focus has it again: the keys go on working there.
TEST_F(Win32WindowTest, TheFocusComesBackWhereItWasAfterAModalWindow) {
  Open({Item("One", BinPath("one.exe")), Item("Two", BinPath("two.exe"))});
  // A box of the system's over the window, where the scripted boxes and file dialogs
  // stand for the real ones: the system disables the window under it, as theirs do.
  const auto systemBox = [this] { MessageBoxA(window->hwnd(), "Shown", "A box", MB_OK); };
  fake.toolkit.during = systemBox;
  dialogs.during = systemBox;
  const auto command = [this](int id) {
    PostMessageA(window->hwnd(), WM_COMMAND, static_cast<WPARAM>(id), 0);
    Pump();
  };
  const auto noScript = [](ScreenUser&) {};
  struct Row {
    const char* name;
    MainControl focus;
    const char* focusName;
    std::function<void(ScreenUser&)> script;  // what the user does in the modal windows
    std::function<void()> gesture;            // what opens them
  };
  const int registry = static_cast<int>(GetMenuItemID(GetSubMenu(GetMenu(window->hwnd()), 1), 0));
  const Row rows[] = {
      {"the About box", MainControl::lstItems, "lstItems", noScript, [&] { KeyInFocus(VK_F1); }},
      {"the Registry box", MainControl::btnExit, "btnExit", noScript, [&] { command(registry); }},
      {"the Open dialog", MainControl::cboColl, "cboColl", noScript,
       [&] { command(win32::MainWindow::CommandOf(MainControl::tbCollOther)); }},
      {"the Save As dialog", MainControl::lstItems, "lstItems", noScript,
       [&] { command(win32::MainWindow::CommandOf(MainControl::tbCollSave)); }},
      {"Add... from the popup", MainControl::lstItems, "lstItems",
       [](ScreenUser& u) {
         HWND menu = u.WaitFor([] { return ScreenUser::TopLevel("#32768", ""); });
         PostMessageA(menu, WM_CHAR, 'a', 1);  // the editor opens, and is cancelled
       },
       [&] { RightClickList(); }},
      {"a run that keeps the window", MainControl::lstItems, "lstItems", noScript,
       [&] { KeyInFocus(VK_RETURN, kShiftMask); }},
  };
  for (const Row& row : rows) {
    Select(0);
    SetFocus(window->Control(row.focus));
    Pump();
    ScreenUser user(row.script);
    row.gesture();
    user.Finish();
    ASSERT_FALSE(window->closed()) << row.name;
    EXPECT_EQ(FocusName(), row.focusName) << row.name;
  }
  // The arrow keys work in the list again.
  KeyInFocus(VK_DOWN);
  EXPECT_EQ(Selected(), 1);
}

}  // namespace
}  // namespace tavrin

// The keyboard in the Win32 main window: Tab reaches every control in tab order, the
// toolbars too, and the focus comes back where it was after a modal window. The
// dialogs are made by the same builder, in the order of their descriptions.
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
  ASSERT_EQ(GetFocus(), collBar);
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

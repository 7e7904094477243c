// The main window's Win32 view: gestures reach the form, the controls show what it says
// (its rules are the forms' tests'), Tab order, the focus after a modal window, the DPI.
#include <windows.h>
// The common controls after the system's header.
#include <commctrl.h>
#include <ole2.h>
#include <oleacc.h>

#include <cstdlib>
#include <functional>
#include <utility>
#include <vector>

#include "forms/keys.h"
#include "run_process.h"
#include "window_fixture.h"

namespace tavrin {
namespace {

using testing::BinPath;
using ::testing::ElementsAre;
using testing::Item;
using M = MainControl;

// In turn on one window, each gesture and what the window then shows: the box, the
// list, Save, Delete and Execute, the selected row, the item buttons (Up, Edit, Remove,
// Open, Down) and the first line of the details.
TEST_F(Win32WindowTest, EachGestureReachesTheFormAndTheWindowShowsWhatItSays) {
  Collection("games", {"chess", "go"});
  Collection("tools", {"make"});
  testing::TempDir other;
  testing::WriteFile(other.file("elsewhere.tavrin"), testing::CollectionOfNames({"far"}));
  Open();
  EXPECT_THAT(BoxEntries(), ElementsAre("<None>", "games", "tools"));
  const struct {
    const char* name;
    std::function<void()> gesture;
    std::string shown;
  } rows[] = {
      {"a pick in the box", [&] { Pick(1); }, "games: chess go [save delete exec] -1 00000 "},
      {"a click on an entry", [&] { Select(0); },
       "games: chess go [save delete exec] 0 11111 chess"},
      {"the Down button", [&] { Click(M::tbItemDown); },
       "<Current Collection>: go chess [save exec] 1 11111 chess"},
      {"the Up button", [&] { Click(M::tbItemUp); },
       "<Current Collection>: chess go [save exec] 0 11111 chess"},
      {"the Remove button", [&] { Click(M::tbItemRemove); },
       "<Current Collection>: go [save exec] 0 11111 go"},
      {"Save",
       [&] {
         dialogs.answers.push_back({true, dir.file("mine")});
         Click(M::tbCollSave);
       },
       "mine: go [save delete exec] 0 11111 go"},
      {"Delete", [&] { Click(M::tbCollDelete); }, "<None>: [save] -1 00000 "},
      {"Other",
       [&] {
         dialogs.answers.push_back({true, other.file("elsewhere.tavrin")});
         Click(M::tbCollOther);
       },
       "elsewhere: far [save delete exec] -1 00000 "},
      {"the Delete key",
       [&] {
         Select(0);
         Key(M::lstItems, VK_DELETE);
       },
       "<None>: [] -1 00000 "},
      {"New", [&] { Click(M::tbCollNew); }, "<New Collection>: [] -1 00000 "},
      {"typing in the box", [&] { TypeInBox("anything"); }, "anything: [exec] -1 00000 "},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    row.gesture();
    const std::string details = Details();
    EXPECT_EQ(Seen() + " " + std::to_string(Selected()) + " " + ItemButtons() + " " +
                  details.substr(0, details.find('\n')),
              row.shown);
  }
  EXPECT_THAT(BoxEntries(), ElementsAre("<None>", "games", "tools"));
  EXPECT_EQ(dialogs.requests.size(), 2u);
  EXPECT_TRUE(boxes.empty());
}

// Open waits for a waited item with the window disabled and its caption saying so;
// Execute hides the window for the run and closes it.
TEST_F(Win32WindowTest, OpenAndExecuteShowWhatTheFormSays) {
  Open({Item("One", BinPath("one")), Item("Build", BinPath("make.exe"), "", 1, kTrue)});
  std::string meanwhile;
  fake.shell.during = [&] {
    meanwhile = ScreenUser::Text(window->hwnd()) +
                (IsWindowEnabled(window->hwnd()) ? "" : " disabled") +
                (IsWindowVisible(window->hwnd()) ? "" : " hidden");
  };
  Select(1);
  Click(M::tbItemOpen);
  EXPECT_EQ(meanwhile, "The Tavrin - Waiting for program to finish... disabled");
  EXPECT_EQ(ScreenUser::Text(window->hwnd()), "The Tavrin");
  EXPECT_TRUE(IsWindowEnabled(window->hwnd()));
  Click(M::btnExec);
  EXPECT_EQ(meanwhile, "The Tavrin hidden");
  const std::string waited = "wait:" + BinPath("make.exe");
  EXPECT_THAT(fake.shell.calls, ElementsAre(waited, "shell:one", waited));
  EXPECT_TRUE(window->closed());
}

// The keys as the system sends them: Enter presses Execute; Ctrl+X, Alt+X and the close
// box close the window; Ctrl+Shift+X is not the window's; Alt+I and Alt+C move
// into the frames.
TEST_F(Win32WindowTest, TheKeysOfTheWindow) {
  const struct {
    const char* name;
    MainControl control;
    int key;
    int mask;
    const char* after;  // "closed", or the control that has the focus
    std::size_t runs;
  } rows[] = {{"Enter", M::lstItems, VK_RETURN, 0, "closed", 1},
              {"Ctrl+X", M::lstItems, 'X', kCtrlMask, "closed", 0},
              {"Ctrl+Shift+X", M::lstItems, 'X', kCtrlMask | kShiftMask, "lstItems", 0},
              {"Alt+X", M::lstItems, 'X', kAltMask, "closed", 0},
              {"the close box", M::None, 0, 0, "closed", 0},
              {"Alt+I", M::btnExit, 'I', kAltMask, "lstItems", 0},
              {"Alt+C", M::lstItems, 'C', kAltMask, "cboColl", 0}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    fake.shell.calls.clear();
    Open({Item("One", BinPath("one"))});
    if (row.control != M::None) SetFocus(window->Control(row.control));
    if (row.key == 0) {
      PostMessageA(window->hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
      Pump();
    } else {
      Key(row.control, row.key, row.mask);
    }
    EXPECT_EQ(window->closed() ? "closed" : FocusName(), row.after);
    EXPECT_EQ(fake.shell.calls.size(), row.runs);
  }
}

TEST_F(Win32WindowTest, TabGoesThroughEveryControlOfTheMainWindowInTabOrder) {
  Open({Item("One", BinPath("one.exe")), Item("Two", BinPath("two.exe"))});
  // The names of the controls that Tab (Shift+Tab) goes through from the collection
  // box until it is back there.
  const auto cycle = [this](int mask) {
    SetFocus(window->Control(M::cboColl));
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

  // On a toolbar the keyboard stands on a button: Enter presses it, the arrow keys
  // move along the collection toolbar.
  SetFocus(window->Control(M::cboColl));
  KeyInFocus(VK_TAB);
  HWND collBar = win32::InnerToolbar(window->Control(M::tbCollOther));
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

  SetFocus(window->Control(M::btnExec));
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
    M focus;
    const char* focusName;
    std::function<void(ScreenUser&)> script;  // what the user does in the modal windows
    std::function<void()> gesture;            // what opens them
  };
  const int registry = static_cast<int>(GetMenuItemID(GetSubMenu(GetMenu(window->hwnd()), 1), 0));
  const Row rows[] = {
      {"the About box", M::lstItems, "lstItems", noScript, [&] { KeyInFocus(VK_F1); }},
      {"the Registry box", M::btnExit, "btnExit", noScript, [&] { command(registry); }},
      {"the Open dialog", M::cboColl, "cboColl", noScript,
       [&] { command(win32::MainWindow::CommandOf(M::tbCollOther)); }},
      {"Add... from the popup", M::lstItems, "lstItems",
       [](ScreenUser& u) {
         HWND menu = u.WaitFor([] { return ScreenUser::TopLevel("#32768"); });
         PostMessageA(menu, WM_CHAR, 'a', 1);  // the editor opens, and is cancelled
       },
       [&] { RightClickList(); }},
      {"a run that keeps the window", M::lstItems, "lstItems", noScript,
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
  // On the collection toolbar the button the keyboard stood on is marked again after the
  // dialog it opened: Enter presses Save again, not Open.
  HWND bar = win32::InnerToolbar(window->Control(M::tbCollSave));
  SetFocus(bar);
  Pump();
  SendMessageA(bar, TB_SETHOTITEM, 1, 0);
  {
    ScreenUser user(noScript);
    command(win32::MainWindow::CommandOf(M::tbCollSave));
    user.Finish();
  }
  EXPECT_EQ(GetFocus(), bar);
  EXPECT_EQ(SendMessageA(bar, TB_GETHOTITEM, 0, 0), 1);
}

// A control's place in the window's inner area.
RECT PlaceOf(HWND window, HWND control) {
  RECT r;
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// Every two visible controls of the window: one holds the other (a frame and what
// stands in it), or they do not meet. "" when that holds, else the first two that meet.
std::string Overlapping(HWND window) {
  std::vector<std::pair<std::string, RECT>> places;
  for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (!IsWindowVisible(c)) continue;
    char name[64] = "";
    GetClassNameA(c, name, sizeof name);
    places.emplace_back(std::string(name) + "#" + std::to_string(GetDlgCtrlID(c)),
                        PlaceOf(window, c));
  }
  RECT inner;
  GetClientRect(window, &inner);
  for (const auto& [a, ra] : places) {
    RECT out;
    UnionRect(&out, &ra, &inner);
    if (!EqualRect(&out, &inner)) return a + " outside the window";
    for (const auto& [b, rb] : places) {
      RECT both;
      if (&a == &b || !IntersectRect(&both, &ra, &rb)) continue;
      if (!EqualRect(&both, &ra) && !EqualRect(&both, &rb)) return a + " and " + b;
    }
  }
  return "";
}

// The list and the details pane take the room of a grown or maximized window; at the
// smallest size and at 1920 x 1080 no two controls overlap; smaller it does not get.
TEST_F(Win32WindowTest, TheListAndTheDetailsTakeTheRoomOfAGrownWindow) {
  auto& w = Open({Item("One", BinPath("one.exe"))});
  HWND list = w.Control(M::lstItems);
  const RECT before = PlaceOf(w.hwnd(), list);
  RECT smallest;
  GetWindowRect(w.hwnd(), &smallest);
  EXPECT_EQ(Overlapping(w.hwnd()), "");
  SetWindowPos(w.hwnd(), nullptr, 0, 0, 1920, 1080, SWP_NOZORDER | SWP_NOACTIVATE);
  Pump();
  const RECT grown = PlaceOf(w.hwnd(), list);
  EXPECT_EQ(grown.left, before.left);
  EXPECT_EQ(grown.top, before.top);
  // The screen may be smaller than asked for: the list takes its share of what the
  // window did grow.
  RECT larger;
  GetWindowRect(w.hwnd(), &larger);
  const long wider = (larger.right - larger.left) - (smallest.right - smallest.left);
  const long higher = (larger.bottom - larger.top) - (smallest.bottom - smallest.top);
  ASSERT_GT(wider, 300);
  ASSERT_GT(higher, 300);
  EXPECT_GT(grown.right - grown.left, before.right - before.left + wider / 4);
  EXPECT_GT(grown.bottom - grown.top, before.bottom - before.top + higher / 2);
  EXPECT_EQ(Overlapping(w.hwnd()), "");
  SetWindowPos(w.hwnd(), nullptr, 0, 0, 10, 10, SWP_NOZORDER | SWP_NOACTIVATE);
  Pump();
  RECT now;
  GetWindowRect(w.hwnd(), &now);
  EXPECT_EQ(now.right - now.left, smallest.right - smallest.left);
  EXPECT_EQ(now.bottom - now.top, smallest.bottom - smallest.top);
  const RECT back = PlaceOf(w.hwnd(), list);
  EXPECT_TRUE(EqualRect(&back, &before));
  ::ShowWindow(w.hwnd(), SW_MAXIMIZE);
  Pump();
  const RECT maximized = PlaceOf(w.hwnd(), list);
  EXPECT_GT(maximized.bottom - maximized.top, before.bottom - before.top);
  EXPECT_EQ(Overlapping(w.hwnd()), "");
}

// What a screen reader is told of a control: its accessible name and description.
std::string Told(HWND control) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  IAccessible* accessible = nullptr;
  if (FAILED(AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                        reinterpret_cast<void**>(&accessible)))) {
    return "(no accessible object)";
  }
  VARIANT self;
  VariantInit(&self);
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  std::string told;
  for (const auto get : {&IAccessible::get_accName, &IAccessible::get_accDescription}) {
    BSTR text = nullptr;
    if ((accessible->*get)(self, &text) == S_OK && text != nullptr) {
      for (const wchar_t* c = text; *c != 0; ++c) told += static_cast<char>(*c);
      told += "|";
      SysFreeString(text);
    }
  }
  accessible->Release();
  return told;
}

// The File menu's "Capture Open Windows..." is always enabled, its "Stop Started
// Programs" while the collection has a file,
// the Options menu's "Run Options..." while an item is selected; the empty list shows
// its hint, framed by the focus mark while the list has the focus, and a screen reader
// is told it.
TEST_F(Win32WindowTest, TheMenuEntriesAndTheEmptyListsHintAndFocus) {
  // How many pixels of the list, painted afresh, `counts` takes.
  const auto painted = [this](HWND list,
                              const std::function<bool(int x, int y, COLORREF)>& counts) {
    RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    Pump();
    HDC dc = GetDC(list);
    RECT r;
    GetClientRect(list, &r);
    int found = 0;
    for (int y = 0; y < r.bottom; ++y) {
      for (int x = 0; x < r.right; ++x) found += counts(x, y, GetPixel(dc, x, y)) ? 1 : 0;
    }
    ReleaseDC(list, dc);
    return found;
  };
  const auto grayTexts = [&](HWND list) {
    return painted(list, [](int, int, COLORREF c) { return c == GetSysColor(COLOR_GRAYTEXT); });
  };
  // The list's top edge, one pixel inside: the focus mark's, or the background.
  const auto markedEdge = [&](HWND list) {
    return painted(list, [](int x, int y, COLORREF c) {
      return y == 1 && x >= 2 && c != GetSysColor(COLOR_WINDOW);
    });
  };
  auto& w = Open({Item("One", BinPath("one.exe"))});
  HMENU file = GetSubMenu(GetMenu(w.hwnd()), 0);
  char capture[64] = "", stop[64] = "";
  GetMenuStringA(file, 0, capture, sizeof capture, MF_BYPOSITION);
  GetMenuStringA(file, 1, stop, sizeof stop, MF_BYPOSITION);
  EXPECT_STREQ(capture, "&Capture Open Windows...");
  EXPECT_STREQ(stop, "&Stop Started Programs");
  EXPECT_EQ(GetMenuState(file, 1, MF_BYPOSITION) & MF_GRAYED, 0U);  // the collection has a file
  HMENU options = GetSubMenu(GetMenu(w.hwnd()), 1);
  char text[64] = "";
  GetMenuStringA(options, 1, text, sizeof text, MF_BYPOSITION);
  EXPECT_STREQ(text, "Run &Options...");
  EXPECT_NE(GetMenuState(options, 1, MF_BYPOSITION) & MF_GRAYED, 0U);
  Select(0);
  EXPECT_EQ(GetMenuState(options, 1, MF_BYPOSITION) & MF_GRAYED, 0U);
  HWND list = w.Control(M::lstItems);
  EXPECT_EQ(grayTexts(list), 0);
  const std::string hint = "Right-click here to add an item";
  EXPECT_EQ(Told(list).find(hint), std::string::npos);
  Click(M::tbCollNew);
  EXPECT_NE(GetMenuState(options, 1, MF_BYPOSITION) & MF_GRAYED, 0U);
  EXPECT_NE(GetMenuState(file, 1, MF_BYPOSITION) & MF_GRAYED, 0U);
  EXPECT_EQ(GetMenuState(file, 0, MF_BYPOSITION) & MF_GRAYED, 0U);  // a capture needs no file
  ASSERT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 0);
  EXPECT_GT(grayTexts(list), 40);
  EXPECT_NE(Told(list).find(hint), std::string::npos) << Told(list);
  SetFocus(w.Control(M::cboColl));
  EXPECT_EQ(markedEdge(list), 0);
  SetFocus(list);
  EXPECT_GT(markedEdge(list), 20);
}

// The picture size of a toolbar control.
int PictureOf(HWND toolbarControl) {
  auto* images = reinterpret_cast<HIMAGELIST>(
      SendMessageA(win32::InnerToolbar(toolbarControl), TB_GETIMAGELIST, 0, 0));
  int width = 0, height = 0;
  ImageList_GetIconSize(images, &width, &height);
  return width == height ? width : -1;
}

int FontHeight(HWND control) {
  LOGFONTA font{};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)), sizeof font, &font);
  return font.lfHeight;
}

std::string Layout(int width, int height, int left, int font, int picture) {
  return "inner " + std::to_string(width) + "x" + std::to_string(height) + ", Exit at " +
         std::to_string(left) + ", font " + std::to_string(font) + ", pictures " +
         std::to_string(picture);
}

// The main window as designed at `dpi`: its inner area of 7860 by 3780 twips, Exit 4770
// twips from the left, Execute's 12 points, pictures of 16 pixels at 96 DPI.
std::string Designed(int dpi) {
  return Layout(MulDiv(7860, dpi, 1440), MulDiv(3780, dpi, 1440), MulDiv(4770, dpi, 1440),
                -MulDiv(1200, dpi, 7200), MulDiv(16, dpi, 96));
}

std::string Shown(win32::MainWindow& w) {
  RECT inner, exit;
  GetClientRect(w.hwnd(), &inner);
  HWND exitButton = w.Control(MainControl::btnExit);
  GetWindowRect(exitButton, &exit);
  MapWindowPoints(nullptr, w.hwnd(), reinterpret_cast<POINT*>(&exit), 2);
  // Every toolbar has the same pictures.
  int picture = PictureOf(w.Control(MainControl::tbCollOther));
  for (MainControl bar : {MainControl::tbItemUp, MainControl::tbItemEdit, MainControl::tbItemRemove,
                          MainControl::tbItemOpen, MainControl::tbItemDown}) {
    if (PictureOf(w.Control(bar)) != picture) picture = -1;
  }
  return Layout(inner.right, inner.bottom, exit.left, FontHeight(w.Control(MainControl::btnExec)),
                picture);
}

// Tells a window that it has moved to a screen of `dpi`, as the system does.
void MoveToScreenOf(HWND window, int dpi) {
  RECT now;
  GetWindowRect(window, &now);
  SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&now));
}

// Laid out at the system's DPI (in the process the next test starts, the one it set), and
// again after each move.
TEST_F(Win32WindowTest, MovedToAScreenOfAnotherDpiTheWindowIsLaidOutAgain) {
  const int system = win32::LayoutDpi();
  if (const char* set = std::getenv("TAVRIN_TEST_DPI")) {
    EXPECT_EQ(system, std::atoi(set));
  }
  struct Back {
    ~Back() { win32::UseDpi(0); }
  } back;
  auto& w = Open({Item("One", BinPath("one.exe"))});
  EXPECT_EQ(Shown(w), Designed(system));
  for (int dpi : {144, 192, 120, system}) {
    MoveToScreenOf(w.hwnd(), dpi);
    EXPECT_EQ(Shown(w), Designed(dpi)) << dpi;
  }
  // Grown by the user, it keeps its growth, scaled with the screen.
  RECT frame;
  GetWindowRect(w.hwnd(), &frame);
  SetWindowPos(w.hwnd(), nullptr, 0, 0, frame.right - frame.left + 120,
               frame.bottom - frame.top + 80, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  MoveToScreenOf(w.hwnd(), 120);
  RECT inner;
  GetClientRect(w.hwnd(), &inner);
  EXPECT_EQ(inner.right, MulDiv(7860, 120, 1440) + MulDiv(120, 120, system));
  EXPECT_EQ(inner.bottom, MulDiv(3780, 120, 1440) + MulDiv(80, 120, system));
}

TEST_F(Win32WindowTest, TheWindowsTakeTheSystemsDpi) {
  // The screen's DPI as a user sets it, read by every program when it starts.
  const char* const desktop = "Control Panel\\Desktop";
  DWORD before = 0;
  DWORD size = sizeof before;
  const bool had = RegGetValueA(HKEY_CURRENT_USER, desktop, "LogPixels", RRF_RT_REG_DWORD, nullptr,
                                &before, &size) == ERROR_SUCCESS;
  char program[MAX_PATH];
  GetModuleFileNameA(nullptr, program, MAX_PATH);
  for (DWORD dpi : {144UL, 96UL}) {
    RegSetKeyValueA(HKEY_CURRENT_USER, desktop, "LogPixels", REG_DWORD, &dpi, sizeof dpi);
    const auto run =
        testing::RunProcess({program, "--gtest_filter=Win32WindowTest.MovedToAScreen*"},
                            {{"TAVRIN_TEST_DPI", std::to_string(dpi)}});
    EXPECT_EQ(run.exitCode, 0) << dpi << ":\n" << run.out << run.err;
  }
  if (had) {
    RegSetKeyValueA(HKEY_CURRENT_USER, desktop, "LogPixels", REG_DWORD, &before, sizeof before);
  } else {
    RegDeleteKeyValueA(HKEY_CURRENT_USER, desktop, "LogPixels");
  }
}

}  // namespace
}  // namespace tavrin

// The main window's Win32 view: each gesture reaches the form, and the controls show
// what the form says. The rules themselves are the forms' tests'.
#include <windows.h>

#include "forms/keys.h"
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
      {"a click on an entry", [&] { Select(1); }, "games: chess go [save delete exec] 1 11111 go"},
      {"Up in the list", [&] { Key(M::lstItems, VK_UP); },
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

// The keys as the system sends them: Enter presses Execute; Esc, Ctrl+X, Alt+X and the
// close box close the window; Ctrl+Shift+X is not the window's; Alt+I and Alt+C move
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
              {"Esc", M::cboColl, VK_ESCAPE, 0, "closed", 0},
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

}  // namespace
}  // namespace tavrin

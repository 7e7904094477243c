// The main window's Win32 view: each gesture reaches the form, and the controls show
// what the form says. The rules themselves are the forms' tests'.
#include <windows.h>

#include "forms/keys.h"
#include "window_fixture.h"

namespace tavrin {
namespace {

using testing::BinPath;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::Item;
using ::testing::StartsWith;

TEST_F(Win32WindowTest, PickingACollectionListsItAndSelectingAnItemShowsItsDetails) {
  Collection("games", {"chess", "go"});
  Collection("tools", {"make"});
  Open();
  EXPECT_THAT(BoxEntries(), ElementsAre("<None>", "games", "tools"));
  EXPECT_EQ(ItemButtons(), "00000");
  Pick(1);
  EXPECT_EQ(Seen(), "games: chess go [save delete exec]");
  EXPECT_EQ(Details(), "");
  Select(1);
  EXPECT_EQ(Selected(), 1);
  EXPECT_THAT(Details(), StartsWith("go\n-------------------------------\nFile: go\n"));
  EXPECT_EQ(ItemButtons(), "11111");
  // The arrow keys move the selection, and the details follow.
  Key(MainControl::lstItems, VK_UP);
  EXPECT_THAT(Details(), StartsWith("chess\n"));
  Pick(0);
  EXPECT_EQ(Seen(), "<None>: []");
  EXPECT_EQ(ItemButtons(), "00000");
  TypeInBox("anything");
  EXPECT_EQ(BoxText(), "anything");
  EXPECT_TRUE(Enabled(MainControl::btnExec));
}

TEST_F(Win32WindowTest, TheItemToolbarMovesRemovesAndOpensTheSelectedItem) {
  Open({Item("First", BinPath("first")), Item("Second", BinPath("second")),
        Item("Build", BinPath("make.exe"), "", 1, kTrue)});
  Select(0);
  Click(MainControl::tbItemDown);
  EXPECT_EQ(Seen(), "<Current Collection>: Second First Build [save exec]");
  EXPECT_THAT(Details(), HasSubstr("Position: 2"));
  Click(MainControl::tbItemUp);
  EXPECT_EQ(Selected(), 0);
  Click(MainControl::tbItemRemove);
  EXPECT_THAT(Listed(), ElementsAre("Second", "Build"));
  // The Delete key in the list does the same.
  Key(MainControl::lstItems, VK_DELETE);
  EXPECT_THAT(Listed(), ElementsAre("Build"));
  std::string captionMeanwhile;
  bool enabledMeanwhile = true;
  fake.shell.during = [&] {
    captionMeanwhile = Caption();
    enabledMeanwhile = IsWindowEnabled(window->hwnd()) != 0;
  };
  Click(MainControl::tbItemOpen);
  EXPECT_THAT(fake.shell.calls, ElementsAre("wait:" + BinPath("make.exe")));
  EXPECT_EQ(captionMeanwhile, "The Tavrin - Waiting for program to finish...");
  EXPECT_FALSE(enabledMeanwhile);
  EXPECT_EQ(Caption(), "The Tavrin");
  EXPECT_TRUE(IsWindowEnabled(window->hwnd()));
}

TEST_F(Win32WindowTest, TheCollectionToolbarSavesDeletesAndOpensAnother) {
  Collection("games", {"chess", "go"});
  Open();
  Pick(1);
  Select(0);
  Click(MainControl::tbItemDown);
  dialogs.answers.push_back({true, dir.file("mine")});
  Click(MainControl::tbCollSave);
  EXPECT_EQ(Seen(), "mine: go chess [save delete exec]");
  EXPECT_THAT(BoxEntries(), ElementsAre("<None>", "games", "mine"));
  Click(MainControl::tbCollDelete);
  EXPECT_EQ(Seen(), "<None>: [save]");
  Pick(1);
  Click(MainControl::tbCollNew);
  EXPECT_EQ(Seen(), "<New Collection>: []");
  testing::WriteFile(dir.file("elsewhere.tavrin"), testing::CollectionOfNames({"far"}));
  dialogs.answers.push_back({true, dir.file("elsewhere.tavrin")});
  Click(MainControl::tbCollOther);
  EXPECT_EQ(Seen(), "elsewhere: far [save delete exec]");
  EXPECT_EQ(dialogs.requests.size(), 2u);
  EXPECT_TRUE(boxes.empty());
}

TEST_F(Win32WindowTest, ExecuteRunsTheCollectionAndClosesTheWindow) {
  Open({Item("One", BinPath("one")), Item("Two", BinPath("two"))});
  bool hiddenMeanwhile = false;
  fake.shell.during = [&] { hiddenMeanwhile = !IsWindowVisible(window->hwnd()); };
  Click(MainControl::btnExec);
  EXPECT_THAT(fake.shell.calls, ElementsAre("shell:one", "shell:two"));
  EXPECT_TRUE(hiddenMeanwhile);
  EXPECT_TRUE(window->closed());
}

// Enter presses Execute; Esc, Ctrl+X, Alt+X and the close box close the window.
TEST_F(Win32WindowTest, TheKeysThatRunOrCloseTheWindow) {
  const struct {
    const char* name;
    MainControl control;
    int key;
    int mask;
    std::size_t runs;
  } rows[] = {{"Enter", MainControl::lstItems, VK_RETURN, 0, 1},
              {"Esc", MainControl::cboColl, VK_ESCAPE, 0, 0},
              {"Ctrl+X", MainControl::lstItems, 'X', kCtrlMask, 0},
              {"Alt+X", MainControl::lstItems, 'X', kAltMask, 0},
              {"the close box", MainControl::None, 0, 0, 0}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    fake.shell.calls.clear();
    Open({Item("One", BinPath("one"))});
    if (row.key == 0) {
      PostMessageA(window->hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
      Pump();
    } else {
      Key(row.control, row.key, row.mask);
    }
    EXPECT_TRUE(window->closed());
    EXPECT_EQ(fake.shell.calls.size(), row.runs);
  }
}

TEST_F(Win32WindowTest, AltAccessKeysMoveIntoTheFrames) {
  Open({Item("One", BinPath("one"))});
  Key(MainControl::btnExit, 'I', kAltMask);
  EXPECT_EQ(FocusName(), "lstItems");
  Key(MainControl::lstItems, 'C', kAltMask);
  EXPECT_EQ(FocusName(), "cboColl");
}

}  // namespace
}  // namespace tavrin

// The main window's Win32 view: each gesture reaches the form, and the controls show
// what the form says. The rules themselves are the forms' tests'.
#include <windows.h>
// The common controls after the system's header.
#include <commctrl.h>

#include "forms/keys.h"
#include "window_fixture.h"

namespace tavrin {
namespace {

using testing::BinPath;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::Item;
using ::testing::StartsWith;

std::string FontFace(HWND control) {
  auto* font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
  LOGFONTA face{};
  GetObjectA(font, sizeof face, &face);
  return std::string(face.lfFaceName) + (face.lfWeight >= FW_BOLD ? " bold" : "");
}

TEST_F(Win32WindowTest, TheWindowIsBuiltAsDesigned) {
  Collection("games", {"chess"});
  auto& w = Open();
  EXPECT_EQ(Caption(), "The Tavrin");
  // A fixed single border, a minimise box and no maximise box.
  const auto style = GetWindowLongPtrA(w.hwnd(), GWL_STYLE);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);
  // The inner area is 7860 by 3780 twips, at the system's DPI.
  RECT client;
  GetClientRect(w.hwnd(), &client);
  EXPECT_EQ(client.right, win32::Pixels(7860));
  EXPECT_EQ(client.bottom, win32::Pixels(3780));
  // Centred on the work area.
  RECT frame, area;
  GetWindowRect(w.hwnd(), &frame);
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  EXPECT_LE(std::abs((frame.left + frame.right) - (area.left + area.right)), 2);
  EXPECT_LE(std::abs((frame.top + frame.bottom) - (area.top + area.bottom)), 2);

  EXPECT_EQ(ScreenUser::Text(w.frameColl()), "Tavrin &Collection");
  EXPECT_EQ(ScreenUser::Text(w.frameItems()), "Tavrin &Items");
  EXPECT_EQ(ScreenUser::Text(w.Control(MainControl::btnExec)), "Execute &Tavrin");
  EXPECT_EQ(ScreenUser::Text(w.Control(MainControl::btnExit)), "E&xit");
  EXPECT_EQ(FontFace(w.Control(MainControl::cboColl)), "Times New Roman");
  EXPECT_EQ(FontFace(w.Control(MainControl::btnExec)), "Times New Roman bold");
  EXPECT_EQ(FontFace(w.picDetails()), "Courier New");
  // Execute is the default button.
  EXPECT_TRUE(GetWindowLongPtrA(w.Control(MainControl::btnExec), GWL_STYLE) & BS_DEFPUSHBUTTON);

  // The menu bar, with the shortcuts written beside their entries.
  HMENU menuBar = GetMenu(w.hwnd());
  char text[64];
  Strings menus;
  for (int i = 0; i < GetMenuItemCount(menuBar); ++i) {
    GetMenuStringA(menuBar, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
    std::string entry = text;
    GetMenuStringA(GetSubMenu(menuBar, i), 0, text, sizeof text, MF_BYPOSITION);
    menus.push_back(entry + " > " + text);
  }
  EXPECT_THAT(menus,
              ElementsAre("&File > E&xit\tCtrl+X", "O&ptions > &Registry...", "&? > &About\tF1"));

  // Every toolbar is the system's, flat, with its pictures.
  for (Hwnd control : w.Toolbars()) {
    HWND bar = win32::InnerToolbar(control);
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(SendMessageA(bar, TB_GETSTYLE, 0, 0) & TBSTYLE_FLAT);
    auto* images = reinterpret_cast<HIMAGELIST>(SendMessageA(bar, TB_GETIMAGELIST, 0, 0));
    EXPECT_EQ(ImageList_GetImageCount(images), SendMessageA(bar, TB_BUTTONCOUNT, 0, 0));
  }
  EXPECT_EQ(
      SendMessageA(win32::InnerToolbar(w.Control(MainControl::tbCollOther)), TB_BUTTONCOUNT, 0, 0),
      4);
}

TEST_F(Win32WindowTest, PickingACollectionListsItAndSelectingAnItemShowsItsDetails) {
  Collection("games", {"chess", "go"});
  Collection("tools", {"make"});
  Open();
  EXPECT_THAT(BoxEntries(), ElementsAre("<None>", "games", "tools"));
  EXPECT_EQ(Seen(), "<None>: []");
  EXPECT_EQ(ItemButtons(), "00000");

  Pick(1);
  EXPECT_EQ(Seen(), "games: chess go [save delete exec]");
  EXPECT_EQ(Selected(), -1);
  EXPECT_EQ(Details(), "");

  Select(1);
  EXPECT_EQ(Selected(), 1);
  EXPECT_THAT(Details(), StartsWith("go\n-------------------------------\nFile: go\n"));
  EXPECT_THAT(Details(), HasSubstr("Position: 2"));
  EXPECT_EQ(ItemButtons(), "11111");

  // The arrow keys move the selection, and the details follow.
  Key(MainControl::lstItems, VK_UP);
  EXPECT_EQ(Selected(), 0);
  EXPECT_THAT(Details(), StartsWith("chess\n"));

  Pick(0);
  EXPECT_EQ(Seen(), "<None>: []");
  EXPECT_EQ(ItemButtons(), "00000");
}

TEST_F(Win32WindowTest, TypingInTheBoxReachesTheForm) {
  Open();
  TypeInBox("anything");
  EXPECT_EQ(BoxText(), "anything");
  EXPECT_TRUE(Enabled(MainControl::btnExec));
  TypeInBox("<None>");
  EXPECT_FALSE(Enabled(MainControl::btnExec));
}

TEST_F(Win32WindowTest, TheItemToolbarMovesAndRemovesTheSelectedItem) {
  Open({Item("First", BinPath("first")), Item("Second", BinPath("second")),
        Item("Third", BinPath("third"))});
  EXPECT_EQ(Seen(), "c: First Second Third [save delete exec]");
  Select(0);
  Click(MainControl::tbItemDown);
  EXPECT_EQ(Seen(), "<Current Collection>: Second First Third [save exec]");
  EXPECT_EQ(Selected(), 1);
  EXPECT_THAT(Details(), HasSubstr("Position: 2"));
  Click(MainControl::tbItemUp);
  EXPECT_THAT(Listed(), ElementsAre("First", "Second", "Third"));
  EXPECT_EQ(Selected(), 0);

  Select(2);
  Click(MainControl::tbItemRemove);
  EXPECT_THAT(Listed(), ElementsAre("First", "Second"));
  EXPECT_EQ(Selected(), 1);
  // The Delete key in the list does the same.
  Key(MainControl::lstItems, VK_DELETE);
  EXPECT_THAT(Listed(), ElementsAre("First"));
  EXPECT_EQ(Selected(), 0);
  EXPECT_THAT(Details(), StartsWith("First\n"));
  // The only item: the box goes back to "<None>".
  Key(MainControl::lstItems, VK_DELETE);
  EXPECT_EQ(Seen(), "<None>: []");
}

TEST_F(Win32WindowTest, OpenStartsTheSelectedItemAndAWaitedOneShowsTheWaitingCaption) {
  Open({Item("Editor", BinPath("editor")), Item("Build", BinPath("make.exe"), "", 1, kTrue)});
  std::string captionMeanwhile;
  bool enabledMeanwhile = true;
  fake.shell.during = [&] {
    captionMeanwhile = Caption();
    enabledMeanwhile = IsWindowEnabled(window->hwnd()) != 0;
  };
  Select(1);
  Click(MainControl::tbItemOpen);
  EXPECT_THAT(fake.shell.calls, ElementsAre("wait:" + BinPath("make.exe")));
  EXPECT_EQ(captionMeanwhile, "The Tavrin - Waiting for program to finish...");
  EXPECT_FALSE(enabledMeanwhile);
  EXPECT_EQ(Caption(), "The Tavrin");
  EXPECT_TRUE(IsWindowEnabled(window->hwnd()));
}

TEST_F(Win32WindowTest, TheCollectionToolbarSavesDeletesAndStartsAnew) {
  Collection("games", {"chess", "go"});
  Open();
  Pick(1);
  Select(0);
  Click(MainControl::tbItemDown);
  dialogs.answers.push_back({true, dir.file("mine")});
  Click(MainControl::tbCollSave);
  ASSERT_EQ(dialogs.requests.size(), 1u);
  EXPECT_EQ(Seen(), "mine: go chess [save delete exec]");
  EXPECT_THAT(BoxEntries(), ElementsAre("<None>", "games", "mine"));

  Click(MainControl::tbCollDelete);
  EXPECT_EQ(Seen(), "<None>: [save]");
  EXPECT_THAT(BoxEntries(), ElementsAre("<None>", "games"));

  Pick(1);
  Click(MainControl::tbCollNew);
  EXPECT_EQ(Seen(), "<New Collection>: []");

  // "Other": a collection from anywhere.
  testing::WriteFile(dir.file("elsewhere.tavrin"), testing::CollectionOfNames({"far"}));
  dialogs.answers.push_back({true, dir.file("elsewhere.tavrin")});
  Click(MainControl::tbCollOther);
  EXPECT_EQ(Seen(), "elsewhere: far [save delete exec]");
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

TEST_F(Win32WindowTest, ExecuteWithShiftHeldKeepsTheWindowOpen) {
  Open({Item("One", BinPath("one"))});
  Hold(MainControl::btnExec, kShiftMask);
  Click(MainControl::btnExec);
  EXPECT_THAT(fake.shell.calls, ElementsAre("shell:one"));
  EXPECT_FALSE(window->closed());
  EXPECT_TRUE(IsWindowVisible(window->hwnd()));
  // Any key going up clears the mark: the next Execute closes the window.
  Release(MainControl::btnExec, kShiftMask);
  Click(MainControl::btnExec);
  EXPECT_TRUE(window->closed());
}

TEST_F(Win32WindowTest, EnterPressesExecute) {
  Open({Item("One", BinPath("one"))});
  Key(MainControl::lstItems, VK_RETURN);
  EXPECT_THAT(fake.shell.calls, ElementsAre("shell:one"));
  EXPECT_TRUE(window->closed());
}

TEST_F(Win32WindowTest, EscAndCtrlXAndTheCloseBoxCloseTheWindow) {
  Open();
  Key(MainControl::cboColl, VK_ESCAPE);
  EXPECT_TRUE(window->closed());

  Open();
  Key(MainControl::lstItems, 'X', kCtrlMask);
  EXPECT_TRUE(window->closed());

  Open();
  PostMessageA(window->hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
  Pump();
  EXPECT_TRUE(window->closed());
  EXPECT_TRUE(fake.shell.calls.empty());
}

TEST_F(Win32WindowTest, AltAccessKeysMoveIntoTheFramesAndPressTheButtons) {
  Open({Item("One", BinPath("one"))});
  Key(MainControl::btnExit, 'I', kAltMask);
  EXPECT_EQ(Focus(), window->Control(MainControl::lstItems));
  Key(MainControl::lstItems, 'C', kAltMask);
  EXPECT_TRUE(IsChild(window->Control(MainControl::cboColl), Focus()) ||
              Focus() == window->Control(MainControl::cboColl));
  Key(MainControl::lstItems, 'X', kAltMask);
  EXPECT_TRUE(window->closed());
}

}  // namespace
}  // namespace tavrin

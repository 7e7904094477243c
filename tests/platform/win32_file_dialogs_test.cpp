// The system's Open and Save As dialogs, shown for real and worked by a user on another
// thread: the user finds the dialog over its owner, reads what it shows, types a name
// and presses its buttons, and the test checks what the call gives back.
#include "platform/win32/win32_file_dialogs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "collection/paths.h"
#include "dialogs/common_dialog.h"
#include "temp_dir.h"
#include "win32_user.h"

// After the program's headers: the system names the dialog flags with macros.
#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>

namespace tavrin::win32 {
namespace {

using Names = std::vector<std::string>;
using testing::ScreenUser;
namespace fs = std::filesystem;

// The file-name box: a combo box with an edit inside, or a plain edit.
HWND FileNameBox(HWND dialog) {
  if (HWND combo = GetDlgItem(dialog, cmb13)) {
    if (HWND edit = ScreenUser::Descendant(combo, "Edit")) return edit;
  }
  return GetDlgItem(dialog, edt1);
}

// The folder the dialog shows.
std::string FolderShown(HWND dialog) {
  char folder[MAX_PATH] = "";
  SendMessageA(dialog, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(folder));
  return folder;
}

// The names the dialog lists, sorted.
Names Listed(HWND dialog) {
  Names names;
  const HWND list = ScreenUser::Descendant(dialog, "SysListView32");
  const auto count = list ? SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) : 0;
  for (LRESULT i = 0; i < count; ++i) {
    char text[MAX_PATH] = "";
    LVITEMA item{};
    item.pszText = text;
    item.cchTextMax = MAX_PATH;
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    names.push_back(text);
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Whether two paths name the same file or folder, as the system compares them.
bool PathsEqual(const fs::path& a, const std::string& b) {
  return lstrcmpiA(a.string().c_str(), b.c_str()) == 0;
}

// A folder with a program of each kind, a document, a collection and a subfolder, and a
// plain top-level window for the dialogs to belong to. The process's current folder is
// given back afterwards.
struct DialogTest : ::testing::Test {
  DialogTest() {
    for (const char* name : {"a.exe", "b.bat", "c.com", "d.txt", "e.tavrin", "sub\\tool.exe"}) {
      fs::create_directories(fs::path(dir.file(name)).parent_path());
      testing::WriteFile(dir.file(name), "x");
    }
  }
  ~DialogTest() override {
    DestroyWindow(owner);
    fs::current_path(before);
  }
  void SetUp() override { ASSERT_NE(owner, nullptr) << "no window can be created here"; }

  testing::TempDir dir;
  fs::path before = fs::current_path();
  HWND owner = CreateWindowExA(0, "STATIC", "Tavrin dialog owner", WS_OVERLAPPEDWINDOW, 40, 40, 400,
                               300, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  Win32FileDialogs dialogs{owner};
};

// The Open dialog: modal over its owner, with an empty file name whatever the record
// held, listing the files of the filter asked for (and folders, to walk into); the folder
// the user went into becomes the current one.
TEST_F(DialogTest, OpenShowsTheFilterAskedForAndTakesOnlyAFileThatExists) {
  fs::current_path(dir.path());  // the system's default folder
  OpenFileName record;
  record.lpstrFile = "C:\\Games\\old.exe";
  bool modal = false, wentIn = false;
  std::string name, folder;
  Names listed;
  ScreenUser user([&](ScreenUser& u) {
    const HWND dialog = u.WaitForDialog(owner);
    modal = dialog && !IsWindowEnabled(owner);
    name = ScreenUser::Text(FileNameBox(dialog));
    folder = FolderShown(dialog);
    const Names programs{"a.exe", "b.bat", "c.com", "sub"};
    u.WaitUntil([&] { return Listed(dialog) == programs; });
    listed = Listed(dialog);
    ScreenUser::Type(FileNameBox(dialog), "sub");
    ScreenUser::Press(dialog, IDOK);
    wentIn = u.WaitUntil([&] { return PathsEqual(FolderShown(dialog), dir.file("sub")); });
    ScreenUser::Type(FileNameBox(dialog), "tool.exe");
    ScreenUser::Press(dialog, IDOK);
    u.WaitUntilGone(dialog);
  });
  const bool chose = ShowOpenDialog(record, 2, dialogs);
  user.Finish();

  EXPECT_TRUE(modal);
  EXPECT_EQ(name, "");
  EXPECT_TRUE(PathsEqual(folder, dir.str())) << folder;
  EXPECT_EQ(listed, (Names{"a.exe", "b.bat", "c.com", "sub"}));
  EXPECT_TRUE(wentIn);
  ASSERT_TRUE(chose);
  EXPECT_TRUE(PathsEqual(CutAtNull(record.lpstrFile), dir.file("sub\\tool.exe")));
  EXPECT_TRUE(PathsEqual(fs::current_path(), dir.file("sub")));
  EXPECT_TRUE(IsWindowEnabled(owner));
}

// The Save dialog opens in the caller's folder with the proposed name, listing the
// collections. A name typed without extension is taken with ".tavrin": when that file
// exists the dialog asks first, and Yes takes it. The current folder stays. Cancel (here
// the Esc key) gives false and leaves the caller's buffer as it was.
TEST_F(DialogTest, SaveProposesTheNameAndAsksBeforeReplacingAFile) {
  fs::current_path(dir.file("sub"));
  OpenFileName record;
  record.lpstrFile = "Games" + std::string(1019, ' ');
  record.lpstrInitialDir = dir.str();
  bool listed = false;
  std::string name, folder, question;
  ScreenUser user([&](ScreenUser& u) {
    const HWND dialog = u.WaitForDialog(owner);
    name = ScreenUser::Text(FileNameBox(dialog));
    folder = FolderShown(dialog);
    listed = u.WaitUntil([&] { return Listed(dialog) == Names{"e.tavrin", "sub"}; });
    ScreenUser::Type(FileNameBox(dialog), "e");
    ScreenUser::Press(dialog, IDOK);
    const HWND asked = u.WaitForDialog(dialog);
    question = ScreenUser::StaticTexts(asked);
    ScreenUser::Press(asked, IDYES);
    u.WaitUntilGone(dialog);
  });
  const bool chose = ShowSaveDialog(record, dialogs);
  user.Finish();

  EXPECT_EQ(name, "Games");
  EXPECT_TRUE(PathsEqual(folder, dir.str())) << folder;
  EXPECT_TRUE(listed);
  EXPECT_NE(question, "");
  ASSERT_TRUE(chose);
  EXPECT_TRUE(PathsEqual(CutAtNull(record.lpstrFile), dir.file("e.tavrin")));
  EXPECT_TRUE(PathsEqual(fs::current_path(), dir.file("sub")));

  bool cancelled = false;
  ScreenUser cancelling([&](ScreenUser& u) {
    const HWND dialog = u.WaitForDialog(owner);
    ScreenUser::Key(FileNameBox(dialog), VK_ESCAPE);
    cancelled = u.WaitUntilGone(dialog);
  });
  EXPECT_FALSE(ShowSaveDialog(record, dialogs));
  cancelling.Finish();
  EXPECT_TRUE(cancelled);  // by the key, not by the user giving up
  EXPECT_TRUE(PathsEqual(CutAtNull(record.lpstrFile), dir.file("e.tavrin")));
}

// The folder dialog tells what to choose, starts at the folder asked for, and OK takes
// the folder it stands on.
TEST_F(DialogTest, TheFolderDialogStartsAtTheFolderAskedForUnderItsPrompt) {
  FileDialogRequest request;
  request.folders = true;
  request.prompt = "Choose the working folder";
  request.initialDir = dir.file("sub");
  std::string texts, selected;
  ScreenUser user([&](ScreenUser& u) {
    const HWND dialog = u.WaitForDialog(owner);
    texts = ScreenUser::StaticTexts(dialog);
    u.WaitUntil([&] {
      const HWND tree = ScreenUser::Descendant(dialog, "SysTreeView32");
      char text[MAX_PATH] = "";
      TVITEMA item{};
      item.mask = TVIF_TEXT;
      item.hItem = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
      item.pszText = text;
      item.cchTextMax = MAX_PATH;
      if (item.hItem != nullptr)
        SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
      selected = text;
      return selected == "sub";
    });
    ScreenUser::Press(dialog, IDOK);
    u.WaitUntilGone(dialog);
  });
  std::string chosen;
  const bool chose = dialogs.Show(request, chosen);
  user.Finish();
  EXPECT_NE(texts.find("Choose the working folder"), std::string::npos) << texts;
  EXPECT_EQ(selected, "sub") << request.initialDir;
  ASSERT_TRUE(chose);
  EXPECT_TRUE(PathsEqual(chosen, dir.file("sub"))) << chosen;
}

}  // namespace
}  // namespace tavrin::win32

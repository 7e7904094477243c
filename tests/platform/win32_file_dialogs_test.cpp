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

// A plain top-level window for the dialogs to belong to.
class Owner {
 public:
  Owner()
      : window_(CreateWindowExA(0, "STATIC", "Tavrin dialog owner", WS_OVERLAPPEDWINDOW, 40, 40,
                                400, 300, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr)) {}
  ~Owner() { DestroyWindow(window_); }
  HWND get() const { return window_; }

 private:
  HWND window_;
};

// The process's current folder for the length of a test.
class CurrentFolder {
 public:
  explicit CurrentFolder(const std::string& folder) : before_(Get()) {
    SetCurrentDirectoryA(folder.c_str());
  }
  ~CurrentFolder() { SetCurrentDirectoryA(before_.c_str()); }
  static std::string Get() {
    char folder[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, folder);
    return folder;
  }

 private:
  std::string before_;
};

// The file-name box: a combo box with an edit inside, or a plain edit.
HWND FileNameBox(HWND dialog) {
  if (HWND combo = ScreenUser::Control(dialog, cmb13)) {
    if (HWND edit = ScreenUser::Descendant(combo, "Edit")) return edit;
  }
  return ScreenUser::Control(dialog, edt1);
}

// The selected entry of the box of file types.
std::string FilterShown(HWND dialog) {
  const HWND types = ScreenUser::Control(dialog, cmb1);
  const auto index = SendMessageA(types, CB_GETCURSEL, 0, 0);
  if (!types || index < 0) return "";
  std::string text(static_cast<std::size_t>(SendMessageA(types, CB_GETLBTEXTLEN, index, 0)) + 1,
                   '\0');
  text.resize(static_cast<std::size_t>(
      SendMessageA(types, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()))));
  return text;
}

// Picks another file type, as a click in the box does.
void ChooseFilter(HWND dialog, int index) {
  const HWND types = ScreenUser::Control(dialog, cmb1);
  SendMessageA(types, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  for (const int code : {CBN_SELCHANGE, CBN_SELENDOK}) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(cmb1, code), reinterpret_cast<LPARAM>(types));
  }
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
bool PathsEqual(const std::string& a, const std::string& b) {
  return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

// A folder with a program of each kind, a document, a collection and a subfolder.
struct DialogTest : ::testing::Test {
  DialogTest() {
    for (const char* name : {"a.exe", "b.bat", "c.com", "d.txt", "e.tavrin", "sub\\tool.exe"}) {
      fs::create_directories(fs::path(dir.file(name)).parent_path());
      testing::WriteFile(dir.file(name), "x");
    }
  }
  void SetUp() override { ASSERT_NE(owner.get(), nullptr) << "no window can be created here"; }

  testing::TempDir dir;
  Owner owner;
  Win32FileDialogs dialogs{owner.get()};
};

// The Open dialog: modal over its owner, with an empty file name whatever the record
// held, the filter asked for selected and listing its files (and folders, to walk into)
// until the user picks another. A name that names no file is refused with a box and the
// dialog stays; the folder the user went into becomes the current one.
TEST_F(DialogTest, OpenShowsTheFilterAskedForAndTakesOnlyAFileThatExists) {
  CurrentFolder here(dir.str());  // the system's default folder
  OpenFileName record;
  record.lpstrFile = "C:\\Games\\old.exe";
  bool modal = false, stayedOpen = false, wentIn = false;
  std::string name, filter, folder, box;
  Names listed, listedAfterChange;
  ScreenUser user([&](ScreenUser& u) {
    const HWND dialog = u.WaitForDialog(owner.get());
    modal = dialog && !IsWindowEnabled(owner.get());
    name = ScreenUser::Text(FileNameBox(dialog));
    filter = FilterShown(dialog);
    folder = FolderShown(dialog);
    const Names programs{"a.exe", "b.bat", "c.com", "sub"};
    u.WaitUntil([&] { return Listed(dialog) == programs; });
    listed = Listed(dialog);
    ChooseFilter(dialog, 2);
    u.WaitUntil([&] { return Listed(dialog).size() > programs.size(); });
    listedAfterChange = Listed(dialog);
    ScreenUser::Type(FileNameBox(dialog), "missing.exe");
    ScreenUser::Press(dialog, IDOK);
    const HWND refusal = u.WaitForDialog(dialog);
    box = ScreenUser::StaticTexts(refusal);
    ScreenUser::Press(refusal, IDOK);
    u.WaitUntilGone(refusal);
    // The box's own loop has ended once it has given the dialog its input back.
    u.WaitUntil([&] { return IsWindowEnabled(dialog) != FALSE; });
    stayedOpen = u.WaitForDialog(owner.get()) == dialog;
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
  EXPECT_EQ(filter, "Executables");
  EXPECT_TRUE(PathsEqual(folder, dir.str())) << folder;
  EXPECT_EQ(listed, (Names{"a.exe", "b.bat", "c.com", "sub"}));
  EXPECT_EQ(listedAfterChange, (Names{"a.exe", "b.bat", "c.com", "d.txt", "e.tavrin", "sub"}));
  EXPECT_NE(box, "");
  EXPECT_TRUE(stayedOpen);
  EXPECT_TRUE(wentIn);
  ASSERT_TRUE(chose);
  EXPECT_TRUE(PathsEqual(CutAtNull(record.lpstrFile), dir.file("sub\\tool.exe")));
  EXPECT_TRUE(PathsEqual(CurrentFolder::Get(), dir.file("sub")));
  EXPECT_TRUE(IsWindowEnabled(owner.get()));
}

// The Save dialog opens in the caller's folder with the proposed name and the
// collections' filter. A name typed without extension is taken with ".tavrin": when that
// file exists the dialog asks first, and No leaves it open, Yes takes it. The current
// folder stays.
TEST_F(DialogTest, SaveProposesTheNameAndAsksBeforeReplacingAFile) {
  CurrentFolder here(dir.file("sub"));
  OpenFileName record;
  record.lpstrFile = "Games" + std::string(1019, ' ');
  record.lpstrInitialDir = dir.str();
  bool modal = false, stayedOpen = false, askedAgain = false;
  std::string name, filter, folder, question;
  ScreenUser user([&](ScreenUser& u) {
    const HWND dialog = u.WaitForDialog(owner.get());
    modal = dialog && !IsWindowEnabled(owner.get());
    name = ScreenUser::Text(FileNameBox(dialog));
    filter = FilterShown(dialog);
    folder = FolderShown(dialog);
    ScreenUser::Type(FileNameBox(dialog), "e");
    ScreenUser::Press(dialog, IDOK);
    const HWND asked = u.WaitForDialog(dialog);
    question = ScreenUser::StaticTexts(asked);
    ScreenUser::Press(asked, IDNO);
    u.WaitUntilGone(asked);
    u.WaitUntil([&] { return IsWindowEnabled(dialog) != FALSE; });
    stayedOpen = u.WaitForDialog(owner.get()) == dialog;
    ScreenUser::Press(dialog, IDOK);
    const HWND again = u.WaitForDialog(dialog);
    askedAgain = again != nullptr;
    ScreenUser::Press(again, IDYES);
    u.WaitUntilGone(dialog);
  });
  const bool chose = ShowSaveDialog(record, dialogs);
  user.Finish();

  EXPECT_TRUE(modal);
  EXPECT_EQ(name, "Games");
  EXPECT_EQ(filter, "Tavrin Collections");
  EXPECT_TRUE(PathsEqual(folder, dir.str())) << folder;
  EXPECT_NE(question, "");
  EXPECT_TRUE(stayedOpen);
  EXPECT_TRUE(askedAgain);
  ASSERT_TRUE(chose);
  EXPECT_TRUE(PathsEqual(CutAtNull(record.lpstrFile), dir.file("e.tavrin")));
  EXPECT_TRUE(PathsEqual(CurrentFolder::Get(), dir.file("sub")));
}

// Cancel (here the Esc key) gives false and leaves the caller's buffer as it was; so does
// a dialog that fails, here because the chosen path does not fit in the buffer.
TEST_F(DialogTest, CancelAndFailureGiveFalse) {
  OpenFileName record;
  record.lpstrFile = "Games" + std::string(1019, ' ');
  record.lpstrInitialDir = dir.str();
  bool cancelled = false;
  ScreenUser cancelling([&](ScreenUser& u) {
    const HWND dialog = u.WaitForDialog(owner.get());
    ScreenUser::Key(FileNameBox(dialog), VK_ESCAPE);
    cancelled = u.WaitUntilGone(dialog);
  });
  EXPECT_FALSE(ShowSaveDialog(record, dialogs));
  cancelling.Finish();
  EXPECT_TRUE(cancelled);  // by the key, not by the user giving up
  EXPECT_EQ(record.lpstrFile, "Games" + std::string(1019, ' '));

  FileDialogRequest tooSmall;
  tooSmall.save = true;
  tooSmall.filters = {{"All Files", "*.*"}};
  tooSmall.initialDir = dir.str();
  tooSmall.nameBufferSize = 8;
  std::string chosen = "unchanged";
  bool closed = false;
  ScreenUser choosing([&](ScreenUser& u) {
    const HWND dialog = u.WaitForDialog(owner.get());
    ScreenUser::Type(FileNameBox(dialog), "a-long-name.tavrin");
    ScreenUser::Press(dialog, IDOK);
    closed = u.WaitUntilGone(dialog);
  });
  EXPECT_FALSE(dialogs.Show(tooSmall, chosen));
  choosing.Finish();
  EXPECT_TRUE(closed);  // by the dialog itself, not by the user giving up
  EXPECT_EQ(chosen, "unchanged");
}

}  // namespace
}  // namespace tavrin::win32

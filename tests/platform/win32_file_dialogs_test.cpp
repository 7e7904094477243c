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

// What the user saw of a dialog.
struct Seen {
  bool modal = false;  // its owner took no input while it was open
  std::string name;
  std::string filter;
  std::string folder;
  Names listed;
  Names listedAfterChange;
  std::string box;  // what a box over the dialog said
  bool stayedOpen = false;
  bool wentIn = false;
  std::string caption;  // the system's own title
};

// The Open dialog of the collection toolbar and of the item editor: modal over its owner,
// with an empty file name whatever the record held, the filter asked for selected and
// listing its files (and folders, to walk into) until the user picks another; it gives
// back the chosen path before a NUL, in a buffer of 1025 characters.
TEST_F(DialogTest, OpenShowsTheFilterAskedForAndAnEmptyName) {
  CurrentFolder here(dir.str());  // the system's default folder
  OpenFileName record;
  record.lpstrFile = "C:\\Games\\old.exe";
  Seen seen;
  ScreenUser user([&](ScreenUser& u) {
    const HWND dialog = u.WaitForDialog(owner.get());
    seen.modal = dialog && !IsWindowEnabled(owner.get());
    seen.caption = ScreenUser::Text(dialog);
    seen.name = ScreenUser::Text(FileNameBox(dialog));
    seen.filter = FilterShown(dialog);
    seen.folder = FolderShown(dialog);
    const Names programs{"a.exe", "b.bat", "c.com", "sub"};
    u.WaitUntil([&] { return Listed(dialog) == programs; });
    seen.listed = Listed(dialog);
    ChooseFilter(dialog, 2);
    u.WaitUntil([&] { return Listed(dialog).size() > programs.size(); });
    seen.listedAfterChange = Listed(dialog);
    ScreenUser::Type(FileNameBox(dialog), "d.txt");
    ScreenUser::Click(ScreenUser::Control(dialog, IDOK));
    u.WaitUntilGone(dialog);
  });
  const bool chose = ShowOpenDialog(record, 2, dialogs);
  user.Finish();

  EXPECT_TRUE(seen.modal);
  EXPECT_EQ(seen.caption, "Open");
  EXPECT_EQ(seen.name, "");
  EXPECT_EQ(seen.filter, "Executables");
  EXPECT_TRUE(PathsEqual(seen.folder, dir.str())) << seen.folder;
  EXPECT_EQ(seen.listed, (Names{"a.exe", "b.bat", "c.com", "sub"}));
  EXPECT_EQ(seen.listedAfterChange, (Names{"a.exe", "b.bat", "c.com", "d.txt", "e.tavrin", "sub"}));
  ASSERT_TRUE(chose);
  EXPECT_EQ(record.lpstrFile.size(), 1025u);
  EXPECT_TRUE(PathsEqual(CutAtNull(record.lpstrFile), dir.file("d.txt")));
  EXPECT_TRUE(IsWindowEnabled(owner.get()));
}

// A name that names no file is refused with a box, and the dialog stays for another try.
// The folder the user went into to choose the file becomes the current one.
TEST_F(DialogTest, OpenTakesOnlyAFileThatExists) {
  CurrentFolder here(dir.str());
  OpenFileName record;
  Seen seen;
  ScreenUser user([&](ScreenUser& u) {
    const HWND dialog = u.WaitForDialog(owner.get());
    ScreenUser::Type(FileNameBox(dialog), "missing.exe");
    ScreenUser::Press(dialog, IDOK);
    const HWND box = u.WaitForDialog(dialog);
    seen.box = ScreenUser::StaticTexts(box);
    ScreenUser::Press(box, IDOK);
    u.WaitUntilGone(box);
    // The box's own loop has ended once it has given the dialog its input back.
    u.WaitUntil([&] { return IsWindowEnabled(dialog) != FALSE; });
    seen.stayedOpen = u.WaitForDialog(owner.get()) == dialog;
    // A folder's name goes into the folder.
    ScreenUser::Type(FileNameBox(dialog), "sub");
    ScreenUser::Press(dialog, IDOK);
    seen.wentIn = u.WaitUntil([&] { return PathsEqual(FolderShown(dialog), dir.file("sub")); });
    ScreenUser::Type(FileNameBox(dialog), "tool.exe");
    ScreenUser::Press(dialog, IDOK);
    u.WaitUntilGone(dialog);
  });
  const bool chose = ShowOpenDialog(record, 1, dialogs);
  user.Finish();

  EXPECT_NE(seen.box, "");
  EXPECT_TRUE(seen.stayedOpen);
  EXPECT_TRUE(seen.wentIn);
  ASSERT_TRUE(chose);
  EXPECT_TRUE(PathsEqual(CutAtNull(record.lpstrFile), dir.file("sub\\tool.exe")));
  EXPECT_TRUE(PathsEqual(CurrentFolder::Get(), dir.file("sub")));
}

// The Save dialog of the collection toolbar opens in the caller's folder with the
// proposed name and the collections' filter; a name typed without extension comes back
// with ".tavrin", in a buffer of the caller's size; the current folder stays.
TEST_F(DialogTest, SaveProposesTheNameInTheFolderAndAppendsTheExtension) {
  CurrentFolder here(dir.file("sub"));
  OpenFileName record;
  record.lpstrFile = "Games" + std::string(1019, ' ');
  record.lpstrInitialDir = dir.str();
  Seen seen;
  ScreenUser user([&](ScreenUser& u) {
    const HWND dialog = u.WaitForWindow("#32770", "Save As");
    seen.modal = dialog && !IsWindowEnabled(owner.get());
    seen.name = ScreenUser::Text(FileNameBox(dialog));
    seen.filter = FilterShown(dialog);
    seen.folder = FolderShown(dialog);
    ScreenUser::Type(FileNameBox(dialog), "mine");
    ScreenUser::Press(dialog, IDOK);
    u.WaitUntilGone(dialog);
  });
  const bool chose = ShowSaveDialog(record, dialogs);
  user.Finish();

  EXPECT_TRUE(seen.modal);
  EXPECT_EQ(seen.name, "Games");
  EXPECT_EQ(seen.filter, "Tavrin Collections");
  EXPECT_TRUE(PathsEqual(seen.folder, dir.str())) << seen.folder;
  ASSERT_TRUE(chose);
  EXPECT_EQ(record.lpstrFile.size(), 1024u);
  EXPECT_TRUE(PathsEqual(CutAtNull(record.lpstrFile), dir.file("mine.tavrin")));
  EXPECT_TRUE(PathsEqual(CurrentFolder::Get(), dir.file("sub")));
}

// Choosing a file that exists asks first, the name typed with its extension or without:
// No leaves the dialog open, Yes takes it.
TEST_F(DialogTest, SaveAsksBeforeReplacingAFile) {
  for (const char* typed : {"e.tavrin", "e"}) {
    SCOPED_TRACE(typed);
    OpenFileName record;
    record.lpstrFile = std::string(1024, ' ');
    record.lpstrInitialDir = dir.str();
    std::string firstQuestion;
    bool askedAgain = false;
    Seen seen;
    ScreenUser user([&](ScreenUser& u) {
      const HWND dialog = u.WaitForDialog(owner.get());
      ScreenUser::Type(FileNameBox(dialog), typed);
      ScreenUser::Press(dialog, IDOK);
      const HWND question = u.WaitForDialog(dialog);
      firstQuestion = ScreenUser::StaticTexts(question);
      ScreenUser::Press(question, IDNO);
      u.WaitUntilGone(question);
      u.WaitUntil([&] { return IsWindowEnabled(dialog) != FALSE; });
      seen.stayedOpen = u.WaitForDialog(owner.get()) == dialog;
      ScreenUser::Press(dialog, IDOK);
      const HWND again = u.WaitForDialog(dialog);
      askedAgain = again != nullptr;
      ScreenUser::Press(again, IDYES);
      u.WaitUntilGone(dialog);
    });
    const bool chose = ShowSaveDialog(record, dialogs);
    user.Finish();

    EXPECT_NE(firstQuestion, "");
    EXPECT_TRUE(seen.stayedOpen);
    EXPECT_TRUE(askedAgain);
    ASSERT_TRUE(chose);
    EXPECT_TRUE(PathsEqual(CutAtNull(record.lpstrFile), dir.file("e.tavrin")));
  }
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

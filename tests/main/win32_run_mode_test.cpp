// Run mode as only Windows shows it: the shell's handlers of addresses, and the windows
// of what a run started.
#include <windows.h>
#undef DeleteFile
#undef ShellExecute

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "collection/collfile.h"
#include "run_mode.h"
#include "win32_user.h"

namespace tavrin {
namespace {

using testing::Item;
using testing::ReadRecording;
using testing::RecorderPath;
using testing::With;
namespace fs = std::filesystem;

// Writes the value `name` of `sub` under `root`, creating the key.
void SetValue(HKEY root, const std::string& sub, const char* name, const std::string& value) {
  HKEY key = nullptr;
  RegCreateKeyExA(root, sub.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>(value.size() + 1));
  RegCloseKey(key);
}

BOOL CALLBACK FindVisibleWindowOf(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<std::pair<DWORD, bool>*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search->first && IsWindowVisible(window)) search->second = true;
  return search->second ? FALSE : TRUE;
}

// `--stop` asks what a run started to close its windows: a second tavrin.exe, whose main
// window the run opened, closes it and ends; nothing is left to stop afterwards.
TEST_F(RunModeTest, StopClosesTheWindowsOfWhatARunStarted) {
  const testing::AssociationTurn turn;  // the inner window registers it
  env.erase("DISPLAY");                 // the inner window needs Wine's own display
  WriteFile(dir.file("inner.tavrin"), CollectionText({Item("One", RecorderPath(), "x")}));
  WriteFile(dir.file("c.tavrin"),
            CollectionText({Item("Window", testing::TavrinPath(), dir.file("inner.tavrin"))}));
  ASSERT_EQ(Start({testing::TavrinPath(), dir.file("c.tavrin"), "/run"}).exitCode, 0);
  std::string recordFile;
  for (const auto& entry : fs::directory_iterator(dir.file("local\\Tavrin\\runs"))) {
    if (entry.path().extension() == ".run") recordFile = entry.path().string();
  }
  ASSERT_FALSE(recordFile.empty());
  const auto pid = static_cast<DWORD>(std::stoul(testing::ReadFile(recordFile)));
  std::pair<DWORD, bool> search{pid, false};
  for (int i = 0; i < 3000 && !search.second; ++i) {
    EnumWindows(&FindVisibleWindowOf, reinterpret_cast<LPARAM>(&search));
    if (!search.second) Sleep(10);
  }
  ASSERT_TRUE(search.second) << "the inner window did not show";
  const auto stop = Start({testing::TavrinPath(), "--stop", dir.file("c.tavrin")});
  EXPECT_EQ(stop.out, "1\tWindow\tstopped\n");
  EXPECT_EQ(stop.exitCode, 0) << stop.err;
  EXPECT_EQ(Start({testing::TavrinPath(), "--stop", dir.file("c.tavrin")}).out, "");
}

// A run that its console asks to end (Ctrl+Break here; Ctrl+C and the console closing
// take the same way) records what it started before it ends, with the console's status.
// The run attaches to the console of the program that started it: this one's.
TEST_F(RunModeTest, ARunStoppedFromItsConsoleRecordsWhatItStarted) {
  WriteFile(dir.file("c.tavrin"),
            CollectionText({Item("Server", RecorderPath(), "--sleep=300000"),
                            testing::With(Item("Later", RecorderPath()), {{"Delay", "60000"}})}));
  bool sent = false;
  const auto run = testing::RunProcessInGroup(
      {TavrinPath(), dir.file("c.tavrin"), "/run"}, env, [&](unsigned long group) {
        for (int i = 0; i < 3000 && ReadRecording(record).empty(); ++i) Sleep(10);
        sent = GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, group) != 0;
        if (sent) return;
        const HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, group);
        TerminateProcess(process, 9);
        CloseHandle(process);
      });
  if (!sent) GTEST_SKIP() << "this system's console sends no Ctrl+Break (Wine 8 refuses it)";
  const auto started = ReadRecording(record);
  ASSERT_EQ(started.size(), 1u);
  EXPECT_EQ(static_cast<unsigned>(run.exitCode), 0xC000013AU) << run.err;
  const auto stop = Start({TavrinPath(), "--stop", dir.file("c.tavrin")});
  EXPECT_EQ(stop.out, "1\tServer\tstopped\n") << stop.err;
  EXPECT_EQ(stop.exitCode, 0);
}

// An address goes to the shell whole, folder-like parts, backslash and query included:
// its scheme's handler (the stand-in program, registered for a scheme of the test's
// own) receives exactly what the item holds.
TEST_F(RunModeTest, AnAddressGoesWholeToItsSchemesHandler) {
  const std::string scheme = "tavrin-test-" + std::to_string(GetCurrentProcessId());
  const std::string classes = "Software\\Classes\\" + scheme;
  const auto registerScheme = [&](HKEY root) {
    SetValue(root, classes, "", "URL:Tavrin test");
    SetValue(root, classes, "URL Protocol", "");
    SetValue(root, classes + "\\shell\\open\\command", "",
             "\"" + RecorderPath() + "\" handler \"%1\"");
  };
  registerScheme(HKEY_CURRENT_USER);
  // A classes root that does not show this user's classes (Wine's) is given the scheme
  // machine-wide, where such a system lets everyone write.
  HKEY shown = nullptr;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, scheme.c_str(), 0, KEY_READ, &shown) == ERROR_SUCCESS) {
    RegCloseKey(shown);
  } else {
    registerScheme(HKEY_LOCAL_MACHINE);
  }
  const std::string address = scheme + "://example.org/a\\b/page?q=1&r=two";
  const auto result = Run({Item("Page", address)});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err, "");
  const auto runs = testing::WaitForRecording(record, 1);
  for (const HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    RegDeleteTreeA(root, classes.c_str());
    RegDeleteKeyA(root, classes.c_str());
  }
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].args, (std::vector<std::string>{"handler", address}));
}

// The test window program (helpers/win32_window.c).
std::string WindowProgram() {
  return testing::ThisProgramFolder() + "\\tavrin_test_win32_window.exe";
}

// What the test window program wrote once its window was made: the window, its process,
// its rectangle as made, its working folder and its whole command line.
struct Made {
  HWND window = nullptr;
  DWORD pid = 0;
  RECT rect{};
  std::string folder, commandLine;
};

Made ReadMade(const std::string& file) {
  std::ifstream in(file);
  unsigned long long window = 0;
  Made made;
  in >> window >> made.pid >> made.rect.left >> made.rect.top >> made.rect.right >>
      made.rect.bottom;
  made.window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(window));
  std::getline(in, made.folder);  // the end of the first line
  std::getline(in, made.folder);
  std::getline(in, made.commandLine);
  return made;
}

// What the test window program writes into `file`, once it has written it.
Made WaitForMade(const std::string& file) {
  for (int i = 0; i < 1000 && ReadMade(file).window == nullptr; ++i) Sleep(10);
  return ReadMade(file);
}

// Ends the test window program as a user closes its window.
void Close(const Made& made) {
  const HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, made.pid);
  PostMessageA(made.window, WM_CLOSE, 0, 0);
  if (process == nullptr) return;
  if (WaitForSingleObject(process, 10000) != WAIT_OBJECT_0) TerminateProcess(process, 1);
  CloseHandle(process);
}

// A rectangle as "LEFT,TOP,WIDTH,HEIGHT", to compare with a place; each side within
// `slack` pixels of the place's counts as on it (the system may round a frame).
std::string Where(const RECT& r, const std::string& place, int slack) {
  int x = 0, y = 0, w = 0, h = 0;
  if (std::sscanf(place.c_str(), "%d,%d,%d,%d", &x, &y, &w, &h) != 4) return "no place";
  const auto snapped = [slack](long seen, int wanted) {
    return std::abs(seen - wanted) <= slack ? wanted : static_cast<int>(seen);
  };
  return std::to_string(snapped(r.left, x)) + "," + std::to_string(snapped(r.top, y)) + "," +
         std::to_string(snapped(r.right - r.left, w)) + "," +
         std::to_string(snapped(r.bottom - r.top, h));
}

// A program's window gets its style and its place: the place from the start (the window
// stands there as it is made), and again once it shows.
TEST_F(RunModeTest, AWindowGetsItsStyleAndPlace) {
  env.erase("DISPLAY");  // the test windows need Wine's own display
  // Documents of a type of their own open with the test window program, which writes
  // into the document what it made. The type is the user's (Windows reads it into the
  // classes) and the machine's (Wine reads only those).
  const std::string opener = "\"" + WindowProgram() + "\" \"%1\"";
  for (const HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    RegSetKeyValueA(root, "Software\\Classes\\.tvprobe", nullptr, REG_SZ, "TavrinProbeDocument",
                    sizeof "TavrinProbeDocument");
    RegSetKeyValueA(root, "Software\\Classes\\TavrinProbeDocument\\shell\\open\\command", nullptr,
                    REG_SZ, opener.c_str(), static_cast<DWORD>(opener.size() + 1));
  }
  struct Forget {
    ~Forget() {
      for (const HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        RegDeleteTreeA(root, "Software\\Classes\\.tvprobe");
        RegDeleteTreeA(root, "Software\\Classes\\TavrinProbeDocument");
      }
    }
  } forget;
  const struct {
    const char* name;
    int16_t style;
    const char* place;  // empty: none asked
    bool visible, iconic, zoomed;
    bool document = false;  // the item is a document its application opens
  } rows[] = {
      {"at a place", 1, "100,80,500,400", true, false, false},
      {"partly left of and above the screen", 1, "-40,-20,300,200", true, false, false},
      {"minimized, restored to its place", 2, "200,150,400,300", true, true, false},
      {"minimized", 2, "", true, true, false},
      {"maximized", 3, "", true, false, true},
      {"hidden", 0, "", false, false, false},
      {"a document's application, at a place", 1, "120,90,500,400", true, false, false, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string made = dir.file(row.document ? "made.tvprobe" : "made.txt");
    std::filesystem::remove(made);
    if (row.document) testing::WriteFile(made, "");
    CollItem item = row.document ? Item("Probe", made, "", row.style)
                                 : Item("Probe", WindowProgram(), made, row.style);
    if (*row.place != '\0') item = With(item, {{"Place", row.place}});
    const auto result = Run({item});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");
    const Made window = WaitForMade(made);
    ASSERT_NE(window.window, nullptr);
    EXPECT_EQ(IsWindowVisible(window.window) != 0, row.visible);
    EXPECT_EQ(IsIconic(window.window) != 0, row.iconic);
    EXPECT_EQ(IsZoomed(window.window) != 0, row.zoomed);
    if (*row.place != '\0') {
      // A program is told its place when it starts; a document's application is not.
      if (!row.document) {
        EXPECT_EQ(Where(window.rect, row.place, 0), row.place) << "as made";
      }
      // A minimized window is where it comes back to once the user restores it.
      if (row.iconic) ::ShowWindow(window.window, SW_RESTORE);
      RECT now{};
      GetWindowRect(window.window, &now);
      EXPECT_EQ(Where(now, row.place, 2), row.place) << "after the run";
    }
    Close(window);
  }
}

// Whether `window` is one of a running tavrin.exe (not of a test, nor of another program).
bool OfTavrin(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (process == nullptr) return false;
  char path[MAX_PATH] = {};
  DWORD size = MAX_PATH;
  const bool named = QueryFullProcessImageNameA(process, 0, path, &size) != 0;
  CloseHandle(process);
  return named && fs::path(path).filename() == "tavrin.exe";
}

// A wait for a window titled "Running" is not satisfied by the run's own progress window
// ("The Tavrin - Running", shown while the wait lasts): the item is not ready, as the
// box says.
TEST_F(RunModeTest, TheProgressWindowDoesNotSatisfyAWaitForAWindow) {
  env.erase("DISPLAY");
  env.erase("TAVRIN_BOXES_TO_STDERR");  // the progress window and the box show
  std::atomic<bool> over{false};
  bool progressShown = false;
  std::string said;
  std::thread user([&] {
    while (!over) {
      HWND progress = nullptr;
      while ((progress = FindWindowExA(nullptr, progress, nullptr, "The Tavrin - Running"))) {
        if (IsWindowVisible(progress) && OfTavrin(progress)) progressShown = true;
      }
      HWND box = nullptr;
      while ((box = FindWindowExA(nullptr, box, "#32770", kErrorCaption)) != nullptr) {
        if (!IsWindowVisible(box) || !OfTavrin(box)) continue;
        said = testing::ScreenUser::StaticTexts(box);
        testing::ScreenUser::Press(box, IDOK);
      }
      Sleep(20);
    }
  });
  const auto result = Run({With(Item("Server", RecorderPath(), "x"),
                                {{"WaitReady", "window:Running"}, {"Timeout", "3000"}})});
  over = true;
  user.join();
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_TRUE(progressShown);
  EXPECT_NE(said.find("Not ready after 3 s: window:Running"), std::string::npos) << said;
}

// A window that is tavrin.exe's own shows: a second tavrin.exe with its main window, run
// from the collection `file`. Stopped with `--stop file`.
bool ShowTavrinsWindow(RunModeTest& test, const std::string& file) {
  WriteFile(test.dir.file("inner.tavrin"), CollectionText({Item("One", RecorderPath(), "x")}));
  WriteFile(file, CollectionText({Item("Window", TavrinPath(), test.dir.file("inner.tavrin"))}));
  if (test.Start({TavrinPath(), file, "/run"}).exitCode != 0) return false;
  bool shown = false;
  const auto look = [](HWND window, LPARAM param) -> BOOL {
    if (IsWindowVisible(window) && OfTavrin(window)) *reinterpret_cast<bool*>(param) = true;
    return TRUE;
  };
  for (int i = 0; i < 3000 && !shown; ++i) {
    EnumWindows(look, reinterpret_cast<LPARAM>(&shown));
    if (!shown) Sleep(10);
  }
  return shown;
}

// The value of the option `key` of `item`, or "".
std::string OptionOf(const CollItem& item, const std::string& key) {
  for (const auto& option : item.Options) {
    if (option.Key == key) return option.Value;
  }
  return "";
}

// The programs whose windows are open are captured into a new collection (program,
// parameters with blanks and quotes, working folder, state and place; never the
// launcher's own windows, nor a file that exists), and a run of it brings each back as
// it stood, with the command line it had.
TEST_F(RunModeTest, CapturedWindowsComeBackAsTheyStood) {
  const testing::AssociationTurn turn;  // the launcher's window registers it
  env.erase("DISPLAY");                 // the windows need Wine's own display
  ASSERT_TRUE(ShowTavrinsWindow(*this, dir.file("own.tavrin")));
  // The program is named bare on one command line, and in quotes, its path holding a
  // blank, on the others.
  const std::string spaced = dir.file("probe folder\\probe window.exe");
  fs::create_directories(fs::path(spaced).parent_path());
  fs::copy_file(WindowProgram(), spaced);
  const bool bare = WindowProgram().find(' ') == std::string::npos;
  const struct {
    const char* name;  // also the window's title, and so the item's name
    int style;
    const char* place;  // where it is made; minimized or maximized, where it comes back to
    bool quoted;
  } rows[] = {
      {"Capture normal", 1, "110,90,420,300", !bare},
      {"Capture minimized", 2, "300,200,380,260", true},
      {"Capture maximized", 3, "60,140,500,330", true},
  };
  struct Window {
    std::string program, made, params, folder;
    Made first;
  };
  std::vector<Window> windows;
  for (const auto& row : rows) {
    Window w;
    w.program = row.quoted ? spaced : WindowProgram();
    w.made = dir.file(std::string(row.name) + ".txt");
    w.params =
        "\"" + w.made + "\" \"" + row.name + "\" \"two  words\" \"say \\\"hi\\\"\" x\\\"y\t end";
    w.folder = dir.file(std::string("work ") + row.name);
    fs::create_directories(w.folder);
    std::string line = (row.quoted ? "\"" + w.program + "\"" : w.program) + " " + w.params;
    // Made in its state and at its place from the start, as a run makes it: a window of
    // Wine's without a window manager may lose a state given later.
    int x = 0, y = 0, width = 0, height = 0;
    std::sscanf(row.place, "%d,%d,%d,%d", &x, &y, &width, &height);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USEPOSITION | STARTF_USESIZE;
    startup.wShowWindow = row.style == 2   ? SW_SHOWMINIMIZED
                          : row.style == 3 ? SW_SHOWMAXIMIZED
                                           : SW_SHOWNORMAL;
    startup.dwX = static_cast<DWORD>(x), startup.dwY = static_cast<DWORD>(y);
    startup.dwXSize = static_cast<DWORD>(width), startup.dwYSize = static_cast<DWORD>(height);
    PROCESS_INFORMATION started{};
    ASSERT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               w.folder.c_str(), &startup, &started));
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    w.first = WaitForMade(w.made);
    ASSERT_NE(w.first.window, nullptr) << row.name;
    windows.push_back(std::move(w));
  }

  const std::string file = dir.file("captured.tavrin");
  const auto capture = Start({TavrinPath(), "--capture", file});
  ASSERT_EQ(capture.exitCode, 0) << capture.err;
  const std::string bytes = testing::ReadFile(file);
  CollectionState captured;
  ASSERT_EQ(ReadCollectionBytes(captured, bytes), LoadOk);
  EXPECT_EQ(Start({TavrinPath(), "--capture", file}).exitCode, 2);
  EXPECT_EQ(testing::ReadFile(file), bytes) << "an existing file is never replaced";
  for (const CollItem& item : captured.Items) {
    EXPECT_NE(fs::path(item.File).filename(), "tavrin.exe") << "the launcher's own window";
  }
  EXPECT_EQ(Start({TavrinPath(), "--stop", dir.file("own.tavrin")}).exitCode, 0);

  // The test's own windows, as the capture took them; the desktop may show others, which
  // are not this test's to start.
  std::vector<CollItem> mine;
  for (std::size_t i = 0; i < windows.size(); ++i) {
    SCOPED_TRACE(rows[i].name);
    const Window& w = windows[i];
    const auto item = std::find_if(captured.Items.begin(), captured.Items.end(),
                                   [&](const CollItem& c) { return c.ItemName == rows[i].name; });
    ASSERT_NE(item, captured.Items.end()) << capture.out;
    EXPECT_TRUE(fs::equivalent(item->File, w.program)) << item->File;
    EXPECT_EQ(item->Params, w.params);
    EXPECT_EQ(OptionOf(*item, "WorkDir"), w.first.folder);
    EXPECT_TRUE(fs::equivalent(OptionOf(*item, "WorkDir"), w.folder));
    EXPECT_EQ(item->WinStyle, rows[i].style);
    // A minimized or maximized window's place is where it comes back to, when the system
    // tells it for the window of another program (Wine may not, and not at every moment):
    // then it has no place, never another.
    const std::string place = OptionOf(*item, "Place");
    if (rows[i].style == 1 || !place.empty()) {
      EXPECT_EQ(place, rows[i].place);
    }
    EXPECT_NE(capture.out.find(rows[i].name), std::string::npos) << capture.out;
    mine.push_back(*item);
    Close(w.first);
    fs::remove(w.made);
  }

  CollectionState again;
  again.Items = mine;
  testing::NativeFileSystem files;
  ASSERT_FALSE(SaveCollectionFile(again, dir.file("c.tavrin"), files));
  const auto run = Start({TavrinPath(), dir.file("c.tavrin"), "/run"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  for (std::size_t i = 0; i < windows.size(); ++i) {
    SCOPED_TRACE(rows[i].name);
    const Made back = WaitForMade(windows[i].made);
    ASSERT_NE(back.window, nullptr) << run.err;
    const std::string& params = windows[i].params;
    EXPECT_GE(back.commandLine.size(), params.size() + 1);
    EXPECT_EQ(back.commandLine.substr(back.commandLine.size() - params.size() - 1), " " + params);
    EXPECT_EQ(back.folder, windows[i].first.folder);
    EXPECT_EQ(IsIconic(back.window) != 0, rows[i].style == 2);
    EXPECT_EQ(IsZoomed(back.window) != 0, rows[i].style == 3);
    // A minimized or maximized window comes back to its place once the user restores it.
    if (rows[i].style != 1) ::ShowWindow(back.window, SW_RESTORE);
    RECT now{};
    GetWindowRect(back.window, &now);
    if (!OptionOf(mine[i], "Place").empty()) {
      EXPECT_EQ(Where(now, rows[i].place, 2), rows[i].place);
    }
    Close(back);
  }
}

// A program whose command line cannot be told as it was is left out with a note: an
// item would start it with another command line.
TEST_F(RunModeTest, ACommandLineThatCannotBeToldIsANote) {
  env.erase("DISPLAY");
  const struct {
    const char* name;
    const wchar_t* more;  // the command line after the made file and the title
    const char* note;
    bool ansi;  // only where the system's code page is not UTF-8, which writes every character
  } rows[] = {
      {"a character the code page cannot write", L"\u4E2D\u6587",
       "its command line cannot be written in this system's code page", true},
      {"cut apart by the program", L"--cut-command-line",
       "it has changed its command line since it started", false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    if (row.ansi && GetACP() == CP_UTF8) continue;
    const std::string made = dir.file("made.txt");
    fs::remove(made);
    std::wstring line = L"\"" + fs::path(WindowProgram()).wstring() + L"\" \"" +
                        fs::path(made).wstring() + L"\" \"Unsure probe\" " + row.more;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &started));
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    const Made window = WaitForMade(made);
    ASSERT_NE(window.window, nullptr);
    const std::string file = dir.file("captured.tavrin");
    fs::remove(file);
    const auto capture = Start({TavrinPath(), "--capture", file});
    Close(window);
    EXPECT_NE(capture.err.find("window \"Unsure probe\" (process " + std::to_string(window.pid) +
                               "): " + row.note),
              std::string::npos)
        << capture.err;
    EXPECT_EQ(capture.out.find("Unsure probe"), std::string::npos) << capture.out;
  }
}

}  // namespace
}  // namespace tavrin

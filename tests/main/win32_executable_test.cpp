// tavrin.exe as Windows starts it: a windowed program whose output still reaches the
// parent that reads it (files, pipes, its console), or goes nowhere when there is none;
// and the resources the shell and the windows read from it.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h:
#include <shellapi.h>
#undef DeleteFile
#undef ShellExecute

#include <string>
#include <vector>

#include "fakes.h"
#include "run_process.h"
#include "tavrin/version.h"
#include "temp_dir.h"

namespace tavrin {
namespace {

using testing::CollectionText;
using testing::Item;
using testing::TavrinPath;
using testing::WriteFile;

const std::string kVersionLine = "tavrin " + std::string(kVersionText);
const DWORD kStandardHandles[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};

// Starts tavrin.exe with `arguments` and no standard handles at all, as the shell and
// cmd start a windowed program, with `flags` for process creation; its exit status.
DWORD RunWithoutHandles(const std::string& arguments, DWORD flags) {
  HANDLE saved[3];
  for (int i = 0; i < 3; ++i) {
    saved[i] = GetStdHandle(kStandardHandles[i]);
    SetStdHandle(kStandardHandles[i], nullptr);
  }
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  std::string line = "\"" + TavrinPath() + "\" " + arguments;
  PROCESS_INFORMATION process{};
  const BOOL started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, flags, nullptr,
                                      nullptr, &startup, &process);
  for (int i = 0; i < 3; ++i) SetStdHandle(kStandardHandles[i], saved[i]);
  if (!started) return 0xFFFFFFFF;
  DWORD code = 0xFFFFFFFF;
  WaitForSingleObject(process.hProcess, INFINITE);
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return code;
}

class Executable : public ::testing::Test {
 protected:
  void SetUp() override {
    _putenv_s("TAVRIN_RECORD", record.c_str());
    _putenv_s("TAVRIN_BOXES_TO_STDERR", "1");
    WriteFile(collection, CollectionText({Item("One", testing::RecorderPath(), "alone", 1, kTrue),
                                          Item("Gone", dir.file("gone.exe"))}));
  }
  void TearDown() override {
    _putenv_s("TAVRIN_RECORD", "");
    _putenv_s("TAVRIN_BOXES_TO_STDERR", "");
  }

  testing::TempDir dir;
  std::string record = dir.file("record.log");
  std::string collection = dir.file("c.tavrin");
};

// A windowed program, so the system opens no console for it: a parent that reads its
// output through files or pipes gets the options' answers with Windows line ends; with no
// handles and no console (a double click) it runs all the same, its output going nowhere.
TEST_F(Executable, AWindowedProgramWhoseOutputReachesWhatItHas) {
  const auto type = SHGetFileInfoA(TavrinPath().c_str(), 0, nullptr, 0, SHGFI_EXETYPE);
  EXPECT_EQ(LOWORD(type), IMAGE_NT_SIGNATURE & 0xFFFF);
  EXPECT_NE(HIWORD(type), 0) << "a console program";
  EXPECT_EQ(testing::RunProcess({TavrinPath(), "--version"}).out, kVersionLine + "\r\n");
  EXPECT_EQ(RunWithoutHandles(collection + " /run", DETACHED_PROCESS), 1u);
  const auto runs = testing::ReadRecording(record);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].args, std::vector<std::string>{"alone"});
  EXPECT_EQ(RunWithoutHandles("--help", DETACHED_PROCESS), 0u);
}

// The text of the first `lines` lines of a console, each without the blanks after it.
std::string ConsoleText(HANDLE console, const CONSOLE_SCREEN_BUFFER_INFO& info, SHORT lines) {
  std::string text;
  std::vector<char> line(static_cast<std::size_t>(info.dwSize.X));
  for (SHORT y = 0; y < lines && y < info.dwSize.Y; ++y) {
    DWORD n = 0;
    ReadConsoleOutputCharacterA(console, line.data(), static_cast<DWORD>(line.size()), COORD{0, y},
                                &n);
    std::string shown(line.data(), n);
    shown.erase(shown.find_last_not_of(' ') + 1);
    text += shown + "\n";
  }
  return text;
}

// Started from a console window (cmd), where a windowed program is given no handles, the
// program writes to that console: the answers of the options and the failed starts.
TEST_F(Executable, WritesToTheConsoleOfItsParent) {
  // A console of this test's own, its handles given back afterwards (freeing a console
  // closes what the standard handles then hold).
  HANDLE saved[3];
  for (int i = 0; i < 3; ++i) saved[i] = GetStdHandle(kStandardHandles[i]);
  FreeConsole();
  const BOOL made = AllocConsole();
  const HANDLE console =
      CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, 0, nullptr);
  CONSOLE_SCREEN_BUFFER_INFO info{};
  const bool usable =
      made && console != INVALID_HANDLE_VALUE && GetConsoleScreenBufferInfo(console, &info);
  std::string text;
  DWORD version = 0xFFFFFFFF;
  DWORD run = 0xFFFFFFFF;
  if (usable) {
    version = RunWithoutHandles("--version", 0);
    run = RunWithoutHandles(collection + " /run", 0);
    text = ConsoleText(console, info, 14);
  }
  if (console != INVALID_HANDLE_VALUE) CloseHandle(console);
  FreeConsole();
  for (int i = 0; i < 3; ++i) SetStdHandle(kStandardHandles[i], saved[i]);
  if (!usable) GTEST_SKIP() << "no console can be made here (Wine without a display)";
  EXPECT_EQ(version, 0u);
  EXPECT_EQ(run, 1u);
  EXPECT_NE(text.find(kVersionLine + "\n"), std::string::npos) << text;
  // The failure's line (the console wraps it at its width) and its box.
  EXPECT_NE(text.find("item 2 \"Gone\":"), std::string::npos) << text;
  EXPECT_NE(text.find("The Tavrin - Error:\ngone.exe\n\nFile Not Found\n"), std::string::npos)
      << text;
}

BOOL CALLBACK AddName(HMODULE, LPCSTR, LPSTR name, LONG_PTR names) {
  reinterpret_cast<std::vector<std::string>*>(names)->push_back(IS_INTRESOURCE(name) ? "#" : name);
  return TRUE;
}

// tavrin.exe's resources, read as the system reads them: the program's icon first, every
// icon in the toolbars' two sizes with its alpha, and a manifest that asks for the common
// controls of version 6 and for DPI awareness.
TEST(Resources, TheIconsAndTheManifest) {
  const std::string path = TavrinPath();
  const HMODULE exe = LoadLibraryExA(path.c_str(), nullptr,
                                     LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(exe, nullptr) << path;
  std::vector<std::string> groups;
  EnumResourceNamesA(exe, RT_GROUP_ICON, AddName, reinterpret_cast<LONG_PTR>(&groups));
  ASSERT_GT(groups.size(), 1u);
  EXPECT_EQ(groups[0], "APPICON");
  for (const std::string& key : groups) {
    SCOPED_TRACE(key);
    for (int size : {16, 32}) {
      const auto icon = static_cast<HICON>(LoadImageA(exe, key.c_str(), IMAGE_ICON, size, size, 0));
      ASSERT_NE(icon, nullptr) << size;
      ICONINFO iconInfo{};
      ASSERT_TRUE(GetIconInfo(icon, &iconInfo));
      BITMAP bitmap{};
      GetObjectA(iconInfo.hbmColor, sizeof bitmap, &bitmap);
      EXPECT_EQ(bitmap.bmWidth, size);
      EXPECT_EQ(bitmap.bmBitsPixel, 32);
      DeleteObject(iconInfo.hbmColor);
      DeleteObject(iconInfo.hbmMask);
      DestroyIcon(icon);
    }
  }
  const HRSRC found = FindResourceA(exe, CREATEPROCESS_MANIFEST_RESOURCE_ID, RT_MANIFEST);
  ASSERT_NE(found, nullptr);
  const std::string manifest(static_cast<const char*>(LockResource(LoadResource(exe, found))),
                             SizeofResource(exe, found));
  FreeLibrary(exe);
  EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
            std::string::npos)
      << manifest;
  EXPECT_NE(manifest.find("PerMonitorV2"), std::string::npos);
}

}  // namespace
}  // namespace tavrin

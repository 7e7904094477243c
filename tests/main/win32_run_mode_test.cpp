// Run mode as only Windows shows it: the shell's handlers of addresses, and the windows
// of what a run started.
#include <windows.h>
#undef DeleteFile
#undef ShellExecute

#include <gtest/gtest.h>

#include <filesystem>

#include "run_mode.h"
#include "win32_user.h"

namespace tavrin {
namespace {

using testing::Item;
using testing::ReadRecording;
using testing::RecorderPath;
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

}  // namespace
}  // namespace tavrin

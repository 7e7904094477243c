// The ".tavrin" association in the real registry (Wine's, in CI): written for the
// current user, seen by EnsureRegistered, removed again.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "fakes.h"
#include "platform/win32/win32_registry.h"
#include "shellreg/association.h"

namespace tavrin {
namespace {

using testing::FailingFileSystem;
using testing::FakeSystemInfo;
using testing::RecordingShell;
using testing::ScriptedToolkit;

constexpr char kProgram[] = "C:\\Program Files\\Tavrin\\tavrin.exe";

bool KeyExists(HKEY root, const std::string& sub) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, ("Software\\Classes\\" + sub).c_str(), 0, KEY_READ, &key) != 0) {
    return false;
  }
  RegCloseKey(key);
  return true;
}

// The default value of HKEY_CURRENT_USER\Software\Classes\<sub>, read directly;
// "<none>" for a missing key, "<unset>" for a key without a default value.
std::string UserValue(const std::string& sub) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, ("Software\\Classes\\" + sub).c_str(), 0, KEY_READ, &key) !=
      0) {
    return "<none>";
  }
  char buffer[512] = {};
  DWORD size = sizeof buffer;
  DWORD type = 0;
  const LONG r = RegQueryValueExA(key, "", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(key);
  if (r != ERROR_SUCCESS) return "<unset>";
  return type == REG_SZ ? std::string(buffer) : "<not text>";
}

class Win32Association : public ::testing::Test {
 protected:
  void SetUp() override {
    // There is one association per user: test programs running side by side take
    // turns.
    turn_ = CreateMutexA(nullptr, FALSE, "Local\\TavrinAssociationTests");
    if (turn_ != nullptr) WaitForSingleObject(turn_, INFINITE);
    // A machine where this user has the association already is left alone.
    if (KeyExists(HKEY_CURRENT_USER, ".tavrin") || KeyExists(HKEY_CURRENT_USER, "Tavrin")) {
      GTEST_SKIP() << "this user has a .tavrin association of their own";
    }
    owned_ = true;
    system.executablePath = kProgram;
  }
  void TearDown() override {
    if (owned_) {
      RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Classes\\.tavrin");
      RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Classes\\Tavrin");
      RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Classes\\.tavrin");
      RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Classes\\Tavrin");
    }
    if (turn_ != nullptr) {
      ReleaseMutex(turn_);
      CloseHandle(turn_);
    }
  }

  ScriptedToolkit toolkit;
  RecordingShell shell;
  FailingFileSystem files;
  FakeSystemInfo system;
  win32::Win32Registry registry;
  Platform platform{toolkit, shell, files, system, registry};

 private:
  HANDLE turn_ = nullptr;
  bool owned_ = false;
};

TEST_F(Win32Association, RegisteringWritesTheKeysAndValuesForThisUser) {
  EnsureRegistered(platform);
  EXPECT_EQ(UserValue(".tavrin"), "Tavrin");
  EXPECT_EQ(UserValue("Tavrin"), "Tavrin Collection");
  EXPECT_EQ(UserValue("Tavrin\\shell\\Open"), "<unset>");
  EXPECT_EQ(UserValue("Tavrin\\shell\\Open\\command"),
            "\"C:\\Program Files\\Tavrin\\tavrin.exe\" %1");
  EXPECT_EQ(UserValue("Tavrin\\shell\\Run"), "&Run");
  EXPECT_EQ(UserValue("Tavrin\\shell\\Run\\command"),
            "\"C:\\Program Files\\Tavrin\\tavrin.exe\" %1 /run");
  // Nothing machine-wide: no administrator rights are needed.
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, ".tavrin"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Tavrin"));
}

TEST_F(Win32Association, EnsureRegisteredSeesThePerUserAssociation) {
  RegisterFileType(platform);
  EXPECT_EQ(GetRegValue(registry, Registry::kClassesRoot, ".tavrin", ""), "Tavrin");
  // Present: a moved program does not rewrite it on its own ...
  system.executablePath = "D:\\Moved\\tavrin.exe";
  EnsureRegistered(platform);
  EXPECT_EQ(UserValue("Tavrin\\shell\\Open\\command"),
            "\"C:\\Program Files\\Tavrin\\tavrin.exe\" %1");
  // ... an empty ".tavrin" counts as missing, and registering writes the new path.
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Classes\\.tavrin", 0, KEY_SET_VALUE, &key),
            ERROR_SUCCESS);
  RegSetValueExA(key, "", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
  RegCloseKey(key);
  EnsureRegistered(platform);
  EXPECT_EQ(UserValue(".tavrin"), "Tavrin");
  EXPECT_EQ(UserValue("Tavrin\\shell\\Run\\command"), "\"D:\\Moved\\tavrin.exe\" %1 /run");
}

TEST_F(Win32Association, UnregisteringRemovesTheExtensionAndRegisteringBringsItBack) {
  RegisterFileType(platform);
  UnregisterFileType(platform);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, ".tavrin"));
  EXPECT_EQ(GetRegValue(registry, Registry::kClassesRoot, ".tavrin", ""), "");
  // "Tavrin" has subkeys, which the registry does not delete with it.
  EXPECT_EQ(UserValue("Tavrin"), "Tavrin Collection");

  EnsureRegistered(platform);
  EXPECT_EQ(UserValue(".tavrin"), "Tavrin");
}

TEST_F(Win32Association, TheRegistryQuestionRegistersOrRemoves) {
  toolkit.answers = {kAnswerYes, kAnswerNo, kAnswerCancel};
  mnuOption_Click(0, platform);
  EXPECT_EQ(UserValue(".tavrin"), "Tavrin");
  mnuOption_Click(0, platform);
  EXPECT_EQ(UserValue(".tavrin"), "<none>");
  mnuOption_Click(0, platform);
  EXPECT_EQ(UserValue(".tavrin"), "<none>");
  ASSERT_EQ(toolkit.boxes.size(), 3u);
  EXPECT_EQ(toolkit.boxes[0].style, 35);
  EXPECT_EQ(toolkit.boxes[0].caption, "The Tavrin - Registry Option...");
}

}  // namespace
}  // namespace tavrin

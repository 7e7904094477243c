// The ".tavrin" association in the real registry (Wine's, in CI): written for the
// current user, seen by EnsureRegistered, removed again; and the registry calls beneath.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "fakes.h"
#include "platform/win32/win32_registry.h"
#include "shellreg/association.h"

namespace tavrin {
namespace {

constexpr char kCommand[] = "\"C:\\Program Files\\Tavrin\\tavrin.exe\" %1";

// The default value of <root>\Software\Classes\<sub>, read directly; "<none>" for a
// missing key, "<unset>" for a key without a default value.
std::string Value(HKEY root, const std::string& sub) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, ("Software\\Classes\\" + sub).c_str(), 0, KEY_READ, &key) != 0) {
    return "<none>";
  }
  char buffer[512] = {};
  DWORD size = sizeof buffer;
  DWORD type = 0;
  const LONG r = RegQueryValueExA(key, "", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(key);
  return r != ERROR_SUCCESS ? "<unset>" : type == REG_SZ ? std::string(buffer) : "<not text>";
}

class Win32Association : public ::testing::Test {
 protected:
  void SetUp() override {
    // There is one association per user: test programs running side by side take turns.
    turn_ = CreateMutexA(nullptr, FALSE, "Local\\TavrinAssociationTests");
    if (turn_ != nullptr) WaitForSingleObject(turn_, INFINITE);
    // A machine where this user has the association already is left alone.
    if (Value(HKEY_CURRENT_USER, ".tavrin") != "<none>" ||
        Value(HKEY_CURRENT_USER, "Tavrin") != "<none>") {
      GTEST_SKIP() << "this user has a .tavrin association of their own";
    }
    owned_ = true;
    fake.system.executablePath = "C:\\Program Files\\Tavrin\\tavrin.exe";
  }
  void TearDown() override {
    for (const char* key : {"Software\\Classes\\.tavrin", "Software\\Classes\\Tavrin"}) {
      if (owned_) RegDeleteTreeA(HKEY_CURRENT_USER, key);
      if (owned_) RegDeleteKeyA(HKEY_CURRENT_USER, key);
    }
    if (turn_ != nullptr) {
      ReleaseMutex(turn_);
      CloseHandle(turn_);
    }
  }

  testing::FakePlatform fake;
  win32::Win32Registry registry;
  Platform platform{fake.toolkit, fake.shell, fake.files, fake.system, registry};

 private:
  HANDLE turn_ = nullptr;
  bool owned_ = false;
};

// Written for this user alone, nothing machine-wide: no administrator rights are needed.
// Unregistering removes ".tavrin" ("Tavrin" has subkeys, which the registry does not
// delete with it); an empty ".tavrin" counts as missing. (The question that leads there
// is the association tests' on a scripted registry.)
TEST_F(Win32Association, RegisteringForThisUser) {
  EnsureRegistered(platform);
  EXPECT_EQ(Value(HKEY_CURRENT_USER, ".tavrin"), "Tavrin");
  EXPECT_EQ(Value(HKEY_CURRENT_USER, "Tavrin"), "Tavrin Collection");
  EXPECT_EQ(Value(HKEY_CURRENT_USER, "Tavrin\\shell\\Open\\command"), kCommand);
  EXPECT_EQ(Value(HKEY_CURRENT_USER, "Tavrin\\shell\\Run\\command"),
            std::string(kCommand) + " /run");
  EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, ".tavrin"), "<none>");
  EXPECT_EQ(UnregisterFileType(platform), "");
  EXPECT_EQ(Value(HKEY_CURRENT_USER, ".tavrin"), "<none>");
  EXPECT_EQ(Value(HKEY_CURRENT_USER, "Tavrin"), "Tavrin Collection");
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Classes\\.tavrin", 0, nullptr, 0,
                            KEY_SET_VALUE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, "", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
  RegCloseKey(key);
  EnsureRegistered(platform);
  EXPECT_EQ(Value(HKEY_CURRENT_USER, ".tavrin"), "Tavrin");
}

// The classes root merges the machine's classes with this user's, which come first;
// removing goes to what this user wrote. The machine's side is played by a key of this
// user's that HKEY_CLASSES_ROOT shows instead, for this process and this test alone, so
// that no administrator rights are needed.
TEST(Win32Registry, ThePerUserKeyComesFirst) {
  const std::string pid = std::to_string(GetCurrentProcessId());
  const std::string name = ".tavrin-test-" + pid;
  const std::string machinePath = "Software\\TavrinTest-" + pid;
  HKEY machine = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, machinePath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &machine, nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegOverridePredefKey(HKEY_CLASSES_ROOT, machine), ERROR_SUCCESS);
  HKEY type = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, name.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                            &type, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(type, "", 0, REG_SZ, reinterpret_cast<const BYTE*>("machine"), 8);
  RegCloseKey(type);

  win32::Win32Registry registry;
  EXPECT_EQ(GetRegValue(registry, Registry::kClassesRoot, name, ""), "machine");
  Registry::Key key = 0;
  ASSERT_EQ(registry.CreateKey(Registry::kClassesRoot, name, key), Registry::kSuccess);
  EXPECT_EQ(SetRegValue(registry, key, "", Registry::kRegSz, "user"), Registry::kSuccess);
  EXPECT_EQ(GetRegValue(registry, Registry::kClassesRoot, name, ""), "user");
  EXPECT_EQ(Value(HKEY_CURRENT_USER, name), "user");
  EXPECT_EQ(SetRegValue(registry, key, "", Registry::kRegSz, std::string(300, 'x')),
            Registry::kSuccess);
  EXPECT_EQ(GetRegValue(registry, Registry::kClassesRoot, name, ""), "");  // too long to read
  registry.CloseKey(key);
  EXPECT_EQ(registry.DeleteKey(Registry::kClassesRoot, name), Registry::kSuccess);
  EXPECT_EQ(Value(HKEY_CURRENT_USER, name), "<none>");
  EXPECT_EQ(GetRegValue(registry, Registry::kClassesRoot, name, ""), "machine");
  RegDeleteKeyA(HKEY_CLASSES_ROOT, name.c_str());
  EXPECT_EQ(registry.OpenKey(Registry::kClassesRoot, name, key), Registry::kFileNotFound);

  RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
  RegCloseKey(machine);
  RegDeleteTreeA(HKEY_CURRENT_USER, machinePath.c_str());
  RegDeleteKeyA(HKEY_CURRENT_USER, machinePath.c_str());
}

}  // namespace
}  // namespace tavrin

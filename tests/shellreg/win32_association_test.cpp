// The ".tavrin" association in the real registry (Wine's, in CI): written for the
// current user, seen by EnsureRegistered, removed again; and the registry calls beneath.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "fakes.h"
#include "platform/win32/win32_registry.h"
#include "shellreg/association.h"
#include "win32_user.h"

namespace tavrin {
namespace {

constexpr char kCommand[] = "\"C:\\Program Files\\Tavrin\\tavrin.exe\" %1";

using testing::ClassValue;

class Win32Association : public ::testing::Test {
 protected:
  void SetUp() override {
    // A machine where this user has the association already is left alone.
    if (!turn.owned()) GTEST_SKIP() << "this user has a .tavrin association of their own";
    fake.system.executablePath = "C:\\Program Files\\Tavrin\\tavrin.exe";
  }

  testing::AssociationTurn turn;
  testing::FakePlatform fake;
  win32::Win32Registry registry;
  Platform platform{fake.toolkit, fake.shell, fake.files, fake.system, registry};
};

// Written for this user alone, nothing machine-wide: no administrator rights are needed.
// Unregistering removes ".tavrin" ("Tavrin" has subkeys, which the registry does not
// delete with it). (The question that leads there, and what counts as missing, are the
// association tests' on a scripted registry.)
TEST_F(Win32Association, RegisteringForThisUser) {
  EnsureRegistered(platform);
  EXPECT_EQ(ClassValue(".tavrin"), "Tavrin");
  EXPECT_EQ(ClassValue("Tavrin"), "Tavrin Collection");
  EXPECT_EQ(ClassValue("Tavrin\\shell\\Open\\command"), kCommand);
  EXPECT_EQ(ClassValue("Tavrin\\shell\\Run\\command"), std::string(kCommand) + " /run");
  EXPECT_EQ(ClassValue(".tavrin", true), "<none>");
  EXPECT_EQ(UnregisterFileType(platform), "");
  EXPECT_EQ(ClassValue(".tavrin"), "<none>");
  EXPECT_EQ(ClassValue("Tavrin"), "Tavrin Collection");
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
  EXPECT_EQ(ClassValue(name), "user");
  registry.CloseKey(key);
  EXPECT_EQ(registry.DeleteKey(Registry::kClassesRoot, name), Registry::kSuccess);
  EXPECT_EQ(ClassValue(name), "<none>");
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

// The registry calls on the real (Wine's or Windows') registry. Every key used here
// has a name of its own and is removed again.
#include "platform/win32/win32_registry.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace tavrin::win32 {
namespace {

using Key = Registry::Key;

// The default value of HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE\Software\Classes\<sub>,
// read without the class under test; "<none>" when the key does not exist.
std::string Direct(HKEY root, const std::string& sub) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, ("Software\\Classes\\" + sub).c_str(), 0, KEY_READ, &key) != 0) {
    return "<none>";
  }
  char buffer[256] = {};
  DWORD size = sizeof buffer;
  DWORD type = 0;
  RegQueryValueExA(key, "", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(key);
  return buffer;
}

void RemoveTree(HKEY root, const std::string& sub) {
  RegDeleteTreeA(root, ("Software\\Classes\\" + sub).c_str());
  RegDeleteKeyA(root, ("Software\\Classes\\" + sub).c_str());
}

class Win32RegistryTest : public ::testing::Test {
 protected:
  void TearDown() override {
    RemoveTree(HKEY_CURRENT_USER, name);
    RemoveTree(HKEY_LOCAL_MACHINE, name);
  }

  long Write(Key key, const std::string& text) {
    return registry.SetValue(key, "", Registry::kRegSz, text.c_str(),
                             static_cast<uint32_t>(text.size() + 1));
  }

  // The default value read back through the classes root; "<none>" when the key
  // cannot be opened.
  std::string Read(const std::string& sub) {
    Key key = 0;
    if (registry.OpenKey(Registry::kClassesRoot, sub, key) != Registry::kSuccess) return "<none>";
    char buffer[256] = {};
    uint32_t size = sizeof buffer;
    uint32_t type = 0;
    const long r = registry.QueryValue(key, "", type, buffer, size);
    registry.CloseKey(key);
    if (r != Registry::kSuccess || type != Registry::kRegSz) return "<bad>";
    return std::string(buffer, size > 0 ? size - 1 : 0);
  }

  Win32Registry registry;
  const std::string name = ".tavrin-test-" + std::to_string(GetCurrentProcessId());
};

TEST_F(Win32RegistryTest, KeysOfTheClassesRootAreWrittenPerUserAndReadBack) {
  Key key = 0;
  ASSERT_EQ(registry.CreateKey(Registry::kClassesRoot, name + "\\shell\\Open\\command", key),
            Registry::kSuccess);
  EXPECT_EQ(Write(key, "\"c:\\t\\tavrin.exe\" %1"), Registry::kSuccess);
  EXPECT_EQ(registry.CloseKey(key), Registry::kSuccess);

  EXPECT_EQ(Direct(HKEY_CURRENT_USER, name + "\\shell\\Open\\command"), "\"c:\\t\\tavrin.exe\" %1");
  EXPECT_EQ(Direct(HKEY_LOCAL_MACHINE, name + "\\shell\\Open\\command"), "<none>");
  EXPECT_EQ(Read(name + "\\shell\\Open\\command"), "\"c:\\t\\tavrin.exe\" %1");
  // Every key on the way was created, without a value of its own.
  EXPECT_EQ(Read(name + "\\shell\\Open"), "<bad>");
  registry.AssociationChanged();
}

TEST_F(Win32RegistryTest, AKeyOpenedThroughTheClassesRootIsWrittenPerUser) {
  Key key = 0;
  ASSERT_EQ(registry.CreateKey(Registry::kClassesRoot, name, key), Registry::kSuccess);
  registry.CloseKey(key);
  ASSERT_EQ(registry.OpenKey(Registry::kClassesRoot, name, key), Registry::kSuccess);
  EXPECT_EQ(Write(key, "Tavrin Collection"), Registry::kSuccess);
  registry.CloseKey(key);
  EXPECT_EQ(Direct(HKEY_CURRENT_USER, name), "Tavrin Collection");
  EXPECT_EQ(Read(name), "Tavrin Collection");
}

TEST_F(Win32RegistryTest, MachineWideClassesAreSeenAndThePerUserKeyComesFirst) {
  HKEY machine = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, ("Software\\Classes\\" + name).c_str(), 0, nullptr,
                            0, KEY_WRITE, nullptr, &machine, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(machine, "", 0, REG_SZ, reinterpret_cast<const BYTE*>("machine"), 8);
  RegCloseKey(machine);
  EXPECT_EQ(Read(name), "machine");

  Key key = 0;
  ASSERT_EQ(registry.CreateKey(Registry::kClassesRoot, name, key), Registry::kSuccess);
  Write(key, "user");
  registry.CloseKey(key);
  EXPECT_EQ(Read(name), "user");
  EXPECT_EQ(Direct(HKEY_LOCAL_MACHINE, name), "machine");

  // Removing goes to what this user wrote; the machine-wide key shows again.
  EXPECT_EQ(registry.DeleteKey(Registry::kClassesRoot, name), Registry::kSuccess);
  EXPECT_EQ(Read(name), "machine");
}

TEST_F(Win32RegistryTest, MissingKeysAndValuesAndShortBuffers) {
  Key key = 0;
  EXPECT_EQ(registry.OpenKey(Registry::kClassesRoot, name, key), Registry::kFileNotFound);
  EXPECT_NE(registry.DeleteKey(Registry::kClassesRoot, name), Registry::kSuccess);

  ASSERT_EQ(registry.CreateKey(Registry::kClassesRoot, name, key), Registry::kSuccess);
  char buffer[8] = {};
  uint32_t size = sizeof buffer;
  uint32_t type = 0;
  EXPECT_EQ(registry.QueryValue(key, "", type, buffer, size), Registry::kFileNotFound);

  const std::string longText(300, 'x');
  EXPECT_EQ(Write(key, longText), Registry::kSuccess);
  size = sizeof buffer;
  EXPECT_EQ(registry.QueryValue(key, "", type, buffer, size), Registry::kMoreData);
  EXPECT_EQ(size, 301u);
  registry.CloseKey(key);
}

TEST_F(Win32RegistryTest, AKeyWithSubkeysIsNotDeleted) {
  Key key = 0;
  ASSERT_EQ(registry.CreateKey(Registry::kClassesRoot, name + "\\shell\\Run", key),
            Registry::kSuccess);
  Write(key, "&Run");
  registry.CloseKey(key);
  EXPECT_NE(registry.DeleteKey(Registry::kClassesRoot, name), Registry::kSuccess);
  EXPECT_EQ(Read(name + "\\shell\\Run"), "&Run");
  EXPECT_EQ(registry.DeleteKey(Registry::kClassesRoot, name + "\\shell\\Run"), Registry::kSuccess);
  EXPECT_EQ(registry.DeleteKey(Registry::kClassesRoot, name + "\\shell"), Registry::kSuccess);
  EXPECT_EQ(registry.DeleteKey(Registry::kClassesRoot, name), Registry::kSuccess);
  EXPECT_EQ(Read(name), "<none>");
}

}  // namespace
}  // namespace tavrin::win32

// The registry calls on the real (Wine's or Windows') registry, beyond what the
// association's own tests there show. Every key used here has a name of its own and is
// removed again.
#include "platform/win32/win32_registry.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace tavrin::win32 {
namespace {

using Key = Registry::Key;
constexpr auto kRoot = Registry::kClassesRoot;

// The default value of HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE\Software\Classes\<sub>,
// read without the class under test; "<none>" when the key does not exist.
std::string Direct(HKEY root, const std::string& sub) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, ("Software\\Classes\\" + sub).c_str(), 0, KEY_READ, &key) != 0) {
    return "<none>";
  }
  char buffer[256] = {};
  DWORD size = sizeof buffer;
  RegQueryValueExA(key, "", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(key);
  return buffer;
}

class Win32RegistryTest : public ::testing::Test {
 protected:
  void TearDown() override {
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
      RegDeleteTreeA(root, ("Software\\Classes\\" + name).c_str());
      RegDeleteKeyA(root, ("Software\\Classes\\" + name).c_str());
    }
  }
  // Creates `sub` and writes its default value.
  long Write(const std::string& sub, const std::string& text) {
    Key key = 0;
    if (const long r = registry.CreateKey(kRoot, sub, key); r != Registry::kSuccess) return r;
    const long w = registry.SetValue(key, "", Registry::kRegSz, text.c_str(),
                                     static_cast<uint32_t>(text.size() + 1));
    EXPECT_EQ(registry.CloseKey(key), Registry::kSuccess);
    return w;
  }
  // The default value read back through the classes root; "<none>" when the key cannot
  // be opened, "<bad>" when it has no text.
  std::string Read(const std::string& sub) {
    Key key = 0;
    if (registry.OpenKey(kRoot, sub, key) != Registry::kSuccess) return "<none>";
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

// The per-user key comes first; removing goes to what this user wrote, and the
// machine-wide key shows again.
TEST_F(Win32RegistryTest, MachineWideClassesAreSeenAndThePerUserKeyComesFirst) {
  HKEY machine = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, ("Software\\Classes\\" + name).c_str(), 0, nullptr,
                            0, KEY_WRITE, nullptr, &machine, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(machine, "", 0, REG_SZ, reinterpret_cast<const BYTE*>("machine"), 8);
  RegCloseKey(machine);
  EXPECT_EQ(Read(name), "machine");
  Write(name, "user");
  EXPECT_EQ(Read(name), "user");
  EXPECT_EQ(Direct(HKEY_LOCAL_MACHINE, name), "machine");
  EXPECT_EQ(registry.DeleteKey(kRoot, name), Registry::kSuccess);
  EXPECT_EQ(Read(name), "machine");
}

TEST_F(Win32RegistryTest, MissingKeysShortBuffersAndKeysWithSubkeys) {
  Key key = 0;
  EXPECT_EQ(registry.OpenKey(kRoot, name, key), Registry::kFileNotFound);
  EXPECT_NE(registry.DeleteKey(kRoot, name), Registry::kSuccess);
  ASSERT_EQ(registry.CreateKey(kRoot, name, key), Registry::kSuccess);
  char buffer[8] = {};
  uint32_t size = sizeof buffer;
  uint32_t type = 0;
  EXPECT_EQ(registry.QueryValue(key, "", type, buffer, size), Registry::kFileNotFound);
  const std::string longText(300, 'x');
  EXPECT_EQ(registry.SetValue(key, "", Registry::kRegSz, longText.c_str(), 301),
            Registry::kSuccess);
  size = sizeof buffer;
  EXPECT_EQ(registry.QueryValue(key, "", type, buffer, size), Registry::kMoreData);
  EXPECT_EQ(size, 301u);
  registry.CloseKey(key);

  Write(name + "\\shell\\Run", "&Run");
  EXPECT_NE(registry.DeleteKey(kRoot, name), Registry::kSuccess);  // it has subkeys
  EXPECT_EQ(Read(name + "\\shell\\Run"), "&Run");
  for (const std::string sub : {"\\shell\\Run", "\\shell", ""}) {
    EXPECT_EQ(registry.DeleteKey(kRoot, name + sub), Registry::kSuccess) << sub;
  }
  EXPECT_EQ(Read(name), "<none>");
}

}  // namespace
}  // namespace tavrin::win32

// Collections started at login through values of the user's Run key (the real
// registry, under Wine in a throw-away prefix).
#include "platform/win32/win32_autostart.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "platform/win32/win32_registry.h"

namespace tavrin::win32 {
namespace {

const std::string kShown = std::string("HKEY_CURRENT_USER\\") + kRunKey + "\\";

const Registry::Key kCurrentUser = reinterpret_cast<Registry::Key>(HKEY_CURRENT_USER);

// The Run key's value `name`, or "<none>".
std::string RunValue(const std::string& name) {
  Win32Registry registry;
  Registry::Key key = 0;
  if (registry.OpenKey(kCurrentUser, kRunKey, key) != Registry::kSuccess) return "<none>";
  char buffer[1024] = {};
  uint32_t size = sizeof buffer;
  uint32_t type = 0;
  const long result = registry.QueryValue(key, name, type, buffer, size);
  registry.CloseKey(key);
  return result == Registry::kSuccess && type == Registry::kRegSz ? std::string(buffer) : "<none>";
}

// The value runs the collection, the program's path in quotes; from a moved program it
// is rewritten, another collection of the name gets a number. Removing ignores the case
// of paths and takes only the collection's own values.
TEST(RunKeyAutostart, ValuesOfOtherCollectionsAreLeftAloneAndRemovingFindsItsOwn) {
  RunKeyAutostart autostart;
  std::string where;
  std::string error;
  std::vector<std::string> removed;
  ASSERT_TRUE(autostart.Enable("C:\\My Tools\\tavrin.exe", "C:\\c\\Games.tavrin", where, error))
      << error;
  EXPECT_EQ(where, kShown + "Tavrin Games");
  EXPECT_EQ(RunValue("Tavrin Games"), "\"C:\\My Tools\\tavrin.exe\" C:\\c\\Games.tavrin /run");
  ASSERT_TRUE(autostart.Enable("C:\\new\\tavrin.exe", "C:\\c\\Games.tavrin", where, error));
  EXPECT_EQ(where, kShown + "Tavrin Games");
  EXPECT_EQ(RunValue("Tavrin Games"), "\"C:\\new\\tavrin.exe\" C:\\c\\Games.tavrin /run");
  ASSERT_TRUE(autostart.Enable("C:\\t\\tavrin.exe", "D:\\Games.tavrin", where, error));
  EXPECT_EQ(where, kShown + "Tavrin Games (2)");

  ASSERT_TRUE(autostart.Disable("c:\\C\\games.TAVRIN", removed, error)) << error;
  EXPECT_EQ(removed, std::vector<std::string>{kShown + "Tavrin Games"});
  EXPECT_EQ(RunValue("Tavrin Games"), "<none>");
  EXPECT_EQ(RunValue("Tavrin Games (2)"), "\"C:\\t\\tavrin.exe\" D:\\Games.tavrin /run");
  removed.clear();
  ASSERT_TRUE(autostart.Disable("C:\\c\\Games.tavrin", removed, error));
  EXPECT_TRUE(removed.empty());
  ASSERT_TRUE(autostart.Disable("D:\\Games.tavrin", removed, error));
  EXPECT_EQ(removed, std::vector<std::string>{kShown + "Tavrin Games (2)"});
}

}  // namespace
}  // namespace tavrin::win32

// The association store on POSIX: keys and values in a file under the config folder.
#include "platform/posix/posix_registry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>

#include "temp_dir.h"

namespace tavrin::posix {
namespace {

namespace fs = std::filesystem;
constexpr auto kRoot = Registry::kClassesRoot;

struct PosixRegistryTest : ::testing::Test {
  // Creates `path` and sets its default value to `text` (written with its NUL).
  long Put(const std::string& path, const std::string& text) {
    Registry::Key key = 0;
    const long created = registry.CreateKey(kRoot, path, key);
    if (created != Registry::kSuccess) return created;
    const long r = registry.SetValue(key, "", Registry::kRegSz, text.c_str(),
                                     static_cast<uint32_t>(text.size() + 1));
    registry.CloseKey(key);
    return r;
  }
  // The default value of `path` as stored (with its NUL), "key" for a key without one,
  // or "none".
  std::string Get(PosixRegistry& reg, const std::string& path) {
    Registry::Key key = 0;
    if (reg.OpenKey(kRoot, path, key) != Registry::kSuccess) return "none";
    char buffer[512];
    uint32_t size = sizeof buffer;
    uint32_t type = 0;
    const long r = reg.QueryValue(key, "", type, buffer, size);
    reg.CloseKey(key);
    return r == Registry::kFileNotFound ? "key" : std::string(buffer, size);
  }

  testing::TempDir dir;
  XdgFolders folders{dir.file("config"), dir.file("data")};
  PosixRegistry registry{folders};
};

// Any bytes round-trip; every key on the way is created, without a value of its own; a
// write leaves no temporary file behind; a value that does not fit reports its size.
TEST_F(PosixRegistryTest, KeysAndValuesLiveInTheStoreFileAndIgnoreLetterCase) {
  EXPECT_EQ(registry.StorePath(), dir.file("config/tavrin/registry.txt"));
  const std::string odd = "tab\there\nline%41\\back\x01\x7f\xc3\xa9";
  EXPECT_EQ(Put(".tavrin", "Tavrin"), Registry::kSuccess);
  Put("Tavrin\\shell\\Open\\command", "\"/opt/My Tools/tavrin\" %1");
  Put("Odd", odd);
  Put("Long", std::string(300, 'x'));
  PosixRegistry later(folders);  // another run of the program
  EXPECT_EQ(Get(later, ".tavrin"), std::string("Tavrin\0", 7));
  EXPECT_EQ(Get(later, "TAVRIN\\Shell\\open\\COMMAND"),
            std::string("\"/opt/My Tools/tavrin\" %1\0", 26));
  EXPECT_EQ(Get(later, "Odd"), odd + '\0');
  EXPECT_EQ(Get(later, "Tavrin\\shell"), "key");
  EXPECT_EQ(Get(later, "Tavrin\\nothing"), "none");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.file("config/tavrin")), {}), 1);
  Registry::Key key = 0;
  ASSERT_EQ(later.OpenKey(kRoot, "Long", key), Registry::kSuccess);
  char buffer[256];
  uint32_t size = sizeof buffer;
  uint32_t type = 0;
  EXPECT_EQ(later.QueryValue(key, "", type, buffer, size), Registry::kMoreData);
  EXPECT_EQ(size, 301u);
  EXPECT_EQ(later.CloseKey(key), Registry::kSuccess);
  EXPECT_EQ(later.CloseKey(key), PosixRegistry::kInvalidHandle);
}

// Deleting a key takes its subkeys; a handle whose key was deleted can no longer be
// written; the last key takes the file, and its folder left empty.
TEST_F(PosixRegistryTest, DeletingAKeyTakesItsSubkeysAndTheLastOneTakesTheFile) {
  Put(".tavrin", "Tavrin");
  Put("Tavrin Other", "kept");
  Registry::Key tavrin = 0;
  Registry::Key command = 0;
  ASSERT_EQ(registry.CreateKey(kRoot, "Tavrin", tavrin), Registry::kSuccess);
  ASSERT_EQ(registry.CreateKey(tavrin, "shell\\Run\\command", command), Registry::kSuccess);
  EXPECT_EQ(Get(registry, "Tavrin\\shell\\Run\\command"), "key");
  Registry::Key bad = 0;
  EXPECT_EQ(registry.CreateKey(kRoot, "a\\\\b", bad), PosixRegistry::kBadPathname);
  EXPECT_EQ(registry.DeleteKey(kRoot, "tavrin"), Registry::kSuccess);
  EXPECT_EQ(Get(registry, "Tavrin\\shell"), "none");
  EXPECT_EQ(Get(registry, "Tavrin Other"), std::string("kept\0", 5));
  EXPECT_EQ(registry.SetValue(command, "", Registry::kRegSz, "x", 2), PosixRegistry::kKeyDeleted);
  EXPECT_EQ(registry.DeleteKey(kRoot, "Tavrin"), Registry::kFileNotFound);
  registry.DeleteKey(kRoot, ".tavrin");
  registry.DeleteKey(kRoot, "Tavrin Other");
  EXPECT_FALSE(fs::exists(dir.file("config/tavrin")));
  EXPECT_TRUE(fs::exists(dir.file("config")));
}

// A damaged store counts as absent and the next change rewrites it whole; a store that
// cannot be read or written is absent, and changes to it fail quietly.
TEST_F(PosixRegistryTest, DamagedOrUnwritableStores) {
  const std::string sound = "Tavrin registry 1\nkey\t.tavrin\nvalue\t.tavrin\t\t1\tTavrin%00\n";
  fs::create_directories(dir.file("config/tavrin"));
  for (const std::string damaged :
       {"garbage", "Tavrin registry 2\nkey\t.tavrin\n",
        "Tavrin registry 1\nkey\t.tavrin\nvalue\t.tavrin\t\t1\tTavrin%0",  // cut short
        "Tavrin registry 1\nkey\t.tavrin\nvalue\t.tavrin\t\t1\tTavrin%G0\n",
        "Tavrin registry 1\nvalue\t.tavrin\t\t1\tTavrin%00\n",  // value of no key
        "Tavrin registry 1\nkey\t.tavrin\nvalue\t.tavrin\t\tone\tTavrin%00\n",
        "Tavrin registry 1\nkey\t.tavrin\nsomething else\n"}) {
    testing::WriteFile(registry.StorePath(), damaged);
    EXPECT_EQ(Get(registry, ".tavrin"), "none") << damaged;
    Put(".tavrin", "Tavrin");
    EXPECT_EQ(testing::ReadFile(registry.StorePath()), sound) << damaged;
  }
  fs::remove(registry.StorePath());
  fs::create_directories(registry.StorePath());  // a folder where the file belongs
  EXPECT_EQ(Get(registry, ".tavrin"), "none");
  EXPECT_EQ(Put(".tavrin", "Tavrin"), PosixRegistry::kCantWrite);
  EXPECT_TRUE(fs::is_directory(registry.StorePath()));
  registry.AssociationChanged();  // nothing to do, and no harm
}

}  // namespace
}  // namespace tavrin::posix

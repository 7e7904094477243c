// The association store on POSIX: keys and values in a file under the config folder.
#include "platform/posix/posix_registry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>

#include "temp_dir.h"

namespace tavrin::posix {
namespace {

using testing::ReadFile;
using testing::WriteFile;
namespace fs = std::filesystem;
constexpr auto kRoot = Registry::kClassesRoot;

struct PosixRegistryTest : ::testing::Test {
  testing::TempDir dir;
  XdgFolders folders{dir.file("config"), dir.file("data")};
  PosixRegistry registry{folders};

  // Creates `path` and sets its default value to `text` (written with its NUL).
  void Put(const std::string& path, const std::string& text) {
    Registry::Key key = 0;
    ASSERT_EQ(registry.CreateKey(kRoot, path, key), Registry::kSuccess);
    ASSERT_EQ(registry.SetValue(key, "", Registry::kRegSz, text.c_str(),
                                static_cast<uint32_t>(text.size() + 1)),
              Registry::kSuccess);
    registry.CloseKey(key);
  }
  // The default value of `path` as stored (with its NUL), or the error code.
  std::string Get(PosixRegistry& reg, const std::string& path) {
    Registry::Key key = 0;
    if (const long r = reg.OpenKey(kRoot, path, key); r != Registry::kSuccess) {
      return "error " + std::to_string(r);
    }
    char buffer[512];
    uint32_t size = sizeof buffer;
    uint32_t type = 0;
    const long r = reg.QueryValue(key, "", type, buffer, size);
    reg.CloseKey(key);
    return r != Registry::kSuccess ? "error " + std::to_string(r) : std::string(buffer, size);
  }
  bool Exists(const std::string& path) {
    Registry::Key key = 0;
    const bool found = registry.OpenKey(kRoot, path, key) == Registry::kSuccess;
    if (found) registry.CloseKey(key);
    return found;
  }
};

// Any bytes round-trip; every key on the way is created, without a value of its own; a
// write leaves no temporary file behind.
TEST_F(PosixRegistryTest, KeysAndValuesLiveInTheStoreFileAndIgnoreLetterCase) {
  EXPECT_EQ(registry.StorePath(), dir.file("config/tavrin/registry.txt"));
  const std::string odd = "tab\there\nline%41\\back\x01\x7f\xc3\xa9";
  Put(".tavrin", "Tavrin");
  Put("Tavrin\\shell\\Open\\command", "\"/opt/My Tools/tavrin\" %1");
  Put("Odd", odd);
  PosixRegistry later(folders);  // another run of the program
  EXPECT_EQ(Get(later, ".tavrin"), std::string("Tavrin\0", 7));
  EXPECT_EQ(Get(later, "TAVRIN\\Shell\\open\\COMMAND"),
            std::string("\"/opt/My Tools/tavrin\" %1\0", 26));
  EXPECT_EQ(Get(later, "Odd"), odd + '\0');
  EXPECT_EQ(Get(later, "Tavrin\\shell"), "error 2");
  EXPECT_EQ(Get(later, "Tavrin\\nothing"), "error 2");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.file("config/tavrin")), {}), 1);
}

TEST_F(PosixRegistryTest, ValueThatDoesNotFitReportsMoreDataAndItsSize) {
  Put("Long", std::string(300, 'x'));
  Registry::Key key = 0;
  ASSERT_EQ(registry.OpenKey(kRoot, "Long", key), Registry::kSuccess);
  char buffer[256];
  uint32_t size = sizeof buffer;
  uint32_t type = 0;
  EXPECT_EQ(registry.QueryValue(key, "", type, buffer, size), Registry::kMoreData);
  EXPECT_EQ(size, 301u);
  EXPECT_EQ(registry.QueryValue(key, "other", type, buffer, size), Registry::kFileNotFound);
  EXPECT_EQ(registry.CloseKey(key), Registry::kSuccess);
  EXPECT_EQ(registry.CloseKey(key), PosixRegistry::kInvalidHandle);
}

TEST_F(PosixRegistryTest, DeletingAKeyTakesItsSubkeysAndTheLastOneTakesTheFile) {
  Put(".tavrin", "Tavrin");
  Put("Tavrin", "Tavrin Collection");
  Put("Tavrin\\shell\\Run\\command", "run");
  Put("Tavrin Other", "kept");
  EXPECT_EQ(registry.DeleteKey(kRoot, "tavrin"), Registry::kSuccess);
  EXPECT_FALSE(Exists("Tavrin\\shell\\Run\\command"));
  EXPECT_FALSE(Exists("Tavrin\\shell"));
  EXPECT_TRUE(Exists(".tavrin"));
  EXPECT_TRUE(Exists("Tavrin Other"));
  EXPECT_EQ(registry.DeleteKey(kRoot, "Tavrin"), Registry::kFileNotFound);
  registry.DeleteKey(kRoot, ".tavrin");
  registry.DeleteKey(kRoot, "Tavrin Other");
  EXPECT_FALSE(fs::exists(dir.file("config/tavrin")));  // left empty, so it went too
  EXPECT_TRUE(fs::exists(dir.file("config")));
}

TEST_F(PosixRegistryTest, DamagedStoreCountsAsAbsentAndTheNextChangeRewritesIt) {
  const std::string sound = "Tavrin registry 1\nkey\t.tavrin\nvalue\t.tavrin\t\t1\tTavrin%00\n";
  const std::string damaged[] = {
      "",
      "garbage\x00\x01 bytes",
      "Tavrin registry 2\nkey\t.tavrin\n",
      "Tavrin registry 1\nkey\t.tavrin\nvalue\t.tavrin\t\t1\tTavrin%0",  // cut short
      "Tavrin registry 1\nkey\t.tavrin\nvalue\t.tavrin\t\t1\tTavrin%G0\n",
      "Tavrin registry 1\nvalue\t.tavrin\t\t1\tTavrin%00\n",  // value of no key
      "Tavrin registry 1\nkey\t.tavrin\nvalue\t.tavrin\t\tone\tTavrin%00\n",
      "Tavrin registry 1\nkey\t.tavrin\\\\x\n",
      "Tavrin registry 1\nkey\t.tavrin\nsomething else\n",
  };
  fs::create_directories(dir.file("config/tavrin"));
  WriteFile(registry.StorePath(), sound);
  ASSERT_TRUE(Exists(".tavrin")) << "the sound store reads";
  for (const auto& text : damaged) {
    WriteFile(registry.StorePath(), text);
    EXPECT_FALSE(Exists(".tavrin")) << text;
    Put(".tavrin", "Tavrin");
    EXPECT_EQ(ReadFile(registry.StorePath()), sound) << text;
  }
}

TEST_F(PosixRegistryTest, StoreThatCannotBeReadOrWrittenIsAbsentAndChangesFailQuietly) {
  fs::create_directories(registry.StorePath());  // a folder where the file belongs
  EXPECT_FALSE(Exists(".tavrin"));
  Registry::Key key = 0;
  EXPECT_EQ(registry.CreateKey(kRoot, ".tavrin", key), PosixRegistry::kCantWrite);
  EXPECT_TRUE(fs::is_directory(registry.StorePath()));
  registry.AssociationChanged();  // nothing to do, and no harm
}

TEST_F(PosixRegistryTest, KeysAreOpenedBelowOpenKeysAndBadPathsAreRefused) {
  Registry::Key tavrin = 0;
  Registry::Key command = 0;
  Registry::Key key = 0;
  ASSERT_EQ(registry.CreateKey(kRoot, "Tavrin", tavrin), Registry::kSuccess);
  ASSERT_EQ(registry.CreateKey(tavrin, "shell\\Open\\command", command), Registry::kSuccess);
  EXPECT_TRUE(Exists("Tavrin\\shell\\Open\\command"));
  EXPECT_EQ(registry.OpenKey(tavrin, "SHELL\\open", key), Registry::kSuccess);
  EXPECT_EQ(registry.CreateKey(kRoot, "a\\\\b", key), PosixRegistry::kBadPathname);
  EXPECT_EQ(registry.CreateKey(kRoot, "\\a", key), PosixRegistry::kBadPathname);
  EXPECT_EQ(registry.DeleteKey(kRoot, ""), Registry::kAccessDenied);
  EXPECT_EQ(registry.OpenKey(12345, "x", key), PosixRegistry::kInvalidHandle);
  // A handle whose key was deleted meanwhile can no longer be written.
  registry.DeleteKey(kRoot, "Tavrin");
  EXPECT_EQ(registry.SetValue(command, "", Registry::kRegSz, "x", 2), PosixRegistry::kKeyDeleted);
  EXPECT_FALSE(fs::exists(registry.StorePath()));
}

}  // namespace
}  // namespace tavrin::posix

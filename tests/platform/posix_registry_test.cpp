// The association store on POSIX: keys and values in a file under the config folder.
#include "platform/posix/posix_registry.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "temp_dir.h"

namespace tavrin::posix {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

namespace fs = std::filesystem;

struct PosixRegistryTest : ::testing::Test {
  TempDir dir;
  XdgFolders folders{dir.file("config"), dir.file("data")};
  PosixRegistry registry{folders};

  // Creates `path` and sets its default value to `text` (written with its NUL).
  void Put(PosixRegistry& reg, const std::string& path, const std::string& text) {
    Registry::Key key = 0;
    ASSERT_EQ(reg.CreateKey(Registry::kClassesRoot, path, key), Registry::kSuccess);
    ASSERT_EQ(reg.SetValue(key, "", Registry::kRegSz, text.c_str(),
                           static_cast<uint32_t>(text.size() + 1)),
              Registry::kSuccess);
    reg.CloseKey(key);
  }

  // The default value of `path` as stored (with its NUL), or the error code.
  std::string Get(PosixRegistry& reg, const std::string& path) {
    Registry::Key key = 0;
    if (const long r = reg.OpenKey(Registry::kClassesRoot, path, key); r != Registry::kSuccess) {
      return "error " + std::to_string(r);
    }
    char buffer[512];
    uint32_t size = sizeof buffer;
    uint32_t type = 0;
    const long r = reg.QueryValue(key, "", type, buffer, size);
    reg.CloseKey(key);
    if (r != Registry::kSuccess) return "error " + std::to_string(r);
    return std::string(buffer, size);
  }

  bool Exists(const std::string& path) {
    Registry::Key key = 0;
    const bool found = registry.OpenKey(Registry::kClassesRoot, path, key) == Registry::kSuccess;
    if (found) registry.CloseKey(key);
    return found;
  }
};

TEST_F(PosixRegistryTest, KeysAndValuesLiveInTheStoreFileAndIgnoreLetterCase) {
  EXPECT_EQ(registry.StorePath(), dir.file("config/tavrin/registry.txt"));
  Put(registry, ".tavrin", "Tavrin");
  Put(registry, "Tavrin\\shell\\Open\\command", "\"/opt/My Tools/tavrin\" %1");
  EXPECT_TRUE(fs::is_regular_file(registry.StorePath()));

  PosixRegistry later(folders);  // another run of the program
  EXPECT_EQ(Get(later, ".tavrin"), std::string("Tavrin\0", 7));
  EXPECT_EQ(Get(later, "TAVRIN\\Shell\\open\\COMMAND"),
            std::string("\"/opt/My Tools/tavrin\" %1\0", 26));
  // Every key on the way was created, without a value of its own.
  EXPECT_EQ(Get(later, "Tavrin\\shell"), "error 2");
  EXPECT_EQ(Get(later, "Tavrin\\nothing"), "error 2");
}

TEST_F(PosixRegistryTest, AnyBytesRoundTrip) {
  const std::string odd = "tab\there\nline%41\\back\x01\x7f\xc3\xa9";
  Put(registry, "Odd", odd);
  EXPECT_EQ(Get(registry, "Odd"), odd + '\0');
}

TEST_F(PosixRegistryTest, ValueThatDoesNotFitReportsMoreDataAndItsSize) {
  Put(registry, "Long", std::string(300, 'x'));
  Registry::Key key = 0;
  ASSERT_EQ(registry.OpenKey(Registry::kClassesRoot, "Long", key), Registry::kSuccess);
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
  Put(registry, ".tavrin", "Tavrin");
  Put(registry, "Tavrin", "Tavrin Collection");
  Put(registry, "Tavrin\\shell\\Run\\command", "run");
  Put(registry, "Tavrin Other", "kept");

  EXPECT_EQ(registry.DeleteKey(Registry::kClassesRoot, "tavrin"), Registry::kSuccess);
  EXPECT_FALSE(Exists("Tavrin\\shell\\Run\\command"));
  EXPECT_FALSE(Exists("Tavrin\\shell"));
  EXPECT_TRUE(Exists(".tavrin"));
  EXPECT_TRUE(Exists("Tavrin Other"));
  EXPECT_EQ(registry.DeleteKey(Registry::kClassesRoot, "Tavrin"), Registry::kFileNotFound);

  registry.DeleteKey(Registry::kClassesRoot, ".tavrin");
  registry.DeleteKey(Registry::kClassesRoot, "Tavrin Other");
  EXPECT_FALSE(fs::exists(registry.StorePath()));
  EXPECT_FALSE(fs::exists(dir.file("config/tavrin")));  // left empty, so it went too
  EXPECT_TRUE(fs::exists(dir.file("config")));
}

TEST_F(PosixRegistryTest, WritesLeaveNoTemporaryFilesBehind) {
  Put(registry, ".tavrin", "Tavrin");
  Put(registry, ".tavrin", "Tavrin again");
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir.file("config/tavrin"))) {
    names.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(names, std::vector<std::string>{"registry.txt"});
}

TEST_F(PosixRegistryTest, DamagedStoreCountsAsAbsentAndTheNextChangeRewritesIt) {
  const std::string sound = "Tavrin registry 1\nkey\t.tavrin\nvalue\t.tavrin\t\t1\tTavrin%00\n";
  const std::vector<std::string> damaged = {
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
  ASSERT_EQ(Get(registry, ".tavrin"), std::string("Tavrin\0", 7)) << "the sound store reads";
  for (const auto& text : damaged) {
    WriteFile(registry.StorePath(), text);
    EXPECT_FALSE(Exists(".tavrin")) << text;
    Put(registry, ".tavrin", "Tavrin");
    EXPECT_EQ(ReadFile(registry.StorePath()), sound) << text;
  }
}

TEST_F(PosixRegistryTest, StoreThatCannotBeReadOrWrittenIsAbsentAndChangesFailQuietly) {
  fs::create_directories(registry.StorePath());  // a folder where the file belongs
  EXPECT_FALSE(Exists(".tavrin"));
  Registry::Key key = 0;
  EXPECT_EQ(registry.CreateKey(Registry::kClassesRoot, ".tavrin", key), PosixRegistry::kCantWrite);
  EXPECT_TRUE(fs::is_directory(registry.StorePath()));
  registry.AssociationChanged();  // nothing to do, and no harm
}

TEST_F(PosixRegistryTest, KeysAreOpenedBelowOpenKeysAndBadPathsAreRefused) {
  Registry::Key tavrin = 0;
  Registry::Key command = 0;
  ASSERT_EQ(registry.CreateKey(Registry::kClassesRoot, "Tavrin", tavrin), Registry::kSuccess);
  ASSERT_EQ(registry.CreateKey(tavrin, "shell\\Open\\command", command), Registry::kSuccess);
  EXPECT_TRUE(Exists("Tavrin\\shell\\Open\\command"));
  Registry::Key key = 0;
  EXPECT_EQ(registry.OpenKey(tavrin, "SHELL\\open", key), Registry::kSuccess);
  EXPECT_EQ(registry.CreateKey(Registry::kClassesRoot, "a\\\\b", key), PosixRegistry::kBadPathname);
  EXPECT_EQ(registry.CreateKey(Registry::kClassesRoot, "\\a", key), PosixRegistry::kBadPathname);
  EXPECT_EQ(registry.DeleteKey(Registry::kClassesRoot, ""), Registry::kAccessDenied);
  EXPECT_EQ(registry.OpenKey(12345, "x", key), PosixRegistry::kInvalidHandle);

  // A handle whose key was deleted meanwhile can no longer be written.
  registry.DeleteKey(Registry::kClassesRoot, "Tavrin");
  EXPECT_EQ(registry.SetValue(command, "", Registry::kRegSz, "x", 2), PosixRegistry::kKeyDeleted);
  EXPECT_FALSE(fs::exists(registry.StorePath()));
}

}  // namespace
}  // namespace tavrin::posix

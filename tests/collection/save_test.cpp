#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <algorithm>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "collection/collfile.h"
#include "native_files.h"
#include "temp_dir.h"

namespace tavrin {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

CollItem Item(std::string name, std::string file, std::string params, int16_t style, int16_t wait) {
  CollItem item;
  item.ItemName = std::move(name);
  item.File = std::move(file);
  item.Params = std::move(params);
  item.WinStyle = style;
  item.Wait = wait;
  return item;
}

std::vector<std::string> Names(const TempDir& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

class SaveCollection : public ::testing::Test {
 protected:
  TempDir dir;
  testing::NativeFileSystem files;
  CollectionState state;
};

TEST_F(SaveCollection, OneItemIsThreeLinesEachEndedByCrLf) {
  state.Items = {Item("Notes", "C:\\WINDOWS\\NOTEPAD.EXE", "", 1, kFalse)};
  EXPECT_FALSE(SaveCollectionFile(state, dir.file("one.tavrin"), files));
  EXPECT_EQ(ReadFile(dir.file("one.tavrin")),
            "\"Tavrin File 1.2\"\r\n"
            "0\r\n"
            "\"Notes\",\"C:\\WINDOWS\\NOTEPAD.EXE\",\"\",1,#FALSE#\r\n");
}

TEST_F(SaveCollection, TwoItemsGiveTheDocumentedExample) {
  state.Items = {Item("Notes", "C:\\WINDOWS\\NOTEPAD.EXE", "", 1, kFalse),
                 Item("Mail", "C:\\Program Files\\Mail\\mail.exe", "/check", 2, kTrue)};
  EXPECT_FALSE(SaveCollectionFile(state, dir.file("two.tavrin"), files));
  EXPECT_EQ(ReadFile(dir.file("two.tavrin")),
            "\"Tavrin File 1.2\"\r\n"
            "1\r\n"
            "\"Notes\",\"C:\\WINDOWS\\NOTEPAD.EXE\",\"\",1,#FALSE#\r\n"
            "\"Mail\",\"C:\\Program Files\\Mail\\mail.exe\",\"/check\",2,#TRUE#\r\n");
}

TEST_F(SaveCollection, AnEmptyCollectionWritesItsPlaceholder) {
  state.HasItems = false;
  EXPECT_FALSE(SaveCollectionFile(state, dir.file("empty.tavrin"), files));
  EXPECT_EQ(ReadFile(dir.file("empty.tavrin")),
            "\"Tavrin File 1.2\"\r\n0\r\n\"\",\"\",\"\",0,#FALSE#\r\n");

  CollectionState loaded;
  loaded.Items = {Item("x", "y", "z", 1, kTrue), Item("x", "y", "z", 1, kTrue)};
  EXPECT_EQ(ReadCollectionFile(loaded, dir.file("empty.tavrin")), LoadOk);
  EXPECT_EQ(loaded.Items, std::vector<CollItem>{CollItem{}});
}

TEST_F(SaveCollection, EveryValueSurvivesASaveAndALoad) {
  state.Items = {
      Item("say \"hi\"", "/opt/My Tools/run,fast", "\"C:\\Program Files\\x.exe\" /a \"b c\"", 5,
           kTrue),
      Item("Smith, John", "\"", "\"\"", -3, kFalse),
      Item("  blanks  ", "two\r\nlines", "caf\xC3\xA9 \xE9t\xE9", 32767, kTrue),
      Item("", "", "", -32768, kFalse),
  };
  ASSERT_FALSE(SaveCollectionFile(state, dir.file("round.tavrin"), files));
  CollectionState loaded;
  EXPECT_EQ(ReadCollectionFile(loaded, dir.file("round.tavrin")), LoadOk);
  EXPECT_EQ(loaded.Items, state.Items);
}

// Random collections: strings of any bytes but NUL, CR and LF, with quotes, commas
// and blanks far more often than chance would give them; any style; both waits.
TEST_F(SaveCollection, RandomCollectionsComeBackUnchanged) {
  std::mt19937 rng(7411);
  const auto below = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
  const std::string awkward = "\",  \t#";
  const auto randomText = [&] {
    std::string text;
    const int size = below(4) == 0 ? 0 : below(40);
    for (int i = 0; i < size; ++i) {
      if (below(3) == 0) {
        text += awkward[static_cast<std::size_t>(below(static_cast<int>(awkward.size())))];
      } else {
        char c;
        do {
          c = static_cast<char>(below(256));
        } while (c == '\0' || c == '\r' || c == '\n');
        text += c;
      }
    }
    return text;
  };
  const std::string path = dir.file("random.tavrin");
  for (int round = 0; round < 300; ++round) {
    state.Items.clear();
    const int count = 1 + below(round % 10 == 0 ? 300 : 8);
    for (int i = 0; i < count; ++i) {
      const int16_t style = below(2) == 0 ? static_cast<int16_t>(below(6))
                                          : static_cast<int16_t>(below(65536) - 32768);
      state.Items.push_back(
          Item(randomText(), randomText(), randomText(), style, below(2) == 0 ? kTrue : kFalse));
    }
    ASSERT_FALSE(SaveCollectionFile(state, path, files)) << "round " << round;
    CollectionState loaded;
    ASSERT_EQ(ReadCollectionFile(loaded, path), LoadOk) << "round " << round;
    ASSERT_EQ(loaded.Items, state.Items) << "round " << round;
  }
}

TEST_F(SaveCollection, AQuoteInsideAStringIsWrittenDoubled) {
  state.Items = {Item("a\"b", "f", "", 0, kFalse)};
  ASSERT_FALSE(SaveCollectionFile(state, dir.file("q.tavrin"), files));
  EXPECT_EQ(ReadFile(dir.file("q.tavrin")),
            "\"Tavrin File 1.2\"\r\n0\r\n\"a\"\"b\",\"f\",\"\",0,#FALSE#\r\n");
}

TEST_F(SaveCollection, AnyNonZeroWaitIsWrittenAsTrue) {
  state.Items = {Item("a", "f", "", 0, 1)};
  ASSERT_FALSE(SaveCollectionFile(state, dir.file("w.tavrin"), files));
  EXPECT_EQ(ReadFile(dir.file("w.tavrin")),
            "\"Tavrin File 1.2\"\r\n0\r\n\"a\",\"f\",\"\",0,#TRUE#\r\n");
}

TEST_F(SaveCollection, TheCollectionExtensionIsForced) {
  WriteFile(dir.file("Games.txt"), "keep me");
  EXPECT_FALSE(SaveCollectionFile(state, dir.file("Games.txt"), files));
  EXPECT_FALSE(SaveCollectionFile(state, dir.file("Plain"), files));
  EXPECT_FALSE(SaveCollectionFile(state, dir.file("Upper.TAVRIN"), files));
  EXPECT_EQ(Names(dir), (std::vector<std::string>{"Games.tavrin", "Games.txt", "Plain.tavrin",
                                                  "Upper.TAVRIN"}));
  EXPECT_EQ(ReadFile(dir.file("Games.txt")), "keep me");
}

TEST_F(SaveCollection, ASaveReplacesTheWholeFile) {
  const std::string path = dir.file("c.tavrin");
  WriteFile(path, std::string(10000, 'x'));
  state.Items = {Item("a", "b", "", 1, kFalse)};
  ASSERT_FALSE(SaveCollectionFile(state, path, files));
  EXPECT_EQ(ReadFile(path), "\"Tavrin File 1.2\"\r\n0\r\n\"a\",\"b\",\"\",1,#FALSE#\r\n");
  EXPECT_EQ(Names(dir), std::vector<std::string>{"c.tavrin"});
}

// Links and permission bits as POSIX has them.
#ifndef _WIN32
TEST_F(SaveCollection, SavingThroughALinkRewritesTheFileItNames) {
  std::filesystem::create_directory(dir.file("real"));
  WriteFile(dir.file("real/c.tavrin"), "old");
  std::filesystem::create_symlink("real/c.tavrin", dir.file("link.tavrin"));
  ASSERT_FALSE(SaveCollectionFile(state, dir.file("link.tavrin"), files));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.tavrin")));
  EXPECT_EQ(ReadFile(dir.file("real/c.tavrin")),
            "\"Tavrin File 1.2\"\r\n0\r\n\"\",\"\",\"\",0,#FALSE#\r\n");
}

TEST_F(SaveCollection, TheSavedFileKeepsThePermissionsOfTheOldOne) {
  const std::string path = dir.file("c.tavrin");
  WriteFile(path, "old");
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  ASSERT_FALSE(SaveCollectionFile(state, path, files));
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST_F(SaveCollection, ANewFileGetsTheUsualPermissions) {
  const mode_t mask = ::umask(027);
  const bool failed = SaveCollectionFile(state, dir.file("new.tavrin"), files);
  ::umask(mask);
  ASSERT_FALSE(failed);
  struct stat st {};
  ASSERT_EQ(::stat(dir.file("new.tavrin").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

#endif

TEST_F(SaveCollection, AMissingFolderOrAFolderInTheWayFailsAndLeavesNothingBehind) {
  EXPECT_TRUE(SaveCollectionFile(state, dir.file("missing/c.tavrin"), files));
  EXPECT_TRUE(Names(dir).empty());
  std::filesystem::create_directory(dir.file("taken.tavrin"));
  EXPECT_TRUE(SaveCollectionFile(state, dir.file("taken.tavrin"), files));
  EXPECT_EQ(Names(dir), std::vector<std::string>{"taken.tavrin"});
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("taken.tavrin")));
}

// Steps of a save as the file system sees them.
enum class Step { kCreate, kWrite, kFlush, kClose, kRename };

// The POSIX file system with one step made to fail: the `failAt`-th step (counted
// from 1) reports failure without doing its work. 0: nothing fails.
class FailingFileSystem : public FileSystem {
 public:
  explicit FailingFileSystem(int failAt) : failAt_(failAt) {}

  std::unique_ptr<OutFile> CreateTempBeside(const std::string& target,
                                            std::string& tempPath) override {
    if (Fails(Step::kCreate)) return nullptr;
    auto file = real_.CreateTempBeside(target, tempPath);
    if (!file) return nullptr;
    return std::make_unique<File>(*this, std::move(file));
  }
  bool Rename(const std::string& from, const std::string& to) override {
    return !Fails(Step::kRename) && real_.Rename(from, to);
  }
  bool Remove(const std::string& path) override { return real_.Remove(path); }
  int DeleteFile(const std::string& path) override { return real_.DeleteFile(path); }
  std::vector<std::string> ListFiles(const std::string& folder,
                                     const std::string& extension) override {
    return real_.ListFiles(folder, extension);
  }
  std::string WriteTarget(const std::string& path) override { return real_.WriteTarget(path); }

  std::vector<Step> steps;

 private:
  class File : public OutFile {
   public:
    File(FailingFileSystem& owner, std::unique_ptr<OutFile> real)
        : owner_(owner), real_(std::move(real)) {}
    bool Write(std::string_view bytes) override {
      return !owner_.Fails(Step::kWrite) && real_->Write(bytes);
    }
    bool Flush() override { return !owner_.Fails(Step::kFlush) && real_->Flush(); }
    bool Close() override {
      // A close that fails has still given the descriptor up.
      const bool closed = real_->Close();
      return !owner_.Fails(Step::kClose) && closed;
    }

   private:
    FailingFileSystem& owner_;
    std::unique_ptr<OutFile> real_;
  };

  bool Fails(Step step) {
    steps.push_back(step);
    return static_cast<int>(steps.size()) == failAt_;
  }

  int failAt_;
  testing::NativeFileSystem real_;
};

TEST_F(SaveCollection, ASaveGoesCreateOneWritePerLineFlushCloseRename) {
  state.Items = {Item("a", "b", "", 1, kFalse), Item("c", "d", "", 1, kFalse)};
  FailingFileSystem recording(0);
  ASSERT_FALSE(SaveCollectionFile(state, dir.file("c.tavrin"), recording));
  EXPECT_EQ(recording.steps,
            (std::vector<Step>{Step::kCreate, Step::kWrite, Step::kWrite, Step::kWrite,
                               Step::kWrite, Step::kFlush, Step::kClose, Step::kRename}));
}

// A save of three items passes nine steps: creating the temporary file, five writes
// (header, count, three records), flush, close and rename. Each of them is made to
// fail in turn, over an existing file and for a new one: eighteen failures, none of
// which may change the old file or leave a temporary file behind.
constexpr int kStepsOfThreeItems = 9;

std::vector<CollItem> ThreeItems() {
  return {Item("a", "b", "", 1, kFalse), Item("c", "d", "-x", 2, kTrue),
          Item("e", "f", "", 1, kFalse)};
}

TEST_F(SaveCollection, AFailureAtAnyStepLeavesTheOldFileAndNoTemporaryFile) {
  const std::string path = dir.file("c.tavrin");
  const std::string old = "\"Tavrin File 1.2\"\r\n0\r\n\"Old\",\"/bin/old\",\"\",1,#TRUE#\r\n";
  state.Items = ThreeItems();
  FailingFileSystem recording(0);
  WriteFile(path, old);
  ASSERT_FALSE(SaveCollectionFile(state, path, recording));
  ASSERT_EQ(static_cast<int>(recording.steps.size()), kStepsOfThreeItems);

  for (int failAt = 1; failAt <= kStepsOfThreeItems; ++failAt) {
    WriteFile(path, old);
    FailingFileSystem failing(failAt);
    EXPECT_TRUE(SaveCollectionFile(state, path, failing)) << "step " << failAt;
    EXPECT_EQ(ReadFile(path), old) << "step " << failAt;
    EXPECT_EQ(Names(dir), std::vector<std::string>{"c.tavrin"}) << "step " << failAt;
  }
}

TEST_F(SaveCollection, AFailureAtAnyStepOfANewFileLeavesNothing) {
  state.Items = ThreeItems();
  FailingFileSystem recording(0);
  ASSERT_FALSE(SaveCollectionFile(state, dir.file("counted.tavrin"), recording));
  std::filesystem::remove(dir.file("counted.tavrin"));
  ASSERT_EQ(static_cast<int>(recording.steps.size()), kStepsOfThreeItems);

  for (int failAt = 1; failAt <= kStepsOfThreeItems; ++failAt) {
    FailingFileSystem failing(failAt);
    EXPECT_TRUE(SaveCollectionFile(state, dir.file("new.tavrin"), failing)) << "step " << failAt;
    EXPECT_TRUE(Names(dir).empty()) << "step " << failAt;
  }
}

}  // namespace
}  // namespace tavrin

#include <gtest/gtest.h>
#ifndef _WIN32
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include <functional>
#include <utility>
#endif

#include <algorithm>
#include <deque>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "collection/collfile.h"
#include "fakes.h"
#include "run_process.h"
#include "temp_dir.h"

namespace tavrin {
namespace {

using testing::Item;
using testing::kErrorBox;
using testing::ReadFile;
using testing::WriteFile;
using Names = std::vector<std::string>;
namespace fs = std::filesystem;

struct SaveCollection : ::testing::Test {
  Names Listed() const {
    Names names;
    for (const auto& entry : fs::directory_iterator(dir.path())) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  testing::TempDir dir;
  testing::NativeFileSystem files;
  testing::FakePlatform fake;
  CollectionState state;
};

// Every byte but NUL survives a save and a load, in every text field, with the extreme styles.
TEST_F(SaveCollection, EveryByteSurvivesASaveAndALoad) {
  std::string bytes;
  for (int c = 1; c < 256; ++c) bytes += static_cast<char>(c);
  state.Items = {Item(bytes, " " + bytes, bytes + " ", 32767, kTrue), Item("", "", "", -32768)};
  const std::string path = dir.file("bytes.tavrin");
  ASSERT_FALSE(SaveCollectionFile(state, path, files));
  CollectionState loaded;
  ASSERT_EQ(ReadCollectionFile(loaded, path, files), LoadOk);
  EXPECT_EQ(loaded.Items, state.Items);
}

// The extension is forced; a folder in the way fails cleanly.
TEST_F(SaveCollection, TheExtensionIsForcedAndABadTargetFailsCleanly) {
  WriteFile(dir.file("Games.txt"), "keep me");
  fs::create_directory(dir.file("taken.tavrin"));
  EXPECT_FALSE(SaveCollectionFile(state, dir.file("Games.txt"), files));
  EXPECT_FALSE(SaveCollectionFile(state, dir.file("Upper.TAVRIN"), files));
  EXPECT_TRUE(SaveCollectionFile(state, dir.file("taken.tavrin"), files));
  EXPECT_EQ(Listed(), (Names{"Games.tavrin", "Games.txt", "Upper.TAVRIN", "taken.tavrin"}));
  EXPECT_EQ(ReadFile(dir.file("Games.txt")), "keep me");
}

// The native file system whose `failAt`-th step (from 1; 0: none) fails undone; `steps`
// records c(reate), w(rite), f(lush), k (close), r(ename), i(n place).
class FaultyFileSystem : public testing::NativeFileSystem {
 public:
  explicit FaultyFileSystem(int failAt) : failAt_(failAt) {}
  std::unique_ptr<OutFile> CreateTempBeside(const std::string& target, std::string& temp) override {
    if (Fails('c')) return nullptr;
    auto file = testing::NativeFileSystem::CreateTempBeside(target, temp);
    return file ? std::make_unique<File>(*this, std::move(file)) : nullptr;
  }
  bool Rename(const std::string& from, const std::string& to) override {
    return !Fails('r') && testing::NativeFileSystem::Rename(from, to);
  }
  bool RewriteInPlace(const std::string& path, std::string_view bytes) override {
    return !Fails('i') && testing::NativeFileSystem::RewriteInPlace(path, bytes);
  }
  std::string steps;

 private:
  struct File : OutFile {
    File(FaultyFileSystem& o, std::unique_ptr<OutFile> r) : owner(o), real(std::move(r)) {}
    bool Write(std::string_view bytes) override { return !owner.Fails('w') && real->Write(bytes); }
    bool Flush() override { return !owner.Fails('f') && real->Flush(); }
    bool Close() override {
      const bool closed = real->Close();  // a close that fails has still given the file up
      return !owner.Fails('k') && closed;
    }
    FaultyFileSystem& owner;
    std::unique_ptr<OutFile> real;
  };
  bool Fails(char step) {
    steps += step;
    return static_cast<int>(steps.size()) == failAt_;
  }
  int failAt_;
};

// A save writes the current version over the whole old file. A failure at any step leaves
// the old file, or none, and no temporary file; a file with two names is rewritten in
// place after a complete copy of the new content is put beside it: a failed copy only
// costs the copy, a failed rewrite leaves the copy.
TEST_F(SaveCollection, WritesTheCurrentVersionAndAFailureAtAnyStepLeavesTheOldFile) {
  state.Items = {Item("Notes", "C:\\NOTEPAD.EXE"), Item("a\"b", "f", "/check", 2, 1)};
  const std::string old = "\"Tavrin File 1.2\"\r\n0\r\n\"Old\",\"/bin/old\",\"" +
                          std::string(300, 'x') + "\",1,#TRUE#\r\n";
  const std::string saved =
      "\"Tavrin File 1.2\"\r\n1\r\n\"Notes\",\"C:\\NOTEPAD.EXE\",\"\",1,#FALSE#\r\n"
      "\"a\"\"b\",\"f\",\"/check\",2,#TRUE#\r\n";
  const struct {
    const char* name;
    Names before;  // the old file's names, "c.tavrin" first
    std::string steps;
    std::string failing;  // the steps whose failure fails the save
  } cases[] = {{"over an old file", {"c.tavrin"}, "cwfkr", "cwfkr"},
               {"a new file", {}, "cwfkr", "cwfkr"},
               {"a file with two names", {"c.tavrin", "other name.tavrin"}, "cwfkri", "i"}};
  for (const auto& c : cases) {
    for (int failAt = 0; failAt <= static_cast<int>(c.steps.size()); ++failAt) {
      SCOPED_TRACE(std::string(c.name) + ", failing at step " + std::to_string(failAt));
      if (!c.before.empty()) WriteFile(dir.file("c.tavrin"), old);
      if (c.before.size() > 1) fs::create_hard_link(dir.file("c.tavrin"), dir.file(c.before[1]));
      FaultyFileSystem faulty(failAt);
      const bool failed =
          failAt != 0 &&
          c.failing.find(c.steps[static_cast<std::size_t>(failAt - 1)]) != std::string::npos;
      EXPECT_EQ(SaveCollectionFile(state, dir.file("c.tavrin"), faulty), failed);
      if (failAt == 0) {
        EXPECT_EQ(faulty.steps, c.steps);
      }
      Names names = !failed && c.before.empty() ? Names{"c.tavrin"} : c.before;
      if (failed && c.before.size() > 1) names.insert(names.begin(), ".c.tavrin.saved-copy");
      EXPECT_EQ(Listed(), names);
      for (const auto& name : Listed()) {
        EXPECT_EQ(ReadFile(dir.file(name)), failed && name[0] != '.' ? old : saved) << name;
        fs::remove(dir.file(name));
      }
    }
  }
}

// The next load of a collection whose rewrite in place was cut short offers the complete
// copy the save kept: Yes puts it back into the file (every name of it) and removes it,
// No keeps both; a copy the file already equals goes unasked. A save never writes what a
// load would refuse (a field beyond its limit): it fails and the old file stays.
TEST_F(SaveCollection, ACutShortRewriteIsOfferedAndNothingUnloadableIsWritten) {
  const std::string path = dir.file("c.tavrin");
  const std::string copy = dir.file(".c.tavrin.saved-copy");
  state.Items = {Item("New", "/bin/new")};
  const std::string old = "\"Tavrin File 1.2\"\r\n0\r\n\"Old\",\"/bin/old\",\"\",1,#FALSE#\r\n";
  const std::string saved = "\"Tavrin File 1.2\"\r\n0\r\n\"New\",\"/bin/new\",\"\",1,#FALSE#\r\n";
  const struct {
    const char* name;
    std::string file;  // the file when the load comes
    std::deque<int> answers;
    std::size_t boxes;
    std::string after;
    bool copyStays;
    bool twoNames = true;
  } rows[] = {
      {"cut short, Yes", old.substr(0, 30) + saved.substr(30), {kAnswerYes}, 1, saved, false},
      {"cut short, No", old, {kAnswerNo}, 1, old, true},
      {"only the removal was lost", saved, {}, 0, saved, false},
      {"beside a file no save rewrites in place", old, {kAnswerYes}, 0, old, true, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    WriteFile(path, row.file);
    if (row.twoNames) {
      fs::create_hard_link(path, dir.file("other.tavrin"));
    } else {
      WriteFile(dir.file("other.tavrin"), row.file);
    }
    WriteFile(copy, saved);
    fake.toolkit.boxes.clear();
    fake.toolkit.answers = row.answers;
    OfferSavedCopy(path, "c.tavrin", fake.platform);
    EXPECT_EQ(fake.toolkit.boxes.size(), row.boxes);
    EXPECT_EQ(ReadFile(path), row.after);
    EXPECT_EQ(ReadFile(dir.file("other.tavrin")), row.after);
    EXPECT_EQ(fs::exists(copy), row.copyStays);
    fs::remove(copy);
    fs::remove(dir.file("other.tavrin"));
  }

  WriteFile(path, old);
  state.Items = {Item("Long", "/bin/long", std::string((1 << 20) + 1, 'p'))};
  EXPECT_TRUE(SaveCollectionFile(state, path, files));
  EXPECT_EQ(ReadFile(path), old);
  EXPECT_EQ(Listed(), Names{"c.tavrin"});
}

// Yes to an old version's question saves "old.txt" as "old.tavrin" beside it, replacing
// another file only on a second Yes; a failed upgrade says so and keeps the collection.
TEST_F(SaveCollection, AnUpgradeAsksBeforeItReplacesAnotherFileAndTellsAFailure) {
  const std::string old = "\"Tavrin File 1.1\"\r\n0\r\n\"A\",\"a\",\"p\",1\r\n";
  const std::string other = "\"Tavrin File 1.2\"\r\n0\r\n\"Other\",\"o\",\"\",1,#FALSE#\r\n";
  WriteFile(dir.file("old.txt"), old);
  WriteFile(dir.file("old.tavrin"), other);
  ASSERT_EQ(ReadCollectionFile(state, dir.file("old.txt"), files), LoadOldVersion);
  const auto upgrade = [&](std::deque<int> answers, const std::string& read) {
    fake.toolkit.answers = std::move(answers);
    EXPECT_TRUE(ReportLoadResult(LoadOldVersion, "old.txt", state, fake.platform, read));
    return ReadFile(dir.file("old.tavrin"));
  };
  const std::string upgraded = "\"Tavrin File 1.2\"\r\n0\r\n\"A\",\"a\",\"p\",1,#FALSE#\r\n";
  EXPECT_EQ(upgrade({kAnswerYes}, dir.file("old.txt")), other);
  EXPECT_EQ(upgrade({kAnswerYes, kAnswerYes}, dir.file("old.txt")), upgraded);
  WriteFile(dir.file("old.tavrin"), other);
  EXPECT_EQ(upgrade({kAnswerYes}, dir.file("gone/old.txt")), other);
  const std::string asked =
      "The Tavrin - Question: (36) old.txt\n\nThis Tavrin Collections in of "
      "an old version.\nDo you want to upgrade it?";
  const std::string replace =
      "The Tavrin - Question: (292) old.tavrin\n\nThis file already exists.\nDo you want to "
      "replace it?";
  EXPECT_EQ(fake.toolkit.boxes,
            (Names{asked, replace, asked, replace, asked,
                   kErrorBox + "old.txt\n\nThe Tavrin was unable to save this file!!"}));
  EXPECT_EQ(Listed(), (Names{"old.tavrin", "old.txt"}));
  EXPECT_EQ(ReadFile(dir.file("old.txt")), old);
  EXPECT_EQ(state.Items, std::vector<CollItem>{Item("A", "a", "p", 1)});
}

#ifndef _WIN32  // links, owners and permission bits as POSIX has them
// Listing takes files and links to them, in any case; a save through a link keeps the
// file's mode, a new file gets 0666 less the umask; a link to nothing or a loop is no target.
TEST_F(SaveCollection, LinksToFilesAreListedAndFollowedOthersAreNoTarget) {
  for (const char* name : {"a.tavrin", "B.TAVRIN", "notes.txt"}) WriteFile(dir.file(name), "");
  ASSERT_EQ(::chmod(dir.file("a.tavrin").c_str(), 0600), 0);
  fs::create_directories(dir.file("real/folder.tavrin"));
  fs::create_symlink("a.tavrin", dir.file("link.tavrin"));
  fs::create_symlink("real/new.tavrin", dir.file("dangling.tavrin"));
  fs::create_symlink("real/folder.tavrin", dir.file("dirlink.tavrin"));
  fs::create_symlink("loop-b.tavrin", dir.file("loop-a.tavrin"));
  fs::create_symlink("loop-a.tavrin", dir.file("loop-b.tavrin"));
  auto listed = files.ListFiles(dir.str(), ".tavrin");
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, (std::vector<std::string>{"B.TAVRIN", "a.tavrin", "link.tavrin"}));
  for (const char* name : {"dangling.tavrin", "loop-a.tavrin"}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(SaveCollectionFile(state, dir.file(name), files));
    EXPECT_TRUE(fs::is_symlink(dir.file(name)));
  }
  EXPECT_FALSE(fs::exists(dir.file("real/new.tavrin")));
  const mode_t mask = ::umask(027);
  EXPECT_FALSE(SaveCollectionFile(state, dir.file("link.tavrin"), files));
  EXPECT_FALSE(SaveCollectionFile(state, dir.file("new.tavrin"), files));
  ::umask(mask);
  EXPECT_TRUE(fs::is_symlink(dir.file("link.tavrin")));
  EXPECT_EQ(ReadFile(dir.file("a.tavrin")).substr(0, 17), "\"Tavrin File 1.2\"");
  EXPECT_EQ(fs::status(dir.file("a.tavrin")).permissions(), fs::perms(0600));
  EXPECT_EQ(fs::status(dir.file("new.tavrin")).permissions(), fs::perms(0640));
}

struct stat StatOf(const std::string& path) {
  struct stat st {};
  ::stat(path.c_str(), &st);
  return st;
}

// Gives `path` to the user that RunUnprivileged runs as.
void GiveToUser(const std::string& path) {
  if (::geteuid() == 0) {
    [[maybe_unused]] const int r =
        ::chown(path.c_str(), testing::kUnprivilegedId, testing::kUnprivilegedId);
  }
}

std::string UsersFolder(const testing::TempDir& dir, const std::string& name) {
  fs::create_directory(dir.file(name));
  GiveToUser(dir.file(name));
  return dir.file(name);
}

void UsersFile(const std::string& path, const std::string& bytes, mode_t mode) {
  WriteFile(path, bytes);
  GiveToUser(path);
  ::chmod(path.c_str(), mode);  // after the owner, whose change clears set-id bits
}

const std::string kOldText = "\"Tavrin File 1.2\"\r\n0\r\n\"Old\",\"/bin/old\",\"\",1,#TRUE#\r\n";
const std::string kNewText = "\"Tavrin File 1.2\"\r\n0\r\n\"New\",\"/bin/new\",\"\",1,#FALSE#\r\n";

// The POSIX file system with `between` done after a save's plan: a racing user made certain.
class SwappedAfterThePlan : public PosixFileSystem {
 public:
  explicit SwappedAfterThePlan(std::function<void()> between) : between_(std::move(between)) {}
  SavePlan PlanSave(const std::string& path) override {
    SavePlan plan = PosixFileSystem::PlanSave(path);
    if (between_) std::exchange(between_, nullptr)();
    return plan;
  }

 private:
  std::function<void()> between_;
};

// Saves "New" to `path` (as the unprivileged user unless not `asUser`): 0 saved, 1 failed.
int Save(const std::string& path, bool asUser = true, std::function<void()> between = {}) {
  const auto save = [&] {
    CollectionState state;
    state.Items = {Item("New", "/bin/new", "", 1, kFalse)};
    SwappedAfterThePlan files(between);
    return SaveCollectionFile(state, path, files) ? 1 : 0;
  };
  return asUser ? testing::RunUnprivileged(save) : save();
}

// A file the user may not write is kept, one in a folder that takes no new file rewritten in
// place; every file keeps its owner and mode, set-id bits included.
TEST_F(SaveCollection, ASaveRespectsPermissionsOwnersAndTheFolder) {
  const std::string mine = UsersFolder(dir, "mine");
  UsersFile(mine + "/locked.tavrin", kOldText, 0444);
  UsersFile(mine + "/shared.tavrin", kOldText, 0640);
  EXPECT_EQ(Save(mine + "/locked.tavrin"), 1);
  EXPECT_EQ(Save(mine + "/shared.tavrin"), 0);
  EXPECT_EQ(ReadFile(mine + "/locked.tavrin"), kOldText);
  EXPECT_EQ(ReadFile(mine + "/shared.tavrin"), kNewText);
  EXPECT_EQ(StatOf(mine + "/shared.tavrin").st_mode & 07777, 0640u);
  const std::string closed = UsersFolder(dir, "closed");
  UsersFile(closed + "/c.tavrin", kOldText + std::string(500, ' '), 0604);
  const ino_t before = StatOf(closed + "/c.tavrin").st_ino;
  ::chmod(closed.c_str(), 0555);
  EXPECT_EQ(Save(closed + "/c.tavrin"), 0);
  EXPECT_EQ(Save(closed + "/new.tavrin"), 1);
  ::chmod(closed.c_str(), 0755);
  EXPECT_EQ(ReadFile(closed + "/c.tavrin"), kNewText);
  EXPECT_EQ(StatOf(closed + "/c.tavrin").st_ino, before);
  EXPECT_EQ(std::distance(fs::directory_iterator(closed), {}), 1);
  EXPECT_EQ(std::distance(fs::directory_iterator(mine), {}), 2);
  if (::geteuid() != 0) GTEST_SKIP() << "only root can make a file that belongs to another user";
  const std::string roots = mine + "/roots.tavrin";  // root's, in the user's group
  WriteFile(roots, kOldText);
  ASSERT_EQ(::chown(roots.c_str(), 0, testing::kUnprivilegedId), 0);
  ::chmod(roots.c_str(), 0666);
  const ino_t rootsBefore = StatOf(roots).st_ino;
  EXPECT_EQ(Save(roots), 0);
  EXPECT_EQ(ReadFile(roots), kNewText);
  EXPECT_EQ(StatOf(roots).st_ino, rootsBefore);
  EXPECT_EQ(StatOf(roots).st_uid, 0u);
  // Root replaces a user's file with one of the same owner and mode.
  const std::string users = dir.file("users.tavrin");
  UsersFile(users, kOldText, 04604);
  EXPECT_EQ(Save(users, false), 0);
  EXPECT_EQ(ReadFile(users), kNewText);
  EXPECT_EQ(StatOf(users).st_uid, static_cast<uid_t>(testing::kUnprivilegedId));
  EXPECT_EQ(StatOf(users).st_mode & 07777, 04604u);
}

// The next save removes the unlocked temporary files a killed save left, and nothing else.
TEST_F(SaveCollection, TheNextSaveRemovesTemporaryFilesThatAKilledSaveLeft) {
  const std::string target = dir.file("c.tavrin");
  WriteFile(target, kOldText);
  WriteFile(dir.file(".c.tavrin.Ab12Cd"), "left by a killed save");
  PosixFileSystem other;
  std::string busy;
  auto writing = other.CreateTempBeside(target, busy);
  ASSERT_NE(writing, nullptr);
  const Names alike = {".c.tavrin.abc", ".c.tavrin.Ab12C-", ".d.tavrin.Ab12Cd"};
  for (const auto& name : alike) WriteFile(dir.file(name), "keep");
  fs::create_symlink("c.tavrin", dir.file(".c.tavrin.Zz99Zz"));
  EXPECT_EQ(Save(target, false), 0);
  EXPECT_EQ(ReadFile(target), kNewText);
  EXPECT_FALSE(fs::exists(dir.file(".c.tavrin.Ab12Cd")));
  EXPECT_TRUE(fs::exists(busy));
  for (const auto& name : alike) EXPECT_EQ(ReadFile(dir.file(name)), "keep") << name;
  EXPECT_TRUE(fs::is_symlink(dir.file(".c.tavrin.Zz99Zz")));
  EXPECT_TRUE(writing->Write(kOldText) && writing->Close());
  EXPECT_TRUE(other.Rename(busy, target));
  EXPECT_EQ(ReadFile(target), kOldText);
}

// Neither the saver nor root.
constexpr uid_t kOtherUser = 4242;

void LinkOf(uid_t owner, const std::string& target, const std::string& link) {
  fs::create_symlink(target, link);
  ASSERT_EQ(::lchown(link.c_str(), owner, owner), 0) << link;
}

// In a folder that others may write, another user's link is not followed, even one swapped
// in after the plan; the user's own link is; a planted hard link gets a file of its own.
TEST_F(SaveCollection, ASaveFollowsNoLinkThatAnotherUserPlanted) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root can make links that belong to other users";
  const uid_t user = testing::kUnprivilegedId;
  const std::string mine = UsersFolder(dir, "mine");
  const std::string morning = mine + "/Morning.tavrin";
  const std::string shared = dir.file("shared");
  fs::create_directory(shared);
  ::chmod(shared.c_str(), 01777);
  const std::string his = shared + "/his";
  WriteFile(his, kOldText);
  ASSERT_EQ(::chown(his.c_str(), kOtherUser, kOtherUser), 0);
  ::chmod(his.c_str(), 0666);
  UsersFile(morning, kOldText, 0644);
  UsersFile(shared + "/mine.tavrin", kOldText, 0600);
  LinkOf(kOtherUser, morning, shared + "/old.tavrin");
  LinkOf(user, morning, shared + "/own.tavrin");
  ASSERT_EQ(::link(morning.c_str(), (shared + "/hard.tavrin").c_str()), 0);
  const auto swapFile = [&] {
    fs::rename(shared + "/mine.tavrin", shared + "/moved");
    LinkOf(kOtherUser, his, shared + "/mine.tavrin");
  };
  const struct {
    const char* name;
    std::string path;
    std::string written;  // where the save is to be found; nowhere when empty
    std::function<void()> between = {};
    bool asUser = true;
  } cases[] = {
      {"his link in a sticky shared folder", shared + "/old.tavrin", ""},
      {"his link swapped in for the file after the plan", shared + "/mine.tavrin", "", swapFile,
       false},
      {"a hard link planted there", shared + "/hard.tavrin", shared + "/hard.tavrin"},
      {"the user's own link", shared + "/own.tavrin", morning},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Save(c.path, c.asUser, c.between), c.written.empty() ? 1 : 0);
    for (const auto& entry : fs::recursive_directory_iterator(dir.path())) {
      if (!entry.is_symlink() && entry.is_regular_file()) {
        const std::string path = entry.path().string();
        EXPECT_EQ(ReadFile(path), path == c.written ? kNewText : kOldText) << path;
      }
    }
    UsersFile(c.written.empty() ? morning : c.written, kOldText, 0644);
  }
}

// A save killed at any point of its rewrite of a collection with a second name (a hard
// link) leaves the old collection whole, the new one whole, or a whole copy of the new
// one beside it, which the next load offers and puts back under both names.
TEST_F(SaveCollection, AKilledRewriteLeavesOneWholeCollection) {
  const std::string path = dir.file("c.tavrin");
  const std::string other = dir.file("other.tavrin");
  const std::string copy = dir.file(".c.tavrin.saved-copy");
  CollectionState before;
  CollectionState after;
  for (int i = 0; i < 4000; ++i) {
    before.Items.push_back(Item("Old " + std::to_string(i), "/bin/old", std::string(750, 'o')));
    after.Items.push_back(Item("New " + std::to_string(i), "/bin/new", std::string(1000, 'n')));
  }
  ASSERT_FALSE(SaveCollectionFile(before, path, files));
  const std::string old = ReadFile(path);
  fs::create_hard_link(path, other);
  const auto startSave = [&] {
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) _exit(SaveCollectionFile(after, path, files) ? 1 : 0);
    return pid;
  };
  // Kills the save in a child once `cut` says so (watching the child, and never past its end).
  const auto killSave = [&](const std::function<bool()>& cut) {
    const pid_t pid = startSave();
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0 && !cut()) {
      std::this_thread::sleep_for(std::chrono::microseconds(20));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
  };
  const auto changing = [&] { return fs::file_size(path) != old.size(); };
  killSave([] { return false; });  // a whole save, to know what it writes
  const std::string saved = ReadFile(path);
  ASSERT_NE(saved, old);
  // How long a save takes before the file begins to change.
  WriteFile(path, old);
  const auto begun = std::chrono::steady_clock::now();
  killSave(changing);
  const auto untilChange = std::chrono::steady_clock::now() - begun;
  // A third of the kills cut the steps before the rewrite, the rest the rewrite itself, a
  // little later each time after the file began to change.
  constexpr int kRounds = 30;
  constexpr int kEarly = kRounds / 3;
  for (int round = 0; round < kRounds; ++round) {
    SCOPED_TRACE("kill " + std::to_string(round) + " of " + std::to_string(kRounds));
    WriteFile(path, old);  // in place: both names keep one file
    fs::remove(copy);
    ASSERT_EQ(fs::hard_link_count(path), 2u);
    const auto start = std::chrono::steady_clock::now();
    const auto late = std::chrono::microseconds(40) * (round - kEarly);
    std::chrono::steady_clock::time_point changedAt{};
    killSave([&] {
      const auto now = std::chrono::steady_clock::now();
      if (round < kEarly) return now - start >= untilChange * round / kEarly;
      if (changedAt == decltype(changedAt){} && changing()) changedAt = now;
      return changedAt != decltype(changedAt){} && now - changedAt >= late;
    });
    const std::string left = ReadFile(path);
    const bool copyWhole = fs::exists(copy) && ReadFile(copy) == saved;
    ASSERT_TRUE(left == old || left == saved || copyWhole)
        << "a file of " << left.size() << " bytes, mixed, and no whole copy beside it";
    if (!fs::exists(copy) || left == saved) continue;
    fake.toolkit.answers = {kAnswerYes};
    OfferSavedCopy(path, "c.tavrin", fake.platform);
    EXPECT_EQ(ReadFile(path), saved);
    EXPECT_EQ(ReadFile(other), saved);
    EXPECT_FALSE(fs::exists(copy));
  }
}

// Only a regular file within the limit is read, without waiting on a planted FIFO.
TEST_F(SaveCollection, SmallFilesAreReadWithoutWaiting) {
  ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0644), 0);
  WriteFile(dir.file("store"), "a store");
  const int status = testing::RunUnprivileged([&] {
    ::alarm(10);
    int wrong = ReadSmallFile(dir.file("store"), 1 << 20) == "a store" ? 0 : 1;
    for (const std::string& path : {dir.file("fifo"), dir.str(), std::string("/dev/zero")}) {
      wrong += ReadSmallFile(path, 1 << 20).has_value() ? 1 : 0;
    }
    return wrong + (ReadSmallFile(dir.file("store"), 3).has_value() ? 1 : 0);
  });
  EXPECT_EQ(status, 0) << "-1: a read waited until the alarm";
}
#endif

}  // namespace
}  // namespace tavrin

#include <gtest/gtest.h>
#ifndef _WIN32
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <utility>
#endif

#include <algorithm>
#include <deque>
#include <filesystem>
#include <memory>
#include <random>
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

// Each save goes over a longer old file, which it replaces whole, leaving nothing else.
TEST_F(SaveCollection, WritesTheCurrentVersionOverTheWholeOldFile) {
  const std::string head = "\"Tavrin File 1.2\"\r\n";
  const std::pair<std::vector<CollItem>, std::string> cases[] = {
      {{Item("Notes", "C:\\WINDOWS\\NOTEPAD.EXE"),
        Item("Mail", "C:\\Program Files\\Mail\\mail.exe", "/check", 2, kTrue)},
       head + "1\r\n\"Notes\",\"C:\\WINDOWS\\NOTEPAD.EXE\",\"\",1,#FALSE#\r\n"
              "\"Mail\",\"C:\\Program Files\\Mail\\mail.exe\",\"/check\",2,#TRUE#\r\n"},
      {{CollItem{}}, head + "0\r\n\"\",\"\",\"\",0,#FALSE#\r\n"},
      // A quote inside a string is doubled; any wait other than 0 is true.
      {{Item("a\"b", "f", "", 0, 1)}, head + "0\r\n\"a\"\"b\",\"f\",\"\",0,#TRUE#\r\n"},
  };
  for (const auto& [items, bytes] : cases) {
    WriteFile(dir.file("c.tavrin"), std::string(10000, 'x'));
    state.Items = items;
    EXPECT_FALSE(SaveCollectionFile(state, dir.file("c.tavrin"), files));
    EXPECT_EQ(ReadFile(dir.file("c.tavrin")), bytes);
    EXPECT_EQ(Listed(), Names{"c.tavrin"});
  }
}

// Random collections: strings of any bytes but NUL, CR and LF, with quotes, commas and
// blanks far more often than chance would give them; any style; both waits.
TEST_F(SaveCollection, EveryValueSurvivesASaveAndALoad) {
  std::mt19937 rng(7411);
  const auto below = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
  const auto randomText = [&] {
    std::string text;
    for (int i = below(4) == 0 ? 0 : below(40); i > 0; --i) {
      const char c = below(3) == 0 ? "\",  \t#"[below(6)] : static_cast<char>(1 + below(255));
      text += c == '\r' || c == '\n' ? ',' : c;
    }
    return text;
  };
  state.Items = {Item("say \"hi\"", "/opt/My Tools/run,fast", "\"C:\\x.exe\" /a \"b c\"", 5, kTrue),
                 Item("Smith, John", "\"", "\"\"", -3),
                 Item("  x  ", "caf\xC3\xA9 \xE9t\xE9", "", 32767), Item("", "", "", -32768)};
  const std::string path = dir.file("random.tavrin");
  for (int round = 0; round < 300; ++round) {
    ASSERT_FALSE(SaveCollectionFile(state, path, files)) << "round " << round;
    CollectionState loaded;
    ASSERT_EQ(ReadCollectionFile(loaded, path, files), LoadOk) << "round " << round;
    ASSERT_EQ(loaded.Items, state.Items) << "round " << round;
    state.Items.clear();
    for (int i = 1 + below(round % 10 == 0 ? 300 : 8); i > 0; --i) {
      const auto style = static_cast<int16_t>(below(2) == 0 ? below(6) : below(65536) - 32768);
      state.Items.push_back(
          Item(randomText(), randomText(), randomText(), style, below(2) == 0 ? kTrue : kFalse));
    }
  }
}

// The extension is forced; a missing folder or a folder in the way fails and leaves
// nothing behind.
TEST_F(SaveCollection, TheExtensionIsForcedAndABadTargetFailsCleanly) {
  WriteFile(dir.file("Games.txt"), "keep me");
  fs::create_directory(dir.file("taken.tavrin"));
  EXPECT_FALSE(SaveCollectionFile(state, dir.file("Games.txt"), files));
  EXPECT_FALSE(SaveCollectionFile(state, dir.file("Plain"), files));
  EXPECT_FALSE(SaveCollectionFile(state, dir.file("Upper.TAVRIN"), files));
  EXPECT_TRUE(SaveCollectionFile(state, dir.file("missing/c.tavrin"), files));
  EXPECT_TRUE(SaveCollectionFile(state, dir.file("taken.tavrin"), files));
  EXPECT_EQ(Listed(),
            (Names{"Games.tavrin", "Games.txt", "Plain.tavrin", "Upper.TAVRIN", "taken.tavrin"}));
  EXPECT_EQ(ReadFile(dir.file("Games.txt")), "keep me");
  EXPECT_TRUE(fs::is_directory(dir.file("taken.tavrin")));
}

#ifndef _WIN32  // links and permission bits as POSIX has them
// Listing takes regular files, and links to them, with the extension in any case. A save
// through a link writes the file it names and keeps its mode; a new
// file gets 0666 less the umask. A link to nothing or a loop is no target: the save fails
// and makes nothing.
TEST_F(SaveCollection, LinksToFilesAreListedAndFollowedOthersAreNoTarget) {
  for (const char* name : {"a.tavrin", "B.TAVRIN", "notes.txt", "d.tavrin.bak", "xtavrin"}) {
    WriteFile(dir.file(name), "");
  }
  ASSERT_EQ(::chmod(dir.file("a.tavrin").c_str(), 0600), 0);
  fs::create_directories(dir.file("real/folder.tavrin"));
  fs::create_symlink("a.tavrin", dir.file("link.tavrin"));
  fs::create_symlink(dir.file("link.tavrin"), dir.file("chain"));
  fs::create_symlink("real/new.tavrin", dir.file("dangling.tavrin"));
  fs::create_symlink("dangling.tavrin", dir.file("chain.tavrin"));
  fs::create_symlink("real/folder.tavrin", dir.file("dirlink.tavrin"));
  fs::create_symlink("loop-b.tavrin", dir.file("loop-a.tavrin"));
  fs::create_symlink("loop-a.tavrin", dir.file("loop-b.tavrin"));
  auto listed = files.ListFiles(dir.str(), ".tavrin");
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, (std::vector<std::string>{"B.TAVRIN", "a.tavrin", "link.tavrin"}));
  EXPECT_EQ(files.ListFiles(dir.str(), ".txt"), std::vector<std::string>{"notes.txt"});
  EXPECT_TRUE(files.ListFiles(dir.file("missing"), ".tavrin").empty());
  for (const char* name : {"dangling.tavrin", "chain.tavrin", "loop-a.tavrin"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(files.PlanSave(dir.file(name)).way, SaveWay::kRefused);
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

// The POSIX file system itself: a save of a relative name, deleting.
using PosixFiles = SaveCollection;

// A relative target gets its temporary file in the current folder; deleting gives the
// runtime's error numbers.
TEST_F(PosixFiles, ARelativeSaveAndDeleting) {
  const auto previous = fs::current_path();
  fs::current_path(dir.path());
  const bool failed = SaveCollectionFile(state, "c.tavrin", files);
  fs::current_path(previous);
  EXPECT_FALSE(failed);
  EXPECT_EQ(Listed(), Names{"c.tavrin"});
  EXPECT_EQ(files.DeleteFile(dir.file("c.tavrin")), 0);
  EXPECT_FALSE(fs::exists(dir.file("c.tavrin")));
  EXPECT_EQ(files.DeleteFile(dir.file("c.tavrin")), 53);
  EXPECT_EQ(files.DeleteFile(dir.file("missing/a.tavrin")), 53);
  fs::create_directory(dir.file("folder.tavrin"));
  EXPECT_EQ(files.DeleteFile(dir.file("folder.tavrin")), 75);
  if (::geteuid() == 0) return;  // root may delete anything
  WriteFile(dir.file("folder.tavrin/a.tavrin"), "x");
  fs::permissions(dir.file("folder.tavrin"), fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_EQ(files.DeleteFile(dir.file("folder.tavrin/a.tavrin")), 70);
}

// --- A save respects the file the user has: permissions, owners, the folder ---------

struct Facts {
  ino_t inode = 0;
  mode_t mode = 0;
  uid_t uid = 0;
  gid_t gid = 0;
};

Facts FactsOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return {};
  return {st.st_ino, static_cast<mode_t>(st.st_mode & 07777), st.st_uid, st.st_gid};
}

// A folder of the unprivileged user that RunUnprivileged runs as.
std::string UsersFolder(const testing::TempDir& dir, const std::string& name) {
  const std::string folder = dir.file(name);
  fs::create_directory(folder);
  if (::geteuid() == 0) {
    [[maybe_unused]] const int r =
        ::chown(folder.c_str(), testing::kUnprivilegedId, testing::kUnprivilegedId);
  }
  return folder;
}

// Made by the unprivileged user: a file of theirs with the given mode.
void UsersFile(const std::string& path, const std::string& bytes, mode_t mode) {
  WriteFile(path, bytes);
  if (::geteuid() == 0) {
    [[maybe_unused]] const int r =
        ::chown(path.c_str(), testing::kUnprivilegedId, testing::kUnprivilegedId);
  }
  ::chmod(path.c_str(), mode);  // after the owner, whose change clears set-id bits
}

const std::string kOldText = "\"Tavrin File 1.2\"\r\n0\r\n\"Old\",\"/bin/old\",\"\",1,#TRUE#\r\n";
const std::string kNewText = "\"Tavrin File 1.2\"\r\n0\r\n\"New\",\"/bin/new\",\"\",1,#FALSE#\r\n";

// Saves the collection "New" to `path` as the unprivileged user: 0 when it was saved, 1
// when the save failed.
int SaveAsUser(const std::string& path) {
  return testing::RunUnprivileged([&path] {
    CollectionState state;
    state.Items = {Item("New", "/bin/new", "", 1, kFalse)};
    PosixFileSystem files;
    return SaveCollectionFile(state, path, files) ? 1 : 0;
  });
}

// A file the user may not write is not replaced, even in a folder of theirs; their own
// file keeps its permission bits through a save; a file in a folder that takes no new file
// is rewritten in place, and a new file there cannot be made. (Run as nobody in a child
// where the tests run as root.)
TEST_F(SaveCollection, AsAUserASaveRespectsPermissionsAndTheFolder) {
  const std::string mine = UsersFolder(dir, "mine");
  UsersFile(mine + "/locked.tavrin", kOldText, 0444);
  UsersFile(mine + "/shared.tavrin", kOldText, 0640);
  const Facts shared = FactsOf(mine + "/shared.tavrin");
  EXPECT_EQ(SaveAsUser(mine + "/locked.tavrin"), 1);
  EXPECT_EQ(SaveAsUser(mine + "/shared.tavrin"), 0);
  EXPECT_EQ(ReadFile(mine + "/locked.tavrin"), kOldText);
  EXPECT_EQ(FactsOf(mine + "/locked.tavrin").mode, 0444u);
  EXPECT_EQ(ReadFile(mine + "/shared.tavrin"), kNewText);
  EXPECT_EQ(FactsOf(mine + "/shared.tavrin").mode, 0640u);
  EXPECT_EQ(FactsOf(mine + "/shared.tavrin").uid, shared.uid);
  const std::string closed = UsersFolder(dir, "closed");
  UsersFile(closed + "/c.tavrin", kOldText + std::string(500, ' '), 0604);
  const Facts before = FactsOf(closed + "/c.tavrin");
  ::chmod(closed.c_str(), 0555);
  EXPECT_EQ(SaveAsUser(closed + "/c.tavrin"), 0);
  EXPECT_EQ(SaveAsUser(closed + "/new.tavrin"), 1);
  ::chmod(closed.c_str(), 0755);
  EXPECT_EQ(ReadFile(closed + "/c.tavrin"), kNewText);  // cut to the new length
  EXPECT_EQ(FactsOf(closed + "/c.tavrin").inode, before.inode);
  EXPECT_EQ(FactsOf(closed + "/c.tavrin").mode, 0604u);
  EXPECT_EQ(std::distance(fs::directory_iterator(closed), {}), 1);
  EXPECT_EQ(std::distance(fs::directory_iterator(mine), {}), 2);
}

// Another user's file that the user may write (in the user's folder) keeps its owner: it is
// rewritten in place, not replaced by a file of the user's. Root, which may give files
// away, replaces a user's file with one of the same owner, group and mode.
TEST_F(SaveCollection, TheOwnerOfAFileSurvivesASave) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root can make a file that belongs to another user";
  const std::string mine = UsersFolder(dir, "mine");
  WriteFile(mine + "/roots.tavrin", kOldText);
  ::chmod((mine + "/roots.tavrin").c_str(), 0666);
  const Facts roots = FactsOf(mine + "/roots.tavrin");
  EXPECT_EQ(SaveAsUser(mine + "/roots.tavrin"), 0);
  EXPECT_EQ(ReadFile(mine + "/roots.tavrin"), kNewText);
  EXPECT_EQ(FactsOf(mine + "/roots.tavrin").inode, roots.inode);
  EXPECT_EQ(FactsOf(mine + "/roots.tavrin").uid, 0u);
  EXPECT_EQ(FactsOf(mine + "/roots.tavrin").mode, 0666u);
  UsersFile(dir.file("users.tavrin"), kOldText, 04604);  // a set-id bit too
  state.Items = {Item("New", "/bin/new", "", 1, kFalse)};
  EXPECT_FALSE(SaveCollectionFile(state, dir.file("users.tavrin"), files));
  EXPECT_EQ(ReadFile(dir.file("users.tavrin")), kNewText);
  const Facts users = FactsOf(dir.file("users.tavrin"));
  EXPECT_EQ(users.uid, static_cast<uid_t>(testing::kUnprivilegedId));
  EXPECT_EQ(users.gid, static_cast<gid_t>(testing::kUnprivilegedId));
  EXPECT_EQ(users.mode, 04604u);
}

// Temporary files that a killed save left beside the file are removed by its next save:
// this user's files of the save's own naming pattern that no save holds locked. A save
// still writing (its temporary file locked), other files' temporary files, names that only
// look alike, and links are left alone.
TEST_F(SaveCollection, TheNextSaveRemovesTemporaryFilesThatAKilledSaveLeft) {
  const std::string target = dir.file("c.tavrin");
  WriteFile(target, kOldText);
  // Killed while writing, as hard as it gets: after its temporary file had its bytes.
  std::fflush(nullptr);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    PosixFileSystem mine;
    std::string temp;
    auto out = mine.CreateTempBeside(target, temp);
    if (out) out->Write(kNewText);
    ::raise(SIGKILL);
    ::_exit(1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status));
  Names left = Listed();
  ASSERT_EQ(left.size(), 2u);
  const std::string killed = left[0];
  ASSERT_EQ(killed.rfind(".c.tavrin.", 0), 0u);
  // Another save of the same file still at work, holding its temporary file locked.
  PosixFileSystem other;
  std::string busy;
  auto writing = other.CreateTempBeside(target, busy);
  ASSERT_NE(writing, nullptr);
  const Names alike = {".c.tavrin.abc", ".c.tavrin.Ab12C-", ".d.tavrin.Ab12Cd", "c.tavrin.Ab12Cd"};
  for (const auto& name : alike) WriteFile(dir.file(name), "keep");
  fs::create_symlink("c.tavrin", dir.file(".c.tavrin.Zz99Zz"));
  state.Items = {Item("New", "/bin/new", "", 1, kFalse)};
  EXPECT_FALSE(SaveCollectionFile(state, target, files));
  EXPECT_EQ(ReadFile(target), kNewText);
  EXPECT_FALSE(fs::exists(dir.file(killed)));
  EXPECT_TRUE(fs::exists(busy));
  for (const auto& name : alike) EXPECT_EQ(ReadFile(dir.file(name)), "keep") << name;
  EXPECT_TRUE(fs::is_symlink(dir.file(".c.tavrin.Zz99Zz")));
  // The other save ends well: its temporary file was still there to be renamed.
  EXPECT_TRUE(writing->Write(kOldText) && writing->Close());
  EXPECT_TRUE(other.Rename(busy, target));
  EXPECT_EQ(ReadFile(target), kOldText);
}

// Links that another user planted: a user id that is neither the saver's nor root's.
constexpr uid_t kOtherUser = 4242;

// Makes a link at `link` to `target` that belongs to `owner`.
void LinkOf(uid_t owner, const std::string& target, const std::string& link) {
  fs::create_symlink(target, link);
  ASSERT_EQ(::lchown(link.c_str(), owner, owner), 0) << link;
}

// Someone plants, in a folder that everybody may write (sticky, like /tmp) or that a group
// shares, a link to a file or folder of the user's, as a collection's name or as a folder
// of its path. The user's save, and the upgrade answered Yes, refuse to follow it and
// change nothing; a link of the user's own, or of root's, is followed there, and so is any
// link in a folder nobody else may write. A chain is checked at every link. A second name
// of the user's file planted there as a hard link gets a file of its own. (Two users: run
// as nobody in a child, with links made by root for a third user.)
TEST_F(SaveCollection, LinksThatAnotherUserPlantedAreNotFollowed) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root can make links that belong to other users";
  const uid_t user = testing::kUnprivilegedId;
  const std::string mine = UsersFolder(dir, "mine");
  const std::string morning = mine + "/Morning.tavrin";
  const std::string shared = dir.file("shared");
  fs::create_directory(shared);
  ::chmod(shared.c_str(), 01777);
  const std::string project = dir.file("project");  // a group shares it
  fs::create_directory(project);
  ::chmod(project.c_str(), 0775);
  ASSERT_EQ(::chown(project.c_str(), user, kOtherUser), 0);
  const std::string own = UsersFolder(dir, "shared/own-folder");
  LinkOf(kOtherUser, morning, shared + "/old.tavrin");
  LinkOf(kOtherUser, morning, project + "/old.tavrin");
  LinkOf(user, shared + "/old.tavrin", shared + "/chain.tavrin");
  LinkOf(user, morning, shared + "/own.tavrin");
  LinkOf(0, morning, shared + "/roots.tavrin");
  LinkOf(kOtherUser, morning, own + "/planted.tavrin");
  LinkOf(kOtherUser, mine, shared + "/team");
  LinkOf(kOtherUser, mine, project + "/team");
  LinkOf(user, shared + "/team", shared + "/chain");
  LinkOf(user, mine, shared + "/own");
  LinkOf(0, mine, shared + "/roots");
  LinkOf(kOtherUser, mine, own + "/quiet");
  const struct {
    const char* name;
    std::string path;
    bool followed;
  } cases[] = {
      {"his link in a sticky shared folder", shared + "/old.tavrin", false},
      {"his link in a folder a group shares", project + "/old.tavrin", false},
      {"the user's link to his link", shared + "/chain.tavrin", false},
      {"the user's own link", shared + "/own.tavrin", true},
      {"root's link", shared + "/roots.tavrin", true},
      {"his link in the user's own folder", own + "/planted.tavrin", true},
      {"his folder link in a sticky shared folder", shared + "/team/Morning.tavrin", false},
      {"his folder link, a new file", shared + "/team/New.tavrin", false},
      {"his folder link in a folder a group shares", project + "/team/Morning.tavrin", false},
      {"the user's folder link to his", shared + "/chain/Morning.tavrin", false},
      {"the user's own folder link", shared + "/own/Morning.tavrin", true},
      {"root's folder link", shared + "/roots/Morning.tavrin", true},
      {"his folder link in the user's own folder", own + "/quiet/Morning.tavrin", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    UsersFile(morning, kOldText, 0644);
    EXPECT_EQ(SaveAsUser(c.path), c.followed ? 0 : 1);
    EXPECT_EQ(ReadFile(morning), c.followed ? kNewText : kOldText);
    EXPECT_EQ(std::distance(fs::directory_iterator(mine), {}), 1);
  }
  // Root saving is no different: whose the link is decides. The upgrade the user answers
  // Yes to shows the save-failure box.
  UsersFile(morning, kOldText, 0644);
  state.Items = {Item("New", "/bin/new", "", 1, kFalse)};
  EXPECT_TRUE(SaveCollectionFile(state, shared + "/old.tavrin", files));
  WriteFile(dir.file("v11.tavrin"), "\"Tavrin File 1.1\"\r\n0\r\n\"A\",\"a\",\"p\",1\r\n");
  ASSERT_EQ(ReadCollectionFile(state, dir.file("v11.tavrin"), files), LoadOldVersion);
  fake.toolkit.answers = {kAnswerYes};
  EXPECT_TRUE(
      ReportLoadResult(LoadOldVersion, "old.tavrin", state, fake.platform, shared + "/old.tavrin"));
  EXPECT_EQ(fake.toolkit.boxes.back(),
            kErrorBox + "old.tavrin\n\nThe Tavrin was unable to save this file!!");
  EXPECT_EQ(ReadFile(morning), kOldText);
  ASSERT_EQ(::link(morning.c_str(), (shared + "/hard.tavrin").c_str()), 0);
  EXPECT_EQ(SaveAsUser(shared + "/hard.tavrin"), 0);
  EXPECT_EQ(ReadFile(shared + "/hard.tavrin"), kNewText);
  EXPECT_EQ(ReadFile(morning), kOldText);
  EXPECT_EQ(FactsOf(shared + "/hard.tavrin").uid, user);
}

// The POSIX file system with `between` done after a save's plan and before its next
// step: what another user racing the save may do at that moment, made certain.
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

// Saves the collection "New" to `path` through SwappedAfterThePlan, as the unprivileged
// user or as this process: 0 when it was saved, 1 when the save failed.
int SaveSwapped(const std::string& path, const std::function<void()>& between, bool asUser) {
  const auto save = [&] {
    CollectionState state;
    state.Items = {Item("New", "/bin/new", "", 1, kFalse)};
    SwappedAfterThePlan files(between);
    return SaveCollectionFile(state, path, files) ? 1 : 0;
  };
  return asUser ? testing::RunUnprivileged(save) : save();
}

// Between a save's plan and its temporary file, someone swaps what the name stands for: a
// link to a file of his own (mode 0666) where no file was, in a sticky shared folder; the
// user's 0600 file moved away in a folder everybody may write, or swapped there for a
// link to his file. Owner and mode come only from the file the plan examined: the save
// fails with its box, and no file comes out his, or readable by others, with the new
// collection. (Two users: root and nobody save, the links are a third user's.)
TEST_F(SaveCollection, ASaveKeepsTheOwnerAndModeOfTheFileItPlannedToReplace) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root can make files that belong to other users";
  const std::string shared = dir.file("shared");
  const std::string open = dir.file("open");
  fs::create_directory(shared);
  fs::create_directory(open);
  ::chmod(shared.c_str(), 01777);
  ::chmod(open.c_str(), 0777);
  WriteFile(shared + "/his", "his");
  ASSERT_EQ(::chown((shared + "/his").c_str(), kOtherUser, kOtherUser), 0);
  ::chmod((shared + "/his").c_str(), 0666);
  const struct {
    const char* name;
    std::string path;
    std::function<void()> swap;
    bool asUser;
    bool moved;  // the user's file was moved away, and is still as it was
  } cases[] = {
      {"root's new file, a link to his file planted", shared + "/new.tavrin",
       [&] { LinkOf(kOtherUser, shared + "/his", shared + "/new.tavrin"); }, false, false},
      {"the user's file moved away", open + "/mine.tavrin",
       [&] { fs::rename(open + "/mine.tavrin", open + "/moved"); }, true, true},
      {"the user's file swapped for a link to his, root saving", open + "/mine.tavrin",
       [&] {
         fs::rename(open + "/mine.tavrin", open + "/moved");
         LinkOf(kOtherUser, shared + "/his", open + "/mine.tavrin");
       },
       false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    UsersFile(open + "/mine.tavrin", kOldText, 0600);
    EXPECT_EQ(SaveSwapped(c.path, c.swap, c.asUser), 1);
    EXPECT_EQ(ReadFile(shared + "/his"), "his");
    for (const std::string& folder : {shared, open}) {
      for (const auto& entry : fs::directory_iterator(folder)) {
        EXPECT_NE(ReadFile(entry.path().string()), kNewText) << entry.path();
      }
    }
    if (c.moved) {
      EXPECT_EQ(FactsOf(open + "/moved").mode, 0600u);
    }
    for (const std::string& left :
         {open + "/moved", open + "/mine.tavrin", shared + "/new.tavrin"}) {
      fs::remove(left);
    }
  }
}

// The folder of the file swapped, after the plan, for a link to the user's collection
// folder (in a folder everybody may write) changes nothing: the save goes on in the
// folder the plan walked to, and the user's collection stays as it was.
TEST_F(SaveCollection, AFolderSwappedAfterThePlanIsNotFollowed) {
  const std::string mine = UsersFolder(dir, "mine");
  const std::string open = dir.file("open");
  fs::create_directory(open);
  ::chmod(open.c_str(), 0777);
  const std::string team = UsersFolder(dir, "open/team");
  UsersFile(mine + "/Morning.tavrin", kOldText, 0644);
  UsersFile(team + "/Morning.tavrin", kOldText, 0644);
  const auto swap = [&] {
    fs::rename(team, open + "/moved");
    fs::create_directory_symlink(mine, team);
  };
  EXPECT_EQ(SaveSwapped(team + "/Morning.tavrin", swap, true), 0);
  EXPECT_EQ(ReadFile(open + "/moved/Morning.tavrin"), kNewText);
  EXPECT_EQ(ReadFile(mine + "/Morning.tavrin"), kOldText);
  EXPECT_EQ(std::distance(fs::directory_iterator(mine), {}), 1);
}

// The process's umask belongs to every thread of the program (in window mode Qt runs
// some): a save never changes it, even for a moment, as a file that another thread made
// then would get mode 0666. In a child where the umask call ends the process, a new file,
// a file replaced and a file rewritten in place are saved, each with its mode.
TEST_F(SaveCollection, ASaveNeverChangesTheUmask) {
#if defined(__x86_64__)
  constexpr std::uint32_t kArch = AUDIT_ARCH_X86_64;
#elif defined(__aarch64__)
  constexpr std::uint32_t kArch = AUDIT_ARCH_AARCH64;
#else
  GTEST_SKIP() << "no system call filter written for this machine";
  constexpr std::uint32_t kArch = 0;
#endif
  const std::string mine = UsersFolder(dir, "mine");
  UsersFile(mine + "/replaced.tavrin", kOldText, 0600);
  UsersFile(mine + "/linked.tavrin", kOldText, 0640);
  ASSERT_EQ(::link((mine + "/linked.tavrin").c_str(), (mine + "/second").c_str()), 0);
  const int status = testing::RunUnprivileged([&] {
    ::umask(022);
    struct sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(struct seccomp_data, arch)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, kArch, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(struct seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_umask, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    struct sock_fprog program {};
    program.len = static_cast<unsigned short>(std::size(filter));
    program.filter = filter;
    if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 ||
        ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) != 0) {
      return 77;
    }
    int failed = 0;
    for (const char* name : {"new.tavrin", "replaced.tavrin", "linked.tavrin"}) {
      CollectionState saved;
      saved.Items = {Item("New", "/bin/new", "", 1, kFalse)};
      PosixFileSystem posix;
      failed += SaveCollectionFile(saved, mine + "/" + name, posix) ? 1 : 0;
    }
    return failed;
  });
  if (status == 77) GTEST_SKIP() << "system calls cannot be filtered here";
  EXPECT_EQ(status, 0) << "-1: the process was ended for changing its umask";
  EXPECT_EQ(FactsOf(mine + "/new.tavrin").mode, 0644u);
  EXPECT_EQ(FactsOf(mine + "/replaced.tavrin").mode, 0600u);
  EXPECT_EQ(FactsOf(mine + "/linked.tavrin").mode, 0640u);
  EXPECT_EQ(ReadFile(mine + "/second"), kNewText);
}

// The small files the program reads besides collections (the association store, the
// autostart entries, mimeapps.list) are opened as collections are: never waiting, so
// that a FIFO planted in a shared folder cannot hang the program; only a regular file is
// read. (In a child that the system ends after ten seconds, were a read to wait.)
TEST_F(PosixFiles, SmallFilesAreReadWithoutWaiting) {
  ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0644), 0);
  fs::create_symlink("fifo", dir.file("link"));
  WriteFile(dir.file("store"), "a store");
  const int status = testing::RunUnprivileged([&] {
    ::alarm(10);
    int wrong = 0;
    for (const std::string& path : {dir.file("fifo"), dir.file("link"), dir.str(),
                                    std::string("/dev/zero"), dir.file("missing")}) {
      wrong += ReadSmallFile(path, 1 << 20).has_value() ? 1 : 0;
    }
    wrong += ReadSmallFile(dir.file("store"), 1 << 20) == "a store" ? 0 : 1;
    wrong += ReadSmallFile(dir.file("store"), 3).has_value() ? 1 : 0;
    return wrong;
  });
  EXPECT_EQ(status, 0) << "-1: a read waited until the alarm";
}

#endif

// The native file system with one step of a save made to fail: the `failAt`-th, counted
// from 1, reports failure without doing its work (0: none). `steps` records them: c(reate),
// w(rite), f(lush), k (close) and r(ename).
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

// A save passes five steps: creating the temporary file, writing the whole prepared
// collection, flush, close and rename. Each of them is made to fail in turn, over an
// existing file and for a new one; no failure may change the old file or leave a
// temporary file behind.
TEST_F(SaveCollection, AFailureAtAnyStepLeavesTheOldFileAndNoTemporaryFile) {
  state.Items = {Item("a", "b"), Item("c", "d", "-x", 2, kTrue), Item("e", "f")};
  const std::string old = "\"Tavrin File 1.2\"\r\n0\r\n\"Old\",\"/bin/old\",\"\",1,#TRUE#\r\n";
  FaultyFileSystem recording(0);
  ASSERT_FALSE(SaveCollectionFile(state, dir.file("counted.tavrin"), recording));
  fs::remove(dir.file("counted.tavrin"));
  ASSERT_EQ(recording.steps, "cwfkr");
  for (const bool existing : {true, false}) {
    for (int failAt = 1; failAt <= 5; ++failAt) {
      if (existing) WriteFile(dir.file("c.tavrin"), old);
      FaultyFileSystem failing(failAt);
      EXPECT_TRUE(SaveCollectionFile(state, dir.file("c.tavrin"), failing)) << "step " << failAt;
      EXPECT_EQ(Listed(), existing ? Names{"c.tavrin"} : Names{}) << "step " << failAt;
      EXPECT_EQ(ReadFile(dir.file("c.tavrin")), existing ? old : "") << "step " << failAt;
    }
    fs::remove(dir.file("c.tavrin"));
  }
}

// A file with several hard links keeps them: it is rewritten in place, whichever name (or
// a link to it) is saved, and a shorter collection cuts it to its length. A rewrite that
// fails is reported as a failed save.
TEST_F(SaveCollection, AFileWithSeveralLinksIsRewrittenInPlace) {
  const std::string old = "\"Tavrin File 1.2\"\r\n0\r\n\"Old\",\"/bin/old\",\"" +
                          std::string(300, 'x') + "\",1,#TRUE#\r\n";
  WriteFile(dir.file("c.tavrin"), old);
  fs::create_hard_link(dir.file("c.tavrin"), dir.file("other name.tavrin"));
  state.Items = {Item("a", "b")};
  FaultyFileSystem recording(0);
  EXPECT_FALSE(SaveCollectionFile(state, dir.file("other name.tavrin"), recording));
  EXPECT_EQ(recording.steps, "i");
  const std::string saved = "\"Tavrin File 1.2\"\r\n0\r\n\"a\",\"b\",\"\",1,#FALSE#\r\n";
  EXPECT_EQ(ReadFile(dir.file("c.tavrin")), saved);
  EXPECT_EQ(Listed(), (Names{"c.tavrin", "other name.tavrin"}));
  FaultyFileSystem failing(1);
  EXPECT_TRUE(SaveCollectionFile(state, dir.file("c.tavrin"), failing));
#ifndef _WIN32
  fs::create_symlink("c.tavrin", dir.file("link.tavrin"));
  state.Items = {Item("linked", "b")};
  EXPECT_FALSE(SaveCollectionFile(state, dir.file("link.tavrin"), files));
  EXPECT_EQ(ReadFile(dir.file("other name.tavrin")).find("\"linked\""), 22u);
  EXPECT_TRUE(fs::is_symlink(dir.file("link.tavrin")));
#endif
}

// --- Reporting a load, and upgrading an old file ---------------------------------

const std::string kQuestion =
    "\n\nThis Tavrin Collections in of an old version.\nDo you want to upgrade it?";
const std::string kOld = "\"Tavrin File 1.1\"\r\n0\r\n\"A\",\"a\",\"p\",1\r\n";
const std::string kUpgraded = "\"Tavrin File 1.2\"\r\n0\r\n\"A\",\"a\",\"p\",1,#FALSE#\r\n";

// An old version asks, and the run goes on whatever the answer. Yes upgrades the file that
// was read, whatever name the box shows; a file of another extension gets its upgrade
// beside it; an upgrade that cannot be saved says so.
TEST_F(SaveCollection, AnOldVersionAsksAndUpgradesTheFileThatWasRead) {
  const std::string path = dir.file("old.tavrin");
  WriteFile(path, kOld);
  ASSERT_EQ(ReadCollectionFile(state, path, files), LoadOldVersion);
  fake.toolkit.answers = {kAnswerNo, kAnswerYes, kAnswerYes, kAnswerYes};
  EXPECT_TRUE(ReportLoadResult(LoadOldVersion, path, state, fake.platform));
  EXPECT_EQ(ReadFile(path), kOld);
  EXPECT_TRUE(ReportLoadResult(LoadOldVersion, "old.tavrin", state, fake.platform, path));
  EXPECT_EQ(ReadFile(path), kUpgraded);
  fs::remove(path);
  WriteFile(dir.file("old.txt"), kOld);
  EXPECT_TRUE(ReportLoadResult(LoadOldVersion, dir.file("old.txt"), state, fake.platform));
  EXPECT_EQ(ReadFile(dir.file("old.txt")), kOld);
  EXPECT_EQ(ReadFile(path), kUpgraded);
  EXPECT_TRUE(ReportLoadResult(LoadOldVersion, "old.tavrin", state, fake.platform,
                               dir.file("gone/old.tavrin")));
  EXPECT_FALSE(fs::exists(dir.file("gone")));
  const std::string question = "The Tavrin - Question: (36) ";
  EXPECT_EQ(fake.toolkit.boxes,
            (Names{question + path + kQuestion, question + "old.tavrin" + kQuestion,
                   question + dir.file("old.txt") + kQuestion, question + "old.tavrin" + kQuestion,
                   kErrorBox + "old.tavrin\n\nThe Tavrin was unable to save this file!!"}));
}

// Upgrading "old.txt" writes "old.tavrin"; a different "old.tavrin" that is already there
// is replaced only when the user says Yes to the second question, whose default is No (as
// is the answer when nobody can answer). The collection read stays loaded either way.
TEST_F(SaveCollection, AnUpgradeAsksBeforeItReplacesAnotherFile) {
  const std::string other = "\"Tavrin File 1.2\"\r\n0\r\n\"Other\",\"o\",\"\",1,#FALSE#\r\n";
  WriteFile(dir.file("old.txt"), kOld);
  WriteFile(dir.file("old.tavrin"), other);
  ASSERT_EQ(ReadCollectionFile(state, dir.file("old.txt"), files), LoadOldVersion);
  const std::string replace = "The Tavrin - Question: (292) ";  // Yes and No, No the default
  const std::string replaceText = "\n\nThis file already exists.\nDo you want to replace it?";
  const struct {
    const char* name;
    std::deque<int> answers;
    std::string after;
  } cases[] = {{"upgrade, then keep the other file", {kAnswerYes, kAnswerNo}, other},
               {"nobody answers the second question", {kAnswerYes}, other},
               {"upgrade and replace", {kAnswerYes, kAnswerYes}, kUpgraded}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fake.toolkit.boxes.clear();
    fake.toolkit.answers = c.answers;
    EXPECT_TRUE(
        ReportLoadResult(LoadOldVersion, "old.txt", state, fake.platform, dir.file("old.txt")));
    EXPECT_EQ(ReadFile(dir.file("old.tavrin")), c.after);
    EXPECT_EQ(ReadFile(dir.file("old.txt")), kOld);
    EXPECT_EQ(fake.toolkit.boxes, (Names{"The Tavrin - Question: (36) old.txt" + kQuestion,
                                         replace + "old.tavrin" + replaceText}));
    EXPECT_EQ(state.Items, std::vector<CollItem>{Item("A", "a", "p", 1)});
  }
}

}  // namespace
}  // namespace tavrin

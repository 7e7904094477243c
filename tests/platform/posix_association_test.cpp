// The association on POSIX: the store of keys and values under the config folder, the
// registration for real in throw-away XDG folders, asking GIO (in child processes, as GIO
// keeps type data for the life of a process) what the desktop makes of it, and its texts.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <map>

#include "fakes.h"
#include "platform/posix/desktop_integration.h"
#include "platform/posix/posix_registry.h"
#include "run_process.h"
#include "shellreg/association.h"
#include "temp_dir.h"

namespace tavrin::posix {
namespace {

using testing::ReadFile;
using testing::WriteFile;
using Args = std::vector<std::string>;
namespace fs = std::filesystem;

constexpr auto kRoot = Registry::kClassesRoot;

struct PosixRegistryTest : ::testing::Test {
  // Creates `path` and sets its default value to `text`.
  long Put(const std::string& path, const std::string& text) {
    Registry::Key key = 0;
    const long created = registry.CreateKey(kRoot, path, key);
    if (created != Registry::kSuccess) return created;
    const long r = SetRegValue(registry, key, "", Registry::kRegSz, text);
    registry.CloseKey(key);
    return r;
  }
  // The default value of `path` as stored (with its NUL), "key" for a key without one,
  // "none" for no key, or its size when it does not fit 256 bytes.
  std::string Get(PosixRegistry& reg, const std::string& path) {
    Registry::Key key = 0;
    if (reg.OpenKey(kRoot, path, key) != Registry::kSuccess) return "none";
    char buffer[256];
    uint32_t size = sizeof buffer;
    uint32_t type = 0;
    const long r = reg.QueryValue(key, "", type, buffer, size);
    reg.CloseKey(key);
    if (r == Registry::kMoreData) return std::to_string(size) + " bytes";
    return r == Registry::kFileNotFound ? "key" : std::string(buffer, size);
  }

  testing::TempDir dir;
  XdgFolders folders{dir.file("config"), dir.file("data"), {}};
  PosixRegistry registry{folders};
};

// Any bytes round-trip, paths in any case; keys on the way have no value; a value that
// does not fit reports its size. Deleting takes subkeys, and the last key the file.
TEST_F(PosixRegistryTest, KeysAndValuesLiveInTheStoreFile) {
  EXPECT_EQ(registry.StorePath(), dir.file("config/tavrin/registry.txt"));
  const std::string odd = "tab\there\nline%41\\back\x01\x7f\xc3\xa9";
  EXPECT_EQ(Put("Tavrin\\shell\\Open\\command", odd), Registry::kSuccess);
  Put("Long", std::string(300, 'x'));
  PosixRegistry later(folders);  // another run of the program
  EXPECT_EQ(Get(later, "TAVRIN\\Shell\\open\\COMMAND"), odd + '\0');
  EXPECT_EQ(Get(later, "Tavrin\\shell"), "key");
  EXPECT_EQ(Get(later, "Tavrin\\nothing"), "none");
  EXPECT_EQ(Get(later, "Long"), "301 bytes");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.file("config/tavrin")), {}), 1);
  Registry::Key command = 0;
  ASSERT_EQ(registry.CreateKey(kRoot, "Tavrin\\shell\\Run\\command", command), Registry::kSuccess);
  EXPECT_EQ(registry.DeleteKey(kRoot, "tavrin"), Registry::kSuccess);
  EXPECT_EQ(Get(registry, "Tavrin\\shell"), "none");
  EXPECT_EQ(registry.SetValue(command, "", Registry::kRegSz, "x", 2), PosixRegistry::kKeyDeleted);
  EXPECT_EQ(registry.DeleteKey(kRoot, "Long"), Registry::kSuccess);
  EXPECT_FALSE(fs::exists(dir.file("config/tavrin")));
  // A store that cannot be written fails, and says so. (A damaged one: the load's test.)
  fs::create_directories(registry.StorePath());  // a folder where the file belongs
  EXPECT_EQ(Put(".tavrin", "Tavrin"), PosixRegistry::kCantWrite);
}

// --- The desktop's own integration -------------------------------------------------

constexpr char kOtherTypeList[] =
    "[Default Applications]\ntext/plain=viewer.desktop;\n\n"
    "[Added Associations]\nimage/png=gimp.desktop;\n";
// The same list once the type is registered: the user's other lines stay.
constexpr char kRegisteredList[] =
    "[Default Applications]\ntext/plain=viewer.desktop;\n"
    "application/x-tavrin=tavrin-collection.desktop;\n\n"
    "[Added Associations]\nimage/png=gimp.desktop;\n"
    "application/x-tavrin=tavrin-collection.desktop;tavrin-collection_run.desktop;\n";
const std::string kOurDefault = "default=tavrin-collection.desktop\n";

struct DesktopIntegration : ::testing::Test {
  testing::TempDir dir;
  XdgFolders folders{dir.file("config"), dir.file("data"), {}};
  PosixRegistry registry{folders};
  testing::FakePlatform fake;
  Platform platform{fake.toolkit, fake.shell, fake.files, fake.system, registry};
  std::string record = dir.file("record.log");
  std::string collection = dir.file("x.tavrin");
  std::string entryPath = dir.file("data/applications/tavrin-collection.desktop");
  std::string runEntryPath = dir.file("data/applications/tavrin-collection_run.desktop");
  std::string listPath = dir.file("config/mimeapps.list");
  std::map<std::string, std::string> env{{"XDG_DATA_HOME", folders.dataHome},
                                         {"XDG_CONFIG_HOME", folders.configHome},
                                         {"XDG_DATA_DIRS", dir.file("system")},
                                         {"XDG_CONFIG_DIRS", dir.file("system")},
                                         {"XDG_CURRENT_DESKTOP", ""},
                                         {"DBUS_SESSION_BUS_ADDRESS", ""},
                                         {"DISPLAY", ""},
                                         {"WAYLAND_DISPLAY", ""},
                                         {"TAVRIN_RECORD", record}};

  DesktopIntegration() {
    fs::create_directories(dir.file("system"));
    fs::create_directories(folders.configHome);
    WriteFile(collection, "\"Tavrin File 1.2\"\r\n0\r\n\"a\",\"b\",\"\",1,#FALSE#\r\n");
    WriteFile(listPath, kOtherTypeList);
    fake.system.executablePath = InstallProgram("My $Tools 100%");
  }
  // A stand-in for the program, which records how it was started.
  std::string InstallProgram(const std::string& folderName) {
    fs::create_directories(dir.file(folderName));
    fs::copy_file(testing::RecorderPath(), dir.file(folderName + "/tavrin"));
    return dir.file(folderName + "/tavrin");
  }
  // What the GIO probe prints (see helpers/gio_probe.c).
  std::string Probe(const Args& args) {
    Args argv{testing::GioProbePath()};
    argv.insert(argv.end(), args.begin(), args.end());
    const auto result = testing::RunProcess(argv, env);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    return result.out;
  }
  // The arguments of the program's runs since the last call, sorted; each ran the program.
  std::vector<Args> Started(std::size_t runs) {
    std::vector<Args> args;
    for (const auto& run : testing::WaitForRecording(record, runs)) {
      EXPECT_EQ(run.program, fake.system.executablePath);
      args.push_back(run.args);
    }
    fs::remove(record);
    std::sort(args.begin(), args.end());
    return args;
  }
};

// A damaged store is no registration: the load registers afresh, the hidden run entry
// too, brings back a file that has gone, and writes nothing when all is there. Yes names a moved
// program again; No leaves nothing behind.
TEST_F(DesktopIntegration, TheLoadAndTheRegistryQuestionKeepTheDesktopFilesRight) {
  fs::create_directories(dir.file("config/tavrin"));
  WriteFile(registry.StorePath(), "Tavrin registry 1\nkey\t.tav");
  EnsureRegistered(platform);
  EXPECT_EQ(Probe({"type", collection}),
            "type=application/x-tavrin\ndescription=Tavrin Collection\n");
  EXPECT_EQ(Probe({"default", "application/x-tavrin"}), kOurDefault);
  EXPECT_EQ(ReadFile(listPath), kRegisteredList);
  const std::string runEntry = ReadFile(runEntryPath);
  fs::remove(runEntryPath);
  EnsureRegistered(platform);
  EXPECT_EQ(ReadFile(runEntryPath), runEntry);
  EXPECT_EQ(ReadFile(listPath), kRegisteredList);
  fs::last_write_time(entryPath, fs::file_time_type());
  EnsureRegistered(platform);
  EXPECT_EQ(fs::last_write_time(entryPath), fs::file_time_type());

  fs::remove_all(dir.file("My $Tools 100%"));
  fake.system.executablePath = InstallProgram("moved");
  fake.toolkit.answers = {kAnswerYes, kAnswerNo};
  mnuOption_Click(0, platform);
  const std::string entry = ReadFile(entryPath);
  EXPECT_NE(entry.find("Exec=" + dir.str() + "/moved/tavrin %f\n"), std::string::npos) << entry;
  Probe({"open", collection});
  EXPECT_EQ(Started(1), std::vector<Args>{{collection}});
  mnuOption_Click(0, platform);
  EXPECT_EQ(Probe({"type", collection}).find("tavrin"), std::string::npos);
  for (const auto& gone :
       {entryPath, runEntryPath, dir.file("data/mime/packages/tavrin.xml"), registry.StorePath()}) {
    EXPECT_FALSE(fs::exists(gone)) << gone;
  }
  EXPECT_EQ(ReadFile(listPath), kOtherTypeList);
  fs::remove(listPath);
  RegisterFileType(platform);
  UnregisterFileType(platform);
  EXPECT_FALSE(fs::exists(listPath));
}

// The package's installed entries are offered; registered beside them, `xdg-mime` names
// the user's entry, and `xdg-open` (with a display) and `gio open` start the program.
TEST_F(DesktopIntegration, TheInstalledEntriesAndTheRegistrationAsTheDesktopsClientsSeeThem) {
  fs::create_directories(dir.file("system/applications"));
  fs::create_directories(dir.file("bin"));
  fs::copy_file(testing::RecorderPath(), dir.file("bin/tavrin"));  // the installed program
  env["PATH"] = dir.file("bin") + ":/usr/bin:/bin";
  for (const char* name : {"tavrin.desktop", "tavrin_run.desktop"}) {
    fs::copy_file(testing::SourcePath() + "/resources/" + name,
                  dir.file("system/applications/") + name);
  }
  const auto index =
      testing::RunProcess({"/usr/bin/update-desktop-database", dir.file("system/applications")});
  ASSERT_EQ(index.exitCode, 0) << index.err;
  EXPECT_EQ(Probe({"default", "application/x-tavrin"}), "default=tavrin.desktop\n");
  EXPECT_EQ(RegisterFileType(platform), "");
  env["DISPLAY"] = ":97";
  const auto type = testing::RunProcess({"xdg-mime", "query", "filetype", collection}, env);
  EXPECT_EQ(type.out, "application/x-tavrin\n") << type.err;
  const auto query =
      testing::RunProcess({"xdg-mime", "query", "default", "application/x-tavrin"}, env);
  EXPECT_EQ(query.out, std::string(kDesktopId) + "\n") << query.err;
  for (const Args& open : {Args{"xdg-open", collection}, Args{"gio", "open", collection}}) {
    const auto opened = testing::RunProcess(open, env);
    EXPECT_EQ(opened.exitCode, 0) << open[0] << ": " << opened.out << opened.err;
  }
  EXPECT_EQ(Started(2), (std::vector<Args>{{collection}, {collection}}));
}

// Where the package's installed entries start this same program, registering writes no
// copies of the user's own (a file manager would offer the program twice) and removes
// earlier ones; the next start finds nothing missing. Another program gets its own.
TEST_F(DesktopIntegration, NoCopiesOfTheInstalledEntriesThatStartThisProgram) {
  fs::create_directories(dir.file("system/applications"));
  for (const char* name : {"tavrin.desktop", "tavrin_run.desktop"}) {
    fs::copy_file(testing::SourcePath() + "/resources/" + name,
                  dir.file("system/applications/") + name);
  }
  folders.dataDirs = {dir.file("system")};
  PosixRegistry withInstalled{folders};
  Platform installed{fake.toolkit, fake.shell, fake.files, fake.system, withInstalled};
  const std::string before = getenv("PATH") ? getenv("PATH") : "";
  const std::string bin = fs::path(fake.system.executablePath).parent_path().string();
  for (const bool same : {false, true}) {
    SCOPED_TRACE(same ? "the same program" : "another program");
    setenv("PATH", (same ? bin : dir.file("elsewhere")).c_str(), 1);
    EXPECT_EQ(RegisterFileType(installed), "");
    EXPECT_EQ(fs::exists(entryPath), !same);
    EXPECT_EQ(fs::exists(runEntryPath), !same);
    EXPECT_TRUE(withInstalled.AssociationFilesPresent());
  }
  setenv("PATH", before.c_str(), 1);
}

// The MIME database tool comes from PATH's absolute folders only (one planted where an
// empty or relative entry would name never runs); a missing tool is no error.
TEST_F(DesktopIntegration, MissingMimeDatabaseToolIsNoError) {
  const std::string path = getenv("PATH") ? getenv("PATH") : "";
  const fs::path before = fs::current_path();
  fs::create_directories(dir.file("here/bin"));
  for (const char* planted : {"here/update-mime-database", "here/bin/update-mime-database"}) {
    WriteFile(dir.file(planted), "#!/bin/sh\necho ran >> " + dir.file("planted-ran") + "\n");
    fs::permissions(dir.file(planted), fs::perms::owner_all);
  }
  fs::current_path(dir.file("here"));
  setenv("PATH", (":bin:" + dir.file("empty")).c_str(), 1);
  EXPECT_EQ(RegisterFileType(platform), "");
  fs::current_path(before);
  setenv("PATH", path.c_str(), 1);
  EXPECT_FALSE(fs::exists(dir.file("planted-ran")));
  EXPECT_TRUE(fs::exists(dir.file("data/mime/packages/tavrin.xml")));
  EXPECT_EQ(Probe({"default", "application/x-tavrin"}), kOurDefault);
}

// Install folders that entry rules, a shell or env would take apart (% = " ' ` $ \ ; # and
// the blank, an assignment, a quote before a blank): through both valid entries, none
// naming env, GIO starts exactly the program with the file, and the built one runs it.
const std::vector<std::string> kHardFolders = {"all % = \" ' ` $ \\ ; # %f x", "PATH=evil",
                                               "a\" b"};

TEST_F(DesktopIntegration, TheRegisteredCommandsStartExactlyTheProgramWithExactlyTheFile) {
  const std::string file = dir.file("it's \"a\" $HOME %f;#1 `x`.tavrin");
  env["TAVRIN_BOXES_TO_STDERR"] = "1";
  for (std::size_t i = 0; i < kHardFolders.size(); ++i) {
    const std::string& folder = kHardFolders[i];
    SCOPED_TRACE(folder);
    fs::remove(record);
    fake.system.executablePath = InstallProgram(folder);
    EXPECT_EQ(RegisterFileType(platform), "");
    for (const std::string& entry : {entryPath, runEntryPath}) {
      const auto validate = testing::RunProcess({"/usr/bin/desktop-file-validate", entry});
      EXPECT_EQ(validate.out + validate.err, "") << entry;
      EXPECT_EQ(ReadFile(entry).find("env "), std::string::npos) << ReadFile(entry);
    }
    WriteFile(file, "\"Tavrin File 1.2\"\r\n-1\r\n");
    Probe({"launch", kDesktopId, file});
    Probe({"launch", kRunDesktopId, file});
    EXPECT_EQ(Started(2), (std::vector<Args>{{file}, {file, "/run"}}));
    const std::string program = dir.file(folder + "/tavrin");
    fs::remove(program);
    fs::copy_file(testing::TavrinPath(), program);
    fs::copy_file(fs::path(testing::TavrinPath()).parent_path() / "tavrin-gui.so",
                  dir.file(folder + "/tavrin-gui.so"));
    EXPECT_EQ(RegisterFileType(platform), "");
    WriteFile(file, testing::CollectionText({testing::Item("Rec", testing::RecorderPath(),
                                                           "run-" + std::to_string(i))}));
    Probe({"launch", kRunDesktopId, file});
    const auto ran = testing::WaitForRecording(record, 1);
    ASSERT_EQ(ran.size(), 1u);
    EXPECT_EQ(ran[0].args, Args{"run-" + std::to_string(i)});
    fs::remove_all(dir.file(folder));
  }
}

// A read-only mimeapps.list is left as it is, and the answer says so; the rest is done.
TEST_F(DesktopIntegration, AReadOnlyListIsLeftAsItIsAndTheUserIsTold) {
  ::chmod(listPath.c_str(), 0444);
  fake.toolkit.answers = {kAnswerYes};
  mnuOption_Click(0, platform);
  ASSERT_EQ(fake.toolkit.boxes.size(), 2u);
  EXPECT_THAT(fake.toolkit.boxes[1],
              ::testing::StartsWith("The Tavrin - Registry Option... (48) " + listPath + "\n\n"));
  EXPECT_TRUE(fs::exists(entryPath));
  EXPECT_EQ(ReadFile(listPath), kOtherTypeList);
}

// Another program's change to mimeapps.list meanwhile is read again and kept.
TEST_F(DesktopIntegration, AChangeAnotherProgramMakesMeanwhileIsKept) {
  int reads = 0;
  const auto busy = [&](const std::string& path) {
    const auto content = ReadList(path);
    if (++reads == 1) WriteFile(path, *content + "[Removed Associations]\ntext/x-c=ed.desktop;\n");
    return content;
  };
  EXPECT_EQ(UpdateListedApplications(listPath, true, busy), "");
  EXPECT_GE(reads, 3);
  EXPECT_EQ(ReadFile(listPath),
            std::string(kRegisteredList) + "[Removed Associations]\ntext/x-c=ed.desktop;\n");
  // A program that never stops writing it: the list is left to it, and the user told.
  const auto restless = [&](const std::string& path) {
    const auto content = ReadList(path);
    WriteFile(path, *content + "#\n");
    return content;
  };
  EXPECT_EQ(
      UpdateListedApplications(listPath, false, restless),
      listPath + "\n\nThis file kept being changed by another program and was left as it is.");
}

// --- The texts: Exec lines, the desktop entry, mimeapps.list ----------------------

// (How Exec lines quote and escape: the registered commands' test, through GIO.) A command
// splits as the registry writes it: only a quote before a blank ends the program.
TEST(DesktopText, ExecLinesEntriesAndTheDefaultApplicationLine) {
  EXPECT_EQ(SplitCommand("\"/opt/a\" b/tavrin\" %1 /run"),
            (Args{"/opt/a\" b/tavrin", "%1", "/run"}));
  EXPECT_EQ(ExecFromCommand("\"\" %1"), "");
  // A program folder of no valid UTF-8 cannot be named by an entry.
  EXPECT_THAT(ExecProgramProblem("/opt/caf\xe9/tavrin", {"/c", "/d", {}}),
              ::testing::StartsWith("/opt/caf\xe9/tavrin\n\n"));
  EXPECT_EQ(DesktopEntry({"Tavrin Collection", "", "\"/t\" %1 /run", "&Run"}), "");
  EXPECT_NE(MimePackage({"Tavrin <Collection> & more", "", "", ""})
                .find("<comment>Tavrin &lt;Collection&gt; &amp; more</comment>"),
            std::string::npos);
  // Registering twice changes nothing more; removing gives the list as it was, an earlier
  // default behind ours included; a default the user chose since is not touched.
  const struct {
    const char* name;
    std::string before, after;
  } lists[] = {
      {"no list", "", "[Default Applications]\napplication/x-tavrin=tavrin-collection.desktop;\n"},
      {"an earlier default", "[Default Applications]\napplication/x-tavrin=old.desktop;\n",
       "[Default Applications]\napplication/x-tavrin=tavrin-collection.desktop;old.desktop;\n"},
  };
  for (const auto& l : lists) {
    SCOPED_TRACE(l.name);
    const std::string with =
        WithApplication(l.before, kDefaultApplications, kCollectionType, kDesktopId);
    EXPECT_EQ(with, l.after);
    EXPECT_EQ(WithApplication(with, kDefaultApplications, kCollectionType, kDesktopId), with);
    EXPECT_EQ(WithoutApplication(with, kDefaultApplications, kCollectionType, kDesktopId),
              l.before);
  }
  const std::string chosen = "[Default Applications]\napplication/x-tavrin=mine.desktop;\n";
  EXPECT_EQ(WithoutApplication(chosen, kDefaultApplications, kCollectionType, kDesktopId), chosen);
}

}  // namespace
}  // namespace tavrin::posix

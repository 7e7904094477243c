// Registering the collection file type for real, in throw-away XDG folders, and asking
// GIO (in child processes, as GIO keeps type data for the life of a process) what the
// desktop makes of it.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <map>

#include "fakes.h"
#include "platform/posix/desktop_integration.h"
#include "platform/posix/posix_registry.h"
#include "process.h"
#include "recording.h"
#include "shellreg/association.h"
#include "temp_dir.h"

namespace tavrin::posix {
namespace {

using testing::GioProbePath;
using testing::ReadFile;
using testing::RecorderPath;
using testing::RunProcess;
using testing::TempDir;
using testing::WaitForRecording;
using testing::WriteFile;

namespace fs = std::filesystem;

constexpr char kOtherTypeList[] =
    "[Default Applications]\n"
    "text/plain=viewer.desktop;\n"
    "\n"
    "[Added Associations]\n"
    "image/png=gimp.desktop;\n";

struct DesktopIntegration : ::testing::Test {
  TempDir dir;
  XdgFolders folders{dir.file("config"), dir.file("data")};
  PosixRegistry registry{folders};
  testing::ScriptedToolkit toolkit;
  testing::RecordingShell shell;
  testing::FailingFileSystem files;
  testing::FakeSystemInfo system;
  Platform platform{toolkit, shell, files, system, registry};

  std::string record = dir.file("record.log");
  std::string collection = dir.file("x.tavrin");
  std::string entryPath = dir.file("data/applications/tavrin-collection.desktop");
  std::string packagePath = dir.file("data/mime/packages/tavrin.xml");
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

  void SetUp() override {
    fs::create_directories(dir.file("system"));
    fs::create_directories(folders.configHome);
    WriteFile(collection, "\"Tavrin File 1.2\"\r\n0\r\n\"a\",\"b\",\"\",1,#FALSE#\r\n");
    WriteFile(listPath, kOtherTypeList);
    system.executablePath = InstallProgram("My $Tools 100%");
  }

  // A stand-in for the program, which records how it was started, in a folder of
  // `folderName` below the test folder.
  std::string InstallProgram(const std::string& folderName) {
    const std::string folder = dir.file(folderName);
    fs::create_directories(folder);
    fs::copy_file(RecorderPath(), folder + "/tavrin", fs::copy_options::overwrite_existing);
    return folder + "/tavrin";
  }

  // The fields ("key=value" lines) a probe prints.
  std::map<std::string, std::string> Probe(const std::vector<std::string>& args) {
    std::vector<std::string> argv{GioProbePath()};
    argv.insert(argv.end(), args.begin(), args.end());
    const auto result = RunProcess(argv, env);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    std::map<std::string, std::string> fields;
    std::size_t start = 0;
    while (start < result.out.size()) {
      const auto end = result.out.find('\n', start);
      const std::string line = result.out.substr(start, end - start);
      const auto eq = line.find('=');
      if (eq != std::string::npos) fields[line.substr(0, eq)] += line.substr(eq + 1);
      start = end == std::string::npos ? result.out.size() : end + 1;
    }
    return fields;
  }

  std::vector<std::string> RecordedArgs() {
    const auto runs = WaitForRecording(record, 1);
    if (runs.size() != 1) return {"(" + std::to_string(runs.size()) + " runs)"};
    return runs[0].args;
  }
};

TEST_F(DesktopIntegration, RegisteredTypeIsKnownWithTavrinAsItsDefaultApplication) {
  EnsureRegistered(platform);

  auto type = Probe({"type", collection});
  EXPECT_EQ(type["type"], "application/x-tavrin");
  EXPECT_EQ(type["description"], "Tavrin Collection");
  EXPECT_EQ(Probe({"default", "application/x-tavrin"})["default"], "tavrin-collection.desktop");
  EXPECT_EQ(Probe({"actions", "tavrin-collection.desktop"})["action"], "Run\tRun");

  const auto validate = RunProcess({"/usr/bin/desktop-file-validate", entryPath});
  EXPECT_EQ(validate.exitCode, 0) << validate.out << validate.err;
  EXPECT_EQ(validate.out + validate.err, "");

  // The other line of the user's list is still there.
  EXPECT_NE(ReadFile(listPath).find("text/plain=viewer.desktop;\n"), std::string::npos);
  EXPECT_NE(ReadFile(listPath).find("image/png=gimp.desktop;\n"), std::string::npos);
}

TEST_F(DesktopIntegration, OpeningTheFileStartsTheProgramOnIt) {
  RegisterFileType(platform);
  Probe({"open", collection});
  EXPECT_EQ(RecordedArgs(), std::vector<std::string>{collection});
}

TEST_F(DesktopIntegration, RunActionStartsTheProgramWithTheRunSwitch) {
  RegisterFileType(platform);
  // The action's command line names the file, then the switch.
  EXPECT_NE(ReadFile(entryPath).find("[Desktop Action Run]\nName=Run\nExec=env \"" + dir.str() +
                                     "/My \\\\$Tools 100%%/tavrin\" %f /run\n"),
            std::string::npos)
      << ReadFile(entryPath);
  // Started without a file, as a desktop starts an action from a menu.
  Probe({"action", "tavrin-collection.desktop", "Run"});
  EXPECT_EQ(RecordedArgs(), std::vector<std::string>{"/run"});
}

TEST_F(DesktopIntegration, UnregisteringLeavesNothingOfItBehind) {
  RegisterFileType(platform);
  toolkit.answers = {kAnswerNo};
  mnuOption_Click(0, platform);

  EXPECT_NE(Probe({"type", collection})["type"], "application/x-tavrin");
  EXPECT_NE(Probe({"type", collection})["description"], "Tavrin Collection");
  EXPECT_EQ(Probe({"default", "application/x-tavrin"})["default"], "");
  EXPECT_FALSE(fs::exists(entryPath));
  EXPECT_FALSE(fs::exists(packagePath));
  EXPECT_FALSE(fs::exists(registry.StorePath()));
  EXPECT_EQ(ReadFile(listPath), kOtherTypeList);
}

TEST_F(DesktopIntegration, WithoutAListBeforeThereIsNoneAfter) {
  fs::remove(listPath);
  RegisterFileType(platform);
  EXPECT_EQ(ReadFile(listPath),
            "[Default Applications]\napplication/x-tavrin=tavrin-collection.desktop;\n");
  UnregisterFileType(platform);
  EXPECT_FALSE(fs::exists(listPath));
}

TEST_F(DesktopIntegration, MovedProgramIsNamedAgainAfterAnsweringYes) {
  RegisterFileType(platform);
  fs::remove_all(dir.file("My $Tools 100%"));
  system.executablePath = InstallProgram("moved");
  toolkit.answers = {kAnswerYes};
  mnuOption_Click(0, platform);

  const std::string entry = ReadFile(entryPath);
  EXPECT_NE(entry.find("Exec=\"" + dir.str() + "/moved/tavrin\" %f\n"), std::string::npos) << entry;
  EXPECT_EQ(entry.find("My"), std::string::npos) << entry;
  Probe({"open", collection});
  EXPECT_EQ(RecordedArgs(), std::vector<std::string>{collection});
}

TEST_F(DesktopIntegration, DamagedStoreIsRegisteredAfreshWhenTheWindowLoads) {
  fs::create_directories(dir.file("config/tavrin"));
  WriteFile(registry.StorePath(), "Tavrin registry 1\nkey\t.tav");
  EnsureRegistered(platform);
  EXPECT_EQ(ReadFile(registry.StorePath()).rfind("Tavrin registry 1\n", 0), 0u);
  EXPECT_EQ(GetRegValue(registry, Registry::kClassesRoot, ".tavrin", ""), "Tavrin");
  EXPECT_EQ(Probe({"type", collection})["type"], "application/x-tavrin");
}

TEST_F(DesktopIntegration, MissingMimeDatabaseToolIsNoError) {
  const std::string path = getenv("PATH") ? getenv("PATH") : "";
  setenv("PATH", dir.file("empty").c_str(), 1);
  RegisterFileType(platform);
  setenv("PATH", path.c_str(), 1);
  // Everything but the rebuilt database is there.
  EXPECT_TRUE(fs::exists(packagePath));
  EXPECT_FALSE(fs::exists(dir.file("data/mime/mime.cache")));
  EXPECT_TRUE(fs::exists(entryPath));
  EXPECT_EQ(Probe({"default", "application/x-tavrin"})["default"], "tavrin-collection.desktop");
}

}  // namespace
}  // namespace tavrin::posix

// The built program started as a user, or the shell's Run command, starts it:
// `tavrin FILE /run`, with no display, so that message boxes go to standard error.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>

#include "run_mode.h"
#include "tavrin/version.h"
#ifdef _WIN32
#include "platform/win32/win32_shell.h"
#else
#include <fcntl.h>
#endif

namespace tavrin {
namespace {

using testing::Item;
using testing::ReadRecording;
using testing::RecorderPath;
namespace fs = std::filesystem;

// A waited item has ended before the next one starts; each failed start (a missing file,
// a waited program that cannot start, options a run cannot follow) has its box and one
// line for a log and the run goes on; the last line counts the items, and the status is 1.
TEST_F(RunModeTest, StartsItemsInOrderWaitingWhereAskedAndReportsFailures) {
  const auto result =
      Run({Item("First", RecorderPath(), "--sleep=300 first", 1, kTrue),
           Item("Gone", dir.file("Gone.bin")), Item("Nope", dir.file("Nope.exe"), "", 1, kTrue),
           testing::With(Item("Bad", RecorderPath(), "bad"), {{"Delay", "soon"}}),
           Item("Last", RecorderPath(), "last", 1, kTrue)});
  EXPECT_EQ(result.exitCode, 1) << result.err;
  ExpectBox(result, "The Tavrin - Error:\n" + Shown("Gone.bin") + "\n\nFile Not Found");
#ifdef _WIN32
  const std::string why = win32::Win32Shell().RuntimeErrorText(2);  // the file cannot be found
#else
  const std::string why = "File not found";
#endif
  ExpectBox(result, "The Tavrin - Error:\n" + Shown("Nope.exe") + "\n\n" + why);
  const std::string file = "tavrin: " + EscapeControls(dir.file("c.tavrin"));
  EXPECT_EQ(FailureLines(result),
            (std::vector<std::string>{
                file + ": item 2 \"Gone\": File Not Found", file + ": item 3 \"Nope\": " + why,
                file + ": item 4 \"Bad\": Delay \"soon\" is no number of milliseconds from 0 to "
                       "3600000"}));
  EXPECT_EQ(FailureLines(result, true),
            std::vector<std::string>{file + ": 2 of 5 items started, 0 skipped, 3 failed"});
  const auto runs = ReadRecording(record);
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].args, (std::vector<std::string>{"--sleep=300", "first"}));
  EXPECT_EQ(runs[1].args, std::vector<std::string>{"last"});
  EXPECT_NE(runs[0].endNs, 0);
  EXPECT_LE(runs[0].endNs, runs[1].startNs);
}

// A collection in a folder with blanks, the switch in capitals: every item starts in its
// program's folder (a path with blanks starts that program and no other) and learns,
// through TAVRIN_RUNNING, that the collection runs above it; the status is 0 and nothing
// is written; a program not waited for outlives the launcher; the file association is
// neither checked nor written.
TEST_F(RunModeTest, EveryItemStartedGivesStatusZeroAndNoOutput) {
  const std::string exe = kPathsIgnoreCase ? ".exe" : "";
  const std::string tools = dir.file("my tools");
  const std::string rec = tools + kNativeSeparator + "rec" + exe;
  fs::create_directories(tools);
  fs::copy_file(RecorderPath(), rec);
  fs::copy_file(RecorderPath(), dir.file("my" + exe));  // what "my tools..." unquoted names
  fs::create_directories(dir.file("my collections"));
  const std::string path = dir.file("my collections") + kNativeSeparator + "My Games.tavrin";
  WriteFile(path, CollectionText({Item("Waited", rec, "--env=TAVRIN_RUNNING w", 1, kTrue),
                                  Item("Bg", rec, "--wait-for=" + dir.file("go"), 5)}));
  env["TAVRIN_RUNNING"] = "1:1";
  const auto result = Start({TavrinPath(), path, "/RUN"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err, "");
  WriteFile(dir.file("go"), "");  // the launcher has ended; Bg still waits for this
  const auto runs = testing::WaitForRecording(record, 2);
  ASSERT_EQ(runs.size(), 2u);
  const std::string self = testing::NativeFileSystem().FileIdentity(path);
  EXPECT_EQ(runs[0].args, (std::vector<std::string>{"TAVRIN_RUNNING=1:1;" + self, "w"}));
  EXPECT_NE(runs[1].endNs, 0);
  for (const auto& run : runs) {
    EXPECT_EQ(fs::path(run.cwd), fs::path(tools));
    EXPECT_EQ(fs::path(run.program), fs::path(rec));
  }
#ifndef _WIN32
  // The association's files (Windows: see RunModeLeavesTheAssociationAlone).
  for (const char* made :
       {"config/tavrin", "config/mimeapps.list", "data/applications", "data/mime"}) {
    EXPECT_FALSE(fs::exists(dir.file(made))) << made;
  }
#endif
}

// Options answer on the terminal and end: no window, no box, no Qt. "--" lets a
// collection whose name looks like an option be run.
TEST_F(RunModeTest, OptionsAnswerOnTheTerminalWithoutAWindow) {
#ifndef _WIN32
  env["DISPLAY"] = ":97";  // a display that would not answer
  env["LD_DEBUG"] = "files";
#endif
  const auto help = Start({TavrinPath(), "--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("Usage: tavrin"), std::string::npos) << help.out;
  EXPECT_EQ(help.err.find("libQt6"), std::string::npos) << help.err;
  EXPECT_EQ(Start({TavrinPath(), "-v"}).out, "tavrin " + std::string(kVersionText) + "\n");
  env.erase("LD_DEBUG");
  const auto unknown = Start({TavrinPath(), "--bogus", dir.file("c.tavrin")});
  EXPECT_EQ(unknown.exitCode, 2);
  EXPECT_EQ(unknown.out, "");
  EXPECT_EQ(testing::Lines(unknown.err).size(), 1u) << unknown.err;

  WriteFile(dir.file("--help"), CollectionText({Item("One", RecorderPath(), "dash", 1, kTrue)}));
  const auto run = testing::RunProcess({TavrinPath(), "--", "--help", "/run"}, env, dir.str());
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "");
  ASSERT_EQ(ReadRecording(record).size(), 1u);
  EXPECT_EQ(ReadRecording(record)[0].args, std::vector<std::string>{"dash"});
}

// A collection that cannot be loaded gives status 2, its box and a line; an old version
// asks, is not upgraded when nobody answers, and runs.
TEST_F(RunModeTest, EachLoadResultGivesItsStatus) {
  const auto missing = Start({TavrinPath(), dir.file("none.tavrin"), "/run"});
  EXPECT_EQ(missing.exitCode, 2);
  ExpectBox(missing, "none.tavrin\n\nThe Tavrin was unable to load the Collection!!");
  EXPECT_EQ(FailureLines(missing),
            std::vector<std::string>{"tavrin: " + EscapeControls(dir.file("none.tavrin")) +
                                     ": The Tavrin was unable to load the Collection!!"});
  const std::string text = "\"Tavrin File\"\r\n0\r\n\"One\",\"" + RecorderPath() + "\",\"1\"\r\n";
  WriteFile(dir.file("old.tavrin"), text);
  const auto result = Start({TavrinPath(), dir.file("old.tavrin"), "/run"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  ExpectBox(result, "The Tavrin - Question:\n");
  ExpectBox(result, "old.tavrin\n\nThis Tavrin Collections in of an old version.");
  EXPECT_EQ(testing::ReadFile(dir.file("old.tavrin")), text);  // not upgraded
  EXPECT_EQ(testing::WaitForRecording(record, 1).size(), 1u);
}

// --- Where only POSIX can show it: the libraries loaded, a missing windows module, documents
// opened by the desktop.
#ifndef _WIN32

bool HasWindowsModule() {
  return fs::exists(fs::path(TavrinPath()).parent_path() / "tavrin-gui.so");
}

// Makes a desktop entry that runs `exec` the default application of each of `types`, in
// the test's own data and config folders.
void SetDefaultApplication(RunModeTest& test, const std::string& exec,
                           const std::vector<std::string>& types) {
  fs::create_directories(test.dir.file("data/applications"));
  fs::create_directories(test.dir.file("config"));
  std::string mime;
  std::string list = "[Default Applications]\n";
  for (const auto& type : types) {
    mime += type + ";";
    list += type + "=tavrin-test-app.desktop\n";
  }
  WriteFile(test.dir.file("data/applications/tavrin-test-app.desktop"),
            "[Desktop Entry]\nType=Application\nName=Test App\nExec=" + exec +
                "\nMimeType=" + mime + "\n");
  WriteFile(test.dir.file("config/mimeapps.list"), list);
  test.env["XDG_DATA_DIRS"] = "/usr/share";
}

// A display that does not answer never aborts the program: the box goes to standard
// error, and the dynamic loader, which lists every library it loads, loads none of Qt's.
TEST_F(RunModeTest, NeitherADeadDisplayNorAMissingWindowsModuleStopsARun) {
  env["DISPLAY"] = ":97";
  env["LD_DEBUG"] = "files";
  const auto result = Run({Item("Gone", dir.file("gone"))});
  EXPECT_EQ(result.exitCode, 1);
  ExpectBox(result, "The Tavrin - Error:\ngone\n\nFile Not Found");
  ExpectBox(result, "file=libc.so");
  EXPECT_EQ(result.err.find("libQt6"), std::string::npos) << result.err;
  EXPECT_EQ(result.err.find("tavrin-gui"), std::string::npos);
  // The executable copied away from its windows module still runs collections (on a
  // screenless platform its boxes go to standard error without the module); the window
  // cannot open and it says why.
  if (!HasWindowsModule()) GTEST_SKIP() << "this build has no windows module";
  fs::copy_file(TavrinPath(), dir.file("tavrin"));
  env.erase("LD_DEBUG");
  env["QT_QPA_PLATFORM"] = "offscreen";
  const auto run = Run({Item("One", RecorderPath(), "a", 1, kTrue), Item("Gone", dir.file("gone"))},
                       dir.file("tavrin"));
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(ReadRecording(record).size(), 1u);
  ExpectBox(run, "The Tavrin - Error:\ngone\n\nFile Not Found");
  // Boxes on a platform without a screen go to standard error without the module.
  EXPECT_EQ(run.err.find("tavrin: the windows cannot be loaded"), std::string::npos);
  const auto window = testing::RunProcess({dir.file("tavrin"), dir.file("c.tavrin")}, env);
  EXPECT_EQ(window.exitCode, 2);
  ExpectBox(window, "tavrin: the windows cannot be loaded: ");
}

#ifdef TAVRIN_QT_PLATFORMS_DIR
// Qt's platform plugins missing (a system that left them out) never abort the program:
// with a display that answers, run mode writes its boxes to standard error, says why
// once, and goes on; the window says why and ends with status 2. The plugins are hidden
// in a mount namespace of the test's own, under an empty folder bound over theirs (Qt
// finds its own folder whatever QT_QPA_PLATFORM_PLUGIN_PATH names).
TEST_F(RunModeTest, MissingQtPlatformPluginsAbortNothing) {
  if (!HasWindowsModule()) GTEST_SKIP() << "this build has no windows module";
  fs::create_directory(dir.file("empty"));
  const auto hidden = [&](const std::vector<std::string>& argv) {
    std::vector<std::string> line{"unshare",
                                  "--mount",
                                  "/bin/sh",
                                  "-c",
                                  "mount --bind \"$0\" \"$1\" && shift && exec \"$@\"",
                                  dir.file("empty"),
                                  TAVRIN_QT_PLATFORMS_DIR};
    line.insert(line.end(), argv.begin(), argv.end());
    return line;
  };
  if (Start(hidden({"true"})).exitCode != 0) {
    GTEST_SKIP() << "a mount namespace of its own cannot be made here: that needs root";
  }
  WriteFile(dir.file("c.tavrin"),
            CollectionText({Item("Gone", dir.file("gone")),
                            Item("After", RecorderPath(), "after", 1, kTrue)}));
  env.erase("DISPLAY");
  env.erase("TAVRIN_BOXES_TO_STDERR");
  // The timeout ends a launcher that shows a real box nobody answers (status 124).
  std::vector<std::string> run{"xvfb-run", "-a", "-s", "-nolisten tcp", "timeout", "60"};
  for (const auto& word : hidden({TavrinPath(), dir.file("c.tavrin"), "/run"})) {
    run.push_back(word);
  }
  const auto result = Start(run);
  EXPECT_EQ(result.exitCode, 1) << result.err;
  ExpectBox(result,
            "tavrin: message boxes are written here: Qt finds no platform plugin for "
            "\"xcb\" that loads (looked in ");
  ExpectBox(result, "The Tavrin - Error:\ngone\n\nFile Not Found");
  const auto runs = ReadRecording(record);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].args, std::vector<std::string>{"after"});

  env["QT_QPA_PLATFORM"] = "offscreen";
  const auto window = Start(hidden({TavrinPath(), dir.file("c.tavrin")}));
  EXPECT_EQ(window.exitCode, 2);
  ExpectBox(window,
            "tavrin: the main window cannot open: Qt finds no platform plugin for "
            "\"offscreen\" that loads");
}
#endif

// A collection as a user writes one, run from another folder (a menu starts the launcher
// in the home folder): relative items are found beside the collection, bare names on PATH
// (not as a file of that name in the current folder), a file address opens with its
// type's application, and parameters arrive as written, '#' and backslashes included.
TEST_F(RunModeTest, ItemsAreFoundAsTheUserMeantThem) {
  const std::string lists = dir.file("lists");
  fs::create_directories(dir.file("lists/tools"));
  fs::create_directories(dir.file("bin"));
  fs::create_directories(dir.file("home"));
  fs::copy_file(RecorderPath(), dir.file("lists/tools/rec"));
  fs::copy_file(RecorderPath(), dir.file("bin/tavrin-bare-rec"));
  WriteFile(dir.file("home/tavrin-bare-rec"), "a text file of the same name\n");
  WriteFile(dir.file("lists/notes.txt"), "notes\n");
  SetDefaultApplication(*this, RecorderPath() + " handler %u", {"text/plain"});
  env["PATH"] = dir.file("bin") + ":/usr/bin:/bin";
  WriteFile(dir.file("lists/mine.tavrin"),
            CollectionText({Item("Issue", "./tools/rec", "issue #42 --verbose", 1, kTrue),
                            Item("Paths", "tools/rec", "C:\\temp\\x.txt Bob's file.txt"),
                            Item("Bare", "tavrin-bare-rec", "--color #fff -x", 1, kTrue),
                            Item("Notes", "file://" + dir.file("lists/notes.txt"))}));
  const auto result =
      testing::RunProcess({TavrinPath(), "../lists/mine.tavrin", "/run"}, env, dir.file("home"));
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err, "");
  auto runs = testing::WaitForRecording(record, 4);
  std::vector<std::vector<std::string>> args;
  for (const auto& run : runs) args.push_back(run.args);
  std::sort(args.begin(), args.end());
  EXPECT_EQ(args, (std::vector<std::vector<std::string>>{{"--color", "#fff", "-x"},
                                                         {"C:\\temp\\x.txt", "Bob's", "file.txt"},
                                                         {"handler", dir.file("lists/notes.txt")},
                                                         {"issue", "#42", "--verbose"}}));
  for (const auto& run : runs) {
    if (run.args.size() > 1 && run.args[1] == "#42") {
      EXPECT_EQ(run.cwd, dir.file("lists/tools"));
    }
    if (run.args.size() > 1 && run.args[1] == "#fff") {
      EXPECT_EQ(run.program, dir.file("bin/tavrin-bare-rec"));
    }
  }
}

// Qt on a platform without a screen (CI, containers) is no one to answer a box: the boxes
// go to standard error, the question is answered No, and the run ends.
TEST_F(RunModeTest, AScreenlessQtPlatformNeverWaitsForAnAnswer) {
  if (!HasWindowsModule()) GTEST_SKIP() << "this build has no windows module";
  const std::string old =
      "\"Tavrin File 1.1\"\r\n0\r\n\"Gone\",\"" + dir.file("gone") + "\",\"\",1\r\n";
  WriteFile(dir.file("old.tavrin"), old);
  for (const char* platform : {"offscreen", "minimal"}) {
    SCOPED_TRACE(platform);
    env["QT_QPA_PLATFORM"] = platform;
    // The timeout ends a launcher that waits for an answer nobody gives (status 124).
    const auto result = Start({"timeout", "60", TavrinPath(), dir.file("old.tavrin"), "/run"});
    EXPECT_EQ(result.exitCode, 1) << result.err;
    ExpectBox(result, "The Tavrin - Question:\n" + dir.file("old.tavrin") + "\n\n");
    ExpectBox(result, "The Tavrin - Error:\ngone\n\nFile Not Found");
    EXPECT_EQ(testing::ReadFile(dir.file("old.tavrin")), old);
  }
}

// The descriptors a process started by this one holds: its own that are not closed on
// exec, as "0,1,2".
std::string DescriptorsHandedOn() {
  std::vector<int> fds;
  for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
    const int fd = std::stoi(entry.path().filename().string());
    const int flags = fcntl(fd, F_GETFD);
    if (flags >= 0 && !(flags & FD_CLOEXEC)) fds.push_back(fd);
  }
  std::sort(fds.begin(), fds.end());
  std::string text;
  for (const int fd : fds) text += (text.empty() ? "" : ",") + std::to_string(fd);
  return text;
}

// What a program the launcher starts is given: the signal dispositions and the mask the
// launcher was given (nohup's ignored SIGHUP, a SIGCHLD ignored, which the launcher itself
// must handle to wait, a blocked SIGUSR2), whatever the launcher and its libraries did with
// them since, for a waited program, one not waited for and a document's application alike;
// the descriptors the launcher was given and none of its own. One not waited for leads a
// session of its own, so that it outlives the launcher's terminal; a waited one stays in
// the launcher's. The waited program is no failure for the ignored SIGCHLD.
TEST_F(RunModeTest, StartedProgramsGetWhatTheLauncherWasGivenAndNothingOfItsOwn) {
  fs::create_directories(dir.file("docs"));
  SetDefaultApplication(*this, RecorderPath() + " --signals viewer", {"text/plain"});
  WriteFile(dir.file("docs/read me.txt"), "hello\n");
  WriteFile(dir.file("c.tavrin"),
            CollectionText({Item("Waited", RecorderPath(), "--signals waited", 1, kTrue),
                            Item("Not", RecorderPath(), "--signals not"),
                            Item("Doc", dir.file("docs/read me.txt")),
                            Item("Waited", RecorderPath(), "--process waited", 1, kTrue),
                            Item("Not", RecorderPath(), "--process not")}));
  const auto result = Start({"env", "--ignore-signal=HUP", "--ignore-signal=CHLD",
                             "--block-signal=USR2", TavrinPath(), dir.file("c.tavrin"), "/run"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  // The standard signals (1 to 31) as /proc lists them: what this test passes on to the
  // launcher, and what the test adds. (Signals above them belong to the C library.)
  const auto bit = [](int signal) { return 1ull << (signal - 1); };
  const unsigned long long kStandard = bit(32) - 1;
  const auto field = [](const std::string& text, const std::string& key) {
    const auto at = text.find(key);
    return at == std::string::npos ? ~0ull : std::stoull(text.substr(at + key.size()), nullptr, 16);
  };
  const std::string own = testing::ReadFile("/proc/self/status");
  const std::string given =
      std::to_string(((field(own, "SigIgn:") | bit(SIGHUP) | bit(SIGCHLD)) & kStandard)) + " " +
      std::to_string((field(own, "SigBlk:") | bit(SIGUSR2)) & kStandard);
  const std::string fds = " fds=" + DescriptorsHandedOn();
  const auto runs = testing::WaitForRecording(record, 5);
  ASSERT_EQ(runs.size(), 5u);
  std::vector<std::vector<std::string>> seen;
  for (const auto& run : runs) {
    ASSERT_GE(run.args.size(), 2u);
    const bool signals = run.args[0].rfind("ignored=", 0) == 0;
    seen.push_back({signals ? std::to_string(field(run.args[0], "ignored=") & kStandard) + " " +
                                  std::to_string(field(run.args[0], "blocked=") & kStandard)
                            : run.args[0],
                    run.args[1]});
  }
  std::sort(seen.begin(), seen.end());
  std::vector<std::vector<std::string>> expected{{given, "not"},
                                                 {given, "viewer"},
                                                 {given, "waited"},
                                                 {"session=own" + fds, "not"},
                                                 {"session=shared" + fds, "waited"}};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(seen, expected);
}

// TAVRIN_BOXES_TO_STDERR=1 sends the boxes to standard error even where a display
// answers (here a virtual X server), so that a run with no one to answer never waits.
TEST_F(RunModeTest, BoxesGoToStandardErrorWhenAskedEvenWithADisplay) {
  env.erase("DISPLAY");
  WriteFile(dir.file("c.tavrin"), CollectionText({Item("Gone", dir.file("gone"))}));
  const auto result =
      Start({"xvfb-run", "-a", "-s", "-nolisten tcp", TavrinPath(), dir.file("c.tavrin"), "/run"});
  EXPECT_EQ(result.exitCode, 1) << result.err;
  ExpectBox(result, "The Tavrin - Error:\ngone\n\nFile Not Found");
  EXPECT_EQ(FailureLines(result).size(), 1u);
}

// --autostart writes a desktop entry, wherever the program is installed (quotes, blanks,
// '$', '\', ';', '#', '=', '%' in its folder), that the desktop validates, that names no
// env and that, started as a session starts it, runs the collection; again, it rewrites
// the same entry; --no-autostart takes it away again, and only it.
TEST_F(RunModeTest, AutostartEntriesRunTheCollectionAtLogin) {
  const std::string name = "My Games & $HOME \"x\" 100%.tavrin";
  WriteFile(dir.file(name), CollectionText({Item("Rec", RecorderPath(), "at-login")}));
  const std::string folder = dir.file("config/autostart");
  const std::string entry = folder + "/tavrin-My-Games-HOME-x-100.desktop";
  for (const std::string installed : {"", "all % = \" ' $ \\ ; # x", "x=y", "a\" b"}) {
    SCOPED_TRACE(installed);
    std::string program = TavrinPath();
    if (!installed.empty()) {
      fs::create_directories(dir.file(installed));
      program = dir.file(installed + "/tavrin");
      fs::copy_file(TavrinPath(), program);
      fs::copy_file(fs::path(TavrinPath()).parent_path() / "tavrin-gui.so",
                    dir.file(installed + "/tavrin-gui.so"));
    }
    fs::remove(record);
    const auto added = testing::RunProcess({program, "--autostart", name}, env, dir.str());
    EXPECT_EQ(added.exitCode, 0) << added.err;
    EXPECT_EQ(added.out, entry + "\n");
    const auto valid = testing::RunProcess({"desktop-file-validate", entry});
    EXPECT_EQ(valid.exitCode, 0) << valid.out << valid.err;
    EXPECT_EQ(valid.out + valid.err, "");
    EXPECT_EQ(testing::ReadFile(entry).find("env "), std::string::npos) << testing::ReadFile(entry);
    const auto started = testing::RunProcess({testing::GioProbePath(), "start", entry}, env);
    EXPECT_EQ(started.exitCode, 0) << started.err;
    const auto runs = testing::WaitForRecording(record, 1);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].args, std::vector<std::string>{"at-login"});
  }
  WriteFile(folder + "/other.desktop", "[Desktop Entry]\nType=Application\nName=O\nExec=true\n");
  const auto removed = testing::RunProcess({TavrinPath(), "--no-autostart", dir.file(name)}, env);
  EXPECT_EQ(removed.exitCode, 0) << removed.err;
  EXPECT_EQ(removed.out, entry + "\n");
  EXPECT_FALSE(fs::exists(entry));
  EXPECT_TRUE(fs::exists(folder + "/other.desktop"));
}

// The example's picture is named relative to the collection, which runs the same from
// the source folder, from its own folder and from anywhere else (a menu starts the
// launcher in the home folder).
TEST(ExampleCollection, RunsCleanlyFromAnyFolder) {
  testing::TempDir dir;
  const std::string examples = testing::SourcePath() + "/examples";
  const std::pair<std::string, std::string> starts[] = {
      {"examples/welcome.tavrin", testing::SourcePath()},
      {"welcome.tavrin", examples},
      {examples + "/welcome.tavrin", dir.str()}};
  for (const auto& [file, folder] : starts) {
    SCOPED_TRACE(file + " from " + folder);
    const auto result = testing::RunProcess(
        {TavrinPath(), file, "/run"},
        {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"TAVRIN_HOME", dir.str()}}, folder);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err.find("The Tavrin - Error:"), std::string::npos) << result.err;
    EXPECT_NE(result.out.find("Hello from Tavrin! Parameters with blanks"), std::string::npos);
  }
}

// Window mode: without a display it says so. Qt's own options reach Qt, and what it
// leaves names the collection: on the offscreen platform, where no one could answer a
// box, a collection that cannot be loaded is told on standard error and ends the program
// at once; a window that opened is still there a second later, and ends cleanly when it
// is asked to.
TEST_F(RunModeTest, TheWindowOpensAndClosesCleanly) {
  if (!HasWindowsModule()) GTEST_SKIP() << "this build has no windows module";
  const auto none = Start({TavrinPath()});
  EXPECT_EQ(none.exitCode, 2);
  ExpectBox(none, "no display");
  const auto missing =
      Start({TavrinPath(), "-platform", "offscreen", "-style", "fusion", dir.file("none.tavrin")});
  EXPECT_EQ(missing.exitCode, 2);
  ExpectBox(missing, "The Tavrin - Error:\n" + dir.file("none.tavrin") +
                         "\n\nThe Tavrin was unable to load the Collection!!");
  WriteFile(dir.file("c.tavrin"), CollectionText({Item("One", "/bin/true")}));
  const auto result =
      Start({"/bin/sh", "-c",
             "\"$0\" -platform offscreen \"$1\" & sleep 1; kill -0 $! && echo running && kill $!; "
             "wait $!",
             TavrinPath(), dir.file("c.tavrin")});
  EXPECT_EQ(result.out, "running\n") << result.err;
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err, "");
}

// A termination request that comes before the window's event loop runs (a session that
// logs out just as the window first shows) ends the program all the same, cleanly. Here
// it is already waiting when the program starts (blocked, as a starter may leave it), and
// comes through as soon as the window takes termination requests.
TEST_F(RunModeTest, ATerminationRequestBeforeTheWindowRunsEndsTheProgram) {
  if (!HasWindowsModule()) GTEST_SKIP() << "this build has no windows module";
  env["QT_QPA_PLATFORM"] = "offscreen";
  WriteFile(dir.file("c.tavrin"), CollectionText({Item("One", "/bin/true")}));
  // The timeout (a safety net, not a measure) ends a program that missed the request.
  const auto result =
      Start({"timeout", "60", "env", "--block-signal=TERM", "/bin/sh", "-c",
             "kill -TERM $$; exec \"$0\" \"$1\"", TavrinPath(), dir.file("c.tavrin")});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out + result.err, "");
}

#endif

}  // namespace
}  // namespace tavrin

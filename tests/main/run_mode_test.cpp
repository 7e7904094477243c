// The built program started as a user, or the shell's Run command, starts it:
// `tavrin FILE /run`, with no display, so that message boxes go to standard error.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>

#include "run_mode.h"
#include "tavrin/version.h"
#ifndef _WIN32
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <thread>
#endif

namespace tavrin {
namespace {

using testing::Item;
using testing::ReadRecording;
using testing::RecorderPath;
namespace fs = std::filesystem;

// A waited item ends before the next starts; each failed start has its box and a log line,
// and the run goes on; the last line counts the items, and the status is 1.
TEST_F(RunModeTest, StartsItemsInOrderWaitingWhereAskedAndReportsFailures) {
  const auto result = Run({Item("First", RecorderPath(), "--sleep=300 first", 1, kTrue),
                           Item("Gone", dir.file("Gone.bin")),
                           testing::With(Item("Bad", RecorderPath(), "bad"), {{"Delay", "soon"}}),
                           Item("Last", RecorderPath(), "last", 1, kTrue)});
  EXPECT_EQ(result.exitCode, 1) << result.err;
  // File names are shown in lower case where they ignore case.
  const std::string gone = kPathsIgnoreCase ? "gone.bin" : "Gone.bin";
  EXPECT_NE(result.err.find("The Tavrin - Error:\n" + gone + "\n\nFile Not Found"),
            std::string::npos)
      << result.err;
  const std::string file = "tavrin: " + dir.file("c.tavrin");
  EXPECT_EQ(FailureLines(result),
            (std::vector<std::string>{
                file + ": item 2 \"Gone\": File Not Found",
                file + ": item 3 \"Bad\": Delay \"soon\" is no number of milliseconds from 0 to "
                       "3600000",
                file + ": 2 of 4 items started, 0 skipped, 2 failed"}));
  const auto runs = ReadRecording(record);
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].args, (std::vector<std::string>{"--sleep=300", "first"}));
  EXPECT_EQ(runs[1].args, std::vector<std::string>{"last"});
  EXPECT_NE(runs[0].endNs, 0);
  EXPECT_LE(runs[0].endNs, runs[1].startNs);
}

// Blanks in every path, the switch in capitals: each item starts in its program's folder and
// learns through TAVRIN_RUNNING that the collection runs above it; silence and status 0.
TEST_F(RunModeTest, EveryItemStartedGivesStatusZeroAndNoOutput) {
  const std::string exe = kPathsIgnoreCase ? ".exe" : "";
  const std::string tools = dir.file("my tools");
  const std::string rec = tools + kNativeSeparator + "rec" + exe;
  fs::create_directories(tools);
  fs::copy_file(RecorderPath(), rec);
  fs::copy_file(RecorderPath(), dir.file("my" + exe));  // what "my tools/rec" split would run
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
  // Run mode neither checks nor writes the file association.
  for (const char* made :
       {"config/tavrin", "config/mimeapps.list", "data/applications", "data/mime"}) {
    EXPECT_FALSE(fs::exists(dir.file(made))) << made;
  }
#endif
}

// -v answers; a collection that cannot be loaded gives status 2 and a line.
TEST_F(RunModeTest, OptionsAndEachLoadResultGiveTheirStatus) {
  EXPECT_EQ(Start({TavrinPath(), "-v"}).out, "tavrin " + std::string(kVersionText) + "\n");

  const auto missing = Start({TavrinPath(), dir.file("none.tavrin"), "/run"});
  EXPECT_EQ(missing.exitCode, 2);
  EXPECT_EQ(FailureLines(missing),
            std::vector<std::string>{"tavrin: " + dir.file("none.tavrin") +
                                     ": The Tavrin was unable to load the Collection!!"});
}

// A program that fails before it is ready fails its wait at once, with its status, and the
// run goes on; a generous Timeout is never reached.
TEST_F(RunModeTest, AProgramThatFailsBeforeItIsReadyFailsItsWaitAtOnce) {
  const auto result = Run({testing::With(Item("Server", RecorderPath(), "--exit=3"),
                                         {{"WaitReady", "file:never"}, {"Timeout", "600000"}}),
                           Item("After", RecorderPath(), "after", 1, kTrue)});
  EXPECT_EQ(result.exitCode, 1) << result.err;
  const std::string file = "tavrin: " + dir.file("c.tavrin");
  // Where the start itself is slow, the wait may have been told too.
  std::vector<std::string> lines = FailureLines(result);
  std::erase_if(lines, [](const std::string& line) {
    return line.find("\": waiting for ") != std::string::npos;
  });
  EXPECT_EQ(lines,
            (std::vector<std::string>{
                file + ": item 1 \"Server\": Ended with status 3 before it was ready: file:never",
                file + ": 1 of 2 items started, 0 skipped, 1 failed"}));
  EXPECT_EQ(testing::WaitForRecording(record, 2).size(), 2u);
}

// --- Where only POSIX can show it.
#ifndef _WIN32

// Whatever the display or the toolkit, a run starts its items and tells its boxes on
// standard error, and the window says why it cannot open (status 2); an open window ends
// cleanly when asked.
TEST_F(RunModeTest, WhateverTheDisplayRunsEndAndTheWindowSaysWhyItCannotOpen) {
  const bool module = fs::exists(fs::path(TavrinPath()).parent_path() / "tavrin-gui.so");
  if (module) fs::copy_file(TavrinPath(), dir.file("tavrin"));
  const std::string c = dir.file("c.tavrin");
  WriteFile(c, CollectionText(
                   {Item("One", RecorderPath(), "a", 1, kTrue), Item("Gone", dir.file("gone"))}));
  CollItem window =
      Item("Message", "/usr/bin/xmessage", "-title Tavrin-probe-window -timeout 20 hello");
  window.Options = {{"WaitReady", "window:probe-win"}, {"Timeout", "20000"}};
  WriteFile(dir.file("w.tavrin"),
            CollectionText({Item("Gone", dir.file("gone")), window,
                            Item("After", RecorderPath(), "after", 1, kTrue)}));
  const std::string old =
      "\"Tavrin File 1.1\"\r\n0\r\n\"Gone\",\"" + dir.file("gone") + "\",\"\",1\r\n";
  WriteFile(dir.file("old.tavrin"), old);
  const std::string gone = "The Tavrin - Error:\ngone\n\nFile Not Found";
  const std::map<std::string, std::string> offscreen{{"QT_QPA_PLATFORM", "offscreen"}};
  // Xvfb picks a free display itself: a number chosen beforehand may be taken by another
  // server that starts at the same time.
  const std::vector<std::string> onX{
      "/bin/sh", "-c",
      "Xvfb -displayfd 3 -nolisten tcp 3>\"$0\" >/dev/null 2>&1 & x=$!; for i in $(seq 300); do "
      "[ -s \"$0\" ] && break; sleep 0.1; done; DISPLAY=:$(cat \"$0\") timeout 60 \"$@\"; s=$?; "
      "kill $x; exit $s",
      dir.file("display")};
  enum Needs { kModule = 1, kOnX = 2, kAllSaid = 4 };
  std::vector<std::string> skipped;
  // One run: its status, what its output holds (all of it with kAllSaid) and never holds,
  // and the stand-in program's starts.
  const auto expect = [&](const char* name, std::vector<std::string> argv,
                          const std::map<std::string, std::string>& over, int exitCode,
                          const std::vector<std::string>& said,
                          const std::vector<std::string>& unsaid, std::size_t runs, int needs) {
    SCOPED_TRACE(name);
    if ((needs & kModule) && !module) {
      skipped.push_back(name);
      return;
    }
    if (needs & kOnX) argv.insert(argv.begin(), onX.begin(), onX.end());
    const auto saved = env;
    for (const auto& [key, value] : over) env[key] = value;
    fs::remove(record);
    fs::remove(dir.file("display"));
    const auto result = Start(argv);
    env = saved;
    EXPECT_EQ(result.exitCode, exitCode) << result.err;
    const std::string output = result.out + result.err;
    std::string all;
    for (const auto& text : said) {
      EXPECT_NE(output.find(text), std::string::npos) << output;
      all += text;
    }
    for (const auto& text : unsaid) EXPECT_EQ(output.find(text), std::string::npos) << text;
    if (needs & kAllSaid) {
      EXPECT_EQ(output, all);
    }
    EXPECT_EQ(ReadRecording(record).size(), runs) << output;
  };
  expect("a display that does not answer", {TavrinPath(), c, "/run"},
         {{"DISPLAY", ":97"}, {"LD_DEBUG", "files"}}, 1, {gone, "file=libc.so"},
         {"libQt6", "tavrin-gui"}, 1, 0);
  expect("the run without its windows module", {dir.file("tavrin"), c, "/run"}, offscreen, 1,
         {gone}, {"the windows cannot be loaded"}, 1, kModule);
  expect("the window without its windows module", {dir.file("tavrin"), c}, offscreen, 2,
         {"tavrin: the windows cannot be loaded: "}, {}, 0, kModule);
  expect("a real display, boxes asked to standard error",
         {TavrinPath(), dir.file("w.tavrin"), "/run"}, {}, 1,
         {gone, ": 2 of 3 items started, 0 skipped, 1 failed"}, {}, 1, kOnX);
  expect("the window without a display", {TavrinPath()}, {}, 2, {"no display"}, {}, 0, kModule);
  expect("a window that opened, asked to end",
         {"/bin/sh", "-c",
          // Asked once the window catches SIGTERM (bit 15 of SigCgt), not after a guessed
          // time: on a busy machine the window may not be up after a second.
          "\"$0\" -platform offscreen \"$1\" & p=$!; for i in $(seq 1200); do "
          "m=$(sed -n 's/^SigCgt:[[:space:]]*//p' /proc/$p/status 2>/dev/null); "
          "[ -n \"$m\" ] && [ $(( 0x$m & 0x4000 )) -ne 0 ] && break; sleep 0.05; done; "
          "kill -0 $p && echo running && kill $p; wait $p",
          TavrinPath(), c},
         {}, 0, {"running\n"}, {}, 0, kModule | kAllSaid);
  // The timeout is a safety net, not a measure (status 124).
  expect("Qt without a screen asks",
         {"timeout", "60", TavrinPath(), dir.file("old.tavrin"), "/run"}, offscreen, 1,
         {"The Tavrin - Question:\n" + dir.file("old.tavrin") + "\n\n", gone}, {}, 0, kModule);
  EXPECT_EQ(testing::ReadFile(dir.file("old.tavrin")), old);  // answered No: not upgraded
  if (!skipped.empty()) {
    GTEST_SKIP() << "not tried here (no windows module): " << ::testing::PrintToString(skipped);
  }
}

// Every program started gets the signal dispositions, mask and descriptors the launcher was
// given (an ignored SIGCHLD must not fail a wait) and none of its own; one not waited for
// leads its own session, so that it outlives the launcher's terminal.
TEST_F(RunModeTest, StartedProgramsGetWhatTheLauncherWasGivenAndNothingOfItsOwn) {
  // The stand-in program is the default application of plain text.
  fs::create_directories(dir.file("data/applications"));
  fs::create_directories(dir.file("config"));
  WriteFile(dir.file("data/applications/tavrin-test-app.desktop"),
            "[Desktop Entry]\nType=Application\nName=Test App\nExec=" + RecorderPath() +
                " --process viewer\nMimeType=text/plain;\n");
  WriteFile(dir.file("config/mimeapps.list"),
            "[Default Applications]\ntext/plain=tavrin-test-app.desktop\n");
  env["XDG_DATA_DIRS"] = "/usr/share";
  WriteFile(dir.file("read me.txt"), "hello\n");
  WriteFile(dir.file("c.tavrin"),
            CollectionText({Item("Waited", RecorderPath(), "--process waited", 1, kTrue),
                            Item("Not", RecorderPath(), "--process not"),
                            Item("Doc", dir.file("read me.txt"))}));
  const auto result = Start({"env", "--ignore-signal=HUP", "--ignore-signal=CHLD",
                             "--block-signal=USR2", TavrinPath(), dir.file("c.tavrin"), "/run"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  // The standard signals (1 to 31) as /proc lists them; those above are the C library's.
  const auto bit = [](int signal) { return 1ull << (signal - 1); };
  const auto field = [&](const std::string& text, const std::string& key) {
    const auto at = text.find(key);
    return at == std::string::npos
               ? ~0ull
               : std::stoull(text.substr(at + key.size()), nullptr, 16) & (bit(32) - 1);
  };
  const std::string own = testing::ReadFile("/proc/self/status");
  const std::string given = std::to_string(field(own, "SigIgn:") | bit(SIGHUP) | bit(SIGCHLD)) +
                            " " + std::to_string(field(own, "SigBlk:") | bit(SIGUSR2));
  // The descriptors this process hands on: its own not closed on exec.
  std::vector<int> open;
  for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
    const int fd = std::stoi(entry.path().filename().string());
    if (const int flags = fcntl(fd, F_GETFD); flags >= 0 && !(flags & FD_CLOEXEC))
      open.push_back(fd);
  }
  std::sort(open.begin(), open.end());
  std::string fds = " fds=";
  for (const int fd : open) fds += (fds.back() == '=' ? "" : ",") + std::to_string(fd);
  std::vector<std::vector<std::string>> seen;
  for (const auto& run : testing::WaitForRecording(record, 3)) {
    ASSERT_GE(run.args.size(), 2u);
    const std::string& got = run.args[0];
    const std::string rest = run.args[1] == "viewer" ? "" : got.substr(got.find(" session="));
    seen.push_back({std::to_string(field(got, "ignored=")) + " " +
                        std::to_string(field(got, "blocked=")) + rest,
                    run.args[1]});
  }
  std::sort(seen.begin(), seen.end(), [](const auto& a, const auto& b) { return a[1] < b[1]; });
  EXPECT_EQ(seen,
            (std::vector<std::vector<std::string>>{{given + " session=own" + fds, "not"},
                                                   {given, "viewer"},
                                                   {given + " session=shared" + fds, "waited"}}));
}

// --autostart writes a valid desktop entry, without env, for any collection name and install
// folder, that runs the collection at login; --no-autostart takes it away again.
TEST_F(RunModeTest, AutostartEntriesRunTheCollectionAtLogin) {
  const std::string name = "My Games & $HOME \"x\" `c` \\d 100%.tavrin";
  WriteFile(dir.file(name), CollectionText({Item("Rec", RecorderPath(), "at-login")}));
  const std::string entry = dir.file("config/autostart/tavrin-My-Games-HOME-x-c-d-100.desktop");
  const std::string installed = dir.file("all % = \" ' $ \\ ; # x");
  fs::create_directories(installed);
  fs::copy_file(TavrinPath(), installed + "/tavrin");
  fs::copy_file(fs::path(TavrinPath()).parent_path() / "tavrin-gui.so",
                installed + "/tavrin-gui.so");
  const auto added =
      testing::RunProcess({installed + "/tavrin", "--autostart", name}, env, dir.str());
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
  const auto removed = testing::RunProcess({TavrinPath(), "--no-autostart", dir.file(name)}, env);
  EXPECT_EQ(removed.exitCode, 0) << removed.err;
  EXPECT_EQ(removed.out, entry + "\n");
  EXPECT_FALSE(fs::exists(entry));
}

// Whether the process runs: one that has ended and waits to be reaped does not.
bool Alive(pid_t pid) {
  const std::string stat = testing::ReadFile("/proc/" + std::to_string(pid) + "/stat");
  const auto close = stat.rfind(") ");
  return close != std::string::npos && stat[close + 2] != 'Z';
}

// The lines of `path` once it holds `lines` of them (a loaded machine may take seconds).
std::vector<std::string> LinesOnceThere(const std::string& path, std::size_t lines) {
  for (int i = 0; i < 6000; ++i) {
    const auto found = testing::Lines(testing::ReadFile(path));
    if (found.size() >= lines) return found;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return testing::Lines(testing::ReadFile(path));
}

// --stop ends each started program's process group, one that ignores SIGTERM only with
// --force, and never a process that merely got a recorded number later.
TEST_F(RunModeTest, StopEndsWhatRunsStartedButNeverAReusedNumber) {
  // A copy of its own, so that no other test's processes look like it.
  const std::string sleeper = dir.file("sleeper");
  std::filesystem::copy_file(testing::RecorderPath(), sleeper);
  const std::string children = dir.file("children");
  const std::string stubborn = dir.file("stubborn");
  const auto script = [&](const std::string& name, const std::string& body) {
    WriteFile(dir.file(name), "#!/bin/sh\n" + body + "\n");
    std::filesystem::permissions(dir.file(name), std::filesystem::perms::owner_all);
    return dir.file(name);
  };
  WriteFile(
      dir.file("c.tavrin"),
      CollectionText(
          {testing::With(Item("Sleeper", sleeper, "--sleep=300000"), {{"SkipIfRunning", "1"}}),
           Item("Helper", script("helper.sh", "sleep 300 & echo $! >> '" + children + "'\nwait")),
           testing::With(
               Item("Stubborn", script("stubborn.sh", "trap '' TERM\necho up >> '" + stubborn +
                                                          "'\nwhile :; do sleep 1; done")),
               {{"SkipIfRunning", "1"}})}));
  ASSERT_EQ(Start({TavrinPath(), dir.file("c.tavrin"), "/run"}).exitCode, 0);
  ASSERT_EQ(LinesOnceThere(children, 1).size(), 1u);
  ASSERT_EQ(LinesOnceThere(stubborn, 1).size(), 1u);
  // The second run finds the sleeper, and the script through its interpreter, running.
  const auto check = Start({TavrinPath(), "--check", dir.file("c.tavrin")});
  EXPECT_EQ(check.out, "1\tSleeper\trunning\n2\tHelper\tok\n3\tStubborn\trunning\n");
  EXPECT_EQ(check.exitCode, 0);
  ASSERT_EQ(Start({TavrinPath(), dir.file("c.tavrin"), "/run"}).exitCode, 0);
  const auto helpers = LinesOnceThere(children, 2);
  ASSERT_EQ(helpers.size(), 2u);
  EXPECT_EQ(testing::ReadRecording(record).size(), 1u);
  EXPECT_EQ(testing::ReadFile(stubborn), "up\n");

  // A process that now has a recorded number: the record says another start time.
  std::fflush(nullptr);
  const pid_t decoy = fork();
  if (decoy == 0) {
    execl("/bin/sleep", "sleep", "300", static_cast<char*>(nullptr));
    _exit(127);
  }
  std::string recordFile;
  for (const auto& entry : std::filesystem::directory_iterator(dir.file("runtime/tavrin"))) {
    recordFile = entry.path().string();
  }
  ASSERT_FALSE(recordFile.empty());
  std::ofstream(recordFile, std::ios::app) << decoy << " 1 9 Decoy\n";

  const auto stop = Start({TavrinPath(), "--stop", "--force", dir.file("c.tavrin")});
  EXPECT_EQ(stop.exitCode, 0) << stop.err;
  EXPECT_EQ(stop.err, "");
  std::vector<std::string> lines = testing::Lines(stop.out);
  std::sort(lines.begin(), lines.end());
  EXPECT_EQ(lines, (std::vector<std::string>{"1\tSleeper\tstopped", "2\tHelper\tstopped",
                                             "2\tHelper\tstopped", "3\tStubborn\tstopped",
                                             "9\tDecoy\thad ended"}));
  // The helpers' own children went with them; the decoy lives.
  for (const std::string& child : helpers) EXPECT_FALSE(Alive(std::stoi(child))) << child;
  EXPECT_TRUE(Alive(decoy));
  kill(decoy, SIGKILL);
  waitpid(decoy, nullptr, 0);

  // Nothing is left to stop.
  const auto again = Start({TavrinPath(), "--stop", dir.file("c.tavrin")});
  EXPECT_EQ(again.exitCode, 0);
  EXPECT_EQ(again.out, "");
  EXPECT_NE(again.err.find("no run of it has started a program that is known"), std::string::npos)
      << again.err;
}

// A run stopped by a signal while it waits records what it started before it ends with
// 128 and the signal's number, so that --stop finds it.
TEST_F(RunModeTest, ARunStoppedByASignalRecordsWhatItStarted) {
  const std::string sleeper = dir.file("sleeper");
  std::filesystem::copy_file(testing::RecorderPath(), sleeper);
  WriteFile(dir.file("c.tavrin"),
            CollectionText({Item("Server", sleeper, "--sleep=300000"),
                            testing::With(Item("Later", sleeper), {{"Delay", "60000"}})}));
  const std::string script = "'" + TavrinPath() + "' '" + dir.file("c.tavrin") +
                             "' /run & pid=$!\n"
                             "i=0; while [ ! -s '" +
                             record +
                             "' ] && [ $i -lt 1000 ]; do "
                             "sleep 0.01; i=$((i+1)); done\n"
                             "kill -TERM $pid; wait $pid; echo $?\n";
  const auto run = Start({"/bin/sh", "-c", script});
  const auto started = ReadRecording(record);
  ASSERT_EQ(started.size(), 1u);
  EXPECT_EQ(run.out, "143\n") << run.err;
  const auto stop = Start({TavrinPath(), "--stop", dir.file("c.tavrin")});
  EXPECT_EQ(stop.out, "1\tServer\tstopped\n") << stop.err;
  EXPECT_EQ(stop.exitCode, 0);
  EXPECT_FALSE(Alive(started[0].pid));
  kill(started[0].pid, SIGKILL);
}

// Where the records cannot be kept (the runtime folder's "tavrin" is no folder of the
// user's), the run says so once and --stop fails instead of finding nothing.
TEST_F(RunModeTest, RecordsThatCannotBeKeptAreSaidSo) {
  WriteFile(dir.file("runtime/tavrin"), "");
  const auto run = Run({Item("One", RecorderPath()), Item("Two", RecorderPath())});
  EXPECT_EQ(run.exitCode, 0);
  const auto lines = FailureLines(run);
  ASSERT_EQ(lines.size(), 1u) << run.err;
  EXPECT_NE(lines[0].find("What this run started is not recorded"), std::string::npos);
  const auto stop = Start({TavrinPath(), "--stop", dir.file("c.tavrin")});
  EXPECT_EQ(stop.exitCode, 1);
  EXPECT_EQ(stop.out, "");
  EXPECT_NE(stop.err.find("no folder that is this user's alone"), std::string::npos) << stop.err;
}

// Without XDG_RUNTIME_DIR the records live in /tmp/tavrin-UID. Whatever another user put
// at that name first, the user's runs keep nothing in it: each says so once and --stop
// fails. The user is nobody; the other user (root) prepares the name.
TEST_F(RunModeTest, ARecordsNameThatAnotherUserTookIsRefused) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as two users";
  const std::string taken = "/tmp/tavrin-" + std::to_string(testing::kUnprivilegedId);
  const std::string users = dir.file("users");
  const auto mode = [](const std::string& path, fs::perms perms) { fs::permissions(path, perms); };
  const struct {
    const char* name;
    std::function<void()> take;
  } shapes[] = {
      {"his private folder", [&] { fs::create_directory(taken); }},
      {"his folder open to all",
       [&] {
         fs::create_directory(taken);
         mode(taken, fs::perms::all | fs::perms::sticky_bit);
       }},
      {"a file", [&] { WriteFile(taken, ""); }},
      {"his link to a folder of the user's", [&] { fs::create_directory_symlink(users, taken); }},
  };
  fs::create_directory(users);
  ASSERT_EQ(::chown(users.c_str(), testing::kUnprivilegedId, testing::kUnprivilegedId), 0);
  mode(users, fs::perms::owner_all);
  mode(dir.str(), fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
  WriteFile(dir.file("c.tavrin"), CollectionText({Item("One", "/bin/true")}));
  env["XDG_RUNTIME_DIR"] = "";
  for (const auto& shape : shapes) {
    SCOPED_TRACE(shape.name);
    fs::remove_all(taken);
    shape.take();
    const int wrong = testing::RunUnprivileged([&] {
      const auto run = Start({TavrinPath(), dir.file("c.tavrin"), "/run"});
      const auto lines = FailureLines(run);
      const bool said = run.exitCode == 0 && lines.size() == 1 &&
                        lines[0].find("What this run started is not recorded") != std::string::npos;
      const auto stop = Start({TavrinPath(), "--stop", dir.file("c.tavrin")});
      return (said ? 0 : 1) | (stop.exitCode == 1 ? 0 : 2);
    });
    EXPECT_EQ(wrong, 0) << "1: the run did not say so once; 2: --stop did not fail";
    EXPECT_TRUE(fs::is_empty(users));
  }
  fs::remove_all(taken);
}

// Another user's link in a folder that everyone may write never turns the user's --stop
// onto a collection of the user's own: it is refused, and what the user's own run of
// that collection started keeps running until the user stops it by its own name. The user
// is nobody; the link is another user's (root, who is trusted, makes it theirs).
TEST_F(RunModeTest, AnotherUsersLinkNeverTurnsStopOntoTheUsersCollection) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as two users";
  const std::string users = dir.file("users");
  const std::string shared = dir.file("shared");
  const std::string runs = dir.file("runs");
  for (const std::string& folder : {users, runs}) {
    fs::create_directory(folder);
    ASSERT_EQ(::chown(folder.c_str(), testing::kUnprivilegedId, testing::kUnprivilegedId), 0);
    fs::permissions(folder, fs::perms::owner_all);
  }
  fs::create_directory(shared);
  fs::permissions(shared, fs::perms::all | fs::perms::sticky_bit);
  fs::permissions(dir.str(), fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
  const std::string work = users + "/Work.tavrin";
  env["XDG_RUNTIME_DIR"] = runs;
  const int wrong = testing::RunUnprivileged([&] {
    WriteFile(work, CollectionText({Item("Sleeper", "/bin/sleep", "300")}));
    return Start({TavrinPath(), work, "/run"}).exitCode == 0 ? 0 : 1;
  });
  ASSERT_EQ(wrong, 0) << "the user's run failed";
  const std::string link = shared + "/team.tavrin";
  fs::create_symlink(work, link);
  const uid_t other = testing::kUnprivilegedId - 1;
  ASSERT_EQ(::lchown(link.c_str(), other, other), 0);
  const int stopped = testing::RunUnprivileged([&] {
    const auto redirected = Start({TavrinPath(), "--stop", link});
    const auto own = Start({TavrinPath(), "--stop", work});
    return (redirected.exitCode != 0 && redirected.out.empty() ? 0 : 1) |
           (own.out == "1\tSleeper\tstopped\n" ? 0 : 2);
  });
  EXPECT_EQ(stopped, 0) << "1: the link was followed; 2: the user's own stop did not end it";
}

#endif

}  // namespace
}  // namespace tavrin

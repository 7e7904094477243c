// What a capture reads of a running process to start it again: arguments of any bytes
// given back exactly, and a clear note for a process that cannot be started again.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/posix/posix_shell.h"
#include "platform/posix/process_tree.h"
#include "run_process.h"
#include "temp_dir.h"

namespace tavrin {
namespace {

using posix::ProcessFacts;
using posix::QuoteParams;
using posix::ReadProcess;
using posix::SplitParams;

// A child that runs `program` with `args` (as `uid` when it is not -1), returned once it
// runs the program: the pipe closes on the exec.
pid_t StartChild(const std::string& program, const std::vector<std::string>& args,
                 uid_t uid = static_cast<uid_t>(-1)) {
  int ready[2];
  if (pipe2(ready, O_CLOEXEC) != 0) return -1;
  const pid_t pid = fork();
  if (pid == 0) {
    if (uid != static_cast<uid_t>(-1) &&
        (setgroups(0, nullptr) != 0 || setgid(uid) != 0 || setuid(uid) != 0)) {
      _exit(126);
    }
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(ready[1]);
  char byte = 0;
  while (read(ready[0], &byte, 1) > 0) {
  }
  close(ready[0]);
  return pid;
}

// A process read as a capture reads it: what starts it again, or why it cannot be.
TEST(ReadProcess, StartsAgainWhatCanAndNamesWhyNot) {
  testing::TempDir dir;
  const std::string recorder = testing::RecorderPath();
  // Arguments no shell would keep: empty ones (between NULs of the command line), blanks,
  // quotes, backslashes, a line feed, bytes that are no UTF-8.
  const std::vector<std::string> hostile = {
      "--sleep=60000", "",           "two  blanks",      "it's",  "say \"hi\"",
      "back\\slash\\", "line\nfeed", "\xff\xfe\x80 end", "'\\''", ""};
  const bool root = geteuid() == 0;

  struct Case {
    std::string name;
    pid_t pid;
    std::string problem;
    std::vector<std::string> args;
  };
  std::vector<Case> cases;
  cases.push_back({"hostile arguments", StartChild(recorder, hostile), "", hostile});
  const std::string copy = dir.file("copy of recorder");
  std::filesystem::copy_file(recorder, copy);
  cases.push_back({"program file deleted",
                   StartChild(copy, {"--sleep=60000"}),
                   "its program file was deleted",
                   {}});
  std::filesystem::remove(copy);
  const pid_t ended = StartChild(recorder, {});
  waitpid(ended, nullptr, 0);
  cases.push_back({"ended", ended, "it has ended", {}});
  if (root) {
    cases.push_back({"another user's",
                     StartChild(recorder, {"--sleep=60000"}, testing::kUnprivilegedId),
                     "it is another user's program",
                     {}});
  }

  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_GT(c.pid, 0);
    const ProcessFacts facts = ReadProcess(c.pid);
    EXPECT_EQ(facts.problem, c.problem);
    if (c.problem.empty()) {
      EXPECT_EQ(facts.program, recorder);
      EXPECT_EQ(facts.args, c.args);
      EXPECT_EQ(SplitParams(QuoteParams(facts.args)), c.args) << QuoteParams(facts.args);
      EXPECT_EQ(facts.workDir, std::filesystem::current_path().string());
    }
  }
  for (const Case& c : cases) {
    if (c.pid <= 0 || c.pid == ended) continue;
    kill(c.pid, SIGKILL);
    waitpid(c.pid, nullptr, 0);
  }
  if (!root) GTEST_SKIP() << "another user's process can only be started as root";
}

}  // namespace
}  // namespace tavrin

#include "process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

extern char** environ;

namespace tavrin::testing {
namespace {

std::string Slurp(int fd, const std::string& name) {
  std::string text;
  char buf[4096];
  lseek(fd, 0, SEEK_SET);
  for (ssize_t n; (n = read(fd, buf, sizeof buf)) > 0;) {
    text.append(buf, static_cast<std::size_t>(n));
  }
  close(fd);
  unlink(name.c_str());
  return text;
}

}  // namespace

StartedProcess StartProcess(const std::vector<std::string>& argv,
                            const std::map<std::string, std::string>& env, const std::string& cwd) {
  StartedProcess p;
  std::vector<std::string> envStrings;
  std::set<std::string> changed;
  for (const auto& [k, v] : env) {
    changed.insert(k);
    if (!v.empty()) envStrings.push_back(k + "=" + v);
  }
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    if (!changed.count(entry.substr(0, entry.find('=')))) envStrings.push_back(entry);
  }
  std::vector<char*> envp;
  for (auto& s : envStrings) envp.push_back(s.data());
  envp.push_back(nullptr);
  std::vector<std::string> args = argv;
  std::vector<char*> argp;
  for (auto& s : args) argp.push_back(s.data());
  argp.push_back(nullptr);

  // Output goes to files, not pipes: a program the tested one leaves running keeps
  // its copies open, and waiting must still end when the tested one ends.
  char outName[] = "/tmp/tavrin-out-XXXXXX";
  char errName[] = "/tmp/tavrin-err-XXXXXX";
  p.outFd = mkstemp(outName);
  p.errFd = mkstemp(errName);
  p.outName = outName;
  p.errName = errName;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, p.outFd, 1);
  posix_spawn_file_actions_adddup2(&actions, p.errFd, 2);
  if (!cwd.empty()) posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
  pid_t pid = 0;
  const int err = posix_spawn(&pid, argp[0], &actions, nullptr, argp.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (err != 0) {
    p.failure = std::strerror(err);
  } else {
    p.pid = pid;
  }
  return p;
}

bool StillRunning(const StartedProcess& process) {
  if (process.pid <= 0) return false;
  siginfo_t info{};
  return waitid(P_PID, static_cast<id_t>(process.pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
         info.si_pid == 0;
}

ProcessResult FinishProcess(StartedProcess& process) {
  ProcessResult result;
  if (process.pid > 0) {
    int status = 0;
    waitpid(process.pid, &status, 0);
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    process.pid = -1;
  }
  if (process.outFd >= 0) result.out = Slurp(process.outFd, process.outName);
  if (process.errFd >= 0) result.err = Slurp(process.errFd, process.errName);
  process.outFd = process.errFd = -1;
  if (!process.failure.empty()) result.err = process.failure;
  return result;
}

ProcessResult RunProcess(const std::vector<std::string>& argv,
                         const std::map<std::string, std::string>& env, const std::string& cwd) {
  StartedProcess p = StartProcess(argv, env, cwd);
  return FinishProcess(p);
}

std::string ThisProgramFolder() {
  char buf[4096];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return ".";
  const std::string path(buf, static_cast<std::size_t>(n));
  return path.substr(0, path.rfind('/'));
}

std::vector<Child> Children() {
  std::vector<Child> children;
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    std::ifstream in(entry.path() / "stat");
    std::string line;
    // "pid (name) state ppid ...": the name may hold blanks and parentheses.
    if (!std::getline(in, line) || line.rfind(')') == std::string::npos) continue;
    std::istringstream rest(line.substr(line.rfind(')') + 1));
    Child child{std::atoi(entry.path().filename().c_str())};
    int ppid = 0;
    if (rest >> child.state >> ppid && ppid == getpid()) children.push_back(child);
  }
  return children;
}

}  // namespace tavrin::testing

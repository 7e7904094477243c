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

std::string Slurp(int fd) {
  std::string text;
  char buf[4096];
  lseek(fd, 0, SEEK_SET);
  for (ssize_t n; (n = read(fd, buf, sizeof buf)) > 0;)
    text.append(buf, static_cast<std::size_t>(n));
  close(fd);
  return text;
}

int TempFile() {
  char name[] = "/tmp/tavrin-out-XXXXXX";
  const int fd = mkstemp(name);
  unlink(name);
  return fd;
}

}  // namespace

ProcessResult RunProcess(const std::vector<std::string>& argv,
                         const std::map<std::string, std::string>& env, const std::string& cwd) {
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
  std::vector<std::string> args = argv;
  std::vector<char*> envp;
  std::vector<char*> argp;
  for (auto& s : envStrings) envp.push_back(s.data());
  for (auto& s : args) argp.push_back(s.data());
  envp.push_back(nullptr);
  argp.push_back(nullptr);

  // Output goes to files, not pipes: a program the tested one leaves running keeps its
  // copies open, and waiting must still end when the tested one ends.
  const int out = TempFile();
  const int err = TempFile();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out, 1);
  posix_spawn_file_actions_adddup2(&actions, err, 2);
  if (!cwd.empty()) posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
  pid_t pid = 0;
  const int failed = posix_spawn(&pid, argp[0], &actions, nullptr, argp.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  ProcessResult result;
  int status = 0;
  if (failed == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
    result.exitCode = WEXITSTATUS(status);
  }
  result.out = Slurp(out);
  result.err = Slurp(err);
  if (failed != 0) result.err = std::strerror(failed);
  return result;
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

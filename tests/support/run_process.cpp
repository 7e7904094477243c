#include "run_process.h"

#include <grp.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "temp_dir.h"

namespace tavrin::testing {
namespace {

// `text` in single quotes, which the shell takes literally.
std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace

// The shell only sets the folder, the environment and output files (which a program left
// running may keep open), then gives way to the program, never through env (which takes
// a path holding '=' for a variable).
ProcessResult RunProcess(const std::vector<std::string>& argv,
                         const std::map<std::string, std::string>& env, const std::string& cwd) {
  char name[] = "/tmp/tavrin-out-XXXXXX";
  close(mkstemp(name));
  const std::string out = name;
  std::string command = cwd.empty() ? "" : "cd " + Quoted(cwd) + " || exit 127; ";
  for (const auto& [k, v] : env) {
    command += v.empty() ? "unset " + k + "; " : "export " + k + "=" + Quoted(v) + "; ";
  }
  command += "exec";
  for (const auto& arg : argv) command += " " + Quoted(arg);
  const int status = std::system((command + " </dev/null >" + out + " 2>" + out + ".err").c_str());
  ProcessResult result;
  if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  result.out = ReadFile(out);
  result.err = ReadFile(out + ".err");
  std::remove(out.c_str());
  std::remove((out + ".err").c_str());
  return result;
}

std::string RecorderPath() { return std::string(TAVRIN_TEST_HELPER_DIR) + "/tavrin_test_recorder"; }
std::string GioProbePath() {
  return std::string(TAVRIN_TEST_HELPER_DIR) + "/tavrin_test_gio_probe";
}
std::string TavrinPath() { return TAVRIN_BINARY_PATH; }
std::string SourcePath() { return TAVRIN_SOURCE_PATH; }

int RunUnprivileged(const std::function<int()>& body) {
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    if (geteuid() == 0) {
      const auto id = static_cast<uid_t>(kUnprivilegedId);
      if (setgroups(0, nullptr) != 0 || setgid(id) != 0 || setuid(id) != 0) _exit(255);
    }
    _exit(body() & 0xFF);
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int RunInChildWithin(const std::function<int()>& body, int limitSeconds) {
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) _exit(body() & 0xFF);
  int status = 0;
  for (int tenths = 0; tenths < limitSeconds * 10; ++tenths) {
    const pid_t ended = waitpid(pid, &status, WNOHANG);
    if (ended == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (ended < 0 && errno != EINTR) return -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  kill(pid, SIGKILL);
  waitpid(pid, &status, 0);
  return -1;
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

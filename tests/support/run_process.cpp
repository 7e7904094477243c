#include "run_process.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

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

// The shell only sets the scene (folder, environment, files for the output, which a
// program that the tested one leaves running may keep open) and gives way to the
// program itself (never through env, which would take a program path holding a '='
// for a variable).
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

namespace {

// The processes whose real user is `uid`.
int ProcessesOf(uid_t uid) {
  int n = 0;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator("/proc", ec)) {
    std::ifstream in(entry.path() / "status");
    std::string line;
    while (std::getline(in, line)) {
      if (line.rfind("Uid:", 0) != 0) continue;
      std::istringstream ids(line.substr(4));
      long real = -1;
      if (ids >> real && real == static_cast<long>(uid)) ++n;
      break;
    }
  }
  return n;
}

// Kills every process of `uid`, from a child that is that user (so that kill(-1) reaches
// exactly them), until none is left.
void KillAllOf(uid_t uid) {
  for (int round = 0; round < 100 && ProcessesOf(uid) > 0; ++round) {
    const pid_t killer = fork();
    if (killer == 0) {
      if (setgid(uid) != 0 || setuid(uid) != 0) _exit(1);
      for (int i = 0; i < 10; ++i) kill(-1, SIGKILL);
      _exit(0);
    }
    if (killer > 0) waitpid(killer, nullptr, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

}  // namespace

ContainedRun RunContained(const std::vector<std::string>& argv,
                          const std::map<std::string, std::string>& env, int maxProcesses,
                          int limitMs) {
  ContainedRun run;
  // A user id far from any real user's, and not in use.
  auto uid = static_cast<uid_t>(0x3e000000 + getpid() % 0x100000);
  while (ProcessesOf(uid) > 0) ++uid;
  TempDir dir;
  const std::string output = dir.file("output");
  std::vector<std::string> envText;
  for (const auto& [k, v] : env) envText.push_back(k + "=" + v);
  std::vector<char*> envp;
  for (auto& e : envText) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::vector<std::string> args = argv;
  std::vector<char*> argvp;
  for (auto& a : args) argvp.push_back(a.data());
  argvp.push_back(nullptr);
  const int out = open(output.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  if (out < 0 || fchown(out, uid, uid) != 0) return run;
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    const struct rlimit limit {
      static_cast<rlim_t>(maxProcesses), static_cast<rlim_t>(maxProcesses)
    };
    const int in = open("/dev/null", O_RDONLY);
    if (setsid() < 0 || setgroups(0, nullptr) != 0 || setgid(uid) != 0 ||
        setrlimit(RLIMIT_NPROC, &limit) != 0 || setuid(uid) != 0 || in < 0 || dup2(in, 0) < 0 ||
        dup2(out, 1) < 0 || dup2(out, 2) < 0) {
      _exit(127);
    }
    execve(argvp[0], argvp.data(), envp.data());
    _exit(127);
  }
  close(out);
  if (pid < 0) return run;
  waitpid(pid, nullptr, 0);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
  for (;;) {
    const int n = ProcessesOf(uid);
    run.mostProcesses = std::max(run.mostProcesses, n);
    if (n == 0) {
      run.endedByItself = true;
      break;
    }
    if (std::chrono::steady_clock::now() > deadline) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  KillAllOf(uid);
  run.output = ReadFile(output);
  return run;
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

// Every test ends every process it started, also when it failed before its own clean-up:
// the test program marks its environment, which everything it starts inherits (the
// launcher, the programs the launcher starts, their children), and after each test it
// ends every process that still carries its mark. The mark names the build folder too,
// so that the suite's last test (no_process_left.sh) finds what any test program left.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

// "NAME=<build folder>:<pid of the test program>", as it stands in the environment.
std::string Mark() {
  return std::string("TAVRIN_TEST_STARTED_BY=") + TAVRIN_TEST_BUILD_DIR + ":" +
         std::to_string(::getpid());
}

// The processes, other than this one, whose environment holds `entry`.
std::vector<pid_t> Marked(const std::string& entry) {
  std::vector<pid_t> found;
  std::error_code ec;
  for (const auto& proc : std::filesystem::directory_iterator("/proc", ec)) {
    const std::string name = proc.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    const pid_t pid = static_cast<pid_t>(std::stol(name));
    if (pid == ::getpid()) continue;
    std::ifstream in(proc.path() / "environ", std::ios::binary);
    std::string variable;
    while (std::getline(in, variable, '\0')) {
      if (variable == entry) {
        found.push_back(pid);
        break;
      }
    }
  }
  return found;
}

class ProcessGuard : public ::testing::EmptyTestEventListener {
 public:
  void OnTestEnd(const ::testing::TestInfo& test) override {
    const std::string mark = Mark();
    for (int round = 0; round < 50; ++round) {
      const auto left = Marked(mark);
      if (left.empty()) return;
      for (const pid_t pid : left) {
        std::fprintf(stderr, "process guard: %s.%s left process %d running; ending it\n",
                     test.test_suite_name(), test.name(), static_cast<int>(pid));
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);  // reaps it when it is a child of this program
      }
      ::usleep(10000);
    }
  }
};

// Marks the environment before any test starts anything, and listens for each test's end.
const bool kGuarded = [] {
  const std::string mark = Mark();
  const auto equals = mark.find('=');
  ::setenv(mark.substr(0, equals).c_str(), mark.substr(equals + 1).c_str(), 1);
  ::testing::UnitTest::GetInstance()->listeners().Append(new ProcessGuard);
  return true;
}();

}  // namespace

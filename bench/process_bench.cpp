// Times whole processes for `make bench`: a run of tavrin against the plain C loop
// (tavrin_spawn_loop) and a shell loop doing the same work, waited and not waited,
// and tavrin's start-up against the plain start of the one program it runs.
//
//   tavrin_process_bench --tavrin PATH --spawn-loop PATH [--baseline PATH] [--items N]
//                        [--rounds R]
//
// With --baseline, another build of tavrin (an earlier one, say) runs the same
// collections in the same rounds, and the ratio of the two is printed.
//
// The commands take turns, R rounds after one that warms the caches up; a ratio is
// the median over the rounds of the two times of one round, so that a machine that
// is busy for a while disturbs both sides alike. Children left running by a measured
// process are reaped by this driver, outside the measured time.
#include <fcntl.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
  std::string tavrin;
  std::string spawnLoop;
  std::string baseline;
  int items = 500;
  int rounds = 7;
};

[[noreturn]] void Usage(const char* self) {
  std::fprintf(stderr,
               "usage: %s --tavrin PATH --spawn-loop PATH [--baseline PATH] [--items N] "
               "[--rounds R]\n",
               self);
  std::exit(2);
}

Options Parse(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (i + 1 >= argc) Usage(argv[0]);
    const std::string v = argv[++i];
    if (a == "--tavrin") {
      o.tavrin = v;
    } else if (a == "--spawn-loop") {
      o.spawnLoop = v;
    } else if (a == "--baseline") {
      o.baseline = v;
    } else if (a == "--items") {
      o.items = std::atoi(v.c_str());
    } else if (a == "--rounds") {
      o.rounds = std::atoi(v.c_str());
    } else {
      Usage(argv[0]);
    }
  }
  if (o.tavrin.empty() || o.spawnLoop.empty() || o.items < 1 || o.rounds < 1) Usage(argv[0]);
  return o;
}

// The environment of the measured processes: no display, so that tavrin never
// starts a GUI, and a throw-away collection folder.
std::vector<std::string> Environment(const std::string& home) {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    const std::string name = entry.substr(0, entry.find('='));
    if (name == "DISPLAY" || name == "WAYLAND_DISPLAY" || name == "QT_QPA_PLATFORM" ||
        name == "TAVRIN_HOME") {
      continue;
    }
    env.push_back(entry);
  }
  env.push_back("TAVRIN_HOME=" + home);
  return env;
}

// Reaps every child that is left, the orphans of measured processes included.
void ReapAll() {
  while (waitpid(-1, nullptr, 0) > 0 || errno == EINTR) {
  }
}

// Runs argv to its end with its output thrown away; returns the seconds it took.
double TimeProcess(const std::vector<std::string>& argv, std::vector<std::string>& env) {
  std::vector<std::string> args = argv;
  std::vector<char*> argp;
  for (auto& s : args) argp.push_back(s.data());
  argp.push_back(nullptr);
  std::vector<char*> envp;
  for (auto& s : env) envp.push_back(s.data());
  envp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);

  const auto start = Clock::now();
  pid_t pid = 0;
  const int err = posix_spawn(&pid, argp[0], &actions, nullptr, argp.data(), envp.data());
  int status = 0;
  if (err == 0) {
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }
  const auto end = Clock::now();
  posix_spawn_file_actions_destroy(&actions);
  if (err != 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "failed: %s\n", argv[0].c_str());
    std::exit(1);
  }
  ReapAll();
  return std::chrono::duration<double>(end - start).count();
}

void WriteCollection(const std::string& path, int items, bool wait) {
  std::ofstream out(path, std::ios::binary);
  out << "\"Tavrin File 1.2\"\r\n" << items - 1 << "\r\n";
  for (int i = 0; i < items; ++i) {
    out << "\"True " << i << "\",\"/bin/true\",\"\",1," << (wait ? "#TRUE#" : "#FALSE#") << "\r\n";
  }
}

std::string ShellLoop(int items, bool wait) {
  return "i=0; while [ $i -lt " + std::to_string(items) + " ]; do /bin/true" +
         (wait ? "; " : " & ") + "i=$((i+1)); done";
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const Options o = Parse(argc, argv);
  // Orphans of the measured processes come to this driver, which reaps them.
  prctl(PR_SET_CHILD_SUBREAPER, 1);

  char pattern[] = "/tmp/tavrin-bench-XXXXXX";
  if (mkdtemp(pattern) == nullptr) return 1;
  const std::string dir = pattern;
  std::vector<std::string> env = Environment(dir);
  const int n = o.items;

  // Named commands of one round, in the order they take turns.
  std::vector<std::pair<std::string, std::vector<std::string>>> commands;
  for (const bool wait : {true, false}) {
    const std::string mode = wait ? " waited" : " not waited";
    const std::string file = dir + "/" + (wait ? "w" : "n") + ".tavrin";
    WriteCollection(file, n, wait);
    commands.push_back({"tavrin" + mode, {o.tavrin, file, "/run"}});
    if (!o.baseline.empty()) commands.push_back({"baseline" + mode, {o.baseline, file, "/run"}});
    commands.push_back(
        {"C loop" + mode, {o.spawnLoop, wait ? "wait" : "nowait", std::to_string(n), "/bin/true"}});
    commands.push_back({"shell" + mode, {"/bin/sh", "-c", ShellLoop(n, wait)}});
  }
  const std::string one = dir + "/one.tavrin";
  WriteCollection(one, 1, true);
  commands.push_back({"tavrin on one item", {o.tavrin, one, "/run"}});
  commands.push_back({"plain /bin/true", {"/bin/true"}});

  // Each round runs every command once, starting one further along each time; a
  // ratio is taken within a round, so that both sides of it saw the same machine.
  std::map<std::string, std::vector<double>> times;
  for (int round = 0; round <= o.rounds; ++round) {
    for (std::size_t k = 0; k < commands.size(); ++k) {
      const auto& [name, argvOf] =
          commands[(k + static_cast<std::size_t>(round)) % commands.size()];
      const double t = TimeProcess(argvOf, env);
      if (round > 0) times[name].push_back(t);  // round 0 warms the caches up
    }
  }
  std::filesystem::remove_all(dir);
  const auto ratios = [&](const std::string& a, const std::string& b) {
    std::vector<double> r;
    for (std::size_t i = 0; i < times[a].size(); ++i) r.push_back(times[a][i] / times[b][i]);
    return Median(r);
  };
  const auto ms = [](double s) { return s * 1000.0; };

  std::printf("Whole processes, %d items of /bin/true, medians of %d rounds\n\n", n, o.rounds);
  for (const bool wait : {true, false}) {
    const std::string mode = wait ? " waited" : " not waited";
    std::printf("%s:\n", mode.c_str() + 1);
    for (const char* who : {"tavrin", "C loop", "shell"}) {
      std::printf("  %-8s %7.1f ms for the run, %6.1f us per item\n", who,
                  ms(Median(times[who + mode])), Median(times[who + mode]) * 1e6 / n);
    }
    const double ratio = ratios("tavrin" + mode, "C loop" + mode);
    std::printf(
        "  run mode,%s items: tavrin / C loop = %.2fx, target 1.05x: %s; "
        "tavrin / shell = %.2fx\n\n",
        mode.c_str(), ratio, ratio <= 1.05 ? "met" : "MISSED",
        ratios("tavrin" + mode, "shell" + mode));
    if (!o.baseline.empty()) {
      std::printf("  against the baseline build: tavrin / baseline = %.2fx (%.1f us per item)\n\n",
                  ratios("tavrin" + mode, "baseline" + mode),
                  Median(times["baseline" + mode]) * 1e6 / n);
    }
  }
  std::vector<double> overheads;
  for (std::size_t i = 0; i < times["plain /bin/true"].size(); ++i) {
    overheads.push_back(times["tavrin on one item"][i] - times["plain /bin/true"][i]);
  }
  const double overhead = Median(overheads);
  std::printf("start-up:\n");
  std::printf("  tavrin on one item  %6.2f ms\n", ms(Median(times["tavrin on one item"])));
  std::printf("  plain /bin/true     %6.2f ms\n", ms(Median(times["plain /bin/true"])));
  std::printf("  overhead            %6.2f ms, target 10 ms: %s\n", ms(overhead),
              overhead < 0.010 ? "met" : "MISSED");
  return 0;
}

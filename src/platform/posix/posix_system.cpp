#include "platform/posix/posix_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <system_error>
#include <vector>

#include "platform/posix/child_reaper.h"
#include "platform/posix/display_probe.h"
#include "platform/posix/gio_library.h"
#include "platform/posix/posix_files.h"
#include "platform/posix/posix_shell.h"
#include "platform/posix/xdg_folders.h"

namespace tavrin::posix {
namespace {

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

std::string WithoutClosingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

}  // namespace

void SettleMimeFolders() {
  // GIO settles its MIME folders when a description is first asked for; if a type was
  // guessed before that, it reads the whole MIME database a second time and drops the
  // first copy without freeing it. Settled before the first guess, it is read once.
  static const bool kSettled = Gio() != nullptr && Gio()->contentTypeGetMimeDirs() != nullptr;
  (void)kSettled;
}

std::string PosixSystemInfo::CollectionFolder() {
  std::string folder = Env("TAVRIN_HOME");
  if (folder.empty()) folder = XdgFolders::FromEnvironment().dataHome + "/tavrin";
  folder = WithoutClosingSlash(folder);
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  return folder;
}

std::string PosixSystemInfo::ExecutablePath() {
  char buf[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return "";
  return std::string(buf, static_cast<std::size_t>(n));
}

std::vector<SystemInfo::ExampleItem> PosixSystemInfo::ExampleItems() {
  std::vector<ExampleItem> items;
  const std::string home = WithoutClosingSlash(Env("HOME"));
  if (!home.empty() && std::filesystem::is_directory(home)) items.push_back({"Home folder", home});
  // The desktop's own choice first (Debian's alternative), then the terminals of the
  // common desktops, then the one every X11 system has.
  for (const char* terminal :
       {"x-terminal-emulator", "gnome-terminal", "konsole", "xfce4-terminal", "mate-terminal",
        "lxterminal", "qterminal", "foot", "kitty", "alacritty", "xterm"}) {
    if (!FindOnPath(terminal).empty()) {
      items.push_back({"Terminal", terminal});
      break;
    }
  }
  // The README installed beside the program, or the one of the source tree it was built in.
  const std::string bin = std::filesystem::path(ExecutablePath()).parent_path().string();
  for (const char* readme : {"/../share/doc/tavrin/README.md", "/../README.md"}) {
    std::error_code ec;
    const std::filesystem::path path = std::filesystem::weakly_canonical(bin + readme, ec);
    if (!bin.empty() && !ec && std::filesystem::is_regular_file(path, ec)) {
      items.push_back({"Read me", path.string()});
      break;
    }
  }
  return items;
}

std::string PosixSystemInfo::WindowPlaceFile() {
  const std::string folder = XdgFolders::FromEnvironment().configHome + "/tavrin";
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  return folder + "/window-place";
}

std::string PosixSystemInfo::FileTypeDescription(const std::string& path) {
  const GioLibrary* gio = Gio();
  if (path.empty() || gio == nullptr) return "";
  SettleMimeFolders();
  const std::string type = ContentTypeOf(path);
  if (type.empty()) return "";
  gchar* description = gio->contentTypeGetDescription(type.c_str());
  std::string result = description ? description : "";
  g_free(description);
  return result;
}

}  // namespace tavrin::posix

namespace tavrin::posix {

std::string PosixSystemInfo::GetEnvironment(const std::string& name) { return Env(name.c_str()); }

void PosixSystemInfo::SetEnvironment(const std::string& name, const std::string& value) {
  if (value.empty()) {
    ::unsetenv(name.c_str());
  } else {
    ::setenv(name.c_str(), value.c_str(), 1);
  }
}

void PosixSystemInfo::Pause(long ms) {
  timespec wanted{ms / 1000, (ms % 1000) * 1000000L};
  nanosleep(&wanted, nullptr);
}

bool PosixSystemInfo::TcpAnswers(const std::string& host, int port, int timeoutMs) {
  return ConnectTcp(host, port, timeoutMs);
}

std::optional<bool> PosixSystemInfo::VisibleWindowTitled(const std::string& text) {
  return Windows().VisibleWindowTitled(text);
}

ProgramWindows& PosixSystemInfo::Windows() {
  if (!windows_) {
    const auto set = [](const char* name) {
      const char* value = std::getenv(name);
      return value != nullptr && *value != '\0';
    };
    if (set("SWAYSOCK")) {
      windows_ = std::make_unique<SwayProgramWindows>(std::getenv("SWAYSOCK"));
    } else if (set("DISPLAY")) {
      windows_ = std::make_unique<X11ProgramWindows>(set("WAYLAND_DISPLAY"));
    } else {
      windows_ = std::make_unique<ProgramWindows>();
    }
  }
  return *windows_;
}

}  // namespace tavrin::posix

namespace tavrin::posix {
namespace {

// The file a path names, links and "." and ".." resolved; empty when it names none.
std::string RealPath(const std::string& path) {
  char* real = ::realpath(path.c_str(), nullptr);
  std::string result = real != nullptr ? real : "";
  std::free(real);
  return result;
}

std::string ReadLink(const std::string& path) {
  char buffer[PATH_MAX];
  const ssize_t n = ::readlink(path.c_str(), buffer, sizeof buffer);
  return n > 0 && n < static_cast<ssize_t>(sizeof buffer)
             ? std::string(buffer, static_cast<std::size_t>(n))
             : "";
}

// A file of /proc whole (its size shows as 0, so the limit never refuses it); empty when
// it cannot be read.
std::string ReadProcFile(const std::string& path) {
  return ReadSmallFile(path, 1 << 20).value_or("");
}

// The interpreter a script's "#!" line names, as a real path ("/usr/bin/env NAME": NAME
// on PATH); empty for a file that is no script.
std::string ScriptInterpreter(const std::string& script) {
  // The system reads no more of a "#!" line than this either.
  constexpr std::size_t kInterpreterLine = 256;
  std::string line = ReadFileHead(script, kInterpreterLine).value_or("");
  line.resize(std::min(line.size(), line.find('\n')));
  if (line.rfind("#!", 0) != 0) return "";
  std::istringstream words(line.substr(2));
  std::string interpreter;
  std::string argument;
  words >> interpreter >> argument;
  if (interpreter.empty()) return "";
  if (interpreter.ends_with("/env") && !argument.empty()) interpreter = FindOnPath(argument);
  return interpreter.empty() ? "" : RealPath(interpreter);
}

// The process's arguments, as it was started with them.
std::vector<std::string> Arguments(const std::string& procFolder) {
  const std::string line = ReadProcFile(procFolder + "/cmdline");
  std::vector<std::string> args;
  for (std::size_t start = 0; start < line.size();) {
    std::size_t end = line.find('\0', start);
    if (end == std::string::npos) end = line.size();
    args.push_back(line.substr(start, end - start));
    start = end + 1;
  }
  return args;
}

// What /proc/PID/stat says of a process.
struct ProcessStat {
  char state = '?';   // 'Z': it has ended and waits to be reaped
  int64_t group = 0;  // its process group
  std::string start;  // its start time, in clock ticks after boot
};

// False when no process `pid` is.
bool ReadStat(int64_t pid, ProcessStat& stat) {
  const std::string text = ReadProcFile("/proc/" + std::to_string(pid) + "/stat");
  // The name in parentheses may hold anything; the fields follow its last parenthesis.
  const auto close = text.rfind(')');
  if (close == std::string::npos) return false;
  // After the name, fields apart by one blank: the state (field 3), the group (5) ...
  // the start time (22).
  std::size_t at = close + 2;
  for (int number = 3; number <= 22 && at < text.size(); ++number) {
    std::size_t end = text.find(' ', at);
    if (end == std::string::npos) end = text.size();
    if (number == 3) stat.state = text[at];
    if (number == 5) stat.group = std::strtoll(text.c_str() + at, nullptr, 10);
    if (number == 22) {
      stat.start = text.substr(at, end - at);
      return !stat.start.empty();
    }
    at = end + 1;
  }
  return false;
}

// Whether a process of the group `group` runs (one that has ended but is not reaped yet
// does not count) that started at or before `startedBy` (clock ticks after boot).
bool GroupRuns(int64_t group, unsigned long long startedBy) {
  // No process at all in the group, the common case, needs no look through /proc.
  if (::kill(-static_cast<pid_t>(group), 0) != 0) return false;
  DIR* proc = ::opendir("/proc");
  if (proc == nullptr) return false;
  bool found = false;
  while (const dirent* entry = ::readdir(proc)) {
    const char* name = entry->d_name;
    if (*name < '0' || *name > '9') continue;
    ProcessStat stat;
    found = ReadStat(std::strtoll(name, nullptr, 10), stat) && stat.group == group &&
            stat.state != 'Z' && std::strtoull(stat.start.c_str(), nullptr, 10) <= startedBy;
    if (found) break;
  }
  ::closedir(proc);
  return found;
}

// What tells this start of the system from every other: the kernel's boot identity.
std::string BootIdentity() {
  static const std::string kBoot = [] {
    std::string text = ReadProcFile("/proc/sys/kernel/random/boot_id");
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text.find_first_of(" :") == std::string::npos ? text : "";
  }();
  return kBoot;
}

// Now, in the clock ticks after boot that /proc gives start times in.
unsigned long long TicksAfterBoot() {
  timespec now{};
  ::clock_gettime(CLOCK_BOOTTIME, &now);
  const auto hz = static_cast<unsigned long long>(::sysconf(_SC_CLK_TCK));
  return static_cast<unsigned long long>(now.tv_sec) * hz +
         static_cast<unsigned long long>(now.tv_nsec) * hz / 1000000000ULL;
}

// A start mark: "START:SEEN:BOOT", the process's start time, the time it was last seen
// running as the same process (both in clock ticks after boot), and the boot.
struct Mark {
  std::string start;
  unsigned long long seen = 0;
  std::string boot;
};

bool ParseMark(const std::string& text, Mark& mark) {
  const auto first = text.find(':');
  const auto second = first == std::string::npos ? first : text.find(':', first + 1);
  if (second == std::string::npos) return false;
  mark.start = text.substr(0, first);
  const std::string seen = text.substr(first + 1, second - first - 1);
  mark.boot = text.substr(second + 1);
  if (mark.start.empty() || seen.empty() || mark.boot.empty() ||
      mark.start.find_first_not_of("0123456789") != std::string::npos ||
      seen.find_first_not_of("0123456789") != std::string::npos) {
    return false;
  }
  mark.seen = std::strtoull(seen.c_str(), nullptr, 10);
  return true;
}

// Only a number above 1 that a process can have names one process or one group: kill()
// takes 0 for the caller's own group and -1 for every process it may signal.
bool SignalableNumber(int64_t pid) { return pid > 1 && pid <= std::numeric_limits<pid_t>::max(); }

}  // namespace

bool PosixSystemInfo::ProgramRunning(const std::string& path) {
  const std::string program = RealPath(path);
  // Only a regular file is run by a process, and only one is read for its "#!" line (a
  // FIFO would not answer).
  struct stat file {};
  if (program.empty() || ::stat(program.c_str(), &file) != 0 || !S_ISREG(file.st_mode)) {
    return false;
  }
  const std::string interpreter = ScriptInterpreter(program);
  const uid_t user = ::getuid();
  const std::string self = std::to_string(::getpid());
  DIR* proc = ::opendir("/proc");
  if (proc == nullptr) return false;
  bool found = false;
  while (const dirent* entry = ::readdir(proc)) {
    const std::string name = entry->d_name;
    if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
    if (name == self) continue;
    const std::string folder = "/proc/" + name;
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0 || st.st_uid != user) continue;
    const std::string exe = ReadLink(folder + "/exe");
    if (exe.empty()) continue;
    if (interpreter.empty()) {
      found = exe == program;
    } else if (exe == interpreter) {
      // The interpreter is given the script as its first or second argument
      // ("sh script", "python3 -u script").
      const std::vector<std::string> args = Arguments(folder);
      for (std::size_t i = 1; i < args.size() && i <= 2 && !found; ++i) {
        found = !args[i].empty() && args[i][0] == '/' && RealPath(args[i]) == program;
      }
    }
    if (found) break;
  }
  ::closedir(proc);
  return found;
}

std::string PosixSystemInfo::ProcessStartMark(int64_t pid) {
  ProcessStat stat;
  const std::string boot = BootIdentity();
  if (!SignalableNumber(pid) || boot.empty() || !ReadStat(pid, stat) || stat.state == 'Z') {
    return "";
  }
  return stat.start + ":" + std::to_string(TicksAfterBoot()) + ":" + boot;
}

std::string PosixSystemInfo::ChildStartMark(int64_t pid, MarkTime when) {
  if (when != MarkTime::kAtRunEnd || pid <= 0) return "";
  // While SIGCHLD waits, no child is reaped: one that is still ours and runs keeps its
  // number while the mark is read.
  const ChildSignalBlock block;
  siginfo_t info{};
  if (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0 ||
      info.si_pid != 0) {
    return "";  // reaped, or ended and waiting to be
  }
  return ProcessStartMark(pid);
}

std::optional<SystemInfo::ChildEnd> PosixSystemInfo::ChildEnded(int64_t pid) {
  const std::optional<int> status = DetachedChildStatus(static_cast<pid_t>(pid));
  if (!status) return std::nullopt;
  ChildEnd end;
  end.signalled = WIFSIGNALED(*status);
  end.value = end.signalled ? WTERMSIG(*status) : WEXITSTATUS(*status);
  return end;
}

bool PosixSystemInfo::StartRuns(int64_t pid, const std::string& mark) {
  Mark marked;
  if (!SignalableNumber(pid) || !ParseMark(mark, marked) || marked.boot != BootIdentity()) {
    return false;
  }
  ProcessStat stat;
  if (ReadStat(pid, stat)) {
    if (stat.start != marked.start) return false;  // the number was given to another process
    if (stat.state != 'Z') return true;
    // The leader has ended but still holds its number: the group is the run's.
    return GroupRuns(pid, std::numeric_limits<unsigned long long>::max());
  }
  // The leader is gone. The kernel gives its number to no other process while a process
  // of its group lives, but once the whole group had ended, the number may have gone to
  // another process that leads a group of its own and ended in turn. A process of the
  // group that already ran when the leader was last seen running tells that the group
  // has lived on since; every process of a group that took the number later started
  // after that.
  return GroupRuns(pid, marked.seen);
}

void PosixSystemInfo::EndStart(int64_t pid, const std::string& mark, bool force) {
  if (!SignalableNumber(pid) || !StartRuns(pid, mark)) return;
  const int signal = force ? SIGKILL : SIGTERM;
  const auto process = static_cast<pid_t>(pid);
  ProcessStat stat;
  // A leader, or a group whose leader has ended: the whole group; otherwise the process.
  if (!ReadStat(pid, stat) || stat.state == 'Z' || stat.group == pid) {
    ::kill(-process, signal);
  } else {
    ::kill(process, signal);
  }
}

std::string PosixSystemInfo::RunRecordFolder() {
  const std::string runtime = Env("XDG_RUNTIME_DIR");
  std::string folder = !runtime.empty() && runtime[0] == '/'
                           ? WithoutClosingSlash(runtime) + "/tavrin"
                           : "/tmp/tavrin-" + std::to_string(::getuid());
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return "";
  // Only a folder of this user's that nobody else may enter keeps what runs started.
  struct stat st {};
  if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid() ||
      (st.st_mode & 077) != 0) {
    return "";
  }
  return folder;
}

namespace {

class FolderLock : public SystemInfo::RecordsLock {
 public:
  explicit FolderLock(int fd) : fd_(fd) {}
  ~FolderLock() override { ::close(fd_); }
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

 private:
  int fd_;
};

}  // namespace

std::unique_ptr<SystemInfo::RecordsLock> PosixSystemInfo::LockRunRecords(
    const std::string& folder) {
  // The folder itself carries the lock: nothing is left behind, and nobody else may open it.
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return nullptr;
  for (int tries = 0; tries < 100; ++tries) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return std::make_unique<FolderLock>(fd);
    if (errno != EWOULDBLOCK && errno != EINTR) break;
    Pause(50);
  }
  ::close(fd);
  return nullptr;
}

}  // namespace tavrin::posix

#include "platform/posix/posix_shell.h"

#include <fcntl.h>
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/posix/child_reaper.h"
#include "platform/posix/posix_paths.h"
#include "platform/posix/signals.h"

extern char** environ;

namespace tavrin::posix {
namespace {

// The runtime-style error numbers a waited start reports, and their texts.
constexpr int32_t kRuntimeNotAProgram = 54;
constexpr int32_t kShellOutOfMemory = 8;  // insufficient memory to run the program

bool IsDirectory(const std::string& path) {
  struct stat st {};
  return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string CurrentFolder() {
  char* cwd = getcwd(nullptr, 0);
  std::string result = cwd ? cwd : "";
  std::free(cwd);
  return result;
}

std::string Joined(const std::string& folder, const std::string& path) {
  if (folder.empty()) return path;
  return folder.back() == '/' ? folder + path : folder + "/" + path;
}

// A path made absolute, so that it still names the same file when the program starts
// in another folder: a relative one is taken from `baseFolder` (itself taken from the
// current folder when relative), or from the current folder when none is given.
std::string Resolved(const std::string& path, const std::string& baseFolder) {
  if (path.empty() || path[0] == '/') return path;
  const std::string base =
      baseFolder.empty() || baseFolder[0] != '/' ? Joined(CurrentFolder(), baseFolder) : baseFolder;
  return Joined(base, path);
}

bool IsFileScheme(const std::string& scheme) {
  return g_ascii_strcasecmp(scheme.c_str(), "file") == 0;
}

// argv for a start: the program, then its parameters.
std::vector<char*> MakeArgv(std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  return argv;
}

// Starts the program at the absolute path `program`; returns 0 and sets `pid`, or the
// errno of the failed start. The program gets the signal dispositions and mask the
// launcher was given (RestoreGivenSignals), `folder` as its working folder when that is
// a folder, and, when `detached`, a session of its own: it outlives the launcher and its
// terminal.
int Spawn(const std::string& program, const std::string& params, const std::string& folder,
          bool detached, pid_t& pid) {
  std::vector<std::string> args{program};
  for (auto& a : SplitParams(params)) args.push_back(std::move(a));
  auto argv = MakeArgv(args);
  const bool enterFolder = IsDirectory(folder);

  // The child tells why it could not start its program through this pipe, which its
  // program's start closes.
  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) return errno;
  // No handler of the launcher may run in the child: every signal waits until the child
  // has put back what it is to be given.
  sigset_t all, previous;
  ::sigfillset(&all);
  ::pthread_sigmask(SIG_SETMASK, &all, &previous);
  pid = ::fork();
  if (pid == 0) {
    int err = 0;
    if (detached) ::setsid();
    if (enterFolder && ::chdir(folder.c_str()) != 0) err = errno;
    if (err == 0) {
      RestoreGivenSignals();
      ::execve(program.c_str(), argv.data(), environ);
      err = errno;
    }
    [[maybe_unused]] const auto n = ::write(report[1], &err, sizeof err);
    ::_exit(127);
  }
  const int forkError = errno;
  ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  ::close(report[1]);
  if (pid < 0) {
    ::close(report[0]);
    return forkError;
  }
  int err = 0;
  ssize_t n;
  do {
    n = ::read(report[0], &err, sizeof err);
  } while (n < 0 && errno == EINTR);
  ::close(report[0]);
  if (n != static_cast<ssize_t>(sizeof err)) return 0;
  while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
  }
  return err;
}

int32_t ShellCodeForErrno(int err) {
  switch (err) {
    case ENOENT:
      return kShellFileNotFound;
    case ENOTDIR:
      return kShellPathNotFound;
    case EACCES:
    case EPERM:
      return kShellAccessDenied;
    case ENOMEM:
    case EAGAIN:
      return kShellOutOfMemory;
    default:
      return kShellInvalidProgram;
  }
}

int32_t RuntimeCodeForErrno(int err) {
  switch (err) {
    case ENOENT:
      return kRuntimeFileNotFound;
    case ENOTDIR:
      return kRuntimePathNotFound;
    case EACCES:
    case EPERM:
      return kRuntimePermissionDenied;
    case ENOMEM:
    case EAGAIN:
      return kRuntimeOutOfMemory;
    case ENOEXEC:
      return kRuntimeNotAProgram;
    default:
      return kRuntimePathFileAccess;
  }
}

// What stat says about a path that could not be used, as a shell code.
int32_t ShellCodeForMissing(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) == 0) return kShellAccessDenied;
  if (errno == EACCES) return kShellAccessDenied;
  if (errno == ENOTDIR) return kShellPathNotFound;
  return IsDirectory(ParentFolder(path)) ? kShellFileNotFound : kShellPathNotFound;
}

struct ObjectUnref {
  void operator()(gpointer object) const { g_object_unref(object); }
};
using AppRef = std::unique_ptr<GAppInfo, ObjectUnref>;

// What a start through the shell does, decided before anything is started.
struct ShellDecision {
  enum class Way { kNone, kProgram, kApplication };
  Way way = Way::kNone;
  int32_t code = kShellSuccess;  // below 32: why the start cannot happen
  std::string program;           // kProgram: its absolute path
  std::string folder;            // the working folder of what starts; empty: the launcher's
  std::string uri;               // kApplication: what the application is given
  AppRef app;                    // kApplication: the application
};

ShellDecision Refused(int32_t code) {
  ShellDecision decision;
  decision.code = code;
  return decision;
}

ShellDecision Program(std::string program, std::string folder) {
  ShellDecision decision;
  decision.way = ShellDecision::Way::kProgram;
  decision.program = std::move(program);
  decision.folder = std::move(folder);
  return decision;
}

ShellDecision Application(GAppInfo* app, std::string uri, std::string folder) {
  if (app == nullptr) return Refused(kShellNoAssociation);
  ShellDecision decision;
  decision.way = ShellDecision::Way::kApplication;
  decision.app.reset(app);
  decision.uri = std::move(uri);
  decision.folder = std::move(folder);
  return decision;
}

// An existing file or folder that is no program: its type's default application, in
// the file's folder.
ShellDecision DecideDocument(const std::string& path) {
  if (access(path.c_str(), R_OK) != 0) return Refused(kShellAccessDenied);
  GFile* file = g_file_new_for_path(path.c_str());
  GFileInfo* info = g_file_query_info(file, G_FILE_ATTRIBUTE_STANDARD_CONTENT_TYPE,
                                      G_FILE_QUERY_INFO_NONE, nullptr, nullptr);
  const char* type = info ? g_file_info_get_content_type(info) : nullptr;
  GAppInfo* app = type ? g_app_info_get_default_for_type(type, FALSE) : nullptr;
  char* uri = g_file_get_uri(file);
  ShellDecision decision =
      Application(app, uri ? uri : "", IsDirectory(path) ? path : ParentFolder(path));
  g_free(uri);
  if (info) g_object_unref(info);
  g_object_unref(file);
  return decision;
}

// A path: a program when it may be executed, otherwise a document.
ShellDecision DecidePath(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return Refused(ShellCodeForMissing(path));
  if (S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0) {
    return Program(path, ParentFolder(path));
  }
  return DecideDocument(path);
}

// An address goes whole to the application of its scheme. A file address of this
// machine opens the file it names as a document, never as a program.
ShellDecision DecideAddress(const std::string& address, const std::string& scheme) {
  if (IsFileScheme(scheme)) {
    char* local = g_filename_from_uri(address.c_str(), nullptr, nullptr);
    if (local != nullptr) {
      const std::string path = local;
      g_free(local);
      struct stat st {};
      if (stat(path.c_str(), &st) != 0) return Refused(ShellCodeForMissing(path));
      return DecideDocument(path);
    }
  }
  return Application(g_app_info_get_default_for_uri_scheme(scheme.c_str()), address, "");
}

ShellDecision DecideShellStart(const ShellRequest& request) {
  std::string target = request.fullPath;
  if (target.empty()) {
    target = request.folder.empty() ? request.file : request.folder + "/" + request.file;
  }
  if (target.empty()) return Refused(kShellFileNotFound);
  const std::string scheme = AddressScheme(target);
  if (!scheme.empty()) return DecideAddress(target, scheme);
  if (target.find('/') == std::string::npos) {
    // A bare name is a program on PATH, and nothing else.
    const std::string program = FindOnPath(target);
    if (program.empty()) return Refused(kShellFileNotFound);
    return Program(Resolved(program, ""), "");
  }
  return DecidePath(Resolved(target, request.baseFolder));
}

// Puts the child that the desktop starts into the document's folder, with the signals
// the launcher was given.
void EnterFolder(gpointer data) {
  const char* folder = static_cast<const char*>(data);
  if (folder && *folder && chdir(folder) != 0) {
    // Starting in the inherited folder is the fallback.
  }
  RestoreGivenSignals();
}

int32_t LaunchApp(GAppInfo* app, const std::string& uri, const std::string& folder) {
  GList uris{};
  uris.data = const_cast<char*>(uri.c_str());
  GError* error = nullptr;
  gboolean ok;
  if (G_IS_DESKTOP_APP_INFO(app)) {
    ok = g_desktop_app_info_launch_uris_as_manager(
        G_DESKTOP_APP_INFO(app), &uris, nullptr, G_SPAWN_SEARCH_PATH, &EnterFolder,
        const_cast<char*>(folder.c_str()), nullptr, nullptr, &error);
  } else {
    ok = g_app_info_launch_uris(app, &uris, nullptr, &error);
  }
  if (error) g_error_free(error);
  return ok ? kShellSuccess : kShellNoAssociation;
}

int32_t StartDetached(const std::string& program, const std::string& params,
                      const std::string& folder) {
  ChildSignalBlock block;
  pid_t pid = 0;
  const int err = Spawn(program, params, folder, /*detached=*/true, pid);
  if (err != 0) return ShellCodeForErrno(err);
  TrackDetachedChild(pid);
  return kShellSuccess;
}

// What a waited start does, decided before anything is started.
struct WaitedDecision {
  int32_t code = kWaitEnded;  // otherwise: why the program cannot start
  std::string program;        // its absolute path
  std::string folder;         // its working folder; empty: the launcher's
};

WaitedDecision DecideWaitedStart(const WaitedStart& start) {
  WaitedDecision decision;
  if (start.program.empty()) {
    decision.code = kRuntimeFileNotFound;
    return decision;
  }
  if (start.program.find('/') == std::string::npos) {
    // A bare name is a program on PATH, and nothing else.
    const std::string found = FindOnPath(start.program);
    if (found.empty()) {
      decision.code = kRuntimeFileNotFound;
      return decision;
    }
    decision.program = Resolved(found, "");
  } else {
    decision.program = Resolved(start.program, start.baseFolder);
    struct stat st {};
    if (stat(decision.program.c_str(), &st) != 0) {
      decision.code = RuntimeCodeForErrno(errno);
      return decision;
    }
    if (!S_ISREG(st.st_mode) || access(decision.program.c_str(), X_OK) != 0) {
      decision.code = kRuntimeNotAProgram;
      return decision;
    }
  }
  if (!start.folder.empty()) decision.folder = Resolved(start.folder, start.baseFolder);
  return decision;
}

// Waits until the program `pid` has ended, or until `stopRequested` answers true (a
// termination signal's handler asked for a stop): then the program is left running (and
// reaped once it ends) and kWaitStopped returned. The termination signals stay blocked
// but while the wait sleeps, so that a signal that comes at any moment ends the wait.
int32_t WaitFor(pid_t pid, const std::function<bool()>& stopRequested) {
  sigset_t termination, previous;
  ::sigemptyset(&termination);
  ::sigaddset(&termination, SIGTERM);
  ::sigaddset(&termination, SIGINT);
  ::pthread_sigmask(SIG_BLOCK, &termination, &previous);
  // A descriptor that becomes readable when the program ends; where the system has none,
  // the wait looks again at short intervals.
  const int ended = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
  int32_t result = kWaitFailed;
  for (;;) {
    const pid_t r = ::waitpid(pid, nullptr, WNOHANG);
    if (r == pid) {
      result = kWaitEnded;
      break;
    }
    if (r < 0 && errno != EINTR) break;
    if (stopRequested && stopRequested()) {
      ChildSignalBlock block;
      TrackDetachedChild(pid);
      result = kWaitStopped;
      break;
    }
    struct pollfd poll {};
    poll.fd = ended;
    poll.events = POLLIN;
    const struct timespec interval { 0, 50 * 1000 * 1000 };
    ::ppoll(ended >= 0 ? &poll : nullptr, ended >= 0 ? 1 : 0, ended >= 0 ? nullptr : &interval,
            &previous);
  }
  if (ended >= 0) ::close(ended);
  ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  return result;
}

}  // namespace

PosixShell::PosixShell() {
  // What the launcher was given is known before anything here changes it.
  RecordGivenSignals();
  RestoreDefaultChildSignal();
}

bool IsExecutableFile(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

std::string FindOnPath(const std::string& name) {
  if (name.empty() || name.find('/') != std::string::npos) return "";
  const char* pathVar = std::getenv("PATH");
  const std::string path = pathVar ? pathVar : "/usr/local/bin:/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find(':', start);
    if (end == std::string::npos) end = path.size();
    const std::string dir = end > start ? path.substr(start, end - start) : ".";
    const std::string candidate = dir + "/" + name;
    if (IsExecutableFile(candidate)) return candidate;
    start = end + 1;
  }
  return "";
}

int32_t PosixShell::ShellExecute(const ShellRequest& request) {
  const ShellDecision decision = DecideShellStart(request);
  switch (decision.way) {
    case ShellDecision::Way::kProgram:
      return StartDetached(decision.program, request.params, decision.folder);
    case ShellDecision::Way::kApplication:
      return LaunchApp(decision.app.get(), decision.uri, decision.folder);
    case ShellDecision::Way::kNone:
      break;
  }
  return decision.code;
}

int32_t PosixShell::CheckShellExecute(const ShellRequest& request) {
  return DecideShellStart(request).code;
}

int32_t PosixShell::ShellAndWait(const WaitedStart& start) {
  const WaitedDecision decision = DecideWaitedStart(start);
  if (decision.code != kWaitEnded) return decision.code;
  pid_t pid = 0;
  const int err = Spawn(decision.program, start.params, decision.folder, /*detached=*/false, pid);
  if (err != 0) return RuntimeCodeForErrno(err);
  return WaitFor(pid, start.stopRequested);
}

int32_t PosixShell::CheckShellAndWait(const WaitedStart& start) {
  return DecideWaitedStart(start).code;
}

std::string PosixShell::RuntimeErrorText(int32_t code) {
  switch (code) {
    case kWaitFailed:
      return "The program could not be waited for";
    case kWaitStopped:
      return "Waiting for the program was given up";
    case kRuntimeInvalidCall:
      return "Invalid procedure call or argument";
    case kRuntimeOutOfMemory:
      return "Out of memory";
    case kRuntimeBadFileName:
      return "Bad file name or number";
    case kRuntimeFileNotFound:
      return "File not found";
    case kRuntimeNotAProgram:
      return "This file is no program that can be started";
    case kRuntimePermissionDenied:
      return "Permission denied";
    case kRuntimePathFileAccess:
      return "Path/File access error";
    case kRuntimePathNotFound:
      return "Path not found";
    default:
      return "Error " + std::to_string(code);
  }
}

}  // namespace tavrin::posix

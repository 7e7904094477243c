#include "platform/posix/posix_shell.h"

#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/posix/child_reaper.h"
#include "platform/posix/gio_library.h"
#include "platform/posix/posix_paths.h"
#include "platform/posix/posix_system.h"
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
  argv.reserve(args.size() + 1);
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  return argv;
}

// What the child of a start needs before its program runs, and what it reports back.
// The child shares the launcher's memory until its program runs (see Spawn), so it
// reads this in place and writes `error` for the launcher to see.
struct ChildStart {
  const char* program;
  char* const* argv;
  char* const* envp;
  const char* folder;  // nullptr: the launcher's
  bool detached;
  int error;  // why the program could not start; 0 when it did
};

// The child's side of a start: only system calls, on the stack Spawn gave it. It runs
// with every signal blocked until RestoreGivenSignals has put back the dispositions the
// launcher was given, so that no handler of the launcher ever runs in it.
__attribute__((no_sanitize_address)) int StartChild(void* data) {
  auto* start = static_cast<ChildStart*>(data);
  if (start->detached) ::setsid();
  if (start->folder != nullptr && ::chdir(start->folder) != 0) {
    start->error = errno;
    ::_exit(127);
  }
  RestoreGivenSignals();
  ::execve(start->program, start->argv, start->envp);
  start->error = errno;
  ::_exit(127);
}

// The child's stack; it is only in use until the child's program runs.
constexpr std::size_t kChildStack = 64 * 1024;

// The launcher's environment with `extra` ("NAME=VALUE") set over it, later ones winning.
std::vector<std::string> EnvironmentWith(const std::vector<std::string>& extra) {
  std::vector<std::string> env;
  const auto nameOf = [](const std::string& entry) { return entry.substr(0, entry.find('=')); };
  for (char** entry = environ; *entry != nullptr; ++entry) env.emplace_back(*entry);
  for (const std::string& variable : extra) {
    const std::string name = nameOf(variable);
    std::erase_if(env, [&](const std::string& entry) { return nameOf(entry) == name; });
    env.push_back(variable);
  }
  return env;
}

// Starts the program at the absolute path `program`; returns 0 and sets `pid`, or the
// errno of the failed start. The program gets the signal dispositions and mask the
// launcher was given (RestoreGivenSignals), `folder` as its working folder when that is
// a folder, the launcher's environment with `env` set over it, and, when `detached`, a
// session of its own: it outlives the launcher and its terminal, and leads its own
// process group. It ends with SIGCHLD, as any child, and holds no descriptor of the start.
//
// One process start and nothing more: the child shares the launcher's memory instead of
// copying it and the launcher goes on once the child's program runs, or once the child
// has ended with the reason written into `ChildStart`. (posix_spawn does the same, but
// it cannot give a program a signal ignored that the launcher now handles.)
int Spawn(const std::string& program, const std::string& params, const std::string& folder,
          const std::vector<std::string>& env, bool detached, pid_t& pid) {
  std::vector<std::string> args{program};
  for (auto& a : SplitParams(params)) args.push_back(std::move(a));
  auto argv = MakeArgv(args);
  // Without variables of its own the program gets the launcher's environment as it is.
  std::vector<std::string> variables;
  std::vector<char*> envp;
  if (!env.empty()) {
    variables = EnvironmentWith(env);
    envp = MakeArgv(variables);
  }
  ChildStart start{program.c_str(),
                   argv.data(),
                   env.empty() ? environ : envp.data(),
                   IsDirectory(folder) ? folder.c_str() : nullptr,
                   detached,
                   0};

  void* stack = ::mmap(nullptr, kChildStack, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
  if (stack == MAP_FAILED) return errno;
  sigset_t all, previous;
  ::sigfillset(&all);
  ::pthread_sigmask(SIG_SETMASK, &all, &previous);
  pid = ::clone(&StartChild, static_cast<char*>(stack) + kChildStack,
                CLONE_VM | CLONE_VFORK | SIGCHLD, &start);
  const int cloneError = errno;
  ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  ::munmap(stack, kChildStack);
  if (pid < 0) return cloneError;
  if (start.error == 0) return 0;
  while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
  }
  return start.error;
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
  void operator()(gpointer object) const { Gio()->objectUnref(object); }
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
  const GioLibrary* gio = Gio();
  if (gio == nullptr) return Refused(kShellNoAssociation);
  const std::string type = ContentTypeOf(path);
  GAppInfo* app = type.empty() ? nullptr : gio->appInfoGetDefaultForType(type.c_str(), FALSE);
  GFile* file = gio->fileNewForPath(path.c_str());
  char* uri = gio->fileGetUri(file);
  ShellDecision decision =
      Application(app, uri ? uri : "", IsDirectory(path) ? path : ParentFolder(path));
  g_free(uri);
  gio->objectUnref(file);
  return decision;
}

// An existing path: a program when it may be executed, otherwise a document.
ResolvedFile ResolvePath(const std::string& path, bool mayBeProgram) {
  ResolvedFile resolved;
  resolved.path = path;
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return resolved;
  if (mayBeProgram && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0) {
    resolved.kind = ResolvedFile::Kind::kProgram;
    resolved.folder = ParentFolder(path);
  } else {
    resolved.kind = ResolvedFile::Kind::kDocument;
    resolved.folder = S_ISDIR(st.st_mode) ? path : ParentFolder(path);
  }
  return resolved;
}

// What a start through the shell does with what the File resolved to.
ShellDecision DecideResolved(const ResolvedFile& resolved) {
  SettleMimeFolders();  // before an address's handler or a document's type is looked up
  switch (resolved.kind) {
    case ResolvedFile::Kind::kAddress: {
      const std::string scheme = AddressScheme(resolved.path);
      const GioLibrary* gio = Gio();
      return Application(gio ? gio->appInfoGetDefaultForUriScheme(scheme.c_str()) : nullptr,
                         resolved.path, "");
    }
    case ResolvedFile::Kind::kProgram:
      return Program(resolved.path, resolved.folder);
    case ResolvedFile::Kind::kDocument:
      return DecideDocument(resolved.path);
    case ResolvedFile::Kind::kInvalidPath:
      return Refused(kShellPathNotFound);
    case ResolvedFile::Kind::kMissing:
      break;
  }
  // A bare name is a program on PATH, and nothing else.
  if (resolved.path.find('/') == std::string::npos) return Refused(kShellFileNotFound);
  return Refused(ShellCodeForMissing(resolved.path));
}

ShellDecision DecideShellStart(const ShellRequest& request, PosixShell& shell) {
  std::string target = request.fullPath;
  // An address is whole whatever folder comes with it (the About box's mail).
  if (target.empty() && !AddressScheme(request.file).empty()) target = request.file;
  if (target.empty()) {
    target = request.folder.empty() ? request.file : request.folder + "/" + request.file;
  }
  if (target.empty()) return Refused(kShellFileNotFound);
  return DecideResolved(shell.Resolve(target, request.baseFolder));
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

// Told by the desktop of each process it started for a document.
void OnHandlerStarted(GDesktopAppInfo*, GPid pid, gpointer data) {
  const auto& told = *static_cast<const std::function<void(int64_t)>*>(data);
  if (told && pid > 0) told(static_cast<int64_t>(pid));
}

int32_t LaunchApp(GAppInfo* app, const std::string& uri, const std::string& folder,
                  const std::vector<std::string>& env,
                  const std::function<void(int64_t)>& handlerStarted) {
  GList uris{};
  uris.data = const_cast<char*>(uri.c_str());
  GError* error = nullptr;
  // The application's program is looked up after the child has entered the document's
  // folder: it is searched in PATH's absolute folders only, which name the same folders
  // from anywhere, and what it starts inherits that PATH.
  const GioLibrary& gio = *Gio();  // it gave the application
  GAppLaunchContext* context = gio.appLaunchContextNew();
  std::string path;
  for (const std::string& entry : SearchFolders()) path += (path.empty() ? "" : ":") + entry;
  gio.appLaunchContextSetenv(context, "PATH", path.c_str());
  for (const std::string& variable : env) {
    const auto equals = variable.find('=');
    gio.appLaunchContextSetenv(context, variable.substr(0, equals).c_str(),
                               variable.substr(equals + 1).c_str());
  }
  gboolean ok;
  if (gio.IsDesktopAppInfo(app)) {
    ok = gio.desktopAppInfoLaunchUrisAsManager(
        reinterpret_cast<GDesktopAppInfo*>(app), &uris, context,
        static_cast<GSpawnFlags>(G_SPAWN_SEARCH_PATH | G_SPAWN_SEARCH_PATH_FROM_ENVP), &EnterFolder,
        const_cast<char*>(folder.c_str()), &OnHandlerStarted,
        const_cast<std::function<void(int64_t)>*>(&handlerStarted), &error);
  } else {
    ok = gio.appInfoLaunchUris(app, &uris, context, &error);
  }
  gio.objectUnref(context);
  if (error) g_error_free(error);
  return ok ? kShellSuccess : kShellNoAssociation;
}

int32_t StartDetached(const std::string& program, const ShellRequest& request,
                      const std::string& folder) {
  pid_t pid = 0;
  {
    ChildSignalBlock block;
    const int err = Spawn(program, request.params, folder, request.env, /*detached=*/true, pid);
    if (err != 0) return ShellCodeForErrno(err);
    TrackDetachedChild(pid);
  }
  if (request.started) request.started(pid);
  return kShellSuccess;
}

// What a waited start does, decided before anything is started.
struct WaitedDecision {
  int32_t code = kWaitEnded;  // otherwise: why the program cannot start
  std::string program;        // its absolute path
  std::string folder;         // its working folder; empty: the launcher's
};

WaitedDecision DecideWaitedStart(const WaitedStart& start, PosixShell& shell) {
  WaitedDecision decision;
  const ResolvedFile resolved = shell.Resolve(start.program, start.baseFolder);
  switch (resolved.kind) {
    case ResolvedFile::Kind::kProgram:
      decision.program = resolved.path;
      break;
    case ResolvedFile::Kind::kDocument:
      decision.code = kRuntimeNotAProgram;
      return decision;
    case ResolvedFile::Kind::kAddress:
      decision.code = kRuntimeFileNotFound;
      return decision;
    case ResolvedFile::Kind::kInvalidPath:
      decision.code = kRuntimePathNotFound;
      return decision;
    case ResolvedFile::Kind::kMissing: {
      struct stat st {};
      const bool bare = resolved.path.find('/') == std::string::npos;
      decision.code = bare || stat(resolved.path.c_str(), &st) == 0 ? kRuntimeFileNotFound
                                                                    : RuntimeCodeForErrno(errno);
      return decision;
    }
  }
  if (!start.workDir.empty()) {
    decision.folder = start.workDir;
  } else if (!start.folder.empty()) {
    decision.folder = Resolved(start.folder, start.baseFolder);
  }
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

std::vector<std::string> SearchFolders() {
  const char* pathVar = std::getenv("PATH");
  const std::string path = pathVar ? pathVar : "/usr/local/bin:/usr/bin:/bin";
  std::vector<std::string> folders;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find(':', start);
    if (end == std::string::npos) end = path.size();
    // An empty or relative entry names the current folder, or one below it.
    if (end > start && path[start] == '/') folders.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return folders;
}

std::string FindOnPath(const std::string& name) {
  if (name.empty() || name.find('/') != std::string::npos) return "";
  for (const std::string& folder : SearchFolders()) {
    std::string candidate = Joined(folder, name);
    if (IsExecutableFile(candidate)) return candidate;
  }
  return "";
}

ResolvedFile PosixShell::Resolve(const std::string& File, const std::string& baseFolder) {
  ResolvedFile resolved;
  resolved.path = File;
  if (File.empty()) return resolved;
  const std::string scheme = AddressScheme(File);
  if (!scheme.empty()) {
    // A file address of this machine names a file, a document and never a program.
    // One that names another machine (a host other than none or "localhost"), or no
    // file at all, is no path here: never taken for the local file of the same name.
    if (IsFileScheme(scheme)) {
      char* host = nullptr;
      char* local = g_filename_from_uri(File.c_str(), &host, nullptr);
      const bool here =
          host == nullptr || *host == '\0' || g_ascii_strcasecmp(host, "localhost") == 0;
      const std::string path = local != nullptr ? local : "";
      const bool parsed = local != nullptr;
      g_free(host);
      g_free(local);
      if (!parsed || !here) {
        resolved.kind = ResolvedFile::Kind::kInvalidPath;
        return resolved;
      }
      return ResolvePath(path, /*mayBeProgram=*/false);
    }
    resolved.kind = ResolvedFile::Kind::kAddress;
    return resolved;
  }
  if (File.find('/') == std::string::npos) {
    // A bare name is a program on PATH, and nothing else.
    const std::string program = FindOnPath(File);
    if (program.empty()) return resolved;
    resolved.kind = ResolvedFile::Kind::kProgram;
    resolved.path = Resolved(program, "");
    return resolved;
  }
  return ResolvePath(Resolved(File, baseFolder), /*mayBeProgram=*/true);
}

int32_t PosixShell::ShellExecute(const ShellRequest& request) {
  const ShellDecision decision = DecideShellStart(request, *this);
  const std::string& folder = request.workDir.empty() ? decision.folder : request.workDir;
  switch (decision.way) {
    case ShellDecision::Way::kProgram:
      return StartDetached(decision.program, request, folder);
    case ShellDecision::Way::kApplication:
      return LaunchApp(decision.app.get(), decision.uri, folder, request.env,
                       request.handlerStarted);
    case ShellDecision::Way::kNone:
      break;
  }
  return decision.code;
}

int32_t PosixShell::CheckShellExecute(const ShellRequest& request) {
  return DecideShellStart(request, *this).code;
}

int32_t PosixShell::ShellAndWait(const WaitedStart& start) {
  const WaitedDecision decision = DecideWaitedStart(start, *this);
  if (decision.code != kWaitEnded) return decision.code;
  pid_t pid = 0;
  const int err =
      Spawn(decision.program, start.params, decision.folder, start.env, /*detached=*/false, pid);
  if (err != 0) return RuntimeCodeForErrno(err);
  if (start.started) start.started(pid);
  return WaitFor(pid, start.stopRequested);
}

int32_t PosixShell::CheckShellAndWait(const WaitedStart& start) {
  return DecideWaitedStart(start, *this).code;
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

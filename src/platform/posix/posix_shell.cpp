#include "platform/posix/posix_shell.h"

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/posix/child_reaper.h"
#include "platform/posix/posix_paths.h"

extern char** environ;

namespace tavrin::posix {
namespace {

// The runtime-style error numbers a waited start reports, and their texts.
constexpr int32_t kRuntimeNotAProgram = 54;

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

// A path with a folder in it, made absolute against the launcher's current folder,
// so that it still names the same file when the child starts in another folder.
std::string Absolute(const std::string& path) {
  if (path.empty() || path[0] == '/') return path;
  return CurrentFolder() + "/" + path;
}

// "scheme:" at the start of a target that is no path ("mailto:x", "https://...").
std::string UriScheme(const std::string& target) {
  if (target.empty() || !g_ascii_isalpha(target[0])) return "";
  for (std::size_t i = 1; i < target.size(); ++i) {
    const char c = target[i];
    if (c == ':') return i >= 2 ? target.substr(0, i) : "";  // "C:" is a drive, no scheme
    if (!g_ascii_isalnum(c) && c != '+' && c != '-' && c != '.') return "";
  }
  return "";
}

// argv for a start: the program, then its parameters.
std::vector<char*> MakeArgv(std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  return argv;
}

// Starts a program; returns 0 and sets `pid`, or the errno of the failed start.
int Spawn(const std::string& program, const std::string& params, const std::string& folder,
          bool detached, pid_t& pid) {
  std::vector<std::string> args{program};
  for (auto& a : SplitParams(params)) args.push_back(std::move(a));
  auto argv = MakeArgv(args);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (IsDirectory(folder)) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());

  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  // The child starts with default signal handling and an open signal mask.
  sigset_t none, all;
  sigemptyset(&none);
  sigfillset(&all);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setsigdefault(&attr, &all);
  short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
  // A detached program gets a session of its own: it outlives the launcher and its
  // terminal.
  if (detached) flags |= POSIX_SPAWN_SETSID;
  posix_spawnattr_setflags(&attr, flags);

  const bool searchPath = program.find('/') == std::string::npos;
  const int err = searchPath
                      ? posix_spawnp(&pid, program.c_str(), &actions, &attr, argv.data(), environ)
                      : posix_spawn(&pid, program.c_str(), &actions, &attr, argv.data(), environ);
  posix_spawnattr_destroy(&attr);
  posix_spawn_file_actions_destroy(&actions);
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
      return 8;  // insufficient memory to run the program
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

// Puts the child that the desktop starts into the document's folder.
void EnterFolder(gpointer data) {
  const char* folder = static_cast<const char*>(data);
  if (folder && *folder && chdir(folder) != 0) {
    // Starting in the inherited folder is the fallback.
  }
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

// Opens an existing file or folder with the default application for its type.
int32_t OpenWithDefaultApp(const std::string& path) {
  GFile* file = g_file_new_for_path(path.c_str());
  GFileInfo* info = g_file_query_info(file, G_FILE_ATTRIBUTE_STANDARD_CONTENT_TYPE,
                                      G_FILE_QUERY_INFO_NONE, nullptr, nullptr);
  int32_t result = kShellNoAssociation;
  const char* type = info ? g_file_info_get_content_type(info) : nullptr;
  if (type) {
    GAppInfo* app = g_app_info_get_default_for_type(type, FALSE);
    if (app) {
      char* uri = g_file_get_uri(file);
      const std::string folder = IsDirectory(path) ? path : ParentFolder(path);
      result = LaunchApp(app, uri, folder);
      g_free(uri);
      g_object_unref(app);
    }
  }
  if (info) g_object_unref(info);
  g_object_unref(file);
  return result;
}

int32_t OpenUri(const std::string& uri, const std::string& scheme) {
  GAppInfo* app = g_app_info_get_default_for_uri_scheme(scheme.c_str());
  if (!app) return kShellNoAssociation;
  const int32_t result = LaunchApp(app, uri, "");
  g_object_unref(app);
  return result;
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

// What stat says about a path that could not be used, as a shell code.
int32_t ShellCodeForMissing(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) == 0) return kShellAccessDenied;
  if (errno == EACCES) return kShellAccessDenied;
  if (errno == ENOTDIR) return kShellPathNotFound;
  return IsDirectory(ParentFolder(path)) ? kShellFileNotFound : kShellPathNotFound;
}

}  // namespace

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
  std::string target = request.fullPath;
  if (target.empty()) {
    target = request.folder.empty() ? request.file : request.folder + "/" + request.file;
  }
  if (target.empty()) return kShellFileNotFound;

  if (target.find('/') == std::string::npos) {
    const std::string scheme = UriScheme(target);
    if (!scheme.empty()) return OpenUri(target, scheme);
    // A bare name: a file of that name in the current folder, else a program on PATH.
    if (access(target.c_str(), F_OK) != 0) {
      const std::string program = FindOnPath(target);
      if (program.empty()) return kShellFileNotFound;
      return StartDetached(program, request.params, "");
    }
  }

  const std::string path = Absolute(target);
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return ShellCodeForMissing(path);
  if (S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0) {
    return StartDetached(path, request.params, ParentFolder(path));
  }
  if (access(path.c_str(), R_OK) != 0) return kShellAccessDenied;
  return OpenWithDefaultApp(path);
}

int32_t PosixShell::ShellAndWait(const WaitedStart& start) {
  std::string program = start.program;
  if (program.empty()) return kRuntimeFileNotFound;
  if (program.find('/') != std::string::npos) {
    program = Absolute(program);
    struct stat st {};
    if (stat(program.c_str(), &st) == 0 &&
        (!S_ISREG(st.st_mode) || access(program.c_str(), X_OK) != 0)) {
      return kRuntimeNotAProgram;
    }
  }
  pid_t pid = 0;
  const int err = Spawn(program, start.params, start.folder, /*detached=*/false, pid);
  if (err != 0) return RuntimeCodeForErrno(err);
  int status = 0;
  for (;;) {
    const pid_t r = waitpid(pid, &status, 0);
    if (r == pid) return kWaitEnded;
    if (r < 0 && errno == EINTR) continue;
    return kWaitFailed;
  }
}

std::string PosixShell::RuntimeErrorText(int32_t code) {
  switch (code) {
    case kWaitFailed:
      return "The program could not be waited for";
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

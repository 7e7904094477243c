#include "platform/win32/win32_shell.h"

// Before windows.h, whose macros would rename the file system's DeleteFile.
#include "platform/win32/win32_files.h"

#include <objbase.h>
#include <shellapi.h>
#include <windows.h>
// The interface's ShellExecute, not the macro that names ShellExecuteA.
#undef ShellExecute

#include <algorithm>
#include <climits>
#include <utility>
#include <vector>

#include "platform/ascii.h"

namespace tavrin::win32 {
namespace {

// COM for the length of one shell call: the shell may hand the file to extensions
// that need it. Calls on a thread where COM is already up just nest.
class ComScope {
 public:
  ComScope()
      : ok_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {
  }
  ~ComScope() {
    if (ok_) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  bool ok_;
};

const char* OrNull(const std::string& text) { return text.empty() ? nullptr : text.c_str(); }

bool IsFolder(const std::string& path) {
  if (path.empty()) return false;
  const DWORD attrs = GetFileAttributesA(path.c_str());
  return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// True when the name ends in one of the extensions process creation starts.
bool HasProgramExtension(const std::string& path) {
  const auto dot = path.find_last_of('.');
  if (dot == std::string::npos || path.find_first_of("\\/", dot) != std::string::npos) {
    return false;
  }
  const std::string ext = LowerAscii(path.substr(dot + 1));
  return ext == "exe" || ext == "com" || ext == "bat" || ext == "cmd";
}

// An existing file that process creation starts by itself (no batch file: those need
// their interpreter).
bool IsProgramFile(const std::string& path) {
  const DWORD attrs = GetFileAttributesA(path.c_str());
  if (attrs == INVALID_FILE_ATTRIBUTES || (attrs & FILE_ATTRIBUTE_DIRECTORY) != 0) return false;
  const std::string ext = LowerAscii(path.substr(path.find_last_of('.') + 1));
  return HasProgramExtension(path) && (ext == "exe" || ext == "com");
}

// The first word of a waited start's command line as process creation takes it: the
// program's path, without the quotes the command line puts around it.
std::string Unquoted(const std::string& program) {
  if (program.size() >= 2 && program.front() == '"' && program.back() == '"') {
    return program.substr(1, program.size() - 2);
  }
  return program;
}

// Waits until `process` has ended without hanging the desktop: messages other threads
// and programs send to this thread's windows (a broadcast of an installer, a DDE
// conversation) are answered meanwhile, as a blocked thread could not; nothing posted,
// no input and no painting is taken from the queue, so the launcher's own windows stay
// as still as the wait requires. WAIT_OBJECT_0 once the process has ended.
DWORD WaitAnsweringSentMessages(HANDLE process) {
  for (;;) {
    const DWORD woken = MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_SENDMESSAGE);
    if (woken != WAIT_OBJECT_0 + 1) return woken;
    // Looking at the queue is what delivers the messages sent to it; the filter leaves
    // everything else where it is.
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

// The process's variables set to a start's `env` ("NAME=VALUE") for as long as it lives,
// so that what starts meanwhile (a program, or the application a document opens with)
// inherits them; afterwards each is as it was.
class VariablesAround {
 public:
  explicit VariablesAround(const std::vector<std::string>& env) {
    for (const std::string& variable : env) {
      const auto equals = variable.find('=');
      const std::string name = variable.substr(0, equals);
      if (std::none_of(before_.begin(), before_.end(),
                       [&](const Saved& saved) { return saved.name == name; })) {
        auto [set, value] = Value(name);
        before_.push_back(Saved{name, std::move(value), set});
      }
      SetEnvironmentVariableA(name.c_str(), variable.c_str() + equals + 1);
    }
  }
  ~VariablesAround() {
    for (const Saved& saved : before_) {
      SetEnvironmentVariableA(saved.name.c_str(), saved.set ? saved.value.c_str() : nullptr);
    }
  }
  VariablesAround(const VariablesAround&) = delete;
  VariablesAround& operator=(const VariablesAround&) = delete;

 private:
  struct Saved {
    std::string name;
    std::string value;
    bool set = false;
  };
  static std::pair<bool, std::string> Value(const std::string& name) {
    const DWORD needed = GetEnvironmentVariableA(name.c_str(), nullptr, 0);
    if (needed == 0) return {false, ""};
    std::string value(needed, '\0');
    const DWORD n = GetEnvironmentVariableA(name.c_str(), value.data(), needed);
    value.resize(n < needed ? n : 0);
    return {true, value};
  }
  std::vector<Saved> before_;
};

void TrimEnd(std::string& text) {
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) {
    text.pop_back();
  }
}

// The start's window style, and its first window's place where one is asked: the system
// gives it to the first window the program makes where it takes the default.
STARTUPINFOA StartupInfo(int show, const std::optional<WindowRect>& place) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(show);
  if (place) {
    startup.dwFlags |= STARTF_USEPOSITION | STARTF_USESIZE;
    // The system takes them as unsigned: a place left of or above the origin wraps.
    startup.dwX = static_cast<DWORD>(place->x);
    startup.dwY = static_cast<DWORD>(place->y);
    startup.dwXSize = static_cast<DWORD>(place->width);
    startup.dwYSize = static_cast<DWORD>(place->height);
  }
  return startup;
}

// Starts `program` with `params` in `folder` (none: the launcher's) in a console of its
// own, told where its first window goes; its process id, 0 when it could not start.
DWORD StartProcess(const std::string& program, const std::string& params, const std::string& folder,
                   int show, const std::optional<WindowRect>& place, HANDLE* process) {
  std::string commandLine = WaitedCommandLine(program, params);
  std::vector<char> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back('\0');
  STARTUPINFOA startup = StartupInfo(show, place);
  PROCESS_INFORMATION started{};
  // A console program (a batch file too) gets a console of its own, as the shell gives
  // one to the items that are not waited for: shared with the launcher's, its window
  // style could not apply.
  if (!CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, nullptr,
                      OrNull(folder), &startup, &started)) {
    return 0;
  }
  CloseHandle(started.hThread);
  *process = started.hProcess;
  return started.dwProcessId;
}

}  // namespace

std::string WaitedCommandLine(const std::string& program, const std::string& params) {
  const bool blank = program.find_first_of(" \t") != std::string::npos;
  const bool quoted = program.size() >= 2 && program.front() == '"' && program.back() == '"';
  const std::string head = blank && !quoted ? "\"" + program + "\"" : program;
  return head + " " + params;
}

int32_t Win32Shell::ShellExecute(const ShellRequest& request) {
  ComScope com;
  const VariablesAround variables(request.env);
  std::string file = request.file;
  std::string folder = request.folder;
  if (!request.workDir.empty()) {
    // The shell looks for the file in the folder it is given: in another working folder
    // the file is named whole.
    if (!folder.empty() && AddressScheme(file).empty()) file = FullPath(folder + "\\" + file);
    folder = request.workDir;
  }
  INT_PTR code = 0;
  // A program with a place for its window is started directly: the shell has no way to
  // hand the place on. One that cannot be (it asks for other rights, say) goes to the
  // shell as any other, and is placed once its window shows.
  if (request.place && request.started && AddressScheme(file).empty()) {
    const bool whole = file.size() > 1 && (file[1] == ':' || file[0] == '\\' || file[0] == '/');
    const std::string program = whole || folder.empty() ? file : folder + "\\" + file;
    HANDLE process = nullptr;
    const DWORD pid = IsProgramFile(program)
                          ? StartProcess(FullPath(program), request.params,
                                         IsFolder(folder) ? FullPath(folder) : "", request.show,
                                         request.place, &process)
                          : 0;
    if (pid != 0) {
      CloseHandle(process);
      request.started(static_cast<int64_t>(pid));
      return kShellSuccess;
    }
  }
  // A program: the shell says which process it started. A document: which application
  // it opened it with (when it started one), whose window is then the item's.
  const std::function<void(int64_t)>* told = nullptr;
  if (request.started && HasProgramExtension(file)) {
    told = &request.started;
  } else if (request.handlerStarted && AddressScheme(file).empty()) {
    told = &request.handlerStarted;
  }
  if (told != nullptr) {
    // As with ShellExecuteA, a failure is only returned, never shown by the shell itself.
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.hwnd = GetActiveWindow();
    info.lpVerb = OrNull(request.verb);
    info.lpFile = file.c_str();
    info.lpParameters = OrNull(request.params);
    info.lpDirectory = OrNull(folder);
    info.nShow = request.show;
    ShellExecuteExA(&info);
    code = reinterpret_cast<INT_PTR>(info.hInstApp);
    if (info.hProcess != nullptr) {
      if (code > 32) (*told)(static_cast<int64_t>(GetProcessId(info.hProcess)));
      CloseHandle(info.hProcess);
    }
  } else {
    const HINSTANCE result = ShellExecuteA(GetActiveWindow(), OrNull(request.verb), file.c_str(),
                                           OrNull(request.params), OrNull(folder), request.show);
    code = reinterpret_cast<INT_PTR>(result);
  }
  // Not a real instance handle: a number, 33 or more on success.
  if (code > INT32_MAX) return kShellSuccess;
  return static_cast<int32_t>(code);
}

int32_t Win32Shell::ShellAndWait(const WaitedStart& start) {
  if (start.program.empty()) return ERROR_FILE_NOT_FOUND;
  // The program starts in its own folder (or the one its item names); the launcher's
  // current folder and drive stay as they are.
  const std::string& wanted = start.workDir.empty() ? start.folder : start.workDir;
  const std::string folder = IsFolder(wanted) ? FullPath(wanted) : std::string();
  const VariablesAround variables(start.env);

  HANDLE process = nullptr;
  const DWORD pid =
      StartProcess(start.program, start.params, folder, start.show, start.place, &process);
  if (pid == 0) {
    const DWORD error = GetLastError();
    return error != 0 ? static_cast<int32_t>(error) : static_cast<int32_t>(ERROR_GEN_FAILURE);
  }
  if (start.started) start.started(static_cast<int64_t>(pid));
  // The handle from the start stays valid however quickly the program ends.
  const DWORD waited = WaitAnsweringSentMessages(process);
  if (waited != WAIT_OBJECT_0) TerminateProcess(process, 0);
  CloseHandle(process);
  return waited == WAIT_OBJECT_0 ? kWaitEnded : kWaitFailed;
}

int32_t Win32Shell::CheckShellExecute(const ShellRequest& request) {
  if (!AddressScheme(request.file).empty()) return kShellSuccess;
  if (request.file.empty()) return kShellFileNotFound;
  const std::string path =
      request.folder.empty() ? request.file : request.folder + "\\" + request.file;
  if (IsFolder(path)) return kShellSuccess;
  // The program that would open the file: the file itself for a program; found where
  // the shell looks, in the given folder first.
  char program[MAX_PATH] = {};
  const HINSTANCE found = FindExecutableA(request.file.c_str(), OrNull(request.folder), program);
  const auto code = reinterpret_cast<INT_PTR>(found);
  if (code > 32) return kShellSuccess;
  return static_cast<int32_t>(code);
}

ResolvedFile Win32Shell::Resolve(const std::string& File, const std::string& baseFolder) {
  if (File.empty() || File.find_first_of("\\/:") != std::string::npos) {
    return Shell::Resolve(File, baseFolder);
  }
  char path[MAX_PATH] = {};
  const DWORD n = SearchPathA(nullptr, File.c_str(), ".exe", MAX_PATH, path, nullptr);
  if (n == 0 || n >= MAX_PATH || IsFolder(path) || !HasProgramExtension(path)) {
    return Shell::Resolve(File, baseFolder);
  }
  return {ResolvedFile::Kind::kProgram, path, ""};
}

int32_t Win32Shell::CheckShellAndWait(const WaitedStart& start) {
  std::string program = Unquoted(start.program);
  if (program.empty()) return ERROR_FILE_NOT_FOUND;
  // Process creation adds ".exe" to a name without an extension, and looks for that alone.
  const auto name = program.find_last_of("\\/");
  if (program.find('.', name == std::string::npos ? 0 : name) == std::string::npos) {
    program += ".exe";
  }
  char path[MAX_PATH] = {};
  const DWORD n = SearchPathA(nullptr, program.c_str(), nullptr, MAX_PATH, path, nullptr);
  if (n == 0 || n >= MAX_PATH) {
    const DWORD error = GetLastError();
    return error == ERROR_PATH_NOT_FOUND ? static_cast<int32_t>(ERROR_PATH_NOT_FOUND)
                                         : static_cast<int32_t>(ERROR_FILE_NOT_FOUND);
  }
  if (IsFolder(path)) return ERROR_ACCESS_DENIED;
  if (!HasProgramExtension(path)) return ERROR_BAD_EXE_FORMAT;
  return kWaitEnded;
}

std::string Win32Shell::RuntimeErrorText(int32_t code) {
  if (code == kWaitFailed) return "The program could not be waited for";
  char buffer[1024];
  const DWORD n =
      FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                     static_cast<DWORD>(code), 0, buffer, sizeof buffer, nullptr);
  std::string text(buffer, n > 0 && n < sizeof buffer ? n : 0);
  TrimEnd(text);
  if (text.empty()) return "Error " + std::to_string(code);
  // Texts such as "%1 is not a valid Win32 application." name the file through an
  // insert; the box already names it above.
  for (auto at = text.find("%1"); at != std::string::npos; at = text.find("%1", at)) {
    text.replace(at, 2, "the program");
  }
  if (text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 'a' + 'A');
  return text;
}

}  // namespace tavrin::win32

#include "platform/win32/win32_program_windows.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace tavrin::win32 {
namespace {

// How far a window may lie from its place and still stand there.
constexpr int kPlaceSlack = 2;

// A visible window without owner of another process than this one: a program's
// top-level window as the user sees it.
bool IsProgramWindow(HWND window, DWORD& process) {
  process = 0;
  GetWindowThreadProcessId(window, &process);
  return IsWindowVisible(window) && GetWindow(window, GW_OWNER) == nullptr &&
         process != GetCurrentProcessId();
}

struct TitleSearch {
  const std::string* text;
  bool found;
};

BOOL CALLBACK LookForTitle(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<TitleSearch*>(param);
  DWORD process = 0;
  if (!IsProgramWindow(window, process)) return TRUE;
  char title[1024];
  const int length = GetWindowTextA(window, title, sizeof title);
  if (length > 0 && std::string(title, static_cast<std::size_t>(length)).find(*search->text) !=
                        std::string::npos) {
    search->found = true;
    return FALSE;
  }
  return TRUE;
}

struct ProcessSearch {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK LookForProcess(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<ProcessSearch*>(param);
  DWORD process = 0;
  if (!IsProgramWindow(window, process) || process != search->pid) return TRUE;
  search->found = window;
  return FALSE;
}

HWND Handle(WindowHandle window) { return reinterpret_cast<HWND>(static_cast<uintptr_t>(window)); }

// How far the work area of the window's monitor lies from the monitor's corner: a
// program window's restored rectangle is kept from the work area's corner (the task
// bar left or above moves it), a place from the screen's.
POINT WorkAreaOffset(HWND window) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info)) return {0, 0};
  return {info.rcWork.left - info.rcMonitor.left, info.rcWork.top - info.rcMonitor.top};
}

// ---- The open windows, as a capture takes them ----

// The shell's own top-level windows: the task bars and the desktop's background.
bool IsShellWindow(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  for (const wchar_t* shell :
       {L"Shell_TrayWnd", L"Shell_SecondaryTrayWnd", L"Progman", L"WorkerW"}) {
    if (std::wcscmp(name, shell) == 0) return true;
  }
  return false;
}

// Whether the system keeps the window out of sight (a window of another virtual desktop,
// an app's window not yet shown): asked where the system can tell.
bool IsCloaked(HWND window) {
  using Ask = HRESULT(WINAPI*)(HWND, DWORD, PVOID, DWORD);
  static const Ask ask = [] {
    const HMODULE dwm = LoadLibraryExW(L"dwmapi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return dwm == nullptr ? nullptr
                          : reinterpret_cast<Ask>(reinterpret_cast<void*>(
                                GetProcAddress(dwm, "DwmGetWindowAttribute")));
  }();
  constexpr DWORD kCloaked = 14;
  DWORD cloaked = 0;
  return ask != nullptr && SUCCEEDED(ask(window, kCloaked, &cloaked, sizeof cloaked)) &&
         cloaked != 0;
}

// A program's main window as the task bar shows it.
bool IsMainWindow(HWND window, DWORD& process) {
  return IsProgramWindow(window, process) &&
         (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) == 0 &&
         !IsShellWindow(window) && !IsCloaked(window);
}

BOOL CALLBACK Collect(HWND window, LPARAM param) {
  reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
  return TRUE;
}

// `text` in this system's code page, the text programs read and the launcher hands on;
// nothing when a character has no form there (a look-alike would be another text). A
// name may take the code page's stand-in character instead (`exact` false).
std::optional<std::string> Narrow(std::wstring_view text, bool exact = true) {
  if (text.empty()) return std::string();
  const UINT page = GetACP();
  const bool utf8 = page == CP_UTF8;
  const DWORD flags = !exact ? 0 : utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  BOOL changed = FALSE;
  BOOL* const ask = exact && !utf8 ? &changed : nullptr;
  const int wide = static_cast<int>(text.size());
  const int size = WideCharToMultiByte(page, flags, text.data(), wide, nullptr, 0, nullptr, ask);
  if (size <= 0 || changed) return std::nullopt;
  std::string out(static_cast<std::size_t>(size), '\0');
  if (WideCharToMultiByte(page, flags, text.data(), wide, out.data(), size, nullptr, ask) != size ||
      changed) {
    return std::nullopt;
  }
  return out;
}

std::wstring ImagePath(HANDLE process) {
  std::wstring path(32768, L'\0');
  DWORD size = static_cast<DWORD>(path.size());
  if (!QueryFullProcessImageNameW(process, 0, path.data(), &size)) return L"";
  path.resize(size);
  return path;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
  return !a.empty() && CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                            static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// The user a process runs as; empty when its token cannot be read.
std::vector<BYTE> UserOf(HANDLE process) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(process, TOKEN_QUERY, &token)) return {};
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<BYTE> user(size);
  if (size == 0 || !GetTokenInformation(token, TokenUser, user.data(), size, &size) ||
      !IsValidSid(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid)) {
    user.clear();
  }
  CloseHandle(token);
  return user;
}

bool SameUser(const std::vector<BYTE>& a, const std::vector<BYTE>& b) {
  return !a.empty() && !b.empty() &&
         EqualSid(reinterpret_cast<const TOKEN_USER*>(a.data())->User.Sid,
                  reinterpret_cast<const TOKEN_USER*>(b.data())->User.Sid);
}

// Where a process keeps what it was started with: its block of process parameters (found
// from the process's environment block) and, in it, its working folder and its command
// line, as counted strings; the offsets are those of a 64-bit or of a 32-bit process.
struct Layout {
  std::size_t pointer;              // the width of a pointer
  std::size_t parameters;           // of the parameters' address in the environment block
  std::size_t folder, commandLine;  // of the strings in the parameters
};
constexpr Layout k64Bit{8, 0x20, 0x38, 0x70};
constexpr Layout k32Bit{4, 0x10, 0x24, 0x40};

// A process's memory, read from afar.
class Memory {
 public:
  Memory(HANDLE process, const Layout& layout) : process_(process), layout_(layout) {}

  std::optional<uint64_t> Pointer(uint64_t at) const {
    uint64_t value = 0;  // the low bytes first: the same on every Windows processor
    if (!Read(at, &value, layout_.pointer)) return std::nullopt;
    return value;
  }

  // A counted string (its length in bytes, then, a pointer further, its characters).
  std::optional<std::wstring> String(uint64_t at) const {
    uint16_t bytes = 0;
    const std::optional<uint64_t> buffer = Pointer(at + layout_.pointer);
    if (!buffer || !Read(at, &bytes, sizeof bytes)) return std::nullopt;
    std::wstring text(bytes / sizeof(wchar_t), L'\0');
    if (!text.empty() && !Read(*buffer, text.data(), text.size() * sizeof(wchar_t))) {
      return std::nullopt;
    }
    return text;
  }

 private:
  bool Read(uint64_t at, void* out, std::size_t size) const {
    SIZE_T got = 0;
    return at != 0 &&
           ReadProcessMemory(process_, reinterpret_cast<LPCVOID>(static_cast<uintptr_t>(at)), out,
                             size, &got) &&
           got == size;
  }
  HANDLE process_;
  Layout layout_;
};

// The address of a process's environment block and how it is laid out; nothing where it
// cannot be read from here (a 64-bit process seen from a 32-bit launcher).
std::optional<std::pair<uint64_t, Layout>> EnvironmentBlock(HANDLE process) {
  using Query = LONG(NTAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
  static const Query query = [] {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll == nullptr ? nullptr
                            : reinterpret_cast<Query>(reinterpret_cast<void*>(
                                  GetProcAddress(ntdll, "NtQueryInformationProcess")));
  }();
  if (query == nullptr) return std::nullopt;
  constexpr ULONG kBasicInformation = 0, kWow64Information = 26;
  struct {
    LONG exitStatus;
    PVOID environmentBlock;
    ULONG_PTR affinity;
    LONG priority;
    ULONG_PTR pid, parent;
  } basic{};
#ifdef _WIN64
  // A 32-bit process keeps its own block beside the 64-bit one; its working folder is
  // the one it keeps there.
  ULONG_PTR block32 = 0;
  if (query(process, kWow64Information, &block32, sizeof block32, nullptr) >= 0 && block32 != 0) {
    return std::pair{static_cast<uint64_t>(block32), k32Bit};
  }
  constexpr Layout kOwn = k64Bit;
#else
  BOOL selfWow = FALSE, otherWow = FALSE;
  if (IsWow64Process(GetCurrentProcess(), &selfWow) && selfWow &&
      IsWow64Process(process, &otherWow) && !otherWow) {
    return std::nullopt;
  }
  constexpr Layout kOwn = k32Bit;
#endif
  if (query(process, kBasicInformation, &basic, sizeof basic, nullptr) < 0) return std::nullopt;
  return std::pair{static_cast<uint64_t>(reinterpret_cast<uintptr_t>(basic.environmentBlock)),
                   kOwn};
}

// The command line after its program, as the C runtime takes a program's name from it:
// up to the first blank outside double quotes (a quoted run may hold blanks); the
// blanks after it are dropped, every other character kept as it stands.
std::wstring_view AfterProgram(std::wstring_view line) {
  const auto blank = [](wchar_t c) { return c == L' ' || c == L'\t'; };
  std::size_t at = 0;
  bool quoted = false;
  while (at < line.size()) {
    if (line[at] == L'"') quoted = !quoted;
    ++at;
    if (at < line.size() && !quoted && blank(line[at])) break;
  }
  while (at < line.size() && blank(line[at])) ++at;
  return line.substr(at);
}

// A working folder as a user names it: without the separator the system keeps at its
// end, but for a drive's root.
std::wstring FolderName(std::wstring folder) {
  if (folder.size() > 3 && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
  return folder;
}

constexpr const char* kCannotRead = "its program cannot be read";

// What starts a process again (its program, parameters and working folder), or why it
// cannot be told. `self` is set for a process of this program.
void ReadProcess(DWORD pid, OpenWindow& window, bool& self) {
  static const std::wstring ownImage = ImagePath(GetCurrentProcess());
  static const std::vector<BYTE> ownUser = UserOf(GetCurrentProcess());
  self = false;
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  const bool readable = process != nullptr;
  if (!readable) process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (process == nullptr) {
    window.note = kCannotRead;
    return;
  }
  const std::wstring image = ImagePath(process);
  self = SamePath(image, ownImage);
  if (!SameUser(UserOf(process), ownUser)) {
    window.note = "it is another user's program";
  } else if (image.empty() || !readable) {
    window.note = kCannotRead;
  } else {
    std::optional<std::wstring> line, folder;
    if (const auto block = EnvironmentBlock(process)) {
      const Memory memory(process, block->second);
      if (const auto parameters = memory.Pointer(block->first + block->second.parameters)) {
        line = memory.String(*parameters + block->second.commandLine);
        folder = memory.String(*parameters + block->second.folder);
      }
    }
    if (!line || !folder) {
      window.note = kCannotRead;
    } else if (line->find(L'\0') != std::wstring::npos) {
      // A command line cannot hold a NUL: the program has cut its own apart where it
      // lies, and what stood there is lost.
      window.note = "it has changed its command line since it started";
    } else {
      const auto program = Narrow(image);
      const auto params = Narrow(AfterProgram(*line));
      const auto workDir = Narrow(FolderName(*folder));
      if (!program || !params || !workDir) {
        window.note = "its command line cannot be written in this system's code page";
      } else {
        window.program = *program;
        window.params = *params;
        window.workDir = *workDir;
      }
    }
  }
  CloseHandle(process);
}

// The window's state, and its place: as it stands, or, minimized or maximized, where it
// comes back to.
void ReadLook(HWND hwnd, OpenWindow& window) {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  const bool placed = GetWindowPlacement(hwnd, &placement) != 0;
  const bool minimized = IsIconic(hwnd) || (placed && placement.showCmd == SW_SHOWMINIMIZED);
  const bool maximized = IsZoomed(hwnd) || (placed && placement.showCmd == SW_SHOWMAXIMIZED);
  window.style = minimized ? 2 : maximized ? 3 : 1;
  RECT r{};
  if (!GetWindowRect(hwnd, &r)) return;
  if (minimized || maximized) {
    // A system that does not keep the restored place of another program's window (Wine)
    // answers with where the window stands now: its place is not known then.
    if (!placed || EqualRect(&r, &placement.rcNormalPosition)) return;
    const POINT offset = WorkAreaOffset(hwnd);
    r = placement.rcNormalPosition;
    OffsetRect(&r, offset.x, offset.y);
  }
  window.place = WindowRect{r.left, r.top, r.right - r.left, r.bottom - r.top};
}

}  // namespace

ProgramWindows::Abilities Win32ProgramWindows::Can() {
  Abilities can;
  can.list = true;
  can.style = true;
  can.styleAtStart = true;
  can.place = true;
  return can;
}

std::optional<bool> Win32ProgramWindows::VisibleWindowTitled(const std::string& text) {
  TitleSearch search{&text, false};
  EnumWindows(&LookForTitle, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

WindowHandle Win32ProgramWindows::FocusedWindow() {
  return static_cast<WindowHandle>(reinterpret_cast<uintptr_t>(GetForegroundWindow()));
}

WindowHandle Win32ProgramWindows::FirstWindowOf(int64_t pid) {
  ProcessSearch search{static_cast<DWORD>(pid), nullptr};
  EnumWindows(&LookForProcess, reinterpret_cast<LPARAM>(&search));
  return static_cast<WindowHandle>(reinterpret_cast<uintptr_t>(search.found));
}

bool Win32ProgramWindows::Apply(WindowHandle window, const WindowWish& wish) {
  const HWND hwnd = Handle(window);
  if (!IsWindow(hwnd)) return false;
  if (!wish.place) return true;
  const WindowRect& p = *wish.place;
  // A minimized or maximized window keeps the place for when it is restored.
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (GetWindowPlacement(hwnd, &placement) &&
      (placement.showCmd == SW_SHOWMINIMIZED || placement.showCmd == SW_SHOWMAXIMIZED ||
       IsIconic(hwnd) || IsZoomed(hwnd))) {
    const POINT offset = WorkAreaOffset(hwnd);
    placement.rcNormalPosition = {p.x - offset.x, p.y - offset.y, p.x - offset.x + p.width,
                                  p.y - offset.y + p.height};
    return SetWindowPlacement(hwnd, &placement) != 0;
  }
  return SetWindowPos(hwnd, nullptr, p.x, p.y, p.width, p.height,
                      SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER) != 0;
}

std::optional<std::vector<OpenWindow>> Win32ProgramWindows::OpenWindows() {
  std::vector<HWND> all;
  EnumWindows(&Collect, reinterpret_cast<LPARAM>(&all));
  std::vector<OpenWindow> open;
  std::vector<DWORD> seen;
  for (const HWND hwnd : all) {
    DWORD pid = 0;
    if (!IsMainWindow(hwnd, pid) || std::find(seen.begin(), seen.end(), pid) != seen.end()) {
      continue;
    }
    seen.push_back(pid);
    OpenWindow window;
    window.pid = pid;
    std::wstring title(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    title.resize(static_cast<std::size_t>(
        GetWindowTextW(hwnd, title.data(), static_cast<int>(title.size()))));
    window.title = Narrow(title, false).value_or("");
    bool self = false;
    ReadProcess(pid, window, self);
    if (self) continue;
    ReadLook(hwnd, window);
    open.push_back(std::move(window));
  }
  return open;
}

bool Win32ProgramWindows::Holds(WindowHandle window, const WindowWish& wish) {
  const HWND hwnd = Handle(window);
  RECT r{};
  if (!wish.place || !IsWindow(hwnd) || IsIconic(hwnd) || IsZoomed(hwnd) ||
      !GetWindowRect(hwnd, &r)) {
    return true;
  }
  return std::abs(r.left - wish.place->x) <= kPlaceSlack &&
         std::abs(r.top - wish.place->y) <= kPlaceSlack;
}

}  // namespace tavrin::win32

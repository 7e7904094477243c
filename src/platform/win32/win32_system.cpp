#include "platform/win32/win32_system.h"

#include <winsock2.h>
#include <ws2tcpip.h>
// after winsock2.h, which must come first
#include <objbase.h>
#include <shellapi.h>
#include <windows.h>
// after windows.h
#include <tlhelp32.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/bounded_calls.h"

namespace tavrin::win32 {
namespace {

// What the type lookup asks the shell for: SHGFI_SYSICONINDEX | SHGFI_EXETYPE |
// SHGFI_TYPENAME | SHGFI_DISPLAYNAME | SHGFI_SHELLICONSIZE.
constexpr UINT kTypeFlags = 0x6604;

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

std::string Env(const char* name) {
  const DWORD needed = GetEnvironmentVariableA(name, nullptr, 0);
  if (needed == 0) return "";
  std::string value(needed, '\0');
  const DWORD n = GetEnvironmentVariableA(name, value.data(), needed);
  value.resize(n < needed ? n : 0);
  return value;
}

// The folder without closing separators; a drive root ("C:\") keeps its one.
std::string WithoutClosingSeparator(std::string folder) {
  while (folder.size() > 1 && IsSeparator(folder.back())) {
    if (folder.size() == 3 && folder[1] == ':') break;
    folder.pop_back();
  }
  return folder;
}

bool Exists(const std::string& path) {
  return !path.empty() && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Creates the folder and every missing folder above it.
void CreateFolders(const std::string& folder) {
  for (std::size_t i = 1; i <= folder.size(); ++i) {
    if (i < folder.size() && !IsSeparator(folder[i])) continue;
    const std::string part = folder.substr(0, i);
    if (part.size() == 2 && part[1] == ':') continue;  // a drive
    if (!Exists(part)) CreateDirectoryA(part.c_str(), nullptr);
  }
}

std::string TypeName(const std::string& path, UINT flags) {
  SHFILEINFOA info;
  // Cleared for every lookup, so that nothing of an earlier file can show through.
  std::memset(&info, 0, sizeof info);
  SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, flags);
  return std::string(info.szTypeName, strnlen(info.szTypeName, sizeof info.szTypeName));
}

}  // namespace

std::string AnsiToUtf8(const std::string& text) {
  if (text.empty()) return text;
  const int size = static_cast<int>(text.size());
  const int wide = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
  if (wide <= 0) return text;
  std::wstring utf16(static_cast<std::size_t>(wide), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), size, utf16.data(), wide);
  const int bytes =
      WideCharToMultiByte(CP_UTF8, 0, utf16.data(), wide, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return text;
  std::string utf8(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, utf16.data(), wide, utf8.data(), bytes, nullptr, nullptr);
  return utf8;
}

std::string ProcessCommandLine() {
  const char* line = GetCommandLineA();
  return line != nullptr ? line : "";
}

std::string Win32SystemInfo::CollectionFolder() {
  std::string folder = Env("TAVRIN_HOME");
  if (!folder.empty()) {
    folder = WithoutClosingSeparator(folder);
    CreateFolders(folder);
    return folder;
  }
  const std::string exe = ExecutablePath();
  const auto cut = exe.find_last_of("\\/");
  if (cut == std::string::npos) return ".";
  return WithoutClosingSeparator(exe.substr(0, cut + 1));
}

// The portable folder keeps the window's place beside its collections; a folder the
// user may not write (Program Files) leaves it to the user's own key.
constexpr char kPlaceKey[] = "Software\\Tavrin";
constexpr char kPlaceValue[] = "WindowPlace";

std::string Win32SystemInfo::WindowPlaceFile() {
  return CollectionFolder() + "\\tavrin-window.txt";
}

bool Win32SystemInfo::KeepWindowPlaceElsewhere(const std::string& place) {
  return RegSetKeyValueA(HKEY_CURRENT_USER, kPlaceKey, kPlaceValue, REG_SZ, place.c_str(),
                         static_cast<DWORD>(place.size() + 1)) == ERROR_SUCCESS;
}

std::string Win32SystemInfo::WindowPlaceKeptElsewhere() {
  char buffer[200];
  DWORD size = sizeof buffer;
  if (RegGetValueA(HKEY_CURRENT_USER, kPlaceKey, kPlaceValue, RRF_RT_REG_SZ, nullptr, buffer,
                   &size) != ERROR_SUCCESS) {
    return "";
  }
  return buffer;
}

std::string Win32SystemInfo::ExecutablePath() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return "";
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);  // cut short: try a longer buffer
  }
}

std::string Win32SystemInfo::FileTypeDescription(const std::string& path) {
  if (!Exists(path)) return "";
  const bool com =
      SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
  std::string type = TypeName(path, kTypeFlags);
  // Some shells answer the executable-type part alone when it is asked for together
  // with the others, and leave the type name empty: ask again without it.
  if (type.empty()) type = TypeName(path, kTypeFlags & ~static_cast<UINT>(SHGFI_EXETYPE));
  if (com) CoUninitialize();
  return type;
}

std::string Win32SystemInfo::PathCase(const std::string& path) {
  std::string lower = path;
  if (!lower.empty()) CharLowerBuffA(lower.data(), static_cast<DWORD>(lower.size()));
  return lower;
}

std::string Win32SystemInfo::GetEnvironment(const std::string& name) { return Env(name.c_str()); }

void Win32SystemInfo::SetEnvironment(const std::string& name, const std::string& value) {
  // The process's own block, which started programs inherit.
  SetEnvironmentVariableA(name.c_str(), value.empty() ? nullptr : value.c_str());
}

void Win32SystemInfo::Pause(long ms) { ::Sleep(static_cast<DWORD>(ms)); }

namespace {

// The address list of `host`:`port`; null when it names none. With `numericOnly`, only a
// host written as an address is taken, which asks no resolver.
std::shared_ptr<addrinfo> Addresses(const std::string& host, int port, bool numericOnly) {
  addrinfo hints{};
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = numericOnly ? AI_NUMERICHOST : 0;
  addrinfo* list = nullptr;
  if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &list) != 0) return nullptr;
  return std::shared_ptr<addrinfo>(list, freeaddrinfo);
}

}  // namespace

bool Win32SystemInfo::TcpAnswers(const std::string& host, int port, int timeoutMs) {
  static const bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  if (!started) return false;
  // The name's resolution is inside the limit: a resolver slow to answer is not waited
  // for beyond it (a host written as an address asks none).
  const auto start = std::chrono::steady_clock::now();
  std::shared_ptr<addrinfo> list = Addresses(host, port, true);
  if (!list) {
    static BoundedCalls<std::shared_ptr<addrinfo>> resolutions;
    const auto resolved = resolutions.Get(
        host + " " + std::to_string(port), [host, port] { return Addresses(host, port, false); },
        timeoutMs);
    if (!resolved || !*resolved) return false;
    list = *resolved;
  }
  const auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(
                         std::chrono::steady_clock::now() - start)
                         .count();
  timeoutMs = static_cast<int>(std::max<long long>(1, timeoutMs - spent));
  bool ok = false;
  for (const addrinfo* a = list.get(); a && !ok; a = a->ai_next) {
    SOCKET s = socket(a->ai_family, a->ai_socktype, a->ai_protocol);
    if (s == INVALID_SOCKET) continue;
    u_long nonBlocking = 1;
    ioctlsocket(s, FIONBIO, &nonBlocking);
    if (connect(s, a->ai_addr, static_cast<int>(a->ai_addrlen)) == 0) {
      ok = true;
    } else if (WSAGetLastError() == WSAEWOULDBLOCK) {
      fd_set writable, failed;
      FD_ZERO(&writable);
      FD_ZERO(&failed);
      FD_SET(s, &writable);
      FD_SET(s, &failed);
      timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
      ok = select(0, nullptr, &writable, &failed, &limit) > 0 && FD_ISSET(s, &writable) &&
           !FD_ISSET(s, &failed);
    }
    closesocket(s);
  }
  return ok;
}

std::optional<bool> Win32SystemInfo::VisibleWindowTitled(const std::string& text) {
  return windows_.VisibleWindowTitled(text);
}

}  // namespace tavrin::win32

namespace tavrin::win32 {
namespace {

struct HandleClose {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using Handle = std::unique_ptr<void, HandleClose>;

Handle OpenForQuery(DWORD pid) {
  return Handle(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
}

// The full path of a file in its long form; the path as given when it cannot be had.
std::string LongFullPath(const std::string& path) {
  char full[MAX_PATH];
  const DWORD n = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
  std::string result = n > 0 && n < MAX_PATH ? std::string(full, n) : path;
  char longer[MAX_PATH];
  const DWORD m = GetLongPathNameA(result.c_str(), longer, MAX_PATH);
  if (m > 0 && m < MAX_PATH) result.assign(longer, m);
  return result;
}

std::string ImagePath(HANDLE process) {
  char image[MAX_PATH];
  DWORD size = MAX_PATH;
  if (!QueryFullProcessImageNameA(process, 0, image, &size)) return "";
  return LongFullPath(std::string(image, size));
}

// The user a process runs as, to compare with EqualSid; empty when it cannot be asked.
std::vector<BYTE> UserOf(HANDLE process) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(process, TOKEN_QUERY, &token)) return {};
  std::vector<BYTE> user(256);
  DWORD size = 0;
  const BOOL ok =
      GetTokenInformation(token, TokenUser, user.data(), static_cast<DWORD>(user.size()), &size);
  CloseHandle(token);
  if (!ok) return {};
  return user;
}

bool SameUser(const std::vector<BYTE>& a, const std::vector<BYTE>& b) {
  if (a.empty() || b.empty()) return false;
  return EqualSid(reinterpret_cast<const TOKEN_USER*>(a.data())->User.Sid,
                  reinterpret_cast<const TOKEN_USER*>(b.data())->User.Sid) != 0;
}

BOOL CALLBACK CloseWindowOf(HWND window, LPARAM pid) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == static_cast<DWORD>(pid)) PostMessageA(window, WM_CLOSE, 0, 0);
  return TRUE;
}

}  // namespace

bool Win32SystemInfo::ProgramRunning(const std::string& path) {
  std::string image = path;
  // A bare name is the program the search for it finds, as a start would.
  if (path.find_first_of("\\/:") == std::string::npos) {
    char found[MAX_PATH];
    const DWORD n = SearchPathA(nullptr, path.c_str(), ".exe", MAX_PATH, found, nullptr);
    if (n > 0 && n < MAX_PATH) image.assign(found, n);
  }
  const std::string program = PathCase(LongFullPath(image));
  const std::vector<BYTE> me = UserOf(GetCurrentProcess());
  const HANDLE raw = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (raw == INVALID_HANDLE_VALUE) return false;
  const Handle snapshot(raw);
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  const DWORD self = GetCurrentProcessId();
  for (BOOL more = Process32First(snapshot.get(), &entry); more;
       more = Process32Next(snapshot.get(), &entry)) {
    if (entry.th32ProcessID == self || entry.th32ProcessID == 0) continue;
    const Handle process = OpenForQuery(entry.th32ProcessID);
    if (!process) continue;
    if (PathCase(ImagePath(process.get())) == program && SameUser(UserOf(process.get()), me)) {
      return true;
    }
  }
  return false;
}

std::string Win32SystemInfo::ProcessStartMark(int64_t pid) {
  if (pid <= 0) return "";
  const Handle process = OpenForQuery(static_cast<DWORD>(pid));
  if (!process) return "";
  DWORD status = 0;
  FILETIME created, exited, kernel, user;
  if (!GetExitCodeProcess(process.get(), &status) || status != STILL_ACTIVE ||
      !GetProcessTimes(process.get(), &created, &exited, &kernel, &user)) {
    return "";
  }
  return std::to_string((static_cast<unsigned long long>(created.dwHighDateTime) << 32) |
                        created.dwLowDateTime);
}

std::string Win32SystemInfo::ChildStartMark(int64_t pid, MarkTime when) {
  if (when != MarkTime::kAtStart || pid <= 0) return "";
  if (HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE,
                                   static_cast<DWORD>(pid))) {
    constexpr std::size_t kMostKept = 64;
    if (children_.size() >= kMostKept) children_.pop_front();
    children_.emplace_back(pid, std::shared_ptr<void>(process, HandleClose()));
  }
  return ProcessStartMark(pid);
}

std::optional<SystemInfo::ChildEnd> Win32SystemInfo::ChildEnded(int64_t pid) {
  for (const auto& [number, process] : children_) {
    if (number != pid) continue;
    // Only a process that has ended has a status: STILL_ACTIVE (259) is also a status a
    // program may end with, and one read before the end would be taken for it.
    DWORD status = 0;
    if (WaitForSingleObject(process.get(), 0) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(process.get(), &status)) {
      return std::nullopt;
    }
    ChildEnd end;
    end.value = status;
    return end;
  }
  return std::nullopt;
}

bool Win32SystemInfo::StartRuns(int64_t pid, const std::string& mark) {
  // A creation time tells a process from every other since the system started, and from
  // every one of an earlier start too.
  return pid > 0 && pid <= 0xFFFFFFFFLL && !mark.empty() && ProcessStartMark(pid) == mark;
}

void Win32SystemInfo::EndStart(int64_t pid, const std::string& mark, bool force) {
  if (!StartRuns(pid, mark)) return;
  if (!force) {
    EnumWindows(&CloseWindowOf, static_cast<LPARAM>(pid));
    return;
  }
  const Handle process(OpenProcess(PROCESS_TERMINATE, FALSE, static_cast<DWORD>(pid)));
  if (process) TerminateProcess(process.get(), 1);
}

std::string Win32SystemInfo::RunRecordFolder() {
  const std::string local = Env("LOCALAPPDATA");
  if (local.empty()) return "";
  const std::string folder = WithoutClosingSeparator(local) + "\\Tavrin\\runs";
  CreateFolders(folder);
  return Exists(folder) ? folder : "";
}

namespace {

class LockFile : public SystemInfo::RecordsLock {
 public:
  explicit LockFile(HANDLE file) : file_(file) {}
  ~LockFile() override { CloseHandle(file_); }
  LockFile(const LockFile&) = delete;
  LockFile& operator=(const LockFile&) = delete;

 private:
  HANDLE file_;
};

}  // namespace

std::unique_ptr<SystemInfo::RecordsLock> Win32SystemInfo::LockRunRecords(
    const std::string& folder) {
  const std::string path = folder + "\\lock";
  for (int tries = 0; tries < 100; ++tries) {
    // Shared with nobody: a second opening fails until the first is closed.
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) return std::make_unique<LockFile>(file);
    if (GetLastError() != ERROR_SHARING_VIOLATION) break;
    Sleep(50);
  }
  return nullptr;
}

}  // namespace tavrin::win32

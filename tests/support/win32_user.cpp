#include "win32_user.h"

#include <windows.h>

#include <chrono>

namespace tavrin::testing {
namespace {

// How long a user waits for a window before giving up: far longer than any window
// takes to appear, only there so that a test that went wrong ends.
constexpr auto kPatience = std::chrono::seconds(60);
constexpr DWORD kPollMs = 20;

bool IsClass(HWND window, const char* name) {
  char found[64] = "";
  GetClassNameA(window, found, sizeof found);
  return lstrcmpiA(found, name) == 0;
}

struct DialogSearch {
  HWND owner;
  HWND found = nullptr;
};

BOOL CALLBACK FindOwnedDialog(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<DialogSearch*>(param);
  if (IsClass(window, "#32770") && GetWindow(window, GW_OWNER) == search->owner &&
      IsWindowVisible(window) && IsWindowEnabled(window)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK CancelDialog(HWND window, LPARAM) {
  if (!IsWindowVisible(window) || !IsWindowEnabled(window)) return TRUE;
  if (IsClass(window, "#32770")) {
    // The way out that the dialog has: Cancel, else No, else OK.
    const int id = GetDlgItem(window, IDCANCEL) ? IDCANCEL : GetDlgItem(window, IDNO) ? IDNO : IDOK;
    ScreenUser::Press(window, id);
  } else if (GetWindow(window, GW_OWNER)) {
    PostMessageA(window, WM_CLOSE, 0, 0);
  }
  return TRUE;
}

struct TopLevelSearch {
  const std::string& className;
  HWND found = nullptr;
};

BOOL CALLBACK FindTopLevel(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<TopLevelSearch*>(param);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == GetCurrentProcessId() && IsWindowVisible(window) &&
      IsClass(window, search->className.c_str())) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK CollectStatic(HWND window, LPARAM param) {
  auto* texts = reinterpret_cast<std::string*>(param);
  const std::string text = IsClass(window, "Static") ? ScreenUser::Text(window) : "";
  if (!text.empty()) *texts += (texts->empty() ? "" : "\n") + text;
  return TRUE;
}

}  // namespace

ScreenUser::ScreenUser(std::function<void(ScreenUser&)> script)
    : testThread_(GetCurrentThreadId()) {
  thread_ = std::thread([this, script = std::move(script)] {
    script(*this);
    while (!returned_) {
      CancelWhatIsOpen();
      Sleep(kPollMs * 5);
    }
    scriptOver_ = true;
  });
}

ScreenUser::~ScreenUser() { Finish(); }

void ScreenUser::Finish() {
  if (finished_) return;
  finished_ = true;
  returned_ = true;
  // The script may be sending a message to a window of this thread right now: answer
  // it, and leave the posted ones where they are.
  while (!scriptOver_) {
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    Sleep(1);
  }
  thread_.join();
}

void ScreenUser::CancelWhatIsOpen() { EnumThreadWindows(testThread_, CancelDialog, 0); }

bool ScreenUser::WaitUntil(const std::function<bool()>& done) {
  const auto limit = std::chrono::steady_clock::now() + kPatience;
  for (;;) {
    if (done()) return true;
    if (returned_ || std::chrono::steady_clock::now() >= limit) return false;
    Sleep(kPollMs);
  }
}

Window ScreenUser::WaitFor(const std::function<Window()>& find) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = find()) != nullptr; });
  return found;
}

Window ScreenUser::WaitForDialog(Window owner) {
  return WaitFor([&] {
    DialogSearch search{owner};
    EnumThreadWindows(testThread_, FindOwnedDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
  });
}

Window ScreenUser::TopLevel(const std::string& className) {
  TopLevelSearch search{className};
  EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool ScreenUser::WaitUntilGone(Window window) {
  return WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); });
}

Window ScreenUser::Descendant(Window parent, const std::string& className) {
  if (!parent) return nullptr;
  for (HWND child = FindWindowExA(parent, nullptr, nullptr, nullptr); child;
       child = FindWindowExA(parent, child, nullptr, nullptr)) {
    if (IsClass(child, className.c_str())) return child;
    if (HWND inner = Descendant(child, className)) return inner;
  }
  return nullptr;
}

std::string ScreenUser::Text(Window window) {
  if (!window) return "";
  const int length = GetWindowTextLengthA(window);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  text.resize(static_cast<std::size_t>(GetWindowTextA(window, text.data(), length + 1)));
  return text;
}

std::string ScreenUser::StaticTexts(Window dialog) {
  std::string texts;
  if (dialog) EnumChildWindows(dialog, CollectStatic, reinterpret_cast<LPARAM>(&texts));
  return texts;
}

void ScreenUser::Type(Window edit, const std::string& text) {
  if (edit) SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void ScreenUser::Press(Window dialog, int id) {
  if (!dialog) return;
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void ScreenUser::Key(Window window, int virtualKey) {
  if (!window) return;
  // A single stroke: repeat count 1 and the key's scan code; the release also says
  // that the key was down before.
  const UINT scan = MapVirtualKeyA(static_cast<UINT>(virtualKey), MAPVK_VK_TO_VSC);
  const LPARAM down = 1 | (static_cast<LPARAM>(scan) << 16);
  const LPARAM up = down | static_cast<LPARAM>(0xC0000000UL);
  PostMessageA(window, WM_KEYDOWN, static_cast<WPARAM>(virtualKey), down);
  PostMessageA(window, WM_KEYUP, static_cast<WPARAM>(virtualKey), up);
}

std::string ClassValue(const std::string& sub, bool machine) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER,
                    ("Software\\Classes\\" + sub).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return "<none>";
  }
  char buffer[512] = {};
  DWORD size = sizeof buffer;
  DWORD type = 0;
  const LONG r = RegQueryValueExA(key, "", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(key);
  return r != ERROR_SUCCESS ? "<unset>" : type == REG_SZ ? std::string(buffer) : "<not text>";
}

AssociationTurn::AssociationTurn()
    : turn_(CreateMutexA(nullptr, FALSE, "Local\\TavrinAssociationTests")) {
  if (turn_ != nullptr) WaitForSingleObject(turn_, INFINITE);
  owned_ = ClassValue(".tavrin") == "<none>" && ClassValue("Tavrin") == "<none>";
}

AssociationTurn::~AssociationTurn() {
  for (const char* key : {"Software\\Classes\\.tavrin", "Software\\Classes\\Tavrin"}) {
    if (owned_) RegDeleteTreeA(HKEY_CURRENT_USER, key);
    if (owned_) RegDeleteKeyA(HKEY_CURRENT_USER, key);
  }
  if (turn_ != nullptr) {
    ReleaseMutex(turn_);
    CloseHandle(turn_);
  }
}

}  // namespace tavrin::testing

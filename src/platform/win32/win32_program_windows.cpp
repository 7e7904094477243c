#include "platform/win32/win32_program_windows.h"

#include <windows.h>

#include <cstdlib>

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
    placement.rcNormalPosition = {p.x, p.y, p.x + p.width, p.y + p.height};
    return SetWindowPlacement(hwnd, &placement) != 0;
  }
  return SetWindowPos(hwnd, nullptr, p.x, p.y, p.width, p.height,
                      SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER) != 0;
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

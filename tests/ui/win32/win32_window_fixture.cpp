#include <windows.h>
// The common controls after the system's header.
#include <commctrl.h>

#include "window_fixture.h"

namespace tavrin {
namespace {

// Sets or clears the modifier keys of `mask` in the thread's keyboard state, as the
// keyboard does when they go down or up.
void SetHeld(int mask, bool down) {
  BYTE keys[256];
  GetKeyboardState(keys);
  const BYTE state = down ? 0x80 : 0;
  if (mask & 1) keys[VK_SHIFT] = keys[VK_LSHIFT] = state;
  if (mask & 2) keys[VK_CONTROL] = keys[VK_LCONTROL] = state;
  if (mask & 4) keys[VK_MENU] = keys[VK_LMENU] = state;
  SetKeyboardState(keys);
}

LPARAM KeyParam(int key, bool up, bool alt) {
  const UINT scan = MapVirtualKeyA(static_cast<UINT>(key), MAPVK_VK_TO_VSC);
  LPARAM param = 1 | (static_cast<LPARAM>(scan) << 16);
  if (alt) param |= static_cast<LPARAM>(1) << 29;
  if (up) param |= static_cast<LPARAM>(0xC0000000UL);
  return param;
}

void MouseClick(HWND window, POINT at, UINT down, UINT up, WPARAM held) {
  const LPARAM where = MAKELPARAM(at.x, at.y);
  SendMessageA(window, WM_MOUSEMOVE, 0, where);
  SendMessageA(window, down, held, where);
  SendMessageA(window, up, 0, where);
}

// The entries of a list or combo box, read with its own messages.
Strings Entries(HWND box, UINT count, UINT length, UINT text) {
  Strings entries;
  for (LRESULT i = 0, n = SendMessageA(box, count, 0, 0); i < n; ++i) {
    std::string entry(static_cast<std::size_t>(SendMessageA(box, length, i, 0)) + 1, '\0');
    entry.resize(static_cast<std::size_t>(
        SendMessageA(box, text, i, reinterpret_cast<LPARAM>(entry.data()))));
    entries.push_back(entry);
  }
  return entries;
}

}  // namespace

win32::MainWindow& Win32WindowTest::Open(const std::string& commandLine) {
  window.reset();
  form = std::make_unique<FrmMain>(Context(), commandLine);
  window = std::make_unique<win32::MainWindow>(*form);
  Pump();
  return *window;
}

win32::MainWindow& Win32WindowTest::Open(const std::vector<CollItem>& items) {
  return Open(Loaded(items));
}

void Win32WindowTest::Pump() { window->RunPending(); }

std::string Win32WindowTest::BoxText() const {
  return ScreenUser::Text(window->Control(MainControl::cboColl));
}

Strings Win32WindowTest::BoxEntries() const {
  return Entries(window->Control(MainControl::cboColl), CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT);
}

Strings Win32WindowTest::Listed() const {
  return Entries(window->Control(MainControl::lstItems), LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT);
}

int Win32WindowTest::Selected() const {
  return static_cast<int>(SendMessageA(window->Control(MainControl::lstItems), LB_GETCURSEL, 0, 0));
}

std::string Win32WindowTest::Details() const { return ScreenUser::Text(window->picDetails()); }

bool Win32WindowTest::Enabled(MainControl control) const {
  HWND hwnd = window->Control(control);
  if (const int id = win32::MainWindow::CommandOf(control)) {
    return SendMessageA(win32::InnerToolbar(hwnd), TB_ISBUTTONENABLED, id, 0) != 0;
  }
  return IsWindowEnabled(hwnd) != 0;
}

std::string Win32WindowTest::Seen() const {
  std::string text = BoxText() + ":";
  for (const auto& name : Listed()) text += " " + name;
  text += " [";
  if (Enabled(MainControl::tbCollSave)) text += "save ";
  if (Enabled(MainControl::tbCollDelete)) text += "delete ";
  if (Enabled(MainControl::btnExec)) text += "exec ";
  if (text.back() == ' ') text.pop_back();
  return text + "]";
}

std::string Win32WindowTest::ItemButtons() const {
  std::string seen;
  for (MainControl b : {MainControl::tbItemUp, MainControl::tbItemEdit, MainControl::tbItemRemove,
                        MainControl::tbItemOpen, MainControl::tbItemDown}) {
    seen += Enabled(b) ? "1" : "0";
  }
  return seen;
}

std::string Win32WindowTest::FocusName() const {
  HWND focus = GetFocus();
  const std::pair<MainControl, const char*> named[] = {
      {MainControl::cboColl, "cboColl"},    {MainControl::tbCollOther, "tbColl"},
      {MainControl::lstItems, "lstItems"},  {MainControl::tbItemUp, "tbItem0"},
      {MainControl::tbItemEdit, "tbItem1"}, {MainControl::tbItemRemove, "tbItem2"},
      {MainControl::tbItemOpen, "tbItem3"}, {MainControl::tbItemDown, "tbItem4"},
      {MainControl::btnExec, "btnExec"},    {MainControl::btnExit, "btnExit"}};
  for (const auto& [control, name] : named) {
    HWND hwnd = window->Control(control);
    if (focus == hwnd || IsChild(hwnd, focus)) return name;
  }
  if (focus == window->hwnd()) return "window";
  return focus != nullptr && IsChild(window->hwnd(), focus) ? "another control" : "none";
}

void Win32WindowTest::Pick(int index) {
  // What the closed box does on an arrow key: a new current entry, and its notification.
  HWND box = window->Control(MainControl::cboColl);
  SendMessageA(box, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageA(window->hwnd(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(box), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(box));
  Pump();
}

void Win32WindowTest::TypeInBox(const std::string& text) {
  // Typed into the box's text field, one character after another.
  HWND field = FindWindowExA(window->Control(MainControl::cboColl), nullptr, "Edit", nullptr);
  SendMessageA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
  for (char c : text) PostMessageA(field, WM_CHAR, static_cast<unsigned char>(c), 1);
  Pump();
}

void Win32WindowTest::Select(int row, bool twice) {
  HWND list = window->Control(MainControl::lstItems);
  RECT entry;
  SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&entry));
  const POINT at{entry.left + 4, (entry.top + entry.bottom) / 2};
  MouseClick(list, at, WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON);
  if (twice) MouseClick(list, at, WM_LBUTTONDBLCLK, WM_LBUTTONUP, MK_LBUTTON);
  Pump();
}

void Win32WindowTest::Click(MainControl control) {
  HWND hwnd = window->Control(control);
  if (const int id = win32::MainWindow::CommandOf(control)) {
    // A toolbar's button, clicked with the mouse over its middle.
    HWND bar = win32::InnerToolbar(hwnd);
    const auto index = SendMessageA(bar, TB_COMMANDTOINDEX, id, 0);
    RECT r;
    SendMessageA(bar, TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r));
    MouseClick(bar, {(r.left + r.right) / 2, (r.top + r.bottom) / 2}, WM_LBUTTONDOWN, WM_LBUTTONUP,
               MK_LBUTTON);
  } else {
    SendMessageA(hwnd, BM_CLICK, 0, 0);
  }
  Pump();
}

namespace {

// Presses and releases `key` in `target` with the modifiers of `mask` held, as the
// keyboard sends it: with Alt, as system keys.
void PressKey(Win32WindowTest& test, HWND target, int key, int mask) {
  const bool alt = (mask & 4) != 0;
  SetHeld(mask, true);
  PostMessageA(target, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, static_cast<WPARAM>(key),
               KeyParam(key, false, alt));
  test.Pump();
  if (!test.window->closed()) {
    PostMessageA(target, alt ? WM_SYSKEYUP : WM_KEYUP, static_cast<WPARAM>(key),
                 KeyParam(key, true, alt));
    test.Pump();
  }
  SetHeld(mask, false);
}

}  // namespace

void Win32WindowTest::Key(MainControl control, int key, int mask) {
  PressKey(*this, control == MainControl::None ? window->hwnd() : window->Control(control), key,
           mask);
}

void Win32WindowTest::KeyInFocus(int key, int mask) {
  PressKey(*this, GetFocus() ? GetFocus() : window->hwnd(), key, mask);
}

void Win32WindowTest::RightClickList() {
  HWND list = window->Control(MainControl::lstItems);
  MouseClick(list, {10, 10}, WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON);
  Pump();
}

}  // namespace tavrin

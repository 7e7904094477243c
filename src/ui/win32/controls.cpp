#include "ui/win32/controls.h"

#include <windows.h>
// The common controls after the system's header.
#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <tuple>
#include <utility>

namespace tavrin::win32 {
namespace {

const char* const kDetailsClass = "TavrinDetails";
const char* const kToolbarControlClass = "TavrinToolbar";

int SystemDpi() {
  HDC screen = GetDC(nullptr);
  const int found = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  return found > 0 ? found : 96;
}

// The DPI the windows are laid out at: the system's, until a window moves to a screen
// of another.
int& CurrentDpi() {
  static int dpi = SystemDpi();
  return dpi;
}
int Dpi() { return CurrentDpi(); }

struct FontKey {
  std::string face;
  int hundredths;  // of a point
  bool bold;
  bool underline;
  auto Tie() const { return std::tie(face, hundredths, bold, underline); }
  bool operator<(const FontKey& other) const { return Tie() < other.Tie(); }
};

// Every font made, at each DPI, and what each one is.
std::map<std::pair<FontKey, int>, HFONT>& Fonts() {
  static std::map<std::pair<FontKey, int>, HFONT> made;
  return made;
}
std::map<HFONT, FontKey>& FontKeys() {
  static std::map<HFONT, FontKey> keys;
  return keys;
}

Hfont FontFor(const FontKey& key) {
  auto& font = Fonts()[{key, Dpi()}];
  if (font == nullptr) {
    const int height = -MulDiv(key.hundredths, Dpi(), 7200);
    font = CreateFontA(height, 0, 0, 0, key.bold ? FW_BOLD : FW_NORMAL, FALSE, key.underline, FALSE,
                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH, key.face.c_str());
    if (font) FontKeys()[font] = key;
  }
  return font;
}

Hfont MakeFont(const char* face, double points, bool bold, bool underline) {
  return FontFor({face, static_cast<int>(std::lround(points * 100)), bold, underline});
}

// Where each control was placed, in twips, and the buttons of each toolbar control:
// what a new DPI lays out again.
std::map<HWND, TwipsRect>& Places() {
  static std::map<HWND, TwipsRect> places;
  return places;
}
// How each control that follows its window does, and how much each window has grown
// beyond its layout, in pixels.
std::map<HWND, Anchor>& Anchors() {
  static std::map<HWND, Anchor> anchors;
  return anchors;
}
std::map<HWND, SIZE>& Grown() {
  static std::map<HWND, SIZE> grown;
  return grown;
}
std::map<HWND, std::vector<ToolButton>>& ToolbarButtons() {
  static std::map<HWND, std::vector<ToolButton>> buttons;
  return buttons;
}

// The details pane draws its text line by line; the font is kept in the window.
LRESULT CALLBACK DetailsProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETFONT:
      SetWindowLongPtrA(window, GWLP_USERDATA, static_cast<LONG_PTR>(wParam));
      if (LOWORD(lParam)) InvalidateRect(window, nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return GetWindowLongPtrA(window, GWLP_USERDATA);
    case WM_SETTEXT: {
      const LRESULT result = DefWindowProcA(window, message, wParam, lParam);
      InvalidateRect(window, nullptr, TRUE);
      return result;
    }
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      auto* font = reinterpret_cast<HFONT>(GetWindowLongPtrA(window, GWLP_USERDATA));
      HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
      TEXTMETRICA metrics;
      GetTextMetricsA(dc, &metrics);
      const std::string text = TextOf(window);
      int y = 0;
      for (std::size_t start = 0; start <= text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        TextOutA(dc, 0, y, text.data() + start, static_cast<int>(end - start));
        y += metrics.tmHeight + metrics.tmExternalLeading;
        start = end + 1;
      }
      if (old) SelectObject(dc, old);
      EndPaint(window, &paint);
      return 0;
    }
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

// A toolbar control passes its toolbar's commands and notifications on to its parent.
LRESULT CALLBACK ToolbarControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
      return SendMessageA(GetParent(window), message, wParam, lParam);
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

void RegisterClasses() {
  static const bool registered = [] {
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                  ICC_BAR_CLASSES | ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSA details{};
    details.lpfnWndProc = DetailsProc;
    details.hInstance = GetModuleHandleA(nullptr);
    details.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    details.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    details.lpszClassName = kDetailsClass;
    RegisterClassA(&details);
    WNDCLASSA bar = details;
    bar.lpfnWndProc = ToolbarControlProc;
    bar.lpszClassName = kToolbarControlClass;
    RegisterClassA(&bar);
    return true;
  }();
  (void)registered;
}

RECT PixelRect(const TwipsRect& place) {
  const int left = Pixels(place.left);
  const int top = Pixels(place.top);
  return {left, top, left + Pixels(place.width), top + Pixels(place.height)};
}

// The place of `child` of `window` in pixels: its layout's, moved as it follows the
// window's growth.
RECT ChildRect(HWND window, HWND child, const TwipsRect& place) {
  RECT r = PixelRect(place);
  const auto anchor = Anchors().find(child);
  const auto grown = Grown().find(window);
  if (anchor == Anchors().end() || grown == Grown().end()) return r;
  const Anchor& a = anchor->second;
  const SIZE added = grown->second;
  return {Followed(r.left, a.left, added.cx), Followed(r.top, a.top, added.cy),
          Followed(r.right, a.right, added.cx), Followed(r.bottom, a.bottom, added.cy)};
}

}  // namespace

int Pixels(int twips) { return MulDiv(twips, Dpi(), 1440); }

int LayoutDpi() { return Dpi(); }

void UseDpi(int dpi) { CurrentDpi() = dpi > 0 ? dpi : SystemDpi(); }

int PictureSize() { return MulDiv(16, Dpi(), 96); }

Hfont WindowFont(double points, bool bold) {
  return MakeFont("Times New Roman", points, bold, false);
}
Hfont DetailsFont() { return MakeFont("Courier New", 8.25, false, false); }
Hfont MailFont() { return MakeFont("Times New Roman", 9.75, false, true); }

Hwnd MakeControl(Hwnd parent, const char* className, const char* text, unsigned long style,
                 const TwipsRect& place, int id, Hfont font, unsigned long exStyle) {
  RegisterClasses();
  const RECT r = PixelRect(place);
  HWND control = CreateWindowExA(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, r.left,
                                 r.top, r.right - r.left, r.bottom - r.top, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleA(nullptr), nullptr);
  if (control && font) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  if (control) Places()[control] = place;
  return control;
}

Hwnd MakeDetailsPane(Hwnd parent, const TwipsRect& place, int id) {
  return MakeControl(parent, kDetailsClass, "", 0, place, id, DetailsFont());
}

std::string TextOf(Hwnd window) {
  const int length = GetWindowTextLengthA(window);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  text.resize(static_cast<std::size_t>(GetWindowTextA(window, text.data(), length + 1)));
  return text;
}

void SetTextOf(Hwnd window, const std::string& text) { SetWindowTextA(window, text.c_str()); }

Hwnd MakeToolbar(Hwnd parent, const TwipsRect& place, const std::vector<ToolButton>& buttons) {
  // A control parent: the keyboard of a dialog reaches the toolbar inside it (Tab stops
  // on it, as on any control of the window).
  Hwnd control = MakeControl(parent, kToolbarControlClass, "", WS_CLIPCHILDREN, place, 0, nullptr,
                             WS_EX_CONTROLPARENT);
  HWND bar = CreateWindowExA(0, TOOLBARCLASSNAMEA, "",
                             WS_CHILD | WS_VISIBLE | WS_TABSTOP | TBSTYLE_TOOLTIPS | CCS_NORESIZE |
                                 CCS_NODIVIDER | CCS_NOPARENTALIGN,
                             0, 0, 0, 0, control, nullptr, GetModuleHandleA(nullptr), nullptr);
  SendMessageA(bar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  ToolbarButtons()[control] = buttons;
  std::vector<TBBUTTON> entries;
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    TBBUTTON entry{};
    entry.iBitmap = static_cast<int>(i);
    entry.idCommand = buttons[i].id;
    entry.fsState = TBSTATE_ENABLED;
    entry.fsStyle = BTNS_BUTTON;
    entry.iString = -1;
    entries.push_back(entry);
  }
  SendMessageA(bar, TB_ADDBUTTONSA, entries.size(), reinterpret_cast<LPARAM>(entries.data()));
  SizeToolbar(control);
  return control;
}

void SizeToolbar(Hwnd toolbarControl) {
  HWND bar = InnerToolbar(toolbarControl);
  const auto place = Places().find(toolbarControl);
  const auto buttons = ToolbarButtons().find(toolbarControl);
  if (bar == nullptr || place == Places().end() || buttons == ToolbarButtons().end()) return;
  // The pictures at the size the DPI asks for, each made from the nearest size the
  // program carries (16 and 32 pixels).
  const int size = PictureSize();
  const int count = static_cast<int>(buttons->second.size());
  HIMAGELIST images = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, count, 0);
  for (int i = 0; i < count; ++i) {
    auto* icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr),
                                               buttons->second[static_cast<std::size_t>(i)].image,
                                               IMAGE_ICON, size, size, 0));
    // A missing picture keeps its place, empty, so that the others stay with their buttons.
    if (icon) {
      ImageList_AddIcon(images, icon);
      DestroyIcon(icon);
    } else {
      ImageList_SetImageCount(images, static_cast<UINT>(i + 1));
    }
  }
  auto* old = reinterpret_cast<HIMAGELIST>(
      SendMessageA(bar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images)));
  if (old) ImageList_Destroy(old);
  // The buttons share the control's width and fill its height, as the layout places them.
  const RECT r = PixelRect(place->second);
  MoveWindow(bar, 0, 0, r.right - r.left, r.bottom - r.top, TRUE);
  const int width = (r.right - r.left) / (count == 0 ? 1 : count);
  SendMessageA(bar, TB_SETBUTTONSIZE, 0, MAKELPARAM(width, r.bottom - r.top));
  InvalidateRect(bar, nullptr, TRUE);
}

void LayOutAgain(Hwnd window) {
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    const auto place = Places().find(child);
    if (place == Places().end()) continue;
    const RECT r = ChildRect(window, child, place->second);
    MoveWindow(child, r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
    auto* font = reinterpret_cast<HFONT>(SendMessageA(child, WM_GETFONT, 0, 0));
    const auto key = FontKeys().find(font);
    if (key != FontKeys().end()) {
      SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(key->second)), TRUE);
    }
    if (ToolbarButtons().count(child) != 0) SizeToolbar(child);
  }
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void FollowWindow(Hwnd control, const Anchor& anchor) {
  if (anchor.Follows()) Anchors()[control] = anchor;
}

void FollowSize(Hwnd window, int width, int height) {
  RECT inner;
  GetClientRect(window, &inner);
  // Minimised, the inner area is empty: the controls stay where they were.
  if (inner.right == 0 && inner.bottom == 0) return;
  Grown()[window] = {std::max(0L, inner.right - Pixels(width)),
                     std::max(0L, inner.bottom - Pixels(height))};
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    const auto place = Places().find(child);
    if (place == Places().end() || Anchors().count(child) == 0) continue;
    const RECT r = ChildRect(window, child, place->second);
    MoveWindow(child, r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
  }
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void KeepLayoutSize(Hwnd window, std::intptr_t lParam, int width, int height) {
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE));
  const DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrA(window, GWL_EXSTYLE));
  RECT frame{0, 0, Pixels(width), Pixels(height)};
  AdjustWindowRectEx(&frame, style, GetMenu(window) != nullptr, exStyle);
  auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
  limits->ptMinTrackSize = {frame.right - frame.left, frame.bottom - frame.top};
}

void FollowDpiChange(Hwnd window, std::uintptr_t wParam, std::intptr_t lParam, int width,
                     int height) {
  // The room the user gave the window beyond its layout scales with the screen, as the
  // layout does.
  const int before = Dpi();
  const auto grown = Grown().find(window);
  const SIZE added = grown == Grown().end() ? SIZE{0, 0} : grown->second;
  UseDpi(HIWORD(wParam));
  const auto* suggested = reinterpret_cast<const RECT*>(lParam);
  SetWindowPos(window, nullptr, suggested->left, suggested->top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  FitInnerArea(window, width, height);
  if (added.cx > 0 || added.cy > 0) {
    RECT frame;
    GetWindowRect(window, &frame);
    SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left + MulDiv(added.cx, Dpi(), before),
                 frame.bottom - frame.top + MulDiv(added.cy, Dpi(), before),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  LayOutAgain(window);
}

void FitInnerArea(Hwnd window, int width, int height) {
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE));
  const DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrA(window, GWL_EXSTYLE));
  RECT frame{0, 0, Pixels(width), Pixels(height)};
  AdjustWindowRectEx(&frame, style, GetMenu(window) != nullptr, exStyle);
  SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  // The menu bar may take more than one line: the inner area keeps its size.
  RECT inner;
  GetClientRect(window, &inner);
  const int missing = Pixels(height) - inner.bottom;
  if (missing != 0) {
    SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left,
                 frame.bottom - frame.top + missing, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

Hwnd InnerToolbar(Hwnd toolbarControl) {
  return FindWindowExA(toolbarControl, nullptr, "ToolbarWindow32", nullptr);
}

void MakeFlat(Hwnd toolbarControl) {
  HWND bar = FindWindowExA(toolbarControl, nullptr, "ToolbarWindow32", nullptr);
  if (bar == nullptr) return;  // no inner window: the toolbar keeps its style
  const LRESULT style = SendMessageA(bar, TB_GETSTYLE, 0, 0);
  SendMessageA(bar, TB_SETSTYLE, 0, style | TBSTYLE_FLAT);
  RedrawWindow(toolbarControl, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void EnableToolButton(Hwnd toolbarControl, int id, bool enabled) {
  HWND bar = InnerToolbar(toolbarControl);
  SendMessageA(bar, TB_ENABLEBUTTON, static_cast<WPARAM>(id),
               MAKELPARAM(enabled ? TRUE : FALSE, 0));
  // Tab passes over a toolbar whose buttons are all disabled, as over a disabled button.
  bool any = false;
  const auto count = SendMessageA(bar, TB_BUTTONCOUNT, 0, 0);
  for (LRESULT i = 0; i < count && !any; ++i) {
    TBBUTTON button{};
    SendMessageA(bar, TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&button));
    any = (button.fsState & TBSTATE_ENABLED) != 0;
  }
  const LONG_PTR style = GetWindowLongPtrA(bar, GWL_STYLE);
  SetWindowLongPtrA(bar, GWL_STYLE, any ? style | WS_TABSTOP : style & ~WS_TABSTOP);
  if (!any && GetFocus() == bar) SetFocus(GetNextDlgTabItem(GetAncestor(bar, GA_ROOT), bar, FALSE));
}

bool IsSystemToolbar(Hwnd window) {
  char name[32] = "";
  return window != nullptr && GetClassNameA(window, name, sizeof name) > 0 &&
         std::string(name) == TOOLBARCLASSNAMEA;
}

namespace {

bool IsButtonEnabled(HWND bar, LRESULT index) {
  TBBUTTON button{};
  return SendMessageA(bar, TB_GETBUTTON, static_cast<WPARAM>(index),
                      reinterpret_cast<LPARAM>(&button)) != 0 &&
         (button.fsState & TBSTATE_ENABLED) != 0;
}

// The next enabled button from `from` in direction `step`; `from` itself when there is
// none.
LRESULT NextEnabledButton(HWND bar, LRESULT from, int step) {
  const auto count = SendMessageA(bar, TB_BUTTONCOUNT, 0, 0);
  for (LRESULT i = from + step; i >= 0 && i < count; i += step) {
    if (IsButtonEnabled(bar, i)) return i;
  }
  return from;
}

}  // namespace

void FollowKeyboardFocus(Hwnd before, Hwnd focus) {
  if (before == focus) return;
  // A toolbar the keyboard has left shows no button as its own any longer.
  if (IsSystemToolbar(before)) SendMessageA(before, TB_SETHOTITEM, static_cast<WPARAM>(-1), 0);
  if (!IsSystemToolbar(focus) || SendMessageA(focus, TB_GETHOTITEM, 0, 0) >= 0) return;
  // The keyboard stands on the first enabled button.
  const LRESULT first = NextEnabledButton(focus, -1, 1);
  if (first >= 0) SendMessageA(focus, TB_SETHOTITEM, static_cast<WPARAM>(first), 0);
}

bool MoveKeyboardButton(const MSG& message) {
  if (message.message != WM_KEYDOWN || !IsSystemToolbar(message.hwnd)) return false;
  int step = 0;
  if (message.wParam == VK_LEFT || message.wParam == VK_UP) step = -1;
  if (message.wParam == VK_RIGHT || message.wParam == VK_DOWN) step = 1;
  if (step == 0) return false;
  const auto hot = SendMessageA(message.hwnd, TB_GETHOTITEM, 0, 0);
  const LRESULT next =
      hot < 0 ? NextEnabledButton(message.hwnd, -1, 1) : NextEnabledButton(message.hwnd, hot, step);
  if (next >= 0) SendMessageA(message.hwnd, TB_SETHOTITEM, static_cast<WPARAM>(next), 0);
  return true;
}

bool AnswerToolTip(std::intptr_t notification, const std::vector<ToolButton>& buttons) {
  auto* header = reinterpret_cast<NMHDR*>(notification);
  if (header->code != TTN_GETDISPINFOA && header->code != TTN_GETDISPINFOW) return false;
  for (const ToolButton& button : buttons) {
    if (static_cast<int>(header->idFrom) != button.id) continue;
    if (header->code == TTN_GETDISPINFOA) {
      reinterpret_cast<NMTTDISPINFOA*>(notification)->lpszText = const_cast<char*>(button.tip);
    } else {
      // The tips are ASCII: widened character by character into the record's own buffer.
      auto* info = reinterpret_cast<NMTTDISPINFOW*>(notification);
      std::size_t i = 0;
      for (; button.tip[i] != '\0' && i + 1 < std::size(info->szText); ++i) {
        info->szText[i] = static_cast<wchar_t>(button.tip[i]);
      }
      info->szText[i] = L'\0';
      info->lpszText = info->szText;
    }
    return true;
  }
  return false;
}

ToolTips::ToolTips(Hwnd window) : window_(window) {
  RegisterClasses();
  tips_ = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                          CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr,
                          GetModuleHandleA(nullptr), nullptr);
}

void ToolTips::Add(Hwnd control, const char* tip) {
  if (!tips_ || !control) return;
  TTTOOLINFOA info{};
  info.cbSize = sizeof info;
  info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  info.hwnd = window_;
  info.uId = reinterpret_cast<UINT_PTR>(control);
  info.lpszText = const_cast<char*>(tip);
  SendMessageA(tips_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
  // An editable box's text field is where the pointer rests.
  if (HWND edit = FindWindowExA(control, nullptr, "Edit", nullptr)) {
    info.uId = reinterpret_cast<UINT_PTR>(edit);
    SendMessageA(tips_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
  }
}

void ShowKeyboardCues(Hwnd top) {
  SendMessageA(top, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
}

bool HidesKeyboardCues(std::uintptr_t wParam) { return LOWORD(wParam) != UIS_CLEAR; }

namespace {

constexpr char kStaticProc[] = "TavrinStaticProc";

LRESULT CALLBACK FocusMarkProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto before = reinterpret_cast<WNDPROC>(GetPropA(control, kStaticProc));
  if (message == WM_NCDESTROY) RemovePropA(control, kStaticProc);
  const LRESULT result = CallWindowProcA(before, control, message, wParam, lParam);
  if (message == WM_SETFOCUS || message == WM_KILLFOCUS) InvalidateRect(control, nullptr, TRUE);
  if (message != WM_PAINT || GetFocus() != control ||
      (SendMessageA(control, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) != 0) {
    return result;
  }
  // Around the text, within the control.
  HDC dc = GetDC(control);
  HGDIOBJ font = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
  const std::string text = TextOf(control);
  SIZE size{};
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, font);
  RECT area;
  GetClientRect(control, &area);
  area.right = std::min<LONG>(area.right, size.cx + 2);
  area.bottom = std::min<LONG>(area.bottom, size.cy + 2);
  DrawFocusRect(dc, &area);
  ReleaseDC(control, dc);
  return result;
}

}  // namespace

void MarkFocusOfStatic(Hwnd control) {
  SetPropA(control, kStaticProc,
           reinterpret_cast<HANDLE>(GetWindowLongPtrA(control, GWLP_WNDPROC)));
  SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FocusMarkProc));
}

void Centre(Hwnd window, Hwnd owner) {
  RECT area;
  if (owner != nullptr && IsWindowVisible(owner)) {
    GetWindowRect(owner, &area);
  } else {
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  }
  RECT r;
  GetWindowRect(window, &r);
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  SetWindowPos(window, nullptr, area.left + (area.right - area.left - width) / 2,
               area.top + (area.bottom - area.top - height) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int ModifierMask(const MSG& message) {
  const auto key = message.wParam;
  int mask = 0;
  if (GetKeyState(VK_SHIFT) < 0 || key == VK_SHIFT) mask |= 1;
  if (GetKeyState(VK_CONTROL) < 0 || key == VK_CONTROL) mask |= 2;
  // Alt: held while the system key message came (the context bit), or the key itself.
  const bool altHeld = (message.message == WM_SYSKEYDOWN || message.message == WM_SYSKEYUP) &&
                       (message.lParam & (1L << 29)) != 0;
  if (altHeld || GetKeyState(VK_MENU) < 0 || key == VK_MENU) mask |= 4;
  return mask;
}

bool IsKeyDown(const MSG& message) {
  return message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN;
}

bool IsKeyUp(const MSG& message) {
  return message.message == WM_KEYUP || message.message == WM_SYSKEYUP;
}

bool IsWithin(Hwnd child, Hwnd window) {
  return child != nullptr && window != nullptr && (child == window || IsChild(window, child));
}

void RunMessages(const std::function<bool()>& done, const std::function<bool(MSG&)>& filter) {
  while (!done()) {
    MSG message;
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got <= 0) {
      // The request to end belongs to the outermost loop.
      if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    if (filter && filter(message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

void WakeMessages() { PostThreadMessageA(GetCurrentThreadId(), WM_NULL, 0, 0); }

}  // namespace tavrin::win32

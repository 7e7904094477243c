#include "ui/win32/main_window.h"

#include <string>
#include <string_view>

#include <windows.h>
// The common controls and the accessibility annotations after the system's header; the
// annotations' identifiers are defined here.
#include <commctrl.h>
#include <initguid.h>
#include <ole2.h>
#include <oleacc.h>

#include "forms/keys.h"
#include "ui/win32/about_box.h"
#include "ui/win32/item_editor.h"
#include "ui/win32/run_options_dialog.h"
#include "ui/win32/run_progress_window.h"
#include "ui/win32/window_builder.h"

namespace tavrin::win32 {
namespace {

const char* const kMainClass = "TavrinMain";
// The command identifiers: of the controls and toolbar buttons, by the form's names
// for them; of the menus' entries, ten a menu.
constexpr int kIdControl = 1000;
constexpr int kIdMenu = 1300;

int ControlCommand(MainControl control) { return kIdControl + static_cast<int>(control); }
int MenuCommand(MainMenu menu, int entry) { return kIdMenu + 10 * static_cast<int>(menu) + entry; }

// A menu's shortcut key as the system's accelerator: "Ctrl+X", "F1".
ACCEL Accelerator(std::string_view shortcut, int command) {
  ACCEL key{FVIRTKEY, 0, static_cast<WORD>(command)};
  constexpr std::string_view kCtrl = "Ctrl+";
  if (shortcut.substr(0, kCtrl.size()) == kCtrl) {
    key.fVirt |= FCONTROL;
    shortcut.remove_prefix(kCtrl.size());
  }
  if (shortcut.size() > 1 && shortcut[0] == 'F') {
    key.key = static_cast<WORD>(VK_F1 + std::stoi(std::string(shortcut.substr(1))) - 1);
  } else if (shortcut.size() == 1) {
    key.key = static_cast<WORD>(shortcut[0]);
  }
  return key;
}

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self == nullptr || self->hwnd() != window) {
    return DefWindowProcA(window, message, wParam, lParam);
  }
  return self->OnMessage(message, wParam, lParam);
}

LRESULT CALLBACK ListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrA(list, GWLP_USERDATA));
  return self->OnListMessage(message, wParam, lParam);
}

void RegisterMainClass() {
  static const bool registered = [] {
    WNDCLASSA main{};
    main.lpfnWndProc = MainProc;
    main.hInstance = GetModuleHandleA(nullptr);
    main.hIcon = LoadIconA(main.hInstance, "APPICON");
    main.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    main.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    main.lpszClassName = kMainClass;
    RegisterClassA(&main);
    return true;
  }();
  (void)registered;
}

}  // namespace

MainWindow::MainWindow(FrmMain& form, OwnerChanged ownerChanged)
    : form_(form), ownerChanged_(std::move(ownerChanged)) {
  RegisterMainClass();
  BuildMenus();
  // A sizing border, a minimise and a maximise box: the list and the details pane take
  // the room the window gains.
  const DWORD style = WS_OVERLAPPEDWINDOW;
  const DWORD exStyle = WS_EX_CONTROLPARENT;
  const MainLayout& layout = MainWindowLayout();
  RECT frame{0, 0, Pixels(layout.width), Pixels(layout.height)};
  AdjustWindowRectEx(&frame, style, TRUE, exStyle);
  // The window procedure knows the window by its handle, which CreateWindowEx gives
  // only when it returns: until then the messages go to the default procedure.
  hwnd_ = CreateWindowExA(exStyle, kMainClass, layout.caption, style, CW_USEDEFAULT, CW_USEDEFAULT,
                          frame.right - frame.left, frame.bottom - frame.top, nullptr, menuBar_,
                          GetModuleHandleA(nullptr), this);
  if (hwnd_ == nullptr) return;
  if (ownerChanged_) ownerChanged_(hwnd_);
  FitInnerArea(hwnd_, layout.width, layout.height);
  BuildControls();
  form_.Form_Load(*this);
  // Where it was closed last, on a screen that still shows it; otherwise in the middle.
  if (!RestorePlace()) Centre(hwnd_);
  ShowKeyboardCues(hwnd_);
  ::ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
  ::SetFocus(cboColl_);
}

MainWindow::~MainWindow() {
  if (!closed_ && hwnd_) DestroyWindow(hwnd_);
  // The popup menus belong to no window; the menu bar went with the window.
  if (mnuPopItem1_) DestroyMenu(mnuPopItem1_);
  if (mnuPopItem2_) DestroyMenu(mnuPopItem2_);
  if (accelerators_) DestroyAcceleratorTable(accelerators_);
}

// --- Building the window ------------------------------------------------------------

void MainWindow::BuildMenus() {
  menuBar_ = CreateMenu();
  std::vector<ACCEL> keys;
  for (const MenuLayout<MainMenu>& layout : MainWindowLayout().menus) {
    HMENU menu = CreatePopupMenu();
    for (int i = 0; i < static_cast<int>(layout.entries.size()); ++i) {
      const MenuEntryLayout& entry = layout.entries[i];
      const int command = MenuCommand(layout.id, i);
      std::string text = entry.text;
      if (text == "-") {
        AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        continue;
      }
      if (*entry.shortcut != '\0') {
        text += std::string("\t") + entry.shortcut;
        keys.push_back(Accelerator(entry.shortcut, command));
      }
      AppendMenuA(menu, MF_STRING, static_cast<UINT_PTR>(command), text.c_str());
    }
    // The item menus are shown only as popups over the item list, never in the bar.
    if (layout.id == MainMenu::mnuPopItem1) {
      mnuPopItem1_ = menu;
    } else if (layout.id == MainMenu::mnuPopItem2) {
      mnuPopItem2_ = menu;
    } else {
      AppendMenuA(menuBar_, MF_POPUP, reinterpret_cast<UINT_PTR>(menu), layout.text);
    }
  }
  accelerators_ = CreateAcceleratorTableA(keys.data(), static_cast<int>(keys.size()));
}

void MainWindow::BuildControls() {
  tips_ = std::make_unique<ToolTips>(hwnd_);
  // Made in the order Tab goes through them: a frame's access key moves the focus to
  // the control that follows it.
  const MainLayout& layout = MainWindowLayout();
  made_ = MakeControls(hwnd_, layout, *tips_, ControlCommand);
  for (size_t i = 0; i < layout.controls.size(); ++i) {
    const std::string_view name = layout.controls[i].name;
    if (name == "picDetails") picDetails_ = made_.windows[i];
    if (layout.controls[i].kind == ControlKind::ToolBar) toolbars_.push_back(made_.windows[i]);
  }
  cboColl_ = Control(MainControl::cboColl);
  lstItems_ = Control(MainControl::lstItems);
  // The right button and the keyboard's popup key reach the form, not the list.
  SetWindowLongPtrA(lstItems_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  listProc_ = SetWindowLongPtrA(lstItems_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ListProc));
  TellListHint();
}

// --- The controls ---------------------------------------------------------------------

int MainWindow::CommandOf(MainControl button) {
  for (const ControlLayout<MainControl>& control : MainWindowLayout().controls) {
    for (const ToolButtonLayout<MainControl>& entry : control.buttons) {
      if (entry.id == button) return ControlCommand(button);
    }
  }
  return 0;
}

Hwnd MainWindow::Control(MainControl control) const {
  return made_.Control(static_cast<int>(control));
}

MainControl MainWindow::ControlOf(Hwnd focus) const {
  return static_cast<MainControl>(made_.IdAt(focus));
}

int MainWindow::SelectedRow() const {
  return static_cast<int>(SendMessageA(lstItems_, LB_GETCURSEL, 0, 0));
}

void MainWindow::RememberFocus() {
  HWND focus = GetFocus();
  if (focus == nullptr || !IsChild(hwnd_, focus)) return;
  focus_ = focus;
  // On a toolbar, the button the keyboard stands on too.
  focusButton_ =
      IsSystemToolbar(focus) ? static_cast<int>(SendMessageA(focus, TB_GETHOTITEM, 0, 0)) : -1;
}

void MainWindow::RestoreFocus() {
  if (closed_ || !IsWindowVisible(hwnd_) || IsChild(hwnd_, GetFocus())) return;
  // A control that has gone, or can take no input now, leaves the focus to the first
  // one in tab order.
  HWND target = focus_;
  if (target == nullptr || !IsChild(hwnd_, target) || !IsWindowEnabled(target) ||
      !IsWindowVisible(target)) {
    target = GetNextDlgTabItem(hwnd_, nullptr, FALSE);
  }
  if (target) ::SetFocus(target);
  // The toolbar's marked button comes back with it (Enter presses what was pressed).
  if (target == focus_ && focusButton_ >= 0 && IsSystemToolbar(target)) {
    SendMessageA(target, TB_SETHOTITEM, static_cast<WPARAM>(focusButton_), 0);
  }
}

// --- What the form shows ------------------------------------------------------------

void MainWindow::SetCollEntries(const std::vector<std::string>& entries) {
  showing_ = true;
  SendMessageA(cboColl_, CB_RESETCONTENT, 0, 0);
  for (const std::string& entry : entries) {
    SendMessageA(cboColl_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
  }
  showing_ = false;
}

void MainWindow::ShowCollText(const std::string& text, int entry) {
  // The entry shown is the box's current one, so that the arrow keys go on from there.
  showing_ = true;
  SendMessageA(cboColl_, CB_SETCURSEL, static_cast<WPARAM>(entry), 0);
  if (TextOf(cboColl_) != text) SetTextOf(cboColl_, text);
  showing_ = false;
}

void MainWindow::SetItems(const std::vector<std::string>& names) {
  showing_ = true;
  SendMessageA(lstItems_, WM_SETREDRAW, FALSE, 0);
  SendMessageA(lstItems_, LB_RESETCONTENT, 0, 0);
  for (const std::string& name : names) {
    SendMessageA(lstItems_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
  }
  SendMessageA(lstItems_, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  SendMessageA(lstItems_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(lstItems_, nullptr, TRUE);
  TellListHint();
  showing_ = false;
}

void MainWindow::InsertItem(int index, const std::string& name) {
  showing_ = true;
  SendMessageA(lstItems_, LB_INSERTSTRING, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(name.c_str()));
  TellListHint();
  showing_ = false;
}

void MainWindow::RemoveItem(int index) {
  showing_ = true;
  SendMessageA(lstItems_, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
  TellListHint();
  showing_ = false;
}

void MainWindow::SetItemText(int index, const std::string& name) {
  // A list box rewrites an entry by removing it and inserting it again; the selection
  // stays where it was.
  showing_ = true;
  const int selected = SelectedRow();
  SendMessageA(lstItems_, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
  SendMessageA(lstItems_, LB_INSERTSTRING, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(name.c_str()));
  if (selected == index) SendMessageA(lstItems_, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  showing_ = false;
}

void MainWindow::SelectItem(int index) {
  showing_ = true;
  SendMessageA(lstItems_, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  showing_ = false;
}

void MainWindow::ShowDetails(const std::string& text) { SetTextOf(picDetails_, text); }

void MainWindow::SetEnabled(MainControl control, bool enabled) {
  if (const int id = CommandOf(control)) {
    EnableToolButton(Control(control), id, enabled);
  } else if (Hwnd window = Control(control)) {
    EnableWindow(window, enabled ? TRUE : FALSE);
  }
}

void MainWindow::SetMenuEnabled(MainMenu menu, int index, bool enabled) {
  EnableMenuItem(menuBar_, static_cast<UINT>(MenuCommand(menu, index)),
                 MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void MainWindow::SetFocus(MainControl control) {
  Hwnd window = Control(control);
  if (CommandOf(control) != 0) window = InnerToolbar(window);
  if (window) ::SetFocus(window);
}

void MainWindow::ShowPopup(ItemPopup popup, PopupPlace place) {
  HMENU menu = popup == ItemPopup::mnuPopItem1 ? mnuPopItem1_ : mnuPopItem2_;
  POINT at{0, 0};
  if (place == PopupPlace::AtPointer) {
    GetCursorPos(&at);
  } else {
    // Below the selected entry, or at the list's corner when none is selected.
    RECT entry;
    const int row = SelectedRow();
    if (row >= 0 && SendMessageA(lstItems_, LB_GETITEMRECT, static_cast<WPARAM>(row),
                                 reinterpret_cast<LPARAM>(&entry)) != LB_ERR) {
      at = {entry.left, entry.bottom};
    }
    ClientToScreen(lstItems_, &at);
  }
  const int chosen = static_cast<int>(TrackPopupMenu(
      menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, at.x,
      at.y, 0, hwnd_, nullptr));
  if (chosen != 0) OnCommand(chosen, 0);
}

void MainWindow::MakeFlatToolBars() {
  for (Hwnd bar : toolbars_) MakeFlat(bar);
}

void MainWindow::SetCaption(const std::string& caption) { SetTextOf(hwnd_, caption); }

void MainWindow::SetWindowEnabled(bool enabled) { EnableWindow(hwnd_, enabled ? TRUE : FALSE); }

void MainWindow::SetBusy(bool busy) {
  busy_ = busy;
  SetCursor(LoadCursorA(nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

void MainWindow::SetVisible(bool visible) {
  if (!visible) RememberFocus();
  ::ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE);
  if (visible) Activate();
}

void MainWindow::Activate() {
  SetForegroundWindow(hwnd_);
  SetActiveWindow(hwnd_);
  RestoreFocus();
}

void MainWindow::Unload() {
  if (closed_ || hwnd_ == nullptr) return;
  KeepPlace();
  DestroyWindow(hwnd_);
}

// The window's places are the system's "normal" ones, which count from the main
// screen's work area: the screens' areas are counted from there too.
namespace {
POINT WorkAreaOrigin() {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  GetMonitorInfoA(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &info);
  return {info.rcWork.left - info.rcMonitor.left, info.rcWork.top - info.rcMonitor.top};
}

BOOL CALLBACK AddScreen(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (GetMonitorInfoA(monitor, &info)) {
    const RECT& r = info.rcWork;
    reinterpret_cast<std::vector<ScreenArea>*>(data)->push_back(
        {static_cast<int>(r.left), static_cast<int>(r.top), static_cast<int>(r.right - r.left),
         static_cast<int>(r.bottom - r.top)});
  }
  return TRUE;
}
}  // namespace

bool MainWindow::RestorePlace() {
  std::vector<ScreenArea> screens;
  EnumDisplayMonitors(nullptr, nullptr, &AddScreen, reinterpret_cast<LPARAM>(&screens));
  const POINT origin = WorkAreaOrigin();
  for (ScreenArea& screen : screens) {
    screen.left -= origin.x;
    screen.top -= origin.y;
  }
  const std::optional<WindowPlace> place = form_.PlaceToRestore(screens);
  if (!place) return false;
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  GetWindowPlacement(hwnd_, &placement);
  placement.rcNormalPosition = {place->left, place->top, place->left + place->width,
                                place->top + place->height};
  placement.showCmd = place->maximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
  return SetWindowPlacement(hwnd_, &placement) != FALSE;
}

void MainWindow::KeepPlace() {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (!GetWindowPlacement(hwnd_, &placement)) return;
  const RECT& r = placement.rcNormalPosition;
  form_.Form_Unload({static_cast<int>(r.left), static_cast<int>(r.top),
                     static_cast<int>(r.right - r.left), static_cast<int>(r.bottom - r.top),
                     placement.showCmd == SW_SHOWMAXIMIZED || IsZoomed(hwnd_) != FALSE});
}

void MainWindow::ShowModal(FrmItemEdit& form) {
  RememberFocus();
  ItemEditor editor(form, hwnd_);
  if (ownerChanged_) ownerChanged_(editor.hwnd());
  editor.Run();
  if (ownerChanged_) ownerChanged_(hwnd_);
}

void MainWindow::ShowModal(FrmRunOptions& form) {
  RememberFocus();
  RunOptionsDialog dialog(form, hwnd_);
  if (ownerChanged_) ownerChanged_(dialog.hwnd());
  dialog.Run();
  if (ownerChanged_) ownerChanged_(hwnd_);
}

std::unique_ptr<RunProgressView> MainWindow::MakeProgressView(FrmRunProgress& form) {
  return MakeRunProgressWindow(form);
}

void MainWindow::ShowModal(FrmAbout& form) {
  RememberFocus();
  AboutBox about(form, hwnd_);
  about.Run();
}

// --- What the user does ---------------------------------------------------------------

void MainWindow::Run() {
  RunMessages([this] { return closed_; }, [this](MSG& message) { return PreTranslate(message); });
}

void MainWindow::RunPending() {
  MSG message;
  while (!closed_ && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    if (PreTranslate(message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

bool MainWindow::PreTranslate(MSG& message) {
  if (closed_ || !IsWithin(message.hwnd, hwnd_)) return false;
  // Where the focus stands before what this message does: the system's modal windows
  // (message boxes, file dialogs) take it from the window when they open.
  RememberFocus();
  const int key = static_cast<int>(message.wParam);
  if (IsKeyDown(message)) {
    // The shortcut keys of the menus first, then key preview: the window sees every
    // key before the control that has the focus.
    if (TranslateAcceleratorA(hwnd_, accelerators_, &message)) return true;
    // An open list of the box keeps its keys (Enter and Esc close it).
    const bool listOpen =
        IsWithin(message.hwnd, cboColl_) && SendMessageA(cboColl_, CB_GETDROPPEDSTATE, 0, 0) != 0;
    if (!listOpen && form_.Form_KeyDown(key, ModifierMask(message), ControlOf(message.hwnd))) {
      return true;
    }
  } else if (IsKeyUp(message)) {
    form_.Form_KeyUp(key, ModifierMask(message));
  }
  if (closed_) return true;
  // Tab, the arrow keys between buttons and the access keys, as in a dialog.
  if (MoveKeyboardButton(message)) return true;
  HWND before = GetFocus();
  if (IsDialogMessageA(hwnd_, &message) == 0) return false;
  FollowKeyboardFocus(before, GetFocus());
  return true;
}

std::intptr_t MainWindow::OnMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_NOTIFY:
      AnswerToolTip(lParam, made_.toolButtons);
      return 0;
    case WM_SETCURSOR:
      if (busy_) {
        SetCursor(LoadCursorA(nullptr, IDC_WAIT));
        return TRUE;
      }
      break;
    case WM_NEXTDLGCTL: {
      // The keyboard of a dialog moves the focus so: an access key of a frame gives it
      // to the frame, then to the control after it.
      HWND next = lParam ? reinterpret_cast<HWND>(wParam)
                         : GetNextDlgTabItem(hwnd_, GetFocus(), wParam != 0);
      if (next) ::SetFocus(next);
      return 0;
    }
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        RememberFocus();
      } else if (HIWORD(wParam) == 0) {
        RestoreFocus();
      }
      return 0;
    case WM_SETFOCUS:
      RestoreFocus();
      return 0;
    case WM_SIZE:
      FollowSize(hwnd_, MainWindowLayout().width, MainWindowLayout().height);
      return 0;
    case WM_GETMINMAXINFO:
      KeepLayoutSize(hwnd_, lParam, MainWindowLayout().width, MainWindowLayout().height);
      return 0;
    case WM_DPICHANGED:
      // Moved to a screen of another DPI.
      FollowDpiChange(hwnd_, wParam, lParam, MainWindowLayout().width, MainWindowLayout().height);
      return 0;
    case WM_CHANGEUISTATE:
      // The focus stays visible after a click too (ShowKeyboardCues).
      if (HidesKeyboardCues(wParam)) return 0;
      break;
    case WM_CLOSE:
      // The close box (and Alt+F4) asks the form first: unsaved changes.
      if (form_.Form_QueryUnload(kUnloadCloseBox)) Unload();
      return 0;
    case WM_DESTROY:
      closed_ = true;
      WakeMessages();
      return 0;
    default:
      break;
  }
  return DefWindowProcA(hwnd_, message, wParam, lParam);
}

std::intptr_t MainWindow::OnListMessage(unsigned message, std::uintptr_t wParam,
                                        std::intptr_t lParam) {
  switch (message) {
    // The right button opens a popup menu when it is released, and leaves the
    // selection as it is.
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      return 0;
    case WM_RBUTTONUP:
      form_.lstItems_MouseUp(kRightButton);
      return 0;
    // The keyboard's popup keys are the form's (key preview).
    case WM_CONTEXTMENU:
      return 0;
    case WM_PAINT:
      if (SendMessageA(lstItems_, LB_GETCOUNT, 0, 0) == 0) {
        PaintListHint();
        return 0;
      }
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
      // The empty list's focus mark is drawn with its hint.
      const LRESULT result =
          CallWindowProcA(reinterpret_cast<WNDPROC>(listProc_), lstItems_, message, wParam, lParam);
      if (SendMessageA(lstItems_, LB_GETCOUNT, 0, 0) == 0) InvalidateRect(lstItems_, nullptr, TRUE);
      return result;
    }
    default:
      break;
  }
  return CallWindowProcA(reinterpret_cast<WNDPROC>(listProc_), lstItems_, message, wParam, lParam);
}

void MainWindow::TellListHint() {
  // A screen reader reads the hint while the list is empty: as the list's description
  // (an accessibility annotation) and as its window text, which some accessibility
  // layers give as its name. Told again only when the list becomes empty or not.
  const bool empty = SendMessageA(lstItems_, LB_GETCOUNT, 0, 0) == 0;
  if (empty == listHintTold_) return;
  listHintTold_ = empty;
  const char* hint = FindControl(MainWindowLayout(), MainControl::lstItems)->text;
  SetWindowTextA(lstItems_, empty ? hint : "");
  IAccPropServices* annotations = nullptr;
  if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IAccPropServices, reinterpret_cast<void**>(&annotations)))) {
    return;
  }
  MSAAPROPID description = PROPID_ACC_DESCRIPTION;
  if (empty) {
    const std::wstring text(hint, hint + std::char_traits<char>::length(hint));  // plain ASCII
    annotations->SetHwndPropStr(lstItems_, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                description, text.c_str());
  } else {
    annotations->ClearHwndProps(lstItems_, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                &description, 1);
  }
  annotations->Release();
}

void MainWindow::PaintListHint() {
  // The list's hint, in its font, greyed, while it holds no entry.
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(lstItems_, &paint);
  RECT area;
  GetClientRect(lstItems_, &area);
  FillRect(dc, &area, GetSysColorBrush(IsWindowEnabled(lstItems_) ? COLOR_WINDOW : COLOR_BTNFACE));
  const auto font = reinterpret_cast<HFONT>(SendMessageA(lstItems_, WM_GETFONT, 0, 0));
  HGDIOBJ before = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  TEXTMETRICA metrics;
  GetTextMetricsA(dc, &metrics);
  InflateRect(&area, -metrics.tmAveCharWidth, -metrics.tmAveCharWidth / 2);
  const char* hint = FindControl(MainWindowLayout(), MainControl::lstItems)->text;
  DrawTextA(dc, hint, -1, &area, DT_LEFT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX);
  // With the focus, the list is framed by the focus mark (it has no entry to mark).
  if (GetFocus() == lstItems_ &&
      (SendMessageA(lstItems_, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) == 0) {
    GetClientRect(lstItems_, &area);
    InflateRect(&area, -1, -1);
    DrawFocusRect(dc, &area);
  }
  SelectObject(dc, before);
  EndPaint(lstItems_, &paint);
}

void MainWindow::OnCommand(int id, int notification) {
  const auto control = static_cast<MainControl>(made_.IdOfCommand(id));
  if (control == MainControl::cboColl && !showing_) {
    switch (notification) {
      case CBN_EDITCHANGE:
        form_.cboColl_Change(TextOf(cboColl_));
        break;
      case CBN_SELCHANGE: {
        // A pick: an arrow key in the closed box, or an entry chosen from the open
        // list, which counts once the list closes on it.
        if (SendMessageA(cboColl_, CB_GETDROPPEDSTATE, 0, 0) != 0) {
          pickPending_ = true;
          break;
        }
        pickPending_ = false;
        const int index = static_cast<int>(SendMessageA(cboColl_, CB_GETCURSEL, 0, 0));
        if (index >= 0) form_.cboColl_Click(index);
        break;
      }
      case CBN_SELENDOK: {
        const int index = static_cast<int>(SendMessageA(cboColl_, CB_GETCURSEL, 0, 0));
        if (pickPending_ && index >= 0) form_.cboColl_Click(index);
        pickPending_ = false;
        break;
      }
      case CBN_SELENDCANCEL:
        pickPending_ = false;
        break;
      default:
        break;
    }
    return;
  }
  switch (control) {
    case MainControl::lstItems:
      if (showing_) return;
      if (notification == LBN_SELCHANGE) form_.lstItems_Click(SelectedRow());
      if (notification == LBN_DBLCLK) form_.lstItems_DblClick();
      return;
    case MainControl::btnExec:
      if (notification == BN_CLICKED) form_.btnExec_Click();
      return;
    case MainControl::btnExit:
      if (notification == BN_CLICKED) form_.btnExit_Click();
      return;
    case MainControl::tbCollOther:
    case MainControl::tbCollSave:
    case MainControl::tbCollDelete:
    case MainControl::tbCollNew:
      return form_.tbColl_ButtonClick(control);
    case MainControl::tbItemUp:
    case MainControl::tbItemEdit:
    case MainControl::tbItemRemove:
    case MainControl::tbItemOpen:
    case MainControl::tbItemDown:
      return form_.tbItem_ButtonClick(control);
    default:
      break;
  }
  // The menus' entries.
  if (id >= kIdMenu && id < kIdMenu + 10 * (static_cast<int>(MainMenu::mnuPopItem2) + 1)) {
    form_.MenuClick(static_cast<MainMenu>((id - kIdMenu) / 10), (id - kIdMenu) % 10);
  }
}

void RunMainWindow(FrmMain& form, OwnerChanged ownerChanged) {
  MainWindow window(form, std::move(ownerChanged));
  window.Run();
}

}  // namespace tavrin::win32

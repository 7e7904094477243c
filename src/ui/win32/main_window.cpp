#include "ui/win32/main_window.h"

#include <windows.h>
// The common controls after the system's header.
#include <commctrl.h>

#include "forms/keys.h"
#include "ui/win32/about_box.h"
#include "ui/win32/item_editor.h"

namespace tavrin::win32 {
namespace {

const char* const kMainClass = "TavrinMain";
const char* const kCaption = "The Tavrin";

// The controls' and commands' identifiers.
enum : int {
  kIdColl = 1001,
  kIdList,
  kIdExec,
  kIdExit,
  kIdFrameColl,
  kIdFrameItems,
  kIdFrameDetails,
  kIdDetails,
  kIdCollOther = 1101,  // the collection toolbar, in its order
  kIdItemUp = 1201,     // tbItem(0) to tbItem(4)
  kIdMenuExit = 1301,
  kIdMenuRegistry,
  kIdMenuAbout,
  kIdPItem1 = 1401,
  kIdPitem2 = 1410,  // + the entry's index
};

// The main window's layout, in twips.
constexpr TwipsRect kClient{0, 0, 7860, 3780};
constexpr TwipsRect kFrameColl{60, 30, 7725, 705};
constexpr TwipsRect kFrameItems{60, 750, 4155, 2445};
constexpr TwipsRect kFrameDetails{4290, 750, 3495, 2445};
constexpr int kItemBarTops[] = {180, 622, 1064, 1506, 1950};

struct ButtonEntry {
  ToolButton button;
  MainControl control;
};

const ButtonEntry kCollButtons[] = {
    {{kIdCollOther, "Other", "cOpen", "Browse for a collection"}, MainControl::tbCollOther},
    {{kIdCollOther + 1, "Save", "cSave", "Save current collection"}, MainControl::tbCollSave},
    {{kIdCollOther + 2, "Delete", "cDelete", "Delete the current collection"},
     MainControl::tbCollDelete},
    {{kIdCollOther + 3, "New", "cNew", "Start over from scratch"}, MainControl::tbCollNew},
};

const ButtonEntry kItemButtons[] = {
    {{kIdItemUp, "Up", "iUp", "Move item up in list"}, MainControl::tbItemUp},
    {{kIdItemUp + 1, "Edit", "iEdit", "Edit the selected item"}, MainControl::tbItemEdit},
    {{kIdItemUp + 2, "Remove", "iRemove", "Remove item from list"}, MainControl::tbItemRemove},
    {{kIdItemUp + 3, "Open", "iOpen", "Open the selected item"}, MainControl::tbItemOpen},
    {{kIdItemUp + 4, "Down", "iDown", "Move item down in list"}, MainControl::tbItemDown},
};

std::vector<ToolButton> AllToolButtons() {
  std::vector<ToolButton> all;
  for (const auto& entry : kCollButtons) all.push_back(entry.button);
  for (const auto& entry : kItemButtons) all.push_back(entry.button);
  return all;
}

const char* const kPopItem2Entries[] = {"&Add...", "&Edit...", "&Remove", "-", "&Open Item"};

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
  // A fixed single border, a minimise box and no maximise box.
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  const DWORD exStyle = WS_EX_CONTROLPARENT;
  RECT frame{0, 0, Pixels(kClient.width), Pixels(kClient.height)};
  AdjustWindowRectEx(&frame, style, TRUE, exStyle);
  // The window procedure knows the window by its handle, which CreateWindowEx gives
  // only when it returns: until then the messages go to the default procedure.
  hwnd_ = CreateWindowExA(exStyle, kMainClass, kCaption, style, CW_USEDEFAULT, CW_USEDEFAULT,
                          frame.right - frame.left, frame.bottom - frame.top, nullptr, menuBar_,
                          GetModuleHandleA(nullptr), this);
  if (hwnd_ == nullptr) return;
  if (ownerChanged_) ownerChanged_(hwnd_);
  FitInnerArea(hwnd_, kClient.width, kClient.height);
  BuildControls();
  form_.Form_Load(*this);
  Centre(hwnd_);
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
  HMENU file = CreatePopupMenu();
  AppendMenuA(file, MF_STRING, kIdMenuExit, "E&xit\tCtrl+X");
  AppendMenuA(menuBar_, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
  HMENU options = CreatePopupMenu();
  AppendMenuA(options, MF_STRING, kIdMenuRegistry, "&Registry...");
  AppendMenuA(menuBar_, MF_POPUP, reinterpret_cast<UINT_PTR>(options), "O&ptions");
  HMENU help = CreatePopupMenu();
  AppendMenuA(help, MF_STRING, kIdMenuAbout, "&About\tF1");
  AppendMenuA(menuBar_, MF_POPUP, reinterpret_cast<UINT_PTR>(help), "&?");

  // The item menus are shown only as popups over the item list, never in the bar.
  mnuPopItem1_ = CreatePopupMenu();
  AppendMenuA(mnuPopItem1_, MF_STRING, kIdPItem1, "&Add...");
  mnuPopItem2_ = CreatePopupMenu();
  for (int i = 0; i < 5; ++i) {
    if (std::string(kPopItem2Entries[i]) == "-") {
      AppendMenuA(mnuPopItem2_, MF_SEPARATOR, 0, nullptr);
    } else {
      AppendMenuA(mnuPopItem2_, MF_STRING, static_cast<UINT_PTR>(kIdPitem2 + i),
                  kPopItem2Entries[i]);
    }
  }

  ACCEL keys[] = {{FVIRTKEY | FCONTROL, 'X', kIdMenuExit}, {FVIRTKEY, VK_F1, kIdMenuAbout}};
  accelerators_ = CreateAcceleratorTableA(keys, 2);
}

void MainWindow::BuildControls() {
  tips_ = std::make_unique<ToolTips>(hwnd_);
  // Created in the order Tab goes through them: a frame's access key moves the focus
  // to the control that follows it.
  BuildCollectionFrame();
  BuildItemFrame();
  BuildDetailsFrame();
  BuildButtons();
}

void MainWindow::BuildCollectionFrame() {
  frameColl_ = MakeControl(hwnd_, "Button", "Tavrin &Collection", BS_GROUPBOX, kFrameColl,
                           kIdFrameColl, WindowFont(9.75));
  // The height of an editable box is that of its open list; the closed box takes the
  // height its font gives it.
  TwipsRect box = TwipsRect{120, 240, 5955, 345}.Inside(kFrameColl);
  box.height = 3000;
  cboColl_ = MakeControl(hwnd_, "ComboBox", "",
                         CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP | WS_GROUP, box,
                         kIdColl, WindowFont(9.75));
  tips_->Add(cboColl_, "Avalible collections");
  std::vector<ToolButton> buttons;
  for (const auto& entry : kCollButtons) buttons.push_back(entry.button);
  tbColl_ = MakeToolbar(hwnd_, TwipsRect{6150, 240, 1485, 390}.Inside(kFrameColl), buttons);
}

void MainWindow::BuildItemFrame() {
  frameItems_ = MakeControl(hwnd_, "Button", "Tavrin &Items", BS_GROUPBOX, kFrameItems,
                            kIdFrameItems, WindowFont(9.75));
  lstItems_ = MakeControl(hwnd_, "ListBox", "",
                          LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP | WS_GROUP,
                          TwipsRect{120, 210, 3585, 2100}.Inside(kFrameItems), kIdList,
                          WindowFont(9.75), WS_EX_CLIENTEDGE);
  tips_->Add(lstItems_, "Items in the current collection");
  // The right button and the keyboard's popup key reach the form, not the list.
  SetWindowLongPtrA(lstItems_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  listProc_ = SetWindowLongPtrA(lstItems_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ListProc));
  for (int i = 0; i < 5; ++i) {
    tbItem_[i] = MakeToolbar(hwnd_, TwipsRect{3750, kItemBarTops[i], 375, 405}.Inside(kFrameItems),
                             {kItemButtons[i].button});
  }
}

void MainWindow::BuildDetailsFrame() {
  frameDetails_ = MakeControl(hwnd_, "Button", "Item Details", BS_GROUPBOX, kFrameDetails,
                              kIdFrameDetails, WindowFont(9.75));
  picDetails_ =
      MakeDetailsPane(hwnd_, TwipsRect{90, 240, 3360, 2145}.Inside(kFrameDetails), kIdDetails);
}

void MainWindow::BuildButtons() {
  btnExec_ = MakeControl(hwnd_, "Button", "Execute &Tavrin",
                         BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP | WS_DISABLED,
                         {60, 3300, 3015, 405}, kIdExec, WindowFont(12, true));
  tips_->Add(btnExec_, "Run all items in current collection. (Shift-Click to prevent exiting)");
  btnExit_ = MakeControl(hwnd_, "Button", "E&xit", BS_PUSHBUTTON | WS_TABSTOP,
                         {4770, 3300, 3015, 405}, kIdExit, WindowFont(12, true));
  tips_->Add(btnExit_, "Exit Tavrin");
}

// --- The controls ---------------------------------------------------------------------

std::vector<Hwnd> MainWindow::Toolbars() const {
  return {tbColl_, tbItem_[0], tbItem_[1], tbItem_[2], tbItem_[3], tbItem_[4]};
}

int MainWindow::CommandOf(MainControl button) {
  for (const auto& entry : kCollButtons) {
    if (entry.control == button) return entry.button.id;
  }
  for (const auto& entry : kItemButtons) {
    if (entry.control == button) return entry.button.id;
  }
  return 0;
}

Hwnd MainWindow::Control(MainControl control) const {
  for (const auto& entry : kCollButtons) {
    if (entry.control == control) return tbColl_;
  }
  for (int i = 0; i < 5; ++i) {
    if (kItemButtons[i].control == control) return tbItem_[i];
  }
  switch (control) {
    case MainControl::cboColl:
      return cboColl_;
    case MainControl::lstItems:
      return lstItems_;
    case MainControl::btnExec:
      return btnExec_;
    case MainControl::btnExit:
      return btnExit_;
    default:
      return nullptr;
  }
}

MainControl MainWindow::ControlOf(Hwnd focus) const {
  if (IsWithin(focus, cboColl_)) return MainControl::cboColl;
  if (focus == lstItems_) return MainControl::lstItems;
  if (focus == btnExec_) return MainControl::btnExec;
  if (focus == btnExit_) return MainControl::btnExit;
  if (IsWithin(focus, tbColl_)) {
    // The toolbar's highlighted button is the one the keyboard is on.
    const auto hot = SendMessageA(InnerToolbar(tbColl_), TB_GETHOTITEM, 0, 0);
    return hot >= 0 && hot < 4 ? kCollButtons[hot].control : MainControl::None;
  }
  for (int i = 0; i < 5; ++i) {
    if (IsWithin(focus, tbItem_[i])) return kItemButtons[i].control;
  }
  return MainControl::None;
}

int MainWindow::SelectedRow() const {
  return static_cast<int>(SendMessageA(lstItems_, LB_GETCURSEL, 0, 0));
}

void MainWindow::RememberFocus() {
  HWND focus = GetFocus();
  if (focus != nullptr && IsChild(hwnd_, focus)) focus_ = focus;
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
  showing_ = false;
}

void MainWindow::InsertItem(int index, const std::string& name) {
  showing_ = true;
  SendMessageA(lstItems_, LB_INSERTSTRING, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(name.c_str()));
  showing_ = false;
}

void MainWindow::RemoveItem(int index) {
  showing_ = true;
  SendMessageA(lstItems_, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
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
  for (Hwnd bar : Toolbars()) MakeFlat(bar);
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
  if (!closed_ && hwnd_) DestroyWindow(hwnd_);
}

void MainWindow::ShowModal(FrmItemEdit& form) {
  RememberFocus();
  ItemEditor editor(form, hwnd_);
  if (ownerChanged_) ownerChanged_(editor.hwnd());
  editor.Run();
  if (ownerChanged_) ownerChanged_(hwnd_);
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
      AnswerToolTip(lParam, AllToolButtons());
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
    case WM_DPICHANGED:
      // Moved to a screen of another DPI.
      FollowDpiChange(hwnd_, wParam, lParam, kClient.width, kClient.height);
      return 0;
    case WM_CLOSE:
      // Closing the window by any way ends the program at once; nothing is asked.
      Unload();
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
    default:
      return CallWindowProcA(reinterpret_cast<WNDPROC>(listProc_), lstItems_, message, wParam,
                             lParam);
  }
}

void MainWindow::OnCommand(int id, int notification) {
  if (id == kIdColl && !showing_) {
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
  if (id == kIdList && !showing_) {
    if (notification == LBN_SELCHANGE) form_.lstItems_Click(SelectedRow());
    if (notification == LBN_DBLCLK) form_.lstItems_DblClick();
    return;
  }
  if (id == kIdExec && notification == BN_CLICKED) return form_.btnExec_Click();
  if (id == kIdExit && notification == BN_CLICKED) return form_.btnExit_Click();
  for (const auto& entry : kCollButtons) {
    if (id == entry.button.id) return form_.tbColl_ButtonClick(entry.control);
  }
  for (const auto& entry : kItemButtons) {
    if (id == entry.button.id) return form_.tbItem_ButtonClick(entry.control);
  }
  switch (id) {
    case kIdMenuExit:
      return form_.mnuFile_Click(0);
    case kIdMenuRegistry:
      return form_.mnuOption_Click(0);
    case kIdMenuAbout:
      return form_.mnuHelp_Click(0);
    case kIdPItem1:
      return form_.mnuPItem1_Click();
    default:
      if (id >= kIdPitem2 && id < kIdPitem2 + 5) form_.mnuPitem2_Click(id - kIdPitem2);
      break;
  }
}

void RunMainWindow(FrmMain& form, OwnerChanged ownerChanged) {
  MainWindow window(form, std::move(ownerChanged));
  window.Run();
}

}  // namespace tavrin::win32

#include "ui/win32/about_box.h"

#include <windows.h>

namespace tavrin::win32 {
namespace {

enum : int { kIdName = 3001, kIdVersion, kIdLegal1, kIdLegal2, kIdMail, kIdIcon };

// The link's colour.
constexpr COLORREF kLinkColour = RGB(0x1a, 0x4f, 0xb5);

}  // namespace

AboutBox::AboutBox(FrmAbout& form, Hwnd owner)
    : ModalDialog(owner, "About The Tavrin...", 4200, 2175), form_(form) {
  Create();
}

void AboutBox::OnInit() {
  MakeControl(hwnd_, "Static", "The Tavrin", SS_LEFT | SS_NOPREFIX, {990, 60, 3165, 345}, kIdName,
              WindowFont(15.75, true));
  lblVer_ = MakeControl(hwnd_, "Static", "", SS_LEFT | SS_NOPREFIX, {990, 450, 3165, 225},
                        kIdVersion, WindowFont(9.75));
  MakeControl(hwnd_, "Static", FrmAbout::kLegalNotice[0], SS_LEFT | SS_NOPREFIX,
              {990, 720, 3165, 225}, kIdLegal1, WindowFont(9.75));
  MakeControl(hwnd_, "Static", FrmAbout::kLegalNotice[1], SS_LEFT | SS_NOPREFIX,
              {990, 960, 3165, 225}, kIdLegal2, WindowFont(9.75));
  lblMail_ = MakeControl(hwnd_, "Static", "", SS_LEFT | SS_NOPREFIX | SS_NOTIFY,
                         {990, 1290, 2460, 225}, kIdMail, MailFont());
  Hwnd picBut = MakeControl(hwnd_, "Static", "", SS_ICON, {180, 150, 480, 480}, kIdIcon, nullptr);
  if (auto* icon = static_cast<HICON>(
          LoadImageA(GetModuleHandleA(nullptr), "APPICON", IMAGE_ICON, 32, 32, LR_SHARED))) {
    SendMessageA(picBut, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
  }
  Hwnd ok = MakeControl(hwnd_, "Button", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP,
                        {1207, 1680, 1875, 405}, IDOK, WindowFont(12, true));
  SendMessageA(hwnd_, DM_SETDEFID, IDOK, 0);
  form_.Form_Load(*this);
  SetFocus(ok);
}

void AboutBox::ShowVersion(const std::string& text) { SetTextOf(lblVer_, text); }

void AboutBox::ShowMailAddress(const std::string& address) { SetTextOf(lblMail_, address); }

void AboutBox::Unload() { Close(); }

void AboutBox::OnCommand(int id, int notification) {
  switch (id) {
    case IDOK:
    case IDCANCEL:  // Enter and Esc
      form_.btnOK_Click();
      break;
    case kIdMail:
      if (notification == STN_CLICKED) form_.lblMail_Click();
      break;
    default:
      break;
  }
}

void AboutBox::OnCloseBox() { form_.btnOK_Click(); }

std::intptr_t AboutBox::OnColorStatic(void* dc, Hwnd control) {
  if (control != lblMail_) return 0;
  // The address reads as a link: blue and underlined (its font).
  auto* context = static_cast<HDC>(dc);
  SetTextColor(context, kLinkColour);
  SetBkMode(context, TRANSPARENT);
  return reinterpret_cast<std::intptr_t>(GetSysColorBrush(COLOR_BTNFACE));
}

bool AboutBox::OnSetCursor(Hwnd control) {
  if (control != lblMail_) return false;
  SetCursor(LoadCursorA(nullptr, IDC_HAND));
  return true;
}

}  // namespace tavrin::win32

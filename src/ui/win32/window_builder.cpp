#include "ui/win32/window_builder.h"

#include <algorithm>
#include <map>
#include <string_view>

#include <windows.h>
// The common controls after the system's header.
#include <commctrl.h>

namespace tavrin::win32 {
namespace {

TwipsRect Place(const TwipsBox& box) { return {box.left, box.top, box.width, box.height}; }

// The window class and style of a control of `kind`.
struct ClassAndStyle {
  const char* className;
  DWORD style;
  DWORD exStyle;
};

ClassAndStyle ClassOf(const ControlDesc& desc) {
  switch (desc.kind) {
    case ControlKind::Frame:
      return {"Button", BS_GROUPBOX, 0};
    case ControlKind::Label:
      return {"Static", SS_LEFT, 0};
    case ControlKind::Heading:
      return {"Static", SS_LEFT | SS_NOPREFIX, 0};
    case ControlKind::Link:
      // A Tab stop: the keyboard reaches it as the mouse does.
      return {"Static", SS_LEFT | SS_NOPREFIX | SS_NOTIFY | WS_TABSTOP, 0};
    case ControlKind::Picture:
      return {"Static", SS_ICON, 0};
    case ControlKind::TextBox:
      return {"Edit", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
    case ControlKind::TextArea:
      return {
          "Edit",
          ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | ES_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP,
          WS_EX_CLIENTEDGE};
    case ControlKind::EditableList:
      return {"ComboBox", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP, 0};
    case ControlKind::PickList:
      return {"ComboBox", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0};
    case ControlKind::ListBox:
      return {"ListBox", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP,
              WS_EX_CLIENTEDGE};
    case ControlKind::CheckBox:
      return {"Button", BS_AUTOCHECKBOX | WS_TABSTOP, 0};
    case ControlKind::PushButton:
      return {"Button",
              static_cast<DWORD>(desc.isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP,
              0};
    case ControlKind::ProgressBar:
      return {PROGRESS_CLASSA, 0, 0};
    case ControlKind::ToolBar:
    case ControlKind::DetailsPane:
      break;
  }
  return {"Static", 0, 0};
}

Hfont FontOf(const ControlDesc& desc) {
  if (desc.kind == ControlKind::Picture) return nullptr;
  // A link reads as one: underlined (and blue, as its window draws it).
  if (desc.kind == ControlKind::Link) return MailFont();
  return WindowFont(desc.font.points, desc.font.bold);
}

// The program's picture, the icon of the executable, at its size in the layout at the
// layout's DPI (loaded once for each size: a shared icon would keep its first size).
void ShowPicture(Hwnd control, const ControlDesc& desc) {
  if (std::string_view(desc.picture) != "tavrin") return;
  const int side = Pixels(desc.place.width);
  static std::map<int, HICON> loaded;
  HICON& icon = loaded[side];
  if (icon == nullptr) {
    icon = static_cast<HICON>(
        LoadImageA(GetModuleHandleA(nullptr), "APPICON", IMAGE_ICON, side, side, 0));
  }
  if (icon != nullptr) SendMessageA(control, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
}

}  // namespace

bool MadeControls::IsToolButton(int id) const {
  const int command = Command(id);
  return command != 0 && std::any_of(toolButtons.begin(), toolButtons.end(),
                                     [command](const ToolButton& b) { return b.id == command; });
}

int MadeControls::IdOfCommand(int command) const {
  for (size_t id = 1; id < commands.size(); ++id) {
    if (commands[id] == command && byId[id] != nullptr) return static_cast<int>(id);
  }
  return 0;
}

int MadeControls::IdAt(Hwnd focus) const {
  for (size_t id = 1; id < byId.size(); ++id) {
    Hwnd control = byId[id];
    if (control == nullptr || !IsWithin(focus, control)) continue;
    if (!IsToolButton(static_cast<int>(id)) || std::count(byId.begin(), byId.end(), control) == 1) {
      return static_cast<int>(id);
    }
    // Of a toolbar of several buttons, the highlighted one is the one the keyboard is on.
    Hwnd toolbar = InnerToolbar(control);
    const auto hot = SendMessageA(toolbar, TB_GETHOTITEM, 0, 0);
    TBBUTTON button{};
    if (hot < 0 || SendMessageA(toolbar, TB_GETBUTTON, static_cast<WPARAM>(hot),
                                reinterpret_cast<LPARAM>(&button)) == 0) {
      return 0;
    }
    return IdOfCommand(button.idCommand);
  }
  return 0;
}

MadeControls MakeControls(Hwnd window, const std::vector<ControlDesc>& controls, ToolTips& tips,
                          const std::function<int(int id)>& commandOf) {
  MadeControls made;
  made.windows.resize(controls.size());
  int ids = 1;
  for (const ControlDesc& desc : controls) {
    ids = std::max(ids, desc.id + 1);
    for (const ToolDesc& button : desc.buttons) ids = std::max(ids, button.id + 1);
  }
  made.byId.resize(static_cast<size_t>(ids));
  made.commands.resize(static_cast<size_t>(ids));

  TwipsRect frame{0, 0, 0, 0};
  for (size_t i = 0; i < controls.size(); ++i) {
    const ControlDesc& desc = controls[i];
    TwipsRect place = Place(desc.place);
    if (desc.inFrame) place = place.Inside(frame);
    if (desc.kind == ControlKind::Frame) frame = place;
    // The height of a drop-down list is that of its open list; the closed box takes the
    // height its font gives it.
    if (desc.listHeight > 0) place.height = desc.listHeight;
    const int command = desc.id > 0 ? commandOf(desc.id) : -1;
    Hwnd control = nullptr;
    if (desc.kind == ControlKind::ToolBar) {
      std::vector<ToolButton> buttons;
      for (const ToolDesc& b : desc.buttons) {
        buttons.push_back({commandOf(b.id), b.key, b.picture, b.tip});
      }
      control = MakeToolbar(window, place, buttons);
      for (size_t b = 0; b < buttons.size(); ++b) {
        made.byId[desc.buttons[b].id] = control;
        made.commands[desc.buttons[b].id] = buttons[b].id;
        made.toolButtons.push_back(buttons[b]);
      }
    } else if (desc.kind == ControlKind::DetailsPane) {
      control = MakeDetailsPane(window, place, command);
    } else {
      ClassAndStyle kind = ClassOf(desc);
      const ControlDesc* before = i > 0 ? &controls[i - 1] : nullptr;
      if (TakesTab(desc.kind) && before != nullptr &&
          (before->kind == ControlKind::Frame || (before->inFrame && !desc.inFrame))) {
        kind.style |= WS_GROUP;
      }
      if (desc.disabled) kind.style |= WS_DISABLED;
      control = MakeControl(window, kind.className, desc.text != nullptr ? desc.text : "",
                            kind.style, place, command, FontOf(desc), kind.exStyle);
      if (desc.kind == ControlKind::Picture && desc.picture != nullptr) ShowPicture(control, desc);
      if (desc.kind == ControlKind::Link) MarkFocusOfStatic(control);
      if (desc.tip != nullptr) tips.Add(control, desc.tip);
    }
    FollowWindow(control, desc.anchor);
    made.windows[i] = control;
    if (desc.id > 0) {
      made.byId[desc.id] = control;
      made.commands[desc.id] = command;
    }
  }
  return made;
}

}  // namespace tavrin::win32

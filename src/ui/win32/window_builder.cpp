#include "ui/win32/window_builder.h"

#include <algorithm>
#include <string_view>

#include <windows.h>
// The common controls after the system's header.
#include <commctrl.h>

namespace tavrin::win32 {
namespace {

TwipsRect Place(const TwipsBox& box) { return {box.left, box.top, box.width, box.height}; }

bool TakesTab(ControlKind kind) {
  switch (kind) {
    case ControlKind::TextBox:
    case ControlKind::EditableList:
    case ControlKind::PickList:
    case ControlKind::ListBox:
    case ControlKind::CheckBox:
    case ControlKind::PushButton:
      return true;
    default:
      return false;
  }
}

// The window class and style of a control of `kind`.
struct ClassAndStyle {
  const char* className;
  DWORD style;
  DWORD exStyle;
};

ClassAndStyle ClassOf(const ControlSpec& spec) {
  switch (spec.kind) {
    case ControlKind::Frame:
      return {"Button", BS_GROUPBOX, 0};
    case ControlKind::Label:
      return {"Static", SS_LEFT, 0};
    case ControlKind::Heading:
      return {"Static", SS_LEFT | SS_NOPREFIX, 0};
    case ControlKind::Link:
      return {"Static", SS_LEFT | SS_NOPREFIX | SS_NOTIFY, 0};
    case ControlKind::Picture:
      return {"Static", SS_ICON, 0};
    case ControlKind::TextBox:
      return {"Edit", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
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
              static_cast<DWORD>(spec.isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP,
              0};
    case ControlKind::ToolBar:
    case ControlKind::DetailsPane:
      break;
  }
  return {"Static", 0, 0};
}

Hfont FontOf(const ControlSpec& spec) {
  if (spec.kind == ControlKind::Picture) return nullptr;
  // A link reads as one: underlined (and blue, as its window draws it).
  if (spec.kind == ControlKind::Link) return MailFont();
  return WindowFont(spec.font.points, spec.font.bold);
}

// The program's picture, the icon of the executable, at its size in the layout at 96
// dots per inch.
void ShowPicture(Hwnd control, const ControlSpec& spec) {
  if (std::string_view(spec.picture) != "tavrin") return;
  const int side = spec.place.width / 15;
  if (auto* icon = static_cast<HICON>(
          LoadImageA(GetModuleHandleA(nullptr), "APPICON", IMAGE_ICON, side, side, LR_SHARED))) {
    SendMessageA(control, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
  }
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

MadeControls MakeControls(Hwnd window, const std::vector<ControlSpec>& controls, ToolTips& tips) {
  MadeControls made;
  made.windows.resize(controls.size());
  int ids = 1;
  for (const ControlSpec& spec : controls) {
    ids = std::max(ids, spec.id + 1);
    for (int id : spec.buttonIds) ids = std::max(ids, id + 1);
  }
  made.byId.resize(static_cast<size_t>(ids));
  made.commands.resize(static_cast<size_t>(ids));

  TwipsRect frame{0, 0, 0, 0};
  for (size_t i = 0; i < controls.size(); ++i) {
    const ControlSpec& spec = controls[i];
    TwipsRect place = Place(spec.place);
    if (spec.inFrame) place = place.Inside(frame);
    if (spec.kind == ControlKind::Frame) frame = place;
    // The height of a drop-down list is that of its open list; the closed box takes the
    // height its font gives it.
    if (spec.listHeight > 0) place.height = spec.listHeight;
    Hwnd control = nullptr;
    if (spec.kind == ControlKind::ToolBar) {
      control = MakeToolbar(window, place, spec.buttons);
      for (size_t b = 0; b < spec.buttons.size(); ++b) {
        made.byId[spec.buttonIds[b]] = control;
        made.commands[spec.buttonIds[b]] = spec.buttons[b].id;
        made.toolButtons.push_back(spec.buttons[b]);
      }
    } else if (spec.kind == ControlKind::DetailsPane) {
      control = MakeDetailsPane(window, place, spec.command);
    } else {
      ClassAndStyle kind = ClassOf(spec);
      const ControlSpec* before = i > 0 ? &controls[i - 1] : nullptr;
      if (TakesTab(spec.kind) && before != nullptr &&
          (before->kind == ControlKind::Frame || (before->inFrame && !spec.inFrame))) {
        kind.style |= WS_GROUP;
      }
      if (spec.disabled) kind.style |= WS_DISABLED;
      control = MakeControl(window, kind.className, spec.text != nullptr ? spec.text : "",
                            kind.style, place, spec.command, FontOf(spec), kind.exStyle);
      if (spec.kind == ControlKind::Picture && spec.picture != nullptr) ShowPicture(control, spec);
      if (spec.tip != nullptr) tips.Add(control, spec.tip);
    }
    made.windows[i] = control;
    if (spec.id > 0) {
      made.byId[spec.id] = control;
      made.commands[spec.id] = spec.command;
    }
  }
  return made;
}

}  // namespace tavrin::win32

#pragma once

#include <functional>
#include <vector>

#include "forms/window_layout.h"
#include "ui/win32/controls.h"

namespace tavrin::win32 {

// The windows made from a window's layout.
struct MadeControls {
  std::vector<Hwnd> windows;  // one for each control of the layout, in its order
  std::vector<Hwnd> byId;     // each control by the form's name; a toolbar button's toolbar
  std::vector<int> commands;  // the command identifier of each, by the form's name
  std::vector<ToolButton> toolButtons;  // every toolbar's buttons, for their tool tips

  Hwnd Control(int id) const { return Valid(id) ? byId[id] : nullptr; }
  int Command(int id) const { return Valid(id) ? commands[id] : 0; }
  // Whether `id` is a toolbar button (whose window is its toolbar).
  bool IsToolButton(int id) const;
  // The form's name for the control of `command`; 0 for none.
  int IdOfCommand(int command) const;
  // The form's name for the control that `focus` is or lies in; of a toolbar, the
  // button the keyboard is on (0 for none).
  int IdAt(Hwnd focus) const;

 private:
  bool Valid(int id) const { return id > 0 && id < static_cast<int>(byId.size()); }
};

// Makes the controls of `controls` on `window`, in their order (which is the order Tab
// goes through them), where the twips layout puts them, with their texts, fonts and
// tool tips. `commandOf` gives the command identifier of each control and toolbar
// button the form names; what the form never names is a static control of its own (the
// system's "no identifier"). The first control of a frame and the first after the
// frames start a group of the arrow keys.
MadeControls MakeControls(Hwnd window, const std::vector<ControlDesc>& controls, ToolTips& tips,
                          const std::function<int(int id)>& commandOf);

template <class Id, class Menu, class CommandOf>
MadeControls MakeControls(Hwnd window, const WindowLayout<Id, Menu>& layout, ToolTips& tips,
                          CommandOf commandOf) {
  return MakeControls(window, Describe(layout), tips,
                      [&commandOf](int id) { return commandOf(static_cast<Id>(id)); });
}

}  // namespace tavrin::win32

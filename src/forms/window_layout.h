#pragma once

#include <span>
#include <vector>

namespace tavrin {

// A window's controls as data: what each control is, what it says and where it stands.
// A view walks a window's layout to make its controls, and adds only what is its
// toolkit's own (fonts, pictures, key translation, the modal loop).

// A place in a window, in twips (1440 to the inch, 15 to a pixel at 96 dots per inch):
// left, top, width, height.
struct TwipsBox {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

// How a control follows its window as the window grows beyond the size of its layout:
// each edge moves by a share of the room added, in halves (0 stays, 1 moves by half of
// it, 2 by all of it). The shares are the window's, for a control in a frame too. A
// window none of whose controls follows keeps its size.
struct Anchor {
  int left = 0;
  int right = 0;
  int top = 0;
  int bottom = 0;
  constexpr bool Follows() const { return left != 0 || right != 0 || top != 0 || bottom != 0; }
};

enum class ControlKind {
  Frame,         // a frame with a caption; the controls marked inFrame after it stand in it
  Label,         // a text; its access key leads to the control after it
  Heading,       // a text that has no access key ('&' is shown as it is)
  TextBox,       // a one-line text field
  TextArea,      // a text field of several lines, scrolled down as it fills
  EditableList,  // a drop-down list with a text field of its own
  PickList,      // a drop-down list that only picks
  ListBox,
  CheckBox,
  PushButton,
  ToolBar,      // a row of picture buttons, each a control of its own
  DetailsPane,  // the drawing area of the item details
  Picture,      // a picture of its own (`picture`)
  Link,         // a text that reads and acts as a link
  ProgressBar,  // a bar that fills as a share grows; `text` names it to assistive technology
};

// A text's font: the windows' face at `points`.
struct FontSize {
  double points = 9.75;
  bool bold = false;
};

// A button of a toolbar: the control it is, its key (also its name), picture and tool tip.
// A button shows no text of its own: its tool tip names it.
template <class Id>
struct ToolButtonLayout {
  Id id;
  const char* key;
  const char* picture;
  const char* tip;
};

// One control. `text` is a caption with '&' before its access key; `place` is in the
// window, or in the last frame before it when `inFrame`.
template <class Id>
struct ControlLayout {
  ControlKind kind;
  Id id{};                // what the form calls it; none for what it never names
  const char* name{};     // how tests and assistive technology find it
  const char* text{};     // the caption, or the text shown before the form sets one; of a
                          // list, the hint it shows while it holds no entry
  const char* tip{};      // the tool tip
  const char* picture{};  // of a picture: the name of the program's picture it shows
  TwipsBox place{};
  bool inFrame = false;
  FontSize font{};
  bool isDefault = false;  // the button Enter presses
  bool disabled = false;   // disabled until the form enables it
  int listHeight = 0;      // of a drop-down list: the height of its open list
  std::span<const ToolButtonLayout<Id>> buttons{};
  Anchor anchor{};  // how it follows the window as the window grows
};

// A menu entry: "-" is a separator; `shortcut` the key that picks it wherever the focus
// is ("Ctrl+X", "F1"; none when empty).
struct MenuEntryLayout {
  const char* text;
  const char* shortcut = "";
};

template <class Menu>
struct MenuLayout {
  Menu id;
  const char* name;
  const char* text;  // the caption in the menu bar; a popup shows none
  bool popup;        // shown only as a popup, never in the bar
  std::span<const MenuEntryLayout> entries;
};

// A window: its caption, the size of its inner area, its controls in tab order (the
// order in which they are made), and its menus.
template <class Id, class Menu = int>
struct WindowLayout {
  const char* caption;
  int width;
  int height;
  std::span<const ControlLayout<Id>> controls;
  std::span<const MenuLayout<Menu>> menus = {};
};

// The control of `layout` that the form calls `id`; nullptr when there is none.
template <class Id, class Menu>
const ControlLayout<Id>* FindControl(const WindowLayout<Id, Menu>& layout, Id id) {
  for (const ControlLayout<Id>& control : layout.controls) {
    if (control.id == id) return &control;
  }
  return nullptr;
}

// A control of a layout with the form's names as numbers (0 for none), for the code
// that makes windows of any layout.
struct ToolDesc {
  int id;
  const char* key;
  const char* picture;
  const char* tip;
};
struct ControlDesc {
  ControlKind kind;
  int id;
  const char* name;
  const char* text;
  const char* tip;
  const char* picture;
  TwipsBox place;
  bool inFrame;
  FontSize font;
  bool isDefault;
  bool disabled;
  int listHeight;
  std::vector<ToolDesc> buttons;
  Anchor anchor;
};

template <class Id, class Menu>
std::vector<ControlDesc> Describe(const WindowLayout<Id, Menu>& layout) {
  std::vector<ControlDesc> controls;
  controls.reserve(layout.controls.size());
  for (const ControlLayout<Id>& c : layout.controls) {
    ControlDesc desc{c.kind,     static_cast<int>(c.id),
                     c.name,     c.text,
                     c.tip,      c.picture,
                     c.place,    c.inFrame,
                     c.font,     c.isDefault,
                     c.disabled, c.listHeight,
                     {},         c.anchor};
    for (const ToolButtonLayout<Id>& b : c.buttons) {
      desc.buttons.push_back({static_cast<int>(b.id), b.key, b.picture, b.tip});
    }
    controls.push_back(std::move(desc));
  }
  return controls;
}

// Whether a window of `layout` grows: some control of it follows the window.
template <class Id, class Menu>
constexpr bool Grows(const WindowLayout<Id, Menu>& layout) {
  for (const ControlLayout<Id>& control : layout.controls) {
    if (control.anchor.Follows()) return true;
  }
  return false;
}

// The edge `at` (in any unit) of a control whose anchor share is `share`, in a window
// that has grown by `added` of that unit.
constexpr int Followed(int at, int share, int added) { return at + added * share / 2; }

// Whether Tab stops at a control of `kind` (a toolbar's buttons each do; a link's toolkit
// decides).
constexpr bool TakesTab(ControlKind kind) {
  switch (kind) {
    case ControlKind::TextBox:
    case ControlKind::TextArea:
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

}  // namespace tavrin

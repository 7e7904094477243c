#pragma once

#include <vector>

#include "forms/window_layout.h"

class QWidget;

namespace tavrin::qt {

// A control of a window's layout with the form's name for it as a number.
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
  std::vector<ToolDesc> buttons;
};

// The widgets made from a window's layout.
struct MadeControls {
  std::vector<QWidget*> widgets;  // one for each control of the layout, in its order
  std::vector<QWidget*> byId;     // each control and toolbar button by the form's name
  int extraHeight = 0;            // the pixels the frames' captions add to the window
  QWidget* Control(int id) const {
    return id > 0 && id < static_cast<int>(byId.size()) ? byId[id] : nullptr;
  }
};

// Makes the controls of `controls` on `client` where the twips layout puts them, with
// their texts, fonts, tool tips and names, and Tab going through them in their order.
// Frames that need more room for their captions than the layout leaves them move the
// rows below them down, and grow, by what they need (extraHeight in all).
MadeControls MakeControls(QWidget* client, const std::vector<ControlDesc>& controls);

template <class Id, class Menu>
MadeControls MakeControls(QWidget* client, const WindowLayout<Id, Menu>& layout) {
  std::vector<ControlDesc> controls;
  controls.reserve(layout.controls.size());
  for (const ControlLayout<Id>& c : layout.controls) {
    ControlDesc desc{c.kind,     static_cast<int>(c.id),
                     c.name,     c.text,
                     c.tip,      c.picture,
                     c.place,    c.inFrame,
                     c.font,     c.isDefault,
                     c.disabled, {}};
    for (const ToolButtonLayout<Id>& b : c.buttons) {
      desc.buttons.push_back({static_cast<int>(b.id), b.key, b.picture, b.tip});
    }
    controls.push_back(std::move(desc));
  }
  return MakeControls(client, controls);
}

}  // namespace tavrin::qt

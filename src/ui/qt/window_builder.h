#pragma once

#include <vector>

#include <QRect>
#include <QSize>

#include "forms/window_layout.h"

class QWidget;

namespace tavrin::qt {

// The widgets made from a window's layout.
struct MadeControls {
  std::vector<QWidget*> widgets;  // one for each control of the layout, in its order
  std::vector<QWidget*> byId;     // each control and toolbar button by the form's name
  int extraHeight = 0;            // the pixels the frames' captions add to the window
  QWidget* Control(int id) const {
    return id > 0 && id < static_cast<int>(byId.size()) ? byId[id] : nullptr;
  }
  // The form's name for `widget` (the focus, say); 0 when it is none of the controls.
  int IdOf(const QWidget* widget) const;

  // Where each widget stands as made, how it follows the window, and the frame it stands
  // in (its index, -1 for none).
  std::vector<QRect> places;
  std::vector<Anchor> anchors;
  std::vector<int> frames;
  // Places the widgets that follow the window for a window `added` larger than made.
  void Follow(QSize added) const;
};

// Selects the whole text of a text box, from its end back to its start (the cursor at
// the start, so that a long text shows its beginning), and gives it the focus.
void SelectWholeText(QWidget* box);

// Makes the controls of `controls` on `client` where the twips layout puts them, with
// their texts, fonts, tool tips and names, and Tab going through them in their order.
// Frames that need more room for their captions than the layout leaves them move the
// rows below them down, and grow, by what they need (extraHeight in all).
MadeControls MakeControls(QWidget* client, const std::vector<ControlDesc>& controls);

template <class Id, class Menu>
MadeControls MakeControls(QWidget* client, const WindowLayout<Id, Menu>& layout) {
  return MakeControls(client, Describe(layout));
}

}  // namespace tavrin::qt

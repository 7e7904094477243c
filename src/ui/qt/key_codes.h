#pragma once

class QKeyEvent;

namespace tavrin::qt {

// The code the forms know a key by (its Windows virtual-key code); 0 for a key they do
// not tell apart.
int KeyCodeOf(const QKeyEvent* event);

// The modifier mask of a key event: 1 Shift, 2 Ctrl, 4 Alt. A modifier key counts for
// itself, whatever the system reports while it goes down.
int ModifierMask(const QKeyEvent* event);

}  // namespace tavrin::qt

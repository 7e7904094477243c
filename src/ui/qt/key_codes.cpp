#include "ui/qt/key_codes.h"

#include <QKeyEvent>

#include "forms/keys.h"

namespace tavrin::qt {

int KeyCodeOf(const QKeyEvent* event) {
  const int key = event->key();
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return 'A' + (key - Qt::Key_A);
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return '0' + (key - Qt::Key_0);
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return kKeyF1 + (key - Qt::Key_F1);
  switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return kKeyReturn;
    case Qt::Key_Escape:
      return kKeyEscape;
    case Qt::Key_Delete:
      return kKeyDelete;
    case Qt::Key_Up:
      return kKeyUp;
    case Qt::Key_Down:
      return kKeyDown;
    case Qt::Key_Menu:
      return kKeyApps;
    case Qt::Key_Shift:
      return kKeyShift;
    case Qt::Key_Control:
      return kKeyControl;
    case Qt::Key_Alt:
      return kKeyAlt;
    default:
      return 0;
  }
}

int ModifierMask(const QKeyEvent* event) {
  int mask = 0;
  const auto mods = event->modifiers();
  if (mods & Qt::ShiftModifier || event->key() == Qt::Key_Shift) mask |= kShiftMask;
  if (mods & Qt::ControlModifier || event->key() == Qt::Key_Control) mask |= kCtrlMask;
  if (mods & Qt::AltModifier || event->key() == Qt::Key_Alt) mask |= kAltMask;
  return mask;
}

}  // namespace tavrin::qt

#include "ui/enter_key.h"

#include <QPushButton>
#include <QToolButton>

namespace tavrin {

QAbstractButton* ButtonForEnter(QWidget* focus, QPushButton* defaultButton) {
  if (auto* push = qobject_cast<QPushButton*>(focus)) return push;
  if (auto* tool = qobject_cast<QToolButton*>(focus)) return tool;
  return defaultButton && defaultButton->isEnabled() ? defaultButton : nullptr;
}

}  // namespace tavrin

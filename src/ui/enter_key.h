#pragma once

class QAbstractButton;
class QPushButton;
class QWidget;

namespace tavrin {

// The button Enter presses: the push or tool button that has the focus, otherwise the
// window's default button while it is enabled; null when there is none. A check box
// is no button here: Enter on it presses the default button.
QAbstractButton* ButtonForEnter(QWidget* focus, QPushButton* defaultButton);

}  // namespace tavrin

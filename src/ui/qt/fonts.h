#pragma once

#include <QFont>

namespace tavrin::qt {

// The windows' text font, "Times New Roman" (a serif stand-in where it is missing).
inline QFont WindowFont(double points, bool bold = false) {
  QFont font("Times New Roman");
  font.setStyleHint(QFont::Serif);
  font.setPointSizeF(points);
  font.setBold(bold);
  return font;
}

}  // namespace tavrin::qt

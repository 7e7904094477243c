#pragma once

#include <QFont>
#include <QStringList>

namespace tavrin::qt {

// The windows' text font, "Times New Roman". Where it is missing, its stand-ins of the
// same metrics are named after it, so that Qt finds one in the font list instead of
// asking the font configuration for a substitute, which costs the window's start
// milliseconds; without any of them, Qt takes a serif font of its own choosing.
inline QFont WindowFont(double points, bool bold = false) {
  QFont font;
  font.setFamilies({"Times New Roman", "Liberation Serif", "Tinos"});
  font.setStyleHint(QFont::Serif);
  font.setPointSizeF(points);
  font.setBold(bold);
  return font;
}

// The details pane's font, "Courier New", with its stand-ins as above.
inline QFont FixedFont(double points) {
  QFont font;
  font.setFamilies({"Courier New", "Liberation Mono", "Cousine"});
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  font.setPointSizeF(points);
  return font;
}

}  // namespace tavrin::qt

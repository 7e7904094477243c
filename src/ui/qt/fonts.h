#pragma once

#include <QFont>
#include <QStringList>

namespace tavrin::qt {

// A font named by its family and, after it, its stand-ins of the same metrics, so that
// where the family is missing Qt finds a stand-in in the font list instead of asking
// the font configuration for a substitute, which costs the window's start
// milliseconds; without any of them, Qt takes a font of `hint`'s kind.
inline QFont NamedFont(const QStringList& families, QFont::StyleHint hint, double points) {
  QFont font;
  font.setFamilies(families);
  font.setStyleHint(hint);
  font.setPointSizeF(points);
  return font;
}

// The windows' text font, "Times New Roman".
inline QFont WindowFont(double points, bool bold = false) {
  QFont font = NamedFont({"Times New Roman", "Liberation Serif", "Tinos"}, QFont::Serif, points);
  font.setBold(bold);
  return font;
}

// The details pane's font, "Courier New".
inline QFont FixedFont(double points) {
  QFont font = NamedFont({"Courier New", "Liberation Mono", "Cousine"}, QFont::TypeWriter, points);
  font.setFixedPitch(true);
  return font;
}

}  // namespace tavrin::qt

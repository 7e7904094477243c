#pragma once

#include <QFont>
#include <QFontDatabase>
#include <QStringList>

namespace tavrin::qt {

// The first of `families` (a family and its stand-ins of the same metrics) that the
// machine has, named alone. Qt looks a missing family up in the font configuration,
// and gives a font with stand-ins a list of substitutes there, milliseconds on the
// window's way to the screen each; a font of one installed family asks for its
// substitutes only when a text needs a character that it lacks. Where the machine has
// none of them, all are named, and the font configuration finds a substitute.
inline QStringList InstalledFamily(const QStringList& families) {
  const QStringList installed = QFontDatabase::families();
  for (const QString& family : families) {
    if (installed.contains(family, Qt::CaseInsensitive)) return {family};
  }
  return families;
}

// A font of `families`; without any of them, Qt takes a font of `hint`'s kind.
inline QFont NamedFont(const QStringList& families, QFont::StyleHint hint, double points) {
  QFont font;
  font.setFamilies(families);
  font.setStyleHint(hint);
  font.setPointSizeF(points);
  return font;
}

// The windows' text font, "Times New Roman".
inline QFont WindowFont(double points, bool bold = false) {
  static const QStringList families =
      InstalledFamily({"Times New Roman", "Liberation Serif", "Tinos"});
  QFont font = NamedFont(families, QFont::Serif, points);
  font.setBold(bold);
  return font;
}

// The details pane's font, "Courier New".
inline QFont FixedFont(double points) {
  static const QStringList families =
      InstalledFamily({"Courier New", "Liberation Mono", "Cousine"});
  QFont font = NamedFont(families, QFont::TypeWriter, points);
  font.setFixedPitch(true);
  return font;
}

}  // namespace tavrin::qt

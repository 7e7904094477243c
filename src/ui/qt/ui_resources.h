#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

namespace tavrin::qt {

// The bundled pictures (the toolbars' icons, the program's icon) are pixel arrays built
// into the program: making them reads no file, which would load every image plugin of
// Qt to ask each whether the file is theirs.

// The picture `name` (as the files in icons/ are named, "tavrin" for the program's);
// an empty one when there is none of that name.
QPixmap BundledPixmap(const QString& name);

// A bundled icon in its two sizes, "<name>-16" and "<name>".
QIcon BundledIcon(const QString& name);

}  // namespace tavrin::qt

#include "ui/qt/ui_resources.h"

#include <QImage>

namespace tavrin::qt {
namespace {

struct BundledPicture {
  const char* name;
  int width;
  int height;
  const unsigned char* pixels;
};

#include "bundled_pictures.inc"

}  // namespace

QPixmap BundledPixmap(const QString& name) {
  for (const BundledPicture& picture : kBundledPictures) {
    if (name != QLatin1String(picture.name)) continue;
    // The array outlives the image, which only reads it until the pixmap has its copy.
    const QImage image(picture.pixels, picture.width, picture.height,
                       QImage::Format_ARGB32_Premultiplied);
    return QPixmap::fromImage(image);
  }
  return QPixmap();
}

QIcon BundledIcon(const QString& name) {
  QIcon icon;
  icon.addPixmap(BundledPixmap(name + "-16"));
  icon.addPixmap(BundledPixmap(name));
  return icon;
}

}  // namespace tavrin::qt

// A build tool: turns the bundled PNG pictures into pixel arrays that the windows
// build their icons from directly, so that showing a window reads no picture file.
//
//   tavrin_picture_pack OUTPUT NAME=PNG...
//
// OUTPUT gets one array of premultiplied ARGB pixels (as QImage holds them on this
// machine) per picture and the table `kBundledPictures` of name, width, height, pixels.
#include <QImage>
#include <QString>
#include <cstdio>
#include <string>

// Qt's own caches stay allocated at exit; a sanitized build must not fail on them.
extern "C" const char* __asan_default_options() {  // NOLINT: the sanitizer's own hook
  return "detect_leaks=0";
}

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s OUTPUT NAME=PNG...\n", argv[0]);
    return 2;
  }
  std::string arrays;
  std::string table = "constexpr BundledPicture kBundledPictures[] = {\n";
  for (int i = 2; i < argc; ++i) {
    const std::string entry = argv[i];
    const auto equals = entry.find('=');
    if (equals == std::string::npos) return 2;
    const std::string name = entry.substr(0, equals);
    const QImage image = QImage(QString::fromStdString(entry.substr(equals + 1)))
                             .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
      std::fprintf(stderr, "%s: cannot read %s\n", argv[0], entry.c_str() + equals + 1);
      return 1;
    }
    const std::string array = "kPixels" + std::to_string(i - 2);
    arrays += "alignas(4) const unsigned char " + array + "[] = {";
    for (int y = 0; y < image.height(); ++y) {
      const uchar* line = image.constScanLine(y);
      for (qsizetype x = 0; x < image.bytesPerLine(); ++x) {
        arrays += std::to_string(line[x]) + ",";
      }
      arrays += "\n";
    }
    arrays += "};\n";
    table += "    {\"" + name + "\", " + std::to_string(image.width()) + ", " +
             std::to_string(image.height()) + ", " + array + "},\n";
  }
  table += "};\n";
  std::FILE* out = std::fopen(argv[1], "wb");
  if (out == nullptr) return 1;
  std::fputs("// Made by tavrin_picture_pack from the bundled pictures.\n", out);
  std::fputs(arrays.c_str(), out);
  std::fputs(table.c_str(), out);
  return std::fclose(out) == 0 ? 0 : 1;
}

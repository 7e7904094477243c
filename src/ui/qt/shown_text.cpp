#include "ui/qt/shown_text.h"

#include "platform/text_encoding.h"

namespace tavrin::qt {
namespace {

bool IsUtf8(const std::string& bytes) {
  for (std::size_t pos = 0; pos < bytes.size();) {
    const std::size_t len = CharLength(bytes, pos, TextEncoding::kUtf8);
    // A byte of 0x80 or more that starts no sequence of its own stands alone.
    if (len == 1 && static_cast<unsigned char>(bytes[pos]) >= 0x80) return false;
    pos += len;
  }
  return true;
}

}  // namespace

QString Shown(const std::string& bytes) {
  if (kNativeEncoding == TextEncoding::kSingleByte) {
    return QString::fromLocal8Bit(bytes.data(), static_cast<qsizetype>(bytes.size()));
  }
  if (IsUtf8(bytes)) return QString::fromStdString(bytes);
  return QString::fromStdString(EscapeControls(bytes, TextEncoding::kUtf8));
}

std::string Typed(const QString& text) {
  if (kNativeEncoding == TextEncoding::kSingleByte) return text.toLocal8Bit().toStdString();
  return text.toStdString();
}

}  // namespace tavrin::qt

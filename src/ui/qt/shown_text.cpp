#include "ui/qt/shown_text.h"

#include "platform/text_encoding.h"

namespace tavrin::qt {

QString Shown(const std::string& bytes) {
  if (kNativeEncoding == TextEncoding::kSingleByte) {
    return QString::fromLocal8Bit(bytes.data(), static_cast<qsizetype>(bytes.size()));
  }
  const std::u16string text = Utf16OfBytes(bytes);
  return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

std::string Typed(const QString& text) {
  if (kNativeEncoding == TextEncoding::kSingleByte) return text.toLocal8Bit().toStdString();
  return BytesOfUtf16(
      {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())});
}

}  // namespace tavrin::qt

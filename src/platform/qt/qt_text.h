#pragma once

#include <QString>
#include <string>

#include "platform/text_encoding.h"

namespace tavrin {

// The program's bytes as the text a Qt box or dialog shows, and back, without losing a
// byte (see Utf16OfBytes): a Latin-1 file name proposed by a dialog comes back as the
// same bytes. The views of ui/qt convert the same way.
inline QString QtText(const std::string& bytes) {
  const std::u16string text = Utf16OfBytes(bytes);
  return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

inline std::string ProgramBytes(const QString& text) {
  return BytesOfUtf16(
      {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())});
}

}  // namespace tavrin

#include "platform/toolkit.h"

#include <cstdlib>
#include <cstring>
#include <iostream>

#include "platform/text_encoding.h"

namespace tavrin {

int UnattendedAnswer(int style) {
  const int buttons = style & 0x0F;
  // 3: Yes, No, Cancel; 4: Yes, No.
  if (buttons == 3 || buttons == 4) return kAnswerNo;
  return kAnswerOk;
}

bool BoxesToStderrAsked() {
  const char* value = std::getenv("TAVRIN_BOXES_TO_STDERR");
  return value != nullptr && std::strcmp(value, "1") == 0;
}

int StderrToolkit::MsgBox(const std::string& text, int style, const std::string& caption) {
  // Written by length, so that a NUL inside a text does not cut the box short; texts
  // from a collection cannot steer the terminal.
  const std::string box = TerminalText(caption + "\n" + text) + "\n";
  std::cerr.write(box.data(), static_cast<std::streamsize>(box.size()));
  std::cerr.flush();
  return UnattendedAnswer(style);
}

}  // namespace tavrin

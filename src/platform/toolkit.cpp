#include "platform/toolkit.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

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
  std::fprintf(stderr, "%s\n%s\n", caption.c_str(), text.c_str());
  std::fflush(stderr);
  return UnattendedAnswer(style);
}

}  // namespace tavrin

#pragma once

#include <string>

#include "platform/toolkit.h"

namespace tavrin::win32 {

// Message boxes through MessageBoxA, owned by the thread's active window, and one
// pass over the thread's pending window messages.
class Win32Toolkit : public Toolkit {
 public:
  int MsgBox(const std::string& text, int style, const std::string& caption) override;
  void DoEvents() override;
};

}  // namespace tavrin::win32

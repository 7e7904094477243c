#pragma once

#include <string>

#include "platform/toolkit.h"

namespace tavrin::win32 {

// Message boxes through MessageBoxA, owned by the thread's active window, and one
// pass over the thread's pending window messages, or a wait that runs them as they come.
class Win32Toolkit : public Toolkit {
 public:
  int MsgBox(const std::string& text, int style, const std::string& caption) override;
  void DoEvents() override;
  bool DoEventsFor(long ms) override;
};

}  // namespace tavrin::win32

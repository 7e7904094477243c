#include "platform/win32/win32_toolkit.h"

#include <windows.h>

#include "platform/text_encoding.h"

namespace tavrin::win32 {

int Win32Toolkit::MsgBox(const std::string& text, int style, const std::string& caption) {
  // Shown as the windows show texts: control characters (and, where the system's
  // code page can hold them, direction controls) escaped, so that what the box says of
  // a file is what its name is.
  const int answer = MessageBoxA(GetActiveWindow(), WindowText(text).c_str(),
                                 WindowText(caption).c_str(), static_cast<UINT>(style));
  if (answer != 0) return answer;
  // No box could be shown (no desktop to show it on): say it on standard error.
  StderrToolkit fallback;
  return fallback.MsgBox(text, style, caption);
}

void Win32Toolkit::DoEvents() {
  // A window that keeps posting to itself must not hold the pass forever: what is
  // left over waits for the next one.
  constexpr int kMostPerPass = 10000;
  MSG message;
  for (int n = 0; n < kMostPerPass && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE); ++n) {
    if (message.message == WM_QUIT) {
      // Leave the request to end for the loop that owns it.
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

}  // namespace tavrin::win32

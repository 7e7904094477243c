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

namespace {

// Runs the pending messages once. False when a request to end came: it is left for the
// loop that owns it.
bool RunPendingMessages() {
  // A window that keeps posting to itself must not hold the pass forever: what is
  // left over waits for the next one.
  constexpr int kMostPerPass = 10000;
  MSG message;
  for (int n = 0; n < kMostPerPass && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE); ++n) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return false;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return true;
}

}  // namespace

void Win32Toolkit::DoEvents() { RunPendingMessages(); }

bool Win32Toolkit::DoEventsFor(long ms) {
  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(ms > 0 ? ms : 0);
  for (;;) {
    // With a request to end pending every wait would return at once: the caller sleeps.
    if (!RunPendingMessages()) return false;
    const ULONGLONG now = GetTickCount64();
    if (now >= end) return true;
    // Asleep until a message comes (one already in the queue counts too) or the time is up.
    MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(end - now), QS_ALLINPUT,
                                MWMO_INPUTAVAILABLE);
  }
}

}  // namespace tavrin::win32

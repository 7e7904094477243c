/* Keeps Wine's desktop open while the Windows tests run. Wine starts the desktop's
 * process (explorer.exe) when the first program needs it and ends it a second after the
 * last one has gone; a desktop started by a program under test inherits that program's
 * standard handles (CTest's output pipe, a test's pipes) and holds them open, so that
 * whoever waits for their end waits for ever. Started first, detached from every
 * output, and kept until Wine's server ends, this program holds one hidden window on
 * the desktop so that it stays the one started here. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command, int show) {
  (void)previous;
  (void)command;
  (void)show;
  HWND window = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, NULL, NULL, instance, NULL);
  if (window == NULL) return 1;
  MSG message;
  while (GetMessageA(&message, NULL, 0, 0) > 0) DispatchMessageA(&message);
  return 0;
}

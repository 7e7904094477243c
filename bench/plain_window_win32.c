/* The baseline of tavrin.exe's first window under Wine (bench/wine-window-start.sh): a
 * plain Win32 window with a label, an editable combo box, a list and two buttons,
 * built with the same compiler. */
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, w, l);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR line, int show) {
  (void)previous;
  (void)line;
  WNDCLASSA type = {0};
  type.lpfnWndProc = WindowProc;
  type.hInstance = instance;
  type.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
  type.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
  type.lpszClassName = "PlainWindow";
  RegisterClassA(&type);
  HWND window = CreateWindowA("PlainWindow", "Plain window", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                              CW_USEDEFAULT, 400, 360, NULL, NULL, instance, NULL);
  const DWORD child = WS_CHILD | WS_VISIBLE;
  CreateWindowA("STATIC", "Collection:", child, 10, 10, 360, 20, window, NULL, instance, NULL);
  CreateWindowA("COMBOBOX", "", child | CBS_DROPDOWN, 10, 35, 360, 200, window, NULL, instance,
                NULL);
  CreateWindowA("LISTBOX", "", child | WS_BORDER | WS_VSCROLL, 10, 65, 360, 200, window, NULL,
                instance, NULL);
  CreateWindowA("BUTTON", "Execute", child, 10, 275, 170, 30, window, NULL, instance, NULL);
  CreateWindowA("BUTTON", "Exit", child, 200, 275, 170, 30, window, NULL, instance, NULL);
  ShowWindow(window, show);
  UpdateWindow(window);
  MSG message;
  while (GetMessageA(&message, NULL, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}

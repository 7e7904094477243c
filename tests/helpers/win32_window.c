/* A program with one top-level window, for the tests that place windows on Windows:
 *   win32_window FILE [TITLE]
 * makes its window (titled "Placement probe", or TITLE) where the system puts a new
 * window by default, shows it as it was asked to start, writes "WINDOW PID LEFT TOP
 * RIGHT BOTTOM" to FILE (the window, and its rectangle as made, before it showed), then
 * a line with its working folder and one with its whole command line, and lives until
 * its window is closed, or a minute has gone. An argument "--cut-command-line" after
 * TITLE has it cut its command line apart where it is kept, as some programs do when they
 * read it; other arguments after TITLE are not used. */
#include <stdio.h>
#include <string.h>
#include <wchar.h>
#include <windows.h>

static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER) DestroyWindow(window);
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(window, message, wParam, lParam);
}

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  if (argc > 3 && strcmp(argv[3], "--cut-command-line") == 0) {
    wchar_t* line = GetCommandLineW();
    wchar_t* blank = wcschr(line, L' ');
    if (blank != NULL) *blank = L'\0';
  }
  WNDCLASSA wc = {0};
  wc.lpfnWndProc = Proc;
  wc.hInstance = GetModuleHandleA(NULL);
  wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
  wc.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
  wc.lpszClassName = "TavrinPlacementProbe";
  RegisterClassA(&wc);
  HWND window = CreateWindowExA(0, wc.lpszClassName, argc > 2 ? argv[2] : "Placement probe",
                                WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, NULL, NULL, wc.hInstance, NULL);
  if (window == NULL) return 2;
  RECT r;
  GetWindowRect(window, &r);
  /* Shown as it was asked to start, as a program shows its main window. */
  STARTUPINFOA startup;
  GetStartupInfoA(&startup);
  ShowWindow(window,
             (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWNORMAL);
  UpdateWindow(window);
  char tmp[MAX_PATH + 8];
  snprintf(tmp, sizeof tmp, "%s.tmp", argv[1]);
  FILE* f = fopen(tmp, "w");
  if (f == NULL) return 2;
  char folder[MAX_PATH] = "";
  GetCurrentDirectoryA(sizeof folder, folder);
  fprintf(f, "%llu %lu %ld %ld %ld %ld\n%s\n%s\n", (unsigned long long)(UINT_PTR)window,
          GetCurrentProcessId(), r.left, r.top, r.right, r.bottom, folder, GetCommandLineA());
  fclose(f);
  MoveFileExA(tmp, argv[1], MOVEFILE_REPLACE_EXISTING);
  SetTimer(window, 1, 60000, NULL);
  MSG message;
  while (GetMessageA(&message, NULL, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}

// The Win32 windows at the screen's DPI: laid out in twips, with fonts and toolbar
// pictures to match, at the system's DPI and after a move to a screen of another.
#include <windows.h>
// The common controls after the system's header.
#include <commctrl.h>

#include <cstdlib>

#include "run_process.h"
#include "window_fixture.h"

namespace tavrin {
namespace {

using testing::BinPath;
using testing::Item;

// The picture size of a toolbar control.
int PictureOf(HWND toolbarControl) {
  auto* images = reinterpret_cast<HIMAGELIST>(
      SendMessageA(win32::InnerToolbar(toolbarControl), TB_GETIMAGELIST, 0, 0));
  int width = 0, height = 0;
  ImageList_GetIconSize(images, &width, &height);
  return width == height ? width : -1;
}

int FontHeight(HWND control) {
  LOGFONTA font{};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)), sizeof font, &font);
  return font.lfHeight;
}

std::string Layout(int width, int height, int left, int font, int picture) {
  return "inner " + std::to_string(width) + "x" + std::to_string(height) + ", Exit at " +
         std::to_string(left) + ", font " + std::to_string(font) + ", pictures " +
         std::to_string(picture);
}

// The main window as designed at `dpi`: its inner area of 7860 by 3780 twips, Exit 4770
// twips from the left, Execute's 12 points, pictures of 16 pixels at 96 DPI.
std::string Designed(int dpi) {
  return Layout(MulDiv(7860, dpi, 1440), MulDiv(3780, dpi, 1440), MulDiv(4770, dpi, 1440),
                -MulDiv(1200, dpi, 7200), MulDiv(16, dpi, 96));
}

std::string Shown(win32::MainWindow& w) {
  RECT inner, exit;
  GetClientRect(w.hwnd(), &inner);
  HWND exitButton = w.Control(MainControl::btnExit);
  GetWindowRect(exitButton, &exit);
  MapWindowPoints(nullptr, w.hwnd(), reinterpret_cast<POINT*>(&exit), 2);
  // Every toolbar has the same pictures.
  int picture = PictureOf(w.Control(MainControl::tbCollOther));
  for (MainControl bar : {MainControl::tbItemUp, MainControl::tbItemEdit, MainControl::tbItemRemove,
                          MainControl::tbItemOpen, MainControl::tbItemDown}) {
    if (PictureOf(w.Control(bar)) != picture) picture = -1;
  }
  return Layout(inner.right, inner.bottom, exit.left, FontHeight(w.Control(MainControl::btnExec)),
                picture);
}

// The editor's inner area and pictures.
std::string EditorShown(HWND dialog) {
  RECT inner;
  GetClientRect(dialog, &inner);
  return std::to_string(inner.right) + "x" + std::to_string(inner.bottom) + ", pictures " +
         std::to_string(PictureOf(FindWindowExA(dialog, nullptr, "TavrinToolbar", nullptr)));
}
std::string EditorDesigned(int dpi) {
  return std::to_string(MulDiv(5475, dpi, 1440)) + "x" + std::to_string(MulDiv(2145, dpi, 1440)) +
         ", pictures " + std::to_string(MulDiv(16, dpi, 96));
}

// Tells a window that it has moved to a screen of `dpi`, as the system does.
void MoveToScreenOf(HWND window, int dpi) {
  RECT now;
  GetWindowRect(window, &now);
  SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&now));
}

// Laid out at the system's DPI (in the process the next test starts, the one it set), and
// again after each move.
TEST_F(Win32WindowTest, MovedToAScreenOfAnotherDpiTheWindowsAreLaidOutAgain) {
  const int system = win32::LayoutDpi();
  if (const char* set = std::getenv("TAVRIN_TEST_DPI")) {
    EXPECT_EQ(system, std::atoi(set));
  }
  struct Back {
    ~Back() { win32::UseDpi(0); }
  } back;
  auto& w = Open({Item("One", BinPath("one.exe"))});
  EXPECT_EQ(Shown(w), Designed(system));
  for (int dpi : {144, 192, 120, system}) {
    MoveToScreenOf(w.hwnd(), dpi);
    EXPECT_EQ(Shown(w), Designed(dpi)) << dpi;
  }

  std::string before, after;
  ScreenUser user([&](ScreenUser& u) {
    HWND dialog = u.WaitForDialog(w.hwnd());
    before = EditorShown(dialog);
    MoveToScreenOf(dialog, 144);
    after = EditorShown(dialog);
    ScreenUser::Press(dialog, IDCANCEL);
    u.WaitUntilGone(dialog);
  });
  Select(0, true);
  user.Finish();
  EXPECT_EQ(before, EditorDesigned(system));
  EXPECT_EQ(after, EditorDesigned(144));
}

TEST_F(Win32WindowTest, TheWindowsTakeTheSystemsDpi) {
  // The screen's DPI as a user sets it, read by every program when it starts.
  const char* const desktop = "Control Panel\\Desktop";
  DWORD before = 0;
  DWORD size = sizeof before;
  const bool had = RegGetValueA(HKEY_CURRENT_USER, desktop, "LogPixels", RRF_RT_REG_DWORD, nullptr,
                                &before, &size) == ERROR_SUCCESS;
  char program[MAX_PATH];
  GetModuleFileNameA(nullptr, program, MAX_PATH);
  for (DWORD dpi : {144UL, 96UL}) {
    RegSetKeyValueA(HKEY_CURRENT_USER, desktop, "LogPixels", REG_DWORD, &dpi, sizeof dpi);
    const auto run =
        testing::RunProcess({program, "--gtest_filter=Win32WindowTest.MovedToAScreen*"},
                            {{"TAVRIN_TEST_DPI", std::to_string(dpi)}});
    EXPECT_EQ(run.exitCode, 0) << dpi << ":\n" << run.out << run.err;
  }
  if (had) {
    RegSetKeyValueA(HKEY_CURRENT_USER, desktop, "LogPixels", REG_DWORD, &before, sizeof before);
  } else {
    RegDeleteKeyValueA(HKEY_CURRENT_USER, desktop, "LogPixels");
  }
}

}  // namespace
}  // namespace tavrin

#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "forms/window_layout.h"

// The system's handles, named without the system's headers (each handle type is a
// pointer to one of these).
struct HWND__;
struct HFONT__;
struct HMENU__;
struct HACCEL__;
struct tagMSG;

namespace tavrin::win32 {

using Hwnd = HWND__*;
using Hfont = HFONT__*;

// A place in a window's layout, in twips (1440 to the inch): left, top, width, height.
struct TwipsRect {
  int left;
  int top;
  int width;
  int height;
  // The same place moved by a frame's position, for a control laid out inside it.
  TwipsRect Inside(const TwipsRect& frame) const {
    return {frame.left + left, frame.top + top, width, height};
  }
};

// Twips as pixels at the layout's DPI (96 dots per inch: 15 twips a pixel).
int Pixels(int twips);
// The DPI the windows are laid out at: the system's, or the one of the screen a window
// has moved to (UseDpi; 0 for the system's again).
int LayoutDpi();
void UseDpi(int dpi);
// The side of a toolbar picture at the layout's DPI: 16 pixels at 96 dots per inch.
int PictureSize();
// Places the controls of `window` made by MakeControl and MakeToolbar again, at the
// layout's DPI, with their fonts and pictures at that DPI.
void LayOutAgain(Hwnd window);
// Makes `control` follow its window as the window grows (FollowSize), as `anchor` says.
void FollowWindow(Hwnd control, const Anchor& anchor);
// Places the controls that follow `window`, whose layout's inner area is `width` by
// `height` twips, for the size its inner area has now (WM_SIZE).
void FollowSize(Hwnd window, int width, int height);
// Keeps `window` from being made smaller than its layout's inner area of `width` by
// `height` twips (WM_GETMINMAXINFO with its MINMAXINFO).
void KeepLayoutSize(Hwnd window, std::intptr_t lParam, int width, int height);
// Sizes `window` so that its inner area is `width` by `height` twips at the layout's
// DPI, where it stands.
void FitInnerArea(Hwnd window, int width, int height);
// A window whose inner area is `width` by `height` twips, moved to a screen of another
// DPI (the system's WM_DPICHANGED with its parameters): placed where the system
// suggests, sized and laid out again at that DPI.
void FollowDpiChange(Hwnd window, std::uintptr_t wParam, std::intptr_t lParam, int width,
                     int height);

// The windows' fonts: `face` at `points`, sized for the system's DPI. They live as long
// as the program; asking twice for the same font gives the same one.
Hfont WindowFont(double points, bool bold = false);
Hfont DetailsFont();
Hfont MailFont();

// A child control of `parent` at `place` with the window class, text, style and
// identifier given, in `font`.
Hwnd MakeControl(Hwnd parent, const char* className, const char* text, unsigned long style,
                 const TwipsRect& place, int id, Hfont font, unsigned long exStyle = 0);

// The details pane: a drawing area that shows its window text, line by line from its
// top-left corner, in its font.
Hwnd MakeDetailsPane(Hwnd parent, const TwipsRect& place, int id);

// A window's text, and setting it.
std::string TextOf(Hwnd window);
void SetTextOf(Hwnd window, const std::string& text);

// A toolbar button: its command identifier, key, picture (the resource named by its
// image key) and tool tip.
struct ToolButton {
  int id;
  const char* key;
  const char* image;
  const char* tip;
};

// A toolbar control: a window of its own holding the system's toolbar
// ("ToolbarWindow32") with `buttons`, pictures PictureSize() square. The buttons'
// commands and tool tips reach `parent`.
Hwnd MakeToolbar(Hwnd parent, const TwipsRect& place, const std::vector<ToolButton>& buttons);
// Sizes a toolbar control's toolbar, its buttons and its pictures for the layout's DPI.
void SizeToolbar(Hwnd toolbarControl);
// The system's toolbar inside a toolbar control.
Hwnd InnerToolbar(Hwnd toolbarControl);
// Gives a toolbar control the flat look: finds its inner window, adds the flat style
// to the style it reads there, and has the control redraw itself.
void MakeFlat(Hwnd toolbarControl);
// Enables or disables the button `id` of a toolbar control. A toolbar without an enabled
// button is no tab stop (the focus leaves it for the next control).
void EnableToolButton(Hwnd toolbarControl, int id, bool enabled);
// After the keyboard has moved the focus from `before` to `focus`: a system toolbar it
// has reached highlights its first enabled button (the one Enter and Space press, the
// arrow keys move from), and one it has left its button no longer.
void FollowKeyboardFocus(Hwnd before, Hwnd focus);
// The arrow keys in a system toolbar: the keyboard moves to the enabled button before
// or after. True when `message` was one of them.
bool MoveKeyboardButton(const tagMSG& message);
// The tool tip of a toolbar button, when `notification` asks for one (the system's
// NMHDR of a WM_NOTIFY); false when it asks for something else.
bool AnswerToolTip(std::intptr_t notification, const std::vector<ToolButton>& buttons);

// Tool tips for the controls of one window.
class ToolTips {
 public:
  explicit ToolTips(Hwnd window);
  void Add(Hwnd control, const char* tip);

 private:
  Hwnd window_;
  Hwnd tips_ = nullptr;
};

// The keyboard's focus mark and the access keys' underlines, shown in `top` and all its
// controls from now on, whether the user last used the mouse or the keyboard.
void ShowKeyboardCues(Hwnd top);
// Whether a WM_CHANGEUISTATE with `wParam` would hide them again: a window that shows
// its cues drops such a change.
bool HidesKeyboardCues(std::uintptr_t wParam);
// Draws the focus mark around the text of a static control while it has the focus (a
// static draws none of its own).
void MarkFocusOfStatic(Hwnd control);

// Centres `window` on the work area of the screen, or over `owner` when one is given.
void Centre(Hwnd window, Hwnd owner = nullptr);

// The modifier mask (1 Shift, 2 Ctrl, 4 Alt) of a key message: the keys held, and
// the key itself when it is a modifier.
int ModifierMask(const tagMSG& message);
// Whether `message` is a key going down, or going up.
bool IsKeyDown(const tagMSG& message);
bool IsKeyUp(const tagMSG& message);
// Whether `child` is `window` or lies inside it.
bool IsWithin(Hwnd child, Hwnd window);

// Runs the thread's messages until `done` holds, each first offered to `filter`
// (true: it took the message). A request to end the program is left for the loop
// that owns it, and ends this one.
void RunMessages(const std::function<bool()>& done, const std::function<bool(tagMSG&)>& filter);
// Whether `window` is a toolbar of the common controls.
bool IsSystemToolbar(Hwnd window);

// Wakes a RunMessages of this thread, so that it looks at `done` again.
void WakeMessages();

}  // namespace tavrin::win32

#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "platform/posix/x11_windows.h"
#include "platform/program_windows.h"

namespace tavrin::posix {

// The windows of other programs on the X server that DISPLAY names, through Xlib and its
// XRes extension (loaded when first needed: a run that asks nothing of windows loads
// neither) and the desktop's EWMH messages. A window belongs to a started program when
// the X server's record of its client's process (XRes; the window's _NET_WM_PID where
// the server keeps none) names the program's process, one of its descendants, or a
// process of the group or session it leads; this program's own windows never count.
// Beside a Wayland desktop's own windows (XWayland), the X windows are placed, but a
// look for a window by its title cannot see them all and is not made.
class X11ProgramWindows : public ProgramWindows {
 public:
  explicit X11ProgramWindows(bool besideWayland = false);
  ~X11ProgramWindows() override;
  X11ProgramWindows(const X11ProgramWindows&) = delete;
  X11ProgramWindows& operator=(const X11ProgramWindows&) = delete;

  // Everything where an X server answers (beside Wayland: all but looking for a
  // title); nothing without one.
  Abilities Can() override;
  std::optional<bool> VisibleWindowTitled(const std::string& text) override;
  WindowHandle FocusedWindow() override;
  WindowHandle FirstWindowOf(int64_t pid) override;
  // Withdrawn, iconified or maximized (EWMH), the focus given back for the no-focus
  // styles; the frame as the user sees it (_NET_FRAME_EXTENTS, and _GTK_FRAME_EXTENTS
  // for a window that draws its own) moved and sized to the place; sent to the
  // workspace (_NET_WM_DESKTOP).
  bool Apply(WindowHandle window, const WindowWish& wish) override;
  bool Holds(WindowHandle window, const WindowWish& wish) override;
  // The window manager's list of client windows: the main windows (normal type, no
  // dialog's owner) with their title (_NET_WM_NAME, else WM_NAME), state, frame and
  // workspace, and the process the X server names for each (/proc). Nothing beside a
  // Wayland desktop, whose own windows the X server does not see.
  std::optional<std::vector<OpenWindow>> OpenWindows() override;

  // The place of `window`'s frame as the user sees it, and its workspace (from 1; 0:
  // unknown); for tests and the bench, which read back what Apply did.
  struct Seen {
    WindowRect frame;
    int desktop = 0;
    bool minimized = false, maximized = false, mapped = false;
  };
  std::optional<Seen> Look(WindowHandle window);

 private:
  struct Connection;
  Connection* Open();
  std::unique_ptr<Connection> connection_;
  bool tried_ = false;
  bool besideWayland_;
  X11Windows titles_;
};

}  // namespace tavrin::posix

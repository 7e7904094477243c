#pragma once

#include "platform/program_windows.h"

namespace tavrin::win32 {

// The windows of other programs on Windows. The style is the system's to give at the
// start (the show value of the start); a place is given to the first visible window
// without owner of the started process once it shows (SetWindowPos). Workspaces are
// not applied. A capture takes each program's main window as the task bar shows it, and
// reads the program's command line and working folder from its process.
class Win32ProgramWindows : public ProgramWindows {
 public:
  Abilities Can() override;
  std::optional<bool> VisibleWindowTitled(const std::string& text) override;
  WindowHandle FocusedWindow() override;
  WindowHandle FirstWindowOf(int64_t pid) override;
  bool Apply(WindowHandle window, const WindowWish& wish) override;
  std::optional<std::vector<OpenWindow>> OpenWindows() override;
  bool Holds(WindowHandle window, const WindowWish& wish) override;
};

}  // namespace tavrin::win32

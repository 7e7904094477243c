#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/program_windows.h"

namespace tavrin::posix {

// The windows of other programs on sway, through its IPC socket (SWAYSOCK): its tree of
// containers names each window's process, and its commands make a window float, move
// and size it, and send it to a workspace by name. Hidden and minimized windows go to
// the scratchpad, maximized ones to full screen: sway has no other. A capture takes each
// program's first window with its workspace, and a place only where the window floats.
class SwayProgramWindows : public ProgramWindows {
 public:
  explicit SwayProgramWindows(std::string socketPath);

  Abilities Can() override;
  std::optional<bool> VisibleWindowTitled(const std::string& text) override;
  WindowHandle FocusedWindow() override;
  WindowHandle FirstWindowOf(int64_t pid) override;
  bool Apply(WindowHandle window, const WindowWish& wish) override;
  bool Holds(WindowHandle window, const WindowWish& wish) override;
  std::optional<std::vector<OpenWindow>> OpenWindows() override;

  // What sway says of a window: its container's rectangle (frame included), the name of
  // its workspace, whether it floats; for tests and the bench.
  struct Seen {
    WindowRect frame;
    std::string workspace;
    bool floating = false;
  };
  std::optional<Seen> Look(WindowHandle window);

  // One message to sway and its answer (a JSON text); empty when sway cannot be asked.
  std::string Ask(uint32_t type, const std::string& payload);

 private:
  std::string socketPath_;
};

}  // namespace tavrin::posix

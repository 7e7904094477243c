#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tavrin {

// A window's rectangle on the desktop, frame included (pixels).
struct WindowRect {
  int x = 0, y = 0, width = 0, height = 0;
  bool operator==(const WindowRect&) const = default;
};

// A top-level window of another program, as the desktop names it (an X window, a sway
// container, a window handle); 0 is none.
using WindowHandle = uint64_t;

// What a run asks of an item's first window: its style (0 Hidden, 1 Normal, 2 Minimized,
// 3 Maximized, 4 Normal no focus, 5 Minimized no focus), its place and its workspace.
struct WindowWish {
  int style = 1;
  std::optional<WindowRect> place;
  int desktop = 0;           // from 1; 0: where it comes
  WindowHandle focused = 0;  // the no-focus styles: the window that had the focus before
  // Whether anything is to be done to the window at all.
  bool AsksAnything() const { return style != 1 || place.has_value() || desktop > 0; }
};

// A program's window open now, as a capture takes it: how the window stands, and what
// starts its program again.
struct OpenWindow {
  int64_t pid = 0;
  std::string title;
  int style = 1;  // 1 Normal, 2 Minimized, 3 Maximized
  std::optional<WindowRect> place;
  int desktop = 0;  // its workspace, from 1; 0: none known
  // The process's program file, its arguments as an item's parameters (quoted so that
  // the launcher's own splitting gives each back exactly), its working folder.
  std::string program, params, workDir;
  // Why the process could not be read, or "": a window with a note is left out.
  std::string note;
};

// The windows of other programs on this desktop: finding the window of a started
// program, giving it its style, place and workspace, and looking for one by its title.
// Each desktop answers what it can; the defaults are a desktop that lets nothing be done.
class ProgramWindows {
 public:
  virtual ~ProgramWindows() = default;

  // What this desktop lets be done with the windows of other programs.
  struct Abilities {
    bool list = false;     // look for a window by its title
    bool style = false;    // hide, minimize, maximize
    bool place = false;    // move and size
    bool desktop = false;  // send to a workspace
    // The system gives the style when the program starts: nothing is left to do after.
    bool styleAtStart = false;
  };
  virtual Abilities Can() { return {}; }

  // Whether a visible top-level window of another program whose title holds `text`
  // exists; nothing where the desktop cannot be asked.
  virtual std::optional<bool> VisibleWindowTitled(const std::string& text) {
    (void)text;
    return std::nullopt;
  }

  // The window that has the focus now; 0 when none is known.
  virtual WindowHandle FocusedWindow() { return 0; }

  // The first top-level window shown by what was started as process `pid`: the process,
  // its descendants, or another of its session or process group; 0 while there is none.
  virtual WindowHandle FirstWindowOf(int64_t pid) {
    (void)pid;
    return 0;
  }

  // Gives `window` the style, place and workspace `wish` asks for. False when the window
  // is gone.
  virtual bool Apply(WindowHandle window, const WindowWish& wish) {
    (void)window, (void)wish;
    return false;
  }

  // The first normal window of each process of the user's own open now, in the desktop's
  // order; never this program's, nor the desktop's own panels, docks and backgrounds.
  // Nothing where the desktop cannot list its windows.
  virtual std::optional<std::vector<OpenWindow>> OpenWindows() { return std::nullopt; }

  // Whether `window` still stands as Apply left it (its place and workspace); false once
  // the program has moved it back.
  virtual bool Holds(WindowHandle window, const WindowWish& wish) {
    (void)window, (void)wish;
    return true;
  }
};

}  // namespace tavrin

#pragma once

#include <string>
#include <vector>

#include "collection/collection.h"
#include "platform/program_windows.h"
#include "platform/traits.h"

namespace tavrin {

// What the windows open now make of a collection.
struct Capture {
  bool listed = false;             // false: this desktop cannot list its windows
  std::vector<CollItem> items;     // one per program, in the desktop's order
  std::vector<std::string> notes;  // one line per window left out, and why
};

// The programs whose windows are open now as items of a collection: each its program
// file, parameters and working folder, its window's style, place and workspace, and a
// name from the window's title (or the program's name where the title leaves none).
// Starts nothing.
Capture CaptureOpenWindows(ProgramWindows& windows);

// An item's name made of a window's title: one line, the control and direction
// characters taken out, the blanks between words kept single, at most 60 columns.
std::string CapturedName(const std::string& title, TextEncoding enc = kNativeEncoding);

// The text that tells a capture cannot be made here.
inline constexpr const char* kCannotCaptureText =
    "the windows of this desktop cannot be listed (X11, sway and Windows can)";

}  // namespace tavrin

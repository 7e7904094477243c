#pragma once

namespace tavrin::posix {

// True when the window toolkit can reach a display: an X server or Wayland
// compositor that answers, or a platform without a screen (offscreen) chosen
// through QT_QPA_PLATFORM. Never blocks for long on a display that does not answer.
bool DisplayReachable();

// True when nobody can answer a message box although windows can be made: Qt runs on a
// platform without a screen (QT_QPA_PLATFORM offscreen or minimal, as in CI and
// containers). Boxes then go to standard error as they do without a display.
bool BoxesUnattended();

}  // namespace tavrin::posix

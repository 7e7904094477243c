#pragma once

namespace tavrin::posix {

// True when the window toolkit can reach a display: an X server or Wayland
// compositor that answers, or a platform without a screen (offscreen) chosen
// through QT_QPA_PLATFORM. Never blocks for long on a display that does not answer.
bool DisplayReachable();

}  // namespace tavrin::posix

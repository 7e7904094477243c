#pragma once

#include <string>

namespace tavrin::posix {

// Whether a TCP connection to host:port succeeds, giving up after `timeoutMs`.
bool ConnectTcp(const std::string& host, int port, int timeoutMs);

// The platform plugin Qt will use: `argument` (what "-platform" asked for) when it is
// not empty, otherwise QT_QPA_PLATFORM.
std::string QtPlatformName(const std::string& argument);

// True when the window toolkit can reach a display on the platform `platform` (as
// QtPlatformName gives it): an X server or Wayland compositor that answers, or a
// platform without a screen (offscreen, minimal). Never blocks for long on a
// display that does not answer.
bool DisplayReachable(const std::string& platform);

// True when boxes must not wait for an answer on that platform: TAVRIN_BOXES_TO_STDERR=1,
// or a platform without a screen, where no one could see or answer them.
bool BoxesToStderr(const std::string& platform);

}  // namespace tavrin::posix

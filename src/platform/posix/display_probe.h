#pragma once

#include <string>

namespace tavrin::posix {

// Whether a TCP connection to host:port succeeds, giving up after `timeoutMs`, the
// resolution of the host's name included.
bool ConnectTcp(const std::string& host, int port, int timeoutMs);

// How long a display may take to answer a connection before it counts as not reachable
// (milliseconds).
inline constexpr int kDisplayLimit = 5000;

// Whether the X server that DISPLAY names answers a request for a connection within
// `timeoutMs`: one that takes connections but never answers (a stopped server, a
// display number someone else holds) does not. Asked before every connection to it,
// since the X library waits for that answer without a limit.
bool XServerAnswers(int timeoutMs);

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

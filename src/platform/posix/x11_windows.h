#pragma once

#include <memory>
#include <optional>
#include <string>

namespace tavrin::posix {

// The top-level windows of the X server that DISPLAY names, asked through libxcb, which
// is loaded when first needed (no link-time dependency). The connection is kept for the
// checks that follow.
class X11Windows {
 public:
  X11Windows();
  ~X11Windows();
  X11Windows(const X11Windows&) = delete;
  X11Windows& operator=(const X11Windows&) = delete;

  // Whether a mapped top-level window of another program (those the window manager
  // lists in _NET_CLIENT_LIST, or where none keeps that list the root's children and the
  // windows inside their frames) has a title (_NET_WM_NAME, else WM_NAME) that holds
  // `text`; this program's own windows (_NET_WM_PID) never count. Nothing without an X
  // server.
  std::optional<bool> VisibleWindowTitled(const std::string& text);

 private:
  struct Connection;
  std::unique_ptr<Connection> connection_;
};

}  // namespace tavrin::posix

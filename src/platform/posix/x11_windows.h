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

  // Whether a mapped top-level window (those the window manager lists in
  // _NET_CLIENT_LIST, or the root's children where none keeps that list) has a title
  // (_NET_WM_NAME, else WM_NAME) that holds `text`; nothing without an X server.
  std::optional<bool> VisibleWindowTitled(const std::string& text);

 private:
  struct Connection;
  std::unique_ptr<Connection> connection_;
};

}  // namespace tavrin::posix

#include "platform/posix/sway_program_windows.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <nlohmann/json.hpp>

#include "platform/posix/process_tree.h"

namespace tavrin::posix {
namespace {

using Json = nlohmann::json;

constexpr uint32_t kRunCommand = 0;
constexpr uint32_t kGetTree = 4;
constexpr char kMagic[] = "i3-ipc";
constexpr std::size_t kMagicSize = sizeof kMagic - 1;
constexpr std::size_t kHeaderSize = kMagicSize + 8;
// How far a window may lie from its place and still stand there.
constexpr int kPlaceSlack = 2;
// The workspace that holds the scratchpad's windows.
constexpr char kScratchpad[] = "__i3_scratch";

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool ReadAll(int fd, char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::read(fd, data, size);
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// A node's text field; "" where it is missing or not a text (a window without a title
// has a null name).
std::string TextOf(const Json& node, const char* key) {
  return node.contains(key) && node[key].is_string() ? node[key].get<std::string>() : "";
}

// Every window of the tree (a container with a process), with the workspace it is on
// (null outside any), in the tree's order; `visit` returns true to stop.
using Visit = std::function<bool(const Json&, const Json*)>;
void EachWindow(const Json& node, const Json* workspace, const Visit& visit, bool& done) {
  if (done || !node.is_object()) return;
  const std::string type = TextOf(node, "type");
  const Json* here = type == "workspace" ? &node : workspace;
  if ((type == "con" || type == "floating_con") && node.contains("pid") &&
      node["pid"].is_number() && (visit(node, here))) {
    done = true;
    return;
  }
  for (const char* children : {"nodes", "floating_nodes"}) {
    if (!node.contains(children) || !node[children].is_array()) continue;
    for (const Json& child : node[children]) EachWindow(child, here, visit, done);
  }
}

void EachWindow(const Json& tree, const Visit& visit) {
  bool done = false;
  EachWindow(tree, nullptr, visit, done);
}

std::string NameOf(const Json* workspace) {
  return workspace == nullptr ? "" : TextOf(*workspace, "name");
}

WindowRect RectOf(const Json& rect) {
  return {rect.value("x", 0), rect.value("y", 0), rect.value("width", 0), rect.value("height", 0)};
}

// A window's frame as the user sees it: sway's rectangle leaves out the title bar above.
WindowRect FrameOf(const Json& node) {
  WindowRect frame = node.contains("rect") ? RectOf(node["rect"]) : WindowRect{};
  if (node.contains("deco_rect")) {
    const int title = node["deco_rect"].value("height", 0);
    frame.y -= title;
    frame.height += title;
  }
  return frame;
}

}  // namespace

SwayProgramWindows::SwayProgramWindows(std::string socketPath)
    : socketPath_(std::move(socketPath)) {}

std::string SwayProgramWindows::Ask(uint32_t type, const std::string& payload) {
  sockaddr_un address{};
  if (socketPath_.empty() || socketPath_.size() >= sizeof address.sun_path) return "";
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, socketPath_.c_str(), socketPath_.size());
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return "";
  std::string answer;
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
    std::string message(kMagic, kMagicSize);
    const auto size = static_cast<uint32_t>(payload.size());
    message.append(reinterpret_cast<const char*>(&size), 4);
    message.append(reinterpret_cast<const char*>(&type), 4);
    message += payload;
    char header[kHeaderSize];
    if (WriteAll(fd, message.data(), message.size()) && ReadAll(fd, header, kHeaderSize) &&
        std::memcmp(header, kMagic, kMagicSize) == 0) {
      uint32_t length = 0;
      std::memcpy(&length, header + kMagicSize, 4);
      answer.resize(length);
      if (!ReadAll(fd, answer.data(), length)) answer.clear();
    }
  }
  ::close(fd);
  return answer;
}

ProgramWindows::Abilities SwayProgramWindows::Can() {
  if (Ask(kGetTree, "").empty()) return {};
  return {true, true, true, true};
}

std::optional<bool> SwayProgramWindows::VisibleWindowTitled(const std::string& text) {
  const Json tree = Json::parse(Ask(kGetTree, ""), nullptr, false);
  if (tree.is_discarded()) return std::nullopt;
  const int64_t self = getpid();
  bool found = false;
  EachWindow(tree, [&](const Json& node, const Json*) {
    const std::string name = TextOf(node, "name");
    found = node.value("pid", int64_t{0}) != self && node.value("visible", true) &&
            name.find(text) != std::string::npos;
    return found;
  });
  return found;
}

WindowHandle SwayProgramWindows::FocusedWindow() {
  const Json tree = Json::parse(Ask(kGetTree, ""), nullptr, false);
  if (tree.is_discarded()) return 0;
  WindowHandle focused = 0;
  EachWindow(tree, [&](const Json& node, const Json*) {
    if (node.value("focused", false)) focused = node.value("id", WindowHandle{0});
    return focused != 0;
  });
  return focused;
}

WindowHandle SwayProgramWindows::FirstWindowOf(int64_t pid) {
  const Json tree = Json::parse(Ask(kGetTree, ""), nullptr, false);
  if (tree.is_discarded() || pid <= 0) return 0;
  const int64_t self = getpid();
  WindowHandle window = 0;
  EachWindow(tree, [&](const Json& node, const Json*) {
    const int64_t owner = node.value("pid", int64_t{0});
    if (owner > 0 && owner != self && BelongsToStart(owner, pid)) {
      window = node.value("id", WindowHandle{0});
    }
    return window != 0;
  });
  return window;
}

std::optional<SwayProgramWindows::Seen> SwayProgramWindows::Look(WindowHandle window) {
  const Json tree = Json::parse(Ask(kGetTree, ""), nullptr, false);
  if (tree.is_discarded()) return std::nullopt;
  std::optional<Seen> seen;
  EachWindow(tree, [&](const Json& node, const Json* workspace) {
    if (node.value("id", WindowHandle{0}) != window) return false;
    seen = Seen{FrameOf(node), NameOf(workspace), TextOf(node, "type") == "floating_con"};
    return true;
  });
  return seen;
}

std::optional<std::vector<OpenWindow>> SwayProgramWindows::OpenWindows() {
  const Json tree = Json::parse(Ask(kGetTree, ""), nullptr, false);
  if (!tree.is_object()) return std::nullopt;
  const int64_t self = getpid();
  std::vector<OpenWindow> open;
  std::vector<int64_t> seen;
  EachWindow(tree, [&](const Json& node, const Json* workspace) {
    const int64_t pid = node.value("pid", int64_t{0});
    if (pid <= 0 || pid == self || std::find(seen.begin(), seen.end(), pid) != seen.end()) {
      return false;
    }
    seen.push_back(pid);
    OpenWindow window;
    window.pid = pid;
    if (!ReadStartOf(window)) return false;
    window.title = TextOf(node, "name");
    const std::string name = NameOf(workspace);
    const bool fullScreen = node.value("fullscreen_mode", 0) != 0;
    window.style = fullScreen ? 3 : name == kScratchpad ? 2 : 1;
    // Only a floating window has a place of its own: a tiled one given a place would
    // float when the collection runs again, so it keeps its workspace only. A full
    // screen window's rectangle is the screen's.
    if (!fullScreen && TextOf(node, "type") == "floating_con") window.place = FrameOf(node);
    // A workspace is sent to by its name: a number only when the name is that number.
    const int number = workspace == nullptr ? 0 : workspace->value("num", 0);
    if (number > 0 && name == std::to_string(number)) window.desktop = number;
    open.push_back(std::move(window));
    return false;
  });
  return open;
}

bool SwayProgramWindows::Apply(WindowHandle window, const WindowWish& wish) {
  const std::string target = "[con_id=" + std::to_string(window) + "] ";
  std::string commands;
  const auto add = [&](const std::string& command) {
    commands += (commands.empty() ? "" : "; ") + target + command;
  };
  if (wish.place) {
    const WindowRect& p = *wish.place;
    add("floating enable");
    add("resize set width " + std::to_string(p.width) + " px height " + std::to_string(p.height) +
        " px");
    add("move absolute position " + std::to_string(p.x) + " px " + std::to_string(p.y) + " px");
  }
  // After the move: a floating window moved to a place goes to the workspace shown there.
  if (wish.desktop > 0) {
    add("move container to workspace \"" + std::to_string(wish.desktop) + "\"");
  }
  switch (wish.style) {
    case 0:
    case 2:
    case 5:
      add("move scratchpad");
      break;
    case 3:
      add("fullscreen enable");
      break;
    default:
      break;
  }
  if ((wish.style == 4 || wish.style == 5) && wish.focused != 0 && wish.focused != window) {
    commands += "; [con_id=" + std::to_string(wish.focused) + "] focus";
  }
  if (commands.empty()) return true;
  const Json answer = Json::parse(Ask(kRunCommand, commands), nullptr, false);
  return answer.is_array() && !answer.empty() && answer[0].value("success", false);
}

bool SwayProgramWindows::Holds(WindowHandle window, const WindowWish& wish) {
  if (wish.style == 0 || wish.style == 2 || wish.style == 5 || wish.style == 3) return true;
  const std::optional<Seen> seen = Look(window);
  if (!seen) return true;
  if (wish.desktop > 0 && seen->workspace != std::to_string(wish.desktop)) return false;
  if (!wish.place) return true;
  // The size too: a program that draws at the size it had before it floated takes its
  // window back to that size.
  return std::abs(seen->frame.x - wish.place->x) <= kPlaceSlack &&
         std::abs(seen->frame.y - wish.place->y) <= kPlaceSlack &&
         std::abs(seen->frame.width - wish.place->width) <= kPlaceSlack &&
         std::abs(seen->frame.height - wish.place->height) <= kPlaceSlack;
}

}  // namespace tavrin::posix

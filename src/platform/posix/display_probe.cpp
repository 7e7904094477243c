#include "platform/posix/display_probe.h"

#include "platform/toolkit.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace tavrin::posix {
namespace {

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

bool ConnectUnix(const std::string& path, bool abstract) {
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  const std::size_t offset = abstract ? 1 : 0;
  if (path.size() + offset >= sizeof addr.sun_path) return false;
  std::memcpy(addr.sun_path + offset, path.data(), path.size());
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const auto len = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + path.size());
  const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&addr), len) == 0;
  close(fd);
  return ok;
}

// The X server named by DISPLAY answers and lets us in.
bool XReachable() {
  const std::string display = Env("DISPLAY");
  if (display.empty()) return false;
  const auto colon = display.rfind(':');
  if (colon == std::string::npos) return false;
  const std::string host = display.substr(0, colon);
  const int number = std::atoi(display.c_str() + colon + 1);
  // A remote server that does not answer would keep the connection below waiting
  // for minutes: try the port first, with a short limit.
  if (!host.empty() && host != "unix" && host[0] != '/') {
    if (!ConnectTcp(host, 6000 + number, 2000)) return false;
  }
  // Connecting for real also checks the authorisation.
  void* xcb = dlopen("libxcb.so.1", RTLD_LAZY | RTLD_LOCAL);
  if (!xcb) return false;
  using ConnectFn = void* (*)(const char*, int*);
  using HasErrorFn = int (*)(void*);
  using DisconnectFn = void (*)(void*);
  auto connectFn = reinterpret_cast<ConnectFn>(dlsym(xcb, "xcb_connect"));
  auto hasError = reinterpret_cast<HasErrorFn>(dlsym(xcb, "xcb_connection_has_error"));
  auto disconnect = reinterpret_cast<DisconnectFn>(dlsym(xcb, "xcb_disconnect"));
  bool ok = false;
  if (connectFn && hasError && disconnect) {
    void* conn = connectFn(nullptr, nullptr);
    ok = conn && hasError(conn) == 0;
    if (conn) disconnect(conn);
  }
  // Left loaded: Qt's X11 plugin loads the same library as the window starts.
  return ok;
}

bool WaylandReachable() {
  std::string name = Env("WAYLAND_DISPLAY");
  if (name.empty()) return false;
  if (name[0] != '/') {
    const std::string runtime = Env("XDG_RUNTIME_DIR");
    if (runtime.empty()) return false;
    name = runtime + "/" + name;
  }
  return ConnectUnix(name, false);
}

// Whether Qt has a Wayland platform plugin to load: where Qt keeps its plugins, or in
// the folders the environment adds.
bool WaylandPluginPresent() {
  std::vector<std::string> folders;
  if (const std::string own = Env("QT_QPA_PLATFORM_PLUGIN_PATH"); !own.empty()) {
    folders.push_back(own);
  }
  const std::string extra = Env("QT_PLUGIN_PATH");
  for (std::size_t start = 0; start < extra.size();) {
    std::size_t end = extra.find(':', start);
    if (end == std::string::npos) end = extra.size();
    if (end > start) folders.push_back(extra.substr(start, end - start) + "/platforms");
    start = end + 1;
  }
#ifdef TAVRIN_QT_PLATFORM_PLUGINS
  folders.emplace_back(TAVRIN_QT_PLATFORM_PLUGINS);
#endif
  for (const std::string& folder : folders) {
    for (const char* plugin : {"/libqwayland-generic.so", "/libqwayland-egl.so"}) {
      if (access((folder + plugin).c_str(), R_OK) == 0) return true;
    }
  }
  return false;
}

bool Screenless(const std::string& platform) {
  return platform.rfind("offscreen", 0) == 0 || platform.rfind("minimal", 0) == 0;
}

}  // namespace

bool ConnectTcp(const std::string& host, int port, int timeoutMs) {
  addrinfo hints{};
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* list = nullptr;
  if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &list) != 0) return false;
  bool ok = false;
  for (addrinfo* a = list; a && !ok; a = a->ai_next) {
    const int fd = socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) continue;
    if (connect(fd, a->ai_addr, a->ai_addrlen) == 0) {
      ok = true;
    } else if (errno == EINPROGRESS) {
      pollfd p{fd, POLLOUT, 0};
      int err = 0;
      socklen_t len = sizeof err;
      ok = poll(&p, 1, timeoutMs) == 1 && getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) == 0 &&
           err == 0;
    }
    close(fd);
  }
  freeaddrinfo(list);
  return ok;
}

std::string QtPlatformName(const std::string& argument) {
  return argument.empty() ? Env("QT_QPA_PLATFORM") : argument;
}

bool BoxesToStderr(const std::string& platform) {
  return BoxesToStderrAsked() || Screenless(platform);
}

bool DisplayReachable(const std::string& platform) {
  if (Screenless(platform)) return true;
  if (platform.rfind("xcb", 0) == 0) return XReachable();
  if (platform.rfind("wayland", 0) == 0) return WaylandReachable();
  // A Wayland socket serves only where Qt can speak Wayland: without its plugin the
  // windows would go to X, and Qt ends the program when no X server answers.
  return XReachable() || (WaylandReachable() && WaylandPluginPresent());
}

}  // namespace tavrin::posix

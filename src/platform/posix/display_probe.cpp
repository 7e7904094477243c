#include "platform/posix/display_probe.h"

#include "platform/toolkit.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

#include <vector>
#include "platform/bounded_calls.h"

namespace tavrin::posix {
namespace {

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

using Clock = std::chrono::steady_clock;

// Milliseconds left until `deadline`, at least 0.
int Left(Clock::time_point deadline) {
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return static_cast<int>(std::max<long long>(0, left));
}

// A socket connected to `address` before `deadline`, or -1. A listener whose queue is
// full (a server that stopped taking connections) is not waited for.
int ConnectBefore(const sockaddr* address, socklen_t length, Clock::time_point deadline) {
  const int fd = socket(address->sa_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  if (connect(fd, address, length) == 0) return fd;
  if (errno == EINPROGRESS) {
    pollfd p{fd, POLLOUT, 0};
    int err = 0;
    socklen_t len = sizeof err;
    if (poll(&p, 1, Left(deadline)) == 1 && getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) == 0 &&
        err == 0) {
      return fd;
    }
  }
  close(fd);
  return -1;
}

// A socket connected to the local socket `path` (in the abstract namespace when
// `abstract`) before `deadline`, or -1.
int ConnectUnix(const std::string& path, bool abstract, Clock::time_point deadline) {
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  const std::size_t offset = abstract ? 1 : 0;
  if (path.size() + offset >= sizeof addr.sun_path) return -1;
  std::memcpy(addr.sun_path + offset, path.data(), path.size());
  const auto len = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + path.size());
  return ConnectBefore(reinterpret_cast<sockaddr*>(&addr), len, deadline);
}

// How a server took a request.
enum class Answer { kAnswered, kClosed, kNone };

// Sends `request` on the connected socket `fd` and waits until `deadline` for the first
// byte of an answer; closes the socket. Any answer counts, a refusal too: the server
// works. A server that takes connections but never answers them does not. One that
// closes the connection unanswered may be starting again (an X server does when its
// last client leaves).
Answer AnswerTo(int fd, const void* request, std::size_t size, Clock::time_point deadline) {
  if (fd < 0) return Answer::kNone;
  Answer answer = Answer::kNone;
  if (send(fd, request, size, MSG_NOSIGNAL) == static_cast<ssize_t>(size)) {
    pollfd p{fd, POLLIN, 0};
    char first = 0;
    if (poll(&p, 1, Left(deadline)) == 1) {
      answer = recv(fd, &first, 1, 0) == 1 ? Answer::kAnswered : Answer::kClosed;
    }
  } else {
    answer = Answer::kClosed;
  }
  close(fd);
  return answer;
}

bool Answers(int fd, const void* request, std::size_t size, Clock::time_point deadline) {
  return AnswerTo(fd, request, size, deadline) == Answer::kAnswered;
}

// The address list of `host`:`port`; null when it names none. With `numericOnly`, only a
// host written as an address is taken, which asks no resolver.
std::shared_ptr<addrinfo> Addresses(const std::string& host, int port, bool numericOnly) {
  addrinfo hints{};
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = numericOnly ? AI_NUMERICHOST : 0;
  addrinfo* list = nullptr;
  if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &list) != 0) return nullptr;
  return std::shared_ptr<addrinfo>(list, freeaddrinfo);
}

// A socket connected to `host`:`port` before `deadline`, or -1. The name's resolution is
// inside the deadline: a resolver that is slow to answer is not waited for beyond it.
int ConnectTcpBefore(const std::string& host, int port, Clock::time_point deadline) {
  std::shared_ptr<addrinfo> list = Addresses(host, port, true);
  if (!list) {
    static BoundedCalls<std::shared_ptr<addrinfo>> resolutions;
    const auto resolved = resolutions.Get(
        host + " " + std::to_string(port), [host, port] { return Addresses(host, port, false); },
        Left(deadline));
    if (!resolved || !*resolved) return -1;
    list = *resolved;
  }
  for (const addrinfo* a = list.get(); a != nullptr; a = a->ai_next) {
    const int fd = ConnectBefore(a->ai_addr, a->ai_addrlen, deadline);
    if (fd >= 0) return fd;
  }
  return -1;
}

// The X server named by DISPLAY answers a request for a connection before `deadline`:
// reached as libxcb reaches it (a local one through its abstract socket or its socket
// file, a remote one at port 6000 + N), and asked without credentials.
bool XAnswers(Clock::time_point deadline) {
  const std::string display = Env("DISPLAY");
  const auto colon = display.rfind(':');
  if (colon == std::string::npos) return false;
  const std::string host = display.substr(0, colon);
  const int number = std::atoi(display.c_str() + colon + 1);
  // Little-endian, protocol 0.0, no credentials: a request every server refuses at once,
  // so that the question never becomes a client whose leaving makes the server start
  // again (as an X server does when its last client leaves).
  const unsigned char request[12] = {'l', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  const auto connect = [&] {
    if (host.empty() || host == "unix") {
      const std::string path = "/tmp/.X11-unix/X" + std::to_string(number);
      const int fd = ConnectUnix(path, true, deadline);
      return fd >= 0 ? fd : ConnectUnix(path, false, deadline);
    }
    return host[0] == '/' ? ConnectUnix(host, false, deadline)
                          : ConnectTcpBefore(host, 6000 + number, deadline);
  };
  // A server starting again after its last client left is asked again, within the time.
  for (;;) {
    const Answer answer = AnswerTo(connect(), request, sizeof request, deadline);
    if (answer != Answer::kClosed || Left(deadline) == 0) return answer == Answer::kAnswered;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

// The X server named by DISPLAY answers and lets us in.
bool XReachable() {
  const std::string display = Env("DISPLAY");
  if (display.empty()) return false;
  // libxcb waits for the server's answer without a limit: a server that takes the
  // connection but never answers would hold the program for good.
  if (!XServerAnswers(kDisplayLimit)) return false;
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
  // wl_display.sync (object 1, request 0, 12 bytes) for a new callback, object 2: a
  // compositor that works tells when it is done.
  const uint32_t sync[3] = {1, 12u << 16, 2};
  const auto deadline = Clock::now() + std::chrono::milliseconds(kDisplayLimit);
  return Answers(ConnectUnix(name, false, deadline), sync, sizeof sync, deadline);
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
  const int fd = ConnectTcpBefore(host, port, Clock::now() + std::chrono::milliseconds(timeoutMs));
  if (fd < 0) return false;
  close(fd);
  return true;
}

bool XServerAnswers(int timeoutMs) {
  return XAnswers(Clock::now() + std::chrono::milliseconds(timeoutMs));
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

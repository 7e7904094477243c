#include "platform/posix/x11_windows.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/posix/display_probe.h"

namespace tavrin::posix {
namespace {

// The parts of libxcb's protocol records that are read here, laid out as the library
// lays them out.
using Window = uint32_t;
using Atom = uint32_t;
struct Cookie {
  unsigned int sequence;
};
struct ScreenIterator {
  const Window* data;  // an xcb_screen_t, whose first field is the root window
  int rem;
  int index;
};
struct AtomReply {
  uint8_t responseType, pad0;
  uint16_t sequence;
  uint32_t length;
  Atom atom;
};
struct PropertyReply {
  uint8_t responseType, format;
  uint16_t sequence;
  uint32_t length;
  Atom type;
  uint32_t bytesAfter, valueLength;
  uint8_t pad0[12];
};
struct AttributesReply {
  uint8_t responseType, backingStore;
  uint16_t sequence;
  uint32_t length, visual;
  uint16_t windowClass;
  uint8_t bitGravity, winGravity;
  uint32_t backingPlanes, backingPixel;
  uint8_t saveUnder, mapIsInstalled, mapState;
};

constexpr Atom kAnyType = 0;
constexpr Atom kAtomCardinal = 6;
constexpr Atom kAtomWindow = 33;
constexpr Atom kAtomWmName = 39;
constexpr uint8_t kMapViewable = 2;
constexpr uint32_t kMostWindows = 4096;

}  // namespace

struct X11Windows::Connection {
  void* library = nullptr;
  void* conn = nullptr;
  Window root = 0;
  Atom clientList = 0, netWmName = 0, netWmPid = 0;

  void* (*connect)(const char*, int*) = nullptr;
  int (*hasError)(void*) = nullptr;
  void (*disconnect)(void*) = nullptr;
  const void* (*getSetup)(void*) = nullptr;
  ScreenIterator (*rootsIterator)(const void*) = nullptr;
  void (*screenNext)(ScreenIterator*) = nullptr;
  Cookie (*internAtom)(void*, uint8_t, uint16_t, const char*) = nullptr;
  AtomReply* (*internAtomReply)(void*, Cookie, void**) = nullptr;
  Cookie (*getProperty)(void*, uint8_t, Window, Atom, Atom, uint32_t, uint32_t) = nullptr;
  PropertyReply* (*getPropertyReply)(void*, Cookie, void**) = nullptr;
  void* (*propertyValue)(const PropertyReply*) = nullptr;
  int (*propertyValueLength)(const PropertyReply*) = nullptr;
  Cookie (*queryTree)(void*, Window) = nullptr;
  void* (*queryTreeReply)(void*, Cookie, void**) = nullptr;
  Window* (*treeChildren)(const void*) = nullptr;
  int (*treeChildrenLength)(const void*) = nullptr;
  Cookie (*getAttributes)(void*, Window) = nullptr;
  AttributesReply* (*getAttributesReply)(void*, Cookie, void**) = nullptr;

  template <typename F>
  bool Load(F& fn, const char* name) {
    fn = reinterpret_cast<F>(dlsym(library, name));
    return fn != nullptr;
  }

  bool Open() {
    library = dlopen("libxcb.so.1", RTLD_LAZY | RTLD_LOCAL);
    if (!library) return false;
    const bool loaded =
        Load(connect, "xcb_connect") && Load(hasError, "xcb_connection_has_error") &&
        Load(disconnect, "xcb_disconnect") && Load(getSetup, "xcb_get_setup") &&
        Load(rootsIterator, "xcb_setup_roots_iterator") && Load(screenNext, "xcb_screen_next") &&
        Load(internAtom, "xcb_intern_atom") && Load(internAtomReply, "xcb_intern_atom_reply") &&
        Load(getProperty, "xcb_get_property") && Load(getPropertyReply, "xcb_get_property_reply") &&
        Load(propertyValue, "xcb_get_property_value") &&
        Load(propertyValueLength, "xcb_get_property_value_length") &&
        Load(queryTree, "xcb_query_tree") && Load(queryTreeReply, "xcb_query_tree_reply") &&
        Load(treeChildren, "xcb_query_tree_children") &&
        Load(treeChildrenLength, "xcb_query_tree_children_length") &&
        Load(getAttributes, "xcb_get_window_attributes") &&
        Load(getAttributesReply, "xcb_get_window_attributes_reply");
    // The library waits for the server's answer without a limit.
    if (!loaded || !XServerAnswers(kDisplayLimit)) return false;
    int screen = 0;
    conn = connect(nullptr, &screen);
    if (!conn || hasError(conn) != 0) return false;
    ScreenIterator it = rootsIterator(getSetup(conn));
    for (; screen > 0 && it.rem > 0; --screen) screenNext(&it);
    if (it.rem <= 0 || !it.data) return false;
    root = *it.data;
    clientList = InternAtom("_NET_CLIENT_LIST");
    netWmName = InternAtom("_NET_WM_NAME");
    netWmPid = InternAtom("_NET_WM_PID");
    return true;
  }

  Atom InternAtom(const char* name) {
    AtomReply* reply = internAtomReply(
        conn, internAtom(conn, 1, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    const Atom atom = reply ? reply->atom : 0;
    std::free(reply);
    return atom;
  }

  std::string PropertyText(Cookie cookie) {
    PropertyReply* reply = getPropertyReply(conn, cookie, nullptr);
    std::string text;
    if (reply && reply->format == 8) {
      text.assign(static_cast<const char*>(propertyValue(reply)),
                  static_cast<std::size_t>(propertyValueLength(reply)));
    }
    std::free(reply);
    return text;
  }

  std::vector<Window> TopLevels() {
    std::vector<Window> windows;
    if (clientList != 0) {
      PropertyReply* reply = getPropertyReply(
          conn, getProperty(conn, 0, root, clientList, kAtomWindow, 0, kMostWindows), nullptr);
      if (reply && reply->format == 32) {
        const auto* ids = static_cast<const Window*>(propertyValue(reply));
        windows.assign(ids, ids + propertyValueLength(reply) / 4);
      }
      const bool listed = reply != nullptr && reply->type == kAtomWindow;
      std::free(reply);
      if (listed) return windows;
    }
    // No window manager keeps the list: the root's children are the top-level windows,
    // and where a window manager frames them, the windows inside the frames.
    windows = Children(root);
    std::vector<Cookie> inner;
    inner.reserve(windows.size());
    for (const Window w : windows) inner.push_back(queryTree(conn, w));
    for (const Cookie cookie : inner) {
      void* tree = queryTreeReply(conn, cookie, nullptr);
      if (tree) {
        const Window* ids = treeChildren(tree);
        windows.insert(windows.end(), ids, ids + treeChildrenLength(tree));
      }
      std::free(tree);
    }
    return windows;
  }

  std::vector<Window> Children(Window parent) {
    std::vector<Window> children;
    void* tree = queryTreeReply(conn, queryTree(conn, parent), nullptr);
    if (tree) {
      const Window* ids = treeChildren(tree);
      children.assign(ids, ids + treeChildrenLength(tree));
    }
    std::free(tree);
    return children;
  }

  // The process that says it made a window (_NET_WM_PID); 0 when it does not say.
  uint32_t PropertyNumber(Cookie cookie) {
    PropertyReply* reply = getPropertyReply(conn, cookie, nullptr);
    uint32_t number = 0;
    if (reply && reply->format == 32 && propertyValueLength(reply) >= 1) {
      number = *static_cast<const uint32_t*>(propertyValue(reply));
    }
    std::free(reply);
    return number;
  }

  ~Connection() {
    if (conn) disconnect(conn);
    if (library) dlclose(library);
  }
};

X11Windows::X11Windows() = default;
X11Windows::~X11Windows() = default;

std::optional<bool> X11Windows::VisibleWindowTitled(const std::string& text) {
  if (connection_ && connection_->hasError(connection_->conn) != 0) connection_.reset();
  if (!connection_) {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) return std::nullopt;
    auto opened = std::make_unique<Connection>();
    if (!opened->Open()) return std::nullopt;
    connection_ = std::move(opened);
  }
  Connection& c = *connection_;
  const auto self = static_cast<uint32_t>(getpid());
  const std::vector<Window> windows = c.TopLevels();
  // Every question is sent before the first answer is read: one round trip in all.
  struct Asked {
    Cookie attributes, netName, name, pid;
  };
  std::vector<Asked> asked;
  asked.reserve(windows.size());
  for (const Window w : windows) {
    asked.push_back(
        {c.getAttributes(c.conn, w),
         c.getProperty(c.conn, 0, w, c.netWmName ? c.netWmName : kAtomWmName, kAnyType, 0, 1024),
         c.getProperty(c.conn, 0, w, kAtomWmName, kAnyType, 0, 1024),
         c.getProperty(c.conn, 0, w, c.netWmPid, kAtomCardinal, 0, 1)});
  }
  bool found = false;
  for (const Asked& a : asked) {
    AttributesReply* attributes = c.getAttributesReply(c.conn, a.attributes, nullptr);
    const bool viewable = attributes && attributes->mapState == kMapViewable;
    std::free(attributes);
    std::string title = c.PropertyText(a.netName);
    const std::string plain = c.PropertyText(a.name);
    if (title.empty()) title = plain;
    // This program's own windows (a run's progress) are never what it waits for.
    const bool own = c.netWmPid != 0 && c.PropertyNumber(a.pid) == self;
    if (!found && viewable && !own && title.find(text) != std::string::npos) found = true;
  }
  return found;
}

}  // namespace tavrin::posix

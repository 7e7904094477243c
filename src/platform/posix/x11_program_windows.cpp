#include "platform/posix/x11_program_windows.h"

#include "platform/posix/display_probe.h"
#include "platform/posix/process_tree.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XRes.h>
#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>

namespace tavrin::posix {
namespace {

// The EWMH source indication of a pager: the user asked for it through a tool.
constexpr long kSourcePager = 2;
constexpr long kStateRemove = 0;
constexpr long kStateAdd = 1;
// How far a frame may lie from its place and still stand there (the window manager's
// rounding).
constexpr int kPlaceSlack = 2;

// Set by the error handler while Xlib calls run: a window that went away is no fault.
bool g_xFailed = false;
int NoteXError(Display*, XErrorEvent*) {
  g_xFailed = true;
  return 0;
}

}  // namespace

// Xlib and XRes, loaded when first needed, and the atoms of the desktop's messages.
struct X11ProgramWindows::Connection {
  void* x11 = nullptr;
  void* xres = nullptr;
  Display* display = nullptr;
  Window root = 0;
  int screen = 0;
  int64_t self = getpid();
  std::map<Window, int64_t> owners;  // a window's process, once asked

  decltype(&XOpenDisplay) openDisplay = nullptr;
  decltype(&XCloseDisplay) closeDisplay = nullptr;
  decltype(&XInternAtom) internAtom = nullptr;
  decltype(&XGetWindowProperty) getProperty = nullptr;
  decltype(&XFree) free = nullptr;
  decltype(&XSendEvent) sendEvent = nullptr;
  decltype(&XSync) sync = nullptr;
  decltype(&XQueryTree) queryTree = nullptr;
  decltype(&XGetWindowAttributes) getAttributes = nullptr;
  decltype(&XMoveResizeWindow) moveResize = nullptr;
  decltype(&XIconifyWindow) iconify = nullptr;
  decltype(&XWithdrawWindow) withdraw = nullptr;
  decltype(&XTranslateCoordinates) translate = nullptr;
  decltype(&XSetErrorHandler) setErrorHandler = nullptr;
  decltype(&XResQueryClientIds) queryClientIds = nullptr;
  decltype(&XResGetClientPid) clientPid = nullptr;
  decltype(&XResClientIdsDestroy) destroyClientIds = nullptr;

  Atom clientList = 0, activeWindow = 0, wmPid = 0, wmDesktop = 0, wmState = 0, maxVert = 0,
       maxHorz = 0, hidden = 0, frameExtents = 0, gtkExtents = 0, moveResizeWindow = 0,
       supported = 0, iccmState = 0, windowType = 0, typeNormal = 0, wmName = 0, utf8 = 0;
  bool canMoveResize = false;

  template <typename F>
  static bool Load(void* library, F& fn, const char* name) {
    fn = library ? reinterpret_cast<F>(dlsym(library, name)) : nullptr;
    return fn != nullptr;
  }

  bool Open() {
    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || *name == '\0') return false;
    // Xlib waits for a server's answer without end: one that takes the connection and
    // never answers (stopped, or a squatter's) counts as no display once its time is up.
    if (!XServerAnswers(kDisplayLimit)) return false;
    x11 = dlopen("libX11.so.6", RTLD_LAZY | RTLD_LOCAL);
    const bool loaded =
        Load(x11, openDisplay, "XOpenDisplay") && Load(x11, closeDisplay, "XCloseDisplay") &&
        Load(x11, internAtom, "XInternAtom") && Load(x11, getProperty, "XGetWindowProperty") &&
        Load(x11, free, "XFree") && Load(x11, sendEvent, "XSendEvent") &&
        Load(x11, sync, "XSync") && Load(x11, queryTree, "XQueryTree") &&
        Load(x11, getAttributes, "XGetWindowAttributes") &&
        Load(x11, moveResize, "XMoveResizeWindow") && Load(x11, iconify, "XIconifyWindow") &&
        Load(x11, withdraw, "XWithdrawWindow") && Load(x11, translate, "XTranslateCoordinates") &&
        Load(x11, setErrorHandler, "XSetErrorHandler");
    if (!loaded) return false;
    // Without XRes the windows' own word (_NET_WM_PID) is all there is.
    xres = dlopen("libXRes.so.1", RTLD_LAZY | RTLD_LOCAL);
    if (!Load(xres, queryClientIds, "XResQueryClientIds") ||
        !Load(xres, clientPid, "XResGetClientPid") ||
        !Load(xres, destroyClientIds, "XResClientIdsDestroy")) {
      queryClientIds = nullptr;
    }
    display = openDisplay(nullptr);
    if (display == nullptr) return false;
    screen = DefaultScreen(display);
    root = RootWindow(display, screen);
    const auto atom = [&](const char* atomName) { return internAtom(display, atomName, False); };
    clientList = atom("_NET_CLIENT_LIST");
    activeWindow = atom("_NET_ACTIVE_WINDOW");
    wmPid = atom("_NET_WM_PID");
    wmDesktop = atom("_NET_WM_DESKTOP");
    wmState = atom("_NET_WM_STATE");
    maxVert = atom("_NET_WM_STATE_MAXIMIZED_VERT");
    maxHorz = atom("_NET_WM_STATE_MAXIMIZED_HORZ");
    hidden = atom("_NET_WM_STATE_HIDDEN");
    frameExtents = atom("_NET_FRAME_EXTENTS");
    gtkExtents = atom("_GTK_FRAME_EXTENTS");
    moveResizeWindow = atom("_NET_MOVERESIZE_WINDOW");
    supported = atom("_NET_SUPPORTED");
    iccmState = atom("WM_STATE");
    windowType = atom("_NET_WM_WINDOW_TYPE");
    typeNormal = atom("_NET_WM_WINDOW_TYPE_NORMAL");
    wmName = atom("_NET_WM_NAME");
    utf8 = atom("UTF8_STRING");
    for (const long a : Longs(root, supported, XA_ATOM, 1024)) {
      if (static_cast<Atom>(a) == moveResizeWindow) canMoveResize = true;
    }
    return true;
  }

  ~Connection() {
    if (display != nullptr) closeDisplay(display);
    if (xres != nullptr) dlclose(xres);
    if (x11 != nullptr) dlclose(x11);
  }

  // A property of 32-bit values (Xlib hands them over as longs).
  std::vector<long> Longs(Window w, Atom property, Atom type, long most) {
    Atom actual = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<long> values;
    if (getProperty(display, w, property, 0, most, False, type, &actual, &format, &count, &after,
                    &data) == Success &&
        data != nullptr && format == 32) {
      const auto* longs = reinterpret_cast<const long*>(data);
      values.assign(longs, longs + count);
    }
    if (data != nullptr) free(data);
    return values;
  }

  // A property of bytes (a title); "" when there is none.
  std::string Text(Window w, Atom property, Atom type) {
    Atom actual = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string text;
    if (getProperty(display, w, property, 0, 4096, False, type, &actual, &format, &count, &after,
                    &data) == Success &&
        data != nullptr && format == 8) {
      text.assign(reinterpret_cast<const char*>(data), count);
    }
    if (data != nullptr) free(data);
    return text;
  }

  // A program's main window, as a task bar lists it: of the normal type (or none), and
  // no dialog of another window.
  bool IsMainWindow(Window w) {
    for (const long type : Longs(w, windowType, XA_ATOM, 32)) {
      if (static_cast<Atom>(type) != typeNormal) return false;
    }
    return Longs(w, XA_WM_TRANSIENT_FOR, XA_WINDOW, 1).empty();
  }

  bool HasProperty(Window w, Atom property) {
    Atom actual = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    getProperty(display, w, property, 0, 0, False, AnyPropertyType, &actual, &format, &count,
                &after, &data);
    if (data != nullptr) free(data);
    return actual != 0;
  }

  // An EWMH message about `w` to the window manager.
  void Message(Window w, Atom type, long a0, long a1 = 0, long a2 = 0, long a3 = 0, long a4 = 0) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = w;
    event.xclient.message_type = type;
    event.xclient.format = 32;
    const long data[] = {a0, a1, a2, a3, a4};
    for (int i = 0; i < 5; ++i) event.xclient.data.l[i] = data[i];
    sendEvent(display, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
  }

  // The children of `w`, bottom first.
  std::vector<Window> Children(Window w) {
    Window rootOut = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    std::vector<Window> out;
    if (queryTree(display, w, &rootOut, &parent, &children, &count) != 0 && children != nullptr) {
      out.assign(children, children + count);
    }
    if (children != nullptr) free(children);
    return out;
  }

  // The programs' top-level windows in the order they appeared: the window manager's
  // list, or else the client windows (those with WM_STATE) among the root's mapped
  // children and inside their frames.
  std::vector<Window> ClientWindows() {
    std::vector<Window> windows;
    for (const long w : Longs(root, clientList, XA_WINDOW, 4096)) windows.push_back(w);
    if (!windows.empty()) return windows;
    for (const Window top : Children(root)) {
      XWindowAttributes attributes{};
      if (getAttributes(display, top, &attributes) == 0 || attributes.map_state != IsViewable ||
          attributes.override_redirect != 0) {
        continue;
      }
      if (HasProperty(top, iccmState)) {
        windows.push_back(top);
        continue;
      }
      for (const Window inner : Children(top)) {
        if (HasProperty(inner, iccmState)) windows.push_back(inner);
      }
    }
    return windows;
  }

  // The process of the client that made `w`: the X server's record, or the window's
  // own word; 0 when neither tells.
  int64_t OwnerOf(Window w) {
    if (const auto known = owners.find(w); known != owners.end()) return known->second;
    int64_t pid = 0;
    if (queryClientIds != nullptr) {
      XResClientIdSpec asked{w, XRES_CLIENT_ID_PID_MASK};
      long count = 0;
      XResClientIdValue* ids = nullptr;
      if (queryClientIds(display, 1, &asked, &count, &ids) == Success) {
        for (long i = 0; i < count && pid <= 0; ++i) pid = clientPid(&ids[i]);
      }
      if (ids != nullptr) destroyClientIds(count, ids);
    }
    if (pid <= 0) {
      const std::vector<long> given = Longs(w, wmPid, XA_CARDINAL, 1);
      pid = given.empty() ? 0 : given[0];
    }
    owners[w] = pid;
    return pid;
  }
};

X11ProgramWindows::X11ProgramWindows(bool besideWayland) : besideWayland_(besideWayland) {}
X11ProgramWindows::~X11ProgramWindows() = default;

X11ProgramWindows::Connection* X11ProgramWindows::Open() {
  if (!tried_) {
    tried_ = true;
    auto opened = std::make_unique<Connection>();
    if (opened->Open()) connection_ = std::move(opened);
  }
  return connection_.get();
}

namespace {

// Xlib's errors are noted, not fatal, while it lives; the handler before it comes back.
class ErrorTrap {
 public:
  explicit ErrorTrap(decltype(&XSetErrorHandler) set) : set_(set) {
    g_xFailed = false;
    before_ = set_(&NoteXError);
  }
  ~ErrorTrap() { set_(before_); }
  ErrorTrap(const ErrorTrap&) = delete;
  ErrorTrap& operator=(const ErrorTrap&) = delete;

 private:
  decltype(&XSetErrorHandler) set_;
  XErrorHandler before_;
};

}  // namespace

ProgramWindows::Abilities X11ProgramWindows::Can() {
  if (Open() == nullptr) return {};
  return {!besideWayland_, true, true, true};
}

std::optional<bool> X11ProgramWindows::VisibleWindowTitled(const std::string& text) {
  if (besideWayland_) return std::nullopt;
  return titles_.VisibleWindowTitled(text);
}

WindowHandle X11ProgramWindows::FocusedWindow() {
  Connection* c = Open();
  if (c == nullptr) return 0;
  ErrorTrap trap(c->setErrorHandler);
  const std::vector<long> active = c->Longs(c->root, c->activeWindow, XA_WINDOW, 1);
  return active.empty() ? 0 : static_cast<WindowHandle>(active[0]);
}

WindowHandle X11ProgramWindows::FirstWindowOf(int64_t pid) {
  Connection* c = Open();
  if (c == nullptr || pid <= 0) return 0;
  ErrorTrap trap(c->setErrorHandler);
  for (const Window w : c->ClientWindows()) {
    const int64_t owner = c->OwnerOf(w);
    if (owner > 0 && owner != c->self && BelongsToStart(owner, pid)) return w;
  }
  return 0;
}

std::optional<X11ProgramWindows::Seen> X11ProgramWindows::Look(WindowHandle window) {
  Connection* c = Open();
  if (c == nullptr) return std::nullopt;
  ErrorTrap trap(c->setErrorHandler);
  const auto w = static_cast<Window>(window);
  XWindowAttributes attributes{};
  int x = 0, y = 0;
  Window child = 0;
  if (c->getAttributes(c->display, w, &attributes) == 0 ||
      c->translate(c->display, w, c->root, 0, 0, &x, &y, &child) == 0 || g_xFailed) {
    return std::nullopt;
  }
  std::vector<long> frame = c->Longs(w, c->frameExtents, XA_CARDINAL, 4);
  std::vector<long> gtk = c->Longs(w, c->gtkExtents, XA_CARDINAL, 4);
  frame.resize(4, 0);
  gtk.resize(4, 0);
  // Left, right, top, bottom: the window manager's frame around the window, and the
  // shadow a window that draws its own frame keeps inside it.
  Seen seen;
  seen.frame = {static_cast<int>(x - frame[0] + gtk[0]), static_cast<int>(y - frame[2] + gtk[2]),
                static_cast<int>(attributes.width + frame[0] + frame[1] - gtk[0] - gtk[1]),
                static_cast<int>(attributes.height + frame[2] + frame[3] - gtk[2] - gtk[3])};
  const std::vector<long> desktop = c->Longs(w, c->wmDesktop, XA_CARDINAL, 1);
  seen.desktop = desktop.empty() || desktop[0] < 0 ? 0 : static_cast<int>(desktop[0]) + 1;
  bool vert = false, horz = false;
  for (const long state : c->Longs(w, c->wmState, XA_ATOM, 64)) {
    const auto atom = static_cast<Atom>(state);
    vert = vert || atom == c->maxVert;
    horz = horz || atom == c->maxHorz;
    seen.minimized = seen.minimized || atom == c->hidden;
  }
  seen.maximized = vert && horz;
  seen.mapped = attributes.map_state == IsViewable;
  return seen;
}

bool X11ProgramWindows::Apply(WindowHandle window, const WindowWish& wish) {
  Connection* c = Open();
  const std::optional<Seen> seen = Look(window);
  if (c == nullptr || !seen) return false;
  ErrorTrap trap(c->setErrorHandler);
  const auto w = static_cast<Window>(window);
  if (wish.desktop > 0) c->Message(w, c->wmDesktop, wish.desktop - 1, kSourcePager);
  if (wish.place) {
    // A maximized window cannot be moved: it is restored first, and maximized again
    // after when its style says so.
    if (seen->maximized)
      c->Message(w, c->wmState, kStateRemove, c->maxVert, c->maxHorz, kSourcePager);
    std::vector<long> frame = c->Longs(w, c->frameExtents, XA_CARDINAL, 4);
    std::vector<long> gtk = c->Longs(w, c->gtkExtents, XA_CARDINAL, 4);
    frame.resize(4, 0);
    gtk.resize(4, 0);
    const WindowRect& p = *wish.place;
    const long x = p.x - gtk[0], y = p.y - gtk[2];
    const long width = std::max(1L, p.width - frame[0] - frame[1] + gtk[0] + gtk[1]);
    const long height = std::max(1L, p.height - frame[2] - frame[3] + gtk[2] + gtk[3]);
    if (c->canMoveResize) {
      // North-west gravity: the frame's top left corner goes to x, y.
      constexpr long kNorthWest = 1, kAllFour = 0xF << 8, kFromPager = kSourcePager << 12;
      c->Message(w, c->moveResizeWindow, kNorthWest | kAllFour | kFromPager, x, y, width, height);
    } else {
      c->moveResize(c->display, w, static_cast<int>(x), static_cast<int>(y),
                    static_cast<unsigned>(width), static_cast<unsigned>(height));
    }
  }
  switch (wish.style) {
    case 0:
      c->withdraw(c->display, w, c->screen);
      break;
    case 2:
    case 5:
      c->iconify(c->display, w, c->screen);
      break;
    case 3:
      c->Message(w, c->wmState, kStateAdd, c->maxVert, c->maxHorz, kSourcePager);
      break;
    default:
      break;
  }
  if ((wish.style == 4 || wish.style == 5) && wish.focused != 0 && wish.focused != window) {
    c->Message(static_cast<Window>(wish.focused), c->activeWindow, kSourcePager, CurrentTime);
  }
  c->sync(c->display, False);
  return !g_xFailed;
}

std::optional<std::vector<OpenWindow>> X11ProgramWindows::OpenWindows() {
  Connection* c = Open();
  if (c == nullptr || besideWayland_) return std::nullopt;
  ErrorTrap trap(c->setErrorHandler);
  std::vector<OpenWindow> open;
  std::vector<int64_t> seen;
  for (const Window w : c->ClientWindows()) {
    const int64_t pid = c->OwnerOf(w);
    if (pid == c->self || !c->IsMainWindow(w) ||
        std::find(seen.begin(), seen.end(), pid) != seen.end()) {
      continue;
    }
    seen.push_back(pid);
    OpenWindow window;
    window.pid = pid;
    window.title = c->Text(w, c->wmName, c->utf8);
    if (window.title.empty()) window.title = c->Text(w, XA_WM_NAME, XA_STRING);
    if (pid <= 0) {
      window.note = "its process is not known";
      open.push_back(std::move(window));
      continue;
    }
    const std::optional<Seen> look = Look(w);
    if (!look || !ReadStartOf(window)) continue;
    window.style = look->minimized ? 2 : look->maximized ? 3 : 1;
    window.place = look->frame;
    window.desktop = look->desktop;
    open.push_back(std::move(window));
  }
  return open;
}

bool X11ProgramWindows::Holds(WindowHandle window, const WindowWish& wish) {
  if (wish.style == 0) return true;
  const std::optional<Seen> seen = Look(window);
  if (!seen) return true;
  if (wish.desktop > 0 && seen->desktop != 0 && seen->desktop != wish.desktop) return false;
  if (wish.place && wish.style != 3 && !seen->maximized) {
    return std::abs(seen->frame.x - wish.place->x) <= kPlaceSlack &&
           std::abs(seen->frame.y - wish.place->y) <= kPlaceSlack;
  }
  return true;
}

}  // namespace tavrin::posix

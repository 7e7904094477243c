// Windows where they belong: the built program in run mode starts a small X program
// (helpers/x_window.c) on an X server of its own with a real window manager (openbox),
// and the window's state, frame and workspace are read back from the X server.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <sstream>
#include <thread>

#include "platform/posix/x11_windows.h"
#include "run_mode.h"

// Xlib's headers last: their macros (None, Bool, Status) would rename what follows.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace tavrin {
namespace {

using testing::Item;
using testing::With;

// A process of the fixture's, ended when the fixture goes.
pid_t Spawn(const std::vector<std::string>& argv, int outFd = -1) {
  const pid_t pid = fork();
  if (pid == 0) {
    if (outFd >= 0) dup2(outFd, 3);
    std::vector<char*> args;
    for (const auto& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  return pid;
}

// What the X server says of a window, as the user sees it: its frame (the top-level
// window around it), its state and its workspace.
struct Seen {
  int x = 0, y = 0, width = 0, height = 0;
  long wmState = 0;  // ICCCM: 0 withdrawn, 1 normal, 3 iconic
  bool maximized = false;
  long desktop = -1;
};

std::vector<long> Longs(Display* d, Window w, const char* name, Atom type) {
  Atom actual = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::vector<long> values;
  const Atom property = XInternAtom(d, name, False);
  if (XGetWindowProperty(d, w, property, 0, 64, False, type, &actual, &format, &count, &after,
                         &data) == Success &&
      data != nullptr && format == 32) {
    values.assign(reinterpret_cast<long*>(data), reinterpret_cast<long*>(data) + count);
  }
  if (data != nullptr) XFree(data);
  return values;
}

Seen Read(Display* d, Window w) {
  Seen seen;
  Window frame = w, root = 0, parent = 0, *children = nullptr;
  unsigned int count = 0;
  while (XQueryTree(d, frame, &root, &parent, &children, &count) != 0 && parent != root) {
    if (children != nullptr) XFree(children);
    children = nullptr;
    frame = parent;
  }
  if (children != nullptr) XFree(children);
  unsigned int width = 0, height = 0, border = 0, depth = 0;
  Window child = 0;
  XGetGeometry(d, frame, &root, &seen.x, &seen.y, &width, &height, &border, &depth);
  XTranslateCoordinates(d, frame, root, 0, 0, &seen.x, &seen.y, &child);
  seen.width = static_cast<int>(width + 2 * border);
  seen.height = static_cast<int>(height + 2 * border);
  const Atom wmState = XInternAtom(d, "WM_STATE", False);
  const std::vector<long> state = Longs(d, w, "WM_STATE", wmState);
  seen.wmState = state.empty() ? 0 : state[0];
  int max = 0;
  for (const long atom : Longs(d, w, "_NET_WM_STATE", XA_ATOM)) {
    max += static_cast<Atom>(atom) == XInternAtom(d, "_NET_WM_STATE_MAXIMIZED_VERT", False) ||
           static_cast<Atom>(atom) == XInternAtom(d, "_NET_WM_STATE_MAXIMIZED_HORZ", False);
  }
  seen.maximized = max == 2;
  const std::vector<long> desktop = Longs(d, w, "_NET_WM_DESKTOP", XA_CARDINAL);
  seen.desktop = desktop.empty() ? -1 : desktop[0];
  return seen;
}

class PlacementTest : public RunModeTest {
 protected:
  // An X server and openbox of the test's own, with four workspaces.
  void SetUp() override {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    server_ = Spawn({"Xvfb", "-displayfd", "3", "-nolisten", "tcp", "-screen", "0", "1280x1024x24"},
                    fds[1]);
    close(fds[1]);
    std::string number;
    char c = 0;
    while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (number.empty()) GTEST_SKIP() << "no Xvfb here";
    display_ = ":" + number;
    setenv("DISPLAY", display_.c_str(), 1);
    env["DISPLAY"] = display_;
    x_ = XOpenDisplay(display_.c_str());
    ASSERT_NE(x_, nullptr);
    manager_ = Spawn({"openbox", "--sm-disable"});
    const Window root = DefaultRootWindow(x_);
    for (int i = 0; i < 500 && Longs(x_, root, "_NET_SUPPORTING_WM_CHECK", XA_WINDOW).empty();
         ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (Longs(x_, root, "_NET_SUPPORTING_WM_CHECK", XA_WINDOW).empty()) {
      GTEST_SKIP() << "no openbox here";
    }
    // Openbox is ready once it manages a window: it gives it WM_STATE.
    const Window probe = XCreateSimpleWindow(x_, root, 0, 0, 10, 10, 0, 0, 0);
    XMapWindow(x_, probe);
    XSync(x_, False);
    const Atom wmState = XInternAtom(x_, "WM_STATE", False);
    for (int i = 0; i < 1000 && Longs(x_, probe, "WM_STATE", wmState).empty(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    XDestroyWindow(x_, probe);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = root;
    event.xclient.message_type = XInternAtom(x_, "_NET_NUMBER_OF_DESKTOPS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = 4;
    XSendEvent(x_, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XSync(x_, False);
  }
  void TearDown() override {
    if (x_ != nullptr) XCloseDisplay(x_);
    for (const pid_t pid : {manager_, server_}) {
      if (pid > 0) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
      }
    }
  }

  // The test window program, and its window once it shows.
  std::string Helper() const {
    const std::string recorder = testing::RecorderPath();
    return recorder.substr(0, recorder.rfind('/')) + "/tavrin_test_x_window";
  }
  std::pair<Window, pid_t> Shown(const std::string& file) {
    std::ifstream in(file);
    unsigned long window = 0;
    int pid = 0;
    in >> window >> pid;
    return {window, pid};
  }

  pid_t server_ = 0, manager_ = 0;
  std::string display_;
  Display* x_ = nullptr;
};

TEST_F(PlacementTest, AWindowGetsItsStylePlaceAndWorkspace) {
  const std::string id = dir.file("window");
  const std::string script = dir.file("start.sh");
  WriteFile(script, "#!/bin/sh\n\"" + Helper() + "\" \"$@\" &\nwait\n");
  std::filesystem::permissions(script, std::filesystem::perms::owner_all);
  const std::vector<ItemOption> left = {{"Place", "0,0,640,1024"}};
  const struct {
    const char* name;
    CollItem item;
    long wmState;  // -1: not asked
    bool maximized;
    int x, y, width, height;  // the frame; width 0: not asked
    long desktop;             // from 0; -1: not asked
  } rows[] = {
      {"minimized", Item("w", Helper(), id, 2), 3, false, 0, 0, 0, 0, -1},
      {"maximized", Item("w", Helper(), id, 3), 1, true, 0, 0, 0, 0, -1},
      {"hidden: withdrawn", Item("w", Helper(), id, 0), 0, false, 0, 0, 0, 0, -1},
      {"at the left half", With(Item("w", Helper(), id), left), 1, false, 0, 0, 640, 1024, -1},
      {"at a place on workspace 2 of 4",
       With(Item("w", Helper(), id), {{"Place", "700,100,500,400"}, {"Desktop", "2"}}), -1, false,
       700, 100, 500, 400, 1},
      {"started by a shell script, at a place",
       With(Item("w", script, id), {{"Place", "100,80,500,400"}}), 1, false, 100, 80, 500, 400, -1},
      {"a splash first: the real window is placed", With(Item("w", Helper(), id + " splash"), left),
       1, false, 0, 0, 640, 1024, -1},
      {"a program that moves its window back is placed again",
       With(Item("w", Helper(), id + " moveback"), left), 1, false, 0, 0, 640, 1024, -1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    std::filesystem::remove(id);
    const auto result = Run({row.item});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");
    const auto [window, pid] = Shown(id);
    ASSERT_NE(window, 0UL);
    const Seen seen = Read(x_, window);
    // (A window on another workspace than the one shown is iconic.)
    if (row.wmState >= 0) {
      EXPECT_EQ(seen.wmState, row.wmState);
    }
    EXPECT_EQ(seen.maximized, row.maximized);
    if (row.width > 0) {
      EXPECT_EQ(std::vector<int>({seen.x, seen.y, seen.width, seen.height}),
                std::vector<int>({row.x, row.y, row.width, row.height}));
    }
    if (row.desktop >= 0) {
      EXPECT_EQ(seen.desktop, row.desktop);
    }
    kill(pid, SIGTERM);
  }
}

// What a process was started with: its arguments after the first, and its folder.
std::string StartedWith(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/cmdline", std::ios::binary);
  std::string line((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  line.erase(0, line.find('\0') + 1);
  return line + "|" +
         std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/cwd").string();
}

// The windows open now become a collection: each program with its arguments (blanks,
// quotes and an empty one), its folder, its window's state, place and workspace; the
// program a script started, itself. Run again once they are closed, the collection
// brings each back as it was; --stop then ends what that run started.
TEST_F(PlacementTest, CapturedWindowsComeBackAsTheyWere) {
  const std::string folder = dir.file("a folder");
  std::filesystem::create_directories(folder);
  const std::string script = dir.file("start.sh");
  WriteFile(script, "#!/bin/sh\n\"" + Helper() + "\" \"$@\" &\nwait\n");
  std::filesystem::permissions(script, std::filesystem::perms::owner_all);
  const std::string a = dir.file("a"), b = dir.file("b"), c = dir.file("c");
  const struct {
    const char* name;
    std::string id;
    CollItem item;
    std::string style;  // as captured
    long wmState;
    std::vector<int> frame;  // empty: not asked
    long desktop;            // from 0
  } rows[] = {
      {"arguments and a folder, minimized",
       a,
       With(Item("a", Helper(), "'" + a + "' \"two words\" 'it'\\''s \"q\"' ''", 2),
            {{"WorkDir", folder}}),
       "2",
       3,
       {},
       0},
      // (A window on a workspace not shown is iconic, and no less Normal for that.)
      {"at a place on workspace 2",
       b,
       With(Item("b", Helper(), "'" + b + "'"), {{"Place", "700,100,500,400"}, {"Desktop", "2"}}),
       "1",
       -1,
       {700, 100, 500, 400},
       1},
      {"started by a script, at a place",
       c,
       With(Item("c", script, "'" + c + "'"), {{"Place", "100,80,500,400"}}),
       "1",
       1,
       {100, 80, 500, 400},
       0},
  };
  std::vector<CollItem> items;
  for (const auto& row : rows) items.push_back(row.item);
  ASSERT_EQ(Run(items).exitCode, 0);
  std::map<std::string, std::string> before;
  for (const auto& row : rows) before[row.name] = StartedWith(Shown(row.id).second);
  // Every argument as given: blanks, quotes, an empty one last.
  const std::string arguments = std::string("\0two words\0it's \"q\"\0\0", 21);
  EXPECT_EQ(before["arguments and a folder, minimized"], a + arguments + "|" + folder);
  const std::string captured = dir.file("captured.tavrin");
  const auto capture = Start({TavrinPath(), "--capture", captured});
  ASSERT_EQ(capture.exitCode, 0) << capture.err;
  EXPECT_EQ(capture.err, "");
  const std::vector<std::string> lines = testing::Lines(capture.out);
  EXPECT_EQ(lines.size(), 3u) << capture.out;
  for (const auto& row : rows) {
    // position, name, file, parameters, wait, style: the style of the row's line.
    const auto line = std::find_if(lines.begin(), lines.end(), [&](const std::string& l) {
      return l.find("\t" + row.id + " ") != std::string::npos ||
             l.find("\t" + row.id + "\t") != std::string::npos;
    });
    ASSERT_NE(line, lines.end()) << row.name;
    std::istringstream fields(*line);
    std::string field;
    for (int i = 0; i < 6; ++i) std::getline(fields, field, '\t');
    EXPECT_EQ(field, row.style) << row.name;
  }
  // Never written over.
  const std::string first = testing::ReadFile(captured);
  EXPECT_EQ(Start({TavrinPath(), "--capture", captured}).exitCode, 2);
  EXPECT_EQ(testing::ReadFile(captured), first);

  EXPECT_EQ(Start({TavrinPath(), "--stop", dir.file("c.tavrin")}).exitCode, 0);
  for (const auto& row : rows) std::filesystem::remove(row.id);
  ASSERT_EQ(Start({TavrinPath(), captured, "/run"}).exitCode, 0);
  std::vector<pid_t> again;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const auto [window, pid] = Shown(row.id);
    ASSERT_NE(window, 0UL);
    again.push_back(pid);
    EXPECT_EQ(StartedWith(pid), before[row.name]);
    const Seen seen = Read(x_, window);
    if (row.wmState >= 0) {
      EXPECT_EQ(seen.wmState, row.wmState);
    }
    if (!row.frame.empty()) {
      EXPECT_EQ(std::vector<int>({seen.x, seen.y, seen.width, seen.height}), row.frame);
    }
    EXPECT_EQ(seen.desktop, row.desktop);
  }
  EXPECT_EQ(Start({TavrinPath(), "--stop", captured}).exitCode, 0);
  for (const pid_t pid : again)
    EXPECT_FALSE(std::filesystem::exists("/proc/" + std::to_string(pid) + "/exe"));
}

// The File menu's "Capture Open Windows..." in the real window, typed as a user types it:
// the open program is listed, and Execute starts it again with the same arguments.
TEST_F(PlacementTest, TheMainWindowCapturesAndExecutesTheOpenWindows) {
  if (Start({"xdotool", "version"}).exitCode != 0) GTEST_SKIP() << "no xdotool here";
  const std::string id = dir.file("a");
  const pid_t first = Spawn({Helper(), id, "two words", ""});
  for (int i = 0; i < 500 && !std::filesystem::exists(id); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  const std::string before = StartedWith(Shown(id).second);
  setenv("TAVRIN_BOXES_TO_STDERR", "1", 1);
  setenv("TAVRIN_HOME", dir.file("home").c_str(), 1);
  setenv("QT_QPA_PLATFORM", "xcb", 1);
  unsetenv("WAYLAND_DISPLAY");
  const pid_t tavrin = Spawn({TavrinPath()});
  const auto shown = Start(
      {"timeout", "30", "xdotool", "search", "--sync", "--onlyvisible", "--name", "^The Tavrin$"});
  const std::vector<std::string> found = testing::Lines(shown.out);
  ASSERT_FALSE(found.empty()) << shown.err;
  std::filesystem::remove(id);
  Start({"timeout", "10", "xdotool", "windowactivate", "--sync", found[0]});
  Start({"xdotool", "key", "--delay", "300", "alt+f", "c"});
  // Enter: Execute, and the window closes (Alt+T would keep it, as Shift does).
  Start({"xdotool", "sleep", "1", "key", "Return"});
  int status = -1;
  for (int i = 0; i < 1000 && waitpid(tavrin, &status, WNOHANG) == 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  for (int i = 0; i < 500 && !std::filesystem::exists(id); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  const pid_t again = Shown(id).second;
  ASSERT_NE(again, 0);
  EXPECT_NE(again, first);
  EXPECT_EQ(StartedWith(again), before);
  for (const pid_t pid : {first, again}) kill(pid, SIGTERM);
  waitpid(first, nullptr, 0);
}

// A document's window is that of the application the desktop opens it with: it gets
// the item's style and place. (The test's application writes its window over the
// document it is given.)
TEST_F(PlacementTest, ADocumentsWindowGetsItsStyleAndPlace) {
  const std::string document = dir.file("notes.txt");
  WriteFile(document, "notes\n");
  std::filesystem::create_directories(dir.file("data/applications"));
  std::filesystem::create_directories(dir.file("config"));
  env["XDG_DATA_DIRS"] = "/usr/share";
  WriteFile(dir.file("data/applications/tavrin-test-probe.desktop"),
            "[Desktop Entry]\nType=Application\nNoDisplay=true\nName=Probe\n"
            "MimeType=text/plain;\nExec=" +
                Helper() + " %f\n");
  WriteFile(dir.file("config/mimeapps.list"),
            "[Default Applications]\ntext/plain=tavrin-test-probe.desktop\n");
  const auto result = Run({With(Item("Notes", document), {{"Place", "100,80,500,400"}})});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err, "");
  const auto [window, pid] = Shown(document);
  ASSERT_NE(window, 0UL);
  const Seen seen = Read(x_, window);
  EXPECT_EQ(std::vector<int>({seen.x, seen.y, seen.width, seen.height}),
            std::vector<int>({100, 80, 500, 400}));
  kill(pid, SIGTERM);
}

TEST_F(PlacementTest, AProgramThatNeverShowsAWindowIsANoteAndTheRunStillSucceeds) {
  const std::string id = dir.file("window");
  const auto result = Run({Item("Quiet", Helper(), id + " never", 2)});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(FailureLines(result),
            std::vector<std::string>({"tavrin: " + dir.file("c.tavrin") +
                                      ": item 1 \"Quiet\": its window did not appear within 10 s "
                                      "and was left where the desktop puts it"}));
  // What the run started is ended as a user would end it.
  EXPECT_EQ(Start({TavrinPath(), "--stop", dir.file("c.tavrin")}).exitCode, 0);
}

// A wait for a window never counts this program's own windows (a run's progress window,
// "The Tavrin - Running"): a window of this process is passed over, the same title in
// another program's window is found.
TEST_F(PlacementTest, AWaitForAWindowNeverCountsTheLaunchersOwn) {
  const Window own = XCreateSimpleWindow(x_, DefaultRootWindow(x_), 0, 0, 100, 100, 0, 0, 0);
  XStoreName(x_, own, "The Placement probe - Running");
  const long self = getpid();
  XChangeProperty(x_, own, XInternAtom(x_, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&self), 1);
  XMapWindow(x_, own);
  XSync(x_, False);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  posix::X11Windows windows;
  EXPECT_EQ(windows.VisibleWindowTitled("Placement probe"), std::optional<bool>(false));
  // Another program's window of that title: found.
  const std::string id = dir.file("window");
  const pid_t other = Spawn({Helper(), id});
  for (int i = 0; i < 500 && !std::filesystem::exists(id); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  std::optional<bool> found;
  for (int i = 0; i < 500 && found != std::optional<bool>(true); ++i) {
    found = windows.VisibleWindowTitled("Placement probe");
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(found, std::optional<bool>(true));
  kill(other, SIGTERM);
  waitpid(other, nullptr, 0);
}

}  // namespace
}  // namespace tavrin

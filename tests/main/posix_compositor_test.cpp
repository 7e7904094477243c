// Windows where they belong on Wayland desktops: the built program in run mode on a
// headless sway of the test's own (a window placed and sent to a workspace through sway's
// IPC, and found by its title), and on a headless weston whose X windows come through
// XWayland (an X window found by a wait for its title). A compositor that cannot start
// here skips its test, saying why.
#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <thread>

#include "collection/collfile.h"
#include "run_mode.h"

namespace tavrin {
namespace {

namespace fs = std::filesystem;
using testing::Item;
using testing::With;

// The user a compositor runs as when the tests run as root: sway refuses root.
constexpr uid_t kCompositorUser = testing::kUnprivilegedId;

// Waits up to 20 s until `ready` holds.
bool WaitUntil(const std::function<bool()>& ready) {
  for (int i = 0; i < 2000; ++i) {
    if (ready()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

std::string Text(const std::string& file) {
  std::ifstream in(file);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// What a run said on standard error besides the line that tells a wait that lasts.
std::string Complaints(const std::string& err) {
  std::string said;
  for (const auto& line : testing::Lines(err)) {
    if (line.find(": waiting for window:") == std::string::npos) said += line + "\n";
  }
  return said;
}

// A compositor of the test's own, headless, in a runtime folder of its own; as an
// unprivileged user when the tests run as root. Ended with the fixture.
class CompositorTest : public RunModeTest {
 protected:
  void TearDown() override {
    if (compositor_ > 0) {
      kill(compositor_, SIGTERM);
      waitpid(compositor_, nullptr, 0);
    }
  }

  // Starts `argv` with only `vars` (and PATH) set, its output to `log`; as the
  // unprivileged user under root when `dropRoot`.
  void StartCompositor(const std::vector<std::string>& argv, std::vector<std::string> vars,
                       bool dropRoot) {
    runtime_ = dir.file("compositor");
    fs::create_directories(runtime_);
    fs::permissions(runtime_, fs::perms::owner_all);
    const bool root = dropRoot && geteuid() == 0;
    if (root) {
      ASSERT_EQ(chown(runtime_.c_str(), kCompositorUser, kCompositorUser), 0);
    }
    log_ = runtime_ + "/log";
    vars.push_back("XDG_RUNTIME_DIR=" + runtime_);
    vars.push_back("HOME=" + runtime_);
    vars.push_back(std::string("PATH=") + getenv("PATH"));
    compositor_ = fork();
    if (compositor_ == 0) {
      const int out = open(log_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
      if (out >= 0) {
        dup2(out, 1);
        dup2(out, 2);
      }
      if (root && (setgroups(0, nullptr) != 0 || setgid(kCompositorUser) != 0 ||
                   setuid(kCompositorUser) != 0)) {
        _exit(126);
      }
      std::vector<char*> args, envp;
      for (const auto& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
      for (const auto& var : vars) envp.push_back(const_cast<char*>(var.c_str()));
      args.push_back(nullptr);
      envp.push_back(nullptr);
      execvpe(args[0], args.data(), envp.data());
      _exit(127);
    }
  }
  // Whether the compositor still runs.
  bool Runs() { return compositor_ > 0 && waitpid(compositor_, nullptr, WNOHANG) == 0; }
  // The last lines of what the compositor said, for a skip.
  std::string Said() {
    const std::string text = Text(log_);
    return text.substr(text.size() > 600 ? text.size() - 600 : 0);
  }

  pid_t compositor_ = 0;
  std::string runtime_, log_;
};

class SwayTest : public CompositorTest {
 protected:
  void SetUp() override {
    WriteFile(dir.file("compositor.conf"), "output HEADLESS-1 resolution 1280x1024\n");
    fs::permissions(dir.file("compositor.conf"), fs::perms::owner_all | fs::perms::others_read);
    StartCompositor({"sway", "--config", dir.file("compositor.conf")},
                    {"WLR_BACKENDS=headless", "WLR_LIBINPUT_NO_DEVICES=1", "WLR_RENDERER=pixman"},
                    /*dropRoot=*/true);
    if (HasFatalFailure()) return;
    const bool ready = WaitUntil([this] {
      if (!Runs()) return true;
      for (const auto& entry : fs::directory_iterator(runtime_)) {
        if (entry.path().filename().string().rfind("sway-ipc.", 0) == 0) swaySocket_ = entry.path();
      }
      return !swaySocket_.empty() && fs::exists(runtime_ + "/wayland-1");
    });
    if (!ready || swaySocket_.empty()) GTEST_SKIP() << "sway did not start here: " << Said();
  }
  // The tree of sway's windows, as its IPC gives it.
  nlohmann::json Tree() {
    return nlohmann::json::parse(Start({"swaymsg", "-s", swaySocket_, "-r", "-t", "get_tree"}).out,
                                 nullptr, false);
  }
  std::string swaySocket_;
};

// The window (a container with a process) whose title holds `title`, and its workspace.
const nlohmann::json* FindWindow(const nlohmann::json& node, const std::string& title,
                                 std::string& workspace) {
  const std::string here =
      node.value("type", "") == "workspace" ? node.value("name", "") : workspace;
  if (node.contains("pid") && node.value("name", "").find(title) != std::string::npos) {
    workspace = here;
    return &node;
  }
  for (const char* children : {"nodes", "floating_nodes"}) {
    if (!node.contains(children)) continue;
    for (const auto& child : node[children]) {
      std::string inner = here;
      if (const auto* found = FindWindow(child, title, inner)) {
        workspace = inner;
        return found;
      }
    }
  }
  return nullptr;
}

// A Wayland window (the program's own main window, on Qt's Wayland platform) started by a
// collection is waited for by its title, then floats at its place on workspace 2.
TEST_F(SwayTest, AWaylandWindowIsFoundByItsTitleAndPlaced) {
  env["WAYLAND_DISPLAY"] = runtime_ + "/wayland-1";
  env["SWAYSOCK"] = swaySocket_;
  env["QT_QPA_PLATFORM"] = "wayland";
  WriteFile(dir.file("inner.tavrin"), CollectionText({Item("One", testing::RecorderPath())}));
  const auto result = Run({With(Item("Window", TavrinPath(), dir.file("inner.tavrin")),
                                {{"Place", "100,80,700,500"},
                                 {"Desktop", "2"},
                                 {"WaitReady", "window:The Tavrin"},
                                 {"Timeout", "20000"}})});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(Complaints(result.err), "");
  const nlohmann::json tree = Tree();
  std::string workspace;
  const nlohmann::json* window = FindWindow(tree, "The Tavrin", workspace);
  ASSERT_NE(window, nullptr) << tree.dump();
  // The frame as the user sees it: the window and the title bar above it.
  const auto& rect = (*window)["rect"];
  const int title = (*window)["deco_rect"].value("height", 0);
  EXPECT_EQ(std::vector<int>({rect.value("x", 0), rect.value("y", 0) - title,
                              rect.value("width", 0), rect.value("height", 0) + title}),
            std::vector<int>({100, 80, 700, 500}));
  EXPECT_EQ(window->value("type", ""), "floating_con");
  EXPECT_EQ(workspace, "2");
  EXPECT_EQ(Start({TavrinPath(), "--stop", dir.file("c.tavrin")}).exitCode, 0);
}

// A Wayland program's floating window on workspace 2 is captured with its program,
// parameters, place and workspace; once it has ended, a run of the captured collection
// brings it back floating there. The window is the program's own main window, started
// from a copy of its file: the program's own windows are never captured.
TEST_F(SwayTest, AWaylandWindowIsCapturedAndComesBackInItsPlace) {
  env["WAYLAND_DISPLAY"] = runtime_ + "/wayland-1";
  env["SWAYSOCK"] = swaySocket_;
  env["QT_QPA_PLATFORM"] = "wayland";
  const std::string bin = dir.file("other bin");
  fs::create_directories(bin);
  const std::string program = bin + "/tavrin";
  fs::copy_file(TavrinPath(), program);
  const std::string module = "/tavrin-gui.so";
  fs::create_symlink(fs::path(TavrinPath()).parent_path().string() + module, bin + module);
  const std::string inner = dir.file("it's inner.tavrin");
  WriteFile(inner, CollectionText({Item("One", testing::RecorderPath())}));
  std::string typed;  // the folder's blanks and quote each after a backslash
  for (const char c : inner) typed += (c == ' ' || c == '\'' ? "\\" : "") + std::string(1, c);
  auto result = Run({With(Item("Window", program, typed),
                          {{"WaitReady", "window:The Tavrin"}, {"Timeout", "20000"}})});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const auto window = [this](std::string& workspace) -> std::optional<nlohmann::json> {
    const nlohmann::json tree = Tree();
    const nlohmann::json* found = FindWindow(tree, "The Tavrin", workspace);
    return found == nullptr ? std::nullopt : std::optional(*found);
  };
  std::string workspace;
  const std::optional<nlohmann::json> before = window(workspace);
  ASSERT_TRUE(before.has_value());
  const std::string place =
      "floating enable, resize set width 640 px height 420 px, "
      "move absolute position 120 px 90 px, move container to workspace 2";
  const auto target = "[con_id=" + std::to_string(before->value("id", 0)) + "] ";
  ASSERT_EQ(Start({"swaymsg", "-s", swaySocket_, target + place}).exitCode, 0);

  const std::string captured = dir.file("captured.tavrin");
  result = Start({TavrinPath(), "--capture", captured});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err, "");
  CollectionState state;
  testing::NativeFileSystem files;
  ASSERT_EQ(ReadCollectionFile(state, captured, files), LoadOk);
  ASSERT_EQ(state.Items.size(), 1u);
  const CollItem& item = state.Items[0];
  EXPECT_EQ(item.File, program);
  EXPECT_EQ(item.Params, "'" + dir.file("it'\\''s inner.tavrin") + "'");
  EXPECT_EQ(item.WinStyle, 1);
  EXPECT_EQ(item.ItemName.rfind("The Tavrin", 0), 0u) << item.ItemName;
  std::map<std::string, std::string> options;
  for (const auto& option : item.Options) options[option.Key] = option.Value;
  EXPECT_EQ(options["Desktop"], "2");
  int x = 0, y = 0, width = 0, height = 0;
  ASSERT_EQ(std::sscanf(options["Place"].c_str(), "%d,%d,%d,%d", &x, &y, &width, &height), 4)
      << options["Place"];
  // sway rounds the frame to whole pixels of its borders: a pixel or two either way.
  const auto near = [](int seen, int wanted) { return std::abs(seen - wanted) <= 2; };
  EXPECT_TRUE(near(x, 120) && near(y, 90) && near(width, 640) && near(height, 420))
      << options["Place"];

  ASSERT_EQ(Start({TavrinPath(), "--stop", dir.file("c.tavrin")}).exitCode, 0);
  ASSERT_TRUE(WaitUntil([&] { return !window(workspace).has_value(); }));
  result = Start({TavrinPath(), captured, "/run"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  const std::optional<nlohmann::json> after = window(workspace);
  ASSERT_TRUE(after.has_value());
  const auto& rect = (*after)["rect"];
  const int title = (*after)["deco_rect"].value("height", 0);
  EXPECT_EQ(std::vector<int>({rect.value("x", 0), rect.value("y", 0) - title,
                              rect.value("width", 0), rect.value("height", 0) + title}),
            std::vector<int>({x, y, width, height}));
  EXPECT_EQ(after->value("type", ""), "floating_con");
  EXPECT_EQ(workspace, "2");
  EXPECT_EQ(Start({TavrinPath(), "--stop", captured}).exitCode, 0);
}

class WestonTest : public CompositorTest {
 protected:
  void SetUp() override {
    StartCompositor({"weston", "--backend=headless-backend.so", "--xwayland", "--socket=wayland-1",
                     "--idle-time=0"},
                    {}, /*dropRoot=*/false);
    if (HasFatalFailure()) return;
    const std::string said = "xserver listening on display ";
    std::string display;
    WaitUntil([&] {
      const std::string text = Text(log_);
      const auto at = text.find(said);
      if (at != std::string::npos && text.find('\n', at) != std::string::npos) {
        display = text.substr(at + said.size(), text.find('\n', at) - at - said.size());
      }
      return !Runs() || !display.empty();
    });
    if (display.empty()) GTEST_SKIP() << "weston with XWayland did not start here: " << Said();
    env["DISPLAY"] = display;
  }
};

// Under weston, an X window (inside the frame weston draws for it) is found by a wait for
// its title; beside a Wayland display, whose windows cannot be listed, such a wait fails
// at once, as the check says beforehand.
TEST_F(WestonTest, AnXWindowIsFoundByAWaitForItsTitle) {
  const std::string recorder = testing::RecorderPath();
  const std::string helper = recorder.substr(0, recorder.rfind('/')) + "/tavrin_test_x_window";
  const CollItem waited = With(Item("Probe", helper, dir.file("window")),
                               {{"WaitReady", "window:Placement probe"}, {"Timeout", "20000"}});
  auto result = Run({waited});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(Complaints(result.err), "");
  EXPECT_TRUE(fs::exists(dir.file("window")));
  EXPECT_EQ(Start({TavrinPath(), "--stop", dir.file("c.tavrin")}).exitCode, 0);

  env["WAYLAND_DISPLAY"] = runtime_ + "/wayland-1";
  const std::string refused = "Waiting for a window is not possible on this desktop";
  result = Start({TavrinPath(), "--check", dir.file("c.tavrin")});
  EXPECT_NE(result.out.find(refused), std::string::npos) << result.out;
  result = Run({waited});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find(refused), std::string::npos) << result.err;
  EXPECT_EQ(Start({TavrinPath(), "--stop", dir.file("c.tavrin")}).exitCode, 0);
}

}  // namespace
}  // namespace tavrin

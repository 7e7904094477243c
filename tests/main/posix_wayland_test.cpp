// A Wayland desktop where Qt has no Wayland plugin and no X server answers: the built
// program, in a private mount namespace that hides the plugin, writes its boxes to
// standard error and ends as it does without any display, never with Qt's abort.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include "run_mode.h"

namespace tavrin {
namespace {

using testing::Item;

#ifdef TAVRIN_QT_PLATFORM_PLUGINS
TEST_F(RunModeTest, AWaylandSocketWithoutTheWaylandPluginIsNoDisplay) {
  namespace fs = std::filesystem;
  // A compositor's socket that accepts connections (nothing more is asked of it).
  const std::string socketPath = dir.file("runtime") + "/wayland-tavrin-test";
  const int listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(socketPath.size(), sizeof address.sun_path);
  std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size());
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(listener, 8), 0);
  // Qt's platform plugins without the Wayland ones, put over Qt's own folder.
  const std::string plugins = TAVRIN_QT_PLATFORM_PLUGINS;
  fs::create_directories(dir.file("platforms"));
  for (const auto& entry : fs::directory_iterator(plugins)) {
    const std::string name = entry.path().filename().string();
    if (name.find("wayland") == std::string::npos) {
      fs::copy_file(entry.path(), dir.file("platforms") + "/" + name);
    }
  }
  const std::vector<std::string> hidden = {
      "unshare",
      "--mount",
      geteuid() == 0 ? "--propagation=private" : "--map-root-user",
      "sh",
      "-c",
      "mount --bind \"$1\" \"$2\" && shift 2 && exec \"$@\"",
      "sh",
      dir.file("platforms"),
      plugins};
  if (Start({"unshare", "--mount", geteuid() == 0 ? "--propagation=private" : "--map-root-user",
             "true"})
          .exitCode != 0) {
    GTEST_SKIP() << "no private mount namespace here";
  }
  WriteFile(dir.file("c.tavrin"), CollectionText({Item("Gone", dir.file("gone"))}));
  env["TAVRIN_BOXES_TO_STDERR"] = "";
  const struct {
    const char* name;
    std::vector<std::string> args;
    int exitCode;
    const char* said;
  } rows[] = {
      {"run mode", {dir.file("c.tavrin"), "/run"}, 1, "The Tavrin - Error:"},
      {"the main window", {dir.file("c.tavrin")}, 2, "no display can be reached"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    std::vector<std::string> argv = hidden;
    argv.push_back(TavrinPath());
    argv.insert(argv.end(), row.args.begin(), row.args.end());
    env["WAYLAND_DISPLAY"] = "wayland-tavrin-test";
    const auto onWayland = Start(argv);
    env["WAYLAND_DISPLAY"] = "";
    const auto without = Start(argv);
    EXPECT_EQ(onWayland.exitCode, row.exitCode) << onWayland.err;
    EXPECT_NE(onWayland.err.find(row.said), std::string::npos) << onWayland.err;
    EXPECT_EQ(onWayland.err, without.err);
  }
  close(listener);
}
#endif

}  // namespace
}  // namespace tavrin

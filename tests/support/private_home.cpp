// Every test program runs in a home of its own, removed when it ends: nothing a test
// starts (Qt's file dialog history, font and shader caches, GIO's settings) writes into
// the home of whoever runs the tests. Each test that ctest runs is a program of its own.
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace {

class PrivateHome {
 public:
  PrivateHome() {
    std::error_code ec;
    std::string pattern =
        (std::filesystem::temp_directory_path(ec) / "tavrin-home-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) return;
    root_ = pattern;
    const std::string home = root_ + "/home";
    const std::pair<const char*, std::string> folders[] = {
        {"HOME", home},
        {"XDG_CONFIG_HOME", home + "/.config"},
        {"XDG_CACHE_HOME", home + "/.cache"},
        {"XDG_DATA_HOME", home + "/.local/share"},
        {"XDG_STATE_HOME", home + "/.local/state"},
        {"XDG_RUNTIME_DIR", root_ + "/runtime"}};
    for (const auto& [name, folder] : folders) {
      std::filesystem::create_directories(folder, ec);
      ::setenv(name, folder.c_str(), 1);
    }
    ::chmod((root_ + "/runtime").c_str(), 0700);
  }
  ~PrivateHome() {
    std::error_code ec;
    if (!root_.empty()) std::filesystem::remove_all(root_, ec);
  }
  PrivateHome(const PrivateHome&) = delete;
  PrivateHome& operator=(const PrivateHome&) = delete;

 private:
  std::string root_;
};

const PrivateHome kPrivateHome;

}  // namespace

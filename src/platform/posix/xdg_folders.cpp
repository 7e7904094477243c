#include "platform/posix/xdg_folders.h"

#include <glib.h>

#include <cstdlib>

namespace tavrin::posix {
namespace {

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] != '\0') return home;
  return g_get_home_dir();
}

std::string BaseFolder(const char* variable, const char* underHome) {
  const char* value = std::getenv(variable);
  if (value != nullptr && value[0] == '/') return value;
  return HomeFolder() + underHome;
}

// The absolute folders of $XDG_DATA_DIRS, or its default.
std::vector<std::string> DataDirs() {
  const char* value = std::getenv("XDG_DATA_DIRS");
  const std::string dirs =
      value != nullptr && value[0] != '\0' ? value : "/usr/local/share:/usr/share";
  std::vector<std::string> folders;
  std::size_t start = 0;
  while (start <= dirs.size()) {
    std::size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    if (end > start && dirs[start] == '/') folders.push_back(dirs.substr(start, end - start));
    start = end + 1;
  }
  return folders;
}

}  // namespace

XdgFolders XdgFolders::FromEnvironment() {
  return {BaseFolder("XDG_CONFIG_HOME", "/.config"), BaseFolder("XDG_DATA_HOME", "/.local/share"),
          DataDirs()};
}

}  // namespace tavrin::posix

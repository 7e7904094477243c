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

}  // namespace

XdgFolders XdgFolders::FromEnvironment() {
  return {BaseFolder("XDG_CONFIG_HOME", "/.config"), BaseFolder("XDG_DATA_HOME", "/.local/share")};
}

}  // namespace tavrin::posix

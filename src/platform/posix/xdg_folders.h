#pragma once

#include <string>
#include <vector>

namespace tavrin::posix {

// The user's base folders of the XDG rules.
struct XdgFolders {
  std::string configHome;  // $XDG_CONFIG_HOME, or ~/.config
  std::string dataHome;    // $XDG_DATA_HOME, or ~/.local/share
  // $XDG_DATA_DIRS, or /usr/local/share and /usr/share: where installed entries are.
  std::vector<std::string> dataDirs;

  // The folders the environment names now. A variable that is unset, empty or not an
  // absolute path counts as unset, as the rules say.
  static XdgFolders FromEnvironment();
};

}  // namespace tavrin::posix

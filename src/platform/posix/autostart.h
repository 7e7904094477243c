#pragma once

#include <string>
#include <vector>

#include "platform/autostart.h"
#include "platform/posix/xdg_folders.h"

namespace tavrin::posix {

// The key of an autostart entry that names the collection it runs, so that the
// entry is found again to be replaced or removed.
inline constexpr char kAutostartCollectionKey[] = "X-Tavrin-Collection";

// The NAME of tavrin-NAME.desktop for a collection: its base name with every run of
// characters other than ASCII letters, digits, '_' and '.' made one '-' (none at
// either end); "collection" when nothing is left.
std::string AutostartName(const std::string& collectionPath);

// The desktop entry that runs the collection at login: Exec is the program and the
// collection's path, both quoted as the Desktop Entry rules say, and "/run", with no
// wrapper. (Enable names a program whose path holds a '%' by a link, see ExecProgram.)
std::string AutostartEntry(const std::string& program, const std::string& collectionPath);

// Starting collections at login the XDG way: a desktop entry
// $XDG_CONFIG_HOME/autostart/tavrin-NAME.desktop for each collection. An entry of that
// name that runs another collection, or that this program did not write, is left
// alone: the new one gets a number (tavrin-NAME-2.desktop, ...).
class XdgAutostart : public Autostart {
 public:
  explicit XdgAutostart(XdgFolders folders) : folders_(std::move(folders)) {}

  bool Enable(const std::string& program, const std::string& collectionPath, std::string& where,
              std::string& error) override;
  bool Disable(const std::string& collectionPath, std::vector<std::string>& removed,
               std::string& error) override;

 private:
  std::string Folder() const { return folders_.configHome + "/autostart"; }

  XdgFolders folders_;
};

}  // namespace tavrin::posix

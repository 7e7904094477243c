#pragma once

#include <string>
#include <vector>

#include "platform/autostart.h"

namespace tavrin::win32 {

// The per-user key whose values Windows starts at every login.
inline constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The command a Run value holds for a collection: the program quoted, then the
// collection's path as the shell's Run verb passes it (unquoted, so that the file
// part of the command line is the path itself), then "/run".
std::string AutostartCommand(const std::string& program, const std::string& collectionPath);

// Starting collections at login the Windows way: a value "Tavrin NAME" (NAME the
// collection's base name) under HKEY_CURRENT_USER\...\Run. A value of that name that
// runs something else is left alone: the new one gets a number ("Tavrin NAME (2)").
class RunKeyAutostart : public Autostart {
 public:
  bool Enable(const std::string& program, const std::string& collectionPath, std::string& where,
              std::string& error) override;
  bool Disable(const std::string& collectionPath, std::vector<std::string>& removed,
               std::string& error) override;
};

}  // namespace tavrin::win32

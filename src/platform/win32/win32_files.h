#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"

namespace tavrin::win32 {

// The full path of `path` (taken from the current folder when relative); `path` as it
// is when it cannot be made full.
std::string FullPath(const std::string& path);

// The file system through the narrow Win32 calls: paths and file names are bytes in
// the ANSI code page, the separator is "\" ("/" is accepted too).
class Win32FileSystem : public FileSystem {
 public:
  // Only a file on disk is opened; a device ("CON", "COM1") or a pipe is refused.
  std::unique_ptr<InFile> OpenForReading(const std::string& path) override;
  // A link is followed to its file. A read-only file or a folder is refused; a file
  // with several hard links is rewritten in place; anything else is replaced through a
  // temporary file (see Rename).
  SavePlan PlanSave(const std::string& path) override;
  bool RewriteInPlace(const std::string& path, std::string_view bytes) override;
  // The temporary file is named "~<file>.<number>.tmp" in the target's folder.
  std::unique_ptr<OutFile> CreateTempBeside(const std::string& target,
                                            std::string& tempPath) override;
  // An existing `to` is replaced as the system replaces files (ReplaceFileA): it keeps
  // its permissions, its other streams and its attributes (Hidden, System, ...).
  bool Rename(const std::string& from, const std::string& to) override;
  bool Exists(const std::string& path) override;
  bool IsFolder(const std::string& path) override;
  bool Remove(const std::string& path) override;
  int DeleteFile(const std::string& path) override;
  int TrashFile(const std::string& path) override;
  std::vector<std::string> ListFiles(const std::string& folder,
                                     const std::string& extension) override;
  // The path that writing to `path` replaces: a link is followed to the file it names.
  // Unchanged when `path` is no link.
  std::string WriteTarget(const std::string& path);
  // The full path of WriteTarget: the file a link leads to, as PlanSave follows it.
  std::string SavedPath(const std::string& path) override;
  // "<volume serial>:<file index>", in hexadecimal.
  std::string FileIdentity(const std::string& path) override;
};

}  // namespace tavrin::win32

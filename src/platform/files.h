#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime_errors.h"

namespace tavrin {

// The extension of collection files.
inline constexpr char kCollExt[] = ".tavrin";

// A file being written. Every call reports success; a failed call leaves the
// file in an unknown state, and the caller gives it up.
class OutFile {
 public:
  virtual ~OutFile() = default;
  virtual bool Write(std::string_view bytes) = 0;
  // Pushes everything written so far to the storage device.
  virtual bool Flush() = 0;
  virtual bool Close() = 0;
};

// The file system as the collection code uses it.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Creates a new, empty temporary file in the folder of `target`, so that it can
  // later be renamed over `target`. Sets `tempPath`. Returns null on failure.
  virtual std::unique_ptr<OutFile> CreateTempBeside(const std::string& target,
                                                    std::string& tempPath) = 0;

  // Renames `from` to `to`, replacing `to` when it exists.
  virtual bool Rename(const std::string& from, const std::string& to) = 0;

  // Removes a file; false when it could not be removed.
  virtual bool Remove(const std::string& path) = 0;

  // Deletes a file; 0 on success, otherwise a runtime error number (kRuntimeFileNotFound,
  // kRuntimePermissionDenied, or kRuntimePathFileAccess for any other failure).
  virtual int DeleteFile(const std::string& path) = 0;

  // The names (without folder) of the files in `folder` whose names end in
  // `extension` (compared without regard to letter case), in the order the system
  // lists them.
  virtual std::vector<std::string> ListFiles(const std::string& folder,
                                             const std::string& extension) = 0;

  // The path that writing to `path` should replace: a symbolic link is followed
  // to the file it names. Unchanged when `path` is no link.
  virtual std::string WriteTarget(const std::string& path) = 0;
};

}  // namespace tavrin

#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tavrin {

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

// A file being read.
class InFile {
 public:
  virtual ~InFile() = default;
  // Reads up to `size` bytes into `buffer`: the number read, 0 at the end of the file,
  // -1 when reading failed.
  virtual long Read(char* buffer, std::size_t size) = 0;
};

// The file system as the collection code uses it.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Opens an existing regular file for reading. Never waits: what is no regular file
  // (a FIFO, a device, a folder) is refused at once, as is a file that cannot be
  // opened. Null when refused.
  virtual std::unique_ptr<InFile> OpenForReading(const std::string& path) = 0;

  // Creates a new, empty temporary file in the folder of `target`, so that it can
  // later be renamed over `target`. Sets `tempPath`. Returns null on failure.
  virtual std::unique_ptr<OutFile> CreateTempBeside(const std::string& target,
                                                    std::string& tempPath) = 0;

  // Renames `from` to `to`, replacing `to` when it exists.
  virtual bool Rename(const std::string& from, const std::string& to) = 0;

  // Removes a file; false when it could not be removed.
  virtual bool Remove(const std::string& path) = 0;

  // Deletes a file; 0 on success, otherwise a runtime error number
  // (53 file not found, 70 permission denied, 75 path/file access error).
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

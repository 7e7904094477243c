#pragma once

#include <cstddef>
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

// A file being read.
class InFile {
 public:
  virtual ~InFile() = default;
  // Reads up to `size` bytes into `buffer`: the number read, 0 at the end of the file,
  // -1 when reading failed.
  virtual long Read(char* buffer, std::size_t size) = 0;
};

// How a save writes its file.
enum class SaveWay {
  kReplace,  // a temporary file beside the target, renamed over it once complete
  kInPlace,  // the target itself rewritten (where a new file would not be the same file)
  kRefused,  // nothing is written: the user may not write the file, or it is no file
};

// Where and how a save writes, as FileSystem::PlanSave decides it.
struct SavePlan {
  SaveWay way = SaveWay::kRefused;
  std::string target;  // the file written: the path given, or the file a link there names
};

// The file system as the collection code uses it.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Opens an existing regular file for reading. Never waits: what is no regular file
  // (a FIFO, a device, a folder) is refused at once, as is a file that cannot be
  // opened. Null when refused.
  virtual std::unique_ptr<InFile> OpenForReading(const std::string& path) = 0;

  // Decides where and how a save of `path` writes, before anything is written: the one
  // place where what a save may touch is decided (see SaveWholeFile).
  virtual SavePlan PlanSave(const std::string& path) = 0;

  // Rewrites the existing regular file `path` with `bytes`, keeping the file itself
  // (its links, owner and permissions): written from the start, checked to the last
  // byte, cut to their length and pushed to the storage device. False when any step
  // failed; the file may then hold part of the new bytes.
  [[nodiscard]] virtual bool RewriteInPlace(const std::string& path, std::string_view bytes) = 0;

  // Creates a new, empty temporary file in the folder of `target`, so that it can
  // later be renamed over `target`, with the permissions (and, where the platform
  // keeps them, the owner) of an existing `target`: the file PlanSave examined, where
  // the platform can tell that `target` still names it, and failing where it does not.
  // Sets `tempPath`. Returns null on failure.
  [[nodiscard]] virtual std::unique_ptr<OutFile> CreateTempBeside(const std::string& target,
                                                                  std::string& tempPath) = 0;

  // Renames `from` to `to`, replacing `to` when it exists.
  [[nodiscard]] virtual bool Rename(const std::string& from, const std::string& to) = 0;

  // True when something (a file, a folder, a link) stands at `path`.
  virtual bool Exists(const std::string& path) = 0;

  // True when `path` names a folder (through links).
  virtual bool IsFolder(const std::string& path) = 0;

  // Removes a file; false when it could not be removed.
  virtual bool Remove(const std::string& path) = 0;

  // Deletes a file; 0 on success, otherwise a runtime error number (kRuntimeFileNotFound,
  // kRuntimePermissionDenied, or kRuntimePathFileAccess for any other failure).
  [[nodiscard]] virtual int DeleteFile(const std::string& path) = 0;

  // Moves a file to the desktop's trash (Linux: GIO's; Windows: the Recycle Bin), from
  // which the user can take it back; 0 on success, kNoTrash where its folder has none,
  // otherwise a runtime error number as DeleteFile gives.
  [[nodiscard]] virtual int TrashFile(const std::string& path) = 0;

  // The names (without folder) of the files in `folder` whose names end in
  // `extension` (compared without regard to letter case), in the order the system
  // lists them.
  virtual std::vector<std::string> ListFiles(const std::string& folder,
                                             const std::string& extension) = 0;

  // The absolute path that a save of `path` writes: the links on the way resolved as a
  // save follows them (PlanSave), so that every name of the file that a save would
  // follow gives the same path, and the file need not exist. Empty when a save would not
  // follow a link on the way (one that someone else may have planted), or the path
  // cannot be walked (a missing folder, a loop).
  virtual std::string SavedPath(const std::string& path) { return path; }

  // A text that names the file at `path` itself, the same through every name, link
  // and relative path of it (on POSIX its device and inode); empty when the file cannot
  // be looked at, or where the system has no such name.
  virtual std::string FileIdentity(const std::string& path) {
    (void)path;
    return "";
  }
};

// Writes `bytes` as the whole new content of the file at `path`, the way
// `files.PlanSave` decides: replaced through a temporary file (a failure at any step
// leaves the old file as it was and no temporary file behind), rewritten in place, or
// refused. A rewrite in place first puts a complete copy of `bytes` beside the file
// (SavedCopyPath), which stays there only when the rewrite did not end well, so that
// whatever cuts it short, the old file, the new file or a whole copy of the new one is
// left. True when the file was written completely.
[[nodiscard]] bool SaveWholeFile(FileSystem& files, const std::string& path,
                                 std::string_view bytes);

// Where a rewrite in place of the file `target` (a path as PlanSave gives it) keeps the
// complete copy of what it writes: ".<name>.saved-copy" beside it.
std::string SavedCopyPath(const std::string& target);

}  // namespace tavrin

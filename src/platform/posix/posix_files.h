#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"

namespace tavrin {

// The file system through POSIX calls.
class PosixFileSystem : public FileSystem {
 public:
  PosixFileSystem() = default;
  ~PosixFileSystem() override;
  PosixFileSystem(const PosixFileSystem&) = delete;
  PosixFileSystem& operator=(const PosixFileSystem&) = delete;

  std::unique_ptr<InFile> OpenForReading(const std::string& path) override;
  // A symbolic link, at the end of the path or as one of its folders, is followed only
  // when it belongs to the user or to root, or stands in a folder that nobody else may
  // write (another user could have planted it there); a link that names nothing is not
  // followed into making the file. The path is walked once, from folder to folder, and
  // the rest of the save works in the folder that walk found.
  // Otherwise the save is refused, as it is for what is no regular file and for a file
  // the user may not write. An existing file is rewritten in place when a new one would
  // not be the same file: it has several hard links, its folder takes no temporary
  // file, or its owner or group could not be given to a new file (only root gives files
  // away). A file with several hard links in a folder that others may write gets a
  // file of its own instead (another name of it there may have been planted), or is
  // refused where it cannot. Otherwise the file is replaced through a temporary file.
  SavePlan PlanSave(const std::string& path) override;
  // Room for the new bytes is taken first, so that a full disk fails the rewrite
  // before a byte of the file has changed.
  bool RewriteInPlace(const std::string& path, std::string_view bytes) override;
  // The temporary file is named ".<file>.XXXXXX" in the target's folder and takes
  // the owner, group and permissions of the target that PlanSave examined, or those of
  // a new file (0666 less the umask) where it found none. When the target's name no
  // longer names that file (or a file has come where none was), nothing is made. It
  // stays locked until it is renamed or removed through this object. Temporary files
  // of that pattern that earlier saves left behind (killed, crashed) and that nobody
  // holds locked are removed first.
  std::unique_ptr<OutFile> CreateTempBeside(const std::string& target,
                                            std::string& tempPath) override;
  bool Rename(const std::string& from, const std::string& to) override;
  bool Exists(const std::string& path) override;
  bool IsFolder(const std::string& path) override;
  bool Remove(const std::string& path) override;
  int DeleteFile(const std::string& path) override;
  int TrashFile(const std::string& path) override;
  std::vector<std::string> ListFiles(const std::string& folder,
                                     const std::string& extension) override;
  // Walked as PlanSave walks it; the folder named as the system names the one it opened.
  std::string SavedPath(const std::string& path) override;
  // "<device>:<inode>".
  std::string FileIdentity(const std::string& path) override;

 private:
  // A save between its plan and its end: where the plan found the file, and the file.
  struct Planned {
    int folder = -1;      // the folder holding the file, opened as the plan walked to it
    std::string name;     // the file's name in that folder
    bool exists = false;  // whether the plan found a file there
    struct stat file {};  // the file it found
  };
  // A temporary file made by CreateTempBeside.
  struct Temp {
    int folder = -1;     // the folder it is in
    std::string name;    // its name there
    int lock = -1;       // the descriptor that holds its lock
    std::string target;  // the file it is to replace
  };

  // Keeps what the walk to `target` found, for the steps after the plan; takes over
  // the descriptor `folder`.
  Planned* Keep(const std::string& target, int folder, const std::string& name, bool exists,
                const struct stat& file);
  // Ends the save of `target`.
  void Forget(const std::string& target);
  // Gives up the lock on a temporary file made by CreateTempBeside.
  void Release(const std::string& tempPath);

  std::map<std::string, Planned> planned_;  // by the target
  std::map<std::string, Temp> temps_;       // by the temporary file's path
};

// Replaces the content of the file at `path` (or of the file a link there names) with
// `bytes`, as a save does (SaveWholeFile): through a temporary file beside it, flushed
// and renamed over it, or in place where a new file would not be the same file. False
// when the file was not written completely.
bool ReplaceFile(const std::string& path, std::string_view bytes);

// The whole content of a regular file of at most `limit` bytes; nothing when it is
// missing, is no regular file, is larger or cannot be read.
std::optional<std::string> ReadSmallFile(const std::string& path, std::size_t limit);

// The first bytes of a regular file, at most `most` of them, opened as ReadSmallFile
// opens it (a FIFO or a device is never waited for); nothing when it is missing, is no
// regular file or cannot be read.
std::optional<std::string> ReadFileHead(const std::string& path, std::size_t most);

}  // namespace tavrin

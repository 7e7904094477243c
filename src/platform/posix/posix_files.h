#pragma once

#include <cstddef>
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
  std::unique_ptr<InFile> OpenForReading(const std::string& path) override;
  // The temporary file is named ".<file>.XXXXXX" in the target's folder and takes
  // the permissions of the existing target, or those of a new file (0666 less the
  // umask) when there is none.
  std::unique_ptr<OutFile> CreateTempBeside(const std::string& target,
                                            std::string& tempPath) override;
  bool Rename(const std::string& from, const std::string& to) override;
  bool Remove(const std::string& path) override;
  int DeleteFile(const std::string& path) override;
  std::vector<std::string> ListFiles(const std::string& folder,
                                     const std::string& extension) override;
  std::string WriteTarget(const std::string& path) override;
};

// Replaces the file at `path` (or the file a link there names) with `bytes`: they are
// written to a temporary file beside it, flushed and renamed over it. When any step
// fails the old file stays as it was and the temporary file is removed.
bool ReplaceFile(const std::string& path, std::string_view bytes);

// The whole content of a regular file of at most `limit` bytes; nothing when it is
// missing, is no regular file, is larger or cannot be read.
std::optional<std::string> ReadSmallFile(const std::string& path, std::size_t limit);

}  // namespace tavrin

#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/files.h"

namespace tavrin {

// The file system through POSIX calls.
class PosixFileSystem : public FileSystem {
 public:
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

}  // namespace tavrin

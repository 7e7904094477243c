#pragma once

#include "platform/system.h"

namespace tavrin::posix {

// Program information on POSIX: the collection folder under the user's data folder,
// the executable from /proc, type descriptions from GIO.
class PosixSystemInfo : public SystemInfo {
 public:
  std::string CollectionFolder() override;
  std::string ExecutablePath() override;
  std::string FileTypeDescription(const std::string& path) override;
  bool IsProgramFile(const std::string& path) override;
  std::string GetEnvironment(const std::string& name) override;
  void SetEnvironment(const std::string& name, const std::string& value) override;
};

}  // namespace tavrin::posix

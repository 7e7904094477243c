#pragma once

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"

namespace tavrin::testing {

// A file system that keeps the one file being saved in memory; every other call
// succeeds without doing anything.
struct MemoryFileSystem : FileSystem {
  // Reads back what was saved.
  struct Saved : InFile {
    explicit Saved(const std::string& from) : bytes(from) {}
    long Read(char* buffer, std::size_t size) override {
      const std::size_t n = std::min(size, bytes.size() - at);
      std::copy_n(bytes.data() + at, n, buffer);
      at += n;
      return static_cast<long>(n);
    }
    const std::string& bytes;
    std::size_t at = 0;
  };
  struct File : OutFile {
    explicit File(std::string& to) : saved(to) {}
    bool Write(std::string_view bytes) override {
      saved.append(bytes);
      return true;
    }
    bool Flush() override { return true; }
    bool Close() override { return true; }
    std::string& saved;
  };
  std::unique_ptr<InFile> OpenForReading(const std::string&) override {
    return std::make_unique<Saved>(saved);
  }
  SavePlan PlanSave(const std::string& path) override { return {SaveWay::kReplace, path}; }
  bool RewriteInPlace(const std::string&, std::string_view bytes) override {
    saved = bytes;
    return true;
  }
  std::unique_ptr<OutFile> CreateTempBeside(const std::string& target, std::string& temp) override {
    temp = target + ".tmp";
    saved.clear();
    return std::make_unique<File>(saved);
  }
  bool Rename(const std::string&, const std::string&) override { return true; }
  bool Exists(const std::string&) override { return false; }
  bool IsFolder(const std::string&) override { return false; }
  bool Remove(const std::string&) override { return true; }
  int DeleteFile(const std::string&) override { return 0; }
  int TrashFile(const std::string&) override { return 0; }
  std::vector<std::string> ListFiles(const std::string&, const std::string&) override { return {}; }
  std::string saved;
};

}  // namespace tavrin::testing

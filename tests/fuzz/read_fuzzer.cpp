// Feeds arbitrary bytes to the collection reader. Whatever the bytes, a read gives
// one of the four results, never leaves Items empty, and leaves Items alone when the
// file is no collection. A collection that loads is saved and read back, and must
// come back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "collection/collfile.h"

namespace tavrin {
namespace {

// A file system that keeps the one file being saved in memory.
struct MemoryFileSystem : FileSystem {
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
  std::unique_ptr<OutFile> CreateTempBeside(const std::string& target, std::string& temp) override {
    temp = target + ".tmp";
    return std::make_unique<File>(saved);
  }
  bool Rename(const std::string&, const std::string&) override { return true; }
  bool Remove(const std::string&) override { return true; }
  int DeleteFile(const std::string&) override { return 0; }
  std::vector<std::string> ListFiles(const std::string&, const std::string&) override { return {}; }
  std::string WriteTarget(const std::string& path) override { return path; }
  std::string saved;
};

int Check(std::string_view bytes) {
  const std::vector<CollItem> before = {CollItem{"/bin/before", "before", "", 2, kTrue}, {}};
  CollectionState state;
  state.Items = before;
  const LoadResult result = ReadCollectionBytes(state, bytes);
  if (result < LoadOk || result > LoadFailed || state.Items.empty()) std::abort();
  if (result == LoadNotCollection && state.Items != before) std::abort();
  if (result != LoadOk && result != LoadOldVersion) return 0;

  MemoryFileSystem files;
  if (SaveCollectionFile(state, "fuzz.tavrin", files)) std::abort();
  CollectionState again;
  if (ReadCollectionBytes(again, files.saved) != LoadOk || again.Items != state.Items) std::abort();
  return 0;
}

}  // namespace
}  // namespace tavrin

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return tavrin::Check(std::string_view(reinterpret_cast<const char*>(data), size));
}

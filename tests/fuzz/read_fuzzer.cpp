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

namespace {

using tavrin::CollectionState;
using tavrin::CollItem;

// A file system that keeps the one file being saved in memory.
class MemoryFileSystem : public tavrin::FileSystem {
 public:
  std::unique_ptr<tavrin::OutFile> CreateTempBeside(const std::string& target,
                                                    std::string& tempPath) override {
    tempPath = target + ".tmp";
    saved.clear();
    return std::make_unique<File>(saved);
  }
  bool Rename(const std::string&, const std::string&) override { return true; }
  bool Remove(const std::string&) override { return true; }
  int DeleteFile(const std::string&) override { return 0; }
  std::vector<std::string> ListFiles(const std::string&, const std::string&) override { return {}; }
  std::string WriteTarget(const std::string& path) override { return path; }

  std::string saved;

 private:
  class File : public tavrin::OutFile {
   public:
    explicit File(std::string& out) : out_(out) {}
    bool Write(std::string_view bytes) override {
      out_.append(bytes);
      return true;
    }
    bool Flush() override { return true; }
    bool Close() override { return true; }

   private:
    std::string& out_;
  };
};

// What a state held before the read, to see whether the read replaced it.
std::vector<CollItem> Before() {
  CollItem a;
  a.ItemName = "before";
  a.File = "/bin/before";
  a.WinStyle = 2;
  a.Wait = tavrin::kTrue;
  return {a, CollItem{}};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  CollectionState state;
  state.Items = Before();
  const tavrin::LoadResult result = tavrin::ReadCollectionBytes(state, bytes);
  if (result < tavrin::LoadOk || result > tavrin::LoadFailed) std::abort();
  if (state.Items.empty()) std::abort();
  if (result == tavrin::LoadNotCollection && state.Items != Before()) std::abort();
  if (result != tavrin::LoadOk && result != tavrin::LoadOldVersion) return 0;

  MemoryFileSystem files;
  if (tavrin::SaveCollectionFile(state, "fuzz.tavrin", files)) std::abort();
  CollectionState again;
  if (tavrin::ReadCollectionBytes(again, files.saved) != tavrin::LoadOk) std::abort();
  if (again.Items != state.Items) std::abort();
  return 0;
}

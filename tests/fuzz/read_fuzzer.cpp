// Feeds arbitrary bytes to the collection reader: a read gives one of the four results,
// never leaves Items empty, leaves them alone when the file is no collection; what loads
// comes back unchanged from a save and a second read.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "collection/collfile.h"
#include "memory_files.h"

namespace tavrin {
namespace {

using testing::MemoryFileSystem;

int Check(std::string_view bytes) {
  const std::vector<CollItem> before = {CollItem{"/bin/before", "before", "", 2, kTrue, {}}, {}};
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

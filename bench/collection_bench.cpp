// Reading and writing the largest collection the file format holds: 32,767 items.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "collection/collfile.h"
#include "memory_files.h"
#include "platform/posix/posix_files.h"

namespace {

using tavrin::CollectionState;
using tavrin::CollItem;

constexpr int kItems = 32767;

// Items much like a user's: a name, a path, a few parameters.
CollectionState LargeCollection() {
  CollectionState state;
  state.Items.clear();
  for (int i = 0; i < kItems; ++i) {
    CollItem item;
    item.ItemName = "Item " + std::to_string(i);
    item.File = "/usr/local/lib/tavrin/tools/program-" + std::to_string(i);
    item.Params = "--profile \"work " + std::to_string(i) + "\" -v";
    item.WinStyle = static_cast<int16_t>(i % 6);
    item.Wait = i % 2 == 0 ? tavrin::kFalse : tavrin::kTrue;
    state.Items.push_back(item);
  }
  return state;
}

// A folder of its own, removed at the end.
class Folder {
 public:
  Folder() {
    char pattern[] = "/tmp/tavrin-bench-XXXXXX";
    path_ = mkdtemp(pattern) ? pattern : "";
  }
  ~Folder() {
    if (!path_.empty()) std::filesystem::remove_all(path_);
  }
  Folder(const Folder&) = delete;
  Folder& operator=(const Folder&) = delete;
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

using tavrin::testing::MemoryFileSystem;

void Done(benchmark::State& run, std::size_t bytes) {
  run.SetItemsProcessed(static_cast<int64_t>(run.iterations()) * kItems);
  run.SetBytesProcessed(static_cast<int64_t>(run.iterations() * bytes));
}

void ReadFile(benchmark::State& run) {
  Folder folder;
  const std::string path = folder.File("large.tavrin");
  tavrin::PosixFileSystem files;
  if (tavrin::SaveCollectionFile(LargeCollection(), path, files)) {
    run.SkipWithError("could not write the collection");
    return;
  }
  for (auto _ : run) {
    CollectionState state;
    if (tavrin::ReadCollectionFile(state, path, files) != tavrin::LoadOk) {
      run.SkipWithError("could not read the collection");
      break;
    }
    benchmark::DoNotOptimize(state.Items.data());
  }
  Done(run, std::filesystem::file_size(path));
}
BENCHMARK(ReadFile)->Unit(benchmark::kMillisecond);

void ReadBytes(benchmark::State& run) {
  MemoryFileSystem memory;
  if (tavrin::SaveCollectionFile(LargeCollection(), "large.tavrin", memory)) {
    run.SkipWithError("could not write the collection");
    return;
  }
  for (auto _ : run) {
    CollectionState state;
    if (tavrin::ReadCollectionBytes(state, memory.saved) != tavrin::LoadOk) {
      run.SkipWithError("could not read the collection");
      break;
    }
    benchmark::DoNotOptimize(state.Items.data());
  }
  Done(run, memory.saved.size());
}
BENCHMARK(ReadBytes)->Unit(benchmark::kMillisecond);

// A real save: temporary file, flush to the disk, rename.
void SaveFile(benchmark::State& run) {
  Folder folder;
  const std::string path = folder.File("large.tavrin");
  const CollectionState state = LargeCollection();
  tavrin::PosixFileSystem files;
  for (auto _ : run) {
    if (tavrin::SaveCollectionFile(state, path, files)) {
      run.SkipWithError("could not write the collection");
      break;
    }
  }
  Done(run, std::filesystem::file_size(path));
}
BENCHMARK(SaveFile)->Unit(benchmark::kMillisecond);

void SaveToMemory(benchmark::State& run) {
  const CollectionState state = LargeCollection();
  MemoryFileSystem memory;
  for (auto _ : run) {
    if (tavrin::SaveCollectionFile(state, "large.tavrin", memory)) {
      run.SkipWithError("could not write the collection");
      break;
    }
    benchmark::DoNotOptimize(memory.saved.data());
  }
  Done(run, memory.saved.size());
}
BENCHMARK(SaveToMemory)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

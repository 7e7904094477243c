#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "collection/collfile.h"
#include "fakes.h"
#include "memory_files.h"
#include "temp_dir.h"

namespace tavrin {
namespace {

using testing::Item;
using testing::TempDir;
using testing::WriteFile;
using Items = std::vector<CollItem>;

// A state that holds something, to see whether a load replaced it.
CollectionState FilledState() {
  CollectionState state;
  state.Items = {Item("Old", "/bin/old", "-x", 2, kTrue), Item("Older", "/bin/older")};
  state.HasItems = true;
  state.CurrentCollFile = "/somewhere/old.tavrin";
  return state;
}

const std::string kV12 = "\"Tavrin File 1.2\"\r\n";
const std::string kBom = "\xEF\xBB\xBF";
const std::string kNul(1, '\0');
const std::string kExample =
    kV12 +
    "1\r\n"
    "\"Notes\",\"C:\\WINDOWS\\NOTEPAD.EXE\",\"\",1,#FALSE#\r\n"
    "\"Mail\",\"C:\\Program Files\\Mail\\mail.exe\",\"/check\",2,#TRUE#\r\n";
const Items kExampleItems = {Item("Notes", "C:\\WINDOWS\\NOTEPAD.EXE"),
                             Item("Mail", "C:\\Program Files\\Mail\\mail.exe", "/check", 2, kTrue)};

struct Case {
  std::string name;
  std::string bytes;
  LoadResult result;
  std::optional<Items> items;  // nothing: not checked
};

// Each case is read over a filled state, from a file and from memory alike; HasItems and
// the current file stay, and a huge count reserves nothing.
TEST(ReadCollection, FilesOfEveryVersionAndShape) {
  const Items kept = FilledState().Items;
  const Items empty{CollItem{}};
  const std::string limit(std::size_t{1} << 20, 'n');
  std::vector<Case> cases = {
      {"the current version", kExample, LoadOk, kExampleItems},
      {"version 1.1",
       "\"Tavrin File 1.1\"\r\n1\r\n\"Notes\",\"/usr/bin/gedit\",\"a.txt\",3\r\n"
       "\"Calc\",\"/usr/bin/bc\",\"\",0\r\n",
       LoadOldVersion,
       Items{Item("Notes", "/usr/bin/gedit", "a.txt", 3), Item("Calc", "/usr/bin/bc", "", 0)}},
      // The oldest version: the style as text, neither parameters nor wait.
      {"the oldest version, style as text or number",
       "\"Tavrin File\"\r\n1\r\n\"Quoted\",\"C:\\A.EXE\",\"3\"\r\n\"Bare\",\"C:\\B.EXE\",3\r\n",
       LoadOldVersion, Items{Item("Quoted", "C:\\A.EXE", "", 3), Item("Bare", "C:\\B.EXE", "", 3)}},
      // A byte-order mark at the very start belongs to no field.
      {"a byte-order mark before the header", kBom + kExample, LoadOk, kExampleItems},
      // Counts below zero give the empty record; beyond 16 bits, or over a short file, fail.
      {"a count below zero", kV12 + "-1\r\n", LoadOk, empty},
      {"a count beyond 16 bits", kV12 + "32768\r\n\"A\",\"a\",\"\",1,#FALSE#\r\n", LoadFailed,
       empty},
      {"records beyond the count",
       kV12 + "0\r\n\"A\",\"a\",\"\",1,#FALSE#\r\n\"B\",\"b\",\"\",1,#FALSE#\r\nnot a record\r\n",
       LoadOk, Items{Item("A", "a")}},
      // A failure keeps what was read up to the record being read.
      {"a record cut short", kV12 + "2\r\n\"A\",\"a\",\"-p\",1,#TRUE#\r\n\"B\",\"b\"\r\n",
       LoadFailed, Items{Item("A", "a", "-p", 1, kTrue), Item("B", "b", "", 0)}},
      {"a style beyond 16 bits", kV12 + "0\r\n\"A\",\"a\",\"\",40000,#TRUE#\r\n", LoadFailed,
       std::nullopt},
      // A header loads without its quotes; any other is no collection and leaves Items alone.
      {"a bare header with blanks", "  Tavrin File 1.2  \r\n0\r\n\"A\",\"a\",\"\",1,#FALSE#\r\n",
       LoadOk, Items{Item("A", "a")}},
      {"an empty file", "", LoadFailed, kept},
      // Strings: commas, line ends and doubled quotes inside.
      {"commas and line ends inside quotes",
       kV12 + "0\r\n\"Smith, John\",\"/opt/a,b/run\",\"-x 1,2\r\n3\",1,#FALSE#\r\n", LoadOk,
       Items{Item("Smith, John", "/opt/a,b/run", "-x 1,2\r\n3")}},
      {"doubled quotes",
       kV12 +
           "0\r\n\"say \"\"hi\"\"\",\"\"\"\",\"\"\"C:\\Program Files\\x.exe\"\" /a\",1,#FALSE#\r\n",
       LoadOk, Items{Item("say \"hi\"", "\"", "\"C:\\Program Files\\x.exe\" /a")}},
      // A NUL ends the text of its field, which still runs to its end.
      {"a NUL inside fields",
       kV12 + "0\r\n\"Notes\",\"/bin/echo" + kNul + "/readme.txt, \"\"x\"\"\",\"-n" + kNul +
           "\",1,#TRUE#\r\n",
       LoadOk, Items{Item("Notes", "/bin/echo", "-n", 1, kTrue)}},
      // A field may hold one mebibyte, no more.
      {"a field of one mebibyte", kV12 + "0\r\n\"" + limit + "\",\"a\",\"\",1,#FALSE#\r\n", LoadOk,
       Items{Item(limit, "a")}},
      {"a quoted field over one mebibyte",
       kV12 + "0\r\n\"" + limit + "n\",\"a\",\"\",1,#FALSE#\r\n", LoadFailed, std::nullopt},
  };
  cases.push_back({"a later version", "\"Tavrin File 1.3\"\r\n0\r\n\"A\",\"a\",\"\",1,#FALSE#\r\n",
                   LoadNotCollection, kept});
  for (const std::string eol : {"\r\n", "\n", "\r"}) {  // with and without a final line end
    std::string bytes;
    for (std::size_t at = 0, next; at < kExample.size(); at = next + 2) {
      next = kExample.find("\r\n", at);
      bytes += kExample.substr(at, next - at) + eol;
    }
    const std::string name = eol == "\n" ? "LF" : eol == "\r" ? "CR" : "CR LF";
    cases.push_back({"lines ending in " + name, bytes, LoadOk, kExampleItems});
    cases.push_back({"lines ending in " + name + " but the last",
                     bytes.substr(0, bytes.size() - eol.size()), LoadOk, kExampleItems});
  }
  TempDir dir;
  testing::NativeFileSystem files;
  const std::string path = dir.file("c.tavrin");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFile(path, c.bytes);
    CollectionState state = FilledState();
    EXPECT_EQ(ReadCollectionFile(state, path, files), c.result);
    EXPECT_EQ(state.Items, c.items.value_or(state.Items));
    EXPECT_TRUE(state.HasItems);
    EXPECT_EQ(state.CurrentCollFile, "/somewhere/old.tavrin");
    EXPECT_LT(state.Items.capacity(), 1000u);
    CollectionState fromMemory = FilledState();
    EXPECT_EQ(ReadCollectionBytes(fromMemory, c.bytes), c.result);
    EXPECT_EQ(fromMemory.Items, state.Items);
  }
}

// What is no regular file fails at once, never waiting on a FIFO or a device.
TEST(ReadCollection, FailuresAndStartingUpLeaveItemsAsTheyWere) {
  TempDir dir;
  testing::NativeFileSystem files;
  CollectionState state = FilledState();
  std::filesystem::create_directory(dir.file("folder.tavrin"));
  std::vector<std::string> paths = {dir.str(), dir.file("folder.tavrin"),
                                    dir.file("missing.tavrin"), dir.file("missing/c.tavrin"), ""};
#ifdef _WIN32
  paths.push_back("CON");  // the console, which would wait for typing
#else
  ASSERT_EQ(::mkfifo(dir.file("fifo.tavrin").c_str(), 0600), 0);
  paths.push_back(dir.file("fifo.tavrin"));
  paths.push_back("/dev/zero");
#endif
  for (const auto& path : paths) {
    EXPECT_EQ(ReadCollectionFile(state, path, files), LoadFailed) << path;
  }
  EXPECT_EQ(state.Items, FilledState().Items);
  // While starting up, Items is not reset first; records replace what stood at their index.
  state.StartingUp = true;
  EXPECT_EQ(ReadCollectionBytes(state, kV12 + "-1\r\n"), LoadOk);
  EXPECT_EQ(state.Items, FilledState().Items);
  EXPECT_EQ(ReadCollectionBytes(state, "\"Tavrin File 1.1\"\r\n0\r\n\"A\",\"a\",\"\",1\r\n"),
            LoadOldVersion);
  EXPECT_EQ(state.Items, Items{Item("A", "a")});
}

// A collection is capped at 64 MiB read, however little its fields keep: sparse files of
// NUL fields load below the cap, fail above it, and are read only up to it.
TEST(ReadCollection, AWholeCollectionIsCappedAt64MiB) {
  TempDir dir;
  testing::NativeFileSystem files;
  const struct {
    const char* name;
    int records;
    std::streamoff field;
    LoadResult result;
    std::size_t read;  // the records read, the last one perhaps in part
  } cases[] = {{"63.8 MiB", 85, 256 << 10, LoadOk, 85},
               {"64.5 MiB", 86, 256 << 10, LoadFailed, 86},
               {"300 MiB", 100, 1 << 20, LoadFailed, 22}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string sparse = dir.file("sparse.tavrin");
    {
      std::ofstream out(sparse, std::ios::binary | std::ios::trunc);
      out << kV12 << c.records - 1 << "\r\n";
      for (int i = 0; i < c.records * 3 && out; ++i) {
        out.put('"');
        out.seekp(c.field, std::ios::cur);  // only the quotes and commas are written
        out << (i % 3 < 2 ? "\"," : "\",1,#FALSE#\r\n");
      }
      ASSERT_TRUE(out.good());
    }
    CollectionState state;
    EXPECT_EQ(ReadCollectionFile(state, sparse, files), c.result);
    EXPECT_EQ(state.Items.size(), c.read);
  }
}

// Running out of memory while reading is a failed load, not the end of the program.
TEST(ReadCollection, RunningOutOfMemoryIsAFailedLoad) {
  struct Hungry : testing::MemoryFileSystem {
    struct File : InFile {
      long Read(char* buffer, std::size_t size) override {
        if (calls++ > 0) throw std::bad_alloc();
        const std::string start = kV12 + "3\r\n\"A\",\"a\",\"\",1,#FALSE#\r\n\"B";
        const std::size_t n = std::min(size, start.size());
        std::copy_n(start.data(), n, buffer);
        return static_cast<long>(n);
      }
      int calls = 0;
    };
    std::unique_ptr<InFile> OpenForReading(const std::string&) override {
      return std::make_unique<File>();
    }
  } files;
  CollectionState state = FilledState();
  EXPECT_EQ(ReadCollectionFile(state, "/big.tavrin", files), LoadFailed);
  EXPECT_EQ(state.Items.front(), Item("A", "a"));
}

}  // namespace
}  // namespace tavrin

#include <gtest/gtest.h>
#ifndef _WIN32
#include <unistd.h>
#endif

#include <filesystem>
#include <optional>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "collection/collfile.h"
#include "recording.h"
#include "temp_dir.h"

namespace tavrin {
namespace {

using testing::TempDir;
using testing::WriteFile;

CollItem Item(std::string name, std::string file, std::string params, int16_t style, int16_t wait) {
  CollItem item;
  item.ItemName = std::move(name);
  item.File = std::move(file);
  item.Params = std::move(params);
  item.WinStyle = style;
  item.Wait = wait;
  return item;
}

// A state that holds something, to see whether a load replaced it.
CollectionState FilledState() {
  CollectionState state;
  state.Items = {Item("Old", "/bin/old", "-x", 2, kTrue), Item("Older", "/bin/older", "", 1, 0)};
  state.HasItems = true;
  state.CurrentCollFile = "/somewhere/old.tavrin";
  return state;
}

const std::string kExample =
    "\"Tavrin File 1.2\"\r\n"
    "1\r\n"
    "\"Notes\",\"C:\\WINDOWS\\NOTEPAD.EXE\",\"\",1,#FALSE#\r\n"
    "\"Mail\",\"C:\\Program Files\\Mail\\mail.exe\",\"/check\",2,#TRUE#\r\n";

const std::vector<CollItem> kExampleItems = {
    Item("Notes", "C:\\WINDOWS\\NOTEPAD.EXE", "", 1, kFalse),
    Item("Mail", "C:\\Program Files\\Mail\\mail.exe", "/check", 2, kTrue)};

class ReadCollection : public ::testing::Test {
 protected:
  // Writes `bytes` as a collection file and reads it into `state`.
  LoadResult Load(const std::string& bytes) {
    const std::string path = dir.file("c.tavrin");
    WriteFile(path, bytes);
    return ReadCollectionFile(state, path);
  }

  TempDir dir;
  CollectionState state;
};

TEST_F(ReadCollection, CurrentVersionLoadsEveryField) {
  EXPECT_EQ(Load(kExample), LoadOk);
  EXPECT_EQ(state.Items, kExampleItems);
}

TEST_F(ReadCollection, LoadingTouchesNeitherHasItemsNorTheCurrentFile) {
  state = FilledState();
  state.HasItems = false;
  EXPECT_EQ(Load(kExample), LoadOk);
  EXPECT_EQ(state.Items, kExampleItems);
  EXPECT_FALSE(state.HasItems);
  EXPECT_EQ(state.CurrentCollFile, "/somewhere/old.tavrin");
}

TEST_F(ReadCollection, Version11HasNoWaitField) {
  EXPECT_EQ(Load("\"Tavrin File 1.1\"\r\n1\r\n"
                 "\"Notes\",\"/usr/bin/gedit\",\"a.txt\",3\r\n"
                 "\"Calc\",\"/usr/bin/bc\",\"\",0\r\n"),
            LoadOldVersion);
  EXPECT_EQ(state.Items, (std::vector<CollItem>{Item("Notes", "/usr/bin/gedit", "a.txt", 3, 0),
                                                Item("Calc", "/usr/bin/bc", "", 0, 0)}));
}

TEST_F(ReadCollection, OldestVersionReadsTheStyleAsTextWithoutParamsOrWait) {
  EXPECT_EQ(Load("\"Tavrin File\"\r\n1\r\n"
                 "\"Quoted\",\"C:\\A.EXE\",\"3\"\r\n"
                 "\"Bare\",\"C:\\B.EXE\",3\r\n"),
            LoadOldVersion);
  EXPECT_EQ(state.Items, (std::vector<CollItem>{Item("Quoted", "C:\\A.EXE", "", 3, 0),
                                                Item("Bare", "C:\\B.EXE", "", 3, 0)}));
}

// Text-to-number conversion of the oldest version: the style field as the file
// holds it, and the number it gives (nothing: a read error).
struct Conversion {
  const char* text;
  std::optional<int16_t> value;
};

void PrintTo(const Conversion& c, std::ostream* os) { *os << "style text '" << c.text << "'"; }

class OldStyleConversion : public ReadCollection,
                           public ::testing::WithParamInterface<Conversion> {};

TEST_P(OldStyleConversion, RoundsHalvesToEvenAndRejectsNonNumbers) {
  const Conversion& c = GetParam();
  const LoadResult result =
      Load(std::string("\"Tavrin File\"\r\n0\r\n\"A\",\"a\",") + c.text + "\r\n");
  if (c.value) {
    EXPECT_EQ(result, LoadOldVersion);
    EXPECT_EQ(state.Items.at(0).WinStyle, *c.value);
  } else {
    EXPECT_EQ(result, LoadFailed);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, OldStyleConversion,
    ::testing::Values(
        Conversion{"4", 4}, Conversion{"+4", 4}, Conversion{"-7", -7}, Conversion{"0.5", 0},
        Conversion{"1.5", 2}, Conversion{"2.5", 2}, Conversion{"3.5", 4}, Conversion{"-2.5", -2},
        Conversion{"2.51", 3}, Conversion{"2.49", 2}, Conversion{".5", 0}, Conversion{"5.", 5},
        Conversion{"\" 6 \"", 6}, Conversion{"32767", 32767}, Conversion{"32767.4", 32767},
        Conversion{"-32768", -32768}, Conversion{"-32768.5", -32768}, Conversion{"0002", 2},
        Conversion{"32767.5", std::nullopt}, Conversion{"32768", std::nullopt},
        Conversion{"-32769", std::nullopt}, Conversion{"99999999999999999999", std::nullopt},
        Conversion{"abc", std::nullopt}, Conversion{"", std::nullopt},
        Conversion{"\"\"", std::nullopt}, Conversion{".", std::nullopt},
        Conversion{"-", std::nullopt}, Conversion{"1e3", std::nullopt},
        Conversion{"3x", std::nullopt}, Conversion{"1.2.3", std::nullopt},
        Conversion{"#TRUE#", std::nullopt}));

TEST_F(ReadCollection, OldestVersionConvertsLineTwoToo) {
  EXPECT_EQ(Load("\"Tavrin File\"\r\n0.5\r\n\"A\",\"a\",1\r\n\"B\",\"b\",1\r\n"), LoadOldVersion);
  EXPECT_EQ(state.Items.size(), 1u);
  EXPECT_EQ(Load("\"Tavrin File\"\r\n\"1\"\r\n\"A\",\"a\",1\r\n\"B\",\"b\",1\r\n"), LoadOldVersion);
  EXPECT_EQ(state.Items.size(), 2u);
}

TEST_F(ReadCollection, LastIndexBelowZeroGivesTheSingleEmptyRecord) {
  state = FilledState();
  EXPECT_EQ(Load("\"Tavrin File 1.2\"\r\n-1\r\n"), LoadOk);
  EXPECT_EQ(state.Items, std::vector<CollItem>{CollItem{}});
  state = FilledState();
  EXPECT_EQ(Load("\"Tavrin File 1.1\"\r\n-5\r\n\"ignored\",\"x\",\"\",1\r\n"), LoadOldVersion);
  EXPECT_EQ(state.Items, std::vector<CollItem>{CollItem{}});
}

TEST_F(ReadCollection, LastIndexBeyondSixteenBitsFails) {
  state = FilledState();
  EXPECT_EQ(Load("\"Tavrin File 1.2\"\r\n32768\r\n\"A\",\"a\",\"\",1,#FALSE#\r\n"), LoadFailed);
  EXPECT_EQ(state.Items, std::vector<CollItem>{CollItem{}});
}

TEST_F(ReadCollection, AHugeCountOverAShortFileFailsWithoutReservingRecords) {
  EXPECT_EQ(Load("\"Tavrin File 1.2\"\r\n32767\r\n"), LoadFailed);
  // The record being read when the file ended is record 0.
  EXPECT_EQ(state.Items, std::vector<CollItem>{CollItem{}});
  EXPECT_LT(state.Items.capacity(), 1000u);
}

TEST_F(ReadCollection, RecordsBeyondTheAnnouncedOnesAreIgnored) {
  EXPECT_EQ(Load("\"Tavrin File 1.2\"\r\n0\r\n"
                 "\"A\",\"a\",\"\",1,#FALSE#\r\n"
                 "\"B\",\"b\",\"\",1,#FALSE#\r\n"
                 "this is not even a record\r\n"),
            LoadOk);
  EXPECT_EQ(state.Items, std::vector<CollItem>{Item("A", "a", "", 1, 0)});
}

TEST_F(ReadCollection, AnEarlyEndKeepsWhatWasReadUpToTheRecordBeingRead) {
  state = FilledState();
  EXPECT_EQ(Load("\"Tavrin File 1.2\"\r\n2\r\n"
                 "\"A\",\"a\",\"-p\",1,#TRUE#\r\n"
                 "\"B\",\"b\"\r\n"),
            LoadFailed);
  ASSERT_EQ(state.Items.size(), 2u);
  EXPECT_EQ(state.Items[0], Item("A", "a", "-p", 1, kTrue));
  EXPECT_EQ(state.Items[1], Item("B", "b", "", 0, 0));
}

TEST_F(ReadCollection, ABadNumberOrBooleanFailsAtItsRecord) {
  EXPECT_EQ(Load("\"Tavrin File 1.2\"\r\n1\r\n"
                 "\"A\",\"a\",\"\",1,#TRUE#\r\n"
                 "\"B\",\"b\",\"\",x,#TRUE#\r\n"),
            LoadFailed);
  ASSERT_EQ(state.Items.size(), 2u);
  EXPECT_EQ(state.Items[1], Item("B", "b", "", 0, 0));

  EXPECT_EQ(Load("\"Tavrin File 1.2\"\r\n0\r\n\"A\",\"a\",\"\",1,yes\r\n"), LoadFailed);
  EXPECT_EQ(Load("\"Tavrin File 1.2\"\r\n0\r\n\"A\",\"a\",\"\",1,-1\r\n"), LoadFailed);
  EXPECT_EQ(Load("\"Tavrin File 1.2\"\r\n0\r\n\"A\",\"a\",\"\",40000,#TRUE#\r\n"), LoadFailed);
  EXPECT_EQ(Load("\"Tavrin File 1.2\"\r\nmany\r\n"), LoadFailed);
}

TEST_F(ReadCollection, BooleansAreReadInAnyLetterCase) {
  EXPECT_EQ(Load("\"Tavrin File 1.2\"\r\n2\r\n"
                 "\"A\",\"a\",\"\",1,#true#\r\n"
                 "\"B\",\"b\",\"\",1,#False#\r\n"
                 "\"C\",\"c\",\"\",1,#TRUE#\r\n"),
            LoadOk);
  EXPECT_EQ(state.Items[0].Wait, kTrue);
  EXPECT_EQ(state.Items[1].Wait, kFalse);
  EXPECT_EQ(state.Items[2].Wait, kTrue);
}

TEST_F(ReadCollection, AnUnknownHeaderLeavesItemsUntouched) {
  for (const std::string header :
       {"\"tavrin file 1.2\"", "\"Tavrin File 1.3\"", "\"Tavrin File 1.2 \"", "Hello", "\"\"",
        "\"Tavrin\",\"File 1.2\""}) {
    state = FilledState();
    EXPECT_EQ(Load(header + "\r\n0\r\n\"A\",\"a\",\"\",1,#FALSE#\r\n"), LoadNotCollection)
        << header;
    EXPECT_EQ(state.Items, FilledState().Items) << header;
  }
}

TEST_F(ReadCollection, AHeaderWithoutQuotesLoads) {
  EXPECT_EQ(Load("Tavrin File 1.2\r\n0\r\n\"A\",\"a\",\"\",1,#FALSE#\r\n"), LoadOk);
  EXPECT_EQ(Load("  Tavrin File 1.2  \r\n0\r\n\"A\",\"a\",\"\",1,#FALSE#\r\n"), LoadOk);
  EXPECT_EQ(Load("Tavrin File\n0\nA,a,3\n"), LoadOldVersion);
  EXPECT_EQ(state.Items, std::vector<CollItem>{Item("A", "a", "", 3, 0)});
}

TEST_F(ReadCollection, AnEmptyFileFailsAndLeavesItemsUntouched) {
  for (const std::string bytes : {"", "   ", "\"Tavrin File 1.2"}) {
    state = FilledState();
    EXPECT_EQ(Load(bytes), LoadFailed) << bytes;
    EXPECT_EQ(state.Items, FilledState().Items);
  }
}

TEST_F(ReadCollection, CommasAndLineEndsInsideQuotesBelongToTheString) {
  EXPECT_EQ(Load("\"Tavrin File 1.2\"\r\n0\r\n"
                 "\"Smith, John\",\"/opt/a,b/run\",\"-x 1,2\r\n3\",1,#FALSE#\r\n"),
            LoadOk);
  EXPECT_EQ(state.Items,
            std::vector<CollItem>{Item("Smith, John", "/opt/a,b/run", "-x 1,2\r\n3", 1, 0)});
}

TEST_F(ReadCollection, BlanksAroundFieldsAndTextAfterAClosingQuote) {
  EXPECT_EQ(Load("\"Tavrin File 1.2\"  \r\n  0  \r\n"
                 "  \"A\" junk , \t\"a\",  plain text  , 2 ,  #TRUE#  \r\n"),
            LoadOk);
  EXPECT_EQ(state.Items, std::vector<CollItem>{Item("A", "a", "plain text", 2, kTrue)});
}

TEST_F(ReadCollection, FieldsNeedNotStandOnTheLinesOfTheirRecord) {
  EXPECT_EQ(Load("\"Tavrin File 1.2\"\r\n1\r\n"
                 "\"A\"\r\n\"a\"\r\n\"\"\r\n1\r\n#FALSE#,\"B\",\"b\",\"\",2,#TRUE#\r\n"),
            LoadOk);
  EXPECT_EQ(state.Items,
            (std::vector<CollItem>{Item("A", "a", "", 1, 0), Item("B", "b", "", 2, kTrue)}));
}

TEST_F(ReadCollection, DoubledQuotesInsideAStringAreOneQuote) {
  EXPECT_EQ(
      Load("\"Tavrin File 1.2\"\r\n0\r\n"
           "\"say \"\"hi\"\"\",\"\"\"\",\"\"\"C:\\Program Files\\x.exe\"\" /a\",1,#FALSE#\r\n"),
      LoadOk);
  EXPECT_EQ(state.Items, std::vector<CollItem>{
                             Item("say \"hi\"", "\"", "\"C:\\Program Files\\x.exe\" /a", 1, 0)});
}

TEST_F(ReadCollection, BytesAreKeptAsTheyStand) {
  const std::string name = std::string("Caf\xC3\xA9 \xE9t\xE9 ") + '\0' + "x";
  EXPECT_EQ(Load("\"Tavrin File 1.2\"\r\n0\r\n\"" + name + "\",\"a\",\"\",1,#FALSE#\r\n"), LoadOk);
  EXPECT_EQ(state.Items.at(0).ItemName, name);
}

TEST_F(ReadCollection, AFieldOverOneMebibyteIsAReadError) {
  const std::string limit(std::size_t{1} << 20, 'n');
  EXPECT_EQ(Load("\"Tavrin File 1.2\"\r\n0\r\n\"" + limit + "\",\"a\",\"\",1,#FALSE#\r\n"), LoadOk);
  EXPECT_EQ(state.Items.at(0).ItemName.size(), limit.size());
  EXPECT_EQ(Load("\"Tavrin File 1.2\"\r\n0\r\n\"" + limit + "n\",\"a\",\"\",1,#FALSE#\r\n"),
            LoadFailed);
  EXPECT_EQ(Load("\"Tavrin File 1.2\"\r\n0\r\n\"A\"," + limit + "n,\"\",1,#FALSE#\r\n"),
            LoadFailed);
}

// The example file with its line ends changed.
std::string WithLineEnds(const std::string& bytes, const std::string& eol, bool finalEnd) {
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes.compare(i, 2, "\r\n") == 0) {
      out += eol;
      ++i;
    } else {
      out += bytes[i];
    }
  }
  if (!finalEnd) out.resize(out.size() - eol.size());
  return out;
}

TEST_F(ReadCollection, CrLfLfCrAndAMissingFinalLineEndLoadAlike) {
  for (const std::string eol : {"\r\n", "\n", "\r"}) {
    for (const bool finalEnd : {true, false}) {
      state = CollectionState{};
      EXPECT_EQ(Load(WithLineEnds(kExample, eol, finalEnd)), LoadOk);
      EXPECT_EQ(state.Items, kExampleItems);
    }
  }
  // The last field unquoted at the very end of the file.
  EXPECT_EQ(Load("\"Tavrin File 1.1\"\n0\n\"A\",\"a\",\"\",4"), LoadOldVersion);
  EXPECT_EQ(state.Items.at(0).WinStyle, 4);
}

TEST_F(ReadCollection, AFolderAMissingFileOrAnUnreadableFileFails) {
  state = FilledState();
  EXPECT_EQ(ReadCollectionFile(state, dir.str()), LoadFailed);
  std::filesystem::create_directory(dir.file("folder.tavrin"));
  EXPECT_EQ(ReadCollectionFile(state, dir.file("folder.tavrin")), LoadFailed);
  EXPECT_EQ(ReadCollectionFile(state, dir.file("missing.tavrin")), LoadFailed);
  EXPECT_EQ(ReadCollectionFile(state, dir.file("missing/c.tavrin")), LoadFailed);
  EXPECT_EQ(ReadCollectionFile(state, ""), LoadFailed);
  EXPECT_EQ(state.Items, FilledState().Items);
}

#ifndef _WIN32  // permission bits as POSIX has them
TEST_F(ReadCollection, AnUnreadableFileFails) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
  const std::string path = dir.file("locked.tavrin");
  WriteFile(path, kExample);
  std::filesystem::permissions(path, std::filesystem::perms::none);
  state = FilledState();
  EXPECT_EQ(ReadCollectionFile(state, path), LoadFailed);
  EXPECT_EQ(state.Items, FilledState().Items);
}
#endif

TEST_F(ReadCollection, WhileStartingUpItemsAreNotResetFirst) {
  state = FilledState();
  state.StartingUp = true;
  EXPECT_EQ(Load("\"Tavrin File 1.2\"\r\n-1\r\n"), LoadOk);
  EXPECT_EQ(state.Items, FilledState().Items);

  state.StartingUp = false;
  EXPECT_EQ(Load("\"Tavrin File 1.2\"\r\n-1\r\n"), LoadOk);
  EXPECT_EQ(state.Items, std::vector<CollItem>{CollItem{}});

  // Records read while starting up still replace what stood at their index.
  state = FilledState();
  state.StartingUp = true;
  EXPECT_EQ(Load("\"Tavrin File 1.1\"\r\n0\r\n\"A\",\"a\",\"\",1\r\n"), LoadOldVersion);
  EXPECT_EQ(state.Items, std::vector<CollItem>{Item("A", "a", "", 1, kFalse)});
}

// Any sequence of bytes gives one of the four results; a file with an unknown
// header leaves Items as it was, and Items is never left without elements. Reading
// the same bytes from memory gives the same result and the same Items.
TEST_F(ReadCollection, AnyBytesGiveOneOfTheFourResults) {
  std::mt19937 rng(20240611);
  const auto below = [&](std::size_t n) {
    return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng);
  };
  const std::string alphabet = "\"\",,\r\n \t#TRUEFALSE0123456789-+.Tavrin File 1.2\xC3\xA9";
  const std::vector<std::string> seeds = {
      kExample,
      "\"Tavrin File 1.1\"\r\n1\r\n\"A\",\"a\",\"p\",1\r\n\"B\",\"b\",\"\",2\r\n",
      "\"Tavrin File\"\r\n1\r\n\"A\",\"a\",\"3\"\r\n\"B\",\"b\",2.5\r\n",
  };
  int results[4] = {0, 0, 0, 0};
  for (int round = 0; round < 3000; ++round) {
    std::string bytes;
    if (round % 3 == 0) {
      // Random bytes, either from the whole range or from the format's own characters.
      const std::size_t size = below(200);
      for (std::size_t i = 0; i < size; ++i) {
        bytes += round % 2 == 0 ? static_cast<char>(below(256)) : alphabet[below(alphabet.size())];
      }
    } else {
      // A valid file, changed in a few places.
      bytes = seeds[below(seeds.size())];
      const std::size_t edits = 1 + below(4);
      for (std::size_t e = 0; e < edits && !bytes.empty(); ++e) {
        const std::size_t at = below(bytes.size());
        switch (below(4)) {
          case 0:
            bytes[at] = static_cast<char>(below(256));
            break;
          case 1:
            bytes.insert(at, 1, alphabet[below(alphabet.size())]);
            break;
          case 2:
            bytes.erase(at, 1);
            break;
          default:
            bytes.resize(at);
            break;
        }
      }
    }
    state = FilledState();
    const LoadResult result = Load(bytes);
    ASSERT_GE(result, LoadOk);
    ASSERT_LE(result, LoadFailed);
    ++results[result];
    ASSERT_FALSE(state.Items.empty());
    if (result == LoadNotCollection) {
      ASSERT_EQ(state.Items, FilledState().Items);
    }
    CollectionState fromMemory = FilledState();
    ASSERT_EQ(ReadCollectionBytes(fromMemory, bytes), result);
    ASSERT_EQ(fromMemory.Items, state.Items);
  }
  // The inputs reached every result, so the loop tried the reader's every path.
  for (int r = 0; r < 4; ++r) EXPECT_GT(results[r], 0) << "result " << r;
}

// The fuzzer's seed files: "v12-" files load as the current version, "v11-" and
// "v10-" ones as old versions, "broken-" ones do not load; each reads alike from
// disk and from memory.
TEST(FuzzSeeds, LoadAsTheirNamesSayAndAlikeFromDiskAndMemory) {
  const std::filesystem::path folder =
      std::filesystem::path(testing::SourcePath()) / "tests" / "fuzz" / "corpus";
  int seeds = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name.front() == '.') continue;
    ++seeds;
    CollectionState fromDisk;
    const LoadResult result = ReadCollectionFile(fromDisk, entry.path().string());
    if (name.rfind("v12-", 0) == 0) {
      EXPECT_EQ(result, LoadOk) << name;
    } else if (name.rfind("v11-", 0) == 0 || name.rfind("v10-", 0) == 0) {
      EXPECT_EQ(result, LoadOldVersion) << name;
    } else {
      EXPECT_EQ(name.rfind("broken-", 0), 0u) << name;
      EXPECT_TRUE(result == LoadFailed || result == LoadNotCollection) << name;
    }
    CollectionState fromMemory;
    EXPECT_EQ(ReadCollectionBytes(fromMemory, testing::ReadFile(entry.path().string())), result)
        << name;
    EXPECT_EQ(fromMemory.Items, fromDisk.Items) << name;
  }
  EXPECT_GE(seeds, 20);
}

}  // namespace
}  // namespace tavrin

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "collection/collfile.h"
#include "collection/run_options.h"
#include "fakes.h"
#include "memory_files.h"

namespace tavrin {
namespace {

using testing::Item;
using Items = std::vector<CollItem>;

// What a save writes for `items`.
std::string Saved(const Items& items) {
  CollectionState state;
  state.Items = items;
  testing::MemoryFileSystem files;
  EXPECT_FALSE(SaveCollectionFile(state, "c.tavrin", files));
  return files.saved;
}

const std::string kRecords =
    "\"Tavrin File 1.2\"\r\n1\r\n"
    "\"Server\",\"/usr/bin/server\",\"--port 8080\",1,#FALSE#\r\n"
    "\"Browser\",\"/usr/bin/browser\",\"\",1,#FALSE#\r\n";

// Options survive a save and a load; the records stay what a
// reader that knows nothing of options reads.
TEST(OptionsSection, OptionsSurviveASaveAndALoadAndLeaveTheRecordsAlone) {
  const CollItem server = Item("Server", "/usr/bin/server", "--port 8080");
  const CollItem browser = Item("Browser", "/usr/bin/browser");
  const struct {
    const char* name;
    Items items;
  } cases[] = {
      {"every key",
       {testing::With(server, {{"Delay", "2000"},
                               {"WaitReady", "tcp:127.0.0.1:8080"},
                               {"Timeout", "60000"},
                               {"SkipIfRunning", "1"},
                               {"StopOnFailure", "1"},
                               {"Env", "PORT=8080"},
                               {"WorkDir", "/srv/site"},
                               {"Place", "0,0,960,1080"},
                               {"Desktop", "2"}}),
        browser}},
      {"Env twice, unknown keys kept as they are",
       {server, testing::With(browser, {{"Env", "A=1"},
                                        {"Env", "B=two words, \"quoted\""},
                                        {"ColourOfTheWindow", "Blue"},
                                        {"x", ""}})}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string bytes = Saved(c.items);
    CollectionState state;
    ASSERT_EQ(ReadCollectionBytes(state, bytes), LoadOk);
    EXPECT_TRUE(state.Items == c.items);
    EXPECT_EQ(state.OptionsBadLine, 0);
    const std::size_t section = bytes.find("\"Tavrin Options 1\"\r\n");
    ASSERT_NE(section, std::string::npos);
    Items records = c.items;
    for (CollItem& item : records) item.Options.clear();
    EXPECT_EQ(bytes.substr(0, section), Saved(records));
  }
}

// A damaged section costs only the options from its first bad line, which is told; what is
// no section at all is passed over.
TEST(OptionsSection, ADamagedSectionCostsOnlyTheOptionsFromItsFirstBadLine) {
  const std::vector<ItemOption> none;
  const std::vector<ItemOption> delay = {{"Delay", "5"}};
  const std::string head = "\"Tavrin Options 1\"\r\n";
  const struct {
    const char* name;
    std::string section;
    std::vector<ItemOption> first;  // the options the first item keeps
    int badLine;
  } cases[] = {
      {"something else after the records", "\"Notes\",\"x\"\r\n", none, 0},
      {"the count no number", head + "two\r\n", none, 6},
      {"fewer lines than the count says", head + "1\r\n0,\"Delay\",\"5\"\r\n", delay, 8},
      {"an empty key", head + "0\r\n0,\"\",\"5\"\r\n", none, 7},
      {"more lines than the count says", head + "0\r\n0,\"Delay\",\"5\"\r\n0,junk\r\n", delay, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CollectionState state;
    ASSERT_EQ(ReadCollectionBytes(state, kRecords + c.section), LoadOk);
    ASSERT_EQ(state.Items.size(), 2u);
    EXPECT_EQ(state.Items[0].Options, c.first);
    EXPECT_EQ(state.Items[1], Item("Browser", "/usr/bin/browser"));
    EXPECT_EQ(state.OptionsBadLine, c.badLine);
  }
  // The user hears of it once, in one box that names the file and the line.
  testing::FakePlatform fake;
  CollectionState state;
  ASSERT_EQ(ReadCollectionBytes(state, kRecords + head + "x\r\n"), LoadOk);
  ReportDamagedOptions(state, "/c/Morning.tavrin", fake.platform);
  EXPECT_THAT(fake.toolkit.boxes,
              ::testing::ElementsAre(testing::kErrorBox +
                                     "/c/Morning.tavrin\n\nThe run options could not be read "
                                     "from line 6 and are left out."));
  ASSERT_EQ(ReadCollectionBytes(state, kRecords), LoadOk);
  ReportDamagedOptions(state, "/c/Morning.tavrin", fake.platform);
  EXPECT_EQ(fake.toolkit.boxes.size(), 1u);
}

// What runs take from an item's options; a bad value is told, naming the key and the value.
TEST(RunOptions, ValuesAreReadOrToldWrong) {
  const struct {
    const char* name;
    ItemOption option;
    bool good;
  } cases[] = {
      {"delay", {"delay", "2000"}, true},
      {"delay beyond an hour", {"Delay", "3600001"}, false},
      {"a port", {"WaitReady", "tcp:127.0.0.1:8080"}, true},
      {"port out of range", {"WaitReady", "tcp:localhost:65536"}, false},
      {"a file", {"WaitReady", "file:run/ready"}, true},
      {"another kind", {"WaitReady", "http://x"}, false},
      {"a flag neither 0 nor 1", {"SkipIfRunning", "2"}, false},
      {"a variable", {"Env", "PATH=/opt/bin:/usr/bin"}, true},
      {"no equals sign", {"Env", "PATH"}, false},
      {"an unknown key", {"Colour", "anything"}, true},
      {"a place left of the first screen", {"Place", "-1920,0,960,1080"}, true},
      {"a place without its height", {"Place", "0,0,960"}, false},
      {"a place of no width", {"Place", "0,0,0,1080"}, false},
      {"a place with a fifth number", {"Place", "0,0,960,1080,1"}, false},
      {"a place with blanks", {"Place", "0, 0, 960, 1080"}, false},
      {"workspace 2", {"desktop", "2"}, true},
      {"workspace 0", {"Desktop", "0"}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    RunOptions read;
    const std::string problem =
        ReadRunOptions(testing::With(Item("x", "/bin/x"), {c.option}), read);
    EXPECT_EQ(problem.empty(), c.good) << problem;
    if (!c.good) {
      EXPECT_THAT(problem, ::testing::StartsWith(c.option.Key + " \"" + c.option.Value + "\" "));
    }
  }
}

}  // namespace
}  // namespace tavrin

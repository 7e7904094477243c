#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
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
      {"lines after a count of none", head + "-1\r\n0,\"Delay\",\"5\"\r\n", none, 7},
      {"a count of none, then blank lines", head + "-1\r\n\r\n  \r\n", none, 0},
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

// What a run takes from options, in short: each field that differs from an item without
// options, in the order of the struct.
std::string Taken(const RunOptions& o) {
  const RunOptions none;
  std::string taken;
  const auto add = [&taken](const std::string& part) {
    taken += (taken.empty() ? "" : " ") + part;
  };
  if (o.delay != none.delay) add("delay " + std::to_string(o.delay));
  if (o.ready != none.ready) {
    add(o.ready == RunOptions::Ready::kTcp
            ? "tcp " + o.readyHost + " " + std::to_string(o.readyPort)
            : (o.ready == RunOptions::Ready::kFile ? "file " : "window ") + o.readyText);
  }
  if (o.timeout != none.timeout) add("timeout " + std::to_string(o.timeout));
  if (o.skipIfRunning) add("skip");
  if (o.stopOnFailure) add("stop");
  for (const auto& [name, value] : o.env) add("env " + name + "=" + value);
  if (!o.workDir.empty()) add("workdir " + o.workDir);
  if (o.place) {
    add("place " + std::to_string(o.place->x) + "," + std::to_string(o.place->y) + "," +
        std::to_string(o.place->width) + "," + std::to_string(o.place->height));
  }
  if (o.desktop != none.desktop) add("desktop " + std::to_string(o.desktop));
  return taken;
}

// What runs take from an item's options; a bad value is told, naming the key and the value.
TEST(RunOptions, ValuesAreReadOrToldWrong) {
  const std::string longName(254, 'h');
  const struct {
    const char* name;
    std::vector<ItemOption> options;
    std::optional<std::string> taken;  // nothing: told wrong
  } cases[] = {
      {"delay", {{"delay", "2000"}}, "delay 2000"},
      {"delay beyond an hour", {{"Delay", "3600001"}}, std::nullopt},
      {"a port", {{"WaitReady", "tcp:127.0.0.1:8080"}}, "tcp 127.0.0.1 8080"},
      {"an IPv6 address without its brackets", {{"WaitReady", "TCP:[::1]:631"}}, "tcp ::1 631"},
      {"a bracket not closed", {{"WaitReady", "tcp:[x:80"}}, std::nullopt},
      {"brackets round no IPv6 address", {{"WaitReady", "tcp:[x]:80"}}, std::nullopt},
      {"a name longer than a name may be",
       {{"WaitReady", "tcp:" + longName + ":80"}},
       std::nullopt},
      {"a name as long as it may be",
       {{"WaitReady", "tcp:" + longName.substr(1) + ":80"}},
       "tcp " + longName.substr(1) + " 80"},
      {"port out of range", {{"WaitReady", "tcp:localhost:65536"}}, std::nullopt},
      {"a file",
       {{"WaitReady", "file:run/ready"}, {"Timeout", "500"}},
       "file run/ready timeout 500"},
      {"another kind", {{"WaitReady", "http://x"}}, std::nullopt},
      {"flags 0 ask nothing", {{"SkipIfRunning", "0"}, {"StopOnFailure", "0"}}, ""},
      {"flags 1", {{"skipifrunning", "1"}, {"StopOnFailure", "1"}}, "skip stop"},
      {"a flag neither 0 nor 1", {{"SkipIfRunning", "2"}}, std::nullopt},
      {"a key twice takes its first value, Env each",
       {{"Delay", "5"},
        {"DELAY", "9"},
        {"SkipIfRunning", "1"},
        {"SkipIfRunning", "0"},
        {"Env", "A=1"},
        {"Env", "B=2"},
        {"WorkDir", "a"},
        {"WorkDir", "b"}},
       "delay 5 skip env A=1 env B=2 workdir a"},
      {"a variable", {{"Env", "PATH=/opt/bin:/usr/bin"}}, "env PATH=/opt/bin:/usr/bin"},
      {"no equals sign", {{"Env", "PATH"}}, std::nullopt},
      {"an unknown key", {{"Colour", "anything"}}, ""},
      {"a place left of the first screen",
       {{"Place", "-1920,0,960,1080"}},
       "place -1920,0,960,1080"},
      {"a place without its height", {{"Place", "0,0,960"}}, std::nullopt},
      {"a place of no width", {{"Place", "0,0,0,1080"}}, std::nullopt},
      {"a place with a fifth number", {{"Place", "0,0,960,1080,1"}}, std::nullopt},
      {"a place with blanks", {{"Place", "0, 0, 960, 1080"}}, std::nullopt},
      {"workspace 2", {{"desktop", "2"}}, "desktop 2"},
      {"workspace 0", {{"Desktop", "0"}}, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    RunOptions read;
    const std::string problem = ReadRunOptions(testing::With(Item("x", "/bin/x"), c.options), read);
    if (c.taken) {
      EXPECT_EQ(problem, "");
      EXPECT_EQ(Taken(read), *c.taken);
    } else {
      const ItemOption& wrong = c.options.back();
      EXPECT_THAT(problem, ::testing::StartsWith(wrong.Key + " \"" + wrong.Value + "\" "));
    }
  }
}

}  // namespace
}  // namespace tavrin

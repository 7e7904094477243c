// The text of the details pane, of its type line and of its line of run options.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "fakes.h"
#include "forms/details.h"
#include "launch/launch.h"

namespace tavrin {
namespace {

using ::testing::ElementsAre;
using testing::Item;
using testing::With;
using Lines = std::vector<std::string>;
const std::string kSep(1, kNativeSeparator);
const std::string kDashes(31, '-');

// The lines of the details pane, which ends without a line feed (the first `count`).
Lines Details(const CollItem& item, int index, const std::string& type, std::size_t count = 10) {
  testing::FakeSystemInfo system;
  const std::string text =
      DetailsText(item, index, type, ItemFileFolder(item.File, ResolvedFile{}), system);
  EXPECT_NE(text.back(), '\n');
  Lines lines;
  std::istringstream in(text);
  for (std::string line; lines.size() < count && std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Paths are shown in lower case only where file names ignore case.
TEST(DetailsText, TenLinesInTheirOrderAndTheirTexts) {
  const bool lower = kPathsIgnoreCase;
  EXPECT_THAT(
      Details(Item("Notes", kSep + "usr" + kSep + "Edit" + kSep + "MyApp.EXE", "-n", 5, kTrue), 2,
              "plain TEXT document"),
      ElementsAre("Notes", kDashes, lower ? "File: myapp.exe" : "File: MyApp.EXE", "Parameters: -n",
                  "Folder: ", lower ? kSep + "usr" + kSep + "edit" : kSep + "usr" + kSep + "Edit",
                  "Wait until finished: Yes", "Type: Plain text document",
                  "Style: Minimized no focus", "Position: 3"));
  // No folder (a bare name found nowhere), no parameters, a style without a name, a
  // missing file.
  const std::string shown = lower ? "notes.txt" : "Notes.TXT";
  EXPECT_THAT(
      Details(Item("a", "Notes.TXT", "", 6), 0, ""),
      ElementsAre("a", kDashes, "File: " + shown, "Parameters: ", "Folder: ", "",
                  "Wait until finished: No", "Type: <file not found>", "Style: ", "Position: 1"));
  // The type is measured without its leading blanks.
  const struct {
    std::string description, type;
  } types[] = {{"", "<File not found>"},
               {"   ", "<File not found>"},
               {std::string(25, 'a'), std::string(25, 'a')},
               {std::string(26, 'a'), std::string(22, 'a') + "..."},
               {"   " + std::string(24, 'a'), "   " + std::string(24, 'a')}};
  for (const auto& t : types) EXPECT_EQ(TypeText(t.description), t.type) << t.description;
}

// Each value is cut to its room, from the left, with "..." after what is kept.
// The folder line: the File's folder, or for a bare name where the program a start runs
// was found on the search path (nothing when none was found).
TEST(DetailsText, TheFolderOfABareNameIsWhereItsProgramWasFound) {
  const std::string bin = kSep + "usr" + kSep + "bin";
  const struct {
    const char* name;
    std::string file;
    ResolvedFile resolved;
    std::string folder;
  } cases[] = {
      {"a path", bin + kSep + "x", {ResolvedFile::Kind::kProgram, bin + kSep + "x", ""}, bin},
      {"a bare name found",
       "xmessage",
       {ResolvedFile::Kind::kProgram, bin + kSep + "xmessage", ""},
       bin},
      {"a bare name not found", "xmessage", {}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testing::FakeSystemInfo system;
    const std::string text =
        DetailsText(Item("a", c.file), 0, "", ItemFileFolder(c.file, c.resolved), system);
    EXPECT_NE(text.find("Folder: \n" + c.folder + "\n"), std::string::npos) << text;
  }
}

TEST(DetailsText, ShorteningLimitsOfEachValue) {
  const std::string n(31, 'n'), f(25, 'f'), p(19, 'p'), d(31, 'd');
  EXPECT_THAT(Details(Item(n, d + kSep + f, p), 0, "x", 6),
              ElementsAre(n, kDashes, "File: " + f, "Parameters: " + p, "Folder: ", d));
  EXPECT_THAT(Details(Item(n + "N", d + "D" + kSep + f + "F", p + "P"), 0, "x", 6),
              ElementsAre(n.substr(3) + "...", kDashes, "File: " + f.substr(3) + "...",
                          "Parameters: " + p.substr(3) + "...", "Folder: ", d.substr(3) + "..."));
}

// What would hide or reorder characters is escaped before the cut, so that
// "report<U+202E>fdp.sh" does not pass for "reporths.pdf".
TEST(DetailsText, ControlsAndDirectionControlsAreShownEscaped) {
  if (kNativeEncoding != TextEncoding::kUtf8) GTEST_SKIP() << "direction controls are UTF-8";
  const std::string rlo = "\xe2\x80\xae";
  EXPECT_THAT(
      Details(Item("Notes" + rlo + "txt.exe", "/srv/a" + rlo + "b/report" + rlo + "fdp.sh",
                   "-a\t\x1b[2J"),
              0, "x", 6),
      ElementsAre("Notes\\xe2\\x80\\xaetxt.exe", kDashes, "File: report\\xe2\\x80\\xaefdp.sh",
                  "Parameters: -a\\t\\x1b[2J", "Folder: ", "/srv/a\\xe2\\x80\\xaeb"));
  EXPECT_EQ(Details(Item(std::string(20, 'n') + rlo + "x", "f"), 0, "x")[0],
            std::string(20, 'n') + "\\xe2\\x80...");
}

// The eleventh line: what an item's run options ask of a run.
TEST(DetailsText, AnItemWithRunOptionsHasAnOptionsLine) {
  const struct {
    const char* name;
    std::vector<ItemOption> options;
    std::string line;  // the eleventh line; empty: the pane has ten lines
  } rows[] = {
      {"no options: the pane of an item as it always was", {}, ""},
      {"a delay in whole seconds", {{"Delay", "2000"}}, "Options: delay 2 s"},
      {"keys in any letter case, a delay that is no whole second",
       {{"delay", "1500"}, {"SKIPIFRUNNING", "1"}},
       "Options: delay 1500 ms, skip..."},
      {"a readiness wait with its own timeout, in the order of the run",
       {{"Timeout", "60000"}, {"WaitReady", "tcp:h:1"}},
       "Options: ready tcp:h:1, time..."},
      {"a value that is not valid is named",
       {{"Delay", "soon"}},
       "Options: Delay \"soon\" is no ..."},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const Lines lines = Details(With(Item("a", "b"), row.options), 0, "x", 12);
    ASSERT_EQ(lines.size(), row.line.empty() ? 10U : 11U);
    EXPECT_EQ(lines[9], "Position: 1");
    if (!row.line.empty()) {
      EXPECT_EQ(lines[10], row.line);
    }
  }
  // The whole account, before the pane cuts it to its line.
  EXPECT_EQ(OptionsSummary(With(Item("a", "b"), {{"WorkDir", "/srv"},
                                                 {"WaitReady", "file:/run/x"},
                                                 {"Delay", "0"},
                                                 {"StopOnFailure", "1"},
                                                 {"Env", "A=1"},
                                                 {"X", "1"},
                                                 {"Desktop", "2"},
                                                 {"Place", "-8,0,960,1080"},
                                                 {"Y", "2"}})),
            "ready file:/run/x, stop on failure, 1 variable, folder /srv, place -8,0,960,1080, "
            "workspace 2, 2 other keys");
}

}  // namespace
}  // namespace tavrin

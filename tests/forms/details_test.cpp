// The text of the details pane, the style names and the version text.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "fakes.h"
#include "forms/details.h"

namespace tavrin {
namespace {

using ::testing::ElementsAre;
using testing::Item;
using Lines = std::vector<std::string>;
const std::string kSep(1, kNativeSeparator);

// The lines of the details pane, which ends without a line feed.
Lines Details(const CollItem& item, int index, const std::string& type) {
  const std::string text = DetailsText(item, index, type);
  EXPECT_NE(text.back(), '\n');
  Lines lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Paths are shown in lower case only where file names ignore case.
TEST(DetailsText, TenLinesInTheirOrderAndTheirTexts) {
  const bool lower = kPathsIgnoreCase;
  EXPECT_THAT(
      Details(Item("Notes", kSep + "usr" + kSep + "Edit" + kSep + "MyApp.EXE", "-n", 5, kTrue), 2,
              "plain TEXT document"),
      ElementsAre("Notes", std::string(31, '-'), lower ? "File: myapp.exe" : "File: MyApp.EXE",
                  "Parameters: -n",
                  "Folder: ", lower ? kSep + "usr" + kSep + "edit" : kSep + "usr" + kSep + "Edit",
                  "Wait until finished: Yes", "Type: Plain text document",
                  "Style: Minimized no focus", "Position: 3"));
  // No folder, no parameters, a style without a name, a missing file.
  const std::string shown = lower ? "notes.txt" : "Notes.TXT";
  EXPECT_THAT(
      Details(Item("a", "Notes.TXT", "", 6), 0, ""),
      ElementsAre("a", std::string(31, '-'), "File: " + shown, "Parameters: ", "Folder: ", shown,
                  "Wait until finished: No", "Type: <file not found>", "Style: ", "Position: 1"));
  // The type is measured without its leading blanks.
  EXPECT_EQ(TypeText(""), "<File not found>");
  EXPECT_EQ(TypeText("   "), "<File not found>");
  EXPECT_EQ(TypeText(std::string(25, 'a')), std::string(25, 'a'));
  EXPECT_EQ(TypeText(std::string(26, 'a')), std::string(22, 'a') + "...");
  EXPECT_EQ(TypeText("   " + std::string(24, 'a')), "   " + std::string(24, 'a'));
  const char* names[] = {"Hidden",    "Normal",          "Minimized",
                         "Maximized", "Normal no focus", "Minimized no focus"};
  for (int16_t code = 0; code < 6; ++code) EXPECT_EQ(RetWinStyle(code), names[code]);
  EXPECT_EQ(RetWinStyle(-1), "");
  EXPECT_EQ(GetAppVersion(1, 4, 4), "1.04.04");
  EXPECT_EQ(GetAppVersion(2, 12, 123), "2.12.123");
}

TEST(DetailsText, ShorteningLimitsOfEachValue) {
  const std::string n(31, 'n'), f(25, 'f'), p(19, 'p'), d(31, 'd');
  const auto First6 = [](const Lines& lines) { return Lines(lines.begin(), lines.begin() + 6); };
  const std::string dashes(31, '-');
  EXPECT_THAT(First6(Details(Item(n, d + kSep + f, p), 0, "x")),
              ElementsAre(n, dashes, "File: " + f, "Parameters: " + p, "Folder: ", d));
  EXPECT_THAT(First6(Details(Item(n + "N", d + "D" + kSep + f + "F", p + "P"), 0, "x")),
              ElementsAre(n.substr(3) + "...", dashes, "File: " + f.substr(3) + "...",
                          "Parameters: " + p.substr(3) + "...", "Folder: ", d.substr(3) + "..."));
  EXPECT_EQ(Details(Item("a", "b"), 0, std::string(30, 'q'))[7],
            "Type: Q" + std::string(21, 'q') + "...");
  if (kNativeEncoding != TextEncoding::kUtf8) return;
  std::string name;  // 32 two-byte characters: 28 of them and "..."
  for (int i = 0; i < 32; ++i) name += "\xc3\xa9";
  EXPECT_EQ(Details(Item(name, "x"), 0, "x")[0], name.substr(0, 56) + "...");
}

}  // namespace
}  // namespace tavrin

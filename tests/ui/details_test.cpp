// The text of the details pane and the version text.
#include "ui/details.h"

#include <gtest/gtest.h>

#include <sstream>

#include "collection/text.h"
#include "fakes.h"
#include "platform/system.h"

namespace tavrin {
namespace {

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
TEST(DetailsText, TenLinesInTheirOrder) {
  const bool lower = kPathsIgnoreCase;
  EXPECT_EQ(Details(Item("Notes", "/usr/bin/Edit" + kSep + "MyApp.EXE", "-n", 5, kTrue), 2,
                    "plain TEXT document"),
            (Lines{"Notes", std::string(31, '-'), lower ? "File: myapp.exe" : "File: MyApp.EXE",
                   "Parameters: -n", "Folder: ", lower ? "/usr/bin/edit" : "/usr/bin/Edit",
                   "Wait until finished: Yes", "Type: Plain text document",
                   "Style: Minimized no focus", "Position: 3"}));
  // No folder, no parameters, a style without a name, a missing file.
  const std::string shown = lower ? "notes.txt" : "Notes.TXT";
  EXPECT_EQ(Details(Item("a", "Notes.TXT", "", 6), 0, ""),
            (Lines{"a", std::string(31, '-'), "File: " + shown, "Parameters: ", "Folder: ", shown,
                   "Wait until finished: No", "Type: <file not found>", "Style: ", "Position: 1"}));
}

TEST(DetailsText, ShorteningLimitsOfEachValue) {
  const std::string n31(31, 'n'), p19(19, 'p'), f25(25, 'f'), d31(31, 'd');
  auto lines = Details(Item(n31, d31 + kSep + f25, p19), 0, "x");
  EXPECT_EQ(lines[0], n31);
  EXPECT_EQ(lines[2], "File: " + f25);
  EXPECT_EQ(lines[3], "Parameters: " + p19);
  EXPECT_EQ(lines[5], d31);
  lines =
      Details(Item(n31 + "N", d31 + "D" + kSep + f25 + "F", p19 + "P"), 0, std::string(30, 'q'));
  EXPECT_EQ(lines[0], std::string(28, 'n') + "...");
  EXPECT_EQ(lines[2], "File: " + std::string(22, 'f') + "...");
  EXPECT_EQ(lines[3], "Parameters: " + std::string(16, 'p') + "...");
  EXPECT_EQ(lines[5], std::string(28, 'd') + "...");
  EXPECT_EQ(lines[7], "Type: Q" + std::string(21, 'q') + "...");
  if (kNativeEncoding != TextEncoding::kUtf8) return;
  std::string name;  // 32 two-byte characters: 28 of them and "..."
  for (int i = 0; i < 32; ++i) name += "\xc3\xa9";
  EXPECT_EQ(Details(Item(name, "x"), 0, "x")[0], name.substr(0, 56) + "...");
}

// The type is measured without its leading blanks.
TEST(DetailsText, TypeTextStyleNamesAndVersion) {
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

}  // namespace
}  // namespace tavrin

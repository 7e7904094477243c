// The text of the details pane and the version text.
#include "ui/details.h"

#include "collection/text.h"
#include "platform/system.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace tavrin {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

CollItem Item(std::string name, std::string file, std::string params = "", int16_t style = 1,
              int16_t wait = kFalse) {
  CollItem it;
  it.ItemName = std::move(name);
  it.File = std::move(file);
  it.Params = std::move(params);
  it.WinStyle = style;
  it.Wait = wait;
  return it;
}

const std::string kSep(1, kNativeSeparator);

TEST(DetailsText, TenLinesInTheirOrder) {
  const std::string text =
      DetailsText(Item("Notes", "/usr/bin/Edit" + kSep + "MyApp.EXE", "-n", 5, kTrue), 2,
                  "plain TEXT document");
  EXPECT_EQ(text.back(), '3');  // no line feed after the last line
  const auto lines = Lines(text);
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines[0], "Notes");
  EXPECT_EQ(lines[1], std::string(31, '-'));
  EXPECT_EQ(lines[2], kPathsIgnoreCase ? "File: myapp.exe" : "File: MyApp.EXE");
  EXPECT_EQ(lines[3], "Parameters: -n");
  EXPECT_EQ(lines[4], "Folder: ");
  EXPECT_EQ(lines[5], kPathsIgnoreCase ? "/usr/bin/edit" : "/usr/bin/Edit");
  EXPECT_EQ(lines[6], "Wait until finished: Yes");
  EXPECT_EQ(lines[7], "Type: Plain text document");
  EXPECT_EQ(lines[8], "Style: Minimized no focus");
  EXPECT_EQ(lines[9], "Position: 3");
}

TEST(DetailsText, ShorteningLimitsOfEachValue) {
  const std::string n31(31, 'n'), p19(19, 'p'), f25(25, 'f'), d31(31, 'd');
  auto lines = Lines(DetailsText(Item(n31, d31 + kSep + f25, p19), 0, "x"));
  EXPECT_EQ(lines[0], n31);
  EXPECT_EQ(lines[2], "File: " + f25);
  EXPECT_EQ(lines[3], "Parameters: " + p19);
  EXPECT_EQ(lines[5], d31);

  lines = Lines(DetailsText(Item(n31 + "N", d31 + "D" + kSep + f25 + "F", p19 + "P"), 0, "x"));
  EXPECT_EQ(lines[0], std::string(28, 'n') + "...");
  EXPECT_EQ(lines[2], "File: " + std::string(22, 'f') + "...");
  EXPECT_EQ(lines[3], "Parameters: " + std::string(16, 'p') + "...");
  EXPECT_EQ(lines[5], std::string(28, 'd') + "...");
}

TEST(DetailsText, ShorteningNeverSplitsACharacter) {
  if (kNativeEncoding != TextEncoding::kUtf8) GTEST_SKIP();
  // 32 two-byte characters: 28 of them and "...".
  std::string name;
  for (int i = 0; i < 32; ++i) name += "\xc3\xa9";
  const auto lines = Lines(DetailsText(Item(name, "x"), 0, "x"));
  EXPECT_EQ(lines[0], name.substr(0, 56) + "...");
}

TEST(DetailsText, FileWithoutSeparatorEmptyParamsAndUnknownStyle) {
  const auto lines = Lines(DetailsText(Item("a", "Notes.TXT", "", 6), 0, ""));
  const std::string shown = kPathsIgnoreCase ? "notes.txt" : "Notes.TXT";
  EXPECT_EQ(lines[2], "File: " + shown);
  EXPECT_EQ(lines[3], "Parameters: ");
  EXPECT_EQ(lines[5], shown);
  EXPECT_EQ(lines[7], "Type: <file not found>");
  EXPECT_EQ(lines[8], "Style: ");
  EXPECT_EQ(lines[6], "Wait until finished: No");
}

TEST(TypeText, MissingShortAndLongDescriptions) {
  EXPECT_EQ(TypeText(""), "<File not found>");
  EXPECT_EQ(TypeText("   "), "<File not found>");
  EXPECT_EQ(TypeText(std::string(25, 'a')), std::string(25, 'a'));
  EXPECT_EQ(TypeText(std::string(30, 'a')), std::string(22, 'a') + "...");
  // Measured without its leading blanks.
  EXPECT_EQ(TypeText("   " + std::string(24, 'a')), "   " + std::string(24, 'a'));
  const auto lines = Lines(DetailsText(Item("a", "b"), 0, std::string(30, 'q')));
  EXPECT_EQ(lines[7], "Type: Q" + std::string(21, 'q') + "...");
}

TEST(RetWinStyle, NamesOfTheSixCodes) {
  const char* names[] = {"Hidden",    "Normal",          "Minimized",
                         "Maximized", "Normal no focus", "Minimized no focus"};
  for (int16_t code = 0; code < 6; ++code) EXPECT_EQ(RetWinStyle(code), names[code]);
  EXPECT_EQ(RetWinStyle(-1), "");
  EXPECT_EQ(RetWinStyle(7), "");
}

TEST(GetAppVersion, MinorAndRevisionHaveTwoDigitsAtLeast) {
  EXPECT_EQ(GetAppVersion(1, 4, 4), "1.04.04");
  EXPECT_EQ(GetAppVersion(2, 12, 123), "2.12.123");
  EXPECT_EQ(GetAppVersion(10, 0, 0), "10.00.00");
}

}  // namespace
}  // namespace tavrin

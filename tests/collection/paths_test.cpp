#include "collection/paths.h"

#include <gtest/gtest.h>

#include <string>

#include "collection/text.h"

namespace tavrin {
namespace {

// The cases are written with "\" and run with both separators: "\" as on Windows and
// "/" as on POSIX.
TEST(PathHelpers, SplitAndRenamePathsWithEitherSeparator) {
  using Helper = std::string (*)(const std::string&, char);
  const struct {
    Helper helper;
    const char* path;
    const char* result;
  } cases[] = {
      {FolderPart, "C:\\Tools\\app.exe", "C:\\Tools"},
      {FolderPart, "C:\\app.exe", "C:"},
      {FolderPart, "app.exe", "app.exe"},
      {FolderPart, "C:\\Tools\\", "C:\\Tools"},
      {FilePart, "C:\\Tools\\app.exe", "app.exe"},
      {FilePart, "app.exe", "app.exe"},
      {FilePart, "C:\\Tools\\", ""},
      {BaseName, "C:\\Launch\\Games.tavrin", "Games"},
      {BaseName, "C:\\Launch\\Games", "Games"},
      {BaseName, "Old.Games.tavrin", "Old.Games"},
      {BaseName, ".tavrin", ""},
      {BaseName, "C:\\Tools\\", ""},
      {BaseName, "\"C:\\Launch\\Games.tavrin\"", "Games"},
      {BaseName, "C:\\Old.Dir\\Games", "Games"},  // a dot only in a folder name
      {BaseName, "C:\\Old.Dir\\", ""},
      {ForceCollExt, "C:\\Launch\\Games.TAVRIN", "C:\\Launch\\Games.TAVRIN"},
      {ForceCollExt, "C:\\Launch\\Games.txt", "C:\\Launch\\Games.tavrin"},
      {ForceCollExt, "Games.", "Games.tavrin"},
      {ForceCollExt, "Games", "Games.tavrin"},
      {ForceCollExt, "Old.Games.txt", "Old.Games.tavrin"},
      {ForceCollExt, "C:\\Old.Dir\\Games", "C:\\Old.Dir\\Games.tavrin"},
  };
  for (const char sep : {'\\', '/'}) {
    const auto P = [sep](std::string text) {
      for (char& c : text) c = c == '\\' ? sep : c;
      return text;
    };
    for (const auto& c : cases) EXPECT_EQ(c.helper(P(c.path), sep), P(c.result)) << P(c.path);
    for (const Helper helper : {FolderPart, FilePart, BaseName}) EXPECT_EQ(helper("", sep), "");
    EXPECT_EQ(FindLast(P("a\\b\\c"), P("\\")), 4);
    EXPECT_EQ(FindLast(P("\\abc"), P("\\")), 1);
    EXPECT_EQ(FindLast("abc", P("\\")), 0);
  }
  // Only the given separator splits.
  EXPECT_EQ(FilePart("dir\\a.exe", '/'), "dir\\a.exe");
  EXPECT_EQ(FolderPart("C:\\x/y", '/'), "C:\\x");
  EXPECT_EQ(BaseName("a.b/c", '\\'), "a");
}

TEST(FindLast, ASearchTextOfOtherThanOneCharacterNeverMatches) {
  EXPECT_EQ(FindLast("abc", ""), 0);
  EXPECT_EQ(FindLast("abcabc", "ab"), 0);
  // Positions count bytes; "é" is one character in UTF-8, two in a single-byte code page.
  const bool utf8 = kNativeEncoding == TextEncoding::kUtf8;
  EXPECT_EQ(FindLast("a\xC3\xA9"
                     "b\xC3\xA9",
                     "\xC3\xA9"),
            utf8 ? 5 : 0);
  EXPECT_EQ(FindLast("a\xE9z\xE9z", "\xE9"), 4);
}

TEST(CutAtNull, CutsTheArgumentAndTheResultAtTheFirstNul) {
  std::string buffer(1025, 'x');
  buffer[3] = buffer[10] = '\0';
  EXPECT_EQ(CutAtNull(buffer), "xxx");
  EXPECT_EQ(buffer, "xxx");
  EXPECT_EQ(CutAtNull(buffer), "xxx");  // nothing to cut
  std::string leading(5, '\0');
  EXPECT_EQ(CutAtNull(leading), "");
  EXPECT_TRUE(leading.empty());
}

}  // namespace
}  // namespace tavrin

#include "collection/paths.h"

#include <gtest/gtest.h>

#include <string>

#include "collection/text.h"

namespace tavrin {
namespace {

// The cases are written with "\" and run with both separators: "\" as on Windows
// and "/" as on POSIX.
class PathHelpers : public ::testing::TestWithParam<char> {
 protected:
  char sep() const { return GetParam(); }
  // `text` with every "\" turned into the separator under test.
  std::string P(std::string text) const {
    for (char& c : text) {
      if (c == '\\') c = sep();
    }
    return text;
  }
};

INSTANTIATE_TEST_SUITE_P(BothSeparators, PathHelpers, ::testing::Values('\\', '/'),
                         [](const ::testing::TestParamInfo<char>& p) {
                           return std::string(p.param == '\\' ? "Backslash" : "Slash");
                         });

TEST_P(PathHelpers, FolderPartIsTheTextBeforeTheLastSeparator) {
  EXPECT_EQ(FolderPart(P("C:\\Tools\\app.exe"), sep()), P("C:\\Tools"));
  EXPECT_EQ(FolderPart(P("C:\\app.exe"), sep()), "C:");
  EXPECT_EQ(FolderPart("app.exe", sep()), "app.exe");
  EXPECT_EQ(FolderPart(P("C:\\Tools\\"), sep()), P("C:\\Tools"));
  EXPECT_EQ(FolderPart("", sep()), "");
}

TEST_P(PathHelpers, FilePartIsTheTextAfterTheLastSeparator) {
  EXPECT_EQ(FilePart(P("C:\\Tools\\app.exe"), sep()), "app.exe");
  EXPECT_EQ(FilePart("app.exe", sep()), "app.exe");
  EXPECT_EQ(FilePart(P("C:\\Tools\\"), sep()), "");
  EXPECT_EQ(FilePart("", sep()), "");
}

TEST_P(PathHelpers, BaseNameDropsFolderAndExtension) {
  EXPECT_EQ(BaseName(P("C:\\Launch\\Games.tavrin"), sep()), "Games");
  EXPECT_EQ(BaseName("Games.tavrin", sep()), "Games");
  EXPECT_EQ(BaseName(P("C:\\Launch\\Games"), sep()), "Games");
  EXPECT_EQ(BaseName("Old.Games.tavrin", sep()), "Old.Games");
  EXPECT_EQ(BaseName(".tavrin", sep()), "");
  EXPECT_EQ(BaseName(P("C:\\Tools\\"), sep()), "");
  EXPECT_EQ(BaseName(P("\"C:\\Launch\\Games.tavrin\""), sep()), "Games");
  EXPECT_EQ(BaseName("", sep()), "");
}

TEST_P(PathHelpers, BaseNameWithADotOnlyInAFolderNameIsTheFilePart) {
  EXPECT_EQ(BaseName(P("C:\\Old.Dir\\Games"), sep()), "Games");
  EXPECT_EQ(BaseName(P("C:\\Old.Dir\\"), sep()), "");
  EXPECT_EQ(ForceCollExt(P("C:\\Old.Dir\\Games"), sep()), P("C:\\Old.Dir\\Games.tavrin"));
}

TEST_P(PathHelpers, FindLastGivesTheOneBasedPositionOrZero) {
  EXPECT_EQ(FindLast(P("a\\b\\c"), P("\\")), 4);
  EXPECT_EQ(FindLast("abc", P("\\")), 0);
  EXPECT_EQ(FindLast("", P("\\")), 0);
  EXPECT_EQ(FindLast(P("\\abc"), P("\\")), 1);
  EXPECT_EQ(FindLast(P("abc\\"), P("\\")), 4);
}

TEST_P(PathHelpers, ForceCollExtKeepsReplacesOrAppendsTheExtension) {
  EXPECT_EQ(ForceCollExt(P("C:\\Launch\\Games.TAVRIN"), sep()), P("C:\\Launch\\Games.TAVRIN"));
  EXPECT_EQ(ForceCollExt(P("C:\\Launch\\Games.tavrin"), sep()), P("C:\\Launch\\Games.tavrin"));
  EXPECT_EQ(ForceCollExt(P("C:\\Launch\\Games.txt"), sep()), P("C:\\Launch\\Games.tavrin"));
  EXPECT_EQ(ForceCollExt("Games.", sep()), "Games.tavrin");
  EXPECT_EQ(ForceCollExt("Games", sep()), "Games.tavrin");
  EXPECT_EQ(ForceCollExt("Old.Games.txt", sep()), "Old.Games.tavrin");
}

TEST(PathHelpersSeparator, OnlyTheGivenSeparatorSplits) {
  EXPECT_EQ(FilePart("dir\\a.exe", '/'), "dir\\a.exe");
  EXPECT_EQ(FolderPart("C:\\x/y", '/'), "C:\\x");
  EXPECT_EQ(FilePart("C:\\x/y", '\\'), "x/y");
  EXPECT_EQ(BaseName("a.b/c", '\\'), "a");
}

TEST(FindLast, ASearchTextThatIsNotExactlyOneCharacterNeverMatches) {
  EXPECT_EQ(FindLast("abc", ""), 0);
  EXPECT_EQ(FindLast("abcabc", "ab"), 0);
  EXPECT_EQ(FindLast("a\\\\b", "\\\\"), 0);
}

TEST(FindLast, AMultiByteCharacterCountsAsOneAndGivesItsBytePosition) {
  if (kNativeEncoding != TextEncoding::kUtf8) GTEST_SKIP() << "texts are single bytes here";
  // "é" is one character of two bytes; positions count bytes, so the result can
  // be used to cut the text.
  EXPECT_EQ(FindLast("a\xC3\xA9"
                     "b\xC3\xA9",
                     "\xC3\xA9"),
            5);
}

TEST(FindLast, EveryByteIsACharacterInTheSingleByteCodePage) {
  if (kNativeEncoding != TextEncoding::kSingleByte) GTEST_SKIP() << "texts are UTF-8 here";
  EXPECT_EQ(FindLast("a\xE9z\xE9z", "\xE9"), 4);
  EXPECT_EQ(FindLast("a\xC3\xA9", "\xC3\xA9"), 0);  // two characters here
}

TEST(CutAtNull, CutsTheArgumentAndTheResultAtTheFirstNul) {
  std::string buffer(1025, 'x');
  buffer[3] = '\0';
  buffer[10] = '\0';
  EXPECT_EQ(CutAtNull(buffer), "xxx");
  EXPECT_EQ(buffer, "xxx");

  std::string plain = "C:\\Tools\\app.exe";
  EXPECT_EQ(CutAtNull(plain), "C:\\Tools\\app.exe");
  EXPECT_EQ(plain, "C:\\Tools\\app.exe");

  std::string leading(5, '\0');
  EXPECT_EQ(CutAtNull(leading), "");
  EXPECT_TRUE(leading.empty());
}

}  // namespace
}  // namespace tavrin

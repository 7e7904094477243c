// Text and path helpers.
#include <gtest/gtest.h>

#include <string>

#include "collection/paths.h"
#include "collection/text.h"

namespace tavrin {
namespace {

constexpr auto kUtf8 = TextEncoding::kUtf8;
constexpr auto kSingle = TextEncoding::kSingleByte;
const std::string kE = "\xC3\xA9";             // é, two bytes
const std::string kEuro = "\xE2\x82\xAC";      // €, three bytes
const std::string kFace = "\xF0\x9F\x98\x80";  // an emoji, four bytes
const std::string kSun = "\xE6\x97\xA5";       // a CJK ideograph, two columns wide

std::string Times(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

// Longer text is shortened to the limit, "..." included, in the columns of a fixed-pitch
// font: the wide characters of East Asian scripts take two.
TEST(Text, ShortenedTextFitsTheLimitInColumns) {
  const struct {
    const char* name;
    std::string text;
    std::size_t limit;
    TextEncoding enc;
    std::string shortened;
  } cases[] = {
      {"31 letters fit 31", std::string(31, 'n'), 31, kUtf8, std::string(31, 'n')},
      {"32 do not", std::string(32, 'n'), 31, kUtf8, std::string(28, 'n') + "..."},
      {"five two-byte characters fit five", Times(kE, 5), 5, kUtf8, Times(kE, 5)},
      {"six do not", Times(kE, 6), 5, kUtf8, Times(kE, 2) + "..."},
      {"a single-byte code page counts bytes", Times(kE, 3), 5, kSingle, kE + "..."},
      {"a limit below the marker gives what fits of it", "abcdef", 2, kUtf8, ".."},
      {"16 ideographs do not fit 31", Times(kSun, 16), 31, kUtf8, Times(kSun, 14) + "..."},
      {"a wide character is kept whole or not at all", "ab" + Times(kSun, 3), 6, kUtf8, "ab..."},
      {"an emoji of four bytes is kept whole", kEuro + kFace + kFace + "yz", 6, kUtf8,
       kEuro + kFace + "..."},
      {"or left out, one column short", kEuro + kFace + kFace + "yz", 5, kUtf8, kEuro + "..."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ShortenText(c.text, c.limit, c.enc), c.shortened);
  }
}

// The cases are written with "\" and run with both separators: "\" as on Windows and
// "/" as on POSIX.
TEST(PathHelpers, SplitAndRenamePathsWithEitherSeparator) {
  using Helper = std::string (*)(const std::string&, char);
  const struct {
    Helper helper;
    const char* path;
    const char* result;
  } cases[] = {{FolderPart, "C:\\Tools\\app.exe", "C:\\Tools"},
               {FilePart, "C:\\Tools\\app.exe", "app.exe"},
               {FilePart, "C:\\Tools\\", ""},
               {BaseName, "Old.Games.tavrin", "Old.Games"},
               {BaseName, "\"C:\\Launch\\Games.tavrin\"", "Games"},
               {BaseName, "C:\\Old.Dir\\Games", "Games"},  // a dot only in a folder name
               {ForceCollExt, "C:\\Launch\\Games.TAVRIN", "C:\\Launch\\Games.TAVRIN"},
               {ForceCollExt, "C:\\Launch\\Games.txt", "C:\\Launch\\Games.tavrin"},
               {ForceCollExt, "C:\\Old.Dir\\Games", "C:\\Old.Dir\\Games.tavrin"}};
  for (const char sep : {'\\', '/'}) {
    const auto P = [sep](std::string text) {
      for (char& c : text) c = c == '\\' ? sep : c;
      return text;
    };
    for (const auto& c : cases) EXPECT_EQ(c.helper(P(c.path), sep), P(c.result)) << P(c.path);
    for (const Helper helper : {FolderPart, FilePart, BaseName}) EXPECT_EQ(helper("", sep), "");
  }
  // Only the given separator splits.
  EXPECT_EQ(FilePart("dir\\a.exe", '/'), "dir\\a.exe");
  EXPECT_EQ(FolderPart("C:\\x/y", '/'), "C:\\x");
}

}  // namespace
}  // namespace tavrin

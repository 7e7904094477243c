#include "collection/text.h"

#include <gtest/gtest.h>

#include <string>

namespace tavrin {
namespace {

const std::string kE = "\xC3\xA9";             // é, two bytes
const std::string kEuro = "\xE2\x82\xAC";      // €, three bytes
const std::string kFace = "\xF0\x9F\x98\x80";  // an emoji, four bytes

std::string Repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

TEST(CharCount, CountsUtf8CharactersNotBytes) {
  EXPECT_EQ(CharCount("", TextEncoding::kUtf8), 0u);
  EXPECT_EQ(CharCount("Notes", TextEncoding::kUtf8), 5u);
  EXPECT_EQ(CharCount("caf" + kE, TextEncoding::kUtf8), 4u);
  EXPECT_EQ(CharCount(kEuro + kFace + "a", TextEncoding::kUtf8), 3u);
}

TEST(CharCount, EveryByteThatStartsNoValidSequenceIsOneCharacter) {
  EXPECT_EQ(CharCount("\x80", TextEncoding::kUtf8), 1u);   // stray continuation
  EXPECT_EQ(CharCount("a\xC3", TextEncoding::kUtf8), 2u);  // cut short at the end
  EXPECT_EQ(CharCount("\xE2\x82"
                      "a",
                      TextEncoding::kUtf8),
            3u);                                                      // cut short inside
  EXPECT_EQ(CharCount("\xC0\xAF", TextEncoding::kUtf8), 2u);          // overlong
  EXPECT_EQ(CharCount("\xE0\x80\x80", TextEncoding::kUtf8), 3u);      // overlong
  EXPECT_EQ(CharCount("\xED\xA0\x80", TextEncoding::kUtf8), 3u);      // surrogate
  EXPECT_EQ(CharCount("\xF4\x90\x80\x80", TextEncoding::kUtf8), 4u);  // above U+10FFFF
  EXPECT_EQ(CharCount("\xFF\xFE", TextEncoding::kUtf8), 2u);
}

TEST(CharCount, SingleByteEncodingCountsBytes) {
  EXPECT_EQ(CharCount("caf" + kE, TextEncoding::kSingleByte), 5u);
  EXPECT_EQ(CharCount("\xE9t\xE9", TextEncoding::kSingleByte), 3u);
}

TEST(ShortenText, KeepsTextUpToTheLimitAndShortensLongerTextToExactlyTheLimit) {
  const std::string name31(31, 'n');
  EXPECT_EQ(ShortenText(name31, 31, TextEncoding::kUtf8), name31);
  EXPECT_EQ(ShortenText(name31 + "m", 31, TextEncoding::kUtf8), std::string(28, 'n') + "...");
  EXPECT_EQ(ShortenText(std::string(20, 'p'), 19, TextEncoding::kUtf8),
            std::string(16, 'p') + "...");
  EXPECT_EQ(ShortenText("", 5, TextEncoding::kUtf8), "");
}

TEST(ShortenText, CountsMultiByteCharactersAsOne) {
  // Five two-byte characters fit a limit of five although they are ten bytes.
  EXPECT_EQ(ShortenText(Repeat(kE, 5), 5, TextEncoding::kUtf8), Repeat(kE, 5));
  EXPECT_EQ(ShortenText(Repeat(kE, 6), 5, TextEncoding::kUtf8), Repeat(kE, 2) + "...");
  EXPECT_EQ(ShortenText("a" + kFace + kEuro + "bcdef", 6, TextEncoding::kUtf8),
            "a" + kFace + kEuro + "...");
}

TEST(ShortenText, NeverSplitsACharacter) {
  const std::string mixed = "x" + kE + kEuro + kFace + "y" + kFace + kEuro + kE + "z";
  const std::size_t total = CharCount(mixed, TextEncoding::kUtf8);
  for (std::size_t limit = 3; limit < total; ++limit) {
    const std::string cut = ShortenText(mixed, limit, TextEncoding::kUtf8);
    EXPECT_EQ(CharCount(cut, TextEncoding::kUtf8), limit) << "limit " << limit;
    const std::string kept = cut.substr(0, cut.size() - 3);
    EXPECT_EQ(mixed.compare(0, kept.size(), kept), 0) << "limit " << limit;
    // The kept part ends on a character boundary: adding it to the rest of the
    // text counts the same characters as the text itself.
    EXPECT_EQ(CharCount(kept, TextEncoding::kUtf8) +
                  CharCount(mixed.substr(kept.size()), TextEncoding::kUtf8),
              total)
        << "limit " << limit;
  }
}

TEST(ShortenText, StrayBytesAreCharactersOfTheirOwn) {
  EXPECT_EQ(ShortenText("\x80\x81\x82\x83\x84", 4, TextEncoding::kUtf8), "\x80...");
}

TEST(ShortenText, SingleByteEncodingCutsBytes) {
  EXPECT_EQ(ShortenText("\xE9\xE9\xE9\xE9\xE9", 4, TextEncoding::kSingleByte), "\xE9...");
  EXPECT_EQ(ShortenText(Repeat(kE, 3), 5, TextEncoding::kSingleByte), kE + "...");
}

TEST(ShortenText, ALimitBelowTheMarkerGivesWhatFitsOfIt) {
  EXPECT_EQ(ShortenText("abcdef", 3, TextEncoding::kUtf8), "...");
  EXPECT_EQ(ShortenText("abcdef", 2, TextEncoding::kUtf8), "..");
  EXPECT_EQ(ShortenText("abcdef", 0, TextEncoding::kUtf8), "");
  EXPECT_EQ(ShortenText("ab", 2, TextEncoding::kUtf8), "ab");
}

TEST(LowerAscii, LowersOnlyTheLettersAToZ) {
  EXPECT_EQ(LowerAscii("C:\\Launch\\Games.TAVRIN"), "c:\\launch\\games.tavrin");
  EXPECT_EQ(LowerAscii("\xC3\x89t\xC3\xA9 [@Z]"), "\xC3\x89t\xC3\xA9 [@z]");
  EXPECT_EQ(LowerAscii(""), "");
}

}  // namespace
}  // namespace tavrin

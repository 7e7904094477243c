#pragma once

#include <cstddef>
#include <string>

#include "platform/ascii.h"
#include "platform/text_encoding.h"

namespace tavrin {

// Number of characters of `text`. In UTF-8 a byte that starts no valid sequence
// counts as one character.
std::size_t CharCount(const std::string& text, TextEncoding enc = kNativeEncoding);

// How many columns `text` takes in a fixed-pitch font: one a character, two for the
// wide characters of East Asian scripts (East Asian Wide and Fullwidth) in UTF-8. A
// byte that starts no valid sequence takes one.
std::size_t DisplayWidth(const std::string& text, TextEncoding enc = kNativeEncoding);

// `text` when it takes at most `limit` columns (DisplayWidth); otherwise as many of its
// first characters as fit in limit - 3 columns, followed by "...". Never cuts a
// character in two.
std::string ShortenText(const std::string& text, std::size_t limit,
                        TextEncoding enc = kNativeEncoding);

// Whether name `a` comes before name `b` in a listing by name: letter case (of A to Z)
// ignored, names that differ only in case in the order of their bytes.
bool NameLess(const std::string& a, const std::string& b);

}  // namespace tavrin

#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tavrin {

// Times as the run options dialog shows and takes them: a number with a unit ("500 ms",
// "2 s", "1.5 min"); a bare number is milliseconds. The file keeps whole milliseconds.

// `milliseconds` in the largest unit that says it with at most one decimal ("90000":
// "1.5 min"); a text that is no whole number of milliseconds comes back as it is.
std::string TimeText(std::string_view milliseconds);

// The whole milliseconds `text` says, as decimal digits; empty for an empty text, none
// when it is no time or no whole number of milliseconds ("0.5 ms").
std::optional<std::string> MillisecondsOf(std::string_view text);

}  // namespace tavrin

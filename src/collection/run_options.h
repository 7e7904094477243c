#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "collection/collection.h"
#include "platform/program_windows.h"

namespace tavrin {

// The run option keys this version knows, spelt as they are written.
inline constexpr std::array<std::string_view, 9> kKnownOptionKeys = {
    "Delay", "WaitReady", "Timeout", "SkipIfRunning", "StopOnFailure",
    "Env",   "WorkDir",   "Place",   "Desktop"};

// The first line of the run options section that may follow the records.
inline constexpr const char* kOptionsHeader = "Tavrin Options 1";

// The longest delay and readiness wait, and the wait when none is given (milliseconds).
inline constexpr long kMostMilliseconds = 3600000;
inline constexpr long kDefaultTimeout = 30000;

// Keys compare without regard to letter case: a known key in the spelling above, any
// other key exactly as given.
std::string CanonicalOptionKey(std::string_view key);

// The farthest a window's place may lie from the desktop's origin, and its largest size
// (pixels), and the highest workspace number.
inline constexpr long kMostPixels = 100000;
inline constexpr long kMostDesktop = 1000;

// What an item's run options ask of a run, read from its options.
struct RunOptions {
  enum class Ready { kNone, kTcp, kFile, kWindow };
  long delay = 0;  // milliseconds before the item starts
  Ready ready = Ready::kNone;
  std::string readyHost;  // kTcp: the host (without the brackets of an IPv6 address)
  int readyPort = 0;      // kTcp
  std::string readyText;  // kFile: the path; kWindow: what the window's title holds
  std::string readySpec;  // the WaitReady value as written, for messages
  long timeout = kDefaultTimeout;
  bool skipIfRunning = false;
  bool stopOnFailure = false;
  std::vector<std::pair<std::string, std::string>> env;  // NAME, VALUE in their order
  std::string workDir;                                   // empty: the program's folder
  std::optional<WindowRect> place;                       // where the item's first window goes
  int desktop = 0;  // the workspace it goes to, from 1; 0: where it comes
};

// Reads `item`'s options into `out`. Returns "" when every known key holds a value it
// may hold; otherwise why the first that does not is wrong, naming the key and the
// value ("Delay \"soon\" is no number of milliseconds from 0 to 3600000"). A key given
// twice takes its first value (Env adds each). Keys this version does not know are
// left to others.
[[nodiscard]] std::string ReadRunOptions(const CollItem& item, RunOptions& out);

}  // namespace tavrin

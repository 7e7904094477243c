#pragma once

#include <cstdint>

namespace tavrin::posix {

// Whether process `owner` is what was started as process `pid`: that process, one of its
// descendants, or a process of the group or the session it leads (/proc).
bool BelongsToStart(int64_t owner, int64_t pid);

}  // namespace tavrin::posix

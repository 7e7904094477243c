#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/program_windows.h"

namespace tavrin::posix {

// Whether process `owner` is what was started as process `pid`: that process, one of its
// descendants, or a process of the group or the session it leads (/proc).
bool BelongsToStart(int64_t owner, int64_t pid);

// What starts a running process again, read from /proc: its program file (as its first
// argument names it when that is the same file, so that a script's interpreter keeps
// the name it was started by), its arguments after the first, exactly, and its working
// folder ("" when it cannot be read or is gone). `problem` says why the process cannot
// be started again ("" when it can): it is another user's, has ended, or its program
// file was deleted.
struct ProcessFacts {
  std::string program, exe;
  std::vector<std::string> args;
  std::string workDir;
  std::string problem;
};
ProcessFacts ReadProcess(int64_t pid);

// Whether `facts` are of a process that runs this very program.
bool RunsThisProgram(const ProcessFacts& facts);

// What starts the process of `window` (its pid) again, as a capture takes it: its
// program, its arguments quoted as parameters (QuoteParams), its working folder, or the
// note why it cannot be started again. False for a process of this very program, which a
// capture leaves out.
bool ReadStartOf(OpenWindow& window);

}  // namespace tavrin::posix

#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "collection/collection.h"
#include "platform/platform.h"

namespace tavrin {

// Exit statuses of the program.
enum ExitStatus : int {
  kExitOk = 0,            // every item started (or the window was closed)
  kExitLaunchFailed = 1,  // some item of the run failed to start
  kExitNotLoaded = 2,     // the collection could not be loaded
};

// What the command line asks for.
struct StartRequest {
  std::string CommandLine;  // the whole command line; empty for a plain start
  std::string FilePart;     // the collection file it names
  bool Run = false;         // run the collection without a window
};

// The parts of a command line as the Windows shell hands it over: Mode 1 gives the
// collection-file part, Mode 2 gives "RUN" when the line carries the run switch
// ("/run" anywhere, in any letter case), any other Mode gives "".
std::string ParseCommandLine(const std::string& CmdLine, int16_t Mode);

// A start request from the text after the program's path (Windows).
StartRequest RequestFromCommandLine(const std::string& CmdLine);

// The text after the program's path in a whole Windows command line: the path runs
// to its closing quote when it begins with one, otherwise to the first blank or
// tab; the blanks and tabs after it are skipped (as the C runtime does for WinMain). The rest is
// kept exactly as it stands, quotes and trailing blanks included.
std::string CommandLineAfterProgram(const std::string& wholeLine);

// A start request from the arguments after the program's name (POSIX): the run switch
// is an argument of its own equal to "/run" in any letter case, never the first; the
// file is then the first argument, otherwise all arguments joined by single blanks.
StartRequest RequestFromArguments(const std::vector<std::string>& args);

// Opens the main window on the state Main has prepared and returns the exit status
// when it is closed.
using WindowOpener = std::function<int(const StartRequest&, CollectionState&)>;

// The program's start: reads the collection the command line names, runs it in run
// mode, otherwise opens the main window. Returns the exit status.
int Main(const StartRequest& request, CollectionState& state, Platform& platform,
         const WindowOpener& openWindow);

}  // namespace tavrin

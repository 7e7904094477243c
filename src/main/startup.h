#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "collection/collection.h"
#include "launch/launch.h"
#include "main/options.h"
#include "platform/platform.h"

namespace tavrin {

// Exit statuses of the program.
enum ExitStatus : int {
  kExitOk = 0,            // every item started (or the window was closed)
  kExitLaunchFailed = 1,  // some item of the run failed to start
  kExitNotLoaded = 2,     // the collection could not be loaded
  kExitUsage = 2,         // the command line cannot be carried out
};

// What the command line asks for.
struct StartRequest {
  std::string CommandLine;  // the whole command line; empty for a plain start
  std::string FilePart;     // the collection file it names
  bool Run = false;         // run the collection without a window
};

// The parts of a command line as the Windows shell hands it over: Mode 1 gives the
// collection-file part (the text before the first " /" when the line carries the run
// switch, otherwise the whole line; one pair of quotes round it removed), Mode 2 gives
// "RUN" when the line carries the run switch ("/run" anywhere, in any letter case), any
// other Mode gives "".
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

// What a command line asks for: an option (parsed.HasOption()), or one of the three
// starts, whose words Qt may still take its own options from.
struct CommandLine {
  ParsedArguments parsed;
  StartRequest request;  // the start, before Qt has taken its options
  // The words Qt sees in window mode (POSIX: the words before "--"); what it leaves
  // of them, with the words after "--", makes the request again (RequestAfterQt).
  std::vector<std::string> qtWords;
};

// POSIX: the arguments after the program's name. Options as ParseArguments takes
// them; otherwise the start RequestFromArguments makes of the other words.
CommandLine CommandLineFromArguments(const std::vector<std::string>& args);

// Windows: `line` is the text after the program's path, `args` the same words as
// the C runtime splits them. Options are read only when the first word is an option
// or "--" (the shell's commands begin with the file's path); "--" first ends them
// and the rest of the line is the command line. Any other line is the command line
// exactly as it stands.
CommandLine CommandLineFromWindows(const std::string& line, const std::vector<std::string>& args);

// The window-mode start once Qt has taken its options out of `commandLine.qtWords`,
// leaving `leftByQt`.
StartRequest RequestAfterQt(const CommandLine& commandLine,
                            const std::vector<std::string>& leftByQt);

// The platform plugin that "-platform NAME" among `words` asks Qt for (the last one
// given counts); empty when none is asked for.
std::string QtPlatformArgument(const std::vector<std::string>& words);

// The line run mode writes to standard error for an item that failed to start:
// tavrin: FILE: item N "NAME": REASON; for a run refused as a whole (position 0):
// tavrin: FILE: REASON. The texts are escaped as LineText escapes them (control
// characters written as \t, \n, \xHH...; on Windows a path keeps its backslashes);
// without an explanatory text the reason is the failure code.
std::string LaunchFailureLine(const std::string& file, int position, const std::string& name,
                              int32_t result, const std::string& text);

// The line run mode ends with when an item failed or was skipped, or the run was
// cancelled: tavrin: FILE: 3 of 5 items started, 1 skipped, 1 failed (escaped as
// LaunchFailureLine).
std::string RunSummaryLine(const std::string& file, const RunTally& tally);

// The line run mode writes, where no window can show it, for a wait that goes on:
// tavrin: FILE: item 2 of 3 "NAME": waiting for tcp:127.0.0.1:8080, at most 30 s
// (for a delay: waiting 2 s before its start). Escaped as LaunchFailureLine.
std::string RunWaitLine(const std::string& file, const RunWait& wait);

// Writes `line` and a line feed to standard error in one write.
void WriteWholeLine(std::string line);

// Opens the main window on the state Main has prepared and returns the exit status
// when it is closed.
using WindowOpener = std::function<int(const StartRequest&, CollectionState&)>;

// The program's start: reads the collection the command line names, runs it in run
// mode (writing a line to standard error for each item that failed to start; the run's
// waits go to `progress`, when given), otherwise opens the main window. Returns the exit
// status; a run cancelled from its progress window ends with kExitLaunchFailed.
int Main(const StartRequest& request, CollectionState& state, Platform& platform,
         const WindowOpener& openWindow, RunProgress* progress = nullptr);

}  // namespace tavrin

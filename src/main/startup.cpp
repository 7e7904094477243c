#include "main/startup.h"

#include <algorithm>
#include <iostream>

#include "collection/collfile.h"
#include "collection/text.h"
#include "launch/launch.h"
#include "launch/stop_request.h"
#include "platform/text_encoding.h"
#include "platform/traits.h"

namespace tavrin {
namespace {

// A file part without the one pair of quotes round it. A Windows file name cannot hold
// a '"', so "C:\My Colls\a.tavrin" (as cmd users type it and drag-and-drop hands it
// over) can only mean C:\My Colls\a.tavrin; blanks after the closing quote belong to no
// name. Anything else is kept as it stands.
std::string WithoutQuotes(const std::string& part) {
  if (part.empty() || part.front() != '"') return part;
  const auto close = part.find('"', 1);
  if (close == std::string::npos || part.find_first_not_of(" \t", close + 1) != std::string::npos) {
    return part;
  }
  return part.substr(1, close - 1);
}

}  // namespace

// Standard error is unbuffered: a line and its newline written apart can be split by the
// line of another copy of the launcher writing to the same log (a collection that starts
// itself), so each line goes out in one write.
void WriteWholeLine(std::string line) {
  line += '\n';
  std::cerr.write(line.data(), static_cast<std::streamsize>(line.size()));
  std::cerr.flush();
}

std::string ParseCommandLine(const std::string& CmdLine, int16_t Mode) {
  if (Mode == 2) {
    return LowerAscii(CmdLine).find("/run") != std::string::npos ? "RUN" : "";
  }
  if (Mode == 1) {
    if (ParseCommandLine(CmdLine, 2).empty()) return WithoutQuotes(CmdLine);
    const auto split = CmdLine.find(" /");
    return split == std::string::npos ? "" : WithoutQuotes(CmdLine.substr(0, split));
  }
  return "";
}

StartRequest RequestFromCommandLine(const std::string& CmdLine) {
  StartRequest request;
  request.CommandLine = CmdLine;
  request.FilePart = ParseCommandLine(CmdLine, 1);
  request.Run = !ParseCommandLine(CmdLine, 2).empty();
  return request;
}

std::string CommandLineAfterProgram(const std::string& wholeLine) {
  std::size_t i = 0;
  if (!wholeLine.empty() && wholeLine[0] == '"') {
    const auto close = wholeLine.find('"', 1);
    i = close == std::string::npos ? wholeLine.size() : close + 1;
  } else {
    while (i < wholeLine.size() && wholeLine[i] != ' ' && wholeLine[i] != '\t') ++i;
  }
  while (i < wholeLine.size() && (wholeLine[i] == ' ' || wholeLine[i] == '\t')) ++i;
  return wholeLine.substr(i);
}

StartRequest RequestFromArguments(const std::vector<std::string>& args) {
  StartRequest request;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (i > 0) request.CommandLine += ' ';
    request.CommandLine += args[i];
    if (i > 0 && LowerAscii(args[i]) == "/run") request.Run = true;
  }
  request.FilePart = request.Run ? args.front() : request.CommandLine;
  return request;
}

CommandLine CommandLineFromArguments(const std::vector<std::string>& args) {
  CommandLine commandLine;
  commandLine.parsed = ParseArguments(args);
  if (commandLine.parsed.HasOption()) return commandLine;
  commandLine.qtWords = commandLine.parsed.words;
  commandLine.request = RequestAfterQt(commandLine, commandLine.qtWords);
  // A run takes one file: `A B /run` is refused, not taken for a run of A.
  std::vector<std::string> words = commandLine.parsed.words;
  const auto& literal = commandLine.parsed.literal;
  words.insert(words.end(), literal.begin(), literal.end());
  const auto isSwitch = [](const std::string& word) { return LowerAscii(word) == "/run"; };
  if (commandLine.request.Run &&
      std::find_if(words.begin() + 1, words.end(), isSwitch) != words.begin() + 1) {
    commandLine.parsed.option.error = "/run takes one FILE before it";
  }
  return commandLine;
}

CommandLine CommandLineFromWindows(const std::string& line, const std::vector<std::string>& args) {
  CommandLine commandLine;
  if (args.empty() || !IsOptionWord(args.front())) {
    commandLine.request = RequestFromCommandLine(line);
    return commandLine;
  }
  commandLine.parsed = ParseArguments(args);
  if (commandLine.parsed.HasOption()) return commandLine;
  // "--" first: the command line is the text that follows it (the words after it
  // joined by blanks, when the line does not begin with it as it stands).
  std::string rest;
  if (line.rfind("--", 0) == 0) {
    rest = line.substr(2);
    rest.erase(0, rest.find_first_not_of(" \t"));
  } else {
    for (const auto& word : commandLine.parsed.literal) rest += (rest.empty() ? "" : " ") + word;
  }
  commandLine.request = RequestFromCommandLine(rest);
  return commandLine;
}

StartRequest RequestAfterQt(const CommandLine& commandLine,
                            const std::vector<std::string>& leftByQt) {
  std::vector<std::string> words = leftByQt;
  const auto& literal = commandLine.parsed.literal;
  words.insert(words.end(), literal.begin(), literal.end());
  return RequestFromArguments(words);
}

std::string QtPlatformArgument(const std::vector<std::string>& words) {
  std::string platform;
  for (std::size_t i = 0; i + 1 < words.size(); ++i) {
    if (words[i] == "-platform") platform = words[++i];
  }
  return platform;
}

std::string LaunchFailureLine(const std::string& file, int position, const std::string& name,
                              int32_t result, const std::string& text) {
  if (position == 0) {
    return "tavrin: " + LineText(file) + ": " + LineText(LaunchFailureReason(result, text));
  }
  return "tavrin: " + LineText(file) + ": item " + std::to_string(position) + " \"" +
         LineText(name) + "\": " + LineText(LaunchFailureReason(result, text));
}

std::string RunSummaryLine(const std::string& file, const RunTally& tally) {
  return "tavrin: " + LineText(file) + ": " + std::to_string(tally.started) + " of " +
         std::to_string(tally.items) + " items started, " + std::to_string(tally.skipped()) +
         " skipped, " + std::to_string(tally.failed) + " failed";
}

std::string RunWaitLine(const std::string& file, const RunWait& wait) {
  const long seconds = RoundedSeconds(wait.limit);
  const std::string what =
      wait.target.empty()
          ? "waiting " + std::to_string(seconds) + " s before its start"
          : "waiting for " + LineText(wait.target) + ", at most " + std::to_string(seconds) + " s";
  return "tavrin: " + LineText(file) + ": item " + std::to_string(wait.position) + " of " +
         std::to_string(wait.count) + " \"" + LineText(wait.itemName) + "\": " + what;
}

int Main(const StartRequest& request, CollectionState& state, Platform& platform,
         const WindowOpener& openWindow, RunProgress* progress) {
  state.StartingUp = true;
  state.ResetItems();
  if (!request.CommandLine.empty()) {
    OfferSavedCopy(request.FilePart, request.FilePart, platform);
    const LoadResult result = ReadCollectionFile(state, request.FilePart, platform.files);
    // A run leaves a line for logs, before the box (which may wait for an answer).
    if (request.Run && !LoadFailureText(result).empty()) {
      WriteWholeLine("tavrin: " + LineText(request.FilePart) + ": " + LoadFailureText(result));
    }
    if (result != LoadOk && !ReportLoadResult(result, request.FilePart, state, platform)) {
      state.StartingUp = false;
      return kExitNotLoaded;
    }
    ReportDamagedOptions(state, request.FilePart, platform);
    // The run, like the window, takes relative item paths from the collection's folder.
    state.CurrentCollFile = request.FilePart;
    if (request.Run) {
      RunTally tally;
      const int failures = RunAllItems(
          state, platform,
          [&request](int position, const CollItem& item, int32_t code, const std::string& text) {
            WriteWholeLine(
                LaunchFailureLine(request.FilePart, position, item.ItemName, code, text));
          },
          &tally, progress);
      // Stopped (the progress window's Cancel): what started runs on, the rest did not.
      const bool stopped = RunStopped();
      if (tally.failed > 0 || tally.skipped() > 0 || stopped) {
        WriteWholeLine(RunSummaryLine(request.FilePart, tally));
      }
      state.StartingUp = false;
      // A termination request ends it as the request itself would have.
      if (stopped && StopSignal() > 0) return StoppedRunStatus(StopSignal());
      return failures == 0 && !stopped ? kExitOk : kExitLaunchFailed;
    }
  }
  state.StartingUp = false;
  return openWindow(request, state);
}

}  // namespace tavrin

#include "main/startup.h"

#include "collection/collfile.h"
#include "collection/text.h"
#include "launch/launch.h"

namespace tavrin {

std::string ParseCommandLine(const std::string& CmdLine, int16_t Mode) {
  if (Mode == 2) {
    return LowerAscii(CmdLine).find("/run") != std::string::npos ? "RUN" : "";
  }
  if (Mode == 1) {
    if (ParseCommandLine(CmdLine, 2).empty()) return CmdLine;
    const auto split = CmdLine.find(" /");
    return split == std::string::npos ? "" : CmdLine.substr(0, split);
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

int Main(const StartRequest& request, CollectionState& state, Platform& platform,
         const WindowOpener& openWindow) {
  state.StartingUp = true;
  state.ResetItems();
  if (!request.CommandLine.empty()) {
    const LoadResult result = ReadCollectionFile(state, request.FilePart, platform.files);
    if (result != LoadOk && !ReportLoadResult(result, request.FilePart, state, platform)) {
      state.StartingUp = false;
      return kExitNotLoaded;
    }
    // The run, like the window, takes relative item paths from the collection's folder.
    state.CurrentCollFile = request.FilePart;
    if (request.Run) {
      const int failures = RunAllItems(state, platform);
      state.StartingUp = false;
      return failures == 0 ? kExitOk : kExitLaunchFailed;
    }
  }
  state.StartingUp = false;
  return openWindow(request, state);
}

}  // namespace tavrin

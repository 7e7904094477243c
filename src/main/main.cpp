// The program's entry: chooses the platform services and hands over to the options
// or to Main.
#include <iostream>
#include <memory>

#include "collection/collection.h"
#include "forms/frm_run_progress.h"
#include "launch/stop_request.h"
#include "main/native.h"
#include "main/options.h"
#include "main/startup.h"
#include "platform/platform.h"

#ifdef TAVRIN_WITH_QT
#include "main/gui_host.h"
#elif defined(_WIN32)
#include "main/windows_win32.h"
#endif

int main(int argc, char** argv) {
  auto native = tavrin::MakeNativeServices();
  const tavrin::CommandLine commandLine = native->ReadCommandLine(argc, argv);

  // Options answer on the terminal: no window, no box, no Qt.
  if (commandLine.parsed.HasOption()) {
    tavrin::OptionContext context{
        std::cout,
        std::cerr,
        native->system().ExecutablePath(),
        native->autostart(),
        [&native](const std::string& text) { return native->ToUtf8(text); },
        native->files(),
        native->shell(),
        native->system()};
    const int status = tavrin::RunOption(commandLine.parsed.option, context);
    std::cout.flush();
    return status;
  }

  tavrin::StartRequest request = commandLine.request;
  // A run asked to terminate starts nothing more, records what it started and ends with
  // the status of a stopped run (128 and the signal's number; on Windows 0xC000013A).
  if (request.Run) native->CatchTermination([](int signal) { tavrin::RequestStop(signal); });
  // A run's wait that no window can show is said on standard error.
  auto waitLine = [&request](const tavrin::RunWait& wait) {
    tavrin::WriteWholeLine(tavrin::RunWaitLine(request.FilePart, wait));
  };
#ifdef TAVRIN_WITH_QT
  // Qt's windows and boxes are loaded only when a window or a box must be shown.
  const std::string qtPlatform = tavrin::QtPlatformArgument(commandLine.qtWords);
  std::vector<std::string> qtArgs{argc > 0 ? argv[0] : "tavrin"};
  qtArgs.insert(qtArgs.end(), commandLine.qtWords.begin(), commandLine.qtWords.end());
  tavrin::GuiHost gui(
      qtArgs, native->system().ExecutablePath(),
      [&native, &qtPlatform] { return native->DisplayReachable(qtPlatform); },
      [&native, &qtPlatform] { return native->BoxesToStderr(qtPlatform); });
  // Window mode: Qt takes its own options first, the rest names the collection.
  if (!request.Run && !commandLine.qtWords.empty()) {
    request = tavrin::RequestAfterQt(commandLine, gui.StartApplication());
  }
  tavrin::Platform platform{gui.toolkit(), native->shell(), native->files(), native->system(),
                            native->registry()};
  tavrin::CollectionState state;
  auto openWindow = [&](const tavrin::StartRequest& r, tavrin::CollectionState& s) {
    return gui.RunMainWindow(r, s, platform);
  };
  tavrin::FrmRunProgress progress(
      platform.toolkit, [&gui](tavrin::FrmRunProgress& form) { return gui.MakeProgressView(form); },
      waitLine);
#elif defined(_WIN32)
  // The windows are Win32's; message boxes are the system's.
  auto toolkit = native->MakePlainToolkit();
  tavrin::Platform platform{*toolkit, native->shell(), native->files(), native->system(),
                            native->registry()};
  tavrin::CollectionState state;
  auto openWindow = [&platform](const tavrin::StartRequest& r, tavrin::CollectionState& s) {
    return tavrin::RunWin32MainWindow(r, s, platform);
  };
  tavrin::FrmRunProgress progress(platform.toolkit, tavrin::MakeWin32ProgressView, waitLine);
#else
  auto toolkit = native->MakePlainToolkit();
  tavrin::Platform platform{*toolkit, native->shell(), native->files(), native->system(),
                            native->registry()};
  tavrin::CollectionState state;
  // Said in a box: a windowed program started from the shell has no terminal to say it on.
  auto openWindow = [&toolkit](const tavrin::StartRequest&, tavrin::CollectionState&) {
    toolkit->MsgBox(
        "This build of Tavrin has no main window.\n"
        "Use 'tavrin FILE /run' to run a collection.",
        tavrin::kStyleExclamationOk, "Tavrin");
    return static_cast<int>(tavrin::kExitNotLoaded);
  };
  tavrin::FrmRunProgress progress(platform.toolkit, {}, waitLine);
#endif
  // A window given up on is a note, never a failure.
  progress.SetNoteOut([&request](const tavrin::RunWait& where, const std::string& text) {
    tavrin::WriteWholeLine(
        tavrin::LaunchFailureLine(request.FilePart, where.position, where.itemName, 0, text));
  });
  return tavrin::Main(request, state, platform, openWindow, &progress);
}

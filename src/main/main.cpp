// The program's entry: chooses the platform services and hands over to Main.
#include <cstdio>
#include <string>
#include <vector>

#include "collection/collection.h"
#include "main/startup.h"
#include "platform/platform.h"
#include "platform/posix/display_probe.h"
#include "platform/posix/posix_files.h"
#include "platform/posix/posix_shell.h"
#include "platform/posix/posix_system.h"
#include "platform/qt/qt_toolkit.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  const tavrin::StartRequest request = tavrin::RequestFromArguments(args);

  tavrin::QtToolkit toolkit(argc, argv, &tavrin::posix::DisplayReachable);
  tavrin::posix::PosixShell shell;
  tavrin::PosixFileSystem files;
  tavrin::posix::PosixSystemInfo system;
  tavrin::Platform platform{toolkit, shell, files, system};
  tavrin::CollectionState state;

  auto openWindow = [](const tavrin::StartRequest&, tavrin::CollectionState&) {
    std::fprintf(stderr,
                 "tavrin: the main window is not available in this build; "
                 "use 'tavrin FILE /run' to run a collection\n");
    return static_cast<int>(tavrin::kExitNotLoaded);
  };
  return tavrin::Main(request, state, platform, openWindow);
}

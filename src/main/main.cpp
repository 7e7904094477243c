// The program's entry: chooses the platform services and hands over to Main.
#include <cstdio>
#include <memory>

#include "collection/collection.h"
#include "main/native.h"
#include "main/startup.h"
#include "platform/platform.h"

#ifdef TAVRIN_WITH_QT
#include "main/gui_host.h"
#endif

int main(int argc, char** argv) {
  auto native = tavrin::MakeNativeServices();
  const tavrin::StartRequest request = native->Request(argc, argv);

#ifdef TAVRIN_WITH_QT
  // Qt's windows and boxes are loaded only when a window or a box must be shown.
  tavrin::GuiHost gui(
      argc, argv, native->system().ExecutablePath(),
      [&native] { return native->DisplayReachable(); },
      [&native] { return native->BoxesAnswered(); });
  tavrin::Platform platform{gui.toolkit(), native->shell(), native->files(), native->system(),
                            native->registry()};
  tavrin::CollectionState state;
  auto openWindow = [&](const tavrin::StartRequest& r, tavrin::CollectionState& s) {
    return gui.RunMainWindow(r, s, platform);
  };
#else
  auto toolkit = native->MakePlainToolkit();
  tavrin::Platform platform{*toolkit, native->shell(), native->files(), native->system(),
                            native->registry()};
  tavrin::CollectionState state;
  auto openWindow = [](const tavrin::StartRequest&, tavrin::CollectionState&) {
    std::fprintf(stderr,
                 "tavrin: this build has no main window; "
                 "use 'tavrin FILE /run' to run a collection\n");
    return static_cast<int>(tavrin::kExitNotLoaded);
  };
#endif
  return tavrin::Main(request, state, platform, openWindow);
}

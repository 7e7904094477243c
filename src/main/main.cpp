// The program's entry: chooses the platform services and hands over to Main.
#include <cstdio>
#include <memory>

#include "collection/collection.h"
#include "main/native.h"
#include "main/startup.h"
#include "platform/platform.h"

#ifdef TAVRIN_WITH_QT
#include "platform/qt/qt_toolkit.h"
#endif

int main(int argc, char** argv) {
  auto native = tavrin::MakeNativeServices();
  const tavrin::StartRequest request = native->Request(argc, argv);

#ifdef TAVRIN_WITH_QT
  // Qt's GUI starts only when a window or a box must be shown.
  auto toolkit = std::make_unique<tavrin::QtToolkit>(
      argc, argv, [&native] { return native->DisplayReachable(); });
#else
  auto toolkit = native->MakePlainToolkit();
#endif
  tavrin::Platform platform{*toolkit, native->shell(), native->files(), native->system(),
                            native->registry()};
  tavrin::CollectionState state;

  auto openWindow = [](const tavrin::StartRequest&, tavrin::CollectionState&) {
    std::fprintf(stderr,
                 "tavrin: the main window is not available in this build; "
                 "use 'tavrin FILE /run' to run a collection\n");
    return static_cast<int>(tavrin::kExitNotLoaded);
  };
  return tavrin::Main(request, state, platform, openWindow);
}

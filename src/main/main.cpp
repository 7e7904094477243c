// The program's entry: chooses the platform services and hands over to Main.
#include <cstdio>
#include <memory>

#include "collection/collection.h"
#include "main/native.h"
#include "main/startup.h"
#include "platform/platform.h"

#ifdef TAVRIN_WITH_QT
#include <QApplication>

#include "platform/qt/qt_file_dialogs.h"
#include "platform/qt/qt_toolkit.h"
#include "ui/frm_main.h"

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QSocketNotifier>
#endif
#endif

namespace {

#ifdef TAVRIN_WITH_QT
#ifndef _WIN32
// A request to terminate (the session ending, `kill`) closes the window as its close
// box does, so that the program ends cleanly.
int g_terminatePipe[2] = {-1, -1};

void OnTerminate(int) {
  const char byte = 1;
  [[maybe_unused]] const auto n = write(g_terminatePipe[1], &byte, 1);
}

void CloseOnTerminate(QWidget& window) {
  if (pipe2(g_terminatePipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  auto* notifier = new QSocketNotifier(g_terminatePipe[0], QSocketNotifier::Read, &window);
  QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window] { window.close(); });
  struct sigaction action {};
  action.sa_handler = &OnTerminate;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &action, nullptr);
}
#endif

// Shows the main window on the prepared state and runs it until it is closed.
int RunMainWindow(const tavrin::StartRequest& request, tavrin::CollectionState& state,
                  tavrin::Platform& platform, tavrin::QtToolkit& toolkit) {
  QApplication* app = toolkit.EnsureApplication();
  if (!app) {
    std::fprintf(stderr,
                 "tavrin: no display can be reached for the main window; "
                 "use 'tavrin FILE /run' to run a collection without one\n");
    return tavrin::kExitNotLoaded;
  }
  // Message boxes shown while the window is hidden must not end the program.
  app->setQuitOnLastWindowClosed(false);
  tavrin::QtFileDialogs dialogs;
  tavrin::EditExchange edit;
  tavrin::FrmMain window({state, edit, platform, dialogs}, request.CommandLine);
  toolkit.SetOwner(&window);
  dialogs.SetOwner(&window);
#ifndef _WIN32
  CloseOnTerminate(window);
#endif
  QCoreApplication::processEvents();
  window.show();
  window.activateWindow();
  QCoreApplication::processEvents();
  const int status = app->exec();
  toolkit.SetOwner(nullptr);
  return status;
}
#endif

}  // namespace

int main(int argc, char** argv) {
  auto native = tavrin::MakeNativeServices();
  const tavrin::StartRequest request = native->Request(argc, argv);

#ifdef TAVRIN_WITH_QT
  // Qt's GUI starts only when a window or a box must be shown.
  tavrin::QtToolkit toolkit(argc, argv, [&native] { return native->DisplayReachable(); });
  tavrin::Platform platform{toolkit, native->shell(), native->files(), native->system(),
                            native->registry()};
  tavrin::CollectionState state;
  auto openWindow = [&](const tavrin::StartRequest& r, tavrin::CollectionState& s) {
    return RunMainWindow(r, s, platform, toolkit);
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

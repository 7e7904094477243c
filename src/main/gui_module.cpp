// The windows module: the main window and Qt's message boxes.
#include <QApplication>
#include <cstdio>
#include <functional>

#include "forms/frm_main.h"
#include "main/gui.h"
#include "platform/qt/qt_file_dialogs.h"
#include "platform/qt/qt_toolkit.h"
#include "ui/qt/main_window.h"

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QSocketNotifier>
#endif

namespace {

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
  tavrin::FrmMain form({state, edit, platform, dialogs}, request.CommandLine);
  tavrin::qt::MainWindow window(form);
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

class QtGui : public tavrin::Gui {
 public:
  QtGui(int& argc, char** argv, std::function<bool()> displayReachable)
      : toolkit_(argc, argv, std::move(displayReachable)) {}

  tavrin::Toolkit& toolkit() override { return toolkit_; }

  bool StartApplication() override { return toolkit_.EnsureApplication() != nullptr; }

  int RunMainWindow(const tavrin::StartRequest& request, tavrin::CollectionState& state,
                    tavrin::Platform& platform) override {
    return ::RunMainWindow(request, state, platform, toolkit_);
  }

 private:
  tavrin::QtToolkit toolkit_;
};

}  // namespace

extern "C" __attribute__((visibility("default"))) tavrin::Gui* TavrinCreateGui(
    int& argc, char** argv, std::function<bool()> displayReachable) {
  return new QtGui(argc, argv, std::move(displayReachable));
}

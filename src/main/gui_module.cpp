// The windows module on Linux: the main window and Qt's message boxes.
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <cerrno>
#include <cstdio>
#include <functional>

#include "forms/frm_main.h"
#include "launch/stop_request.h"
#include "main/gui.h"
#include "platform/qt/qt_file_dialogs.h"
#include "platform/qt/qt_toolkit.h"
#include "ui/qt/main_window.h"
#include "ui/qt/run_progress_window.h"

namespace {

// A request to terminate (the session ending, `kill`, Ctrl-C) ends the program whenever it
// comes: a run under way stops at once (see RunAllItems), and the window closes as its
// close box closes it. A signal the launcher was given ignored stays ignored.
int g_terminatePipe[2] = {-1, -1};
pthread_t g_windowThread;

void OnTerminate(int signal) {
  tavrin::RequestStop(signal);
  const int savedErrno = errno;
  // A waited run sleeps on the window's thread until a signal interrupts it; a signal
  // that another thread took is handed on to it.
  if (!pthread_equal(pthread_self(), g_windowThread)) {
    pthread_kill(g_windowThread, signal);
    errno = savedErrno;
    return;
  }
  const char byte = 1;
  [[maybe_unused]] const auto n = write(g_terminatePipe[1], &byte, 1);
  errno = savedErrno;
}

void CloseOnTerminate(QWidget& window) {
  if (pipe2(g_terminatePipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  g_windowThread = pthread_self();
  const int readEnd = g_terminatePipe[0];
  auto* notifier = new QSocketNotifier(readEnd, QSocketNotifier::Read, &window);
  QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window, readEnd] {
    // Emptied, so that the notifier is quiet again.
    char bytes[64];
    while (read(readEnd, bytes, sizeof bytes) > 0) {
    }
    window.close();
    // Not quit(), which a window that will not close yet (the progress window of a run,
    // which stays until the run has stopped) would refuse: the program ends.
    QCoreApplication::exit(0);
  });
  sigset_t caught;
  sigemptyset(&caught);
  for (const int signal : {SIGTERM, SIGINT}) {
    struct sigaction given {};
    if (sigaction(signal, nullptr, &given) != 0 || given.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = &OnTerminate;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(signal, &action, nullptr);
    sigaddset(&caught, signal);
  }
  // Caught, they are let through even where the launcher was given them blocked (the
  // programs it starts get the mask it was given).
  sigprocmask(SIG_UNBLOCK, &caught, nullptr);
}

// Shows the main window on the prepared state and runs it until it is closed.
int RunMainWindow(const tavrin::StartRequest& request, tavrin::CollectionState& state,
                  tavrin::Platform& platform, tavrin::QtToolkit& toolkit) {
  QApplication* app = toolkit.EnsureApplication();
  if (!app) {
    std::fprintf(stderr,
                 "tavrin: the main window cannot open: %s; "
                 "use 'tavrin FILE /run' to run a collection without one\n",
                 toolkit.WhyNoApplication().c_str());
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
  CloseOnTerminate(window);
  QCoreApplication::processEvents();
  window.show();
  window.activateWindow();
  QCoreApplication::processEvents();
  // A request that came before the event loop runs would find no loop to end: it ends
  // the program here, and so does a close of the window that came as early (a window
  // manager's or a session's close as the window first shows).
  const bool closed = !window.isVisible();
  const int status = tavrin::StopRequested() || closed ? 0 : app->exec();
  // Hidden while the window is whole: hiding moves the focus, and the window's handlers
  // of that must not run while it is being destroyed.
  window.hide();
  toolkit.SetOwner(nullptr);
  // A run that a termination request cut short ends the program with 128 and the
  // signal's number, as the signal itself would have.
  return tavrin::RunStopped() ? 128 + tavrin::StopSignal() : status;
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

  std::unique_ptr<tavrin::RunProgressView> MakeProgressView(tavrin::FrmRunProgress& form) override {
    QApplication* app = toolkit_.EnsureApplication();
    if (app == nullptr) return nullptr;
    app->setQuitOnLastWindowClosed(false);
    return std::make_unique<tavrin::qt::RunProgressWindow>(form);
  }

 private:
  tavrin::QtToolkit toolkit_;
};

}  // namespace

extern "C" __attribute__((visibility("default"))) tavrin::Gui* TavrinCreateGui(
    int& argc, char** argv, std::function<bool()> displayReachable) {
  return new QtGui(argc, argv, std::move(displayReachable));
}

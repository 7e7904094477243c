#pragma once

#include <functional>
#include <memory>

#include "collection/collection.h"
#include "forms/frm_run_progress.h"
#include "main/startup.h"
#include "platform/platform.h"

namespace tavrin {

// The program's windows and Qt's message boxes. On Linux they live in a module of
// their own beside the executable (tavrin-gui.so), loaded when a window or a box
// must first be shown: a run that shows neither never loads Qt's libraries, whose
// loading alone costs more than the rest of a run's start-up.
class Gui {
 public:
  virtual ~Gui() = default;

  // Qt's message boxes and event pump.
  virtual Toolkit& toolkit() = 0;

  // Starts Qt's application now, which takes Qt's own options out of the arguments
  // the module was created with; false when no display can be reached.
  virtual bool StartApplication() = 0;

  // Shows the main window on the state Main has prepared and runs it until it is
  // closed; returns the exit status.
  virtual int RunMainWindow(const StartRequest& request, CollectionState& state,
                            Platform& platform) = 0;

  // Makes the window of a run's progress on `form`, for run mode; null when Qt's
  // application cannot start.
  virtual std::unique_ptr<RunProgressView> MakeProgressView(FrmRunProgress& form) = 0;
};

// The module's one entry, looked up by the name kCreateGuiName. `displayReachable`
// is asked when the first window or box needs Qt's GUI.
using CreateGuiFunction = Gui* (*)(int& argc, char** argv, std::function<bool()> displayReachable);
inline constexpr const char* kCreateGuiName = "TavrinCreateGui";

}  // namespace tavrin

#pragma once

#include <memory>

#include "collection/collection.h"
#include "forms/frm_run_progress.h"
#include "main/startup.h"
#include "platform/platform.h"

namespace tavrin {

// Windows: shows the main window in Win32 on the state Main has prepared, with the
// system's Open and Save As dialogs owned by it, and runs it until it is closed;
// returns the exit status.
int RunWin32MainWindow(const StartRequest& request, CollectionState& state, Platform& platform);

// Windows: the progress window of a run, in Win32; null when boxes are asked for on
// standard error or no window can be made.
std::unique_ptr<RunProgressView> MakeWin32ProgressView(FrmRunProgress& form);

}  // namespace tavrin

#pragma once

#include "collection/collection.h"
#include "main/startup.h"
#include "platform/platform.h"

namespace tavrin {

// Windows: shows the main window in Win32 on the state Main has prepared, with the
// system's Open and Save As dialogs owned by it, and runs it until it is closed;
// returns the exit status.
int RunWin32MainWindow(const StartRequest& request, CollectionState& state, Platform& platform);

}  // namespace tavrin

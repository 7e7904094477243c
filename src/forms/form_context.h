#pragma once

#include "collection/collection.h"
#include "platform/file_dialogs.h"
#include "platform/platform.h"

namespace tavrin {

// What the forms work on: the program-wide collection state and item exchange, and
// the platform's services, message boxes and file dialogs among them.
struct FormContext {
  CollectionState& state;
  EditExchange& edit;
  Platform& platform;
  FileDialogs& dialogs;
};

// How a dialog's unload was started (Form_QueryUnload).
inline constexpr int kUnloadCloseBox = 0;  // the close box or the system menu

}  // namespace tavrin

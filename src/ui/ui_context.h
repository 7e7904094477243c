#pragma once

#include <functional>

class QDialog;

#include "collection/collection.h"
#include "platform/file_dialogs.h"
#include "platform/platform.h"

namespace tavrin {

// What the windows work on: the program-wide collection state and item exchange,
// and the platform's services.
struct UiContext {
  CollectionState& state;
  EditExchange& edit;
  Platform& platform;
  FileDialogs& dialogs;
  // Runs a modal dialog and returns its result; empty: the dialog's own modal loop.
  std::function<int(QDialog&)> runModal = {};
};

// Runs `dialog` modally through the context's runner.
int RunModal(const UiContext& context, QDialog& dialog);

}  // namespace tavrin

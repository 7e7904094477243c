#pragma once

#include "platform/file_dialogs.h"

class QFileDialog;
class QWidget;

namespace tavrin {

// Sets up Qt's own file dialog for a request: mode, filters, folder and name.
void SetUpFileDialog(QFileDialog& dialog, const FileDialogRequest& request);

// The file the dialog has chosen (or would choose now), as the program's bytes; empty
// when none.
std::string ChosenFile(const QFileDialog& dialog);

// The file dialogs on Qt's own dialog, modal over an owner window.
class QtFileDialogs : public FileDialogs {
 public:
  explicit QtFileDialogs(QWidget* owner = nullptr) : owner_(owner) {}
  void SetOwner(QWidget* owner) { owner_ = owner; }
  bool Show(const FileDialogRequest& request, std::string& chosen) override;

 private:
  QWidget* owner_;
};

}  // namespace tavrin

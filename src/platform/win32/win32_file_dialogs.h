#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_dialogs.h"

// The system's window handle, named without the system's headers (HWND is a pointer to
// it).
struct HWND__;

namespace tavrin::win32 {

// The filter text of the system's dialogs: each description and each pattern list
// closed by a NUL, and one more NUL at the end. A filter of programs is its patterns
// alone: on Windows a program is known by its name ("*.exe;*.bat;*.com").
std::string FilterText(const std::vector<FileFilter>& filters);

// The system's flags for a request: long names, the Explorer look and no read-only
// check box always; then "the file must exist", "ask before replacing" and "leave the
// current folder alone" as the request asks.
uint32_t DialogFlags(const FileDialogRequest& request);

// The system's own Open and Save As dialogs (GetOpenFileNameA, GetSaveFileNameA),
// modal over the owner window: the texts are ANSI bytes, the dialog appends no
// extension to a typed name, and the chosen path must fit in the request's buffer.
// A cancelled dialog and one that fails both give false.
class Win32FileDialogs : public FileDialogs {
 public:
  // Without an owner the dialogs are owned by the thread's active window.
  explicit Win32FileDialogs(HWND__* owner = nullptr) : owner_(owner) {}
  void SetOwner(HWND__* owner) { owner_ = owner; }
  bool Show(const FileDialogRequest& request, std::string& chosen) override;

 private:
  HWND__* owner_;
};

}  // namespace tavrin::win32

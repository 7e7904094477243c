#include "main/windows_win32.h"

#include "forms/frm_main.h"
#include "platform/win32/win32_file_dialogs.h"
#include "ui/win32/main_window.h"
#include "ui/win32/run_progress_window.h"

namespace tavrin {

int RunWin32MainWindow(const StartRequest& request, CollectionState& state, Platform& platform) {
  win32::Win32FileDialogs dialogs;
  EditExchange edit;
  FrmMain form({state, edit, platform, dialogs}, request.CommandLine);
  // The dialogs are owned by the main window, or by the item editor while it is open.
  win32::RunMainWindow(form, [&dialogs](win32::Hwnd owner) { dialogs.SetOwner(owner); });
  return kExitOk;
}

std::unique_ptr<RunProgressView> MakeWin32ProgressView(FrmRunProgress& form) {
  if (BoxesToStderrAsked()) return nullptr;
  return win32::MakeRunProgressWindow(form);
}

}  // namespace tavrin

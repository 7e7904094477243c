#include "platform/win32/win32_file_dialogs.h"

#include <windows.h>
// After windows.h, which it needs.
#include <commdlg.h>
#include <shlobj.h>

#include <algorithm>

namespace tavrin::win32 {
namespace {

// The room for the chosen path when the request names none: a path of 1024
// characters and its NUL.
constexpr std::size_t kDefaultNameBuffer = 1025;
// The bare name of the chosen file is filled in by the system; nothing reads it.
constexpr DWORD kFileTitleBuffer = 512;

// The folder dialog starts at the folder its caller named.
int CALLBACK StartAt(HWND dialog, UINT message, LPARAM, LPARAM folder) {
  if (message == BFFM_INITIALIZED && folder != 0) {
    SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, folder);
  }
  return 0;
}

bool ShowFolderDialog(HWND owner, const FileDialogRequest& request, std::string& chosen) {
  BROWSEINFOA info{};
  info.hwndOwner = owner;
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  info.lpszTitle = request.prompt.empty() ? nullptr : request.prompt.c_str();
  info.lpfn = StartAt;
  info.lParam =
      request.initialDir.empty() ? 0 : reinterpret_cast<LPARAM>(request.initialDir.c_str());
  PIDLIST_ABSOLUTE folder = SHBrowseForFolderA(&info);
  if (folder == nullptr) return false;
  char path[MAX_PATH] = {};
  const bool ok = SHGetPathFromIDListA(folder, path) != FALSE;
  ILFree(folder);
  if (ok) chosen = path;
  return ok;
}

}  // namespace

std::string FilterText(const std::vector<FileFilter>& filters) {
  std::string text;
  for (const FileFilter& filter : filters) {
    text += filter.description;
    text += '\0';
    text += filter.patterns;
    text += '\0';
  }
  text += '\0';
  return text;
}

uint32_t DialogFlags(const FileDialogRequest& request) {
  uint32_t flags = OFN_LONGNAMES | OFN_EXPLORER | OFN_HIDEREADONLY;
  if (request.fileMustExist) flags |= OFN_FILEMUSTEXIST;
  if (request.overwritePrompt) flags |= OFN_OVERWRITEPROMPT;
  if (request.keepCurrentDir) flags |= OFN_NOCHANGEDIR;
  return flags;
}

bool Win32FileDialogs::Show(const FileDialogRequest& request, std::string& chosen) {
  if (request.folders)
    return ShowFolderDialog(owner_ ? owner_ : GetActiveWindow(), request, chosen);
  const std::string filter = FilterText(request.filters);
  // The buffer holds the proposed name at first and the chosen path afterwards.
  const std::size_t room = request.nameBufferSize ? request.nameBufferSize : kDefaultNameBuffer;
  std::string name(std::max(room, request.initialName.size() + 1), '\0');
  std::copy(request.initialName.begin(), request.initialName.end(), name.begin());
  std::string title(kFileTitleBuffer, '\0');

  OPENFILENAMEA record{};
  // The record without the fields that Windows 2000 added (76 bytes in 32-bit programs).
  record.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
  record.hwndOwner = owner_ ? owner_ : GetActiveWindow();
  record.lpstrFilter = filter.c_str();
  record.nFilterIndex = static_cast<DWORD>(std::max(request.filterIndex, 0));
  record.lpstrFile = name.data();
  record.nMaxFile = static_cast<DWORD>(name.size());
  record.lpstrFileTitle = title.data();
  record.nMaxFileTitle = kFileTitleBuffer;
  // An empty folder name: the system's default folder.
  record.lpstrInitialDir = request.initialDir.c_str();
  record.Flags = DialogFlags(request);
  record.lpstrDefExt = request.defaultExt.empty() ? nullptr : request.defaultExt.c_str();

  const BOOL ok = request.save ? GetSaveFileNameA(&record) : GetOpenFileNameA(&record);
  if (!ok) return false;
  chosen = name.substr(0, name.find('\0'));
  return true;
}

}  // namespace tavrin::win32

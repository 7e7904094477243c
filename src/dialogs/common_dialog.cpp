#include "dialogs/common_dialog.h"

#include "collection/paths.h"
#include "platform/files.h"
#include "platform/traits.h"

namespace tavrin {
namespace {

const std::string kSep(1, '\0');
// The pattern of the filter "Tavrin Collections".
const std::string kCollPattern = "*" + std::string(kCollExt);

std::string TrimRight(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

// Fills the record, runs the dialog, and writes the answer back into lpstrFile the
// way the system fills its buffer.
bool RunDialog(OpenFileName& record, bool save, FileDialogs& dialogs) {
  std::string chosen;
  const bool ok = dialogs.Show(RequestFromRecord(record, save), chosen);
  if (ok) {
    std::string buffer = chosen + kSep;
    if (buffer.size() < record.lpstrFile.size()) buffer += record.lpstrFile.substr(buffer.size());
    record.lpstrFile = buffer;
  }
  return ok;
}

}  // namespace

FileDialogRequest RequestFromRecord(const OpenFileName& record, bool save) {
  FileDialogRequest request;
  request.save = save;
  // The filter: description and patterns, each closed by a NUL, until an empty one.
  std::size_t pos = 0;
  const std::string& f = record.lpstrFilter;
  while (pos < f.size()) {
    const auto d = f.find('\0', pos);
    if (d == std::string::npos || d == pos) break;
    const auto p = f.find('\0', d + 1);
    if (p == std::string::npos) break;
    FileFilter filter{f.substr(pos, d - pos), f.substr(d + 1, p - d - 1), false};
    filter.programs = kProgramsByPermission && filter.description == "Executables";
    request.filters.push_back(filter);
    pos = p + 1;
  }
  request.filterIndex = static_cast<int>(record.nFilterIndex);
  std::string file = record.lpstrFile;
  request.initialName = TrimRight(CutAtNull(file));
  std::string dir = record.lpstrInitialDir;
  request.initialDir = CutAtNull(dir);
  request.fileMustExist = (record.Flags & OFN_FILEMUSTEXIST) != 0;
  request.overwritePrompt = (record.Flags & OFN_OVERWRITEPROMPT) != 0;
  request.keepCurrentDir = (record.Flags & OFN_NOCHANGEDIR) != 0;
  std::string ext = record.lpstrDefExt;
  request.defaultExt = CutAtNull(ext);
  request.nameBufferSize = record.nMaxFile;
  return request;
}

bool ShowOpenDialog(OpenFileName& OpenFileDlg, int16_t filterIndex, FileDialogs& dialogs) {
  OpenFileDlg.lStructSize = 76;
  OpenFileDlg.lpstrFilter = "Tavrin Collections" + kSep + kCollPattern + kSep + "Executables" +
                            kSep + "*.exe;*.bat;*.com" + kSep + "All Files" + kSep + "*.*" + kSep +
                            kSep;
  OpenFileDlg.nFilterIndex = static_cast<uint32_t>(filterIndex);
  OpenFileDlg.lpstrFile = kSep + std::string(1024, ' ');
  OpenFileDlg.nMaxFile = static_cast<uint32_t>(OpenFileDlg.lpstrFile.size());
  OpenFileDlg.lpstrFileTitle = std::string(512, ' ');
  OpenFileDlg.nMaxFileTitle = 512;
  OpenFileDlg.lpstrInitialDir = kSep;
  OpenFileDlg.Flags = kOpenDialogFlags;
  return RunDialog(OpenFileDlg, false, dialogs);
}

bool ShowSaveDialog(OpenFileName& SaveFileDlg, FileDialogs& dialogs, bool askToReplace) {
  SaveFileDlg.lStructSize = 76;
  SaveFileDlg.lpstrFilter =
      "Tavrin Collections" + kSep + kCollPattern + kSep + "All Files" + kSep + "*.*" + kSep + kSep;
  SaveFileDlg.nFilterIndex = 1;
  SaveFileDlg.nMaxFile = static_cast<uint32_t>(SaveFileDlg.lpstrFile.size());
  SaveFileDlg.lpstrFileTitle = std::string(512, ' ');
  SaveFileDlg.nMaxFileTitle = 512;
  SaveFileDlg.Flags = askToReplace ? kSaveDialogFlags : kSaveDialogFlags & ~OFN_OVERWRITEPROMPT;
  SaveFileDlg.lpstrDefExt = std::string(kCollExt).substr(1);
  return RunDialog(SaveFileDlg, true, dialogs);
}

}  // namespace tavrin

#pragma once

#include <cstdint>
#include <string>

#include "platform/file_dialogs.h"

namespace tavrin {

// Dialog flags, by their system names.
inline constexpr uint32_t OFN_OVERWRITEPROMPT = 0x2;
inline constexpr uint32_t OFN_HIDEREADONLY = 0x4;
inline constexpr uint32_t OFN_NOCHANGEDIR = 0x8;
inline constexpr uint32_t OFN_FILEMUSTEXIST = 0x1000;
inline constexpr uint32_t OFN_EXPLORER = 0x80000;
inline constexpr uint32_t OFN_LONGNAMES = 0x200000;

inline constexpr uint32_t kOpenDialogFlags =
    OFN_LONGNAMES | OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;  // 0x281004
inline constexpr uint32_t kSaveDialogFlags = OFN_LONGNAMES | OFN_EXPLORER | OFN_NOCHANGEDIR |
                                             OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;  // 0x28000E

// The record a file dialog is described by and answers in. Strings are the
// program's own; a filter is a run of NUL-terminated description and pattern pairs
// ending in one more NUL. After a dialog, lpstrFile holds the chosen path, a NUL, and
// whatever stood behind it in the buffer: cut it with CutAtNull.
struct OpenFileName {
  uint32_t lStructSize = 0;
  std::string lpstrFilter;
  uint32_t nFilterIndex = 0;
  std::string lpstrFile;
  uint32_t nMaxFile = 0;
  std::string lpstrFileTitle;
  uint32_t nMaxFileTitle = 0;
  std::string lpstrInitialDir;
  uint32_t Flags = 0;
  std::string lpstrDefExt;  // without its dot; empty: nothing is appended
};

// Shows the Open dialog with the filters "Tavrin Collections", "Executables" and
// "All Files", `filterIndex` selected, an empty file name and the system's default
// folder. Only an existing file can be chosen.
bool ShowOpenDialog(OpenFileName& OpenFileDlg, int16_t filterIndex, FileDialogs& dialogs);

// Shows the Save As dialog with the filters "Tavrin Collections" and "All Files",
// proposing the caller's lpstrFile (a name padded with blanks) in the caller's
// lpstrInitialDir. A name typed without extension gets ".tavrin" before the dialog asks
// whether an existing file is to be replaced (unless `askToReplace` is false: the caller
// asks).
bool ShowSaveDialog(OpenFileName& SaveFileDlg, FileDialogs& dialogs, bool askToReplace = true);

// The dialog request a record describes.
FileDialogRequest RequestFromRecord(const OpenFileName& record, bool save);

}  // namespace tavrin

#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace tavrin {

// One entry of a file dialog's type list.
struct FileFilter {
  std::string description;  // "Tavrin Collections"
  std::string patterns;     // "*.tavrin", several separated by ";"
  // Also lists the files that count as programs on this platform (files with execute
  // permission on POSIX), whatever their names.
  bool programs = false;
};

// What a modal Open or Save As dialog is asked to show.
struct FileDialogRequest {
  bool save = false;
  // Choose a folder rather than a file (no filters; `initialDir` is where it starts).
  bool folders = false;
  // What the folder dialog tells the user to choose ("Choose the working folder").
  std::string prompt;
  std::vector<FileFilter> filters;
  int filterIndex = 1;      // 1-based, the filter selected when the dialog opens
  std::string initialDir;   // empty: the system's default folder
  std::string initialName;  // the proposed file name, or a whole path
  bool fileMustExist = false;
  bool overwritePrompt = false;  // ask before accepting the name of an existing file
  // Appended (after a dot) to a name typed without any extension before the dialog
  // checks it, so that the question about an existing file is about the name written.
  std::string defaultExt;
  // Leave the process's current folder as it was; without it the system's Open dialog
  // may leave it at the folder of the chosen file.
  bool keepCurrentDir = false;
  // The room for the chosen path, in characters with the closing NUL (0: the
  // implementation's own). Where the system's dialog writes into a buffer of that size,
  // a longer path fails the dialog.
  std::size_t nameBufferSize = 0;
};

// The system's file dialogs.
class FileDialogs {
 public:
  virtual ~FileDialogs() = default;
  // Shows the dialog modally; true and the chosen full path when the user chose a file.
  virtual bool Show(const FileDialogRequest& request, std::string& chosen) = 0;
};

}  // namespace tavrin

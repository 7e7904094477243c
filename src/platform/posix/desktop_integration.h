#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/posix/xdg_folders.h"

namespace tavrin::posix {

// How the desktop learns of the collection file type: a shared-mime-info package,
// a desktop entry that opens the files (with a desktop action that runs them) and
// the type's default application. All of it lives in the user's own folders.
inline constexpr char kCollectionType[] = "application/x-tavrin";
inline constexpr char kDesktopId[] = "tavrin-collection.desktop";
inline constexpr char kMimePackageName[] = "tavrin.xml";

// What the association store holds for the collection file type: the texts of the
// type's key, its two commands (in the registry's form: `"program" %1 ...`) and the
// menu text of the Run verb.
struct FileTypeAssociation {
  std::string description;  // "Tavrin Collection"
  std::string openCommand;  // "\"/usr/bin/tavrin\" %1"
  std::string runCommand;   // "\"/usr/bin/tavrin\" %1 /run"
  std::string runName;      // "&Run"
};

// The words of a command in the registry's form: blanks separate them, double quotes
// group blanks into one word. A program path in quotes ends at the quote that is
// followed by a blank or by the end.
std::vector<std::string> SplitCommand(const std::string& command);

// One argument of a desktop entry's Exec key, quoted where the Desktop Entry rules
// require it (or always, with `alwaysQuote`), with '%' doubled. The string escapes
// of the file (a backslash written twice) are not applied yet.
std::string ExecArgument(const std::string& argument, bool alwaysQuote = false);

// The Exec value for a command in the registry's form: the program quoted, "%1"
// turned into the file field code %f, the other words quoted where needed (a program
// whose path holds a '%' is started through env). Empty when the command names no
// program.
std::string ExecFromCommand(const std::string& command);

// A value as a desktop entry's file writes it (backslash, line breaks and tab escaped).
std::string DesktopFileString(const std::string& value);

// The shared-mime-info package that names the type and its file-name pattern.
std::string MimePackage(const FileTypeAssociation& association);

// The desktop entry that opens and runs collection files; empty when the store's
// Open command names no program.
std::string DesktopEntry(const FileTypeAssociation& association);

// mimeapps.list with `desktopId` first among the default applications of `type`
// (other applications listed there stay after it; every other line is kept).
std::string WithDefaultApplication(const std::string& list, const std::string& type,
                                   const std::string& desktopId);

// mimeapps.list without `desktopId` among the default applications of `type`: a line
// left without applications goes, and so does a [Default Applications] header left
// without entries. Every other line is kept. Unchanged when `desktopId` is not there.
std::string WithoutDefaultApplication(const std::string& list, const std::string& type,
                                      const std::string& desktopId);

// Makes the user's desktop files match the store: with an association, writes the
// MIME package (and rebuilds the user's MIME database with update-mime-database,
// when that tool is there), the desktop entry and the default-application line; without
// one, removes them again, leaving everything else as it was. Failures are passed
// over: the desktop integration is a convenience, never a reason to stop.
void UpdateDesktopIntegration(const XdgFolders& folders,
                              const std::optional<FileTypeAssociation>& association);

}  // namespace tavrin::posix

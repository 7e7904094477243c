#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/posix/xdg_folders.h"

namespace tavrin::posix {

// How the desktop learns of the collection file type: a shared-mime-info package, a
// desktop entry that opens the files in the window (the type's default application), a
// second one, hidden from menus, that runs them ("Open With" offers it: file managers
// hand no file to a desktop entry's actions), and the default-application line. All of
// it lives in the user's own folders.
inline constexpr char kCollectionType[] = "application/x-tavrin";
inline constexpr char kDesktopId[] = "tavrin-collection.desktop";
// The second entry's name sorts after the first, so that where the desktop lists the
// type's applications by name (GIO does), the window's comes first.
inline constexpr char kRunDesktopId[] = "tavrin-collection_run.desktop";
// The name earlier versions gave the second entry (a dot in an id makes tools that take
// an id without its ".desktop" stumble): registering and unregistering remove it.
inline constexpr char kOldRunDesktopId[] = "tavrin-collection.run.desktop";
inline constexpr char kRunEntryName[] = "Run Tavrin Collection";
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
// group blanks into one word. The commands the association writes, `"PROGRAM" %1` and
// `"PROGRAM" %1 /run`, give PROGRAM whole, whatever it holds (quotes and blanks too);
// in other commands a program path in quotes ends at the quote that is followed by a
// blank or by the end.
std::vector<std::string> SplitCommand(const std::string& command);

// A command in the registry's form: `program` in double quotes, then `words`.
std::string JoinCommand(const std::string& program, const std::vector<std::string>& words);

// One argument of a desktop entry's Exec key, quoted only where the Desktop Entry rules
// require it (a reserved character, or nothing at all), with '"', '`', '$' and the
// backslash escaped inside the quotes and '%' doubled. Quoting no more than that lets
// the simpler readers of desktop entries (xdg-utils' scripts take the first word of
// Exec as the program, quotes and all) find the program. The string escapes of the
// file (a backslash written twice) are not applied yet.
std::string ExecArgument(const std::string& argument);

// The Exec value for a command in the registry's form, by the Desktop Entry rules and
// without any wrapper: each word as ExecArgument writes it, "%1" turned into the file
// field code %f. Empty when the command names no program.
std::string ExecFromCommand(const std::string& command);

// Whether a desktop entry can hold `text`: valid UTF-8 without control characters.
bool FitsDesktopEntry(const std::string& text);

// Where a desktop entry names `program` from: its own path; or, where that holds a '%',
// a link to it kept at `<data home>/tavrin-program/tavrin` (made or renewed here). GIO
// looks for an entry's program before it turns "%%" back into "%", and passes over an
// entry whose program it cannot find, so a path with a '%' cannot be started from an
// entry otherwise. Empty, with `problem` set for the user, when neither path fits a
// desktop entry or the link cannot be made.
std::string ExecProgram(const std::string& program, const XdgFolders& folders,
                        std::string& problem);

// Why a desktop entry could not name `program` (ExecProgram), for the user; empty when
// it can. Makes nothing.
std::string ExecProgramProblem(const std::string& program, const XdgFolders& folders);

// A value as a desktop entry's file writes it (backslash, line breaks and tab escaped).
std::string DesktopFileString(const std::string& value);

// The line "Exec=..." of a desktop entry for a command in the registry's form (both
// entries write theirs here); empty when the command names no program.
std::string ExecLine(const std::string& command);

// The shared-mime-info package that names the type and its file-name pattern.
std::string MimePackage(const FileTypeAssociation& association);

// The desktop entry that opens collection files in the window; empty when the store's
// Open command names no program.
std::string DesktopEntry(const FileTypeAssociation& association);

// The desktop entry, hidden from menus, that runs collection files ("Run Tavrin
// Collection"); empty when the store's Run command names no program.
std::string RunDesktopEntry(const FileTypeAssociation& association);

// Whether every file UpdateDesktopIntegration writes for `association` is there.
bool DesktopFilesPresent(const XdgFolders& folders,
                         const std::optional<FileTypeAssociation>& association);

// Whether the desktop entries installed with the program (tavrin.desktop and
// tavrin_run.desktop in the first folder of $XDG_DATA_DIRS that has them) start the
// program of `command` itself: copies of the user's own would offer it twice.
bool InstalledEntriesStart(const XdgFolders& folders, const std::string& command);

// The sections of mimeapps.list that registering writes to: the type's default
// application, and the applications "Open With" offers for it.
inline constexpr char kDefaultApplications[] = "[Default Applications]";
inline constexpr char kAddedAssociations[] = "[Added Associations]";

// mimeapps.list with `desktopId` first among the applications of `type` in `section`
// (other applications listed there stay after it; every other line is kept).
std::string WithApplication(const std::string& list, const std::string& section,
                            const std::string& type, const std::string& desktopId);

// mimeapps.list without `desktopId` among the applications of `type` in `section`: a
// line left without applications goes, and so does the section's header left without
// entries. Every other line is kept. Unchanged when `desktopId` is not there.
std::string WithoutApplication(const std::string& list, const std::string& section,
                               const std::string& type, const std::string& desktopId);

// Reads mimeapps.list: its content, "" when there is none, nothing when it cannot be
// read.
using ListReader = std::function<std::optional<std::string>(const std::string& path)>;
std::optional<std::string> ReadList(const std::string& path);

// Makes mimeapps.list at `listPath` list (or, without `present`, no longer list) the
// window's entry as the type's default and both entries among its added associations.
// A list the user made read-only is left as it is. The list is read again just before
// it is replaced, and when another program has changed it meanwhile, the change is
// made again on what is there now, so that nothing the other program wrote is lost.
// Returns what could not be done, for the user, or "".
std::string UpdateListedApplications(const std::string& listPath, bool present,
                                     const ListReader& read = ReadList);

// Makes the user's desktop files match the store: with an association, writes the
// MIME package (and rebuilds the user's MIME database with update-mime-database,
// when that tool is there), the two desktop entries, and in mimeapps.list the window's
// entry as the type's default and both entries among its added associations; without
// one, removes them again, leaving everything else as it was. Nothing stops at a
// failure: the desktop integration is a convenience. Returns what could not be done,
// for the user (the first file concerned, two line feeds, what happened), or "".
std::string UpdateDesktopIntegration(const XdgFolders& folders,
                                     const std::optional<FileTypeAssociation>& association);

}  // namespace tavrin::posix

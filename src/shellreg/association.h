#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"
#include "platform/registry.h"
#include "platform/traits.h"

namespace tavrin {

// The ".tavrin" file association: the shell opens a collection file with the
// launcher (verb Open) and runs it without a window (verb Run). It is kept in the
// system's association store (the registry on Windows), under HKEY_CLASSES_ROOT:
//
//   .tavrin                      = "Tavrin"
//   Tavrin                       = "Tavrin Collection"
//   Tavrin\shell\Open\command    = "<program>" %1
//   Tavrin\shell\Run             = "&Run"
//   Tavrin\shell\Run\command     = "<program>" %1 /run
//
// It counts as present when the default value of ".tavrin" can be read and is not
// empty. Nothing here shows a message when the store refuses a change.

// Writes `value` as the value `valueName` (empty: the key's default value) of the open
// key `key`: the text with a closing NUL. Returns the store's result code.
long SetRegValue(Registry& registry, Registry::Key key, const std::string& valueName,
                 uint32_t valueType, const std::string& value);

// The text of the REG_SZ value `valueName` of `subkey` below `root`. Empty when the key
// cannot be opened, the value is missing or of another type, or it does not fit 256
// bytes (so a text longer than 255 characters reads back empty).
std::string GetRegValue(Registry& registry, Registry::Key root, const std::string& subkey,
                        const std::string& valueName);

// The program path the Windows way: the program's folder, a separator unless the
// folder already ends with one, the program's file name without extension, and
// ".exe". ("c:\" and "launch" give "c:\launch.exe".)
std::string ProgramPathFromParts(const std::string& folder, const std::string& name,
                                 char separator = '\\');

// The program path the association's commands name, from the running executable's
// full path. With the Windows rules the path is formed from the program's folder (a
// drive root keeps its backslash) and its name, as ProgramPathFromParts does;
// otherwise it is the executable's path itself.
std::string AssociationProgramPath(const std::string& executablePath,
                                   bool windowsRules = kWindowsProgramPath);

// Writes the whole association, overwriting what is there, with the current program
// path (in double quotes, so that a path with blanks names the right program; "%1"
// stays unquoted), then tells the desktop. Writes nothing when the program's own path
// cannot be found, or cannot be named by the association on this system. Returns what
// the user is to be told (why nothing was registered, or what the desktop left
// undone), or "" when all went well.
std::string RegisterFileType(Platform& platform);

// Registers the association when it is not present; when it is, makes the desktop's
// own files of it again where one of them has gone (Registry::AssociationFilesPresent).
void EnsureRegistered(Platform& platform);

// Removes ".tavrin" and "Tavrin" where they have a value (a store that refuses to
// delete a key with subkeys keeps "Tavrin"), then tells the desktop. Returns what the
// desktop left undone, for the user, or "".
std::string UnregisterFileType(Platform& platform);

// The main window's Options menu. Entry 0, "&Registry...", asks whether the program
// is to be registered: Yes registers again (with the current program path), No
// removes the association, Cancel leaves it. What could not be done is then told in a
// second box (exclamation icon, OK, the same caption). Other entries do nothing here.
void mnuOption_Click(int16_t Index, Platform& platform);

// The question of the Registry entry.
inline constexpr const char* kRegistryQuestion =
    kWindowsRules ? "The Tavrin is currently registered in Windows Registry.\n"
                    "Do you want Tavrin to be registered?"
                  : "The Tavrin is currently registered with this desktop.\n"
                    "Do you want Tavrin to be registered?";
inline constexpr char kRegistryCaption[] = "The Tavrin - Registry Option...";

}  // namespace tavrin

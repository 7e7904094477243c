#pragma once

#include <cstdint>
#include <string>

#include "collection/collection.h"

namespace tavrin {

class SystemInfo;

// The display text of a window style code; empty for codes without a name.
std::string RetWinStyle(int16_t WinStyle);

// The type line's value from a file type description: "<File not found>" when the
// description is empty (or blank), shortened to 22 characters and "..." when it
// has more than 25 without its leading blanks.
std::string TypeText(const std::string& description);

// The short account of an item's run options that the details pane shows after
// "Options: ", in the order of the run: "delay 2 s, ready tcp:127.0.0.1:8080, timeout
// 60 s, skip if running, stop on failure, 2 variables, folder /srv/app", then "1 other
// key" for keys this version does not know. A value that is not valid is named instead
// ("Delay \"soon\" is no number ..."). Empty for an item without options.
std::string OptionsSummary(const CollItem& item);

// The ten lines of the details pane for `item` at list position `ItemIndex`, joined
// by line feeds, and an eleventh, "Options: ...", for an item that has run options.
// `typeDescription` is the file type's description (empty for a missing file). Paths are shown in
// the letter case the system shows them in (SystemInfo::PathCase). The item's texts are shown as
// WindowText escapes them, so that a control character or a direction control cannot hide or
// reorder what they hold. `folder` is the folder it runs from (ItemFileFolder).
std::string DetailsText(const CollItem& item, int ItemIndex, const std::string& typeDescription,
                        const std::string& folder, SystemInfo& system);

// Whether a File box text names a program, so that waiting for it makes sense: its
// last three characters are "exe", "bat" or "com" in any letter case (no dot needed),
// or the system knows it as a program (`isProgramFile`).
bool CountsAsProgram(const std::string& text, bool isProgramFile);

// "1.04.04" for the version 1.4.4: the major part, then the minor and revision parts
// with at least two digits each.
std::string GetAppVersion(int major, int minor, int revision);

}  // namespace tavrin

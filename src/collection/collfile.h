#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "collection/collection.h"
#include "platform/platform.h"

namespace tavrin {

// Results of reading a collection file.
enum LoadResult : int16_t {
  LoadOk = 0,             // read completely, current version
  LoadNotCollection = 1,  // the first field is no known header; Items untouched
  LoadOldVersion = 2,     // read completely from an older version
  LoadFailed = 3,         // cannot be opened, or reading failed after the header
};

// Captions of the program's error boxes and questions.
inline constexpr const char* kErrorCaption = "The Tavrin - Error:";
inline constexpr const char* kQuestionCaption = "The Tavrin - Question:";

inline constexpr const char* kHeaderCurrent = "Tavrin File 1.2";
inline constexpr const char* kHeaderV11 = "Tavrin File 1.1";
inline constexpr const char* kHeaderV10 = "Tavrin File";

// Reads the collection file at `path` into state.Items. Touches neither HasItems nor
// CurrentCollFile. While state.StartingUp is true, Items is not reset first. A path
// that names no regular file (a FIFO, a device, a folder) fails at once, without
// waiting. A UTF-8 byte-order mark at the start of the file is passed over. A NUL
// byte ends the text of its field. Reading is bounded: a field of more than 1 MiB,
// reading more than 64 MiB of the file, and running out of memory are read errors
// (LoadFailed). The run options section that may follow the records is read into the
// items' options; a damaged section costs only the options from its first bad line on
// (state.OptionsBadLine), never the records or the result.
[[nodiscard]] LoadResult ReadCollectionFile(CollectionState& state, const std::string& path,
                                            FileSystem& files);

// Reads a collection from the bytes a file would hold, exactly as ReadCollectionFile
// reads that file.
[[nodiscard]] LoadResult ReadCollectionBytes(CollectionState& state, std::string_view bytes);

// Writes state.Items in the current version to ForceCollExt(path), the way the file
// system decides for that file (SaveWholeFile): a file the user may not write is left
// alone, a file with several links is rewritten in place. Returns true when the file
// was not written completely; replaced through a temporary file, the file that stood
// there before is then left as it was.
[[nodiscard]] bool SaveCollectionFile(const CollectionState& state, const std::string& path,
                                      FileSystem& files);

// Before a load of the collection at `path` (shown as `name`): where a save of it was cut
// short while it rewrote the file in place, and the complete copy of what it saved still
// stands beside it (SavedCopyPath), asks whether to load that copy instead (No unless
// Yes). Yes puts the copy's content back into the file, as a save does, and removes the
// copy; No leaves both. A copy that the file already equals is removed unasked. A copy
// beside a file that a save would not rewrite in place is no save's: it is left alone.
void OfferSavedCopy(const std::string& path, const std::string& name, Platform& platform);

// Why a collection could not be loaded, as the error box says it: the text for
// LoadNotCollection and LoadFailed, empty for the other results.
std::string LoadFailureText(int16_t code);

// What the last load found wrong with the file's run options, as the box says it;
// empty when nothing.
std::string DamagedOptionsText(const CollectionState& state);

// After a load that gave a collection: tells the user, in one error box naming
// `name`, from which line the file's run options could not be read (the records were
// loaded; the options from that line on were left out). Nothing when they all were.
void ReportDamagedOptions(const CollectionState& state, const std::string& name,
                          Platform& platform);

// Whether a collection meant for `path` may be written under its ".tavrin" name
// (ForceCollExt). When that is another file than `path` and it exists, the user is
// asked first whether to replace it, as `name` with the extension (No unless Yes).
[[nodiscard]] bool MayWriteOver(const std::string& path, const std::string& name,
                                Platform& platform);
// Asks whether the existing file `name` is to be replaced: true on Yes (No is the default).
[[nodiscard]] bool AskToReplace(const std::string& name, Platform& platform);

// Tells the user why a load did not give LoadOk, and asks the upgrade question for an
// old version. `name` is shown in the boxes; the upgrade writes to `upgradePath`
// (the name itself when empty) with the extension ".tavrin"; when that names another
// file that exists, the user is asked first whether to replace it (No by default).
// Returns true when the caller is to show the collection that was read.
bool ReportLoadResult(int16_t code, const std::string& name, const CollectionState& state,
                      Platform& platform, const std::string& upgradePath = "");

}  // namespace tavrin

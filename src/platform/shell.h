#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/program_windows.h"
#include "platform/runtime_errors.h"

namespace tavrin {

// Show-window values handed to the system for a started program.
enum ShowWindow : int {
  kSwHide = 0,
  kSwShowNormal = 1,
  kSwShowMinimized = 2,
  kSwShowMaximized = 3,
  kSwShowNoActivate = 4,
  kSwShowMinNoActive = 7,
};

// Shell result codes up to 31 are failures, 32 or more a success; these are the ones a
// POSIX shell gives.
enum ShellCode : int32_t {
  kShellFileNotFound = 2,
  kShellPathNotFound = 3,
  kShellAccessDenied = 5,
  kShellInvalidProgram = 11,
  kShellNoAssociation = 31,
  kShellSuccess = 42,  // any value of 32 or more means the shell took the file
};

// One start through the desktop shell with the verb "Open" (or "open").
struct ShellRequest {
  std::string verb = "Open";
  std::string file;    // the file part, or a whole target ("mailto:...", a folder)
  std::string params;  // parameters, split into arguments where the platform splits them
  std::string folder;  // working folder for the started program; empty: none given
  int show = kSwShowNormal;
  // The item's whole path when the file and folder above were cut from one; the
  // platform uses it where joining the two back would be ambiguous.
  std::string fullPath;
  // The folder of the collection the item belongs to. Where the platform takes relative
  // paths from the collection (POSIX), a relative path is resolved against it; empty:
  // against the launcher's current folder.
  std::string baseFolder;
  // Variables ("NAME=VALUE") set for what starts (a program, or a document's handler)
  // besides the launcher's own, in their order; a later one of a name wins.
  std::vector<std::string> env;
  // The working folder of what starts instead of its own (an existing, absolute folder);
  // empty: its own.
  std::string workDir;
  // Told the process id of a program that was started itself (not of a document's
  // handler, nor where the shell gives none), once it runs.
  std::function<void(int64_t pid)> started;
  // Told the process id of the application that opens a document, where the desktop
  // gives it: its window is the item's, but it is no program of the item's own.
  std::function<void(int64_t pid)> handlerStarted;
  // Where the program's first window is to stand (frame included), where the system
  // hands that to a program as it starts; none: where the program puts it.
  std::optional<WindowRect> place;
};

// One program started directly and waited for.
struct WaitedStart {
  std::string program;  // path of the program, or a bare name looked up on PATH
  std::string params;   // its parameters
  std::string folder;   // working folder for the program alone; ignored when it is no folder
  int show = kSwShowNormal;
  std::string baseFolder;           // as in ShellRequest
  std::vector<std::string> env;     // as in ShellRequest
  std::string workDir;              // as in ShellRequest
  std::optional<WindowRect> place;  // as in ShellRequest
  // Told the program's process id once it runs: it may outlive the wait (kWaitStopped).
  std::function<void(int64_t pid)> started;
  // Asked while the program runs, where the platform can ask it: when it answers true
  // (a stop was requested), waiting is given up and the program left running.
  std::function<bool()> stopRequested;
};

// Result codes of a waited start besides 0 (the program has ended). A program that
// cannot be started gives a runtime error number (RuntimeError) that names the reason.
enum WaitResult : int32_t {
  kWaitEnded = 0,
  kWaitFailed = -1,   // the started process could not be waited for
  kWaitStopped = -2,  // waiting was given up at a request to stop; the program goes on
};

// The scheme of an address ("https" of "https://example.org/", "mailto" of
// "mailto:me@example.org"): letters, digits, '+', '-' and '.' beginning with a letter,
// at least two of them (so that a drive, "C:", is none), before the first ':'. Empty
// when `target` is no address.
inline std::string AddressScheme(const std::string& target) {
  const auto isAlpha = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
  if (target.empty() || !isAlpha(target[0])) return "";
  for (std::size_t i = 1; i < target.size(); ++i) {
    const char c = target[i];
    if (c == ':') return i >= 2 ? target.substr(0, i) : "";
    if (!isAlpha(c) && !isDigit(c) && c != '+' && c != '-' && c != '.') return "";
  }
  return "";
}

// What an item's File names, resolved as its start resolves it: the one answer that the
// start, the check, the details pane and the item editor all go by.
struct ResolvedFile {
  enum class Kind {
    kMissing,      // names nothing that exists (`path`: where it was looked for)
    kAddress,      // an address, for its scheme's handler
    kProgram,      // a program that is started itself
    kDocument,     // anything else: a file or folder, for the application of its type
    kInvalidPath,  // names no path of this machine (a file address of another host)
  };
  Kind kind = Kind::kMissing;
  std::string path;    // the address whole; otherwise the path of what starts
  std::string folder;  // the folder it starts in; empty: none of its own
};

// Starting programs and documents.
class Shell {
 public:
  virtual ~Shell() = default;

  // What `File` names, relative paths taken from `baseFolder` where the platform takes
  // them from the collection. Here, as a system shell that decides for itself is handed
  // it: an address whole, anything else as the path it stands for.
  virtual ResolvedFile Resolve(const std::string& File, const std::string& baseFolder) {
    (void)baseFolder;
    ResolvedFile resolved;
    resolved.kind =
        AddressScheme(File).empty() ? ResolvedFile::Kind::kDocument : ResolvedFile::Kind::kAddress;
    resolved.path = File;
    return resolved;
  }

  // Hands a file to the desktop shell. Returns 32 or more on success, otherwise a
  // shell error code below 32.
  virtual int32_t ShellExecute(const ShellRequest& request) = 0;

  // Starts a program and blocks until it has ended. Returns kWaitEnded when it ran
  // and ended, kWaitFailed when it started but could not be waited for, kWaitStopped
  // when start.stopRequested answered true meanwhile, or the runtime error number of
  // why it could not be started.
  virtual int32_t ShellAndWait(const WaitedStart& start) = 0;

  // What ShellExecute would give for `request`, decided exactly as ShellExecute decides
  // it, without starting anything: 32 or more when it would start, otherwise the shell
  // error code of why not. (What shows only once a program runs, such as a damaged
  // program file, is not known here.)
  virtual int32_t CheckShellExecute(const ShellRequest& request) = 0;

  // What ShellAndWait would give for `start` before it waits, without starting
  // anything: kWaitEnded when the program would start, otherwise the runtime error
  // number of why not.
  virtual int32_t CheckShellAndWait(const WaitedStart& start) = 0;

  // The platform's description of a runtime error number. Never fails.
  virtual std::string RuntimeErrorText(int32_t code) = 0;
};

}  // namespace tavrin

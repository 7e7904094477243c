#pragma once

// What tells the platforms apart, decided once when the program is built. Everything
// else that differs between Windows and the rest lives behind the platform interfaces
// or in per-platform files that the build chooses.

namespace tavrin {

// Whether the program follows the Windows rules: paths, encodings and programs.
#ifdef _WIN32
inline constexpr bool kWindowsRules = true;
#else
inline constexpr bool kWindowsRules = false;
#endif

// The folder separator of paths: "\" on Windows, "/" elsewhere.
inline constexpr char kNativeSeparator = kWindowsRules ? '\\' : '/';

// Whether file names ignore letter case, so that a path may be shown and stored in
// lower case without naming another file.
inline constexpr bool kPathsIgnoreCase = kWindowsRules;

// How the bytes of a text are taken apart into characters: UTF-8 on POSIX, one byte a
// character in the single-byte code page of Windows.
enum class TextEncoding { kUtf8, kSingleByte };
inline constexpr TextEncoding kNativeEncoding =
    kWindowsRules ? TextEncoding::kSingleByte : TextEncoding::kUtf8;

// Whether the program's own path is formed the Windows way (folder, name, ".exe") for
// the commands of the file association.
inline constexpr bool kWindowsProgramPath = kWindowsRules;

// Whether files count as programs by their permission, not by their names alone: where
// programs mostly have no extension.
inline constexpr bool kProgramsByPermission = !kWindowsRules;

// The exit status of a run that a termination request stopped: 128 and the signal's
// number where signals end programs; on Windows the status the console gives a program
// it ends (0xC000013A, STATUS_CONTROL_C_EXIT), whichever way it was asked.
inline constexpr int StoppedRunStatus(int signal) {
  return kWindowsRules ? static_cast<int>(0xC000013AU) : 128 + signal;
}

}  // namespace tavrin

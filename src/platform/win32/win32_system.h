#pragma once

#include <deque>
#include <memory>
#include <string>
#include <utility>

#include "platform/system.h"
#include "platform/win32/win32_program_windows.h"

namespace tavrin::win32 {

// The text the process was started with, as the system keeps it (GetCommandLineA):
// the program's path, quoted or not, followed by whatever was passed.
std::string ProcessCommandLine();

// Text of the ANSI code page as UTF-8; the text unchanged when it cannot be converted.
std::string AnsiToUtf8(const std::string& text);

// Program information on Windows: the collection folder is the executable's folder,
// type descriptions come from the shell.
class Win32SystemInfo : public SystemInfo {
 public:
  std::string CollectionFolder() override;
  std::string ExecutablePath() override;
  std::string WindowPlaceFile() override;
  bool KeepWindowPlaceElsewhere(const std::string& place) override;
  std::string WindowPlaceKeptElsewhere() override;
  std::string FileTypeDescription(const std::string& path) override;
  // Lower case through CharLowerBuffA, letters of the ANSI code page included.
  std::string PathCase(const std::string& path) override;
  std::string GetEnvironment(const std::string& name) override;
  void SetEnvironment(const std::string& name, const std::string& value) override;
  void Pause(long ms) override;
  // Winsock, a non-blocking connect given up after `timeoutMs`.
  bool TcpAnswers(const std::string& host, int port, int timeoutMs) override;
  // EnumWindows: a visible window without owner of another process whose title holds
  // `text` (this program's own windows, as a run's progress, never count).
  std::optional<bool> VisibleWindowTitled(const std::string& text) override;
  // A process of this user whose image is `path`, letter case ignored.
  bool ProgramRunning(const std::string& path) override;
  // The process's creation time.
  std::string ProcessStartMark(int64_t pid) override;
  // At the start, a handle to the program is also kept, so that how it ends can be asked
  // (ChildEnded) and its number is not given to another process meanwhile.
  std::string ChildStartMark(int64_t pid, MarkTime when) override;
  // GetExitCodeProcess through the handle kept at the start.
  std::optional<ChildEnd> ChildEnded(int64_t pid) override;
  bool StartRuns(int64_t pid, const std::string& mark) override;
  void EndStart(int64_t pid, const std::string& mark, bool force) override;
  // %LOCALAPPDATA%\Tavrin\runs.
  std::string RunRecordFolder() override;
  // The file "lock" in the folder, opened for nobody else meanwhile.
  std::unique_ptr<RecordsLock> LockRunRecords(const std::string& folder) override;
  ProgramWindows& Windows() override { return windows_; }

 private:
  // The programs started last, by number, with a handle to each (the newest last).
  std::deque<std::pair<int64_t, std::shared_ptr<void>>> children_;
  Win32ProgramWindows windows_;
};

}  // namespace tavrin::win32

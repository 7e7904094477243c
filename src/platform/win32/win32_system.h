#pragma once

#include <string>

#include "platform/system.h"

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
  // EnumWindows: a visible window without owner whose title holds `text`.
  std::optional<bool> VisibleWindowTitled(const std::string& text) override;
  // A process of this user whose image is `path`, letter case ignored.
  bool ProgramRunning(const std::string& path) override;
  // The process's creation time.
  std::string ProcessStartMark(int64_t pid) override;
  bool StartRuns(int64_t pid, const std::string& mark) override;
  void EndStart(int64_t pid, const std::string& mark, bool force) override;
  // %LOCALAPPDATA%\Tavrin\runs.
  std::string RunRecordFolder() override;
};

}  // namespace tavrin::win32

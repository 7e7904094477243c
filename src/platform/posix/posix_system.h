#pragma once

#include <memory>

#include "platform/posix/sway_program_windows.h"
#include "platform/posix/x11_program_windows.h"
#include "platform/system.h"

namespace tavrin::posix {

// Call before the first look at a file's type (see the definition for why).
void SettleMimeFolders();

// Program information on POSIX: the collection folder under the user's data folder,
// the executable from /proc, type descriptions from GIO.
class PosixSystemInfo : public SystemInfo {
 public:
  std::string CollectionFolder() override;
  std::string ExecutablePath() override;
  std::vector<ExampleItem> ExampleItems() override;
  std::string WindowPlaceFile() override;
  std::string FileTypeDescription(const std::string& path) override;
  std::string GetEnvironment(const std::string& name) override;
  void SetEnvironment(const std::string& name, const std::string& value) override;
  // nanosleep: a caught signal ends it early.
  void Pause(long ms) override;
  bool TcpAnswers(const std::string& host, int port, int timeoutMs) override;
  // As the desktop's windows (Windows) answer.
  std::optional<bool> VisibleWindowTitled(const std::string& text) override;
  // /proc: a process of this user whose executable is `path`, or whose interpreter (the
  // script's "#!" line) runs `path`.
  bool ProgramRunning(const std::string& path) override;
  // "START:SEEN:BOOT": the start time in /proc/PID/stat, now, and the kernel's boot
  // identity.
  std::string ProcessStartMark(int64_t pid) override;
  // At the end of the run: a child keeps its number until it is reaped, and reading
  // /proc while it starts would cost each start more than the start itself does.
  std::string ChildStartMark(int64_t pid, MarkTime when) override;
  // From the status kept as the child was reaped (DetachedChildStatus).
  std::optional<ChildEnd> ChildEnded(int64_t pid) override;
  bool StartRuns(int64_t pid, const std::string& mark) override;
  void EndStart(int64_t pid, const std::string& mark, bool force) override;
  // $XDG_RUNTIME_DIR/tavrin, or /tmp/tavrin-UID without it: mode 0700, this user's.
  std::string RunRecordFolder() override;
  // flock on the folder.
  std::unique_ptr<RecordsLock> LockRunRecords(const std::string& folder) override;
  // The desktop's, chosen once from the environment: sway through its IPC (SWAYSOCK);
  // the X server's (DISPLAY), on a Wayland desktop (WAYLAND_DISPLAY) only its X
  // windows; none without either.
  ProgramWindows& Windows() override;

 private:
  std::unique_ptr<ProgramWindows> windows_;
};

}  // namespace tavrin::posix

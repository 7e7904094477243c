#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/program_windows.h"
#include "platform/traits.h"

namespace tavrin {

// Program information and file type descriptions.
class SystemInfo {
 public:
  virtual ~SystemInfo() = default;

  // The folder that holds the collection files: TAVRIN_HOME when set; otherwise the
  // executable's folder on Windows and $XDG_DATA_HOME/tavrin elsewhere (created
  // when missing). Without a closing separator.
  virtual std::string CollectionFolder() = 0;

  // The full path of the running executable.
  virtual std::string ExecutablePath() = 0;

  // The items of the example collection that the first start puts into a new, empty
  // collection folder: things that open on a plain desktop of this system, each a name
  // and a file. None where the program's own folder brings its example (Windows).
  struct ExampleItem {
    std::string name;
    std::string file;
  };
  virtual std::vector<ExampleItem> ExampleItems() { return {}; }

  // The file that keeps the main window's place for this user, its folder made when
  // missing: under $XDG_CONFIG_HOME/tavrin on Linux, beside the collections on Windows;
  // empty where there is none.
  virtual std::string WindowPlaceFile() { return ""; }
  // Where that file cannot be written: keeps the window's place for this user elsewhere
  // (the user's registry key on Windows), or reads it back from there; false, or empty,
  // where there is no such place.
  virtual bool KeepWindowPlaceElsewhere(const std::string& place) {
    (void)place;
    return false;
  }
  virtual std::string WindowPlaceKeptElsewhere() { return ""; }

  // A short human-readable description of the file's type; empty when the file
  // does not exist.
  virtual std::string FileTypeDescription(const std::string& path) = 0;

  // The value of this process's environment variable `name`, which what it starts
  // inherits; empty when it is not set.
  virtual std::string GetEnvironment(const std::string& name) = 0;

  // Sets this process's environment variable `name` to `value` (for what it starts from
  // now on); an empty value removes it.
  virtual void SetEnvironment(const std::string& name, const std::string& value) = 0;

  // `path` in the letter case the program shows it in (error boxes, a browsed file).
  // Where file names ignore case (Windows) that is lower case, as the system lower-cases
  // its ANSI code page: in code page 1252 the capital E with acute (byte 0xC9) becomes
  // the small one (0xE9), as A becomes a. Where case tells files apart (POSIX) a
  // lower-cased path would name another file, so the path is given back as it is.
  virtual std::string PathCase(const std::string& path) { return path; }

  // A clock that only goes forward, in milliseconds from any start.
  virtual int64_t SteadyMilliseconds() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
  }

  // Sleeps about `ms` milliseconds; a signal that comes may end the sleep early.
  virtual void Pause(long ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

  // Whether a TCP connection to `host`:`port` succeeds within `timeoutMs` (it is closed
  // at once). Systems that cannot tell answer false.
  virtual bool TcpAnswers(const std::string& host, int port, int timeoutMs) {
    (void)host, (void)port, (void)timeoutMs;
    return false;
  }

  // Whether a process of this user runs the program file at `path` (an absolute path, as
  // Shell::Resolve gives it): its executable, or the script its interpreter runs. Systems
  // that cannot tell answer false.
  virtual bool ProgramRunning(const std::string& path) {
    (void)path;
    return false;
  }

  // A text that tells this process `pid` from any later one given the same number (its
  // start time); empty when no process `pid` runs.
  virtual std::string ProcessStartMark(int64_t pid) {
    (void)pid;
    return "";
  }

  // When a run takes the start mark of a program it started (ChildStartMark).
  enum class MarkTime { kAtStart, kAtRunEnd };

  // The start mark of `pid`, a program this process has started, taken `when`: each
  // system answers at the one moment it can answer both surely and cheaply, and gives an
  // empty mark at the other, as it does for a program that has ended. Here right after
  // the start, while the number is surely the program's own.
  virtual std::string ChildStartMark(int64_t pid, MarkTime when) {
    return when == MarkTime::kAtStart ? ProcessStartMark(pid) : "";
  }

  // How a program ended: its exit status, or the signal that ended it.
  struct ChildEnd {
    bool signalled = false;
    int64_t value = 0;  // the status (Windows: the exit code), or the signal's number
    bool Failed() const { return signalled || value != 0; }
  };

  // How the program `pid` that this process started without waiting for it (its number
  // as ShellRequest::started told it, its mark taken kAtStart) has ended; nothing while
  // it runs, and where the system cannot tell.
  virtual std::optional<ChildEnd> ChildEnded(int64_t pid) {
    (void)pid;
    return std::nullopt;
  }

  // Whether what was started as process `pid`, marked `mark` (ProcessStartMark), still
  // runs: that process, or on POSIX a process of the process group it leads while that
  // group cannot be another's (its number cannot have been given to another process
  // since the mark was taken). A process that now has the number but another mark is no
  // longer it, and a mark from before the system last started matches nothing.
  virtual bool StartRuns(int64_t pid, const std::string& mark) {
    (void)pid, (void)mark;
    return false;
  }

  // Asks what was started as `pid`, marked `mark`, to end (POSIX: SIGTERM to the
  // process group it leads; Windows: WM_CLOSE to its top-level windows), or with `force`
  // ends it (SIGKILL, TerminateProcess). Nothing when StartRuns says it no longer runs.
  virtual void EndStart(int64_t pid, const std::string& mark, bool force) {
    (void)pid, (void)mark, (void)force;
  }

  // The folder that keeps what runs started, this user's alone (created when missing);
  // empty where there is none.
  virtual std::string RunRecordFolder() { return ""; }

  // Held while one process reads, merges and writes the records of `folder`
  // (RunRecordFolder), so that two at once lose nothing; let go when it goes.
  class RecordsLock {
   public:
    virtual ~RecordsLock() = default;
  };

  // Takes the records' lock, waiting a few seconds at most for another process to let
  // it go; null when it cannot be had.
  virtual std::unique_ptr<RecordsLock> LockRunRecords(const std::string& folder) {
    (void)folder;
    return std::make_unique<RecordsLock>();
  }

  // The windows of other programs on this desktop. Here: a desktop that lets nothing be
  // done with them.
  virtual ProgramWindows& Windows() {
    static ProgramWindows none;
    return none;
  }

  // Whether a visible top-level window whose title holds `text` exists; nothing where the
  // desktop cannot be asked (no window system, or none that lists its windows).
  virtual std::optional<bool> VisibleWindowTitled(const std::string& text) {
    (void)text;
    return std::nullopt;
  }
};

}  // namespace tavrin

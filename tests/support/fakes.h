#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "collection/collection.h"
#include "memory_registry.h"
#include "printers.h"
#ifdef _WIN32
#include "platform/win32/win32_files.h"
#else
#include "platform/posix/posix_files.h"
#endif
#include "platform/file_dialogs.h"
#include "platform/platform.h"
#include "platform/traits.h"

namespace tavrin::testing {

// The file system of the platform the tests were built for.
#ifdef _WIN32
using NativeFileSystem = win32::Win32FileSystem;
#else
using NativeFileSystem = PosixFileSystem;
#endif

inline CollItem Item(std::string name, std::string file, std::string params = "",
                     int16_t style = kStyleNormal, int16_t wait = kFalse) {
  return CollItem{std::move(file), std::move(name), std::move(params), style, wait, {}};
}

// `item` with the run options `options`.
inline CollItem With(CollItem item, std::vector<ItemOption> options) {
  item.Options = std::move(options);
  return item;
}

// The bytes of a collection file of the current version holding `items`, with the
// section of run options after the records when any item has some.
// A field in double quotes, a double quote in it doubled.
inline std::string FieldText(const std::string& text) {
  std::string quoted = "\"";
  for (const char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

inline std::string CollectionText(const std::vector<CollItem>& items) {
  std::string text = "\"Tavrin File 1.2\"\r\n" + std::to_string(items.size() - 1) + "\r\n";
  std::string options;
  int lines = 0;
  for (std::size_t n = 0; n < items.size(); ++n) {
    const CollItem& i = items[n];
    text += FieldText(i.ItemName) + "," + FieldText(i.File) + "," + FieldText(i.Params) + "," +
            std::to_string(i.WinStyle) + (i.Wait ? ",#TRUE#\r\n" : ",#FALSE#\r\n");
    for (const ItemOption& o : i.Options) {
      options += std::to_string(n) + "," + FieldText(o.Key) + "," + FieldText(o.Value) + "\r\n";
      ++lines;
    }
  }
  if (lines == 0) return text;
  return text + "\"Tavrin Options 1\"\r\n" + std::to_string(lines - 1) + "\r\n" + options;
}

// A program's path in the platform's form ("/bin/<name>", "\\bin\\<name>"): its file
// part is `name`.
inline std::string BinPath(const std::string& name) {
  const std::string sep(1, kNativeSeparator);
  return sep + "bin" + sep + name;
}

// The bytes of a collection file of items named `names`, each starting BinPath(name).
inline std::string CollectionOfNames(const std::vector<std::string>& names) {
  std::vector<CollItem> items;
  for (const auto& name : names) items.push_back(Item(name, BinPath(name)));
  return CollectionText(items);
}

// Takes the next answer of a script, or `otherwise` when it has run out.
template <typename T>
T Next(std::deque<T>& script, T otherwise) {
  if (script.empty()) return otherwise;
  T next = script.front();
  script.pop_front();
  return next;
}

// How `boxes` shows an error box.
inline const std::string kErrorBox = "The Tavrin - Error: (16) ";

// Records every box and answers from a script (OK, or No for questions, when the
// script has run out).
class ScriptedToolkit : public Toolkit {
 public:
  int MsgBox(const std::string& text, int style, const std::string& caption) override {
    boxes.push_back(caption + " (" + std::to_string(style) + ") " + text);
    if (during) during();
    return Next(answers, UnattendedAnswer(style));
  }
  void DoEvents() override { ++eventPasses; }
  bool DoEventsFor(long ms) override { return eventsFor && eventsFor(ms); }

  std::function<bool(long ms)> eventsFor;  // a wait in the event loop; none: no loop
  std::function<void()> during;            // run while a box "is shown"
  std::deque<int> answers;
  std::vector<std::string> boxes;  // each as "<caption> (<style>) <text>"
  int eventPasses = 0;
};

// Records shell starts and answers them from a script (success when it has run out).
class RecordingShell : public Shell {
 public:
  // A bare name found on the search path, as `onPath` maps it to its program.
  ResolvedFile Resolve(const std::string& File, const std::string& baseFolder) override {
    const auto found = onPath.find(File);
    if (found == onPath.end()) return Shell::Resolve(File, baseFolder);
    return {ResolvedFile::Kind::kProgram, found->second, ""};
  }
  std::map<std::string, std::string> onPath;
  int32_t ShellExecute(const ShellRequest& r) override { return Record(r, ""); }
  int32_t ShellAndWait(const WaitedStart& start) override { return Record(start, ""); }
  int32_t CheckShellExecute(const ShellRequest& r) override { return Record(r, "check "); }
  int32_t CheckShellAndWait(const WaitedStart& start) override { return Record(start, "check "); }
  std::string RuntimeErrorText(int32_t code) override {
    return "runtime error " + std::to_string(code);
  }

  // What the shell was asked, by starts and checks alike.
  std::vector<ShellRequest> shellStarts;
  std::vector<WaitedStart> waitedStarts;
  std::deque<int32_t> results;  // in call order, shared by every kind of call
  // Every call in order, as "shell:<file>" or "wait:<program>", checks as
  // "check shell:<file>" or "check wait:<program>".
  std::vector<std::string> calls;
  // Runs while a start is under way (a waited program runs), to see the windows then.
  std::function<void()> during;
  // Told of every start, before `during`.
  std::function<void()> onStart;
  // The process numbers that starts of programs not waited for are told, in order.
  std::deque<int64_t> pids;

 private:
  int32_t Record(const ShellRequest& request, const std::string& kind) {
    shellStarts.push_back(request);
    calls.push_back(kind + "shell:" + request.file);
    if (kind.empty()) {
      if (onStart) onStart();
      if (request.started && !pids.empty()) request.started(Next(pids, int64_t{0}));
      if (during) during();
    }
    return Next(results, int32_t{kShellSuccess});
  }
  int32_t Record(const WaitedStart& start, const std::string& kind) {
    waitedStarts.push_back(start);
    calls.push_back(kind + "wait:" + start.program);
    if (onStart && kind.empty()) onStart();
    if (during && kind.empty()) during();
    return Next(results, int32_t{kWaitEnded});
  }
};

// A desktop whose windows appear when a test says: each started process shows its
// windows in turn (a splash, then the real one), from the given times on.
class FakeProgramWindows : public ProgramWindows {
 public:
  struct Shown {
    WindowHandle window;
    int64_t from, until;  // shown while from <= now < until
  };
  explicit FakeProgramWindows(const int64_t& now) : now_(now) {}
  Abilities Can() override { return can; }
  WindowHandle FocusedWindow() override { return focused; }
  WindowHandle FirstWindowOf(int64_t pid) override {
    for (const Shown& shown : windows[pid]) {
      if (shown.from <= now_ && now_ < shown.until) return shown.window;
    }
    return 0;
  }
  bool Apply(WindowHandle window, const WindowWish& wish) override {
    applied.push_back({window, wish});
    movedBack.erase(window);
    return true;
  }
  bool Holds(WindowHandle window, const WindowWish&) override {
    return movedBack.count(window) == 0;
  }
  std::optional<std::vector<OpenWindow>> OpenWindows() override { return open; }

  Abilities can{true, true, true, true};
  WindowHandle focused = 0;
  std::map<int64_t, std::vector<Shown>> windows;  // per process, its windows in order
  std::set<WindowHandle> movedBack;               // windows their program has moved back
  std::vector<std::pair<WindowHandle, WindowWish>> applied;
  std::optional<std::vector<OpenWindow>> open;  // what a capture finds; none: cannot list

 private:
  const int64_t& now_;
};

// Fixed answers for program information.
class FakeSystemInfo : public SystemInfo {
 public:
  std::string CollectionFolder() override { return collectionFolder; }
  std::string ExecutablePath() override { return executablePath; }
  std::vector<ExampleItem> ExampleItems() override { return exampleItems; }
  std::string WindowPlaceFile() override { return windowPlaceFile; }
  bool KeepWindowPlaceElsewhere(const std::string& place) override {
    placeElsewhere = place;
    return true;
  }
  std::string WindowPlaceKeptElsewhere() override { return placeElsewhere; }
  std::string FileTypeDescription(const std::string&) override { return description; }
  // Lower case where file names ignore case, as the Windows code page lowers its letters
  // (A to Z, and the capitals of 0xC0 to 0xDE but the multiplication sign).
  std::string PathCase(const std::string& path) override {
    std::string shown = path;
    for (char& c : shown) {
      const auto b = static_cast<unsigned char>(c);
      const bool capital = (b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE && b != 0xD7);
      if (kPathsIgnoreCase && capital) c = static_cast<char>(b + 0x20);
    }
    return shown;
  }
  std::string GetEnvironment(const std::string& name) override {
    const auto it = environment.find(name);
    return it == environment.end() ? "" : it->second;
  }
  void SetEnvironment(const std::string& name, const std::string& value) override {
    if (value.empty()) {
      environment.erase(name);
    } else {
      environment[name] = value;
    }
  }

  // A clock that moves only when the run pauses; readiness answers from it.
  int64_t SteadyMilliseconds() override { return now; }
  void Pause(long ms) override {
    now += ms;
    if (duringPause) duringPause(now);
  }
  bool TcpAnswers(const std::string&, int, int) override {
    return portTaken || (started && now >= readyAt);
  }
  std::optional<ChildEnd> ChildEnded(int64_t pid) override {
    const auto it = ends.find(pid);
    if (it == ends.end() || now < it->second.first) return std::nullopt;
    return it->second.second;
  }
  std::optional<bool> VisibleWindowTitled(const std::string&) override {
    if (!windowsKnown) return std::nullopt;
    return now >= readyAt;
  }
  bool ProgramRunning(const std::string& path) override { return running.count(path) != 0; }
  std::string ProcessStartMark(int64_t pid) override {
    const auto it = processes.find(pid);
    return it == processes.end() ? "" : it->second;
  }
  bool StartRuns(int64_t pid, const std::string& mark) override {
    return !mark.empty() && ProcessStartMark(pid) == mark;
  }
  void EndStart(int64_t pid, const std::string& mark, bool force) override {
    if (StartRuns(pid, mark) && (force || ignoresEnd.count(pid) == 0)) processes.erase(pid);
  }
  std::string RunRecordFolder() override { return recordFolder; }
  ProgramWindows& Windows() override { return programWindows; }

  int64_t now = 0;
  FakeProgramWindows programWindows{now};
  int64_t readyAt = 0;     // from when a port answers and a window shows
  bool started = false;    // something was started: ports may answer
  bool portTaken = false;  // something else answers, before any start
  std::map<int64_t, std::pair<int64_t, ChildEnd>> ends;  // how and when started programs end
  bool windowsKnown = true;                        // false: the desktop cannot be asked for windows
  std::function<void(int64_t)> duringPause;        // told the time after each pause
  std::set<std::string> running;                   // the programs that run already
  std::map<int64_t, std::string> processes;        // what runs: pid and start mark
  std::set<int64_t> ignoresEnd;                    // ended only by force
  std::string recordFolder;                        // where runs are recorded; empty: nowhere
  std::map<std::string, std::string> environment;  // starts empty, whatever the real one holds
  std::string collectionFolder = "/tmp";
  std::string executablePath = "/usr/bin/tavrin";
  std::string description = "Plain text document";
  std::vector<ExampleItem> exampleItems;  // none, as where the program brings its own
  std::string windowPlaceFile;            // none: the place is kept in placeElsewhere
  std::string placeElsewhere;
};

// Answers file dialogs from a script and records what they were asked to show.
class ScriptedFileDialogs : public FileDialogs {
 public:
  struct Answer {
    bool ok;
    std::string path;
  };
  bool Show(const FileDialogRequest& request, std::string& chosen) override {
    requests.push_back(request);
    if (during) during();
    const Answer answer = Next(answers, Answer{false, ""});
    if (answer.ok) chosen = answer.path;
    return answer.ok;
  }

  std::function<void()> during;  // run while the dialog "is shown"
  std::deque<Answer> answers;    // cancelled when empty
  std::vector<FileDialogRequest> requests;
};

// A whole platform of fakes, over the native file system.
struct FakePlatform {
  ScriptedToolkit toolkit;
  RecordingShell shell;
  FakeSystemInfo system;
  NativeFileSystem files;
  MemoryRegistry registry;
  Platform platform{toolkit, shell, files, system, registry};
  FakePlatform() {
    shell.onStart = [this] { system.started = true; };
  }
  FakePlatform(const FakePlatform&) = delete;
  FakePlatform& operator=(const FakePlatform&) = delete;
};

}  // namespace tavrin::testing

#include "main/options.h"

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <system_error>

#include "collection/collfile.h"
#include "collection/paths.h"
#include "collection/run_options.h"
#include "launch/capture.h"
#include "launch/launch.h"
#include "launch/run_records.h"
#include "launch/run_waits.h"
#include "launch/window_placement.h"
#include "main/startup.h"
#include "platform/text_encoding.h"
#include "tavrin/version.h"

namespace tavrin {
namespace {

int ShowHelp(const OptionCall&, OptionContext& context);
int ShowVersion(const OptionCall&, OptionContext& context);
int ListCollection(const OptionCall& call, OptionContext& context);
int CheckCollection(const OptionCall& call, OptionContext& context);
int StopCollection(const OptionCall& call, OptionContext& context);
int CaptureCollection(const OptionCall& call, OptionContext& context);
int EnableAutostart(const OptionCall& call, OptionContext& context);
int DisableAutostart(const OptionCall& call, OptionContext& context);

constexpr OptionEntry kOptions[] = {
    {"--list", nullptr, "FILE", nullptr,
     "print the items of FILE, one a line: position, name, file, parameters, wait "
     "(true or false), style (0 to 5), then each run option as one more field "
     "KEY=VALUE, separated by tabs; tabs, line breaks, backslashes and other control "
     "characters in them are written \\t, \\n, \\\\, \\xHH",
     &ListCollection},
    {"--json", nullptr, nullptr, "--list",
     "with --list: print the items as a JSON array, one object per item with the members "
     "position, name, file, parameters, wait, style and options (an array of objects with "
     "the members key and value)",
     nullptr},
    {"--check", nullptr, "FILE", nullptr,
     "find what running FILE would start, without starting anything, and print one "
     "line per item: position, name and \"ok\", \"running\" (a program that already "
     "runs and is not started again) or why it would not start (its run options "
     "included, and \"would not start\" after an item that fails and has StopOnFailure), "
     "separated by tabs and escaped as --list does; then, when some item would not start, "
     "a last line on standard error counts them as a run does; exit status 1 when some "
     "item would not start",
     &CheckCollection},
    {"--stop", nullptr, "FILE", nullptr,
     "end the programs that runs of FILE started and that still run (never a process "
     "that merely got the same number), waiting up to 10 seconds, and print one line per "
     "item: position, name and \"stopped\", \"had ended\", \"still running\" or "
     "\"not tracked\" (a document or an address); exit status 1 when any still runs",
     &StopCollection},
    {"--force", nullptr, nullptr, "--stop",
     "with --stop: then end at once what did not end when asked", nullptr},
    {"--capture", nullptr, "FILE", nullptr,
     "write a new collection FILE of the programs whose windows are open now (X11, sway "
     "and Windows): one item per program, with its parameters, working folder, window "
     "style, Place and Desktop, named after its window's title; print its items as "
     "--list does, and each window left out on standard error; nothing is started. "
     "Exit status 2 when FILE exists (it is never replaced), the windows cannot be "
     "listed or none is open",
     &CaptureCollection},
    {"--autostart", nullptr, "FILE", nullptr,
     "run FILE at every login, and print where that was written", &EnableAutostart},
    {"--no-autostart", nullptr, "FILE", nullptr, "no longer run FILE at login", &DisableAutostart},
    {"--help", "-h", nullptr, nullptr, "show this help", &ShowHelp},
    {"--version", "-v", nullptr, nullptr, "show the version", &ShowVersion},
};

const OptionEntry* FindOption(const std::string& word) {
  for (const auto& option : kOptions) {
    if (word == option.name || (option.shortName != nullptr && word == option.shortName))
      return &option;
  }
  return nullptr;
}

bool Is(const OptionEntry* option, int (*run)(const OptionCall&, OptionContext&)) {
  return option != nullptr && option->run == run;
}

// "--list [--json] FILE": an action with its flags and operand.
std::string Synopsis(const OptionEntry& action) {
  std::string text = action.name;
  for (const auto& flag : kOptions) {
    if (flag.goesWith != nullptr && std::string(flag.goesWith) == action.name) {
      text += " [" + std::string(flag.name) + "]";
    }
  }
  if (action.operand != nullptr) text += " " + std::string(action.operand);
  return text;
}

// How a word of the command line is quoted in a message.
std::string Quoted(const std::string& word) { return "'" + LineText(word) + "'"; }

// The full path of `path`, with "." and doubled separators taken out; a path that
// climbs with ".." is resolved through the file system, where links decide where
// it leads.
std::string FullPath(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path given(path);
  fs::path full = fs::absolute(given, ec);
  if (ec) return path;
  const bool climbs =
      std::any_of(given.begin(), given.end(), [](const fs::path& part) { return part == ".."; });
  if (climbs) {
    const fs::path resolved = fs::weakly_canonical(full, ec);
    if (!ec) return resolved.string();
  }
  return full.lexically_normal().string();
}

// Reads the collection for an option; says why on standard error when it cannot be
// loaded. An old version is read without the question to upgrade it.
bool LoadForOption(const std::string& path, CollectionState& state, OptionContext& context) {
  const LoadResult result = ReadCollectionFile(state, path, context.files);
  const std::string why = LoadFailureText(result);
  if (why.empty()) {
    const std::string damage = DamagedOptionsText(state);
    if (!damage.empty()) context.err << "tavrin: " << LineText(path) << ": " << damage << "\n";
    return true;
  }
  context.err << "tavrin: " << LineText(path) << ": " << why << "\n";
  return false;
}

// `text` in lines of at most 79 columns, each but the first indented by `indent`
// blanks; the first starts at column `indent`.
std::string Wrapped(const std::string& text, std::size_t indent) {
  constexpr std::size_t kWidth = 79;
  std::string out;
  std::size_t column = indent;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(' ', start);
    if (end == std::string::npos) end = text.size();
    const std::string word = text.substr(start, end - start);
    if (column > indent && column + 1 + word.size() > kWidth) {
      out += "\n" + std::string(indent, ' ');
      column = indent;
    } else if (column > indent) {
      out += ' ';
      ++column;
    }
    out += word;
    column += word.size();
    start = end + 1;
  }
  return out + "\n";
}

int ShowHelp(const OptionCall&, OptionContext& context) {
  std::string text =
      "Usage: tavrin [FILE [/run]]\n"
      "Starts the programs and documents of a Tavrin collection.\n"
      "\n"
      "  tavrin              open the main window\n"
      "  tavrin FILE         open the main window with the collection FILE\n"
      "  tavrin FILE /run    start every item of FILE in order, with no main window\n"
      "\n"
      "With a display, a run also shows each failure in a message box, and a wait of\n"
      "more than a second in a small progress window; without one, both go to\n"
      "standard error.\n"
      "\n"
      "A run follows each item's run options: Delay (milliseconds to wait before it\n"
      "starts), WaitReady (tcp:HOST:PORT, file:PATH or window:TEXT, what must be ready\n"
      "before the next item starts) with Timeout (milliseconds, 30000 when not given),\n"
      "SkipIfRunning (1: not started while a process of yours runs its program),\n"
      "StopOnFailure (1: nothing after the item starts when it fails), Env (NAME=VALUE\n"
      "for its process, as often as needed) and WorkDir (its working folder). When\n"
      "anything failed or was skipped, run mode ends with the line\n"
      "  tavrin: FILE: N of M items started, S skipped, F failed\n"
      "Every run notes the programs it started, for --stop.\n"
      "\n"
      "An item's first window gets its window style, Place (X,Y,W,H: the frame as you\n"
      "see it) and Desktop (a workspace from 1) once it shows: on X11 and sway all\n"
      "three, on Windows the style and Place; on other Wayland desktops only X11\n"
      "programs get them, and window: waits fail there. --check says what is not\n"
      "applied here.\n"
      "\n"
      "Options:\n";
  for (const auto& option : kOptions) {
    std::string synopsis = option.shortName != nullptr
                               ? std::string(option.shortName) + ", " + option.name
                               : std::string(option.name);
    if (option.operand != nullptr) synopsis += " " + std::string(option.operand);
    text += "  " + synopsis;
    text +=
        synopsis.size() < 20 ? std::string(20 - synopsis.size(), ' ') : "\n" + std::string(22, ' ');
    text += Wrapped(option.help, 22);
  }
  text +=
      "  --                  end of the options: the words after it are a file name\n"
      "\n";
#ifndef _WIN32
  text += "The main window also takes Qt's own options (-style NAME, -platform NAME, ...).\n\n";
#endif
  text +=
      "Environment:\n"
      "  TAVRIN_HOME         the collection folder, instead of the usual one\n"
      "  TAVRIN_BOXES_TO_STDERR=1\n"
      "                      write message boxes to standard error instead of showing\n"
      "                      them; a question is then answered No\n"
      "\n"
      "A run also writes each failure as one line on standard error:\n"
      "  tavrin: FILE: item N \"NAME\": REASON   an item that did not start\n"
      "  tavrin: FILE: REASON                  a collection that could not be run\n"
      "\n"
      "Exit status:\n"
      "  0       every item started (or the window was closed, or the option did its\n"
      "          work)\n"
      "  1       some item failed (with --check: would fail) to start, or an autostart\n"
      "          entry could not be written or removed\n"
      "  2       the collection could not be loaded, the command line is wrong, or the\n"
      "          main window cannot open (it says why)\n";
#ifdef _WIN32
  text +=
      "  0xC000013A\n"
      "          the run was stopped by Ctrl+C, Ctrl+Break or its console closing\n";
#else
  text += "  128+N   the window's run was stopped by signal N (143: SIGTERM)\n";
#endif
  text += "\n";
#ifdef _WIN32
  text +=
      "More in README.txt, beside tavrin.exe, and in docs/ of\n"
      "https://github.com/tavrin/tavrin\n";
#else
  text +=
      "More in the manual page (man tavrin) and in docs/ of\n"
      "https://github.com/tavrin/tavrin\n";
#endif
  context.out << text;
  return kExitOk;
}

int ShowVersion(const OptionCall&, OptionContext& context) {
  context.out << "tavrin " << kVersionText << "\n";
  return kExitOk;
}

// One line per item, its fields separated by tabs and escaped so that a script can
// split them; or a JSON array of one object per item.
std::string ListText(const CollectionState& state, bool json, const OptionContext& context) {
  const auto utf8 = [&](const std::string& text) {
    return JsonString(context.toUtf8 ? context.toUtf8(text) : text);
  };
  std::string out = json ? "[" : "";
  for (std::size_t i = 0; i < state.Items.size(); ++i) {
    const CollItem& item = state.Items[i];
    const std::string position = std::to_string(i + 1);
    const std::string wait = item.Wait != 0 ? "true" : "false";
    const std::string style = std::to_string(item.WinStyle);
    if (json) {
      std::string options;
      for (const ItemOption& option : item.Options) {
        options += std::string(options.empty() ? "" : ", ") + "{\"key\": " + utf8(option.Key) +
                   ", \"value\": " + utf8(option.Value) + "}";
      }
      out += std::string(i == 0 ? "\n" : ",\n") + "  {\"position\": " + position +
             ", \"name\": " + utf8(item.ItemName) + ", \"file\": " + utf8(item.File) +
             ", \"parameters\": " + utf8(item.Params) + ", \"wait\": " + wait +
             ", \"style\": " + style + ", \"options\": [" + options + "]}";
    } else {
      out += position + "\t" + EscapeControls(item.ItemName) + "\t" + EscapeControls(item.File) +
             "\t" + EscapeControls(item.Params) + "\t" + wait + "\t" + style;
      // Each run option one more field, KEY=VALUE.
      for (const ItemOption& option : item.Options) {
        out += "\t" + EscapeControls(option.Key) + "=" + EscapeControls(option.Value);
      }
      out += "\n";
    }
  }
  if (json) out += "\n]\n";
  return out;
}

int ListCollection(const OptionCall& call, OptionContext& context) {
  CollectionState state;
  if (!LoadForOption(call.operand, state, context)) return kExitNotLoaded;
  context.out << ListText(state, call.Has("--json"), context);
  return kExitOk;
}

// A new collection of the programs whose windows are open now, listed as --list lists
// it; a window left out is a note on standard error. An existing file is never replaced.
int CaptureCollection(const OptionCall& call, OptionContext& context) {
  const std::string path = ForceCollExt(call.operand);
  const std::string shown = LineText(path);
  if (context.files.Exists(path)) {
    context.err << "tavrin: " << shown << ": the file already exists; it is never replaced\n";
    return kExitUsage;
  }
  const Capture capture = CaptureOpenWindows(context.system.Windows());
  if (!capture.listed) {
    context.err << "tavrin: " << kCannotCaptureText << "\n";
    return kExitUsage;
  }
  for (const std::string& note : capture.notes) {
    context.err << "tavrin: " << LineText(note) << "\n";
  }
  if (capture.items.empty()) {
    context.err << "tavrin: " << shown << ": no window of your programs is open; nothing written\n";
    return kExitUsage;
  }
  CollectionState state;
  state.Items = capture.items;
  state.HasItems = true;
  if (context.files.Exists(path) || SaveCollectionFile(state, path, context.files)) {
    context.err << "tavrin: " << shown << ": the collection could not be written\n";
    return kExitUsage;
  }
  context.out << ListText(state, false, context);
  return kExitOk;
}

// A dry run: each item is decided as a run decides it (a program on PATH, a path
// relative to the collection's folder, a document and its application, an address and
// its handler, and its run options read), and nothing is started. After an item that
// would fail and stops the run on failure, the rest would not start either: each says
// so, and they are counted as a run counts them, on a last line like a run's.
int CheckCollection(const OptionCall& call, OptionContext& context) {
  CollectionState state;
  if (!LoadForOption(call.operand, state, context)) return kExitNotLoaded;
  // As in run mode: relative items are taken from the folder of the file as named.
  state.CurrentCollFile = call.operand;
  std::string out;
  RunTally tally;
  std::string stoppedBy;  // why the rest would not start, once an item stops the run
  for (const ItemCheck& check :
       CheckAllItems(state, context.shell, context.system, context.files)) {
    const CollItem& item = state.Items[static_cast<std::size_t>(check.position - 1)];
    ++tally.items;
    // An item a run would skip, since its program already runs, is no failure.
    std::string verdict;
    if (!stoppedBy.empty()) {
      verdict = stoppedBy;
    } else if (check.running || check.starts) {
      verdict = check.running ? "running" : "ok";
      ++tally.started;
    } else {
      verdict = LaunchFailureReason(check.result, check.text);
      ++tally.failed;
      if (StopsOnFailure(item)) {
        stoppedBy = "would not start: item " + std::to_string(check.position) + " \"" +
                    item.ItemName + "\" fails and has StopOnFailure";
      }
    }
    out += std::to_string(check.position) + "\t" + EscapeControls(item.ItemName) + "\t" +
           EscapeControls(verdict) + "\n";
  }
  context.out << out;
  // Said once: what this desktop keeps but does not apply; the run goes on.
  const std::string unapplied = UnappliedWishesText(state.Items, context.system.Windows().Can());
  if (!unapplied.empty()) {
    context.err << "tavrin: " << LineText(call.operand) << ": " << unapplied << "\n";
  }
  if (tally.failed > 0) {
    context.err << "tavrin: " << LineText(call.operand) << ": " << tally.started << " of "
                << tally.items << " items would start, " << tally.skipped() << " skipped, "
                << tally.failed << " failed\n";
  }
  return tally.failed == 0 ? kExitOk : kExitLaunchFailed;
}

// Ends what the runs of the collection started, as their record says.
int StopCollection(const OptionCall& call, OptionContext& context) {
  std::ostringstream lines;
  std::string problem;
  const bool ended =
      StopRun(call.operand, call.Has("--force"), context.system, context.files, lines, problem);
  if (!problem.empty()) {
    context.err << "tavrin: " << LineText(call.operand) << ": " << LineText(problem) << "\n";
  } else if (lines.str().empty()) {
    context.err << "tavrin: " << LineText(call.operand)
                << ": no run of it has started a program that is known\n";
  }
  context.out << lines.str();
  return ended ? kExitOk : kExitLaunchFailed;
}

int EnableAutostart(const OptionCall& call, OptionContext& context) {
  if (context.autostart == nullptr) {
    context.err << "tavrin: --autostart is not available on this system\n";
    return kExitUsage;
  }
  const std::string path = FullPath(call.operand);
  CollectionState state;
  if (!LoadForOption(path, state, context)) return kExitNotLoaded;
  std::string where;
  std::string error;
  if (!context.autostart->Enable(context.programPath, path, where, error)) {
    context.err << "tavrin: " << LineText(path) << ": " << error << "\n";
    return kExitLaunchFailed;
  }
  context.out << LineText(where) << "\n";
  return kExitOk;
}

int DisableAutostart(const OptionCall& call, OptionContext& context) {
  if (context.autostart == nullptr) {
    context.err << "tavrin: --no-autostart is not available on this system\n";
    return kExitUsage;
  }
  const std::string path = FullPath(call.operand);
  std::vector<std::string> removed;
  std::string error;
  if (!context.autostart->Disable(path, removed, error)) {
    context.err << "tavrin: " << LineText(path) << ": " << error << "\n";
    return kExitLaunchFailed;
  }
  if (removed.empty()) {
    context.err << "tavrin: " << LineText(path) << ": not run at login\n";
  }
  for (const auto& file : removed) context.out << LineText(file) << "\n";
  return kExitOk;
}

}  // namespace

std::span<const OptionEntry> Options() { return kOptions; }

bool OptionCall::Has(const std::string& flag) const {
  return std::find(flags.begin(), flags.end(), flag) != flags.end();
}

bool IsOptionWord(const std::string& word) {
  return word.rfind("--", 0) == 0 || word == "-h" || word == "-v";
}

ParsedArguments ParseArguments(const std::vector<std::string>& args) {
  ParsedArguments parsed;
  std::vector<const OptionEntry*> given;
  std::string unknown;
  for (const auto& word : args) {
    if (parsed.endMarker) {
      parsed.literal.push_back(word);
    } else if (word == "--") {
      parsed.endMarker = true;
    } else if (!IsOptionWord(word)) {
      parsed.words.push_back(word);
    } else if (const OptionEntry* option = FindOption(word)) {
      given.push_back(option);
    } else if (unknown.empty()) {
      unknown = word;
    }
  }
  OptionCall& call = parsed.option;
  if (!unknown.empty()) {
    call.error = "unknown option " + Quoted(unknown);
    return parsed;
  }
  if (given.empty()) return parsed;
  // --help and --version answer whatever else stands on the line.
  for (const auto run : {&ShowHelp, &ShowVersion}) {
    const auto it = std::find_if(given.begin(), given.end(),
                                 [run](const OptionEntry* option) { return Is(option, run); });
    if (it != given.end()) {
      call.action = *it;
      return parsed;
    }
  }
  for (const OptionEntry* option : given) {
    if (option->run == nullptr) continue;
    if (call.action != nullptr && call.action != option) {
      call.error = std::string(call.action->name) + " and " + option->name + " cannot be combined";
      call.action = nullptr;
      return parsed;
    }
    call.action = option;
  }
  for (const OptionEntry* option : given) {
    if (option->run != nullptr) continue;
    if (call.action == nullptr || std::string(option->goesWith) != call.action->name) {
      call.error = std::string(option->name) + " goes with " + option->goesWith;
      call.action = nullptr;
      return parsed;
    }
    if (!call.Has(option->name)) call.flags.emplace_back(option->name);
  }
  if (call.action->operand == nullptr) return parsed;
  std::vector<std::string> operands = parsed.words;
  operands.insert(operands.end(), parsed.literal.begin(), parsed.literal.end());
  if (operands.size() != 1) {
    call.error = std::string(call.action->name) + (operands.empty() ? " needs a " : " takes one ") +
                 call.action->operand;
    call.action = nullptr;
    return parsed;
  }
  call.operand = operands.front();
  return parsed;
}

std::string UsageLine() {
  std::string line = "usage: tavrin [FILE [/run]]";
  for (const auto& option : kOptions) {
    if (option.run != nullptr) line += " | " + Synopsis(option);
  }
  return line;
}

int RunOption(const OptionCall& call, OptionContext& context) {
  if (call.action == nullptr) {
    context.err << "tavrin: " << call.error << "; " << UsageLine() << ". Try 'tavrin --help'.\n";
    return kExitUsage;
  }
  return call.action->run(call, context);
}

}  // namespace tavrin

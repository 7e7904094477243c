#pragma once

#include <functional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "platform/autostart.h"
#include "platform/files.h"
#include "platform/shell.h"
#include "platform/system.h"

namespace tavrin {

struct OptionCall;
struct OptionContext;

// One option of the command line. An option with `run` is an action; one without
// is a flag that changes the action named by `goesWith`.
struct OptionEntry {
  const char* name;       // "--list"
  const char* shortName;  // "-h", or null
  const char* operand;    // "FILE" when the option takes one, or null
  const char* goesWith;   // a flag's action ("--list" for "--json"), or null
  const char* help;       // what --help says of it
  int (*run)(const OptionCall& call, OptionContext& context);
};

// Every option, in the order --help lists them.
std::span<const OptionEntry> Options();

// What the options of a command line ask for.
struct OptionCall {
  const OptionEntry* action = nullptr;  // the option to carry out; null: none
  std::string operand;                  // its FILE
  std::vector<std::string> flags;       // the flags given with it
  std::string error;                    // why the command line cannot be carried out

  bool Has(const std::string& flag) const;
};

// A command line taken apart. Only words that begin with "--", or are exactly "-h"
// or "-v", are options; the word "--" ends them.
struct ParsedArguments {
  OptionCall option;                 // set when any option was given
  std::vector<std::string> words;    // the other words before "--"
  std::vector<std::string> literal;  // the words after "--"
  bool endMarker = false;            // "--" was given

  bool HasOption() const { return option.action != nullptr || !option.error.empty(); }
};

bool IsOptionWord(const std::string& word);

ParsedArguments ParseArguments(const std::vector<std::string>& args);

// Where the options write, and what they use of the system.
struct OptionContext {
  std::ostream& out;
  std::ostream& err;
  std::string programPath;         // the running executable
  Autostart* autostart = nullptr;  // null where the system cannot start programs at login
  // The collection's texts as UTF-8, for JSON; unchanged when null.
  std::function<std::string(const std::string&)> toUtf8;
  FileSystem& files;  // where collections are read from
  Shell& shell;       // asked what a start would do, never to start
  SystemInfo& system;
};

// Carries out the option, or says on one line of standard error why the command
// line cannot be carried out; returns the exit status.
int RunOption(const OptionCall& call, OptionContext& context);

// The short form of every way of starting the program, on one line.
std::string UsageLine();

}  // namespace tavrin

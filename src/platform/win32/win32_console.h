#pragma once

#include <memory>
#include <streambuf>

namespace tavrin::win32 {

// Standard output and standard error of a windowed program. Started from a console
// window (cmd), a windowed program is given neither; for whichever is missing, this
// attaches to the console of the parent process, when it has one, and sends std::cout
// or std::cerr there. What a parent hands over (a pipe or a file, as scripts and tests
// do) is used as it is; with neither, writing goes nowhere and does no harm. The
// streams are given back when the object goes.
class ParentConsoleOutput {
 public:
  ParentConsoleOutput();
  ~ParentConsoleOutput();
  ParentConsoleOutput(const ParentConsoleOutput&) = delete;
  ParentConsoleOutput& operator=(const ParentConsoleOutput&) = delete;

 private:
  void* console_ = nullptr;
  std::unique_ptr<std::streambuf> out_;
  std::unique_ptr<std::streambuf> err_;
  std::streambuf* oldOut_ = nullptr;
  std::streambuf* oldErr_ = nullptr;
};

// Has `handler` called when the console the program runs in asks it to end: with the
// C runtime's SIGINT for Ctrl+C, SIGBREAK for Ctrl+Break, and SIGTERM when the console
// closes or the user's session or the system ends. A program started from a console with
// its output sent elsewhere attaches to that console first, so that its keys and its
// closing reach it. Ctrl+C stays ignored where the parent gave it ignored. On a closing
// console the handler's thread waits for the program to end by itself (the system ends
// it when the handler returns, or some seconds later).
void CatchConsoleStop(void (*handler)(int));

}  // namespace tavrin::win32

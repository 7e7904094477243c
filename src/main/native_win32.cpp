#include <cstdlib>
#include <cstring>

#include "main/native.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_system.h"
#include "platform/win32/win32_toolkit.h"

namespace tavrin {
namespace {

// TAVRIN_BOXES_TO_STDERR=1 writes every box to standard error instead of showing
// it, and answers questions No: for scripts and tests that must never block on a
// modal box.
bool BoxesToStderr() {
  const char* value = std::getenv("TAVRIN_BOXES_TO_STDERR");
  return value != nullptr && std::strcmp(value, "1") == 0;
}

struct Win32Services : NativeServices {
  // The arguments as the C runtime splits them are not used: the command line is
  // the text after the program's path, exactly as the system hands it over.
  StartRequest Request(int, char**) override {
    return RequestFromCommandLine(CommandLineAfterProgram(win32::ProcessCommandLine()));
  }
  // Windows always has a desktop to show boxes on.
  bool DisplayReachable() override { return !BoxesToStderr(); }
  bool BoxesAnswered() override { return DisplayReachable(); }
  std::unique_ptr<Toolkit> MakePlainToolkit() override {
    if (BoxesToStderr()) return std::make_unique<StderrToolkit>();
    return std::make_unique<win32::Win32Toolkit>();
  }
  Shell& shell() override { return shell_; }
  FileSystem& files() override { return files_; }
  SystemInfo& system() override { return system_; }
  Registry& registry() override { return registry_; }

  win32::Win32Shell shell_;
  win32::Win32FileSystem files_;
  win32::Win32SystemInfo system_;
  win32::Win32Registry registry_;
};

}  // namespace

std::unique_ptr<NativeServices> MakeNativeServices() { return std::make_unique<Win32Services>(); }

}  // namespace tavrin

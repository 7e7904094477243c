#include "main/native.h"
#include "platform/win32/win32_autostart.h"
#include "platform/win32/win32_console.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_system.h"
#include "platform/win32/win32_toolkit.h"

namespace tavrin {
namespace {

struct Win32Services : NativeServices {
  // The command line is the text after the program's path, exactly as the system
  // hands it over; the C runtime's words only tell options apart.
  CommandLine ReadCommandLine(int argc, char** argv) override {
    return CommandLineFromWindows(CommandLineAfterProgram(win32::ProcessCommandLine()),
                                  std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
  }
  // Windows always has a desktop to show boxes on.
  bool DisplayReachable(const std::string&) override { return !BoxesToStderrAsked(); }
  bool BoxesToStderr(const std::string&) override { return BoxesToStderrAsked(); }
  std::unique_ptr<Toolkit> MakePlainToolkit() override {
    if (BoxesToStderrAsked()) return std::make_unique<StderrToolkit>();
    return std::make_unique<win32::Win32Toolkit>();
  }
  std::string ToUtf8(const std::string& text) override { return win32::AnsiToUtf8(text); }
  void CatchTermination(void (*handler)(int)) override { win32::CatchConsoleStop(handler); }
  Shell& shell() override { return shell_; }
  FileSystem& files() override { return files_; }
  SystemInfo& system() override { return system_; }
  Registry& registry() override { return registry_; }
  Autostart* autostart() override { return &autostart_; }

  // First, so that everything after it writes where the parent can read it.
  win32::ParentConsoleOutput console_;
  win32::Win32Shell shell_;
  win32::Win32FileSystem files_;
  win32::Win32SystemInfo system_;
  win32::Win32Registry registry_;
  win32::RunKeyAutostart autostart_;
};

}  // namespace

std::unique_ptr<NativeServices> MakeNativeServices() { return std::make_unique<Win32Services>(); }

}  // namespace tavrin

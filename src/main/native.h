#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "main/startup.h"
#include "platform/autostart.h"
#include "platform/platform.h"

namespace tavrin {

// The concrete services of the platform the program was built for.
struct NativeServices {
  virtual ~NativeServices() = default;

  // What the command line asks for.
  virtual CommandLine ReadCommandLine(int argc, char** argv) = 0;

  // Whether a display for windows and message boxes can be reached, with Qt's platform
  // plugin as "-platform" asked for it (empty: not asked).
  virtual bool DisplayReachable(const std::string& qtPlatform) = 0;

  // Whether boxes go to standard error even where a display can be reached.
  virtual bool BoxesToStderr(const std::string& qtPlatform) = 0;

  // Message boxes for a build without Qt's windows.
  virtual std::unique_ptr<Toolkit> MakePlainToolkit() = 0;

  // A collection's texts as UTF-8.
  virtual std::string ToUtf8(const std::string& text) { return text; }

  // Has `handler` called with a signal's number when the program is asked to terminate
  // (a signal; on Windows the console's Ctrl+C, Ctrl+Break or closing).
  virtual void CatchTermination(void (*handler)(int)) { (void)handler; }

  virtual Shell& shell() = 0;
  virtual FileSystem& files() = 0;
  virtual SystemInfo& system() = 0;
  virtual Registry& registry() = 0;
  // Null where the system cannot start programs at login.
  virtual Autostart* autostart() = 0;
};

std::unique_ptr<NativeServices> MakeNativeServices();

}  // namespace tavrin

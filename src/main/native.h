#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "main/startup.h"
#include "platform/platform.h"

namespace tavrin {

// The concrete services of the platform the program was built for.
struct NativeServices {
  virtual ~NativeServices() = default;

  // What the command line asks for.
  virtual StartRequest Request(int argc, char** argv) = 0;

  // Whether a display for windows and message boxes can be reached.
  virtual bool DisplayReachable() = 0;

  // Whether a message box reaches a person who can answer it: a display can be reached
  // and the program does not run unattended. Otherwise boxes go to standard error.
  virtual bool BoxesAnswered() = 0;

  // Message boxes for a build without Qt's windows.
  virtual std::unique_ptr<Toolkit> MakePlainToolkit() = 0;

  virtual Shell& shell() = 0;
  virtual FileSystem& files() = 0;
  virtual SystemInfo& system() = 0;
  virtual Registry& registry() = 0;
};

std::unique_ptr<NativeServices> MakeNativeServices();

}  // namespace tavrin

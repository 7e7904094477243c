#pragma once

#include "platform/files.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/system.h"
#include "platform/toolkit.h"

namespace tavrin {

// Everything the logic reaches of the operating system and the window toolkit.
// `src/main` wires the concrete implementations; tests wire fakes.
struct Platform {
  Toolkit& toolkit;
  Shell& shell;
  FileSystem& files;
  SystemInfo& system;
  Registry& registry;
};

}  // namespace tavrin

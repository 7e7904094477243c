#pragma once

// The file system of the platform the tests were built for.
#ifdef _WIN32
#include "platform/win32/win32_files.h"
#else
#include "platform/posix/posix_files.h"
#endif

namespace tavrin::testing {

#ifdef _WIN32
using NativeFileSystem = win32::Win32FileSystem;
#else
using NativeFileSystem = PosixFileSystem;
#endif

}  // namespace tavrin::testing

#pragma once

#include <cstdint>

namespace tavrin {

// Runtime error numbers: why a file could not be deleted or a program could not be
// started, as the program reports them ("Error 53").
enum RuntimeError : int32_t {
  kRuntimeInvalidCall = 5,
  kRuntimeOutOfMemory = 7,
  kRuntimeBadFileName = 52,
  kRuntimeFileNotFound = 53,
  kRuntimePermissionDenied = 70,
  kRuntimePathFileAccess = 75,  // any other failure of a file operation
  kRuntimePathNotFound = 76,
};

// TrashFile's answer where the file's folder has no trash (no runtime error number).
inline constexpr int kNoTrash = -1;

}  // namespace tavrin

#pragma once

#include <string>

namespace tavrin {

// The platform's path separator: "\" on Windows, "/" elsewhere.
#ifdef _WIN32
inline constexpr char kNativeSeparator = '\\';
inline constexpr bool kPathsIgnoreCase = true;
#else
inline constexpr char kNativeSeparator = '/';
inline constexpr bool kPathsIgnoreCase = false;
#endif

// Program information and file type descriptions.
class SystemInfo {
 public:
  virtual ~SystemInfo() = default;

  // The folder that holds the collection files: TAVRIN_HOME when set; otherwise the
  // executable's folder on Windows and $XDG_DATA_HOME/tavrin elsewhere (created
  // when missing). Without a closing separator.
  virtual std::string CollectionFolder() = 0;

  // The full path of the running executable.
  virtual std::string ExecutablePath() = 0;

  // A short human-readable description of the file's type; empty when the file
  // does not exist.
  virtual std::string FileTypeDescription(const std::string& path) = 0;

  // The value of this process's environment variable `name`, which what it starts
  // inherits; empty when it is not set.
  virtual std::string GetEnvironment(const std::string& name) = 0;

  // Sets this process's environment variable `name` to `value` (for what it starts from
  // now on); an empty value removes it.
  virtual void SetEnvironment(const std::string& name, const std::string& value) = 0;

  // Whether `path` names a program by what the system knows of it, beyond its name's
  // ending: an existing file with execute permission, or a bare name found on PATH.
  // Systems that tell programs by their names alone answer false.
  virtual bool IsProgramFile(const std::string& path) {
    (void)path;
    return false;
  }
};

}  // namespace tavrin

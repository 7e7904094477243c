#pragma once

#include <map>
#include <string>

#include "platform/posix/xdg_folders.h"
#include "platform/registry.h"

namespace tavrin::posix {

// The association store where there is no system registry: the keys under
// HKEY_CLASSES_ROOT and their values in one small text file,
// `<config home>/tavrin/registry.txt`. Key and value names ignore letter case, as in
// the registry. Every call reads the file afresh; every change rewrites it whole
// through a temporary file renamed over it, so that a reader never sees half a store.
// A store that cannot be read or is damaged holds no keys, and the next change
// writes a sound one in its place.
//
// Unlike the Windows registry, deleting a key deletes its subkeys with it, and the
// file goes when the last key has gone.
//
// AssociationChanged makes the desktop's own files match the store (see
// desktop_integration.h).
class PosixRegistry : public Registry {
 public:
  // ERROR_INVALID_HANDLE, ERROR_BAD_PATHNAME, ERROR_CANTWRITE, ERROR_KEY_DELETED.
  static constexpr long kInvalidHandle = 6;
  static constexpr long kBadPathname = 161;
  static constexpr long kCantWrite = 1013;
  static constexpr long kKeyDeleted = 1018;

  explicit PosixRegistry(XdgFolders folders);

  long CreateKey(Key root, const std::string& subkey, Key& key) override;
  long OpenKey(Key root, const std::string& subkey, Key& key) override;
  long QueryValue(Key key, const std::string& name, uint32_t& type, char* buffer,
                  uint32_t& size) override;
  long SetValue(Key key, const std::string& name, uint32_t type, const char* data,
                uint32_t size) override;
  long DeleteKey(Key root, const std::string& subkey) override;
  long CloseKey(Key key) override;
  std::string AssociationChanged() override;
  // A program whose path a desktop entry cannot name (see ExecProgramProblem).
  std::string ProgramPathProblem(const std::string& programPath) override;
  // The MIME package and the two desktop entries.
  bool AssociationFilesPresent() override;

  // The store file.
  std::string StorePath() const;

 private:
  XdgFolders folders_;
  std::map<Key, std::string> open_;  // handle -> the key's path, folded to lower case
  Key next_ = 1;
};

}  // namespace tavrin::posix

#pragma once

#include <cstdint>
#include <string>

namespace tavrin {

// The system's store of file associations, with the calls of the Windows registry.
// On Windows it is the registry itself; elsewhere a store with the same keys and
// default values, from which the desktop's own integration is made.
class Registry {
 public:
  using Key = std::uintptr_t;

  static constexpr Key kClassesRoot = 0x80000000u;  // HKEY_CLASSES_ROOT
  static constexpr uint32_t kRegSz = 1;             // REG_SZ
  static constexpr long kSuccess = 0;               // ERROR_SUCCESS
  static constexpr long kFileNotFound = 2;          // ERROR_FILE_NOT_FOUND
  static constexpr long kMoreData = 234;            // ERROR_MORE_DATA

  static constexpr long kAccessDenied = 5;  // ERROR_ACCESS_DENIED

  virtual ~Registry() = default;

  // Creates (or opens) `subkey` of `root` with every key on the way; sets `key`.
  virtual long CreateKey(Key root, const std::string& subkey, Key& key) = 0;

  // Opens an existing `subkey` of `root`; sets `key`.
  virtual long OpenKey(Key root, const std::string& subkey, Key& key) = 0;

  // Reads a value into `buffer`, which holds `size` bytes. On success `size` is the
  // number of bytes of the value (with its closing NUL for text) and `type` its type;
  // kMoreData when it does not fit. An empty name is the key's default value.
  virtual long QueryValue(Key key, const std::string& name, uint32_t& type, char* buffer,
                          uint32_t& size) = 0;

  // Writes `size` bytes of `data` as the value `name` of type `type`.
  virtual long SetValue(Key key, const std::string& name, uint32_t type, const char* data,
                        uint32_t size) = 0;

  // Deletes `subkey` of `root`; a key with subkeys may be refused, as Windows does.
  virtual long DeleteKey(Key root, const std::string& subkey) = 0;

  virtual long CloseKey(Key key) = 0;

  // Tells the desktop that the file associations have changed. Returns what could not
  // be done of it, for the user (the file concerned, two line feeds, what happened);
  // empty when everything was done.
  virtual std::string AssociationChanged() = 0;

  // Why the association cannot name the program at `programPath` on this system, for
  // the user in the same form; empty when it can. Registering then writes nothing.
  virtual std::string ProgramPathProblem(const std::string& programPath) {
    (void)programPath;
    return "";
  }

  // Whether the files the desktop reads the association from, beside this store, are
  // all there. Where the store is all there is (the Windows registry), always true.
  virtual bool AssociationFilesPresent() { return true; }
};

}  // namespace tavrin

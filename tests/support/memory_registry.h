#pragma once

#include <map>
#include <string>
#include <utility>

#include "platform/registry.h"

namespace tavrin::testing {

// A registry in memory that behaves like the Windows one where the association logic
// relies on it: a key with subkeys cannot be deleted, and a value that does not fit the
// caller's buffer gives kMoreData and its size.
class MemoryRegistry : public Registry {
 public:
  long CreateKey(Key root, const std::string& subkey, Key& key) override;
  long OpenKey(Key root, const std::string& subkey, Key& key) override;
  long QueryValue(Key key, const std::string& name, uint32_t& type, char* buffer,
                  uint32_t& size) override;
  long SetValue(Key key, const std::string& name, uint32_t type, const char* data,
                uint32_t size) override;
  long DeleteKey(Key root, const std::string& subkey) override;
  long CloseKey(Key key) override { return handles_.erase(key) || key == kClassesRoot ? 0 : 6; }
  void AssociationChanged() override { ++associationChanges; }

  // Puts a default value (raw bytes) straight into the registry, creating the key.
  void Put(const std::string& path, uint32_t type, const std::string& data) {
    keys_[path][""] = {type, data};
  }
  // Every key with its default value, one line each, sorted: `path = value` (NUL shown
  // as \0), or `path` alone for a key without a default value.
  std::string Contents() const;
  bool HasKey(const std::string& path) const { return keys_.count(path) > 0; }
  std::size_t OpenHandles() const { return handles_.size(); }

  // Keys cannot be created, written or deleted, as for a user without the rights.
  bool readOnly = false;
  int associationChanges = 0;

 private:
  std::string Path(Key root, const std::string& subkey) const;

  std::map<std::string, std::map<std::string, std::pair<uint32_t, std::string>>> keys_;
  std::map<Key, std::string> handles_;  // the path of every open handle
  Key next_ = 1;
};

}  // namespace tavrin::testing

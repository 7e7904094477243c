#pragma once

#include <cstring>
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
  long CreateKey(Key root, const std::string& subkey, Key& key) override {
    const std::string path = Path(root, subkey);
    if (!keys_.count(path) && readOnly) return kAccessDenied;
    for (std::size_t end = 0; end != std::string::npos;) {
      end = path.find('\\', end + 1);
      keys_[path.substr(0, end)];  // every key on the way
    }
    handles_[key = next_++] = path;
    return kSuccess;
  }
  long OpenKey(Key root, const std::string& subkey, Key& key) override {
    const std::string path = Path(root, subkey);
    if (!keys_.count(path)) return kFileNotFound;
    handles_[key = next_++] = path;
    return kSuccess;
  }
  long QueryValue(Key key, const std::string& name, uint32_t& type, char* buffer,
                  uint32_t& size) override {
    const auto& values = keys_.at(handles_.at(key));
    if (!values.count(name)) return kFileNotFound;
    const auto& [valueType, data] = values.at(name);
    const bool fits = data.size() <= size;
    if (fits) std::memcpy(buffer, data.data(), data.size());
    type = valueType;
    size = static_cast<uint32_t>(data.size());
    return fits ? kSuccess : kMoreData;
  }
  long SetValue(Key key, const std::string& name, uint32_t type, const char* data,
                uint32_t size) override {
    if (readOnly) return kAccessDenied;
    keys_.at(handles_.at(key))[name] = {type, std::string(data, size)};
    return kSuccess;
  }
  long DeleteKey(Key root, const std::string& subkey) override {
    const std::string path = Path(root, subkey);
    if (!keys_.count(path)) return kFileNotFound;
    const auto below = keys_.lower_bound(path + "\\");
    if (readOnly || (below != keys_.end() && below->first.rfind(path + "\\", 0) == 0)) {
      return kAccessDenied;  // a key with subkeys
    }
    keys_.erase(path);
    return kSuccess;
  }
  long CloseKey(Key key) override { return handles_.erase(key) || key == kClassesRoot ? 0 : 6; }
  std::string AssociationChanged() override {
    ++associationChanges;
    return associationProblem;
  }
  // Refuses a program whose path holds a '?'.
  std::string ProgramPathProblem(const std::string& programPath) override {
    return programPath.find('?') == std::string::npos ? "" : programPath + "\n\nNot here.";
  }
  std::string associationProblem;  // what AssociationChanged answers
  bool AssociationFilesPresent() override { return filesPresent; }
  bool filesPresent = true;  // what AssociationFilesPresent answers

  // Puts a default value (raw bytes) straight into the registry, creating the key.
  void Put(const std::string& path, uint32_t type, const std::string& data) {
    keys_[path][""] = {type, data};
  }
  // Every key with its default value, one line each, sorted: `path = value` (NUL shown
  // as \0), or `path` alone for a key without a default value.
  std::string Contents() const {
    std::string text;
    for (const auto& [path, values] : keys_) {
      text += path;
      if (values.count("")) text += " = " + values.at("").second;
      text += "\n";
    }
    for (auto nul = text.find('\0'); nul != std::string::npos; nul = text.find('\0')) {
      text.replace(nul, 1, "\\0");
    }
    return text;
  }
  bool HasKey(const std::string& path) const { return keys_.count(path) > 0; }
  std::size_t OpenHandles() const { return handles_.size(); }

  // Keys cannot be created, written or deleted, as for a user without the rights.
  bool readOnly = false;
  int associationChanges = 0;

 private:
  std::string Path(Key root, const std::string& subkey) const {
    const std::string base = root == kClassesRoot ? "" : handles_.at(root);
    return base.empty() || subkey.empty() ? base + subkey : base + "\\" + subkey;
  }

  std::map<std::string, std::map<std::string, std::pair<uint32_t, std::string>>> keys_;
  std::map<Key, std::string> handles_;  // the path of every open handle
  Key next_ = 1;
};

}  // namespace tavrin::testing

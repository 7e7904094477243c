#include "memory_registry.h"

#include <cstring>

namespace tavrin::testing {

std::string MemoryRegistry::Path(Key root, const std::string& subkey) const {
  const std::string base = root == kClassesRoot ? "" : handles_.at(root);
  return base.empty() || subkey.empty() ? base + subkey : base + "\\" + subkey;
}

long MemoryRegistry::CreateKey(Key root, const std::string& subkey, Key& key) {
  const std::string path = Path(root, subkey);
  if (!keys_.count(path) && readOnly) return kAccessDenied;
  for (std::size_t end = 0; end != std::string::npos;) {
    end = path.find('\\', end + 1);
    keys_[path.substr(0, end)];  // every key on the way
  }
  handles_[key = next_++] = path;
  return kSuccess;
}

long MemoryRegistry::OpenKey(Key root, const std::string& subkey, Key& key) {
  const std::string path = Path(root, subkey);
  if (!keys_.count(path)) return kFileNotFound;
  handles_[key = next_++] = path;
  return kSuccess;
}

long MemoryRegistry::QueryValue(Key key, const std::string& name, uint32_t& type, char* buffer,
                                uint32_t& size) {
  const auto& values = keys_.at(handles_.at(key));
  if (!values.count(name)) return kFileNotFound;
  const auto& [valueType, data] = values.at(name);
  const bool fits = data.size() <= size;
  if (fits) std::memcpy(buffer, data.data(), data.size());
  type = valueType;
  size = static_cast<uint32_t>(data.size());
  return fits ? kSuccess : kMoreData;
}

long MemoryRegistry::SetValue(Key key, const std::string& name, uint32_t type, const char* data,
                              uint32_t size) {
  if (readOnly) return kAccessDenied;
  keys_.at(handles_.at(key))[name] = {type, std::string(data, size)};
  return kSuccess;
}

long MemoryRegistry::DeleteKey(Key root, const std::string& subkey) {
  const std::string path = Path(root, subkey);
  if (!keys_.count(path)) return kFileNotFound;
  const auto below = keys_.lower_bound(path + "\\");
  if (readOnly || (below != keys_.end() && below->first.rfind(path + "\\", 0) == 0)) {
    return kAccessDenied;  // a key with subkeys
  }
  keys_.erase(path);
  return kSuccess;
}

std::string MemoryRegistry::Contents() const {
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

}  // namespace tavrin::testing

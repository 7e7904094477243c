#include "memory_registry.h"

#include <algorithm>
#include <cstring>

namespace tavrin::testing {
namespace {

std::string Fold(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  });
  return text;
}

std::string Shown(const std::string& data) {
  std::string out;
  for (const char c : data) out += c == '\0' ? std::string("\\0") : std::string(1, c);
  return out;
}

}  // namespace

std::optional<std::string> MemoryRegistry::PathOf(Key key) const {
  if (key == kClassesRoot) return std::string();
  const auto it = handles_.find(key);
  if (it == handles_.end()) return std::nullopt;
  return it->second;
}

std::string MemoryRegistry::Logged(const std::optional<std::string>& path) const {
  if (!path) return "?";
  const auto node = keys_.find(*path);
  return node == keys_.end() ? *path : node->second.path;
}

std::string MemoryRegistry::Below(Key root, const std::string& subkey) const {
  const std::string base = PathOf(root).value_or("");
  if (subkey.empty()) return base;
  return Fold(base.empty() ? subkey : base + "\\" + subkey);
}

long MemoryRegistry::CreateKey(Key root, const std::string& subkey, Key& key) {
  const auto base = PathOf(root);
  calls.push_back("create " + subkey);
  if (!base) return 6;  // ERROR_INVALID_HANDLE
  std::string path = base->empty() ? "" : keys_.at(*base).path;
  bool missing = false;
  std::size_t start = 0;
  std::vector<std::string> toAdd;
  while (start <= subkey.size() && !subkey.empty()) {
    const auto sep = subkey.find('\\', start);
    const std::string name = subkey.substr(start, sep == std::string::npos ? sep : sep - start);
    path = path.empty() ? name : path + "\\" + name;
    if (!keys_.count(Fold(path))) {
      missing = true;
      toAdd.push_back(path);
    }
    if (sep == std::string::npos) break;
    start = sep + 1;
  }
  if (missing && readOnly) return kAccessDenied;
  for (const auto& p : toAdd) keys_[Fold(p)] = Node{p, {}};
  key = next_++;
  handles_[key] = Fold(path);
  return kSuccess;
}

long MemoryRegistry::OpenKey(Key root, const std::string& subkey, Key& key) {
  calls.push_back("open " + subkey);
  if (!PathOf(root)) return 6;
  const std::string path = Below(root, subkey);
  if (!path.empty() && !keys_.count(path)) return kFileNotFound;
  key = next_++;
  handles_[key] = path;
  return kSuccess;
}

long MemoryRegistry::QueryValue(Key key, const std::string& name, uint32_t& type, char* buffer,
                                uint32_t& size) {
  const auto path = PathOf(key);
  calls.push_back("query " + Logged(path) + " " + (name.empty() ? "@" : name));
  if (!path) return 6;
  const auto node = keys_.find(*path);
  if (node == keys_.end()) return kFileNotFound;
  const auto value = node->second.values.find(Fold(name));
  if (value == node->second.values.end()) return kFileNotFound;
  type = value->second.type;
  const auto needed = static_cast<uint32_t>(value->second.data.size());
  if (buffer != nullptr && needed > size) {
    size = needed;
    return kMoreData;
  }
  if (buffer != nullptr) std::memcpy(buffer, value->second.data.data(), needed);
  size = needed;
  return kSuccess;
}

long MemoryRegistry::SetValue(Key key, const std::string& name, uint32_t type, const char* data,
                              uint32_t size) {
  const auto path = PathOf(key);
  const std::string bytes(data, size);
  calls.push_back("set " + Logged(path) + " " + (name.empty() ? "@" : name) + " " +
                  std::to_string(type) + " " + Shown(bytes));
  if (!path) return 6;
  if (readOnly) return kAccessDenied;
  const auto node = keys_.find(*path);
  if (node == keys_.end()) return 1018;  // ERROR_KEY_DELETED
  node->second.values[Fold(name)] = {type, bytes};
  return kSuccess;
}

long MemoryRegistry::DeleteKey(Key root, const std::string& subkey) {
  calls.push_back("delete " + subkey);
  if (!PathOf(root)) return 6;
  const std::string path = Below(root, subkey);
  if (!keys_.count(path)) return kFileNotFound;
  if (readOnly) return kAccessDenied;
  const std::string below = path + "\\";
  for (const auto& [folded, node] : keys_) {
    if (folded.compare(0, below.size(), below) == 0) return kAccessDenied;  // has subkeys
  }
  keys_.erase(path);
  return kSuccess;
}

long MemoryRegistry::CloseKey(Key key) {
  const auto path = PathOf(key);
  calls.push_back("close " + Logged(path));
  if (key == kClassesRoot) return kSuccess;
  return handles_.erase(key) ? kSuccess : 6;
}

void MemoryRegistry::AssociationChanged() {
  calls.push_back("changed");
  ++associationChanges;
}

void MemoryRegistry::Put(const std::string& path, const std::string& name, uint32_t type,
                         const std::string& data) {
  std::string sofar;
  std::size_t start = 0;
  for (;;) {
    const auto sep = path.find('\\', start);
    const std::string part = path.substr(start, sep == std::string::npos ? sep : sep - start);
    sofar = sofar.empty() ? part : sofar + "\\" + part;
    keys_.try_emplace(Fold(sofar), Node{sofar, {}});
    if (sep == std::string::npos) break;
    start = sep + 1;
  }
  keys_[Fold(path)].values[Fold(name)] = {type, data};
}

bool MemoryRegistry::HasKey(const std::string& path) const { return keys_.count(Fold(path)) > 0; }

std::optional<std::string> MemoryRegistry::DefaultValue(const std::string& path) const {
  const auto node = keys_.find(Fold(path));
  if (node == keys_.end()) return std::nullopt;
  const auto value = node->second.values.find("");
  if (value == node->second.values.end()) return std::nullopt;
  return value->second.data;
}

std::string MemoryRegistry::Contents() const {
  std::string text;
  for (const auto& [folded, node] : keys_) {
    text += node.path;
    const auto value = node.values.find("");
    if (value != node.values.end()) text += " = " + Shown(value->second.data);
    text += "\n";
  }
  return text;
}

}  // namespace tavrin::testing

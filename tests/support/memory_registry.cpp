#include "memory_registry.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace tavrin::testing {
namespace {

std::string Fold(std::string text) {
  for (char& c : text) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  return text;
}

}  // namespace

std::optional<std::string> MemoryRegistry::PathOf(Key key) const {
  if (key == kClassesRoot) return std::string();
  const auto it = handles_.find(key);
  if (it == handles_.end()) return std::nullopt;
  return it->second;
}

std::string MemoryRegistry::Below(const std::string& base, const std::string& subkey) const {
  return Fold(subkey.empty() ? base : base.empty() ? subkey : base + "\\" + subkey);
}

long MemoryRegistry::CreateKey(Key root, const std::string& subkey, Key& key) {
  const auto base = PathOf(root);
  if (!base) return kInvalidHandle;
  std::string path = base->empty() ? "" : keys_.at(*base).path;
  std::vector<std::string> missing;
  for (std::size_t start = 0; !subkey.empty() && start <= subkey.size();) {
    const auto sep = std::min(subkey.find('\\', start), subkey.size());
    path += (path.empty() ? "" : "\\") + subkey.substr(start, sep - start);
    if (!keys_.count(Fold(path))) missing.push_back(path);
    start = sep + 1;
  }
  if (!missing.empty() && readOnly) return kAccessDenied;
  for (const auto& p : missing) keys_[Fold(p)].path = p;
  key = next_++;
  handles_[key] = Fold(path);
  return kSuccess;
}

long MemoryRegistry::OpenKey(Key root, const std::string& subkey, Key& key) {
  const auto base = PathOf(root);
  if (!base) return kInvalidHandle;
  const std::string path = Below(*base, subkey);
  if (!path.empty() && !keys_.count(path)) return kFileNotFound;
  key = next_++;
  handles_[key] = path;
  return kSuccess;
}

long MemoryRegistry::QueryValue(Key key, const std::string& name, uint32_t& type, char* buffer,
                                uint32_t& size) {
  const auto path = PathOf(key);
  if (!path) return kInvalidHandle;
  const auto node = keys_.find(*path);
  if (node == keys_.end() || !node->second.values.count(Fold(name))) return kFileNotFound;
  const auto& [valueType, data] = node->second.values.at(Fold(name));
  type = valueType;
  const auto needed = static_cast<uint32_t>(data.size());
  const bool fits = buffer == nullptr || needed <= size;
  if (fits && buffer != nullptr) std::memcpy(buffer, data.data(), needed);
  size = needed;
  return fits ? kSuccess : kMoreData;
}

long MemoryRegistry::SetValue(Key key, const std::string& name, uint32_t type, const char* data,
                              uint32_t size) {
  const auto path = PathOf(key);
  if (!path) return kInvalidHandle;
  if (readOnly) return kAccessDenied;
  const auto node = keys_.find(*path);
  if (node == keys_.end()) return 1018;  // ERROR_KEY_DELETED
  node->second.values[Fold(name)] = {type, std::string(data, size)};
  return kSuccess;
}

long MemoryRegistry::DeleteKey(Key root, const std::string& subkey) {
  const auto base = PathOf(root);
  if (!base) return kInvalidHandle;
  const std::string path = Below(*base, subkey);
  if (!keys_.count(path)) return kFileNotFound;
  const auto below = keys_.lower_bound(path + "\\");
  const bool hasSubkeys = below != keys_.end() && below->first.rfind(path + "\\", 0) == 0;
  if (readOnly || hasSubkeys) return kAccessDenied;
  keys_.erase(path);
  return kSuccess;
}

long MemoryRegistry::CloseKey(Key key) {
  if (key == kClassesRoot) return kSuccess;
  return handles_.erase(key) ? kSuccess : kInvalidHandle;
}

void MemoryRegistry::Put(const std::string& path, uint32_t type, const std::string& data) {
  Key key = 0;
  CreateKey(kClassesRoot, path, key);
  SetValue(key, "", type, data.data(), static_cast<uint32_t>(data.size()));
  CloseKey(key);
}

bool MemoryRegistry::HasKey(const std::string& path) const { return keys_.count(Fold(path)) > 0; }

std::string MemoryRegistry::Contents() const {
  std::string text;
  for (const auto& [folded, node] : keys_) {
    text += node.path;
    if (node.values.count("")) {
      text += " = ";
      for (const char c : node.values.at("").second)
        text += c == '\0' ? std::string("\\0") : std::string(1, c);
    }
    text += "\n";
  }
  return text;
}

}  // namespace tavrin::testing

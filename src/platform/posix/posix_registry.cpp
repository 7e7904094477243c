#include "platform/posix/posix_registry.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/ascii.h"
#include "platform/files.h"
#include "platform/posix/desktop_integration.h"
#include "platform/posix/posix_files.h"

namespace tavrin::posix {
namespace {

// The first line of a store file; a file that does not begin with it is no store.
constexpr std::string_view kHeader = "Tavrin registry 1";
// A store holds a handful of keys; anything much larger is not one of ours.
constexpr std::size_t kLargestStore = 1 << 20;

struct StoredValue {
  std::string name;
  uint32_t type = 0;
  std::string data;
};

struct StoredKey {
  std::string path;                           // as it was created
  std::map<std::string, StoredValue> values;  // by name folded to lower case
};

// Every key by its path folded to lower case; the root itself has no entry.
using Store = std::map<std::string, StoredKey>;

std::string Fold(std::string text) { return LowerAscii(std::move(text)); }

// The parts of a key path; nothing when one of them is empty. An empty path has none.
std::optional<std::vector<std::string>> KeyNames(const std::string& path) {
  std::vector<std::string> names;
  if (path.empty()) return names;
  std::size_t start = 0;
  for (;;) {
    const auto sep = path.find('\\', start);
    std::string name = path.substr(start, sep == std::string::npos ? sep : sep - start);
    if (name.empty()) return std::nullopt;
    names.push_back(std::move(name));
    if (sep == std::string::npos) return names;
    start = sep + 1;
  }
}

std::string JoinKey(const std::string& parent, const std::string& name) {
  return parent.empty() ? name : parent + "\\" + name;
}

// Control characters and '%' are written as %XX, so that tabs and line ends can
// separate the fields and lines of the file.
std::string Escape(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : bytes) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F || c == '%') {
      out += '%';
      out += kHex[u >> 4];
      out += kHex[u & 0xF];
    } else {
      out += c;
    }
  }
  return out;
}

std::optional<std::string> Unescape(std::string_view text) {
  const auto hex = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
  };
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return std::nullopt;
    const int hi = hex(text[i + 1]);
    const int lo = hex(text[i + 2]);
    if (hi < 0 || lo < 0) return std::nullopt;
    out += static_cast<char>(hi * 16 + lo);
    i += 2;
  }
  return out;
}

std::vector<std::string_view> SplitFields(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  for (;;) {
    const auto tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
    if (tab == std::string_view::npos) return fields;
    start = tab + 1;
  }
}

// Adds the key and every key above it that is missing. False for a bad path.
bool AddKey(Store& store, const std::string& path) {
  const auto names = KeyNames(path);
  if (!names || names->empty()) return false;
  std::string sofar;
  for (const auto& name : *names) {
    sofar = JoinKey(sofar, name);
    store.try_emplace(Fold(sofar), StoredKey{sofar, {}});
  }
  return true;
}

// The store a file holds:
//   Tavrin registry 1
//   key<TAB><path>
//   value<TAB><key path><TAB><name><TAB><type><TAB><data>
// with every field escaped. Nothing when the text is not such a store.
std::optional<Store> ParseStore(std::string_view text) {
  Store store;
  if (text.substr(0, kHeader.size()) != kHeader) return std::nullopt;
  text.remove_prefix(kHeader.size());
  if (text.empty() || text.front() != '\n' || text.back() != '\n') return std::nullopt;
  text.remove_prefix(1);
  while (!text.empty()) {
    const auto end = text.find('\n');
    const auto fields = SplitFields(text.substr(0, end));
    text.remove_prefix(end + 1);
    if (fields[0] == "key" && fields.size() == 2) {
      const auto path = Unescape(fields[1]);
      if (!path || !AddKey(store, *path)) return std::nullopt;
    } else if (fields[0] == "value" && fields.size() == 5) {
      const auto path = Unescape(fields[1]);
      const auto name = Unescape(fields[2]);
      const auto data = Unescape(fields[4]);
      if (!path || !name || !data || fields[3].empty() || fields[3].size() > 10 ||
          fields[3].find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
      }
      const unsigned long type = std::stoul(std::string(fields[3]));
      const auto key = store.find(Fold(*path));
      if (key == store.end() || type > UINT32_MAX) return std::nullopt;
      key->second.values[Fold(*name)] = {*name, static_cast<uint32_t>(type), *data};
    } else {
      return std::nullopt;
    }
  }
  return store;
}

std::string FormatStore(const Store& store) {
  std::string text(kHeader);
  text += '\n';
  for (const auto& [folded, key] : store) {
    text += "key\t" + Escape(key.path) + '\n';
    for (const auto& [foldedName, value] : key.values) {
      text += "value\t" + Escape(key.path) + '\t' + Escape(value.name) + '\t' +
              std::to_string(value.type) + '\t' + Escape(value.data) + '\n';
    }
  }
  return text;
}

// The text of a key's default value: a REG_SZ up to its closing NUL; empty otherwise.
std::string DefaultText(const Store& store, const std::string& path) {
  const auto key = store.find(Fold(path));
  if (key == store.end()) return "";
  const auto value = key->second.values.find("");
  if (value == key->second.values.end() || value->second.type != Registry::kRegSz) return "";
  const std::string& data = value->second.data;
  return data.substr(0, data.find('\0'));
}

// The collection file type as the store describes it; nothing when ".tavrin" has no
// value, which is when the association counts as absent.
std::optional<FileTypeAssociation> AssociationInStore(const Store& store) {
  const std::string typeKey = DefaultText(store, kCollExt);
  if (typeKey.empty()) return std::nullopt;
  return FileTypeAssociation{DefaultText(store, typeKey),
                             DefaultText(store, typeKey + "\\shell\\Open\\command"),
                             DefaultText(store, typeKey + "\\shell\\Run\\command"),
                             DefaultText(store, typeKey + "\\shell\\Run")};
}

// The store as the file holds it now.
Store LoadStore(const std::string& path) {
  const auto text = ReadSmallFile(path, kLargestStore);
  if (!text) return {};
  auto store = ParseStore(*text);
  return store ? std::move(*store) : Store{};
}

// Writes the store; an empty store removes the file (and its folder, when that is
// left empty).
bool SaveStore(const std::string& path, const Store& store) {
  const std::filesystem::path file(path);
  std::error_code ec;
  if (store.empty()) {
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) return false;
    std::filesystem::remove(file.parent_path(), ec);  // only when empty
    return true;
  }
  std::filesystem::create_directories(file.parent_path(), ec);
  return ReplaceFile(path, FormatStore(store));
}

}  // namespace

PosixRegistry::PosixRegistry(XdgFolders folders) : folders_(std::move(folders)) {}

std::string PosixRegistry::StorePath() const {
  return folders_.configHome + "/tavrin/registry.txt";
}

long PosixRegistry::CreateKey(Key root, const std::string& subkey, Key& key) {
  Store store = LoadStore(StorePath());
  std::string base;
  if (root != kClassesRoot) {
    const auto it = open_.find(root);
    if (it == open_.end()) return kInvalidHandle;
    if (!store.count(it->second)) return kKeyDeleted;
    base = store.at(it->second).path;
  }
  const auto names = KeyNames(subkey);
  if (!names) return kBadPathname;
  std::string path = base;
  bool added = false;
  for (const auto& name : *names) {
    // A key that exists keeps the letter case it was created with.
    const auto existing = store.find(Fold(JoinKey(path, name)));
    if (existing != store.end()) {
      path = existing->second.path;
      continue;
    }
    path = JoinKey(path, name);
    store.emplace(Fold(path), StoredKey{path, {}});
    added = true;
  }
  if (added && !SaveStore(StorePath(), store)) return kCantWrite;
  key = next_++;
  open_[key] = Fold(path);
  return kSuccess;
}

long PosixRegistry::OpenKey(Key root, const std::string& subkey, Key& key) {
  const Store store = LoadStore(StorePath());
  std::string base;
  if (root != kClassesRoot) {
    const auto it = open_.find(root);
    if (it == open_.end()) return kInvalidHandle;
    if (!it->second.empty() && !store.count(it->second)) return kKeyDeleted;
    base = it->second;
  }
  const auto names = KeyNames(subkey);
  if (!names) return kBadPathname;
  std::string path = base;
  for (const auto& name : *names) path = JoinKey(path, Fold(name));
  if (!path.empty() && !store.count(path)) return kFileNotFound;
  key = next_++;
  open_[key] = path;
  return kSuccess;
}

long PosixRegistry::QueryValue(Key key, const std::string& name, uint32_t& type, char* buffer,
                               uint32_t& size) {
  const auto it = open_.find(key);
  if (it == open_.end()) return kInvalidHandle;
  const Store store = LoadStore(StorePath());
  const auto stored = store.find(it->second);
  if (stored == store.end()) return it->second.empty() ? kFileNotFound : kKeyDeleted;
  const auto value = stored->second.values.find(Fold(name));
  if (value == stored->second.values.end()) return kFileNotFound;
  const std::string& data = value->second.data;
  type = value->second.type;
  const uint32_t needed = static_cast<uint32_t>(data.size());
  if (buffer == nullptr) {
    size = needed;
    return kSuccess;
  }
  if (needed > size) {
    size = needed;
    return kMoreData;
  }
  // The stored bytes are the value as written, a text with its closing NUL.
  std::memcpy(buffer, data.data(), data.size());  // NOLINT(bugprone-not-null-terminated-result)
  size = needed;
  return kSuccess;
}

long PosixRegistry::SetValue(Key key, const std::string& name, uint32_t type, const char* data,
                             uint32_t size) {
  const auto it = open_.find(key);
  if (it == open_.end()) return kInvalidHandle;
  // The root itself holds no values here.
  if (it->second.empty()) return kAccessDenied;
  Store store = LoadStore(StorePath());
  const auto stored = store.find(it->second);
  if (stored == store.end()) return kKeyDeleted;
  stored->second.values[Fold(name)] = {name, type, std::string(data, data ? size : 0)};
  return SaveStore(StorePath(), store) ? kSuccess : kCantWrite;
}

long PosixRegistry::DeleteKey(Key root, const std::string& subkey) {
  Store store = LoadStore(StorePath());
  std::string base;
  if (root != kClassesRoot) {
    const auto it = open_.find(root);
    if (it == open_.end()) return kInvalidHandle;
    base = it->second;
  }
  const auto names = KeyNames(subkey);
  if (!names) return kBadPathname;
  std::string path = base;
  for (const auto& name : *names) path = JoinKey(path, Fold(name));
  if (path.empty()) return kAccessDenied;
  if (!store.count(path)) return kFileNotFound;
  // The key and everything below it.
  const std::string below = path + "\\";
  std::erase_if(store, [&](const auto& entry) {
    return entry.first == path || entry.first.compare(0, below.size(), below) == 0;
  });
  return SaveStore(StorePath(), store) ? kSuccess : kCantWrite;
}

long PosixRegistry::CloseKey(Key key) {
  if (key == kClassesRoot) return kSuccess;
  return open_.erase(key) ? kSuccess : kInvalidHandle;
}

bool PosixRegistry::AssociationFilesPresent() {
  return DesktopFilesPresent(folders_, AssociationInStore(LoadStore(StorePath())));
}

std::string PosixRegistry::AssociationChanged() {
  return UpdateDesktopIntegration(folders_, AssociationInStore(LoadStore(StorePath())));
}

std::string PosixRegistry::ProgramPathProblem(const std::string& programPath) {
  return ExecProgramProblem(programPath, folders_);
}

}  // namespace tavrin::posix

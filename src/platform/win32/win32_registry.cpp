#include "platform/win32/win32_registry.h"

#include <shlobj.h>
#include <windows.h>

namespace tavrin::win32 {
namespace {

// Where the classes of the current user live; HKEY_CLASSES_ROOT shows them over
// the machine-wide ones.
constexpr const char* kUserClasses = "Software\\Classes\\";

// The rights keys are asked for: an existing key is opened to read and write its values
// (and 0x40, which the association has always asked for); a key is created non-volatile
// with the rights to read, write, add and list its subkeys and be told of changes.
constexpr REGSAM kOpenAccess =
    STANDARD_RIGHTS_REQUIRED | KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_LINK | 0x40;
constexpr REGSAM kCreateAccess = KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY |
                                 KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY | KEY_CREATE_LINK;
static_assert(kOpenAccess == 0xF0063 && kCreateAccess == 0x3F);

bool IsClassesRoot(Registry::Key key) { return key == Registry::kClassesRoot; }

HKEY ToHandle(Registry::Key key) {
  if (IsClassesRoot(key)) return HKEY_CLASSES_ROOT;
  return reinterpret_cast<HKEY>(key);
}

Registry::Key FromHandle(HKEY key) { return reinterpret_cast<Registry::Key>(key); }

// Opens a key for reading and writing, or for reading alone where writing is not
// allowed (a machine-wide key without administrator rights), so that it can still
// be read.
LONG OpenForUse(HKEY base, const std::string& subkey, HKEY& handle) {
  LONG result = RegOpenKeyExA(base, subkey.c_str(), 0, kOpenAccess, &handle);
  if (result == ERROR_ACCESS_DENIED) {
    result = RegOpenKeyExA(base, subkey.c_str(), 0, KEY_READ, &handle);
  }
  return result;
}

}  // namespace

long Win32Registry::CreateKey(Key root, const std::string& subkey, Key& key) {
  HKEY handle = nullptr;
  DWORD disposition = 0;
  // Keys of the classes root are written for this user alone.
  const HKEY base = IsClassesRoot(root) ? HKEY_CURRENT_USER : ToHandle(root);
  const std::string path = IsClassesRoot(root) ? kUserClasses + subkey : subkey;
  const LONG result = RegCreateKeyExA(base, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                      kCreateAccess, nullptr, &handle, &disposition);
  if (result == ERROR_SUCCESS) key = FromHandle(handle);
  return result;
}

long Win32Registry::OpenKey(Key root, const std::string& subkey, Key& key) {
  HKEY handle = nullptr;
  if (IsClassesRoot(root)) {
    // The per-user key first, as HKEY_CLASSES_ROOT shows it; a value written through
    // it stays per user. Systems whose classes root does not show the per-user keys
    // (Wine) see them all the same.
    if (OpenForUse(HKEY_CURRENT_USER, kUserClasses + subkey, handle) == ERROR_SUCCESS) {
      key = FromHandle(handle);
      return ERROR_SUCCESS;
    }
  }
  const LONG result = OpenForUse(ToHandle(root), subkey, handle);
  if (result == ERROR_SUCCESS) key = FromHandle(handle);
  return result;
}

long Win32Registry::QueryValue(Key key, const std::string& name, uint32_t& type, char* buffer,
                               uint32_t& size) {
  DWORD valueType = 0;
  DWORD valueSize = size;
  const LONG result = RegQueryValueExA(ToHandle(key), name.c_str(), nullptr, &valueType,
                                       reinterpret_cast<BYTE*>(buffer), &valueSize);
  type = valueType;
  size = valueSize;
  return result;
}

long Win32Registry::SetValue(Key key, const std::string& name, uint32_t type, const char* data,
                             uint32_t size) {
  return RegSetValueExA(ToHandle(key), name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data),
                        size);
}

long Win32Registry::DeleteKey(Key root, const std::string& subkey) {
  if (IsClassesRoot(root)) {
    // Only what was written per user is removed; a key with subkeys is refused.
    return RegDeleteKeyA(HKEY_CURRENT_USER, (kUserClasses + subkey).c_str());
  }
  return RegDeleteKeyA(ToHandle(root), subkey.c_str());
}

long Win32Registry::CloseKey(Key key) {
  if (IsClassesRoot(key)) return ERROR_SUCCESS;
  return RegCloseKey(ToHandle(key));
}

std::string Win32Registry::AssociationChanged() {
  SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
  return "";
}

}  // namespace tavrin::win32

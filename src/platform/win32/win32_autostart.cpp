#include "platform/win32/win32_autostart.h"

#include <windows.h>

#include <filesystem>

#include "platform/ascii.h"

namespace tavrin::win32 {
namespace {

constexpr const char* kRunKeyShown = "HKEY_CURRENT_USER\\";

// Whether a Run value's command runs the collection at `collectionPath`, whatever
// program path it names (the program may have moved since). Paths ignore case.
bool RunsCollection(const std::string& command, const std::string& collectionPath) {
  if (command.empty() || command[0] != '"') return false;
  const auto close = command.find('"', 1);
  if (close == std::string::npos) return false;
  return LowerAscii(command.substr(close + 1)) == LowerAscii(" " + collectionPath + " /run");
}

// The text of a string value; nothing when there is none.
bool ReadValue(HKEY key, const std::string& name, std::string& text) {
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      type != REG_SZ) {
    return false;
  }
  std::string buffer(size, '\0');
  if (RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                       &size) != ERROR_SUCCESS) {
    return false;
  }
  buffer.resize(size);
  while (!buffer.empty() && buffer.back() == '\0') buffer.pop_back();
  text = buffer;
  return true;
}

std::string Why(LONG code) {
  char text[512] = {};
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                 static_cast<DWORD>(code), 0, text, sizeof text, nullptr);
  std::string why = text;
  while (!why.empty() && (why.back() == '\n' || why.back() == '\r' || why.back() == ' ')) {
    why.pop_back();
  }
  return why.empty() ? "error " + std::to_string(code) : why;
}

}  // namespace

std::string AutostartCommand(const std::string& program, const std::string& collectionPath) {
  return "\"" + program + "\" " + collectionPath + " /run";
}

bool RunKeyAutostart::Enable(const std::string& program, const std::string& collectionPath,
                             std::string& where, std::string& error) {
  HKEY key = nullptr;
  LONG result = RegCreateKeyExA(HKEY_CURRENT_USER, kRunKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key, nullptr);
  if (result != ERROR_SUCCESS) {
    error = "cannot open " + std::string(kRunKeyShown) + kRunKey + ": " + Why(result);
    return false;
  }
  const std::string base = "Tavrin " + std::filesystem::path(collectionPath).stem().string();
  std::string name = base;
  std::string existing;
  for (int number = 2; ReadValue(key, name, existing) && !RunsCollection(existing, collectionPath);
       ++number) {
    name = base + " (" + std::to_string(number) + ")";
  }
  const std::string command = AutostartCommand(program, collectionPath);
  result =
      RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                     static_cast<DWORD>(command.size() + 1));
  RegCloseKey(key);
  if (result != ERROR_SUCCESS) {
    error = "cannot write the value \"" + name + "\": " + Why(result);
    return false;
  }
  where = std::string(kRunKeyShown) + kRunKey + "\\" + name;
  return true;
}

bool RunKeyAutostart::Disable(const std::string& collectionPath, std::vector<std::string>& removed,
                              std::string& error) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key) !=
      ERROR_SUCCESS) {
    return true;  // no Run key: nothing runs at login
  }
  std::vector<std::string> names;
  char name[16384];
  for (DWORD index = 0;; ++index) {
    DWORD length = sizeof name;
    if (RegEnumValueA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    std::string command;
    if (ReadValue(key, name, command) && RunsCollection(command, collectionPath)) {
      names.emplace_back(name);
    }
  }
  bool ok = true;
  for (const auto& value : names) {
    const LONG result = RegDeleteValueA(key, value.c_str());
    if (result != ERROR_SUCCESS) {
      error = "cannot remove the value \"" + value + "\": " + Why(result);
      ok = false;
      break;
    }
    removed.push_back(std::string(kRunKeyShown) + kRunKey + "\\" + value);
  }
  RegCloseKey(key);
  return ok;
}

}  // namespace tavrin::win32

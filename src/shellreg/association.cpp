#include "shellreg/association.h"

#include <algorithm>

#include "platform/files.h"
#include "platform/toolkit.h"

namespace tavrin {
namespace {

constexpr char kTypeKey[] = "Tavrin";
constexpr char kTypeName[] = "Tavrin Collection";
constexpr char kOpenCommandKey[] = "Tavrin\\shell\\Open\\command";
constexpr char kRunKey[] = "Tavrin\\shell\\Run";
constexpr char kRunCommandKey[] = "Tavrin\\shell\\Run\\command";
constexpr char kRunVerbName[] = "&Run";

// Values are read into a buffer of this many bytes, closing NUL included.
constexpr uint32_t kValueBufferSize = 256;

// Creates (or opens) `subkey` and sets its default value.
void CreateWithDefault(Registry& registry, const std::string& subkey, const std::string& value) {
  Registry::Key key = 0;
  if (registry.CreateKey(Registry::kClassesRoot, subkey, key) != Registry::kSuccess) return;
  SetRegValue(registry, key, "", Registry::kRegSz, value);
  registry.CloseKey(key);
}

// Opens the existing `subkey` and sets its default value.
void OpenWithDefault(Registry& registry, const std::string& subkey, const std::string& value) {
  Registry::Key key = 0;
  if (registry.OpenKey(Registry::kClassesRoot, subkey, key) != Registry::kSuccess) return;
  SetRegValue(registry, key, "", Registry::kRegSz, value);
  registry.CloseKey(key);
}

}  // namespace

long SetRegValue(Registry& registry, Registry::Key key, const std::string& valueName,
                 uint32_t valueType, const std::string& value) {
  // The text followed by a NUL, as a single-byte string.
  return registry.SetValue(key, valueName, valueType, value.c_str(),
                           static_cast<uint32_t>(value.size() + 1));
}

std::string GetRegValue(Registry& registry, Registry::Key root, const std::string& subkey,
                        const std::string& valueName) {
  Registry::Key key = 0;
  if (registry.OpenKey(root, subkey, key) != Registry::kSuccess) return "";
  char buffer[kValueBufferSize] = {};
  uint32_t size = kValueBufferSize;
  uint32_t type = 0;
  std::string text;
  if (registry.QueryValue(key, valueName, type, buffer, size) == Registry::kSuccess &&
      type == Registry::kRegSz && size > 0) {
    // The size counts the closing NUL.
    text.assign(buffer, std::min(size, kValueBufferSize) - 1);
  }
  registry.CloseKey(key);
  return text;
}

std::string ProgramPathFromParts(const std::string& folder, const std::string& name,
                                 char separator) {
  std::string path = folder;
  if (path.empty() || path.back() != separator) path += separator;
  return path + name + ".exe";
}

std::string AssociationProgramPath(const std::string& executablePath, bool windowsRules) {
  if (!windowsRules || executablePath.empty()) return executablePath;
  const auto sep = executablePath.find_last_of('\\');
  std::string folder = sep == std::string::npos ? "" : executablePath.substr(0, sep);
  // The folder of a program at a drive's root is the root itself, "c:\".
  if (folder.size() == 2 && folder[1] == ':') folder += '\\';
  std::string name = sep == std::string::npos ? executablePath : executablePath.substr(sep + 1);
  if (const auto dot = name.find_last_of('.'); dot != std::string::npos) name.erase(dot);
  return ProgramPathFromParts(folder, name);
}

std::string RegisterFileType(Platform& platform) {
  const std::string program = AssociationProgramPath(platform.system.ExecutablePath());
  if (program.empty()) return "";
  Registry& registry = platform.registry;
  // Nothing is written that the desktop could not start the program from.
  if (std::string problem = registry.ProgramPathProblem(program); !problem.empty()) {
    return problem;
  }
  const std::string quoted = "\"" + program + "\"";
  CreateWithDefault(registry, kCollExt, kTypeKey);
  CreateWithDefault(registry, kOpenCommandKey, quoted + " %1");
  CreateWithDefault(registry, kRunCommandKey, quoted + " %1 /run");
  // Both keys exist by now: they were created on the way to the commands.
  OpenWithDefault(registry, kTypeKey, kTypeName);
  OpenWithDefault(registry, kRunKey, kRunVerbName);
  return registry.AssociationChanged();
}

void EnsureRegistered(Platform& platform) {
  if (GetRegValue(platform.registry, Registry::kClassesRoot, kCollExt, "").empty()) {
    RegisterFileType(platform);
  } else if (!platform.registry.AssociationFilesPresent()) {
    // The store holds the association but the desktop's own files of it have gone:
    // they are made again from the store.
    platform.registry.AssociationChanged();
  }
}

std::string UnregisterFileType(Platform& platform) {
  Registry& registry = platform.registry;
  if (!GetRegValue(registry, Registry::kClassesRoot, kCollExt, "").empty()) {
    registry.DeleteKey(Registry::kClassesRoot, kCollExt);
  }
  if (!GetRegValue(registry, Registry::kClassesRoot, kTypeKey, "").empty()) {
    registry.DeleteKey(Registry::kClassesRoot, kTypeKey);
  }
  return registry.AssociationChanged();
}

void mnuOption_Click(int16_t Index, Platform& platform) {
  if (Index != 0) return;
  const int answer =
      platform.toolkit.MsgBox(kRegistryQuestion, kStyleQuestionYesNoCancel, kRegistryCaption);
  std::string problem;
  if (answer == kAnswerYes) {
    problem = RegisterFileType(platform);
  } else if (answer == kAnswerNo) {
    problem = UnregisterFileType(platform);
  }
  if (!problem.empty()) platform.toolkit.MsgBox(problem, kStyleExclamationOk, kRegistryCaption);
}

}  // namespace tavrin

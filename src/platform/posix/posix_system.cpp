#include "platform/posix/posix_system.h"

#include <gio/gio.h>
#include <limits.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/posix/posix_shell.h"
#include "platform/posix/xdg_folders.h"

namespace tavrin::posix {
namespace {

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

std::string WithoutClosingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

}  // namespace

std::string PosixSystemInfo::CollectionFolder() {
  std::string folder = Env("TAVRIN_HOME");
  if (folder.empty()) folder = XdgFolders::FromEnvironment().dataHome + "/tavrin";
  folder = WithoutClosingSlash(folder);
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  return folder;
}

std::string PosixSystemInfo::ExecutablePath() {
  char buf[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return "";
  return std::string(buf, static_cast<std::size_t>(n));
}

std::string PosixSystemInfo::FileTypeDescription(const std::string& path) {
  if (path.empty()) return "";
  GFile* file = g_file_new_for_path(path.c_str());
  GFileInfo* info = g_file_query_info(file, G_FILE_ATTRIBUTE_STANDARD_CONTENT_TYPE,
                                      G_FILE_QUERY_INFO_NONE, nullptr, nullptr);
  std::string result;
  if (info) {
    if (const char* type = g_file_info_get_content_type(info)) {
      gchar* description = g_content_type_get_description(type);
      if (description) result = description;
      g_free(description);
    }
    g_object_unref(info);
  }
  g_object_unref(file);
  return result;
}

}  // namespace tavrin::posix

namespace tavrin::posix {

std::string PosixSystemInfo::GetEnvironment(const std::string& name) { return Env(name.c_str()); }

void PosixSystemInfo::SetEnvironment(const std::string& name, const std::string& value) {
  if (value.empty()) {
    ::unsetenv(name.c_str());
  } else {
    ::setenv(name.c_str(), value.c_str(), 1);
  }
}

bool PosixSystemInfo::IsProgramFile(const std::string& path) {
  if (path.empty()) return false;
  if (path.find('/') == std::string::npos && !FindOnPath(path).empty()) return true;
  return IsExecutableFile(path);
}

}  // namespace tavrin::posix

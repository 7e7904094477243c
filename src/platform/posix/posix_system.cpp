#include "platform/posix/posix_system.h"

#include <gio/gio.h>
#include <limits.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/posix/display_probe.h"
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

void SettleMimeFolders() {
  // GIO settles its MIME folders when a description is first asked for; if a type was
  // guessed before that, it reads the whole MIME database a second time and drops the
  // first copy without freeing it. Settled before the first guess, it is read once.
  static const bool kSettled = g_content_type_get_mime_dirs() != nullptr;
  (void)kSettled;
}

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
  SettleMimeFolders();
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

void PosixSystemInfo::Pause(long ms) {
  timespec wanted{ms / 1000, (ms % 1000) * 1000000L};
  nanosleep(&wanted, nullptr);
}

bool PosixSystemInfo::TcpAnswers(const std::string& host, int port, int timeoutMs) {
  return ConnectTcp(host, port, timeoutMs);
}

std::optional<bool> PosixSystemInfo::VisibleWindowTitled(const std::string& text) {
  return windows_.VisibleWindowTitled(text);
}

}  // namespace tavrin::posix

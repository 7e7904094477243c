#include "platform/posix/autostart.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/posix/desktop_integration.h"
#include "platform/posix/posix_files.h"
#include "platform/text_encoding.h"

namespace tavrin::posix {
namespace {

constexpr std::size_t kLargestEntry = 1 << 20;

bool IsNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '.';
}

// The line that names the collection in an entry written for it.
std::string CollectionLine(const std::string& collectionPath) {
  return std::string(kAutostartCollectionKey) + "=" + DesktopFileString(collectionPath);
}

// Whether the entry at `path` was written for the collection whose line is `line`.
bool RunsCollection(const std::string& path, const std::string& line) {
  const auto content = ReadSmallFile(path, kLargestEntry);
  if (!content) return false;
  std::size_t start = 0;
  while (start < content->size()) {
    const auto end = content->find('\n', start);
    if (content->compare(start, end == std::string::npos ? end : end - start, line) == 0) {
      return true;
    }
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return false;
}

}  // namespace

std::string AutostartName(const std::string& collectionPath) {
  const std::string stem = std::filesystem::path(collectionPath).stem().string();
  std::string name;
  for (const char c : stem) {
    if (IsNameChar(c)) {
      name += c;
    } else if (name.empty() || name.back() != '-') {
      name += '-';
    }
  }
  if (!name.empty() && name.back() == '-') name.pop_back();
  if (!name.empty() && name.front() == '-') name.erase(0, 1);
  return name.empty() ? "collection" : name;
}

std::string AutostartEntry(const std::string& program, const std::string& collectionPath) {
  const std::string exec = ExecArgument(program) + " " + ExecArgument(collectionPath) + " /run";
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Name=Tavrin: " +
         DesktopFileString(std::filesystem::path(collectionPath).stem().string()) +
         "\n"
         "Comment=Starts the programs and documents of a Tavrin collection at login\n"
         "Icon=tavrin\n"
         "Exec=" +
         DesktopFileString(exec) +
         "\n"
         "Terminal=false\n" +
         CollectionLine(collectionPath) + "\n";
}

bool XdgAutostart::Enable(const std::string& program, const std::string& collectionPath,
                          std::string& where, std::string& error) {
  if (!FitsDesktopEntry(collectionPath) || !FitsDesktopEntry(program)) {
    error = "a desktop entry can hold only a path of valid UTF-8 without control characters";
    return false;
  }
  // As the file type's entries do, a program whose path holds a '%' is named by a link.
  std::string problem;
  const std::string named = ExecProgram(program, folders_, problem);
  if (named.empty()) {
    error = "the desktop cannot start the program from " + program;
    return false;
  }
  std::error_code ec;
  std::filesystem::create_directories(Folder(), ec);
  const std::string name = Folder() + "/tavrin-" + AutostartName(collectionPath);
  const std::string line = CollectionLine(collectionPath);
  std::string path = name + ".desktop";
  for (int number = 2; std::filesystem::exists(path, ec) && !RunsCollection(path, line); ++number) {
    path = name + "-" + std::to_string(number) + ".desktop";
  }
  if (!ReplaceFile(path, AutostartEntry(named, collectionPath))) {
    error = "cannot write " + path;
    return false;
  }
  where = path;
  return true;
}

bool XdgAutostart::Disable(const std::string& collectionPath, std::vector<std::string>& removed,
                           std::string& error) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const std::string line = CollectionLine(collectionPath);
  for (const auto& entry : fs::directory_iterator(Folder(), ec)) {
    const std::string file = entry.path().filename().string();
    if (file.rfind("tavrin-", 0) != 0 || entry.path().extension() != ".desktop") continue;
    const std::string path = entry.path().string();
    if (!RunsCollection(path, line)) continue;
    if (::unlink(path.c_str()) != 0) {
      error = "cannot remove " + path + ": " + std::strerror(errno);
      return false;
    }
    removed.push_back(path);
  }
  return true;
}

}  // namespace tavrin::posix

#include "platform/posix/desktop_integration.h"

#include <errno.h>
#include <fcntl.h>
#include <glib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string_view>
#include <system_error>

#include "platform/files.h"
#include "platform/posix/posix_files.h"
#include "platform/posix/posix_shell.h"
#include "platform/text_encoding.h"

namespace tavrin::posix {
namespace {

// mimeapps.list is a short file; one this large is left alone rather than rewritten.
constexpr std::size_t kLargestList = 16 << 20;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && (IsBlank(text.back()) || text.back() == '\r')) text.remove_suffix(1);
  return std::string(text);
}

std::string XmlText(const std::string& text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// --- mimeapps.list, line by line ---

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const auto end = text.find('\n', start);
    lines.push_back(text.substr(start, end == std::string::npos ? end : end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return lines;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + '\n';
  return text;
}

bool IsHeader(const std::string& line) {
  const std::string t = Trim(line);
  return !t.empty() && t.front() == '[';
}

bool IsEntry(const std::string& line) {
  const std::string t = Trim(line);
  return !t.empty() && t.front() != '#' && t.front() != '[' && t.find('=') != std::string::npos;
}

// The key of an entry line ("type=a;b;" gives "type"); empty for other lines.
std::string KeyOf(const std::string& line) {
  if (!IsEntry(line)) return "";
  return Trim(std::string_view(line).substr(0, line.find('=')));
}

std::vector<std::string> AppsOf(const std::string& line) {
  std::vector<std::string> apps;
  const std::string value = line.substr(line.find('=') + 1);
  std::size_t start = 0;
  while (start <= value.size()) {
    const auto end = value.find(';', start);
    std::string app = Trim(std::string_view(value).substr(
        start, end == std::string::npos ? std::string::npos : end - start));
    if (!app.empty()) apps.push_back(std::move(app));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return apps;
}

std::string EntryLine(const std::string& type, const std::vector<std::string>& apps) {
  std::string line = type + "=";
  for (const auto& app : apps) line += app + ";";
  return line;
}

// The end (one past the last line) of the section whose header is at `header`.
std::size_t SectionEnd(const std::vector<std::string>& lines, std::size_t header) {
  std::size_t end = header + 1;
  while (end < lines.size() && !IsHeader(lines[end])) ++end;
  return end;
}

void UpdateMimeDatabase(const std::string& mimeFolder) {
  // Started without a shell and waited for, from PATH's own folders (never from the
  // current one); where the tool is missing, the desktop rebuilds the database by itself
  // at the next log-in, so that is no error.
  std::string program = FindOnPath("update-mime-database");
  if (program.empty()) return;
  gchar* argv[] = {program.data(), const_cast<gchar*>(mimeFolder.c_str()), nullptr};
  g_spawn_sync(nullptr, argv, nullptr,
               static_cast<GSpawnFlags>(G_SPAWN_STDOUT_TO_DEV_NULL | G_SPAWN_STDERR_TO_DEV_NULL),
               nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
}

bool IsLink(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

// Whether the user made the file at `path` read-only: no one may write it, or this
// user may not.
bool IsReadOnly(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return false;
  return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 ||
         (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0 && errno == EACCES);
}

// What the user is told of a file that could not be written.
std::string CannotWrite(const std::string& path) {
  return path + "\n\nThe Tavrin could not write this file.";
}

// A link to the program for desktop entries whose program path holds a '%'.
std::string ProgramLinkPath(const XdgFolders& folders) {
  return folders.dataHome + "/tavrin-program/tavrin";
}

// Makes `link` a symbolic link to `program`, replacing the link that stood there.
bool MakeLink(const std::string& program, const std::string& link) {
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(link).parent_path(), ec);
  std::string current(4096, '\0');
  const ssize_t n = ::readlink(link.c_str(), current.data(), current.size());
  if (n > 0 && current.substr(0, static_cast<std::size_t>(n)) == program) return true;
  const std::string fresh = link + ".new";
  ::unlink(fresh.c_str());
  if (::symlink(program.c_str(), fresh.c_str()) != 0) return false;
  if (::rename(fresh.c_str(), link.c_str()) != 0) {
    ::unlink(fresh.c_str());
    return false;
  }
  return true;
}

}  // namespace

std::vector<std::string> SplitCommand(const std::string& command) {
  // The association's own commands: the program is whatever stands between the first
  // quote and the quote before the known end.
  for (const std::vector<std::string>& tail :
       {std::vector<std::string>{"%1", "/run"}, std::vector<std::string>{"%1"}}) {
    const std::string end = JoinCommand("", tail).substr(1);  // `" %1 /run`, `" %1`
    if (command.size() > end.size() && command.front() == '"' &&
        command.compare(command.size() - end.size(), end.size(), end) == 0) {
      std::vector<std::string> words{command.substr(1, command.size() - end.size() - 1)};
      words.insert(words.end(), tail.begin(), tail.end());
      return words;
    }
  }
  std::vector<std::string> words;
  std::size_t i = 0;
  const auto skipBlanks = [&] {
    while (i < command.size() && IsBlank(command[i])) ++i;
  };
  skipBlanks();
  if (i < command.size() && command[i] == '"') {
    std::size_t close = command.find('"', i + 1);
    while (close != std::string::npos && close + 1 < command.size() &&
           !IsBlank(command[close + 1])) {
      close = command.find('"', close + 1);
    }
    if (close == std::string::npos) close = command.size();
    words.push_back(command.substr(i + 1, close - i - 1));
    i = close + 1;
  }
  for (skipBlanks(); i < command.size(); skipBlanks()) {
    std::string word;
    bool quoted = false;
    for (; i < command.size() && (quoted || !IsBlank(command[i])); ++i) {
      if (command[i] == '"') {
        quoted = !quoted;
      } else {
        word += command[i];
      }
    }
    words.push_back(std::move(word));
  }
  return words;
}

std::string JoinCommand(const std::string& program, const std::vector<std::string>& words) {
  std::string command = "\"" + program + "\"";
  for (const auto& word : words) command += " " + word;
  return command;
}

std::string ExecArgument(const std::string& argument) {
  static constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
  const bool quote = argument.empty() || argument.find_first_of(kReserved) != std::string::npos;
  std::string out = quote ? "\"" : "";
  for (const char c : argument) {
    if (c == '%') {
      out += "%%";
    } else if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) {
      out += '\\';
      out += c;
    } else {
      out += c;
    }
  }
  if (quote) out += '"';
  return out;
}

std::string ExecFromCommand(const std::string& command) {
  const auto words = SplitCommand(command);
  if (words.empty() || words[0].empty()) return "";
  std::string exec = ExecArgument(words[0]);
  for (std::size_t i = 1; i < words.size(); ++i) {
    exec += ' ';
    exec += words[i] == "%1" ? std::string("%f") : ExecArgument(words[i]);
  }
  return exec;
}

bool FitsDesktopEntry(const std::string& text) {
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t len = CharLength(text, pos, TextEncoding::kUtf8);
    const auto byte = static_cast<unsigned char>(text[pos]);
    if ((len == 1 && byte >= 0x80) || byte < 0x20 || byte == 0x7F) return false;
    pos += len;
  }
  return true;
}

std::string ExecProgramProblem(const std::string& program, const XdgFolders& folders) {
  if (!FitsDesktopEntry(program)) {
    return program +
           "\n\nThe Tavrin cannot be registered from this folder: the desktop can only start "
           "a program whose path is valid UTF-8 without control characters.";
  }
  const std::string link = ProgramLinkPath(folders);
  if (program.find('%') != std::string::npos &&
      (!FitsDesktopEntry(link) || link.find('%') != std::string::npos)) {
    return program +
           "\n\nThe Tavrin cannot be registered from this folder: the desktop starts a program "
           "whose path holds a '%' through a link in " +
           folders.dataHome + ", whose path must then be valid UTF-8 without a '%'.";
  }
  return "";
}

std::string ExecProgram(const std::string& program, const XdgFolders& folders,
                        std::string& problem) {
  problem = ExecProgramProblem(program, folders);
  if (!problem.empty()) return "";
  if (program.find('%') == std::string::npos) return program;
  std::string link = ProgramLinkPath(folders);
  if (!MakeLink(program, link)) {
    problem = link + "\n\nThe Tavrin could not make this link to the program.";
    return "";
  }
  return link;
}

std::string DesktopFileString(const std::string& value) {
  std::string out;
  for (std::size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == ' ' && i == 0) {
      out += "\\s";  // a leading blank would be taken for padding
    } else {
      out += c;
    }
  }
  return out;
}

std::string ExecLine(const std::string& command) {
  const std::string exec = ExecFromCommand(command);
  return exec.empty() ? "" : "Exec=" + DesktopFileString(exec) + "\n";
}

std::string MimePackage(const FileTypeAssociation& association) {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
      "  <mime-type type=\"" +
      std::string(kCollectionType) + "\">\n";
  if (!association.description.empty()) {
    xml += "    <comment>" + XmlText(association.description) + "</comment>\n";
  }
  xml += "    <sub-class-of type=\"text/plain\"/>\n    <glob pattern=\"*" + std::string(kCollExt) +
         "\"/>\n"
         "  </mime-type>\n"
         "</mime-info>\n";
  return xml;
}

namespace {

// A desktop entry for collection files, hidden from menus (the menu entry is the
// installed one).
std::string CollectionEntry(const std::string& name, const std::string& comment,
                            const std::string& command) {
  const std::string exec = ExecLine(command);
  if (exec.empty()) return "";
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Name=" +
         name +
         "\n"
         "Comment=" +
         comment +
         "\n"
         "Icon=tavrin\n" +
         exec +
         "Terminal=false\n"
         "NoDisplay=true\n"
         "MimeType=" +
         std::string(kCollectionType) + ";\n";
}

}  // namespace

std::string DesktopEntry(const FileTypeAssociation& association) {
  return CollectionEntry("Tavrin", "Start the programs and documents of a collection",
                         association.openCommand);
}

std::string RunDesktopEntry(const FileTypeAssociation& association) {
  return CollectionEntry(kRunEntryName, "Start every item of the collection without a window",
                         association.runCommand);
}

namespace {

// The program an installed desktop entry's Exec line starts, found on PATH when it is a
// bare name; empty when there is none.
std::string EntryProgram(const std::string& entryFile) {
  std::ifstream in(entryFile);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("Exec=", 0) != 0) continue;
    const std::vector<std::string> words = SplitCommand(line.substr(5));
    if (words.empty()) return "";
    return words[0].find('/') == std::string::npos ? FindOnPath(words[0]) : words[0];
  }
  return "";
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa {};
  struct stat sb {};
  return !a.empty() && !b.empty() && ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 &&
         sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace

bool InstalledEntriesStart(const XdgFolders& folders, const std::string& command) {
  const std::vector<std::string> words = SplitCommand(command);
  if (words.empty()) return false;
  for (const std::string& dir : folders.dataDirs) {
    const std::string apps = dir + "/applications/";
    const std::string open = EntryProgram(apps + "tavrin.desktop");
    if (open.empty()) continue;
    return SameFile(open, words[0]) &&
           SameFile(EntryProgram(apps + "tavrin_run.desktop"), words[0]);
  }
  return false;
}

bool DesktopFilesPresent(const XdgFolders& folders,
                         const std::optional<FileTypeAssociation>& association) {
  std::vector<std::string> files = {folders.dataHome + "/mime/packages/" + kMimePackageName};
  if (!association || !InstalledEntriesStart(folders, association->openCommand)) {
    files.push_back(folders.dataHome + "/applications/" + kDesktopId);
    files.push_back(folders.dataHome + "/applications/" + kRunDesktopId);
  }
  for (const std::string& file : files) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) return false;
  }
  return true;
}

std::string WithApplication(const std::string& list, const std::string& section,
                            const std::string& type, const std::string& desktopId) {
  std::vector<std::string> lines = Lines(list);
  std::size_t header = 0;
  while (header < lines.size() && Trim(lines[header]) != section) ++header;
  if (header == lines.size()) {
    lines.push_back(section);
    lines.push_back(EntryLine(type, {desktopId}));
    return Joined(lines);
  }
  const std::size_t end = SectionEnd(lines, header);
  bool found = false;
  for (std::size_t i = header + 1; i < end; ++i) {
    if (KeyOf(lines[i]) != type) continue;
    std::vector<std::string> apps{desktopId};
    for (auto& app : AppsOf(lines[i])) {
      if (app != desktopId) apps.push_back(std::move(app));
    }
    lines[i] = EntryLine(type, apps);
    found = true;
  }
  if (!found) {
    // After the section's last line that is not blank.
    std::size_t at = end;
    while (at > header + 1 && Trim(lines[at - 1]).empty()) --at;
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), EntryLine(type, {desktopId}));
  }
  return Joined(lines);
}

std::string WithoutApplication(const std::string& list, const std::string& section,
                               const std::string& type, const std::string& desktopId) {
  std::vector<std::string> lines = Lines(list);
  bool changed = false;
  for (std::size_t header = 0; header < lines.size(); ++header) {
    if (Trim(lines[header]) != section) continue;
    bool touched = false;
    for (std::size_t i = header + 1; i < lines.size() && !IsHeader(lines[i]);) {
      auto apps = AppsOf(lines[i]);
      if (KeyOf(lines[i]) != type || std::erase(apps, desktopId) == 0) {
        ++i;
        continue;
      }
      touched = true;
      if (apps.empty()) {
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
      } else {
        lines[i] = EntryLine(type, apps);
        ++i;
      }
    }
    if (!touched) continue;
    changed = true;
    bool entriesLeft = false;
    for (std::size_t i = header + 1; i < lines.size() && !IsHeader(lines[i]); ++i) {
      entriesLeft = entriesLeft || IsEntry(lines[i]);
    }
    if (!entriesLeft) lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(header--));
  }
  if (!changed) return list;
  const std::string text = Joined(lines);
  return text.find_first_not_of(" \t\r\n") == std::string::npos ? "" : text;
}

std::optional<std::string> ReadList(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 && errno == ENOENT) return std::string();
  return ReadSmallFile(path, kLargestList);
}

std::string UpdateListedApplications(const std::string& listPath, bool present,
                                     const ListReader& read) {
  const std::pair<const char*, const char*> listed[] = {{kAddedAssociations, kRunDesktopId},
                                                        {kAddedAssociations, kDesktopId},
                                                        {kDefaultApplications, kDesktopId}};

  // Another program may write the list while it is changed here: the change is made on
  // what was read, and written only while the list is still what was read.
  constexpr int kAttempts = 5;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const auto current = read(listPath);
    if (!current) return CannotWrite(listPath);  // a list that cannot be read is never replaced
    std::string updated =
        WithoutApplication(*current, kAddedAssociations, kCollectionType, kOldRunDesktopId);
    for (const auto& [section, id] : listed) {
      updated = present ? WithApplication(updated, section, kCollectionType, id)
                        : WithoutApplication(updated, section, kCollectionType, id);
    }
    if (updated == *current) return "";
    if (!current->empty() && IsReadOnly(listPath)) {
      return listPath +
             "\n\nThis file is read-only and was left as it is: the desktop's choice of "
             "program for Tavrin Collections has not changed.";
    }
    if (read(listPath) != current) continue;  // changed meanwhile: once more
    if (updated.empty() && !IsLink(listPath)) {
      return ::unlink(listPath.c_str()) == 0 || errno == ENOENT ? "" : CannotWrite(listPath);
    }
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(listPath).parent_path(), ec);
    return ReplaceFile(listPath, updated) ? "" : CannotWrite(listPath);
  }
  return listPath + "\n\nThis file kept being changed by another program and was left as it is.";
}

std::string UpdateDesktopIntegration(const XdgFolders& folders,
                                     const std::optional<FileTypeAssociation>& association) {
  namespace fs = std::filesystem;
  std::error_code ec;
  std::string problem;
  const auto note = [&problem](const std::string& what) {
    if (problem.empty()) problem = what;
  };
  const std::string mimeFolder = folders.dataHome + "/mime";
  const std::string package = mimeFolder + "/packages/" + kMimePackageName;
  const std::string appsFolder = folders.dataHome + "/applications";
  const std::string entryPath = appsFolder + "/" + kDesktopId;
  const std::string runEntryPath = appsFolder + "/" + kRunDesktopId;

  // The entries name the program as a desktop entry can (see ExecProgram).
  std::optional<FileTypeAssociation> named = association;
  if (named) {
    for (std::string* command : {&named->openCommand, &named->runCommand}) {
      auto words = SplitCommand(*command);
      if (words.empty() || words[0].empty()) continue;
      std::string why;
      const std::string program = ExecProgram(words[0], folders, why);
      note(why);
      words.erase(words.begin());
      *command = program.empty() ? "" : JoinCommand(program, words);
    }
  }
  // Where the installed entries start this same program, the user's own copies would
  // only offer it twice: none are written, and earlier ones go.
  const bool installed = association && InstalledEntriesStart(folders, association->openCommand);
  const std::string entry = named && !installed ? DesktopEntry(*named) : "";
  const std::string runEntry = named && !entry.empty() ? RunDesktopEntry(*named) : "";

  if (association) {
    fs::create_directories(mimeFolder + "/packages", ec);
    if (ReplaceFile(package, MimePackage(*association))) {
      UpdateMimeDatabase(mimeFolder);
    } else {
      note(CannotWrite(package));
    }
  } else if (::unlink(package.c_str()) == 0) {
    UpdateMimeDatabase(mimeFolder);
  }

  ::unlink((appsFolder + "/" + kOldRunDesktopId).c_str());
  for (const auto& [path, content] : {std::pair{entryPath, entry}, {runEntryPath, runEntry}}) {
    if (!content.empty()) {
      fs::create_directories(appsFolder, ec);
      if (!ReplaceFile(path, content)) note(CannotWrite(path));
    } else {
      ::unlink(path.c_str());
    }
  }

  note(UpdateListedApplications(folders.configHome + "/mimeapps.list", !entry.empty()));
  return problem;
}

}  // namespace tavrin::posix

#include "platform/win32/win32_files.h"

#include <windows.h>

// After windows.h: the Recycle Bin.
#include <shellapi.h>
// The interface's DeleteFile, not the macro that names DeleteFileA.
#undef DeleteFile

#include <atomic>
#include <cstdio>
#include <vector>

#include "platform/ascii.h"

namespace tavrin::win32 {
namespace {

// Temporary names tried before giving up (each one is taken only if it is new).
constexpr int kTempAttempts = 100;

// The attributes a replaced file hands on to its new content. Read-only files are never
// replaced; compression and encryption go with the file itself; the new content is marked
// for archiving, as any change is.
constexpr DWORD kCarriedAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// The folder part of a path with its separator ("C:\x\"), or "" when it has none.
std::string FolderWithSeparator(const std::string& path) {
  const auto cut = path.find_last_of("\\/");
  if (cut != std::string::npos) return path.substr(0, cut + 1);
  if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2);  // "C:name"
  return "";
}

std::string NameOf(const std::string& path) {
  return path.substr(FolderWithSeparator(path).size());
}

// A name beside `target` for a file of the save's own: "~<file>.<number><suffix>", the
// number new to this process.
std::string UnusedNameBeside(const std::string& target, const char* suffix) {
  static std::atomic<unsigned> counter{0};
  char number[32];
  std::snprintf(number, sizeof number, "%lx%x", GetCurrentProcessId(), counter++);
  return FolderWithSeparator(target) + "~" + NameOf(target) + "." + number + suffix;
}

// Gives `to` the access list (the permissions) of `from`, where it can be read.
void CopyPermissions(const std::string& from, const std::string& to) {
  DWORD size = 0;
  GetFileSecurityA(from.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &size);
  if (size == 0) return;
  std::vector<char> descriptor(size);
  if (GetFileSecurityA(from.c_str(), DACL_SECURITY_INFORMATION, descriptor.data(), size, &size)) {
    SetFileSecurityA(to.c_str(), DACL_SECURITY_INFORMATION, descriptor.data());
  }
}

// Replaces the existing file `target` with the file `replacement`, keeping what belongs
// to the file rather than to its content: ReplaceFileA keeps its security descriptor
// (its permissions), its other streams, its creation time and short name. Its attributes
// (Hidden, System, ...) and permissions are given to the new content first as well,
// since not every system's ReplaceFileA carries them over (Wine's does not). The old
// content waits under a backup name until the new one is in place, so that a replacement
// that fails halfway can put it back; without one, a failed rename would leave neither
// file under the name.
bool ReplaceKeepingTheFile(const std::string& replacement, const std::string& target,
                           DWORD attributes) {
  // Full paths: some systems refuse relative names here.
  const std::string to = FullPath(target);
  const std::string from = FullPath(replacement);
  CopyPermissions(to, from);
  SetFileAttributesA(from.c_str(), (attributes & kCarriedAttributes) | FILE_ATTRIBUTE_ARCHIVE);
  std::string backup;
  for (int attempt = 0; attempt < kTempAttempts && backup.empty(); ++attempt) {
    const std::string candidate = UnusedNameBeside(to, ".bak");
    if (GetFileAttributesA(candidate.c_str()) == INVALID_FILE_ATTRIBUTES) backup = candidate;
  }
  if (backup.empty()) return false;
  if (ReplaceFileA(to.c_str(), from.c_str(), backup.c_str(), 0, nullptr, nullptr)) {
    SetFileAttributesA(backup.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(backup.c_str());
    return true;
  }
  // The new content could not take the name after the old one had left it: the old one
  // goes back.
  if (GetLastError() == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
    MoveFileExA(backup.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  }
  return false;
}

class Win32OutFile : public OutFile {
 public:
  explicit Win32OutFile(HANDLE file) : file_(file) {}
  ~Win32OutFile() override {
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
  }
  Win32OutFile(const Win32OutFile&) = delete;
  Win32OutFile& operator=(const Win32OutFile&) = delete;

  bool Write(std::string_view bytes) override {
    if (file_ == INVALID_HANDLE_VALUE) return false;
    while (!bytes.empty()) {
      const DWORD chunk = bytes.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(bytes.size());
      DWORD written = 0;
      if (!WriteFile(file_, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
      bytes.remove_prefix(written);
    }
    return true;
  }

  bool Flush() override { return file_ != INVALID_HANDLE_VALUE && FlushFileBuffers(file_) != 0; }

  bool Close() override {
    if (file_ == INVALID_HANDLE_VALUE) return false;
    const HANDLE file = file_;
    file_ = INVALID_HANDLE_VALUE;
    return CloseHandle(file) != 0;
  }

 private:
  HANDLE file_;
};

class Win32InFile : public InFile {
 public:
  explicit Win32InFile(HANDLE file) : file_(file) {}
  ~Win32InFile() override { CloseHandle(file_); }
  Win32InFile(const Win32InFile&) = delete;
  Win32InFile& operator=(const Win32InFile&) = delete;

  long Read(char* buffer, std::size_t size) override {
    const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
    DWORD read = 0;
    if (!ReadFile(file_, buffer, chunk, &read, nullptr)) return -1;
    return static_cast<long>(read);
  }

 private:
  HANDLE file_;
};

}  // namespace

std::string FullPath(const std::string& path) {
  const DWORD needed = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return path;
  std::string full(needed, '\0');
  const DWORD n = GetFullPathNameA(path.c_str(), needed, full.data(), nullptr);
  if (n == 0 || n >= needed) return path;
  full.resize(n);
  return full;
}

std::unique_ptr<InFile> Win32FileSystem::OpenForReading(const std::string& path) {
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  if (GetFileType(file) != FILE_TYPE_DISK) {
    CloseHandle(file);
    return nullptr;
  }
  return std::make_unique<Win32InFile>(file);
}

SavePlan Win32FileSystem::PlanSave(const std::string& path) {
  SavePlan plan;
  plan.target = WriteTarget(path);
  const DWORD attrs = GetFileAttributesA(plan.target.c_str());
  if (attrs == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    plan.way = error == ERROR_FILE_NOT_FOUND ? SaveWay::kReplace : SaveWay::kRefused;
    return plan;
  }
  if (attrs & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) {
    plan.way = SaveWay::kRefused;
    return plan;
  }
  plan.way = SaveWay::kReplace;
  const HANDLE file =
      CreateFileA(plan.target.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileInformationByHandle(file, &info) && info.nNumberOfLinks > 1) {
      plan.way = SaveWay::kInPlace;
    }
    CloseHandle(file);
  }
  return plan;
}

bool Win32FileSystem::RewriteInPlace(const std::string& path, std::string_view bytes) {
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  if (GetFileType(file) != FILE_TYPE_DISK) {
    CloseHandle(file);
    return false;
  }
  Win32OutFile out(file);
  return out.Write(bytes) && SetEndOfFile(file) != 0 && out.Flush() && out.Close();
}

std::unique_ptr<OutFile> Win32FileSystem::CreateTempBeside(const std::string& target,
                                                           std::string& tempPath) {
  for (int attempt = 0; attempt < kTempAttempts; ++attempt) {
    const std::string candidate = UnusedNameBeside(target, ".tmp");
    const HANDLE file = CreateFileA(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      tempPath = candidate;
      return std::make_unique<Win32OutFile>(file);
    }
    // Only a name that is taken is worth another try.
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return nullptr;
  }
  return nullptr;
}

bool Win32FileSystem::Rename(const std::string& from, const std::string& to) {
  const DWORD attrs = GetFileAttributesA(to.c_str());
  if (attrs == INVALID_FILE_ATTRIBUTES) {
    return MoveFileExA(from.c_str(), to.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  }
  // A read-only file is not replaced (not every system refuses it by itself).
  if (attrs & FILE_ATTRIBUTE_READONLY) return false;
  return ReplaceKeepingTheFile(from, to, attrs);
}

bool Win32FileSystem::Exists(const std::string& path) {
  return !path.empty() && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool Win32FileSystem::IsFolder(const std::string& path) {
  if (path.empty()) return false;
  const DWORD attrs = GetFileAttributesA(path.c_str());
  return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool Win32FileSystem::Remove(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

int Win32FileSystem::DeleteFile(const std::string& path) {
  if (DeleteFileA(path.c_str())) return 0;
  switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return kRuntimeFileNotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return kRuntimePermissionDenied;
    default:
      return kRuntimePathFileAccess;
  }
}

int Win32FileSystem::TrashFile(const std::string& path) {
  const DWORD attrs = GetFileAttributesA(path.c_str());
  if (attrs == INVALID_FILE_ATTRIBUTES) {
    return GetLastError() == ERROR_ACCESS_DENIED ? kRuntimePermissionDenied : kRuntimeFileNotFound;
  }
  if ((attrs & FILE_ATTRIBUTE_READONLY) != 0) return kRuntimePermissionDenied;
  // A drive without a Recycle Bin would have the file deleted for good.
  char full[MAX_PATH];
  const DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  if (length == 0 || length >= sizeof full) return kRuntimePathFileAccess;
  char root[MAX_PATH];
  SHQUERYRBINFO bin{};
  bin.cbSize = sizeof bin;
  if (!GetVolumePathNameA(full, root, sizeof root) || FAILED(SHQueryRecycleBinA(root, &bin))) {
    return kNoTrash;
  }
  std::string from = std::string(full, length) + '\0' + '\0';
  SHFILEOPSTRUCTA operation{};
  operation.wFunc = FO_DELETE;
  operation.pFrom = from.c_str();
  operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
  const int failure = SHFileOperationA(&operation);
  if (failure == 0 && !operation.fAnyOperationsAborted) return 0;
  return failure == ERROR_ACCESS_DENIED || failure == 0x78 /* DE_ACCESSDENIEDSRC */
             ? kRuntimePermissionDenied
             : kRuntimePathFileAccess;
}

std::vector<std::string> Win32FileSystem::ListFiles(const std::string& folder,
                                                    const std::string& extension) {
  std::vector<std::string> names;
  if (folder.empty()) return names;
  const std::string pattern = folder + (IsSeparator(folder.back()) ? "*" : "\\*");
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const std::string name = found.cFileName;
    if (EndsWithIgnoringCase(name, extension)) names.push_back(name);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

std::string Win32FileSystem::WriteTarget(const std::string& path) {
  const DWORD attrs = GetFileAttributesA(path.c_str());
  if (attrs == INVALID_FILE_ATTRIBUTES || !(attrs & FILE_ATTRIBUTE_REPARSE_POINT)) return path;
  // A link: writing replaces the file it leads to, not the link.
  const HANDLE file =
      CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return path;
  char buffer[MAX_PATH * 4];
  const DWORD n = GetFinalPathNameByHandleA(file, buffer, sizeof buffer,
                                            FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  CloseHandle(file);
  if (n == 0 || n >= sizeof buffer) return path;
  std::string target(buffer, n);
  if (target.rfind("\\\\?\\UNC\\", 0) == 0) return "\\\\" + target.substr(8);
  if (target.rfind("\\\\?\\", 0) == 0) return target.substr(4);
  return target;
}

std::string Win32FileSystem::SavedPath(const std::string& path) {
  return path.empty() ? "" : FullPath(WriteTarget(FullPath(path)));
}

std::string Win32FileSystem::FileIdentity(const std::string& path) {
  if (path.empty()) return "";
  const HANDLE file =
      CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "";
  BY_HANDLE_FILE_INFORMATION info;
  const BOOL ok = GetFileInformationByHandle(file, &info);
  CloseHandle(file);
  if (!ok) return "";
  char text[32];
  std::snprintf(text, sizeof text, "%08lx:%08lx%08lx",
                static_cast<unsigned long>(info.dwVolumeSerialNumber),
                static_cast<unsigned long>(info.nFileIndexHigh),
                static_cast<unsigned long>(info.nFileIndexLow));
  return text;
}

}  // namespace tavrin::win32

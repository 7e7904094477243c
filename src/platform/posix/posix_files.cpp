#include "platform/posix/posix_files.h"

#include "platform/ascii.h"
#include "platform/posix/gio_library.h"
#include "platform/posix/posix_paths.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace tavrin {

namespace {

// Symbolic links followed at most, as the kernel does.
inline constexpr int kMaxLinks = 40;

// A descriptor, closed when it goes.
class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Fd& operator=(Fd&& other) noexcept {
    if (this != &other) {
      if (fd_ >= 0) ::close(fd_);
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }
  explicit operator bool() const { return fd_ >= 0; }

 private:
  int fd_;
};

// The parts of a path between its slashes, without the empty ones and ".".
std::vector<std::string> PartsOf(const std::string& path) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    std::string part = path.substr(start, end - start);
    if (!part.empty() && part != ".") parts.push_back(std::move(part));
    start = end + 1;
  }
  return parts;
}

// True when this process may give a file the owner and group of `st`: root may give
// any; others only keep their own files, in a group they belong to.
bool CanGiveOwner(const struct stat& st) {
  const uid_t uid = ::geteuid();
  if (uid == 0) return true;
  if (st.st_uid != uid) return false;
  if (st.st_gid == ::getegid()) return true;
  const int n = ::getgroups(0, nullptr);
  if (n <= 0) return false;
  std::vector<gid_t> groups(static_cast<std::size_t>(n));
  const int got = ::getgroups(n, groups.data());
  return got > 0 && std::find(groups.begin(), groups.begin() + got, st.st_gid) != groups.end();
}

// Whether others than this user and root may add, remove or rename entries of the
// folder described by `folder`: it belongs to someone else, or its group or everybody
// may write it.
bool WritableByOthers(const struct stat& folder) {
  const uid_t uid = ::geteuid();
  if (folder.st_uid != uid && folder.st_uid != 0) return true;
  return (folder.st_mode & (S_IWGRP | S_IWOTH)) != 0;
}

bool FolderWritableByOthers(int folder) {
  struct stat st {};
  // A folder that cannot be looked at is taken for one that others may write.
  return ::fstat(folder, &st) != 0 || WritableByOthers(st);
}

// Whether a save may follow the symbolic link `link` (its own status) that stands in
// `folder`: the link is this user's or root's, or it stands in a folder where nobody
// else could have put it. (A link that another user planted in a shared folder would
// otherwise make the save replace whatever file or folder that user named.)
bool MayFollowLink(const struct stat& link, int folder) {
  const uid_t uid = ::geteuid();
  return link.st_uid == uid || link.st_uid == 0 || !FolderWritableByOthers(folder);
}

// What the link opened as `link` names; false when it cannot be read.
bool LinkText(int link, std::string& text) {
  std::string buffer(static_cast<std::size_t>(PATH_MAX), '\0');
  const ssize_t n = ::readlinkat(link, "", buffer.data(), buffer.size());
  if (n <= 0 || static_cast<std::size_t>(n) >= buffer.size()) return false;
  buffer.resize(static_cast<std::size_t>(n));
  text = std::move(buffer);
  return true;
}

Fd OpenFolderOf(const std::string& path) {
  return Fd(
      ::open(!path.empty() && path.front() == '/' ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
}

// Where a save of a path writes, as the walk along the path found it.
struct Located {
  Fd folder;         // the folder that holds the file, opened (O_PATH) as the walk found it
  std::string name;  // the file's name in that folder
  std::string path;  // the path given, or where the links standing at its end lead
  bool exists = false;
  struct stat file {};  // the file found, when it exists
};

// Walks `path` part by part, each from the folder opened before it, so that nothing
// swapped in along the way later changes where the save goes. A symbolic link, in a
// folder of the path as at its end, is followed only as MayFollowLink allows; a link at
// the end that names nothing is not followed into making the file it names. False when
// the walk must stop there: such a link, a loop, a part that is missing (but the last)
// or no folder.
bool Locate(const std::string& path, Located& at) {
  std::vector<std::string> parts = PartsOf(path);
  std::reverse(parts.begin(), parts.end());  // the next part at the back
  Fd folder = OpenFolderOf(path);
  if (!folder || parts.empty()) return false;
  std::string shown = path;
  bool endIsLinked = false;  // the last part is what a link at the end names
  for (int links = 0; !parts.empty();) {
    const std::string part = std::move(parts.back());
    parts.pop_back();
    const bool last = parts.empty();
    Fd node(::openat(folder.get(), part.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    struct stat st {};
    if (!node) {
      if (!last || errno != ENOENT || endIsLinked) return false;
      at = Located{std::move(folder), part, shown, false, {}};
      return true;
    }
    if (::fstat(node.get(), &st) != 0) return false;
    if (S_ISLNK(st.st_mode)) {
      std::string target;
      if (++links > kMaxLinks || !MayFollowLink(st, folder.get()) ||
          !LinkText(node.get(), target)) {
        return false;
      }
      const std::vector<std::string> more = PartsOf(target);
      if (last) {
        if (more.empty()) return false;  // a link to a folder is no file
        shown = target.front() == '/' ? target : posix::ParentFolder(shown) + "/" + target;
        endIsLinked = true;
      }
      if (target.front() == '/') folder = OpenFolderOf(target);
      if (!folder) return false;
      parts.insert(parts.end(), more.rbegin(), more.rend());
      continue;
    }
    if (last) {
      at = Located{std::move(folder), part, shown, true, st};
      return true;
    }
    if (!S_ISDIR(st.st_mode)) return false;
    folder = std::move(node);
  }
  return false;
}

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The temporary files of saves of the file named `name` are ".<name>.XXXXXX", the six
// last characters letters and digits.
inline constexpr std::size_t kTempRandom = 6;

bool IsTempNameOf(const std::string& entry, const std::string& name) {
  const std::string prefix = "." + name + ".";
  if (entry.size() != prefix.size() + kTempRandom || entry.compare(0, prefix.size(), prefix) != 0) {
    return false;
  }
  return std::all_of(
      entry.begin() + static_cast<std::ptrdiff_t>(prefix.size()), entry.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
      });
}

// A new temporary file for the file `name` in `folder`, made with `mode` (less the
// umask, as the system makes every file); sets `tempName`.
Fd CreateTempFile(int folder, const std::string& name, mode_t mode, std::string& tempName) {
  static constexpr char kAlphabet[] =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  for (int attempt = 0; attempt < 100; ++attempt) {
    unsigned char random[kTempRandom];
    if (::getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random)) {
      return Fd();
    }
    std::string candidate = "." + name + ".";
    for (const unsigned char r : random) candidate += kAlphabet[r % (sizeof kAlphabet - 1)];
    Fd fd(::openat(folder, candidate.c_str(),
                   O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, mode));
    if (fd) {
      tempName = std::move(candidate);
      return fd;
    }
    if (errno != EEXIST) return Fd();
  }
  return Fd();
}

// Removes the temporary files that earlier saves of the file `name` left in `folder`
// when they were killed or crashed: this user's regular files of the naming pattern that
// no save holds locked (a save locks its temporary file from its creation until it has
// been renamed or removed).
void RemoveStaleTempFiles(int folder, const std::string& name) {
  const int listed = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (listed < 0) return;
  DIR* dir = ::fdopendir(listed);
  if (dir == nullptr) {
    ::close(listed);
    return;
  }
  while (const dirent* entry = ::readdir(dir)) {
    if (!IsTempNameOf(entry->d_name, name)) continue;
    const Fd fd(
        ::openat(listed, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd) continue;
    struct stat st {};
    if (::fstat(fd.get(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
        ::flock(fd.get(), LOCK_EX | LOCK_NB) == 0) {
      ::unlinkat(listed, entry->d_name, 0);
    }
  }
  ::closedir(dir);
}

// Pushes the names in `folder` to the storage device; a folder that cannot be synced
// changes nothing.
void SyncFolder(int folder) {
  const Fd readable(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (readable) ::fsync(readable.get());
}

// Opens an existing regular file for reading without waiting: opening a FIFO waits
// for a writer, and a device may wait too, so the open itself does not wait, and only
// a regular file is kept. -1 when refused.
int OpenRegularFile(const std::string& path) {
  Fd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (!fd) return -1;
  struct stat st {};
  const int flags = ::fcntl(fd.get(), F_GETFL);
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || flags < 0 ||
      ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) {
    return -1;
  }
  return fd.release();
}

class PosixOutFile : public OutFile {
 public:
  explicit PosixOutFile(int fd) : fd_(fd) {}
  ~PosixOutFile() override {
    if (fd_ >= 0) ::close(fd_);
  }
  PosixOutFile(const PosixOutFile&) = delete;
  PosixOutFile& operator=(const PosixOutFile&) = delete;

  bool Write(std::string_view bytes) override {
    if (fd_ < 0) return false;
    while (!bytes.empty()) {
      const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
      if (n < 0) {
        if (errno == EINTR) continue;
        return false;
      }
      bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
  }

  bool Flush() override { return fd_ >= 0 && ::fsync(fd_) == 0; }

  bool Close() override {
    if (fd_ < 0) return false;
    const int fd = fd_;
    fd_ = -1;
    // After close fails the descriptor is gone all the same; it is not retried.
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

class PosixInFile : public InFile {
 public:
  explicit PosixInFile(int fd) : fd_(fd) {}
  ~PosixInFile() override { ::close(fd_); }
  PosixInFile(const PosixInFile&) = delete;
  PosixInFile& operator=(const PosixInFile&) = delete;

  long Read(char* buffer, std::size_t size) override {
    for (;;) {
      const ssize_t n = ::read(fd_, buffer, size);
      if (n < 0 && errno == EINTR) continue;
      return n < 0 ? -1 : static_cast<long>(n);
    }
  }

 private:
  int fd_;
};

}  // namespace

std::unique_ptr<InFile> PosixFileSystem::OpenForReading(const std::string& path) {
  const int fd = OpenRegularFile(path);
  if (fd < 0) return nullptr;
  return std::make_unique<PosixInFile>(fd);
}

PosixFileSystem::Planned* PosixFileSystem::Keep(const std::string& target, int folder,
                                                const std::string& name, bool exists,
                                                const struct stat& file) {
  Planned& planned = planned_[target];
  if (planned.folder >= 0) ::close(planned.folder);
  planned = Planned{folder, name, exists, file};
  return &planned;
}

void PosixFileSystem::Forget(const std::string& target) {
  const auto it = planned_.find(target);
  if (it == planned_.end()) return;
  ::close(it->second.folder);
  planned_.erase(it);
}

SavePlan PosixFileSystem::PlanSave(const std::string& path) {
  SavePlan plan;
  Located at;
  if (!Locate(path, at)) return plan;  // refused
  plan.target = at.path;
  Forget(plan.target);
  if (!at.exists) {
    // A new file (where its folder takes none, making the temporary file fails).
    plan.way = SaveWay::kReplace;
    Keep(plan.target, at.folder.release(), at.name, at.exists, at.file);
    return plan;
  }
  const struct stat& st = at.file;
  const int folder = at.folder.get();
  if (!S_ISREG(st.st_mode) || ::faccessat(folder, at.name.c_str(), W_OK, AT_EACCESS) != 0) {
    return plan;  // refused
  }
  const bool folderTakesFiles = ::faccessat(folder, ".", W_OK | X_OK, AT_EACCESS) == 0;
  const bool canReplace = folderTakesFiles && CanGiveOwner(st);
  if (st.st_nlink > 1 && FolderWritableByOthers(folder)) {
    // Another name of the file may have been planted here by someone else, as a link to
    // a file of the user's: the name saved gets a file of its own, and the other names
    // keep theirs.
    plan.way = canReplace ? SaveWay::kReplace : SaveWay::kRefused;
  } else {
    plan.way = st.st_nlink > 1 || !canReplace ? SaveWay::kInPlace : SaveWay::kReplace;
  }
  if (plan.way != SaveWay::kRefused) {
    Keep(plan.target, at.folder.release(), at.name, at.exists, at.file);
  }
  return plan;
}

bool PosixFileSystem::RewriteInPlace(const std::string& path, std::string_view bytes) {
  // Never waits on, nor follows, what was swapped in for the file since it was planned;
  // what is no longer the file the plan examined is not written.
  const auto planned = planned_.find(path);
  const int folder = planned == planned_.end() ? AT_FDCWD : planned->second.folder;
  const std::string name = planned == planned_.end() ? path : planned->second.name;
  Fd fd(::openat(folder, name.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC));
  struct stat st {};
  const int flags = fd ? ::fcntl(fd.get(), F_GETFL) : -1;
  bool ok = fd && ::fstat(fd.get(), &st) == 0 && S_ISREG(st.st_mode) && flags >= 0 &&
            ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK) == 0;
  if (ok && planned != planned_.end()) {
    ok = planned->second.exists && SameFile(st, planned->second.file);
  }
  Forget(path);
  if (!ok) return false;
  const auto length = static_cast<off_t>(bytes.size());
  if (length > st.st_size) {
    const int err = ::posix_fallocate(fd.get(), 0, length);
    // A file system that cannot reserve room is written without reserving it.
    if (err != 0 && err != EOPNOTSUPP && err != EINVAL) {
      [[maybe_unused]] const int restored = ::ftruncate(fd.get(), st.st_size);
      return false;
    }
  }
  for (off_t at = 0; ok && at < length;) {
    const ssize_t n =
        ::pwrite(fd.get(), bytes.data() + at, static_cast<std::size_t>(length - at), at);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) ok = false;
    if (n > 0) at += n;
  }
  ok = ok && ::ftruncate(fd.get(), length) == 0 && ::fsync(fd.get()) == 0;
  return ::close(fd.release()) == 0 && ok;
}

std::unique_ptr<OutFile> PosixFileSystem::CreateTempBeside(const std::string& target,
                                                           std::string& tempPath) {
  auto it = planned_.find(target);
  Planned* planned = it == planned_.end() ? nullptr : &it->second;
  if (planned == nullptr) {
    // Not planned: the file is taken as it stands now.
    Located at;
    if (!Locate(target, at)) return nullptr;
    planned = Keep(target, at.folder.release(), at.name, at.exists, at.file);
  }
  RemoveStaleTempFiles(planned->folder, planned->name);
  // The name still names the file that the plan examined, or still nothing: owner and
  // mode come from that file alone, never from what was swapped in for it since.
  struct stat now {};
  const bool found =
      ::fstatat(planned->folder, planned->name.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0;
  const bool unchanged =
      planned->exists ? found && SameFile(now, planned->file) : !found && errno == ENOENT;
  std::string tempName;
  // A new file gets the mode the system gives new files (0666 less the umask); the
  // temporary file of an existing one is the user's alone until it has that file's mode.
  Fd fd = unchanged ? CreateTempFile(planned->folder, planned->name, planned->exists ? 0600 : 0666,
                                     tempName)
                    : Fd();
  if (!fd) {
    Forget(target);
    return nullptr;
  }
  // Locked at once (by a second descriptor, which stays open until the file has been
  // renamed or removed), so that no other save takes it for one left behind.
  Fd lock(::fcntl(fd.get(), F_DUPFD_CLOEXEC, 0));
  Fd folder(::fcntl(planned->folder, F_DUPFD_CLOEXEC, 0));
  const struct stat& existing = planned->file;
  // The owner first: giving a file away clears its set-id bits, which the mode restores.
  const bool owned =
      !planned->exists || (((existing.st_uid == ::geteuid() && existing.st_gid == ::getegid()) ||
                            ::fchown(fd.get(), existing.st_uid, existing.st_gid) == 0) &&
                           ::fchmod(fd.get(), static_cast<mode_t>(existing.st_mode & 07777)) == 0);
  if (!lock || !folder || ::flock(lock.get(), LOCK_EX | LOCK_NB) != 0 || !owned) {
    ::unlinkat(planned->folder, tempName.c_str(), 0);
    Forget(target);
    return nullptr;
  }
  tempPath = posix::ParentFolder(target) + "/" + tempName;
  Release(tempPath);
  temps_[tempPath] = Temp{folder.release(), tempName, lock.release(), target};
  return std::make_unique<PosixOutFile>(fd.release());
}

PosixFileSystem::~PosixFileSystem() {
  for (const auto& [path, temp] : temps_) {
    ::close(temp.folder);
    ::close(temp.lock);
  }
  for (const auto& [target, planned] : planned_) ::close(planned.folder);
}

void PosixFileSystem::Release(const std::string& tempPath) {
  const auto it = temps_.find(tempPath);
  if (it == temps_.end()) return;
  ::close(it->second.folder);
  ::close(it->second.lock);
  temps_.erase(it);
}

bool PosixFileSystem::Rename(const std::string& from, const std::string& to) {
  const auto temp = temps_.find(from);
  const auto planned = planned_.find(to);
  const int fromFolder = temp == temps_.end() ? AT_FDCWD : temp->second.folder;
  const std::string fromName = temp == temps_.end() ? from : temp->second.name;
  // The file goes where the plan found its target, whatever stands in the path now.
  const Fd toFolder(planned == planned_.end()
                        ? ::open(posix::ParentFolder(to).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC)
                        : ::fcntl(planned->second.folder, F_DUPFD_CLOEXEC, 0));
  const std::string toName = planned == planned_.end() ? to : planned->second.name;
  const bool renamed =
      ::renameat(fromFolder, fromName.c_str(),
                 planned == planned_.end() ? AT_FDCWD : toFolder.get(), toName.c_str()) == 0;
  Release(from);
  Forget(to);
  // Make the new name itself durable.
  if (renamed && toFolder) SyncFolder(toFolder.get());
  return renamed;
}

bool PosixFileSystem::Exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

bool PosixFileSystem::IsFolder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool PosixFileSystem::Remove(const std::string& path) {
  const auto temp = temps_.find(path);
  bool removed = false;
  if (temp == temps_.end()) {
    removed = ::unlink(path.c_str()) == 0;
  } else {
    removed = ::unlinkat(temp->second.folder, temp->second.name.c_str(), 0) == 0;
    Forget(temp->second.target);
  }
  Release(path);
  return removed;
}

int PosixFileSystem::DeleteFile(const std::string& path) {
  if (::unlink(path.c_str()) == 0) return 0;
  switch (errno) {
    case ENOENT:
    case ENOTDIR:
      return kRuntimeFileNotFound;
    case EACCES:
    case EPERM:
      return kRuntimePermissionDenied;
    default:
      return kRuntimePathFileAccess;
  }
}

int PosixFileSystem::TrashFile(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0)
    return errno == EACCES ? kRuntimePermissionDenied : kRuntimeFileNotFound;
  const posix::GioLibrary* gio = posix::Gio();
  if (gio == nullptr) return kNoTrash;
  GFile* file = gio->fileNewForPath(path.c_str());
  GError* error = nullptr;
  const bool trashed = gio->fileTrash(file, nullptr, &error) != FALSE;
  gio->objectUnref(file);
  if (trashed) return 0;
  int result = kRuntimePathFileAccess;
  if (error != nullptr && error->domain == gio->ioErrorQuark()) {
    switch (error->code) {
      case G_IO_ERROR_NOT_SUPPORTED:
        result = kNoTrash;
        break;
      case G_IO_ERROR_NOT_FOUND:
        result = kRuntimeFileNotFound;
        break;
      case G_IO_ERROR_PERMISSION_DENIED:
        result = kRuntimePermissionDenied;
        break;
      default:
        break;
    }
  }
  if (error != nullptr) gio->errorFree(error);
  return result;
}

std::vector<std::string> PosixFileSystem::ListFiles(const std::string& folder,
                                                    const std::string& extension) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return names;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (!EndsWithIgnoringCase(name, extension)) continue;
    bool regular = entry->d_type == DT_REG;
    if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
      // A link counts by what it names.
      struct stat st {};
      regular = ::stat((folder + "/" + name).c_str(), &st) == 0 && S_ISREG(st.st_mode);
    }
    if (regular) names.push_back(name);
  }
  ::closedir(dir);
  return names;
}

std::string PosixFileSystem::SavedPath(const std::string& path) {
  Located at;
  if (path.empty() || !Locate(path, at)) return "";
  // The folder as the walk opened it, named from the root.
  char buffer[PATH_MAX];
  const std::string self = "/proc/self/fd/" + std::to_string(at.folder.get());
  const ssize_t n = ::readlink(self.c_str(), buffer, sizeof buffer);
  if (n <= 0 || n >= static_cast<ssize_t>(sizeof buffer) || buffer[0] != '/') return "";
  std::string folder(buffer, static_cast<std::size_t>(n));
  return (folder == "/" ? "" : folder) + "/" + at.name;
}

std::string PosixFileSystem::FileIdentity(const std::string& path) {
  struct stat st {};
  if (path.empty() || ::stat(path.c_str(), &st) != 0) return "";
  return std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
}

bool ReplaceFile(const std::string& path, std::string_view bytes) {
  PosixFileSystem files;
  return SaveWholeFile(files, path, bytes);
}

std::optional<std::string> ReadSmallFile(const std::string& path, std::size_t limit) {
  const Fd fd(OpenRegularFile(path));
  if (!fd) return std::nullopt;
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0 || static_cast<std::size_t>(st.st_size) > limit) {
    return std::nullopt;
  }
  std::string bytes;
  char buf[4096];
  for (;;) {
    const ssize_t n = ::read(fd.get(), buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return std::nullopt;
    if (n == 0) return bytes;
    bytes.append(buf, static_cast<std::size_t>(n));
    if (bytes.size() > limit) return std::nullopt;  // it grew while being read
  }
}

std::optional<std::string> ReadFileHead(const std::string& path, std::size_t most) {
  const Fd fd(OpenRegularFile(path));
  if (!fd) return std::nullopt;
  std::string bytes(most, '\0');
  std::size_t got = 0;
  while (got < most) {
    const ssize_t n = ::read(fd.get(), bytes.data() + got, most - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return std::nullopt;
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  bytes.resize(got);
  return bytes;
}

}  // namespace tavrin

#include "platform/posix/posix_files.h"

#include "platform/ascii.h"
#include "platform/posix/posix_paths.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

namespace tavrin {

namespace {

// Symbolic links followed at most, as the kernel does.
inline constexpr int kMaxLinks = 40;

std::string NameOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
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

bool FolderWritableByOthers(const std::string& path) {
  struct stat folder {};
  // A folder that cannot be looked at is taken for one that others may write.
  return ::stat(posix::ParentFolder(path).c_str(), &folder) != 0 || WritableByOthers(folder);
}

// Whether a save may follow the symbolic link at `link`, whose own status is `st`: the
// link is this user's or root's, or it stands in a folder where nobody else could have
// put it. (A link that another user planted in a shared folder would otherwise make the
// save replace whatever file that user named.)
bool MayFollowLink(const std::string& link, const struct stat& st) {
  const uid_t uid = ::geteuid();
  return st.st_uid == uid || st.st_uid == 0 || !FolderWritableByOthers(link);
}

// What a save of `path` writes to: the path itself, or the file that the links standing
// there name. Empty when the save must not go on: a link that may not be followed, a
// link that names nothing (it is not followed into making the file it names), a loop.
// `exists` tells whether the target exists.
std::string SaveTarget(const std::string& path, bool& exists) {
  std::string current = path;
  for (int hops = 0; hops < kMaxLinks; ++hops) {
    struct stat st {};
    if (::lstat(current.c_str(), &st) != 0) {
      exists = false;
      return errno == ENOENT && hops == 0 ? current : std::string();
    }
    exists = true;
    if (!S_ISLNK(st.st_mode)) return current;
    if (!MayFollowLink(current, st)) return "";
    std::string link(static_cast<std::size_t>(PATH_MAX), '\0');
    const ssize_t n = ::readlink(current.c_str(), link.data(), link.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= link.size()) return "";
    link.resize(static_cast<std::size_t>(n));
    current = link.front() == '/' ? link : posix::ParentFolder(current) + "/" + link;
  }
  return "";
}

mode_t NewFileMode() {
  // The umask can only be read by setting it; the program has a single thread.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return static_cast<mode_t>(0666 & ~mask);
}

// The temporary files of saves of the file named `name` are ".<name>.XXXXXX", the six
// last characters letters and digits (mkostemp's alphabet).
inline constexpr char kTempSuffix[] = ".XXXXXX";

bool IsTempNameOf(const std::string& entry, const std::string& name) {
  const std::string prefix = "." + name + ".";
  constexpr std::size_t kRandom = sizeof kTempSuffix - 2;
  if (entry.size() != prefix.size() + kRandom || entry.compare(0, prefix.size(), prefix) != 0) {
    return false;
  }
  return std::all_of(
      entry.begin() + static_cast<std::ptrdiff_t>(prefix.size()), entry.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
      });
}

// Removes the temporary files that earlier saves of `target` left in its folder when
// they were killed or crashed: this user's regular files of the naming pattern that no
// save holds locked (a save locks its temporary file from its creation until it has
// been renamed or removed).
void RemoveStaleTempFiles(const std::string& target) {
  const std::string folder = posix::ParentFolder(target);
  const std::string name = NameOf(target);
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return;
  const int dirFd = ::dirfd(dir);
  while (const dirent* entry = ::readdir(dir)) {
    if (!IsTempNameOf(entry->d_name, name)) continue;
    const int fd =
        ::openat(dirFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
        ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      ::unlinkat(dirFd, entry->d_name, 0);
    }
    ::close(fd);
  }
  ::closedir(dir);
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
  // Opening a FIFO for reading waits for a writer, and a device may wait too: the open
  // itself does not wait, and only a regular file is kept.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat st {};
  const int flags = ::fcntl(fd, F_GETFL);
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || flags < 0 ||
      ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<PosixInFile>(fd);
}

SavePlan PosixFileSystem::PlanSave(const std::string& path) {
  SavePlan plan;
  bool exists = false;
  plan.target = SaveTarget(path, exists);
  if (plan.target.empty()) return plan;  // refused
  if (!exists) {
    // A new file (where its folder takes none, making the temporary file fails).
    plan.way = SaveWay::kReplace;
    return plan;
  }
  struct stat st {};
  if (::stat(plan.target.c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
      ::faccessat(AT_FDCWD, plan.target.c_str(), W_OK, AT_EACCESS) != 0) {
    return plan;  // refused
  }
  const std::string folder = posix::ParentFolder(plan.target);
  const bool folderTakesFiles = ::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
  const bool canReplace = folderTakesFiles && CanGiveOwner(st);
  if (st.st_nlink > 1 && FolderWritableByOthers(plan.target)) {
    // Another name of the file may have been planted here by someone else, as a link to
    // a file of the user's: the name saved gets a file of its own, and the other names
    // keep theirs.
    plan.way = canReplace ? SaveWay::kReplace : SaveWay::kRefused;
    return plan;
  }
  plan.way = st.st_nlink > 1 || !canReplace ? SaveWay::kInPlace : SaveWay::kReplace;
  return plan;
}

bool PosixFileSystem::RewriteInPlace(const std::string& path, std::string_view bytes) {
  // Never waits on, nor follows, what was swapped in for the file since it was planned.
  const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  const int flags = ::fcntl(fd, F_GETFL);
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && flags >= 0 &&
            ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
  const auto length = static_cast<off_t>(bytes.size());
  if (ok && length > st.st_size) {
    const int err = ::posix_fallocate(fd, 0, length);
    // A file system that cannot reserve room is written without reserving it.
    if (err != 0 && err != EOPNOTSUPP && err != EINVAL) {
      [[maybe_unused]] const int restored = ::ftruncate(fd, st.st_size);
      ok = false;
    }
  }
  for (off_t at = 0; ok && at < length;) {
    const ssize_t n = ::pwrite(fd, bytes.data() + at, static_cast<std::size_t>(length - at), at);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) ok = false;
    if (n > 0) at += n;
  }
  ok = ok && ::ftruncate(fd, length) == 0 && ::fsync(fd) == 0;
  return ::close(fd) == 0 && ok;
}

std::unique_ptr<OutFile> PosixFileSystem::CreateTempBeside(const std::string& target,
                                                           std::string& tempPath) {
  RemoveStaleTempFiles(target);
  std::string pattern = posix::ParentFolder(target) + "/." + NameOf(target) + kTempSuffix;
  const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
  if (fd < 0) return nullptr;
  // Locked at once (by a second descriptor, which stays open until the file has been
  // renamed or removed), so that no other save takes it for one left behind.
  const int lockFd = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
  struct stat existing {};
  const bool exists = ::stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode);
  const mode_t mode = exists ? static_cast<mode_t>(existing.st_mode & 07777) : NewFileMode();
  // The owner first: giving a file away clears its set-id bits, which the mode restores.
  const bool owned = !exists ||
                     (existing.st_uid == ::geteuid() && existing.st_gid == ::getegid()) ||
                     ::fchown(fd, existing.st_uid, existing.st_gid) == 0;
  if (lockFd < 0 || ::flock(lockFd, LOCK_EX | LOCK_NB) != 0 || !owned || ::fchmod(fd, mode) != 0) {
    ::unlink(pattern.c_str());
    if (lockFd >= 0) ::close(lockFd);
    ::close(fd);
    return nullptr;
  }
  ReleaseLock(pattern);
  tempLocks_[pattern] = lockFd;
  tempPath = pattern;
  return std::make_unique<PosixOutFile>(fd);
}

PosixFileSystem::~PosixFileSystem() {
  for (const auto& [path, fd] : tempLocks_) ::close(fd);
}

void PosixFileSystem::ReleaseLock(const std::string& tempPath) {
  const auto it = tempLocks_.find(tempPath);
  if (it == tempLocks_.end()) return;
  ::close(it->second);
  tempLocks_.erase(it);
}

bool PosixFileSystem::Rename(const std::string& from, const std::string& to) {
  const bool renamed = ::rename(from.c_str(), to.c_str()) == 0;
  ReleaseLock(from);
  if (!renamed) return false;
  // Make the new name itself durable; a folder that cannot be synced changes nothing.
  const int dir = ::open(posix::ParentFolder(to).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return true;
}

bool PosixFileSystem::Exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

bool PosixFileSystem::Remove(const std::string& path) {
  const bool removed = ::unlink(path.c_str()) == 0;
  ReleaseLock(path);
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

std::string PosixFileSystem::WriteTarget(const std::string& path) {
  std::string current = path;
  for (int hops = 0; hops < kMaxLinks; ++hops) {
    struct stat st {};
    if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
    std::string link(static_cast<std::size_t>(PATH_MAX), '\0');
    const ssize_t n = ::readlink(current.c_str(), link.data(), link.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= link.size()) return path;
    link.resize(static_cast<std::size_t>(n));
    current = link.front() == '/' ? link : posix::ParentFolder(current) + "/" + link;
  }
  // A loop of links: writing goes to the name given.
  return path;
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
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat st {};
  std::optional<std::string> content;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
      static_cast<std::size_t>(st.st_size) <= limit) {
    std::string bytes;
    char buf[4096];
    for (;;) {
      const ssize_t n = ::read(fd, buf, sizeof buf);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) break;
      if (n == 0) {
        content = std::move(bytes);
        break;
      }
      bytes.append(buf, static_cast<std::size_t>(n));
      if (bytes.size() > limit) break;  // it grew while being read
    }
  }
  ::close(fd);
  return content;
}

}  // namespace tavrin

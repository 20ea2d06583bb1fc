// POSIX implementation of the platform interface.
//
// Windows share modes are emulated with open-file-description locks on one
// byte far beyond any data: a deny-none open holds a read lock, a
// deny-read-write open a write lock, both taken without waiting. OFD locks
// belong to the open file description, so two handles of one process
// conflict exactly as two processes do, and they vanish with the handle.
//
// The read-only attribute is "no write permission bits": it is honoured even
// for root, because Windows refuses to write such a file for everybody.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "platform/platform.h"
#include "platform/posix/path_map.h"

namespace zb::platform {
namespace {

constexpr off_t kShareLockOffset = LLONG_MAX - 1;

Status FromErrno(int err) {
  Status s;
  s.code = err;
  s.message = std::strerror(err);
  switch (err) {
    case 0: s.kind = ErrorKind::kOk; break;
    case ENOENT:
    case ENOTDIR: s.kind = ErrorKind::kNotFound; break;
    case EACCES:
    case EPERM:
    case EROFS:
    case EAGAIN:
    case EISDIR: s.kind = ErrorKind::kAccessDenied; break;
    case EEXIST:
    case ENOTEMPTY: s.kind = ErrorKind::kExists; break;
    default: s.kind = ErrorKind::kOther; break;
  }
  return s;
}

bool NoWriteBits(const struct stat& st) { return (st.st_mode & 0222) == 0; }

class PosixFile final : public File {
 public:
  explicit PosixFile(int fd) : fd_(fd) {}
  ~PosixFile() override { close(fd_); }

  Status ReadAt(uint64_t offset, void* buf, size_t n, size_t* got) override {
    size_t done = 0;
    while (done < n) {
      const ssize_t r = pread(fd_, static_cast<char*>(buf) + done, n - done,
                              static_cast<off_t>(offset + done));
      if (r < 0) {
        if (errno == EINTR) continue;
        *got = done;
        return FromErrno(errno);
      }
      if (r == 0) break;
      done += static_cast<size_t>(r);
    }
    *got = done;
    return Status::Ok();
  }

  Status WriteAt(uint64_t offset, const void* data, size_t n,
                 size_t* written) override {
    size_t done = 0;
    while (done < n) {
      const ssize_t r =
          pwrite(fd_, static_cast<const char*>(data) + done, n - done,
                 static_cast<off_t>(offset + done));
      if (r < 0) {
        if (errno == EINTR) continue;
        *written = done;
        return FromErrno(errno);
      }
      done += static_cast<size_t>(r);
    }
    *written = done;
    return Status::Ok();
  }

  Status Size(uint64_t* size) override {
    struct stat st;
    if (fstat(fd_, &st) != 0) return FromErrno(errno);
    *size = static_cast<uint64_t>(st.st_size);
    return Status::Ok();
  }

 private:
  int fd_;
};

// Takes the share-mode lock on fd; false when another handle conflicts.
bool TakeShareLock(int fd, Share share) {
  struct flock lock;
  std::memset(&lock, 0, sizeof lock);
  lock.l_type = share == Share::kDenyReadWrite ? F_WRLCK : F_RDLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = kShareLockOffset;
  lock.l_len = 1;
  return fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

Status OpenNative(const std::string& native, int flags, Share share,
                  std::unique_ptr<File>* file, bool empty_it = false) {
  // A deny-read-write lock needs a descriptor open for writing.
  const int fd = open(native.c_str(), flags | O_CLOEXEC, 0666);
  if (fd < 0) return FromErrno(errno);
  struct stat st;
  if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    close(fd);
    return FromErrno(EACCES);  // Windows cannot open a folder as a file
  }
  if (!TakeShareLock(fd, share)) {
    close(fd);
    Status s = FromErrno(EACCES);
    s.message = "sharing violation";
    return s;
  }
  // Emptied only once the share lock is ours, so a file that another handle
  // holds exclusively is never cut.
  if (empty_it && ftruncate(fd, 0) != 0) {
    const int err = errno;
    close(fd);
    return FromErrno(err);
  }
  file->reset(new PosixFile(fd));
  return Status::Ok();
}

class PosixPlatform final : public Platform {
 public:
  Status OpenFile(const std::string& path, Access access, Share share,
                  std::unique_ptr<File>* file) override {
    const std::string native = posix::ToNativePath(path);
    struct stat st;
    if (stat(native.c_str(), &st) != 0) return FromErrno(errno);
    if (access == Access::kReadWrite && NoWriteBits(st))
      return FromErrno(EACCES);
    int flags = access == Access::kReadWrite ? O_RDWR : O_RDONLY;
    if (share == Share::kDenyReadWrite && access == Access::kRead &&
        !NoWriteBits(st))
      flags = O_RDWR;  // for the write lock only; nothing is written
    return OpenNative(native, flags, share, file);
  }

  Status CreateFile(const std::string& path, Share share,
                    std::unique_ptr<File>* file) override {
    const std::string native = posix::ToNativePath(path);
    struct stat st;
    if (stat(native.c_str(), &st) == 0 && NoWriteBits(st))
      return FromErrno(EACCES);
    return OpenNative(native, O_RDWR | O_CREAT, share, file, true);
  }

  Status DeleteFile(const std::string& path) override {
    const std::string native = posix::ToNativePath(path);
    struct stat st;
    if (lstat(native.c_str(), &st) != 0) return FromErrno(errno);
    if (S_ISDIR(st.st_mode) || NoWriteBits(st)) return FromErrno(EACCES);
    if (unlink(native.c_str()) != 0) return FromErrno(errno);
    return Status::Ok();
  }

  Status RenameFile(const std::string& from, const std::string& to) override {
    const std::string native_from = posix::ToNativePath(from);
    const std::string native_to = posix::ToNativePath(to);
    if (renameat2(AT_FDCWD, native_from.c_str(), AT_FDCWD, native_to.c_str(),
                  RENAME_NOREPLACE) == 0)
      return Status::Ok();
    if (errno != EINVAL && errno != ENOSYS) return FromErrno(errno);
    // File systems without RENAME_NOREPLACE: check, then rename.
    struct stat st;
    if (lstat(native_to.c_str(), &st) == 0) return FromErrno(EEXIST);
    if (rename(native_from.c_str(), native_to.c_str()) != 0)
      return FromErrno(errno);
    return Status::Ok();
  }

  bool FileExists(const std::string& path) override {
    struct stat st;
    return stat(posix::ToNativePath(path).c_str(), &st) == 0;
  }

  bool IsFolder(const std::string& path) override {
    struct stat st;
    return stat(posix::ToNativePath(path).c_str(), &st) == 0 &&
           S_ISDIR(st.st_mode);
  }

  Status IsReadOnly(const std::string& path, bool* read_only) override {
    struct stat st;
    if (stat(posix::ToNativePath(path).c_str(), &st) != 0)
      return FromErrno(errno);
    *read_only = NoWriteBits(st);
    return Status::Ok();
  }

  Status SetReadOnly(const std::string& path, bool read_only) override {
    const std::string native = posix::ToNativePath(path);
    struct stat st;
    if (stat(native.c_str(), &st) != 0) return FromErrno(errno);
    mode_t mode = st.st_mode & 07777;
    if (read_only) {
      mode &= ~static_cast<mode_t>(0222);
    } else if (NoWriteBits(st)) {
      const mode_t mask = umask(0);
      umask(mask);
      mode |= (0222 & ~mask) | S_IWUSR;
    }
    if (chmod(native.c_str(), mode) != 0) return FromErrno(errno);
    return Status::Ok();
  }

  Status FindFiles(const std::string& pattern,
                   std::vector<DirEntry>* entries) override {
    entries->clear();
    size_t cut = pattern.find_last_of("\\/");
    const std::string folder =
        cut == std::string::npos ? std::string() : pattern.substr(0, cut + 1);
    const std::string name_pattern =
        cut == std::string::npos ? pattern : pattern.substr(cut + 1);
    std::string native = posix::ToNativePath(folder.empty() ? "." : folder);
    if (native.empty()) native = ".";
    DIR* dir = opendir(native.c_str());
    if (!dir) return FromErrno(errno);
    while (dirent* e = readdir(dir)) {
      if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0)
        continue;
      const std::string name = posix::Utf8ToCp1252(e->d_name);
      if (!WildcardMatch(name_pattern, name)) continue;
      struct stat st;
      const std::string full = native + (native.back() == '/' ? "" : "/") +
                               e->d_name;
      if (stat(full.c_str(), &st) != 0) continue;
      DirEntry entry;
      entry.name = name;
      entry.is_folder = S_ISDIR(st.st_mode);
      entry.size = static_cast<uint64_t>(st.st_size);
      entry.modified = static_cast<uint32_t>(st.st_mtime);
      entry.read_only = NoWriteBits(st);
      entries->push_back(std::move(entry));
    }
    closedir(dir);
    return Status::Ok();
  }

  Status CreateFolder(const std::string& path) override {
    if (mkdir(posix::ToNativePath(path).c_str(), 0777) != 0)
      return FromErrno(errno);
    return Status::Ok();
  }

  std::FILE* OpenStream(const std::string& path, const char* mode) override {
    const std::string native = posix::ToNativePath(path);
    struct stat st;
    const bool writes = std::strpbrk(mode, "wa+") != nullptr;
    if (writes && stat(native.c_str(), &st) == 0 && NoWriteBits(st)) {
      errno = EACCES;
      return nullptr;
    }
    return std::fopen(native.c_str(), mode);
  }

  uint32_t Now() override { return static_cast<uint32_t>(std::time(nullptr)); }

  void SleepMs(uint32_t ms) override { usleep(ms * 1000u); }
};

Platform* g_override = nullptr;

}  // namespace

Platform& Default() {
  // Never destroyed: the record engine's exit handler may still need it.
  static PosixPlatform* real = new PosixPlatform;
  return g_override ? *g_override : *real;
}

void SetDefaultForTests(Platform* platform) { g_override = platform; }

}  // namespace zb::platform

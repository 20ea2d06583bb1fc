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
//
// A Windows module carries its version in a resource; a POSIX library or
// program carries kVersionMarkers instead, and ModuleVersion finds them among
// the file's bytes.
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>
#include <pwd.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <strings.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/platform.h"
#include "platform/posix/path_map.h"
#include "platform/posix/profile.h"

#ifndef ZBDB_VERSION_STRING
#define ZBDB_VERSION_STRING "0.0.0.0"
#endif

namespace zb::platform {
namespace {

// Kept by the linker (used, and read by ModuleVersion), so every program and
// library that links the core carries the version.
__attribute__((used)) const char kVersionMarkers[] =
    "ZBDB_FILE_VERSION=" ZBDB_VERSION_STRING "\0"
    "ZBDB_PRODUCT_VERSION=" ZBDB_VERSION_STRING;

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

  Status NewFile(const std::string& path, Share share,
                 std::unique_ptr<File>* file) override {
    const std::string native = posix::ToNativePath(path);
    struct stat st;
    if (stat(native.c_str(), &st) == 0 && NoWriteBits(st))
      return FromErrno(EACCES);
    return OpenNative(native, O_RDWR | O_CREAT, share, file, true);
  }

  Status RemoveFile(const std::string& path) override {
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

  std::string ReadProfileText(const std::string& file,
                              const std::string& section,
                              const std::string& key,
                              const std::string& default_value) override {
    std::string value;
    if (posix::ProfileLookup(posix::ToNativePath(file), section, key, &value))
      return posix::StripProfileQuotes(value);
    // Windows drops the default's trailing blanks.
    size_t end = default_value.size();
    while (end > 0 && default_value[end - 1] == ' ') --end;
    return default_value.substr(0, end);
  }

  int ReadProfileInt(const std::string& file, const std::string& section,
                     const std::string& key, int default_value) override {
    std::string value;
    if (!posix::ProfileLookup(posix::ToNativePath(file), section, key, &value))
      return default_value;
    value = posix::StripProfileQuotes(value);
    // An empty value counts as missing; any other text that is no number
    // reads as 0.
    return value.empty() ? default_value : posix::ProfileInt(value);
  }

  bool WriteProfileText(const std::string& file, const std::string& section,
                        const std::string& key,
                        const std::string& value) override {
    return posix::ProfileStore(posix::ToNativePath(file), section, key, &value);
  }

  bool DeleteProfileKey(const std::string& file, const std::string& section,
                        const std::string& key) override {
    return posix::ProfileStore(posix::ToNativePath(file), section, key,
                               nullptr);
  }

  bool ReadProfileStruct(const std::string& file, const std::string& section,
                         const std::string& key, void* data,
                         size_t size) override {
    std::string value;
    return posix::ProfileLookup(posix::ToNativePath(file), section, key,
                                &value) &&
           posix::ParseProfileStruct(value, data, size);
  }

  bool WriteProfileStruct(const std::string& file, const std::string& section,
                          const std::string& key, const void* data,
                          size_t size) override {
    const std::string text = posix::ProfileStructText(data, size);
    return posix::ProfileStore(posix::ToNativePath(file), section, key, &text);
  }

  bool ReadUserNumber(const std::string& subkey, const std::string& name,
                      uint32_t* value) override {
    std::string text;
    if (!posix::ReadUserValue(subkey, name, &text) || text.empty() ||
        text.size() > 10)
      return false;
    uint64_t n = 0;
    for (char c : text) {
      if (c < '0' || c > '9') return false;
      n = n * 10 + static_cast<uint64_t>(c - '0');
    }
    if (n > UINT32_MAX) return false;
    *value = static_cast<uint32_t>(n);
    return true;
  }

  bool WriteUserNumber(const std::string& subkey, const std::string& name,
                       uint32_t value) override {
    // Not std::to_string: its digit table is a unique symbol, which would
    // keep the shared library from ever being unloaded.
    char text[16];
    std::snprintf(text, sizeof text, "%u", static_cast<unsigned>(value));
    return posix::WriteUserValue(subkey, name, text);
  }

  bool ReadUserText(const std::string& subkey, const std::string& name,
                    std::string* value) override {
    return posix::ReadUserValue(subkey, name, value);
  }

  bool WriteUserText(const std::string& subkey, const std::string& name,
                     const std::string& value) override {
    return posix::WriteUserValue(subkey, name, value);
  }

  std::string UserName() override {
    if (const passwd* pw = getpwuid(geteuid()))
      if (pw->pw_name && pw->pw_name[0])
        return posix::Utf8ToCp1252(pw->pw_name);
    const char* user = std::getenv("USER");
    return user ? posix::Utf8ToCp1252(user) : std::string();
  }

  // As Windows gives its NetBIOS name: the host's first label, in upper
  // case, at most 15 characters.
  std::string ComputerName() override {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0) return {};
    std::string text = name;
    text = text.substr(0, text.find('.')).substr(0, 15);
    for (char& c : text)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
  }

  bool GetDiskSpace(const std::string& path, DiskSpace* space) override {
    // The file system of the path, or of its nearest existing folder.
    std::string native = posix::ToNativePath(path);
    struct statvfs fs;
    while (statvfs(native.empty() ? "." : native.c_str(), &fs) != 0) {
      if (native.empty() || native == "/") return false;
      while (!native.empty() && native.back() == '/') native.pop_back();
      const size_t cut = native.rfind('/');
      native = cut == std::string::npos ? "" : native.substr(0, cut + 1);
    }
    space->available = uint64_t{fs.f_bavail} * fs.f_frsize;
    space->total_free = uint64_t{fs.f_bfree} * fs.f_frsize;
    space->total = uint64_t{fs.f_blocks} * fs.f_frsize;
    return true;
  }

  DriveKind DriveKindOf(const std::string& path) override {
    return FileExists(path) ? DriveKind::kFixed : DriveKind::kUnknown;
  }

  void NewGuid(uint8_t guid[16]) override {
    size_t got = 0;
    while (got < 16) {
      const ssize_t n = getrandom(guid + got, 16 - got, 0);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      got += static_cast<size_t>(n);
    }
    if (got < 16) {  // no getrandom: the time and a counter at least
      uint64_t mix[2] = {static_cast<uint64_t>(time(nullptr)) ^
                             (uint64_t{static_cast<uint32_t>(getpid())} << 32),
                         ++guid_counter_};
      std::memcpy(guid, mix, 16);
    }
    // Version 4 in the high nibble of Data3 (little-endian: byte 7), the
    // RFC 4122 variant in Data4[0].
    guid[7] = static_cast<uint8_t>((guid[7] & 0x0F) | 0x40);
    guid[8] = static_cast<uint8_t>((guid[8] & 0x3F) | 0x80);
  }

  bool ModuleVersion(const std::string& path, bool product,
                     uint16_t parts[4]) override {
    const char* marker = kVersionMarkers;
    if (product) marker += std::strlen(marker) + 1;
    const std::string key(marker, std::strchr(marker, '=') + 1);
    std::FILE* f = std::fopen(posix::ToNativePath(path).c_str(), "rb");
    if (!f) return false;
    std::string bytes;
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
    std::fclose(f);
    for (size_t at = bytes.find(key); at != std::string::npos;
         at = bytes.find(key, at + 1)) {
      if (ParseVersion(bytes, at + key.size(), parts)) return true;
    }
    return false;
  }

  std::string OwnModulePath() override {
    return posix::Utf8ToCp1252(NativeOwnPath());
  }

  void PostQuit(int exit_code) override { posted_quit_ = exit_code; }

  // A program that is not waited for is started by a child that ends at
  // once, so no zombie stays behind; the checks before stand in for the
  // errors exec would report.
  StartResult StartProcess(const std::string& executable,
                           const std::string& arguments, bool wait) override {
    const std::string path = posix::ToNativePath(executable);
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return StartResult::kMissing;
    if (!S_ISREG(st.st_mode) || ::access(path.c_str(), X_OK) != 0)
      return StartResult::kNotExecutable;
    const std::string argument = posix::Cp1252ToUtf8(arguments);
    const pid_t child = ::fork();
    if (child < 0)
      return errno == ENOMEM ? StartResult::kNoMemory : StartResult::kFailed;
    if (child == 0) {
      if (!wait && ::fork() != 0) ::_exit(0);
      char* argv[] = {const_cast<char*>(path.c_str()),
                      const_cast<char*>(argument.c_str()), nullptr};
      ::execv(path.c_str(), argv);
      ::_exit(127);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return StartResult::kStarted;
  }
  int posted_quit() const override { return posted_quit_; }

  void* LoadLibraryFile(const std::string& name) override {
    if (name.find_first_of("\\/") != std::string::npos)
      return dlopen(posix::ToNativePath(name).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (void* h = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL)) return h;
    // A companion library next to our own file, named the Linux way.
    std::string base = posix::Cp1252ToUtf8(name);
    if (base.size() > 4 && strcasecmp(base.c_str() + base.size() - 4, ".dll") == 0)
      base.resize(base.size() - 4);
    const std::string own = NativeOwnPath();
    const std::string folder = own.substr(0, own.rfind('/') + 1);
    for (const std::string& file : {folder + "lib" + base + ".so",
                                    folder + base + ".so"}) {
      if (void* h = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL)) return h;
    }
    return nullptr;
  }

  void* ProcedureByOrdinal(void* library, int ordinal) override {
    using Lookup = void* (*)(int);
    if (!library) return nullptr;
    void* lookup = dlsym(library, "zb_procedure_by_ordinal");
    return lookup ? reinterpret_cast<Lookup>(lookup)(ordinal) : nullptr;
  }

  void FreeLibraryFile(void* library) override {
    if (library) dlclose(library);
  }

  // Against the current folder, by text: the bytes stay as given.
  std::string AbsolutePath(const std::string& path) override {
    if (path.empty() || path[0] == '/') return path;
    char folder[PATH_MAX];
    if (!getcwd(folder, sizeof folder)) return path;
    std::string absolute = folder;
    if (absolute.back() != '/') absolute += '/';
    return absolute + path;
  }

 private:
  // "a.b.c.d" at bytes[at], each part a 16-bit number.
  static bool ParseVersion(const std::string& bytes, size_t at,
                           uint16_t parts[4]) {
    uint16_t got[4];
    for (int i = 0; i < 4; ++i) {
      if (i > 0) {
        if (at >= bytes.size() || bytes[at] != '.') return false;
        ++at;
      }
      uint32_t n = 0;
      const size_t start = at;
      while (at < bytes.size() && bytes[at] >= '0' && bytes[at] <= '9' &&
             at - start < 6)
        n = n * 10 + static_cast<uint32_t>(bytes[at++] - '0');
      if (at == start || n > 0xFFFF) return false;
      got[i] = static_cast<uint16_t>(n);
    }
    std::memcpy(parts, got, sizeof got);
    return true;
  }

  // The file this code was loaded from: the shared library, or the program
  // when the core is linked into it (the loader leaves its name empty).
  static std::string NativeOwnPath() {
    Dl_info info;
    link_map* map = nullptr;
    if (dladdr1(reinterpret_cast<void*>(&NativeOwnPath), &info,
                reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) &&
        map && map->l_name && map->l_name[0]) {
      if (char* real = realpath(map->l_name, nullptr)) {
        std::string path = real;
        std::free(real);
        return path;
      }
      return map->l_name;
    }
    char exe[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    return n > 0 ? std::string(exe, static_cast<size_t>(n)) : std::string();
  }

  int posted_quit_ = -1;
  uint64_t guid_counter_ = 0;  // only when getrandom gives nothing
};

}  // namespace

std::unique_ptr<Platform> NewNativePlatform() {
  return std::make_unique<PosixPlatform>();
}

}  // namespace zb::platform

// Win32 implementation of the platform interface, on the ANSI API so that
// the library's Windows-1252 path text goes to the system unchanged.
//
// Share modes are CreateFile's own share flags. Positioned reads and writes
// use OVERLAPPED offsets on synchronous handles, so no call depends on a
// file pointer left behind by another.
//
// Two things are done by hand that Windows itself would do, because wine
// does them differently and the Windows build of the tests runs there:
//  - The read-only attribute is checked before a file is opened for
//    writing, emptied or deleted. Wine keeps the attribute as missing Unix
//    write bits, which a process running as root does not feel.
//  - FindFiles lists the whole folder and matches names with WildcardMatch,
//    the DOS rules ("PRO?????.PRO" finds "PRO1.PRO"), which wine's own
//    matching lacks. This also keeps 8.3 short names from matching.
//
// Status.code carries the C runtime's errno for the Windows error (the
// mapping the runtime itself applies in _dosmaperr) and Status.message the
// runtime's text for it: the library's log prints "errno %d" and that text,
// and the lines must read the same whatever platform wrote them.
#include "platform/platform.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

// After platform.h: <windows.h> turns CreateFile and DeleteFile into macros
// that would rename the interface's methods.
#include <windows.h>
#undef CreateFile
#undef DeleteFile

namespace zb::platform {
namespace {

int ErrnoOf(DWORD error) {
  switch (error) {
    case ERROR_SUCCESS: return 0;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_NO_MORE_FILES:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE: return ENOENT;
    case ERROR_TOO_MANY_OPEN_FILES: return EMFILE;
    case ERROR_ACCESS_DENIED:
    case ERROR_CURRENT_DIRECTORY:
    case ERROR_NETWORK_ACCESS_DENIED:
    case ERROR_CANNOT_MAKE:
    case ERROR_FAIL_I24:
    case ERROR_DRIVE_LOCKED:
    case ERROR_SEEK_ON_DEVICE:
    case ERROR_NOT_LOCKED:
    case ERROR_LOCK_FAILED: return EACCES;
    case ERROR_INVALID_HANDLE:
    case ERROR_INVALID_TARGET_HANDLE:
    case ERROR_DIRECT_ACCESS_HANDLE: return EBADF;
    case ERROR_ARENA_TRASHED:
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_INVALID_BLOCK:
    case ERROR_NOT_ENOUGH_QUOTA: return ENOMEM;
    case ERROR_BAD_ENVIRONMENT: return E2BIG;
    case ERROR_BAD_FORMAT: return ENOEXEC;
    case ERROR_NOT_SAME_DEVICE: return EXDEV;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return EEXIST;
    case ERROR_NO_PROC_SLOTS:
    case ERROR_MAX_THRDS_REACHED:
    case ERROR_NESTING_NOT_ALLOWED: return EAGAIN;
    case ERROR_BROKEN_PIPE: return EPIPE;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    case ERROR_WAIT_NO_CHILDREN:
    case ERROR_CHILD_NOT_COMPLETE: return ECHILD;
    case ERROR_DIR_NOT_EMPTY: return ENOTEMPTY;
    default: break;
  }
  // ERROR_WRITE_PROTECT .. ERROR_SHARING_BUFFER_EXCEEDED: sharing and lock
  // violations, write protection, drive not ready.
  if (error >= ERROR_WRITE_PROTECT && error <= ERROR_SHARING_BUFFER_EXCEEDED)
    return EACCES;
  if (error >= ERROR_INVALID_STARTING_CODESEG &&
      error <= ERROR_INFLOOP_IN_RELOC_CHAIN)
    return ENOEXEC;
  return EINVAL;
}

Status FromWin32(DWORD error) {
  Status s;
  s.code = ErrnoOf(error);
  s.message = s.code ? std::strerror(s.code) : "";
  switch (s.code) {
    case 0: s.kind = ErrorKind::kOk; break;
    case ENOENT: s.kind = ErrorKind::kNotFound; break;
    case EACCES: s.kind = ErrorKind::kAccessDenied; break;
    case EEXIST:
    case ENOTEMPTY: s.kind = ErrorKind::kExists; break;
    default: s.kind = ErrorKind::kOther; break;
  }
  return s;
}

Status LastError() { return FromWin32(GetLastError()); }

// Seconds since 1970 of a FILETIME (100 ns units since 1601).
uint32_t UnixSeconds(const FILETIME& ft) {
  const uint64_t ticks =
      (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  const uint64_t k1601To1970 = 116444736000000000ull;
  return ticks < k1601To1970
             ? 0
             : static_cast<uint32_t>((ticks - k1601To1970) / 10000000ull);
}

OVERLAPPED At(uint64_t offset) {
  OVERLAPPED ov;
  std::memset(&ov, 0, sizeof ov);
  ov.Offset = static_cast<DWORD>(offset);
  ov.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return ov;
}

// One ReadFile or WriteFile moves at most this much.
constexpr size_t kMaxChunk = 1u << 30;

class Win32File final : public File {
 public:
  explicit Win32File(HANDLE h) : h_(h) {}
  ~Win32File() override { CloseHandle(h_); }

  Status ReadAt(uint64_t offset, void* buf, size_t n, size_t* got) override {
    size_t done = 0;
    while (done < n) {
      const DWORD want =
          static_cast<DWORD>(n - done < kMaxChunk ? n - done : kMaxChunk);
      OVERLAPPED ov = At(offset + done);
      DWORD r = 0;
      if (!ReadFile(h_, static_cast<char*>(buf) + done, want, &r, &ov)) {
        const DWORD error = GetLastError();
        if (error == ERROR_HANDLE_EOF) break;  // offset at or past the end
        *got = done;
        return FromWin32(error);
      }
      if (r == 0) break;
      done += r;
    }
    *got = done;
    return Status::Ok();
  }

  Status WriteAt(uint64_t offset, const void* data, size_t n,
                 size_t* written) override {
    size_t done = 0;
    while (done < n) {
      const DWORD want =
          static_cast<DWORD>(n - done < kMaxChunk ? n - done : kMaxChunk);
      OVERLAPPED ov = At(offset + done);
      DWORD w = 0;
      if (!WriteFile(h_, static_cast<const char*>(data) + done, want, &w,
                     &ov)) {
        *written = done;
        return LastError();
      }
      if (w == 0) {  // nothing moved and no error: treat as a full disk
        *written = done;
        return FromWin32(ERROR_DISK_FULL);
      }
      done += w;
    }
    *written = done;
    return Status::Ok();
  }

  Status Size(uint64_t* size) override {
    LARGE_INTEGER li;
    if (!GetFileSizeEx(h_, &li)) return LastError();
    *size = static_cast<uint64_t>(li.QuadPart);
    return Status::Ok();
  }

 private:
  HANDLE h_;
};

DWORD ShareFlags(Share share) {
  return share == Share::kDenyNone ? FILE_SHARE_READ | FILE_SHARE_WRITE : 0;
}

bool IsReadOnlyFile(const std::string& path) {
  const DWORD attrs = GetFileAttributesA(path.c_str());
  return attrs != INVALID_FILE_ATTRIBUTES &&
         (attrs & FILE_ATTRIBUTE_READONLY) != 0 &&
         (attrs & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

Status Open(const std::string& path, DWORD access, Share share,
            DWORD disposition, std::unique_ptr<File>* file) {
  if ((access & GENERIC_WRITE) != 0 && IsReadOnlyFile(path))
    return FromWin32(ERROR_ACCESS_DENIED);
  HANDLE h = ::CreateFileA(path.c_str(), access, ShareFlags(share), nullptr,
                           disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return LastError();
  file->reset(new Win32File(h));
  return Status::Ok();
}

class Win32Platform final : public Platform {
 public:
  Status OpenFile(const std::string& path, Access access, Share share,
                  std::unique_ptr<File>* file) override {
    // A folder fails here with ERROR_ACCESS_DENIED, as the runtime's open
    // does: no backup-semantics flag.
    const DWORD rights = access == Access::kReadWrite
                             ? GENERIC_READ | GENERIC_WRITE
                             : GENERIC_READ;
    return Open(path, rights, share, OPEN_EXISTING, file);
  }

  Status CreateFile(const std::string& path, Share share,
                    std::unique_ptr<File>* file) override {
    // CREATE_ALWAYS empties an existing file only after the share check has
    // passed, so a file held exclusively elsewhere is never cut.
    return Open(path, GENERIC_READ | GENERIC_WRITE, share, CREATE_ALWAYS,
                file);
  }

  Status DeleteFile(const std::string& path) override {
    if (IsReadOnlyFile(path)) return FromWin32(ERROR_ACCESS_DENIED);
    if (!::DeleteFileA(path.c_str())) return LastError();
    return Status::Ok();
  }

  Status RenameFile(const std::string& from, const std::string& to) override {
    // Without MOVEFILE_REPLACE_EXISTING an existing target is refused.
    if (!::MoveFileA(from.c_str(), to.c_str())) return LastError();
    return Status::Ok();
  }

  bool FileExists(const std::string& path) override {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  bool IsFolder(const std::string& path) override {
    const DWORD attrs = GetFileAttributesA(path.c_str());
    return attrs != INVALID_FILE_ATTRIBUTES &&
           (attrs & FILE_ATTRIBUTE_DIRECTORY) != 0;
  }

  Status IsReadOnly(const std::string& path, bool* read_only) override {
    const DWORD attrs = GetFileAttributesA(path.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES) return LastError();
    *read_only = (attrs & FILE_ATTRIBUTE_READONLY) != 0;
    return Status::Ok();
  }

  Status SetReadOnly(const std::string& path, bool read_only) override {
    DWORD attrs = GetFileAttributesA(path.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES) return LastError();
    if (read_only) {
      attrs |= FILE_ATTRIBUTE_READONLY;
    } else {
      attrs &= ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
    }
    attrs &= ~static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL);
    if (attrs == 0) attrs = FILE_ATTRIBUTE_NORMAL;  // "no attributes" spelt
    if (!SetFileAttributesA(path.c_str(), attrs)) return LastError();
    return Status::Ok();
  }

  Status FindFiles(const std::string& pattern,
                   std::vector<DirEntry>* entries) override {
    entries->clear();
    const size_t cut = pattern.find_last_of("\\/:");
    const std::string folder =
        cut == std::string::npos ? std::string() : pattern.substr(0, cut + 1);
    const std::string name_pattern =
        cut == std::string::npos ? pattern : pattern.substr(cut + 1);
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA((folder + "*").c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) {
      const DWORD error = GetLastError();
      // An empty folder (a drive's root has not even "." and "..").
      if (error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES)
        return Status::Ok();
      return FromWin32(error);
    }
    do {
      if (std::strcmp(data.cFileName, ".") == 0 ||
          std::strcmp(data.cFileName, "..") == 0 ||
          !WildcardMatch(name_pattern, data.cFileName))
        continue;
      DirEntry entry;
      entry.name = data.cFileName;
      entry.is_folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      entry.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) |
                   data.nFileSizeLow;
      entry.modified = UnixSeconds(data.ftLastWriteTime);
      entry.read_only = (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
      entries->push_back(std::move(entry));
    } while (FindNextFileA(h, &data));
    const DWORD error = GetLastError();
    FindClose(h);
    if (error != ERROR_NO_MORE_FILES) return FromWin32(error);
    return Status::Ok();
  }

  Status CreateFolder(const std::string& path) override {
    if (!CreateDirectoryA(path.c_str(), nullptr)) return LastError();
    return Status::Ok();
  }

  std::FILE* OpenStream(const std::string& path, const char* mode) override {
    const bool writes = std::strpbrk(mode, "wa+") != nullptr;
    if (writes && IsReadOnlyFile(path)) {
      errno = EACCES;
      return nullptr;
    }
    return std::fopen(path.c_str(), mode);
  }

  uint32_t Now() override { return static_cast<uint32_t>(std::time(nullptr)); }

  void SleepMs(uint32_t ms) override { ::Sleep(ms); }
};

Platform* g_override = nullptr;

}  // namespace

Platform& Default() {
  // Never destroyed: the record engine's exit handler may still close files
  // after static destructors have run.
  static Win32Platform* real = new Win32Platform;
  return g_override ? *g_override : *real;
}

void SetDefaultForTests(Platform* platform) { g_override = platform; }

}  // namespace zb::platform

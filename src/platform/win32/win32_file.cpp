// Win32 record-file handles and the mapping of Windows errors to the
// C runtime's errno, shared by the platform's file calls.
// windows.h first: the others build on its types.
#include <windows.h>

#include <cerrno>
#include <cstring>

#include "platform/win32/win32_file.h"

namespace zb::platform::win32 {
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

}  // namespace

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

namespace {

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

}  // namespace

DWORD ShareFlags(Share share) {
  return share == Share::kDenyNone ? FILE_SHARE_READ | FILE_SHARE_WRITE : 0;
}

bool IsReadOnlyFile(const std::string& path) {
  const DWORD attrs = GetFileAttributesA(path.c_str());
  return attrs != INVALID_FILE_ATTRIBUTES &&
         (attrs & FILE_ATTRIBUTE_READONLY) != 0 &&
         (attrs & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

Status OpenFile(const std::string& path, DWORD access, Share share,
            DWORD disposition, std::unique_ptr<File>* file) {
  if ((access & GENERIC_WRITE) != 0 && IsReadOnlyFile(path))
    return FromWin32(ERROR_ACCESS_DENIED);
  HANDLE h = ::CreateFileA(path.c_str(), access, ShareFlags(share), nullptr,
                           disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return LastError();
  file->reset(new Win32File(h));
  return Status::Ok();
}


}  // namespace zb::platform::win32

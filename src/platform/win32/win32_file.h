// The Win32 side of record files: handles opened with CreateFile's own
// share flags, and Windows errors as the C runtime's errno and text, so the
// log reads the same whatever platform wrote it. Include after windows.h.
#ifndef ZBDB_PLATFORM_WIN32_WIN32_FILE_H_
#define ZBDB_PLATFORM_WIN32_WIN32_FILE_H_

#include <cstdint>
#include <memory>
#include <string>

#include "platform/platform.h"

namespace zb::platform::win32 {

// The errno the runtime's _dosmaperr gives `error`, with its text.
Status FromWin32(DWORD error);
Status LastError();

// A FILETIME as seconds since 1970 (UTC).
uint32_t UnixSeconds(const FILETIME& ft);

DWORD ShareFlags(Share share);

// True for a file (not a folder) with the read-only attribute. Checked by
// hand before writes: wine keeps the attribute as missing write bits, which
// a process running as root does not feel.
bool IsReadOnlyFile(const std::string& path);

// Opens `path` with CreateFileA; positioned reads and writes through
// OVERLAPPED offsets, so no call depends on a file pointer.
Status OpenFile(const std::string& path, DWORD access, Share share,
                DWORD disposition, std::unique_ptr<File>* file);

}  // namespace zb::platform::win32

#endif  // ZBDB_PLATFORM_WIN32_WIN32_FILE_H_

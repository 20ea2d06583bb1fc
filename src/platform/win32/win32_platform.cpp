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
// windows.h first: the others build on its types.
#include <windows.h>

#include <objbase.h>
#include <oleauto.h>
#include <winver.h>
#include <mapi.h>

#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "platform/platform.h"
#include "platform/win32/win32_file.h"

namespace zb::platform {
namespace {

using win32::FromWin32;
using win32::IsReadOnlyFile;
using win32::LastError;
using win32::UnixSeconds;

// The key of the per-user store; the subkey may come with or without its
// leading backslash.
std::string UserKeyPath(const std::string& subkey) {
  size_t b = 0;
  while (b < subkey.size() && subkey[b] == '\\') ++b;
  std::string path = "Software\\Quellhof GmbH\\Globals";
  if (b < subkey.size()) path += "\\" + subkey.substr(b);
  return path;
}

// The value's type and bytes; false when key or value are missing.
bool QueryUserValue(const std::string& subkey, const std::string& name,
                    DWORD* type, std::string* data) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, UserKeyPath(subkey).c_str(), 0,
                    KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return false;
  DWORD size = 0;
  LONG rc = RegQueryValueExA(key, name.c_str(), nullptr, type, nullptr, &size);
  while (rc == ERROR_SUCCESS || rc == ERROR_MORE_DATA) {
    data->assign(size, '\0');
    rc = RegQueryValueExA(key, name.c_str(), nullptr, type,
                          reinterpret_cast<BYTE*>(data->empty() ? nullptr
                                                                : &(*data)[0]),
                          &size);
    if (rc == ERROR_SUCCESS) {
      data->resize(size);
      break;
    }
  }
  RegCloseKey(key);
  return rc == ERROR_SUCCESS;
}

bool SetUserValue(const std::string& subkey, const std::string& name,
                  DWORD type, const void* data, DWORD size) {
  HKEY key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, UserKeyPath(subkey).c_str(), 0,
                      nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return false;
  const LONG rc = RegSetValueExA(key, name.c_str(), 0, type,
                                 static_cast<const BYTE*>(data), size);
  RegCloseKey(key);
  return rc == ERROR_SUCCESS;
}

// The root the volume functions take for a path: "X:\" for a drive
// letter, "\\server\share\" for a network path, else nothing (the
// current drive).
std::string RootOf(const std::string& path) {
  if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2) + "\\";
  if (path.size() > 2 && path[0] == '\\' && path[1] == '\\') {
    const size_t server_end = path.find('\\', 2);
    if (server_end == std::string::npos) return path + "\\";
    const size_t share_end = path.find('\\', server_end + 1);
    return share_end == std::string::npos ? path + "\\"
                                          : path.substr(0, share_end + 1);
  }
  return {};
}

// The address that names this module to GetModuleHandleEx.
void ModuleAnchor() {}

// Simple MAPI, loaded for one mail and unloaded again.
class MapiClient final : public MailClient {
 public:
  explicit MapiClient(HMODULE mapi)
      : mapi_(mapi),
        send_(reinterpret_cast<LPMAPISENDMAIL>(
            reinterpret_cast<void*>(GetProcAddress(mapi, "MAPISendMail")))) {}
  ~MapiClient() override { FreeLibrary(mapi_); }
  MapiClient(const MapiClient&) = delete;
  MapiClient& operator=(const MapiClient&) = delete;

  bool CanSend() const override { return send_ != nullptr; }
  int32_t Send(const MailMessage& mail, uintptr_t parent) override {
    if (!send_) return MAPI_E_FAILURE;
    std::string address = "SMTP:" + mail.recipient;
    MapiRecipDesc recipient = {};
    recipient.ulRecipClass = MAPI_TO;
    recipient.lpszName = const_cast<char*>(mail.recipient.c_str());
    recipient.lpszAddress = const_cast<char*>(address.c_str());
    std::vector<MapiFileDesc> files(mail.attachments.size());
    for (size_t i = 0; i < files.size(); ++i) {
      files[i] = MapiFileDesc{};
      files[i].nPosition = static_cast<ULONG>(-1);
      files[i].lpszPathName =
          const_cast<char*>(mail.attachments[i].path.c_str());
      files[i].lpszFileName =
          const_cast<char*>(mail.attachments[i].name.c_str());
    }
    MapiMessage message = {};
    message.lpszSubject = const_cast<char*>(mail.subject.c_str());
    message.lpszNoteText = const_cast<char*>(mail.body.c_str());
    message.nRecipCount = 1;
    message.lpRecips = &recipient;
    message.nFileCount = static_cast<ULONG>(files.size());
    message.lpFiles = files.empty() ? nullptr : files.data();
    HWND window = reinterpret_cast<HWND>(parent);
    if (window) EnableWindow(window, FALSE);
    const ULONG result = send_(0, reinterpret_cast<ULONG_PTR>(window),
                               &message, MAPI_LOGON_UI | MAPI_DIALOG, 0);
    if (window) {
      EnableWindow(window, TRUE);
      SetActiveWindow(window);
    }
    return static_cast<int32_t>(result);
  }

 private:
  HMODULE mapi_;
  LPMAPISENDMAIL send_;
};

class Win32Platform final : public Platform {
 public:
  Status OpenFile(const std::string& path, Access access, Share share,
                  std::unique_ptr<File>* file) override {
    // A folder fails here with ERROR_ACCESS_DENIED, as the runtime's open
    // does: no backup-semantics flag.
    const DWORD rights = access == Access::kReadWrite
                             ? GENERIC_READ | GENERIC_WRITE
                             : GENERIC_READ;
    return win32::OpenFile(path, rights, share, OPEN_EXISTING, file);
  }

  Status NewFile(const std::string& path, Share share,
                 std::unique_ptr<File>* file) override {
    // CREATE_ALWAYS empties an existing file only after the share check has
    // passed, so a file held exclusively elsewhere is never cut.
    return win32::OpenFile(path, GENERIC_READ | GENERIC_WRITE, share, CREATE_ALWAYS,
                file);
  }

  Status RemoveFile(const std::string& path) override {
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

  std::string ReadProfileText(const std::string& file,
                              const std::string& section,
                              const std::string& key,
                              const std::string& default_value) override {
    // The count comes back as size - 1 when the value did not fit.
    std::string buf(256, '\0');
    for (;;) {
      const DWORD n = GetPrivateProfileStringA(
          section.c_str(), key.c_str(), default_value.c_str(), &buf[0],
          static_cast<DWORD>(buf.size()), file.c_str());
      if (n + 1 < buf.size() || buf.size() >= (1u << 24)) {
        buf.resize(n);
        return buf;
      }
      buf.assign(buf.size() * 4, '\0');
    }
  }

  int ReadProfileInt(const std::string& file, const std::string& section,
                     const std::string& key, int default_value) override {
    return static_cast<int>(GetPrivateProfileIntA(
        section.c_str(), key.c_str(), default_value, file.c_str()));
  }

  bool WriteProfileText(const std::string& file, const std::string& section,
                        const std::string& key,
                        const std::string& value) override {
    return WritePrivateProfileStringA(section.c_str(), key.c_str(),
                                      value.c_str(), file.c_str()) != FALSE;
  }

  bool DeleteProfileKey(const std::string& file, const std::string& section,
                        const std::string& key) override {
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), nullptr,
                                      file.c_str()) != FALSE;
  }

  bool ReadProfileStruct(const std::string& file, const std::string& section,
                         const std::string& key, void* data,
                         size_t size) override {
    return GetPrivateProfileStructA(section.c_str(), key.c_str(), data,
                                    static_cast<UINT>(size),
                                    file.c_str()) != FALSE;
  }

  bool WriteProfileStruct(const std::string& file, const std::string& section,
                          const std::string& key, const void* data,
                          size_t size) override {
    return WritePrivateProfileStructA(
               section.c_str(), key.c_str(), const_cast<void*>(data),
               static_cast<UINT>(size), file.c_str()) != FALSE;
  }

  // Numbers are REG_DWORD and texts REG_SZ; either reads as the other where
  // the text is a decimal number, as the INI store of the POSIX build does.
  bool ReadUserNumber(const std::string& subkey, const std::string& name,
                      uint32_t* value) override {
    DWORD type = 0;
    std::string data;
    if (!QueryUserValue(subkey, name, &type, &data)) return false;
    if (type == REG_DWORD && data.size() == 4) {
      std::memcpy(value, data.data(), 4);
      return true;
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
    const std::string text = data.substr(0, data.find('\0'));
    if (text.empty() || text.size() > 10) return false;
    uint64_t n = 0;
    for (char c : text) {
      if (c < '0' || c > '9') return false;
      n = n * 10 + static_cast<uint64_t>(c - '0');
    }
    if (n > 0xFFFFFFFFull) return false;
    *value = static_cast<uint32_t>(n);
    return true;
  }

  bool WriteUserNumber(const std::string& subkey, const std::string& name,
                       uint32_t value) override {
    const DWORD dword = value;
    return SetUserValue(subkey, name, REG_DWORD, &dword, sizeof dword);
  }

  bool ReadUserText(const std::string& subkey, const std::string& name,
                    std::string* value) override {
    DWORD type = 0;
    std::string data;
    if (!QueryUserValue(subkey, name, &type, &data)) return false;
    if (type == REG_DWORD && data.size() == 4) {
      uint32_t n;
      std::memcpy(&n, data.data(), 4);
      char text[16];
      std::snprintf(text, sizeof text, "%u", static_cast<unsigned>(n));
      *value = text;
      return true;
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
    *value = data.substr(0, data.find('\0'));
    return true;
  }

  bool WriteUserText(const std::string& subkey, const std::string& name,
                     const std::string& value) override {
    return SetUserValue(subkey, name, REG_SZ, value.c_str(),
                        static_cast<DWORD>(value.size() + 1));
  }

  std::string UserName() override {
    char name[257];
    DWORD n = sizeof name;
    if (!GetUserNameA(name, &n)) return {};
    return name;
  }

  std::string ComputerName() override {
    char name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD n = sizeof name;
    if (!GetComputerNameA(name, &n)) return {};
    return std::string(name, n);
  }

  bool GetDiskSpace(const std::string& path, DiskSpace* space) override {
    const std::string root = RootOf(path);
    const char* root_text = root.empty() ? nullptr : root.c_str();
    ULARGE_INTEGER available, total, total_free;
    if (GetDiskFreeSpaceExA(root_text, &available, &total, &total_free) &&
        total.QuadPart != 0) {
      space->available = available.QuadPart;
      space->total_free = total_free.QuadPart;
      space->total = total.QuadPart;
      return true;
    }
    // Old network drives answer only the cluster counts of their root.
    DWORD sectors_per_cluster, bytes_per_sector, free_clusters, all_clusters;
    if (!GetDiskFreeSpaceA(root_text, &sectors_per_cluster, &bytes_per_sector,
                           &free_clusters, &all_clusters))
      return false;
    const uint64_t cluster =
        uint64_t{sectors_per_cluster} * bytes_per_sector;
    space->available = space->total_free = cluster * free_clusters;
    space->total = cluster * all_clusters;
    return true;
  }

  DriveKind DriveKindOf(const std::string& path) override {
    const std::string root = RootOf(path);
    switch (GetDriveTypeA(root.empty() ? nullptr : root.c_str())) {
      case DRIVE_FIXED:
      case DRIVE_RAMDISK: return DriveKind::kFixed;
      case DRIVE_REMOVABLE: return DriveKind::kRemovable;
      case DRIVE_REMOTE: return DriveKind::kRemote;
      case DRIVE_CDROM: return DriveKind::kCdRom;
      default: return DriveKind::kUnknown;
    }
  }

  void NewGuid(uint8_t guid[16]) override {
    GUID g;
    if (CoCreateGuid(&g) != S_OK) std::memset(&g, 0, sizeof g);
    static_assert(sizeof g == 16, "GUID layout");
    std::memcpy(guid, &g, 16);  // u32, u16, u16, 8 bytes, little-endian
  }

  bool ModuleVersion(const std::string& path, bool product,
                     uint16_t parts[4]) override {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0) return false;
    std::string data(size, '\0');
    if (!GetFileVersionInfoA(path.c_str(), 0, size, &data[0])) return false;
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(&data[0], "\\", reinterpret_cast<void**>(&info),
                        &length) ||
        !info || length < sizeof *info)
      return false;
    const DWORD ms = product ? info->dwProductVersionMS : info->dwFileVersionMS;
    const DWORD ls = product ? info->dwProductVersionLS : info->dwFileVersionLS;
    parts[0] = HIWORD(ms);
    parts[1] = LOWORD(ms);
    parts[2] = HIWORD(ls);
    parts[3] = LOWORD(ls);
    return true;
  }

  std::string OwnModulePath() override {
    HMODULE module = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCSTR>(&ModuleAnchor), &module))
      return {};
    std::string path(MAX_PATH, '\0');
    for (;;) {
      const DWORD n = GetModuleFileNameA(module, &path[0],
                                         static_cast<DWORD>(path.size()));
      if (n == 0) return {};
      if (n < path.size()) {
        path.resize(n);
        return path;
      }
      path.resize(path.size() * 2);  // cut short: try a larger buffer
    }
  }

  void PostQuit(int exit_code) override {
    posted_quit_ = exit_code;
    PostQuitMessage(exit_code);
  }
  int posted_quit() const override { return posted_quit_; }

  // The system's environment: the C runtime's copy can lag behind
  // SetEnvironmentVariable.
  std::string EnvironmentText(const std::string& name) override {
    char value[1024];
    const DWORD n = GetEnvironmentVariableA(name.c_str(), value, sizeof value);
    return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
  }
  StartResult StartProcess(const std::string& executable,
                           const std::string& arguments, bool wait) override {
    std::string command_line =
        executable.find(' ') == std::string::npos ? executable
                                                  : '"' + executable + '"';
    command_line += ' ' + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(executable.c_str(), command_line.data(), nullptr,
                        nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
      switch (GetLastError()) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND: return StartResult::kMissing;
        case ERROR_BAD_EXE_FORMAT:
        case ERROR_ACCESS_DENIED: return StartResult::kNotExecutable;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY: return StartResult::kNoMemory;
        default: return StartResult::kFailed;
      }
    }
    if (wait) WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return StartResult::kStarted;
  }
  std::unique_ptr<MailClient> LoadMailClient() override {
    HMODULE mapi = LoadLibraryA("MAPI32.DLL");
    if (!mapi) return nullptr;
    return std::make_unique<MapiClient>(mapi);
  }

  // The ANSI call keeps the Windows-1252 bytes as they are.
  std::string AbsolutePath(const std::string& path) override {
    char full[4096];
    const DWORD n = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    return n > 0 && n < sizeof full ? std::string(full, n) : path;
  }
  std::FILE* ScratchStream() override {
    char folder[MAX_PATH + 1] = {};
    char path[MAX_PATH + 1] = {};
    if (GetTempPathA(sizeof folder, folder) == 0 ||
        GetTempFileNameA(folder, "zbd", 0, path) == 0)
      return nullptr;
    const HANDLE file = ::CreateFileA(
        path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
        FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file), 0);
    if (fd < 0) {
      CloseHandle(file);
      return nullptr;
    }
    std::FILE* stream = _fdopen(fd, "w+b");
    if (!stream) _close(fd);
    return stream;
  }
  uint32_t SetConsoleCodePage(uint32_t code_page) override {
    const UINT old = GetConsoleOutputCP();
    if (old != 0) SetConsoleOutputCP(code_page);
    return old;
  }
  void* NewByteString(const std::string& bytes) override {
    return SysAllocStringByteLen(bytes.data(), static_cast<UINT>(bytes.size()));
  }
  void FreeByteString(void* text) override {
    SysFreeString(static_cast<BSTR>(text));
  }

  void* LoadLibraryFile(const std::string& name) override {
    return LoadLibraryA(name.c_str());
  }

  void* ProcedureByOrdinal(void* library, int ordinal) override {
    if (!library) return nullptr;
    return reinterpret_cast<void*>(
        GetProcAddress(static_cast<HMODULE>(library),
                       MAKEINTRESOURCEA(ordinal)));
  }

  void FreeLibraryFile(void* library) override {
    if (library) FreeLibrary(static_cast<HMODULE>(library));
  }

 private:
  int posted_quit_ = -1;
};

}  // namespace

std::unique_ptr<Platform> NewNativePlatform() {
  return std::make_unique<Win32Platform>();
}

}  // namespace zb::platform

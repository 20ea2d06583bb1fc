// The only interface between the library and the operating system.
//
// Paths are Windows text (Windows-1252, '\' separators, drive letters).
// The Win32 implementation passes them to the ANSI API as they are; the
// POSIX implementation maps them (see posix/path_map.h). Nothing above this
// layer includes an OS header.
#ifndef ZBDB_PLATFORM_PLATFORM_H_
#define ZBDB_PLATFORM_PLATFORM_H_

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

namespace zb::platform {

enum class Access { kRead, kReadWrite };

// How other handles, of this process or others, may use a file while it is
// open: kDenyNone lets everyone read and write, kDenyReadWrite keeps every
// other open out (and fails while any other handle is open).
enum class Share { kDenyNone, kDenyReadWrite };

enum class ErrorKind {
  kOk,
  kNotFound,      // the file or a folder on its path does not exist
  kAccessDenied,  // sharing violation, write protection, permissions
  kExists,        // the target of a rename or an exclusive create exists
  kOther,
};

struct Status {
  ErrorKind kind = ErrorKind::kOk;
  int code = 0;         // the system's error number (errno or GetLastError)
  std::string message;  // the system's text for it

  bool ok() const { return kind == ErrorKind::kOk; }
  static Status Ok() { return {}; }
};

// An open file. Positioned reads and writes do not move a shared file
// pointer, so one handle serves any order of calls. Closing happens in the
// destructor and releases the share mode.
class File {
 public:
  virtual ~File() = default;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // Reads up to n bytes at offset; *got receives the count (short at end).
  virtual Status ReadAt(uint64_t offset, void* buf, size_t n, size_t* got) = 0;
  // Writes n bytes at offset; *written receives the count actually written.
  virtual Status WriteAt(uint64_t offset, const void* data, size_t n,
                         size_t* written) = 0;
  virtual Status Size(uint64_t* size) = 0;

 protected:
  File() = default;
};

struct DirEntry {
  std::string name;  // the name only, Windows-1252
  bool is_folder = false;
  uint64_t size = 0;
  uint32_t modified = 0;  // seconds since 1970
  bool read_only = false;
};

// A mail as the system's mail client gets it.
struct MailMessage {
  std::string subject;
  std::string body;
  std::string recipient;  // an address; sent as "SMTP:" + it
  struct Attachment {
    std::string path;
    std::string name;  // the name the recipient sees
  };
  std::vector<Attachment> attachments;
};

// A loaded mail client; unloaded when the object goes.
class MailClient {
 public:
  virtual ~MailClient() = default;
  // Whether it offers sending (MAPISendMail).
  virtual bool CanSend() const = 0;
  // Sends with the client's logon and compose dialogs, owned by `parent`
  // (disabled meanwhile): the client's result, 0 sent, 1 cancelled, ...
  virtual int32_t Send(const MailMessage& mail, uintptr_t parent) = 0;
};

class Platform {
 public:
  virtual ~Platform() = default;

  // Opens an existing file. kNotFound and kAccessDenied are told apart.
  virtual Status OpenFile(const std::string& path, Access access, Share share,
                          std::unique_ptr<File>* file) = 0;
  // Creates a file (or empties an existing one) for reading and writing.
  virtual Status NewFile(const std::string& path, Share share,
                         std::unique_ptr<File>* file) = 0;
  virtual Status RemoveFile(const std::string& path) = 0;
  // Fails with kExists when the target exists, as Windows does.
  virtual Status RenameFile(const std::string& from, const std::string& to) = 0;
  virtual bool FileExists(const std::string& path) = 0;  // file or folder
  virtual bool IsFolder(const std::string& path) = 0;
  virtual Status IsReadOnly(const std::string& path, bool* read_only) = 0;
  virtual Status SetReadOnly(const std::string& path, bool read_only) = 0;
  // Entries of the folder of pattern whose names match its last component
  // ('*', '?'), case-insensitively as Windows matches; "." and ".." skipped.
  virtual Status FindFiles(const std::string& pattern,
                           std::vector<DirEntry>* entries) = 0;
  virtual Status CreateFolder(const std::string& path) = 0;
  // A C stream for the data channel and text output ("r+b", "a+", ...).
  virtual std::FILE* OpenStream(const std::string& path, const char* mode) = 0;

  virtual uint32_t Now() = 0;  // seconds since 1970
  virtual void SleepMs(uint32_t ms) = 0;

  // -- Private-profile (INI) files, with the Windows semantics: sections and
  // keys case-insensitive, values trimmed and stripped of one pair of
  // enclosing quotes, files and sections created on write.
  virtual std::string ReadProfileText(const std::string& file,
                                      const std::string& section,
                                      const std::string& key,
                                      const std::string& default_value);
  // GetPrivateProfileInt: an optional sign, a base prefix 0x, 0o or 0b, and
  // the digits up to the first other character, wrapping in 32 bits; 0 for
  // a value without digits, the default for a missing or empty one.
  virtual int ReadProfileInt(const std::string& file,
                             const std::string& section,
                             const std::string& key, int default_value);
  virtual bool WriteProfileText(const std::string& file,
                                const std::string& section,
                                const std::string& key,
                                const std::string& value);
  virtual bool DeleteProfileKey(const std::string& file,
                                const std::string& section,
                                const std::string& key);
  // The struct form: hex bytes followed by a checksum byte (the sum of the
  // bytes modulo 256). Reading fails when size or checksum disagree.
  virtual bool ReadProfileStruct(const std::string& file,
                                 const std::string& section,
                                 const std::string& key, void* data,
                                 size_t size);
  virtual bool WriteProfileStruct(const std::string& file,
                                  const std::string& section,
                                  const std::string& key, const void* data,
                                  size_t size);

  // -- The per-user key/value store in place of the registry:
  // HKEY_CURRENT_USER\Software\Quellhof GmbH\Globals\<subkey> on Windows,
  // the INI file $XDG_CONFIG_HOME/ZBStatik/registry.ini (or
  // ~/.config/ZBStatik/registry.ini) with a section per subkey on POSIX. The
  // subkey may start with a backslash; "" is the Globals key itself. A
  // number reads as text and a text of decimal digits as a number.
  virtual bool ReadUserNumber(const std::string& subkey,
                              const std::string& name, uint32_t* value);
  virtual bool WriteUserNumber(const std::string& subkey,
                               const std::string& name, uint32_t value);
  virtual bool ReadUserText(const std::string& subkey, const std::string& name,
                            std::string* value);
  virtual bool WriteUserText(const std::string& subkey,
                             const std::string& name,
                             const std::string& value);

  // -- The machine.
  virtual std::string UserName();      // empty when the system gives none
  virtual std::string ComputerName();  // empty when the system gives none
  struct DiskSpace {
    uint64_t available = 0;   // to the caller
    uint64_t total_free = 0;
    uint64_t total = 0;
  };
  virtual bool GetDiskSpace(const std::string& path, DiskSpace* space);
  enum class DriveKind { kUnknown, kFixed, kRemovable, kRemote, kCdRom };
  virtual DriveKind DriveKindOf(const std::string& path);
  // A new GUID in the Windows layout: u32, u16, u16, 8 bytes.
  virtual void NewGuid(uint8_t guid[16]);
  // The four 16-bit parts of a module's file (or product) version; false
  // when it has no version information.
  virtual bool ModuleVersion(const std::string& path, bool product,
                             uint16_t parts[4]);
  // The path of the file of this library (the DLL, the .so, or the program
  // it is linked into).
  virtual std::string OwnModulePath();
  // Asks the calling program to end with exit_code (Windows:
  // PostQuitMessage; POSIX: only recorded, see posted_quit()).
  virtual void PostQuit(int exit_code);
  // The exit code of the last PostQuit, -1 when none was posted.
  virtual int posted_quit() const;
  // Ends the process at once with exit_code (a data folder the library must
  // not go on with); does not return on a real platform.
  virtual void EndProcess(int exit_code);
  // The value of a setting of the process environment; "" when unset.
  virtual std::string EnvironmentText(const std::string& name);
  // Starts `executable` (a path) as a process of its own with itself as
  // its first argument and `arguments` as the second, and waits until it
  // has ended when `wait` is set.
  enum class StartResult { kStarted, kMissing, kNotExecutable, kNoMemory,
                           kFailed };
  virtual StartResult StartProcess(const std::string& executable,
                                   const std::string& arguments, bool wait);
  // The system's mail client, loaded for one mail (Windows: Simple MAPI,
  // "MAPI32.DLL"); nullptr where there is none.
  virtual std::unique_ptr<MailClient> LoadMailClient();
  // The path made absolute against the current folder, its bytes as they
  // are; the path itself when that fails.
  virtual std::string AbsolutePath(const std::string& path);
  // A file of this process alone, gone once it is closed; nullptr when none
  // can be made. Windows' tmpfile() would write into the drive's root.
  virtual std::FILE* ScratchStream();
  // Switches the console's output code page (a console shows the files'
  // Windows-1252 text right only in 1252); the one before, 0 where there
  // is no such setting.
  virtual uint32_t SetConsoleCodePage(uint32_t code_page);
  // A byte string the caller owns (Windows: a BSTR of these bytes, freed
  // with SysFreeString; POSIX: a zero-terminated copy, freed with
  // FreeByteString); nullptr when out of memory.
  virtual void* NewByteString(const std::string& bytes);
  virtual void FreeByteString(void* text);

  // -- Libraries loaded at run time, their functions found by ordinal
  // (Windows: LoadLibrary/GetProcAddress; POSIX: dlopen and the library's
  // exported lookup "zb_procedure_by_ordinal").
  virtual void* LoadLibraryFile(const std::string& name);  // nullptr: missing
  virtual void* ProcedureByOrdinal(void* library, int ordinal);
  virtual void FreeLibraryFile(void* library);
};

// The real platform of this system; posix/ and win32/ each provide it.
std::unique_ptr<Platform> NewNativePlatform();

// The folder the suite's default folders lie below: the setting
// ZBSTATIK_HOME (without trailing separators) when set; else "D:\ZBStatik"
// on Windows ("C:\ZBStatik" when D: is a CD-ROM drive) and ~/ZBStatik on
// POSIX.
std::string ProductFolder(Platform& os);

// A time of seconds since 1970 in the calendar, as UTC or local time (the
// C library's thread-safe forms differ between the systems).
std::tm CalendarTime(uint32_t seconds, bool local);

// Windows wildcard matching of one name against one pattern component,
// ignoring case as Windows does for Windows-1252 letters.
bool WildcardMatch(const std::string& pattern, const std::string& name);

}  // namespace zb::platform

#endif  // ZBDB_PLATFORM_PLATFORM_H_

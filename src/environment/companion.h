// The library's side of the companion libraries zbdisk (folders, language)
// and ZBResource900 (resource handle), which it loads at run time and calls
// by ordinal only.
//
// Both are looked for first in the folder of the library's own module
// (platform OwnModulePath: the DLL, the .so, or the program the library is
// linked into), then on the system's search path; each is loaded once, on
// first use. A missing library or function is never fatal: every call then
// answers as "not available" below and error() names what is missing.
#ifndef ZBDB_ENVIRONMENT_COMPANION_H_
#define ZBDB_ENVIRONMENT_COMPANION_H_

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace zb::environment {

enum class FolderKind {
  kProgram,
  kData,
  kTemporary,
  kUser,
  kConfiguration,
  kBase
};

// The code a folder query answers when the folder has no value:
// 50, 51, 52, 57, 57, 49 in the order of FolderKind.
int FolderErrorCode(FolderKind kind);

class Companions {
 public:
  virtual ~Companions() = default;

  // 0 with *folder filled, or the folder's error code (then *folder is
  // left as it was).
  virtual int ReadFolder(FolderKind kind, std::string* folder) = 0;
  // 0 when stored; otherwise nonzero (the base folder cannot be set).
  virtual int WriteFolder(FolderKind kind, const std::string& folder) = 0;

  // The user-interface language; German (1031) when zbdisk is missing.
  virtual int32_t Language() = 0;
  // "DEU" for 1031 and so on; empty when it cannot be asked.
  virtual std::string LanguageShortName(int32_t language) = 0;
  // The installed languages: first, then next until 0 (0 when missing).
  virtual int32_t FirstLanguage() = 0;
  virtual int32_t NextLanguage() = 0;
  virtual int32_t LanguageSetting() = 0;  // kept by the language dialog
  virtual int32_t SecondLanguage() = 0;   // compared by the language dialog
  virtual void ChooseLanguage(int32_t language) = 0;
  virtual int32_t PositionListValue() = 0;  // for the position list; 0

  // The resource handle for module "ZBDB900"; null when it cannot be had.
  virtual void* AcquireResourceHandle(void* instance) = 0;
  virtual void ReleaseResourceHandle(void* handle) = 0;
  virtual void SelectResourceLanguage(int32_t language) = 0;
  virtual void SecondResourceSelection() = 0;  // both calls of the dialog

  // What was missing at the last failed call, e.g. "companion library
  // zbdisk not found"; empty while nothing failed.
  virtual std::string error() const = 0;
};

// The real libraries. The file names are given for tests; by default
// zbdisk.dll and ZBResource900.dll (libzbdisk.so, libZBResource900.so).
class LoadedCompanions : public Companions {
 public:
  static const char* const kDiskFile;
  static const char* const kResourceFile;

  explicit LoadedCompanions(platform::Platform& os,
                            std::string disk_file = kDiskFile,
                            std::string resource_file = kResourceFile);
  ~LoadedCompanions() override;  // unloads what it loaded
  LoadedCompanions(const LoadedCompanions&) = delete;
  LoadedCompanions& operator=(const LoadedCompanions&) = delete;

  int ReadFolder(FolderKind kind, std::string* folder) override;
  int WriteFolder(FolderKind kind, const std::string& folder) override;
  int32_t Language() override;
  std::string LanguageShortName(int32_t language) override;
  int32_t FirstLanguage() override;
  int32_t NextLanguage() override;
  int32_t LanguageSetting() override;
  int32_t SecondLanguage() override;
  void ChooseLanguage(int32_t language) override;
  int32_t PositionListValue() override;
  void* AcquireResourceHandle(void* instance) override;
  void ReleaseResourceHandle(void* handle) override;
  void SelectResourceLanguage(int32_t language) override;
  void SecondResourceSelection() override;
  std::string error() const override { return error_; }

 private:
  struct Library {
    const char* name;  // as named in error texts
    std::string file;
    bool tried = false;
    void* handle = nullptr;
  };
  // The function of an ordinal, or null (with error_ set).
  void* Procedure(Library& library, int ordinal);

  platform::Platform& os_;
  Library disk_;
  Library resource_;
  std::string error_;
};

}  // namespace zb::environment

#endif  // ZBDB_ENVIRONMENT_COMPANION_H_

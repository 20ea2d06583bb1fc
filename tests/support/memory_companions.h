// A companion library for tests: the folders handed on are kept in memory,
// the languages are fixed to German and there are no resources.
#ifndef ZBDB_TESTS_SUPPORT_MEMORY_COMPANIONS_H_
#define ZBDB_TESTS_SUPPORT_MEMORY_COMPANIONS_H_

#include <map>
#include <string>

#include "environment/companion.h"
#include "environment/folders.h"

namespace zbtest {

class MemoryCompanions final : public zb::environment::Companions {
 public:
  using FolderKind = zb::environment::FolderKind;
  std::map<FolderKind, std::string> folders;
  // The login's tests: the base folder cannot be written, as with a
  // companion library that keeps it read-only.
  bool base_folder_read_only = false;

  int ReadFolder(FolderKind kind, std::string* folder) override {
    auto it = folders.find(kind);
    if (it == folders.end()) return zb::environment::FolderErrorCode(kind);
    *folder = it->second;
    return 0;
  }
  int WriteFolder(FolderKind kind, const std::string& folder) override {
    if (base_folder_read_only && kind == FolderKind::kBase) return 1;
    folders[kind] = folder;
    return 0;
  }
  int32_t Language() override { return 1031; }
  std::string LanguageShortName(int32_t) override { return "DEU"; }
  int32_t FirstLanguage() override { return 1031; }
  int32_t NextLanguage() override { return 0; }
  int32_t LanguageSetting() override { return 1031; }
  int32_t SecondLanguage() override { return 1031; }
  void ChooseLanguage(int32_t) override {}
  int32_t PositionListValue() override { return 0; }
  void* AcquireResourceHandle(void*) override { return nullptr; }
  void ReleaseResourceHandle(void*) override {}
  void SelectResourceLanguage(int32_t) override {}
  void SecondResourceSelection() override {}
  std::string error() const override { return {}; }
};

}  // namespace zbtest

#endif  // ZBDB_TESTS_SUPPORT_MEMORY_COMPANIONS_H_

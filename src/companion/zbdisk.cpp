// zbdisk: folders and language of the suite (see zbdisk.h).
#include "companion/zbdisk.h"

#include <cstring>
#include <memory>
#include <string>

#include "companion/by_ordinal.h"
#include "platform/platform.h"

namespace zb::companion::disk {
namespace {

constexpr char kFolderSubkey[] = "Folders";
constexpr char kLanguageSubkey[] = "Language";
constexpr char kLanguageValue[] = "Chosen";
constexpr int32_t kInstalledLanguages[] = {kGerman};

enum Folder { kProgram, kData, kTemporary, kUser, kConfiguration, kBase };

struct FolderFacts {
  const char* setting;     // environment setting that overrides the rest
  const char* store_name;  // value name in the per-user store
  const char* below_product;
  int32_t error;
};

constexpr FolderFacts kFolders[] = {
    {"ZBDB_PROGRAM_DIR", "ExePath", "\\Programme\\", 50},
    {"ZBDB_DATA_DIR", "DataPath", "\\Daten\\", 51},
    {"ZBDB_TMP_DIR", "TmpPath", "\\TMP\\", 52},
    {"ZBDB_USER_DIR", "UserPath", "\\User\\", 57},
    {"ZBDB_INI_DIR", "IniPath", "\\User\\", 57},  // + user name
    {"ZBDB_BASE_DIR", "BasePath", "\\Basis\\", 49},
};

// Everything this companion library keeps between calls: its own view of
// the system and where the language enumeration stands. Made on first use
// and kept until the process ends.
struct DiskLibrary {
  std::unique_ptr<platform::Platform> os = platform::NewNativePlatform();
  size_t next_language = 0;  // position in the list of 36 and 37
};

DiskLibrary& TheDiskLibrary() {
  static DiskLibrary* library = new DiskLibrary;
  return *library;
}

platform::Platform& Os() { return *TheDiskLibrary().os; }

std::string Setting(const char* name) { return Os().EnvironmentText(name); }

std::string FolderValue(Folder folder) {
  const FolderFacts& facts = kFolders[folder];
  std::string value = Setting(facts.setting);
  if (!value.empty()) return value;
  if (Os().ReadUserText(kFolderSubkey, facts.store_name, &value) &&
      !value.empty())
    return value;
  const std::string product = platform::ProductFolder(Os());
  if (product.empty()) return {};
  value = product + facts.below_product;
  if (folder == kConfiguration) {
    std::string user = Os().UserName();
    value += (user.empty() ? std::string("ZB_GAST") : user) + "\\";
  }
  return value;
}

int32_t ReadFolder(Folder folder, char* buffer, int32_t size) {
  const std::string value = FolderValue(folder);
  if (buffer == nullptr || value.empty() ||
      static_cast<int64_t>(value.size()) >= size)
    return kFolders[folder].error;
  std::memcpy(buffer, value.c_str(), value.size() + 1);
  return 0;
}

int32_t WriteFolder(Folder folder, const char* text) {
  if (text == nullptr ||
      !Os().WriteUserText(kFolderSubkey, kFolders[folder].store_name, text))
    return kFolders[folder].error;
  return 0;
}

bool Installed(int32_t language) {
  for (int32_t installed : kInstalledLanguages)
    if (installed == language) return true;
  return false;
}

int32_t CurrentLanguage() {
  uint32_t chosen = 0;
  if (Os().ReadUserNumber(kLanguageSubkey, kLanguageValue, &chosen) &&
      Installed(static_cast<int32_t>(chosen)))
    return static_cast<int32_t>(chosen);
  return kGerman;
}


}  // namespace
}  // namespace zb::companion::disk

using namespace zb::companion::disk;

extern "C" {

int32_t ZBAPI DiskReadProgramFolder(char* buffer, int32_t size) {
  return ReadFolder(kProgram, buffer, size);
}
int32_t ZBAPI DiskReadDataFolder(char* buffer, int32_t size) {
  return ReadFolder(kData, buffer, size);
}
int32_t ZBAPI DiskReadTemporaryFolder(char* buffer, int32_t size) {
  return ReadFolder(kTemporary, buffer, size);
}
int32_t ZBAPI DiskReadUserFolder(char* buffer, int32_t size) {
  return ReadFolder(kUser, buffer, size);
}
int32_t ZBAPI DiskReadConfigurationFolder(char* buffer, int32_t size) {
  return ReadFolder(kConfiguration, buffer, size);
}
int32_t ZBAPI DiskReadBaseFolder(char* buffer, int32_t size) {
  return ReadFolder(kBase, buffer, size);
}

int32_t ZBAPI DiskWriteProgramFolder(const char* folder) {
  return WriteFolder(kProgram, folder);
}
int32_t ZBAPI DiskWriteDataFolder(const char* folder) {
  return WriteFolder(kData, folder);
}
int32_t ZBAPI DiskWriteTemporaryFolder(const char* folder) {
  return WriteFolder(kTemporary, folder);
}
int32_t ZBAPI DiskWriteUserFolder(const char* folder) {
  return WriteFolder(kUser, folder);
}
int32_t ZBAPI DiskWriteConfigurationFolder(const char* folder) {
  return WriteFolder(kConfiguration, folder);
}

int32_t ZBAPI DiskLanguage() { return CurrentLanguage(); }
int32_t ZBAPI DiskLanguageSetting() { return CurrentLanguage(); }
int32_t ZBAPI DiskSecondLanguage() { return CurrentLanguage(); }

int32_t ZBAPI DiskChooseLanguage(int32_t language) {
  Os().WriteUserNumber(kLanguageSubkey, kLanguageValue,
                       static_cast<uint32_t>(language));
  return 0;
}

int32_t ZBAPI DiskLanguageShortName(int32_t language, char* buffer,
                                    int32_t size) {
  const char* name = language == 1031   ? "DEU"
                     : language == 1033 ? "ENU"
                                        : "XXX";
  if (buffer == nullptr || size < 4) return 1;
  std::memcpy(buffer, name, 4);
  return 0;
}

int32_t ZBAPI DiskFirstLanguage() {
  TheDiskLibrary().next_language = 1;
  return kInstalledLanguages[0];
}
int32_t ZBAPI DiskNextLanguage() {
  constexpr size_t n =
      sizeof kInstalledLanguages / sizeof kInstalledLanguages[0];
  size_t& next = TheDiskLibrary().next_language;
  return next < n ? kInstalledLanguages[next++] : 0;
}

int32_t ZBAPI DiskPositionListValue(int32_t) { return 0; }

}  // extern "C"

#if !defined(_WIN32)
extern "C" __attribute__((visibility("default"))) void* zb_procedure_by_ordinal(
    int ordinal) {
  using zb::companion::OrdinalEntry;
  static const OrdinalEntry kTable[] = {
      {kReadProgramFolder, reinterpret_cast<void*>(&DiskReadProgramFolder)},
      {kReadDataFolder, reinterpret_cast<void*>(&DiskReadDataFolder)},
      {kReadTemporaryFolder, reinterpret_cast<void*>(&DiskReadTemporaryFolder)},
      {kWriteProgramFolder, reinterpret_cast<void*>(&DiskWriteProgramFolder)},
      {kWriteDataFolder, reinterpret_cast<void*>(&DiskWriteDataFolder)},
      {kWriteTemporaryFolder,
       reinterpret_cast<void*>(&DiskWriteTemporaryFolder)},
      {kWriteUserFolder, reinterpret_cast<void*>(&DiskWriteUserFolder)},
      {kReadUserFolder, reinterpret_cast<void*>(&DiskReadUserFolder)},
      {kReadConfigurationFolder,
       reinterpret_cast<void*>(&DiskReadConfigurationFolder)},
      {kLanguage, reinterpret_cast<void*>(&DiskLanguage)},
      {kLanguageSetting, reinterpret_cast<void*>(&DiskLanguageSetting)},
      {kChooseLanguage, reinterpret_cast<void*>(&DiskChooseLanguage)},
      {kSecondLanguage, reinterpret_cast<void*>(&DiskSecondLanguage)},
      {kLanguageShortName, reinterpret_cast<void*>(&DiskLanguageShortName)},
      {kFirstLanguage, reinterpret_cast<void*>(&DiskFirstLanguage)},
      {kNextLanguage, reinterpret_cast<void*>(&DiskNextLanguage)},
      {kPositionListValue, reinterpret_cast<void*>(&DiskPositionListValue)},
      {kReadBaseFolder, reinterpret_cast<void*>(&DiskReadBaseFolder)},
      {kWriteConfigurationFolder,
       reinterpret_cast<void*>(&DiskWriteConfigurationFolder)},
  };
  return zb::companion::FindOrdinal(kTable, ordinal);
}
#endif

#include "environment/companion.h"

#include <string>

#include "companion/zbdisk.h"
#include "companion/zbresource.h"
#include "platform/platform.h"

namespace zb::environment {

namespace disk = companion::disk;
namespace resource = companion::resource;

namespace {

struct FolderOrdinals {
  int read;
  int write;  // 0: none
  int error;
};

constexpr FolderOrdinals kFolderOrdinals[] = {
    {disk::kReadProgramFolder, disk::kWriteProgramFolder, 50},
    {disk::kReadDataFolder, disk::kWriteDataFolder, 51},
    {disk::kReadTemporaryFolder, disk::kWriteTemporaryFolder, 52},
    {disk::kReadUserFolder, disk::kWriteUserFolder, 57},
    {disk::kReadConfigurationFolder, disk::kWriteConfigurationFolder, 57},
    {disk::kReadBaseFolder, 0, 49},
};

const FolderOrdinals& OrdinalsOf(FolderKind kind) {
  return kFolderOrdinals[static_cast<int>(kind)];
}

// The folder of the library's own module with its separator, or "".
std::string OwnFolder(platform::Platform& os) {
  const std::string path = os.OwnModulePath();
  const size_t end = path.find_last_of("\\/");
  return end == std::string::npos ? std::string() : path.substr(0, end + 1);
}

template <typename Fn>
Fn As(void* procedure) {
  return reinterpret_cast<Fn>(procedure);
}

}  // namespace

int FolderErrorCode(FolderKind kind) { return OrdinalsOf(kind).error; }

#ifdef _WIN32
const char* const LoadedCompanions::kDiskFile = "zbdisk.dll";
const char* const LoadedCompanions::kResourceFile = "ZBResource900.dll";
#else
const char* const LoadedCompanions::kDiskFile = "libzbdisk.so";
const char* const LoadedCompanions::kResourceFile = "libZBResource900.so";
#endif

LoadedCompanions::LoadedCompanions(platform::Platform& os,
                                   std::string disk_file,
                                   std::string resource_file)
    : os_(os),
      disk_{"zbdisk", std::move(disk_file)},
      resource_{"ZBResource900", std::move(resource_file)} {}

LoadedCompanions::~LoadedCompanions() {
  platform::Platform& os = os_;
  if (disk_.handle) os.FreeLibraryFile(disk_.handle);
  if (resource_.handle) os.FreeLibraryFile(resource_.handle);
}

void* LoadedCompanions::Procedure(Library& library, int ordinal) {
  platform::Platform& os = os_;
  if (!library.tried) {
    library.tried = true;
    const std::string folder = OwnFolder(os);
    if (!folder.empty())
      library.handle = os.LoadLibraryFile(folder + library.file);
    if (!library.handle) library.handle = os.LoadLibraryFile(library.file);
  }
  if (!library.handle) {
    error_ = std::string("companion library ") + library.name + " not found (" +
             library.file + ")";
    return nullptr;
  }
  void* procedure = os.ProcedureByOrdinal(library.handle, ordinal);
  if (!procedure)
    error_ = std::string("companion library ") + library.name +
             " has no function with ordinal " + std::to_string(ordinal);
  return procedure;
}

int LoadedCompanions::ReadFolder(FolderKind kind, std::string* folder) {
  const FolderOrdinals& ordinals = OrdinalsOf(kind);
  auto read = As<disk::ReadFolderFn>(Procedure(disk_, ordinals.read));
  if (!read) return ordinals.error;
  // One byte more than the companion is told, so a companion that fills
  // the whole buffer still leaves a terminated text.
  char buffer[disk::kFolderBufferSize + 1] = {};
  const int32_t result = read(buffer, disk::kFolderBufferSize);
  if (result == 0) folder->assign(buffer);
  return result;
}

int LoadedCompanions::WriteFolder(FolderKind kind, const std::string& folder) {
  const FolderOrdinals& ordinals = OrdinalsOf(kind);
  if (ordinals.write == 0) {
    error_ = "companion library zbdisk cannot set the base folder";
    return ordinals.error;
  }
  auto write = As<disk::WriteFolderFn>(Procedure(disk_, ordinals.write));
  return write ? write(folder.c_str()) : ordinals.error;
}

int32_t LoadedCompanions::Language() {
  auto language = As<disk::LanguageFn>(Procedure(disk_, disk::kLanguage));
  return language ? language() : disk::kGerman;
}

std::string LoadedCompanions::LanguageShortName(int32_t language) {
  auto short_name =
      As<disk::ShortNameFn>(Procedure(disk_, disk::kLanguageShortName));
  char buffer[disk::kShortNameBufferSize + 1] = {};
  if (!short_name ||
      short_name(language, buffer, disk::kShortNameBufferSize) != 0)
    return {};
  return buffer;
}

int32_t LoadedCompanions::FirstLanguage() {
  auto first = As<disk::LanguageFn>(Procedure(disk_, disk::kFirstLanguage));
  return first ? first() : 0;
}

int32_t LoadedCompanions::NextLanguage() {
  auto next = As<disk::LanguageFn>(Procedure(disk_, disk::kNextLanguage));
  return next ? next() : 0;
}

int32_t LoadedCompanions::LanguageSetting() {
  auto setting = As<disk::LanguageFn>(Procedure(disk_, disk::kLanguageSetting));
  return setting ? setting() : 0;
}

int32_t LoadedCompanions::SecondLanguage() {
  auto second = As<disk::LanguageFn>(Procedure(disk_, disk::kSecondLanguage));
  return second ? second() : 0;
}

void LoadedCompanions::ChooseLanguage(int32_t language) {
  auto choose =
      As<disk::ChooseLanguageFn>(Procedure(disk_, disk::kChooseLanguage));
  if (choose) choose(language);
}

int32_t LoadedCompanions::PositionListValue() {
  auto value =
      As<disk::PositionListValueFn>(Procedure(disk_, disk::kPositionListValue));
  return value ? value(0) : 0;
}

void* LoadedCompanions::AcquireResourceHandle(void* instance) {
  auto acquire =
      As<resource::AcquireFn>(Procedure(resource_, resource::kAcquire));
  return acquire ? acquire("ZBDB900", instance) : nullptr;
}

void LoadedCompanions::ReleaseResourceHandle(void* handle) {
  auto release =
      As<resource::ReleaseFn>(Procedure(resource_, resource::kRelease));
  if (release) release(handle);
}

void LoadedCompanions::SelectResourceLanguage(int32_t language) {
  auto select = As<resource::SelectLanguageFn>(
      Procedure(resource_, resource::kSelectLanguage));
  if (select) select(language);
}

void LoadedCompanions::SecondResourceSelection() {
  for (int ordinal : {resource::kSecondSelectionA, resource::kSecondSelectionB})
    if (auto call = As<resource::NoArgumentFn>(Procedure(resource_, ordinal)))
      call();
}

}  // namespace zb::environment

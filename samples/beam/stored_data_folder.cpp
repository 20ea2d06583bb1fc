#include "stored_data_folder.h"

#include <cstdint>

#include "zbdb900.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace beam {
namespace {

// zbdisk's data folder calls, by ordinal: read into a buffer of 260 bytes,
// write a zero-terminated text; both answer 0 on success.
constexpr int kReadDataFolder = 12;
constexpr int kWriteDataFolder = 15;
constexpr int32_t kFolderBufferSize = 260;
using ReadFolderFn = int32_t(ZBAPI*)(char* buffer, int32_t size);
using WriteFolderFn = int32_t(ZBAPI*)(const char* folder);

#ifdef _WIN32
void* LoadCompanion() { return LoadLibraryA("zbdisk.dll"); }
void* Procedure(void* companion, int ordinal) {
  return reinterpret_cast<void*>(GetProcAddress(
      static_cast<HMODULE>(companion), MAKEINTRESOURCEA(ordinal)));
}
void FreeCompanion(void* companion) {
  FreeLibrary(static_cast<HMODULE>(companion));
}
#else
// The one the library loads: the file beside the library itself.
void* LoadCompanion() {
  Dl_info info{};
  std::string path = "libzbdisk.so";
  if (dladdr(reinterpret_cast<void*>(&ZBDB_Login), &info) && info.dli_fname) {
    const std::string library = info.dli_fname;
    const size_t cut = library.find_last_of('/');
    if (cut != std::string::npos) path = library.substr(0, cut + 1) + path;
  }
  void* companion = dlopen(path.c_str(), RTLD_NOW);
  return companion ? companion : dlopen("libzbdisk.so", RTLD_NOW);
}
// Outside Windows the companion answers the function of an ordinal itself.
void* Procedure(void* companion, int ordinal) {
  using ByOrdinalFn = void* (*)(int);
  auto by_ordinal = reinterpret_cast<ByOrdinalFn>(
      dlsym(companion, "zb_procedure_by_ordinal"));
  return by_ordinal ? by_ordinal(ordinal) : nullptr;
}
void FreeCompanion(void* companion) { dlclose(companion); }
#endif

bool ReadDataFolder(void* companion, std::string* folder) {
  auto read =
      reinterpret_cast<ReadFolderFn>(Procedure(companion, kReadDataFolder));
  char buffer[kFolderBufferSize + 1] = {};
  if (!read || read(buffer, kFolderBufferSize) != 0) return false;
  *folder = buffer;
  return true;
}

}  // namespace

StoredDataFolder::StoredDataFolder() : companion_(LoadCompanion()) {
  known_ = companion_ && ReadDataFolder(companion_, &folder_);
}

StoredDataFolder::~StoredDataFolder() {
  if (!companion_) return;
  std::string now;
  if (known_ && ReadDataFolder(companion_, &now) && now != folder_) {
    auto write = reinterpret_cast<WriteFolderFn>(
        Procedure(companion_, kWriteDataFolder));
    if (write) write(folder_.c_str());
  }
  FreeCompanion(companion_);
}

}  // namespace beam

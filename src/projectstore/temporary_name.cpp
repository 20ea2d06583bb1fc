#include "projectstore/temporary_name.h"

#include <cstdio>

#include "fsutil/path_text.h"
#include "platform/platform.h"
#include "projectstore/store.h"

namespace zb::projectstore {

namespace {

// Every number up to here is tried before the last one is given back
// taken; a folder holding that many files of one program is beyond use.
constexpr uint32_t kLastNumber = 99999;

std::string WithoutTrailingSeparator(std::string folder) {
  if (folder.size() > 1 && fsutil::IsSeparator(folder.back()))
    folder.pop_back();
  return folder;
}

// A text that looks like a file's name rather than a folder's: something
// after the last separator that carries an extension.
bool LooksLikeFileName(const std::string& path) {
  return fsutil::FileNameOf(path).find('.') != std::string::npos;
}

}  // namespace

std::string TemporaryName(const std::string& program_key, uint32_t number) {
  std::string name = "00000000";
  std::string key = program_key.substr(0, program_key.find_last_not_of(' ') + 1);
  if (key.size() > name.size()) key.resize(name.size());
  name.replace(0, key.size(), key);
  char digits[16];
  std::snprintf(digits, sizeof digits, "%u", number);
  std::string text = digits;
  if (text.size() > name.size()) text = text.substr(text.size() - name.size());
  name.replace(name.size() - text.size(), text.size(), text);
  return name + ".TMP";
}

std::string FreeTemporaryPath(Store& store, const std::string& folder,
                              const std::string& program_key) {
  const std::string base = WithoutTrailingSeparator(folder) + "\\";
  platform::Platform& os = store.os();
  std::string path;
  for (uint32_t number = 1; number <= kLastNumber; ++number) {
    path = base + TemporaryName(program_key, number);
    if (!os.FileExists(path)) break;
  }
  return path;
}

std::string NewTemporaryPath(Store& store, const std::string& previous,
                             const std::string& program_key) {
  platform::Platform& os = store.os();
  if (!previous.empty() && os.FileExists(previous) && !os.IsFolder(previous)) {
    if (os.RemoveFile(previous).ok()) return previous;
    return FreeTemporaryPath(store, fsutil::FolderOf(previous), program_key);
  }
  // A file name given before whose file is gone: its folder is meant.
  if (!previous.empty() && !os.IsFolder(previous) &&
      LooksLikeFileName(previous))
    return FreeTemporaryPath(store, fsutil::FolderOf(previous), program_key);
  return FreeTemporaryPath(store, previous, program_key);
}

}  // namespace zb::projectstore

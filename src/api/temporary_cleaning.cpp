#include "api/temporary_cleaning.h"

#include <vector>

#include "api/library.h"
#include "platform/platform.h"

namespace zb::api {
namespace {

constexpr int32_t kMostFilesLeft = 20;

// One trailing backslash removed; the name is joined with one again.
std::string WithoutBackslash(std::string folder) {
  if (folder.size() > 1 && folder.back() == '\\') folder.pop_back();
  return folder;
}

int32_t CleanOnce(Library& lib, const std::string& folder,
                  const std::string& pattern, int32_t age_minutes) {
  platform::Platform& os = lib.os();
  std::vector<platform::DirEntry> entries;
  if (!os.FindFiles(folder + "\\" + pattern, &entries).ok()) return 0;
  const uint32_t now = os.Now();
  int32_t left = 0;
  for (const platform::DirEntry& entry : entries) {
    if (entry.is_folder) continue;
    const int64_t age =
        (static_cast<int64_t>(now) - static_cast<int64_t>(entry.modified)) /
        60;
    if (age > age_minutes && os.RemoveFile(folder + "\\" + entry.name).ok())
      continue;
    ++left;
  }
  return left;
}

}  // namespace

int32_t CleanOldTemporaryFiles(Library& lib, const std::string& folder,
                               const std::string& program_key,
                               int32_t age_minutes) {
  if (folder.empty() || program_key.empty()) return 0;
  const std::string normal = WithoutBackslash(folder);
  const std::string pattern = program_key + "*.TMP";
  int32_t left = 0;
  for (int32_t limit = age_minutes;;) {
    const int32_t now_left = CleanOnce(lib, normal, pattern, limit);
    left += now_left;
    if (now_left <= kMostFilesLeft || limit < 1) break;
    limit /= 2;
  }
  return left;
}

}  // namespace zb::api

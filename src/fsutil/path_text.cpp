#include "fsutil/path_text.h"

#include "platform/platform.h"

namespace zb::fsutil {

// Windows accepts '/' as well; on POSIX it is the native separator.
bool IsSeparator(char c) { return c == '\\' || c == '/'; }

namespace {
size_t LastSeparator(const std::string& path) {
  for (size_t i = path.size(); i > 0; --i)
    if (IsSeparator(path[i - 1])) return i - 1;
  return std::string::npos;
}
}  // namespace

std::string FolderOf(const std::string& path) {
  const size_t cut = LastSeparator(path);
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

std::string FileNameOf(const std::string& path) {
  const size_t cut = LastSeparator(path);
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string ReplaceExtension(const std::string& path,
                             const std::string& extension) {
  const size_t name_start =
      LastSeparator(path) == std::string::npos ? 0 : LastSeparator(path) + 1;
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot < name_start) return path + extension;
  return path.substr(0, dot) + extension;
}

std::string Join(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (IsSeparator(folder.back())) return folder + name;
  return folder + "\\" + name;
}

bool MatchesWildcard(const std::string& pattern, const std::string& name) {
  return platform::WildcardMatch(pattern, name);
}

}  // namespace zb::fsutil

#include "projectstore/file_copy.h"

#include <memory>
#include <vector>

namespace zb::projectstore {
namespace {

constexpr size_t kCopyChunk = 64 * 1024;

// The bytes of `from` into a new file `to`; false leaves `to` behind.
bool CopyBytes(platform::Platform& os, const std::string& from,
               const std::string& to) {
  std::unique_ptr<platform::File> in;
  std::unique_ptr<platform::File> out;
  if (!os.OpenFile(from, platform::Access::kRead, platform::Share::kDenyNone,
                   &in)
           .ok() ||
      !os.NewFile(to, platform::Share::kDenyReadWrite, &out).ok())
    return false;
  std::vector<char> buffer(kCopyChunk);
  for (uint64_t at = 0;;) {
    size_t got = 0;
    if (!in->ReadAt(at, buffer.data(), buffer.size(), &got).ok()) return false;
    if (got == 0) return true;
    size_t written = 0;
    if (!out->WriteAt(at, buffer.data(), got, &written).ok() || written != got)
      return false;
    at += got;
  }
}

}  // namespace

bool CopyFileReplacing(platform::Platform& os, const std::string& from,
                       const std::string& to) {
  const std::string partial = to + ".$$$";
  if (!CopyBytes(os, from, partial)) {
    os.RemoveFile(partial);
    return false;
  }
  if (os.FileExists(to)) os.RemoveFile(to);
  if (!os.RenameFile(partial, to).ok()) {
    os.RemoveFile(partial);
    return false;
  }
  return true;
}

bool MoveFileReplacing(platform::Platform& os, const std::string& from,
                       const std::string& to) {
  if (!os.FileExists(from)) return false;
  if (os.FileExists(to) && !os.RemoveFile(to).ok()) return false;
  if (os.RenameFile(from, to).ok()) return true;
  if (!CopyFileReplacing(os, from, to)) return false;
  if (os.RemoveFile(from).ok()) return true;
  os.RemoveFile(to);
  return false;
}

bool RemoveFileFully(platform::Platform& os, const std::string& path) {
  os.RemoveFile(path);
  return !os.FileExists(path);
}

}  // namespace zb::projectstore

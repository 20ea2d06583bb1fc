#include "api/temporary_files.h"

#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

#include "api/library.h"
#include "platform/platform.h"
#include "projectstore/positions.h"
#include "projectstore/transfer.h"
#include "projectstore/record_file.h"
#include "recordstore/engine.h"
#include "recordstore/listing.h"
#include "recordstore/typed_records.h"

namespace zb::api {
namespace {

using recordstore::Engine;
namespace ps = zb::projectstore;

constexpr int16_t kProPosSize = 56;
constexpr int16_t kProInfoSize = 104;
constexpr int16_t kPosInfoShortSize = 116;
constexpr int16_t kPosInfoLongSize = 248;

static_assert(sizeof(PROPOS) == kProPosSize, "PROPOS");
static_assert(sizeof(PROINFO) == kProInfoSize, "PROINFO");
static_assert(sizeof(recordstore::PosInfoExt) == kPosInfoLongSize, "POSINFO");

// The folder part of a pattern, with its backslash; empty for a bare name.
std::string FolderOf(const std::string& pattern) {
  const size_t slash = pattern.find_last_of("\\/");
  return slash == std::string::npos ? std::string()
                                    : pattern.substr(0, slash + 1);
}

}  // namespace

std::string ListingPathOf(const std::string& temporary_path) {
  const size_t dot = temporary_path.find('.');
  if (dot == std::string::npos) return {};
  return temporary_path.substr(0, dot) + ".txt";
}

int32_t ListTemporaryFile(Library& lib, const std::string& temporary_path) {
  const std::string text_path = ListingPathOf(temporary_path);
  if (text_path.empty()) return -1;
  std::FILE* text = lib.os().OpenStream(text_path, "w+");
  if (!text) return -1;
  std::fclose(text);
  Engine& engine = lib.engine();
  ps::RecordFile file = ps::RecordFile::OpenReadOnly(engine, temporary_path);
  if (!file.is_open()) return -1;
  const uint32_t listed =
      recordstore::ListRecordsToFile(engine, file.handle(), text_path);
  constexpr uint32_t kMost = std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(listed > kMost ? kMost : listed);
}

int32_t DeleteTemporaryFiles(Library& lib, const std::string& pattern) {
  platform::Platform& os = lib.os();
  std::vector<platform::DirEntry> entries;
  if (pattern.empty() || !os.FindFiles(pattern, &entries).ok()) return 0;
  const std::string folder = FolderOf(pattern);
  const int64_t now = os.Now();
  int32_t deleted = 0;
  for (const platform::DirEntry& entry : entries) {
    if (entry.is_folder) continue;
    // A file written within the last minute may still be in use.
    const int64_t minutes = (now - static_cast<int64_t>(entry.modified)) / 60;
    if (minutes <= 0) continue;
    if (os.RemoveFile(folder + entry.name).ok()) ++deleted;
  }
  return deleted;
}

int32_t ResetTemporaryFile(Library& lib, const std::string& path) {
  Engine& engine = lib.engine();
  ps::RecordFile old_file;
  int32_t h = engine.GetFileHandle(path.c_str());
  const bool stays_open = h > 0;
  if (!stays_open) {
    old_file = ps::RecordFile::OpenReadOnly(engine, path);
    h = old_file.handle();
  }
  if (h <= 0) return h;

  PROPOS tag{};
  if (engine.Read(h, ps::kAllPrograms, ps::kKeyProPos, 0, kProPosSize, &tag) !=
      kProPosSize)
    return 0;
  // The file is written anew: a handle the caller held is closed too, and
  // the new one stays open in its place.
  if (stays_open) old_file = ps::RecordFile(engine, h);
  int16_t program = 0;
  int16_t key2 = 0;
  engine.GetKeys(&program, &key2);
  PROINFO project{};
  recordstore::PosInfoExt position{};
  const int32_t got_tag =
      engine.Read(h, program, ps::kKeyProPos, 0, kProPosSize, &tag);
  const int32_t got_project =
      engine.Read(h, program, ps::kKeyProInfo, 0, kProInfoSize, &project);
  const int32_t got_long =
      engine.Read(h, program, ps::kKeyPosInfo, 1, kPosInfoLongSize, &position);
  // The short form is the long one's beginning; where both exist it wins.
  engine.Read(h, program, ps::kKeyPosInfo, 0, kPosInfoShortSize, &position);
  old_file.Close();
  if (got_tag <= 0 || got_project <= 0 || got_long <= 0) return 0;

  lib.os().RemoveFile(path);
  ps::RecordFile file = ps::RecordFile::Open(engine, path);
  h = file.handle();
  if (h <= 0) return h;
  recordstore::ZeroTerminateProInfo(&project);
  bool written =
      engine.Append(h, program, ps::kKeyProPos, kProPosSize, &tag) ==
          kProPosSize &&
      engine.Append(h, program, ps::kKeyProInfo, kProInfoSize, &project) ==
          kProInfoSize &&
      engine.Append(h, program, ps::kKeyPosInfo, kPosInfoShortSize,
                    &position) == kPosInfoShortSize;
  if (written) {
    recordstore::ZeroTerminatePosInfoExt(&position);
    written = engine.Append(h, program, ps::kKeyPosInfo, kPosInfoLongSize,
                            &position) == kPosInfoLongSize;
  }
  if (written && stays_open) file.Release();
  return written ? h : 0;
}

}  // namespace zb::api

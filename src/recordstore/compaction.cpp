#include "recordstore/compaction.h"

#include <cstring>
#include <vector>

#include "fsutil/path_text.h"
#include "platform/platform.h"
#include "recordstore/engine.h"
#include "recordstore/record_format.h"
#include "recordstore/typed_records.h"
#include "zbdb900_types.h"

namespace zb::recordstore {

std::string CompactionTempPath(const std::string& path) {
  return fsutil::FolderOf(path) + "COMPRESS.TMP";
}

std::string CompactionBackupPath(const std::string& path) {
  return fsutil::ReplaceExtension(path, ".xxx");
}

int32_t CompactRecordFile(Engine& engine, const std::string& path) {
  platform::Platform& os = engine.platform();
  if (!os.FileExists(path)) return DB_EOF;
  const int32_t h = engine.OpenExclusive(path.c_str());
  if (h < 0) return h;
  if (engine.NumRecords(h) == 0) {
    engine.Close(h);
    return 0;
  }

  const std::string temp_path = CompactionTempPath(path);
  std::unique_ptr<platform::File> temp;
  if (!os.NewFile(temp_path, platform::Share::kDenyNone, &temp).ok()) {
    engine.Close(h);
    return 0;
  }
  // Records are gathered in a buffer and written in large pieces.
  std::vector<uint8_t> out(kFileHeaderSize, 0);
  uint64_t written_to = 0;
  bool write_ok = true;
  auto flush = [&](bool all) {
    if (out.size() < (1u << 20) && !all) return;
    size_t written = 0;
    write_ok &= temp->WriteAt(written_to, out.data(), out.size(), &written)
                    .ok() && written == out.size();
    written_to += out.size();
    out.clear();
  };

  std::vector<uint8_t> record(kMaxRecordSize);
  int32_t deleted = 0;
  for (int32_t got = engine.Read(h, kWildcard, kWildcard, 0, kMaxRecordSize,
                                 record.data());
       got != DB_EOF; got = engine.ReadNext(h, record.data())) {
    int16_t key1 = 0, key2 = 0;
    engine.GetKeys(&key1, &key2);
    if (key1 < 0) {
      ++deleted;
      continue;
    }
    uint8_t header[kRecordHeaderSize];
    StoreI16(header, key1);
    StoreI16(header + 2, key2);
    StoreI16(header + 4, static_cast<int16_t>(got));
    out.insert(out.end(), header, header + kRecordHeaderSize);
    out.insert(out.end(), record.begin(), record.begin() + got);
    flush(false);
  }
  out.insert(out.end(), kEndOfDataMark, kEndOfDataMark + 4);
  flush(true);

  PROINFO project;
  std::memset(&project, 0, sizeof project);
  engine.ReadBin(h, 0, sizeof project, &project);
  engine.Close(h);
  ZeroTerminateProInfo(&project);
  size_t written = 0;
  write_ok &= temp->WriteAt(0, &project, sizeof project, &written).ok();
  temp.reset();

  // A copy that could not be written in full must not replace anything.
  if (deleted > 0 && write_ok) {
    const std::string backup = CompactionBackupPath(path);
    os.RenameFile(path, backup);
    if (os.RenameFile(temp_path, path).ok()) {
      const int32_t reopened = engine.Open(path.c_str());
      if (reopened > 0) engine.Close(reopened);
    }
  }
  return deleted;
}

}  // namespace zb::recordstore

// Compaction: a record file copied without its deleted records takes the
// place of the old file, which is kept beside it with the extension ".xxx".
#ifndef ZBDB_RECORDSTORE_COMPACTION_H_
#define ZBDB_RECORDSTORE_COMPACTION_H_

#include <cstdint>
#include <string>

namespace zb::recordstore {

class Engine;

// Copies the live records of `path` into "COMPRESS.TMP" in its folder, with
// the project header (the first 104 bytes of the user header) carried over.
// When deleted records were met, the old file becomes "<name>.xxx" and the
// copy takes its name; otherwise the old file stays and the copy is left
// behind. Returns the number of deleted records met (0 for an empty file),
// -1 when the file does not exist, or the negative result of the exclusive
// open.
int32_t CompactRecordFile(Engine& engine, const std::string& path);

// "<folder>\COMPRESS.TMP" and "<path with its extension replaced>.xxx".
std::string CompactionTempPath(const std::string& path);
std::string CompactionBackupPath(const std::string& path);

}  // namespace zb::recordstore

#endif  // ZBDB_RECORDSTORE_COMPACTION_H_

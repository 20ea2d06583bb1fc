// A look at a record file without opening it through the engine and
// without changing a byte: in which state it was left, and what its index
// holds. For `zbdb check` and for support.
#ifndef ZBDB_RECORDSTORE_INSPECT_H_
#define ZBDB_RECORDSTORE_INSPECT_H_

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace zb::recordstore {

enum class FileState {
  kMissing,       // the file cannot be read at all
  kClosed,        // ends with the closed mark and a consistent index
  kNeedsReindex,  // ends with the end-of-data mark: not closed after changes
  kNotRecordFile, // neither, or its index or records do not fit the file
};

struct FileReport {
  FileState state = FileState::kMissing;
  uint64_t file_size = 0;
  uint32_t records = 0;      // index entries, deleted ones included
  uint32_t deleted = 0;
  uint32_t end_of_data = 0;
  std::string problem;       // why a file is not a sound record file
};

FileReport InspectRecordFile(platform::Platform& os, const std::string& path);
const char* FileStateName(FileState state);

}  // namespace zb::recordstore

#endif  // ZBDB_RECORDSTORE_INSPECT_H_

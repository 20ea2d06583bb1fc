// Whole-file copies, moves and deletions where no shell does them: a copy
// is written beside its target and renamed over it, so that a copy that
// fails (disk full, a write error) leaves an existing target as it was.
#ifndef ZBDB_PROJECTSTORE_FILE_COPY_H_
#define ZBDB_PROJECTSTORE_FILE_COPY_H_

#include <string>

#include "platform/platform.h"

namespace zb::projectstore {

// `from`'s bytes as `to` (replaced when it exists), through "<to>.$$$".
bool CopyFileReplacing(platform::Platform& os, const std::string& from,
                       const std::string& to);
// A rename, or a copy and deletion across drives; a source that cannot be
// removed takes its copy back, so the file exists exactly once.
bool MoveFileReplacing(platform::Platform& os, const std::string& from,
                       const std::string& to);
// True when the file is gone afterwards (also when it never existed).
bool RemoveFileFully(platform::Platform& os, const std::string& path);

}  // namespace zb::projectstore

#endif  // ZBDB_PROJECTSTORE_FILE_COPY_H_

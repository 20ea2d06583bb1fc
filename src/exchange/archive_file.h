// One project file packed into one archive volume and its run list, and
// back. The archive holds the header and the literal stream; the run list
// ("LST", beside the project file by convention) holds the run records of
// all blocks in order. No user interface: the caller asks its questions
// (existing archive, diskettes) before and after.
#ifndef ZBDB_EXCHANGE_ARCHIVE_FILE_H_
#define ZBDB_EXCHANGE_ARCHIVE_FILE_H_

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace zb::exchange {

// Both block buffers of a backup (500000 entries of 4 bytes); the project
// file is read kArchiveReadSize bytes at a time and compressed in blocks of
// at most kMaxBlockLength.
constexpr size_t kArchiveBufferSize = 2000000;
constexpr size_t kArchiveReadSize = 500000;
constexpr uint64_t kWholeFile = UINT64_MAX;

// The run list path of a project file: "LST" replaces the part behind the
// last '.' of the path ("D:\Daten\PRO00001.PRO" -> "D:\Daten\PRO00001.LST");
// empty for a path without '.'.
std::string RunListPathOf(const std::string& project_path);

// Packs the first `covered_length` bytes of the project file (all of it by
// default; a backup passes the offset of the file's index) into a new
// archive and a new run list, replacing existing files of those names. The
// header has volume 1, no continuation, the whole file's length in KiB and
// the folder of `project_path` (`working_folder` for a path without one).
// A project file shorter than its 104-byte header copy is refused.
// Returns kArchiveOk or a negative ArchiveResult; on failure the archive
// and run list are left as far as written.
int PackProjectFile(platform::Platform& os, const std::string& project_path,
                    const std::string& archive_path,
                    const std::string& run_list_path,
                    const std::string& working_folder = std::string(),
                    uint64_t covered_length = kWholeFile);

// Writes the bytes held by one archive volume to a new `project_path`: the
// runs of `run_list_path` expanded over the literal stream for the current
// variant, the data as it stands for the plain one (no run list read).
// The archive and run list are checked before the project file is created:
// a truncated header, a run list that is not whole records, or records
// whose literal counts do not add up to the literal stream give
// kArchiveBadHeader / kArchiveBadRunList and create nothing. A project file
// that fails later is removed. Returns kArchiveOk or a negative code.
int UnpackProjectFile(platform::Platform& os, const std::string& archive_path,
                      const std::string& run_list_path,
                      const std::string& project_path);

}  // namespace zb::exchange

#endif  // ZBDB_EXCHANGE_ARCHIVE_FILE_H_

// Result codes of the backup archive operations: 0 or a count for success,
// a negative code for failure. Nothing here throws.
#ifndef ZBDB_EXCHANGE_ARCHIVE_RESULT_H_
#define ZBDB_EXCHANGE_ARCHIVE_RESULT_H_

namespace zb::exchange {

enum ArchiveResult : int {
  kArchiveOk = 0,
  kArchiveBadArgument = -1,  // null buffer, block too long, empty path
  kArchiveOpenError = -2,    // a file could not be opened or created
  kArchiveReadError = -3,    // a read failed or came back short
  kArchiveWriteError = -4,   // a write failed or was short
  kArchiveBadHeader = -5,    // archive header truncated or unknown
  kArchiveBadRunList = -6,   // run list truncated or not matching the data
  kArchiveNoMemory = -7,
};

}  // namespace zb::exchange

#endif  // ZBDB_EXCHANGE_ARCHIVE_RESULT_H_

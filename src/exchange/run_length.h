// The run-length scheme of the backup archive. A block of a project file
// becomes literal bytes (written to the archive) and run records (written
// to the run list): every run of 10 or more equal bytes leaves the literal
// stream and becomes one record; shorter runs stay literal.
#ifndef ZBDB_EXCHANGE_RUN_LENGTH_H_
#define ZBDB_EXCHANGE_RUN_LENGTH_H_

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zb::exchange {

// One record of the run list file: 6 bytes, three little-endian u16.
struct RunRecord {
  uint16_t literal_count = 0;  // literal bytes before the run, counted from
                               // the end of the block's previous record
  uint16_t value = 0;          // the repeated byte; 0 in a closing record
  uint16_t length = 0;         // run length; 0 in a closing record

  bool operator==(const RunRecord& o) const {
    return literal_count == o.literal_count && value == o.value &&
           length == o.length;
  }
};

constexpr size_t kRunRecordSize = 6;
// Runs shorter than this stay in the literal stream.
constexpr size_t kMinRunLength = 10;
// Every count of a record is 16-bit, so no block may be longer.
constexpr size_t kMaxBlockLength = 65535;

// Compresses `length` bytes of `block` (at most kMaxBlockLength). Writes the
// literal bytes to `literals` (room for `length` bytes) and appends the
// block's records to `runs`: one per run of 10 or more, and a closing
// record (count, 0, 0) when literal bytes follow the block's last run.
// Returns the number of literal bytes written, or kArchiveBadArgument /
// kArchiveNoMemory; `runs` keeps its earlier records either way.
int CompressBlock(const uint8_t* block, size_t length, uint8_t* literals,
                  std::vector<RunRecord>* runs);

// Expands `count` records over `literal_length` literal bytes into `out`
// (`capacity` bytes): each record's literal count of bytes from the literal
// stream, then its run. The records of many blocks form one sequence.
// Returns the expanded length, or kArchiveBadRunList when a record points
// past the literal stream or literal bytes are left over, or
// kArchiveBadArgument when `out` is too small.
int64_t ExpandRuns(const RunRecord* runs, size_t count, const uint8_t* literals,
                   size_t literal_length, uint8_t* out, size_t capacity);

// The expanded length of `count` records: their literal counts plus their
// run lengths.
uint64_t ExpandedLength(const RunRecord* runs, size_t count);

// The 6-byte file form of records and back (`bytes` holds count * 6).
void EncodeRunRecords(const RunRecord* runs, size_t count, uint8_t* bytes);
void DecodeRunRecords(const uint8_t* bytes, size_t count, RunRecord* runs);

}  // namespace zb::exchange

#endif  // ZBDB_EXCHANGE_RUN_LENGTH_H_

// The files the benchmarks work on, made once per run in a fresh folder
// under $TMPDIR (or /tmp) and removed at the end: record files written
// through the library itself and SQLite databases holding the same
// records.
#ifndef ZBDB_BENCH_BENCH_FILES_H_
#define ZBDB_BENCH_BENCH_FILES_H_

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace zbbench {

constexpr uint32_t kRecords = 100000;     // the keyed file
constexpr uint32_t kSameKeyRecords = 10000;
constexpr int16_t kRecordSize = 64;
constexpr uint32_t kHeaderSize = 500;     // before the first record
constexpr uint32_t kRecordSpan = 6 + kRecordSize;  // header + data on disk

struct KeyPair {
  int16_t k1;
  int16_t k2;
};

// The distinct key pair of record i of the keyed file.
KeyPair KeysOf(uint32_t i);
// 64 bytes of record data, different for each i.
std::vector<uint8_t> DataOf(uint32_t i);

class BenchFiles {
 public:
  static BenchFiles& Get();
  void Prepare();   // makes every file; exits the process on failure
  void Remove();

  const std::string& folder() const { return folder_; }
  std::string Path(const std::string& name) const;

  // 100,000 records of 64 bytes, distinct key pairs, closed cleanly. The
  // floors read it through a plain descriptor.
  const std::string& keyed_file() const { return keyed_; }
  // 10,000 records of 64 bytes that all carry the keys (1, 1).
  const std::string& same_key_file() const { return same_key_; }
  // The keyed records in SQLite: recs(k1, k2, n, data), key (k1, k2, n).
  const std::string& keyed_sqlite() const { return keyed_sqlite_; }
  // A record file of n records for the listing.
  std::string ListingFile(uint32_t n);
  // The data area of the keyed file followed by the end-of-data mark: the
  // keyed file as a program leaves it that never closed it.
  const std::vector<uint8_t>& unclosed_image() const { return unclosed_; }

  // A random order of the record numbers 0 .. n-1, the same in every
  // benchmark that reads.
  const std::vector<uint32_t>& Order(uint32_t n);

 private:
  std::string folder_;
  std::string keyed_, same_key_, keyed_sqlite_;
  std::vector<uint8_t> unclosed_;
  std::vector<std::pair<uint32_t, std::string>> listing_files_;
  std::map<uint32_t, std::vector<uint32_t>> orders_;  // stable references
};

// Helpers that end the process with a message when the file system fails:
// a benchmark on a half-made file would measure nothing useful.
void WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadWholeFile(const std::string& path);
void CopyWholeFile(const std::string& from, const std::string& to);
[[noreturn]] void Die(const std::string& what);

}  // namespace zbbench

#endif  // ZBDB_BENCH_BENCH_FILES_H_

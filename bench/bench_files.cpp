#include "bench_files.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>

#include "zbdb900.h"

namespace zbbench {

KeyPair KeysOf(uint32_t i) {
  return {static_cast<int16_t>(1 + i / 1000), static_cast<int16_t>(1 + i % 1000)};
}

std::vector<uint8_t> DataOf(uint32_t i) {
  std::vector<uint8_t> data(kRecordSize);
  uint32_t x = i * 2654435761u + 1;
  for (uint8_t& b : data) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    b = static_cast<uint8_t>(x);
  }
  return data;
}

void Die(const std::string& what) {
  std::fprintf(stderr, "zbdb_bench: %s\n", what.c_str());
  std::exit(1);
}

void WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) Die("cannot create " + path);
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t w = write(fd, bytes.data() + done, bytes.size() - done);
    if (w <= 0) Die("cannot write " + path);
    done += static_cast<size_t>(w);
  }
  close(fd);
}

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  if (ec) Die("cannot read " + path);
  std::vector<uint8_t> bytes(size);
  const int fd = open(path.c_str(), O_RDONLY);
  if (fd < 0 || pread(fd, bytes.data(), bytes.size(), 0) !=
                    static_cast<ssize_t>(bytes.size()))
    Die("cannot read " + path);
  close(fd);
  return bytes;
}

void CopyWholeFile(const std::string& from, const std::string& to) {
  WriteWholeFile(to, ReadWholeFile(from));
}

namespace {

// A record file written through the library, as programs write them.
void WriteRecordFile(const std::string& path, uint32_t n, bool same_keys) {
  const int32_t h = DBOpen(path.c_str());
  if (h < 0) Die("DBOpen(" + path + ") = " + std::to_string(h));
  for (uint32_t i = 0; i < n; ++i) {
    const KeyPair k = same_keys ? KeyPair{1, 1} : KeysOf(i);
    const std::vector<uint8_t> data = DataOf(i);
    if (DBWrite(static_cast<int16_t>(h), k.k1, k.k2, -1, kRecordSize,
                data.data()) != kRecordSize)
      Die("DBWrite to " + path + " failed");
  }
  DBClose(static_cast<int16_t>(h));
}

void Exec(sqlite3* db, const char* sql) {
  char* error = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK)
    Die(std::string("SQLite: ") + sql + ": " + (error ? error : "?"));
}

void WriteSqlite(const std::string& path, uint32_t n) {
  sqlite3* db = nullptr;
  if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) Die("SQLite open " + path);
  // The record file's key (k1, k2, occurrence n) as the primary key of a
  // table without row ids: one B-tree, found in one descent.
  Exec(db,
       "CREATE TABLE recs(k1 INTEGER NOT NULL, k2 INTEGER NOT NULL, "
       "n INTEGER NOT NULL, data BLOB NOT NULL, PRIMARY KEY(k1, k2, n)) "
       "WITHOUT ROWID");
  Exec(db, "BEGIN");
  sqlite3_stmt* insert = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO recs VALUES(?1, ?2, 0, ?3)", -1, &insert,
                     nullptr);
  for (uint32_t i = 0; i < n; ++i) {
    const KeyPair k = KeysOf(i);
    const std::vector<uint8_t> data = DataOf(i);
    sqlite3_bind_int(insert, 1, k.k1);
    sqlite3_bind_int(insert, 2, k.k2);
    sqlite3_bind_blob(insert, 3, data.data(), kRecordSize, SQLITE_TRANSIENT);
    if (sqlite3_step(insert) != SQLITE_DONE) Die("SQLite insert");
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
  Exec(db, "COMMIT");
  sqlite3_close(db);
}

}  // namespace

BenchFiles& BenchFiles::Get() {
  static BenchFiles files;
  return files;
}

std::string BenchFiles::Path(const std::string& name) const {
  return folder_ + "/" + name;
}

void BenchFiles::Prepare() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") +
                        "/zbdb-bench-XXXXXX";
  if (!mkdtemp(pattern.data())) Die("cannot make a folder like " + pattern);
  folder_ = pattern;

  keyed_ = Path("KEYED.PRO");
  WriteRecordFile(keyed_, kRecords, false);
  same_key_ = Path("SAMEKEY.PRO");
  WriteRecordFile(same_key_, kSameKeyRecords, true);
  keyed_sqlite_ = Path("keyed.sqlite");
  WriteSqlite(keyed_sqlite_, kRecords);

  // The data area of a cleanly closed file ends where its index begins.
  std::vector<uint8_t> bytes = ReadWholeFile(keyed_);
  uint32_t index_offset = 0;
  std::memcpy(&index_offset, bytes.data() + 492, 4);
  bytes.resize(index_offset - 4);
  for (uint8_t b : {0xFF, 0x7F, 0xFF, 0x7F}) bytes.push_back(b);
  unclosed_ = std::move(bytes);
}

std::string BenchFiles::ListingFile(uint32_t n) {
  for (const auto& [count, path] : listing_files_)
    if (count == n) return path;
  const std::string path = Path("LIST" + std::to_string(n) + ".PRO");
  WriteRecordFile(path, n, false);
  listing_files_.emplace_back(n, path);
  return path;
}

const std::vector<uint32_t>& BenchFiles::Order(uint32_t n) {
  std::vector<uint32_t>& order = orders_[n];
  if (order.size() == n) return order;
  order.resize(n);
  for (uint32_t i = 0; i < n; ++i) order[i] = i;
  std::mt19937 random(20261205u + n);
  std::shuffle(order.begin(), order.end(), random);
  return order;
}

void BenchFiles::Remove() {
  if (folder_.empty()) return;
  std::error_code ec;
  std::filesystem::remove_all(folder_, ec);
  folder_.clear();
}

}  // namespace zbbench

// Write batches: the same calls with and without a batch give the same
// results and the same file, the batched one in far fewer writes (a
// planned request and random calls with batches begun and ended); a
// process that ends inside a batch leaves a file the walk reads, holding
// the records that were sent on; a failed write takes out of the index
// what it lost.
#include <gtest/gtest.h>

#include <numeric>
#include <cstdlib>
#include <cstring>
#include <random>

#include "recordstore/write_batch.h"
#include "support/record_fixture.h"

namespace zbtest {
namespace {

using WriteBatchTest = RecordStoreTest;
using Fault = zb::platform::FaultInjectingPlatform::Fault;
using zb::recordstore::WriteBatch;

zb::recordstore::Engine& TheEngine() { return zb::api::TheLibrary().engine(); }

int32_t Sum(const uint8_t* p, size_t n) {
  return std::accumulate(p, p + n, 0);
}

// The old records of the file the work runs on: an overwrite pass takes
// their places.
std::vector<RecordImage> OldRecords() {
  std::vector<RecordImage> records;
  for (int i = 0; i < 120; ++i) records.push_back({1, 1, Pattern(64, i)});
  records.push_back({2, 2, Text("counter")});
  return records;
}

// One request's worth of calls: appends past 64 KB, reads of records just
// appended (also in parts and overwritten in place), an overwrite pass in
// the places of old records, deletes, a change of keys, the user header.
std::vector<int32_t> Work(int16_t h) {
  std::vector<int32_t> r;
  uint8_t buf[400];
  for (int i = 0; i < 400; ++i) {
    const Bytes data = Pattern(200, 1000 + i);
    r.push_back(DBWrite(h, 7, int16_t(i % 50), -1, 200, data.data()));
    if (i % 37 == 0) {
      r.push_back(DBRead(h, 7, int16_t(i % 50), uint32_t(i / 50), 120, buf));
      r.push_back(Sum(buf, 120));
    }
  }
  r.push_back(DBWrite(h, 7, 49, 7, 10, "0123456789"));
  r.push_back(DBRead(h, 7, 49, 7, 150, buf));
  r.push_back(Sum(buf, 150));
  r.push_back(DBReadRest(h, 100, buf));
  r.push_back(Sum(buf, 50));
  r.push_back(DBStartOverWrite(h, 1, 1));
  for (int i = 0; i < 130; ++i)  // the last ten find no place and append
    r.push_back(DBOverWrite(h, 1, 1, 64, Pattern(64, 500 + i).data()));
  r.push_back(int32_t(DBEndOverWrite()));
  r.push_back(DBWrite(h, 2, 2, 0, 7, "COUNTER"));
  r.push_back(DBRead(h, 2, 2, 0, 7, buf));  // from before the window
  r.push_back(Sum(buf, 7));
  r.push_back(DBDel(h, 7, 10, 2));
  r.push_back(DBDel(h, 1, 1, 3));
  r.push_back(DBChangeKeys(h, 7, 20, 8, 20));
  r.push_back(DBWriteBin(h, 0, 5, "HEAD!"));
  r.push_back(DBRead(h, 8, 20, 3, 200, buf));
  r.push_back(Sum(buf, 200));
  r.push_back(DBRead(h, 32762, 32762, 405, 64, buf));
  r.push_back(Sum(buf, 64));
  return r;
}

TEST_F(WriteBatchTest, SameResultsAndBytesInFewerWrites) {
  const std::string plain = Path("plain.pro"), batched = Path("batched.pro");
  MakeRecordFile(plain, OldRecords());
  MakeRecordFile(batched, OldRecords());
  InstalledFaults faults;  // counts the writes

  int16_t h = Open(plain);
  faults->SpoilWrite(0, Fault::kNone);
  const std::vector<int32_t> expected = Work(h);
  const uint64_t plain_writes = faults->writes();
  const Bytes plain_open = ReadFileBytes(plain);
  ASSERT_EQ(DBClose(h), DB_SUCCESS);

  h = Open(batched);
  faults->SpoilWrite(0, Fault::kNone);
  {
    WriteBatch batch(TheEngine(), h);
    EXPECT_EQ(Work(h), expected);
    EXPECT_EQ(batch.End(), DB_SUCCESS);
  }
  const uint64_t batched_writes = faults->writes();
  // Once the batch ends the file is as the unbatched calls left theirs.
  EXPECT_BYTES(ReadFileBytes(batched), plain_open);
  ASSERT_EQ(DBClose(h), DB_SUCCESS);
  EXPECT_BYTES(ReadFileBytes(batched), ReadFileBytes(plain));
  EXPECT_GT(plain_writes, 600u);
  EXPECT_LT(batched_writes, 40u) << plain_writes;
}

// One random call on h: its result and a sum of the bytes it delivered.
std::vector<int32_t> RandomCall(std::mt19937& random, int16_t h) {
  auto pick = [&random](int n) { return int(random() % uint32_t(n)); };
  const int16_t k1 = int16_t(1 + pick(4)), k2 = int16_t(1 + pick(3));
  const int16_t size = int16_t(1 + (pick(4) == 0 ? pick(3000) : pick(120)));
  const uint32_t n = uint32_t(pick(6));
  static uint8_t buf[4000];
  const Bytes data = Pattern(sizeof buf, random());
  std::memset(buf, 0xAA, sizeof buf);
  int32_t r = 0;
  switch (pick(12)) {
    case 0: case 1: case 2: r = DBWrite(h, k1, k2, -1, size, data.data()); break;
    case 3: r = DBWrite(h, k1, k2, int32_t(n), size, data.data()); break;
    case 4: r = DBWriteAdd(h, k1, k2, int32_t(n), size, data.data()); break;
    case 5: r = DBRead(h, pick(3) ? k1 : DB_WILDCARD, k2, int32_t(n), size, buf); break;
    case 6: r = DBReadNext(h, buf); break;
    case 7: r = DBReadRest(h, size, buf); break;
    case 8: r = pick(2) ? DBDel(h, k1, k2, n) : DBUnDel(h, k1, k2, n); break;
    case 9: r = DBChangeKeys(h, k1, k2, k2, k1); break;
    case 10: r = pick(2) ? DBWriteBin(h, pick(400), 40, data.data())
                         : DBReadBin(h, pick(400), 40, buf); break;
    case 11:
      r = DBStartOverWrite(h, k1, k2);
      for (int i = pick(8); i > 0; --i)
        r += DBOverWrite(h, k1, k2, int16_t(1 + pick(120)), data.data());
      r += int32_t(DBEndOverWrite());
      break;
  }
  return {r, Sum(buf, sizeof buf), int32_t(DBGetNumRecord(h))};
}

TEST_F(WriteBatchTest, RandomCallsGiveTheSameResultsAndBytes) {
  const char* seed_text = std::getenv("ZBDB_BATCH_SEED");
  const uint32_t seed = seed_text ? uint32_t(std::atoi(seed_text)) : 7001u;
  SCOPED_TRACE(seed);
  const std::string plain = Path("plain.pro"), batched = Path("batched.pro");
  MakeRecordFile(plain, OldRecords());
  MakeRecordFile(batched, OldRecords());
  const int16_t p = Open(plain), b = Open(batched);
  std::mt19937 plain_random(seed), batched_random(seed), batches(seed + 1);
  bool in_batch = false;
  for (int call = 0; call < 3000; ++call) {
    if (batches() % 50 == 0) {
      EXPECT_EQ(in_batch ? TheEngine().EndBatch(b) : TheEngine().BeginBatch(b),
                DB_SUCCESS);
      if (in_batch) {
        EXPECT_BYTES(ReadFileBytes(batched), ReadFileBytes(plain));
      }
      in_batch = !in_batch;
    }
    ASSERT_EQ(RandomCall(batched_random, b), RandomCall(plain_random, p))
        << "call " << call;
  }
  ASSERT_EQ(DBClose(b), DB_SUCCESS);
  ASSERT_EQ(DBClose(p), DB_SUCCESS);
  EXPECT_BYTES(ReadFileBytes(batched), ReadFileBytes(plain));
}

TEST_F(WriteBatchTest, ProcessEndingInsideABatchLeavesRecordsSentOn) {
  const std::string path = Path("killed.pro");
  std::vector<RecordImage> records = OldRecords();
  MakeRecordFile(path, records);
  int16_t h = Open(path);
  ASSERT_EQ(TheEngine().BeginBatch(h), DB_SUCCESS);
  // 1000 records of 206 bytes on disk: three windows sent on, the rest
  // still gathered when the process ends.
  for (int i = 0; i < 1000; ++i)
    ASSERT_EQ(DBWrite(h, 9, int16_t(i), -1, 200, Pattern(200, i).data()), 200);
  AbandonLibrary();

  h = Open(path, DBOpenReadOnly);
  const uint32_t n = DBGetNumRecord(h);
  EXPECT_GE(n, records.size() + 3 * 64 * 1024 / 206);
  EXPECT_LT(n, records.size() + 1000);
  ASSERT_EQ(DBClose(h), DB_SUCCESS);
  // The walk found whole records, the first ones appended, in their order.
  for (uint32_t i = 0; records.size() < n; ++i)
    records.push_back({9, int16_t(i), Pattern(200, i)});
  EXPECT_EQ(DBClose(Open(path)), DB_SUCCESS);
  EXPECT_BYTES(ReadFileBytes(path), BuildClosedFile(records));
}

TEST_F(WriteBatchTest, FailedWriteTakesOutWhatItLost) {
  // The old records end at 8913. Five appends of 16 bytes each are sent on
  // when the delete of the first record (at 500) comes; five more join the
  // delete's window behind the old records, which the window reads in.
  // The disk then refuses the window's write, or takes it up to the end of
  // the seventh append only (at 9025).
  const uint64_t seventh_end = 8913 + 7 * 16;
  for (const size_t keep : {size_t(0), size_t(seventh_end - 500)}) {
    SCOPED_TRACE(keep);
    const std::string path = Path("full" + std::to_string(keep) + ".pro");
    std::vector<RecordImage> records = OldRecords();
    MakeRecordFile(path, records);
    InstalledFaults faults;
    const int16_t h = Open(path);
    WriteBatch batch(TheEngine(), h);
    for (int16_t i = 0; i < 5; ++i)
      ASSERT_EQ(DBWrite(h, 5, i, -1, 10, "0123456789"), 10);
    ASSERT_EQ(DBDel(h, 1, 1, 0), 64);
    for (int16_t i = 5; i < 10; ++i)
      ASSERT_EQ(DBWrite(h, 5, i, -1, 10, "0123456789"), 10);
    faults->SpoilWrite(1, keep ? Fault::kShorten : Fault::kFail, keep);
    EXPECT_EQ(batch.End(), 0);
    // The records the file has are those the index has: the first five
    // appends, and with the cut write the delete and two more appends.
    if (keep) records[0].key1 = -1;
    const int16_t appended = keep ? 7 : 5;
    for (int16_t i = 0; i < appended; ++i)
      records.push_back({5, i, Text("0123456789")});
    EXPECT_EQ(DBGetNumRecord(h), records.size());
    uint8_t buf[64];
    EXPECT_EQ(DBRead(h, 1, 1, 119, 64, buf), keep ? DB_EOF : 64);
    EXPECT_EQ(DBRead(h, 5, appended, 0, 10, buf), DB_EOF);
    // The file goes on from there.
    ASSERT_EQ(DBWrite(h, 6, 6, -1, 3, "end"), 3);
    records.push_back({6, 6, Text("end")});
    ASSERT_EQ(DBClose(h), DB_SUCCESS);
    EXPECT_BYTES(ReadFileBytes(path), BuildClosedFile(records));
  }
}

TEST_F(WriteBatchTest, LostChangeOfAnOlderRecordIsUndoneInTheIndex) {
  const std::string path = Path("undone.pro");
  std::vector<RecordImage> records = OldRecords();
  MakeRecordFile(path, records);
  InstalledFaults faults;
  const int16_t h = Open(path);
  uint8_t buf[64];
  {
    WriteBatch batch(TheEngine(), h);
    ASSERT_EQ(DBDel(h, 1, 1, 4), 64);
    ASSERT_EQ(DBChangeKeys(h, 2, 2, 3, 3), 1);
    faults->SpoilWrite(1, Fault::kFail);
    EXPECT_EQ(batch.End(), 0);
  }
  // Neither change reached the file, and the index says so.
  EXPECT_EQ(DBRead(h, 1, 1, 119, 64, buf), 64);
  EXPECT_EQ(DBRead(h, 2, 2, 0, 7, buf), 7);
  EXPECT_EQ(DBRead(h, 3, 3, 0, 7, buf), DB_EOF);
  ASSERT_EQ(DBClose(h), DB_SUCCESS);
  EXPECT_BYTES(ReadFileBytes(path), BuildClosedFile(records));
}

}  // namespace
}  // namespace zbtest

// Compaction: a record file is copied without its deleted records and the
// copy takes the place of the old file, which is kept as "<name>.xxx".
#include <gtest/gtest.h>

#include <cstdio>

#include "recordstore/compaction.h"
#include "support/record_fixture.h"

namespace zbtest {
namespace {

using CompactionTest = RecordStoreTest;
using zb::recordstore::CompactRecordFile;

TEST_F(CompactionTest, DeletedRecordsAreDroppedAndTheOldFileKept) {
  const std::string path = Path("PRO00007.PRO");
  const std::vector<RecordImage> all = {
      {1, 101, Pattern(30, 1)}, {2, 101, Pattern(40, 2)},
      {30002, 101, Pattern(248, 3)}, {0, 9, Pattern(5, 4)},
      {1, 101, Pattern(7, 5)}};
  MakeRecordFile(path, all);
  PROINFO info;  // blank-padded texts, as a Basic caller leaves them
  std::memset(&info, ' ', sizeof info);
  info.number = 7;
  info.created = 1700000000u;
  std::memcpy(info.szProject, "Halle 7", 7);
  std::memcpy(info.szShortText, "kurz text", 9);
  const int16_t h = Open(path);
  ASSERT_EQ(DBWriteBin(h, 0, 104, &info), 104);
  ASSERT_EQ(DBWriteBin(h, 300, 4, "lost"), 4);  // beyond PROINFO: not copied
  ASSERT_EQ(DBDel(h, 2, 101, 0), 40);
  ASSERT_EQ(DBDel(h, 1, 101, 1), 7);
  ASSERT_EQ(DBClose(h), DB_SUCCESS);
  const Bytes old_bytes = ReadFileBytes(path);

  EXPECT_EQ(CompactRecordFile(lib().engine(), path), 2);
  EXPECT_BYTES(ReadFileBytes(Path("PRO00007.xxx")), old_bytes);
  EXPECT_FALSE(FileExists(Path("COMPRESS.TMP")));
  ZeroTerminatePro(&info);
  EXPECT_EQ(std::string(info.szShortText), "kurz text");
  EXPECT_BYTES(ReadFileBytes(path),
               BuildClosedFile({all[0], all[2], all[3]}, BytesOf(info)));
}

TEST_F(CompactionTest, FilesWithNothingToDropOrThatCannotBeTaken) {
  // No deleted record: the file stays, the copy is left as written.
  const std::string clean = Path("clean.pro");
  const std::vector<RecordImage> records = {{1, 1, Text("a")},
                                            {2, 2, Text("b")}};
  MakeRecordFile(clean, records);
  EXPECT_EQ(CompactRecordFile(lib().engine(), clean), 0);
  EXPECT_BYTES(ReadFileBytes(clean), BuildClosedFile(records));
  EXPECT_FALSE(FileExists(Path("clean.xxx")));
  EXPECT_BYTES(ReadFileBytes(Path("COMPRESS.TMP")), BuildUnclosedFile(records));

  const std::string empty = Path("empty.pro");  // nothing to do, no copy
  MakeRecordFile(empty, {});
  ASSERT_EQ(std::remove(Path("COMPRESS.TMP").c_str()), 0);
  EXPECT_EQ(CompactRecordFile(lib().engine(), empty), 0);
  EXPECT_FALSE(FileExists(Path("COMPRESS.TMP")));
  EXPECT_EQ(CompactRecordFile(lib().engine(), Path("missing.pro")), DB_EOF);
  EXPECT_FALSE(FileExists(Path("missing.pro")));

  // Open elsewhere: refused; once free, the deleted record goes.
  const std::string busy = Path("Busy.pro");
  MakeRecordFile(busy, records);
  const int16_t h = Open(busy);
  ASSERT_EQ(DBDel(h, 1, 1, 0), 1);
  const Bytes before = ReadFileBytes(busy);
  EXPECT_EQ(CompactRecordFile(lib().engine(), busy), DB_ACCESS_DENIED);
  EXPECT_BYTES(ReadFileBytes(busy), before);
  ASSERT_EQ(DBClose(h), DB_SUCCESS);
  EXPECT_EQ(CompactRecordFile(lib().engine(), busy), 1);
  EXPECT_BYTES(ReadFileBytes(busy), BuildClosedFile({records[1]}));

  // An old backup makes both renames fail; the result still counts.
  ASSERT_TRUE(WriteText(Path("Busy.xxx"), "older backup"));
  const int16_t again = Open(busy);
  ASSERT_EQ(DBDel(again, 2, 2, 0), 1);
  ASSERT_EQ(DBClose(again), DB_SUCCESS);
  const Bytes kept = ReadFileBytes(busy);
  EXPECT_EQ(CompactRecordFile(lib().engine(), busy), 1);
  EXPECT_BYTES(ReadFileBytes(busy), kept);
  EXPECT_EQ(ReadText(Path("Busy.xxx")), "older backup");
}

}  // namespace
}  // namespace zbtest

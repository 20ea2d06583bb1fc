// Compaction: a record file is copied without its deleted records and the
// copy takes the place of the old file, which is kept as "<name>.xxx".
#include <gtest/gtest.h>

#include <cstring>

#include "recordstore/compaction.h"
#include "support/record_fixture.h"

namespace zbtest {
namespace {

using CompactionTest = RecordStoreTest;
using zb::recordstore::CompactRecordFile;

int16_t H(int32_t h) { return static_cast<int16_t>(h); }

// A project header as a Basic caller leaves it: blank-padded texts.
Bytes BlankPaddedProjectHeader() {
  PROINFO info;
  std::memset(&info, 0, sizeof info);
  info.number = 7;
  info.number2 = 8;
  std::memset(info.szProject, ' ', sizeof info.szProject);
  std::memcpy(info.szProject, "Halle 7", 7);
  std::memcpy(info.szPrgShort, "DLT   ", 6);
  std::memset(info.szAuthor, ' ', sizeof info.szAuthor);
  std::memcpy(info.szAuthor, "Ing. Maier", 10);
  std::memcpy(info.szShortText, "kurz text ", 10);
  info.created = 1700000000u;
  info.changed = 1700000100u;
  info.number3 = 3;
  info.number4 = 4;
  const uint8_t* p = reinterpret_cast<const uint8_t*>(&info);
  return Bytes(p, p + sizeof info);
}

Bytes ZeroTerminatedProjectHeader() {
  Bytes b = BlankPaddedProjectHeader();
  PROINFO info;
  std::memcpy(&info, b.data(), sizeof info);
  ZeroTerminatePro(&info);
  const uint8_t* p = reinterpret_cast<const uint8_t*>(&info);
  return Bytes(p, p + sizeof info);
}

TEST_F(CompactionTest, DeletedRecordsAreDroppedAndTheOldFileKept) {
  const std::string path = Path("PRO00007.PRO");
  const std::vector<RecordImage> all = {{1, 101, Pattern(30, 1)},
                                        {2, 101, Pattern(40, 2)},
                                        {30002, 101, Pattern(248, 3)},
                                        {0, 9, Pattern(5, 4)},
                                        {1, 101, Pattern(7, 5)}};
  MakeRecordFile(path, all);
  {
    const int16_t h = H(DBOpen(path.c_str()));
    ASSERT_GT(h, 0);
    const Bytes header = BlankPaddedProjectHeader();
    ASSERT_EQ(DBWriteBin(h, 0, 104, header.data()), 104);
    // Bytes of the user header beyond the project header are not copied.
    ASSERT_EQ(DBWriteBin(h, 300, 4, "keep"), 4);
    ASSERT_EQ(DBDel(h, 2, 101, 0), 40);
    ASSERT_EQ(DBDel(h, 1, 101, 1), 7);
    ASSERT_EQ(DBClose(h), DB_SUCCESS);
  }
  const Bytes old_bytes = ReadFileBytes(path);

  EXPECT_EQ(CompactRecordFile(path), 2);
  EXPECT_BYTES(ReadFileBytes(Path("PRO00007.xxx")), old_bytes);
  EXPECT_FALSE(FileExists(Path("COMPRESS.TMP")));
  const std::vector<RecordImage> live = {all[0], all[2], all[3]};
  EXPECT_BYTES(ReadFileBytes(path),
            BuildClosedFile(live, ZeroTerminatedProjectHeader()));

  const int16_t h = H(DBOpenReadOnly(path.c_str()));
  ASSERT_GT(h, 0);
  EXPECT_EQ(DBGetNumRecord(h), 3u);
  PROINFO info;
  EXPECT_EQ(DBReadBin(h, 0, 104, &info), 104);
  EXPECT_EQ(std::string(info.szProject), "Halle 7");
  EXPECT_EQ(std::string(info.szAuthor), "Ing. Maier");
  EXPECT_EQ(std::string(info.szShortText), "kurz text");
  EXPECT_EQ(info.created, 1700000000u);
}

TEST_F(CompactionTest, FileWithoutDeletedRecordsStaysAndTheCopyIsLeft) {
  const std::string path = Path("clean.pro");
  const std::vector<RecordImage> records = {{1, 1, Pattern(10, 1)},
                                            {2, 2, Pattern(20, 2)}};
  MakeRecordFile(path, records);
  const Bytes before = ReadFileBytes(path);
  EXPECT_EQ(CompactRecordFile(path), 0);
  EXPECT_BYTES(ReadFileBytes(path), before);
  EXPECT_FALSE(FileExists(Path("clean.xxx")));
  // The copy is left behind as it was written: records and end mark.
  ASSERT_TRUE(FileExists(Path("COMPRESS.TMP")));
  EXPECT_BYTES(ReadFileBytes(Path("COMPRESS.TMP")), BuildUnclosedFile(records));
}

TEST_F(CompactionTest, EmptyMissingAndBusyFiles) {
  // An empty record file: nothing to do, no copy made.
  const std::string empty = Path("empty.pro");
  MakeRecordFile(empty, {});
  EXPECT_EQ(CompactRecordFile(empty), 0);
  EXPECT_FALSE(FileExists(Path("COMPRESS.TMP")));
  EXPECT_BYTES(ReadFileBytes(empty), BuildClosedFile({}));

  EXPECT_EQ(CompactRecordFile(Path("missing.pro")), DB_EOF);
  EXPECT_FALSE(FileExists(Path("missing.pro")));

  // A file that is open elsewhere cannot be taken exclusively.
  const std::string busy = Path("Busy.pro");
  MakeRecordFile(busy, {{1, 1, Text("a")}, {2, 2, Text("b")}});
  int16_t h = H(DBOpen(busy.c_str()));
  ASSERT_GT(h, 0);
  ASSERT_EQ(DBDel(h, 1, 1, 0), 1);
  const Bytes before = ReadFileBytes(busy);
  EXPECT_EQ(CompactRecordFile(busy), -5);
  EXPECT_BYTES(ReadFileBytes(busy), before);
  EXPECT_FALSE(FileExists(Path("Busy.xxx")));
  ASSERT_EQ(DBClose(h), DB_SUCCESS);
  // Once it is free, the deleted record goes.
  EXPECT_EQ(CompactRecordFile(busy), 1);
  EXPECT_BYTES(ReadFileBytes(busy), BuildClosedFile({{2, 2, Text("b")}}));
}

TEST_F(CompactionTest, ExistingBackupKeepsTheOldFileInPlace) {
  // The first rename fails because the backup exists; the second fails
  // because the old file still has its name. The result still counts.
  const std::string path = Path("twice.pro");
  MakeRecordFile(path, {{1, 1, Text("a")}, {2, 2, Text("b")}});
  ASSERT_TRUE(WriteText(Path("twice.xxx"), "older backup"));
  {
    const int16_t h = H(DBOpen(path.c_str()));
    ASSERT_GT(h, 0);
    ASSERT_EQ(DBDel(h, 2, 2, 0), 1);
    ASSERT_EQ(DBClose(h), DB_SUCCESS);
  }
  const Bytes before = ReadFileBytes(path);
  EXPECT_EQ(CompactRecordFile(path), 1);
  EXPECT_BYTES(ReadFileBytes(path), before);
  EXPECT_EQ(ReadText(Path("twice.xxx")), "older backup");
}

}  // namespace
}  // namespace zbtest

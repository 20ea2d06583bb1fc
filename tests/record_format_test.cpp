// The bytes of record files on disk: new files, appends, deletes, closing,
// re-indexing of files that were not closed, and files that are refused.
#include <gtest/gtest.h>

#include "support/record_fixture.h"

namespace zbtest {
namespace {

using FormatTest = RecordStoreTest;

Bytes Letters(size_t n, char first = 'a') {
  Bytes out(n);
  for (size_t i = 0; i < n; ++i)
    out[i] = static_cast<uint8_t>(first + static_cast<char>(i % 26));
  return out;
}

TEST_F(FormatTest, NewFileIsExactlyTheEmptyLayout) {
  const std::string path = Path("new.pro");
  const int32_t h = DBOpen(path.c_str());
  ASSERT_EQ(h, 1);
  // The layout is on disk as soon as the open returns.
  Bytes expected(500, 0);
  expected[488 + 4] = 0xF8;  // index offset 504 = 0x1F8
  expected[488 + 5] = 0x01;
  expected[488 + 8] = 0xF8;  // third word 504
  expected[488 + 9] = 0x01;
  for (uint8_t b : {0xFF, 0x7F, 0xFF, 0x7F, 0xFD, 0x7F, 0xFD, 0x7F})
    expected.push_back(b);
  EXPECT_BYTES(ReadFileBytes(path), expected);
  EXPECT_EQ(DBGetNumRecord(static_cast<int16_t>(h)), 0u);
  EXPECT_EQ(DBClose(static_cast<int16_t>(h)), DB_SUCCESS);
  const Bytes after = ReadFileBytes(path);
  ASSERT_EQ(after.size(), 508u);
  EXPECT_EQ(after, expected);
  EXPECT_EQ(GetU32(after, 488), 0u);
  EXPECT_EQ(GetU32(after, 492), 504u);
  EXPECT_EQ(GetU32(after, 496), 504u);
  // The helper that predicts files elsewhere agrees with these bytes.
  EXPECT_EQ(BuildClosedFile({}), expected);
}

TEST_F(FormatTest, OneAppendedRecordThenCloseGives532Bytes) {
  const std::string path = Path("one.pro");
  const Bytes data = Letters(10);
  int16_t h = static_cast<int16_t>(DBOpen(path.c_str()));
  ASSERT_EQ(h, 1);
  ASSERT_EQ(DBWrite(h, 1234, -2, -1, 10, data.data()), 10);

  // Before the close: the record and a new end-of-data mark overwrote the
  // old marks; the index header still describes the empty file.
  Bytes open_state = ReadFileBytes(path);
  ASSERT_EQ(open_state.size(), 520u);
  EXPECT_EQ(GetU32(open_state, 488), 0u);
  EXPECT_EQ(GetU32(open_state, 492), 504u);
  EXPECT_EQ(GetI16(open_state, 516), 32767);
  EXPECT_EQ(GetI16(open_state, 518), 32767);

  ASSERT_EQ(DBClose(h), DB_SUCCESS);
  const Bytes bytes = ReadFileBytes(path);
  ASSERT_EQ(bytes.size(), 532u);
  EXPECT_EQ(GetU32(bytes, 488), 1u);
  EXPECT_EQ(GetU32(bytes, 492), 520u);
  EXPECT_EQ(GetU32(bytes, 496), 524u);
  for (size_t i = 0; i < 450; ++i) ASSERT_EQ(bytes[i], 0) << i;
  for (size_t i = 450; i < 488; ++i) ASSERT_EQ(bytes[i], 0) << i;
  EXPECT_EQ(GetI16(bytes, 500), 1234);
  EXPECT_EQ(GetI16(bytes, 502), -2);
  EXPECT_EQ(GetI16(bytes, 504), 10);
  EXPECT_EQ(Bytes(bytes.begin() + 506, bytes.begin() + 516), data);
  EXPECT_EQ(Bytes(bytes.begin() + 516, bytes.begin() + 520),
            (Bytes{0xFF, 0x7F, 0xFF, 0x7F}));
  EXPECT_EQ(GetI16(bytes, 520), 1234);
  EXPECT_EQ(GetI16(bytes, 522), -2);
  EXPECT_EQ(GetU32(bytes, 524), 500u);
  EXPECT_EQ(Bytes(bytes.begin() + 528, bytes.end()),
            (Bytes{0xFD, 0x7F, 0xFD, 0x7F}));
  EXPECT_EQ(bytes, BuildClosedFile({{1234, -2, data}}));

  // Deleting it and closing keeps every offset; Key1 turns negative in the
  // record header and in the index entry.
  h = static_cast<int16_t>(DBOpen(path.c_str()));
  ASSERT_GT(h, 0);
  EXPECT_EQ(DBDel(h, 1234, -2, 0), 10);
  // The record header changes at once, the index at the close.
  EXPECT_EQ(GetI16(ReadFileBytes(path), 500), -1234);
  ASSERT_EQ(DBClose(h), DB_SUCCESS);
  const Bytes deleted = ReadFileBytes(path);
  ASSERT_EQ(deleted.size(), 532u);
  EXPECT_EQ(GetI16(deleted, 500), -1234);
  EXPECT_EQ(GetI16(deleted, 520), -1234);
  EXPECT_EQ(GetU32(deleted, 524), 500u);
  EXPECT_EQ(GetU32(deleted, 488), 1u);
  EXPECT_EQ(GetU32(deleted, 492), 520u);
  EXPECT_EQ(deleted, BuildClosedFile({{-1234, -2, data}}));
}

TEST_F(FormatTest, AppendingAfterReopenMovesTheIndexBehindTheNewData) {
  const std::string path = Path("grow.pro");
  std::vector<RecordImage> records = {{1, 1, Letters(30)},
                                      {2, 1, Letters(5, 'k')},
                                      {1, 2, Letters(200, 'c')}};
  MakeRecordFile(path, records);
  EXPECT_BYTES(ReadFileBytes(path), BuildClosedFile(records));
  const int16_t h = static_cast<int16_t>(DBOpen(path.c_str()));
  ASSERT_GT(h, 0);
  EXPECT_EQ(DBGetNumRecord(h), 3u);
  records.push_back({7, 7, Letters(1)});
  ASSERT_EQ(DBWrite(h, 7, 7, -1, 1, records.back().data.data()), 1);
  ASSERT_EQ(DBClose(h), DB_SUCCESS);
  EXPECT_BYTES(ReadFileBytes(path), BuildClosedFile(records));
}

TEST_F(FormatTest, FileThatWasNotClosedIsReindexedByWalkingTheRecords) {
  const std::vector<RecordImage> records = {{10, 1, Letters(12)},
                                            {-10, 2, Letters(3, 'x')},
                                            {0, 5, Letters(40, 'm')},
                                            {10, 1, Letters(7, 'q')}};
  // The stale index header says nothing useful; the walk ignores it.
  const std::string path = Path("unclosed.pro");
  ASSERT_TRUE(WriteFileBytes(path, BuildUnclosedFile(records, 1, 504, 512)));

  const int16_t h = static_cast<int16_t>(DBOpen(path.c_str()));
  ASSERT_GT(h, 0);
  EXPECT_EQ(DBGetNumRecord(h), 4u);
  uint8_t buf[64];
  int16_t k1 = 0, k2 = 0;
  ASSERT_EQ(DBRead(h, DB_WILDCARD, DB_WILDCARD, 0, 64, buf), 12);
  ASSERT_EQ(DBReadNext(h, buf), 3);
  DBGetKeys(&k1, &k2);
  EXPECT_EQ(k1, -10);  // the deleted record was taken in
  EXPECT_EQ(k2, 2);
  EXPECT_EQ(DBRead(h, 10, 1, 1, 64, buf), 7);
  EXPECT_EQ(Bytes(buf, buf + 7), Letters(7, 'q'));
  // Nothing is written by the open itself.
  EXPECT_BYTES(ReadFileBytes(path), BuildUnclosedFile(records, 1, 504, 512));
  ASSERT_EQ(DBClose(h), DB_SUCCESS);
  EXPECT_BYTES(ReadFileBytes(path), BuildClosedFile(records));
}

TEST_F(FormatTest, FileEndingInTheAlternativeMarkIsReindexedToo) {
  // Records, the end-of-data mark, then rubbish whose last-but-one word is
  // 32766: accepted as a file that needs its index rebuilt.
  const std::vector<RecordImage> records = {{3, 4, Letters(9)},
                                            {5, 6, Letters(2)}};
  Bytes bytes = BuildUnclosedFile(records);
  for (int i = 0; i < 10; ++i) bytes.push_back('z');
  PutI16(bytes, 32766);
  PutI16(bytes, 32766);
  const std::string path = Path("alt.pro");
  ASSERT_TRUE(WriteFileBytes(path, bytes));
  const int16_t h = static_cast<int16_t>(DBOpen(path.c_str()));
  ASSERT_GT(h, 0);
  EXPECT_EQ(DBGetNumRecord(h), 2u);
  ASSERT_EQ(DBClose(h), DB_SUCCESS);
  // The index lands right behind the end of data; the rubbish beyond the
  // new closed mark was shorter, so nothing of it is left.
  const Bytes closed = BuildClosedFile(records);
  ASSERT_GE(closed.size(), bytes.size());
  EXPECT_BYTES(ReadFileBytes(path), closed);
}

TEST_F(FormatTest, AppendsOfAProgramThatVanishedAreFoundAgain) {
  // A file with an index on disk; a new record is appended and the process
  // ends without closing (the library is reset without writing indexes).
  const std::string path = Path("crash.pro");
  std::vector<RecordImage> records = {{1, 1, Letters(5)}};
  MakeRecordFile(path, records);
  int16_t h = static_cast<int16_t>(DBOpen(path.c_str()));
  ASSERT_GT(h, 0);
  records.push_back({2, 2, Letters(50)});
  ASSERT_EQ(DBWrite(h, 2, 2, -1, 50, records.back().data.data()), 50);
  ResetLibrary();
  // The append reached beyond the old end: the file ends with the
  // end-of-data mark and the next open walks it.
  const Bytes left = ReadFileBytes(path);
  ASSERT_EQ(GetI16(left, left.size() - 4), 32767);
  h = static_cast<int16_t>(DBOpen(path.c_str()));
  ASSERT_GT(h, 0);
  EXPECT_EQ(DBGetNumRecord(h), 2u);
  ASSERT_EQ(DBClose(h), DB_SUCCESS);
  EXPECT_BYTES(ReadFileBytes(path), BuildClosedFile(records));
}

TEST_F(FormatTest, ShortAppendThatDidNotReachTheOldEndLeavesTheOldIndex) {
  // Many records make a long index; one small append overwrites only its
  // start, so the old closed mark stays and the old index is read again.
  const std::string path = Path("stale.pro");
  std::vector<RecordImage> records;
  for (int16_t i = 1; i <= 20; ++i) records.push_back({i, i, Letters(4)});
  MakeRecordFile(path, records);
  int16_t h = static_cast<int16_t>(DBOpen(path.c_str()));
  ASSERT_GT(h, 0);
  ASSERT_EQ(DBWrite(h, 99, 99, -1, 2, "ab"), 2);
  ResetLibrary();
  h = static_cast<int16_t>(DBOpenReadOnly(path.c_str()));
  ASSERT_GT(h, 0);
  EXPECT_EQ(DBGetNumRecord(h), 20u);
  uint8_t buf[8];
  EXPECT_EQ(DBRead(h, 20, 20, 0, 8, buf), 4);
  EXPECT_EQ(DBRead(h, 99, 99, 0, 8, buf), DB_EOF);
}

TEST_F(FormatTest, OpenAndCloseWithoutChangeLeavesEveryByte) {
  const std::string path = Path("same.pro");
  std::vector<RecordImage> records = {{1, 2, Letters(100)},
                                      {3, 4, Letters(1)},
                                      {5, 6, Letters(33)}};
  MakeRecordFile(path, records);
  {
    const int16_t h = static_cast<int16_t>(DBOpen(path.c_str()));
    ASSERT_GT(h, 0);
    ASSERT_EQ(DBDel(h, 3, 4, 0), 1);
    ASSERT_EQ(DBClose(h), DB_SUCCESS);
  }
  const Bytes before = ReadFileBytes(path);
  uint8_t buf[200];
  for (int mode = 0; mode < 3; ++mode) {
    const int32_t h = mode == 0   ? DBOpen(path.c_str())
                      : mode == 1 ? DBOpenReadOnly(path.c_str())
                                  : DBOpenExcl(path.c_str());
    ASSERT_GT(h, 0) << mode;
    // Reads and searches change nothing either.
    EXPECT_EQ(DBRead(static_cast<int16_t>(h), DB_WILDCARD, DB_WILDCARD, 0, 200,
                     buf),
              100);
    while (DBReadNext(static_cast<int16_t>(h), buf) >= 0) {
    }
    EXPECT_EQ(DBReadRest(static_cast<int16_t>(h), 10, buf), 0);
    EXPECT_EQ(DBRead(static_cast<int16_t>(h), 5, 6, 0, 10, buf), 10);
    EXPECT_EQ(DBReadRest(static_cast<int16_t>(h), 100, buf), 23);
    ASSERT_EQ(DBClose(static_cast<int16_t>(h)), DB_SUCCESS);
    EXPECT_BYTES(ReadFileBytes(path), before) << "open mode " << mode;
  }
}

TEST_F(FormatTest, ReadOnlyHandleOfAnUnclosedFileNeverWritesIt) {
  const std::vector<RecordImage> records = {{1, 1, Letters(8)}};
  const Bytes unclosed = BuildUnclosedFile(records);
  const std::string path = Path("ro.pro");
  ASSERT_TRUE(WriteFileBytes(path, unclosed));
  const int16_t h = static_cast<int16_t>(DBOpenReadOnly(path.c_str()));
  ASSERT_GT(h, 0);
  uint8_t buf[8];
  EXPECT_EQ(DBRead(h, 1, 1, 0, 8, buf), 8);
  ASSERT_EQ(DBClose(h), DB_SUCCESS);
  EXPECT_BYTES(ReadFileBytes(path), unclosed);
}

TEST_F(FormatTest, FilesThatAreNotRecordFilesAreRefusedUnchanged) {
  const std::vector<Bytes> contents = {
      Bytes(),
      Bytes{0xFD, 0x7F, 0xFD},
      Text("This is a plain text file, not a record file.\r\n"),
      Bytes(508, 0),
      Bytes(600, 0x7F),
  };
  int i = 0;
  for (const Bytes& content : contents) {
    const std::string path = Path("not" + std::to_string(i++) + ".pro");
    ASSERT_TRUE(WriteFileBytes(path, content));
    EXPECT_EQ(DBOpen(path.c_str()), DB_NOEND) << path;
    EXPECT_EQ(DBOpenReadOnly(path.c_str()), DB_NOEND) << path;
    EXPECT_EQ(DBOpenExcl(path.c_str()), DB_NOEND) << path;
    EXPECT_BYTES(ReadFileBytes(path), content) << path;
    // The refused open did not keep a handle.
    EXPECT_EQ(DBGetFileHnd(path.c_str()), -1);
  }
  // No slot was used up by the refusals.
  const int32_t h = DBOpen(Path("fine.pro").c_str());
  EXPECT_EQ(h, 1);
}

TEST_F(FormatTest, TruncatedFilesAreRefusedUnchanged) {
  // Data made of letters and small keys, so no cut ends in a word that looks
  // like one of the marks by accident.
  const std::vector<RecordImage> records = {{1, 2, Letters(20)},
                                            {-3, 4, Letters(11, 'f')},
                                            {5, 6, Letters(7, 'p')}};
  const Bytes full = BuildClosedFile(records);
  const size_t end_of_data = 500 + 26 + 17 + 13;
  ASSERT_EQ(GetI16(full, end_of_data), 32767);
  const std::string path = Path("cut.pro");
  for (size_t len = 0; len < full.size(); ++len) {
    const Bytes cut(full.begin(), full.begin() + static_cast<long>(len));
    ASSERT_TRUE(WriteFileBytes(path, cut));
    const int32_t h = DBOpen(path.c_str());
    // A cut right behind the end-of-data mark (or two bytes further, where
    // the last-but-one word is still its second half) leaves a file that
    // is simply re-indexed; every other cut is refused.
    if (len == end_of_data + 4 || len == end_of_data + 6) {
      ASSERT_GT(h, 0) << "cut at " << len;
      EXPECT_EQ(DBGetNumRecord(static_cast<int16_t>(h)), 3u);
      EXPECT_BYTES(ReadFileBytes(path), cut) << "the open changed the file";
      ResetLibrary();
      continue;
    }
    EXPECT_EQ(h, DB_NOEND) << "cut at " << len;
    EXPECT_BYTES(ReadFileBytes(path), cut) << "cut at " << len;
    if (h > 0) ResetLibrary();
  }
}

TEST_F(FormatTest, WalkThatRunsOffTheEndDoesNotChangeTheFile) {
  // The last record's Size points far beyond the end of the file.
  Bytes bytes = BuildUnclosedFile({{1, 1, Letters(4)}});
  bytes.resize(500 + 10);
  PutI16(bytes, 2);
  PutI16(bytes, 2);
  PutI16(bytes, 30000);
  for (int i = 0; i < 6; ++i) bytes.push_back('x');
  PutI16(bytes, 32767);
  PutI16(bytes, 32767);
  const std::string path = Path("runaway.pro");
  ASSERT_TRUE(WriteFileBytes(path, bytes));
  const int32_t h = DBOpen(path.c_str());
  EXPECT_BYTES(ReadFileBytes(path), bytes);
  // Whatever the open reports, it must not have kept the file half-read.
  if (h > 0) ResetLibrary();
  EXPECT_BYTES(ReadFileBytes(path), bytes);
}

}  // namespace
}  // namespace zbtest

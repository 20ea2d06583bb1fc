// The bytes of record files on disk: new files, one record, deletion,
// re-indexing of files that were not closed, large indexes, and files that
// are refused without being changed.
#include <gtest/gtest.h>

#include "support/record_fixture.h"

namespace zbtest {
namespace {

using FormatTest = RecordStoreTest;

Bytes Letters(size_t n, char first = 'a') {
  Bytes out(n);
  for (size_t i = 0; i < n; ++i) out[i] = uint8_t(first + char(i % 26));
  return out;
}

TEST_F(FormatTest, NewFileAndOneRecordByteForByte) {
  const std::string path = Path("one.pro");
  int16_t h = Open(path);
  Bytes expected(488, 0);  // N = 0, index and third word 504, the two marks
  for (uint32_t v : {0u, 504u, 504u, 0x7FFF7FFFu, 0x7FFD7FFDu})
    PutU32(expected, v);
  EXPECT_BYTES(ReadFileBytes(path), expected);  // on disk once opened
  ASSERT_EQ(DBClose(h), DB_SUCCESS);
  EXPECT_BYTES(ReadFileBytes(path), expected);
  EXPECT_EQ(BuildClosedFile({}), expected);  // the helper agrees
  h = Open(path);
  const Bytes data = Letters(10);
  ASSERT_EQ(DBWrite(h, 1234, -2, -1, 10, data.data()), 10);
  // Before the close: the record and the end-of-data mark, the index header
  // still describing the empty file.
  expected.resize(500);
  for (int16_t v : {1234, -2, 10}) PutI16(expected, v);
  expected.insert(expected.end(), data.begin(), data.end());
  PutU32(expected, 0x7FFF7FFF);
  EXPECT_BYTES(ReadFileBytes(path), expected);
  ASSERT_EQ(DBClose(h), DB_SUCCESS);
  // N = 1, the index behind the mark, one entry, the closed mark: 532 bytes.
  for (uint32_t v : {1u, 520u, 524u}) PutU32(expected, v);
  std::copy(expected.end() - 12, expected.end(), expected.begin() + 488);
  expected.resize(520);
  for (int16_t v : {1234, -2}) PutI16(expected, v);
  for (uint32_t v : {500u, 0x7FFD7FFDu}) PutU32(expected, v);
  ASSERT_EQ(expected.size(), 532u);
  EXPECT_BYTES(ReadFileBytes(path), expected);
  EXPECT_EQ(BuildClosedFile({{1234, -2, data}}), expected);

  // Deleted: Key1 negative in the record header at once, in the index entry
  // at the close; every offset stays.
  h = Open(path);
  EXPECT_EQ(DBDel(h, 1234, -2, 0), 10);
  EXPECT_EQ(GetI16(ReadFileBytes(path), 500), -1234);
  ASSERT_EQ(DBClose(h), DB_SUCCESS);
  expected[500] = expected[520] = uint8_t(-1234 & 0xFF);
  expected[501] = expected[521] = uint8_t((-1234 >> 8) & 0xFF);
  EXPECT_BYTES(ReadFileBytes(path), expected);
}

TEST_F(FormatTest, FilesThatWereNotClosedAreReindexedByTheWalk) {
  // A stale index header is ignored; deleted records and Key1 = 0 are taken.
  const std::vector<RecordImage> records = {
      {10, 1, Letters(12)}, {-10, 2, Letters(3, 'x')},
      {0, 5, Letters(40, 'm')}, {10, 1, Letters(7, 'q')}};
  const std::string path = Path("unclosed.pro");
  const Bytes unclosed = BuildUnclosedFile(records, 1, 504, 512);
  ASSERT_TRUE(WriteFileBytes(path, unclosed));
  int16_t h = Open(path, DBOpenReadOnly);  // never writes the file
  EXPECT_EQ(DBGetNumRecord(h), 4u);
  ASSERT_EQ(DBClose(h), DB_SUCCESS);
  EXPECT_BYTES(ReadFileBytes(path), unclosed);
  h = Open(path);
  uint8_t buf[64];
  int16_t k1 = 0, k2 = 0;
  ASSERT_EQ(DBRead(h, DB_WILDCARD, DB_WILDCARD, 1, 64, buf), 3);
  DBGetKeys(&k1, &k2);
  EXPECT_EQ(k1, -10);
  EXPECT_EQ(DBRead(h, 10, 1, 1, 64, buf), 7);
  EXPECT_EQ(Bytes(buf, buf + 7), Letters(7, 'q'));
  EXPECT_BYTES(ReadFileBytes(path), unclosed);  // the open wrote nothing
  ASSERT_EQ(DBClose(h), DB_SUCCESS);
  EXPECT_BYTES(ReadFileBytes(path), BuildClosedFile(records));

  // Rubbish after the end-of-data mark whose last-but-one word is 32766 is
  // accepted too; the index lands right behind the data and covers it all.
  const std::vector<RecordImage> two = {{3, 4, Letters(9)}, {5, 6, Letters(2)}};
  Bytes alt = BuildUnclosedFile(two);
  alt.insert(alt.end(), 10, 'z');
  PutU32(alt, 0x7FFE7FFE);
  ASSERT_TRUE(WriteFileBytes(path, alt));
  ASSERT_GE(BuildClosedFile(two).size(), alt.size());
  EXPECT_EQ(DBClose(Open(path)), DB_SUCCESS);
  EXPECT_BYTES(ReadFileBytes(path), BuildClosedFile(two));
}

TEST_F(FormatTest, IndexOfMoreThanOneBlockOfEntries) {
  const std::string path = Path("many.pro");
  std::vector<RecordImage> records;
  for (int i = 0; i < 9000; ++i)
    records.push_back({int16_t(i % 7 + 1), 1, {uint8_t(i), uint8_t(i >> 8)}});
  MakeRecordFile(path, records);
  EXPECT_BYTES(ReadFileBytes(path), BuildClosedFile(records));
  const int16_t h = Open(path);
  EXPECT_EQ(DBGetNumRecord(h), 9000u);
  uint8_t buf[2];
  EXPECT_EQ(DBRead(h, 3, 1, 1285, 2, buf), 2);
  EXPECT_EQ(buf[0] | (buf[1] << 8), 2 + 7 * 1285);
  EXPECT_EQ(DBRead(h, DB_WILDCARD, DB_WILDCARD, 8999, 2, buf), 2);
  EXPECT_EQ(buf[0] | (buf[1] << 8), 8999);
  ASSERT_EQ(DBDel(h, DB_WILDCARD, DB_WILDCARD, 4096), 2);
  records[4096].key1 = int16_t(-records[4096].key1);
  ASSERT_EQ(DBClose(h), DB_SUCCESS);
  EXPECT_BYTES(ReadFileBytes(path), BuildClosedFile(records));
}

TEST_F(FormatTest, FilesThatAreNotRecordFilesAreRefusedUnchanged) {
  // The last one: a walk whose last Size points far beyond the end.
  Bytes runaway = BuildUnclosedFile({{1, 1, Letters(4)}});
  runaway.resize(510);
  for (int16_t v : {2, 2, 30000}) PutI16(runaway, v);
  runaway.insert(runaway.end(), 6, 'x');
  PutU32(runaway, 0x7FFF7FFF);
  const std::vector<Bytes> contents = {
      Bytes(), Bytes{0xFD, 0x7F, 0xFD},
      Text("This is a plain text file, not a record file.\r\n"),
      Bytes(508, 0), Bytes(600, 0x7F), runaway};
  for (size_t i = 0; i < contents.size(); ++i) {
    const std::string path = Path("not" + std::to_string(i) + ".pro");
    ASSERT_TRUE(WriteFileBytes(path, contents[i]));
    for (auto open : {DBOpen, DBOpenReadOnly, DBOpenExcl}) {
      const int32_t h = open(path.c_str());
      if (i < 5) {
        EXPECT_EQ(h, DB_NOEND) << path;
      }
      if (h > 0) AbandonLibrary();
      EXPECT_BYTES(ReadFileBytes(path), contents[i]) << path;
    }
    EXPECT_EQ(DBGetFileHnd(path.c_str()), -1);
  }
  EXPECT_EQ(DBOpen(Path("fine.pro").c_str()), 1);  // no slot was used up

  // Cut anywhere: refused unchanged, unless right behind the end-of-data
  // mark (or two bytes further, where the last-but-one word is still its
  // second half). Letters and small keys: no cut ends in a mark by chance.
  const std::vector<RecordImage> records = {
      {1, 2, Letters(20)}, {-3, 4, Letters(11, 'f')}, {5, 6, Letters(7, 'p')}};
  const Bytes full = BuildClosedFile(records);
  const size_t end_of_data = 500 + 26 + 17 + 13;
  const std::string path = Path("cut.pro");
  for (size_t len = 0; len < full.size(); ++len) {
    const Bytes cut(full.begin(), full.begin() + long(len));
    ASSERT_TRUE(WriteFileBytes(path, cut));
    const int32_t h = DBOpen(path.c_str());
    if (len == end_of_data + 4 || len == end_of_data + 6) {
      EXPECT_EQ(DBGetNumRecord(H(h)), 3u) << "cut at " << len;
    } else {
      EXPECT_EQ(h, DB_NOEND) << "cut at " << len;
    }
    AbandonLibrary();
    EXPECT_BYTES(ReadFileBytes(path), cut) << "cut at " << len;
  }
}

}  // namespace
}  // namespace zbtest

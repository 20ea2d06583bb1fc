// The record engine through the exported DB... calls, as a calculation
// program uses them: handles, searches and cursors, reads, writes,
// deletes, keys, the user header and the result codes.
#include <gtest/gtest.h>

#include <cstring>

#include "recordstore/log_sink.h"
#include "support/record_fixture.h"

namespace zbtest {
namespace {

using EngineTest = RecordStoreTest;

int16_t H(int32_t h) { return static_cast<int16_t>(h); }

Bytes Fill(size_t n, uint8_t value) { return Bytes(n, value); }

TEST_F(EngineTest, NineHandlesAtMostLowestFreeFirst) {
  std::vector<std::string> paths;
  for (int i = 1; i <= 12; ++i)
    paths.push_back(ToLowerAscii(Path("f" + std::to_string(i) + ".pro")));
  for (int i = 1; i <= 9; ++i) EXPECT_EQ(DBOpen(paths[i - 1].c_str()), i);
  EXPECT_EQ(DBOpen(paths[9].c_str()), DB_STACKERR);
  EXPECT_EQ(DBOpenReadOnly(paths[0].c_str()), DB_SECOND_OPEN);
  EXPECT_EQ(DBClose(4), DB_SUCCESS);
  EXPECT_EQ(DBClose(7), DB_SUCCESS);
  EXPECT_EQ(DBOpen(paths[9].c_str()), 4);
  EXPECT_EQ(DBOpen(paths[10].c_str()), 7);
  EXPECT_EQ(DBOpen(paths[11].c_str()), DB_STACKERR);
  // The refused tenth open did not create its file.
  EXPECT_FALSE(FileExists(paths[11]));
  EXPECT_EQ(DBClose(1), DB_SUCCESS);
  EXPECT_EQ(DBOpenReadOnly(paths[3].c_str()), 1);
}

TEST_F(EngineTest, SecondOpenOfALowerCasePathIsRefused) {
  const std::string lower = ToLowerAscii(Path("lower.pro"));
  std::string upper = lower;
  // Upper-case the file name only: on POSIX the folder must keep its case.
  upper.replace(upper.size() - 9, 9, "LOWER.PRO");
  const int32_t h = DBOpen(lower.c_str());
  ASSERT_EQ(h, 1);
  EXPECT_EQ(DBOpen(lower.c_str()), DB_SECOND_OPEN);
  EXPECT_EQ(DBOpen(upper.c_str()), DB_SECOND_OPEN);
  EXPECT_EQ(DBOpenReadOnly(lower.c_str()), DB_SECOND_OPEN);
  EXPECT_EQ(DBOpenExcl(upper.c_str()), DB_SECOND_OPEN);
  // Callers then look the handle up by the exact path.
  EXPECT_EQ(DBGetFileHnd(lower.c_str()), h);
  EXPECT_EQ(DBGetFileHnd(upper.c_str()), -1);
  char name[1024];
  EXPECT_EQ(DBGetFileName(name, H(h)), 1);
  EXPECT_EQ(std::string(name), lower);
  EXPECT_EQ(DBClose(H(h)), DB_SUCCESS);
  EXPECT_EQ(DBGetFileHnd(lower.c_str()), -1);
  EXPECT_EQ(DBGetFileName(name, H(h)), 0);
  EXPECT_EQ(name[0], '\0');
  EXPECT_EQ(DBOpen(upper.c_str()), 1);
}

TEST_F(EngineTest, MixedCasePathIsOpenedASecondTime) {
  const std::string mixed = Path("Mixed.pro");
  const int32_t first = DBOpen(mixed.c_str());
  ASSERT_EQ(first, 1);
  const int32_t second = DBOpen(mixed.c_str());
  EXPECT_EQ(second, 2);
  // The highest slot wins the look-up.
  EXPECT_EQ(DBGetFileHnd(mixed.c_str()), 2);
  EXPECT_EQ(DBGetFileHnd(ToLowerAscii(mixed).c_str()), -1);
  char name[1024];
  EXPECT_EQ(DBGetFileName(name, H(first)), 1);
  EXPECT_EQ(std::string(name), mixed);
  EXPECT_EQ(DBClose(H(second)), DB_SUCCESS);
  EXPECT_EQ(DBGetFileHnd(mixed.c_str()), 1);
}

TEST_F(EngineTest, WildcardVisitsEveryRecordInAppendOrderDeletedOnesToo) {
  const std::string path = Path("wild.pro");
  const int16_t h = H(DBOpen(path.c_str()));
  ASSERT_GT(h, 0);
  struct R { int16_t k1, k2; uint8_t fill; int16_t size; };
  const R recs[] = {{1, 10, 'a', 5}, {2, 20, 'b', 6}, {1, 20, 'c', 7},
                    {3, 10, 'd', 8}, {2, 10, 'e', 9}};
  for (const R& r : recs)
    ASSERT_EQ(DBWrite(h, r.k1, r.k2, -1, r.size, Fill(r.size, r.fill).data()),
              r.size);
  ASSERT_EQ(DBDel(h, 2, 20, 0), 6);
  ASSERT_EQ(DBDel(h, 3, 10, 0), 8);

  uint8_t buf[32];
  int16_t k1 = 0, k2 = 0;
  int32_t got = DBRead(h, DB_WILDCARD, DB_WILDCARD, 0, 32, buf);
  const int16_t expected_k1[] = {1, -2, 1, -3, 2};
  for (size_t i = 0; i < 5; ++i) {
    ASSERT_EQ(got, recs[i].size) << i;
    EXPECT_EQ(buf[0], recs[i].fill);
    EXPECT_EQ(DBGetKeys(&k1, &k2), recs[i].k2);
    EXPECT_EQ(k1, expected_k1[i]);
    EXPECT_EQ(k2, recs[i].k2);
    got = DBReadNext(h, buf);
  }
  EXPECT_EQ(got, DB_EOF);
  EXPECT_EQ(DBReadNext(h, buf), DB_EOF);

  // One wildcard key: all Key1 under Key2 = 10, deleted (3, 10) included.
  std::vector<uint8_t> seen;
  for (got = DBRead(h, DB_WILDCARD, 10, 0, 32, buf); got > 0;
       got = DBReadNext(h, buf))
    seen.push_back(buf[0]);
  EXPECT_EQ(seen, (std::vector<uint8_t>{'a', 'd', 'e'}));
  // Fixed Key1 = 1 with any Key2.
  seen.clear();
  for (got = DBRead(h, 1, DB_WILDCARD, 0, 32, buf); got > 0;
       got = DBReadNext(h, buf))
    seen.push_back(buf[0]);
  EXPECT_EQ(seen, (std::vector<uint8_t>{'a', 'c'}));
  // The n-th occurrence, and a negative occurrence counts as the first.
  EXPECT_EQ(DBRead(h, DB_WILDCARD, DB_WILDCARD, 4, 32, buf), 9);
  EXPECT_EQ(DBRead(h, DB_WILDCARD, DB_WILDCARD, 5, 32, buf), DB_EOF);
  EXPECT_EQ(DBRead(h, 1, DB_WILDCARD, -7, 32, buf), 5);
  EXPECT_EQ(DBReadFar(h, 1, DB_WILDCARD, 1, 32, buf), 7);
  EXPECT_EQ(DBReadFar(h, 1, DB_WILDCARD, 0xFFFFFFFFu, 32, buf), DB_EOF);
  // A search by the negative Key1 finds a deleted record.
  EXPECT_EQ(DBRead(h, -3, 10, 0, 32, buf), 8);
}

TEST_F(EngineTest, ReadRestDeliversTheRemainderOfTheLastRead) {
  const int16_t h = H(DBOpen(Path("rest.pro").c_str()));
  ASSERT_GT(h, 0);
  const Bytes data = Pattern(100, 1);
  ASSERT_EQ(DBWrite(h, 5, 5, -1, 100, data.data()), 100);
  ASSERT_EQ(DBWrite(h, 5, 6, -1, 3, "xyz"), 3);
  uint8_t buf[128];
  ASSERT_EQ(DBRead(h, 5, 5, 0, 40, buf), 40);
  EXPECT_EQ(Bytes(buf, buf + 40), Bytes(data.begin(), data.begin() + 40));
  EXPECT_EQ(DBReadRest(h, 100, buf), 60);
  EXPECT_EQ(Bytes(buf, buf + 60), Bytes(data.begin() + 40, data.end()));
  EXPECT_EQ(DBReadRest(h, 100, buf), 0);

  // In pieces.
  ASSERT_EQ(DBRead(h, 5, 5, 0, 10, buf), 10);
  EXPECT_EQ(DBReadRest(h, 25, buf), 25);
  EXPECT_EQ(Bytes(buf, buf + 25), Bytes(data.begin() + 10, data.begin() + 35));
  EXPECT_EQ(DBReadRest(h, 80, buf), 65);
  EXPECT_EQ(buf[64], data[99]);
  EXPECT_EQ(DBReadRest(h, 80, buf), 0);

  // A keyed call starts afresh: after a failed search nothing is left.
  ASSERT_EQ(DBRead(h, 5, 5, 0, 10, buf), 10);
  EXPECT_EQ(DBRead(h, 9, 9, 0, 10, buf), DB_EOF);
  EXPECT_EQ(DBReadRest(h, 10, buf), 0);
  // After a read of the whole record nothing is left either.
  ASSERT_EQ(DBRead(h, 5, 6, 0, 10, buf), 3);
  EXPECT_EQ(DBReadRest(h, 10, buf), 0);
  EXPECT_EQ(DBReadRest(0, 10, buf), 0);
  EXPECT_EQ(DBReadRest(10, 10, buf), 0);
  EXPECT_EQ(DBReadRest(-3, 10, buf), 0);
}

TEST_F(EngineTest, ReadClearsOnlyTheBytesItDelivers) {
  const int16_t h = H(DBOpen(Path("clear.pro").c_str()));
  ASSERT_GT(h, 0);
  ASSERT_EQ(DBWrite(h, 1, 1, -1, 10, Fill(10, 0x11).data()), 10);
  uint8_t buf[32];
  std::memset(buf, 0xAA, sizeof buf);
  EXPECT_EQ(DBRead(h, 1, 1, 0, 20, buf), 10);
  EXPECT_EQ(Bytes(buf, buf + 10), Fill(10, 0x11));
  EXPECT_EQ(Bytes(buf + 10, buf + 32), Fill(22, 0xAA));
  std::memset(buf, 0xAA, sizeof buf);
  EXPECT_EQ(DBRead(h, 1, 1, 0, 4, buf), 4);
  EXPECT_EQ(Bytes(buf + 4, buf + 32), Fill(28, 0xAA));
}

TEST_F(EngineTest, RecordSizeLimits) {
  const std::string path = Path("size.pro");
  const int16_t h = H(DBOpen(path.c_str()));
  ASSERT_GT(h, 0);
  const Bytes big = Pattern(32760, 7);
  EXPECT_EQ(DBWrite(h, 1, 1, -1, 0, big.data()), DB_RECLEN_OVERFLOW);
  EXPECT_EQ(DBWrite(h, 1, 1, -1, static_cast<int16_t>(32760), big.data()),
            DB_RECLEN_OVERFLOW);
  EXPECT_EQ(DBWrite(h, 1, 1, -1, -5, big.data()), DB_RECLEN_OVERFLOW);
  EXPECT_EQ(DBWrite(h, 1, 1, -1, static_cast<int16_t>(-32768), big.data()),
            DB_RECLEN_OVERFLOW);
  EXPECT_EQ(DBWriteAdd(h, 1, 1, 0, 0, big.data()), DB_RECLEN_OVERFLOW);
  EXPECT_EQ(DBWriteFar(h, 1, 1, 0, 32767, big.data()), DB_RECLEN_OVERFLOW);
  EXPECT_EQ(DBWriteAddFar(h, 1, 1, 0, 0, big.data()), DB_RECLEN_OVERFLOW);
  EXPECT_EQ(DBGetNumRecord(h), 0u);
  EXPECT_EQ(FileSize(path), 508);

  EXPECT_EQ(DBWrite(h, 1, 1, -1, 32759, big.data()), 32759);
  EXPECT_EQ(DBWrite(h, 1, 2, -1, 1, big.data()), 1);
  std::vector<uint8_t> buf(32759);
  EXPECT_EQ(DBRead(h, 1, 1, 0, 32759, buf.data()), 32759);
  EXPECT_EQ(buf, Bytes(big.begin(), big.begin() + 32759));
  // An oversized read buffer still delivers the record as it is.
  std::vector<uint8_t> more(40000);
  EXPECT_EQ(DBRead(h, 1, 1, 0, 32767, more.data()), 32759);
  ASSERT_EQ(DBClose(h), DB_SUCCESS);
  EXPECT_EQ(FileSize(path), 500 + 6 + 32759 + 6 + 1 + 4 + 16 + 4);

  // The order of the checks: a handle out of range first, then the size,
  // then whether the slot is open and writable.
  EXPECT_EQ(DBWrite(10, 1, 1, -1, 0, big.data()), DB_EOF);
  EXPECT_EQ(DBWrite(-1, 1, 1, -1, 0, big.data()), DB_EOF);
  EXPECT_EQ(DBWrite(5, 1, 1, -1, 0, big.data()), DB_RECLEN_OVERFLOW);
  EXPECT_EQ(DBWrite(5, 1, 1, -1, 10, big.data()), DB_EOF);
  EXPECT_EQ(DBWriteFar(10, 1, 1, 0, 0, big.data()), DB_EOF);
  EXPECT_EQ(DBWriteFar(5, 1, 1, 0, 0, big.data()), DB_RECLEN_OVERFLOW);
  EXPECT_EQ(DBWriteFar(5, 1, 1, 0, 10, big.data()), DB_EOF);
  const int16_t ro = H(DBOpenReadOnly(path.c_str()));
  ASSERT_GT(ro, 0);
  EXPECT_EQ(DBWrite(ro, 1, 1, -1, 0, big.data()), DB_RECLEN_OVERFLOW);
  EXPECT_EQ(DBWrite(ro, 1, 1, -1, 10, big.data()), DB_EOF);
}

TEST_F(EngineTest, OverwriteInPlaceKeepsTheRecordSize) {
  const std::string path = Path("over.pro");
  const int16_t h = H(DBOpen(path.c_str()));
  ASSERT_GT(h, 0);
  ASSERT_EQ(DBWrite(h, 4, 4, -1, 10, Fill(10, 'a').data()), 10);
  ASSERT_EQ(DBWrite(h, 4, 4, -1, 10, Fill(10, 'b').data()), 10);
  // More bytes than the record holds: only its size is written.
  EXPECT_EQ(DBWrite(h, 4, 4, 0, 20, Fill(20, 'X').data()), 10);
  // Fewer bytes: the old tail stays.
  EXPECT_EQ(DBWriteFar(h, 4, 4, 1, 4, Fill(4, 'Y').data()), 4);
  EXPECT_EQ(DBGetNumRecord(h), 2u);
  // No such occurrence.
  EXPECT_EQ(DBWrite(h, 4, 4, 2, 10, Fill(10, 'Z').data()), DB_EOF);
  EXPECT_EQ(DBWriteFar(h, 4, 5, 0, 10, Fill(10, 'Z').data()), DB_EOF);
  EXPECT_EQ(DBGetNumRecord(h), 2u);
  uint8_t buf[32];
  EXPECT_EQ(DBRead(h, 4, 4, 0, 32, buf), 10);
  EXPECT_EQ(Bytes(buf, buf + 10), Fill(10, 'X'));
  EXPECT_EQ(DBRead(h, 4, 4, 1, 32, buf), 10);
  EXPECT_EQ(Bytes(buf, buf + 10), Text("YYYYbbbbbb"));
  ASSERT_EQ(DBClose(h), DB_SUCCESS);
  EXPECT_BYTES(ReadFileBytes(path),
            BuildClosedFile({{4, 4, Fill(10, 'X')}, {4, 4, Text("YYYYbbbbbb")}}));
}

TEST_F(EngineTest, DeleteAndUndeleteFlipKeyOne) {
  const std::string path = Path("del.pro");
  const int16_t h = H(DBOpen(path.c_str()));
  ASSERT_GT(h, 0);
  ASSERT_EQ(DBWrite(h, 7, 1, -1, 11, Fill(11, 'u').data()), 11);  // 0
  ASSERT_EQ(DBWrite(h, 5, 1, -1, 3, Fill(3, 'a').data()), 3);     // 1
  ASSERT_EQ(DBWrite(h, 5, 1, -1, 4, Fill(4, 'b').data()), 4);     // 2
  ASSERT_EQ(DBWrite(h, 5, 2, -1, 5, Fill(5, 'c').data()), 5);     // 3
  ASSERT_EQ(DBWrite(h, 5, 1, -1, 6, Fill(6, 'd').data()), 6);     // 4
  uint8_t buf[32];
  int16_t k1 = 0, k2 = 0;

  // A unique record: once deleted, its positive keys no longer find it,
  // the wildcard still does, and deleting it again there gives 0.
  EXPECT_EQ(DBDel(h, 7, 1, 0), 11);
  EXPECT_EQ(DBDel(h, 7, 1, 0), DB_EOF);
  EXPECT_EQ(DBRead(h, 7, 1, 0, 32, buf), DB_EOF);
  EXPECT_EQ(DBRead(h, DB_WILDCARD, 1, 0, 32, buf), 11);
  DBGetKeys(&k1, &k2);
  EXPECT_EQ(k1, -7);
  EXPECT_EQ(DBDel(h, DB_WILDCARD, 1, 0), 0);
  EXPECT_EQ(GetI16(ReadFileBytes(path), 500), -7);  // on disk at once
  EXPECT_EQ(DBUnDel(h, 7, 1, 0), 11);
  EXPECT_EQ(DBUnDel(h, 7, 1, 0), DB_EOF);
  EXPECT_EQ(DBRead(h, 7, 1, 0, 32, buf), 11);
  EXPECT_EQ(GetI16(ReadFileBytes(path), 500), 7);

  // Next forms continue after the record just deleted.
  EXPECT_EQ(DBDel(h, 5, 1, 0), 3);
  EXPECT_EQ(DBDelNext(h), 4);
  EXPECT_EQ(DBDelNext(h), 6);
  EXPECT_EQ(DBDelNext(h), DB_EOF);
  EXPECT_EQ(DBRead(h, 5, 1, 0, 32, buf), DB_EOF);
  EXPECT_EQ(DBRead(h, 5, 2, 0, 32, buf), 5);
  // Undelete by the former positive Key1; the Next form goes on with the
  // negated key.
  EXPECT_EQ(DBUnDel(h, 5, 1, 1), 4);
  EXPECT_EQ(DBUnDelNext(h), 6);
  EXPECT_EQ(DBUnDelNext(h), DB_EOF);
  EXPECT_EQ(DBRead(h, 5, 1, 0, 32, buf), 4);
  EXPECT_EQ(DBRead(h, 5, 1, 1, 32, buf), 6);
  EXPECT_EQ(DBRead(h, 5, 1, 2, 32, buf), DB_EOF);
  // Far forms.
  EXPECT_EQ(DBDelFar(h, 5, 1, 1), 6);
  EXPECT_EQ(DBUnDelFar(h, 5, 1, 1), 6);
  EXPECT_EQ(DBUnDelFar(h, 5, 1, 1), DB_EOF);
  EXPECT_EQ(DBDelFar(h, 5, 1, 5), DB_EOF);
  ASSERT_EQ(DBClose(h), DB_SUCCESS);
  EXPECT_BYTES(ReadFileBytes(path),
            BuildClosedFile({{7, 1, Fill(11, 'u')},
                             {-5, 1, Fill(3, 'a')},
                             {5, 1, Fill(4, 'b')},
                             {5, 2, Fill(5, 'c')},
                             {5, 1, Fill(6, 'd')}}));
}

TEST_F(EngineTest, RecordWithKeyOneZeroCannotBeDeleted) {
  const std::string path = Path("zero.pro");
  const int16_t h = H(DBOpen(path.c_str()));
  ASSERT_GT(h, 0);
  ASSERT_EQ(DBWrite(h, 0, 3, -1, 8, Fill(8, 'z').data()), 8);
  uint8_t buf[16];
  EXPECT_EQ(DBRead(h, 0, 3, 0, 16, buf), 8);
  EXPECT_EQ(DBDel(h, 0, 3, 0), 0);
  EXPECT_EQ(DBRead(h, 0, 3, 0, 16, buf), 8);
  // Undeleting it finds a record that is not deleted.
  EXPECT_EQ(DBUnDel(h, 0, 3, 0), 0);
  ASSERT_EQ(DBClose(h), DB_SUCCESS);
  EXPECT_BYTES(ReadFileBytes(path), BuildClosedFile({{0, 3, Fill(8, 'z')}}));
}

TEST_F(EngineTest, WriteAddOverwritesOrAppends) {
  const int16_t h = H(DBOpen(Path("add.pro").c_str()));
  ASSERT_GT(h, 0);
  uint8_t buf[16];
  EXPECT_EQ(DBWriteAdd(h, 9, 9, 0, 10, Fill(10, '1').data()), 10);
  EXPECT_EQ(DBGetNumRecord(h), 1u);
  EXPECT_EQ(DBWriteAdd(h, 9, 9, 0, 10, Fill(10, '2').data()), 10);
  EXPECT_EQ(DBGetNumRecord(h), 1u);
  EXPECT_EQ(DBRead(h, 9, 9, 0, 16, buf), 10);
  EXPECT_EQ(buf[0], '2');
  // Occurrence 5 does not exist: appended as a new record.
  EXPECT_EQ(DBWriteAdd(h, 9, 9, 5, 10, Fill(10, '3').data()), 10);
  EXPECT_EQ(DBGetNumRecord(h), 2u);
  EXPECT_EQ(DBWriteAdd(h, 9, 9, -1, 4, Fill(4, '4').data()), 4);
  EXPECT_EQ(DBGetNumRecord(h), 3u);
  EXPECT_EQ(DBWriteAdd(h, 9, 9, -2, 4, Fill(4, '5').data()), DB_EOF);
  EXPECT_EQ(DBGetNumRecord(h), 3u);
  EXPECT_EQ(DBWriteAddFar(h, 9, 9, 2, 8, Fill(8, '6').data()), 4);
  EXPECT_EQ(DBWriteAddFar(h, 9, 8, 0, 8, Fill(8, '7').data()), 8);
  EXPECT_EQ(DBGetNumRecord(h), 4u);
  EXPECT_EQ(DBRead(h, 9, 9, 2, 16, buf), 4);
  EXPECT_EQ(buf[0], '6');
  // Overwriting a deleted place is not possible by positive keys: append.
  ASSERT_EQ(DBDel(h, 9, 8, 0), 8);
  EXPECT_EQ(DBWriteAdd(h, 9, 8, 0, 8, Fill(8, '8').data()), 8);
  EXPECT_EQ(DBGetNumRecord(h), 5u);
}

TEST_F(EngineTest, WriteNextOverwritesFollowingMatchesThenAppends) {
  const std::string path = Path("next.pro");
  const int16_t h = H(DBOpen(path.c_str()));
  ASSERT_GT(h, 0);
  for (uint8_t c : {'a', 'b', 'c'})
    ASSERT_EQ(DBWrite(h, 4, 4, -1, 10, Fill(10, c).data()), 10);
  ASSERT_EQ(DBWrite(h, 6, 6, -1, 10, Fill(10, 'o').data()), 10);
  uint8_t buf[16];
  // The read sets the keys and the size the Next operations continue with.
  ASSERT_EQ(DBRead(h, 4, 4, 0, 6, buf), 6);
  EXPECT_EQ(DBWriteNext(h, Fill(10, 'B').data()), 6);
  EXPECT_EQ(DBWriteNext(h, Fill(10, 'C').data()), 6);
  // No further match: appended with those keys and that size.
  EXPECT_EQ(DBWriteNext(h, Fill(10, 'D').data()), 6);
  EXPECT_EQ(DBGetNumRecord(h), 5u);
  EXPECT_EQ(DBWriteNext(h, Fill(10, 'E').data()), 6);
  EXPECT_EQ(DBGetNumRecord(h), 6u);

  // A failed search still sets the handle's keys and size.
  EXPECT_EQ(DBRead(h, 8, 1, 0, 3, buf), DB_EOF);
  EXPECT_EQ(DBWriteNext(h, "xyz"), 3);
  EXPECT_EQ(DBRead(h, 8, 1, 0, 16, buf), 3);
  ASSERT_EQ(DBClose(h), DB_SUCCESS);
  EXPECT_BYTES(ReadFileBytes(path),
            BuildClosedFile({{4, 4, Fill(10, 'a')},
                             {4, 4, Text("BBBBBBbbbb")},
                             {4, 4, Text("CCCCCCcccc")},
                             {6, 6, Fill(10, 'o')},
                             {4, 4, Fill(6, 'D')},
                             {4, 4, Fill(6, 'E')},
                             {8, 1, Text("xyz")}}));
}

TEST_F(EngineTest, ReadBySubKeys) {
  const int16_t h = H(DBOpen(Path("sub.pro").c_str()));
  ASSERT_GT(h, 0);
  auto record = [](int16_t k3, int16_t k4, const std::string& payload) {
    Bytes b;
    PutI16(b, k3);
    PutI16(b, k4);
    b.insert(b.end(), payload.begin(), payload.end());
    return b;
  };
  const std::vector<Bytes> recs = {
      record(1, 1, "first-one"),  record(1, 2, "other"),
      record(1, 1, "second-one"), record(2, 1, "third"),
      record(1, 1, "third-one"),  record(7, 7, "abcd"),
      record(7, 8, "abcde"),      record(9, 9, std::string(40, 'L'))};
  for (const Bytes& r : recs)
    ASSERT_EQ(DBWrite(h, 20, 1, -1, static_cast<int16_t>(r.size()), r.data()),
              static_cast<int32_t>(r.size()));
  ASSERT_EQ(DBWrite(h, 21, 1, -1, 8, record(1, 1, "zzzz").data()), 8);

  char buf[64];
  std::memset(buf, 0, sizeof buf);
  // The result counts the four sub-key bytes; the data after them arrive.
  EXPECT_EQ(DB4_Read(h, 20, 1, 1, 1, 1, 32, buf), 13);
  EXPECT_EQ(std::string(buf, 9), "first-one");
  EXPECT_EQ(DB4_Read(h, 20, 1, 1, 1, 2, 32, buf), 14);
  EXPECT_EQ(std::string(buf, 10), "second-one");
  EXPECT_EQ(DB4_Read(h, 20, 1, 1, 1, 3, 32, buf), 13);
  EXPECT_EQ(std::string(buf, 9), "third-one");
  // An occurrence below 1 counts as 1.
  EXPECT_EQ(DB4_Read(h, 20, 1, 1, 1, 0, 32, buf), 13);
  EXPECT_EQ(std::string(buf, 9), "first-one");
  EXPECT_EQ(DB4_Read(h, 20, 1, 1, 1, -4, 32, buf), 13);
  EXPECT_EQ(DB4_Read(h, 20, 1, 2, 1, 1, 32, buf), 9);
  EXPECT_EQ(std::string(buf, 5), "third");
  // No fourth match: the result of the read that ran out.
  EXPECT_EQ(DB4_Read(h, 20, 1, 1, 1, 4, 32, buf), DB_EOF);
  EXPECT_EQ(DB4_Read(h, 20, 1, 3, 3, 1, 32, buf), DB_EOF);
  EXPECT_EQ(DB4_Read(h, 22, 1, 1, 1, 1, 32, buf), DB_EOF);

  // Records of 8 bytes or less are found but not copied.
  std::memset(buf, '#', sizeof buf);
  EXPECT_EQ(DB4_Read(h, 20, 1, 7, 7, 1, 32, buf), 8);
  EXPECT_EQ(buf[0], '#');
  EXPECT_EQ(DB4_Read(h, 20, 1, 7, 8, 1, 32, buf), 9);
  EXPECT_EQ(std::string(buf, 5), "abcde");
  // A record that does not fit the buffer is reported, not copied.
  std::memset(buf, '#', sizeof buf);
  EXPECT_EQ(DB4_Read(h, 20, 1, 9, 9, 1, 20, buf), 26);
  EXPECT_EQ(buf[0], '#');
  EXPECT_EQ(DB4_Read(h, 20, 1, 9, 9, 1, 40, buf), 44);
  EXPECT_EQ(std::string(buf, 40), std::string(40, 'L'));
}

TEST_F(EngineTest, ChangeKeysRekeysEveryMatch) {
  const std::string path = Path("keys.pro");
  const int16_t h = H(DBOpen(path.c_str()));
  ASSERT_GT(h, 0);
  ASSERT_EQ(DBWrite(h, 3, 3, -1, 2, "aa"), 2);
  ASSERT_EQ(DBWrite(h, 3, 4, -1, 2, "bb"), 2);
  ASSERT_EQ(DBWrite(h, 3, 3, -1, 2, "cc"), 2);
  ASSERT_EQ(DBWrite(h, 5, 4, -1, 2, "dd"), 2);
  DBChangeKeys(h, 3, 3, 6, 6);
  uint8_t buf[4];
  EXPECT_EQ(DBRead(h, 3, 3, 0, 4, buf), DB_EOF);
  EXPECT_EQ(DBRead(h, 6, 6, 1, 4, buf), 2);
  EXPECT_EQ(buf[0], 'c');
  // Record headers change at once.
  EXPECT_EQ(GetI16(ReadFileBytes(path), 500), 6);
  DBChangeKeys(h, DB_WILDCARD, 4, 8, 9);
  EXPECT_EQ(DBRead(h, 8, 9, 1, 4, buf), 2);
  EXPECT_EQ(buf[0], 'd');
  ASSERT_EQ(DBClose(h), DB_SUCCESS);
  EXPECT_BYTES(ReadFileBytes(path),
            BuildClosedFile({{6, 6, Text("aa")},
                             {8, 9, Text("bb")},
                             {6, 6, Text("cc")},
                             {8, 9, Text("dd")}}));
}

TEST_F(EngineTest, UserHeaderIsBytesZeroTo449Only) {
  const std::string path = Path("bin.pro");
  int16_t h = H(DBOpen(path.c_str()));
  ASSERT_GT(h, 0);
  ASSERT_EQ(DBWrite(h, 1, 1, -1, 3, "abc"), 3);
  const Bytes header = Pattern(104, 3);
  EXPECT_EQ(DBWriteBin(h, 0, 104, header.data()), 104);
  EXPECT_EQ(DBWriteBin(h, 440, 10, Fill(10, 'e').data()), 10);
  uint8_t buf[512];
  EXPECT_EQ(DBReadBin(h, 0, 104, buf), 104);
  EXPECT_EQ(Bytes(buf, buf + 104), header);
  EXPECT_EQ(DBReadBin(h, 440, 10, buf), 10);
  EXPECT_EQ(Bytes(buf, buf + 10), Fill(10, 'e'));

  // Ranges reaching beyond byte 449 move nothing.
  const Bytes before = ReadFileBytes(path);
  DBWriteBin(h, 441, 10, Fill(10, 'X').data());
  DBWriteBin(h, 0, 451, Fill(451, 'X').data());
  DBWriteBin(h, 488, 12, Fill(12, 'X').data());
  DBWriteBin(h, -1, 10, Fill(10, 'X').data());
  EXPECT_BYTES(ReadFileBytes(path), before);
  std::memset(buf, '#', sizeof buf);
  DBReadBin(h, 441, 10, buf);
  DBReadBin(h, 488, 4, buf);
  DBReadBin(h, 0, 500, buf);
  EXPECT_EQ(Bytes(buf, buf + 512), Fill(512, '#'));
  ASSERT_EQ(DBClose(h), DB_SUCCESS);
  Bytes user(450, 0);
  std::copy(header.begin(), header.end(), user.begin());
  std::fill(user.begin() + 440, user.end(), 'e');
  EXPECT_BYTES(ReadFileBytes(path), BuildClosedFile({{1, 1, Text("abc")}}, user));

  // The header is written straight to the file, also when nothing else
  // changed, and a read-only handle writes nothing.
  h = H(DBOpen(path.c_str()));
  ASSERT_GT(h, 0);
  EXPECT_EQ(DBWriteBin(h, 200, 3, "xyz"), 3);
  ASSERT_EQ(DBClose(h), DB_SUCCESS);
  user[200] = 'x';
  user[201] = 'y';
  user[202] = 'z';
  EXPECT_BYTES(ReadFileBytes(path), BuildClosedFile({{1, 1, Text("abc")}}, user));
  h = H(DBOpenReadOnly(path.c_str()));
  ASSERT_GT(h, 0);
  DBWriteBin(h, 0, 4, "RRRR");
  EXPECT_EQ(DBReadBin(h, 200, 3, buf), 3);
  EXPECT_EQ(Bytes(buf, buf + 3), Text("xyz"));
  ASSERT_EQ(DBClose(h), DB_SUCCESS);
  EXPECT_BYTES(ReadFileBytes(path), BuildClosedFile({{1, 1, Text("abc")}}, user));
}

TEST_F(EngineTest, HandlesThatAreNotOpenAnswerMinusOne) {
  uint8_t buf[64];
  char name[1024] = "untouched";
  int16_t k1 = 0, k2 = 0;
  const int16_t open = H(DBOpen(Path("one.pro").c_str()));
  ASSERT_EQ(open, 1);
  ASSERT_EQ(DBWrite(open, 1, 1, -1, 2, "ab"), 2);
  for (int16_t h : {int16_t{-1}, int16_t{0}, int16_t{2}, int16_t{9},
                    int16_t{10}, int16_t{11}, int16_t{100}, int16_t{-32768},
                    int16_t{32767}}) {
    SCOPED_TRACE(h);
    EXPECT_EQ(DBClose(h), DB_EOF);
    EXPECT_EQ(DBRead(h, 1, 1, 0, 2, buf), DB_EOF);
    EXPECT_EQ(DBReadFar(h, 1, 1, 0, 2, buf), DB_EOF);
    EXPECT_EQ(DBReadNext(h, buf), DB_EOF);
    EXPECT_EQ(DBReadRest(h, 2, buf), 0);
    EXPECT_EQ(DBWrite(h, 1, 1, -1, 2, "ab"), DB_EOF);
    EXPECT_EQ(DBWrite(h, 1, 1, 0, 2, "ab"), DB_EOF);
    EXPECT_EQ(DBWriteFar(h, 1, 1, 0, 2, "ab"), DB_EOF);
    EXPECT_EQ(DBWriteAdd(h, 1, 1, 0, 2, "ab"), DB_EOF);
    EXPECT_EQ(DBWriteAddFar(h, 1, 1, 0, 2, "ab"), DB_EOF);
    EXPECT_EQ(DBWriteNext(h, "ab"), DB_EOF);
    EXPECT_EQ(DBDel(h, 1, 1, 0), DB_EOF);
    EXPECT_EQ(DBDelFar(h, 1, 1, 0), DB_EOF);
    EXPECT_EQ(DBDelNext(h), DB_EOF);
    EXPECT_EQ(DBUnDel(h, 1, 1, 0), DB_EOF);
    EXPECT_EQ(DBUnDelFar(h, 1, 1, 0), DB_EOF);
    EXPECT_EQ(DBUnDelNext(h), DB_EOF);
    EXPECT_EQ(DB4_Read(h, 1, 1, 1, 1, 1, 10, buf), DB_EOF);
    EXPECT_EQ(DBGetFileName(name, h), 0);
    EXPECT_EQ(name[0], '\0');
    EXPECT_EQ(DBPush(h), DB_EOF);
    DBChangeKeys(h, 1, 1, 2, 2);
    DBReadBin(h, 0, 4, buf);
    DBWriteBin(h, 0, 4, "abcd");
  }
  // Nothing reached the open file.
  EXPECT_EQ(DBRead(open, 1, 1, 0, 64, buf), 2);
  EXPECT_EQ(DBGetNumRecord(open), 1u);
  EXPECT_EQ(DBGetKeys(&k1, &k2), 1);
  EXPECT_EQ(DBClose(open), DB_SUCCESS);
  EXPECT_EQ(DBClose(open), DB_EOF);
}

TEST_F(EngineTest, ReadOnlyHandleRefusesEveryChange) {
  const std::string path = Path("readonly.pro");
  MakeRecordFile(path, {{1, 1, Text("one")}, {2, 2, Text("two")}});
  const Bytes before = ReadFileBytes(path);
  const int16_t h = H(DBOpenReadOnly(path.c_str()));
  ASSERT_GT(h, 0);
  uint8_t buf[8];
  EXPECT_EQ(DBRead(h, 1, 1, 0, 8, buf), 3);
  EXPECT_EQ(DBWrite(h, 3, 3, -1, 3, "new"), DB_EOF);
  EXPECT_EQ(DBWrite(h, 1, 1, 0, 3, "NEW"), DB_EOF);
  EXPECT_EQ(DBWriteFar(h, 1, 1, 0, 3, "NEW"), DB_EOF);
  EXPECT_EQ(DBWriteAdd(h, 1, 1, 0, 3, "NEW"), DB_EOF);
  EXPECT_EQ(DBWriteAddFar(h, 5, 5, 0, 3, "NEW"), DB_EOF);
  ASSERT_EQ(DBRead(h, 1, 1, 0, 3, buf), 3);
  EXPECT_EQ(DBWriteNext(h, "NEW"), DB_EOF);
  EXPECT_EQ(DBDel(h, 1, 1, 0), DB_EOF);
  EXPECT_EQ(DBDelFar(h, 1, 1, 0), DB_EOF);
  EXPECT_EQ(DBDelNext(h), DB_EOF);
  EXPECT_EQ(DBUnDel(h, 1, 1, 0), DB_EOF);
  EXPECT_EQ(DBUnDelNext(h), DB_EOF);
  DBChangeKeys(h, 1, 1, 9, 9);
  DBWriteBin(h, 0, 3, "hdr");
  EXPECT_EQ(DBOverWrite(h, 4, 4, 3, "new"), 0);
  DBStartOverWrite(h, 2, 2);
  DBOverWrite(h, 2, 2, 3, "TWO");
  DBEndOverWrite();
  EXPECT_EQ(DBGetNumRecord(h), 2u);
  EXPECT_EQ(DBRead(h, 1, 1, 0, 8, buf), 3);
  EXPECT_EQ(DBRead(h, 2, 2, 0, 8, buf), 3);
  EXPECT_EQ(Bytes(buf, buf + 3), Text("two"));
  ASSERT_EQ(DBClose(h), DB_SUCCESS);
  EXPECT_BYTES(ReadFileBytes(path), before);
}

TEST_F(EngineTest, OpeningMissingFiles) {
  const std::string missing = Path("missing.pro");
  EXPECT_EQ(DBOpenReadOnly(missing.c_str()), DB_EOF);
  EXPECT_EQ(DBOpenExcl(missing.c_str()), DB_EOF);
  EXPECT_FALSE(FileExists(missing));
  // A missing folder on the way: nothing can be created.
  const std::string nowhere = JoinPath(Path("no-such-folder"), "x.pro");
  EXPECT_EQ(DBOpenReadOnly(nowhere.c_str()), DB_EOF);
  EXPECT_EQ(DBOpenExcl(nowhere.c_str()), DB_EOF);
  EXPECT_EQ(DBOpen(nowhere.c_str()), DB_OPENERR);
  EXPECT_FALSE(FileExists(nowhere));
  // DBOpen creates.
  EXPECT_EQ(DBOpen(missing.c_str()), 1);
  EXPECT_EQ(FileSize(missing), 508);
}

TEST_F(EngineTest, ExclusiveOpenWaitsForAWriteProtectedFileThenGivesUp) {
  const std::string path = Path("Protected.pro");
  MakeRecordFile(path, {{1, 1, Text("data")}});
  const Bytes before = ReadFileBytes(path);
  ASSERT_TRUE(SetWritable(path, false));
  InstalledFaults faults;
  EXPECT_EQ(DBOpenExcl(path.c_str()), -5);
  EXPECT_EQ(faults->slept_ms(), 4u * 3000u);
  // A plain open for writing is refused by the system at once.
  EXPECT_EQ(DBOpen(path.c_str()), -5);
  EXPECT_EQ(faults->slept_ms(), 4u * 3000u);
  // Reading is allowed.
  const int16_t h = H(DBOpenReadOnly(path.c_str()));
  ASSERT_GT(h, 0);
  uint8_t buf[8];
  EXPECT_EQ(DBRead(h, 1, 1, 0, 8, buf), 4);
  ASSERT_EQ(DBClose(h), DB_SUCCESS);
  ASSERT_TRUE(SetWritable(path, true));
  EXPECT_BYTES(ReadFileBytes(path), before);
  EXPECT_EQ(DBOpenExcl(path.c_str()), 1);
  EXPECT_EQ(faults->slept_ms(), 4u * 3000u);
}

TEST_F(EngineTest, ShareModesWithinOneProcess) {
  // Mixed case, so that a second open is not answered with -7.
  const std::string path = Path("Shared.pro");
  MakeRecordFile(path, {{1, 1, Text("data")}});
  InstalledFaults faults;
  const int16_t shared = H(DBOpen(path.c_str()));
  ASSERT_GT(shared, 0);
  EXPECT_EQ(DBOpenExcl(path.c_str()), -5);
  EXPECT_EQ(faults->slept_ms(), 0u);  // a sharing violation is not waited for
  const int16_t reader = H(DBOpenReadOnly(path.c_str()));
  EXPECT_GT(reader, 0);
  EXPECT_EQ(DBClose(reader), DB_SUCCESS);
  EXPECT_EQ(DBClose(shared), DB_SUCCESS);

  const int16_t excl = H(DBOpenExcl(path.c_str()));
  ASSERT_GT(excl, 0);
  EXPECT_EQ(DBOpen(path.c_str()), -5);
  EXPECT_EQ(DBOpenReadOnly(path.c_str()), -5);
  EXPECT_EQ(DBOpenExcl(path.c_str()), -5);
  EXPECT_EQ(DBClose(excl), DB_SUCCESS);
  EXPECT_GT(DBOpen(path.c_str()), 0);
}

TEST_F(EngineTest, FoundLastValuesArePerProcess) {
  const int16_t a = H(DBOpen(Path("a.pro").c_str()));
  const int16_t b = H(DBOpen(Path("b.pro").c_str()));
  ASSERT_GT(a, 0);
  ASSERT_GT(b, 0);
  ASSERT_EQ(DBWrite(a, 11, 12, -1, 1, "a"), 1);
  ASSERT_EQ(DBWrite(b, 21, 22, -1, 1, "b"), 1);
  uint8_t buf[4];
  int16_t k1 = 0, k2 = 0;
  ASSERT_EQ(DBRead(a, 11, 12, 0, 4, buf), 1);
  EXPECT_EQ(DBGetKeys(&k1, &k2), 12);
  EXPECT_EQ(k1, 11);
  ASSERT_EQ(DBRead(b, 21, 22, 0, 4, buf), 1);
  EXPECT_EQ(DBGetKeys(&k1, &k2), 22);
  EXPECT_EQ(k1, 21);
  // A failed search leaves them as they were.
  EXPECT_EQ(DBRead(a, 99, 99, 0, 4, buf), DB_EOF);
  EXPECT_EQ(DBGetKeys(&k1, &k2), 22);
  // The Next operation continues on its own handle.
  ASSERT_EQ(DBRead(a, DB_WILDCARD, DB_WILDCARD, 0, 4, buf), 1);
  ASSERT_EQ(DBRead(b, DB_WILDCARD, DB_WILDCARD, 0, 4, buf), 1);
  EXPECT_EQ(DBReadNext(a, buf), DB_EOF);
  EXPECT_EQ(DBGetKeys(&k1, &k2), 22);
}

TEST_F(EngineTest, IndexBeyondOneBlockOfEntries) {
  // More than 4096 records: the index spans several blocks.
  const std::string path = Path("many.pro");
  int16_t h = H(DBOpen(path.c_str()));
  ASSERT_GT(h, 0);
  std::vector<RecordImage> records;
  for (int i = 0; i < 9000; ++i) {
    uint8_t data[2] = {static_cast<uint8_t>(i), static_cast<uint8_t>(i >> 8)};
    const int16_t k1 = static_cast<int16_t>(i % 7 + 1);
    ASSERT_EQ(DBWrite(h, k1, 1, -1, 2, data), 2);
    records.push_back({k1, 1, Bytes(data, data + 2)});
  }
  ASSERT_EQ(DBClose(h), DB_SUCCESS);
  EXPECT_BYTES(ReadFileBytes(path), BuildClosedFile(records));
  h = H(DBOpen(path.c_str()));
  ASSERT_GT(h, 0);
  EXPECT_EQ(DBGetNumRecord(h), 9000u);
  uint8_t buf[2];
  EXPECT_EQ(DBRead(h, 3, 1, 1285, 2, buf), 2);  // record 2 + 7 * 1285
  EXPECT_EQ(buf[0] | (buf[1] << 8), 2 + 7 * 1285);
  EXPECT_EQ(DBRead(h, DB_WILDCARD, DB_WILDCARD, 8999, 2, buf), 2);
  EXPECT_EQ(buf[0] | (buf[1] << 8), 8999);
  ASSERT_EQ(DBDel(h, DB_WILDCARD, DB_WILDCARD, 4096), 2);
  records[4096].key1 = static_cast<int16_t>(-records[4096].key1);
  ASSERT_EQ(DBClose(h), DB_SUCCESS);
  EXPECT_BYTES(ReadFileBytes(path), BuildClosedFile(records));
}


// Collects the diagnostic log entries of the record store.
class CollectingLog : public zb::recordstore::LogSink {
 public:
  CollectingLog() { zb::recordstore::SetLogSink(this); }
  ~CollectingLog() override { zb::recordstore::SetLogSink(nullptr); }
  void Append(const std::string& text) override { entries.push_back(text); }
  std::vector<std::string> entries;
};

TEST_F(EngineTest, FailedCreationIsLoggedAsOneEntry) {
  CollectingLog log;
  const std::string path = JoinPath(Path("no-such-folder"), "new.pro");
  EXPECT_EQ(DBOpen(path.c_str()), DB_OPENERR);
  ASSERT_EQ(log.entries.size(), 1u);
  const std::string& entry = log.entries[0];
  const std::string head =
      "\n### ERROR on creating : " + path +
      "\n### DBOpen(.. O_BINARY | O_RDWR, SH_DENYNO) = ENOENT "
      "\n### _sopen(" + path + "," +
      "\n###         O_Attr = O_BINARY | O_CREAT | O_RDWR "
      "\n###         S_Attr = SH_DENYNO"
      "\n###         pmode  = S_IREAD | S_IWRITE"
      "\n###        ) = errno ";
  EXPECT_EQ(entry.substr(0, head.size()), head);
  // Then the error number, and the system's text on its own line.
  const size_t text_line = entry.find("\n### :", head.size());
  ASSERT_NE(text_line, std::string::npos) << entry;
  const std::string number = entry.substr(head.size(), text_line - head.size());
  EXPECT_FALSE(number.empty());
  EXPECT_EQ(number.find_first_not_of("0123456789"), std::string::npos) << entry;
  EXPECT_EQ(entry.substr(entry.size() - 2), " \n");
  // Opening files that exist writes nothing to the log.
  MakeRecordFile(Path("fine.pro"), {});
  EXPECT_EQ(log.entries.size(), 1u);
}

TEST_F(EngineTest, AppendThatCannotBeWrittenIsNotAdded) {
  const std::string path = Path("full.pro");
  MakeRecordFile(path, {{1, 1, Text("first")}});
  InstalledFaults faults;
  const int16_t h = H(DBOpen(path.c_str()));
  ASSERT_GT(h, 0);
  // The disk refuses the next write completely, then the one after that
  // takes only part of a record header.
  faults->SpoilWrite(1, zb::platform::FaultInjectingPlatform::Fault::kFail);
  EXPECT_EQ(DBWrite(h, 2, 2, -1, 6, "second"), 0);
  EXPECT_EQ(DBGetNumRecord(h), 1u);
  faults->SpoilWrite(1, zb::platform::FaultInjectingPlatform::Fault::kShorten, 3);
  EXPECT_EQ(DBWrite(h, 2, 2, -1, 6, "second"), 0);
  EXPECT_EQ(DBGetNumRecord(h), 1u);
  uint8_t buf[8];
  EXPECT_EQ(DBRead(h, 2, 2, 0, 8, buf), DB_EOF);
  // The next append takes the place the failed ones did not get.
  faults->SpoilWrite(0, zb::platform::FaultInjectingPlatform::Fault::kNone);
  EXPECT_EQ(DBWrite(h, 3, 3, -1, 5, "third"), 5);
  ASSERT_EQ(DBClose(h), DB_SUCCESS);
  EXPECT_BYTES(ReadFileBytes(path),
               BuildClosedFile({{1, 1, Text("first")}, {3, 3, Text("third")}}));
}

}  // namespace
}  // namespace zbtest

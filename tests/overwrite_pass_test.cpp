// Overwrite passes (saving a set of records again in the places of the
// old ones) and the handle stack (nested searches on one handle).
#include <gtest/gtest.h>

#include "support/record_fixture.h"

namespace zbtest {
namespace {

using OverwritePassTest = RecordStoreTest;
using HandleStackTest = RecordStoreTest;

int16_t H(int32_t h) { return static_cast<int16_t>(h); }

TEST_F(OverwritePassTest, EqualSizesReuseReleasedPlacesOthersAreAppended) {
  const std::string path = Path("pass.pro");
  const int16_t h = H(DBOpen(path.c_str()));
  ASSERT_GT(h, 0);
  const Bytes old1 = Pattern(100, 1), old2 = Pattern(200, 2),
              old3 = Pattern(100, 3), other = Pattern(100, 4);
  ASSERT_EQ(DBWrite(h, 50, 7, -1, 100, old1.data()), 100);
  ASSERT_EQ(DBWrite(h, 51, 7, -1, 100, other.data()), 100);
  ASSERT_EQ(DBWrite(h, 50, 7, -1, 200, old2.data()), 200);
  ASSERT_EQ(DBWrite(h, 50, 7, -1, 100, old3.data()), 100);

  // All three released; the search ran out at the end.
  EXPECT_EQ(DBStartOverWrite(h, 50, 7), DB_EOF);
  uint8_t buf[400];
  EXPECT_EQ(DBRead(h, 50, 7, 0, 400, buf), DB_EOF);
  const Bytes new1 = Pattern(100, 11), new2 = Pattern(100, 12),
              new3 = Pattern(300, 13);
  EXPECT_EQ(DBOverWrite(h, 50, 7, 100, new1.data()), 1);
  EXPECT_EQ(DBOverWrite(h, 50, 7, 100, new2.data()), 1);
  EXPECT_EQ(DBOverWrite(h, 50, 7, 300, new3.data()), 0);
  EXPECT_EQ(DBEndOverWrite(), 200u);
  EXPECT_EQ(DBGetNumRecord(h), 5u);

  // The records read back in record order: first place, third place, then
  // the appended one; the 200-byte record stays deleted.
  EXPECT_EQ(DBRead(h, 50, 7, 0, 400, buf), 100);
  EXPECT_EQ(Bytes(buf, buf + 100), new1);
  EXPECT_EQ(DBReadNext(h, buf), 100);
  EXPECT_EQ(Bytes(buf, buf + 100), new2);
  EXPECT_EQ(DBReadNext(h, buf), 300);
  EXPECT_EQ(Bytes(buf, buf + 300), new3);
  EXPECT_EQ(DBReadNext(h, buf), DB_EOF);
  ASSERT_EQ(DBClose(h), DB_SUCCESS);
  EXPECT_BYTES(ReadFileBytes(path), BuildClosedFile({{50, 7, new1},
                                                  {51, 7, other},
                                                  {-50, 7, old2},
                                                  {50, 7, new2},
                                                  {50, 7, new3}}));
  // Ending again: the list is empty and the figure is kept.
  EXPECT_EQ(DBEndOverWrite(), 200u);
}

TEST_F(OverwritePassTest, NewKeysMayTakeAReleasedPlace) {
  const std::string path = Path("rekey.pro");
  const int16_t h = H(DBOpen(path.c_str()));
  ASSERT_GT(h, 0);
  ASSERT_EQ(DBWrite(h, 1, 2, -1, 4, "aaaa"), 4);
  ASSERT_EQ(DBWrite(h, 1, 2, -1, 4, "bbbb"), 4);
  EXPECT_EQ(DBStartOverWrite(h, 1, 2), DB_EOF);
  EXPECT_EQ(DBOverWrite(h, 3, 3, 4, "cccc"), 1);
  EXPECT_EQ(DBOverWrite(h, 1, 2, 4, "dddd"), 1);
  EXPECT_EQ(DBOverWrite(h, 1, 2, 4, "eeee"), 0);
  EXPECT_EQ(DBEndOverWrite(), 0u);
  ASSERT_EQ(DBClose(h), DB_SUCCESS);
  EXPECT_BYTES(ReadFileBytes(path), BuildClosedFile({{3, 3, Text("cccc")},
                                                  {1, 2, Text("dddd")},
                                                  {1, 2, Text("eeee")}}));
}

TEST_F(OverwritePassTest, WithoutAPassTheRecordIsAppended) {
  const std::string path = Path("nopass.pro");
  const int16_t h = H(DBOpen(path.c_str()));
  ASSERT_GT(h, 0);
  ASSERT_EQ(DBWrite(h, 1, 1, -1, 3, "old"), 3);
  ASSERT_EQ(DBDel(h, 1, 1, 0), 3);
  EXPECT_EQ(DBOverWrite(h, 1, 1, 3, "new"), 0);
  EXPECT_EQ(DBGetNumRecord(h), 2u);
  EXPECT_EQ(DBEndOverWrite(), 0u);
  // After a pass has ended its places are gone too.
  ASSERT_EQ(DBWrite(h, 2, 2, -1, 3, "two"), 3);
  EXPECT_EQ(DBStartOverWrite(h, 2, 2), DB_EOF);
  EXPECT_EQ(DBEndOverWrite(), 3u);
  EXPECT_EQ(DBOverWrite(h, 2, 2, 3, "TWO"), 0);
  EXPECT_EQ(DBGetNumRecord(h), 4u);
  ASSERT_EQ(DBClose(h), DB_SUCCESS);
  EXPECT_BYTES(ReadFileBytes(path), BuildClosedFile({{-1, 1, Text("old")},
                                                  {1, 1, Text("new")},
                                                  {-2, 2, Text("two")},
                                                  {2, 2, Text("TWO")}}));
}

TEST_F(OverwritePassTest, PassStopsAtARecordThatCannotBeDeleted) {
  const int16_t h = H(DBOpen(Path("zero.pro").c_str()));
  ASSERT_GT(h, 0);
  ASSERT_EQ(DBWrite(h, 0, 5, -1, 6, "zero-a"), 6);
  ASSERT_EQ(DBWrite(h, 0, 5, -1, 6, "zero-b"), 6);
  // Key1 = 0: the first delete gives 0 and nothing is released.
  EXPECT_EQ(DBStartOverWrite(h, 0, 5), 0);
  EXPECT_EQ(DBOverWrite(h, 0, 5, 6, "zero-c"), 0);
  EXPECT_EQ(DBEndOverWrite(), 0u);
  uint8_t buf[8];
  EXPECT_EQ(DBRead(h, 0, 5, 0, 8, buf), 6);
  EXPECT_EQ(DBRead(h, 0, 5, 2, 8, buf), 6);
  EXPECT_EQ(DBGetNumRecord(h), 3u);
  // Nothing matching at all.
  EXPECT_EQ(DBStartOverWrite(h, 9, 9), DB_EOF);
  EXPECT_EQ(DBEndOverWrite(), 0u);
}

TEST_F(OverwritePassTest, ReleasedPlacesAreTakenInOrderAndOnlyOnce) {
  const std::string path = Path("order.pro");
  const int16_t h = H(DBOpen(path.c_str()));
  ASSERT_GT(h, 0);
  for (const char* s : {"aa", "bbb", "cc", "ddd", "ee"})
    ASSERT_EQ(DBWrite(h, 8, 8, -1, static_cast<int16_t>(std::string(s).size()),
                      s),
              static_cast<int32_t>(std::string(s).size()));
  EXPECT_EQ(DBStartOverWrite(h, 8, 8), DB_EOF);
  EXPECT_EQ(DBOverWrite(h, 8, 8, 3, "XXX"), 1);  // place of "bbb"
  EXPECT_EQ(DBOverWrite(h, 8, 8, 2, "YY"), 1);   // "aa"
  EXPECT_EQ(DBOverWrite(h, 8, 8, 2, "ZZ"), 1);   // "cc"
  EXPECT_EQ(DBOverWrite(h, 8, 8, 3, "WWW"), 1);  // "ddd"
  EXPECT_EQ(DBOverWrite(h, 8, 8, 3, "VVV"), 0);  // appended
  EXPECT_EQ(DBOverWrite(h, 8, 8, 1, "U"), 0);    // appended
  EXPECT_EQ(DBEndOverWrite(), 2u);               // "ee" left
  ASSERT_EQ(DBClose(h), DB_SUCCESS);
  EXPECT_BYTES(ReadFileBytes(path), BuildClosedFile({{8, 8, Text("YY")},
                                                  {8, 8, Text("XXX")},
                                                  {8, 8, Text("ZZ")},
                                                  {8, 8, Text("WWW")},
                                                  {-8, 8, Text("ee")},
                                                  {8, 8, Text("VVV")},
                                                  {8, 8, Text("U")}}));
}

TEST_F(HandleStackTest, NestedSearchOnTheSameHandle) {
  const int16_t h = H(DBOpen(Path("stack.pro").c_str()));
  ASSERT_GT(h, 0);
  const Bytes long_record = Pattern(100, 5);
  ASSERT_EQ(DBWrite(h, 1, 1, -1, 100, long_record.data()), 100);
  ASSERT_EQ(DBWrite(h, 2, 2, -1, 1, "x"), 1);
  ASSERT_EQ(DBWrite(h, 1, 1, -1, 1, "b"), 1);
  ASSERT_EQ(DBWrite(h, 2, 2, -1, 1, "y"), 1);
  ASSERT_EQ(DBWrite(h, 1, 1, -1, 1, "c"), 1);
  uint8_t buf[128];

  ASSERT_EQ(DBRead(h, 1, 1, 0, 40, buf), 40);
  EXPECT_EQ(DBPush(h), DB_SUCCESS);
  // The nested search.
  ASSERT_EQ(DBRead(h, 2, 2, 0, 10, buf), 1);
  EXPECT_EQ(buf[0], 'x');
  EXPECT_EQ(DBPush(h), DB_SUCCESS);
  ASSERT_EQ(DBRead(h, DB_WILDCARD, DB_WILDCARD, 4, 10, buf), 1);
  EXPECT_EQ(DBReadNext(h, buf), DB_EOF);
  EXPECT_GT(DBPop(h), 0);
  EXPECT_EQ(DBReadNext(h, buf), 1);
  EXPECT_EQ(buf[0], 'y');
  EXPECT_GT(DBPop(h), 0);
  // Back where it was: the unread rest of the first record, then the next
  // record with its keys and size.
  EXPECT_EQ(DBReadRest(h, 100, buf), 60);
  EXPECT_EQ(Bytes(buf, buf + 60),
            Bytes(long_record.begin() + 40, long_record.end()));
  EXPECT_EQ(DBReadNext(h, buf), 1);
  EXPECT_EQ(buf[0], 'b');
  // An empty stack changes nothing.
  DBPop(h);
  EXPECT_EQ(DBReadNext(h, buf), 1);
  EXPECT_EQ(buf[0], 'c');
  EXPECT_EQ(DBReadNext(h, buf), DB_EOF);
}

TEST_F(HandleStackTest, DeepNestingRestoresEveryLevel) {
  const int16_t a = H(DBOpen(Path("a.pro").c_str()));
  ASSERT_GT(a, 0);
  for (int i = 0; i < 30; ++i) {
    const uint8_t v = static_cast<uint8_t>(i);
    ASSERT_EQ(DBWrite(a, 1, 1, -1, 1, &v), 1);
  }
  uint8_t buf[4];
  // Twenty-five nested levels (more than the stack's first room), each one
  // record further.
  ASSERT_EQ(DBRead(a, 1, 1, 0, 4, buf), 1);
  for (int level = 0; level < 25; ++level) {
    ASSERT_EQ(DBPush(a), DB_SUCCESS);
    ASSERT_EQ(DBReadNext(a, buf), 1);
    ASSERT_EQ(buf[0], level + 1);
  }
  // A pop into a handle that is not open leaves the stack alone.
  EXPECT_EQ(DBPop(9), DB_EOF);
  for (int level = 24; level >= 0; --level) {
    ASSERT_GT(DBPop(a), 0);
    ASSERT_EQ(DBReadNext(a, buf), 1);
    ASSERT_EQ(buf[0], level + 1) << level;
  }
  EXPECT_EQ(DBPop(a), 0);
}

}  // namespace
}  // namespace zbtest

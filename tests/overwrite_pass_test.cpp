// Overwrite passes (a set of records saved again in the places of the old
// ones) and the handle stack (nested searches on one handle).
#include <gtest/gtest.h>

#include "support/record_fixture.h"

namespace zbtest {
namespace {

using OverwritePassTest = RecordStoreTest;
using HandleStackTest = RecordStoreTest;

TEST_F(OverwritePassTest, SizesOneHundredTwoHundredOneHundred) {
  const std::string path = Path("pass.pro");
  const int16_t h = Open(path);
  const Bytes old2 = Pattern(200, 2), other = Pattern(100, 4);
  ASSERT_EQ(DBWrite(h, 50, 7, -1, 100, Pattern(100, 1).data()), 100);
  ASSERT_EQ(DBWrite(h, 51, 7, -1, 100, other.data()), 100);
  ASSERT_EQ(DBWrite(h, 50, 7, -1, 200, old2.data()), 200);
  ASSERT_EQ(DBWrite(h, 50, 7, -1, 100, Pattern(100, 3).data()), 100);
  EXPECT_EQ(DBStartOverWrite(h, 50, 7), DB_EOF);  // the search ran out
  const Bytes new1 = Pattern(100, 11), new2 = Pattern(100, 12),
              new3 = Pattern(300, 13);
  EXPECT_EQ(DBOverWrite(h, 50, 7, 100, new1.data()), 1);
  EXPECT_EQ(DBOverWrite(h, 50, 7, 100, new2.data()), 1);
  EXPECT_EQ(DBOverWrite(h, 50, 7, 300, new3.data()), 0);
  EXPECT_EQ(DBEndOverWrite(), 200u);
  EXPECT_EQ(DBGetNumRecord(h), 5u);
  ASSERT_EQ(DBClose(h), DB_SUCCESS);
  EXPECT_BYTES(ReadFileBytes(path),
               BuildClosedFile({{50, 7, new1}, {51, 7, other}, {-50, 7, old2},
                                {50, 7, new2}, {50, 7, new3}}));
  EXPECT_EQ(DBEndOverWrite(), 200u);  // ending again keeps the figure
}

TEST_F(OverwritePassTest, PlacesAreTakenOnceInOrderUnderAnyKeys) {
  const std::string path = Path("order.pro");
  const int16_t h = Open(path);
  EXPECT_EQ(DBOverWrite(h, 8, 8, 2, "no"), 0);  // no pass: appended
  ASSERT_EQ(DBDel(h, 8, 8, 0), 2);
  for (const std::string s : {"aa", "bbb", "cc", "ddd", "ee"})
    ASSERT_EQ(DBWrite(h, 8, 8, -1, int16_t(s.size()), s.data()), int(s.size()));
  EXPECT_EQ(DBStartOverWrite(h, 8, 8), DB_EOF);
  EXPECT_EQ(DBOverWrite(h, 8, 8, 3, "XXX"), 1);  // the place of "bbb"
  EXPECT_EQ(DBOverWrite(h, 3, 3, 2, "YY"), 1);   // "aa", under new keys
  EXPECT_EQ(DBOverWrite(h, 8, 8, 2, "ZZ"), 1);   // "cc"
  EXPECT_EQ(DBOverWrite(h, 8, 8, 3, "WWW"), 1);  // "ddd"
  EXPECT_EQ(DBOverWrite(h, 8, 8, 3, "VVV"), 0);  // appended
  EXPECT_EQ(DBEndOverWrite(), 2u);               // "ee" left
  EXPECT_EQ(DBOverWrite(h, 8, 8, 2, "UU"), 0);   // the pass has ended
  ASSERT_EQ(DBClose(h), DB_SUCCESS);
  EXPECT_BYTES(ReadFileBytes(path),
               BuildClosedFile({{-8, 8, Text("no")}, {3, 3, Text("YY")},
                                {8, 8, Text("XXX")}, {8, 8, Text("ZZ")},
                                {8, 8, Text("WWW")}, {-8, 8, Text("ee")},
                                {8, 8, Text("VVV")}, {8, 8, Text("UU")}}));
  // A pass stops at a record that cannot be deleted (Key1 = 0).
  const int16_t z = Open(Path("zero.pro"));
  ASSERT_EQ(DBWrite(z, 0, 5, -1, 2, "z1"), 2);
  EXPECT_EQ(DBStartOverWrite(z, 0, 5), 0);
  EXPECT_EQ(DBOverWrite(z, 0, 5, 2, "z2"), 0);
  EXPECT_EQ(DBEndOverWrite(), 0u);
  EXPECT_EQ(DBGetNumRecord(z), 2u);
}

TEST_F(HandleStackTest, NestedSearchesRestoreEveryLevel) {
  const int16_t h = Open(Path("stack.pro"));
  const Bytes first = Pattern(100, 5);
  ASSERT_EQ(DBWrite(h, 2, 2, -1, 100, first.data()), 100);
  for (int i = 0; i < 30; ++i) {
    const uint8_t v = uint8_t(i);
    ASSERT_EQ(DBWrite(h, 1, 1, -1, 1, &v), 1);
  }
  ASSERT_EQ(DBWrite(h, 2, 2, -1, 100, first.data()), 100);
  uint8_t buf[128];
  ASSERT_EQ(DBRead(h, 2, 2, 0, 40, buf), 40);
  ASSERT_EQ(DBPush(h), DB_SUCCESS);
  ASSERT_EQ(DBRead(h, 1, 1, 0, 4, buf), 1);  // 25 levels, each one further
  for (int level = 0; level < 25; ++level) {
    ASSERT_EQ(DBPush(h), DB_SUCCESS);
    ASSERT_EQ(DBReadNext(h, buf), 1);
    ASSERT_EQ(buf[0], level + 1);
  }
  EXPECT_EQ(DBPop(9), DB_EOF);  // a handle not open leaves the stack alone
  for (int level = 24; level >= 0; --level) {
    ASSERT_GT(DBPop(h), 0);
    ASSERT_EQ(DBReadNext(h, buf), 1);
    ASSERT_EQ(buf[0], level + 1) << level;
  }
  // The outer search: the unread rest of its record, then its keys and size.
  ASSERT_GT(DBPop(h), 0);
  EXPECT_EQ(DBReadRest(h, 100, buf), 60);
  EXPECT_EQ(Bytes(buf, buf + 60), Bytes(first.begin() + 40, first.end()));
  EXPECT_EQ(DBReadNext(h, buf), 40);
  EXPECT_EQ(DBPop(h), 0);  // an empty stack changes nothing
  EXPECT_EQ(DBReadNext(h, buf), DB_EOF);
}

}  // namespace
}  // namespace zbtest

// Bad input from callers never crashes the library nor reaches a file:
// handles that are not open, null pointers, huge occurrences, sizes and
// ranges out of bounds, folders given as files, overlong paths.
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>

#include "recordstore/compaction.h"
#include "recordstore/listing.h"
#include "support/record_fixture.h"

namespace zbtest {
namespace {

using BadInputTest = RecordStoreTest;

TEST_F(BadInputTest, HandlesThatAreNotOpenAnswerMinusOne) {
  uint8_t buf[64];
  char name[1024];
  const int16_t open = Open(Path("one.pro"));
  ASSERT_EQ(DBWrite(open, 1, 1, -1, 2, "ab"), 2);
  const Bytes before = ReadFileBytes(Path("one.pro"));
  for (int16_t h : {-1, 0, 2, 9, 10, 11, 100, -32768, 32767}) {
    int call = 0;  // the results in the order of the calls
    for (int32_t result :
         {DBRead(h, 1, 1, 0, 2, buf), DBReadFar(h, 1, 1, 0, 2, buf),
          DBReadNext(h, buf), DB4_Read(h, 1, 1, 1, 1, 1, 10, buf),
          DBWrite(h, 1, 1, -1, 2, "ab"), DBWrite(h, 1, 1, 0, 2, "ab"),
          DBWriteFar(h, 1, 1, 0, 2, "ab"), DBWriteAdd(h, 1, 1, 0, 2, "ab"),
          DBWriteAddFar(h, 1, 1, 0, 2, "ab"), DBWriteNext(h, "ab"),
          DBDel(h, 1, 1, 0), DBDelFar(h, 1, 1, 0), DBDelNext(h),
          DBUnDel(h, 1, 1, 0), DBUnDelFar(h, 1, 1, 0), DBUnDelNext(h),
          DBPush(h), DBClose(h)})
      EXPECT_EQ(result, DB_EOF) << "handle " << h << ", call " << call++;
    for (int32_t zero :
         {DBReadRest(h, 2, buf), DBGetFileName(name, h), int32_t(name[0])})
      EXPECT_EQ(zero, 0) << "handle " << h;
    DBChangeKeys(h, 1, 1, 2, 2);
    DBReadBin(h, 0, 4, buf);
    DBWriteBin(h, 0, 4, "abcd");
    EXPECT_EQ(
        zb::recordstore::ListRecordsToFile(lib().engine(), h, Path("list.txt")),
        0u);
  }
  EXPECT_EQ(DBGetNumRecord(open), 1u);
  EXPECT_BYTES(ReadFileBytes(Path("one.pro")), before);
}

TEST_F(BadInputTest, NullPointersHugeNumbersAndRangesOutOfBounds) {
  EXPECT_LT(DBOpen(nullptr), 0);
  EXPECT_LT(DBOpenReadOnly(nullptr), 0);
  EXPECT_LT(DBOpenExcl(nullptr), 0);
  EXPECT_LT(DBOpen(""), 0);
  EXPECT_EQ(DBGetFileHnd(nullptr), -1);
  const std::string path = Path("huge.pro");
  const int16_t h = Open(path);
  for (int i = 0; i < 5; ++i)
    ASSERT_EQ(DBWrite(h, 1, 1, -1, 10, "0123456789"), 10);

  // Reads into nothing deliver nothing; the writes of nothing must not crash.
  EXPECT_LE(DBRead(h, 1, 1, 0, 10, nullptr), 10);
  EXPECT_LE(DBReadNext(h, nullptr), 10);
  EXPECT_LE(DBReadRest(h, 10, nullptr), 10);
  EXPECT_LE(DB4_Read(h, 1, 1, 0x3130, 0x3332, 1, 10, nullptr), 10);
  EXPECT_EQ(DBGetKeys(nullptr, nullptr), 1);
  for (int32_t ignored :
       {DBGetFileName(nullptr, h), DBReadBin(h, 0, 10, nullptr),
        DBWriteBin(h, 0, 10, nullptr), DBWrite(h, 2, 2, -1, 10, nullptr),
        DBWrite(h, 1, 1, 0, 10, nullptr), DBWriteAdd(h, 3, 3, 0, 10, nullptr),
        DBWriteNext(h, nullptr), DBOverWrite(h, 4, 4, 10, nullptr),
        DBStartOverWrite(h, 2, 2), DBOverWrite(h, 2, 2, 10, nullptr),
        int32_t(DBEndOverWrite()), DBReadPOSINFO(h, 1, 1, 0, nullptr),
        DBWritePOSINFO(h, 5, 5, -1, nullptr),
        DBReadBUILDINFO(h, 1, 1, 0, nullptr),
        DBWriteBUILDINFO(h, 5, 6, -1, nullptr),
        DBReadPROINFO(h, 1, 1, 0, nullptr),
        DBWritePROINFO(h, 5, 7, -1, nullptr),
        DBReadPROPOS(h, 1, 1, 0, nullptr), DBWritePROPOS(h, 5, 8, -1, nullptr),
        DBReadZBPROPOS(h, 1, 1, 0, nullptr),
        DBWriteZBPROPOS(h, 5, 9, -1, nullptr),
        DBReadDATDESC(h, 1, 1, 0, nullptr),
        DBWriteDATDESC(h, 5, 10, -1, nullptr),
        DBReadPOINT3D(h, 1, 1, 0, nullptr),
        DBWritePOINT3D(h, 5, 11, -1, nullptr),
        DBReadWORLD3D(h, 1, 1, 0, nullptr),
        DBWriteWORLD3D(h, 5, 12, -1, nullptr), ZeroTerminate(nullptr, 10),
        ZeroTerminatePos(nullptr), ZeroTerminatePro(nullptr),
        ZeroTerminateProPos(nullptr), ZeroTerminateZBProPos(nullptr)})
    (void)ignored;
  ASSERT_EQ(DBClose(h), DB_SUCCESS);

  const Bytes before = ReadFileBytes(path);
  const int16_t g = Open(path);  // still a sound record file
  uint8_t buf[512];
  EXPECT_EQ(DBRead(g, 1, 1, INT_MIN, 16, buf), 10);  // counts as the first
  std::memset(buf, '#', sizeof buf);
  EXPECT_EQ(DBRead(g, 1, 1, INT_MAX, 10, buf), DB_EOF);
  EXPECT_EQ(DBReadFar(g, 1, 1, 0xFFFFFFFFu, 10, buf), DB_EOF);
  EXPECT_EQ(DBWrite(g, 1, 1, INT_MAX, 10, buf), DB_EOF);
  EXPECT_EQ(DBWriteFar(g, 1, 1, 0xFFFFFFFFu, 10, buf), DB_EOF);
  EXPECT_EQ(DBWriteAdd(g, 1, 1, INT_MIN, 10, buf), DB_EOF);
  EXPECT_EQ(DBDel(g, 1, 1, INT_MAX), DB_EOF);
  EXPECT_EQ(DBDel(g, 1, 1, INT_MIN), DB_EOF);
  EXPECT_EQ(DBDelFar(g, 1, 1, 0xFFFFFFFFu), DB_EOF);
  EXPECT_EQ(DBUnDelFar(g, 1, 1, 0xFFFFFFFFu), DB_EOF);
  EXPECT_EQ(DB4_Read(g, 1, 1, 0x3130, 0x3332, INT_MAX, 10, buf), DB_EOF);
  // Negative sizes deliver and take nothing; the user header ends at 449.
  EXPECT_LE(DBRead(g, 1, 1, 0, -1, buf), 0);
  EXPECT_LE(DBRead(g, 1, 1, 0, -32768, buf), 0);
  EXPECT_EQ(DBReadRest(g, -5, buf), 0);
  EXPECT_LE(DB4_Read(g, 1, 1, 0x3130, 0x3332, 1, -10, buf), 10);
  EXPECT_LE(DB4_Read(g, 1, 1, 0x3130, 0x3332, 1, -32768, buf), 10);
  EXPECT_EQ(DBWrite(g, 1, 1, 0, -1, buf), DB_RECLEN_OVERFLOW);
  EXPECT_EQ(DBOverWrite(g, 1, 1, -1, buf), 0);
  const Bytes junk(600, 'X');
  for (auto [offset, length] : {std::pair{0, -1}, {INT_MAX, 10}, {10, INT_MAX},
                                {INT_MIN, 10}, {-1, 10}, {441, 10}, {0, 451},
                                {488, 12}, {0, 500}}) {
    DBReadBin(g, offset, length, buf);
    DBWriteBin(g, offset, length, junk.data());
  }
  ZeroTerminate(reinterpret_cast<char*>(buf), 0);
  ZeroTerminate(reinterpret_cast<char*>(buf), -5);
  EXPECT_EQ(Bytes(buf, buf + 512), Bytes(512, '#'));
  ASSERT_EQ(DBClose(g), DB_SUCCESS);
  EXPECT_BYTES(ReadFileBytes(path), before);
}

TEST_F(BadInputTest, FoldersAndOverlongPaths) {
  const std::string folder = Path("folder.pro");
  ASSERT_TRUE(MakeFolder(folder));
  EXPECT_EQ(DBOpen(folder.c_str()), DB_ACCESS_DENIED);
  EXPECT_LT(DBOpenReadOnly(folder.c_str()), 0);
  EXPECT_LT(DBOpenExcl(folder.c_str()), 0);
  EXPECT_EQ(OpenData(folder.c_str()), 0u);
  EXPECT_LT(zb::recordstore::CompactRecordFile(lib().engine(), folder), 0);
  EXPECT_LT(DBOpen(dir_.path().c_str()), 0);
  EXPECT_FALSE(FileExists(JoinPath(folder, "COMPRESS.TMP")));

  // Long but valid folders, then a name far beyond any limit whose first
  // 1023 characters alone would name a file that could be created.
  std::string deep = dir_.path();
  bool made = true;
  for (char c : {'a', 'b', 'c', 'd'})
    made = MakeFolder(deep = JoinPath(deep, std::string(200, c))) && made;
  std::string path = JoinPath(deep, "");
  path += std::string(2000 - path.size(), 'f');
  auto names = [&deep]() {
    std::vector<std::string> out;
    std::error_code ec;
    for (auto it = std::filesystem::directory_iterator(deep, ec);
         !ec && it != std::filesystem::directory_iterator(); it.increment(ec))
      out.push_back(it->path().filename().string().substr(0, 40));
    return out;
  };
  // Where the system cannot handle such folders, only the results count.
  made = made && WriteText(JoinPath(deep, "marker"), "x") &&
         names() == std::vector<std::string>{"marker"};
  const int32_t h = DBOpen(path.c_str());
  EXPECT_LT(h, 0) << "a path no system accepts was opened";
  if (h > 0) DBClose(H(h));
  EXPECT_LT(DBOpenReadOnly(path.c_str()), 0);
  EXPECT_LT(DBOpenExcl(path.c_str()), 0);
  EXPECT_EQ(DBGetFileHnd(path.c_str()), -1);
  EXPECT_EQ(OpenData(path.c_str()), 0u);
  if (made) {
    EXPECT_EQ(names(), std::vector<std::string>{"marker"});
  }
  // Every slot is still free.
  for (int i = 1; i <= 9; ++i)
    EXPECT_EQ(DBOpen(Path("f" + std::to_string(i) + ".pro").c_str()), i);
  EXPECT_EQ(zb::recordstore::ListRecordsToFile(lib().engine(), 1, folder), 0u);
}

}  // namespace
}  // namespace zbtest

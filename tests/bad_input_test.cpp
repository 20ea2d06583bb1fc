// Bad input from callers never crashes the library: null pointers, huge
// occurrence numbers, negative sizes, folders given as files, and paths far
// longer than any system accepts.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <filesystem>

#include "recordstore/compaction.h"
#include "recordstore/listing.h"
#include "support/record_fixture.h"

namespace zbtest {
namespace {

using BadInputTest = RecordStoreTest;

int16_t H(int32_t h) { return static_cast<int16_t>(h); }

TEST_F(BadInputTest, NullPointers) {
  EXPECT_LT(DBOpen(nullptr), 0);
  EXPECT_LT(DBOpenReadOnly(nullptr), 0);
  EXPECT_LT(DBOpenExcl(nullptr), 0);
  EXPECT_LT(DBOpen(""), 0);
  EXPECT_EQ(DBGetFileHnd(nullptr), -1);

  const std::string path = Path("null.pro");
  const int16_t h = H(DBOpen(path.c_str()));
  ASSERT_GT(h, 0);
  ASSERT_EQ(DBWrite(h, 1, 1, -1, 10, "0123456789"), 10);
  // Reads into nothing deliver nothing.
  EXPECT_LE(DBRead(h, 1, 1, 0, 10, nullptr), 10);
  EXPECT_LE(DBReadNext(h, nullptr), 10);
  EXPECT_LE(DBRead(h, 1, 1, 0, 4, nullptr), 4);
  EXPECT_LE(DBReadRest(h, 10, nullptr), 10);
  EXPECT_LE(DB4_Read(h, 1, 1, 0x3130, 0x3332, 1, 10, nullptr), 10);
  EXPECT_EQ(DBGetKeys(nullptr, nullptr), 1);
  DBGetFileName(nullptr, h);
  DBReadBin(h, 0, 10, nullptr);
  DBWriteBin(h, 0, 10, nullptr);
  // Writes of nothing.
  DBWrite(h, 2, 2, -1, 10, nullptr);
  DBWrite(h, 1, 1, 0, 10, nullptr);
  DBWriteAdd(h, 3, 3, 0, 10, nullptr);
  DBWriteNext(h, nullptr);
  DBOverWrite(h, 4, 4, 10, nullptr);
  DBStartOverWrite(h, 2, 2);
  DBOverWrite(h, 2, 2, 10, nullptr);
  DBEndOverWrite();
  // Typed records.
  DBReadPOSINFO(h, 1, 1, 0, nullptr);
  DBWritePOSINFO(h, 5, 5, -1, nullptr);
  DBReadBUILDINFO(h, 1, 1, 0, nullptr);
  DBWriteBUILDINFO(h, 5, 6, -1, nullptr);
  DBReadPROINFO(h, 1, 1, 0, nullptr);
  DBWritePROINFO(h, 5, 7, -1, nullptr);
  DBReadPROPOS(h, 1, 1, 0, nullptr);
  DBWritePROPOS(h, 5, 8, -1, nullptr);
  DBReadZBPROPOS(h, 1, 1, 0, nullptr);
  DBWriteZBPROPOS(h, 5, 9, -1, nullptr);
  DBReadDATDESC(h, 1, 1, 0, nullptr);
  DBWriteDATDESC(h, 5, 10, -1, nullptr);
  DBReadPOINT3D(h, 1, 1, 0, nullptr);
  DBWritePOINT3D(h, 5, 11, -1, nullptr);
  DBReadWORLD3D(h, 1, 1, 0, nullptr);
  DBWriteWORLD3D(h, 5, 12, -1, nullptr);
  ZeroTerminate(nullptr, 10);
  ZeroTerminatePos(nullptr);
  ZeroTerminatePro(nullptr);
  ZeroTerminateProPos(nullptr);
  ZeroTerminateZBProPos(nullptr);
  // The file is still a sound record file.
  ASSERT_EQ(DBClose(h), DB_SUCCESS);
  const int16_t again = H(DBOpen(path.c_str()));
  ASSERT_GT(again, 0);
  uint8_t buf[16];
  EXPECT_EQ(DBRead(again, 1, 1, 0, 16, buf), 10);
  ASSERT_EQ(DBClose(again), DB_SUCCESS);

  // The data channel.
  EXPECT_EQ(OpenData(nullptr), 0u);
  const uint32_t s = OpenData(Path("null.bin").c_str());
  ASSERT_NE(s, 0u);
  EXPECT_EQ(PutData(nullptr, 1, 10, s), 0);
  EXPECT_EQ(GetData(nullptr, 1, 10, s), 0);
  EXPECT_EQ(CloseData(s), 1);
  FlushData(8, nullptr);
}

TEST_F(BadInputTest, HugeOccurrencesAndNegativeSizes) {
  const std::string path = Path("huge.pro");
  const int16_t h = H(DBOpen(path.c_str()));
  ASSERT_GT(h, 0);
  for (int i = 0; i < 5; ++i) ASSERT_EQ(DBWrite(h, 1, 1, -1, 10, "0123456789"), 10);
  uint8_t buf[64];
  std::memset(buf, '#', sizeof buf);
  EXPECT_EQ(DBRead(h, 1, 1, INT_MAX, 10, buf), DB_EOF);
  EXPECT_EQ(DBRead(h, 1, 1, INT_MIN, 10, buf), 10);  // counts as the first
  EXPECT_EQ(DBReadFar(h, 1, 1, 0xFFFFFFFFu, 10, buf), DB_EOF);
  EXPECT_EQ(DBWrite(h, 1, 1, INT_MAX, 10, buf), DB_EOF);
  EXPECT_EQ(DBWriteFar(h, 1, 1, 0xFFFFFFFFu, 10, buf), DB_EOF);
  EXPECT_EQ(DBDel(h, 1, 1, INT_MAX), DB_EOF);
  EXPECT_EQ(DBDel(h, 1, 1, INT_MIN), DB_EOF);
  EXPECT_EQ(DBDelFar(h, 1, 1, 0xFFFFFFFFu), DB_EOF);
  EXPECT_EQ(DBUnDelFar(h, 1, 1, 0xFFFFFFFFu), DB_EOF);
  EXPECT_EQ(DB4_Read(h, 1, 1, 0x3130, 0x3332, INT_MAX, 10, buf), DB_EOF);
  EXPECT_EQ(DBWriteAdd(h, 1, 1, INT_MIN, 10, buf), DB_EOF);
  EXPECT_EQ(DBGetNumRecord(h), 5u);

  // Negative sizes: nothing is delivered into or taken from the buffer.
  std::memset(buf, '#', sizeof buf);
  EXPECT_LE(DBRead(h, 1, 1, 0, -1, buf), 0);
  EXPECT_LE(DBRead(h, 1, 1, 0, -32768, buf), 0);
  EXPECT_EQ(DBReadRest(h, -5, buf), 0);
  EXPECT_LE(DB4_Read(h, 1, 1, 0x3130, 0x3332, 1, -10, buf), 10);
  EXPECT_LE(DB4_Read(h, 1, 1, 0x3130, 0x3332, 1, -32768, buf), 10);
  EXPECT_EQ(Bytes(buf, buf + 64), Bytes(64, '#'));
  EXPECT_EQ(DBWrite(h, 1, 1, -1, -1, buf), DB_RECLEN_OVERFLOW);
  EXPECT_EQ(DBWrite(h, 1, 1, 0, -1, buf), DB_RECLEN_OVERFLOW);
  EXPECT_EQ(DBOverWrite(h, 1, 1, -1, buf), 0);
  DBReadBin(h, 0, -1, buf);
  DBReadBin(h, INT_MAX, 10, buf);
  DBReadBin(h, 10, INT_MAX, buf);
  DBWriteBin(h, 0, -1, buf);
  DBWriteBin(h, INT_MAX, 10, buf);
  DBWriteBin(h, 10, INT_MAX, buf);
  DBWriteBin(h, INT_MIN, 10, buf);
  EXPECT_EQ(Bytes(buf, buf + 64), Bytes(64, '#'));
  ZeroTerminate(reinterpret_cast<char*>(buf), 0);
  ZeroTerminate(reinterpret_cast<char*>(buf), -5);
  EXPECT_EQ(Bytes(buf, buf + 64), Bytes(64, '#'));
  ASSERT_EQ(DBClose(h), DB_SUCCESS);
  std::vector<RecordImage> records(5, {1, 1, Text("0123456789")});
  EXPECT_BYTES(ReadFileBytes(path), BuildClosedFile(records));

  // The data channel with sizes and counts out of range.
  const uint32_t s = OpenData(Path("sizes.bin").c_str());
  ASSERT_NE(s, 0u);
  EXPECT_EQ(GetData(buf, -1, 10, s), 0);
  EXPECT_EQ(GetData(buf, 10, -1, s), 0);
  EXPECT_EQ(GetData(buf, 1, INT_MAX, s), 0);  // the file is empty
  EXPECT_EQ(PutData(buf, -1, 10, s), 0);
  EXPECT_EQ(PutData(buf, 10, -1, s), 0);
  EXPECT_EQ(SetPosData(-1, s), 0);
  EXPECT_EQ(GetPosData(s), 1);
  FlushData(-1, buf);
  FlushData(0, buf);
  EXPECT_EQ(Bytes(buf, buf + 64), Bytes(64, '#'));
  EXPECT_EQ(CloseData(s), 1);
  EXPECT_EQ(FileSize(Path("sizes.bin")), 0);
}

TEST_F(BadInputTest, FolderGivenAsARecordFile) {
  const std::string folder = Path("folder.pro");
  ASSERT_TRUE(MakeFolder(folder));
  EXPECT_EQ(DBOpen(folder.c_str()), -5);
  EXPECT_LT(DBOpenReadOnly(folder.c_str()), 0);
  EXPECT_LT(DBOpenExcl(folder.c_str()), 0);
  EXPECT_EQ(OpenData(folder.c_str()), 0u);
  EXPECT_LT(zb::recordstore::CompactRecordFile(folder), 0);
  EXPECT_LT(DBOpen(dir_.path().c_str()), 0);
  // Nothing was created inside, and every slot is still free.
  EXPECT_FALSE(FileExists(JoinPath(folder, "COMPRESS.TMP")));
  for (int i = 1; i <= 9; ++i)
    EXPECT_EQ(DBOpen(Path("f" + std::to_string(i) + ".pro").c_str()), i);

  // A listing into a folder lists nothing and does not crash.
  EXPECT_EQ(zb::recordstore::ListRecordsToFile(1, folder), 0u);
}

TEST_F(BadInputTest, PathOfTwoThousandCharacters) {
  // Folders whose path is long but valid, and a file name far beyond any
  // limit, so that the first 1023 characters alone would name a file that
  // could be created.
  std::string folder = dir_.path();
  bool made = true;
  for (char c : {'a', 'b', 'c', 'd'}) {
    folder = JoinPath(folder, std::string(200, c));
    made = made && MakeFolder(folder);
  }
  std::string path = JoinPath(folder, "");
  path += std::string(2000 - path.size(), 'f');
  ASSERT_EQ(path.size(), 2000u);
  auto listing = [&folder]() {
    std::vector<std::string> names;
    std::error_code ec;
    for (auto it = std::filesystem::directory_iterator(folder, ec);
         !ec && it != std::filesystem::directory_iterator(); it.increment(ec))
      names.push_back(it->path().filename().string());
    return names;
  };
  // Where the system cannot handle such folders, only the results count.
  made = made && WriteText(JoinPath(folder, "marker"), "x") &&
         listing() == std::vector<std::string>{"marker"};

  const int32_t h = DBOpen(path.c_str());
  EXPECT_LT(h, 0) << "a path no system accepts was opened";
  if (h > 0) DBClose(H(h));
  EXPECT_LT(DBOpenReadOnly(path.c_str()), 0);
  EXPECT_LT(DBOpenExcl(path.c_str()), 0);
  EXPECT_EQ(DBGetFileHnd(path.c_str()), -1);
  EXPECT_EQ(OpenData(path.c_str()), 0u);
  if (made) {
    // No file appeared under a shortened name.
    const std::vector<std::string> names = listing();
    EXPECT_EQ(names.size(), 1u) << "a file appeared beside the marker: "
                                << (names.empty() ? "" : names[0].substr(0, 40));
  }
  // All nine handles are still there.
  for (int i = 1; i <= 9; ++i)
    EXPECT_EQ(DBOpen(Path("g" + std::to_string(i) + ".pro").c_str()), i);
}

}  // namespace
}  // namespace zbtest

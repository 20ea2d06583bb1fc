// The data channel: plain binary files for the programs' own data, with
// positions counted from 1.
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "support/record_fixture.h"

namespace zbtest {
namespace {

using DataChannelTest = RecordStoreTest;

TEST_F(DataChannelTest, OpeningCreatesOrKeepsTheFile) {
  const std::string path = Path("data.bin");
  uint32_t s = OpenData(path.c_str());
  ASSERT_NE(s, 0u);
  EXPECT_TRUE(FileExists(path));
  EXPECT_EQ(FileSize(path), 0);
  EXPECT_EQ(GetPosData(s), 1);
  EXPECT_EQ(PutData("0123456789", 1, 10, s), 10);
  EXPECT_EQ(GetPosData(s), 11);
  EXPECT_EQ(CloseData(s), 1);
  EXPECT_EQ(ReadText(path), "0123456789");

  // An existing file keeps its contents and starts at position 1.
  s = OpenData(path.c_str());
  ASSERT_NE(s, 0u);
  EXPECT_EQ(GetPosData(s), 1);
  char buf[16] = {};
  EXPECT_EQ(GetData(buf, 4, 1, s), 1);
  EXPECT_EQ(std::string(buf, 4), "0123");
  EXPECT_EQ(GetPosData(s), 5);
  // Whole items only: 6 bytes are left, items of 4 give one.
  EXPECT_EQ(GetData(buf, 4, 3, s), 1);
  EXPECT_EQ(std::string(buf, 4), "4567");
  EXPECT_EQ(GetData(buf, 1, 5, s), 0);
  EXPECT_EQ(CloseData(s), 1);
  EXPECT_EQ(ReadText(path), "0123456789");
}

TEST_F(DataChannelTest, PositionsCountFromOne) {
  const std::string path = Path("pos.bin");
  const uint32_t s = OpenData(path.c_str());
  ASSERT_NE(s, 0u);
  ASSERT_EQ(PutData("abcdefghij", 1, 10, s), 10);
  EXPECT_EQ(SetPosData(1, s), 1);
  EXPECT_EQ(GetPosData(s), 1);
  EXPECT_EQ(PutData("XYZXYZXYZX", 1, 10, s), 10);
  EXPECT_EQ(GetPosData(s), 11);
  // Position 0 also means the start.
  EXPECT_EQ(SetPosData(0, s), 1);
  EXPECT_EQ(GetPosData(s), 1);
  char buf[4] = {};
  EXPECT_EQ(GetData(buf, 2, 1, s), 1);
  EXPECT_EQ(std::string(buf, 2), "XY");
  // Byte 5 of the file is at position 5.
  EXPECT_EQ(SetPosData(5, s), 1);
  EXPECT_EQ(GetData(buf, 1, 1, s), 1);
  EXPECT_EQ(buf[0], 'Y');
  EXPECT_EQ(GetPosData(s), 6);
  // Reading and then writing without positioning in between, as Basic
  // callers do.
  EXPECT_EQ(PutData("--", 1, 2, s), 2);
  EXPECT_EQ(GetPosData(s), 8);
  EXPECT_EQ(GetData(buf, 1, 1, s), 1);
  EXPECT_EQ(buf[0], 'Y');
  EXPECT_EQ(CloseData(s), 1);
  EXPECT_EQ(ReadText(path), "XYZXY--YZX");
}

TEST_F(DataChannelTest, FlushDataClearsTheBufferOnly) {
  uint8_t buf[12];
  std::memset(buf, 0xAB, sizeof buf);
  EXPECT_EQ(FlushData(8, buf), 1);
  EXPECT_EQ(Bytes(buf, buf + 8), Bytes(8, 0));
  EXPECT_EQ(Bytes(buf + 8, buf + 12), Bytes(4, 0xAB));
}

TEST_F(DataChannelTest, StreamValuesAreSmallNumbers) {
  // Callers keep the stream in a 32-bit variable: it must not be a
  // pointer on a 64-bit build.
  std::set<uint32_t> seen;
  std::vector<uint32_t> streams;
  for (int i = 0; i < 20; ++i) {
    const uint32_t s = OpenData(Path("s" + std::to_string(i)).c_str());
    ASSERT_NE(s, 0u);
    EXPECT_LT(s, 1000u);
    EXPECT_TRUE(seen.insert(s).second) << "stream " << s << " handed out twice";
    streams.push_back(s);
  }
  for (uint32_t s : streams) EXPECT_EQ(CloseData(s), 1);
  // A closed stream is not usable any more.
  char buf[4];
  EXPECT_EQ(CloseData(streams[0]), 0);
  EXPECT_EQ(GetData(buf, 1, 1, streams[0]), 0);
  EXPECT_EQ(PutData("x", 1, 1, streams[0]), 0);
  EXPECT_EQ(CloseData(0), 0);
  EXPECT_EQ(CloseData(123456), 0);
}

TEST_F(DataChannelTest, PathsThatCannotBeOpened) {
  EXPECT_EQ(OpenData(dir_.path().c_str()), 0u);
  EXPECT_EQ(OpenData(JoinPath(Path("no-folder"), "x.bin").c_str()), 0u);
  EXPECT_EQ(OpenData(""), 0u);
  EXPECT_EQ(OpenData(nullptr), 0u);
  EXPECT_FALSE(FileExists(Path("no-folder")));
}

}  // namespace
}  // namespace zbtest

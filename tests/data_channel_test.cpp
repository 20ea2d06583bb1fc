// The data channel: plain binary files for the programs' own data, with
// positions counted from 1.
#include <gtest/gtest.h>

#include <climits>
#include <set>

#include "support/record_fixture.h"

namespace zbtest {
namespace {

using DataChannelTest = RecordStoreTest;

TEST_F(DataChannelTest, PositionsCountFromOneAndItemsAreWhole) {
  const std::string path = Path("data.bin");
  uint32_t s = OpenData(path.c_str());
  ASSERT_NE(s, 0u);
  EXPECT_EQ(FileSize(path), 0);
  EXPECT_EQ(GetPosData(s), 1);
  EXPECT_EQ(PutData("abcdefghij", 1, 10, s), 10);
  EXPECT_EQ(GetPosData(s), 11);
  EXPECT_EQ(CloseData(s), 1);

  s = OpenData(path.c_str());  // kept, and at position 1 again
  ASSERT_NE(s, 0u);
  EXPECT_EQ(GetPosData(s), 1);
  char buf[16] = {};
  EXPECT_EQ(GetData(buf, 4, 3, s), 2);  // whole items only: 10 bytes give two
  EXPECT_EQ(std::string(buf, 8), "abcdefgh");
  EXPECT_EQ(GetData(buf, 4, 1, s), 0);
  EXPECT_EQ(SetPosData(0, s), 1);  // 0 also means the start
  EXPECT_EQ(PutData("XY", 1, 2, s), 2);
  EXPECT_EQ(SetPosData(5, s), 1);  // byte 5 is at position 5
  EXPECT_EQ(GetData(buf, 1, 1, s), 1);
  EXPECT_EQ(buf[0], 'e');
  // Writing right after reading, without positioning in between.
  EXPECT_EQ(PutData("--", 1, 2, s), 2);
  EXPECT_EQ(GetPosData(s), 8);
  EXPECT_EQ(GetData(buf, 1, 1, s), 1);
  EXPECT_EQ(buf[0], 'h');
  EXPECT_EQ(CloseData(s), 1);
  EXPECT_EQ(ReadText(path), "XYcde--hij");
}

TEST_F(DataChannelTest, StreamsAndBadArguments) {
  // Callers keep a stream in 32 bits: small numbers, never handed out twice.
  const uint32_t t = OpenData(Path("bad.bin").c_str());
  std::set<uint32_t> seen = {t};
  for (int i = 0; i < 20; ++i) {
    const uint32_t s = OpenData(Path("s" + std::to_string(i)).c_str());
    EXPECT_TRUE(s > 0 && s < 1000) << s;
    EXPECT_TRUE(seen.insert(s).second) << s;
  }
  seen.erase(t);
  const uint32_t s = *seen.begin();
  for (uint32_t closed : seen) EXPECT_EQ(CloseData(closed), 1);
  char buf[16];
  std::memset(buf, '#', sizeof buf);
  const std::string nowhere = JoinPath(Path("no-folder"), "x.bin");
  int call = 0;  // all refused, in the order of the calls
  for (int32_t result :
       {int32_t(CloseData(s)), GetData(buf, 1, 1, s), PutData("x", 1, 1, s),
        CloseData(0), CloseData(123456), int32_t(OpenData(dir_.path().c_str())),
        int32_t(OpenData("")), int32_t(OpenData(nullptr)),
        int32_t(OpenData(nowhere.c_str())), PutData(nullptr, 1, 10, t),
        GetData(nullptr, 1, 10, t), GetData(buf, -1, 10, t),
        GetData(buf, 10, -1, t), GetData(buf, 1, INT_MAX, t),
        PutData(buf, -1, 10, t), PutData(buf, 10, -1, t), SetPosData(-1, t)})
    EXPECT_EQ(result, 0) << "call " << call++;
  EXPECT_FALSE(FileExists(Path("no-folder")));
  EXPECT_EQ(GetPosData(t), 1);
  EXPECT_EQ(CloseData(t), 1);
  EXPECT_EQ(FileSize(Path("bad.bin")), 0);

  // FlushData clears the buffer's first bytes only.
  FlushData(-1, buf);
  FlushData(0, buf);
  FlushData(8, nullptr);
  EXPECT_EQ(Bytes(buf, buf + 16), Bytes(16, '#'));
  EXPECT_EQ(FlushData(8, buf), 1);
  EXPECT_EQ(std::string(buf, 16), std::string(8, '\0') + std::string(8, '#'));
}

}  // namespace
}  // namespace zbtest

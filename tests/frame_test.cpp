// The families of an interface export around one _L implementation: what
// a plain, a Basic and a long-name Basic caller get back.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "api/frame.h"
#include "environment/library_context.h"
#include "support/record_fixture.h"

namespace zbtest {
namespace {

namespace env = zb::environment;

ZBPROPOS_L g_seen;  // the record as the _L implementation received it

// Echoes the request and sets a long name of the caller's choice.
std::string g_long_name;
int32_t ZBAPI EchoL(ZBPROPOS_L* request, int32_t result) {
  g_seen = *request;
  if (!g_long_name.empty())
    SetText(request->szPosNameLong, sizeof request->szPosNameLong,
            g_long_name);
  return result;
}
int32_t ZBAPI EchoPlain(ZBPROPOS* request, int32_t result) {
  zb::api::FrameOptions options;
  options.login = false;
  return zb::api::PlainFrame(options, request, &EchoL, result);
}

std::string Field(const char* field, size_t width) {
  return std::string(field, width);
}

class FrameTest : public RecordStoreTest {
 protected:
  void SetUp() override {
    RecordStoreTest::SetUp();
    g_long_name.clear();
  }
};

TEST_F(FrameTest, PlainCallersGetTheShortNameRule) {
  ZBPROPOS request{};
  std::memset(request.szPosName, ' ', sizeof request.szPosName);
  std::memcpy(request.szPosName, "Pos 1", 5);
  SetText(request.szProName, sizeof request.szProName, "Halle 7");
  g_long_name = "Unterzug U12";  // 12 characters
  EXPECT_EQ(EchoPlain(&request, 7), 7);
  EXPECT_STREQ(g_seen.szPosNameLong, "Pos 1");  // trailing blanks gone
  EXPECT_STREQ(request.szPosName, "Unterzu~");
  EXPECT_STREQ(request.szProName, "Halle 7");
  g_long_name = "Stuetze8";  // 8 characters come back unchanged
  EchoPlain(&request, 0);
  EXPECT_STREQ(request.szPosName, "Stuetze8");
}

TEST_F(FrameTest, BasicCallersGetBlankFormBack) {
  ZBPROPOS request;
  std::memset(&request, ' ', sizeof request);
  const std::string project(42, 'P');  // a full field loses its last byte
  std::memcpy(request.szProName, project.data(), project.size());
  EXPECT_EQ(zb::api::BasicFrame<int32_t>(&request, &EchoPlain, int32_t{5}), 5);
  EXPECT_EQ(std::string(g_seen.szMsg), "");  // all blanks arrive empty
  EXPECT_EQ(std::string(g_seen.szProName), std::string(41, 'P'));
  EXPECT_EQ(Field(request.szMsg, 40), std::string(40, ' '));
  EXPECT_EQ(Field(request.szProName, 42), std::string(41, 'P') + " ");
  EXPECT_EQ(zb::api::BasicFrame<int32_t>(nullptr, &EchoPlain, int32_t{5}), -1);
  // The long-name form keeps the long name both ways.
  ZBPROPOS_L wide;
  std::memset(&wide, ' ', sizeof wide);
  std::memcpy(wide.szPosNameLong, "Deckentraeger Achse 4", 21);
  EXPECT_EQ(zb::api::BasicLongFrame<int32_t>(&wide, &EchoL, int32_t{3}), 3);
  EXPECT_STREQ(g_seen.szPosNameLong, "Deckentraeger Achse 4");
  EXPECT_EQ(Field(wide.szPosNameLong, 42),
            "Deckentraeger Achse 4" + std::string(21, ' '));
}

TEST_F(FrameTest, FixedAnswersVersionsAndCodeNames) {
  EXPECT_EQ(ZB_CheckDBConnection(), 1);  // before any login
  EXPECT_EQ(lib().context().login_counter, 0);
  EXPECT_EQ(ZB_PositionSaved(0), -101);
  EXPECT_EQ(ZB_SetProject(0, 0), -101);
  EXPECT_EQ(ZBDB_SetVersion(1, 2), -1111);
  EXPECT_EQ(ZB_SendBroadcast_NET(), -1111);
  EXPECT_EQ(ZB_EmailExport(0), -1111);
  EXPECT_STREQ(env::ResultCodeName(-202), "ERR_PRO_NOTFOUND ");
  EXPECT_STREQ(env::ResultCodeName(-205), "ERR_PRO_LOCKED");
  EXPECT_STREQ(env::ResultCodeName(1), "NO_ERROR ");
  EXPECT_STREQ(env::ResultCodeName(-999), "");

  // A file without version information leaves the caller's buffer alone.
  const std::string plain = Path("plain.txt");
  ASSERT_TRUE(WriteText(plain, "no version here"));
  char buffer[32];
  std::memset(buffer, '#', sizeof buffer);
  const char* file = plain.c_str();
  char* out = buffer;
  EXPECT_EQ(GetFileVersion(&file, &out, sizeof buffer), 0);
  EXPECT_EQ(std::string(buffer, 32), std::string(32, '#'));
}

}  // namespace
}  // namespace zbtest

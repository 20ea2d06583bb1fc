// The position information list of a project in its short and long caches,
// their Blank forms, the short name taken from the cache, and the date
// helpers; on a copy of "Brücke Nord" (DLT "Stütze 12 Achse B", DLT
// "Unterzug U1", DACH "Dach" stored with 116 bytes) with positions the test
// adds.
#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "environment/library_context.h"
#include "environment/time_text.h"
#include "projectstore/positions.h"
#include "recordstore/typed_records.h"
#include "support/byte_string.h"
#include "support/installed_data_fixture.h"

namespace zbtest {
namespace {

namespace env = zb::environment;
namespace ps = zb::projectstore;
using zb::recordstore::PosInfoExt;

class PositionInfoCacheTest : public InstalledDataTest {
 protected:
  void SetUp() override {
    InstalledDataTest::SetUp();
    ZB_KillPosinfos();
    ZB_KillPosinfos_L();
  }
  void TearDown() override {
    ZB_KillPosinfos();
    ZB_KillPosinfos_L();
    InstalledDataTest::TearDown();
  }
  // Two more positions: FUND in the long form, QT3 as an old short record
  // without a name.
  void AddPositions() {
    const int16_t h = Open(JoinPath(data_, "PRO00001.PRO"), DBOpenExcl);
    ASSERT_EQ(
        ps::CreatePosition(store(), h, "Fundament F3 Achse 7", "Einzel", 310),
        1);
    uint8_t old_form[116] = {};
    old_form[0] = 4;  // id
    std::memcpy(old_form + 12, "alt", 3);
    ASSERT_EQ(DBWrite(h, 30002, 311, -1, sizeof old_form, old_form), 116);
    ASSERT_EQ(DBClose(h), DB_SUCCESS);
  }
};

TEST_F(PositionInfoCacheTest, LongListOfSeveralProgramsAndOldRecords) {
  AddPositions();
  ZBPROPOS_L r = Long("DLT", "");
  ASSERT_EQ(ZB_InitPosinfos_L(&r), 5);
  const char* const kNames[] = {kStuetze, "Unterzug U1", "Dach",
                                "Fundament F3 Achse 7", "    "};
  for (int i = 0; i < 5; ++i) {
    PosInfoExt info{};
    ASSERT_EQ(ZB_GetPosinfo_L(i, &info), 116) << i;
    EXPECT_EQ(Str(info.PosNameLong, 42), kNames[i]) << i;
    char name[42];
    EXPECT_EQ(ZB_GetPosname_L(i, name),
              static_cast<int32_t>(std::strlen(kNames[i])));
    EXPECT_STREQ(name, kNames[i]);
  }
  PosInfoExt info{};
  ASSERT_EQ(ZB_GetPosinfo_L(2, &info), 116);  // DACH, widened
  EXPECT_EQ(info.id, 1);
  EXPECT_EQ(info.id_copy, 1);
  EXPECT_EQ(Str(info.Designation, 42), "Dachstuhl");
  EXPECT_EQ(info.page_start, 0);
  ASSERT_EQ(ZB_GetPosinfo_L(0, &info), 116);
  EXPECT_EQ(Pages(info), "5+3 @");
  ASSERT_EQ(ZB_GetPosinfo_L(4, &info), 116);  // QT3 without any name
  EXPECT_EQ(Str(info.PosName, 10), "    ");
  EXPECT_EQ(Str(info.Msg, 40), "alt");
  EXPECT_EQ(ZB_GetPosname_L(5, nullptr), 0);
  EXPECT_EQ(ZB_GetPosname_L(-1, nullptr), 0);
  EXPECT_EQ(ZB_GetPosinfo(0, &info), 0);  // the short cache is separate
  EXPECT_TRUE(LogHas("ZB_GetPosinfosDim_L"));

  // A project without positions leaves the list as it is.
  {
    const int16_t h = Open(JoinPath(data_, "PRO00002.PRO"), DBOpenExcl);
    while (DBDel(h, 30002, 32762, 0) > 0) {
    }
    ASSERT_EQ(DBClose(h), DB_SUCCESS);
  }
  ZBPROPOS_L empty = Long("DLT", "", "Halle 7");
  EXPECT_EQ(ZB_InitPosinfos_L(&empty), 0);
  ZBPROPOS_L unknown = Long("DLT", "", "Halle 9");
  EXPECT_EQ(ZB_InitPosinfos_L(&unknown), 0);
  EXPECT_EQ(ZB_GetPosinfo_L(4, &info), 116);

  // Reading at the count lets the list go; so does any later read.
  EXPECT_EQ(ZB_GetPosinfo_L(5, &info), 0);
  EXPECT_EQ(ZB_GetPosinfo_L(0, &info), 0);
  EXPECT_EQ(ZB_KillPosinfos_L(), 0);
  ASSERT_EQ(ZB_InitPosinfos_L(&r), 5);
  EXPECT_EQ(ZB_GetPosinfo_L(-1, &info), 0);
  EXPECT_EQ(ZB_GetPosname_L(0, nullptr), 0);
  ASSERT_EQ(ZB_InitPosinfos_L(&r), 5);
  EXPECT_EQ(ZB_KillPosinfos_LB(), 5);
  EXPECT_EQ(ZB_KillPosinfos_L(), 0);
}

TEST_F(PositionInfoCacheTest, ShortListAndTheBlankForms) {
  ZBPROPOS plain = Plain("DLT", "");
  ASSERT_EQ(ZB_InitPosinfos(&plain), 3);
  EXPECT_TRUE(LogHas("ZB_GetPosinfosDim"));
  uint8_t entry[116] = {};
  ASSERT_EQ(ZB_GetPosinfo(0, entry), 116);
  EXPECT_EQ(Str(entry + 52, 10), "St\xFCtze ~");
  ASSERT_EQ(ZB_GetPosinfo(2, entry), 116);
  EXPECT_EQ(Str(entry + 52, 10), "Dach");

  // Short Blank form: 120 bytes, the 4-byte values aligned.
  ASSERT_EQ(ZB_GetPosinfo(0, entry), 116);
  uint8_t blank[120];
  std::memset(blank, 'x', sizeof blank);
  ASSERT_EQ(ZB_GetPosinfoB(0, blank), 116);
  EXPECT_EQ(std::memcmp(blank, entry, 6), 0);
  const std::string msg = Str(entry + 12, 40);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(blank) + 12, msg.size() + 1),
            msg + std::string(1, '\0'));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(blank) + 52, 10),
            std::string("St\xFCtze ~\0 ", 10));
  EXPECT_EQ(blank[62], ' ');
  EXPECT_EQ(std::memcmp(blank + 64, entry + 62, 8), 0);
  EXPECT_EQ(std::memcmp(blank + 72, entry + 70, 4), 0);
  EXPECT_EQ(std::memcmp(blank + 76, entry + 72, 4), 0);
  EXPECT_EQ(std::memcmp(blank + 80, entry + 76, 4), 0);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(blank) + 84, 36),
            std::string(36, ' '));
  EXPECT_EQ(ZB_KillPosinfosB(), 3);
  std::memset(blank, 'x', sizeof blank);
  EXPECT_EQ(ZB_GetPosinfoB(0, blank), 0);
  EXPECT_EQ(blank[0], 'x');  // untouched without an entry

  // Long Blank form: 256 bytes.
  ZBPROPOS_L basic = Long("DLT", "");
  BlankFilled(&basic);
  ASSERT_EQ(ZB_InitPosinfos_LB(&basic), 3);
  uint8_t long_entry[248];
  ASSERT_EQ(ZB_GetPosinfo_L(0, long_entry), 116);
  uint8_t long_blank[256];
  ASSERT_EQ(ZB_GetPosinfo_LB(0, long_blank), 116);
  EXPECT_EQ(std::memcmp(long_blank + 64, entry + 62, 4), 0);
  EXPECT_EQ(std::memcmp(long_blank + 148, long_entry + 142, 2), 0);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(long_blank) + 150, 42),
            std::string(kStuetze) + '\0' + std::string(24, ' '));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(long_blank) + 192, 42),
            std::string("Achse B, Geschoss 1") + '\0' + std::string(22, ' '));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(long_blank) + 234, 22),
            std::string(22, ' '));

  // The long name as a byte string.
  EXPECT_EQ(Take(ZB_GetPosname_LB(1)), "Unterzug U1");
  EXPECT_EQ(Take(ZB_GetPosname_LB(7)), "");
}

TEST_F(PositionInfoCacheTest, ShortNameFromTheCacheOrTheWorkingFile) {
  AddPositions();
  const std::string tmp = Path("TMP");
  ASSERT_TRUE(MakeFolder(tmp));
  char text[16] = {};
  ZBPROPOS dach = Plain("DACH", "dach");
  EXPECT_EQ(ZB_GetPositionShortName(&dach, text), 0);  // no list yet
  SetText(dach.szTmpPfad, sizeof dach.szTmpPfad, tmp);
  SetText(dach.szTmpDatei, sizeof dach.szTmpDatei, tmp);  // no file named
  EXPECT_EQ(ZB_GetPositionShortName(&dach, text), 0);
  EXPECT_EQ(ZB_GetPositionShortName(nullptr, text), 0);
  ZBPROPOS_L r = Long("DLT", "");
  ASSERT_EQ(ZB_InitPosinfos_L(&r), 5);
  EXPECT_EQ(ZB_GetPositionShortName(&dach, text), 4);
  EXPECT_STREQ(text, "Dach");
  ZBPROPOS other_program = Plain("DLT", "dach");
  EXPECT_EQ(ZB_GetPositionShortName(&other_program, text), 0);
  ZBPROPOS by_short = Plain("FUND", "Fundame~");
  EXPECT_EQ(ZB_GetPositionShortName(&by_short, text), 8);
  EXPECT_STREQ(text, "Fundame~");

  // A named working file answers first.
  const std::string working = JoinPath(tmp, "DLT00001.TMP");
  ASSERT_TRUE(CopyFileTo(FixturePath("ZBStatik/TMP/DLT00001.TMP"), working));
  SetText(dach.szTmpDatei, sizeof dach.szTmpDatei, working);
  EXPECT_EQ(ZB_GetPositionShortName(&dach, text), 8);
  EXPECT_STREQ(text, "St\xFCtze ~");
}

TEST_F(PositionInfoCacheTest, DateParts) {
  int16_t y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
  auto parts = [&] { return std::vector<int>{y, mo, d, h, mi, s}; };
  EXPECT_EQ(ZBDB_GetPosinfoDateB(1700000000u, &y, &mo, &d, &h, &mi, &s),
            1700000000);
  // 14.11.2023 22:13:20 universal time
  EXPECT_EQ(parts(), (std::vector<int>{2023, 11, 14, 22, 13, 20}));
  EXPECT_EQ(ZBDB_GetPosinfoDateB(0, &y, &mo, &d, &h, &mi, &s), 0);
  EXPECT_EQ(parts(), (std::vector<int>{1970, 1, 1, 0, 0, 0}));

  // Local time; hour 0 is midnight, month 13 counts as January.
  auto local = [](uint32_t t) {
    const std::tm l = env::LocalTimeOf(t);
    return std::vector<int>{l.tm_year, l.tm_mon, l.tm_mday,
                            l.tm_hour, l.tm_min, l.tm_sec};
  };
  uint32_t t = 0;
  const int32_t made = ZBDB_SetPosinfoDateB(&t, 2024, 3, 15, 0, 30, 5);
  EXPECT_EQ(static_cast<uint32_t>(made), t);
  EXPECT_EQ(local(t), (std::vector<int>{124, 2, 15, 0, 30, 5}));
  ZBDB_SetPosinfoDateB(&t, 2024, 13, 15, 10, 0, 0);
  EXPECT_EQ(local(t), (std::vector<int>{124, 0, 15, 10, 0, 0}));
  t = 77;
  EXPECT_EQ(ZBDB_SetPosinfoDateB(&t, 1900, 1, 1, 1, 1, 1), 0);  // no year
  EXPECT_EQ(t, 0u);
}

}  // namespace
}  // namespace zbtest

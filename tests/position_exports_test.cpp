// The position exports in their families, on a copy of an installation's
// data folder ("Brücke Nord": DLT "Stütze 12 Achse B" free, DLT "Unterzug
// U1" locked by mueller, DACH "Dach" as an old 116-byte record).
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>

#include "environment/library_context.h"
#include "environment/scripted_ui.h"
#include "projectstore/position_edit.h"
#include "projectstore/positions.h"
#include "recordstore/typed_records.h"
#include "support/installed_data_fixture.h"

namespace zbtest {
namespace {

namespace env = zb::environment;
namespace ps = zb::projectstore;
using zb::recordstore::PosInfoExt;

class PositionExportsTest : public InstalledDataTest {
 protected:
  int32_t Exist(const std::string& program, const std::string& name) {
    ZBPROPOS_L r = Long(program, name);
    return ZB_PositionExist_L(&r);
  }
};

TEST_F(PositionExportsTest, ExistenceInEveryFamily) {
  EXPECT_EQ(Exist("DLT", kStuetze), 1);
  EXPECT_EQ(Exist("DLT", "unterzug u1"), 2);
  EXPECT_EQ(Exist("DLT", "Dach"), 0);
  EXPECT_EQ(Exist("DACH", "Dach"), 1);
  EXPECT_EQ(Exist("ALLE", kStuetze), 0);  // no program chosen
  EXPECT_EQ(Exist("XYZ", kStuetze), 0);
  ZBPROPOS_L other = Long("DLT", kStuetze, "Halle 9");
  EXPECT_EQ(ZB_PositionExist_L(&other), 0);
  const std::string log = LogOf(log_);
  EXPECT_TRUE(Contains(log, "****** ZB_PositionExist_L?*** "));
  EXPECT_TRUE(Contains(log, "\n         result :1=exist & not locked"));
  EXPECT_TRUE(Contains(log, "\n         result :2=exist & locked"));
  EXPECT_TRUE(Contains(log, "\n         result :0=not exist "));

  // Plain: the context's current short name comes back in szPosName.
  std::strcpy(lib().context().current_short_name, "Offen");
  ZBPROPOS plain = Plain("DACH", "Dach");
  EXPECT_EQ(ZB_PositionExist(&plain), 1);
  EXPECT_STREQ(plain.szPosName, "Offen");
  EXPECT_EQ(ZB_PositionExist(nullptr), -1);

  // B and _LB: blank-padded in and out.
  ZBPROPOS basic = Plain("DACH", "Dach");
  BlankFilled(&basic);
  EXPECT_EQ(ZB_PositionExistB(&basic), 1);
  EXPECT_EQ(std::string(basic.szPrgName, 6), "DACH  ");
  EXPECT_EQ(std::string(basic.szPosName, 10), "Offen     ");
  ZBPROPOS_L basic_long = Long("DLT", kStuetze);
  BlankFilled(&basic_long);
  EXPECT_EQ(ZB_PositionExist_LB(&basic_long), 1);
  EXPECT_EQ(Str(basic_long.szPosNameLong, 42),
            std::string(kStuetze) + std::string(42 - 17, ' '));

  // The decorated overload takes the long record under the plain name.
  ZBPROPOS_L overload = Long("DLT", "Unterzug U1");
  std::memset(overload.szMsg, ' ', sizeof overload.szMsg);
  EXPECT_EQ(ZB_PositionExistLong(&overload), 2);
  EXPECT_STREQ(overload.szMsg, "");
  EXPECT_STREQ(overload.szPosName, "Offen");
}

TEST_F(PositionExportsTest, ExistExNamesThePrograms) {
  {
    const int16_t h = Open(JoinPath(data_, "PRO00001.PRO"), DBOpenExcl);
    ASSERT_EQ(ps::CreatePosition(store(), h, "DACH", "", 101), 3);
    ASSERT_EQ(ps::CreatePosition(store(), h, "dach", "", 999),
              1);  // not catalogued
    ASSERT_EQ(DBClose(h), DB_SUCCESS);
  }
  char buffer[20];
  std::memset(buffer, 'x', sizeof buffer);
  ZBPROPOS_L r = Long("DLT", " D\x8E" "CH ");  // DOS umlaut: no match
  EXPECT_EQ(ZB_PositionExistEx_L(&r, buffer, sizeof buffer), -1);
  EXPECT_EQ(std::string(buffer, 20), std::string(20, '\0'));
  EXPECT_STREQ(r.szPrgName, "ALLE");

  r = Long("DLT", "  dach ");
  EXPECT_EQ(ZB_PositionExistEx_L(&r, buffer, sizeof buffer), 3);
  // Record order: the old DACH record (its short name), then the new ones.
  EXPECT_EQ(std::string(buffer, 18),
            std::string("DACH\0\0DLT\0\0\0" "00999\0", 18));
  EXPECT_EQ(ZB_PositionExistEx_L(&r, buffer, 11), 1);  // room for one
  EXPECT_EQ(std::string(buffer, 11), std::string("DACH\0\0\0\0\0\0\0", 11));
  EXPECT_EQ(ZB_PositionExistEx_L(&r, nullptr, 0), -1);

  ZBPROPOS plain = Plain("DLT", "Dach");
  EXPECT_EQ(ZB_PositionExistEx(&plain, buffer, sizeof buffer), 3);
  EXPECT_STREQ(plain.szPrgName, "ALLE");
  EXPECT_TRUE(LogHas("****** ZB_PositionExistEx_L ?*** "));
}

TEST_F(PositionExportsTest, PropertyHandsOutTheWidenedRecord) {
  PosInfoExt info{};
  ZBPROPOS_L r = Long("DACH", "Dach");
  EXPECT_EQ(ZB_PositionProperty_L(&r, &info), 1);
  EXPECT_EQ(info.id, 1);
  EXPECT_EQ(Str(info.PosNameLong, 42), "Dach");
  EXPECT_EQ(Str(info.Designation, 42), "Dachstuhl");
  PosInfoExt untouched{};
  untouched.id = 77;
  ZBPROPOS plain = Plain("DACH", "dach");
  EXPECT_EQ(ZB_PositionProperty(&plain, &untouched), 1);
  EXPECT_EQ(untouched.id, 1);
  untouched.id = 77;
  r = Long("DLT", "Pfette");
  EXPECT_EQ(ZB_PositionProperty_L(&r, &untouched), 0);
  EXPECT_EQ(untouched.id, 77);
  EXPECT_TRUE(LogHas("****** ZB_PositionProperty_L*** "));
}

TEST_F(PositionExportsTest, RenameAsksForAMissingNameAndRefusesLocks) {
  ZBPROPOS_L source = Long("DLT", kStuetze);
  ZBPROPOS_L target = Long("DLT", "");
  ui_.QueueText(std::nullopt);  // the dialog cancelled: nothing happens
  EXPECT_EQ(ZB_PositionRename_L(&source, &target), 0);
  EXPECT_EQ(Exist("DLT", kStuetze), 1);

  ui_.QueueText("  Tr\xE4ger T1  ");
  ui_.QueueText("neue Beschreibung");
  EXPECT_EQ(ZB_PositionRename_L(&source, &target), 1);
  ASSERT_EQ(ui_.dialogs().size(), 2u);
  EXPECT_EQ(ui_.dialogs()[1], "Position umbenennen");
  EXPECT_STREQ(target.szPosNameLong, "Tr\xE4ger T1");
  PosInfoExt info{};
  ZBPROPOS_L renamed = Long("DLT", "tr\xC4ger t1");
  EXPECT_EQ(ZB_PositionProperty_L(&renamed, &info), 1);
  EXPECT_EQ(Str(info.Msg, 40), "neue Beschreibung");
  EXPECT_EQ(Str(info.Designation, 42), "Achse B, Geschoss 1");  // kept
  EXPECT_EQ(Str(info.PosName, 10), "Tr\xE4ger ~");
  EXPECT_EQ(Exist("DLT", kStuetze), 0);

  // Refusals: missing, locked by another, a name another position has.
  source = Long("DLT", "Pfette");
  target = Long("DLT", "Sparren");
  EXPECT_EQ(ZB_PositionRename_L(&source, &target), -302);
  source = Long("DLT", "Unterzug U1");
  EXPECT_EQ(ZB_PositionRename_L(&source, &target), -303);
  EXPECT_EQ(Exist("DLT", "Sparren"), 0);
  source = Long("DLT", "Tr\xE4ger T1");
  target = Long("DLT", "UNTERZUG U1");
  EXPECT_EQ(ZB_PositionRename_L(&source, &target), 0);
  source = Long("ALLE", "Tr\xE4ger T1");
  EXPECT_EQ(ZB_PositionRename_L(&source, &target), -102);

  // Plain callers: both records through the frame, short-name rule back.
  ZBPROPOS plain_source = Plain("DLT", "Tr\xE4ger T1");
  ZBPROPOS plain_target = Plain("DLT", "Pfette P1");
  EXPECT_EQ(ZB_PositionRename(&plain_source, &plain_target), 1);
  EXPECT_STREQ(plain_target.szPosName, "Pfette ~");
  EXPECT_EQ(Exist("DLT", "pfette p1"), 1);
  EXPECT_EQ(ui_.dialogs().size(), 2u);
}

TEST_F(PositionExportsTest, DeleteRefusesLockedPositions) {
  ZBPROPOS_L locked = Long("DLT", "Unterzug U1");
  EXPECT_EQ(ZB_PositionDelete_LB(&locked), 0);
  ZBPROPOS_L missing = Long("DLT", "Pfette");
  EXPECT_EQ(ZB_PositionDelete(&missing), 0);
  ZBPROPOS_L no_program = Long("", "Dach");
  EXPECT_EQ(ZB_PositionDelete(&no_program), 0);

  ZBPROPOS_L r = Long("DLT", kStuetze);
  BlankFilled(&r);
  EXPECT_EQ(ZB_PositionDelete_LB(&r), 5);  // 4 data records and its POSINFO
  EXPECT_EQ(Exist("DLT", kStuetze), 0);
  EXPECT_EQ(Exist("DLT", "Unterzug U1"), 2);
  // The plain form takes the long record too: the long name counts, not
  // a short name in szPosName.
  ZBPROPOS_L dach = Long("DACH", "Dach");
  SetText(dach.szPosName, sizeof dach.szPosName, "Anderer");
  EXPECT_EQ(ZB_PositionDelete(&dach), 4);  // the old 116-byte record too
  ZBPROPOS_L all = Long("ALLE", "ALLE");
  EXPECT_EQ(ZB_PositionDelete(&all), 0);  // one position is locked

  const std::string log = LogOf(log_);
  EXPECT_TRUE(Contains(log, "\n         DELETE position  " + data_ + "//" +
                                kProject + "//Unterzug U1"));
  EXPECT_TRUE(Contains(log, "\n         PosDelete: Unterzug U1  is locked!"));
  EXPECT_TRUE(Contains(log, "\n         result: 5!!\n"));
}

}  // namespace
}  // namespace zbtest

// Page numbering through its exports, on a copy of an installation's data
// folder ("Brücke Nord": DLT "Stütze 12 Achse B" with start page 5 and 3
// pages, DLT "Unterzug U1", DACH "Dach" stored with 116 bytes; next free
// page 9).
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "environment/library_context.h"
#include "projectstore/positions.h"
#include "recordstore/typed_records.h"
#include "support/installed_data_fixture.h"

namespace zbtest {
namespace {

namespace env = zb::environment;
namespace ps = zb::projectstore;
using zb::recordstore::PosInfoExt;

class PageNumbersTest : public InstalledDataTest {
 protected:
  // "result next-page" of the project.
  std::string NextPage(const std::string& project = kProject) {
    ZBPROPOS_L r = Long("DLT", "", project);
    int16_t next = -1;
    const int32_t result = ZB_GetNextPageNr_L(&r, &next);
    return std::to_string(result) + " " + std::to_string(next);
  }
  // "result start-page count" of a position.
  std::string StartPage(const std::string& program, const std::string& name) {
    ZBPROPOS_L r = Long(program, name);
    int16_t start = -1, count = -1;
    const int32_t result = ZB_GetStartPageNr_L(&r, &start, &count);
    return std::to_string(result) + " " + std::to_string(start) + " " +
           std::to_string(count);
  }
  int32_t SetStart(const std::string& program, const std::string& name,
                   int16_t start, int16_t count) {
    ZBPROPOS_L r = Long(program, name);
    return ZB_SetStartPageNr_L(&r, start, count);
  }
};

TEST_F(PageNumbersTest, CheckCodesComeInTheirOrder) {
  ZBPROPOS_L r = Long("DLT", "", "");
  SetText(r.szDataPfad, sizeof r.szDataPfad, Path("fehlt"));
  int16_t a = 0, b = 0;
  EXPECT_EQ(ZB_SetStartPageNr_L(&r, 1, 1), -1);
  EXPECT_EQ(ZB_ResetPageNr_L(&r), -1);
  SetText(r.szProName, sizeof r.szProName, "  ");
  EXPECT_EQ(ZB_GetNextPageNr_L(&r, &a), -1);
  SetText(r.szProName, sizeof r.szProName, kProject);
  EXPECT_EQ(ZB_GetStartPageNr_L(&r, &a, &b), -2);
  EXPECT_EQ(ZB_SetStartPageNr_L(&r, 1, 1), -2);
  EXPECT_EQ(ZB_SetNextPageNr_L(&r, 3), -3);
  EXPECT_EQ(ZB_ResetPageNr_L(&r), -3);
  SetText(r.szPosNameLong, sizeof r.szPosNameLong, kStuetze);
  EXPECT_EQ(ZB_GetStartPageNr_L(&r, &a, &b), -3);
  EXPECT_TRUE(LogHas("\n*** result: -3 , DataPath false"));
  EXPECT_EQ(ZB_GetStartPageNr_L(nullptr, &a, &b), -1);

  // A project the list does not know.
  r = Long("DLT", kStuetze, "Halle 9");
  EXPECT_EQ(ZB_GetNextPageNr_L(&r, &a), -1);
  EXPECT_EQ(ZB_SetNextPageNr_L(&r, 3), -1);
  EXPECT_EQ(ZB_GetStartPageNr_L(&r, &a, &b), -1);
  EXPECT_EQ(ZB_SetStartPageNr_L(&r, 1, 1), 0);
  EXPECT_EQ(ZB_ResetPageNr_L(&r), -1);
}

TEST_F(PageNumbersTest, NextPageOfTheProject) {
  int16_t next = 0;
  EXPECT_EQ(NextPage(), "1 9");
  ZBPROPOS_L r = Long("DLT", "");
  EXPECT_EQ(ZB_SetNextPageNr_L(&r, 20000), 2);  // the write's byte count
  EXPECT_EQ(NextPage(), "1 1");                 // above 10000 counts as 1
  EXPECT_EQ(ZB_SetNextPageNr_L(&r, 12), 2);

  // Without the record: 1, and the read's code as the result.
  {
    const int16_t h = Open(JoinPath(data_, "PRO00001.PRO"), DBOpenExcl);
    ASSERT_GT(DBDel(h, 30006, 0, 0), 0);
    ASSERT_EQ(DBClose(h), DB_SUCCESS);
  }
  next = 0;
  EXPECT_EQ(NextPage(), "-1 1");

  // The plain, B and _LB forms.
  ZBPROPOS plain{};
  std::memcpy(&plain, &r, sizeof plain);
  EXPECT_EQ(ZB_SetNextPageNr(&plain, 44), 2);
  EXPECT_EQ(ZB_GetNextPageNr(&plain, &next), 1);
  EXPECT_EQ(next, 44);
  BlankFilled(&plain);
  next = 0;
  EXPECT_EQ(ZB_GetNextPageNrB(&plain, &next), 1);
  EXPECT_EQ(next, 44);
  EXPECT_EQ(std::string(plain.szPrgName, 6), "DLT   ");
  ZBPROPOS_L basic = Long("DLT", "");
  BlankFilled(&basic);
  EXPECT_EQ(ZB_SetNextPageNr_LB(&basic, 45), 2);
  EXPECT_EQ(ZB_GetNextPageNr_LB(&basic, &next), 1);
  EXPECT_EQ(next, 45);

  const std::string log = LogOf(log_);
  for (const char* line :
       {"\n*** ZB_GetNextPageNr_L: iRet 1, NextPage 9",
        "\n*** ZB_SetNextPageNr_L: NextPage 20000",
        "\n*** ZB_SetNextPageNr: 20000",
        "\n*** ZB_GetNextPageNr_L: iRet 1, NextPage 1",
        "\n*** ZB_GetNextPageNr_L: iRet -1, NextPage 1",
        "\n*** ZB_SetNextPageNr --->  _L\n*** ZB_SetNextPageNr_L: NextPage 44",
        "\n*** ZB_GetNextPageNr --->  _L\n*** ZB_GetNextPageNr_L: iRet 1, "
        "NextPage 44"})
    EXPECT_TRUE(Contains(log, line)) << line;
}

TEST_F(PageNumbersTest, StartPageAndCountOfAPosition) {
  int16_t start = -1, count = -1;
  EXPECT_EQ(StartPage("DLT", kStuetze), "1 5 3");
  // The old 116-byte record has no page numbers; unknown names neither.
  EXPECT_EQ(StartPage("DACH", "Dach"), "-1 0 0");
  EXPECT_EQ(StartPage("DLT", "Pfette"), "-1 0 0");
  EXPECT_EQ(StartPage("ALLE", kStuetze), "-1 0 0");

  // Start 5, count 3 with next page 4: the next page becomes 8.
  ZBPROPOS_L r = Long("DLT", "");
  ASSERT_EQ(ZB_SetNextPageNr_L(&r, 4), 2);
  EXPECT_EQ(SetStart("DLT", "Unterzug U1", 5, 3), 2);
  EXPECT_EQ(NextPage(), "1 8");
  PosInfoExt info{};
  r = Long("DLT", "Unterzug U1");
  ASSERT_EQ(ZB_PositionProperty_L(&r, &info), 2);
  EXPECT_EQ(Pages(info), "5+3 @");

  // Count 10001 clears the block and leaves the next page alone; a start
  // page of 0 then reports the project's next page.
  EXPECT_EQ(SetStart("DLT", "Unterzug U1", 5, 10001), 2);
  ASSERT_EQ(ZB_PositionProperty_L(&r, &info), 2);
  EXPECT_EQ(Pages(info), "0+0");
  EXPECT_EQ(NextPage(), "1 8");
  EXPECT_EQ(StartPage("DLT", "Unterzug U1"), "2 8 0");

  // Count 7 in a project whose next page is 6 reports count 0.
  EXPECT_EQ(SetStart("DLT", "Unterzug U1", 1, 7), 2);
  r = Long("DLT", "");
  ASSERT_EQ(ZB_SetNextPageNr_L(&r, 6), 2);
  EXPECT_EQ(StartPage("DLT", "Unterzug U1"), "2 1 0");

  // Nothing is created for a name that is not there; the old record is
  // stored in the long form and then has page numbers.
  EXPECT_EQ(SetStart("DLT", "Pfette", 1, 1), 0);
  EXPECT_EQ(StartPage("DLT", "Pfette"), "-1 0 0");
  EXPECT_EQ(SetStart("DACH", "Dach", 20, 2), 1);
  EXPECT_EQ(StartPage("DACH", "Dach"), "1 20 2");

  const std::string log = LogOf(log_);
  for (const char* line :
       {"\n*** ZB_GetStartPageNr_L: StartPage 5, Count 3",
        "\n*** ZB_SetStartPageNr_L: StartPage 5, Count 10001",
        "\n BEZEICHNUNG:  iSetPageNr-iSetPosInfo(Dachstuhl)",
        "\n*** ZB_GetStartPageNr_L: StartPage 0, Count 0"})
    EXPECT_TRUE(Contains(log, line)) << line;

  // The plain form: its entry line first; the B form around it.
  ZBPROPOS plain{};
  const ZBPROPOS_L l = Long("DACH", "");
  std::memcpy(&plain, &l, sizeof plain);
  SetText(plain.szPosName, sizeof plain.szPosName, "Dach");
  EXPECT_EQ(ZB_GetStartPageNr(&plain, &start, &count), 1);
  EXPECT_EQ(ZB_SetStartPageNr(&plain, 3, 4), 1);
  EXPECT_TRUE(
      LogHas("\n*** ZB_GetStartPageNr --->  _L\n*** "
             "ZB_GetStartPageNr_L: StartPage 20, Count 2"));
  EXPECT_TRUE(
      LogHas("\n*** ZB_SetStartPageNr --->  _L\n*** "
             "ZB_SetStartPageNr_L: StartPage 3, Count 4"));
  BlankFilled(&plain);
  EXPECT_EQ(ZB_GetStartPageNrB(&plain, &start, &count), 1);
  EXPECT_EQ(start, 3);
  EXPECT_EQ(count, 4);
  EXPECT_EQ(std::string(plain.szPosName, 10), "Dach      ");
}

TEST_F(PageNumbersTest, TheWorkingFileGetsTheBlockToo) {
  const std::string tmp = Path("TMP");
  ASSERT_TRUE(MakeFolder(tmp));
  const std::string working = JoinPath(tmp, "DLT00001.TMP");
  ASSERT_TRUE(CopyFileTo(FixturePath("ZBStatik/TMP/DLT00001.TMP"), working));
  const Bytes before = ReadFileBytes(working);

  ZBPROPOS_L r = Long("DLT", kStuetze);
  SetText(r.szTmpPfad, sizeof r.szTmpPfad, tmp);
  SetText(r.szTmpDatei, sizeof r.szTmpDatei, tmp);  // a folder: no file
  EXPECT_EQ(ZB_SetStartPageNr_L(&r, 11, 4), 1);
  EXPECT_EQ(ReadFileBytes(working), before);

  SetText(r.szTmpDatei, sizeof r.szTmpDatei, working);
  EXPECT_EQ(ZB_SetStartPageNr_L(&r, 12, 6), 1);
  const int16_t h = Open(working, DBOpenReadOnly);
  uint8_t record[248] = {};
  ASSERT_EQ(DBRead(h, 32762, 30002, 1, sizeof record, record), 248);
  PosInfoExt info;
  std::memcpy(&info, record, sizeof info);
  EXPECT_EQ(Pages(info), "12+6 @");
  // The short form in front of it has no page block to take.
  ASSERT_EQ(DBRead(h, 32762, 30002, 0, sizeof record, record), 116);
  ASSERT_EQ(DBClose(h), DB_SUCCESS);
  EXPECT_EQ(NextPage(), "1 18");
}

TEST_F(PageNumbersTest, ResetOfAllOrOnePosition) {
  // One position of one program: its block only, the next page stays.
  ZBPROPOS_L r = Long("DLT", kStuetze);
  EXPECT_EQ(ZB_ResetPageNr_L(&r), 0);  // its index
  // No start page: the project's next one.
  EXPECT_EQ(StartPage("DLT", kStuetze), "1 9 0");
  EXPECT_EQ(NextPage(), "1 9");
  r = Long("DLT", "Pfette");
  EXPECT_EQ(ZB_ResetPageNr_L(&r), -1);
  r = Long("XYZ", "");
  EXPECT_EQ(ZB_ResetPageNr_L(&r), -102);  // never all by mistake

  // A name with all programs does nothing.
  ASSERT_EQ(SetStart("DLT", "Unterzug U1", 30, 2), 2);
  r = Long("ALLE", "Unterzug U1");
  EXPECT_EQ(ZB_ResetPageNr_L(&r), 0);
  EXPECT_EQ(StartPage("DLT", "Unterzug U1"), "2 30 2");

  // All: every 248-byte record up to the first short one, then next page 1.
  for (const char* program : {"ALLE", "*", ""}) {
    ASSERT_EQ(SetStart("DLT", "Unterzug U1", 30, 2), 2);
    r = Long(program, "");
    EXPECT_EQ(ZB_ResetPageNr_L(&r), 2) << program;
    EXPECT_EQ(NextPage(), "1 1");
    EXPECT_EQ(StartPage("DLT", "Unterzug U1"), "2 1 0");
  }
  r = Long("DACH", "");
  EXPECT_EQ(ZB_ResetPageNr_L(&r), 0);  // its only record is short

  // A project without page numbers still gets next page 1.
  r = Long("STB", "", "Halle 7");
  ASSERT_EQ(ZB_SetNextPageNr_L(&r, 77), 2);
  EXPECT_EQ(ZB_ResetPageNr_L(&r), 1);
  EXPECT_EQ(NextPage("Halle 7"), "1 1");
}

}  // namespace
}  // namespace zbtest

// Working files: their names, a position loaded into one and stored back,
// the failures of both with their log lines and message box, and the test
// whether a request still names what a working file holds.
#include <gtest/gtest.h>

#include "projectstore/temporary_name.h"
#include "projectstore/working_file.h"
#include "transfer_fixture.h"

namespace zbtest {
namespace {

namespace ps = zb::projectstore;
using zb::recordstore::PosInfoExt;

int g_signals = 0;
void ZBAPI CountSignal() { ++g_signals; }

class WorkingFileTest : public TransferTest {
 protected:
  static PROINFO Project(const std::string& name) {
    PROINFO p{};
    SetText(p.szProject, sizeof p.szProject, name);
    return p;
  }
  static PosInfoExt Position(const std::string& long_name) {
    PosInfoExt p{};
    SetText(p.PosNameLong, sizeof p.PosNameLong, long_name);
    return p;
  }
  int32_t Load(const std::string& project, const std::string& name,
               int32_t* error, uint32_t flags = 0) {
    working_ = tmp_folder_;
    position_ = Position(name);
    return ps::LoadPositionIntoWorkingFile(store(), data_, &working_, "DLT",
                                           Project(project), &position_, error,
                                           flags);
  }
  int32_t Store(const std::string& project, const std::string& name,
                int32_t* error, uint32_t flags = 0,
                const std::string& folder = "") {
    return ps::StoreWorkingFileIntoPosition(
        store(), folder.empty() ? data_ : folder, working_, "DLT",
        Project(project), Position(name), error, flags);
  }
  std::string working_;
  PosInfoExt position_{};
};

TEST(TemporaryNameTest, KeyFirstNumberRightAligned) {
  EXPECT_EQ(ps::TemporaryName("XYZ", 1), "XYZ00001.TMP");
  EXPECT_EQ(ps::TemporaryName("DLT  ", 12), "DLT00012.TMP");
  EXPECT_EQ(ps::TemporaryName("S2001", 1), "S2001001.TMP");
  EXPECT_EQ(ps::TemporaryName("S2001", 12345), "S2012345.TMP");
}

TEST_F(WorkingFileTest, TemporaryNamesRiseWhileTaken) {
  const std::string first =
      ps::FreeTemporaryPath(store(), tmp_folder_ + "/", "XYZ");
  EXPECT_EQ(first, tmp_folder_ + "\\XYZ00001.TMP");
  DBClose(Open(first));
  EXPECT_EQ(ps::FreeTemporaryPath(store(), tmp_folder_, "XYZ"),
            tmp_folder_ + "\\XYZ00002.TMP");
  // A file given before is replaced under its own name.
  EXPECT_EQ(ps::NewTemporaryPath(store(), first, "XYZ"), first);
  EXPECT_FALSE(lib().os().FileExists(first));
  EXPECT_EQ(ps::NewTemporaryPath(store(), tmp_folder_, "XYZ"), first);
}

TEST_F(WorkingFileTest, LoadAndStoreRoundTrip) {
  int32_t error = 1;
  g_signals = 0;
  lib().context().progress_callback = &CountSignal;
  EXPECT_EQ(Load(kBruecke, kStuetze, &error), 7);
  EXPECT_EQ(error, 0);
  EXPECT_EQ(g_signals, 4);  // 25, 50, 75 and 100 percent of 4 records
  EXPECT_EQ(working_, tmp_folder_ + "\\DLT00001.TMP");
  EXPECT_TRUE(Records(working_) ==
              Records(FixturePath("ZBStatik/TMP/DLT00001.TMP")));
  EXPECT_EQ(Str(position_.Designation, 42), "Achse B, Geschoss 1");
  EXPECT_TRUE(LogHas("\n     iSetLockOff\xa7 uProPosToTmp Psst '0' "));
  EXPECT_EQ(lib().context().position_lock.state, 1);

  EXPECT_EQ(Store(kBruecke, kStuetze, &error), 7);
  EXPECT_EQ(error, 0);
  EXPECT_TRUE(LogHas("\n     iSetLockOff\xa7 TmpToProPos Psst '0' "));
  EXPECT_EQ(Stored(project_, kStuetze).Ctrl & 1, 1);  // still worked on
  EXPECT_EQ(lib().context().position_lock.state, 1);
  EXPECT_TRUE(ui_.messages().empty());
}

TEST_F(WorkingFileTest, NewPositionsGetAWorkingFileWithHeadersOnly) {
  int32_t error = 1;
  // Unknown project, empty name, a position without data records.
  EXPECT_EQ(Load("Neubau", "Balken", &error), 4);
  EXPECT_EQ(error, 0);
  EXPECT_EQ(Records(working_).size(), 4u);
  EXPECT_EQ(Load(kBruecke, "", &error), 4);
  EXPECT_EQ(error, 0);
  {
    const int16_t h = Open(project_, DBOpenExcl);
    ASSERT_GT(ps::CreatePosition(store(), h, "Leer", "", kDlt), 0);
    DBClose(h);
  }
  EXPECT_EQ(Load(kBruecke, "Leer", &error), 4);
  EXPECT_EQ(error, 0);
  // The export's file is replaced under its name: the third of the test.
  EXPECT_EQ(working_, tmp_folder_ + "\\DLT00003.TMP");
  const std::vector<Rec> recs = Records(working_);
  ASSERT_EQ(recs.size(), 4u);
  PROINFO header{};
  std::memcpy(&header, recs[0].data.data(), sizeof header);
  EXPECT_EQ(header.number, 1);  // the project file's own header
  EXPECT_EQ(Str(recs[3].data.data() + 44, 10), "Leer");
}

TEST_F(WorkingFileTest, LoadAndStoreFailures) {
  int32_t error = 0;
  ASSERT_EQ(Load(kBruecke, kUnterzug, &error, 1), 6);
  const std::vector<Rec> before = Records(project_);
  // Locked by mueller: nothing written, reported as -7, told when flags 0.
  EXPECT_EQ(Store(kBruecke, kUnterzug, &error), 0);
  EXPECT_EQ(error, -7);
  EXPECT_TRUE(Records(project_) == before);
  ASSERT_FALSE(ui_.messages().empty());
  EXPECT_EQ(ui_.messages().back().text,
            "Position konnte nicht gespeichert werden.\n\n No write "
            "permission to PRO-file");
  EXPECT_TRUE(LogHas("\n### ERROR  No write permission to PRO-file\n"));
  const size_t shown = ui_.messages().size();
  EXPECT_EQ(Store(kBruecke, kUnterzug, &error, 1), 0);
  EXPECT_EQ(ui_.messages().size(), shown);  // quiet

  const std::string missing = Path("nowhere");
  EXPECT_EQ(Store(kBruecke, kStuetze, &error, 1, missing), -1);
  EXPECT_EQ(error, -1);
  EXPECT_TRUE(LogHas(" Directory '" + missing + "' doesn't exist"));
  working_ = Path("missing.TMP");
  EXPECT_EQ(Store(kBruecke, kStuetze, &error, 1), 0);
  EXPECT_EQ(error, -4);

  ASSERT_EQ(std::remove(project_.c_str()), 0);
  EXPECT_EQ(Load(kBruecke, kStuetze, &error), 0);
  EXPECT_EQ(error, -1);
  EXPECT_EQ(working_, tmp_folder_);  // no working file handed back
  EXPECT_TRUE(
      LogHas("\n***ERROR*ProPosToTmp**** DataPath ist kein "
             "Verzeichnis\n"));
}

TEST_F(WorkingFileTest, StoreCreatesAMissingProject) {
  int32_t error = 0;
  ASSERT_EQ(Load(kBruecke, kStuetze, &error, 5), 7);
  EXPECT_EQ(Store("Neubau", "Balken", &error, 5), 7);
  EXPECT_EQ(error, 0);
  std::string path;
  ASSERT_GE(ps::FindProject(store(), data_, "Neubau", nullptr, &path), 0);
  EXPECT_EQ(Stored(path, "Balken").Recs, 4);
}

TEST_F(WorkingFileTest, CompareRequestWithWorkingFile) {
  int32_t error = 0;
  ASSERT_EQ(Load(kBruecke, kStuetze, &error, 5), 7);
  ZBPROPOS_L r = Request(kBruecke, "st\xfctze 12 achse b ");
  SetText(r.szTmpDatei, sizeof r.szTmpDatei, working_);
  EXPECT_EQ(ps::CompareRequestWithWorkingFile(store(), &r), 0);
  SetText(r.szPosNameLong, 42, "Anderer");
  EXPECT_EQ(ps::CompareRequestWithWorkingFile(store(), &r), 1);
  // The file's own short name stands for its long name.
  SetText(r.szPosName, 10, "St\xfctze ~");
  EXPECT_EQ(ps::CompareRequestWithWorkingFile(store(), &r), 0);
  EXPECT_EQ(Str(r.szPosNameLong, 42), kStuetze);
  SetText(r.szProName, 42, "Halle 7");
  EXPECT_EQ(ps::CompareRequestWithWorkingFile(store(), &r), 2);
  SetText(r.szProName, 42, "");
  EXPECT_EQ(ps::CompareRequestWithWorkingFile(store(), &r), 2);
  r = Request(kBruecke, "");
  EXPECT_EQ(ps::CompareRequestWithWorkingFile(store(), &r), 1);

  r = Request(kBruecke, kStuetze);
  SetText(r.szTmpDatei, 100, Path("missing.TMP"));
  EXPECT_EQ(ps::CompareRequestWithWorkingFile(store(), &r), -4);
  const std::string bare = Path("bare.TMP");
  MakeRecordFile(bare, {{1, 10, Text("x")}});
  SetText(r.szTmpDatei, 100, bare);
  EXPECT_EQ(ps::CompareRequestWithWorkingFile(store(), &r), -3);
  MakeRecordFile(bare, {{kDlt, 30003, Bytes(104)}});
  EXPECT_EQ(ps::CompareRequestWithWorkingFile(store(), &r), -2);
}

}  // namespace
}  // namespace zbtest

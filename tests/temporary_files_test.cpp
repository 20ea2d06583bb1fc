// Temporary files of a program: the listing of one, its reset to the header
// records, deletion by pattern with the one-minute guard, and the copy of
// another position into a temporary file without dialog.
#include "api/temporary_files.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>

#include "environment/library_context.h"
#include "support/byte_string.h"
#include "support/installed_data_fixture.h"

namespace zbtest {
namespace {

namespace env = zb::environment;
namespace fs = std::filesystem;

// Only a TMP folder; the tests that read positions install the data.
class TemporaryFilesTest : public InstalledDataTest {
 protected:
  TemporaryFilesTest() : InstalledDataTest({}) {}
  void SetUp() override {
    InstalledDataTest::SetUp();
    tmp_ = Path("TMP");
    ASSERT_TRUE(MakeFolder(tmp_));
  }
  // The working file of DLT position 1 as an open leaves it.
  std::string WorkingFile(const std::string& name = "DLT00001.TMP") {
    const std::string path = JoinPath(tmp_, name);
    EXPECT_TRUE(CopyFileTo(FixturePath("ZBStatik/TMP/DLT00001.TMP"), path));
    return path;
  }
  static void Age(const std::string& path, int seconds) {
    fs::last_write_time(fs::path(path), fs::file_time_type::clock::now() -
                                            std::chrono::seconds(seconds));
  }
  ZBPROPOS_L Request(const std::string& tmp_file) {
    ZBPROPOS_L r{};
    SetText(r.szTmpDatei, sizeof r.szTmpDatei, tmp_file);
    return r;
  }
  std::string tmp_;
};

TEST_F(TemporaryFilesTest, ListingGoesToTheTextFileOfTheSameName) {
  const std::string path = WorkingFile();
  ZBPROPOS_L r = Request(path);
  EXPECT_EQ(ZB_InhaltTmp_L(&r), 7);
  const std::string text = ReadText(JoinPath(tmp_, "DLT00001.txt"));
  EXPECT_EQ(text.rfind(OnDisk("\n  RecNr.   Offset     Key1     Key2    Bytes"
                              "     Text\n"), 0), 0u);
  EXPECT_TRUE(Contains(text, OnDisk("\n\nRecords 7 \n, Bytes: 500 + 577 ")));

  // A second listing starts the text file anew.
  EXPECT_EQ(ZB_InhaltTmp_L(&r), 7);
  EXPECT_EQ(ReadText(JoinPath(tmp_, "DLT00001.txt")), text);

  // The plain form with the short record lists the same.
  ZBPROPOS plain{};
  SetText(plain.szTmpDatei, sizeof plain.szTmpDatei, path);
  EXPECT_EQ(ZB_InhaltTmp(&plain), 7);

  // Refused: a name without a dot, a text that cannot be written.
  const std::string no_dot = JoinPath(tmp_, "DLT00001");
  ASSERT_TRUE(CopyFileTo(FixturePath("ZBStatik/TMP/DLT00001.TMP"), no_dot));
  r = Request(no_dot);
  EXPECT_EQ(ZB_InhaltTmp_L(&r), -1);

  ZBPROPOS_L missing_folder = Request(JoinPath(Path("nowhere"), "X.TMP"));
  EXPECT_EQ(ZB_InhaltTmp_L(&missing_folder), -1);
  EXPECT_FALSE(FileExists(JoinPath(Path("nowhere"), "X.txt")));
}

TEST_F(TemporaryFilesTest, KillDeletesOnlyFilesOlderThanAMinute) {
  const std::string old1 = WorkingFile("DLT00001.TMP");
  const std::string old2 = WorkingFile("DLT00002.TMP");
  const std::string fresh = WorkingFile("DLT00003.TMP");
  const std::string other = WorkingFile("STB00001.TMP");
  Age(old1, 90);
  Age(old2, 3600);
  Age(fresh, 30);  // still within its first minute
  Age(other, 3600);

  ZBPROPOS_L r = Request(JoinPath(tmp_, "DLT*.TMP"));
  lib().context().progress_code = 5;
  EXPECT_EQ(ZB_KillTmp_L(&r), 2);
  EXPECT_EQ(lib().context().progress_code, 0);
  EXPECT_FALSE(FileExists(old1));
  EXPECT_FALSE(FileExists(old2));
  EXPECT_TRUE(FileExists(fresh));
  EXPECT_TRUE(FileExists(other));
  std::string log = Logged();
  EXPECT_TRUE(Contains(log, "ZB_KillTmp"));
  EXPECT_EQ(log.size() - log.rfind("\n ZB_KillTmp OK"),
            std::strlen("\n ZB_KillTmp OK"));

  // Only the fresh file is left: nothing is deleted.
  EXPECT_EQ(ZB_KillTmp_L(&r), 0);
  log = Logged();
  EXPECT_EQ(log.size() - log.rfind("\n ZB_KillTmp failed"),
            std::strlen("\n ZB_KillTmp failed"));

  // A Basic caller names the file in a padded field.
  ZBPROPOS basic{};
  std::memset(&basic, ' ', sizeof basic);
  std::memcpy(basic.szTmpDatei, other.data(), other.size());
  EXPECT_EQ(ZB_KillTmpB(&basic), 1);
  EXPECT_FALSE(FileExists(other));
  EXPECT_EQ(basic.szTmpDatei[sizeof basic.szTmpDatei - 1], ' ');
}

// A working file cleaned back to its four header records, closed again
// unless it was open; one without them and a missing one are refused.
TEST_F(TemporaryFilesTest, CleanKeepsOnlyTheHeaderRecords) {
  const std::string path = WorkingFile();
  EXPECT_GT(ZB_CleanTmp(path.c_str()), 0);
  EXPECT_EQ(DBGetFileHnd(path.c_str()), -1);  // closed again
  const int16_t w = Open(path, DBOpenReadOnly);
  EXPECT_EQ(DBGetNumRecord(w), 4u);
  char buffer[300];
  EXPECT_EQ(DBRead(w, 101, 30000, 0, sizeof buffer, buffer), 56);
  EXPECT_EQ(Str(buffer, 42), "Achse B, Geschoss 1");
  EXPECT_EQ(DBRead(w, 101, 30003, 0, sizeof buffer, buffer), 104);
  EXPECT_EQ(Str(buffer + 4, 42), kProject);
  EXPECT_EQ(DBRead(w, 101, 30002, 0, sizeof buffer, buffer), 116);
  EXPECT_EQ(DBRead(w, 101, 30002, 1, sizeof buffer, buffer), 248);
  EXPECT_EQ(Str(buffer + 144, 42), kStuetze);
  EXPECT_LT(DBRead(w, 1, 10, 0, sizeof buffer, buffer), 0);
  DBClose(w);
  EXPECT_TRUE(LogHas("ZB_CleanTmp"));
  EXPECT_TRUE(LogHas("\n ZB_CleanTmp OK"));

  // An open file stays open under its handle.
  const std::string open = WorkingFile("DLT00002.TMP");
  ASSERT_GT(Open(open), 0);
  const int32_t h = ZB_CleanTmp(open.c_str());
  ASSERT_GT(h, 0);
  EXPECT_EQ(DBGetFileHnd(open.c_str()), h);
  EXPECT_EQ(DBGetNumRecord(H(h)), 4u);
  EXPECT_EQ(DBClose(H(h)), DB_SUCCESS);
  // The Basic forms pass szTmpDatei of their padded record.
  ZBPROPOS_L basic{};
  std::memset(&basic, ' ', sizeof basic);
  std::memcpy(basic.szTmpDatei, open.data(), open.size());
  EXPECT_GT(ZB_CleanTmp_LB(&basic), 0);
  EXPECT_EQ(DBGetFileHnd(open.c_str()), -1);

  const std::string bare = JoinPath(tmp_, "DLT00009.TMP");
  MakeRecordFile(bare, {{1, 10, Text("Lastfall G")}});
  const Bytes before = ReadFileBytes(bare);
  EXPECT_EQ(ZB_CleanTmp(bare.c_str()), 0);
  EXPECT_EQ(ReadFileBytes(bare), before);
  EXPECT_EQ(ZB_CleanTmp(JoinPath(tmp_, "missing.TMP").c_str()), DB_EOF);
  EXPECT_FALSE(FileExists(JoinPath(tmp_, "missing.TMP")));
  EXPECT_TRUE(LogHas("\n ZB_CleanTmp failed"));
}

class PositionToTemporaryTest : public TemporaryFilesTest {
 protected:
  void SetUp() override {
    TemporaryFilesTest::SetUp();
    InstallData({"ZBPROS.ZB", "PRO00001.PRO", "PRO00002.PRO"});
    request_tmp_ = tmp_;
  }
};

TEST_F(PositionToTemporaryTest, CopiesThePositionWithItsDesignation) {
  ZBPROPOS_L r = Long("DLT", kStuetze);
  EXPECT_EQ(iProPosToTmpExC_L(&r, 5), 7);  // quiet, no lock
  EXPECT_EQ(Str(r.szTmpDatei, 100), tmp_ + "\\DLT00001.TMP");
  EXPECT_EQ(Str(r.szProBezeichnung, 42), "Achse B, Geschoss 1");
  const std::string log = Logged();
  EXPECT_TRUE(Contains(log, "\n *** SilentOpen"));
  EXPECT_TRUE(Contains(log, "\n ***            result :7 records, "));

  // The plain form with the short record: the name from szPosName (an
  // old position of DACH that has only a short name).
  ZBPROPOS plain{};
  std::memcpy(&plain, &r, sizeof plain);
  SetText(plain.szTmpDatei, sizeof plain.szTmpDatei, "");
  SetText(plain.szPrgName, sizeof plain.szPrgName, "DACH");
  SetText(plain.szPosName, sizeof plain.szPosName, "Dach");
  EXPECT_EQ(iProPosToTmpExC(&plain, 5), 6);
  EXPECT_EQ(Str(plain.szTmpDatei, 100), tmp_ + "\\DACH0001.TMP");
  EXPECT_EQ(Str(plain.szProBezeichnung, 42), "Dachstuhl");
}

TEST_F(PositionToTemporaryTest, ReportsTheTransferError) {
  ZBPROPOS_L r = Long("DLT", kStuetze);
  SetText(r.szTmpPfad, sizeof r.szTmpPfad, JoinPath(Path("nowhere"), ""));
  SetText(r.szTmpDatei, sizeof r.szTmpDatei,
          JoinPath(Path("nowhere"), "DLT00001.TMP"));
  EXPECT_EQ(iProPosToTmpExC_L(&r, 5), -4);
  EXPECT_TRUE(LogHas("\n ***            result :-4 records, "));
}


TEST(XmlPathTest, ReturnsTheTextAsANewString) {
  EXPECT_EQ(Take(ZB_GetXMLPath("C:\\Daten\\x.xml")), "C:\\Daten\\x.xml");
  EXPECT_EQ(Take(ZB_GetXMLPathB("C:\\Daten\\x.xml")), "C:\\Daten\\x.xml");
}

}  // namespace
}  // namespace zbtest

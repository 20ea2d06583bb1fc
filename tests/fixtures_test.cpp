// Record files as an installation leaves them, opened from copies that
// must stay unchanged: project files, the project list, an export file, a
// working file and damaged files.
#include <gtest/gtest.h>

#include "support/record_fixture.h"

namespace zbtest {
namespace {

const std::string kBrueckeNord = "Br\xFC" "cke Nord";  // Windows-1252

class FixturesTest : public RecordStoreTest {
 protected:
  int16_t OpenCopy(const std::string& relative,
                   decltype(&DBOpen) open = DBOpenReadOnly) {
    path_ = Path(relative.substr(relative.find_last_of('/') + 1));
    EXPECT_TRUE(CopyFileTo(FixturePath(relative), path_)) << relative;
    original_ = ReadFileBytes(path_);
    return Open(path_, open);
  }
  void CloseUnchanged(int16_t h) {
    EXPECT_EQ(DBClose(h), DB_SUCCESS);
    EXPECT_BYTES(ReadFileBytes(path_), original_) << path_;
  }
  int Count(int16_t h, int16_t k1, int16_t k2) {
    std::vector<uint8_t> buf(DB_MAX_RECORD);
    int n = 0;
    for (int32_t r = DBRead(h, k1, k2, 0, DB_MAX_RECORD, buf.data()); r >= 0;
         r = DBReadNext(h, buf.data()))
      ++n;
    return n;
  }
  std::string ProjectName(int16_t h) {
    PROINFO pro{};
    EXPECT_EQ(DBReadBin(h, 0, 104, &pro), 104);
    return Str(pro.szProject, 42);
  }

  std::string path_;
  Bytes original_;
};

// Every file of the installation opens in each mode and closes unchanged;
// the rest of their contents the tests on them read.
TEST_F(FixturesTest, EveryInstallationFileClosesUnchanged) {
  const struct {
    const char* file;
    decltype(&DBOpen) open;
    uint32_t records;
    std::string project;
  } files[] = {
      {"ZBStatik/Daten/PRO00001.PRO", DBOpenReadOnly, 21, kBrueckeNord},
      {"ZBStatik/Daten/PRO00002.PRO", DBOpenExcl, 5, "Halle 7"},
      {"ZBStatik/Daten/PRO00004.PRO", DBOpen, 0, "Haus"},
      {"ZBStatik/Daten/PRO00005.PRO", DBOpenReadOnly, 0, "Haus"},
      {"ZBStatik/Daten/ZBProjekt_Altbau/ProjectData.ZBDB", DBOpen, 0,
       "Altbau Sanierung"},
      {"ZBStatik/Daten/ZBPROS.ZB", DBOpen, 0, ""},
      {"exchange/DLTUnterzug U1.POS", DBOpenExcl, 6, ""},
      {"ZBStatik/TMP/DLT00001.TMP", DBOpen, 7, ""}};
  for (const auto& f : files) {
    SCOPED_TRACE(f.file);
    const int16_t h = OpenCopy(f.file, f.open);
    if (f.records) {
      EXPECT_EQ(DBGetNumRecord(h), f.records);
    }
    if (!f.project.empty()) {
      EXPECT_EQ(ProjectName(h), f.project);
    }
    if (&f == files) {
      // One deleted record is left from an old save.
      EXPECT_EQ(Count(h, -1, 101), 1);
      EXPECT_EQ(Count(h, DB_WILDCARD, 101), 11);
      char buf[64];  // each position's PROPOS by its working-file keys
      EXPECT_EQ(DB4_Read(h, 2, 101, 101, 30000, 1, 56, buf), 60);
      EXPECT_EQ(Str(buf, 42), "Halle Ost");
    }
    CloseUnchanged(h);
  }
}

TEST_F(FixturesTest, DamagedFiles) {
  // Cut inside its index, or without end mark and index: refused.
  for (const char* name : {"damaged/PRO00001.PRO", "damaged/PRO00002.PRO"}) {
    const std::string path = Path(std::string(name).substr(8));
    ASSERT_TRUE(CopyFileTo(FixturePath(name), path));
    const Bytes before = ReadFileBytes(path);
    for (auto open : {DBOpen, DBOpenReadOnly, DBOpenExcl})
      EXPECT_EQ(open(path.c_str()), DB_NOEND) << name;
    EXPECT_BYTES(ReadFileBytes(path), before);
  }
  // A garbled record header does not matter while the index is intact.
  const int16_t h = OpenCopy("damaged/PRO00003.PRO");
  EXPECT_EQ(DBGetNumRecord(h), 21u);
  EXPECT_EQ(Count(h, 1, 101), 4);
  CloseUnchanged(h);
}

}  // namespace
}  // namespace zbtest

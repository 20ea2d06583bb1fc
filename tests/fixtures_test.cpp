// Record files as an existing installation leaves them: a working file, the
// project files of a data folder, the project list, an export file, and
// damaged copies. Every test works on copies in a temporary folder.
#include <gtest/gtest.h>

#include <cstring>

#include "recordstore/compaction.h"
#include "recordstore/typed_records.h"
#include "support/record_fixture.h"

namespace zbtest {
namespace {

namespace rs = zb::recordstore;

// Windows-1252 texts of the fixtures.
const std::string kBrueckeNord = "Br\xFC" "cke Nord";
const std::string kStuetzeShort = "St\xFCtze ~";
const std::string kStuetzeLong = "St\xFCtze 12 Achse B";

class FixturesTest : public RecordStoreTest {
 protected:
  // Copies a fixture into the temporary folder and returns the copy's path.
  std::string Copy(const std::string& relative) {
    const std::string name = relative.substr(relative.find_last_of('/') + 1);
    const std::string copy = Path(name);
    EXPECT_TRUE(CopyFileTo(FixturePath(relative), copy)) << relative;
    return copy;
  }

  // Number of records found for k1, k2 by a read and Next reads.
  int Count(int16_t h, int16_t k1, int16_t k2) {
    std::vector<uint8_t> buf(DB_MAX_RECORD);
    int n = 0;
    for (int32_t r = DBRead(h, k1, k2, 0, DB_MAX_RECORD, buf.data()); r >= 0;
         r = DBReadNext(h, buf.data()))
      ++n;
    return n;
  }

  rs::PosInfoExt ReadExtended(int16_t h, int16_t k1, int16_t k2, int32_t n) {
    rs::PosInfoExt ext;
    std::memset(&ext, 0, sizeof ext);
    EXPECT_EQ(DBRead(h, k1, k2, n, 248, &ext), 248);
    return ext;
  }
};

std::string Str(const char* field, size_t width) {
  size_t len = 0;
  while (len < width && field[len]) ++len;
  return std::string(field, len);
}

TEST_F(FixturesTest, WorkingFileOfAPosition) {
  const std::string path = Copy("ZBStatik/TMP/DLT00001.TMP");
  const Bytes original = ReadFileBytes(path);
  const int16_t h = static_cast<int16_t>(DBOpenReadOnly(path.c_str()));
  ASSERT_GT(h, 0);
  EXPECT_EQ(DBGetNumRecord(h), 7u);

  PROINFO pro;
  EXPECT_EQ(DBReadPROINFO(h, 101, 30003, 0, &pro), 104);
  EXPECT_EQ(Str(pro.szProject, 42), kBrueckeNord);
  EXPECT_EQ(Str(pro.szPrgShort, 6), "DLT");
  EXPECT_EQ(Str(pro.szAuthor, 30), "Ing. Maier");
  EXPECT_EQ(pro.number, 1);

  // The short form first, the extended form second.
  POSINFO pos;
  EXPECT_EQ(DBReadPOSINFO(h, 101, 30002, 0, &pos), 116);
  EXPECT_EQ(pos.id, 1);
  EXPECT_EQ(Str(pos.PosName, 10), kStuetzeShort);
  EXPECT_EQ(Str(pos.PrgVer, 6), "2.1");
  EXPECT_EQ(pos.Recs, 4);
  uint8_t raw[300];
  EXPECT_EQ(DBRead(h, 101, 30002, 0, 300, raw), 116);
  EXPECT_EQ(DBRead(h, 101, 30002, 1, 300, raw), 248);
  const rs::PosInfoExt ext = ReadExtended(h, 101, 30002, 1);
  EXPECT_EQ(ext.id, 1);
  EXPECT_EQ(ext.id_copy, 1);
  EXPECT_EQ(Str(ext.PosNameLong, 42), kStuetzeLong);
  EXPECT_EQ(Str(ext.Designation, 42), "Achse B, Geschoss 1");
  EXPECT_EQ(ext.page_start, 5);
  EXPECT_EQ(ext.page_count, 3);
  // The short name follows from the long one.
  char short_name[10];
  rs::ShortNameFromLong(ext.PosNameLong, short_name);
  EXPECT_EQ(Str(short_name, 10), kStuetzeShort);

  PROPOS tag;
  EXPECT_EQ(DBReadPROPOS(h, 101, 30000, 0, &tag), 56);
  EXPECT_EQ(Str(tag.ProName, 42), Str(ext.Designation, 42));

  // The program's own records follow the header records.
  uint8_t buf[64];
  int16_t k1 = 0, k2 = 0;
  ASSERT_EQ(DBRead(h, DB_WILDCARD, DB_WILDCARD, 4, 64, buf), 16);
  DBGetKeys(&k1, &k2);
  EXPECT_EQ(k1, 1);
  EXPECT_EQ(k2, 10);
  ASSERT_EQ(DBReadNext(h, buf), 13);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buf)), "Lastfall G+Q");
  ASSERT_EQ(DBReadNext(h, buf), 24);
  DBGetKeys(&k1, &k2);
  EXPECT_EQ(k1, 2);
  EXPECT_EQ(k2, 10);
  EXPECT_EQ(DBReadNext(h, buf), DB_EOF);
  EXPECT_EQ(Count(h, 1, DB_WILDCARD), 2);
  ASSERT_EQ(DBClose(h), DB_SUCCESS);

  // Opening it for writing and closing it again changes nothing.
  const int16_t w = static_cast<int16_t>(DBOpen(path.c_str()));
  ASSERT_GT(w, 0);
  EXPECT_EQ(DBGetNumRecord(w), 7u);
  ASSERT_EQ(DBClose(w), DB_SUCCESS);
  EXPECT_BYTES(ReadFileBytes(path), original);
}

TEST_F(FixturesTest, ProjectFileWithThreePositions) {
  const std::string path = Copy("ZBStatik/Daten/PRO00001.PRO");
  const Bytes original = ReadFileBytes(path);
  const int16_t h = static_cast<int16_t>(DBOpenReadOnly(path.c_str()));
  ASSERT_GT(h, 0);
  EXPECT_EQ(DBGetNumRecord(h), 21u);

  PROINFO pro;
  ASSERT_EQ(DBReadBin(h, 0, 104, &pro), 104);
  EXPECT_EQ(Str(pro.szProject, 42), kBrueckeNord);
  EXPECT_EQ(Str(pro.szAuthor, 30), "Ing. Maier");
  EXPECT_EQ(Str(pro.szPrgShort, 6), "DLT");
  EXPECT_EQ(pro.number, 1);

  // Highest ids given out.
  uint16_t top = 0;
  EXPECT_EQ(DBRead(h, 30001, 101, 0, 2, &top), 2);
  EXPECT_EQ(top, 2);
  EXPECT_EQ(DBRead(h, 30001, 102, 0, 2, &top), 2);
  EXPECT_EQ(top, 1);

  // Two DLT positions in the extended form, read by their short form.
  POSINFO pos;
  EXPECT_EQ(DBReadPOSINFO(h, 30002, 101, 0, &pos), 116);
  EXPECT_EQ(pos.id, 1);
  EXPECT_EQ(pos.Ctrl & 1, 0);
  EXPECT_EQ(Str(pos.PosName, 10), kStuetzeShort);
  EXPECT_EQ(DBReadPOSINFO(h, 30002, 101, 1, &pos), 116);
  EXPECT_EQ(pos.id, 2);
  EXPECT_EQ(pos.Ctrl & 1, 1);  // locked
  EXPECT_EQ(Str(pos.PosName, 10), "Unterzu~");
  EXPECT_EQ(DBReadPOSINFO(h, 30002, 101, 2, &pos), DB_EOF);
  const rs::PosInfoExt first = ReadExtended(h, 30002, 101, 0);
  EXPECT_EQ(Str(first.PosNameLong, 42), kStuetzeLong);
  EXPECT_EQ(Str(first.Designation, 42), "Achse B, Geschoss 1");
  EXPECT_EQ(first.page_start, 5);
  EXPECT_EQ(first.page_count, 3);
  EXPECT_NE(first.page_time, 0u);  // printed
  const rs::PosInfoExt second = ReadExtended(h, 30002, 101, 1);
  EXPECT_EQ(Str(second.PosNameLong, 42), "Unterzug U1");
  // An old DACH position: only the short form exists.
  uint8_t raw[300];
  EXPECT_EQ(DBRead(h, 30002, 102, 0, 300, raw), 116);
  EXPECT_EQ(DBReadPOSINFO(h, 30002, 102, 0, &pos), 116);
  EXPECT_EQ(Str(pos.PosName, 10), "Dach");

  // The positions' records: PROPOS + 3, PROPOS + 2, PROPOS + 2; one deleted
  // record of position 1 is left from an earlier save.
  EXPECT_EQ(Count(h, 1, 101), 4);
  EXPECT_EQ(Count(h, 2, 101), 3);
  EXPECT_EQ(Count(h, 1, 102), 3);
  EXPECT_EQ(Count(h, -1, 101), 1);
  EXPECT_EQ(Count(h, DB_WILDCARD, 101), 1 + 2 + 1 + 4 + 3);
  // Each position's PROPOS, found by its working-file keys.
  uint8_t buf[64];
  EXPECT_EQ(DB4_Read(h, 1, 101, 101, 30000, 1, 56, buf), 60);
  EXPECT_EQ(Str(reinterpret_cast<char*>(buf), 42), "Achse B, Geschoss 1");
  EXPECT_EQ(DB4_Read(h, 2, 101, 101, 30000, 1, 56, buf), 60);
  EXPECT_EQ(Str(reinterpret_cast<char*>(buf), 42), "Halle Ost");
  EXPECT_EQ(DB4_Read(h, 1, 102, 102, 30000, 1, 56, buf), 60);
  EXPECT_EQ(Str(reinterpret_cast<char*>(buf), 42), "Dachstuhl");
  EXPECT_EQ(DB4_Read(h, 1, 101, 1, 11, 1, 56, buf), 17);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buf)), "Lastfall G+Q");

  // The lock record of position 2, written by user "mueller" on "CAD-03".
  std::vector<uint8_t> lock(600);
  EXPECT_EQ(DBRead(h, 101, 2, 0, 600, lock.data()), 538);
  const std::string lock_text(lock.begin(), lock.begin() + 538);
  EXPECT_NE(lock_text.find("CAD-03"), std::string::npos);
  EXPECT_NE(lock_text.find("mueller"), std::string::npos);

  uint32_t counter = 0;
  EXPECT_EQ(DBRead(h, 30005, 0, 0, 4, &counter), 4);
  EXPECT_EQ(counter, 1u);
  uint16_t page = 0;
  EXPECT_EQ(DBRead(h, 30006, 0, 0, 2, &page), 2);
  EXPECT_EQ(page, 9);
  std::vector<uint8_t> link(1100);
  EXPECT_EQ(DBRead(h, 30030, 1, 0, 1100, link.data()), 1032);
  EXPECT_EQ(DBRead(h, 30032, 1, 0, 1100, link.data()), 660);
  ASSERT_EQ(DBClose(h), DB_SUCCESS);
  EXPECT_BYTES(ReadFileBytes(path), original);
}

TEST_F(FixturesTest, OtherProjectFilesTheListAndTheExport) {
  {
    const std::string path = Copy("ZBStatik/Daten/PRO00002.PRO");
    const int16_t h = static_cast<int16_t>(DBOpenReadOnly(path.c_str()));
    ASSERT_GT(h, 0);
    PROINFO pro;
    ASSERT_EQ(DBReadBin(h, 0, 104, &pro), 104);
    EXPECT_EQ(Str(pro.szProject, 42), "Halle 7");
    const rs::PosInfoExt ext = ReadExtended(h, 30002, 205, 0);
    EXPECT_EQ(Str(ext.PosNameLong, 42), "St\xFCtze S1");
    EXPECT_EQ(Str(ext.PosName, 10), kStuetzeShort);
    EXPECT_EQ(Count(h, 1, 205), 2);
    ASSERT_EQ(DBClose(h), DB_SUCCESS);
  }
  for (const char* name : {"PRO00004.PRO", "PRO00005.PRO"}) {
    const std::string path = Copy(std::string("ZBStatik/Daten/") + name);
    const int16_t h = static_cast<int16_t>(DBOpenReadOnly(path.c_str()));
    ASSERT_GT(h, 0) << name;
    EXPECT_EQ(DBGetNumRecord(h), 0u);
    PROINFO pro;
    ASSERT_EQ(DBReadBin(h, 0, 104, &pro), 104);
    EXPECT_EQ(Str(pro.szProject, 42), "Haus");
    ASSERT_EQ(DBClose(h), DB_SUCCESS);
  }
  {
    const std::string path = Copy("ZBStatik/Daten/ZBPROS.ZB");
    const int16_t h = static_cast<int16_t>(DBOpenReadOnly(path.c_str()));
    ASSERT_GT(h, 0);
    uint16_t next = 0;
    EXPECT_EQ(DBRead(h, 30003, 30001, 0, 2, &next), 2);
    EXPECT_EQ(next, 3);
    const uint16_t numbers[] = {1, 2, 4, 5};
    const std::string names[] = {kBrueckeNord, "Halle 7", "Haus 00004",
                                 "Haus 00005"};
    for (int i = 0; i < 4; ++i) {
      PROINFO entry;
      ASSERT_EQ(DBReadPROINFO(h, 30003, 30003, i, &entry), 104);
      EXPECT_EQ(entry.number, numbers[i]);
      EXPECT_EQ(Str(entry.szProject, 42), names[i]);
      char stored[261] = {};
      ASSERT_EQ(DBRead(h, 30008, static_cast<int16_t>(i), 0, 260, stored), 260);
      EXPECT_EQ(std::string(stored), std::string("D:\\ZBStatik\\Daten\\PRO0000") +
                                         static_cast<char>('0' + numbers[i]) +
                                         ".PRO");
    }
    EXPECT_EQ(Count(h, 30003, 30003), 4);
    ASSERT_EQ(DBClose(h), DB_SUCCESS);
  }
  {
    const std::string path = Copy("ZBStatik/Daten/ZBProjekt_Altbau/ProjectData.ZBDB");
    const int16_t h = static_cast<int16_t>(DBOpenReadOnly(path.c_str()));
    ASSERT_GT(h, 0);
    PROINFO pro;
    ASSERT_EQ(DBReadBin(h, 0, 104, &pro), 104);
    EXPECT_EQ(Str(pro.szProject, 42), "Altbau Sanierung");
    const rs::PosInfoExt ext = ReadExtended(h, 30002, 101, 0);
    EXPECT_EQ(Str(ext.PosNameLong, 42), "Deckentr\xE4ger");
    ASSERT_EQ(DBClose(h), DB_SUCCESS);
  }
  {
    const std::string path = Copy("exchange/DLTUnterzug U1.POS");
    const int16_t h = static_cast<int16_t>(DBOpenReadOnly(path.c_str()));
    ASSERT_GT(h, 0);
    EXPECT_EQ(DBGetNumRecord(h), 6u);
    POSINFO pos;
    EXPECT_EQ(DBReadPOSINFO(h, 101, 30002, 0, &pos), 116);
    EXPECT_EQ(pos.id, 2);
    EXPECT_EQ(Str(pos.PosName, 10), "Unterzu~");
    PROPOS tag;
    EXPECT_EQ(DBReadPROPOS(h, 101, 30000, 0, &tag), 56);
    EXPECT_EQ(Str(tag.ProName, 42), "Halle Ost");
    ASSERT_EQ(DBClose(h), DB_SUCCESS);
  }
}

TEST_F(FixturesTest, DamagedFilesAreRefusedAndLeftAlone) {
  // Cut inside its index: no closed mark and no end-of-data mark at the end.
  const std::string cut = Copy("damaged/PRO00001.PRO");
  const Bytes cut_bytes = ReadFileBytes(cut);
  EXPECT_EQ(DBOpen(cut.c_str()), DB_NOEND);
  EXPECT_EQ(DBOpenReadOnly(cut.c_str()), DB_NOEND);
  EXPECT_EQ(DBOpenExcl(cut.c_str()), DB_NOEND);
  EXPECT_BYTES(ReadFileBytes(cut), cut_bytes);

  // Without end mark and index, and a zeroed index header.
  const std::string bare = Copy("damaged/PRO00002.PRO");
  const Bytes bare_bytes = ReadFileBytes(bare);
  EXPECT_EQ(DBOpen(bare.c_str()), DB_NOEND);
  EXPECT_BYTES(ReadFileBytes(bare), bare_bytes);

  // A garbled record header does not matter while the index is intact.
  const std::string garbled = Copy("damaged/PRO00003.PRO");
  const Bytes garbled_bytes = ReadFileBytes(garbled);
  const int16_t h = static_cast<int16_t>(DBOpenReadOnly(garbled.c_str()));
  ASSERT_GT(h, 0);
  EXPECT_EQ(DBGetNumRecord(h), 21u);
  EXPECT_EQ(Count(h, 1, 101), 4);
  ASSERT_EQ(DBClose(h), DB_SUCCESS);
  EXPECT_BYTES(ReadFileBytes(garbled), garbled_bytes);
}

TEST_F(FixturesTest, CompactingTheProjectDropsTheDeletedRecord) {
  const std::string path = Copy("ZBStatik/Daten/PRO00001.PRO");
  const Bytes original = ReadFileBytes(path);
  const int16_t h = static_cast<int16_t>(DBOpen(path.c_str()));
  ASSERT_GT(h, 0);
  std::vector<RecordImage> live;
  std::vector<uint8_t> buf(DB_MAX_RECORD);
  for (int32_t r = DBRead(h, DB_WILDCARD, DB_WILDCARD, 0, DB_MAX_RECORD,
                          buf.data());
       r >= 0; r = DBReadNext(h, buf.data())) {
    int16_t k1 = 0, k2 = 0;
    DBGetKeys(&k1, &k2);
    if (k1 >= 0) live.push_back({k1, k2, Bytes(buf.begin(), buf.begin() + r)});
  }
  ASSERT_EQ(DBClose(h), DB_SUCCESS);
  ASSERT_EQ(live.size(), 20u);
  EXPECT_EQ(zb::recordstore::CompactRecordFile(path), 1);
  EXPECT_BYTES(ReadFileBytes(Path("PRO00001.xxx")), original);
  EXPECT_BYTES(ReadFileBytes(path),
               BuildClosedFile(live, Bytes(original.begin(),
                                           original.begin() + 104)));
}

}  // namespace
}  // namespace zbtest

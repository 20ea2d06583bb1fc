// The record listing: one line per record with number, offset, keys, size
// and the start of its data, and a readable form of the library's own
// records.
#include <gtest/gtest.h>

#include "recordstore/listing.h"
#include "recordstore/typed_records.h"
#include "support/record_fixture.h"

namespace zbtest {
namespace {

using ListingTest = RecordStoreTest;

TEST_F(ListingTest, EveryRecordWithItsInterpretation) {
  const int16_t h = Open(Path("list.pro"));
  const std::string text = Path("list.txt");
  const std::string heading =
      "\n  RecNr.   Offset     Key1     Key2    Bytes     Text\n";
  const std::string empty = heading + "\n\nRecords 0 \n, Bytes: 500 + 0 ";
  EXPECT_EQ(zb::recordstore::ListRecordsToFile(lib().engine(), h, text), 0u);

  ASSERT_EQ(DBWrite(h, 5, 6, -1, 50, std::string(50, 'L').data()), 50);
  ASSERT_EQ(DBWrite(h, 7, 8, -1, 5, "hello"), 5);
  ASSERT_EQ(DBDel(h, 7, 8, 0), 5);
  ASSERT_EQ(DBWrite(h, 0, 1, -1, 6, "ab\0cde"), 6);
  zb::recordstore::PosInfoExt pos;
  std::memset(&pos, 0, sizeof pos);
  pos.id = pos.id_copy = 0x4241;  // "AB" as the start of the data
  pos.DatVer = 2;
  pos.Recs = 4;
  SetText(pos.PrgVer, 6, "9.0");
  SetText(pos.Msg, 40, "Meldung");
  SetText(pos.PosName, 10, "Stuetze~");
  SetText(pos.PosNameLong, 42, "Stuetze12 Achse B");
  zb::recordstore::PosInfoExt dach = pos;
  SetText(dach.PosName, 10, "Dach");
  dach.Recs = 3;
  dach.Ctrl = 1;
  ASSERT_EQ(DBWrite(h, 30002, 101, -1, 248, &pos), 248);
  ASSERT_EQ(DBWrite(h, 30002, 102, -1, 116, &dach), 116);
  ASSERT_EQ(DBWrite(h, 30001, 101, -1, 2, "\x02\x00"), 2);
  ASSERT_EQ(DBWrite(h, 30005, 0, -1, 4, "\xFF\xFF\x00\x00"), 4);
  PROPOS tag;
  std::memset(&tag, 0, sizeof tag);
  SetText(tag.ProName, 42, "Achse B");
  tag.number1 = 1;
  SetText(tag.PosName, 10, "Stuetze~");
  tag.number2 = 101;
  ASSERT_EQ(DBWrite(h, 101, 30000, -1, 56, &tag), 56);
  PROINFO pro;
  std::memset(&pro, 0, sizeof pro);
  pro.number = 0x4141;
  SetText(pro.szProject, 42, "Halle 7");
  SetText(pro.szPrgShort, 6, "DLT");
  SetText(pro.szAuthor, 30, "Ing. Maier");
  ASSERT_EQ(DBWrite(h, 101, 30003, -1, 104, &pro), 104);
  ASSERT_EQ(DBWrite(h, 101, 30002, -1, 116, &pos), 116);
  ASSERT_EQ(DBWrite(h, 101, 30002, -1, 248, &pos), 248);
  pro.number = 0x4242;
  SetText(pro.szPrgShort, 6, "STB");
  ASSERT_EQ(DBWrite(h, 30003, 30003, -1, 104, &pro), 104);
  SetText(tag.ProName, 42, "Projekt");
  tag.number1 = 3;
  SetText(tag.PosName, 10, "Pos");
  tag.number2 = 0xFFFF;
  ASSERT_EQ(DBWrite(h, 30000, 1, -1, 56, &tag), 56);

  // The text file is appended to. Text: at most 40 bytes, up to the first
  // zero, never more than the record holds.
  EXPECT_EQ(zb::recordstore::ListRecordsToFile(lib().engine(), h, text), 13u);
  const std::string wide = "         id :16961,         Recs:4,         Ctrl:0,"
                           "         Msg :Meldung         DatVer:2,"
                           "         PrgVer:9.0,";
  const std::string narrow =
      "id :16961,Recs:4,Ctrl:0,Msg :MeldungDatVer:2,PrgVer:9.0,";
  const std::string expected =
      empty + heading +
      "\n       1      500        5        6       50 " + std::string(40, 'L') +
      " \n       2      556       -7        8        5 hello "
      "\n       3      567        0        1        6 ab "
      "\n       4      579    30002      101      248 AB "
      " POSINFO: Stuetze12 Achse B (Stuetze~)," + wide +
      "\n       5      833    30002      102      116 AB\x01 "
      " POSINFO: Dach,         id :16961,         Recs:3,         Ctrl:1,"
      "         Msg :Meldung         DatVer:2,         PrgVer:9.0,"
      "\n       6      955    30001      101        2 \x02 INDEX=IdTop 2"
      "\n       7      963    30005        0        4 \xFF\xFF "
      " DELSIZE 4294967295"
      "\n       8      973      101    30000       56 Achse B "
      "  PROPOS:(Bezeichnung:Achse B,1,Stuetze~,101)"
      "\n       9     1035      101    30003      104 AA "
      " PROINFO:(Projekt:Halle 7,Prg:DLT,Autor:Ing. Maier)"
      "\n      10     1145      101    30002      116 AB "
      " POSINFO: Stuetze~," + narrow +
      "\n      11     1267      101    30002      248 AB "
      " POSINFO: Stuetze12 Achse B(Stuetze~)," + narrow +
      "\n      12     1521    30003    30003      104 BB "
      " PROINFO : (Projekt Halle 7,Prg STB, Autor Ing. Maier)"
      "\n      13     1631    30000        1       56 Projekt "
      "  PROPOS : (Projekt,3,Pos,-1)"
      "\n\nRecords 13 \n, Bytes: 500 + 1115 ";
  EXPECT_EQ(ReadText(text), OnDisk(expected));  // a text file
}

}  // namespace
}  // namespace zbtest

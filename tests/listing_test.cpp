// The record listing: one line per record with number, offset, keys, size
// and the start of its data, and a readable form of the library's own
// records.
#include <gtest/gtest.h>

#include <cstring>

#include "recordstore/listing.h"
#include "recordstore/typed_records.h"
#include "support/record_fixture.h"

namespace zbtest {
namespace {

namespace rs = zb::recordstore;
using ListingTest = RecordStoreTest;

int16_t H(int32_t h) { return static_cast<int16_t>(h); }

const char kHeading[] =
    "\n  RecNr.   Offset     Key1     Key2    Bytes     Text\n";

// The listing is a text file: on Windows every line break is written as
// CR LF.
std::string Native(const std::string& text) {
#ifdef _WIN32
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
#else
  return text;
#endif
}

void SetText(char* field, size_t width, const std::string& text) {
  std::memset(field, 0, width);
  std::memcpy(field, text.data(), std::min(width, text.size()));
}

rs::PosInfoExt LongPosInfo() {
  rs::PosInfoExt p;
  std::memset(&p, 0, sizeof p);
  p.id = 0x4241;  // "AB" as the start of the data
  p.Ctrl = 0;
  p.DatVer = 2;
  SetText(p.PrgVer, 6, "9.0");
  SetText(p.Msg, 40, "Meldung");
  SetText(p.PosName, 10, "Stuetze~");
  p.Recs = 4;
  p.id_copy = p.id;
  SetText(p.PosNameLong, 42, "Stuetze12 Achse B");
  return p;
}

TEST_F(ListingTest, EmptyFileGivesHeadingAndClosingLine) {
  const int16_t h = H(DBOpen(Path("empty.pro").c_str()));
  ASSERT_GT(h, 0);
  const std::string text = Path("empty.txt");
  EXPECT_EQ(rs::ListRecordsToFile(h, text), 0u);
  EXPECT_EQ(ReadText(text),
            Native(std::string(kHeading) + "\n\nRecords 0 \n, Bytes: 500 + 0 "));
  // The text file is appended to, not replaced.
  EXPECT_EQ(rs::ListRecordsToFile(h, text), 0u);
  EXPECT_EQ(ReadText(text),
            Native(std::string(kHeading) + "\n\nRecords 0 \n, Bytes: 500 + 0 " +
                kHeading + "\n\nRecords 0 \n, Bytes: 500 + 0 "));
}

TEST_F(ListingTest, PlainAndDeletedRecordsHaveNoInterpretation) {
  const int16_t h = H(DBOpen(Path("plain.pro").c_str()));
  ASSERT_GT(h, 0);
  const std::string long_text(50, 'L');
  ASSERT_EQ(DBWrite(h, 5, 6, -1, 50, long_text.data()), 50);
  ASSERT_EQ(DBWrite(h, 7, 8, -1, 5, "hello"), 5);
  ASSERT_EQ(DBWrite(h, 0, 1, -1, 6, "ab\0cde"), 6);
  ASSERT_EQ(DBDel(h, 7, 8, 0), 5);
  const std::string text = Path("plain.txt");
  EXPECT_EQ(rs::ListRecordsToFile(h, text), 3u);
  // Text: at most 40 bytes, up to the first zero, and never more than the
  // record holds.
  EXPECT_EQ(ReadText(text),
            Native(std::string(kHeading) +
                "\n       1      500        5        6       50 " +
                std::string(40, 'L') + " " +
                "\n       2      556       -7        8        5 hello " +
                "\n       3      567        0        1        6 ab " +
                "\n\nRecords 3 \n, Bytes: 500 + 61 "));
}

TEST_F(ListingTest, PositionHeadersOfProjectFiles) {
  const int16_t h = H(DBOpen(Path("project.pro").c_str()));
  ASSERT_GT(h, 0);
  const rs::PosInfoExt ext = LongPosInfo();
  ASSERT_EQ(DBWrite(h, 30002, 101, -1, 248, &ext), 248);
  uint8_t short_form[116];
  rs::PosInfoExt dach = LongPosInfo();
  SetText(dach.PosName, 10, "Dach");
  dach.Recs = 3;
  dach.Ctrl = 1;
  std::memcpy(short_form, &dach, 116);
  ASSERT_EQ(DBWrite(h, 30002, 102, -1, 116, short_form), 116);
  const uint8_t id_top[2] = {2, 0};
  ASSERT_EQ(DBWrite(h, 30001, 101, -1, 2, id_top), 2);
  const uint8_t del_size[4] = {0xFF, 0xFF, 0, 0};
  ASSERT_EQ(DBWrite(h, 30005, 0, -1, 4, del_size), 4);

  const std::string text = Path("project.txt");
  EXPECT_EQ(rs::ListRecordsToFile(h, text), 4u);
  const std::string fields =
      "         id :16961,         Recs:4,         Ctrl:0,"
      "         Msg :Meldung         DatVer:2,         PrgVer:9.0,";
  const std::string dach_fields =
      "         id :16961,         Recs:3,         Ctrl:1,"
      "         Msg :Meldung         DatVer:2,         PrgVer:9.0,";
  EXPECT_EQ(ReadText(text),
            Native(std::string(kHeading) +
                "\n       1      500    30002      101      248 AB " +
                " POSINFO: Stuetze12 Achse B (Stuetze~)," + fields +
                "\n       2      754    30002      102      116 AB\x01 " +
                " POSINFO: Dach," + dach_fields +
                "\n       3      876    30001      101        2 \x02 " +
                "INDEX=IdTop 2" +
                "\n       4      884    30005        0        4 \xFF\xFF " +
                " DELSIZE 4294967295" +
                "\n\nRecords 4 \n, Bytes: 500 + 370 "));
}

TEST_F(ListingTest, HeaderRecordsOfWorkingFiles) {
  const int16_t h = H(DBOpen(Path("work.tmp").c_str()));
  ASSERT_GT(h, 0);
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
  const rs::PosInfoExt ext = LongPosInfo();
  ASSERT_EQ(DBWrite(h, 101, 30002, -1, 116, &ext), 116);
  ASSERT_EQ(DBWrite(h, 101, 30002, -1, 248, &ext), 248);

  const std::string text = Path("work.txt");
  EXPECT_EQ(rs::ListRecordsToFile(h, text), 4u);
  const std::string fields =
      "id :16961,Recs:4,Ctrl:0,Msg :MeldungDatVer:2,PrgVer:9.0,";
  EXPECT_EQ(ReadText(text),
            Native(std::string(kHeading) +
                "\n       1      500      101    30000       56 Achse B " +
                "  PROPOS:(Bezeichnung:Achse B,1,Stuetze~,101)" +
                "\n       2      562      101    30003      104 AA " +
                " PROINFO:(Projekt:Halle 7,Prg:DLT,Autor:Ing. Maier)" +
                "\n       3      672      101    30002      116 AB " +
                " POSINFO: Stuetze~," + fields +
                "\n       4      794      101    30002      248 AB " +
                " POSINFO: Stuetze12 Achse B(Stuetze~)," + fields +
                "\n\nRecords 4 \n, Bytes: 500 + 524 "));
}

TEST_F(ListingTest, ProjectListEntriesAndTheRecordTable) {
  const int16_t h = H(DBOpen(Path("zbpros.zb").c_str()));
  ASSERT_GT(h, 0);
  PROINFO pro;
  std::memset(&pro, 0, sizeof pro);
  pro.number = 0x4242;
  SetText(pro.szProject, 42, "Halle 7");
  SetText(pro.szPrgShort, 6, "STB");
  SetText(pro.szAuthor, 30, "Ing. Maier");
  ASSERT_EQ(DBWrite(h, 30003, 30003, -1, 104, &pro), 104);
  PROPOS tag;
  std::memset(&tag, 0, sizeof tag);
  SetText(tag.ProName, 42, "Projekt");
  tag.number1 = 3;
  SetText(tag.PosName, 10, "Pos");
  tag.number2 = 0xFFFF;
  ASSERT_EQ(DBWrite(h, 30000, 1, -1, 56, &tag), 56);
  const std::string text = Path("list.txt");
  EXPECT_EQ(rs::ListRecordsToFile(h, text), 2u);
  EXPECT_EQ(ReadText(text),
            Native(std::string(kHeading) +
                "\n       1      500    30003    30003      104 BB " +
                " PROINFO : (Projekt Halle 7,Prg STB, Autor Ing. Maier)" +
                "\n       2      610    30000        1       56 Projekt " +
                "  PROPOS : (Projekt,3,Pos,-1)" +
                "\n\nRecords 2 \n, Bytes: 500 + 160 "));
}

}  // namespace
}  // namespace zbtest

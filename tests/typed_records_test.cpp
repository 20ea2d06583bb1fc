// Typed records: memory and file layouts, text fields, the Zero and Blank
// forms, the short-name rule and the request record conversions.
#include <gtest/gtest.h>

#include "recordstore/typed_records.h"
#include "api/request_records.h"
#include "support/record_fixture.h"

namespace zbtest {
namespace {

namespace rs = zb::recordstore;
using TypedRecordsTest = RecordStoreTest;

std::string Field(const Bytes& b, size_t offset, size_t width) {
  return std::string(b.begin() + long(offset),
                     b.begin() + long(offset + width));
}

POSINFO SamplePosInfo() {
  POSINFO p;
  std::memset(&p, 0xEE, sizeof p);  // the padding must not reach the file
  p.id = 0x1234;
  p.Ctrl = 0x0021;
  p.DatVer = -3;
  std::memcpy(p.PrgVer, "VVVV\0V", 6);  // rubbish after the terminator
  SetText(p.Msg, 40, "Nachricht");
  std::memcpy(p.PosName, "ABCDEFGHIJ", 10);  // full width, no terminator
  p.value1 = 0xA1A2A3A4u;
  p.value2 = 0xB1B2B3B4u;
  p.Recs = 17;
  p.created = 1600000000u;
  p.saved = 1600000123u;
  for (int i = 0; i < 3; ++i) p.extra.p[i] = {0x01020304 + i, -7 - i, i};
  return p;
}

TEST_F(TypedRecordsTest, PosInfoAndBuildInfoArePackedInTheFile) {
  const int16_t h = Open(Path("pos.pro"));
  POSINFO in = SamplePosInfo();
  EXPECT_EQ(DBWritePOSINFO(h, 30002, 101, -1, &in), 116);
  uint8_t raw[200];
  ASSERT_EQ(DBRead(h, 30002, 101, 0, 200, raw), 116);
  // Text fields are copied to their first zero and zero-padded.
  Bytes file;
  for (int16_t v : {0x1234, 0x0021, -3}) PutI16(file, v);
  const std::string texts =
      Padded("VVVV", 6) + Padded("Nachricht", 40) + "ABCDEFGHIJ";
  file.insert(file.end(), texts.begin(), texts.end());
  for (uint32_t v : {0xA1A2A3A4u, 0xB1B2B3B4u}) PutU32(file, v);
  PutI16(file, 17);
  for (uint32_t v : {1600000000u, 1600000123u}) PutU32(file, v);
  const Bytes extra = BytesOf(in.extra);
  file.insert(file.end(), extra.begin(), extra.end());
  EXPECT_EQ(Bytes(raw, raw + 116), file);
  POSINFO out;
  std::memset(&out, 0x55, sizeof out);
  EXPECT_EQ(DBReadPOSINFO(h, 30002, 101, 0, &out), 116);
  in.PrgVer[5] = '\0';
  const Bytes o = BytesOf(out), i = BytesOf(in);  // all but the padding
  EXPECT_EQ(Field(o, 0, 62) + Field(o, 64, 10) + Field(o, 76, 44),
            Field(i, 0, 62) + Field(i, 64, 10) + Field(i, 76, 44));
  std::memset(&out, 0x55, sizeof out);  // nothing found: untouched
  EXPECT_EQ(DBReadPOSINFO(h, 30002, 102, 0, &out), DB_EOF);
  EXPECT_EQ(BytesOf(out), Bytes(sizeof out, 0x55));

  BUILDINFO build, back;  // the geometry moves two bytes
  std::memset(&build, 0xEE, sizeof build);
  build.number = 77;
  SetText(build.text, 100, "Bauwerk");
  build.geometry = in.extra;
  EXPECT_EQ(DBWriteBUILDINFO(h, 5, 5, -1, &build), 138);
  ASSERT_EQ(DBRead(h, 5, 5, 0, 200, raw), 138);
  const Bytes b = BytesOf(build);
  EXPECT_EQ(Field(Bytes(raw, raw + 138), 0, 138),
            Field(b, 0, 102) + Field(b, 104, 36));
  EXPECT_EQ(DBReadBUILDINFO(h, 5, 5, 0, &back), 138);
  EXPECT_EQ(Field(BytesOf(back), 0, 102) + Field(BytesOf(back), 104, 36),
            Field(b, 0, 102) + Field(b, 104, 36));
}

TEST_F(TypedRecordsTest, ProPosTextsAndShortReadsOfLongPosInfos) {
  const int16_t h = Open(Path("tag.pro"));
  PROPOS tag;
  std::memset(&tag, 'Q', sizeof tag);
  std::memcpy(tag.ProName, "Projekt\0QQ", 10);
  std::memcpy(tag.PosName, "Pos1\0", 5);
  EXPECT_EQ(DBWritePROPOS(h, 1, 6, 0, &tag), 56);  // none there: appended
  EXPECT_EQ(DBGetNumRecord(h), 1u);
  const Bytes stored =
      Text(Padded("Projekt", 42) + "QQ" + Padded("Pos1", 10) + "QQ");
  EXPECT_EQ(DBReadPROPOS(h, 1, 6, 0, &tag), 56);
  EXPECT_EQ(BytesOf(tag), stored);

  Bytes big(248, 'x');
  big[0] = 3;
  big[1] = 0;
  ASSERT_EQ(DBWrite(h, 30002, 101, -1, 248, big.data()), 248);
  POSINFO pos;
  EXPECT_EQ(DBReadPOSINFO(h, 30002, 101, 0, &pos), 116);
  EXPECT_EQ(pos.id, 3);
  uint8_t raw[248];
  EXPECT_EQ(DBReadRest(h, 248, raw), 132);  // the other bytes stay unread
  // Written over it, a short one changes its first 116 bytes only.
  pos = SamplePosInfo();
  EXPECT_EQ(DBWritePOSINFO(h, 30002, 101, 0, &pos), 116);
  ASSERT_EQ(DBRead(h, 30002, 101, 0, 248, raw), 248);
  EXPECT_EQ(raw[0], 0x34);
  EXPECT_EQ(Bytes(raw + 116, raw + 248), Bytes(132, 'x'));
}

TEST(ZeroFormTest, ZeroTerminateAndBlankPad) {
  auto zero = [](const char (&text)[11]) {
    std::string f(text, 10);
    ZeroTerminate(f.data(), 10);
    return f;
  };
  EXPECT_EQ(zero("abc       "), Padded("abc", 10));
  EXPECT_EQ(zero("          "), std::string(10, '\0'));
  EXPECT_EQ(zero("a b       "), Padded("a b", 10));
  EXPECT_EQ(zero("ABCDEFGHIJ"), Padded("ABCDEFGHI", 10));  // loses the last
  EXPECT_EQ(zero("ab\0d  x   "), std::string("ab\0d  x\0\0\0", 10));
  char f[10];
  SetText(f, 10, "abc");
  rs::BlankPadField(f, 10);
  EXPECT_EQ(std::string(f, 10), "abc       ");
  // The record forms treat their text fields only.
  POSINFO pos;
  PROINFO pro;
  PROPOS tag;
  ZBPROPOS request;
  std::memset(&pos, ' ', sizeof pos);
  std::memset(&pro, ' ', sizeof pro);
  std::memset(&tag, ' ', sizeof tag);
  std::memset(&request, 'x', sizeof request);
  std::memcpy(pro.szProject, "Halle 7", 7);
  ZeroTerminatePos(&pos);
  ZeroTerminatePro(&pro);
  ZeroTerminateProPos(&tag);
  ZeroTerminateZBProPos(&request);
  EXPECT_EQ(Field(BytesOf(pos), 0, 62) + Field(BytesOf(pos), 64, 56),
            std::string(6, ' ') + std::string(56, '\0') + std::string(56, ' '));
  EXPECT_EQ(Field(BytesOf(pro), 0, 104), std::string(4, ' ') +
                                             Padded("Halle 7", 88) +
                                             std::string(12, ' '));
  EXPECT_EQ(Field(BytesOf(tag), 0, 56), std::string(42, '\0') + "  " +
                                            std::string(10, '\0') + "  ");
  const Bytes q = BytesOf(request);
  for (size_t end : {100u, 200u, 300u, 306u, 348u, 378u, 388u, 428u, 470u})
    EXPECT_EQ(q[end - 1], 0) << end;
  EXPECT_EQ(q[98], 'x');
}

TEST(ShortNameTest, ShortNamesAndTheTwoPosInfoForms) {
  char s[10];
  for (auto [name, expected] :
       {std::pair<const char*, const char*>{"Stuetze12", "Stuetze~"},
        {"Dach", "Dach"}, {"Stuetze1", "Stuetze1"}, {"", ""},
        {"Stuetze 12 Achse B mit einem sehr langen Namen", "Stuetze~"}}) {
    std::memset(s, 'x', sizeof s);
    rs::ShortNameFromLong(name, s);
    EXPECT_EQ(std::string(s, 10), Padded(expected, 10)) << name;
  }
  POSINFO mem = SamplePosInfo();
  SetText(mem.PosName, 10, "Dach");
  uint8_t short_form[116];
  rs::PosInfoToFile(mem, short_form);
  rs::PosInfoExt ext;
  std::memset(&ext, 0x33, sizeof ext);
  rs::WidenPosInfo(short_form, &ext);
  const Bytes e = BytesOf(ext);
  EXPECT_EQ(Field(e, 0, 116), std::string(short_form, short_form + 116));
  EXPECT_EQ(GetI16(e, 142), 0x1234);  // the id copy, the long name
  EXPECT_EQ(Field(e, 144, 104), Padded("Dach", 104));
  SetText(ext.PosNameLong, 42, "Unterzug U1");
  ext.id_copy = 9;
  ext.id = 1;
  uint8_t narrowed[116];
  rs::NarrowPosInfo(ext, narrowed);
  const Bytes n(narrowed, narrowed + 116);
  EXPECT_EQ(GetI16(n, 0), 9);
  EXPECT_EQ(Field(n, 52, 10), Padded("Unterzu~", 10));
  EXPECT_EQ(Field(n, 2, 50) + Field(n, 62, 54),
            Field(e, 2, 50) + Field(e, 62, 54));
}

TEST(RequestRecordTest, ConversionsBetweenShortAndLongRequests) {
  ZBPROPOS plain;
  std::memset(&plain, 0, sizeof plain);
  SetText(plain.szTmpDatei, 100, "D:\\ZBStatik\\TMP\\DLT00001.TMP");
  SetText(plain.szPosName, 10, "Stuetze~");
  SetText(plain.szProBezeichnung, 42, "Achse B");
  ZBPROPOS_L wide;
  std::memset(&wide, 0x77, sizeof wide);
  zb::api::RequestToLong(plain, &wide);
  const Bytes w = BytesOf(wide);
  EXPECT_EQ(Bytes(w.begin(), w.begin() + 470), BytesOf(plain));
  EXPECT_EQ(Field(w, 470, 42), Padded("Stuetze~", 42));
  SetText(wide.szPosNameLong, 42, "Stuetze12");
  SetText(wide.szPosName, 10, "ignored");
  ZBPROPOS back;
  std::memset(&back, 0x77, sizeof back);
  zb::api::RequestFromLong(wide, &back);
  EXPECT_EQ(BytesOf(back), BytesOf(plain));  // the short name from the long
  SetText(wide.szPosNameLong, 42, "Dach");
  zb::api::RequestFromLong(wide, &back);
  EXPECT_EQ(std::string(back.szPosName, 10), Padded("Dach", 10));
  // The long request's Zero form clears the short name: the long one counts.
  std::memset(&wide, ' ', sizeof wide);
  std::memcpy(wide.szPosName, "Dach", 4);
  std::memcpy(wide.szPosNameLong, "Dachstuhl", 9);
  zb::api::ZeroTerminateRequest(&wide);
  EXPECT_EQ(Field(BytesOf(wide), 0, 512),
            std::string(470, '\0') + Padded("Dachstuhl", 42));
}

}  // namespace
}  // namespace zbtest

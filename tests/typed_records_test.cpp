// Typed records: memory and file layouts, the typed reads and writes, the
// Zero and Blank forms of text fields, the short-name rule and the request
// record conversions.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

#include "recordstore/typed_records.h"
#include "support/record_fixture.h"

namespace zbtest {
namespace {

namespace rs = zb::recordstore;
using TypedRecordsTest = RecordStoreTest;

int16_t H(int32_t h) { return static_cast<int16_t>(h); }

template <typename T>
Bytes BytesOf(const T& value) {
  const uint8_t* p = reinterpret_cast<const uint8_t*>(&value);
  return Bytes(p, p + sizeof value);
}

void SetText(char* field, size_t width, const std::string& text) {
  std::memset(field, 0, width);
  std::memcpy(field, text.data(), std::min(width, text.size()));
}

std::string Field(const Bytes& b, size_t offset, size_t width) {
  return std::string(b.begin() + static_cast<long>(offset),
                     b.begin() + static_cast<long>(offset + width));
}

std::string Padded(const std::string& text, size_t width, char pad = '\0') {
  std::string out = text;
  out.resize(width, pad);
  return out;
}

WORLD3D SampleWorld() {
  WORLD3D w;
  for (int i = 0; i < 3; ++i) {
    w.p[i].x = 0x01020304 + i;
    w.p[i].y = -7 - i;
    w.p[i].z = 0x7F000000 + i;
  }
  return w;
}

POSINFO SamplePosInfo() {
  POSINFO p;
  std::memset(&p, 0xEE, sizeof p);  // the padding must not reach the file
  p.id = 0x1234;
  p.Ctrl = 0x0021;
  p.DatVer = -3;
  SetText(p.PrgVer, 6, "9.0a");
  SetText(p.Msg, 40, "Nachricht");
  std::memcpy(p.PosName, "ABCDEFGHIJ", 10);  // full width, no terminator
  p.value1 = 0xA1A2A3A4u;
  p.value2 = 0xB1B2B3B4u;
  p.Recs = 17;
  p.created = 1600000000u;
  p.saved = 1600000123u;
  p.extra = SampleWorld();
  return p;
}

TEST(TypedRecordLayoutTest, MemoryLayoutsOfTheExportedRecords) {
  EXPECT_EQ(sizeof(POSINFO), 120u);
  EXPECT_EQ(offsetof(POSINFO, id), 0u);
  EXPECT_EQ(offsetof(POSINFO, Ctrl), 2u);
  EXPECT_EQ(offsetof(POSINFO, DatVer), 4u);
  EXPECT_EQ(offsetof(POSINFO, PrgVer), 6u);
  EXPECT_EQ(offsetof(POSINFO, Msg), 12u);
  EXPECT_EQ(offsetof(POSINFO, PosName), 52u);
  EXPECT_EQ(offsetof(POSINFO, value1), 64u);
  EXPECT_EQ(offsetof(POSINFO, value2), 68u);
  EXPECT_EQ(offsetof(POSINFO, Recs), 72u);
  EXPECT_EQ(offsetof(POSINFO, created), 76u);
  EXPECT_EQ(offsetof(POSINFO, saved), 80u);
  EXPECT_EQ(offsetof(POSINFO, extra), 84u);
  EXPECT_EQ(sizeof(BUILDINFO), 140u);
  EXPECT_EQ(offsetof(BUILDINFO, text), 2u);
  EXPECT_EQ(offsetof(BUILDINFO, geometry), 104u);
  EXPECT_EQ(sizeof(PROINFO), 104u);
  EXPECT_EQ(offsetof(PROINFO, szProject), 4u);
  EXPECT_EQ(offsetof(PROINFO, szPrgShort), 46u);
  EXPECT_EQ(offsetof(PROINFO, szAuthor), 52u);
  EXPECT_EQ(offsetof(PROINFO, szShortText), 82u);
  EXPECT_EQ(offsetof(PROINFO, created), 92u);
  EXPECT_EQ(offsetof(PROINFO, changed), 96u);
  EXPECT_EQ(offsetof(PROINFO, number3), 100u);
  EXPECT_EQ(offsetof(PROINFO, number4), 102u);
  EXPECT_EQ(sizeof(PROPOS), 56u);
  EXPECT_EQ(offsetof(PROPOS, number1), 42u);
  EXPECT_EQ(offsetof(PROPOS, PosName), 44u);
  EXPECT_EQ(offsetof(PROPOS, number2), 54u);
  EXPECT_EQ(sizeof(DATDESC), 216u);
  EXPECT_EQ(offsetof(DATDESC, text1), 4u);
  EXPECT_EQ(offsetof(DATDESC, text2), 104u);
  EXPECT_EQ(offsetof(DATDESC, unit1), 204u);
  EXPECT_EQ(offsetof(DATDESC, unit2), 210u);
  EXPECT_EQ(sizeof(ZBPROPOS), 470u);
  EXPECT_EQ(offsetof(ZBPROPOS, szTmpPfad), 100u);
  EXPECT_EQ(offsetof(ZBPROPOS, szTmpDatei), 200u);
  EXPECT_EQ(offsetof(ZBPROPOS, szPrgName), 300u);
  EXPECT_EQ(offsetof(ZBPROPOS, szProName), 306u);
  EXPECT_EQ(offsetof(ZBPROPOS, szAuthor), 348u);
  EXPECT_EQ(offsetof(ZBPROPOS, szPosName), 378u);
  EXPECT_EQ(offsetof(ZBPROPOS, szMsg), 388u);
  EXPECT_EQ(offsetof(ZBPROPOS, szProBezeichnung), 428u);
  EXPECT_EQ(sizeof(ZBPROPOS_L), 512u);
  EXPECT_EQ(offsetof(ZBPROPOS_L, szPosNameLong), 470u);
  EXPECT_EQ(sizeof(POINT3D), 12u);
  EXPECT_EQ(sizeof(WORLD3D), 36u);
}

TEST_F(TypedRecordsTest, PosInfoIsStoredIn116PackedBytes) {
  const int16_t h = H(DBOpen(Path("pos.pro").c_str()));
  ASSERT_GT(h, 0);
  POSINFO in = SamplePosInfo();
  EXPECT_EQ(DBWritePOSINFO(h, 30002, 101, -1, &in), 116);
  uint8_t raw[200];
  ASSERT_EQ(DBRead(h, 30002, 101, 0, 200, raw), 116);
  const Bytes b(raw, raw + 116);
  EXPECT_EQ(GetI16(b, 0), 0x1234);
  EXPECT_EQ(GetI16(b, 2), 0x0021);
  EXPECT_EQ(GetI16(b, 4), -3);
  EXPECT_EQ(Field(b, 6, 6), Padded("9.0a", 6));
  EXPECT_EQ(Field(b, 12, 40), Padded("Nachricht", 40));
  EXPECT_EQ(Field(b, 52, 10), "ABCDEFGHIJ");
  EXPECT_EQ(GetU32(b, 62), 0xA1A2A3A4u);
  EXPECT_EQ(GetU32(b, 66), 0xB1B2B3B4u);
  EXPECT_EQ(GetI16(b, 70), 17);
  EXPECT_EQ(GetU32(b, 72), 1600000000u);
  EXPECT_EQ(GetU32(b, 76), 1600000123u);
  EXPECT_EQ(Field(b, 80, 36), Field(BytesOf(in.extra), 0, 36));

  POSINFO out;
  std::memset(&out, 0x55, sizeof out);
  EXPECT_EQ(DBReadPOSINFO(h, 30002, 101, 0, &out), 116);
  EXPECT_EQ(out.id, in.id);
  EXPECT_EQ(out.Ctrl, in.Ctrl);
  EXPECT_EQ(out.DatVer, in.DatVer);
  EXPECT_EQ(std::string(out.PrgVer), "9.0a");
  EXPECT_EQ(std::string(out.Msg), "Nachricht");
  EXPECT_EQ(std::string(out.PosName, 10), "ABCDEFGHIJ");
  EXPECT_EQ(out.value1, in.value1);
  EXPECT_EQ(out.value2, in.value2);
  EXPECT_EQ(out.Recs, in.Recs);
  EXPECT_EQ(out.created, in.created);
  EXPECT_EQ(out.saved, in.saved);
  EXPECT_EQ(BytesOf(out.extra), BytesOf(in.extra));

  // Nothing found: -1, the caller's record untouched.
  std::memset(&out, 0x55, sizeof out);
  EXPECT_EQ(DBReadPOSINFO(h, 30002, 102, 0, &out), DB_EOF);
  EXPECT_EQ(BytesOf(out), Bytes(sizeof out, 0x55));
}

TEST_F(TypedRecordsTest, TextFieldsAreCopiedToTheFirstZeroAndZeroPadded) {
  const int16_t h = H(DBOpen(Path("text.pro").c_str()));
  ASSERT_GT(h, 0);
  POSINFO in = SamplePosInfo();
  std::memset(in.Msg, 'G', sizeof in.Msg);
  std::memcpy(in.Msg, "kurz\0GGGG", 9);  // rubbish after the terminator
  std::memset(in.PrgVer, 'V', sizeof in.PrgVer);
  in.PrgVer[1] = '\0';
  ASSERT_EQ(DBWritePOSINFO(h, 1, 1, -1, &in), 116);
  uint8_t raw[116];
  ASSERT_EQ(DBRead(h, 1, 1, 0, 116, raw), 116);
  const Bytes b(raw, raw + 116);
  EXPECT_EQ(Field(b, 12, 40), Padded("kurz", 40));
  EXPECT_EQ(Field(b, 6, 6), Padded("V", 6));

  PROPOS tag;
  std::memset(&tag, 'Q', sizeof tag);
  std::memcpy(tag.ProName, "Projekt\0QQ", 10);
  tag.number1 = 0x4142;
  std::memcpy(tag.PosName, "Pos1\0", 5);
  tag.number2 = 0x4344;
  ASSERT_EQ(DBWritePROPOS(h, 101, 30000, -1, &tag), 56);
  uint8_t t[56];
  ASSERT_EQ(DBRead(h, 101, 30000, 0, 56, t), 56);
  const Bytes tb(t, t + 56);
  EXPECT_EQ(Field(tb, 0, 42), Padded("Projekt", 42));
  EXPECT_EQ(GetI16(tb, 42), 0x4142);
  EXPECT_EQ(Field(tb, 44, 10), Padded("Pos1", 10));
  EXPECT_EQ(GetI16(tb, 54), 0x4344);
  PROPOS back;
  std::memset(&back, 'Z', sizeof back);
  ASSERT_EQ(DBReadPROPOS(h, 101, 30000, 0, &back), 56);
  EXPECT_EQ(BytesOf(back), tb);
}

TEST_F(TypedRecordsTest, BuildInfoMovesItsGeometryTwoBytes) {
  const int16_t h = H(DBOpen(Path("build.pro").c_str()));
  ASSERT_GT(h, 0);
  BUILDINFO in;
  std::memset(&in, 0xEE, sizeof in);
  in.number = 77;
  SetText(in.text, 100, "Bauwerk");
  in.geometry = SampleWorld();
  EXPECT_EQ(DBWriteBUILDINFO(h, 5, 5, -1, &in), 138);
  uint8_t raw[200];
  ASSERT_EQ(DBRead(h, 5, 5, 0, 200, raw), 138);
  const Bytes b(raw, raw + 138);
  EXPECT_EQ(GetI16(b, 0), 77);
  EXPECT_EQ(Field(b, 2, 100), Padded("Bauwerk", 100));
  EXPECT_EQ(Field(b, 102, 36), Field(BytesOf(in.geometry), 0, 36));
  BUILDINFO out;
  std::memset(&out, 0x55, sizeof out);
  EXPECT_EQ(DBReadBUILDINFO(h, 5, 5, 0, &out), 138);
  EXPECT_EQ(out.number, 77);
  EXPECT_EQ(std::string(out.text), "Bauwerk");
  EXPECT_EQ(BytesOf(out.geometry), BytesOf(in.geometry));
}

TEST_F(TypedRecordsTest, SameLayoutRecordsRoundTripWithTheirFileSizes) {
  const std::string path = Path("same.pro");
  const int16_t h = H(DBOpen(path.c_str()));
  ASSERT_GT(h, 0);
  POINT3D point{1, -2, 3};
  WORLD3D world = SampleWorld();
  PROINFO pro;
  std::memset(&pro, 0, sizeof pro);
  pro.number = 12;
  SetText(pro.szProject, 42, "Altes Projekt");
  SetText(pro.szAuthor, 30, "Ing. Maier");
  pro.created = 123456;
  DATDESC desc;
  std::memset(&desc, 0, sizeof desc);
  desc.number1 = 1;
  SetText(desc.text1, 100, "Beschreibung");
  SetText(desc.unit2, 6, "kN/m");
  ZBPROPOS request;
  std::memset(&request, 0, sizeof request);
  SetText(request.szDataPfad, 100, "D:\\ZBStatik\\Daten\\");
  SetText(request.szPrgName, 6, "DLT");
  SetText(request.szProBezeichnung, 42, "Achse B");

  EXPECT_EQ(DBWritePOINT3D(h, 1, 1, -1, &point), 12);
  EXPECT_EQ(DBWriteWORLD3D(h, 1, 2, -1, &world), 36);
  EXPECT_EQ(DBWritePROINFO(h, 1, 3, -1, &pro), 104);
  EXPECT_EQ(DBWriteDATDESC(h, 1, 4, -1, &desc), 216);
  EXPECT_EQ(DBWriteZBPROPOS(h, 1, 5, -1, &request), 470);

  POINT3D point2;
  WORLD3D world2;
  PROINFO pro2;
  DATDESC desc2;
  ZBPROPOS request2;
  EXPECT_EQ(DBReadPOINT3D(h, 1, 1, 0, &point2), 12);
  EXPECT_EQ(DBReadWORLD3D(h, 1, 2, 0, &world2), 36);
  EXPECT_EQ(DBReadPROINFO(h, 1, 3, 0, &pro2), 104);
  EXPECT_EQ(DBReadDATDESC(h, 1, 4, 0, &desc2), 216);
  EXPECT_EQ(DBReadZBPROPOS(h, 1, 5, 0, &request2), 470);
  EXPECT_EQ(BytesOf(point2), BytesOf(point));
  EXPECT_EQ(BytesOf(world2), BytesOf(world));
  EXPECT_EQ(BytesOf(pro2), BytesOf(pro));
  EXPECT_EQ(BytesOf(desc2), BytesOf(desc));
  EXPECT_EQ(BytesOf(request2), BytesOf(request));
  ASSERT_EQ(DBClose(h), DB_SUCCESS);
  EXPECT_BYTES(ReadFileBytes(path), BuildClosedFile({{1, 1, BytesOf(point)},
                                                     {1, 2, BytesOf(world)},
                                                     {1, 3, BytesOf(pro)},
                                                     {1, 4, BytesOf(desc)},
                                                     {1, 5, BytesOf(request)}}));
}

TEST_F(TypedRecordsTest, TypedReadOfALongPosInfoTakesItsFirst116Bytes) {
  const int16_t h = H(DBOpen(Path("long.pro").c_str()));
  ASSERT_GT(h, 0);
  rs::PosInfoExt ext;
  std::memset(&ext, 0, sizeof ext);
  ext.id = 3;
  ext.Recs = 4;
  SetText(ext.PosName, 10, "Stuetze~");
  SetText(ext.PosNameLong, 42, "Stuetze 12 Achse B");
  ext.id_copy = 3;
  ASSERT_EQ(DBWrite(h, 30002, 101, -1, 248, &ext), 248);
  POSINFO out;
  EXPECT_EQ(DBReadPOSINFO(h, 30002, 101, 0, &out), 116);
  EXPECT_EQ(out.id, 3);
  EXPECT_EQ(out.Recs, 4);
  EXPECT_EQ(std::string(out.PosName), "Stuetze~");
  // The other 132 bytes stay unread, for a rest read.
  uint8_t rest[200];
  EXPECT_EQ(DBReadRest(h, 200, rest), 132);
}

TEST_F(TypedRecordsTest, TypedWriteOverwritesOrAppends) {
  const std::string path = Path("tag.pro");
  const int16_t h = H(DBOpen(path.c_str()));
  ASSERT_GT(h, 0);
  PROPOS tag;
  std::memset(&tag, 0, sizeof tag);
  SetText(tag.ProName, 42, "erste");
  EXPECT_EQ(DBWritePROPOS(h, 101, 30000, 0, &tag), 56);
  EXPECT_EQ(DBGetNumRecord(h), 1u);
  SetText(tag.ProName, 42, "zweite");
  EXPECT_EQ(DBWritePROPOS(h, 101, 30000, 0, &tag), 56);
  EXPECT_EQ(DBGetNumRecord(h), 1u);
  EXPECT_EQ(DBWritePROPOS(h, 101, 30000, -1, &tag), 56);
  EXPECT_EQ(DBGetNumRecord(h), 2u);
  PROPOS back;
  EXPECT_EQ(DBReadPROPOS(h, 101, 30000, 0, &back), 56);
  EXPECT_EQ(std::string(back.ProName), "zweite");
  // A short POSINFO written over a 248-byte one changes its first 116 bytes.
  uint8_t big[248];
  std::memset(big, 'x', sizeof big);
  ASSERT_EQ(DBWrite(h, 30002, 101, -1, 248, big), 248);
  POSINFO pos = SamplePosInfo();
  EXPECT_EQ(DBWritePOSINFO(h, 30002, 101, 0, &pos), 116);
  uint8_t raw[248];
  ASSERT_EQ(DBRead(h, 30002, 101, 0, 248, raw), 248);
  EXPECT_EQ(GetI16(Bytes(raw, raw + 2), 0), 0x1234);
  EXPECT_EQ(raw[116], 'x');
  EXPECT_EQ(raw[247], 'x');
}

TEST(ZeroFormTest, ZeroTerminateTurnsTrailingBlanksIntoZeros) {
  char f[10];
  std::memcpy(f, "abc       ", 10);
  ZeroTerminate(f, 10);
  EXPECT_EQ(std::string(f, 10), Padded("abc", 10));
  std::memcpy(f, "          ", 10);
  ZeroTerminate(f, 10);
  EXPECT_EQ(std::string(f, 10), std::string(10, '\0'));
  std::memcpy(f, "a b       ", 10);
  ZeroTerminate(f, 10);
  EXPECT_EQ(std::string(f, 10), Padded("a b", 10));
  // A field filled to its width loses its last character.
  std::memcpy(f, "ABCDEFGHIJ", 10);
  ZeroTerminate(f, 10);
  EXPECT_EQ(std::string(f, 10), Padded("ABCDEFGHI", 10));
  // Only trailing blanks go; a zero already inside ends nothing.
  std::memcpy(f, "ab\0d  x   ", 10);
  ZeroTerminate(f, 10);
  EXPECT_EQ(std::string(f, 10), std::string("ab\0d  x\0\0\0", 10));
  // Width 1: just the terminator.
  char one = 'x';
  ZeroTerminate(&one, 1);
  EXPECT_EQ(one, '\0');
}

TEST(ZeroFormTest, RecordHelpersTreatTheirTextFieldsOnly) {
  POSINFO pos;
  std::memset(&pos, ' ', sizeof pos);
  pos.id = 0x2020;
  ZeroTerminatePos(&pos);
  EXPECT_EQ(pos.id, 0x2020);
  EXPECT_EQ(std::string(pos.PrgVer, 6), std::string(6, '\0'));
  EXPECT_EQ(std::string(pos.Msg, 40), std::string(40, '\0'));
  EXPECT_EQ(std::string(pos.PosName, 10), std::string(10, '\0'));
  EXPECT_EQ(pos.value1, 0x20202020u);

  PROINFO pro;
  std::memset(&pro, ' ', sizeof pro);
  std::memcpy(pro.szProject, "Halle 7", 7);
  ZeroTerminatePro(&pro);
  EXPECT_EQ(std::string(pro.szProject, 42), Padded("Halle 7", 42));
  EXPECT_EQ(std::string(pro.szPrgShort, 6), std::string(6, '\0'));
  EXPECT_EQ(std::string(pro.szAuthor, 30), std::string(30, '\0'));
  EXPECT_EQ(std::string(pro.szShortText, 10), std::string(10, '\0'));
  EXPECT_EQ(pro.number, 0x2020);
  EXPECT_EQ(pro.created, 0x20202020u);

  PROPOS tag;
  std::memset(&tag, ' ', sizeof tag);
  ZeroTerminateProPos(&tag);
  EXPECT_EQ(std::string(tag.ProName, 42), std::string(42, '\0'));
  EXPECT_EQ(std::string(tag.PosName, 10), std::string(10, '\0'));
  EXPECT_EQ(tag.number1, 0x2020);
  EXPECT_EQ(tag.number2, 0x2020);

  ZBPROPOS request;
  std::memset(&request, 'x', sizeof request);
  ZeroTerminateZBProPos(&request);
  const Bytes b = BytesOf(request);
  for (size_t end : {100u, 200u, 300u, 306u, 348u, 378u, 388u, 428u, 470u})
    EXPECT_EQ(b[end - 1], 0) << end;
  EXPECT_EQ(b[98], 'x');
  EXPECT_EQ(b[304], 'x');
}

TEST(ShortNameTest, LongNamesOfNineOrMoreCharactersAreCut) {
  char s[10];
  std::memset(s, 'x', sizeof s);
  rs::ShortNameFromLong("Stuetze12", s);
  EXPECT_EQ(std::string(s, 10), Padded("Stuetze~", 10));
  rs::ShortNameFromLong("Dach", s);
  EXPECT_EQ(std::string(s, 10), Padded("Dach", 10));
  rs::ShortNameFromLong("Stuetze1", s);
  EXPECT_EQ(std::string(s, 10), Padded("Stuetze1", 10));
  rs::ShortNameFromLong("", s);
  EXPECT_EQ(std::string(s, 10), std::string(10, '\0'));
  rs::ShortNameFromLong("Stuetze 12 Achse B mit einem sehr langen Namen", s);
  EXPECT_EQ(std::string(s, 10), Padded("Stuetze~", 10));
}

TEST(ShortNameTest, ShortAndExtendedPosInfo) {
  POSINFO mem = SamplePosInfo();
  SetText(mem.PosName, 10, "Dach");
  uint8_t short_form[116];
  rs::PosInfoToFile(mem, short_form);
  rs::PosInfoExt ext;
  std::memset(&ext, 0x33, sizeof ext);
  rs::WidenPosInfo(short_form, &ext);
  const Bytes e = BytesOf(ext);
  EXPECT_EQ(Bytes(e.begin(), e.begin() + 116), Bytes(short_form, short_form + 116));
  EXPECT_EQ(GetI16(e, 142), 0x1234);
  EXPECT_EQ(Field(e, 144, 42), Padded("Dach", 42));
  EXPECT_EQ(Field(e, 186, 62), std::string(62, '\0'));

  SetText(ext.PosNameLong, 42, "Unterzug U1");
  ext.id_copy = 9;
  ext.id = 1;
  uint8_t narrowed[116];
  rs::NarrowPosInfo(ext, narrowed);
  const Bytes n(narrowed, narrowed + 116);
  EXPECT_EQ(GetI16(n, 0), 9);
  EXPECT_EQ(Field(n, 52, 10), Padded("Unterzu~", 10));
  EXPECT_EQ(Field(n, 2, 50), Field(e, 2, 50));
  EXPECT_EQ(Field(n, 62, 54), Field(e, 62, 54));
}

TEST(RequestRecordTest, ConversionsBetweenShortAndLongRequests) {
  ZBPROPOS plain;
  std::memset(&plain, 0, sizeof plain);
  SetText(plain.szDataPfad, 100, "D:\\ZBStatik\\Daten\\");
  SetText(plain.szTmpPfad, 100, "D:\\ZBStatik\\TMP\\");
  SetText(plain.szTmpDatei, 100, "D:\\ZBStatik\\TMP\\DLT00001.TMP");
  SetText(plain.szPrgName, 6, "DLT");
  SetText(plain.szProName, 42, "Halle 7");
  SetText(plain.szAuthor, 30, "Ing. Maier");
  SetText(plain.szPosName, 10, "Stuetze~");
  SetText(plain.szMsg, 40, "Meldung");
  SetText(plain.szProBezeichnung, 42, "Achse B");

  ZBPROPOS_L wide;
  std::memset(&wide, 0x77, sizeof wide);
  rs::RequestToLong(plain, &wide);
  const Bytes w = BytesOf(wide);
  EXPECT_EQ(Bytes(w.begin(), w.begin() + 470), BytesOf(plain));
  EXPECT_EQ(Field(w, 470, 42), Padded("Stuetze~", 42));

  SetText(wide.szPosNameLong, 42, "Stuetze12");
  SetText(wide.szPosName, 10, "ignored");
  ZBPROPOS back;
  std::memset(&back, 0x77, sizeof back);
  rs::RequestFromLong(wide, &back);
  ZBPROPOS expected = plain;
  SetText(expected.szPosName, 10, "Stuetze~");
  EXPECT_EQ(BytesOf(back), BytesOf(expected));
  SetText(wide.szPosNameLong, 42, "Dach");
  rs::RequestFromLong(wide, &back);
  EXPECT_EQ(std::string(back.szPosName, 10), Padded("Dach", 10));

  // The long request's Zero form clears the short name: the long one counts.
  ZBPROPOS_L basic;
  std::memset(&basic, ' ', sizeof basic);
  std::memcpy(basic.szPosName, "Dach", 4);
  std::memcpy(basic.szPosNameLong, "Dachstuhl", 9);
  rs::ZeroTerminateRequest(&basic);
  EXPECT_EQ(std::string(basic.szPosName, 10), std::string(10, '\0'));
  EXPECT_EQ(std::string(basic.szPosNameLong, 42), Padded("Dachstuhl", 42));
  EXPECT_EQ(std::string(basic.szDataPfad, 100), std::string(100, '\0'));
}

TEST(BlankFormTest, BlankPaddingIsTheReverseOfZeroTermination) {
  char f[10];
  SetText(f, 10, "abc");
  rs::BlankPadField(f, 10);
  EXPECT_EQ(std::string(f, 10), "abc       ");
  rs::ZeroTerminateField(f, 10);
  EXPECT_EQ(std::string(f, 10), Padded("abc", 10));
  SetText(f, 10, "");
  rs::BlankPadField(f, 10);
  EXPECT_EQ(std::string(f, 10), std::string(10, ' '));

  PROINFO pro;
  std::memset(&pro, 0, sizeof pro);
  SetText(pro.szProject, 42, "Halle 7");
  pro.created = 5;
  rs::BlankPadProInfo(&pro);
  EXPECT_EQ(std::string(pro.szProject, 42), Padded("Halle 7", 42, ' '));
  EXPECT_EQ(std::string(pro.szAuthor, 30), std::string(30, ' '));
  EXPECT_EQ(pro.created, 5u);
  EXPECT_EQ(pro.number, 0);
  ZeroTerminatePro(&pro);
  EXPECT_EQ(std::string(pro.szProject, 42), Padded("Halle 7", 42));

  ZBPROPOS_L request;
  std::memset(&request, 0, sizeof request);
  SetText(request.szPosNameLong, 42, "Stuetze 12");
  rs::BlankPadRequest(&request);
  EXPECT_EQ(std::string(request.szPosNameLong, 42),
            Padded("Stuetze 12", 42, ' '));
  EXPECT_EQ(std::string(request.szPrgName, 6), std::string(6, ' '));
}

}  // namespace
}  // namespace zbtest

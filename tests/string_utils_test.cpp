// The exported string utilities, called through their C declarations as
// the calculation programs call them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "zbdb900.h"

namespace {

// A buffer with room to grow and a known tail, so that overruns show.
struct Buf {
  char text[64];
  explicit Buf(const char* s) {
    std::memset(text, 'Z', sizeof text);
    std::strcpy(text, s);
  }
  std::string str() const { return text; }
};

TEST(StringUtilsTest, InsertAndAdd) {
  Buf b("Daten");
  StrIns("D:\\", b.text);
  EXPECT_EQ(b.str(), "D:\\Daten");
  StrIns("", b.text);
  EXPECT_EQ(b.str(), "D:\\Daten");

  Buf t("alt");
  EXPECT_EQ(strAdd(t.text, "D:\\", "Daten", "\\", "PRO1.PRO", nullptr), t.text);
  EXPECT_EQ(t.str(), "D:\\Daten\\PRO1.PRO");
  // Extending in place: the target as the first text.
  strAdd(t.text, t.text, ".BAK", nullptr);
  EXPECT_EQ(t.str(), "D:\\Daten\\PRO1.PRO.BAK");
  // Only the first text: a copy. A null first text ends the list at once.
  strAdd(t.text, "x", nullptr);
  EXPECT_EQ(t.str(), "x");
  strAdd(t.text, nullptr);
  EXPECT_EQ(t.str(), "");
}

TEST(StringUtilsTest, Compress) {
  Buf blanks("     ");
  char* end = strRightCompress(blanks.text);
  EXPECT_EQ(blanks.str(), "");
  EXPECT_EQ(end, blanks.text);

  Buf mixed("ab c \n \n");
  end = strRightCompress(mixed.text);
  EXPECT_EQ(mixed.str(), "ab c");
  EXPECT_EQ(end, mixed.text + 4);
  // Only blanks and line feeds count: a tab or CR stays.
  Buf cr("ab\r");
  strRightCompress(cr.text);
  EXPECT_EQ(cr.str(), "ab\r");

  Buf left("   a b ");
  EXPECT_EQ(strLeftCompress(left.text), left.text);
  EXPECT_EQ(left.str(), "a b ");
  Buf only(" ");
  strLeftCompress(only.text);
  EXPECT_EQ(only.str(), "");
}

TEST(StringUtilsTest, CTrimOfABlankField) {
  // A 10-byte Basic field: three letters, seven blanks, no terminator.
  char field[12];
  std::memcpy(field, "DLT       XX", 12);
  EXPECT_EQ(cTrim(field, 10), field);
  EXPECT_STREQ(field, "DLT");
  // A full field loses its last character to the terminator.
  char full[4] = {'a', 'b', 'c', 'd'};
  cTrim(full, 4);
  EXPECT_STREQ(full, "abc");
}

TEST(StringUtilsTest, LowerAndUpperWithDosUmlauts) {
  // Ä Ö Ü in the DOS code page, then their lower-case forms.
  Buf dos("A\x8E\x99\x9AZ");
  lower(dos.text);
  EXPECT_EQ(dos.str(), "a\x84\x94\x81z");
  upper(dos.text);
  EXPECT_EQ(dos.str(), "A\x8E\x99\x9AZ");

  // Neither letters nor the umlaut codes: unchanged both ways, among them
  // the Windows-1252 umlauts and the neighbours of the DOS codes.
  const char other[] = "09 @[`{\\\xC4\xE4\xD6\xF6\xDC\xFC\xDF\x80\x83\x85\x8D\x8F\x95\x98\x9B\xFF";
  Buf a(other);
  EXPECT_EQ(std::string(lower(a.text)), other);
  Buf b(other);
  EXPECT_EQ(std::string(upper(b.text)), other);
}

TEST(StringUtilsTest, BackSlash) {
  Buf empty("");
  EXPECT_EQ(std::string(backSlash(empty.text)), "");
  Buf plain("C:\\Daten");
  EXPECT_EQ(std::string(backSlash(plain.text)), "C:\\Daten\\");
  Buf trailing("C:\\Daten\\ ");
  EXPECT_EQ(std::string(backSlash(trailing.text)), "C:\\Daten\\");
  Buf lf("C:\\Daten\n");
  EXPECT_EQ(std::string(backSlash(lf.text)), "C:\\Daten\\");
}

TEST(StringUtilsTest, NoBackSlash) {
  Buf one("C:\\Daten\\");
  EXPECT_EQ(std::string(noBackSlash(one.text)), "C:\\Daten");
  Buf many("C:\\Daten\\\\ \n");
  EXPECT_EQ(std::string(noBackSlash(many.text)), "C:\\Daten");
  Buf root("C:\\");
  EXPECT_EQ(std::string(noBackSlash(root.text)), "C:\\");
  Buf letter("C");
  EXPECT_EQ(std::string(noBackSlash(letter.text)), "C:\\");
  Buf drive("C:");
  EXPECT_EQ(std::string(noBackSlash(drive.text)), "C:\\");
  Buf unc("\\\\server\\share\\");
  EXPECT_EQ(std::string(noBackSlash(unc.text)), "\\\\server\\share");
  Buf empty("");
  EXPECT_EQ(std::string(noBackSlash(empty.text)), "");
}

}  // namespace

// The exported string utilities, called through their C declarations as
// the calculation programs call them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "zbdb900.h"

namespace {

// Runs an in-place helper on a copy of text in a roomy buffer.
std::string InPlace(char* (*helper)(char*), const char* text) {
  char buf[64];
  std::strcpy(buf, text);
  helper(buf);
  return buf;
}

TEST(StringUtilsTest, InsertAndAdd) {
  char b[64] = "Daten";
  StrIns("D:\\", b);
  EXPECT_STREQ(b, "D:\\Daten");

  char t[64] = "alt";
  EXPECT_EQ(strAdd(t, "D:\\", "Daten", "\\", "PRO1.PRO", nullptr), t);
  EXPECT_STREQ(t, "D:\\Daten\\PRO1.PRO");
  strAdd(t, t, ".BAK", nullptr);  // extending in place
  EXPECT_STREQ(t, "D:\\Daten\\PRO1.PRO.BAK");
  strAdd(t, nullptr);  // the list ends at once
  EXPECT_STREQ(t, "");
}

TEST(StringUtilsTest, CompressAndTrim) {
  char blanks[] = "     ";
  EXPECT_EQ(strRightCompress(blanks), blanks);  // the new terminator
  EXPECT_STREQ(blanks, "");
  char mixed[] = "ab c \n \n";
  EXPECT_EQ(strRightCompress(mixed), mixed + 4);
  EXPECT_EQ(InPlace(strRightCompress, "ab\r"), "ab\r");  // only blanks and LF
  EXPECT_EQ(InPlace(strLeftCompress, "   a b "), "a b ");

  // A 10-byte Basic field: three letters, seven blanks, no terminator.
  char field[12];
  std::memcpy(field, "DLT       XX", 12);
  EXPECT_EQ(cTrim(field, 10), field);
  EXPECT_STREQ(field, "DLT");
}

TEST(StringUtilsTest, LowerAndUpperWithDosUmlauts) {
  EXPECT_EQ(InPlace(lower, "A\x8E\x99\x9AZ"), "a\x84\x94\x81z");
  EXPECT_EQ(InPlace(upper, "a\x84\x94\x81z"), "A\x8E\x99\x9AZ");
  // Neither letters nor the three codes: the Windows-1252 umlauts, the
  // neighbours of the DOS codes and of A-Z stay as they are.
  const char other[] =
      "09@[`{\\\xC4\xE4\xD6\xF6\xDC\xFC\xDF\x80\x83\x85\x8D\x8F\x95\x98\x9B\xFF";
  EXPECT_EQ(InPlace(lower, other), other);
  EXPECT_EQ(InPlace(upper, other), other);
}

TEST(StringUtilsTest, FolderBackslashes) {
  EXPECT_EQ(InPlace(backSlash, ""), "");
  EXPECT_EQ(InPlace(backSlash, "C:\\Daten"), "C:\\Daten\\");
  EXPECT_EQ(InPlace(backSlash, "C:\\Daten\\ "), "C:\\Daten\\");
  EXPECT_EQ(InPlace(backSlash, "C:\\Daten\n"), "C:\\Daten\\");

  EXPECT_EQ(InPlace(noBackSlash, ""), "");
  EXPECT_EQ(InPlace(noBackSlash, "C:\\Daten\\"), "C:\\Daten");
  EXPECT_EQ(InPlace(noBackSlash, "C:\\Daten\\\\ \n"), "C:\\Daten");
  EXPECT_EQ(InPlace(noBackSlash, "C:\\"), "C:\\");
  EXPECT_EQ(InPlace(noBackSlash, "C"), "C:\\");
  EXPECT_EQ(InPlace(noBackSlash, "C:"), "C:\\");
  EXPECT_EQ(InPlace(noBackSlash, "\\\\server\\share\\"), "\\\\server\\share");
}

}  // namespace

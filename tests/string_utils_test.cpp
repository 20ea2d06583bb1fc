// The exported string utilities, called through their C declarations as
// the calculation programs call them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "zbdb900.h"

namespace {

TEST(StringUtilsTest, InsertAddAndTheirReturnedPointers) {
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

  char blanks[] = "     ";
  EXPECT_EQ(strRightCompress(blanks), blanks);  // the new terminator
  EXPECT_STREQ(blanks, "");
  char mixed[] = "ab c \n \n";
  EXPECT_EQ(strRightCompress(mixed), mixed + 4);
  // A 10-byte Basic field: three letters, seven blanks, no terminator.
  char field[12];
  std::memcpy(field, "DLT       XX", 12);
  EXPECT_EQ(cTrim(field, 10), field);
  EXPECT_STREQ(field, "DLT");
}

TEST(StringUtilsTest, InPlaceHelpers) {
  // Neither letters nor the three DOS umlauts: the Windows-1252 umlauts, the
  // neighbours of the DOS codes and of A-Z stay as they are.
  const char* other =
      "09@[`{\\\xC4\xE4\xD6\xF6\xDC\xFC\xDF\x80\x83\x85\x8D\x8F\x95\x98\x9B\xFF";
  const struct {
    char* (*helper)(char*);
    const char *text, *expected;
  } cases[] = {
      {strRightCompress, "ab\r", "ab\r"},  // only blanks and LF go
      {strLeftCompress, "   a b ", "a b "},
      {lower, "A\x8E\x99\x9AZ", "a\x84\x94\x81z"},
      {upper, "a\x84\x94\x81z", "A\x8E\x99\x9AZ"},
      {lower, other, other},
      {upper, other, other},
      {backSlash, "", ""},
      {backSlash, "C:\\Daten", "C:\\Daten\\"},
      {backSlash, "C:\\Daten\\ ", "C:\\Daten\\"},
      {backSlash, "C:\\Daten\n", "C:\\Daten\\"},
      {noBackSlash, "", ""},
      {noBackSlash, "C:\\Daten\\", "C:\\Daten"},
      {noBackSlash, "C:\\Daten\\\\ \n", "C:\\Daten"},
      {noBackSlash, "C:\\", "C:\\"},  // a drive keeps its root
      {noBackSlash, "C", "C:\\"},
      {noBackSlash, "C:", "C:\\"},
      {noBackSlash, "\\\\server\\share\\", "\\\\server\\share"},
  };
  for (const auto& c : cases) {
    char buf[64];
    std::strcpy(buf, c.text);
    c.helper(buf);
    EXPECT_STREQ(buf, c.expected) << "case " << (&c - cases);
  }
}

}  // namespace

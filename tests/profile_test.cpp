// INI files and the per-user store. Natively against the POSIX layer's own
// implementation, under wine against the Win32 functions, on the same
// inputs: whatever the library reads or writes must come out the same.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/platform.h"
#include "support/test_support.h"

namespace {

class ProfileTest : public ::testing::Test {
 protected:
  std::string Ini(const std::string& name = "t.ini") const {
    return dir_.File(name);
  }
  void Put(const std::string& text) {
    ASSERT_TRUE(zbtest::WriteText(Ini(), text));
  }
  std::string Text() const { return zbtest::ReadText(Ini()); }
  std::string Read(const std::string& section, const std::string& key,
                   const std::string& default_value = "<none>") {
    return os_.ReadProfileText(Ini(), section, key, default_value);
  }
  bool Write(const std::string& section, const std::string& key,
             const std::string& value) {
    return os_.WriteProfileText(Ini(), section, key, value);
  }

  std::unique_ptr<zb::platform::Platform> native_ =
      zb::platform::NewNativePlatform();
  zb::platform::Platform& os_ = *native_;
  zbtest::TempDir dir_;
};

TEST_F(ProfileTest, ReadsIgnoringCaseTrimmedWithoutQuotes) {
  Put("; Key1=comment\r\n[Sect]\r\n  Key1 =  v1  \r\nq2=\"quoted \"\r\n"
      "q3='single'\r\nq4=\"\r\nq5='mixed\"\r\neq=a=b\r\nempty=\r\nlone\r\n"
      "[Other]\r\nkey1=other\r\n[Sect]\r\nlater=x\r\n");
  EXPECT_EQ(Read("sECT", "KEY1"), "v1");
  EXPECT_EQ(Read(" Sect ", " key1 "), "v1");
  EXPECT_EQ(Read("Sect", "q2"), "quoted ");  // inside the quotes untouched
  EXPECT_EQ(Read("Sect", "q3"), "single");
  EXPECT_EQ(Read("Sect", "q4"), "\"");  // one quote is no pair
  EXPECT_EQ(Read("Sect", "q5"), "'mixed\"");
  EXPECT_EQ(Read("Sect", "eq"), "a=b");
  EXPECT_EQ(Read("Sect", "empty"), "");  // present, so not the default
  EXPECT_EQ(Read("Sect", "lone"), "<none>");
  EXPECT_EQ(Read("Other", "key1"), "other");
  EXPECT_EQ(Read("Sect", "later"), "<none>");  // only the first [Sect]
  // Defaults lose their trailing blanks, wherever something is missing.
  EXPECT_EQ(Read("Sect", "nokey", "def  "), "def");
  EXPECT_EQ(Read("NoSect", "Key1", ""), "");
  EXPECT_EQ(os_.ReadProfileText(Ini("none.ini"), "Sect", "Key1", "d"), "d");
  // Line ends of either kind.
  Put("[A]\nk=v\n[B]\nk=w");
  EXPECT_EQ(Read("a", "K"), "v");
  EXPECT_EQ(Read("b", "K"), "w");
#ifndef _WIN32
  // Windows-1252 letters ignore case as well (wine folds ASCII only).
  Put("[M\xFCller]\r\nGr\xF6\xDF" "e=1\r\n");
  EXPECT_EQ(Read("M\xDCLLER", "GR\xD6\xDF" "E"), "1");
#endif
}

TEST_F(ProfileTest, WritesCreateReplaceInPlaceAndDelete) {
  EXPECT_FALSE(os_.WriteProfileText(dir_.File(zbtest::JoinPath("no", "x.ini")),
                                    "S", "k", "v"));
  ASSERT_TRUE(Write("Sec", "Key", "Val"));
  EXPECT_EQ(Text(), "[Sec]\r\nKey=Val\r\n");
  ASSERT_TRUE(Write("Sec2", "K2", "V2"));
  ASSERT_TRUE(Write("SEC", "key2", "x"));  // into the existing section
  EXPECT_EQ(Text(), "[Sec]\r\nKey=Val\r\nkey2=x\r\n[Sec2]\r\nK2=V2\r\n");

  // A new key follows the section's last line, comments included; a changed
  // one keeps its place and its spelling; every other line stays.
  Put("; head\r\n[A]\r\nKey1=old\r\n;c\r\nk2=x\r\n[B]\r\nkey1=b\r\n[E]\r\n");
  ASSERT_TRUE(Write("a", "KEY1", "new"));
  ASSERT_TRUE(Write("A", "k3", "add"));
  ASSERT_TRUE(Write("e", "n", "1"));
  EXPECT_EQ(Text(),
            "; head\r\n[A]\r\nKey1=new\r\n;c\r\nk2=x\r\nk3=add\r\n"
            "[B]\r\nkey1=b\r\n[E]\r\nn=1\r\n");
  EXPECT_EQ(Read("A", "key1"), "new");

  EXPECT_TRUE(os_.DeleteProfileKey(Ini(), "a", "K2"));
  EXPECT_TRUE(os_.DeleteProfileKey(Ini(), "A", "missing"));
  EXPECT_TRUE(os_.DeleteProfileKey(Ini(), "Missing", "k"));
  EXPECT_EQ(Text(),
            "; head\r\n[A]\r\nKey1=new\r\n;c\r\nk3=add\r\n"
            "[B]\r\nkey1=b\r\n[E]\r\nn=1\r\n");
  EXPECT_TRUE(os_.DeleteProfileKey(Ini("gone.ini"), "A", "k"));
  EXPECT_FALSE(zbtest::FileExists(Ini("gone.ini")));  // not created

  // A last line without its line end gets one before the new key.
  Put("[X]\r\nk=v");
  ASSERT_TRUE(Write("X", "k2", "v2"));
  EXPECT_EQ(Text(), "[X]\r\nk=v\r\nk2=v2\r\n");
  // Values come back trimmed, however they were written.
  ASSERT_TRUE(Write("X", "k", "  padded  "));
  EXPECT_EQ(Read("X", "k"), "padded");
}

TEST_F(ProfileTest, StructFormAndNumbers) {
  const unsigned char bytes[4] = {0x01, 0x02, 0x0A, 0xFF};
  ASSERT_TRUE(os_.WriteProfileStruct(Ini(), "S", "st", bytes, 4));
  EXPECT_EQ(Text(), "[S]\r\nst=01020AFF0C\r\n");  // checksum 0x10C & 0xFF
  unsigned char back[4] = {};
  ASSERT_TRUE(os_.ReadProfileStruct(Ini(), "s", "ST", back, 4));
  EXPECT_EQ(std::string(back, back + 4), std::string(bytes, bytes + 4));
  EXPECT_FALSE(os_.ReadProfileStruct(Ini(), "S", "st", back, 3));
  EXPECT_FALSE(os_.ReadProfileStruct(Ini(), "S", "missing", back, 4));
  for (const char* text : {"01020AFF0D", "01020AFG0C", "\"01020AFF0C\""}) {
    ASSERT_TRUE(Write("S", "bad", text));
    EXPECT_FALSE(os_.ReadProfileStruct(Ini(), "S", "bad", back, 4)) << text;
  }
  ASSERT_TRUE(Write("S", "low", "01020aff0c"));
  EXPECT_TRUE(os_.ReadProfileStruct(Ini(), "S", "low", back, 4));
  ASSERT_TRUE(os_.WriteProfileStruct(Ini(), "S", "none", bytes, 0));
  EXPECT_EQ(Read("S", "none"), "00");

  const struct {
    const char* value;
    int expected;
  } cases[] = {{"12", 12},         {"-7", -7},      {"+5", 5},
               {"42abc", 42},      {"abc", 0},      {"-", 0},
               {"- 3", 0},         {"007", 7},      {"0x1f", 31},
               {"0X10", 0},        {"-0x10", -16},  {"0b101", 5},
               {"0o17", 15},       {"\"15\"", 15},  {"1 2", 1},
               {"4294967295", -1}, {"99999999999", 1215752191},
               {"2147483648", -2147483647 - 1}};
  for (const auto& c : cases) {
    ASSERT_TRUE(Write("I", "v", c.value));
    EXPECT_EQ(os_.ReadProfileInt(Ini(), "I", "v", -99), c.expected) << c.value;
  }
  // Missing or empty: the default.
  for (const char* empty : {"", "\"\""}) {
    ASSERT_TRUE(Write("I", "v", empty));
    EXPECT_EQ(os_.ReadProfileInt(Ini(), "I", "v", -99), -99);
  }
  EXPECT_EQ(os_.ReadProfileInt(Ini(), "I", "none", 3), 3);
  EXPECT_EQ(os_.ReadProfileInt(Ini("none.ini"), "I", "v", 4), 4);
}

TEST_F(ProfileTest, UserStoreRoundTrips) {
  zbtest::ScopedEnv env;  // POSIX: a file under $XDG_CONFIG_HOME
  env.Set("XDG_CONFIG_HOME", dir_.File("cfg"));
  const std::string sub = "PlatformTest";
  uint32_t number = 0;
  std::string text;
  EXPECT_FALSE(os_.ReadUserNumber(sub, "Missing", &number));
  EXPECT_FALSE(os_.ReadUserText(sub, "Missing", &text));
  ASSERT_TRUE(os_.WriteUserNumber("\\" + sub, "Count", 4000000000u));
  ASSERT_TRUE(os_.WriteUserText(sub, "Name", " M\xFCller \"x\" "));
  ASSERT_TRUE(os_.WriteUserText(sub, "Bad", "12a"));
  ASSERT_TRUE(os_.ReadUserNumber(sub, "count", &number));
  EXPECT_EQ(number, 4000000000u);
  ASSERT_TRUE(os_.ReadUserText("\\" + sub, "NAME", &text));
  EXPECT_EQ(text, " M\xFCller \"x\" ");
  EXPECT_FALSE(os_.ReadUserNumber(sub, "Bad", &number));
  ASSERT_TRUE(os_.WriteUserNumber(sub, "Count", 7));  // replaced
  ASSERT_TRUE(os_.ReadUserNumber(sub, "Count", &number));
  EXPECT_EQ(number, 7u);
  ASSERT_TRUE(os_.ReadUserText(sub, "Count", &text));
  EXPECT_EQ(text, "7");
  // The Globals key itself.
  ASSERT_TRUE(os_.WriteUserNumber("", "PlatformTestTop", 1));
  ASSERT_TRUE(os_.ReadUserNumber("\\", "PlatformTestTop", &number));
  EXPECT_EQ(number, 1u);
  EXPECT_FALSE(os_.ReadUserNumber("", "Count", &number));
#ifndef _WIN32
  EXPECT_EQ(zbtest::ReadText(dir_.File("cfg/ZBStatik/registry.ini")),
            "PlatformTestTop=1\r\n[PlatformTest]\r\nCount=7\r\n"
            "Name=\" M\xFCller \"x\" \"\r\nBad=12a\r\n");
#endif
}

}  // namespace

// Result files beside the project files: their names, their creation with
// the project's header and the link record, and a result file that belongs
// to another project set aside under a new name with a message.
#include "api/result_files.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "environment/library_context.h"
#include "platform/platform.h"
#include "support/byte_string.h"
#include "support/installed_data_fixture.h"

namespace zbtest {
namespace {

namespace env = zb::environment;

class ResultFilesTest : public InstalledDataTest {
 protected:
  // Project 1 comes with its result file.
  ResultFilesTest()
      : InstalledDataTest({"ZBPROS.ZB", "PRO00001.PRO", "PRO00001.ERG",
                           "PRO00002.PRO", "PRO00004.PRO", "PRO00005.PRO"}) {}
  // The path as the library forms it (Windows separators), and the file.
  std::string Win(const std::string& name) { return data_ + "\\" + name; }
  std::string ErgName(int number) {
    char name[32];
    std::snprintf(name, sizeof name, "PRO%05d.ERG", number);
    return name;
  }
  std::string Erg(int number) { return Win(ErgName(number)); }
  std::string ErgFile(int number) { return JoinPath(data_, ErgName(number)); }
  // The project header block of a record file.
  PROINFO HeaderOf(const std::string& path) {
    PROINFO info{};
    const int16_t h = Open(path, DBOpenReadOnly);
    EXPECT_EQ(DBReadBin(h, 0, sizeof info, &info), int32_t(sizeof info));
    DBClose(h);
    return info;
  }
  // Gives the result file of project 1 another header.
  void ForgeResultHeader(const char* name, uint16_t number) {
    PROINFO info = HeaderOf(ErgFile(1));
    SetText(info.szProject, sizeof info.szProject, name);
    info.number = number;
    const int16_t h = Open(ErgFile(1));
    ASSERT_EQ(DBWriteBin(h, 0, sizeof info, &info), int32_t(sizeof info));
    DBClose(h);
  }
};

// By project number: the name, the file made on the first request with the
// project's header and the link record, nothing made the second time, the
// Basic form, and an unknown number.
TEST_F(ResultFilesTest, ByNumberMadeOnFirstRequestWithHeaderAndLink) {
  char path[260];
  std::memset(path, 'x', sizeof path);
  ASSERT_FALSE(FileExists(ErgFile(2)));
  EXPECT_EQ(ZB_GetErgDatei(data_.c_str(), 2, path), 1);
  EXPECT_EQ(Str(path, sizeof path), Erg(2));
  EXPECT_TRUE(LogHas("\n\t ERG-File :" + Erg(2)));
  EXPECT_TRUE(LogHas("\n ERG-Datei : " + Erg(2) + " \n"));

  // Its header is the project's; the project points to it.
  const PROINFO project = HeaderOf(JoinPath(data_, "PRO00002.PRO"));
  const PROINFO result = HeaderOf(ErgFile(2));
  EXPECT_EQ(std::memcmp(&project, &result, sizeof project), 0);
  const int16_t h = Open(JoinPath(data_, "PRO00002.PRO"), DBOpenReadOnly);
  char link[1100] = {};
  EXPECT_EQ(DBRead(h, 30030, 1, 0, sizeof link, link), 1032);
  EXPECT_EQ(Str(link + 2, 260), Win(""));
  EXPECT_EQ(Str(link + 262, 260), Erg(2));
  DBClose(h);

  // Asked again, the file is there: nothing is made.
  const std::string before = Logged();
  EXPECT_EQ(ZB_GetErgDatei(data_.c_str(), 2, path), 1);
  EXPECT_EQ(Logged().find("\n\t ERG-File :", before.size()), std::string::npos);
  EXPECT_EQ(Take(ZB_GetErgDateiB(data_.c_str(), 2)), Erg(2));
  EXPECT_TRUE(LogHas("\n\n*BASIC* ZB_GetErgDateiB( " + data_ + ", 2)"));

  std::strcpy(path, "old");
  EXPECT_EQ(ZB_GetErgDatei(data_.c_str(), 3, path), -1);
  EXPECT_EQ(Str(path, sizeof path), "");
  EXPECT_FALSE(FileExists(ErgFile(3)));
  EXPECT_TRUE(LogHas("\n ERG-Datei :  \n"));
}

// By request, in every family: the matching file handed out unchanged, the
// position and program of the request, the project file of a request, and
// an unknown project refused.
TEST_F(ResultFilesTest, ByRequestInEveryFamily) {
  const Bytes before = ReadFileBytes(ErgFile(1));
  ZBPROPOS_L r = Long("DLT", kStuetze);
  int16_t position = -1, program = -1;
  EXPECT_EQ(ZB_GetErgDateiEx2_L(&r, &position, &program), 1);
  EXPECT_EQ(Str(r.szTmpDatei, 100), Erg(1));
  EXPECT_EQ(position, 1);
  EXPECT_EQ(program, 101);
  EXPECT_EQ(ReadFileBytes(ErgFile(1)), before);
  EXPECT_TRUE(LogHas(" Get existing Erg-File"));
  ZBPROPOS_L plain_long = Long("DLT", "");
  EXPECT_EQ(ZB_GetErgDateiEx_L(&plain_long), 1);
  EXPECT_EQ(Str(plain_long.szTmpDatei, 100), Erg(1));

  // Plain Ex2: the short name stands for the position (an old position
  // of DACH with only a short name).
  ZBPROPOS plain{};
  SetText(plain.szDataPfad, sizeof plain.szDataPfad, data_);
  SetText(plain.szPrgName, sizeof plain.szPrgName, "DACH");
  SetText(plain.szProName, sizeof plain.szProName, kProject);
  SetText(plain.szPosName, sizeof plain.szPosName, "Dach");
  EXPECT_EQ(ZB_GetErgDateiEx2(&plain, &position, &program), 1);
  EXPECT_EQ(position, 1);
  EXPECT_EQ(program, 102);
  EXPECT_EQ(Str(plain.szTmpDatei, 100), Erg(1));
  // The plain Ex is a pure output call: what the caller passed is cleared
  // first, so no project is named.
  ZBPROPOS cleared = plain;
  EXPECT_LE(ZB_GetErgDateiEx(&cleared), 0);
  EXPECT_EQ(Str(cleared.szProName, 42), "");
  // Basic: 16-bit result, the record comes back padded.
  ZBPROPOS_L basic = Long("DLT", "");
  BlankFilled(&basic);
  const int16_t result = ZB_GetErgDateiEx_LB(&basic);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(std::string(basic.szTmpDatei, Erg(1).size()), Erg(1));
  EXPECT_EQ(basic.szTmpDatei[sizeof basic.szTmpDatei - 1], ' ');
  EXPECT_TRUE(LogHas("\n*BASIC* ZB_GetErgDateiEx_LB"));
  EXPECT_TRUE(ui_.messages().empty());

  char path[260];
  EXPECT_EQ(ZB_GetProDatei_L(&r, path), 1);
  EXPECT_EQ(Str(path, sizeof path), Win("PRO00001.PRO"));
  ZBPROPOS basic_plain{};
  std::memcpy(&basic_plain, &r, sizeof basic_plain);
  BlankFilled(&basic_plain);
  char basic_path[260] = {};
  EXPECT_EQ(ZB_GetProDateiB(&basic_plain, basic_path), 1);
  EXPECT_EQ(Str(basic_path, sizeof basic_path), Win("PRO00001.PRO"));

  ZBPROPOS_L unknown = Long("DLT", "", "Gibt es nicht");
  EXPECT_EQ(ZB_GetProDatei_L(&unknown, path), 0);
  EXPECT_EQ(Str(path, sizeof path), data_);
  EXPECT_LE(ZB_GetErgDateiEx2_L(&unknown, &position, &program), 0);
  EXPECT_EQ(Str(unknown.szTmpDatei, 100), "");
  EXPECT_TRUE(LogHas(" Project doesn't exist!"));
}

// A missing file is made again; one of another project, or of the same
// name under another number, is set aside under a new name with a message.
TEST_F(ResultFilesTest, MissingMadeAgainForeignSetAside) {
  ASSERT_TRUE(std::filesystem::remove(std::filesystem::path(ErgFile(1))));
  ZBPROPOS_L r = Long("DLT", "");
  EXPECT_EQ(ZB_GetErgDateiEx_L(&r), 1);
  EXPECT_TRUE(FileExists(ErgFile(1)));
  EXPECT_EQ(Str(HeaderOf(ErgFile(1)).szProject, 42), kProject);
  EXPECT_TRUE(ui_.messages().empty());

  ForgeResultHeader("Halle 7", 1);
  const Bytes stale = ReadFileBytes(ErgFile(1));
  EXPECT_EQ(ZB_GetErgDateiEx_L(&r), 1);
  const std::string aside = Win("PRO00001_Halle 7.ERG");
  EXPECT_EQ(ReadFileBytes(JoinPath(data_, "PRO00001_Halle 7.ERG")), stale);
  EXPECT_EQ(Str(HeaderOf(ErgFile(1)).szProject, 42), kProject);
  EXPECT_TRUE(LogHas(" ProInfo != ErgInfo"));
  ASSERT_EQ(ui_.messages().size(), 1u);
  EXPECT_EQ(ui_.messages()[0].caption, "ZB_Datenverwaltung ");
  EXPECT_EQ(ui_.messages()[0].text,
            "Die Ergebnisdatei \n\n'" + Erg(1) +
                "\n\n passt nicht zum Projekt,\n und wurde deswegen gesichert "
                "als \n\n'" + aside +
                "'\n\nGleichzeitig wird eine leere Ergebnisdatei zum Projekt "
                "angelegt.");

  ForgeResultHeader(kProject, 9);
  EXPECT_EQ(ZB_GetErgDateiEx_L(&r), 1);
  EXPECT_TRUE(
      lib().os().FileExists(Win(std::string("PRO00001_") + kProject + ".ERG")));
  EXPECT_EQ(HeaderOf(ErgFile(1)).number, 1);
  EXPECT_EQ(ui_.messages().size(), 2u);
}

}  // namespace
}  // namespace zbtest

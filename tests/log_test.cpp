// The diagnostic log and the save journal: exact bytes of every block, the
// size and age rules at login, and the record store's entries reaching the
// log.
#include "environment/log.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "environment/time_text.h"
#include "support/test_support.h"
#include "zbdb900.h"

namespace {

using zb::environment::FormatGermanTime;
using zb::environment::LocalTimeOf;
using zb::environment::Log;
using zb::environment::LogTimeStamp;
namespace fs = std::filesystem;
using zbtest::OnDisk;

constexpr uint32_t kFixedTime = 1741000000;  // early March 2025
uint32_t FixedClock() { return kFixedTime; }
const std::string kDash(63, '-');
const std::string kStars(63, '*');

std::string Stamp() { return LogTimeStamp(LocalTimeOf(kFixedTime)); }

ZBPROPOS_L SampleRequest() {
  ZBPROPOS_L r;
  std::memset(&r, 0, sizeof r);
  std::strcpy(r.szDataPfad, "D:\\Daten\\");
  std::strcpy(r.szTmpPfad, "D:\\TMP\\");
  std::strcpy(r.szTmpDatei, "DLT00001.TMP");
  std::strcpy(r.szPrgName, "XYZ");
  std::strcpy(r.szProName, "Brücke Nord");
  std::strcpy(r.szAuthor, "Ing. Maier");
  std::strcpy(r.szPosNameLong, "Stütze 12 Achse B");
  std::strcpy(r.szPosName, "Stütze ~");
  std::strcpy(r.szProBezeichnung, "Achse B");
  return r;
}

Log::LoginInfo SampleLogin() {
  return {"9,0,0,1", "D:\\Prg\\", "D:\\Daten\\", "D:\\TMP\\", "D:\\User\\",
          "mueller"};
}

class LogTest : public ::testing::Test {
 protected:
  void SetUp() override { log_.set_clock(FixedClock); }
  std::string Written() const { return zbtest::ReadText(path_); }

  std::unique_ptr<zb::platform::Platform> os_ =
      zb::platform::NewNativePlatform();
  zbtest::TempDir dir_;
  std::string path_ = dir_.File("DBReport.Log");
  Log log_{*os_, path_};
};

TEST(TimeTextTest, GermanNames) {
  std::tm t{};
  t.tm_year = 125, t.tm_mon = 2, t.tm_mday = 3, t.tm_wday = 1;
  t.tm_hour = 7, t.tm_min = 5, t.tm_sec = 9;
  EXPECT_EQ(LogTimeStamp(t), "*** Montag, 03. M\xE4rz 2025, 07:05:09");
  t.tm_wday = 0, t.tm_mon = 11;
  EXPECT_EQ(FormatGermanTime("%A %B %d.%m.%y %H:%M %%", t),
            "Sonntag Dezember 03.12.25 07:05 %");
}

TEST_F(LogTest, AppendsAtTheEndAndDropsWhatItCannotWrite) {
  ASSERT_TRUE(zbtest::WriteText(path_, "alt"));
  log_.Append("\nerste");
  log_.Printf("\n%s %d", "zweite", 2);
  EXPECT_EQ(Written(), "alt" + OnDisk("\nerste\nzweite 2"));

  Log lost(*os_, dir_.File("fehlt") + "/DBReport.Log");
  lost.Title("x");
  lost.Journal(SampleRequest(), "W");
  EXPECT_FALSE(zbtest::FileExists(dir_.File("fehlt")));
}

TEST_F(LogTest, TitleRequestAndErrorBlocks) {
  log_.Title(" ZB_Open ");
  log_.Request(SampleRequest());
  log_.RecordFileError("ProjectOpen", "D:\\Daten\\PRO00001.PRO", -2);
  EXPECT_EQ(Written(),
            OnDisk("\n \n" + kDash + " \n*** ZB_Open " + Stamp() + " \n" +
                   kDash + " \n" +
                   "\n\tData      :'D:\\Daten\\'"
                   "\n\tTmpPfad   :'D:\\TMP\\'"
                   "\n\tTmpDatei  :'DLT00001.TMP'"
                   "\n\tPrgName   :'XYZ'"
                   "\n\tProName   :'Brücke Nord'"
                   "\n\tAutor     :'Ing. Maier'"
                   "\n\tPosName(L):'Stütze 12 Achse B'"
                   "\n\tPosName   :'Stütze ~'"
                   "\n\tMsg       :''"
                   "\n\tBezeich.  :'Achse B'\n"
                   "\n###ERROR###\nError Routine ProjectOpen \n"
                   " DBOpen(D:\\Daten\\PRO00001.PRO):Cannot open the File###\n"));

  EXPECT_EQ(Log::OpenCodeText(-4), "No correct EOF");
  EXPECT_EQ(Log::OpenCodeText(-3), "To many open Files (>10!)");
  EXPECT_EQ(Log::OpenCodeText(-1), "File not found");
  EXPECT_EQ(Log::OpenCodeText(-7), "DB-error Nr :-7");

  // A field without terminator ends at its width.
  ZBPROPOS_L r = SampleRequest();
  std::memset(r.szPrgName, 'P', sizeof r.szPrgName);
  log_.Request(r);
  EXPECT_NE(Written().find("PrgName   :'PPPPPP'"), std::string::npos);
}

TEST_F(LogTest, LoginHeaderAndLogoutFooter) {
  log_.LoginHeader(SampleLogin());
  log_.LogoutFooter();
  EXPECT_EQ(Written(),
            OnDisk("\n \n" + kStars + " \n" + kDash +
                   " \n*** ZBDB.dll ***  FileVersion: 9,0,0,1 \n" + Stamp() +
                   " \n" + kDash +
                   " \n*** ProgramPath   D:\\Prg\\ \n"
                   "*** DataPath      D:\\Daten\\ \n"
                   "*** TempPath      D:\\TMP\\ \n"
                   "*** UserPath      D:\\User\\ \n"
                   "*** Benutzer:\t mueller \n" +
                   kDash + "\n" + "\n \n" + kDash + " \n*** LOGOUT ZBDB *** " +
                   Stamp() + " \n" + kStars + " \n"));
}

// The size and age rules, against the real clock and the file's own time.
TEST(LogStartTest, OldOrLargeLogsAreStartedAnew) {
  zbtest::TempDir dir;
  const std::string path = dir.File("DBReport.Log");
  const auto os = zb::platform::NewNativePlatform();
  Log log(*os, path);
  Log::LoginInfo no_version = SampleLogin();
  no_version.file_version.clear();
  const struct {
    size_t size;
    int hours_ago;
    bool kept;
  } cases[] = {{100, 49, false}, {100, 47, true}, {56001, 1, false},
               {56000, 1, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.size) + " bytes, hours: " +
                 std::to_string(c.hours_ago));
    ASSERT_TRUE(zbtest::WriteText(path, std::string(c.size, 'x')));
    fs::last_write_time(fs::path(path), fs::file_time_type::clock::now() -
                                            std::chrono::hours(c.hours_ago));
    log.LoginHeader(SampleLogin());
    const std::string text = zbtest::ReadText(path);
    EXPECT_EQ(text.rfind(std::string(c.size, 'x'), 0) == 0, c.kept);
    if (!c.kept) {
      EXPECT_EQ(text.rfind(OnDisk("\n \n" + kStars + " \n"), 0), 0u);
    }
  }
  // The rules run even when no header follows (the version is unknown).
  ASSERT_TRUE(zbtest::WriteText(path, std::string(56001, 'x')));
  log.LoginHeader(no_version);
  EXPECT_FALSE(zbtest::FileExists(path));
}

TEST_F(LogTest, JournalLine) {
  const std::string journal = dir_.File("DBHistory.log");
  EXPECT_EQ(log_.journal_path(), journal);
  ASSERT_TRUE(zbtest::WriteText(journal, "alt\n"));
  log_.Journal(SampleRequest(), "W");
  const std::string when =
      FormatGermanTime("%d.%m.%y %H:%M", LocalTimeOf(kFixedTime));
  ASSERT_EQ(when.size(), 14u);
  EXPECT_EQ(zbtest::ReadText(journal),
            "alt\n" + OnDisk("XYZ     " + when + "   W       " +
                             "Stütze 12 Achse B      Brücke Nord" +
                             std::string(33, ' ') + "D:\\Daten\\\n"));
}

}  // namespace

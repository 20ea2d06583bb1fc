// The diagnostic log and the save journal: exact bytes of every block, the
// size and age rules at login, and the record store's entries reaching the
// log.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>

#include "environment/log.h"
#include "environment/time_text.h"
#include "recordstore/engine.h"
#include "support/test_support.h"
#include "zbdb900.h"

namespace {

using zb::environment::FormatGermanTime;
using zb::environment::LocalTimeOf;
using zb::environment::Log;
using zb::environment::LogTimeStamp;
namespace fs = std::filesystem;

constexpr uint32_t kFixedTime = 1741000000;  // early March 2025
uint32_t FixedClock() { return kFixedTime; }

const std::string kDash(63, '-');
const std::string kStars(63, '*');

// The file opens in text mode: on Windows every "\n" is CR LF on disk.
std::string OnDisk(const std::string& text) {
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

std::string Stamp() { return LogTimeStamp(LocalTimeOf(kFixedTime)); }

template <size_t N>
void Set(char (&field)[N], const char* text) {
  std::memset(field, 0, N);
  std::strncpy(field, text, N - 1);
}

ZBPROPOS_L SampleRequest() {
  ZBPROPOS_L r;
  std::memset(&r, 0, sizeof r);
  Set(r.szDataPfad, "D:\\ZBStatik\\Daten\\");
  Set(r.szTmpPfad, "D:\\ZBStatik\\TMP\\");
  Set(r.szTmpDatei, "DLT00001.TMP");
  Set(r.szPrgName, "XYZ");
  Set(r.szProName, "Brücke Nord");
  Set(r.szAuthor, "Ing. Maier");
  Set(r.szPosNameLong, "Stütze 12 Achse B");
  Set(r.szPosName, "Stütze ~");
  Set(r.szMsg, "");
  Set(r.szProBezeichnung, "Achse B");
  return r;
}

class LogTest : public ::testing::Test {
 protected:
  void SetUp() override { log_.set_clock(FixedClock); }
  std::string Written() const { return zbtest::ReadText(path_); }

  zbtest::TempDir dir_;
  std::string path_ = dir_.File("DBReport.Log");
  Log log_{path_};
};

TEST(TimeTextTest, GermanNames) {
  std::tm t{};
  t.tm_year = 125;
  t.tm_mon = 2;
  t.tm_mday = 3;
  t.tm_wday = 1;
  t.tm_hour = 7;
  t.tm_min = 5;
  t.tm_sec = 9;
  EXPECT_EQ(LogTimeStamp(t), "*** Montag, 03. März 2025, 07:05:09");
  EXPECT_EQ(std::string("M\xE4rz"), "März");  // Windows-1252 in the log
  t.tm_wday = 0;
  t.tm_mon = 11;
  t.tm_mday = 28;
  EXPECT_EQ(FormatGermanTime("%A %B %d.%m.%y %H:%M 100%%", t),
            "Sonntag Dezember 28.12.25 07:05 100%");
  t.tm_wday = 6;
  t.tm_mon = 0;
  EXPECT_EQ(FormatGermanTime("%A %B", t), "Samstag Januar");
}

TEST_F(LogTest, AppendKeepsWhatIsThereAndAddsAtTheEnd) {
  ASSERT_TRUE(zbtest::WriteText(path_, "alt"));
  log_.Append("\nerste");
  log_.Printf("\n%s %d", "zweite", 2);
  EXPECT_EQ(Written(), "alt" + OnDisk("\nerste\nzweite 2"));
}

TEST_F(LogTest, WritesToAMissingFolderAreDropped) {
  Log lost(dir_.File("fehlt") + "/DBReport.Log");
  lost.Append("\ntext");
  lost.Title("x");
  lost.Journal(SampleRequest(), "W");
  EXPECT_FALSE(zbtest::FileExists(dir_.File("fehlt")));
  Log none;
  none.Append("\ntext");  // no path: nothing to do
}

TEST_F(LogTest, TitleBlock) {
  log_.Title(" ZB_Open ");
  EXPECT_EQ(Written(), OnDisk("\n \n" + kDash + " \n*** ZB_Open " + Stamp() +
                              " \n" + kDash + " \n"));
}

TEST_F(LogTest, RequestDump) {
  log_.Request(SampleRequest());
  EXPECT_EQ(Written(), OnDisk("\n\tData      :'D:\\ZBStatik\\Daten\\'"
                              "\n\tTmpPfad   :'D:\\ZBStatik\\TMP\\'"
                              "\n\tTmpDatei  :'DLT00001.TMP'"
                              "\n\tPrgName   :'XYZ'"
                              "\n\tProName   :'Brücke Nord'"
                              "\n\tAutor     :'Ing. Maier'"
                              "\n\tPosName(L):'Stütze 12 Achse B'"
                              "\n\tPosName   :'Stütze ~'"
                              "\n\tMsg       :''"
                              "\n\tBezeich.  :'Achse B'\n"));
}

TEST_F(LogTest, RequestDumpStopsAtTheEndOfAnUnterminatedField) {
  ZBPROPOS_L r = SampleRequest();
  std::memset(r.szPrgName, 'P', sizeof r.szPrgName);  // runs into szProName
  log_.Request(r);
  EXPECT_NE(Written().find("PrgName   :'PPPPPP'"), std::string::npos);
}

TEST_F(LogTest, RecordFileErrorTexts) {
  const std::pair<int, const char*> codes[] = {
      {-4, "No correct EOF"},
      {-3, "To many open Files (>10!)"},
      {-2, "Cannot open the File"},
      {-1, "File not found"},
      {-7, "DB-error Nr :-7"},
      {0, "DB-error Nr :0"},
  };
  for (const auto& [code, text] : codes)
    EXPECT_EQ(Log::OpenCodeText(code), text) << code;
  log_.RecordFileError("ProjectOpen", "D:\\Daten\\PRO00001.PRO", -2);
  EXPECT_EQ(Written(), OnDisk("\n###ERROR###\nError Routine ProjectOpen \n"
                              " DBOpen(D:\\Daten\\PRO00001.PRO):Cannot open "
                              "the File###\n"));
}

Log::LoginInfo SampleLogin() {
  return {"9,0,0,1",         "D:\\ZBStatik\\Programme\\",
          "D:\\ZBStatik\\Daten\\", "D:\\ZBStatik\\TMP\\",
          "D:\\ZBStatik\\User\\", "mueller"};
}

std::string ExpectedHeader() {
  return "\n \n" + kStars + " \n" + kDash +
         " \n*** ZBDB.dll ***  FileVersion: 9,0,0,1 \n" + Stamp() + " \n" +
         kDash +
         " \n"
         "*** ProgramPath   D:\\ZBStatik\\Programme\\ \n"
         "*** DataPath      D:\\ZBStatik\\Daten\\ \n"
         "*** TempPath      D:\\ZBStatik\\TMP\\ \n"
         "*** UserPath      D:\\ZBStatik\\User\\ \n"
         "*** Benutzer:\t mueller \n" +
         kDash + "\n";
}

TEST_F(LogTest, LoginHeaderAndLogoutFooter) {
  log_.LoginHeader(SampleLogin());
  log_.LogoutFooter();
  EXPECT_EQ(Written(),
            OnDisk(ExpectedHeader() + "\n \n" + kDash + " \n*** LOGOUT ZBDB *** " +
                   Stamp() + " \n" + kStars + " \n"));
}

TEST_F(LogTest, LoginWithoutVersionWritesNoHeader) {
  Log::LoginInfo info = SampleLogin();
  info.file_version.clear();
  log_.LoginHeader(info);
  EXPECT_FALSE(zbtest::FileExists(path_));
  ASSERT_TRUE(zbtest::WriteText(path_, "kept"));
  log_.LoginHeader(info);
  EXPECT_EQ(Written(), "kept");
}

// Size and age rules at login, against the real clock and the file's time.
class LogStartTest : public LogTest {
 protected:
  void SetUp() override {}  // the platform's clock
  void MakeLog(size_t size, std::chrono::hours age) {
    ASSERT_TRUE(zbtest::WriteText(path_, std::string(size, 'x')));
    fs::last_write_time(fs::path(path_),
                        fs::file_time_type::clock::now() - age);
  }
  bool Kept() const { return Written().rfind(std::string(10, 'x'), 0) == 0; }
  bool StartsWithHeader() const {
    return Written().rfind(OnDisk("\n \n" + kStars), 0) == 0;
  }
};

TEST_F(LogStartTest, OlderThan48HoursIsStartedAnew) {
  MakeLog(100, std::chrono::hours(49));
  log_.LoginHeader(SampleLogin());
  EXPECT_TRUE(StartsWithHeader());
  EXPECT_EQ(Written().find('x'), std::string::npos);

  MakeLog(100, std::chrono::hours(47));
  log_.LoginHeader(SampleLogin());
  EXPECT_TRUE(Kept());
}

TEST_F(LogStartTest, LargerThan56000BytesIsStartedAnew) {
  MakeLog(56001, std::chrono::hours(1));
  log_.LoginHeader(SampleLogin());
  EXPECT_TRUE(StartsWithHeader());

  MakeLog(56000, std::chrono::hours(1));
  log_.LoginHeader(SampleLogin());
  EXPECT_TRUE(Kept());
  EXPECT_GT(zbtest::FileSize(path_), 56000);
}

TEST_F(LogStartTest, RulesApplyEvenWithoutVersion) {
  MakeLog(56001, std::chrono::hours(0));
  Log::LoginInfo info = SampleLogin();
  info.file_version.clear();
  log_.LoginHeader(info);
  EXPECT_FALSE(zbtest::FileExists(path_));
}

TEST_F(LogTest, JournalLine) {
  const std::string journal = dir_.File("DBHistory.log");
  EXPECT_EQ(log_.journal_path(), journal);
  ASSERT_TRUE(zbtest::WriteText(journal, "alt\n"));
  log_.Journal(SampleRequest(), "W");
  const std::string when =
      FormatGermanTime("%d.%m.%y %H:%M", LocalTimeOf(kFixedTime));
  ASSERT_EQ(when.size(), 14u);
  const std::string line = std::string("XYZ") + "     " + when + "   " +
                           "W" + "       " + "Stütze 12 Achse B" +
                           std::string(4 + 2, ' ') + "Brücke Nord" +
                           std::string(31 + 2, ' ') + "D:\\ZBStatik\\Daten\\" +
                           "\n";
  EXPECT_EQ(zbtest::ReadText(journal), "alt\n" + OnDisk(line));
  EXPECT_FALSE(zbtest::FileExists(path_));  // the log itself is untouched
}

TEST_F(LogTest, RecordStoreEntriesReachTheLogWhileConnected) {
  const std::string bad = dir_.File("fehlt") + "/PRO00001.PRO";
  {
    Log connected(path_);
    connected.ConnectRecordStore();
    EXPECT_EQ(DBOpen(bad.c_str()), DB_OPENERR);
    EXPECT_NE(Written().find("### ERROR on creating : " + bad),
              std::string::npos);
  }
  // The destroyed log took its sink with it.
  const std::string before = Written();
  EXPECT_EQ(DBOpen(bad.c_str()), DB_OPENERR);
  EXPECT_EQ(Written(), before);
}

}  // namespace

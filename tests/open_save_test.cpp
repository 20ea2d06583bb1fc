// Opening and saving positions through the program interface, on a copy of
// an installation's data folder ("Brücke Nord": DLT "Stütze 12 Achse B"
// with 3 data records, DLT "Unterzug U1" locked by mueller; "Halle 7").
#include "api/open_save.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "api/temporary_cleaning.h"
#include "environment/companion.h"
#include "environment/library_context.h"
#include "environment/scripted_ui.h"
#include "platform/platform.h"
#include "projectstore/position_locks.h"
#include "projectstore/project_catalogue.h"
#include "support/installed_data_fixture.h"
#include "support/memory_companions.h"

namespace zbtest {
namespace {

namespace env = zb::environment;
namespace ps = zb::projectstore;
using env::FolderKind;

class OpenSaveTest : public InstalledDataTest {
 protected:
  void SetUp() override {
    InstalledDataTest::SetUp();
    temporary_ = request_tmp_ = Path("TMP");
    configuration_ = Path("Ini");
    for (const std::string& folder : {temporary_, configuration_})
      ASSERT_TRUE(MakeFolder(folder));
    env::LibraryContext& context = lib().context();
    context.folders.data = data_;
    context.folders.temporary = temporary_;
    context.folders.configuration = configuration_;
    companions_.folders[FolderKind::kData] = data_;
    companions_.folders[FolderKind::kTemporary] = temporary_;
    companions_.folders[FolderKind::kConfiguration] = configuration_;
  }
  zb::api::LibraryServices Services() override {
    zb::api::LibraryServices services = InstalledDataTest::Services();
    services.companions = &companions_;
    return services;
  }
  std::string History() const {
    return WithoutCr(ReadText(JoinPath(configuration_, "DBHISTORY.INI")));
  }
  std::vector<std::string> JournalLines() const {
    std::istringstream in(LogOf(Path("DBHistory.log")));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  MemoryCompanions companions_;
  std::string temporary_;
  std::string configuration_;
};

TEST_F(OpenSaveTest, NewWriteSaveOpenReadRoundTrip) {
  ZBPROPOS plain = Plain("DLT", "", kProject);
  EXPECT_EQ(ZB_New(&plain), 4);  // PROINFO, both POSINFO, PROPOS
  const std::string working = Str(plain.szTmpDatei, 100);
  EXPECT_TRUE(Contains(working, "DLT00001.TMP")) << working;
  EXPECT_EQ(lib().context().position_lock.state, 0);

  const int16_t w = Open(working);
  PROINFO header{};
  ASSERT_EQ(DBRead(w, 32762, 30003, 0, sizeof header, &header), 104);
  EXPECT_EQ(Str(header.szProject, 42), kProject);
  EXPECT_EQ(Str(header.szAuthor, 30), "Ing. Maier");
  const std::string first = "Feld 1: 6,00 m";
  const std::string second = "Last: 12,5 kN/m";
  ASSERT_GT(DBWrite(w, 1, 1, -1, static_cast<int16_t>(first.size()),
                    first.data()), 0);
  ASSERT_GT(DBWrite(w, 1, 2, -1, static_cast<int16_t>(second.size()),
                    second.data()), 0);
  ASSERT_EQ(DBClose(w), DB_SUCCESS);

  SetText(plain.szPosName, sizeof plain.szPosName, "Tr\xE4ger 7");
  EXPECT_EQ(ZB_SilentSaveEx(&plain, 2), 3 + 3);  // PROPOS + 2 data records
  EXPECT_EQ(Str(plain.szPosName, 10), "Tr\xE4ger 7");
  EXPECT_EQ(lib().context().position_lock.state,
            1);  // the program keeps working on it
  const std::vector<std::string> journal = JournalLines();
  ASSERT_EQ(journal.size(), 1u);
  EXPECT_EQ(journal[0].substr(0, 8), "DLT     ");
  EXPECT_TRUE(Contains(journal[0], "  W       Tr\xE4ger 7  "));
  EXPECT_TRUE(Contains(History(), "Position=Tr\xE4ger 7"));
  EXPECT_TRUE(Contains(History(), std::string("Projekt=") + kProject));
  EXPECT_TRUE(LogHas("\n*** result: 6 records"));

  // Opened again into a fresh working file by a new run of the program.
  ps::ReleaseOwnLock(store());
  ASSERT_TRUE(lib().os().RemoveFile(working).ok());
  ZBPROPOS_L again = Long("DLT", "Tr\xE4ger 7");
  const int32_t opened = ZB_SilentOpenEx_L(&again, 1);
  EXPECT_GE(opened, 2 + 4);
  EXPECT_EQ(lib().context().position_lock.state, 1);
  const int16_t r = Open(Str(again.szTmpDatei, 100));
  char buffer[64] = {};
  EXPECT_EQ(DBRead(r, 1, 1, 0, sizeof buffer, buffer),
            static_cast<int32_t>(first.size()));
  EXPECT_EQ(std::string(buffer, first.size()), first);
  EXPECT_EQ(DBRead(r, 1, 2, 0, sizeof buffer, buffer),
            static_cast<int32_t>(second.size()));
  EXPECT_EQ(std::string(buffer, second.size()), second);
  EXPECT_EQ(DBClose(r), DB_SUCCESS);

  // A new position releases the one held open.
  ZBPROPOS_L fresh = again;
  EXPECT_EQ(ZB_New_L(&fresh), 4);
  EXPECT_EQ(lib().context().position_lock.state, 0);
}

TEST_F(OpenSaveTest, SilentOpenCases) {
  // No long name: a new position, as ZB_New gives it.
  ZBPROPOS nameless = Plain("DLT", "");
  EXPECT_EQ(ZB_SilentOpen(&nameless), 4);
  EXPECT_TRUE(LogHas("--> ZB_New()"));
  EXPECT_TRUE(LogHas("*** ZB_SilentOpen"));

  ZBPROPOS_L unknown = Long("XYZ", kStuetze);
  EXPECT_EQ(ZB_SilentOpenEx_L(&unknown, 1), -102);
  ZBPROPOS_L no_data = Long("DLT", kStuetze);
  SetText(no_data.szDataPfad, 100, Path("fehlt"));
  EXPECT_EQ(ZB_SilentOpenEx_L(&no_data, 1), -103);
  EXPECT_TRUE(LogHas("\n*** IsDir(DataPath) result:ERROR_DIR_NOTEXIST"));

  // Control word 1 never creates a project; 0 does.
  ZBPROPOS_L missing = Long("DLT", "Pos 1", "Halle 9");
  EXPECT_EQ(ZB_SilentOpenEx_L(&missing, 1), ps::kProjectNotFound);
  EXPECT_TRUE(LogHas("\n*** Project Halle 9 dasn't exist : -202 "));
  missing = Long("DLT", "Pos 1", "Halle 9");
  EXPECT_EQ(ZB_SilentOpenEx_L(&missing, 0), 4);
  EXPECT_GE(ps::FindProject(store(), data_, "Halle 9", nullptr, nullptr), 0);

  // The B form passes 1 and hands the record back blank-padded.
  ZBPROPOS basic = Plain("DACH", "Dach");
  BlankFilled(&basic);
  EXPECT_EQ(ZB_SilentOpenB(&basic), 3 + 3);  // headers + PROPOS + 2 records
  EXPECT_EQ(Str(basic.szPosName, 10), "Dach      ");
  EXPECT_EQ(Str(basic.szProBezeichnung, 42).substr(0, 10), "Dachstuhl ");
  // The control line follows the title block and the request dump as a
  // line of its own, without an empty line before it.
  EXPECT_TRUE(LogHas("--- \n### Ctrl = 1"));
  ZBPROPOS_L opened = Long("DACH", "Dach");
  EXPECT_EQ(ZB_SilentOpenEx_L(&opened, 3), 6);
  EXPECT_TRUE(LogHas("'\n### Ctrl = 3"));
  EXPECT_FALSE(LogHas("\n\n### Ctrl"));
}

TEST_F(OpenSaveTest, OpenThroughThePositionDialog) {
  // Cancelled: 0, and the history is written all the same.
  ZBPROPOS_L request = Long("DLT", "");
  EXPECT_EQ(ZB_Open_L(&request), 0);
  EXPECT_EQ(ui_.dialogs().back(), "Position \xF6" "ffnen");
  EXPECT_TRUE(LogHas("\n*** result: 0 , Cancel"));
  EXPECT_TRUE(Contains(History(), std::string("Projekt=") + kProject));

  // A position chosen in the list.
  ui_.QueuePositionDialog([](ZBPROPOS_L* r) {
    SetText(r->szPosNameLong, sizeof r->szPosNameLong, kStuetze);
    return true;
  });
  request = Long("DLT", "");
  EXPECT_EQ(ZB_Open_L(&request), 3 + 4);
  EXPECT_TRUE(lib().os().FileExists(Str(request.szTmpDatei, 100)));
  EXPECT_EQ(Str(request.szProBezeichnung, 42), "Achse B, Geschoss 1");
  EXPECT_TRUE(Contains(History(), std::string("Position=") + kStuetze));
  EXPECT_TRUE(LogHas("\n***  ZB_Open_L result : 7  records "));

  // No program named: the user is told and chooses one; a cancelled choice
  // fails the call.
  request = Long("", "");
  ui_.QueueText(std::string("ALLE"));
  ui_.QueueText(std::string("DLT"));
  ui_.QueuePositionDialog([](ZBPROPOS_L* r) {
    SetText(r->szPosNameLong, sizeof r->szPosNameLong, "Neu getippt");
    return true;
  });
  EXPECT_EQ(ZB_Open_L(&request), 4);  // a new position of that name
  EXPECT_EQ(Str(request.szPrgName, 6), "DLT");
  ASSERT_FALSE(ui_.messages().empty());
  EXPECT_EQ(ui_.messages().back().text,
            "Programmbezeichnung  'ALLE'  ist nicht zul\xE4ssig.\nW\xE4hlen Sie "
            "den zugeh\xF6rigen Programm aus.");
  EXPECT_TRUE(LogHas("'\nPrgSelected: DLT"));  // right after the dump
  request = Long("ALLE", "");
  EXPECT_EQ(ZB_Open_L(&request), -102);
}

TEST_F(OpenSaveTest, SaveDecidesBetweenSaveSaveAsAndAutosave) {
  ZBPROPOS_L request = Long("DLT", kStuetze);
  ASSERT_EQ(ZB_SilentOpenEx_L(&request, 1), 7);

  // Unchanged: stored into its own position.
  EXPECT_EQ(ZB_Save_L(&request), 4 + 3);
  EXPECT_TRUE(ui_.dialogs().empty());

  // The caller named another project: the save dialog asks.
  SetText(request.szProName, sizeof request.szProName, "Halle 7");
  EXPECT_EQ(ZB_Save_L(&request), 0);  // cancelled
  EXPECT_EQ(ui_.dialogs().back(), "Position speichern unter");
  EXPECT_TRUE(LogHas("\n*** ZB_Save -> ZB_SaveAs (ProChanged) \n"));
  ui_.QueuePositionDialog([](ZBPROPOS_L* r) {
    EXPECT_EQ(Str(r->szProName, 42), "Halle 7");
    SetText(r->szPosNameLong, sizeof r->szPosNameLong, "Kopie in Halle 7");
    return true;
  });
  EXPECT_EQ(ZB_Save_L(&request), 4 + 3);
  EXPECT_TRUE(LogHas("\n*** Zb_SaveAs_L result : 7  records "));
  ZBPROPOS_L check = Long("DLT", "Kopie in Halle 7", "Halle 7");
  EXPECT_EQ(ZB_PositionExist_L(&check), 1);
}

TEST_F(OpenSaveTest, SaveAsSignalsProgressAndJournalsTwice) {
  ZBPROPOS plain = Plain("DACH", "Dach");
  ASSERT_EQ(ZB_SilentOpen(&plain), 6);
  static std::vector<std::pair<uintptr_t, uint32_t>> sent;
  sent.clear();
  lib().progress_window_sender = [](uintptr_t window, uint32_t message) {
    sent.push_back({window, message});
  };
  ui_.QueuePositionDialog([this](ZBPROPOS_L* r) {
    env::LibraryContext& context = lib().context();
    EXPECT_EQ(context.progress_code, 5);
    context.progress_callback();  // no window yet: nothing sent
    context.progress_window = 4711;
    context.progress_callback();
    SetText(r->szPosNameLong, sizeof r->szPosNameLong, "Zweite Achse");
    return true;
  });
  EXPECT_EQ(ZB_SaveAs(&plain), 3 + 3);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].first, 4711u);
  EXPECT_EQ(sent[0].second, 1029u);
  EXPECT_EQ(lib().context().progress_callback, nullptr);
  EXPECT_EQ(lib().context().progress_window, 0u);
  EXPECT_EQ(Str(plain.szPosName, 10), "Zweite ~");
  EXPECT_EQ(JournalLines().size(), 2u);  // the _L form's and the plain one's
}

TEST_F(OpenSaveTest, FolderAndNameFailures) {
  // A usable history does not save a request whose temporary folder is gone.
  ZBPROPOS_L history = Long("DLT", kStuetze);
  zb::api::WriteRequestHistory(lib(), history);
  ZBPROPOS_L request = Long("DLT", "");
  SetText(request.szTmpPfad, 100, Path("weg"));
  EXPECT_EQ(ZB_New_L(&request), -103);
  EXPECT_EQ(Str(request.szTmpPfad, 100), temporary_);
  EXPECT_TRUE(LogHas("\nszTmpPfad:\n*** TestProPosDataTmpPath result<0!! \n"));

  // The folder check fills a missing project name from the history.
  request = Long("DLT", "", "");
  EXPECT_EQ(zb::api::CheckFolders(lib(), &request, true), 1);
  EXPECT_EQ(Str(request.szProName, 42), kProject);
  EXPECT_EQ(Str(request.szPosNameLong, 42), kStuetze);
  const std::string log = Logged();
  const std::string notes = "\nszProName\nszPosName:";
  EXPECT_EQ(log.substr(log.size() - notes.size()), notes);

  // A file where a folder is expected is logged with the text as it is.
  const std::string file = JoinPath(data_, "ZBPROS.ZB");
  const size_t before = Logged().size();
  EXPECT_EQ(zb::api::TestFolder(lib(), file, false), -2);
  EXPECT_EQ(Logged().substr(before),
            "FEHLER \n Verzeichnis '" + file +
                "': FileAttrib != FILE_ATTRIBUTE_DIRECTORY.");

  // A data folder that is missing is asked for until one exists.
  request = Long("DLT", kStuetze);
  SetText(request.szDataPfad, 100, Path("weg"));
  ui_.QueueFolder(std::nullopt);
  EXPECT_EQ(zb::api::CheckFolders(lib(), &request, false),
            0);  // from the history

  // A project name of blanks only is refused, and no project is made.
  ZBPROPOS blanks = Plain("DLT", "Pos 1");
  std::memset(blanks.szProName, ' ', sizeof blanks.szProName);
  const int32_t entries_before = ps::CheckListAgainstFolder(store(), data_);
  EXPECT_EQ(ZB_SilentSaveExB(&blanks, 1), -200);
  EXPECT_TRUE(LogHas("\n*** ERROR:  -200 : Noname Project"));
  EXPECT_EQ(ps::CheckListAgainstFolder(store(), data_), entries_before);
  EXPECT_TRUE(JournalLines().empty());

  ZBPROPOS_L unknown = Long("XYZ", "Pos 1");
  EXPECT_EQ(ZB_SilentSaveEx_L(&unknown, 1), -1);
  ZBPROPOS_L no_temporary = Long("DLT", "Pos 1");
  SetText(no_temporary.szTmpPfad, 100, Path("weg"));
  EXPECT_EQ(ZB_SilentSaveEx_L(&no_temporary, 1), -103);
  // Without a data folder the save fails in the store, and no project list
  // is made anywhere else.
  ZBPROPOS_L no_data = Long("DLT", "Pos 1", "Irgendwo");
  SetText(no_data.szDataPfad, 100, Path("weg"));
  SetText(no_data.szTmpDatei, 100, JoinPath(temporary_, "DLT00001.TMP"));
  const bool list_before = FileExists("ZBPROS.ZB");  // other tests' leftovers
  EXPECT_EQ(ZB_SilentSaveEx_L(&no_data, 1), -1);
  EXPECT_EQ(FileExists("ZBPROS.ZB"), list_before);
  EXPECT_TRUE(LogHas(" Directory '"));
  EXPECT_EQ(ui_.dialogs().size(), 0u);
}

TEST_F(OpenSaveTest, ReadDBHistoryChecksTheProject) {
  ZBPROPOS_L written = Long("DLT", kStuetze);
  zb::api::WriteRequestHistory(lib(), written);
  ZBPROPOS plain{};
  std::memset(&plain, 'x', sizeof plain);
  ZB_ReadDBHistory(&plain);
  EXPECT_EQ(Str(plain.szProName, 42), kProject);
  EXPECT_EQ(Str(plain.szPosName, 10), "St\xFCtze ~");
  EXPECT_EQ(Str(plain.szPrgName, 6), "DLT");
  EXPECT_TRUE(LogHas("\n ReadDBHistory beendet"));

  ZBPROPOS_L gone = Long("DLT", "Pos", "Abgerissen");
  zb::api::WriteRequestHistory(lib(), gone);
  ZBPROPOS_L read{};
  ZB_ReadDBHistory_L(&read);
  EXPECT_EQ(Str(read.szProName, 42), "");
  EXPECT_EQ(Str(read.szPosNameLong, 42), "");
  EXPECT_TRUE(LogHas("\n*** History no more valid"));
}

TEST_F(OpenSaveTest, OldTemporaryFilesAreCleanedWithAHalvingLimit) {
  namespace fs = std::filesystem;
  auto make = [&](const std::string& name, int minutes_old) {
    const std::string path = JoinPath(temporary_, name);
    ASSERT_TRUE(WriteText(path, "x"));
    fs::last_write_time(fs::path(path), fs::file_time_type::clock::now() -
                                            std::chrono::minutes(minutes_old));
  };
  make("DLT00001.TMP", 20000);
  make("DLT00002.TMP", 20000);
  make("DLT00003.TMP", 10);
  make("DACH0001.TMP", 20000);   // another program's
  make("DLT00004.POS", 20000);   // no working file
  EXPECT_EQ(
      zb::api::CleanOldTemporaryFiles(lib(), temporary_ + "\\", "DLT", 14400),
      1);
  EXPECT_FALSE(FileExists(JoinPath(temporary_, "DLT00001.TMP")));
  EXPECT_TRUE(FileExists(JoinPath(temporary_, "DLT00003.TMP")));
  EXPECT_TRUE(FileExists(JoinPath(temporary_, "DACH0001.TMP")));
  EXPECT_TRUE(FileExists(JoinPath(temporary_, "DLT00004.POS")));

  // More than 20 left: the limit halves until they go (100 minutes old
  // outlive 14400 ... 112, eight runs of 22 files, then 56 takes them).
  for (int i = 10; i < 31; ++i) make("STB000" + std::to_string(i) + ".TMP", 100);
  make("STB00099.TMP", 100);
  EXPECT_EQ(zb::api::CleanOldTemporaryFiles(lib(), temporary_, "STB", 14400),
            8 * 22);
  EXPECT_FALSE(FileExists(JoinPath(temporary_, "STB00010.TMP")));
  EXPECT_EQ(zb::api::CleanOldTemporaryFiles(lib(), Path("weg"), "STB", 0), 0);
}

}  // namespace
}  // namespace zbtest

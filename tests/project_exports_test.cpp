// The project exports as a calling program uses them: creation with the
// project dialog, lookup, kind, renaming, copy and move between two data
// folders (header, list, companions, locks, the shell's results) and
// deletion, on copies of the fixture data folder. Texts are Windows-1252
// escapes.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "environment/library_context.h"
#include "projectstore/project_catalogue.h"
#include "support/project_fixture.h"
#include "zbdb900.h"

namespace zbtest {
namespace {

namespace env = zb::environment;
namespace ps = zb::projectstore;

const char kBruecke[] = "Br\xFC" "cke Nord";
const std::string kStep(9, ' ');  // "%8s " of the transfer log lines
constexpr int16_t kPosInfoKey = 30002;
constexpr int16_t kDlt = 101;

class ProjectExportsTest : public ProjectStoreTest {
 protected:
  std::unique_ptr<zb::platform::Platform> native_ =
      zb::platform::NewNativePlatform();
  zb::platform::FaultInjectingPlatform faults_{*native_};
  void SetUp() override {
    ProjectStoreTest::SetUp();
    lib().context().login_counter = 2;  // the folders of the tests, no login
    lib().catalogue().Load(FixturePath("ZBStatik/Programme") + "\\");
    source_ = Path("a");
    target_ = Path("b");
    altbau_ = JoinPath(source_, "ZBProjekt_Altbau");
    // Folder a: a writable copy of the fixture data folder; b: empty.
    ASSERT_TRUE(MakeFolder(source_));
    ASSERT_TRUE(MakeFolder(target_));
    ASSERT_TRUE(CopyFixtureData(source_, true));
  }
  // A write-protected list ends the program: recorded here instead.
  zb::api::LibraryServices Services() override {
    zb::api::LibraryServices services = ProjectStoreTest::Services();
    services.os = &faults_;
    return services;
  }

  static ZBPROPOS Request(const std::string& folder, const std::string& name,
                          const std::string& author = "",
                          const std::string& program = "") {
    ZBPROPOS r;
    std::memset(&r, 0, sizeof r);
    SetText(r.szDataPfad, sizeof r.szDataPfad, folder);
    SetText(r.szProName, sizeof r.szProName, name);
    SetText(r.szAuthor, sizeof r.szAuthor, author);
    SetText(r.szPrgName, sizeof r.szPrgName, program);
    return r;
  }
  int32_t Exist(const std::string& folder, const std::string& name) {
    ZBPROPOS r = Request(folder, name);
    return ZB_ProjectExist(&r);
  }
  // The list entry, and -202 when there is none.
  int32_t Entry(const std::string& folder, const std::string& name,
                PROINFO* info) {
    ZBPROPOS_L r;
    std::memset(&r, 0, sizeof r);
    SetText(r.szDataPfad, sizeof r.szDataPfad, folder);
    SetText(r.szProName, sizeof r.szProName, name);
    return ZB_ProjectProperty_L(&r, info);
  }
  // How many POSINFO records of the program carry the lock bit.
  int LockedPositions(const std::string& project, int16_t program) {
    const int16_t h = Open(project, DBOpenReadOnly);
    int locked = 0;
    uint8_t buf[248];
    for (int32_t n = 0; DBRead(h, kPosInfoKey, program, n, sizeof buf, buf) > 0;
         ++n)
      locked += buf[2] & 1;
    DBClose(h);
    return locked;
  }
  std::string In(const std::string& folder, const char* name) const {
    return JoinPath(folder, name);
  }

  // Records of a record file.
  uint32_t Records(const std::string& path) {
    const int16_t h = Open(path, DBOpenReadOnly);
    const uint32_t n = DBGetNumRecord(h);
    DBClose(h);
    return n;
  }
  static bool SameHeader(const std::string& path, const PROINFO& entry) {
    const PROINFO header = ProjectHeader(path);
    return std::memcmp(&header, &entry, sizeof entry) == 0;
  }

  std::string source_;
  std::string target_;
  std::string altbau_;
};

TEST_F(ProjectExportsTest, NewAsksForANameOfThreeCharactersAndCancelGivesMinusOne) {
  ZBPROPOS r = Request(target_, "");
  EXPECT_EQ(ZB_ProjectNew(&r), -1);  // nothing queued: cancelled
  ASSERT_EQ(ui_.dialogs().size(), 1u);
  EXPECT_EQ(ui_.dialogs()[0], "Projekt neu anlegen");

  ui_.QueueText("  ab ");  // too short once trimmed
  ui_.QueueText("Ing. Kurz");
  ui_.QueueText(" Neubau Ost ");
  ui_.QueueText("Ing. Lang");
  EXPECT_EQ(ZB_ProjectNew(&r), 1);
  ASSERT_EQ(ui_.messages().size(), 1u);
  EXPECT_EQ(ui_.messages()[0].text,
            "Projektname mu\xDF mindestens 3 Zeichnen lang sein.");
  EXPECT_EQ(ui_.dialogs().size(), 3u);
  EXPECT_EQ(Str(r.szProName, 42), "Neubau Ost");
  EXPECT_EQ(Str(r.szAuthor, 30), "Ing. Lang");
  EXPECT_EQ(Str(ProjectHeader(In(target_, "PRO00001.PRO")).szAuthor, 30),
            "Ing. Lang");

  // Case matters, trailing blanks do not.
  ZBPROPOS_L l;
  std::memset(&l, 0, sizeof l);
  SetText(l.szDataPfad, sizeof l.szDataPfad, target_);
  SetText(l.szProName, sizeof l.szProName, "neubau Ost");
  EXPECT_EQ(ZB_ProjectNew_L(&l), 2);
  r = Request(target_, "Neubau Ost   ", "Ing. Lang");
  EXPECT_EQ(ZB_ProjectNew(&r), 1);
  EXPECT_EQ(Exist(target_, "neubau Ost"), 2);

  r = Request("", "Egal");
  EXPECT_EQ(ZB_ProjectNew(&r), -103);
  r = Request(Path("fehlt"), "Egal");
  EXPECT_EQ(ZB_ProjectNew(&r), -104);
  EXPECT_FALSE(FileExists(Path("fehlt")));
}

TEST_F(ProjectExportsTest, ExistPropertyAndVersionOnTheFixtureFolder) {
  EXPECT_EQ(Exist(source_, "  Halle 7 "), 2);
  EXPECT_EQ(Exist(source_, "halle 7"), -202);
  EXPECT_EQ(Exist(Path("fehlt"), "Halle 7"), -202);
  EXPECT_TRUE(ui_.messages().empty());  // no list is built where no folder is

  PROINFO info;
  std::memset(&info, 0xAA, sizeof info);
  EXPECT_EQ(Entry(source_, "Nichts", &info), -202);
  EXPECT_EQ(info.number, 0);  // zeroed first
  EXPECT_EQ(Str(info.szProject, 42), "");
  EXPECT_EQ(Entry(source_, kBruecke, &info), 1);
  EXPECT_EQ(Str(info.szAuthor, 30), "Ing. Maier");

  ZBPROPOS r = Request(source_, kBruecke);
  EXPECT_EQ(ZB_ProjectVersion(&r), 0);
  r = Request(source_, "   ");
  EXPECT_EQ(ZB_ProjectVersion(&r), -1);
  r = Request(Path("fehlt"), kBruecke);
  EXPECT_EQ(ZB_ProjectVersion(&r), -3);
  r = Request(source_, "Altbau Sanierung");
  EXPECT_EQ(ZB_ProjectVersion(&r), -202);  // the list does not know it yet
  ASSERT_EQ(ps::CheckListAgainstFolder(store(), source_), 5);
  EXPECT_EQ(ZB_ProjectVersion(&r), 1);

  // The Basic caller's record: blank-padded in, blank-padded back.
  std::memset(&r, ' ', sizeof r);
  std::memcpy(r.szDataPfad, source_.data(), source_.size());
  std::memcpy(r.szProName, "Altbau Sanierung", 16);
  EXPECT_EQ(ZB_ProjectVersionB(&r), 1);
  EXPECT_EQ(std::string(r.szProName, 42),
            "Altbau Sanierung" + std::string(26, ' '));
}

TEST_F(ProjectExportsTest, ReadingAFolderProjectIsAskedFirst) {
  ASSERT_EQ(ps::CheckListAgainstFolder(store(), source_), 5);
  EXPECT_TRUE(ps::MayReadProject(store(), source_, kBruecke, true));
  EXPECT_TRUE(ps::MayReadProject(store(), source_, "Altbau Sanierung", false));
  EXPECT_TRUE(ui_.messages().empty());
  ui_.QueueAnswer(env::Answer::kNo);
  EXPECT_FALSE(ps::MayReadProject(store(), source_, "Altbau Sanierung", true));
  EXPECT_TRUE(ps::MayReadProject(store(), source_, "Altbau Sanierung", true));
  ASSERT_EQ(ui_.messages().size(), 2u);
  const env::ShownMessage& box = ui_.messages()[0];
  EXPECT_EQ(box.caption, "ZB_Datenverwaltung ");
  EXPECT_EQ(box.buttons, env::Buttons::kYesNo);
  EXPECT_EQ(box.icon, env::Icon::kWarning);
  EXPECT_EQ(box.text,
            " \n PROJEKT:  Altbau Sanierung  \n\n In diesem Projekt haben Sie "
            "nur Leserechte.\n Das Projekt ist in ein anderes Datenformat "
            "konvertiert worden\n und steht unter der Verwaltung von "
            "ZB-Manager. \n Position lesen?");
  // A name the list does not know: logged, and reading fails on its own.
  EXPECT_TRUE(ps::MayReadProject(store(), source_, "Unbekannt", true));
  EXPECT_TRUE(LogHas("\n *** iProjektVersion nicht gel\xF6st!!! "));
}

TEST_F(ProjectExportsTest, RenameByTargetOrDialogRefusesATakenName) {
  ZBPROPOS from = Request(source_, kBruecke);
  ZBPROPOS to = Request("", "Br\xFC" "cke S\xFC" "d", "Ing. Weber");
  EXPECT_EQ(ZB_ProjectRename(&from, &to), 1);
  for (const char* file : {"PRO00001.PRO", "PRO00001.PRV", "PRO00001.ERG"}) {
    EXPECT_EQ(Str(ProjectHeader(In(source_, file)).szProject, 42),
              "Br\xFC"
              "cke S\xFC"
              "d")
        << file;
    EXPECT_EQ(Str(ProjectHeader(In(source_, file)).szAuthor, 30), "Ing. Weber");
  }
  EXPECT_EQ(Exist(source_, kBruecke), -202);
  // Name and author both come from the target, an empty author too.
  from = Request(source_, "Br\xFC" "cke S\xFC" "d");
  to = Request("", "Br\xFC" "cke S\xFC" "d");
  EXPECT_EQ(ZB_ProjectRename(&from, &to), 1);
  EXPECT_EQ(Str(ProjectHeader(In(source_, "PRO00001.PRO")).szAuthor, 30), "");
  PROINFO entry;
  ASSERT_EQ(Entry(source_, "Br\xFC" "cke S\xFC" "d", &entry), 1);
  EXPECT_EQ(Str(entry.szAuthor, 30), "");

  // Another project's name would make one of the two unreachable.
  from = Request(source_, "Halle 7");
  to = Request(source_, "Br\xFC" "cke S\xFC" "d", "X");
  EXPECT_EQ(ZB_ProjectRename(&from, &to), -201);
  EXPECT_EQ(Exist(source_, "Halle 7"), 2);

  // An empty target name: the target takes the source request, the
  // dialog gives name and author.
  to = Request("", "");
  ui_.QueueText("Halle 8");
  ui_.QueueText("Ing. Neu");
  EXPECT_EQ(ZB_ProjectRename(&from, &to), 1);
  EXPECT_EQ(ui_.dialogs().back(), "Projekt umbenennen ");
  EXPECT_EQ(Str(to.szDataPfad, 100), source_);
  EXPECT_EQ(Str(to.szProName, 42), "Halle 8");
  EXPECT_EQ(Str(ProjectHeader(In(source_, "PRO00002.PRO")).szAuthor, 30),
            "Ing. Neu");
  EXPECT_EQ(Exist(source_, "Halle 8"), 2);
  // The dialog starts from the source request's name and author.
  from = Request(source_, "Halle 8", "Ing. Quelle");
  to = Request("", "");
  ui_.QueueText("Halle 9");
  EXPECT_EQ(ZB_ProjectRename(&from, &to), 1);
  EXPECT_EQ(Str(ProjectHeader(In(source_, "PRO00002.PRO")).szAuthor, 30),
            "Ing. Quelle");
  from = Request(source_, "Halle 9");
  to = Request("", "");
  ui_.QueueText("Halle 8");
  EXPECT_EQ(ZB_ProjectRename(&from, &to), 1);  // the source request's author
  EXPECT_EQ(Str(ProjectHeader(In(source_, "PRO00002.PRO")).szAuthor, 30), "");
  to = Request("", "");
  from = Request(source_, "Halle 8");
  EXPECT_EQ(ZB_ProjectRename(&from, &to), 0);  // dialog cancelled
  EXPECT_EQ(Exist(source_, "Halle 8"), 2);
  from = Request(source_, "Nichts");
  to = Request(source_, "Etwas");
  EXPECT_EQ(ZB_ProjectRename(&from, &to), -202);
}

TEST_F(ProjectExportsTest,
       CopyIntoAnotherFolderGivesTheTargetItsOwnHeaderAndNoLocks) {
  const std::string source_file = In(source_, "PRO00001.PRO");
  ASSERT_EQ(LockedPositions(source_file, kDlt), 1);  // Unterzug U1
  ZBPROPOS from = Request(source_, kBruecke);
  ZBPROPOS to = Request(target_, "", "", "DLT");
  EXPECT_EQ(ZB_ProjectCopy(&from, &to), 1);
  EXPECT_TRUE(ui_.messages().empty());
  EXPECT_EQ(Str(to.szProName, 42), kBruecke);
  EXPECT_EQ(Str(to.szAuthor, 30), "Ing. Maier");  // the source's

  const std::string copied = In(target_, "PRO00001.PRO");
  PROINFO entry;
  ASSERT_EQ(Entry(target_, kBruecke, &entry), 1);
  EXPECT_TRUE(SameHeader(copied, entry));
  EXPECT_EQ(LockedPositions(copied, kDlt), 0);
  EXPECT_EQ(LockedPositions(source_file, kDlt), 1);  // the source untouched
  // The records came along: the position's data is there.
  EXPECT_EQ(Records(copied), Records(source_file));
  // The companions follow with the target's header.
  for (const char* file : {"PRO00001.ERG", "PRO00001.PRV"}) {
    EXPECT_TRUE(SameHeader(In(target_, file), entry)) << file;
    EXPECT_TRUE(FileExists(In(source_, file))) << file;
  }
  const std::string log = Logged();
  EXPECT_TRUE(Contains(log, "\n" + kStep + "COPY project  from: " + source_ +
                                "//" + kBruecke + "\n" + std::string(25, ' ') +
                                " to: " + target_ + "//" + kBruecke + " "));
  EXPECT_TRUE(Contains(log, "\n*** ZB_ProjectCopy: iRet 1"));

  // Again: the name exists. No asks for another name, which exists too
  // the first time.
  ui_.QueueAnswer(env::Answer::kNo);
  ui_.QueueText(kBruecke);
  ui_.QueueText("Ing. Maier");
  ui_.QueueText("Br\xFC" "cke Kopie");
  ui_.QueueText("Ing. Maier");
  to = Request(target_, "");
  EXPECT_EQ(ZB_ProjectCopy(&from, &to), 1);
  ASSERT_EQ(ui_.messages().size(), 1u);
  EXPECT_EQ(ui_.messages()[0].caption, "PROJEKT KOPIEREN");
  EXPECT_EQ(ui_.messages()[0].text,
            "Projekt ' Br\xFC" "cke Nord ' existiert bereits.\n\xDC"
            "berschreiben?");
  EXPECT_EQ(ui_.messages()[0].icon, env::Icon::kQuestion);
  EXPECT_EQ(ui_.messages()[0].buttons, env::Buttons::kYesNo);
  const std::string title = "Projekt ' Br\xFC" "cke Nord' kopieren ins "
                            "Verzeichnis '" + target_ + "'  als:";
  ASSERT_EQ(ui_.dialogs().size(), 2u);
  EXPECT_EQ(ui_.dialogs()[0], title);
  EXPECT_EQ(ui_.dialogs()[1], title);
  EXPECT_EQ(Str(to.szProName, 42), "Br\xFC" "cke Kopie");
  EXPECT_EQ(Exist(target_, "Br\xFC" "cke Kopie"), 2);
  EXPECT_EQ(ProjectHeader(In(target_, "PRO00002.PRO")).number, 2);
  EXPECT_EQ(ProjectHeader(In(target_, "PRO00002.PRV")).number, 2);

  // No, then the dialog cancelled: nothing copied.
  to = Request(target_, kBruecke);
  ui_.QueueAnswer(env::Answer::kNo);
  EXPECT_EQ(ZB_ProjectCopy(&from, &to), 0);
  EXPECT_FALSE(FileExists(In(target_, "PRO00003.PRO")));

  // Yes overwrites; onto itself nothing is done.
  from = Request(target_, "Br\xFC" "cke Kopie");
  to = Request(target_, "");
  EXPECT_EQ(ZB_ProjectCopy(&from, &to), -1);
  EXPECT_TRUE(LogHas("\n" + kStep + "..... failed!!\n"));
  EXPECT_EQ(Exist(target_, "Br\xFC" "cke Kopie"), 2);
}

TEST_F(ProjectExportsTest,
       OverwritingReplacesTheTargetAndDropsItsStaleCompanions) {
  ZBPROPOS r = Request(target_, "Halle 7", "Ing. Alt");
  ASSERT_EQ(ZB_ProjectNew(&r), 1);
  ASSERT_TRUE(WriteText(In(target_, "PRO00001.PRV"), "alt"));
  ZBPROPOS from = Request(source_, "Halle 7");
  ZBPROPOS to = Request(target_, "Halle 7", "Ing. Neu");
  EXPECT_EQ(ZB_ProjectCopy(&from, &to), 1);  // Yes by default
  EXPECT_EQ(ui_.messages().size(), 1u);
  EXPECT_FALSE(FileExists(In(target_, "PRO00001.PRV")));
  PROINFO entry;
  ASSERT_EQ(Entry(target_, "Halle 7", &entry), 1);
  EXPECT_EQ(Str(entry.szAuthor, 30), "Ing. Alt");  // the target's own entry
  EXPECT_TRUE(SameHeader(In(target_, "PRO00001.PRO"), entry));
  EXPECT_EQ(Records(In(target_, "PRO00001.PRO")),
            Records(In(source_, "PRO00002.PRO")));
}

TEST_F(ProjectExportsTest, MoveTakesTheCompanionsAndLeavesTheSourceListRight) {
  ZBPROPOS from = Request(source_, kBruecke);
  ZBPROPOS to = Request(target_, kBruecke);
  EXPECT_EQ(ZB_ProjectMove(&from, &to), 1);
  for (const char* file : {"PRO00001.PRO", "PRO00001.ERG", "PRO00001.PRV"}) {
    EXPECT_FALSE(FileExists(In(source_, file))) << file;
    EXPECT_TRUE(FileExists(In(target_, file))) << file;
  }
  EXPECT_EQ(Exist(source_, kBruecke), -202);
  EXPECT_EQ(Exist(source_, "Halle 7"), 2);
  EXPECT_EQ(Exist(target_, kBruecke), 1);
  const std::string log = Logged();
  EXPECT_TRUE(Contains(log, "\n\n" + kStep + "MOVE project from: " + source_ +
                                "//" + kBruecke + "\n" + std::string(25, ' ') +
                                "to: " + target_ + "//" + kBruecke + " "));
  EXPECT_TRUE(Contains(
      log,
      "Move Preview file from: " +
          ps::CompanionPath(ps::ProjectFilePath(store(), source_, 1), ".PRV")));
  EXPECT_TRUE(Contains(log, "\n*** ZB_ProjectMove: iRet 1"));

  // The source's name taken over and existing asks under the move's title.
  ZBPROPOS made = Request(source_, kBruecke);
  ASSERT_EQ(ZB_ProjectNew(&made), 1);
  from = Request(target_, kBruecke);
  to = Request(source_, "");
  ui_.QueueAnswer(env::Answer::kNo);
  EXPECT_EQ(ZB_ProjectMove(&from, &to), 0);
  ASSERT_EQ(ui_.messages().size(), 1u);
  EXPECT_EQ(ui_.messages().back().caption, "PROJEKT VERSCHIEBEN");
  EXPECT_EQ(ui_.dialogs().back(),
            "Projekt 'Br\xFC" "cke Nord' verschieben ins Verzeichnis '" +
                source_ + "'  als:");
  EXPECT_TRUE(FileExists(In(target_, "PRO00001.PRO")));

  // A list that agrees with its folder is rebuilt after the move, since
  // the folder then holds one project less.
  ASSERT_EQ(ps::CheckListAgainstFolder(store(), source_), 5);
  const size_t before = Logged().size();
  from = Request(source_, "Halle 7");
  to = Request(target_, "");
  EXPECT_EQ(ZB_ProjectMove(&from, &to), 1);
  EXPECT_NE(Logged().find("\n*** Projektlist neu lesen : ", before),
            std::string::npos);
  EXPECT_EQ(Exist(source_, "Halle 7"), -202);
  EXPECT_EQ(Exist(source_, "Altbau Sanierung"), 4);
}

TEST_F(ProjectExportsTest, AnExplicitTargetNameIsOverwrittenWithoutAQuestion) {
  ZBPROPOS r = Request(target_, "Alt", "Ing. Alt");
  ASSERT_EQ(ZB_ProjectNew(&r), 1);
  ZBPROPOS from = Request(source_, "Halle 7");
  ZBPROPOS to = Request(target_, "Alt", "Ing. Neu");
  EXPECT_EQ(ZB_ProjectCopy(&from, &to), 1);
  EXPECT_TRUE(ui_.messages().empty());
  EXPECT_TRUE(ui_.dialogs().empty());
  PROINFO entry;
  ASSERT_EQ(Entry(target_, "Alt", &entry), 1);
  EXPECT_TRUE(SameHeader(In(target_, "PRO00001.PRO"), entry));
  EXPECT_EQ(Records(In(target_, "PRO00001.PRO")),
            Records(In(source_, "PRO00002.PRO")));

  // The other product's project may be copied (only read), not moved.
  ASSERT_EQ(ps::CheckListAgainstFolder(store(), source_), 5);
  from = Request(source_, "Altbau Sanierung");
  to = Request(target_, "");
  EXPECT_EQ(ZB_ProjectMove(&from, &to), -209);
  EXPECT_EQ(ZB_ProjectCopy(&from, &to), 1);
  EXPECT_TRUE(FileExists(In(altbau_, "ProjectData.ZBDB")));
  EXPECT_EQ(Exist(target_, "Altbau Sanierung"), 2);
  ZBPROPOS kind = Request(target_, "Altbau Sanierung");
  EXPECT_EQ(ZB_ProjectVersion(&kind), 0);
  // Onto a folder project nothing is written.
  from = Request(target_, "Alt");
  to = Request(source_, "Altbau Sanierung");
  EXPECT_EQ(ZB_ProjectCopy(&from, &to), -209);
}

TEST_F(ProjectExportsTest, ShellResultsWithADialogParent) {
  lib().context().dialog_parent = 0x1234;
  ZBPROPOS from = Request(source_, kBruecke);
  ZBPROPOS to = Request(target_, "");
  ui_.QueueShellResult(7);
  EXPECT_EQ(ZB_ProjectCopy(&from, &to), 0);
  ASSERT_EQ(ui_.dialogs().size(), 1u);
  EXPECT_EQ(ui_.dialogs()[0], "Shell:Projekt ' Br\xFC" "cke Nord' kopieren ins "
                              "Verzeichnis '" + target_ + "'  als:");
  EXPECT_TRUE(LogHas("\n" + kStep + "..... interrupted!!\n"));
  EXPECT_TRUE(LogHas("\n*** ZB_ProjectCopy: iRet 0"));
  // The target made for it stays in the list; its empty file went before
  // the copy.
  EXPECT_EQ(Exist(target_, kBruecke), 1);
  EXPECT_FALSE(FileExists(In(target_, "PRO00001.PRO")));

  ui_.QueueShellResult(2);
  EXPECT_EQ(ZB_ProjectMove(&from, &to), -1);
  EXPECT_EQ(ui_.dialogs().back(),
            "Shell:Projekt 'Br\xFC" "cke Nord' verschieben ins Verzeichnis '" +
                target_ + "'  als:");
  EXPECT_TRUE(FileExists(In(source_, "PRO00001.PRO")));
  EXPECT_EQ(Exist(source_, kBruecke), 1);

  // Where the Ui has no shell the library does the work itself.
  EXPECT_EQ(ZB_ProjectCopy(&from, &to), 1);
  EXPECT_TRUE(FileExists(In(target_, "PRO00001.PRV")));

  // Delete: interrupted leaves list and file, a failure still takes the
  // entry out of the list.
  ZBPROPOS gone = Request(source_, "Halle 7");
  ui_.QueueShellResult(7);
  EXPECT_EQ(ZB_ProjectDelete(&gone), -1);
  EXPECT_EQ(Exist(source_, "Halle 7"), 2);
  ui_.QueueShellResult(5);
  EXPECT_EQ(ZB_ProjectDelete(&gone), 1);
  EXPECT_TRUE(FileExists(In(source_, "PRO00002.PRO")));
  EXPECT_EQ(ui_.dialogs().back(), "Shell:");
}

TEST_F(ProjectExportsTest, FoldersAreCheckedFirst) {
  ZBPROPOS from = Request("", kBruecke);
  ZBPROPOS to = Request(target_, "");
  EXPECT_EQ(ZB_ProjectCopy(&from, &to), -1);
  from = Request(Path("fehlt"), kBruecke);
  EXPECT_EQ(ZB_ProjectCopy(&from, &to), -1);
  from = Request(source_, kBruecke);
  to = Request(Path("fehlt"), "");
  EXPECT_EQ(ZB_ProjectMove(&from, &to), -3);
  EXPECT_TRUE(LogHas("\n*** result: -3 , DataPath false "));
  from = Request(source_, "Nichts");
  to = Request(target_, "");
  EXPECT_EQ(ZB_ProjectCopy(&from, &to), -1);
  EXPECT_EQ(Exist(target_, "Nichts"), -202);

  ZBPROPOS_L lfrom;
  ZBPROPOS_L lto;
  std::memset(&lfrom, 0, sizeof lfrom);
  std::memset(&lto, 0, sizeof lto);
  SetText(lfrom.szDataPfad, 100, Path("fehlt"));
  SetText(lfrom.szProName, 42, kBruecke);
  SetText(lto.szDataPfad, 100, target_);
  EXPECT_EQ(ZB_CopyProject_L(&lfrom, &lto), -3);
  SetText(lfrom.szDataPfad, 100, source_);
  EXPECT_EQ(ZB_CopyProject_L(&lfrom, &lto), 1);
  EXPECT_EQ(Str(lto.szProName, 42), kBruecke);
  EXPECT_TRUE(LogHas("\n*** ZB_CopyProject_L: iRet -3"));
  EXPECT_TRUE(LogHas("\n*** ZB_CopyProject_L: iRet 1"));
  EXPECT_TRUE(ui_.messages().empty());
}

TEST_F(ProjectExportsTest, DeleteRemovesFilesAndEntryButNotAFolderProject) {
  ZBPROPOS r = Request(source_, kBruecke);
  EXPECT_EQ(ZB_ProjectDelete(&r), 1);
  for (const char* file : {"PRO00001.PRO", "PRO00001.ERG", "PRO00001.PRV"})
    EXPECT_FALSE(FileExists(In(source_, file))) << file;
  EXPECT_EQ(Exist(source_, kBruecke), -202);
  EXPECT_EQ(Exist(source_, "Halle 7"), 2);
  EXPECT_EQ(ps::FirstFreeNumber(store(), source_), 1);
  EXPECT_TRUE(LogHas("\n" + kStep + "DELETE project :" + source_ + "//" +
                     kBruecke + "\n "));
  EXPECT_EQ(ZB_ProjectDelete(&r), -202);
  r = Request(Path("fehlt"), "Halle 7");
  EXPECT_EQ(ZB_ProjectDelete(&r), -2);

  // A file the list does not know keeps the counts equal after the delete,
  // so no rebuild helps: the paths behind the entry must move up with it.
  for (const char* name : {"Eins", "Zwei", "Drei"}) {
    r = Request(target_, name);
    ASSERT_GT(ZB_ProjectNew(&r), 0);
  }
  MakeRecordFile(In(target_, "PRO00009.PRO"), {});
  r = Request(target_, "Eins");
  EXPECT_EQ(ZB_ProjectDelete(&r), 1);
  std::string path;
  EXPECT_EQ(ps::FindProject(store(), target_, "Zwei", nullptr, &path), 0);
  EXPECT_EQ(path, ps::ProjectFilePath(store(), target_, 2));
  EXPECT_EQ(ps::FindProject(store(), target_, "Drei", nullptr, &path), 1);
  EXPECT_EQ(path, ps::ProjectFilePath(store(), target_, 3));

  // The other product's project is only read here.
  ASSERT_EQ(ps::CheckListAgainstFolder(store(), source_), 4);
  r = Request(source_, "Altbau Sanierung");
  EXPECT_EQ(ZB_ProjectDelete(&r), -209);
  EXPECT_TRUE(FileExists(In(altbau_, "ProjectData.ZBDB")));
  ZBPROPOS to = Request(target_, "");
  EXPECT_EQ(ZB_ProjectMove(&r, &to), -209);
}

}  // namespace
}  // namespace zbtest

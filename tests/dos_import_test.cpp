// The import of DOS projects on a copy of the DOS data folder: QT300007.PRO
// (header number 0), QT300012.PRO "Altes Projekt", QT400003.PRO of QT4.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "exchange/dos_import.h"
#include "explorer/project_select.h"
#include "support/installed_data_fixture.h"
#include "zbdb900.h"

namespace zbtest {
namespace {

namespace ex = zb::exchange;

class DosImportTest : public InstalledDataTest {
 protected:
  DosImportTest() : InstalledDataTest({}) {}
  void SetUp() override {
    InstalledDataTest::SetUp();
    data_ = Path("Daten");
    request_tmp_ = Path("TMP");
    ASSERT_TRUE(MakeFolder(data_));
    ASSERT_TRUE(MakeFolder(request_tmp_));
    for (const char* file : {"QT300007.PRO", "QT300012.PRO", "QT400003.PRO"})
      ASSERT_TRUE(CopyFileTo(FixturePath(std::string("dos-data/") + file),
                             JoinPath(data_, file)));
  }
  std::string Dos(const std::string& file) const { return data_ + "\\" + file; }
};

// The window's model in its DOS mode: the old projects, the caption and
// button of the import, no folder choice and no new project.
TEST_F(DosImportTest, SelectionInItsDosModeListsTheOldProjects) {
  zb::environment::Ui::ListedProjects listed{"DOS-Projekt  importieren ", "O&k",
                                             {}, "Altes Projekt"};
  for (const ex::DosProject& p : ex::ListDosProjects(lib().engine(), data_, "QT3"))
    listed.projects.push_back(p.header);
  zb::explorer::ProjectSelectModel model(store(), Long("QT3", "", ""));
  model.SetListed(listed);
  model.OnInit();
  EXPECT_EQ(model.state().title, "DOS-Projekt  importieren ");
  EXPECT_EQ(model.state().text(IDC_PRO_OK), "O&k");
  EXPECT_FALSE(model.state().at(IDC_PRO_FOLDER).visible);
  EXPECT_FALSE(model.state().at(IDC_PRO_NEW).visible);
  ASSERT_EQ(model.list().state().rows.size(), 2u);
  EXPECT_EQ(model.state().text(IDC_PRO_ID), "12") << "the project asked for";
  ASSERT_TRUE(model.OnOk());
  EXPECT_STREQ(listed.projects[model.chosen()].szProject, "Altes Projekt");
}

TEST_F(DosImportTest, ProjectOfTheProgramIsChosenAndItsFileHandedBack) {
  // Damaged files of the program's pattern (no record file, a cut one) are
  // left out of the list.
  ASSERT_TRUE(WriteText(JoinPath(data_, "QT300099.PRO"), "kein Projekt"));
  const Bytes whole = ReadFileBytes(JoinPath(data_, "QT300012.PRO"));
  ASSERT_TRUE(WriteFileBytes(JoinPath(data_, "QT300013.PRO"),
                             Bytes(whole.begin(), whole.begin() + 60)));

  std::vector<ex::DosProject> listed =
      ex::ListDosProjects(lib().engine(), data_, "QT3");
  ASSERT_EQ(listed.size(), 2u);
  if (listed[0].file_name != "QT300007.PRO") std::swap(listed[0], listed[1]);
  EXPECT_EQ(listed[0].header.number, 7);
  EXPECT_STREQ(listed[0].header.szProject, "QT300007.PRO");
  EXPECT_EQ(listed[1].header.number, 12);
  EXPECT_STREQ(listed[1].header.szProject, "Altes Projekt");

  // The header numbered 0 stands under its file name; the key in lower case.
  ZBPROPOS_L r = Long("qt3", "", "");
  ui_.QueueText("QT300007.PRO");
  EXPECT_EQ(ZB_ImportDOS_QT345_L(&r), 1);
  EXPECT_EQ(Str(r.szTmpDatei, sizeof r.szTmpDatei), Dos("QT300007.PRO"));
  EXPECT_EQ(Str(r.szPrgName, sizeof r.szPrgName), "QT3");
  EXPECT_EQ(ui_.dialogs(), std::vector<std::string>{"DOS-Projekt  importieren "});
  EXPECT_TRUE(LogHas("*** ZB_ImportDOS_QT345"));

  // Chosen by name; a data folder with its backslash gets no second one.
  r = Long("QT3", "", "");
  SetText(r.szDataPfad, sizeof r.szDataPfad, data_ + "\\");
  ui_.QueueText("  Altes Projekt ");
  EXPECT_EQ(ZB_ImportDOS_QT345_L(&r), 1);
  EXPECT_EQ(Str(r.szTmpDatei, sizeof r.szTmpDatei), Dos("QT300012.PRO"));
  EXPECT_EQ(Str(r.szProName, sizeof r.szProName), "Altes Projekt");
}

TEST_F(DosImportTest, EveryFamilyConvertsAroundTheImport) {
  ZBPROPOS plain = Plain("qt4", "");
  ui_.QueueText("Anderes Programm");
  EXPECT_EQ(ZB_ImportDOS_QT345(&plain), 1);
  EXPECT_EQ(Str(plain.szTmpDatei, sizeof plain.szTmpDatei),
            Dos("QT400003.PRO"));
  EXPECT_EQ(Str(plain.szPrgName, sizeof plain.szPrgName), "QT4");

  // Basic callers get the fields blank-padded to their full width.
  ZBPROPOS basic = Plain("QT4", "");
  ui_.QueueText("Anderes Programm");
  EXPECT_EQ(ZB_ImportDOS_QT345_B(&basic), 1);
  const std::string key(basic.szPrgName, sizeof basic.szPrgName);
  EXPECT_EQ(key, "QT4" + std::string(sizeof basic.szPrgName - 3, ' '));

  ZBPROPOS_L long_basic = Long("QT3", "");
  ui_.QueueText("QT300007.PRO");
  EXPECT_EQ(ZB_ImportDOS_QT345_LB(&long_basic), 1);
  const std::string file(long_basic.szTmpDatei, sizeof long_basic.szTmpDatei);
  EXPECT_EQ(file.substr(0, file.find_last_not_of(' ') + 1),
            Dos("QT300007.PRO"));
}

TEST_F(DosImportTest, FailuresGiveTheirResultsWithoutAChoice) {
  // Another program: -1 before any dialog.
  ZBPROPOS_L r = Long("DLT", "");
  EXPECT_EQ(ZB_ImportDOS_QT345_L(&r), -1);
  EXPECT_EQ(ZB_ImportDOS_QT345_L(nullptr), -1);
  EXPECT_TRUE(ui_.dialogs().empty());

  // Cancelled: 0, the record's file left alone.
  r = Long("QT3", "");
  SetText(r.szTmpDatei, sizeof r.szTmpDatei, "vorher");
  ui_.QueueText(std::nullopt);
  EXPECT_EQ(ZB_ImportDOS_QT345_L(&r), 0);
  EXPECT_EQ(Str(r.szTmpDatei, sizeof r.szTmpDatei), "vorher");

  // A missing data folder lists nothing; the dialog still opens.
  r = Long("QT5", "");
  SetText(r.szDataPfad, sizeof r.szDataPfad, Path("fehlt"));
  EXPECT_TRUE(ex::ListDosProjects(lib().engine(), Path("fehlt"), "QT5").empty());
  ui_.QueueText(std::nullopt);
  EXPECT_EQ(ZB_ImportDOS_QT345_L(&r), 0);

  // OK on a name the list does not hold: ended by OK, nothing taken over.
  r = Long("QT3", "");
  SetText(r.szTmpDatei, sizeof r.szTmpDatei, "vorher");
  ui_.QueueText("QT400003.PRO");
  EXPECT_EQ(ZB_ImportDOS_QT345_L(&r), 1);
  EXPECT_EQ(Str(r.szTmpDatei, sizeof r.szTmpDatei), "vorher");
  EXPECT_EQ(ui_.dialogs().size(), 3u);
}

TEST_F(DosImportTest, ListStopsAtAHundredProjects) {
  const Bytes project = ReadFileBytes(JoinPath(data_, "QT300012.PRO"));
  for (int i = 100; i < 205; ++i)
    ASSERT_TRUE(WriteFileBytes(
        JoinPath(data_, "QT300" + std::to_string(i) + ".PRO"), project));
  EXPECT_EQ(ex::ListDosProjects(lib().engine(), data_, "QT3").size(), 100u);
}

}  // namespace
}  // namespace zbtest

// The selection dialogs' models and exports, headless through ScriptedUi:
// the project list's sorting and settings, the program selection, the
// project selection with "&Neu", and the folder dialog.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "explorer/program_select.h"
#include "explorer/project_list.h"
#include "explorer/project_select.h"
#include "projectstore/project_catalogue.h"
#include "support/installed_data_fixture.h"
#include "zbdb900.h"

namespace {

using zb::explorer::ProgramSelectModel;
using zb::explorer::ProjectListModel;
using zb::explorer::ProjectSelectModel;

class SelectionTest : public zbtest::InstalledDataTest {
 protected:
  void SetUp() override {
    InstalledDataTest::SetUp();
    ini_ = Path("Ini");
    ASSERT_TRUE(zbtest::MakeFolder(ini_));
    lib().context().folders.configuration = ini_;
  }
  std::string History(const std::string& section, const std::string& key) {
    return lib().os().ReadProfileText(ini_ + "/DBHISTORY.INI", section, key, "");
  }
  static std::vector<std::string> Names(const zb::explorer::ListState& list,
                                        size_t column = 0) {
    std::vector<std::string> names;
    for (const auto& row : list.rows) names.push_back(row.cells[column]);
    return names;
  }
  std::string ini_;
};

TEST_F(SelectionTest, ProjectListSortsByColumnClicksAndKeepsSettings) {
  const std::string folder = Path("Neu");
  ASSERT_TRUE(zbtest::MakeFolder(folder));
  ASSERT_GT(zb::projectstore::CreateProject(store(), folder, "Beta", "Meier"), 0);
  ASSERT_GT(zb::projectstore::CreateProject(store(), folder, "Alpha", "Meier"), 0);
  ASSERT_GT(zb::projectstore::CreateProject(store(), folder, "Gamma", "Albers"), 0);
  ProjectListModel list(store());
  ASSERT_EQ(list.Show(folder, "Beta"), 3);
  EXPECT_EQ(Names(list.state()), (std::vector<std::string>{"Alpha", "Beta", "Gamma"}));
  EXPECT_EQ(list.CounterText(), "<2/3>");
  // First click on "Autor": descending, same author by name descending.
  list.OnColumnClick(3);
  EXPECT_EQ(list.sort_mode(), "AUTHORDESCENDING");
  EXPECT_EQ(Names(list.state()), (std::vector<std::string>{"Beta", "Alpha", "Gamma"}));
  list.OnColumnClick(3);
  EXPECT_EQ(Names(list.state()), (std::vector<std::string>{"Gamma", "Alpha", "Beta"}));
  EXPECT_EQ(list.Selected()->info.szProject, std::string("Beta"));

  list.set_section("ZBEX_PROVIEW");
  ASSERT_TRUE(list.WriteSettings());
  EXPECT_EQ(History("ZBEX_PROVIEW", "SortMode"), "AUTHORASCENDING");
  EXPECT_EQ(History("ZB_PROJEKTVIEW", "SortMode"), "AUTHORASCENDING");
  EXPECT_EQ(History("ZB_PROJEKTVIEW", "SORTING_COLUMN"), "3");

  lib().os().WriteProfileText(ini_ + "/DBHISTORY.INI", "ZBEX_PROVIEW", "SortMode", "None");
  list.ReadSettings();
  EXPECT_EQ(Names(list.state()), (std::vector<std::string>{"Alpha", "Beta", "Gamma"}));
  list.SetSortMode("Unsinn");
  EXPECT_EQ(list.sort_mode(), "DATEDESCENDING");
}

TEST_F(SelectionTest, ProgramSelectionStartsOnAlleAndHidesMissingPrograms) {
  // A program folder in which only DLT's executable lies.
  const std::string programs = Path("Prg");
  ASSERT_TRUE(zbtest::MakeFolder(programs));
  for (const char* file : {"zbkeys.ini", "ZBKEYS.DAT"})
    ASSERT_TRUE(zbtest::CopyFileTo(zbtest::FixturePath(std::string("ZBStatik/Programme/") + file),
                                   zbtest::JoinPath(programs, file)));
  ASSERT_TRUE(zbtest::WriteText(zbtest::JoinPath(programs, "DLT.exe"), "MZ"));
  lib().catalogue().Load(programs + "/");

  lib().context().config.offer_all_programs = 1;
  ProgramSelectModel all(lib().context(), "");
  all.OnInit();
  EXPECT_FALSE(all.installed_only());
  EXPECT_EQ(all.programs().KeyOf(all.programs().state().FirstSelected()), "ALLE");

  ProgramSelectModel dialog(lib().context(), "STB");
  dialog.OnInit();
  EXPECT_EQ(Names(dialog.programs().state(), 1), (std::vector<std::string>{"DLT", "STB"}));
  dialog.OnClicked(IDC_PRG_INSTALLED);
  EXPECT_EQ(Names(dialog.programs().state(), 1), (std::vector<std::string>{"DLT"}));
  dialog.programs().OnColumnClick(0);
  EXPECT_EQ(dialog.programs().sort_mode(), "TXTDESCENDING");
  dialog.OnProgramSelected(0);
  ASSERT_TRUE(dialog.OnOk());
  EXPECT_EQ(dialog.key(), "DLT");
  EXPECT_EQ(History("ZB_PROGRAMVIEW", "SortMode"), "TXTDESCENDING");

  ZBPROPOS request = Plain("", "");
  ui_.QueueText(std::string("FUND"));
  EXPECT_EQ(ZB_PrgSelect(&request), 1);
  EXPECT_STREQ(request.szPrgName, "FUND");
  EXPECT_EQ(ZB_PrgSelect(&request), 0);
}

TEST_F(SelectionTest, ProjectSelectionCreatesAndTakesAProject) {
  ProjectSelectModel dialog(store(), Long("DLT", "", zbtest::kProject));
  dialog.OnInit();
  EXPECT_FALSE(dialog.state().at(IDC_PRO_EMPTY).visible);
  EXPECT_EQ(dialog.state().text(IDC_PRO_NAME), zbtest::kProject);

  ui_.QueueText(std::string("  Halle 3  "));
  ui_.QueueText(std::string("Kr\xE4mer"));
  ASSERT_TRUE(dialog.OnNew());
  EXPECT_EQ(ui_.dialogs().back(), "Neues Projekt im Verzeichnis '" +
                                      std::string(dialog.request().szDataPfad) + "'");
  EXPECT_EQ(dialog.state().text(IDC_PRO_AUTHOR_INFO), "Kr\xE4mer");
  ASSERT_TRUE(dialog.OnOk());
  EXPECT_STREQ(dialog.request().szProName, "Halle 3");

  // An empty folder shows its note and has nothing to take.
  const std::string empty = Path("Leer");
  ASSERT_TRUE(zbtest::MakeFolder(empty));
  dialog.ChangeFolder(empty);
  EXPECT_TRUE(dialog.state().at(IDC_PRO_EMPTY).visible);
  EXPECT_FALSE(dialog.OnOk());

  ZBPROPOS request = Plain("DLT", "");
  ui_.QueueText(std::string("Halle 3"));
  EXPECT_EQ(ZB_ProSelectB(&request), 1);
  EXPECT_EQ(std::string(request.szProName, 7), "Halle 3");
  EXPECT_EQ(request.szProName[7], ' ');
}

TEST_F(SelectionTest, FolderDialogAsksAgainForAMissingFolder) {
  char folder[260] = {};
  std::strcpy(folder, data_.c_str());
  ui_.QueueFolder(Path("gibt_es_nicht"));
  ui_.QueueFolder(ini_);
  EXPECT_EQ(ZB_DirDlg(folder, "Verzeichnis", 0, 0), 1);
  EXPECT_EQ(std::string(folder), ini_ + "\\");
  EXPECT_EQ(ZB_DirDlgB(folder, "Verzeichnis", -1, 0), 0);  // cancelled
  ui_.QueueFolder(data_);
  EXPECT_EQ(ZB_DirDlgB(folder, "Verzeichnis", -1, 0), -1);
}

}  // namespace

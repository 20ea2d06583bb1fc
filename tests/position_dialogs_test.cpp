// The position list, the position dialog and the position properties
// dialog over their models, on a copy of the fixture installation's data
// folder ("Brücke Nord": DLT "Stütze 12 Achse B", DLT "Unterzug U1"
// locked by mueller, an old DACH position).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "api/library.h"
#include "environment/scripted_ui.h"
#include "explorer/position_dialog.h"
#include "explorer/position_list.h"
#include "explorer/position_properties.h"
#include "projectstore/position_locks.h"
#include "projectstore/positions.h"
#include "projectstore/project_catalogue.h"
#include "projectstore/record_file.h"
#include "support/installed_data_fixture.h"
#include "zbdb900.h"

namespace zbtest {
namespace {

namespace env = zb::environment;
namespace ex = zb::explorer;
namespace ps = zb::projectstore;

class PositionDialogsTest : public InstalledDataTest {
 protected:
  void SetUp() override {
    InstalledDataTest::SetUp();
    lib().context().folders.configuration = Path("Ini");
    ASSERT_TRUE(MakeFolder(Path("Ini")));
  }
  std::string ProjectFile(const std::string& project = kProject) {
    PROINFO info{};
    std::string path;
    ps::FindProject(store(), data_, project, &info, &path);
    return path;
  }
  // A new position with the given change time of program `program`.
  void AddPosition(const std::string& name, int16_t program, uint32_t saved) {
    ps::RecordFile file = ps::RecordFile::OpenExclusive(lib().engine(),
                                                        ProjectFile());
    ASSERT_GT(ps::CreatePosition(store(), file.handle(), name, "", program), 0);
    zb::recordstore::PosInfoExt info{};
    const int32_t at = ps::FindPosition(store(), file.handle(), name, program,
                                        &info);
    ASSERT_GE(at, 0);
    info.saved = saved;
    ASSERT_GE(ps::WritePosInfo(store(), file.handle(), program, at, info), 0);
  }
  static std::vector<std::string> Names(const ex::PositionListModel& list) {
    std::vector<std::string> names;
    for (const auto& row : list.state().rows) names.push_back(row.cells[0]);
    return names;
  }
  static int IndexOf(const std::vector<std::string>& names,
                     const std::string& name) {
    for (size_t i = 0; i < names.size(); ++i)
      if (names[i] == name) return static_cast<int>(i);
    return -1;
  }
  std::string History() {
    return ReadText(JoinPath(Path("Ini"), "DBHISTORY.INI"));
  }
};

TEST_F(PositionDialogsTest, ListSortsFiltersAndMarksLocks) {
  AddPosition("Beta", 101, 2000000000u);
  AddPosition("Alpha", 101, 2000000000u);
  AddPosition("Gamma", 101, 2100000000u);
  AddPosition("Fremd", 999, 2140000000u);  // a program the catalogue does not know
  WriteText(JoinPath(Path("Ini"), "DBHISTORY.INI"),
            "[ZB_POSITIONVIEW]\nSortMode=RANDOM\n");
  lib().context().config.date_time_column = 1;

  ex::PositionListModel list(lib());
  list.Setup(600);
  EXPECT_EQ(list.state().columns[0].width, 95);
  EXPECT_EQ(list.state().columns[5].width, 0);
  list.ShowProject(Long("DLT", ""));
  EXPECT_EQ(list.sort_mode(), "DATEDESCENDING");
  std::vector<std::string> names = Names(list);
  ASSERT_EQ(names.size(), 7u);
  EXPECT_EQ(names[0], "Fremd");  // the unknown program is shown too
  // Newest first; equal times by name in the same direction.
  EXPECT_LT(IndexOf(names, "Gamma"), IndexOf(names, "Beta"));
  EXPECT_LT(IndexOf(names, "Beta"), IndexOf(names, "Alpha"));
  const auto& gamma = list.state().rows[IndexOf(names, "Gamma")];
  EXPECT_EQ(gamma.cells[2], "18.07.2036,13:20");
  EXPECT_EQ(gamma.cells[5], "Durchlauftr\xE4ger");
  EXPECT_EQ(list.state().rows[IndexOf(names, "Unterzug U1")].overlay,
            ex::kOverlayLockedByOther);
  ASSERT_TRUE(list.WriteSettings());
  EXPECT_NE(History().find("SortMode=DATEDESCENDING"), std::string::npos);

  list.OnColumnClick(0);
  EXPECT_EQ(list.sort_mode(), "DESCENDING");
  list.OnColumnClick(0);
  EXPECT_EQ(list.sort_mode(), "ASCENDING");
  EXPECT_EQ(Names(list).front(), "Alpha");

  list.SetProgramFilter("ALLE");
  list.ShowProject(Long("DLT", ""));
  EXPECT_EQ(list.state().rows.size(), 7u);
  list.SetProgramFilter(" DLT ");
  list.ShowProject(Long("DLT", ""));
  EXPECT_EQ(list.state().rows.size(), 5u);

  // The caller's own lock record: no overlay although the bit is set.
  {
    ps::RecordFile file =
        ps::RecordFile::OpenReadOnly(lib().engine(), ProjectFile());
    ASSERT_GT(ps::ReadLockRecord(store(), file.handle(), 101, 2,
                                 &lib().context().position_lock.block),
              0);
  }
  list.ShowProject(Long("DLT", ""));
  EXPECT_EQ(list.state().rows[list.FindRow("Unterzug U1")].overlay, 0);
}

TEST_F(PositionDialogsTest, OpenModeActsOnTheSelectedRow) {
  int transfers = 0;
  const env::PositionTransfer transfer = [&](ZBPROPOS_L*) {
    ++transfers;
    return env::PositionTransferResult{3, 0};
  };
  {
    // Cancel: logged, the request stays as it was.
    const ZBPROPOS_L request = Long("DLT", kStuetze);
    ex::PositionDialogModel dialog(lib(), env::PositionDialogMode::kOpen,
                                   request, transfer);
    dialog.OnInit(600);
    dialog.OnNameChanged("anders");
    dialog.OnCancel();
    EXPECT_TRUE(dialog.ended());
    EXPECT_FALSE(dialog.accepted());
    EXPECT_NE(Logged().find("\n*ESC*\n"), std::string::npos);
  }
  {
    ex::PositionDialogModel dialog(lib(), env::PositionDialogMode::kOpen,
                                   Long("DLT", kStuetze), transfer);
    dialog.OnInit(600);
    EXPECT_EQ(dialog.state().text(IDC_POS_ACTION), "&\xD6" "ffnen");
    EXPECT_EQ(dialog.state().text(IDC_POS_NAME), kStuetze);
    EXPECT_FALSE(dialog.state().at(IDC_POS_EMPTY).visible);
    EXPECT_EQ(dialog.state().text(IDC_POS_PAGE), "5");
    // A name of no position: the question, No keeps the dialog.
    ui_.QueueAnswer(env::Answer::kNo);
    dialog.OnNameChanged("Neu 1");
    dialog.OnAction();
    EXPECT_FALSE(dialog.ended());
    EXPECT_EQ(ui_.messages().back().text,
              "Position 'Neu 1' existiert nicht.\nNeue Position anlegen?");
    EXPECT_EQ(transfers, 0);
    dialog.OnDoubleClick(dialog.list().FindRow(kStuetze));
    EXPECT_TRUE(dialog.accepted());
    EXPECT_EQ(transfers, 1);
    EXPECT_EQ(dialog.result().records, 3);
    EXPECT_STREQ(dialog.request().szPosNameLong, kStuetze);
    EXPECT_NE(Logged().find("\n** OK **\n"), std::string::npos);
  }
  {
    // A project without positions.
    ex::PositionDialogModel dialog(lib(), env::PositionDialogMode::kOpen,
                                   Long("DLT", "", "Haus 00004"), transfer);
    dialog.OnInit(600);
    ASSERT_TRUE(dialog.list().state().rows.empty());
    EXPECT_TRUE(dialog.state().at(IDC_POS_EMPTY).visible);
    EXPECT_EQ(dialog.state().text(IDC_POS_EMPTY),
              "Im aktuellen Projekt gibt es keine Positionen");
    dialog.OnAction();
    EXPECT_TRUE(dialog.accepted());
    EXPECT_EQ(ui_.messages().back().caption, "Meldung");
    EXPECT_EQ(ui_.messages().back().text,
              "Positionsliste ist leer. \n\xD6" "ffnen nicht m\xF6glich.");
    EXPECT_EQ(transfers, 1);
  }
}

TEST_F(PositionDialogsTest, SaveModeAsksBeforeOverwriting) {
  std::vector<std::string> saved;
  const env::PositionTransfer transfer = [&](ZBPROPOS_L* r) {
    saved.push_back(r->szPosNameLong);
    return env::PositionTransferResult{4, 0};
  };
  lib().context().position_dialog_flags = 1 | 16;
  ex::PositionDialogModel dialog(lib(), env::PositionDialogMode::kSave,
                                 Long("DLT", kStuetze), transfer);
  dialog.OnInit(600);
  EXPECT_FALSE(dialog.state().at(IDC_POS_FOLDER).visible);
  EXPECT_TRUE(dialog.state().at(IDC_POS_CHOOSE_PROJECT).enabled);
  EXPECT_EQ(dialog.list().state().FirstSelected(),
            dialog.list().FindRow(kStuetze));
  dialog.OnEnter(true);
  EXPECT_EQ(dialog.state().focus, IDC_POS_DESIGNATION);
  ui_.QueueAnswer(env::Answer::kNo);
  dialog.OnAction();
  EXPECT_EQ(ui_.messages().back().caption, "Position speichern unter");
  EXPECT_EQ(ui_.messages().back().text,
            std::string("Position '") + kStuetze +
                "' existiert bereits.\n\xDC" "berschreiben? ");
  EXPECT_FALSE(dialog.ended());
  EXPECT_TRUE(saved.empty());
  dialog.OnNameChanged("Neue Stütze");
  dialog.OnDesignationChanged("Achse C");
  dialog.OnAction();
  EXPECT_TRUE(dialog.accepted());
  ASSERT_EQ(saved.size(), 1u);
  EXPECT_EQ(saved[0], "Neue St\xFCtze");
  EXPECT_STREQ(dialog.request().szProBezeichnung, "Achse C");
}

TEST_F(PositionDialogsTest, MenusWriteProtectionAndAutosaveRescue) {
  // The fixture's working file of DLT, left as an autosave copy.
  lib().context().folders.temporary = Path("TMP");
  ASSERT_TRUE(MakeFolder(Path("TMP")));
  const std::string autosave = JoinPath(Path("TMP"), "DLT_AutoSave.$POS");
  ASSERT_TRUE(CopyFileTo(FixturePath("ZBStatik/TMP/DLT00001.TMP"), autosave));
  ASSERT_TRUE(lib().os().SetReadOnly(ProjectFile(), true).ok());
  int transfers = 0;
  const env::PositionTransfer transfer = [&](ZBPROPOS_L*) {
    ++transfers;
    return env::PositionTransferResult{3, 0};
  };
  ex::PositionDialogModel dialog(lib(), env::PositionDialogMode::kOpen,
                                 Long("DLT", kStuetze), transfer);
  dialog.OnInit(600);
  ASSERT_EQ(ui_.messages().size(), 1u);
  EXPECT_EQ(ui_.messages()[0].caption, "Position \xF6" "ffnen");
  EXPECT_EQ(ui_.messages()[0].text.rfind(
                "Der Zugriff auf das Projektverzeichnis '", 0), 0u);
  EXPECT_NE(ui_.messages()[0].text.find("NEU STARTEN."), std::string::npos);
  ASSERT_TRUE(lib().os().SetReadOnly(ProjectFile(), false).ok());

  dialog.OnMenu(IDM_POS_SORT_NAME_UP);
  EXPECT_TRUE(dialog.checked(IDM_POS_SORT_NAME_UP));
  EXPECT_FALSE(dialog.checked(IDM_POS_SORT_DATE_DOWN));
  std::vector<std::string> names = Names(dialog.list());
  EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
  dialog.OnMenu(IDM_POS_VIEW_FIRST + 3);
  EXPECT_EQ(dialog.list().view_mode(), "REPORT");
  EXPECT_TRUE(dialog.checked(IDM_POS_VIEW_FIRST + 3));

  // Rename through the properties dialog, delete after the question.
  ui_.QueueText(std::string("St\xFCtze 12 neu"));
  dialog.OnMenu(IDM_POS_RENAME);
  const int renamed = dialog.list().FindRow("St\xFCtze 12 neu");
  ASSERT_GE(renamed, 0);
  EXPECT_EQ(dialog.list().state().FirstSelected(), renamed);
  ui_.QueueAnswer(env::Answer::kNo);
  dialog.OnMenu(IDM_POS_DELETE);
  EXPECT_EQ(ui_.messages().back().text, "Position 'St\xFCtze 12 neu' l\xF6schen?");
  EXPECT_GE(dialog.list().FindRow("St\xFCtze 12 neu"), 0);
  const int row = dialog.list().FindRow("Unterzug U1");
  dialog.OnSelectionChanged(row);
  dialog.OnTimer();
  ui_.QueueAnswer(env::Answer::kYes);
  dialog.OnDelete();  // locked by mueller: told, kept
  EXPECT_EQ(ui_.messages().back().text,
            "Position 'Unterzug U1' ist gesperrt oder schreibgesch\xFCtzt und "
            "wurde nicht gel\xF6scht.");
  EXPECT_GE(dialog.list().FindRow("Unterzug U1"), 0);

  // After the open the autosave copy is offered; "No" deletes it.
  const size_t asked = ui_.messages().size();
  ui_.QueueAnswer(env::Answer::kNo);
  dialog.OnDoubleClick(dialog.list().FindRow("St\xFCtze 12 neu"));
  EXPECT_EQ(transfers, 1);
  ASSERT_EQ(ui_.messages().size(), asked + 1);
  EXPECT_EQ(ui_.messages().back().text.rfind(
                "Eine nicht gespeicherte Position wurde gefunden.", 0), 0u);
  EXPECT_FALSE(FileExists(autosave));
  // The list's settings are stored when the dialog ends.
  EXPECT_NE(History().find("SortMode=ASCENDING"), std::string::npos);
  EXPECT_NE(History().find("ViewMode=REPORT"), std::string::npos);
}

TEST_F(PositionDialogsTest, PropertiesOfLockedAndFreePositions) {
  const std::string project = ProjectFile();
  zb::recordstore::PosInfoExt info{};
  ps::LockRecord lock{};
  ASSERT_EQ(ps::PositionStateOfFile(store(), project, 101, "Unterzug U1",
                                    &info),
            2);
  {
    ps::RecordFile file = ps::RecordFile::OpenReadOnly(lib().engine(), project);
    ps::ReadLockRecord(store(), file.handle(), 101, info.id, &lock);
  }
  ZBPROPOS_L request = Long("DLT", "Unterzug U1");
  env::PositionPropertiesRequest asked;
  asked.request = &request;
  asked.info = &info;
  asked.lock = &lock;
  ex::PositionPropertiesModel locked(lib(), asked);
  locked.OnInit();
  EXPECT_EQ(locked.state().title, "Position ");
  EXPECT_TRUE(locked.locked_by_other());
  EXPECT_EQ(locked.state().text(IDC_PROP_USER), "mueller");
  EXPECT_TRUE(locked.state().at(IDC_PROP_LOCK).visible);
  for (int id : {IDC_PROP_NAME, IDC_PROP_DESIGNATION, IDC_PROP_START_PAGE,
                 IDC_PROP_NEXT_PAGE})
    EXPECT_FALSE(locked.state().at(id).enabled) << id;

  ASSERT_EQ(ps::PositionStateOfFile(store(), project, 101, kStuetze, &info), 1);
  request = Long("DLT", kStuetze);
  asked.title = "Position umbenennen";
  asked.lock = nullptr;
  asked.write_pages = true;
  asked.check_new_name = true;
  ex::PositionPropertiesModel free(lib(), asked);
  free.OnInit();
  EXPECT_FALSE(free.locked_by_other());
  EXPECT_EQ(free.state().text(IDC_PROP_NEXT_PAGE), "9");
  free.OnText(IDC_PROP_NEXT_PAGE, "6");
  free.OnText(IDC_PROP_NAME, "Unterzug U1");
  EXPECT_FALSE(free.OnOk());
  EXPECT_EQ(ui_.messages().back().text,
            "Diese Position gibt es schon,\nw\xE4hlen Sie einen anderen "
            "Namen aus.");
  int16_t next = 0;
  ZBPROPOS_L probe = Long("DLT", kStuetze);
  ZB_GetNextPageNr_L(&probe, &next);
  EXPECT_EQ(next, 8);  // start 5 + 3 pages over the typed 6
  free.OnText(IDC_PROP_NAME, "   ");
  EXPECT_TRUE(free.OnOk());
  EXPECT_STREQ(request.szPosNameLong, "???");
  EXPECT_STREQ(info.PosNameLong, "???");

  ex::PositionNameModel name("Position kopieren", "  ");
  EXPECT_EQ(name.Name(), "???");
}

}  // namespace
}  // namespace zbtest

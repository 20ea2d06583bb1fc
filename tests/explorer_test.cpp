// The explorer over its model, on a copy of the fixture installation's data
// folder ("Brücke Nord": DLT "Stütze 12 Achse B", DLT "Unterzug U1" locked
// by mueller, an old DACH position; "Halle 7" with STB "Stütze S1").
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "api/library.h"
#include "environment/scripted_ui.h"
#include "explorer/explorer.h"
#include "explorer/mail_dialog.h"
#include "projectstore/positions.h"
#include "projectstore/project_catalogue.h"
#include "support/installed_data_fixture.h"
#include "zbdb900.h"

namespace zbtest {
namespace {

namespace env = zb::environment;
namespace ex = zb::explorer;
namespace ps = zb::projectstore;

// Column choices and files as a user picks them in the explorer's own
// dialogs.
class ScriptedDialogs : public ex::ExplorerDialogs {
 public:
  bool Columns(ex::ColumnChoice* choice) override {
    titles.push_back(choice->title);
    if (choice->labels.size() > 1) choice->checked[1] = false;  // 2nd column
    choice->with_time = true;
    return true;
  }
  bool Mail(ex::MailDialogModel&) override {
    ++mails;
    return false;
  }
  bool ChooseFile(const std::string&, const std::string&, const std::string&,
                  std::string* path) override {
    if (file.empty()) return false;
    *path = file;
    return true;
  }
  bool Cleanup(ex::CleanupChoice* choice) override {
    cleanup_program = choice->program;
    choice->log = true;
    return true;
  }
  std::vector<std::string> titles;
  std::string file;
  std::string cleanup_program;
  int mails = 0;
};

class ExplorerTest : public InstalledDataTest {
 protected:
  ExplorerTest() : InstalledDataTest(ProjectFilesWithPreviews()) {}
  void SetUp() override {
    InstalledDataTest::SetUp();
    lib().context().folders.configuration = Path("Ini");
    lib().context().folders.data = data_;
    ASSERT_TRUE(MakeFolder(Path("Ini")));
  }
  std::vector<std::string> PositionNames(const ex::ExplorerModel& model) {
    std::vector<std::string> names;
    for (const auto& row : model.positions().state().rows)
      names.push_back(row.cells[0]);
    return names;
  }
  std::vector<std::string> ProjectNames(const ex::ExplorerModel& model) {
    std::vector<std::string> names;
    for (const auto& row : model.projects().state().rows)
      names.push_back(row.cells[0]);
    return names;
  }
  static int RowOf(const std::vector<std::string>& names,
                   const std::string& name) {
    for (size_t i = 0; i < names.size(); ++i)
      if (names[i] == name) return static_cast<int>(i);
    return -1;
  }
  void SelectPosition(ex::ExplorerModel& model, const std::string& name) {
    const int row = RowOf(PositionNames(model), name);
    ASSERT_GE(row, 0) << name;
    model.positions().state().SelectOnly(row);
    model.OnPositionSelectionChanged();
  }
  void SelectProject(ex::ExplorerModel& model, const std::string& name) {
    const int row = RowOf(ProjectNames(model), name);
    ASSERT_GE(row, 0) << name;
    model.projects().Select(row);
    model.SetFocus(ex::ExplorerFocus::kProjects);
    model.OnProjectSelectionChanged();
    model.OnTimer();
  }
  std::string LastMessage() {
    return ui_.messages().empty() ? std::string() : ui_.messages().back().text;
  }
  std::string History() {
    return ReadText(JoinPath(Path("Ini"), "DBHISTORY.INI"));
  }
  ScriptedDialogs dialogs_;
};

TEST_F(ExplorerTest, OpensOnTheRequestAndChoosesAPosition) {
  ZBPROPOS_L request = Long("dlt", kStuetze);
  ex::ExplorerModel model(lib(), request, dialogs_);
  EXPECT_EQ(model.result(), ex::ExplorerModel::kNotOpened);
  model.OnInit(600);
  EXPECT_EQ(model.state().title, "Z+B Explorer  ( Klassische Projektverwaltung)");
  EXPECT_EQ(model.result(), 0);
  EXPECT_EQ(model.program_filter(), "DLT");
  EXPECT_EQ(model.state().text(IDC_EX_FOLDER), data_);
  ASSERT_NE(model.projects().Selected(), nullptr);
  EXPECT_EQ(model.projects().view_mode(), "SMALLICON");
  // The DLT filter hides the DACH position; the requested one is selected.
  EXPECT_EQ(PositionNames(model).size(), 2u);
  ASSERT_NE(model.positions().Selected(), nullptr);
  EXPECT_STREQ(model.positions().Selected()->info.PosNameLong, kStuetze);
  EXPECT_EQ(model.preview().state, 0) << "the stored preview is drawn";
  const int row = RowOf(PositionNames(model), kStuetze) + 1;
  EXPECT_EQ(model.state().text(IDC_EX_POSITION_COUNTER),
            "<" + std::to_string(row) + "/2>");

  // "alle Positionen" shows the DACH position too, and back.
  model.OnCommand(IDM_EX_ALL_POSITIONS);
  EXPECT_EQ(PositionNames(model).size(), 3u);
  EXPECT_TRUE(model.checked(IDM_EX_ALL_POSITIONS));
  model.OnCommand(IDM_EX_FILTER);
  EXPECT_EQ(PositionNames(model).size(), 2u);

  // A view-mode command while neither list has the focus changes nothing.
  model.OnCommand(IDM_EX_VIEW_REPORT);
  EXPECT_EQ(model.projects().view_mode(), "SMALLICON");

  // A write-protected position is not taken; the window stays open.
  model.SetFocus(ex::ExplorerFocus::kPositions);
  SelectPosition(model, "Unterzug U1");
  model.OnOk();
  EXPECT_EQ(LastMessage(), "Position 'Unterzug U1' ist schreibgesch\xFCtzt!");
  EXPECT_FALSE(model.ended());

  // The project list's OK takes the project and stays open.
  model.SetFocus(ex::ExplorerFocus::kProjects);
  model.OnOk();
  EXPECT_EQ(model.result(), 1);
  EXPECT_FALSE(model.ended());

  model.SetFocus(ex::ExplorerFocus::kPositions);
  SelectPosition(model, kStuetze);
  const int16_t records = model.positions().Selected()->info.Recs;
  model.OnOk();
  ASSERT_TRUE(model.ended());
  EXPECT_TRUE(model.accepted());
  EXPECT_EQ(model.result(), records);
  EXPECT_EQ(std::string(model.request().szPosNameLong), kStuetze);
  EXPECT_EQ(std::string(model.request().szPrgName), "DLT");
  EXPECT_EQ(std::string(model.request().szProBezeichnung), "Achse B, Geschoss 1");
  EXPECT_EQ(std::memcmp(lib().context().explorer_position,
                        &model.positions().Selected()->info, 248),
            0);
  // Both lists keep their settings on the way out.
  EXPECT_NE(History().find("[ZBEX_POSVIEW]"), std::string::npos);
  EXPECT_NE(History().find("[ZBEX_PROVIEW]"), std::string::npos);
}

TEST_F(ExplorerTest, CallerOfAllProgramsTakesAnyPositionAndCancelKeepsSettings) {
  ex::ExplorerModel model(lib(), Long("??", ""), dialogs_);
  model.OnInit(600);
  EXPECT_EQ(model.program_filter(), "ALLE");
  EXPECT_EQ(PositionNames(model).size(), 3u);
  model.SetFocus(ex::ExplorerFocus::kPositions);
  // The old DACH position has no long name: "    ".
  const std::vector<std::string> names = PositionNames(model);
  int dach = -1;
  for (size_t r = 0; r < names.size(); ++r)
    if (model.positions().EntryOfRow(static_cast<int>(r))->program == 102)
      dach = static_cast<int>(r);
  ASSERT_GE(dach, 0);
  model.positions().state().SelectOnly(dach);
  model.OnPositionSelectionChanged();
  model.OnOk();
  ASSERT_TRUE(model.ended());
  EXPECT_EQ(std::string(model.request().szPrgName), "DACH");

  ex::ExplorerModel cancelled(lib(), Long("DLT", ""), dialogs_);
  cancelled.OnInit(600);
  cancelled.SetFocus(ex::ExplorerFocus::kPositions);
  cancelled.OnCommand(IDM_EX_VIEW_REPORT);
  cancelled.OnCancel();
  EXPECT_TRUE(cancelled.ended());
  EXPECT_FALSE(cancelled.accepted());
  EXPECT_EQ(cancelled.result(), 0);
  EXPECT_NE(History().find("ViewMode=REPORT"), std::string::npos);
}

// An engineer makes a project, copies a position into it, renames,
// protects and deletes it, then deletes the project.
TEST_F(ExplorerTest, ManagesProjectsAndPositionsThroughTheMenu) {
  ex::ExplorerModel model(lib(), Long("DLT", kStuetze), dialogs_);
  model.OnInit(600);

  ui_.QueueText("Neubau 1");
  ui_.QueueText("Ing. Huber");
  model.OnCommand(IDM_EX_PROJECT_NEW);
  ASSERT_FALSE(ui_.dialogs().empty());
  EXPECT_EQ(ui_.dialogs().back(), "Neues Projekt im Verzeichnis '" + data_ + "'");
  ASSERT_NE(model.projects().Selected(), nullptr);
  EXPECT_STREQ(model.projects().Selected()->info.szProject, "Neubau 1");
  EXPECT_TRUE(PositionNames(model).empty());

  // Renamed in the list's label edit; a taken or too short name is refused.
  model.SetFocus(ex::ExplorerFocus::kProjects);
  model.OnCommand(IDM_EX_RENAME);
  EXPECT_EQ(model.label_edit(), ex::ExplorerFocus::kProjects);
  model.OnProjectLabelEdited("Halle 7");
  EXPECT_EQ(LastMessage(), "Projekt 'Halle 7' existiert bereits.");
  model.OnProjectLabelEdited("N");
  EXPECT_EQ(LastMessage(), "Der Projektname muss mindestens 3 Zeichen lang sein.");
  model.OnProjectLabelEdited("Neubau");
  EXPECT_STREQ(model.projects().Selected()->info.szProject, "Neubau");

  SelectProject(model, kProject);
  model.SetFocus(ex::ExplorerFocus::kPositions);
  SelectPosition(model, kStuetze);
  ui_.QueueText("Neubau");  // the project chosen
  model.OnCommand(IDM_EX_COPY);
  EXPECT_EQ(ui_.messages().back().text,
            std::string("Position '") + kStuetze +
                "' kopieren in Projekt 'Neubau' ?");
  SelectProject(model, "Neubau");
  ASSERT_EQ(PositionNames(model), (std::vector<std::string>{kStuetze}));

  // A second copy into the same project asks before overwriting; No asks
  // for another name.
  SelectProject(model, kProject);
  model.SetFocus(ex::ExplorerFocus::kPositions);
  SelectPosition(model, kStuetze);
  ui_.QueueText("Neubau");
  ui_.QueueAnswer(env::Answer::kYes);
  ui_.QueueAnswer(env::Answer::kNo);
  ui_.QueueText("Zweite Stütze");
  model.OnCommand(IDM_EX_POSITION_COPY);
  EXPECT_EQ(ui_.messages().back().text,
            std::string("Position '") + kStuetze +
                "' existiert bereits.\n\xDC" "berschreiben? ");
  EXPECT_EQ(ui_.dialogs().back(),
            std::string("Position aus  Projekt ' ") + kProject +
                "' kopieren  in 'Neubau' als:");
  SelectProject(model, "Neubau");
  EXPECT_EQ(PositionNames(model).size(), 2u);

  // Rename through the properties dialog (name, then description).
  model.SetFocus(ex::ExplorerFocus::kPositions);
  SelectPosition(model, kStuetze);
  ui_.QueueText("Stütze neu");
  ui_.QueueText("umbenannt");
  model.OnCommand(IDM_EX_RENAME);
  EXPECT_NE(RowOf(PositionNames(model), "Stütze neu"), -1);

  // Write protection on: OK refuses it; off again.
  SelectPosition(model, "Stütze neu");
  model.OnCommand(IDM_EX_POSITION_PROTECT_ON);
  SelectPosition(model, "Stütze neu");
  EXPECT_EQ(model.positions().Selected()->info.Ctrl & 1, 1);
  model.OnCommand(IDM_EX_POSITION_PROTECT_OFF);
  SelectPosition(model, "Stütze neu");
  EXPECT_EQ(model.positions().Selected()->info.Ctrl & 1, 0);

  model.OnCommand(IDM_EX_DELETE);
  EXPECT_EQ(ui_.messages().back().text, "Position 'Stütze neu' l\xF6schen?");
  EXPECT_EQ(PositionNames(model), (std::vector<std::string>{"Zweite Stütze"}));

  // The project is not empty: two questions, then it is gone.
  model.SetFocus(ex::ExplorerFocus::kProjects);
  const size_t before = ui_.messages().size();
  model.OnCommand(IDM_EX_DELETE);
  ASSERT_EQ(ui_.messages().size(), before + 2);
  EXPECT_EQ(ui_.messages()[before].text, "Projekt l\xF6schen ?");
  EXPECT_EQ(ui_.messages()[before + 1].text,
            "Das Projekt  'Neubau'  ist nicht leer .\nSoll es trotzdem "
            "inklusive Inhalt komplett gel\xF6scht werden?");
  EXPECT_EQ(RowOf(ProjectNames(model), "Neubau"), -1);
  EXPECT_LT(ps::FindProject(store(), data_, "Neubau", nullptr, nullptr), 0);
}

TEST_F(ExplorerTest, ExportsConfiguresColumnsAndKeepsThePlacement) {
  request_tmp_ = Path("Tmp");
  ASSERT_TRUE(MakeFolder(request_tmp_));
  ex::ExplorerModel model(lib(), Long("DLT", kStuetze), dialogs_);
  model.OnInit(600);
  model.SetFocus(ex::ExplorerFocus::kPositions);
  SelectPosition(model, kStuetze);
  model.OnCommand(IDM_EX_POSITION_EXPORT);
  const std::string text = LastMessage();
  EXPECT_EQ(text.rfind(std::string("Position    '") + kStuetze +
                           "' \nist exportiert in Datei \n\n ",
                       0),
            0u)
      << text;

  model.OnCommand(IDM_EX_CONFIGURE);
  ASSERT_EQ(dialogs_.titles.size(), 2u);
  EXPECT_EQ(dialogs_.titles[0], "Spalten der Positionsliste in der Detail-Ansicht ");
  EXPECT_EQ(dialogs_.titles[1], "Spalten der Projektliste in der Detail-Ansicht ");
  EXPECT_EQ(model.positions().state().columns[1].width, 0);
  const std::string history = History();
  EXPECT_NE(history.find("DateTime=1"), std::string::npos);

  // The placement is kept as a structure value; a missing one is logged.
  EXPECT_TRUE(model.ReadPlacement().empty());
  EXPECT_TRUE(LogHas("#ERROR# Read/WriteHistory ZBEX_PLACEMENT"));
  std::vector<uint8_t> placement(44);
  for (size_t i = 0; i < placement.size(); ++i) placement[i] = static_cast<uint8_t>(i);
  model.WritePlacement(placement);
  EXPECT_EQ(model.ReadPlacement(), placement);

  // The mail commands open the mail dialog; commands without a selection
  // do nothing.
  model.OnCommand(IDM_EX_POSITION_MAIL);
  EXPECT_EQ(dialogs_.mails, 1);
  model.OnCommand(IDM_EX_PROJECT_SEARCH);
  EXPECT_EQ(LastMessage(), "Aktion noch nicht aktiv");

  // "Notdienst : L�schen" for DLT only: the open working file stays.
  lib().context().folders.temporary = request_tmp_;
  for (const char* name : {"DLT00001.TMP", "DLT00009.TMP", "STB00001.TMP"})
    WriteText(JoinPath(request_tmp_, name), "x");
  lib().context().position_lock.working_path =
      JoinPath(request_tmp_, "DLT00001.TMP");
  ASSERT_TRUE(FileExists(lib().context().log_path()));
  model.OnCommand(IDM_EX_DELETE_TEMPORARY);
  EXPECT_EQ(dialogs_.cleanup_program, "DLT");
  EXPECT_EQ(LastMessage(),
            "2 Datei(en) gel\xF6scht.\n1 Datei(en) sind in Benutzung und "
            "bleiben erhalten.");
  EXPECT_TRUE(FileExists(JoinPath(request_tmp_, "DLT00001.TMP")));
  EXPECT_FALSE(FileExists(JoinPath(request_tmp_, "DLT00009.TMP")));
  EXPECT_TRUE(FileExists(JoinPath(request_tmp_, "STB00001.TMP")));
  EXPECT_FALSE(FileExists(lib().context().log_path()));
  lib().context().help_path = JoinPath(Path("Programme"), "ZBDB.hlp");
  model.OnCommand(IDM_EX_HELP);
  EXPECT_EQ(LastMessage(), "Die Hilfedatei '" + lib().context().help_path +
                               "' wurde nicht gefunden.");
}

TEST_F(ExplorerTest, ResizeGivesTheLeftSideTheLargerHalf) {
  ex::ExplorerLayout layout{{IDC_EX_PROJECTS, {5, 30, 200, 150}},
                            {IDC_EX_PREVIEW_FRAME, {5, 190, 200, 100}},
                            {IDC_EX_POSITIONS, {215, 30, 400, 260}},
                            {IDC_EX_FOLDER, {300, 5, 200, 20}},
                            {IDC_EX_POSITION_COUNTER, {560, 295, 50, 12}}};
  const ex::ExplorerLayout grown = ex::ResizedLayout(layout, 5, 9, true);
  EXPECT_EQ(grown.at(IDC_EX_PROJECTS).width, 203);
  EXPECT_EQ(grown.at(IDC_EX_PROJECTS).height, 154);
  EXPECT_EQ(grown.at(IDC_EX_PREVIEW_FRAME).y, 194);
  EXPECT_EQ(grown.at(IDC_EX_PREVIEW_FRAME).height, 105);
  EXPECT_EQ(grown.at(IDC_EX_POSITIONS).x, 218);
  EXPECT_EQ(grown.at(IDC_EX_POSITIONS).width, 402);
  EXPECT_EQ(grown.at(IDC_EX_FOLDER).x, 305);
  EXPECT_EQ(grown.at(IDC_EX_POSITION_COUNTER).y, 304);
  const ex::ExplorerLayout shrunk = ex::ResizedLayout(layout, -5, 0, false);
  EXPECT_EQ(shrunk.at(IDC_EX_PROJECTS).width, 197);
  EXPECT_EQ(shrunk.at(IDC_EX_POSITIONS).x, 212);
}

TEST_F(ExplorerTest, ExportFramesTheRequestAroundTheWindow) {
  ui_.QueueExplorer([&](ZBPROPOS_L* request) {
    EXPECT_EQ(std::string(request->szDataPfad), data_);
    std::strcpy(request->szPosNameLong, "Unterzug U1 lang");
    return 3;
  });
  ZBPROPOS plain = Plain("DLT", "");
  std::memset(plain.szDataPfad, 0, sizeof plain.szDataPfad);
  EXPECT_EQ(ZB_Explor(&plain), 3);
  EXPECT_STREQ(plain.szPosName, "Unterzu~");
  EXPECT_EQ(ui_.dialogs().back(), "Explorer");
  ZBPROPOS_L cancelled = Long("DLT", "");
  EXPECT_EQ(ZB_ExplorDlg_L(&cancelled), 0);
  EXPECT_EQ(ZB_Explor_L(nullptr), -1);
}

}  // namespace
}  // namespace zbtest

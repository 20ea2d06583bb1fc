// The explorer window as an engineer meets it: ZB_Explor_L opens the real
// window; a second thread picks positions and projects and gives menu
// commands as the menu would, answering the dialogs they open.
#ifdef _WIN32
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "explorer/win32/explorer_ids.h"
#include "explorer/win32/position_dialog_ids.h"
#include "explorer/win32/project_select_ids.h"
#include "support/window_data_fixture.h"
#include "support/window_driver.h"
#include "zbdb900.h"

namespace zbtest {
namespace {

constexpr char kTitle[] = "Z+B Explorer  ( Klassische Projektverwaltung)";
constexpr char kBoxTitle[] = "ZB_Datenverwaltung ";

int RowNamed(HWND dialog, int id, const std::string& name) {
  LVFINDINFOA find = {};
  find.flags = LVFI_STRING;
  find.psz = name.c_str();
  return static_cast<int>(SendMessageA(GetDlgItem(dialog, id), LVM_FINDITEMA,
                                       static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(&find)));
}

// The list gets the input focus and one row, as a click gives them.
void Pick(HWND dialog, int id, const std::string& name) {
  // The focus belongs to the window's thread: share its input state.
  const DWORD window_thread = GetWindowThreadProcessId(dialog, nullptr);
  AttachThreadInput(GetCurrentThreadId(), window_thread, TRUE);
  SetFocus(GetDlgItem(dialog, id));
  AttachThreadInput(GetCurrentThreadId(), window_thread, FALSE);
  const int row = RowNamed(dialog, id, name);
  if (row >= 0) SelectRow(dialog, id, row);
}

void Menu(HWND dialog, int command) {
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

// A command that opens a dialog: posted, so this thread can answer it.
void MenuWithDialog(HWND dialog, int command) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

void Answer(const std::string& title, int button) {
  HWND box = WaitForDialog(title);
  if (!box) return;

  SendMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
  WaitUntilClosed(box);
}

class ExplorerWindowTest : public WindowDataTest {
 protected:
  ExplorerWindowTest() : WindowDataTest(ProjectFilesWithPreviews()) {}
};

TEST_F(ExplorerWindowTest, RenamesCopiesLocksAndDeletesThroughTheMenu) {
  if (!HaveDisplay()) GTEST_SKIP() << "no display";
  int projects = -1, positions = -1, copied = -1, after_delete = -1;
  bool window_shown = false, current_offered = false;
  ZBPROPOS_L request = Long("DLT", kStuetze);
  {
    DialogUser user(kTitle, [&](HWND dialog) {
      if (!dialog) return;
      window_shown = true;
      projects = RowCount(dialog, IDC_EX_PROJECTS);
      positions = RowCount(dialog, IDC_EX_POSITIONS);
      Pick(dialog, IDC_EX_POSITIONS, kStuetze);
      Menu(dialog, IDM_EX_VIEW_REPORT);
      Sleep(1500);  // the preview follows on the timer
      PhotographDialog(dialog, "explorer", Path(""));

      // Rename in the properties dialog.
      MenuWithDialog(dialog, IDM_EX_POSITION_RENAME);
      if (HWND rename = WaitForDialog("Position umbenennen")) {
        TypeText(rename, IDC_PROP_NAME, "St\xFCtze 13");
        Click(rename, IDC_PROP_OK);
        WaitUntilClosed(rename);
      }
      // Copy into "Halle 7": the project selection, then the question.
      Pick(dialog, IDC_EX_POSITIONS, "St\xFCtze 13");
      MenuWithDialog(dialog, IDM_EX_POSITION_COPY);
      if (HWND select = WaitForDialog("Projekt")) {
        SelectRow(select, IDC_PRO_LIST, RowNamed(select, IDC_PRO_LIST, "Halle 7"));
        Click(select, IDOK);
        WaitUntilClosed(select);
      }
      Answer(kBoxTitle, IDYES);
      // Write protection on.
      Pick(dialog, IDC_EX_POSITIONS, "St\xFCtze 13");
      Menu(dialog, IDM_EX_POSITION_PROTECT_ON);

      // In "Halle 7" the copy is there; delete it again.
      Pick(dialog, IDC_EX_PROJECTS, "Halle 7");
      Sleep(2500);  // the position list follows on the timer
      copied = RowCount(dialog, IDC_EX_POSITIONS);
      Pick(dialog, IDC_EX_POSITIONS, "St\xFCtze 13");
      MenuWithDialog(dialog, IDM_EX_DELETE);  // the focused list's
      Answer(kBoxTitle, IDYES);
      Sleep(300);
      after_delete = RowCount(dialog, IDC_EX_POSITIONS);
      // The emergency cleanup of DLT's working files, then its report.
      WriteText(JoinPath(Path("TMP"), "DLT00042.TMP"), "x");
      MenuWithDialog(dialog, IDM_EX_DELETE_TEMPORARY);
      if (HWND cleanup = WaitForDialog("Notdienst : L\xF6schen")) {
        current_offered = IsVisible(cleanup, IDC_CLEAN_CURRENT);
        PhotographDialog(cleanup, "cleanup", Path(""));
        Click(cleanup, IDOK);
        WaitUntilClosed(cleanup);
      }
      Answer(kBoxTitle, IDOK);
      PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      if (!WaitUntilClosed(dialog)) PostMessageA(dialog, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(ZB_Explor_L(&request), 0);  // closed with "Abbrechen"
  }
  ASSERT_TRUE(window_shown);
  EXPECT_EQ(projects, 4);
  EXPECT_EQ(positions, 2);  // the DLT positions of "Brücke Nord"
  EXPECT_EQ(copied, 1);  // the copy; the DLT filter hides STB "Stütze S1"
  EXPECT_EQ(after_delete, 0);
  EXPECT_TRUE(current_offered);
  EXPECT_FALSE(FileExists(JoinPath(Path("TMP"), "DLT00042.TMP")));

  ZBPROPOS_L renamed = Long("DLT", "St\xFCtze 13");
  uint8_t info[248] = {};
  EXPECT_GE(ZB_PositionProperty_L(&renamed, info), 1);
  EXPECT_EQ(info[2] & 1, 1) << "write protection bit";
  ZBPROPOS_L old_name = Long("DLT", kStuetze);
  EXPECT_EQ(ZB_PositionExist_L(&old_name), 0);
  ZBPROPOS_L copy = Long("DLT", "St\xFCtze 13", "Halle 7");
  EXPECT_EQ(ZB_PositionExist_L(&copy), 0);
  // "Abbrechen" still keeps the lists' settings and the placement.
  const std::string history = ReadText(JoinPath(Path("Ini"), "DBHISTORY.INI"));
  EXPECT_NE(history.find("[ZBEX_PLACEMENT]"), std::string::npos);
  EXPECT_NE(history.find("ViewMode=REPORT"), std::string::npos);
}

}  // namespace
}  // namespace zbtest
#endif  // _WIN32

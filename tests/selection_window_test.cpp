// The selection windows as a user sees them, under wine with a display:
// each is opened through its export, driven by a second thread (a row
// chosen, text typed, a button pressed) and photographed.
#ifdef _WIN32
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "environment/folders.h"
#include "explorer/project_select.h"
#include "explorer/win32/program_select_ids.h"
#include "explorer/win32/project_select_ids.h"
#include "explorer/win32/win32_ui.h"
#include "support/installed_data_fixture.h"
#include "support/window_driver.h"
#include "zbdb900.h"

namespace zbtest {
namespace {

class SelectionWindowTest : public InstalledDataTest {
 protected:
  void SetUp() override {
    InstalledDataTest::SetUp();
    if (!HaveDisplay()) GTEST_SKIP() << "no display";
    lib().context().folders.configuration = Path("");
    win32_ui_ = std::make_unique<zb::explorer::Win32Ui>(lib());
    lib().set_ui(*win32_ui_);
  }
  std::unique_ptr<zb::explorer::Win32Ui> win32_ui_;
};

TEST_F(SelectionWindowTest, ProgramSelectionTakesTheChosenProgram) {
  // "installiert in" shows the folder as a Windows user knows it.
  std::string programs = "Z:" + FixturePath("ZBStatik/Programme/");
  for (char& c : programs) c = c == '/' ? '\\' : c;
  ASSERT_EQ(lib().catalogue().Load(programs), 7);
  ZBPROPOS_L request = Long("", "");
  int groups = 0;
  {
    DialogUser user("Z+B Programme", [&](HWND dialog) {
      if (!dialog) return;
      groups = RowCount(dialog, IDC_PRG_GROUPS);
      SelectRow(dialog, IDC_PRG_GROUPS, 1);  // "Stahlbeton"
      SelectRow(dialog, IDC_PRG_PROGRAMS, 0);
      PhotographDialog(dialog, "program_select", Path(""));
      Click(dialog, IDOK);
      if (!WaitUntilClosed(dialog)) PostMessageA(dialog, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(ZB_PrgSelect_L(&request), 1);
  }
  EXPECT_GE(groups, 3);
  EXPECT_STREQ(request.szPrgName, "DLT");
}

TEST_F(SelectionWindowTest, ProjectSelectionCreatesAProjectAndTakesIt) {
  ZBPROPOS_L request = Long("DLT", "");
  const std::string new_title = zb::explorer::NewProjectTitle(
      zb::environment::NormaliseFolder(data_));
  int rows = 0;
  bool new_shown = false;
  {
    DialogUser user("Projekt", [&](HWND dialog) {
      if (!dialog) return;
      rows = RowCount(dialog, IDC_PRO_LIST);
      SelectRow(dialog, IDC_PRO_LIST, 0);
      PhotographDialog(dialog, "project_select", Path(""));
      // "&Neu" opens its own modal dialog: posted, so this thread goes on.
      PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_PRO_NEW, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_PRO_NEW)));
      HWND small = WaitForDialog(new_title);
      if (small) {
        new_shown = true;
        TypeText(small, IDC_NEW_NAME, "Halle 3 \xD6stlich");
        TypeText(small, IDC_NEW_AUTHOR, "M\xFCller");
        PhotographDialog(small, "project_new", Path(""));
        Click(small, IDOK);
        WaitUntilClosed(small);
      }
      Click(dialog, IDOK);
      if (!WaitUntilClosed(dialog)) PostMessageA(dialog, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(ZB_ProSelect_L(&request), 1);
  }
  EXPECT_GE(rows, 1);
  EXPECT_TRUE(new_shown);
  EXPECT_STREQ(request.szProName, "Halle 3 \xD6stlich");
  EXPECT_STREQ(request.szAuthor, "M\xFCller");
}

// The DOS import's selection: the old project files of QT3, chosen in the
// project selection in its DOS mode.
TEST_F(SelectionWindowTest, DosImportChoosesAnOldProject) {
  for (const char* file : {"QT300007.PRO", "QT300012.PRO"})
    ASSERT_TRUE(CopyFileTo(FixturePath(std::string("dos-data/") + file),
                           JoinPath(data_, file)));
  ZBPROPOS_L request = Long("QT3", "", "");
  int rows = -1;
  std::string button;
  bool folder_shown = true;
  {
    DialogUser user("DOS-Projekt  importieren ", [&](HWND dialog) {
      if (!dialog) return;
      rows = RowCount(dialog, IDC_PRO_LIST);
      button = TextOf(dialog, IDOK);
      folder_shown = IsVisible(dialog, IDC_PRO_FOLDER);
      LVFINDINFOA find = {};
      find.flags = LVFI_STRING;
      find.psz = "Altes Projekt";
      SelectRow(dialog, IDC_PRO_LIST,
                static_cast<int>(SendMessageA(GetDlgItem(dialog, IDC_PRO_LIST),
                                              LVM_FINDITEMA, static_cast<WPARAM>(-1),
                                              reinterpret_cast<LPARAM>(&find))));
      PhotographDialog(dialog, "dos_import", Path(""));
      Click(dialog, IDOK);
      if (!WaitUntilClosed(dialog)) PostMessageA(dialog, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(ZB_ImportDOS_QT345_L(&request), 1);
  }
  EXPECT_EQ(rows, 2);
  EXPECT_EQ(button, "O&k");
  EXPECT_FALSE(folder_shown);
  const std::string file = request.szTmpDatei;
  EXPECT_EQ(file.substr(file.size() - 12), "QT300012.PRO");
}

}  // namespace
}  // namespace zbtest
#endif  // _WIN32

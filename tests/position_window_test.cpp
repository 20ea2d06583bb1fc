// The position dialog and the position properties dialog as a user meets
// them: ZB_Open_L and ZB_SaveAs_L through the real window, and a rename
// without a target name through the properties window.
#ifdef _WIN32
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "explorer/win32/position_dialog_ids.h"
#include "projectstore/position_locks.h"
#include "projectstore/positions.h"
#include "projectstore/project_catalogue.h"
#include "projectstore/record_file.h"
#include "support/window_data_fixture.h"
#include "support/window_driver.h"
#include "zbdb900.h"

namespace zbtest {
namespace {

using PositionWindowTest = WindowDataTest;

TEST_F(PositionWindowTest, OpenAndSaveAsThroughTheDialog) {
  if (!HaveDisplay()) GTEST_SKIP() << "no display";
  int rows = 0;
  bool menu_shown = false;
  std::string action, first_row;
  ZBPROPOS_L request = Long("DLT", "");
  {
    DialogUser user("Position \xF6" "ffnen", [&](HWND dialog) {
      if (!dialog) return;
      rows = RowCount(dialog, IDC_POS_LIST);
      action = TextOf(dialog, IDC_POS_ACTION);
      TypeText(dialog, IDC_POS_NAME, kStuetze);
      // The typed name picks its row, as the list's click would.
      LVFINDINFOA find = {};
      find.flags = LVFI_STRING;
      find.psz = kStuetze;
      SelectRow(dialog, IDC_POS_LIST,
                static_cast<int>(SendMessageA(GetDlgItem(dialog, IDC_POS_LIST),
                                              LVM_FINDITEMA, static_cast<WPARAM>(-1),
                                              reinterpret_cast<LPARAM>(&find))));
      Sleep(600);  // the information area follows on the timer
      PhotographDialog(dialog, "position_open", Path(""));
      // The list's context menu, as Shift+F10 opens it at the focused row.
      HWND list = GetDlgItem(dialog, IDC_POS_LIST);
      PostMessageA(dialog, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list),
                   MAKELPARAM(-1, -1));
      for (int i = 0; i < 100 && !menu_shown; ++i, Sleep(50)) {
        HWND menu = FindWindowA("#32768", nullptr);
        menu_shown = menu && IsWindowVisible(menu);
      }
      PhotographDialog(dialog, "position_menu", Path(""));
      PostMessageA(dialog, WM_CANCELMODE, 0, 0);
      Sleep(300);
      SendMessageA(dialog, WM_COMMAND, IDM_POS_SORT_NAME_DOWN, 0);
      char first[64] = {};
      ListView_GetItemText(list, 0, 0, first, sizeof first);
      first_row = first;
      Click(dialog, IDC_POS_ACTION);
      if (!WaitUntilClosed(dialog)) PostMessageA(dialog, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(ZB_Open_L(&request), 3 + 4);
  }
  EXPECT_EQ(rows, 3);
  EXPECT_TRUE(menu_shown);
  EXPECT_EQ(first_row, "Unterzug U1");  // names descending
  EXPECT_EQ(action, "&\xD6" "ffnen");
  EXPECT_STREQ(request.szPosNameLong, kStuetze);
  EXPECT_TRUE(lib().os().FileExists(request.szTmpDatei));

  bool asked_overwrite = false;
  {
    DialogUser user("Position speichern unter", [&](HWND dialog) {
      if (!dialog) return;
      TypeText(dialog, IDC_POS_NAME, "Neue St\xFCtze");
      TypeText(dialog, IDC_POS_DESIGNATION, "Achse C");
      PhotographDialog(dialog, "position_save", Path(""));
      Click(dialog, IDC_POS_ACTION);
      if (!WaitUntilClosed(dialog)) PostMessageA(dialog, WM_CLOSE, 0, 0);
    });
    EXPECT_GT(ZB_SaveAs_L(&request), 0);
  }
  EXPECT_FALSE(asked_overwrite);
  ZBPROPOS_L saved = Long("DLT", "Neue St\xFCtze");
  EXPECT_EQ(ZB_PositionExist_L(&saved), 1);
}

TEST_F(PositionWindowTest, RenameAsksInThePropertiesDialog) {
  if (!HaveDisplay()) GTEST_SKIP() << "no display";
  std::string page, next;
  ZBPROPOS_L source = Long("DLT", kStuetze);
  ZBPROPOS_L target = Long("DLT", "");
  {
    DialogUser user("Position umbenennen", [&](HWND dialog) {
      if (!dialog) return;
      page = TextOf(dialog, IDC_PROP_START_PAGE);
      next = TextOf(dialog, IDC_PROP_NEXT_PAGE);
      PhotographDialog(dialog, "position_properties", Path(""));
      TypeText(dialog, IDC_PROP_NAME, "St\xFCtze 13");
      Click(dialog, IDC_PROP_OK);
      if (!WaitUntilClosed(dialog)) PostMessageA(dialog, WM_CLOSE, 0, 0);
    });
    EXPECT_GT(ZB_PositionRename_L(&source, &target), 0);
  }
  EXPECT_EQ(page, "5");
  EXPECT_EQ(next, "9");
  EXPECT_STREQ(target.szPosNameLong, "St\xFCtze 13");

  // A position locked by mueller: his name and the padlock, fields locked.
  zb::recordstore::PosInfoExt info{};
  zb::projectstore::LockRecord lock{};
  PROINFO project{};
  std::string path;
  zb::projectstore::FindProject(store(), data_, kProject, &project, &path);
  ASSERT_EQ(zb::projectstore::PositionStateOfFile(store(), path, 101,
                                                  "Unterzug U1", &info),
            2);
  {
    auto file = zb::projectstore::RecordFile::OpenReadOnly(lib().engine(), path);
    zb::projectstore::ReadLockRecord(store(), file.handle(), 101, info.id,
                                     &lock);
  }
  ZBPROPOS_L locked = Long("DLT", "Unterzug U1");
  SetText(locked.szMsg, sizeof locked.szMsg,
          zb::recordstore::FieldText(info.Msg));
  SetText(locked.szProBezeichnung, sizeof locked.szProBezeichnung,
          zb::recordstore::FieldText(info.Designation));
  zb::environment::PositionPropertiesRequest asked;
  asked.request = &locked;
  asked.info = &info;
  asked.lock = &lock;
  bool padlock = false, name_enabled = true;
  std::string user_name;
  {
    DialogUser user("Position ", [&](HWND dialog) {
      if (!dialog) return;
      padlock = IsVisible(dialog, IDC_PROP_LOCK);
      name_enabled = IsEnabled(dialog, IDC_PROP_NAME);
      user_name = TextOf(dialog, IDC_PROP_USER);
      PhotographDialog(dialog, "position_properties_locked", Path(""));
      Click(dialog, IDCANCEL);
      if (!WaitUntilClosed(dialog)) PostMessageA(dialog, WM_CLOSE, 0, 0);
    });
    EXPECT_FALSE(lib().ui().PositionProperties(asked));
  }
  EXPECT_TRUE(padlock);
  EXPECT_FALSE(name_enabled);
  EXPECT_EQ(user_name, "mueller");
}

}  // namespace
}  // namespace zbtest
#endif  // _WIN32

// The folder settings dialog as a user meets it: a login whose data folder
// is gone opens the real window; the user types a valid folder and
// confirms, and the login goes on with it.
#ifdef _WIN32
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "environment/login.h"
#include "explorer/win32/folder_settings_ids.h"
#include "explorer/win32/win32_ui.h"
#include "support/memory_companions.h"
#include "support/record_fixture.h"
#include "support/window_driver.h"

namespace zbtest {
namespace {

using zb::environment::FolderKind;

class FolderSettingsWindowTest : public RecordStoreTest {
 protected:
  void SetUp() override {
    RecordStoreTest::SetUp();
    for (const char* name : {"Programme", "Daten", "TMP", "User", "Basis"})
      ASSERT_TRUE(MakeFolder(Path(name)));
    ASSERT_TRUE(MakeFolder(JoinPath(Path("User"), "tester")));
    for (const char* keys : {"zbkeys.ini", "ZBKEYS.DAT"})
      ASSERT_TRUE(CopyFileTo(FixturePath("ZBStatik/Programme/") + keys,
                             JoinPath(Path("Programme"), keys)));
    companions_.folders = {
        {FolderKind::kProgram, Path("Programme")},
        {FolderKind::kData, Path("gone")},
        {FolderKind::kTemporary, Path("TMP")},
        {FolderKind::kUser, Path("User")},
        {FolderKind::kConfiguration, JoinPath(Path("User"), "tester")},
        {FolderKind::kBase, Path("Basis")},
    };
    UseLibrary(Services());
    ui_ = std::make_unique<zb::explorer::Win32Ui>(lib());
    lib().set_ui(*ui_);
  }
  zb::api::LibraryServices Services() override {
    zb::api::LibraryServices services;
    services.companions = &companions_;
    return services;
  }

  MemoryCompanions companions_;
  std::unique_ptr<zb::explorer::Win32Ui> ui_;
};

TEST_F(FolderSettingsWindowTest, InvalidDataFolderIsCorrectedInTheWindow) {
  if (!HaveDisplay()) GTEST_SKIP() << "no display";
  const std::string data = Path("Daten");
  bool shown = false, data_field_editable = false;
  std::string shown_data;
  {
    DialogUser user("Arbeitsverzeichnisse ", [&](HWND dialog) {
      if (!dialog) return;
      shown = true;
      shown_data = TextOf(dialog, IDC_FOLDER_EDIT + 4);
      data_field_editable =
          !(GetWindowLongPtrA(GetDlgItem(dialog, IDC_FOLDER_EDIT + 4),
                              GWL_STYLE) & ES_READONLY);
      PhotographDialog(dialog, "folder_settings", Path(""));
      TypeText(dialog, IDC_FOLDER_EDIT + 4, data);
      Click(dialog, IDOK);
      if (!WaitUntilClosed(dialog)) PostMessageA(dialog, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(zb::environment::Login(lib().session()), 1);
  }
  ASSERT_TRUE(shown);
  EXPECT_NE(shown_data.find("gone"), std::string::npos);
  EXPECT_TRUE(data_field_editable);
  EXPECT_EQ(companions_.folders[FolderKind::kData], data + "\\");
}

}  // namespace
}  // namespace zbtest
#endif  // _WIN32

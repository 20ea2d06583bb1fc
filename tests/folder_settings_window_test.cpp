// The folder settings dialog as a user meets it at a login whose data
// folder is gone: the real window; the user types a valid folder and
// confirms, and the folders are handed on with it.
#ifdef _WIN32
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "environment/folder_settings.h"
#include "explorer/win32/folder_settings_ids.h"
#include "explorer/win32/win32_ui.h"
#include "support/login_fixture.h"
#include "support/window_driver.h"

namespace zbtest {
namespace {

namespace env = zb::environment;

class FolderSettingsWindowTest : public LoginFoldersTest {
 protected:
  void SetUp() override {
    LoginFoldersTest::SetUp();
    companions_.folders[FolderKind::kData] = Path("gone");
    ui_ = std::make_unique<zb::explorer::Win32Ui>(lib());
    lib().set_ui(*ui_);
    backend_.os = &lib().os();
    backend_.log = &lib().log();
    backend_.current = [this] { return CompanionFolders(); };
    backend_.apply = [this](const env::Folders& chosen) {
      applied_ = chosen;
      return chosen;
    };
  }

  // The dialog as the login shows it, over folders whose data folder is
  // gone; true when the user confirmed it.
  bool ShowDialog() {
    env::FolderSettingsModel model(backend_);
    return ui_->FolderSettings(model);
  }

  std::unique_ptr<zb::explorer::Win32Ui> ui_;
  env::FolderSettingsBackend backend_;
  env::Folders applied_;
};

TEST_F(FolderSettingsWindowTest, InvalidDataFolderIsCorrectedInTheWindow) {
  if (!HaveDisplay()) GTEST_SKIP() << "no display";
  const std::string data = Path("Daten");
  bool shown = false, data_field_editable = false;
  std::string shown_data;
  bool confirmed = false;
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
    confirmed = ShowDialog();
  }
  ASSERT_TRUE(shown) << "the folder settings window did not appear";
  EXPECT_NE(shown_data.find("gone"), std::string::npos);
  EXPECT_TRUE(data_field_editable);
  EXPECT_TRUE(confirmed);
  EXPECT_EQ(applied_.data, data + "\\");
}

TEST_F(FolderSettingsWindowTest, ProgramEndingMeanwhileIsNoConfirmation) {
  // The host program was asked to end before the dialog: the modal loop
  // ends at once, which is no answer of the user, and the quit stays for
  // the program's own loop.
  PostQuitMessage(1);
  EXPECT_FALSE(ShowDialog());
  EXPECT_TRUE(applied_.data.empty());
  EXPECT_TRUE(TakeQuitMessage());
}

}  // namespace
}  // namespace zbtest
#endif  // _WIN32

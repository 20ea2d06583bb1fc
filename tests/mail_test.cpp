// The mail to the support, on a copy of the installation's data folder:
// the body, the files saved into a folder, and a system without mail
// client; on Windows the message handed to the test build's MAPI32.DLL.
#include "exchange/mail.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#ifdef _WIN32
#include <windows.h>

#include "explorer/win32/mail_dialog.h"
#include "support/window_driver.h"
#endif

#include "explorer/mail_dialog.h"
#include "support/installed_data_fixture.h"
#include "zbdb900.h"

namespace zbtest {
namespace {

namespace ex = zb::exchange;

class MailTest : public InstalledDataTest {
 protected:
  ex::MailOrder Order(uint32_t flags) {
    ex::MailOrder order;
    order.flags = flags;
    order.request = Long("DLT", kStuetze);
    SetText(order.request.szTmpPfad, sizeof order.request.szTmpPfad,
            Path("TMP"));
    order.project_number = 1;
    order.open_position = [](ZBPROPOS_L* request) {
      return ZB_SilentOpenEx_L(request, 1) > 0;
    };
    return order;
  }
};

TEST_F(MailTest, BodySavedFilesAndNoMailClient) {
  ASSERT_TRUE(MakeFolder(Path("TMP")));
  const std::string stars(40, '*');
  EXPECT_EQ(ex::MailBody(Order(ex::kMailProject)),
            stars + " \n* PROGRAMM  : DLT \n* PROJEKT   : " + kProject +
                " \n" + stars +
                " \n\nBITTE MODIFIZIEREN SIE DIE ZIEL-ADRESSE und DEN "
                "INHALT\n \n\nSehr geehrte Damen und Herren, ...... \n");
  EXPECT_NE(ex::MailBody(Order(ex::kMailPosition)).find(
                std::string("* POSITION  : ") + kStuetze + " \n"),
            std::string::npos);

  // Saved into a folder made for it: the project under PRO00900.PRO, the
  // log, and the position opened first and copied as .zbpos.
  ex::MailOrder order =
      Order(ex::kMailProject | ex::kMailReport | ex::kMailPosition);
  lib().log().Append("\n*** a line of the log");
  const std::string folder = Path("MERKOMail");
  const Bytes project = ReadFileBytes(JoinPath(data_, "PRO00001.PRO"));
  EXPECT_EQ(ex::SaveMailAttachments(store(), order, folder), 3);
  EXPECT_EQ(ReadFileBytes(JoinPath(folder, "PRO00900.PRO")), project);
  EXPECT_TRUE(FileExists(JoinPath(folder, "DBReport.log")));
  EXPECT_TRUE(FileExists(JoinPath(folder, "DLT00001.zbpos")));

#ifndef _WIN32
  // Without a mail client the save to a folder is what users get.
  EXPECT_EQ(ex::SendSupportMail(store(), order, 0), ex::kNoMailClient);
  EXPECT_TRUE(Contains(Logged(), "#### Send Mail Error : can't load MAPI32.DLL"));
#else
  // The test build's MAPI32.DLL writes down the message it is handed:
  // the client's own dialog, the support's mailbox, the three files.
  const std::string handed = Path("mapi.txt");
  _putenv_s("ZBDB_FAKE_MAPI_OUT", handed.c_str());
  EXPECT_EQ(ex::SendSupportMail(store(), order, 0), 0);
  const std::string message = ReadText(handed);
  EXPECT_TRUE(Contains(message, "flags=9\nsubject=DLT\n"));  // logon UI, dialog
  EXPECT_TRUE(Contains(message, "to=support@zb-statik.de|SMTP:support@zb-statik.de"));
  EXPECT_TRUE(Contains(message, "\\PRO00001.PRO|PRO00001.PRO\n"));
  EXPECT_TRUE(Contains(message, "|DBReport.Log\n"));
  EXPECT_TRUE(Contains(message, "body=" + ex::MailBody(order)));
  EXPECT_TRUE(Contains(Logged(), "====> Send PROJECT..."));
#endif
}

// The explorer's "Sende eMail an ...": the dialog starts from the
// command's flags, and with "Anhang-Dateien speichern in:" its OK copies
// the files (the position exported first) into the folder typed. Under
// wine the same walk goes through the real window.
TEST_F(MailTest, MailDialogSavesTheChosenFiles) {
  ASSERT_TRUE(MakeFolder(Path("TMP")));
  ZBPROPOS_L request = Long("DLT", kStuetze);
  SetText(request.szTmpPfad, sizeof request.szTmpPfad, Path("TMP"));
  SetText(request.szDataPfad, sizeof request.szDataPfad, data_ + "\\");
  {
    ZBPROPOS_L no_project = request;
    no_project.szProName[0] = 0;
    zb::explorer::MailDialogModel model(store(), ex::kMailProject, no_project,
                                        0, 0);
    model.OnInit();
    EXPECT_FALSE(model.state().at(IDC_MAIL_PROJECT).enabled);
    EXPECT_EQ(model.state().text(IDC_MAIL_PROJECT_NAME), "''");
  }
  const std::string folder = Path("Anhang");
  zb::explorer::MailDialogModel model(
      store(), ex::kMailProtocol | ex::kMailReport | ex::kMailProject, request,
      1, 0);
  auto check = [&](bool in_window) {
    EXPECT_EQ(model.result(), 3) << in_window;  // project, log, position
    EXPECT_TRUE(model.saved());
    EXPECT_EQ(ReadFileBytes(JoinPath(folder, "PRO00900.PRO")),
              ReadFileBytes(JoinPath(data_, "PRO00001.PRO")));
    EXPECT_TRUE(FileExists(JoinPath(folder, "DBReport.log")));
  };
#ifdef _WIN32
  if (HaveDisplay()) {
    bool shown = false;
    {
      DialogUser user("Mail Anhang", [&](HWND dialog) {
        if (!dialog) return;
        shown = true;
        EXPECT_EQ(TextOf(dialog, IDC_MAIL_FOLDER), data_ + "\\MERKOMail");
        EXPECT_EQ(TextOf(dialog, IDC_MAIL_PROJECT_NAME),
                  std::string("'") + kProject + "'");
        Click(dialog, IDC_MAIL_POSITION);
        Click(dialog, IDC_MAIL_SAVE);
        TypeText(dialog, IDC_MAIL_FOLDER, folder);
        PhotographDialog(dialog, "mail", Path(""));
        Click(dialog, IDOK);
        if (!WaitUntilClosed(dialog)) PostMessageA(dialog, WM_CLOSE, 0, 0);
      });
      EXPECT_TRUE(zb::explorer::win32::MailDialog(model).Run(nullptr));
    }
    ASSERT_TRUE(shown);
    check(true);
    return;
  }
#endif
  model.OnInit();
  EXPECT_TRUE(model.state().at(IDC_MAIL_PROJECT).checked);
  EXPECT_FALSE(model.state().at(IDC_MAIL_POSITION).checked);
  EXPECT_EQ(model.state().text(IDC_MAIL_FOLDER), data_ + "\\MERKOMail");
  model.OnClicked(IDC_MAIL_POSITION);
  model.OnClicked(IDC_MAIL_PROTOCOL);  // there is no protocol here anyway
  model.OnClicked(IDC_MAIL_SAVE);
  model.OnFolderText(folder);
  model.OnOk();
  check(false);
}

}  // namespace
}  // namespace zbtest

// Autosave copies and template positions through the exports, on a copy of
// the installation's data folder ("Brücke Nord", DLT "Stütze 12 Achse B").
#include <gtest/gtest.h>

#include <string>

#include "environment/library_context.h"
#include "environment/scripted_ui.h"
#include "projectstore/position_locks.h"
#include "support/installed_data_fixture.h"
#include "support/memory_companions.h"
#include "zbdb900.h"

namespace zbtest {
namespace {

using zb::environment::Answer;
using zb::environment::FolderKind;

class AutosaveTemplatesTest : public InstalledDataTest {
 protected:
  void SetUp() override {
    InstalledDataTest::SetUp();
    temporary_ = Path("TMP");
    configuration_ = Path("Ini");
    request_tmp_ = temporary_;
    ASSERT_TRUE(MakeFolder(temporary_));
    ASSERT_TRUE(MakeFolder(configuration_));
    auto& folders = lib().context().folders;
    folders.data = data_;
    folders.temporary = temporary_;
    folders.configuration = configuration_;
    // Folders read again (after the history names a data folder) come
    // from here, never from the user's own installation.
    companions_.folders[FolderKind::kData] = data_;
    companions_.folders[FolderKind::kTemporary] = temporary_;
    companions_.folders[FolderKind::kConfiguration] = configuration_;
  }
  zb::api::LibraryServices Services() override {
    zb::api::LibraryServices services = InstalledDataTest::Services();
    services.companions = &companions_;
    return services;
  }
  ZBPROPOS_L Request(const std::string& program, const std::string& name) {
    return Long(program, name);
  }
  // A working file of the fixture's DLT position, opened silently.
  std::string OpenStuetze() {
    ZBPROPOS_L r = Request("DLT", kStuetze);
    EXPECT_GT(ZB_SilentOpenEx_L(&r, 1), 0);
    zb::projectstore::ReleaseOwnLock(store());
    return Str(r.szTmpDatei, 100);
  }
  // The library's path text as the test's own file calls need it.
  static std::string Native(std::string path) {
#ifndef _WIN32
    for (char& c : path) c = c == '\\' ? '/' : c;
#endif
    return path;
  }
  static Bytes BytesOf(const std::string& path) {
    return ReadFileBytes(Native(path));
  }
  std::string AutosaveOf(const std::string& program) {
    return JoinPath(temporary_, program + "_AutoSave.$POS");
  }

  MemoryCompanions companions_;
  std::string temporary_;
  std::string configuration_;
};

TEST_F(AutosaveTemplatesTest, AutosaveIsMadeRescuedAndEnded) {
  const std::string working = OpenStuetze();
  const Bytes project_before = ReadFileBytes(JoinPath(data_, "PRO00001.PRO"));

  // A save under an autosave name, in any case, makes the copy instead.
  ZBPROPOS_L save = Request("DLT", "Auto_Save");
  SetText(save.szTmpDatei, sizeof save.szTmpDatei, working);
  EXPECT_EQ(ZB_SilentSaveEx_L(&save, 1), 1);
  EXPECT_EQ(ReadFileBytes(AutosaveOf("DLT")), BytesOf(working));
  EXPECT_EQ(ReadFileBytes(JoinPath(data_, "PRO00001.PRO")), project_before);
  EXPECT_NE(Logged().find("\n*** ZB_AutoSave DLT"), std::string::npos);

  // A copy that cannot be made keeps the previous one.
  EXPECT_EQ(ZB_AutoSave("DLT", JoinPath(temporary_, "missing.TMP").c_str()), 0);
  EXPECT_EQ(ReadFileBytes(AutosaveOf("DLT")), BytesOf(working));

  // "DLT*" also finds the copy of program DLT2; the rescue offers the first
  // one, and "No" deletes all of them.
  ASSERT_TRUE(CopyFileTo(Native(working), AutosaveOf("DLT2")));
  ui_.QueueAnswer(Answer::kNo);
  EXPECT_EQ(ZB_AutoSaveGet("DLT"), 2);
  ASSERT_EQ(ui_.messages().size(), 1u);
  EXPECT_EQ(ui_.messages()[0].text,
            std::string("Eine nicht gespeicherte Position wurde gefunden.") +
                "\n\n Program  : DLT\n Position : " + kStuetze + "\n\n" +
                "Position sichern?");
  EXPECT_FALSE(FileExists(AutosaveOf("DLT")));
  EXPECT_FALSE(FileExists(AutosaveOf("DLT2")));
  EXPECT_EQ(ZB_AutoSaveGet("DLT"), 0);

  // Yes with a save-as that is cancelled asks before the copy goes; "No"
  // keeps it for the next start.
  ZBPROPOS_L copy = Request("DLT", "");
  SetText(copy.szTmpDatei, sizeof copy.szTmpDatei, working);
  ASSERT_EQ(ZB_AutoSave_L(&copy), 1);
  ui_.QueueAnswer(Answer::kYes);
  ui_.QueueAnswer(Answer::kNo);
  EXPECT_EQ(ZB_AutoSaveGet("DLT"), 1);
  ASSERT_EQ(ui_.messages().size(), 3u);
  EXPECT_EQ(ui_.messages()[2].text,
            "Die letzte Autosave-Position wird gel\xF6scht.");
  EXPECT_TRUE(FileExists(AutosaveOf("DLT")));
  EXPECT_NE(Logged().find("Autosave_rescue '" + std::string(kStuetze) +
                          "' as '"),
            std::string::npos);

  EXPECT_EQ(ZB_AutoSaveEnd("DLT"), 1);
  EXPECT_FALSE(FileExists(AutosaveOf("DLT")));
  EXPECT_EQ(ZB_AutoSaveEnd("DLT"), 0);
}

TEST_F(AutosaveTemplatesTest, TemplateIsSavedOpenedAndDeleted) {
  const std::string working = OpenStuetze();
  ZBPROPOS_L request = Request("DLT", kStuetze);
  SetText(request.szTmpDatei, sizeof request.szTmpDatei, working);

  ui_.QueueAnswer(Answer::kNo);
  EXPECT_EQ(ZB_SaveTemplate_L(&request), -101);
  ZBPROPOS_L no_file = request;
  SetText(no_file.szTmpDatei, sizeof no_file.szTmpDatei, temporary_);
  EXPECT_EQ(ZB_SaveTemplate_L(&no_file), -5);  // after the question
  EXPECT_EQ(ui_.messages().back().text,
            "Aktuelle Daten als Vorlage speichern?");
  EXPECT_EQ(ZB_TemplateExist_L(&request), 0);

  // Saved into "VORLAGE" of the configuration folder under the program's
  // name; the working file still belongs to the caller's project.
  EXPECT_GT(ZB_SaveTemplate_L(&request), 3) << Logged();
  EXPECT_TRUE(FileExists(JoinPath(configuration_, "ZBPROS.ZB")));
  EXPECT_EQ(ZB_TemplateExist_L(&request), 1);
  EXPECT_NE(Logged().find("\n*** ZB_SaveTemplate_L return :"),
            std::string::npos);
  const int16_t w = DBOpenReadOnly(working.c_str());
  PROINFO header{};
  ASSERT_EQ(DBRead(w, 32762, 30003, 0, sizeof header, &header), 104);
  EXPECT_EQ(Str(header.szProject, 42), kProject);
  DBClose(w);

  // Opened into a new working file whose headers name the caller's project.
  ZBPROPOS_L open = Request("DLT", "");
  SetText(open.szTmpDatei, sizeof open.szTmpDatei, temporary_);
  EXPECT_GT(ZB_OpenTemplate_L(&open), 3);
  const std::string opened = Str(open.szTmpDatei, 100);
  ASSERT_NE(opened, working);
  const int16_t o = DBOpenReadOnly(opened.c_str());
  PROINFO opened_header{};
  PROPOS tag{};
  ASSERT_EQ(DBRead(o, 32762, 30003, 0, sizeof opened_header, &opened_header),
            104);
  ASSERT_EQ(DBRead(o, 32762, 30000, 0, sizeof tag, &tag), 56);
  EXPECT_EQ(Str(opened_header.szProject, 42), kProject);
  EXPECT_EQ(tag.number1, opened_header.number);
  DBClose(o);
  EXPECT_EQ(lib().context().position_lock.state, 0);  // the template is free

  EXPECT_EQ(ZB_DeleteTemplate_L(&request), 1);
  EXPECT_EQ(ZB_TemplateExist_L(&request), 0);
  EXPECT_EQ(ZB_DeleteTemplate_L(&request), 0);
}

}  // namespace
}  // namespace zbtest

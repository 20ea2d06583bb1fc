// Backing a project up into archives on one or two volumes and restoring
// it, including restores that must leave the existing project alone.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "exchange/archive_header.h"
#include "exchange/backup.h"
#include "projectstore/project_catalogue.h"
#include "projectstore/project_names.h"
#include "support/project_fixture.h"
#include "support/test_support.h"
#include "backup_commands.h"

namespace zbtest {
namespace {

namespace ex = zb::exchange;
namespace ps = zb::projectstore;
using zb::environment::Answer;

// The library's path text as the test's own file functions take it.
std::string Native(std::string path) {
#ifndef _WIN32
  for (char& c : path) c = c == '\\' ? '/' : c;
#endif
  return path;
}

class BackupTest : public ProjectStoreTest {
 protected:
  void SetUp() override {
    ProjectStoreTest::SetUp();
    for (const char* name : {"daten", "leer", "sav1", "sav2"})
      ASSERT_TRUE(MakeFolder(Path(name)));
    ASSERT_EQ(ps::CreateProject(store(), Path("daten"), "Neubau", "Ing."), 1);
    project_ = ps::ProjectFilePath(store(), Path("daten"), 1);
    // About 200 KB: half of it random, half runs that leave the archive.
    const int16_t h = Open(project_);
    for (int i = 0; i < 100; ++i) {
      const Bytes data = i % 2 ? Bytes(2000, uint8_t(i)) : Pattern(2000, i);
      ASSERT_EQ(DBWrite(h, 1, int16_t(i), -1, int16_t(data.size()),
                        data.data()), 2000);
    }
    ASSERT_EQ(DBClose(h), DB_SUCCESS);
    original_ = ReadFileBytes(Native(project_));
    ASSERT_GT(original_.size(), 200000u);
  }
  std::string Archive(const char* folder) const {
    return ex::ArchivePathFor(Path(folder), project_);
  }
  ex::ArchiveHeader HeaderOf(const char* folder) const {
    const Bytes bytes = ReadFileBytes(Native(Archive(folder)));
    ex::ArchiveHeader header;
    EXPECT_EQ(ex::ParseArchiveHeader(bytes.data(), bytes.size(), &header), 0);
    return header;
  }
  std::string LastMessage() const {
    return ui_.messages().empty() ? "" : ui_.messages().back().text;
  }

  // The bytes a restore gives: project 10001 (the list's check writes the
  // file's number into its header) with "*" behind its name.
  static Bytes Restored(Bytes bytes) {
    bytes[0] = 10001 & 0xFF;
    bytes[1] = 10001 >> 8;
    bytes[4 + std::string("Neubau").size()] = '*';
    return bytes;
  }

  std::string project_;
  Bytes original_;
};

TEST_F(BackupTest, BackupAndRestoreGiveTheProjectBack) {
  ASSERT_EQ(ex::BackupProject(store(), project_, Path("sav1")), 1);
  const ex::ArchiveHeader header = HeaderOf("sav1");
  EXPECT_EQ(header.variant, ex::ArchiveVariant::kCurrent);
  EXPECT_EQ(header.volume, 1);
  EXPECT_EQ(header.continuation, 0);
  EXPECT_EQ(header.project_size, original_.size() >> 10);
  EXPECT_LT(FileSize(Native(Archive("sav1"))), int64_t(original_.size()));

  const std::vector<ex::ArchiveEntry> listed =
      ex::ListArchives(store(), Path("sav1"));
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].name, "PRO00001.SAV");
  EXPECT_STREQ(reinterpret_cast<const char*>(listed[0].header.project_header) +
                   4, "Neubau");

  // Into an empty data folder as project 10001, "*" behind its name, else
  // the same bytes; the list finds it.
  ASSERT_EQ(ex::RestoreProject(store(), Path("sav1"), Path("leer"),
                               "PRO00001.SAV"), 1);
  EXPECT_EQ(ReadFileBytes(
                Native(ps::ProjectFilePath(store(), Path("leer"), 10001))),
            Restored(original_));
  EXPECT_GE(ps::FindProject(store(), Path("leer"), "Neubau*", nullptr, nullptr),
            0);

  // A second backup asks before it replaces the archive; No keeps it.
  const Bytes archive = ReadFileBytes(Native(Archive("sav1")));
  ui_.QueueAnswer(Answer::kNo);
  EXPECT_EQ(ex::BackupProject(store(), project_, Path("sav1")), 0);
  EXPECT_EQ(LastMessage(),
            " Die Sicherungsdatei " + Archive("sav1") +
                " existiert schon. \n Wenn Sie die Datei nicht l\xF6schen "
                "wird der Vorgang abgebrochen. \n Wollen Sie die Datei "
                "l\xF6schen? ");
  EXPECT_EQ(ui_.messages().back().caption, "Fehlermeldung");
  EXPECT_EQ(ReadFileBytes(Native(Archive("sav1"))), archive);

  // Names that would leave the data folder are refused.
  EXPECT_EQ(ex::RestoreProject(store(), Path("sav1"), Path("leer"),
                               "..\\PRO00001.SAV"), 0);
  EXPECT_EQ(ex::RestoreProject(store(), Path("sav1"), Path("leer"),
                               "C:PRO00001.SAV"), 0);
  EXPECT_EQ(ex::ArchivePathFor(Path("sav1"), "PRO..X"), "");
}

TEST_F(BackupTest, ABackupLargerThanAVolumeGoesOnTheNext) {
  ex::FolderVolumes volumes({Path("sav2")}, 80000);
  ASSERT_EQ(ex::BackupProject(store(), project_, Path("sav1"), &volumes), 1);
  const ex::ArchiveHeader first = HeaderOf("sav1");
  const ex::ArchiveHeader second = HeaderOf("sav2");
  EXPECT_EQ(first.volume, 1);
  EXPECT_EQ(first.continuation, 1);
  EXPECT_EQ(second.volume, 2);
  EXPECT_EQ(second.continuation, 0);
  EXPECT_LT(FileSize(Native(Archive("sav1"))), 80000);

  ex::FolderVolumes later({Path("sav2")}, 0);
  ASSERT_EQ(ex::RestoreProject(store(), Path("sav1"), Path("leer"),
                               "PRO00001.SAV", &later), 1);
  EXPECT_EQ(ReadFileBytes(
                Native(ps::ProjectFilePath(store(), Path("leer"), 10001))),
            Restored(original_));

  // The volumes in the wrong order: the second is named and the first
  // asked for; cancelling ends the restore.
  ui_.QueueAnswer(Answer::kYes);  // replace the project restored above
  ui_.QueueAnswer(Answer::kCancel);
  EXPECT_EQ(ex::RestoreProject(store(), Path("sav2"), Path("leer"),
                               "PRO00001.SAV"), 0);
  EXPECT_EQ(LastMessage(), " Falsche Diskette (Nr.2) ! \n Legen Sie bitte "
                           "Diskette Nr.1 ein. ");
}

TEST_F(BackupTest, ABrokenBackupLeavesTheProjectAsItWas) {
  ex::FolderVolumes volumes({Path("sav2")}, 80000);
  ASSERT_EQ(ex::BackupProject(store(), project_, Path("sav1"), &volumes), 1);
  // Restored once beside its original; a second restore finds it and asks.
  ex::FolderVolumes later({Path("sav2")}, 0);
  ASSERT_EQ(ex::RestoreProject(store(), Path("sav1"), Path("daten"),
                               "PRO00001.SAV", &later), 1);
  const Bytes restored = ReadFileBytes(JoinPath(Path("daten"), "PRO10001.PRO"));
  ui_.QueueAnswer(Answer::kNo);
  EXPECT_EQ(ex::RestoreProject(store(), Path("sav1"), Path("daten"),
                               "PRO00001.SAV", &later), 0);
  EXPECT_NE(LastMessage().find("existiert schon"), std::string::npos);

  // The second volume missing: the diskette is asked for, then refused.
  ui_.QueueAnswer(Answer::kYes);
  ui_.QueueAnswer(Answer::kCancel);
  EXPECT_EQ(ex::RestoreProject(store(), Path("sav1"), Path("daten"),
                               "PRO00001.SAV"), 0);
#ifdef _WIN32
  const std::string drive(1, static_cast<char>(std::toupper(Path("sav1")[0])));
#else
  const std::string drive = "?";  // a POSIX path has no drive letter
#endif
  EXPECT_EQ(LastMessage(),
            " Legen Sie bitte die Sicherungsdiskette 2 in Laufwerk " + drive +
                " ein \n und schlie\xDF" "en Sie das Laufwerk. ");
  ex::FolderVolumes none({}, 0);
  EXPECT_EQ(ex::RestoreProject(store(), Path("sav1"), Path("daten"),
                               "PRO00001.SAV", &none), 0);

  // The second volume cut short.
  Bytes cut = ReadFileBytes(Native(Archive("sav2")));
  cut.resize(cut.size() - 100);
  ASSERT_TRUE(WriteFileBytes(Native(Archive("sav2")), cut));
  EXPECT_EQ(ex::RestoreProject(store(), Path("sav1"), Path("daten"),
                               "PRO00001.SAV", &later), 0);
  EXPECT_NE(LastMessage().find("Der Vorgang wird abgebrochen."),
            std::string::npos);

  EXPECT_EQ(ReadFileBytes(Native(project_)), original_);
  EXPECT_EQ(ReadFileBytes(JoinPath(Path("daten"), "PRO10001.PRO")), restored);
  std::vector<std::string> left;
  for (const char* name : {"PRO10001.RST", "PRO10001.RSTV", "PRO10001.RSTO"})
    if (FileExists(JoinPath(Path("daten"), name))) left.push_back(name);
  EXPECT_TRUE(left.empty()) << left.front();
}

// The tool's commands on the same project: two volumes out, one data
// folder in, and the list of what the first volume's folder holds.
TEST_F(BackupTest, ToolCommandsWalkTheSameWay) {
  namespace tool = zb::tool;
  auto run = [this](const std::function<int(const tool::Streams&)>& command,
                    std::string* out) {
    tool::Streams io;
    io.out = std::fopen(Path("out.txt").c_str(), "w+b");
    io.err = io.out;
    const int status = io.out ? command(io) : -1;
    if (io.out) std::fclose(io.out);
    *out = ReadText(Path("out.txt"));
    return status;
  };
  std::string out;
  ASSERT_EQ(run([&](const tool::Streams& io) {
              return tool::BackupCommand(Path("daten"), "Neubau",
                                         {Path("sav1"), Path("sav2")}, 80000,
                                         io);
            }, &out), tool::kExitOk) << out;
  EXPECT_NE(out.find("'Neubau' backed up into 2 volumes"), out.npos) << out;
  ASSERT_EQ(run([&](const tool::Streams& io) {
              return tool::ArchiveListCommand(Path("sav1"), io);
            }, &out), tool::kExitOk);
  EXPECT_NE(out.find("1 archive in"), out.npos) << out;
  const std::string archive = JoinPath(Path("sav1"), "PRO00001.SAV");
  EXPECT_EQ(run([&](const tool::Streams& io) {
              return tool::RestoreCommand(archive, {}, Path("leer"), io);
            }, &out), tool::kExitFailed);  // volume 2 not named
  ASSERT_EQ(run([&](const tool::Streams& io) {
              return tool::RestoreCommand(archive, {Path("sav2")},
                                          Path("leer"), io);
            }, &out), tool::kExitOk) << out;
  EXPECT_NE(out.find("restored from 2 volumes"), out.npos) << out;
  EXPECT_EQ(ReadFileBytes(JoinPath(Path("leer"), "PRO10001.PRO")),
            Restored(original_));
}

}  // namespace
}  // namespace zbtest

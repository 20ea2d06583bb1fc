// The zbdb tool's commands, run in-process: their output, their exit codes,
// and that looking at a file never changes it.
#include <gtest/gtest.h>

#include <cstdio>

#include "recordstore/compaction.h"
#include "support/record_fixture.h"
#include "zbdb_commands.h"

namespace zbtest {
namespace {

namespace tool = zb::tool;

class ZbdbToolTest : public RecordStoreTest {
 protected:
  struct Result {
    int status = -1;
    std::string out, err;
    bool Says(const std::string& s) const { return out.find(s) != s.npos; }
    bool Complains(const std::string& s) const {
      return err.find(s) != s.npos;
    }
  };

  // Runs a command with its output and error streams caught in files.
  Result Run(decltype(&tool::ListCommand) command, const std::string& file,
             bool raw = false) {
    tool::Streams io;
    io.out = std::fopen(Path("stdout.txt").c_str(), "w+b");
    io.err = std::fopen(Path("stderr.txt").c_str(), "w+b");
    io.raw = raw;
    Result r;
    if (io.out && io.err) r.status = command(file, io);
    if (io.out) std::fclose(io.out);
    if (io.err) std::fclose(io.err);
    r.out = ReadText(Path("stdout.txt"));
    r.err = ReadText(Path("stderr.txt"));
    return r;
  }

  std::string MakeDemo() {
    const std::string path = Path("PRO00001.PRO");
    EXPECT_EQ(Run(tool::DemoCommand, path).status, tool::kExitOk);
    return path;
  }
};

TEST_F(ZbdbToolTest, DemoCheckAndListOfASoundFile) {
  const std::string path = MakeDemo();
  const Bytes bytes = ReadFileBytes(path);
  EXPECT_EQ(Str(&bytes[4], 42), "Demoprojekt");  // the project header
  Result r = Run(tool::CheckCommand, path);
  EXPECT_EQ(r.status, tool::kExitOk);
  EXPECT_TRUE(r.Says("State:           closed cleanly\nRecords:         9 "))
      << r.out;
  EXPECT_TRUE(r.Says("Deleted records: 1\n")) << r.out;
  r = Run(tool::ListCommand, path);
  EXPECT_EQ(r.status, tool::kExitOk) << r.err;
  EXPECT_TRUE(r.Says("INDEX=IdTop 2") && r.Says("Records 9 ")) << r.out;
  EXPECT_TRUE(r.Says("      -2      101")) << r.out;  // the deleted record
#ifndef _WIN32
  // The Windows-1252 umlaut reaches the terminal as UTF-8, unless raw.
  EXPECT_TRUE(r.Says("Durchlauftr\xC3\xA4ger")) << r.out;
  r = Run(tool::ListCommand, path, true);
  EXPECT_EQ(r.status, tool::kExitOk);
  EXPECT_TRUE(r.Says("Durchlauftr\xE4ger"));
#endif
  // A second demo onto the same name, or into a missing folder, fails.
  r = Run(tool::DemoCommand, path);
  EXPECT_EQ(r.status, tool::kExitFailed);
  EXPECT_TRUE(r.Complains(path)) << r.err;
  EXPECT_EQ(ReadFileBytes(path), bytes);
  r = Run(tool::DemoCommand, JoinPath(Path("missing"), "X.PRO"));
  EXPECT_EQ(r.status, tool::kExitFailed);
  EXPECT_FALSE(r.err.empty());
}

TEST_F(ZbdbToolTest, UnclosedMissingAndForeignFiles) {
  const std::string path = Path("UNCLOSED.PRO");
  const Bytes bytes = BuildUnclosedFile(
      {{10, 1, Pattern(12, 1)}, {-10, 2, Pattern(3, 2)},
       {11, 1, Pattern(5, 3)}});
  ASSERT_TRUE(WriteFileBytes(path, bytes));
  Result r = Run(tool::CheckCommand, path);
  EXPECT_EQ(r.status, tool::kExitOk) << r.out;
  EXPECT_TRUE(r.Says("needs re-indexing")) << r.out;
  EXPECT_TRUE(r.Says("Records:         3 ")) << r.out;
  EXPECT_TRUE(r.Says("Deleted records: 1\n")) << r.out;
  EXPECT_TRUE(r.Says("End of data:     538")) << r.out;
  r = Run(tool::ListCommand, path);  // read-only: no index is written
  EXPECT_EQ(r.status, tool::kExitOk) << r.err;
  EXPECT_TRUE(r.Says("Records 3 ")) << r.out;
  EXPECT_EQ(ReadFileBytes(path), bytes);

  const std::string missing = Path("NONE.PRO"), text = Path("NOTES.TXT");
  ASSERT_TRUE(WriteText(text, "no record file at all\n"));
  for (const std::string& file : {missing, text}) {
    r = Run(tool::ListCommand, file);
    EXPECT_EQ(r.status, tool::kExitFailed) << file;
    EXPECT_TRUE(r.Complains(file)) << r.err;
  }
  r = Run(tool::CheckCommand, missing);
  EXPECT_EQ(r.status, tool::kExitFailed);
  EXPECT_TRUE(r.Complains(missing)) << r.err;
  r = Run(tool::CheckCommand, text);
  EXPECT_EQ(r.status, tool::kExitFailed);
  EXPECT_TRUE(r.Says("not a record file")) << r.out;
  r = Run(tool::CompactCommand, text);
  EXPECT_EQ(r.status, tool::kExitFailed);
  EXPECT_TRUE(r.Complains("not a record file")) << r.err;
  EXPECT_EQ(ReadText(text), "no record file at all\n");
  EXPECT_EQ(Run(tool::CompactCommand, missing).status, tool::kExitFailed);
}

TEST_F(ZbdbToolTest, CompactDropsDeletedRecordsKeepsABackupAndRefusesAnOldOne) {
  const std::string path = MakeDemo();
  const std::string backup = zb::recordstore::CompactionBackupPath(path);
  ASSERT_TRUE(WriteText(backup, "older backup"));
  const Bytes old_bytes = ReadFileBytes(path);
  Result r = Run(tool::CompactCommand, path);  // refused before anything moves
  EXPECT_EQ(r.status, tool::kExitFailed);
  EXPECT_TRUE(r.Complains("move it away")) << r.err;
  EXPECT_EQ(ReadFileBytes(path), old_bytes);
  EXPECT_EQ(ReadText(backup), "older backup");

  ASSERT_EQ(std::remove(backup.c_str()), 0);
  r = Run(tool::CompactCommand, path);
  EXPECT_EQ(r.status, tool::kExitOk) << r.err;
  EXPECT_TRUE(r.Says("dropped 1 deleted record,") && r.Says(backup)) << r.out;
  EXPECT_EQ(ReadFileBytes(backup), old_bytes);
  EXPECT_TRUE(Run(tool::CheckCommand, path).Says("Records:         8 "));

  // Nothing left to drop: the file stays, and no copy is left behind.
  const Bytes compacted = ReadFileBytes(path);
  ASSERT_EQ(std::remove(backup.c_str()), 0);
  r = Run(tool::CompactCommand, path);
  EXPECT_EQ(r.status, tool::kExitOk) << r.err;
  EXPECT_TRUE(r.Says("unchanged")) << r.out;
  EXPECT_EQ(ReadFileBytes(path), compacted);
  EXPECT_FALSE(FileExists(zb::recordstore::CompactionTempPath(path)));
  EXPECT_FALSE(FileExists(backup));
}

TEST(ZbdbTerminalText, ControlCharactersAreMaskedAndTextConverted) {
  const std::string text = std::string("a\x01\x1b[2J\tb\n\x7f") + '\x80';
  EXPECT_EQ(tool::TerminalText(text, true), text);  // raw: the bytes exactly
#ifdef _WIN32
  EXPECT_EQ(tool::TerminalText(text, false),
            std::string("a..[2J\tb\n.") + '\x80');
#else
  EXPECT_EQ(tool::TerminalText(text, false), "a..[2J\tb\n.\xE2\x82\xAC");
  EXPECT_EQ(tool::TerminalText("\xFC", false), "\xC3\xBC");
#endif
}

}  // namespace
}  // namespace zbtest

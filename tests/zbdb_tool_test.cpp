// The zbdb tool's commands, run in-process: what support people see, and
// that looking at a file never changes it.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "recordstore/compaction.h"
#include "support/record_fixture.h"

#include "zbdb_commands.h"

namespace zbtest {
namespace {

using zb::tool::kExitFailed;
using zb::tool::kExitOk;

class ZbdbToolTest : public RecordStoreTest {
 protected:
  struct Result {
    int status;
    std::string out;
    std::string err;
  };

  // Runs a command with its output and error streams caught in files.
  template <typename Command>
  Result Run(Command command, const std::string& file, bool raw = false) {
    const std::string out_path = Path("stdout.txt");
    const std::string err_path = Path("stderr.txt");
    zb::tool::Streams io;
    io.out = std::fopen(out_path.c_str(), "w+b");
    io.err = std::fopen(err_path.c_str(), "w+b");
    io.raw = raw;
    Result r{-1, "", ""};
    if (!io.out || !io.err) {
      ADD_FAILURE() << "cannot catch the output in " << dir_.path();
    } else {
      r.status = command(file, io);
    }
    if (io.out) std::fclose(io.out);
    if (io.err) std::fclose(io.err);
    r.out = ReadText(out_path);
    r.err = ReadText(err_path);
    return r;
  }

  std::string MakeDemo(const std::string& name = "PRO00001.PRO") {
    const std::string path = Path(name);
    const Result r = Run(zb::tool::DemoCommand, path);
    EXPECT_EQ(r.status, kExitOk) << r.err;
    return path;
  }
};

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST_F(ZbdbToolTest, DemoWritesASoundProjectFileAndNeverOverwrites) {
  const std::string path = MakeDemo();
  const Result check = Run(zb::tool::CheckCommand, path);
  EXPECT_EQ(check.status, kExitOk);
  EXPECT_TRUE(Contains(check.out, "State:           closed cleanly"))
      << check.out;
  EXPECT_TRUE(Contains(check.out, "Records:         9 ")) << check.out;
  EXPECT_TRUE(Contains(check.out, "Deleted records: 1\n")) << check.out;

  // The project header sits in the user header, as in every project file.
  const Bytes bytes = ReadFileBytes(path);
  ASSERT_GT(bytes.size(), 104u);
  EXPECT_EQ(GetI16(bytes, 0), 1);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[4])),
            "Demoprojekt");

  // A second demo onto the same name, or into a missing folder, fails.
  const Result again = Run(zb::tool::DemoCommand, path);
  EXPECT_EQ(again.status, kExitFailed);
  EXPECT_TRUE(Contains(again.err, path)) << again.err;
  EXPECT_EQ(ReadFileBytes(path), bytes);
  const Result nowhere =
      Run(zb::tool::DemoCommand, JoinPath(Path("missing"), "X.PRO"));
  EXPECT_EQ(nowhere.status, kExitFailed);
  EXPECT_FALSE(nowhere.err.empty());
}

TEST_F(ZbdbToolTest, ListShowsEveryRecordAndNeverWritesTheFile) {
  const std::string path = MakeDemo();
  const Bytes before = ReadFileBytes(path);
  const Result list = Run(zb::tool::ListCommand, path);
  EXPECT_EQ(list.status, kExitOk) << list.err;
  EXPECT_TRUE(Contains(list.out, "RecNr.")) << list.out;
  EXPECT_TRUE(Contains(list.out, "INDEX=IdTop 2")) << list.out;
  // The deleted record is listed with its negative Key1.
  EXPECT_TRUE(Contains(list.out, "      -2      101")) << list.out;
  EXPECT_TRUE(Contains(list.out, "Records 9 ")) << list.out;
#ifndef _WIN32
  // The long name's Windows-1252 umlaut reaches the terminal as UTF-8, and
  // --raw leaves it as the file has it.
  EXPECT_TRUE(Contains(list.out, "Durchlauftr\xC3\xA4ger")) << list.out;
  const Result raw = Run(zb::tool::ListCommand, path, true);
  EXPECT_EQ(raw.status, kExitOk);
  EXPECT_TRUE(Contains(raw.out, std::string("Durchlauftr") + '\xE4' + "ger"));
#endif
  EXPECT_EQ(ReadFileBytes(path), before);
}

TEST_F(ZbdbToolTest, FilesThatCannotBeListedOrCheckedFailWithAMessage) {
  const std::string missing = Path("NONE.PRO");
  const std::string text = Path("NOTES.TXT");
  ASSERT_TRUE(WriteText(text, "no record file at all\n"));
  for (const std::string& file : {missing, text}) {
    const Result list = Run(zb::tool::ListCommand, file);
    EXPECT_EQ(list.status, kExitFailed) << file;
    EXPECT_TRUE(Contains(list.err, file)) << list.err;
  }
  const Result gone = Run(zb::tool::CheckCommand, missing);
  EXPECT_EQ(gone.status, kExitFailed);
  EXPECT_TRUE(Contains(gone.err, missing)) << gone.err;
  const Result foreign = Run(zb::tool::CheckCommand, text);
  EXPECT_EQ(foreign.status, kExitFailed);
  EXPECT_TRUE(Contains(foreign.out, "not a record file")) << foreign.out;
  EXPECT_EQ(ReadText(text), "no record file at all\n");
}

TEST_F(ZbdbToolTest, CheckCallsAnUnclosedFileSoundAndLeavesItAsItIs) {
  const std::vector<RecordImage> records = {
      {10, 1, Pattern(12, 1)}, {-10, 2, Pattern(3, 2)}, {11, 1, Pattern(5, 3)}};
  const std::string path = Path("UNCLOSED.PRO");
  const Bytes bytes = BuildUnclosedFile(records);
  ASSERT_TRUE(WriteFileBytes(path, bytes));

  const Result check = Run(zb::tool::CheckCommand, path);
  EXPECT_EQ(check.status, kExitOk) << check.out;
  EXPECT_TRUE(Contains(check.out, "needs re-indexing")) << check.out;
  EXPECT_TRUE(Contains(check.out, "Records:         3 ")) << check.out;
  EXPECT_TRUE(Contains(check.out, "Deleted records: 1\n")) << check.out;
  EXPECT_TRUE(Contains(check.out,
                       "End of data:     " + std::to_string(500 + 18 + 9 + 11)))
      << check.out;
  // Neither looking at it nor listing it (read-only) writes an index.
  const Result list = Run(zb::tool::ListCommand, path);
  EXPECT_EQ(list.status, kExitOk) << list.err;
  EXPECT_TRUE(Contains(list.out, "Records 3 ")) << list.out;
  EXPECT_EQ(ReadFileBytes(path), bytes);
}

TEST_F(ZbdbToolTest, CompactDropsDeletedRecordsAndKeepsABackup) {
  const std::string path = MakeDemo();
  const std::string backup = zb::recordstore::CompactionBackupPath(path);
  const Bytes old_bytes = ReadFileBytes(path);

  const Result compact = Run(zb::tool::CompactCommand, path);
  EXPECT_EQ(compact.status, kExitOk) << compact.err;
  EXPECT_TRUE(Contains(compact.out, "dropped 1 deleted record,")) << compact.out;
  EXPECT_TRUE(Contains(compact.out, backup)) << compact.out;
  EXPECT_EQ(ReadFileBytes(backup), old_bytes);
  const Result check = Run(zb::tool::CheckCommand, path);
  EXPECT_EQ(check.status, kExitOk);
  EXPECT_TRUE(Contains(check.out, "State:           closed cleanly"))
      << check.out;
  EXPECT_TRUE(Contains(check.out, "Records:         8 ")) << check.out;
  EXPECT_TRUE(Contains(check.out, "Deleted records: 0\n")) << check.out;

  // Nothing left to drop: the file stays, and no copy is left behind.
  const Bytes compacted = ReadFileBytes(path);
  ASSERT_EQ(std::remove(backup.c_str()), 0);
  const Result nothing = Run(zb::tool::CompactCommand, path);
  EXPECT_EQ(nothing.status, kExitOk) << nothing.err;
  EXPECT_TRUE(Contains(nothing.out, "unchanged")) << nothing.out;
  EXPECT_EQ(ReadFileBytes(path), compacted);
  EXPECT_FALSE(FileExists(zb::recordstore::CompactionTempPath(path)));
  EXPECT_FALSE(FileExists(backup));
}

TEST_F(ZbdbToolTest, CompactRefusesWhatItMustNotTouch) {
  // An old backup would block the renames: refused before anything moves.
  const std::string path = MakeDemo();
  const std::string backup = zb::recordstore::CompactionBackupPath(path);
  ASSERT_TRUE(WriteText(backup, "older backup"));
  const Bytes bytes = ReadFileBytes(path);
  const Result blocked = Run(zb::tool::CompactCommand, path);
  EXPECT_EQ(blocked.status, kExitFailed);
  EXPECT_TRUE(Contains(blocked.err, "move it away")) << blocked.err;
  EXPECT_EQ(ReadFileBytes(path), bytes);
  EXPECT_EQ(ReadText(backup), "older backup");

  const std::string text = Path("NOTES.TXT");
  ASSERT_TRUE(WriteText(text, "plain text"));
  const Result foreign = Run(zb::tool::CompactCommand, text);
  EXPECT_EQ(foreign.status, kExitFailed);
  EXPECT_TRUE(Contains(foreign.err, "not a record file")) << foreign.err;
  EXPECT_EQ(ReadText(text), "plain text");
  EXPECT_EQ(Run(zb::tool::CompactCommand, Path("NONE.PRO")).status,
            kExitFailed);
}

TEST(ZbdbTerminalText, ControlCharactersAreMaskedAndTextConverted) {
  const std::string text = std::string("a\x01\x1b[2J\tb\n\x7f") + '\x80';
  // Raw output is the file's bytes exactly.
  EXPECT_EQ(zb::tool::TerminalText(text, true), text);
#ifdef _WIN32
  EXPECT_EQ(zb::tool::TerminalText(text, false),
            std::string("a..[2J\tb\n.") + '\x80');
#else
  EXPECT_EQ(zb::tool::TerminalText(text, false), "a..[2J\tb\n.\xE2\x82\xAC");
  EXPECT_EQ(zb::tool::TerminalText(std::string(1, '\xFC'), false), "\xC3\xBC");
#endif
}

}  // namespace
}  // namespace zbtest

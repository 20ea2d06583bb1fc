// The backup archive: run-length blocks, volume headers, and project files
// packed into an archive and run list and expanded again.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "exchange/archive_file.h"
#include "exchange/archive_header.h"
#include "exchange/archive_result.h"
#include "exchange/run_length.h"
#include "platform/platform.h"
#include "support/test_support.h"

namespace zbtest {
namespace {

using namespace zb::exchange;
using Runs = std::vector<RunRecord>;

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }
Bytes Concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
void ExpectBlock(const Bytes& block, const Bytes& literals, const Runs& runs) {
  Bytes out(block.size());
  Runs got;
  ASSERT_EQ(CompressBlock(block.data(), block.size(), out.data(), &got),
            int(literals.size()));
  EXPECT_EQ(Bytes(out.begin(), out.begin() + literals.size()), literals);
  EXPECT_EQ(got, runs);
}

TEST(ArchiveTest, RunLengthBlocks) {
  ExpectBlock(Bytes(10, 7), Bytes(), {{0, 7, 10}});    // a run leaves
  ExpectBlock(Bytes(9, 7), Bytes(9, 7), {{9, 0, 0}});  // too short a run
  ExpectBlock(Bytes(1, 5), Bytes(1, 5), {{1, 0, 0}});
  ExpectBlock(Concat(Text("AB"), Bytes(12, 'C')), Text("AB"),
              {{2, 'C', 12}});  // ends inside a run: no closing record
  ExpectBlock(Concat(Concat(Text("xy"), Bytes(15, 0)), Text("zzzzzzzzzq")),
              Text("xyzzzzzzzzzq"), {{2, 0, 15}, {10, 0, 0}});
  Bytes big(kMaxBlockLength + 1);
  Runs runs;
  EXPECT_EQ(CompressBlock(big.data(), big.size(), big.data(), &runs),
            kArchiveBadArgument);  // its counts would not fit 16 bits
}

TEST(ArchiveTest, HeaderBytesAndVariants) {
  ArchiveHeader h;
  const Bytes info = Pattern(kProjectHeaderCopySize, 4);
  std::copy(info.begin(), info.end(), h.project_header);
  h.volume = 2;
  h.continuation = 1;
  h.project_size = 0x12345;
  h.folder = ArchiveFolderText("D:\\ZBStatik\\Daten\\PRO00001.PRO  ", "");
  Bytes expected = info;
  Put<uint16_t>(expected, 2);
  Put<uint16_t>(expected, 1);
  PutU32(expected, 0x12345);
  expected = Concat(expected, Text(Padded("Z+B-Sicherung", 14)));
  expected = Concat(expected, Text(Padded("D:\\ZBStatik\\Daten\\", 100)));
  Bytes bytes(kArchiveHeaderSize);
  BuildArchiveHeader(h, bytes.data());
  EXPECT_EQ(bytes, expected);
  ArchiveHeader back;
  ASSERT_EQ(ParseArchiveHeader(bytes.data(), bytes.size(), &back), kArchiveOk);
  EXPECT_EQ(back.variant, ArchiveVariant::kCurrent);
  EXPECT_EQ(back.folder, "D:\\ZBStatik\\Daten\\");
  EXPECT_EQ(back.volume, 2);
  EXPECT_EQ(back.data_offset(), kArchiveHeaderSize);
  EXPECT_EQ(ParseArchiveHeader(bytes.data(), 225, &back), kArchiveBadHeader);

  EXPECT_EQ(ArchiveFolderText("C:PRO00001.PRO", "E:\\cwd"), "C:");
  EXPECT_EQ(ArchiveFolderText("PRO00001.PRO", "E:\\cwd"), "E:\\cwd");
  EXPECT_EQ(ArchiveFolderText(std::string(120, 'x'), "E:\\"), "E:\\");
  EXPECT_EQ(RunListPathOf("D:\\Daten.1\\PRO00001.PRO"),
            "D:\\Daten.1\\PRO00001.LST");
  EXPECT_EQ(RunListPathOf("D:\\Daten\\PRO"), "");

  // The plain variant: no tag at 112, volume, flag and size from 110.
  Bytes plain = info;
  plain.resize(110, 0xEE);
  Put<uint16_t>(plain, 3);
  Put<uint16_t>(plain, 1);
  PutU32(plain, 4000);
  ASSERT_EQ(ParseArchiveHeader(plain.data(), plain.size(), &back), kArchiveOk);
  EXPECT_EQ(back.variant, ArchiveVariant::kPlain);
  EXPECT_TRUE(back.volume == 3 && back.continuation == 1 &&
              back.project_size == 4000);
  EXPECT_TRUE(std::equal(info.begin(), info.end(), back.project_header));
  EXPECT_EQ(ParseArchiveHeader(plain.data(), 117, &back), kArchiveBadHeader);
}

TEST(ArchiveTest, ProjectFilesRoundTripAndBadRunListsAreRefused) {
  const auto os = zb::platform::NewNativePlatform();
  TempDir dir;
  const std::string fixtures =
      JoinPath(JoinPath(ZBDB_FIXTURES_DIR, "ZBStatik"), "Daten");
  std::vector<zb::platform::DirEntry> found;
  ASSERT_TRUE(os->FindFiles(JoinPath(fixtures, "*.PRO"), &found).ok());
  std::vector<std::string> projects;
  for (const auto& e : found) projects.push_back(JoinPath(fixtures, e.name));
  ASSERT_GE(projects.size(), 4u);
  // Runs across blocks and reads, and runs longer than one record holds.
  Bytes large = Concat(Pattern(3000, 5), Bytes(70000, 0));
  large = Concat(Concat(large, Pattern(440000, 6)), Bytes(200000, 0xFF));
  ASSERT_TRUE(WriteFileBytes(dir.File("LARGE.PRO"), large));
  projects.push_back(dir.File("LARGE.PRO"));

  const std::string sav = dir.File("P.SAV"), lst = dir.File("P.LST");
  const std::string out = dir.File("OUT.PRO");
  for (const std::string& project : projects) {
    SCOPED_TRACE(project);
    ASSERT_EQ(PackProjectFile(*os, project, sav, lst), kArchiveOk);
    const Bytes original = ReadFileBytes(project);
    const Bytes archive = ReadFileBytes(sav);
    EXPECT_EQ(GetU32(archive, 108), original.size() >> 10);
    ASSERT_EQ(UnpackProjectFile(*os, sav, lst, out), kArchiveOk);
    EXPECT_EQ(ReadFileBytes(out), original);
  }

  // Garbled run lists and a cut archive create no project file.
  const Bytes runs = ReadFileBytes(lst);
  auto refused = [&](const Bytes& run_list, int code) {
    std::remove(out.c_str());
    WriteFileBytes(lst, run_list);
    EXPECT_EQ(UnpackProjectFile(*os, sav, lst, out), code);
    EXPECT_FALSE(FileExists(out));
  };
  refused(Bytes(runs.begin(), runs.end() - 3), kArchiveBadRunList);
  Bytes past = runs;
  past[0] += 1;  // one literal byte more than the stream holds
  refused(past, kArchiveBadRunList);
  refused(Bytes(), kArchiveBadRunList);
  const Bytes archive = ReadFileBytes(sav);
  WriteFileBytes(sav, Bytes(archive.begin(), archive.begin() + 200));
  refused(runs, kArchiveBadHeader);

  // A plain archive is copied as it stands, without a run list.
  Bytes plain(kPlainArchiveHeaderSize, 0);
  plain = Concat(plain, large);
  WriteFileBytes(sav, plain);
  ASSERT_EQ(UnpackProjectFile(*os, sav, "", out), kArchiveOk);
  EXPECT_EQ(ReadFileBytes(out), large);
}

}  // namespace
}  // namespace zbtest

// The backup archive: run-length blocks and volume headers.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "exchange/archive_header.h"
#include "exchange/archive_result.h"
#include "exchange/run_length.h"
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

}  // namespace
}  // namespace zbtest

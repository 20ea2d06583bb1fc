// The backup archive: run-length blocks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

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

}  // namespace
}  // namespace zbtest

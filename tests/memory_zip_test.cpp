// ZB_Zip and ZB_Unzip as a calculation program calls them on its blobs.
#include <gtest/gtest.h>

#include <vector>

#include "support/test_support.h"
#include "zbdb900.h"

namespace zbtest {
namespace {

TEST(MemoryZipTest, RoundTripTooSmallBuffersAndForeignStreams) {
  Bytes data = Pattern(1 << 20, 3);
  for (size_t i = 0; i < data.size(); i += 7) data[i] = 0;  // compressible
  Bytes packed(data.size() + 1024);
  ASSERT_EQ(ZB_Zip(packed.data(), uint32_t(packed.size()), data.data(),
                   uint32_t(data.size())),
            1);
  EXPECT_EQ(packed[0], 0x78);  // a zlib header

  // The whole destination buffer as the length: the stream ends by itself.
  Bytes buffer = packed;
  buffer.resize(data.size());
  ASSERT_EQ(ZB_Unzip(buffer.data(), int32_t(buffer.size()), 0,
                     uint32_t(buffer.size())),
            1);
  EXPECT_EQ(buffer, data);

  // Too small a destination, too small a capacity, not a zlib stream:
  // false, and the caller's buffer as it was.
  Bytes tiny(16);
  EXPECT_EQ(ZB_Zip(tiny.data(), uint32_t(tiny.size()), data.data(),
                   uint32_t(data.size())),
            0);
  Bytes kept = packed;
  EXPECT_EQ(ZB_Unzip(kept.data(), int32_t(kept.size()), 0, 1000), 0);
  EXPECT_EQ(kept, packed);
  Bytes foreign = Pattern(4096, 9);
  const Bytes foreign_before = foreign;
  EXPECT_EQ(ZB_Unzip(foreign.data(), 4096, 0, 4096), 0);
  EXPECT_EQ(foreign, foreign_before);
  EXPECT_EQ(ZB_Unzip(nullptr, 10, 0, 10), 0);
}

}  // namespace
}  // namespace zbtest

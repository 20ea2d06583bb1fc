// The in-memory index against a plain scan of its entries: every search
// form, after random appends, key changes (deletes and undeletes are key
// changes) and removals, with enough keys that the pair table grows,
// collides and shifts entries back on removal.
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "recordstore/key_index.h"

namespace zb::recordstore {
namespace {

constexpr int16_t kAny = 32762;

bool Matches(const IndexEntry& e, int16_t k1, int16_t k2) {
  return (k1 == kAny || e.key1 == k1) && (k2 == kAny || e.key2 == k2);
}

uint32_t ScanFrom(const KeyIndex& index, uint32_t from, int16_t k1,
                  int16_t k2) {
  for (uint32_t r = from; r < index.size(); ++r)
    if (Matches(index.at(r), k1, k2)) return r;
  return KeyIndex::kNone;
}

uint32_t ScanNth(const KeyIndex& index, uint32_t n, int16_t k1, int16_t k2) {
  for (uint32_t r = 0; r < index.size(); ++r)
    if (Matches(index.at(r), k1, k2) && n-- == 0) return r;
  return KeyIndex::kNone;
}

TEST(KeyIndexTest, AgreesWithAScanThroughEveryChange) {
  std::mt19937 rng(7);
  auto key = [&](int range) {
    return static_cast<int16_t>(static_cast<int>(rng() % range) - range / 4);
  };
  KeyIndex index;
  uint32_t offset = 500;
  for (int step = 0; step < 20000; ++step) {
    const int what = rng() % 10;
    if (what < 5 || index.size() == 0) {
      index.Append(key(400), key(6), offset);
      offset += 10;
    } else if (what < 8) {
      const uint32_t r = rng() % index.size();
      index.SetKeys(r, static_cast<int16_t>(-index.at(r).key1),
                    rng() % 3 ? index.at(r).key2 : key(6));
    } else if (what < 9) {
      index.RemoveLast();
      offset -= 10;
    } else {
      const uint32_t r = rng() % index.size();
      index.SetKeys(r, key(400), key(6));
    }
    if (step % 7 != 0) continue;
    // Probe with keys that exist and keys that may not, in every form.
    const uint32_t any = index.size() ? rng() % index.size() : 0;
    const int16_t k1 = index.size() && rng() % 2 ? index.at(any).key1 : key(400);
    const int16_t k2 = index.size() && rng() % 2 ? index.at(any).key2 : key(6);
    for (auto [a, b] : {std::pair{k1, k2}, std::pair{kAny, k2},
                        std::pair{k1, kAny}, std::pair{kAny, kAny}}) {
      const uint32_t n = rng() % 4;
      const uint32_t from = index.size() ? rng() % (index.size() + 1) : 0;
      IndexEntry found{};
      const uint32_t nth = index.FindNth(n, a, b, &found);
      ASSERT_EQ(nth, ScanNth(index, n, a, b)) << "step " << step;
      if (nth != KeyIndex::kNone) {
        EXPECT_EQ(found.offset, index.at(nth).offset);
        EXPECT_EQ(found.key1, index.at(nth).key1);
        EXPECT_EQ(found.key2, index.at(nth).key2);
      }
      const uint32_t next = index.FindFrom(from, a, b, &found);
      ASSERT_EQ(next, ScanFrom(index, from, a, b)) << "step " << step;
      if (next != KeyIndex::kNone) {
        EXPECT_EQ(found.offset, index.at(next).offset);
      }
    }
  }
}

}  // namespace
}  // namespace zb::recordstore

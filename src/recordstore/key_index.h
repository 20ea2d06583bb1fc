// The in-memory index of one open record file.
//
// Entries stay in record-number order, as on disk. Beside them, hash maps
// from (Key1, Key2), from Key1 and from Key2 to the ascending record numbers
// carrying those keys let a search find the n-th match, or the next match
// after a cursor, without scanning. The maps are built on the first search
// (so opening a large file only reads its index) and kept exact through
// appends and key changes from then on. Keys are stored as they are on
// disk: a deleted record sits under its negative Key1.
#ifndef ZBDB_RECORDSTORE_KEY_INDEX_H_
#define ZBDB_RECORDSTORE_KEY_INDEX_H_

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

namespace zb::recordstore {

struct IndexEntry {
  int16_t key1;
  int16_t key2;
  uint32_t offset;
};

// Ascending record numbers; erasing near the front is cheap, because
// overwrite passes release records front to back.
class RecordList {
 public:
  void Insert(uint32_t record);
  void Erase(uint32_t record);
  size_t size() const { return items_.size() - head_; }
  uint32_t Nth(size_t n) const { return items_[head_ + n]; }
  // The first record number >= from, or kNone.
  uint32_t FirstAtOrAfter(uint32_t from) const;

  static constexpr uint32_t kNone = 0xFFFFFFFFu;

 private:
  std::vector<uint32_t> items_;
  size_t head_ = 0;
};

class KeyIndex {
 public:
  static constexpr uint32_t kNone = RecordList::kNone;

  KeyIndex() = default;
  KeyIndex(const KeyIndex&) = delete;
  KeyIndex& operator=(const KeyIndex&) = delete;

  uint32_t size() const { return static_cast<uint32_t>(entries_.size()); }
  const IndexEntry& at(uint32_t record) const { return entries_[record]; }
  const std::vector<IndexEntry>& entries() const { return entries_; }

  void Reserve(uint32_t n) { entries_.reserve(n); }
  void Append(int16_t key1, int16_t key2, uint32_t offset);
  void RemoveLast();
  void SetKeys(uint32_t record, int16_t key1, int16_t key2);
  void Clear();

  // The first record at or after `from` whose keys match; 32762 in a wanted
  // key matches every key. kNone when there is none.
  uint32_t FindFrom(uint32_t from, int16_t key1, int16_t key2);
  // The n-th (from 0) matching record, or kNone.
  uint32_t FindNth(uint32_t n, int16_t key1, int16_t key2);

 private:
  static uint32_t PairKey(int16_t k1, int16_t k2) {
    return (static_cast<uint32_t>(static_cast<uint16_t>(k1)) << 16) |
           static_cast<uint16_t>(k2);
  }
  const RecordList* ListFor(int16_t key1, int16_t key2);
  void BuildMaps();
  void AddToMaps(uint32_t record, const IndexEntry& e);
  void RemoveFromMaps(uint32_t record, const IndexEntry& e);

  std::vector<IndexEntry> entries_;
  bool maps_built_ = false;
  std::unordered_map<uint32_t, RecordList> by_pair_;
  std::unordered_map<int16_t, RecordList> by_key1_;
  std::unordered_map<int16_t, RecordList> by_key2_;
};

}  // namespace zb::recordstore

#endif  // ZBDB_RECORDSTORE_KEY_INDEX_H_

// The in-memory index of one open record file.
//
// Entries stay in record-number order, as on disk. Beside them, maps from
// (Key1, Key2), from Key1 and from Key2 to the ascending record numbers
// carrying those keys let a search find the n-th match, or the next match
// after a cursor, without scanning. The pair map is a flat open-addressing
// table whose slot also holds the first record's offset, so the usual keyed
// read (occurrence 0) costs one probe and touches no list. The maps are
// built on the first search that needs them (opening a large file only
// reads its index) and kept exact through appends and key changes from
// then on. Keys are stored as on disk: a deleted record sits under its
// negative Key1.
#ifndef ZBDB_RECORDSTORE_KEY_INDEX_H_
#define ZBDB_RECORDSTORE_KEY_INDEX_H_

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace zb::recordstore {

// Laid out as an index entry on disk (little-endian targets only).
struct IndexEntry {
  int16_t key1;
  int16_t key2;
  uint32_t offset;
};
static_assert(sizeof(IndexEntry) == 8, "IndexEntry has the disk layout");

// Ascending record numbers; erasing near the front is cheap, because
// overwrite passes release records front to back.
class RecordList {
 public:
  void Insert(uint32_t record);
  void Erase(uint32_t record);
  void Clear();
  size_t size() const { return items_.size() - head_; }
  uint32_t Nth(size_t n) const { return items_[head_ + n]; }
  // The first record number >= from, or kNone.
  uint32_t FirstAtOrAfter(uint32_t from) const;

  static constexpr uint32_t kNone = 0xFFFFFFFFu;

 private:
  std::vector<uint32_t> items_;
  size_t head_ = 0;
};

// (Key1, Key2) -> records. A key with one record needs no list.
class PairTable {
 public:
  static constexpr uint32_t kNone = RecordList::kNone;
  struct Slot {
    uint32_t key;
    uint32_t first;         // lowest record number; kNone marks a free slot
    uint32_t first_offset;  // its offset in the file
    uint32_t list;          // index into lists_, kNone for a single record
  };

  const Slot* Find(uint32_t key) const;
  const RecordList* ListOf(const Slot& slot) const {
    return slot.list == kNone ? nullptr : &lists_[slot.list];
  }
  void Add(uint32_t key, uint32_t record, uint32_t offset);
  // entries gives the offset of the record that becomes the first.
  void Remove(uint32_t key, uint32_t record,
              const std::vector<IndexEntry>& entries);
  void Reserve(size_t keys);
  void Clear();

 private:
  size_t Home(uint32_t key) const {
    return static_cast<size_t>((key * 0x9E3779B97F4A7C15ull) >> shift_);
  }
  size_t FindIndex(uint32_t key) const;  // slot index or kNone
  void EraseSlot(size_t index);
  uint32_t NewList();

  std::vector<Slot> slots_;
  size_t used_ = 0;
  unsigned shift_ = 64;
  std::vector<RecordList> lists_;
  std::vector<uint32_t> free_lists_;
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

  // Empties the index and makes room for n entries, to be filled with their
  // disk form (8 bytes each) through the pointer returned.
  IndexEntry* PrepareLoad(uint32_t n);
  void Append(int16_t key1, int16_t key2, uint32_t offset);
  void RemoveLast();
  void SetKeys(uint32_t record, int16_t key1, int16_t key2);
  void Clear();

  // The first record at or after `from` whose keys match, 32762 in a
  // wanted key matching every key, with its entry; kNone when none does.
  uint32_t FindFrom(uint32_t from, int16_t key1, int16_t key2,
                    IndexEntry* found);
  // The n-th (from 0) matching record with its entry, or kNone.
  uint32_t FindNth(uint32_t n, int16_t key1, int16_t key2, IndexEntry* found);

 private:
  static uint32_t PairKey(int16_t k1, int16_t k2) {
    return (static_cast<uint32_t>(static_cast<uint16_t>(k1)) << 16) |
           static_cast<uint16_t>(k2);
  }
  const RecordList* SingleKeyList(int16_t key1, int16_t key2);
  void BuildPairMap();
  void BuildSingleKeyMaps();
  void AddToMaps(uint32_t record, const IndexEntry& e);
  void RemoveFromMaps(uint32_t record, const IndexEntry& e);

  std::vector<IndexEntry> entries_;
  bool pair_map_built_ = false;
  bool single_maps_built_ = false;
  PairTable by_pair_;
  std::unordered_map<int16_t, RecordList> by_key1_;
  std::unordered_map<int16_t, RecordList> by_key2_;
};

}  // namespace zb::recordstore

#endif  // ZBDB_RECORDSTORE_KEY_INDEX_H_

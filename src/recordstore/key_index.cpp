#include "recordstore/key_index.h"

#include <algorithm>

#include "recordstore/record_format.h"

namespace zb::recordstore {

// ---------------------------------------------------------------------------
// RecordList

void RecordList::Insert(uint32_t record) {
  if (size() == 0) {
    Clear();
    items_.push_back(record);
    return;
  }
  if (items_.back() < record) {
    items_.push_back(record);
    return;
  }
  auto it = std::lower_bound(items_.begin() + head_, items_.end(), record);
  if (it != items_.end() && *it == record) return;
  if (head_ > 0 && it == items_.begin() + head_) {
    items_[--head_] = record;  // reuse the room left by erasing the front
    return;
  }
  items_.insert(it, record);
}

void RecordList::Erase(uint32_t record) {
  auto begin = items_.begin() + head_;
  auto it = std::lower_bound(begin, items_.end(), record);
  if (it == items_.end() || *it != record) return;
  if (it == begin) {
    ++head_;
    if (head_ == items_.size()) {
      Clear();
    } else if (head_ > 64 && head_ * 2 > items_.size()) {
      items_.erase(items_.begin(), items_.begin() + head_);
      head_ = 0;
    }
    return;
  }
  items_.erase(it);
}

void RecordList::Clear() {
  items_.clear();
  head_ = 0;
}

uint32_t RecordList::FirstAtOrAfter(uint32_t from) const {
  auto it = std::lower_bound(items_.begin() + head_, items_.end(), from);
  return it == items_.end() ? kNone : *it;
}

// ---------------------------------------------------------------------------
// PairTable: linear probing, at most 80% full (four slots share a cache
// line, so short probe runs stay cheap and the table stays small enough to
// remain in cache for large files), Fibonacci hashing.

size_t PairTable::FindIndex(uint32_t key) const {
  if (slots_.empty()) return kNone;
  const size_t mask = slots_.size() - 1;
  for (size_t i = Home(key);; i = (i + 1) & mask) {
    const Slot& s = slots_[i];
    if (s.first == kNone) return kNone;
    if (s.key == key) return i;
  }
}

const PairTable::Slot* PairTable::Find(uint32_t key) const {
  const size_t i = FindIndex(key);
  return i == kNone ? nullptr : &slots_[i];
}

void PairTable::Reserve(size_t keys) {
  size_t capacity = 16;
  while (capacity * 4 < keys * 5) capacity *= 2;
  if (capacity <= slots_.size()) return;
  std::vector<Slot> old;
  old.swap(slots_);
  slots_.assign(capacity, Slot{0, kNone, 0, kNone});
  shift_ = 64;
  for (size_t c = capacity; c > 1; c >>= 1) --shift_;
  const size_t mask = capacity - 1;
  for (const Slot& s : old) {
    if (s.first == kNone) continue;
    size_t i = Home(s.key);
    while (slots_[i].first != kNone) i = (i + 1) & mask;
    slots_[i] = s;
  }
}

uint32_t PairTable::NewList() {
  if (!free_lists_.empty()) {
    const uint32_t list = free_lists_.back();
    free_lists_.pop_back();
    return list;
  }
  lists_.emplace_back();
  return static_cast<uint32_t>(lists_.size() - 1);
}

void PairTable::Add(uint32_t key, uint32_t record, uint32_t offset) {
  if ((used_ + 1) * 5 > slots_.size() * 4) Reserve(2 * (used_ + 1));
  const size_t mask = slots_.size() - 1;
  size_t i = Home(key);
  while (slots_[i].first != kNone && slots_[i].key != key) i = (i + 1) & mask;
  Slot& s = slots_[i];
  if (s.first == kNone) {
    s = Slot{key, record, offset, kNone};
    ++used_;
    return;
  }
  if (s.first == record) return;
  if (s.list == kNone) {
    s.list = NewList();
    lists_[s.list].Insert(s.first);
  }
  lists_[s.list].Insert(record);
  if (record < s.first) {
    s.first = record;
    s.first_offset = offset;
  }
}

void PairTable::Remove(uint32_t key, uint32_t record,
                       const std::vector<IndexEntry>& entries) {
  const size_t i = FindIndex(key);
  if (i == kNone) return;
  Slot& s = slots_[i];
  if (s.list == kNone) {
    if (s.first == record) EraseSlot(i);
    return;
  }
  RecordList& list = lists_[s.list];
  list.Erase(record);
  if (list.size() == 0) {
    free_lists_.push_back(s.list);
    EraseSlot(i);
    return;
  }
  s.first = list.Nth(0);
  s.first_offset = entries[s.first].offset;
  if (list.size() == 1) {  // back to a single record: no list needed
    list.Clear();
    free_lists_.push_back(s.list);
    s.list = kNone;
  }
}

void PairTable::EraseSlot(size_t index) {
  // Backward-shift deletion keeps every probe chain unbroken.
  const size_t mask = slots_.size() - 1;
  size_t hole = index;
  for (size_t j = (hole + 1) & mask; slots_[j].first != kNone;
       j = (j + 1) & mask) {
    const size_t home = Home(slots_[j].key);
    // Slot j may move into the hole unless its home lies cyclically in
    // (hole, j].
    const bool stays = hole <= j ? (home > hole && home <= j)
                                 : (home > hole || home <= j);
    if (!stays) {
      slots_[hole] = slots_[j];
      hole = j;
    }
  }
  slots_[hole] = Slot{0, kNone, 0, kNone};
  --used_;
}

void PairTable::Clear() {
  slots_.clear();
  lists_.clear();
  free_lists_.clear();
  used_ = 0;
  shift_ = 64;
}

// ---------------------------------------------------------------------------
// KeyIndex

IndexEntry* KeyIndex::PrepareLoad(uint32_t n) {
  Clear();
  entries_.resize(n);
  return entries_.data();
}

void KeyIndex::Append(int16_t key1, int16_t key2, uint32_t offset) {
  entries_.push_back({key1, key2, offset});
  AddToMaps(size() - 1, entries_.back());
}

void KeyIndex::RemoveLast() {
  if (entries_.empty()) return;
  const IndexEntry last = entries_.back();
  RemoveFromMaps(size() - 1, last);
  entries_.pop_back();
}

void KeyIndex::SetKeys(uint32_t record, int16_t key1, int16_t key2) {
  const IndexEntry old = entries_[record];
  entries_[record].key1 = key1;
  entries_[record].key2 = key2;
  RemoveFromMaps(record, old);
  AddToMaps(record, entries_[record]);
}

void KeyIndex::Clear() {
  entries_.clear();
  by_pair_.Clear();
  by_key1_.clear();
  by_key2_.clear();
  pair_map_built_ = false;
  single_maps_built_ = false;
}

void KeyIndex::AddToMaps(uint32_t record, const IndexEntry& e) {
  if (pair_map_built_) by_pair_.Add(PairKey(e.key1, e.key2), record, e.offset);
  if (single_maps_built_) {
    by_key1_[e.key1].Insert(record);
    by_key2_[e.key2].Insert(record);
  }
}

void KeyIndex::RemoveFromMaps(uint32_t record, const IndexEntry& e) {
  if (pair_map_built_)
    by_pair_.Remove(PairKey(e.key1, e.key2), record, entries_);
  if (single_maps_built_) {
    auto erase = [record](auto& map, int16_t key) {
      auto it = map.find(key);
      if (it == map.end()) return;
      it->second.Erase(record);
      if (it->second.size() == 0) map.erase(it);
    };
    erase(by_key1_, e.key1);
    erase(by_key2_, e.key2);
  }
}

void KeyIndex::BuildPairMap() {
  by_pair_.Reserve(entries_.size());
  for (uint32_t r = 0; r < size(); ++r) {
    const IndexEntry& e = entries_[r];
    by_pair_.Add(PairKey(e.key1, e.key2), r, e.offset);
  }
  pair_map_built_ = true;
}

void KeyIndex::BuildSingleKeyMaps() {
  for (uint32_t r = 0; r < size(); ++r) {
    by_key1_[entries_[r].key1].Insert(r);
    by_key2_[entries_[r].key2].Insert(r);
  }
  single_maps_built_ = true;
}

const RecordList* KeyIndex::SingleKeyList(int16_t key1, int16_t key2) {
  if (!single_maps_built_) BuildSingleKeyMaps();
  auto& map = key1 == kWildcard ? by_key2_ : by_key1_;
  auto it = map.find(key1 == kWildcard ? key2 : key1);
  return it == map.end() ? nullptr : &it->second;
}

uint32_t KeyIndex::FindFrom(uint32_t from, int16_t key1, int16_t key2,
                            IndexEntry* found) {
  if (from >= size()) return kNone;
  uint32_t r = kNone;
  if (key1 == kWildcard && key2 == kWildcard) {
    r = from;
  } else if (key1 == kWildcard || key2 == kWildcard) {
    const RecordList* list = SingleKeyList(key1, key2);
    if (list) r = list->FirstAtOrAfter(from);
  } else {
    if (!pair_map_built_) BuildPairMap();
    const PairTable::Slot* slot = by_pair_.Find(PairKey(key1, key2));
    if (!slot) return kNone;
    if (slot->first >= from) {
      *found = {key1, key2, slot->first_offset};
      return slot->first;
    }
    const RecordList* list = by_pair_.ListOf(*slot);
    if (list) r = list->FirstAtOrAfter(from);
  }
  if (r != kNone) *found = entries_[r];
  return r;
}

uint32_t KeyIndex::FindNth(uint32_t n, int16_t key1, int16_t key2,
                           IndexEntry* found) {
  uint32_t r = kNone;
  if (key1 == kWildcard && key2 == kWildcard) {
    if (n < size()) r = n;
  } else if (key1 == kWildcard || key2 == kWildcard) {
    const RecordList* list = SingleKeyList(key1, key2);
    if (list && n < list->size()) r = list->Nth(n);
  } else {
    if (!pair_map_built_) BuildPairMap();
    const PairTable::Slot* slot = by_pair_.Find(PairKey(key1, key2));
    if (!slot) return kNone;
    if (n == 0) {
      *found = {key1, key2, slot->first_offset};
      return slot->first;
    }
    const RecordList* list = by_pair_.ListOf(*slot);
    if (list && n < list->size()) r = list->Nth(n);
  }
  if (r != kNone) *found = entries_[r];
  return r;
}

}  // namespace zb::recordstore

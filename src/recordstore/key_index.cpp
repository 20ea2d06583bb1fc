#include "recordstore/key_index.h"

#include <algorithm>

#include "recordstore/record_format.h"

namespace zb::recordstore {

void RecordList::Insert(uint32_t record) {
  if (size() == 0 || items_.back() < record) {
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
      items_.clear();
      head_ = 0;
    } else if (head_ > 64 && head_ * 2 > items_.size()) {
      items_.erase(items_.begin(), items_.begin() + head_);
      head_ = 0;
    }
    return;
  }
  items_.erase(it);
}

uint32_t RecordList::FirstAtOrAfter(uint32_t from) const {
  auto it = std::lower_bound(items_.begin() + head_, items_.end(), from);
  return it == items_.end() ? kNone : *it;
}

void KeyIndex::Append(int16_t key1, int16_t key2, uint32_t offset) {
  entries_.push_back({key1, key2, offset});
  if (maps_built_) AddToMaps(size() - 1, entries_.back());
}

void KeyIndex::RemoveLast() {
  if (entries_.empty()) return;
  if (maps_built_) RemoveFromMaps(size() - 1, entries_.back());
  entries_.pop_back();
}

void KeyIndex::SetKeys(uint32_t record, int16_t key1, int16_t key2) {
  IndexEntry& e = entries_[record];
  if (maps_built_) RemoveFromMaps(record, e);
  e.key1 = key1;
  e.key2 = key2;
  if (maps_built_) AddToMaps(record, e);
}

void KeyIndex::Clear() {
  entries_.clear();
  by_pair_.clear();
  by_key1_.clear();
  by_key2_.clear();
  maps_built_ = false;
}

void KeyIndex::AddToMaps(uint32_t record, const IndexEntry& e) {
  by_pair_[PairKey(e.key1, e.key2)].Insert(record);
  by_key1_[e.key1].Insert(record);
  by_key2_[e.key2].Insert(record);
}

void KeyIndex::RemoveFromMaps(uint32_t record, const IndexEntry& e) {
  auto erase = [record](auto& map, auto key) {
    auto it = map.find(key);
    if (it == map.end()) return;
    it->second.Erase(record);
    if (it->second.size() == 0) map.erase(it);
  };
  erase(by_pair_, PairKey(e.key1, e.key2));
  erase(by_key1_, e.key1);
  erase(by_key2_, e.key2);
}

void KeyIndex::BuildMaps() {
  by_pair_.reserve(entries_.size() / 4 + 16);
  for (uint32_t r = 0; r < size(); ++r) AddToMaps(r, entries_[r]);
  maps_built_ = true;
}

const RecordList* KeyIndex::ListFor(int16_t key1, int16_t key2) {
  if (!maps_built_) BuildMaps();
  if (key1 == kWildcard) {
    auto it = by_key2_.find(key2);
    return it == by_key2_.end() ? nullptr : &it->second;
  }
  if (key2 == kWildcard) {
    auto it = by_key1_.find(key1);
    return it == by_key1_.end() ? nullptr : &it->second;
  }
  auto it = by_pair_.find(PairKey(key1, key2));
  return it == by_pair_.end() ? nullptr : &it->second;
}

uint32_t KeyIndex::FindFrom(uint32_t from, int16_t key1, int16_t key2) {
  if (from >= size()) return kNone;
  if (key1 == kWildcard && key2 == kWildcard) return from;
  const RecordList* list = ListFor(key1, key2);
  return list ? list->FirstAtOrAfter(from) : kNone;
}

uint32_t KeyIndex::FindNth(uint32_t n, int16_t key1, int16_t key2) {
  if (key1 == kWildcard && key2 == kWildcard) return n < size() ? n : kNone;
  const RecordList* list = ListFor(key1, key2);
  return list && n < list->size() ? list->Nth(n) : kNone;
}

}  // namespace zb::recordstore

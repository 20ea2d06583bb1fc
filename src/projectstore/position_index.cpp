#include "projectstore/position_index.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "projectstore/positions.h"
#include "projectstore/store.h"
#include "recordstore/typed_records.h"
#include "recordstore/engine.h"

namespace zb::projectstore {

using recordstore::Engine;
using recordstore::IndexEntry;
using recordstore::KeyIndex;
using recordstore::PosInfoExt;

namespace {

using recordstore::FieldText;

struct Entry {
  PosInfoNames names;
  uint32_t record = KeyIndex::kNone;  // the engine's record number
  bool present = true;  // false: an unreadable occurrence 0, skipped
};

struct ProgramIndex {
  // Which open file this describes, and how far the engine's index had
  // grown when it was last brought up to date.
  uint64_t open_serial = 0;
  uint32_t records = 0;
  uint32_t end_of_data = 0;

  std::vector<Entry> entries;  // by occurrence
  std::unordered_map<std::string, std::vector<uint32_t>> by_search;
  std::unordered_map<std::string, uint32_t> shorts;
  std::vector<uint32_t> empties;  // occurrences an empty name finds

  void Add(uint32_t occurrence) {
    const Entry& e = entries[occurrence];
    if (!e.present) return;
    std::vector<uint32_t>& list = by_search[e.names.search];
    list.insert(std::upper_bound(list.begin(), list.end(), occurrence),
                occurrence);
    ++shorts[e.names.short_name];
    if (e.names.empty_match)
      empties.insert(
          std::upper_bound(empties.begin(), empties.end(), occurrence),
          occurrence);
  }
  void Remove(uint32_t occurrence) {
    const Entry& e = entries[occurrence];
    if (!e.present) return;
    auto it = by_search.find(e.names.search);
    if (it != by_search.end()) {
      auto& list = it->second;
      list.erase(std::remove(list.begin(), list.end(), occurrence), list.end());
      if (list.empty()) by_search.erase(it);
    }
    auto s = shorts.find(e.names.short_name);
    if (s != shorts.end() && --s->second == 0) shorts.erase(s);
    empties.erase(std::remove(empties.begin(), empties.end(), occurrence),
                  empties.end());
  }
  void Reindex() {
    by_search.clear();
    shorts.clear();
    empties.clear();
    for (uint32_t i = 0; i < entries.size(); ++i) Add(i);
  }
};

bool IsPosInfoOf(const IndexEntry& e, int16_t program) {
  return e.key1 == kKeyPosInfo &&
         (program == kAllPrograms || e.key2 == program);
}

uint32_t Key(int h, int16_t program) {
  return (static_cast<uint32_t>(h) << 16) | static_cast<uint16_t>(program);
}

}  // namespace

struct PositionIndexes::Map : std::unordered_map<uint32_t, ProgramIndex> {};
PositionIndexes::PositionIndexes() : map_(std::make_unique<Map>()) {}
PositionIndexes::~PositionIndexes() = default;

namespace {

uint32_t NthRecord(recordstore::Slot& slot, int16_t program, uint32_t n) {
  IndexEntry found{};
  return slot.index.FindNth(n, kKeyPosInfo, program, &found);
}

// Reads the program's POSINFO records as a search walks them: from
// occurrence 0, or from 1 when 0 cannot be read, up to the first that
// cannot be read.
ProgramIndex Build(Store& store, int h, recordstore::Slot& slot,
                   int16_t program) {
  ProgramIndex index;
  index.open_serial = slot.open_serial;
  PosInfoExt info{};
  uint32_t n = 0;
  int32_t size = ReadStoredPosInfo(store, h, program, n, &info);
  if (size < 0) {
    size = ReadStoredPosInfo(store, h, program, n = 1, &info);
    if (size >= 0) {
      Entry skipped;
      skipped.present = false;
      skipped.record = NthRecord(slot, program, 0);
      index.entries.push_back(skipped);
    }
  }
  for (; size >= 0; size = ReadStoredPosInfo(store, h, program, ++n, &info))
    index.entries.push_back(
        {NamesOf(info, size), NthRecord(slot, program, n), true});
  index.records = slot.index.size();
  index.end_of_data = slot.end_of_data;
  index.Reindex();
  return index;
}

// Brings the index up to date with the engine's view of the file; false
// when it no longer describes it and must be built anew.
bool CatchUp(Store& store, int h, recordstore::Slot& slot, int16_t program,
             ProgramIndex& index) {
  if (index.open_serial != slot.open_serial) return false;
  const uint32_t records = slot.index.size();
  if (records < index.records || slot.end_of_data < index.end_of_data ||
      (records == index.records && slot.end_of_data != index.end_of_data))
    return false;
  // Records appended since: the POSINFOs among them join at the end.
  for (uint32_t r = index.records; r < records; ++r) {
    if (!IsPosInfoOf(slot.index.at(r), program)) continue;
    const uint32_t occurrence = static_cast<uint32_t>(index.entries.size());
    if (NthRecord(slot, program, occurrence) != r) return false;
    PosInfoExt info{};
    const int32_t size =
        ReadStoredPosInfo(store, h, program, occurrence, &info);
    if (size < 0) return false;
    index.entries.push_back({NamesOf(info, size), r, true});
    index.Add(occurrence);
  }
  index.records = records;
  index.end_of_data = slot.end_of_data;
  // A POSINFO deleted or undeleted behind our back changes the count.
  const uint32_t count = static_cast<uint32_t>(index.entries.size());
  if (count > 0 &&
      NthRecord(slot, program, count - 1) != index.entries.back().record)
    return false;
  return NthRecord(slot, program, count) == KeyIndex::kNone;
}

ProgramIndex* Current(Store& store, int h, int16_t program) {
  recordstore::Slot* slot = store.engine().OpenSlot(h);
  if (!slot || h <= 0) {
    ForgetPositionIndex(store, h);
    return nullptr;
  }
  auto& indexes = store.position_indexes.map();
  const uint32_t key = Key(h, program);
  auto it = indexes.find(key);
  if (it != indexes.end() && CatchUp(store, h, *slot, program, it->second))
    return &it->second;
  ProgramIndex& index = indexes[key];
  index = Build(store, h, *slot, program);
  return &index;
}

// The index of h and program when one is kept; the all-programs index of
// h is dropped, since its occurrences mix every program's.
ProgramIndex* Kept(Store& store, int h, int16_t program) {
  if (program == kAllPrograms) {
    ForgetPositionIndex(store, h);
    return nullptr;
  }
  store.position_indexes.map().erase(Key(h, kAllPrograms));
  auto it = store.position_indexes.map().find(Key(h, program));
  return it == store.position_indexes.map().end() ? nullptr : &it->second;
}

}  // namespace

PosInfoNames NamesOf(const PosInfoExt& info, int32_t stored_size) {
  const std::string short_text = FieldText(info.PosName);
  const std::string long_text =
      FieldText(info.PosNameLong);
  // A name that is not empty meets the long name of an extended record;
  // an empty one (and any name on a short record) meets the short name,
  // or the long name where the short one is empty.
  const std::string fallback =
      PositionCompareName(short_text.empty() ? long_text : short_text);
  PosInfoNames names;
  names.search = stored_size >= recordstore::kPosInfoExtFileSize
                     ? PositionCompareName(long_text)
                     : fallback;
  names.empty_match = fallback.empty();
  names.short_name = PositionCompareName(short_text);
  return names;
}

int32_t IndexedFind(Store& store, int h, int16_t program,
                    const std::string& wanted) {
  const ProgramIndex* index = Current(store, h, program);
  if (!index) return -1;
  if (wanted.empty())
    return index->empties.empty() ? -1
                                  : static_cast<int32_t>(index->empties[0]);
  auto it = index->by_search.find(wanted);
  return it == index->by_search.end() ? -1
                                      : static_cast<int32_t>(it->second[0]);
}

bool IndexedShortNameTaken(Store& store, int h, int16_t program,
                           const std::string& wanted) {
  const ProgramIndex* index = Current(store, h, program);
  return index && index->shorts.count(wanted) > 0;
}

int32_t IndexedCount(Store& store, int h, int16_t program) {
  const ProgramIndex* index = Current(store, h, program);
  return index ? static_cast<int32_t>(index->entries.size()) : -1;
}

void PositionIndexRewritten(Store& store, int h, int16_t program,
                            uint32_t occurrence, const PosInfoExt& info,
                            int32_t stored_size) {
  ProgramIndex* index = Kept(store, h, program);
  if (!index || occurrence >= index->entries.size()) return;
  index->Remove(occurrence);
  index->entries[occurrence].names = NamesOf(info, stored_size);
  index->entries[occurrence].present = true;
  index->Add(occurrence);
}

void PositionIndexDeleted(Store& store, int h, int16_t program,
                          uint32_t occurrence) {
  ProgramIndex* index = Kept(store, h, program);
  if (!index || occurrence >= index->entries.size()) return;
  index->entries.erase(index->entries.begin() + occurrence);
  index->Reindex();
}

void ForgetPositionIndex(Store& store, int h) {
  auto& indexes = store.position_indexes.map();
  for (auto it = indexes.begin(); it != indexes.end();)
    it = (it->first >> 16) == static_cast<uint32_t>(h) ? indexes.erase(it)
                                                        : std::next(it);
}

}  // namespace zb::projectstore

// Overwrite passes: saving a set of records again without growing the file.
// Starting a pass deletes ("releases") every record of a key pair; each
// record then written within the pass takes the place of the first released
// record of exactly its size, and is appended only when there is none.
// One pass exists per process; it is not tied to a handle.
#ifndef ZBDB_RECORDSTORE_OVERWRITE_PASS_H_
#define ZBDB_RECORDSTORE_OVERWRITE_PASS_H_

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace zb::recordstore {

class Engine;

class OverwritePass {
 public:
  explicit OverwritePass(Engine& engine) : engine_(engine) {}
  OverwritePass(const OverwritePass&) = delete;
  OverwritePass& operator=(const OverwritePass&) = delete;

  // DBStartOverWrite: the result of the last delete attempt (-1 when the
  // search ran out, 0 when it stopped at a record that cannot be deleted).
  int32_t Start(int h, int16_t k1, int16_t k2);
  // The position transfer's form: makes room for `expected` records first
  // and returns the number of records released.
  int32_t StartExpecting(int h, int16_t k1, int16_t k2, uint32_t expected);
  // DBOverWrite: 1 when a released place was reused, 0 when appended.
  int32_t Write(int h, int16_t k1, int16_t k2, int16_t size, const void* data);
  // DBEndOverWrite: the released bytes not reused; empties the list.
  uint32_t End();

  uint32_t released_bytes() const { return released_bytes_; }
  uint32_t released_count() const { return released_count_; }

 private:
  struct Released {
    uint32_t record;
    int16_t size;  // 0 once reused
  };
  int32_t Release(int h, int16_t k1, int16_t k2);

  Engine& engine_;
  std::vector<Released> released_;
  // Released places by size, in list order, with the next unused one first.
  std::unordered_map<int16_t, std::vector<uint32_t>> by_size_;
  std::unordered_map<int16_t, size_t> next_of_size_;
  uint32_t released_bytes_ = 0;
  uint32_t released_count_ = 0;
};

}  // namespace zb::recordstore

#endif  // ZBDB_RECORDSTORE_OVERWRITE_PASS_H_

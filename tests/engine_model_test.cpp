// A randomized test of the record engine against a reference model: random
// calls on a few handles and three files, comparing every result, every
// byte of the caller's buffer (delivered bytes and untouched ones), the
// record count, the keys found last, and each file's bytes after its close.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <random>
#include <sstream>

#include "support/record_fixture.h"

namespace zbtest {
namespace {

constexpr int16_t kAny = DB_WILDCARD;

struct Slot {
  int file = -1;  // -1 while the slot is free
  bool read_only = false;
  int16_t key1 = 0, key2 = 0, size = 0;  // what the Next forms continue with
  uint32_t cursor = 0;
  bool rest_known = true;  // the unread rest of the record read last
  int32_t rest = 0, rest_pos = 0;
  uint32_t rest_record = 0;
};

class Model {
 public:
  std::vector<RecordImage> records[3];  // key1 negative while deleted
  Bytes header[3] = {Bytes(450, 0), Bytes(450, 0), Bytes(450, 0)};
  bool exists[3] = {};
  Slot slots[10];
  int16_t found1 = 0, found2 = 0;

  Slot* Get(int h) {
    return h >= 0 && h <= 9 && slots[h].file >= 0 ? &slots[h] : nullptr;
  }
  std::vector<RecordImage>& Recs(const Slot& s) { return records[s.file]; }

  int32_t Open(int f, bool read_only) {
    if (read_only && !exists[f]) return DB_EOF;
    int h = 1;
    while (slots[h].file >= 0) ++h;  // three files: never more than 3 slots
    slots[h] = Slot{f, read_only};
    exists[f] = true;
    return h;
  }

  // The nth match from record `from` on: its number, or -1 with the cursor
  // at the end.
  int64_t Find(Slot& s, int16_t k1, int16_t k2, uint32_t from, uint32_t nth) {
    auto& recs = Recs(s);
    for (uint32_t r = from; r < recs.size(); ++r) {
      if ((k1 != kAny && recs[r].key1 != k1) ||
          (k2 != kAny && recs[r].key2 != k2) || nth-- > 0)
        continue;
      s.cursor = r;
      found1 = recs[r].key1;
      found2 = recs[r].key2;
      return r;
    }
    s.cursor = static_cast<uint32_t>(recs.size());
    return -1;
  }
  int64_t FindNext(Slot& s) { return Find(s, s.key1, s.key2, s.cursor, 0); }

  // Begins a keyed call on a writable slot; nullptr when refused.
  Slot* Keyed(int h, int16_t k1, int16_t k2, bool write) {
    Slot* s = Get(h);
    if (!s || (write && s->read_only)) return nullptr;
    s->key1 = k1;
    s->key2 = k2;
    s->rest_known = !write;
    s->rest = 0;
    return s;
  }

  int32_t Deliver(Slot& s, uint32_t r, int32_t size, Bytes* out) {
    const Bytes& data = Recs(s)[r].data;
    s.cursor = r + 1;
    const size_t m = std::min(data.size(), size_t(std::max(size, 0)));
    std::copy_n(data.begin(), m, out->begin());
    s.rest_known = true;
    s.rest = int32_t(data.size() - m);
    s.rest_record = r;
    s.rest_pos = int32_t(m);
    return int32_t(m);
  }

  int32_t Read(int h, int16_t k1, int16_t k2, int32_t n, int16_t size,
               Bytes* out) {
    Slot* s = Keyed(h, k1, k2, false);
    if (!s) return DB_EOF;
    s->size = size;
    const int64_t r = Find(*s, k1, k2, 0, n < 0 ? 0u : uint32_t(n));
    return r < 0 ? DB_EOF : Deliver(*s, uint32_t(r), size, out);
  }

  int32_t ReadNext(int h, Bytes* out) {
    Slot* s = Get(h);
    if (!s) return DB_EOF;
    const int64_t r = FindNext(*s);
    if (r >= 0) return Deliver(*s, uint32_t(r), s->size, out);
    s->rest_known = false;
    return DB_EOF;
  }

  int32_t ReadRest(int h, int16_t size, Bytes* out) {
    Slot* s = Get(h);
    const int32_t m = s ? std::min<int32_t>(size, s->rest) : 0;
    if (m <= 0) return 0;
    const Bytes& data = Recs(*s)[s->rest_record].data;
    std::copy(data.begin() + s->rest_pos, data.begin() + s->rest_pos + m,
              out->begin());
    s->rest -= m;
    s->rest_pos += m;
    return m;
  }

  // The checks of a writing call in their order: the handle's range, the
  // size, then whether the slot is open and writable.
  Slot* Writing(int h, int16_t k1, int16_t k2, int16_t size, int32_t* error) {
    const bool bad_size =
        h >= 0 && h <= 9 && (size < 1 || size > DB_MAX_RECORD);
    *error = bad_size ? DB_RECLEN_OVERFLOW : DB_EOF;
    Slot* s = h < 0 || h > 9 || bad_size ? nullptr : Keyed(h, k1, k2, true);
    if (s) s->size = size;
    return s;
  }

  int32_t Append(int h, int16_t k1, int16_t k2, int16_t size,
                 const Bytes& data) {
    int32_t error;
    Slot* s = Writing(h, k1, k2, size, &error);
    if (!s) return error;
    Recs(*s).push_back({k1, k2, Bytes(data.begin(), data.begin() + size)});
    s->cursor = uint32_t(Recs(*s).size());
    return size;
  }

  int32_t Overwrite(Slot& s, uint32_t r, int32_t size, const Bytes& data) {
    Bytes& target = Recs(s)[r].data;
    s.cursor = r + 1;
    const size_t m = std::min(target.size(), size_t(std::max(size, 0)));
    std::copy_n(data.begin(), m, target.begin());
    return int32_t(m);
  }

  int32_t WriteFar(int h, int16_t k1, int16_t k2, uint32_t n, int16_t size,
                   const Bytes& data, bool append_if_none) {
    int32_t error;
    Slot* s = Writing(h, k1, k2, size, &error);
    if (!s) return error;
    const int64_t r = Find(*s, k1, k2, 0, n);
    int32_t result = r < 0 ? DB_EOF : Overwrite(*s, uint32_t(r), size, data);
    if (append_if_none && result < 1) result = Append(h, k1, k2, size, data);
    return result;
  }

  int32_t WriteNext(int h, const Bytes& data) {
    Slot* s = Get(h);
    if (!s || s->read_only) return DB_EOF;
    s->rest_known = false;
    const int64_t r = FindNext(*s);
    if (r >= 0) return Overwrite(*s, uint32_t(r), s->size, data);
    return Append(h, s->key1, s->key2, s->size, data);
  }

  int32_t Flip(Slot& s, int64_t r, bool undelete) {
    if (r < 0) return DB_EOF;
    RecordImage& rec = Recs(s)[r];
    s.cursor = uint32_t(r) + 1;
    if (undelete ? rec.key1 >= 0 : rec.key1 <= 0) return 0;
    rec.key1 = int16_t(-rec.key1);
    return int32_t(rec.data.size());
  }

  // Undelete searches by the negated Key1.
  int32_t Delete(int h, int16_t k1, int16_t k2, uint32_t n, bool undelete) {
    Slot* s = Keyed(h, undelete ? int16_t(-k1) : k1, k2, true);
    if (!s) return DB_EOF;
    return Flip(*s, Find(*s, s->key1, k2, 0, n), undelete);
  }

  int32_t FlipNext(int h, bool undelete) {
    Slot* s = Get(h);
    if (!s || s->read_only) return DB_EOF;
    s->rest_known = false;
    return Flip(*s, FindNext(*s), undelete);
  }

  void ChangeKeys(int h, int16_t k1, int16_t k2, int16_t n1, int16_t n2) {
    Slot* s = Keyed(h, k1, k2, true);
    if (!s) return;
    s->cursor = 0;
    for (int64_t r; (r = FindNext(*s)) >= 0; s->cursor = uint32_t(r) + 1) {
      Recs(*s)[r].key1 = n1;
      Recs(*s)[r].key2 = n2;
    }
  }

  // DB4_Read as the sequence of reads the caller would see.
  int32_t Read4(int h, int16_t k1, int16_t k2, int16_t k3, int16_t k4,
                int32_t n, int16_t size, Bytes* buf) {
    int32_t matches = 0;
    for (int32_t i = 0;; ++i) {
      Bytes work(64 + 6);
      const int32_t r = Read(h, k1, k2, i, int16_t(size + 6), &work);
      if (r < 1) return r;
      if (GetI16(work, 0) == k3 && GetI16(work, 2) == k4 &&
          ++matches == std::max(n, 1)) {
        if (r <= size + 4 && r > 8)
          std::copy(work.begin() + 4, work.begin() + r, buf->begin());
        return r;
      }
    }
  }
};

using EngineModelTest = RecordStoreTest;

TEST_F(EngineModelTest, RandomCallSequencesAgreeWithTheModel) {
  const char* other_seed = std::getenv("ZBDB_MODEL_SEED");  // to try others
  const uint32_t seed =
      other_seed ? uint32_t(std::strtoul(other_seed, nullptr, 10)) : 20240611u;
  SCOPED_TRACE("engine model seed " + std::to_string(seed));
  std::mt19937 rng(seed);
  auto pick = [&rng](int lo, int hi) {
    return std::uniform_int_distribution<int>(lo, hi)(rng);
  };
  std::string paths[3];
  for (int i = 0; i < 3; ++i)
    paths[i] = ToLowerAscii(Path("model" + std::to_string(i) + ".pro"));
  Model model;

  std::deque<std::string> recent;  // the last calls, for a failure message
  auto history = [&recent]() {
    std::string out;
    for (const std::string& line : recent) out += "  " + line + "\n";
    return out;
  };
  int handle_of[3] = {-1, -1, -1};
  auto open_file = [&](int f, bool read_only) {
    const int32_t expected = model.Open(f, read_only);
    const int32_t got = read_only ? DBOpenReadOnly(paths[f].c_str())
                                  : DBOpen(paths[f].c_str());
    EXPECT_EQ(got, expected) << "open of file " << f << "\n" << history();
    if (got > 0 && expected > 0) handle_of[f] = got;
    if (expected < 0 && got > 0) DBClose(H(got));
  };
  auto close_file = [&](int f) {
    EXPECT_EQ(DBClose(H(handle_of[f])), DB_SUCCESS);
    model.slots[handle_of[f]] = Slot();
    handle_of[f] = -1;
    EXPECT_BYTES(ReadFileBytes(paths[f]),
                 BuildClosedFile(model.records[f], model.header[f]))
        << "file " << f << " after its close\n" << history();
  };
  for (int f = 0; f < 3; ++f) open_file(f, false);

  const int16_t key1s[] = {0, 1, 2, 3, 1, 2, -1, -2, kAny};
  const int16_t key2s[] = {1, 2, 1, 2, kAny};
  auto any_key1 = [&]() { return key1s[pick(0, 8)]; };
  auto any_key2 = [&]() { return key2s[pick(0, 4)]; };
  auto store_key1 = [&]() { return int16_t(pick(0, 3)); };
  auto store_key2 = [&]() { return int16_t(pick(1, 2)); };
  auto new_data = [&](int size) {  // padded for the sizes out of range
    Bytes d(32760, 0);
    for (int i = 0; i < std::min(size, 450); ++i) d[i] = uint8_t(pick(0, 255));
    if (size >= 4 && pick(0, 1)) {  // sub-keys for DB4_Read
      d[0] = uint8_t(pick(1, 2));
      d[1] = 0;
      d[2] = uint8_t(pick(1, 2));
      d[3] = 0;
    }
    return d;
  };

  for (int op = 0; op < 4000 && !HasFailure(); ++op) {
    const int f = pick(0, 2);
    if (handle_of[f] < 0) {
      const bool read_only = pick(0, 3) == 0;
      recent.push_back("#" + std::to_string(op) + " open file " +
                       std::to_string(f) + (read_only ? " read-only" : ""));
      open_file(f, read_only);
      continue;
    }
    const int h = pick(0, 40) == 0 ? 8 : handle_of[f];  // 8 is never open
    const int16_t hs = H(h);
    Slot* const s = model.Get(h);
    std::ostringstream line;
    line << "#" << op << " h=" << h << " ";
    auto call = [&line](const char* name, std::initializer_list<long> args) {
      line << name << "(";
      for (const long& a : args) line << a << (&a == args.end() - 1 ? "" : ",");
      line << ")";
    };
    int32_t expected = 0, got = 0;
    Bytes have(64, 0xCD), want(64, 0xCD);
    switch (pick(0, 21)) {
      case 0:
      case 1:
      case 2: {  // keyed read
        const int16_t k1 = any_key1(), k2 = any_key2();
        const int32_t n = pick(-1, 4);
        const int16_t size = int16_t(pick(0, 50));
        const bool far = n >= 0 && pick(0, 1);
        call(far ? "DBReadFar" : "DBRead", {k1, k2, n, size});
        got = far ? DBReadFar(hs, k1, k2, uint32_t(n), size, have.data())
                  : DBRead(hs, k1, k2, n, size, have.data());
        expected = model.Read(h, k1, k2, n, size, &want);
        break;
      }
      case 3:
      case 4:
        call("DBReadNext", {});
        got = DBReadNext(hs, have.data());
        expected = model.ReadNext(h, &want);
        break;
      case 5: {
        if (s && !s->rest_known) continue;
        const int16_t size = int16_t(pick(1, 30));
        call("DBReadRest", {size});
        got = DBReadRest(hs, size, have.data());
        expected = model.ReadRest(h, size, &want);
        break;
      }
      case 6:
      case 7:
      case 8: {  // append, sometimes with a size out of range
        const int16_t k1 = store_key1(), k2 = store_key2();
        int16_t size = int16_t(pick(4, 40));
        if (pick(0, 30) == 0) size = pick(0, 1) ? 0 : 32760;
        const Bytes data = new_data(std::min<int>(size, 40));
        call("DBWrite", {k1, k2, -1, size});
        got = DBWrite(hs, k1, k2, -1, size, data.data());
        expected = model.Append(h, k1, k2, size, data);
        break;
      }
      case 9: {  // overwrite in place
        const int16_t k1 = any_key1(), k2 = any_key2();
        const int32_t n = pick(0, 3);
        const int16_t size = int16_t(pick(1, 50));
        const Bytes data = new_data(size);
        const bool far = pick(0, 1);
        call(far ? "DBWriteFar" : "DBWrite", {k1, k2, n, size});
        got = far ? DBWriteFar(hs, k1, k2, uint32_t(n), size, data.data())
                  : DBWrite(hs, k1, k2, n, size, data.data());
        expected = model.WriteFar(h, k1, k2, uint32_t(n), size, data, false);
        break;
      }
      case 10:
      case 11: {  // write-add
        const int16_t k1 = store_key1(), k2 = store_key2();
        const int32_t n = pick(-2, 3);
        const int16_t size = int16_t(pick(4, 40));
        const Bytes data = new_data(size);
        const bool far = n >= 0 && pick(0, 1);
        call(far ? "DBWriteAddFar" : "DBWriteAdd", {k1, k2, n, size});
        got = far ? DBWriteAddFar(hs, k1, k2, uint32_t(n), size, data.data())
                  : DBWriteAdd(hs, k1, k2, n, size, data.data());
        expected = n == -1  ? model.Append(h, k1, k2, size, data)
                   : n < -1 ? DB_EOF
                            : model.WriteFar(h, k1, k2, uint32_t(n), size,
                                             data, true);
        break;
      }
      case 12: {  // write-next, with keys and a size that may be stored
        if (s && (s->key1 == kAny || s->key2 == kAny || s->size < 4 ||
                  s->size > 50)) continue;
        const Bytes data = new_data(50);
        call("DBWriteNext", {});
        got = DBWriteNext(hs, data.data());
        expected = model.WriteNext(h, data);
        break;
      }
      case 13:
      case 14:
      case 16: {  // delete; undelete by the former positive Key1
        const bool un = pick(0, 2) == 0;
        const int16_t k1 = un ? store_key1() : any_key1(), k2 = any_key2();
        const int32_t n = un ? pick(0, 3) : pick(-1, 3);
        const bool far = pick(0, 1);
        call(un ? (far ? "DBUnDelFar" : "DBUnDel")
                : (far ? "DBDelFar" : "DBDel"), {k1, k2, n});
        const uint32_t u = uint32_t(n);
        if (un)
          got = far ? DBUnDelFar(hs, k1, k2, u) : DBUnDel(hs, k1, k2, n);
        else
          got = far ? DBDelFar(hs, k1, k2, u) : DBDel(hs, k1, k2, n);
        expected = model.Delete(h, k1, k2, uint32_t(n), un);
        break;
      }
      case 15:
      case 17: {
        const bool un = pick(0, 1);
        call(un ? "DBUnDelNext" : "DBDelNext", {});
        got = un ? DBUnDelNext(hs) : DBDelNext(hs);
        expected = model.FlipNext(h, un);
        break;
      }
      case 18: {
        if (pick(0, 3) != 0) continue;  // rarer than the others
        const int16_t k1 = any_key1(), k2 = any_key2();
        const int16_t n1 = store_key1(), n2 = store_key2();
        call("DBChangeKeys", {k1, k2, n1, n2});
        DBChangeKeys(hs, k1, k2, n1, n2);
        model.ChangeKeys(h, k1, k2, n1, n2);
        break;
      }
      case 19: {
        const int16_t k1 = any_key1(), k2 = any_key2();
        const int16_t k3 = int16_t(pick(1, 2)), k4 = int16_t(pick(1, 2));
        const int32_t n = pick(0, 3);
        const int16_t size = int16_t(pick(0, 40));
        call("DB4_Read", {k1, k2, k3, k4, n, size});
        got = DB4_Read(hs, k1, k2, k3, k4, n, size, have.data());
        expected = model.Read4(h, k1, k2, k3, k4, n, size, &want);
        break;
      }
      case 20: {  // the user header; refused on a read-only handle
        if (!s) continue;
        const int32_t offset = pick(0, 449);
        const int32_t length = pick(1, 450 - offset);
        call("DBWriteBin+DBReadBin", {offset, length});
        const Bytes data = new_data(length);
        got = DBWriteBin(hs, offset, length, data.data());
        expected = s->read_only ? got : length;
        if (!s->read_only)
          std::copy(data.begin(), data.begin() + length,
                    model.header[s->file].begin() + offset);
        have.assign(450, 0);
        EXPECT_EQ(DBReadBin(hs, 0, 450, have.data()), 450);
        want = model.header[s->file];
        break;
      }
      case 21:
        recent.push_back(line.str() + "DBClose");
        if (h != handle_of[f])
          EXPECT_EQ(DBClose(hs), DB_EOF);
        else
          close_file(f);
        continue;
    }
    recent.push_back(line.str());
    if (recent.size() > 25) recent.pop_front();
    const std::string after = "after " + line.str() + "\n" + history();
    ASSERT_EQ(got, expected) << "result " << after;
    ASSERT_EQ(have, want) << "buffer " << after;
    if (s) {
      ASSERT_EQ(DBGetNumRecord(hs), model.Recs(*s).size()) << after;
    }
    int16_t k1 = 0, k2 = 0;
    DBGetKeys(&k1, &k2);
    ASSERT_EQ(k1, model.found1) << "found-last Key1 " << after;
    ASSERT_EQ(k2, model.found2) << "found-last Key2 " << after;
  }
  for (int f = 0; f < 3; ++f)
    if (handle_of[f] > 0) close_file(f);
}

}  // namespace
}  // namespace zbtest

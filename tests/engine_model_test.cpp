// A randomized test of the record engine against a small reference model
// written here: thousands of random calls on a few handles and files, with
// every result, every byte read, the record counts, the keys found last,
// and after every close the whole file compared with what the model says
// the file must hold.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <random>
#include <sstream>

#include "support/record_fixture.h"

namespace zbtest {
namespace {

constexpr int16_t kAny = DB_WILDCARD;

struct ModelRecord {
  int16_t key1;  // negative while deleted
  int16_t key2;
  Bytes data;
};

struct ModelFile {
  std::string path;
  bool exists = false;
  std::vector<ModelRecord> records;
  Bytes user_header = Bytes(450, 0);
};

struct ModelSlot {
  bool open = false;
  bool read_only = false;
  int file = -1;
  int16_t key1 = 0, key2 = 0;
  int16_t size = 0;
  uint32_t cursor = 0;
  // The unread rest of the record read last, while it is known.
  bool rest_known = true;
  int32_t rest = 0;
  uint32_t rest_record = 0;
  int32_t rest_pos = 0;
};

bool Matches(const ModelRecord& r, int16_t k1, int16_t k2) {
  return (k1 == kAny || r.key1 == k1) && (k2 == kAny || r.key2 == k2);
}

class EngineModel {
 public:
  explicit EngineModel(std::vector<ModelFile> files) : files_(std::move(files)) {}

  ModelSlot* Slot(int h) {
    if (h < 0 || h > 9 || !slots_[h].open) return nullptr;
    return &slots_[h];
  }
  std::vector<ModelRecord>& Records(const ModelSlot& s) {
    return files_[s.file].records;
  }
  ModelFile& File(int i) { return files_[i]; }
  int16_t found_key1() const { return found_key1_; }
  int16_t found_key2() const { return found_key2_; }

  // Returns the handle, or the expected error.
  int32_t Open(int file, bool read_only) {
    if (read_only && !files_[file].exists) return DB_EOF;
    for (int h = 1; h <= 9; ++h) {
      if (slots_[h].open) continue;
      slots_[h] = ModelSlot();
      slots_[h].open = true;
      slots_[h].read_only = read_only;
      slots_[h].file = file;
      files_[file].exists = true;
      return h;
    }
    return DB_STACKERR;
  }
  void Close(int h) { slots_[h] = ModelSlot(); }

  // Search from the cursor; the record number or -1 (cursor at N).
  int64_t SearchNext(ModelSlot& s, int16_t k1, int16_t k2) {
    auto& recs = Records(s);
    for (uint32_t r = s.cursor; r < recs.size(); ++r) {
      if (Matches(recs[r], k1, k2)) {
        s.cursor = r;
        found_key1_ = recs[r].key1;
        found_key2_ = recs[r].key2;
        return r;
      }
    }
    s.cursor = static_cast<uint32_t>(recs.size());
    return -1;
  }
  int64_t SearchNth(ModelSlot& s, int16_t k1, int16_t k2, uint32_t n) {
    auto& recs = Records(s);
    uint32_t seen = 0;
    for (uint32_t r = 0; r < recs.size(); ++r) {
      if (!Matches(recs[r], k1, k2)) continue;
      if (seen++ == n) {
        s.cursor = r;
        found_key1_ = recs[r].key1;
        found_key2_ = recs[r].key2;
        return r;
      }
    }
    s.cursor = static_cast<uint32_t>(recs.size());
    return -1;
  }

  int32_t ReadFound(ModelSlot& s, uint32_t r, int32_t size, Bytes* out) {
    const Bytes& data = Records(s)[r].data;
    s.cursor = r + 1;
    const int32_t m = std::min<int32_t>(static_cast<int32_t>(data.size()),
                                        std::max(size, 0));
    out->assign(data.begin(), data.begin() + m);
    s.rest_known = true;
    s.rest = static_cast<int32_t>(data.size()) - m;
    s.rest_record = r;
    s.rest_pos = m;
    return m;
  }

  int32_t Read(int h, int16_t k1, int16_t k2, int32_t n, int16_t size,
               Bytes* out) {
    ModelSlot* s = Slot(h);
    if (!s) return DB_EOF;
    s->key1 = k1;
    s->key2 = k2;
    s->size = size;
    s->rest_known = true;
    s->rest = 0;
    const int64_t r = SearchNth(*s, k1, k2, n < 0 ? 0u : static_cast<uint32_t>(n));
    if (r < 0) return DB_EOF;
    return ReadFound(*s, static_cast<uint32_t>(r), size, out);
  }

  int32_t ReadNext(int h, Bytes* out) {
    ModelSlot* s = Slot(h);
    if (!s) return DB_EOF;
    const int64_t r = SearchNext(*s, s->key1, s->key2);
    if (r < 0) {
      s->rest_known = false;
      return DB_EOF;
    }
    return ReadFound(*s, static_cast<uint32_t>(r), s->size, out);
  }

  int32_t ReadRest(int h, int16_t size, Bytes* out) {
    ModelSlot* s = Slot(h);
    if (!s) return 0;
    const int32_t m = std::min<int32_t>(size, s->rest);
    if (m <= 0) return 0;
    const Bytes& data = Records(*s)[s->rest_record].data;
    out->assign(data.begin() + s->rest_pos, data.begin() + s->rest_pos + m);
    s->rest -= m;
    s->rest_pos += m;
    return m;
  }

  int32_t Append(int h, int16_t k1, int16_t k2, int16_t size,
                 const Bytes& data) {
    if (h < 0 || h > 9) return DB_EOF;
    if (size < 1 || size > DB_MAX_RECORD) return DB_RECLEN_OVERFLOW;
    ModelSlot* s = Slot(h);
    if (!s || s->read_only) return DB_EOF;
    s->key1 = k1;
    s->key2 = k2;
    s->size = size;
    s->rest_known = false;
    auto& recs = Records(*s);
    recs.push_back({k1, k2, Bytes(data.begin(), data.begin() + size)});
    s->cursor = static_cast<uint32_t>(recs.size());
    return size;
  }

  int32_t OverwriteFound(ModelSlot& s, uint32_t r, int32_t size,
                         const Bytes& data) {
    Bytes& target = Records(s)[r].data;
    s.cursor = r + 1;
    const int32_t m = std::min<int32_t>(static_cast<int32_t>(target.size()),
                                        std::max(size, 0));
    std::copy(data.begin(), data.begin() + m, target.begin());
    return m;
  }

  int32_t WriteFar(int h, int16_t k1, int16_t k2, uint32_t n, int16_t size,
                   const Bytes& data, bool append_if_none) {
    if (h < 0 || h > 9) return DB_EOF;
    if (size < 1 || size > DB_MAX_RECORD) return DB_RECLEN_OVERFLOW;
    ModelSlot* s = Slot(h);
    if (!s || s->read_only) return DB_EOF;
    s->key1 = k1;
    s->key2 = k2;
    s->size = size;
    s->rest_known = false;
    const int64_t r = SearchNth(*s, k1, k2, n);
    int32_t result = r < 0 ? DB_EOF
                           : OverwriteFound(*s, static_cast<uint32_t>(r), size,
                                            data);
    if (append_if_none && result < 1) result = Append(h, k1, k2, size, data);
    return result;
  }

  int32_t WriteNext(int h, const Bytes& data) {
    ModelSlot* s = Slot(h);
    if (!s || s->read_only) return DB_EOF;
    s->rest_known = false;
    const int64_t r = SearchNext(*s, s->key1, s->key2);
    if (r >= 0) return OverwriteFound(*s, static_cast<uint32_t>(r), s->size, data);
    return Append(h, s->key1, s->key2, s->size, data);
  }

  int32_t Flip(ModelSlot& s, uint32_t r, bool undelete) {
    ModelRecord& rec = Records(s)[r];
    s.cursor = r + 1;
    if (undelete ? rec.key1 >= 0 : rec.key1 <= 0) return 0;
    rec.key1 = static_cast<int16_t>(-rec.key1);
    return static_cast<int32_t>(rec.data.size());
  }

  int32_t Delete(int h, int16_t k1, int16_t k2, uint32_t n) {
    ModelSlot* s = Slot(h);
    if (!s || s->read_only) return DB_EOF;
    s->key1 = k1;
    s->key2 = k2;
    s->rest_known = false;
    const int64_t r = SearchNth(*s, k1, k2, n);
    if (r < 0) return DB_EOF;
    return Flip(*s, static_cast<uint32_t>(r), false);
  }

  int32_t Undelete(int h, int16_t k1, int16_t k2, uint32_t n) {
    ModelSlot* s = Slot(h);
    if (!s || s->read_only) return DB_EOF;
    s->key1 = static_cast<int16_t>(-k1);
    s->key2 = k2;
    s->rest_known = false;
    const int64_t r = SearchNth(*s, s->key1, k2, n);
    if (r < 0) return DB_EOF;
    return Flip(*s, static_cast<uint32_t>(r), true);
  }

  int32_t FlipNext(int h, bool undelete) {
    ModelSlot* s = Slot(h);
    if (!s || s->read_only) return DB_EOF;
    s->rest_known = false;
    const int64_t r = SearchNext(*s, s->key1, s->key2);
    if (r < 0) return DB_EOF;
    return Flip(*s, static_cast<uint32_t>(r), undelete);
  }

  void ChangeKeys(int h, int16_t k1, int16_t k2, int16_t n1, int16_t n2) {
    ModelSlot* s = Slot(h);
    if (!s || s->read_only) return;
    s->key1 = k1;
    s->key2 = k2;
    s->rest_known = false;
    s->cursor = 0;
    auto& recs = Records(*s);
    for (;;) {
      const int64_t r = SearchNext(*s, k1, k2);
      if (r < 0) break;
      recs[r].key1 = n1;
      recs[r].key2 = n2;
      s->cursor = static_cast<uint32_t>(r) + 1;
    }
  }

  // DB4_Read as a sequence of reads, exactly as the caller would see it.
  int32_t Read4(int h, int16_t k1, int16_t k2, int16_t k3, int16_t k4,
                int32_t n, int16_t size, Bytes* buf) {
    if (n < 1) n = 1;
    int32_t matches = 0;
    for (int32_t i = 0;; ++i) {
      Bytes work;
      const int32_t r = Read(h, k1, k2, i, static_cast<int16_t>(size + 6), &work);
      if (r < 1) return r;
      if (GetI16(work, 0) == k3 && GetI16(work, 2) == k4 && ++matches == n) {
        if (r <= size + 4 && r > 8)
          std::copy(work.begin() + 4, work.begin() + r, buf->begin());
        return r;
      }
    }
  }

 private:
  std::vector<ModelFile> files_;
  ModelSlot slots_[10];
  int16_t found_key1_ = 0;
  int16_t found_key2_ = 0;
};

Bytes ExpectedFile(const ModelFile& f) {
  std::vector<RecordImage> images;
  for (const ModelRecord& r : f.records)
    images.push_back({r.key1, r.key2, r.data});
  return BuildClosedFile(images, f.user_header);
}

class EngineModelTest : public RecordStoreTest {};

TEST_F(EngineModelTest, RandomCallSequencesAgreeWithTheModel) {
  uint32_t seed = 20240611;
  if (const char* env = std::getenv("ZBDB_MODEL_SEED"))
    seed = static_cast<uint32_t>(std::strtoul(env, nullptr, 10));
  std::printf("engine model seed: %u (set ZBDB_MODEL_SEED to repeat another)\n",
              seed);
  RecordProperty("seed", static_cast<int>(seed));
  std::mt19937 rng(seed);
  auto pick = [&rng](int lo, int hi) {
    return std::uniform_int_distribution<int>(lo, hi)(rng);
  };

  std::vector<ModelFile> files(3);
  for (int i = 0; i < 3; ++i)
    files[i].path = ToLowerAscii(Path("model" + std::to_string(i) + ".pro"));
  EngineModel model(files);

  std::deque<std::string> recent;  // the last calls, for a failure message
  auto history = [&recent]() {
    std::string out;
    for (const std::string& line : recent) out += "  " + line + "\n";
    return out;
  };

  int handle_of[3] = {-1, -1, -1};
  auto open_file = [&](int f, bool read_only) {
    const int32_t expected = model.Open(f, read_only);
    const int32_t got = read_only ? DBOpenReadOnly(files[f].path.c_str())
                                  : DBOpen(files[f].path.c_str());
    EXPECT_EQ(got, expected) << "open of file " << f << "\n" << history();
    if (got > 0 && expected > 0) handle_of[f] = got;
    if (expected < 0 && got > 0) DBClose(static_cast<int16_t>(got));
  };
  auto close_file = [&](int f) {
    const int h = handle_of[f];
    EXPECT_EQ(DBClose(static_cast<int16_t>(h)), DB_SUCCESS);
    model.Close(h);
    handle_of[f] = -1;
    EXPECT_BYTES(ReadFileBytes(files[f].path), ExpectedFile(model.File(f)))
        << "file " << f << " after its close\n" << history();
  };

  for (int f = 0; f < 3; ++f) open_file(f, false);

  const int16_t key1s[] = {0, 1, 2, 3, 1, 2, -1, -2, kAny};
  const int16_t key2s[] = {1, 2, 1, 2, kAny};
  auto any_key1 = [&]() { return key1s[pick(0, 8)]; };
  auto any_key2 = [&]() { return key2s[pick(0, 4)]; };
  auto store_key1 = [&]() { return static_cast<int16_t>(pick(0, 3)); };
  auto store_key2 = [&]() { return static_cast<int16_t>(pick(1, 2)); };
  auto new_data = [&](int size) {
    Bytes d(static_cast<size_t>(size));
    for (auto& b : d) b = static_cast<uint8_t>(pick(0, 255));
    if (size >= 4 && pick(0, 1)) {  // sub-keys for DB4_Read
      d[0] = static_cast<uint8_t>(pick(1, 2));
      d[1] = 0;
      d[2] = static_cast<uint8_t>(pick(1, 2));
      d[3] = 0;
    }
    return d;
  };

  // Calls per kind and how many of them moved or found something.
  int calls[22] = {}, positive[22] = {};
  const int kOperations = 4000;
  for (int op = 0; op < kOperations && !HasFailure(); ++op) {
    const int f = pick(0, 2);
    if (handle_of[f] < 0) {
      std::ostringstream line;
      const bool read_only = pick(0, 3) == 0;
      line << "#" << op << " open file " << f << (read_only ? " read-only" : "");
      recent.push_back(line.str());
      open_file(f, read_only);
      continue;
    }
    // Now and then a call on a handle that is not open.
    const int h = pick(0, 40) == 0 ? 8 : handle_of[f];
    const int16_t hs = static_cast<int16_t>(h);
    std::ostringstream line;
    line << "#" << op << " h=" << h << " ";
    int32_t expected = 0, got = 0;
    Bytes want, have;
    const int kind = pick(0, 21);
    switch (kind) {
      case 0:
      case 1:
      case 2: {  // keyed read
        const int16_t k1 = any_key1(), k2 = any_key2();
        const int32_t n = pick(-1, 4);
        const int16_t size = static_cast<int16_t>(pick(0, 50));
        line << "DBRead(" << k1 << "," << k2 << "," << n << "," << size << ")";
        std::vector<uint8_t> buf(64, 0xCD);
        got = DBRead(hs, k1, k2, n, size, buf.data());
        expected = model.Read(h, k1, k2, n, size, &want);
        if (got > 0) have.assign(buf.begin(), buf.begin() + got);
        break;
      }
      case 3:
      case 4: {
        line << "DBReadNext";
        std::vector<uint8_t> buf(64, 0xCD);
        got = DBReadNext(hs, buf.data());
        expected = model.ReadNext(h, &want);
        if (got > 0) have.assign(buf.begin(), buf.begin() + got);
        break;
      }
      case 5: {
        ModelSlot* s = model.Slot(h);
        if (s && !s->rest_known) continue;
        const int16_t size = static_cast<int16_t>(pick(1, 30));
        line << "DBReadRest(" << size << ")";
        std::vector<uint8_t> buf(64, 0xCD);
        got = DBReadRest(hs, size, buf.data());
        expected = model.ReadRest(h, size, &want);
        if (got > 0) have.assign(buf.begin(), buf.begin() + got);
        break;
      }
      case 6:
      case 7:
      case 8: {  // append, sometimes with a size out of range
        const int16_t k1 = store_key1(), k2 = store_key2();
        int16_t size = static_cast<int16_t>(pick(4, 40));
        if (pick(0, 30) == 0) size = pick(0, 1) ? 0 : 32760;
        const Bytes data = new_data(std::min<int>(size, 40));
        Bytes padded = data;
        padded.resize(32760, 0);
        line << "DBWrite(" << k1 << "," << k2 << ",-1," << size << ")";
        got = DBWrite(hs, k1, k2, -1, size, padded.data());
        expected = model.Append(h, k1, k2, size, padded);
        break;
      }
      case 9: {  // overwrite in place
        const int16_t k1 = any_key1(), k2 = any_key2();
        const int32_t n = pick(0, 3);
        const int16_t size = static_cast<int16_t>(pick(1, 50));
        const Bytes data = new_data(size);
        const bool far = pick(0, 1);
        line << (far ? "DBWriteFar(" : "DBWrite(") << k1 << "," << k2 << ","
             << n << "," << size << ")";
        got = far ? DBWriteFar(hs, k1, k2, static_cast<uint32_t>(n), size,
                               data.data())
                  : DBWrite(hs, k1, k2, n, size, data.data());
        expected = model.WriteFar(h, k1, k2, static_cast<uint32_t>(n), size,
                                  data, false);
        break;
      }
      case 10:
      case 11: {  // write-add
        const int16_t k1 = store_key1(), k2 = store_key2();
        const int32_t n = pick(-2, 3);
        const int16_t size = static_cast<int16_t>(pick(4, 40));
        const Bytes data = new_data(size);
        const bool far = n >= 0 && pick(0, 1);
        line << (far ? "DBWriteAddFar(" : "DBWriteAdd(") << k1 << "," << k2
             << "," << n << "," << size << ")";
        got = far ? DBWriteAddFar(hs, k1, k2, static_cast<uint32_t>(n), size,
                                  data.data())
                  : DBWriteAdd(hs, k1, k2, n, size, data.data());
        if (n == -1)
          expected = model.Append(h, k1, k2, size, data);
        else if (n < -1)
          expected = DB_EOF;
        else
          expected = model.WriteFar(h, k1, k2, static_cast<uint32_t>(n), size,
                                    data, true);
        break;
      }
      case 12: {  // write-next, with keys and a size that may be stored
        ModelSlot* s = model.Slot(h);
        if (s && (s->key1 == kAny || s->key2 == kAny || s->size < 4 ||
                  s->size > 50))
          continue;
        line << "DBWriteNext";
        const Bytes data = new_data(50);
        got = DBWriteNext(hs, data.data());
        expected = model.WriteNext(h, data);
        break;
      }
      case 13:
      case 14: {  // delete
        const int16_t k1 = any_key1(), k2 = any_key2();
        const int32_t n = pick(-1, 3);
        const bool far = pick(0, 1);
        line << (far ? "DBDelFar(" : "DBDel(") << k1 << "," << k2 << "," << n
             << ")";
        got = far ? DBDelFar(hs, k1, k2, static_cast<uint32_t>(n))
                  : DBDel(hs, k1, k2, n);
        expected = model.Delete(h, k1, k2, static_cast<uint32_t>(n));
        break;
      }
      case 15: {
        line << "DBDelNext";
        got = DBDelNext(hs);
        expected = model.FlipNext(h, false);
        break;
      }
      case 16: {  // undelete by the former positive Key1
        const int16_t k1 = store_key1(), k2 = any_key2();
        const int32_t n = pick(0, 3);
        const bool far = pick(0, 1);
        line << (far ? "DBUnDelFar(" : "DBUnDel(") << k1 << "," << k2 << ","
             << n << ")";
        got = far ? DBUnDelFar(hs, k1, k2, static_cast<uint32_t>(n))
                  : DBUnDel(hs, k1, k2, n);
        expected = model.Undelete(h, k1, k2, static_cast<uint32_t>(n));
        break;
      }
      case 17: {
        line << "DBUnDelNext";
        got = DBUnDelNext(hs);
        expected = model.FlipNext(h, true);
        break;
      }
      case 18: {
        if (pick(0, 3) != 0) continue;  // rarer than the others
        const int16_t k1 = any_key1(), k2 = any_key2();
        const int16_t n1 = store_key1(), n2 = store_key2();
        line << "DBChangeKeys(" << k1 << "," << k2 << " -> " << n1 << ","
             << n2 << ")";
        DBChangeKeys(hs, k1, k2, n1, n2);
        model.ChangeKeys(h, k1, k2, n1, n2);
        break;
      }
      case 19: {
        const int16_t k1 = any_key1(), k2 = any_key2();
        const int16_t k3 = static_cast<int16_t>(pick(1, 2));
        const int16_t k4 = static_cast<int16_t>(pick(1, 2));
        const int32_t n = pick(0, 3);
        const int16_t size = static_cast<int16_t>(pick(0, 40));
        line << "DB4_Read(" << k1 << "," << k2 << "," << k3 << "," << k4 << ","
             << n << "," << size << ")";
        std::vector<uint8_t> buf(64, 0xCD);
        got = DB4_Read(hs, k1, k2, k3, k4, n, size, buf.data());
        want.assign(64, 0xCD);
        expected = model.Read4(h, k1, k2, k3, k4, n, size, &want);
        have = buf;
        break;
      }
      case 20: {  // the user header
        const int32_t offset = pick(0, 449);
        const int32_t length = pick(1, 450 - offset);
        line << "DBWriteBin/DBReadBin(" << offset << "," << length << ")";
        ModelSlot* s = model.Slot(h);
        if (!s) continue;
        const Bytes data = new_data(length);
        got = DBWriteBin(hs, offset, length, data.data());
        if (!s->read_only) {
          expected = length;
          std::copy(data.begin(), data.end(),
                    model.File(s->file).user_header.begin() + offset);
        } else {
          expected = got;  // refused; checked by the bytes below
        }
        std::vector<uint8_t> buf(450);
        EXPECT_EQ(DBReadBin(hs, 0, 450, buf.data()), 450);
        have = buf;
        want = model.File(s->file).user_header;
        break;
      }
      case 21: {
        line << "DBClose";
        recent.push_back(line.str());
        if (h != handle_of[f]) {
          EXPECT_EQ(DBClose(hs), DB_EOF);
        } else {
          close_file(f);
        }
        continue;
      }
    }
    recent.push_back(line.str());
    if (recent.size() > 25) recent.pop_front();
    ++calls[kind];
    if (got > 0) ++positive[kind];
    ASSERT_EQ(got, expected) << line.str() << "\n" << history();
    ASSERT_EQ(have, want) << "bytes of " << line.str() << "\n" << history();
    if (ModelSlot* s = model.Slot(h)) {
      ASSERT_EQ(DBGetNumRecord(hs), model.Records(*s).size())
          << line.str() << "\n" << history();
    }
    int16_t k1 = 0, k2 = 0;
    DBGetKeys(&k1, &k2);
    ASSERT_EQ(k1, model.found_key1()) << "found-last Key1 after " << line.str()
                                      << "\n" << history();
    ASSERT_EQ(k2, model.found_key2()) << "found-last Key2 after " << line.str()
                                      << "\n" << history();
  }
  for (int f = 0; f < 3; ++f)
    if (handle_of[f] > 0) close_file(f);
  size_t total = 0;
  for (int f = 0; f < 3; ++f) total += model.File(f).records.size();
  std::printf("engine model: %zu records in 3 files; calls (positive) by kind:",
              total);
  for (int k = 0; k < 22; ++k) std::printf(" %d(%d)", calls[k], positive[k]);
  std::printf("\n");
}

}  // namespace
}  // namespace zbtest

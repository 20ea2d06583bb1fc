#include "exchange/run_length.h"

#include <cstring>
#include <new>

#include "exchange/archive_result.h"

namespace zb::exchange {

namespace {

void AddRecord(std::vector<RunRecord>* runs, size_t literal_count,
               uint8_t value, size_t length) {
  runs->push_back(RunRecord{uint16_t(literal_count), value, uint16_t(length)});
}

}  // namespace

int CompressBlock(const uint8_t* block, size_t length, uint8_t* literals,
                  std::vector<RunRecord>* runs) {
  if (runs == nullptr || length > kMaxBlockLength ||
      (length != 0 && (block == nullptr || literals == nullptr))) {
    return kArchiveBadArgument;
  }
  try {
    // A block of n bytes has at most n / 10 runs and one closing record.
    runs->reserve(runs->size() + length / kMinRunLength + 1);
    // The first bytes of the current run wait here until it is known
    // whether the run stays literal; the tenth byte never needs a place.
    uint8_t holding[kMinRunLength - 1];
    uint8_t previous = 0;
    size_t run_length = 1;
    size_t literal_count = 0;
    size_t out = 0;
    for (size_t i = 0; i < length; ++i) {
      const uint8_t byte = block[i];
      const bool last = i + 1 == length;
      bool changed = false;
      if (i > 0) {
        if (byte == previous) {
          ++run_length;
        } else {
          changed = true;
        }
      }
      if (changed || last) {
        const uint8_t run_value = i > 0 ? previous : byte;
        if (run_length < kMinRunLength) {
          // The last byte belongs to the run unless it differs.
          if (last && !changed) holding[run_length - 1] = byte;
          std::memcpy(literals + out, holding, run_length);
          out += run_length;
          literal_count += run_length;
        } else {
          AddRecord(runs, literal_count, run_value, run_length);
          literal_count = 0;
        }
        if (!last) {
          run_length = 1;
          holding[0] = byte;
        } else {
          if (changed) {
            literals[out++] = byte;
            ++literal_count;
          }
          if (literal_count != 0) AddRecord(runs, literal_count, 0, 0);
        }
      } else if (run_length < kMinRunLength) {
        holding[run_length - 1] = byte;
      }
      previous = byte;
    }
    return int(out);
  } catch (const std::bad_alloc&) {
    return kArchiveNoMemory;
  }
}

int64_t ExpandRuns(const RunRecord* runs, size_t count, const uint8_t* literals,
                   size_t literal_length, uint8_t* out, size_t capacity) {
  if ((count != 0 && runs == nullptr) ||
      (literal_length != 0 && literals == nullptr)) {
    return kArchiveBadArgument;
  }
  size_t in = 0;
  size_t written = 0;
  for (size_t i = 0; i < count; ++i) {
    const RunRecord& r = runs[i];
    if (r.literal_count > literal_length - in) return kArchiveBadRunList;
    if (size_t(r.literal_count) + r.length > capacity - written ||
        out == nullptr) {
      return kArchiveBadArgument;
    }
    std::memcpy(out + written, literals + in, r.literal_count);
    in += r.literal_count;
    written += r.literal_count;
    std::memset(out + written, uint8_t(r.value), r.length);
    written += r.length;
  }
  if (in != literal_length) return kArchiveBadRunList;
  return int64_t(written);
}

uint64_t ExpandedLength(const RunRecord* runs, size_t count) {
  uint64_t total = 0;
  for (size_t i = 0; i < count; ++i) {
    total += uint64_t(runs[i].literal_count) + runs[i].length;
  }
  return total;
}

void EncodeRunRecords(const RunRecord* runs, size_t count, uint8_t* bytes) {
  for (size_t i = 0; i < count; ++i, bytes += kRunRecordSize) {
    const uint16_t fields[3] = {runs[i].literal_count, runs[i].value,
                                runs[i].length};
    for (int f = 0; f < 3; ++f) {
      bytes[2 * f] = uint8_t(fields[f]);
      bytes[2 * f + 1] = uint8_t(fields[f] >> 8);
    }
  }
}

void DecodeRunRecords(const uint8_t* bytes, size_t count, RunRecord* runs) {
  for (size_t i = 0; i < count; ++i, bytes += kRunRecordSize) {
    auto u16 = [&](int f) {
      return uint16_t(bytes[2 * f] | (bytes[2 * f + 1] << 8));
    };
    runs[i] = RunRecord{u16(0), u16(1), u16(2)};
  }
}

}  // namespace zb::exchange

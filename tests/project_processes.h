// For the tests in which several programs work on one project: positions
// built and read back through the library's own transfer, versions of a
// position told apart by their bytes, and a command session with the
// project child (tests/children/project_child.cpp).
#ifndef ZBDB_TESTS_PROJECT_PROCESSES_H_
#define ZBDB_TESTS_PROJECT_PROCESSES_H_

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "projectstore/positions.h"
#include "projectstore/project_catalogue.h"
#include "projectstore/transfer.h"
#include "recordstore/engine.h"
#include "support/project_fixture.h"

namespace zbtest {

constexpr int16_t kDlt = 101;  // the program of every position here

// A data record of a position, under its working-file keys.
struct DataRecord {
  int16_t k1, k2;
  Bytes data;
  bool operator<(const DataRecord& o) const {
    return std::tie(k1, k2, data) < std::tie(o.k1, o.k2, o.data);
  }
  bool operator==(const DataRecord& o) const {
    return std::tie(k1, k2, data) == std::tie(o.k1, o.k2, o.data);
  }
};

// Version v (1, 2, 3, ...) of a position's records. The sizes overlap
// between versions, so a save both reuses released places and appends;
// every byte names the version, so no mixture passes for a version.
inline std::vector<DataRecord> PositionVersion(int v, int salt = 0) {
  static const std::vector<std::vector<int>> kSizes = {
      {40, 40, 80, 120, 40, 200},
      {40, 80, 80, 300, 40, 40, 60, 90},
      {40, 40, 40, 40},
  };
  const std::vector<int>& sizes = kSizes[(v - 1) % kSizes.size()];
  std::vector<DataRecord> out;
  for (size_t i = 0; i < sizes.size(); ++i) {
    Bytes data = Pattern(size_t(sizes[i]), uint32_t(v * 1000 + salt * 100 + i));
    data[0] = uint8_t(v);
    data[1] = uint8_t(salt);
    out.push_back({int16_t(1), int16_t(i + 1), data});
  }
  return out;
}

// The records in one order, as a save may put them into other places.
inline std::vector<DataRecord> Sorted(std::vector<DataRecord> records) {
  std::sort(records.begin(), records.end());
  return records;
}

// The file of a new project of that name in the folder; empty when none.
inline std::string NewProjectFile(const std::string& folder,
                                  const std::string& name) {
  const int32_t number =
      zb::projectstore::CreateProject(InstalledStore(), folder, name, "anna");
  char file[16];
  std::snprintf(file, sizeof file, "PRO%05d.PRO", number);
  return number > 0 ? JoinPath(folder, file) : std::string();
}

inline zb::projectstore::ProPosLong PositionRequest(const std::string& name) {
  zb::projectstore::ProPosLong pp{};
  SetText(pp.long_name, sizeof pp.long_name, name);
  pp.project = 1;
  return pp;
}

// Makes `working` the working file of the position with `records` as its
// data: the header records as an export without lock writes them.
inline bool WriteWorkingFile(const std::string& project,
                             const std::string& working,
                             const std::string& name,
                             const std::vector<DataRecord>& records) {
  namespace ps = zb::projectstore;
  zb::recordstore::Engine& engine = zb::api::TheLibrary().engine();
  ps::ProPosLong pp = PositionRequest(name);
  int32_t error = 0;
  ps::ExportPosition(InstalledStore(), project, working, kDlt, &pp, 5, nullptr,
                     &error, ps::kTransferQuiet | ps::kTransferNoLock);
  if (error != 0 && error != -5) return false;
  const int h = engine.Open(working.c_str());
  if (h <= 0) return false;
  std::vector<std::pair<int16_t, int16_t>> old;
  uint8_t buf[8];
  for (int32_t n = engine.Read(h, 32762, 32762, 0, 8, buf); n >= 0;
       n = engine.ReadNext(h, buf)) {
    int16_t k1 = 0, k2 = 0;
    engine.GetKeys(&k1, &k2);
    if (k1 > 0 && k2 != 30000 && k2 != 30002 && k2 != 30003)
      old.push_back({k1, k2});
  }
  for (const auto& keys : old) engine.Delete(h, keys.first, keys.second, 0);
  bool ok = true;
  for (const DataRecord& r : records)
    ok = ok && engine.Append(h, r.k1, r.k2, int16_t(r.data.size()),
                             r.data.data()) == int32_t(r.data.size());
  engine.Close(h);
  return ok;
}

// Stores the records as the position (created when new), without lock.
inline int32_t SavePosition(const std::string& project,
                            const std::string& working,
                            const std::string& name,
                            const std::vector<DataRecord>& records) {
  namespace ps = zb::projectstore;
  if (!WriteWorkingFile(project, working, name, records)) return -100;
  int32_t error = 0;
  const int32_t r = ps::ImportPosition(
      InstalledStore(), project, working, kDlt, PositionRequest(name), nullptr,
      5, nullptr, &error, ps::kTransferQuiet | ps::kTransferNoLock);
  return error != 0 ? error : r;
}

// A position as the project holds it, read with the project opened
// read-only (re-indexed in memory when it was not closed).
struct StoredPosition {
  int32_t open = 0;  // the open's result
  bool found = false;
  int16_t recs = 0;  // Recs of its POSINFO
  int32_t records = 0;  // data records stored, the PROPOS tag included
  std::vector<DataRecord> data;  // in record order, without the tag
  Bytes posinfo;
};

inline StoredPosition ReadStoredPosition(const std::string& project,
                                         const std::string& name) {
  zb::recordstore::Engine& engine = zb::api::TheLibrary().engine();
  StoredPosition out;
  out.open = engine.OpenReadOnly(project.c_str());
  if (out.open <= 0) return out;
  zb::recordstore::PosInfoExt info{};
  out.found = zb::projectstore::FindPosition(InstalledStore(), out.open, name,
                                             kDlt, &info) >= 0;
  if (out.found) {
    out.recs = info.Recs;
    out.posinfo = BytesOf(info);
    std::vector<uint8_t> buf(32759);
    for (int32_t n = engine.Read(out.open, int16_t(info.id), kDlt, 0,
                                 int16_t(buf.size()), buf.data());
         n >= 0; n = engine.ReadNext(out.open, buf.data())) {
      ++out.records;
      if (n < 4) continue;
      const int16_t k1 = GetI16(Bytes(buf.begin(), buf.begin() + 4), 0);
      const int16_t k2 = GetI16(Bytes(buf.begin(), buf.begin() + 4), 2);
      if (k2 == 30000) continue;
      out.data.push_back({k1, k2, Bytes(buf.begin() + 4, buf.begin() + n)});
    }
  }
  engine.Close(out.open);
  return out;
}

// One program of the session kind of the project child, driven through the
// lines of its standard input and output; its log is in its channel folder.
class ChildSession {
 public:
  bool Start(const std::string& channel, const std::string& user,
             const std::string& computer) {
    channel_ = channel;
    return MakeFolder(channel) &&
           child_.Start(ChildProgram("project_child"),
                        {"session", channel, user, computer});
  }
  // The reply to one command; "<no reply>" when the child ended first.
  std::string Send(const std::vector<std::string>& words) {
    Post(words);
    return Reply();
  }
  // A command whose reply is read later.
  void Post(const std::vector<std::string>& words) {
    std::string line;
    for (const std::string& w : words) line += (line.empty() ? "" : "\t") + w;
    child_.WriteLine(line);
  }
  // The lines up to "<end>"; a line the child tells in between (a paused
  // import's) when `until` is that line.
  std::string Reply(const std::string& until = "<end>") {
    std::string reply;
    for (std::optional<std::string> line; (line = child_.ReadLine());) {
      if (*line == until) return reply;
      reply += (reply.empty() ? "" : "\n") + *line;
    }
    return "<no reply>";
  }
  void Tell(const std::string& line) { child_.WriteLine(line); }
  std::string Log(const std::string& user) const {
    return ReadText(JoinPath(channel_, user + ".log"));
  }
  int Exit() {
    Send({"exit"});
    return child_.Wait(60000);
  }
  void Kill() { child_.Kill(); }

 private:
  ChildProcess child_;
  std::string channel_;
};

}  // namespace zbtest

#endif  // ZBDB_TESTS_PROJECT_PROCESSES_H_

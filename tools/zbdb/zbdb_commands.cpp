#include "zbdb_commands.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "api/library.h"
#include "care_commands.h"
#include "command_support.h"
#include "index_check.h"
#include "platform/platform.h"
#include "projectstore/position_locks.h"
#include "projectstore/positions.h"
#include "projectstore/project_catalogue.h"
#include "projectstore/transfer.h"
#include "recordstore/compaction.h"
#include "recordstore/inspect.h"
#include "recordstore/listing.h"
#include "recordstore/typed_records.h"
#include "zbdb900.h"

#ifndef _WIN32
#include "platform/posix/path_map.h"
#endif

namespace zb::tool {
namespace {

namespace rs = zb::recordstore;
namespace ps = zb::projectstore;

void Fail(const Streams& io, const char* command, const std::string& file,
          const std::string& why) {
  std::fprintf(io.err, "zbdb %s: %s: %s\n", command, file.c_str(),
               why.c_str());
}

// The file's bytes; empty when it cannot be read.
std::string FileBytes(platform::Platform& os, const std::string& path) {
  std::unique_ptr<platform::File> file;
  uint64_t size = 0;
  if (!os.OpenFile(path, platform::Access::kRead, platform::Share::kDenyNone,
                   &file)
           .ok() ||
      !file->Size(&size).ok())
    return std::string();
  std::string bytes(static_cast<size_t>(size), '\0');
  size_t got = 0;
  if (size > 0 && (!file->ReadAt(0, bytes.data(), bytes.size(), &got).ok() ||
                   got != bytes.size()))
    return std::string();
  return bytes;
}


// -- The demo file ----------------------------------------------------------

constexpr int16_t kDemoProgram = 101;
constexpr int16_t kIdTopKey = 30001;
constexpr int16_t kPosInfoKey = 30002;

struct DemoRecord {
  int16_t sub1;  // the keys the record had in the position's working file
  int16_t sub2;
  const char* text;
};

struct DemoPosition {
  uint16_t id;
  const char* long_name;
  const char* designation;
  std::vector<DemoRecord> records;
};

// German texts with umlauts on purpose: they show whether a listing turns
// the files' Windows-1252 into what the terminal speaks.
const std::vector<DemoPosition>& DemoPositions() {
  static const std::vector<DemoPosition> positions = {
      {1, "Durchlauftr\u00e4ger \u00fcber drei Felder", "Dach, Achse A",
       {{1, 0, "Feldl\u00e4ngen 4,50 / 5,20 / 4,50 m"},
        {2, 0, "St\u00e4ndige Last g = 2,35 kN/m\u00b2"},
        {3, 0, "Schnee s = 0,85 kN/m\u00b2"}}},
      {2, "St\u00fctze im Erdgeschoss, Achse B/2", "Erdgeschoss",
       {{1, 0, "Querschnitt 24/24 cm, C 24"},
        {2, 0, "Knickl\u00e4nge 2,75 m"}}},
  };
  return positions;
}

// One data record of a position in a project file: the working file's two
// keys, then the data.
std::vector<uint8_t> DemoData(const DemoRecord& r) {
  const size_t text_len = std::strlen(r.text) + 1;
  std::vector<uint8_t> data(4 + text_len);
  data[0] = static_cast<uint8_t>(r.sub1 & 0xFF);
  data[1] = static_cast<uint8_t>((r.sub1 >> 8) & 0xFF);
  data[2] = static_cast<uint8_t>(r.sub2 & 0xFF);
  data[3] = static_cast<uint8_t>((r.sub2 >> 8) & 0xFF);
  std::memcpy(data.data() + 4, r.text, text_len);
  return data;
}

bool WriteDemoRecords(int16_t h, uint32_t now, uint32_t* deleted) {
  PROINFO project;
  std::memset(&project, 0, sizeof project);
  project.number = 1;
  rs::CopyTextField(project.szProject, "Demoprojekt", sizeof project.szProject);
  rs::CopyTextField(project.szAuthor, "ZBDB Support", sizeof project.szAuthor);
  rs::CopyTextField(project.szShortText, "Demo", sizeof project.szShortText);
  project.created = now;
  project.changed = now;
  if (DBWriteBin(h, 0, sizeof project, &project) != sizeof project)
    return false;

  const auto& positions = DemoPositions();
  const uint16_t id_top = static_cast<uint16_t>(positions.size());
  if (DBWrite(h, kIdTopKey, kDemoProgram, -1, sizeof id_top, &id_top) < 1)
    return false;

  for (const DemoPosition& p : positions) {
    rs::PosInfoExt info;
    std::memset(&info, 0, sizeof info);
    info.id = p.id;
    info.id_copy = p.id;
    info.DatVer = 1;
    rs::CopyTextField(info.PrgVer, "9.0", sizeof info.PrgVer);
    rs::CopyTextField(info.Msg, "Beispiel f\u00fcr zbdb", sizeof info.Msg);
    rs::CopyTextField(info.PosNameLong, p.long_name, sizeof info.PosNameLong);
    rs::ShortNameFromLong(p.long_name, info.PosName);
    rs::CopyTextField(info.Designation, p.designation,
                      sizeof info.Designation);
    info.Recs = static_cast<int16_t>(p.records.size());
    info.created = now;
    info.saved = now;
    if (DBWrite(h, kPosInfoKey, kDemoProgram, -1, sizeof info, &info) < 1)
      return false;
  }

  for (const DemoPosition& p : positions) {
    const int16_t key1 = static_cast<int16_t>(p.id);
    for (const DemoRecord& r : p.records) {
      const std::vector<uint8_t> data = DemoData(r);
      if (DBWrite(h, key1, kDemoProgram, -1, static_cast<int16_t>(data.size()),
                  data.data()) < 1)
        return false;
    }
  }

  // A save that replaced a record leaves the old one deleted behind it.
  const DemoPosition& last = positions.back();
  const int16_t key1 = static_cast<int16_t>(last.id);
  const DemoRecord replaced{2, 0, "Knickl\u00e4nge 3,00 m (alt)"};
  const std::vector<uint8_t> data = DemoData(replaced);
  if (DBWrite(h, key1, kDemoProgram, -1, static_cast<int16_t>(data.size()),
              data.data()) < 1)
    return false;
  const int32_t occurrence = static_cast<int32_t>(last.records.size());
  if (DBDel(h, key1, kDemoProgram, occurrence) < 1) return false;
  *deleted = 1;
  return true;
}

constexpr char kDemoProject[] = "Demoprojekt";

// One demo position through the store: its POSINFO with a new id, its
// PROPOS tag and records keyed (id, program), then Recs and designation.
bool AddDemoPosition(zb::api::Library& lib, int16_t h, uint16_t project,
                     const DemoPosition& p) {
  const int32_t id = ps::CreatePosition(lib.store(), h, p.long_name,
                                        "Beispiel f\u00fcr zbdb", kDemoProgram);
  rs::PosInfoExt info;
  const int32_t at =
      ps::FindPosition(lib.store(), h, p.long_name, kDemoProgram, &info);
  if (id <= 0 || at < 0) return false;
  rs::CopyTextField(info.Designation, p.designation, sizeof info.Designation);
  rs::CopyTextField(info.PrgVer, "9.0", sizeof info.PrgVer);
  info.DatVer = 1;
  PROPOS tag;
  ps::BuildProPos(info, project, &tag);
  std::vector<uint8_t> data(4 + sizeof tag);
  const int16_t tag_keys[2] = {kDemoProgram, ps::kKeyProPos};
  std::memcpy(data.data(), tag_keys, 4);
  std::memcpy(data.data() + 4, &tag, sizeof tag);
  const int16_t key1 = static_cast<int16_t>(id);
  if (DBWrite(h, key1, kDemoProgram, -1, static_cast<int16_t>(data.size()),
              data.data()) < 1)
    return false;
  for (const DemoRecord& r : p.records) {
    data = DemoData(r);
    if (DBWrite(h, key1, kDemoProgram, -1, static_cast<int16_t>(data.size()),
                data.data()) < 1)
      return false;
  }
  info.Recs = static_cast<int16_t>(p.records.size() + 1);
  return ps::WritePosInfo(lib.store(), h, kDemoProgram,
                          static_cast<uint32_t>(at), info) >= 0;
}

int DemoProject(zb::api::Library& lib, const std::string& typed,
                const std::string& folder, const Streams& io) {
  if (ps::FindProject(lib.store(), folder, kDemoProject, nullptr, nullptr) >=
      0) {
    Fail(io, "demo", typed,
         "holds the project \"Demoprojekt\" already; the demo makes new "
         "projects only");
    return kExitFailed;
  }
  const int32_t number =
      ps::CreateProject(lib.store(), folder, kDemoProject, "ZBDB Support");
  if (number <= 0) {
    Fail(io, "demo", typed,
         "the project cannot be created here (" + std::to_string(number) + ")");
    return kExitFailed;
  }
  const std::string path = ps::ProjectFilePath(lib.store(), folder, number);
  // Position headers and locks change with the project held exclusively.
  const int32_t h = DBOpenExcl(path.c_str());
  if (h < 0) {
    Fail(io, "demo", typed, OpenFailure(h));
    return kExitFailed;
  }
  const int16_t project = static_cast<int16_t>(h);
  bool ok = true;
  for (const DemoPosition& p : DemoPositions())
    ok = ok && AddDemoPosition(lib, project, static_cast<uint16_t>(number), p);
  // Someone at work on the second position.
  ok = ok && ps::LockOn(lib.store(), h, 0, kDemoProgram,
                        DemoPositions().back().long_name) == 1;
  DBClose(project);
  if (!ok) {
    Fail(io, "demo", typed, "could not be written in full (disk full?)");
    return kExitFailed;
  }
  std::fprintf(io.out,
               "%s: demo project \"Demoprojekt\" created: number %d, file "
               "%s, 2 positions, the second locked\n",
               typed.c_str(), number,
               TerminalText(ShownPath(path), io.raw).c_str());
  return kExitOk;
}

}  // namespace

// The library speaks Windows-1252 path text; a Linux shell hands over UTF-8.
std::string LibraryText(const std::string& typed) {
#ifdef _WIN32
  return typed;
#else
  return platform::posix::Utf8ToCp1252(typed);
#endif
}

bool IsWindows1252Text(const std::string& typed) {
#ifdef _WIN32
  (void)typed;  // the ANSI code page is Windows-1252
  return true;
#else
  // The conversion hands text it cannot convert back as it is.
  return platform::posix::Cp1252ToUtf8(platform::posix::Utf8ToCp1252(typed)) ==
         typed;
#endif
}

std::string ShownText(const std::string& library_text) {
#ifdef _WIN32
  return library_text;
#else
  return platform::posix::Cp1252ToUtf8(library_text);
#endif
}

const char* OpenFailure(int32_t code) {
  switch (code) {
    case DB_EOF:
      return "no such file";
    case DB_OPENERR:
      return "cannot be created or opened (does its folder exist?)";
    case DB_STACKERR:
      return "too many record files open";
    case DB_NOEND:
      return "not a record file (it ends with neither a closed mark nor an "
             "end-of-data mark, or its records do not fit the file)";
    case DB_ACCESS_DENIED:
      return "access denied (in use by another program, or no permission)";
    case DB_SECOND_OPEN:
      return "already open";
  }
  return "cannot be opened";
}

std::string TerminalText(const std::string& cp1252, bool raw) {
  if (raw) return cp1252;
  std::string safe(cp1252);
  for (char& c : safe) {
    const unsigned char u = static_cast<unsigned char>(c);
    if ((u < 0x20 && c != '\n' && c != '\t') || u == 0x7F) c = '.';
  }
#ifdef _WIN32
  return safe;
#else
  return platform::posix::Cp1252ToUtf8(safe);
#endif
}

int ListCommand(const std::string& file, const Streams& io) {
  zb::api::Library& lib = zb::api::TheLibrary();
  const std::string path = LibraryText(file);
  const int32_t h = DBOpenReadOnly(path.c_str());
  if (h < 0) {
    Fail(io, "list", file, OpenFailure(h));
    return kExitFailed;
  }
  // Listed into a scratch file first: its footer is put on one line, and
  // its text converted for the terminal.
  std::FILE* buffer = lib.os().ScratchStream();
  if (!buffer) {
    rs::ListRecords(lib.engine(), h, io.out);
    DBClose(static_cast<int16_t>(h));
    std::fputc('\n', io.out);
    return std::ferror(io.out) ? kExitFailed : kExitOk;
  }
  rs::ListRecords(lib.engine(), h, buffer);
  DBClose(static_cast<int16_t>(h));
  std::string listing;
  std::rewind(buffer);
  char chunk[8192];
  for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, buffer)) > 0;)
    listing.append(chunk, n);
  std::fclose(buffer);
  // The library ends with "Records N \n, Bytes: 500 + M ".
  const size_t footer = listing.rfind(" \n, Bytes: ");
  if (footer != std::string::npos) listing.replace(footer, 3, ",");
  while (!listing.empty() && listing.back() == ' ') listing.pop_back();
  listing += '\n';
#ifdef _WIN32
  // The console shows the Windows-1252 text as it is (main sets its code
  // page) and does not act on control characters.
  const std::string text = listing;
#else
  const std::string text = TerminalText(listing, io.raw);
#endif
  const bool ok =
      std::fwrite(text.data(), 1, text.size(), io.out) == text.size();
  return ok && !std::ferror(io.out) ? kExitOk : kExitFailed;
}

namespace {

// PRO00017.PRO or a folder project's ProjectData.ZBDB.
bool LooksLikeProjectFile(const std::string& path) {
  std::string name = path.substr(path.find_last_of("\\/") + 1);
  for (char& c : name) c = static_cast<char>(std::toupper(c));
  return (name.size() == 12 && name.compare(0, 3, "PRO") == 0 &&
          name.compare(8, 4, ".PRO") == 0) ||
         name == "PROJECTDATA.ZBDB";
}

}  // namespace

int CheckCommand(const std::string& file, const Streams& io) {
  zb::api::Library& lib = zb::api::TheLibrary();
  const rs::FileReport report =
      rs::InspectRecordFile(lib.os(), LibraryText(file));
  if (report.state == rs::FileState::kMissing) {
    Fail(io, "check", file, "cannot be read (no such file, or no permission)");
    return kExitFailed;
  }
  std::fprintf(io.out, "File:            %s\n", file.c_str());
  std::fprintf(io.out, "File size:       %llu bytes\n",
               static_cast<unsigned long long>(report.file_size));
  switch (report.state) {
    case rs::FileState::kNotRecordFile:
      std::fprintf(io.out, "State:           not a record file: %s\n",
                   report.problem.c_str());
      return kExitFailed;
    case rs::FileState::kNeedsReindex:
      std::fprintf(io.out,
                   "State:           needs re-indexing: it was not closed "
                   "after its last changes.\n"
                   "                 Its records are intact; the next open "
                   "for writing rebuilds\n"
                   "                 the index from them.\n");
      break;
    default:
      break;
  }
  const std::string disagreement =
      IndexDisagreement(lib.os(), LibraryText(file), report);
  if (report.state == rs::FileState::kClosed && disagreement.empty())
    std::fprintf(io.out, "State:           %s\n",
                 rs::FileStateName(report.state));
  else if (report.state == rs::FileState::kClosed)
    std::fprintf(io.out,
                 "State:           damaged: closed cleanly, but its index "
                 "disagrees with its records:\n"
                 "                 %s.\n"
                 "                 Records are found by the index, so reads "
                 "go wrong.\n",
                 disagreement.c_str());
  std::fprintf(io.out, "Records:         %u (deleted ones included)\n",
               report.records);
  std::fprintf(io.out, "Deleted records: %u\n", report.deleted);
  std::fprintf(io.out, "End of data:     %u\n", report.end_of_data);
  // A project file also gets the library's check of its positions.
  bool positions_sound = true;
  if (disagreement.empty() && LooksLikeProjectFile(LibraryText(file)))
    positions_sound = ReportProjectCheck(LibraryText(file), io);
  return disagreement.empty() && positions_sound ? kExitOk : kExitFailed;
}

namespace {

// The checks before a compaction moves anything; false when reported.
bool MayCompact(platform::Platform& os, const std::string& file,
                const std::string& path, const rs::FileReport& before,
                const Streams& io) {
  if (before.state == rs::FileState::kMissing) {
    Fail(io, "compact", file, "cannot be read (no such file, or no permission)");
    return false;
  }
  if (before.state == rs::FileState::kNotRecordFile) {
    Fail(io, "compact", file,
         "not a record file (" + before.problem + "); nothing changed");
    return false;
  }
  bool read_only = false;
  if (os.IsReadOnly(path, &read_only).ok() && read_only) {
    // The exclusive open would wait for the protection to go away first.
    Fail(io, "compact", file, "write-protected; nothing changed");
    return false;
  }
  // Renames never replace a file, so an old backup would stop the copy
  // from taking the file's place.
  const std::string backup = rs::CompactionBackupPath(path);
  if (os.FileExists(backup)) {
    Fail(io, "compact", file,
         "the backup " + ShownText(backup) +
             " of an earlier compaction is still there; move it away first");
    return false;
  }
  return true;
}

// Nothing was dropped; the exclusive open may still have re-indexed it.
int ReportNothingDropped(platform::Platform& os, const std::string& file,
                         const std::string& path, const rs::FileReport& before,
                         const std::string& old_bytes, const Streams& io) {
  const std::string new_bytes = FileBytes(os, path);
  if (new_bytes == old_bytes) {
    std::fprintf(io.out, "%s: no deleted records, the file is unchanged\n",
                 file.c_str());
    return kExitOk;
  }
  const rs::FileReport after = rs::InspectRecordFile(os, path);
  std::fprintf(io.out,
               "%s: no deleted records to drop, but the file was %s: "
               "%zu bytes before, %zu now (%s)\n",
               file.c_str(),
               before.state == rs::FileState::kNeedsReindex
                   ? "re-indexed, as it had not been closed after its last "
                     "changes"
                   : "rewritten when it was opened",
               old_bytes.size(), new_bytes.size(),
               rs::FileStateName(after.state));
  return after.state == rs::FileState::kClosed ? kExitOk : kExitFailed;
}

}  // namespace

int CompactCommand(const std::string& file, const Streams& io) {
  zb::api::Library& lib = zb::api::TheLibrary();
  platform::Platform& os = lib.os();
  const std::string path = LibraryText(file);
  const rs::FileReport before = rs::InspectRecordFile(lib.os(), path);
  if (!MayCompact(os, file, path, before, io)) return kExitFailed;

  const std::string old_bytes = FileBytes(os, path);
  const int32_t dropped = rs::CompactRecordFile(lib.engine(), path);
  if (dropped < 0) {
    Fail(io, "compact", file, OpenFailure(dropped));
    return kExitFailed;
  }
  const std::string temp = rs::CompactionTempPath(path);
  const std::string backup = rs::CompactionBackupPath(path);
  if (dropped == 0) {
    // The copy of a file without deleted records is of no use.
    if (before.records > 0) os.RemoveFile(temp);
    return ReportNothingDropped(os, file, path, before, old_bytes, io);
  }
  if (os.FileExists(temp) || !os.FileExists(backup)) {
    Fail(io, "compact", file,
         "found " + std::to_string(dropped) +
             " deleted records, but the compacted copy " + ShownText(temp) +
             " could not take the file's place; the file is unchanged");
    return kExitFailed;
  }
  // The copy gets its index when the library opens and closes it; a copy
  // without one would leave the project unusable, so say so.
  const rs::FileReport after = rs::InspectRecordFile(lib.os(), path);
  if (after.state != rs::FileState::kClosed) {
    const std::string state =
        after.state == rs::FileState::kNotRecordFile
            ? "not a record file: " + after.problem
            : std::string(rs::FileStateName(after.state));
    Fail(io, "compact", file,
         "dropped " + std::to_string(dropped) +
             " deleted records, but the compacted file did not get its "
             "index (" + state + "); the old file is kept as " +
             ShownText(backup));
    return kExitFailed;
  }
  std::fprintf(io.out, "%s: dropped %d deleted record%s, %u records left\n",
               file.c_str(), dropped, dropped == 1 ? "" : "s", after.records);
  std::fprintf(io.out, "Backup of the old file: %s\n", ShownText(backup).c_str());
  return kExitOk;
}

int DemoCommand(const std::string& file, const Streams& io) {
  zb::api::Library& lib = zb::api::TheLibrary();
  platform::Platform& os = lib.os();
  const std::string path = LibraryText(file);
  if (os.IsFolder(path)) return DemoProject(lib, file, PathText(file), io);
  if (os.FileExists(path)) {
    Fail(io, "demo", file, "exists already; the demo writes new files only");
    return kExitFailed;
  }
  const int32_t h = DBOpen(path.c_str());
  if (h < 0) {
    Fail(io, "demo", file, OpenFailure(h));
    return kExitFailed;
  }
  uint32_t deleted = 0;
  const bool ok = WriteDemoRecords(static_cast<int16_t>(h), os.Now(), &deleted);
  const uint32_t records = DBGetNumRecord(static_cast<int16_t>(h));
  DBClose(static_cast<int16_t>(h));
  if (!ok) {
    Fail(io, "demo", file, "could not be written in full (disk full?)");
    return kExitFailed;
  }
  std::fprintf(io.out,
               "%s: demo record file written: project \"Demoprojekt\", "
               "2 positions, %u records (%u deleted)\n",
               file.c_str(), records, deleted);
  return kExitOk;
}

}  // namespace zb::tool

#include "care_commands.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "api/library.h"
#include "api/project_check.h"
#include "command_support.h"
#include "environment/library_context.h"
#include "environment/ui.h"
#include "index_check.h"
#include "project_commands.h"
#include "platform/platform.h"
#include "projectstore/positions.h"
#include "projectstore/previews.h"
#include "projectstore/project_names.h"
#include "projectstore/project_catalogue.h"
#include "projectstore/record_file.h"
#include "projectstore/repair.h"
#include "recordstore/engine.h"
#include "recordstore/inspect.h"
#include "recordstore/record_format.h"


namespace zb::tool {
namespace {

namespace ps = zb::projectstore;
namespace rs = zb::recordstore;

const char* OutcomeText(ps::RepairSummary::Outcome outcome) {
  switch (outcome) {
    case ps::RepairSummary::kRepaired: return "repaired";
    case ps::RepairSummary::kCannotOpen: return "cannot be read; nothing changed";
    case ps::RepairSummary::kBackupKept:
      return "not repaired: the earlier backup was kept; nothing changed";
    case ps::RepairSummary::kCopyFailed:
      return "not repaired: no record could be recognised or written; the "
             "file keeps its name and records";
    case ps::RepairSummary::kRenameFailed:
      return "not repaired: the renames failed; the damaged bytes are under "
             "the backup name or the file's own, the copy beside them";
  }
  return "";
}

std::string FindingText(int32_t code) {
  switch (code) {
    case TEST_CHECKPRO_SOUND: return "positions and locks sound";
    case TEST_CHECKPRO_UNREADABLE: return "cannot be read";
    case TEST_CHECKPRO_NOT_CLOSED:
      return "left open after changes (the next open re-indexes it)";
    case TEST_CHECKPRO_RECORDS_MISSING:
      return "a position holds fewer records than its header says "
             "(zbdb repair corrects the headers)";
    case TEST_CHECKPRO_STALE_LOCK:
      return "a position is marked locked without a lock holder";
    case TEST_CHECKPRO_DAMAGED: return "damaged: run zbdb repair";
    default: return "not in a project list";
  }
}

// The long name of a preview descriptor.
std::string DescriptorName(const uint8_t* descriptor) {
  return Field(reinterpret_cast<const char*>(descriptor) + 2, 42);
}

}  // namespace

bool ReportProjectCheck(const std::string& path, const Streams& io) {
  zb::api::Library& lib = zb::api::TheLibrary();
  PrepareLibrary(lib);  // the catalogue names the positions' programs
  const int32_t code = zb::api::CheckProjectFile(lib, path);
  std::fprintf(io.out, "Project check:   %s (%d)\n", FindingText(code).c_str(),
               static_cast<int>(code));
  return code == TEST_CHECKPRO_SOUND || code == TEST_CHECKPRO_NOT_CLOSED;
}

int RepairCommand(const std::string& file, const Streams& io) {
  zb::api::Library& lib = zb::api::TheLibrary();
  const std::string path = LibraryText(file);
  const rs::FileReport report = rs::InspectRecordFile(lib.os(), path);
  if (report.state == rs::FileState::kMissing) {
    Fail(io, "repair", file + ": cannot be read (no such file, or no permission)");
    return kExitFailed;
  }
  const std::string disagreement = IndexDisagreement(lib.os(), path, report);
  if (report.state == rs::FileState::kClosed && disagreement.empty()) {
    Say(io, ShownPath(path) + " is a sound record file: nothing to repair.");
    return kExitOk;
  }
  std::string found = report.state == rs::FileState::kNeedsReindex
                          ? "not closed after its last changes"
                          : disagreement.empty() ? report.problem : disagreement;
  Say(io, ShownPath(path) + ": " + found + ".");
  const ps::RepairNames names =
      ps::RepairNamesOf(path, lib.context().folders.temporary);
  if (lib.ui().Ask("zbdb repair",
                   "Repair the file? Its damaged bytes are kept as " +
                       ShownPath(names.backup) + ".",
                   environment::Buttons::kYesNo,
                   environment::Icon::kQuestion) != environment::Answer::kYes) {
    Say(io, "Nothing changed.");
    return kExitFailed;
  }
  ProgressBar bar(io.err, report.file_size, "copying");
  const ps::RepairSummary summary = ps::RepairFile(
      lib.store(), path, lib.context().folders.temporary,
      [&bar](int32_t percent) { bar.Show(percent); });
  std::fprintf(io.out, "Result:          %s\n", OutcomeText(summary.outcome));
  if (summary.pass != 0)
    std::fprintf(io.out, "Copy pass:       %c, %u records copied, %u left out\n",
                 summary.pass, summary.records, summary.ignored);
  if (summary.outcome == ps::RepairSummary::kRepaired)
    Say(io, "Backup:          " + ShownPath(names.backup));
  if (summary.positions_checked)
    std::fprintf(io.out,
                 "Positions:       %u sound, %u short of records, %u empty\n",
                 summary.positions_ok, summary.positions_not_ok,
                 summary.positions_caput);
  Say(io, "Listing:         " + ShownPath(names.listing));
  return summary.outcome == ps::RepairSummary::kRepaired ? kExitOk
                                                         : kExitFailed;
}

int PreviewsCommand(const std::string& folder, const std::string& project,
                    const Streams& io) {
  zb::api::Library& lib = zb::api::TheLibrary();
  FoundProject found;
  if (!FindProjectOrFail(lib, io, "previews", LibraryText(folder),
                         LibraryText(project), &found))
    return kExitFailed;
  const std::string preview = ps::PreviewPathOf(found.path);
  if (!lib.os().FileExists(preview)) {
    Say(io, "Project " + Quoted(LibraryText(project)) + " has no previews (" +
                ShownPath(preview) + " does not exist).");
    return kExitOk;
  }
  rs::Engine& engine = lib.engine();
  ps::RecordFile file = ps::RecordFile::OpenReadOnly(engine, preview);
  if (!file.is_open()) {
    Fail(io, "previews", ShownPath(preview) + ": cannot be opened");
    return kExitFailed;
  }
  Table table({"Position", "Program", "Id", "Bytes"});
  table.RightAlign(2);
  table.RightAlign(3);
  std::vector<uint8_t> record(rs::kMaxRecordSize);
  int rows = 0;
  for (uint32_t n = 0;; ++n) {
    const int32_t got = engine.Read(file.handle(), rs::kWildcard, rs::kWildcard,
                                    n, rs::kMaxRecordSize, record.data());
    if (got < 0) break;
    int16_t program = 0, id = 0;
    engine.GetKeys(&program, &id);
    if (got != ps::kPreviewDescriptorSize || program <= 0 || record[0] ||
        record[1])
      continue;
    std::vector<uint8_t> blob(rs::kMaxRecordSize);
    const int32_t size = engine.Read(file.handle(), id, program, 0,
                                     rs::kMaxRecordSize, blob.data());
    if (size < 0) continue;
    table.Add({DescriptorName(record.data()), ProgramName(lib, program),
               std::to_string(id), std::to_string(size)});
    ++rows;
  }
  Say(io, "Project " + Quoted(LibraryText(project)) + ", " +
              ShownPath(preview) + ": " + std::to_string(rows) + " previews");
  if (rows > 0) table.Print(io);
  return kExitOk;
}

int AutosaveCommand(const std::string& folder, const Streams& io) {
  zb::api::Library& lib = zb::api::TheLibrary();
  PrepareLibrary(lib);
  const std::string where =
      folder.empty() ? lib.context().folders.temporary : LibraryText(folder);
  std::vector<platform::DirEntry> copies;
  lib.os().FindFiles(where + "\\*_AutoSave.$POS", &copies);
  Say(io, "Autosave copies in " + ShownPath(where) + ": " +
              std::to_string(copies.size()));
  if (!copies.empty()) {
    Table table({"File", "Bytes", "Saved"});
    table.RightAlign(1);
    for (const platform::DirEntry& copy : copies)
      table.Add({copy.name, std::to_string(copy.size),
                 DateText(copy.modified, true)});
    table.Print(io);
  }
  const std::string configuration = lib.context().folders.configuration;
  std::string project_file;
  // Only a list that exists is asked: none is made here.
  if (!lib.os().FileExists(ps::ProjectListPath(lib.store(), configuration)) ||
      ps::FindProject(lib.store(), configuration, "VORLAGE", nullptr,
                      &project_file) < 0) {
    Say(io, "Templates: none (no project VORLAGE in " +
                ShownPath(configuration) + ")");
    return kExitOk;
  }
  ps::RecordFile file = ps::RecordFile::OpenReadOnly(lib.engine(), project_file);
  Table table({"Template", "Program", "Records", "Saved"});
  table.RightAlign(2);
  int templates = 0;
  for (uint32_t n = 0; file.is_open(); ++n) {
    rs::PosInfoExt info{};
    if (lib.engine().Read(file.handle(), ps::kKeyPosInfo, rs::kWildcard, n,
                          sizeof info, &info) < 0)
      break;
    int16_t key1 = 0, program = 0;
    lib.engine().GetKeys(&key1, &program);
    table.Add({Field(info.PosNameLong, sizeof info.PosNameLong),
               ProgramName(lib, program), std::to_string(info.Recs),
               DateText(info.saved, true)});
    ++templates;
  }
  Say(io, "Templates in " + ShownPath(project_file) + ": " +
              std::to_string(templates));
  if (templates > 0) table.Print(io);
  return kExitOk;
}

}  // namespace zb::tool

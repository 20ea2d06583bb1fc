#include "project_commands.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "api/library.h"
#include "command_support.h"
#include "environment/config_file.h"
#include "environment/library_context.h"
#include "environment/login.h"
#include "environment/ui.h"
#include "platform/platform.h"
#include "projectstore/position_locks.h"
#include "projectstore/positions.h"
#include "projectstore/project_catalogue.h"
#include "recordstore/typed_records.h"
#include "zbdb900.h"

namespace zb::tool {
namespace {

namespace env = zb::environment;
namespace ps = zb::projectstore;
namespace rs = zb::recordstore;

constexpr size_t kMinProjectName = 3;
constexpr size_t kMaxProjectName = 40;  // what the project dialog takes
constexpr size_t kMaxAuthor = 29;       // the field keeps 29 and its zero

std::string LockHolder(const ps::LockRecord& lock) {
  return Field(lock.user, sizeof lock.user) + "@" +
         Field(lock.computer, sizeof lock.computer);
}

// "by user@computer since date,time (working file ...)".
std::string LockText(bool has_record, const ps::LockRecord& lock) {
  if (!has_record)
    return "(the lock bit is set, but no lock record says by whom)";
  std::string text =
      "by " + LockHolder(lock) + " since " + DateText(lock.time, true);
  const std::string working =
      Field(lock.working_file, sizeof lock.working_file);
  if (!working.empty()) text += " (working file " + working + ")";
  return text;
}

// The POSINFO records of a project in file order, numbered per program as
// the store counts them.
struct StoredPosition {
  int16_t program;
  uint32_t occurrence;
};

std::vector<StoredPosition> StoredPositions(int16_t h) {
  std::vector<StoredPosition> out;
  std::vector<std::pair<int16_t, uint32_t>> counts;
  uint8_t buffer[rs::kPosInfoExtFileSize];
  int32_t n =
      DBRead(h, ps::kKeyPosInfo, ps::kAllPrograms, 0, sizeof buffer, buffer);
  while (n >= 0) {
    int16_t key1 = 0, key2 = 0;
    DBGetKeys(&key1, &key2);
    auto it = std::find_if(counts.begin(), counts.end(),
                           [key2](const auto& c) { return c.first == key2; });
    if (it == counts.end()) it = counts.insert(counts.end(), {key2, 0u});
    out.push_back({key2, it->second++});
    n = DBReadNext(h, buffer);
  }
  return out;
}

// Clears the lock of the position with the project opened exclusively,
// unless it changed hands since it was shown (shown: its lock record, null
// when it had none).
int ClearShownLock(zb::api::Library& lib, const Streams& io,
                   const std::string& project_file,
                   const std::string& position, int16_t program,
                   const ps::LockRecord* shown, const std::string& what) {
  const char* command = "unlock";
  const bool has_record = shown != nullptr;
  bool read_only = false;
  if (lib.os().IsReadOnly(project_file, &read_only).ok() && read_only) {
    Fail(io, command,
         ShownPath(project_file) + ": write-protected; nothing changed");
    return kExitFailed;
  }
  const int32_t writer = DBOpenExcl(project_file.c_str());
  if (writer < 0) {
    Fail(io, command,
         ShownPath(project_file) + ": " + OpenFailure(writer) +
             "; nothing changed");
    return kExitFailed;
  }
  // The lock may have changed hands while the question was open.
  ps::LockRecord now{};
  rs::PosInfoExt again{};
  const bool same =
      ps::FindPosition(lib.store(), writer, position, program, &again) >= 0 &&
      (again.Ctrl & ps::kCtrlLocked) &&
      (ps::ReadLockRecord(lib.store(), writer, program, again.id, &now) >= 0) ==
          has_record &&
      (!has_record || std::memcmp(&now, shown, sizeof now) == 0);
  const int32_t done =
      same ? ps::LockOff(lib.store(), writer, program, position) : 0;
  DBClose(static_cast<int16_t>(writer));
  if (!same) {
    Fail(io, command,
         "the lock of the " + what +
             " changed while the question was open; nothing changed");
    return kExitFailed;
  }
  if (done != 1) {
    Fail(io, command, "the lock of the " + what + " could not be removed");
    return kExitFailed;
  }
  Say(io, "The lock of the " + what + " is removed.");
  return kExitOk;
}

}  // namespace

void PrepareLibrary(zb::api::Library& lib) {
  platform::Platform& os = lib.os();
  env::LibraryContext& context = lib.context();
  if (context.user.empty()) context.user = os.UserName();
  if (context.user.empty()) context.user = "ZB_GAST";
  if (context.computer.empty()) context.computer = os.ComputerName();
  if (context.computer.empty()) context.computer = "NoName";
  // Without the companion library the folders stay unknown; the commands
  // still work on the folder they are given, with programs by number.
  if (env::RegInit(lib.context()) == 1) {
    context.config =
        env::ReadConfig(lib.os(), lib.log(), context.folders.configuration);
    lib.catalogue().Load(context.folders.program);
  }
}

namespace {

// The entries of the project list of `folder` (made anew from the project
// files when missing, as any program would); false, reported, when the
// folder is no data folder or the list cannot be opened or made.
bool ReadProjectEntries(zb::api::Library& lib, const Streams& io,
                        const char* command, const std::string& folder,
                        std::vector<PROINFO>* entries, bool* had_list) {
  if (!UsableFolder(lib, io, command, folder)) return false;
  const std::string list = ps::ProjectListPath(lib.store(), folder);
  // The list would be made anew in any folder at all.
  if (!IsDataFolder(lib, folder)) {
    Fail(io, command,
         ShownPath(folder) +
             " is not a data folder: it has no project list and no project "
             "files; nothing written ('zbdb new-project' starts one)");
    return false;
  }
  *had_list = lib.os().FileExists(list);
  ps::ProjectList project_list = ps::ProjectList::Open(lib.store(), folder);
  const int32_t h = project_list.handle();
  if (h < 0) {
    Fail(io, command,
         ShownPath(list) + ": " +
             (*had_list ? std::string(OpenFailure(h))
                        : "missing, and it cannot be made from the project "
                          "files (no write permission?)"));
    return false;
  }
  PROINFO info;
  while (DBRead(static_cast<int16_t>(h), ps::kListKey, ps::kListKey,
                static_cast<int32_t>(entries->size()), sizeof info, &info) > 0)
    entries->push_back(info);
  return true;
}

}  // namespace

int ProjectsCommand(const std::string& typed_folder, const Streams& io) {
  zb::api::Library& lib = zb::api::TheLibrary();
  const std::string folder = PathText(typed_folder);
  std::vector<PROINFO> entries;
  bool had_list = false;
  if (!ReadProjectEntries(lib, io, "projects", folder, &entries, &had_list))
    return kExitFailed;
  const std::string list = ps::ProjectListPath(lib.store(), folder);

  if (!had_list)
    Say(io,
        "The project list was missing; it has been made anew from the "
        "project files.");
  Say(io, ShownPath(list) + ": " + std::to_string(entries.size()) + " project" +
              (entries.size() == 1 ? "" : "s"));
  if (entries.empty()) return kExitOk;
  Say(io, "");
  Table table({"No.", "Name", "Author", "Created", "Changed", "Kind", "File"});
  table.RightAlign(0);
  for (size_t i = 0; i < entries.size(); ++i) {
    const PROINFO& e = entries[i];
    const std::string name = Field(e.szProject, sizeof e.szProject);
    // The path as the library relocates it. A name given twice (only in a
    // list nobody rebuilt) finds its first entry: the number stands in.
    std::string path;
    if (ps::FindProject(lib.store(), folder, name, nullptr, &path) !=
        static_cast<int32_t>(i))
      path = ps::ProjectFilePath(lib.store(), folder, e.number);
    table.Add({std::to_string(e.number), ps::DosUmlautsToWindows(name),
               ps::DosUmlautsToWindows(Field(e.szAuthor, sizeof e.szAuthor)),
               DateText(e.created, false), DateText(e.changed, false),
               IsFolderProject(path) ? "folder" : "file",
               RelativeToFolder(folder, path)});
  }
  table.Print(io);
  return std::ferror(io.out) ? kExitFailed : kExitOk;
}

namespace {

// One position as the tool shows it: its header and who holds its lock.
struct ShownPosition {
  rs::PosInfoExt info{};
  std::string program;
  bool locked = false;
  std::string holder = "-";
  std::string since;
};

// The positions of a project file, grouped by program; false (and *error)
// when the file cannot be opened.
bool ReadShownPositions(zb::api::Library& lib, const std::string& path,
                        std::vector<ShownPosition>* shown, int32_t* error) {
  const int32_t opened = DBOpenReadOnly(path.c_str());
  if (opened < 0) {
    *error = opened;
    return false;
  }
  const int16_t h = static_cast<int16_t>(opened);
  std::vector<StoredPosition> stored = StoredPositions(h);
  std::stable_sort(stored.begin(), stored.end(),
                   [](const StoredPosition& a, const StoredPosition& b) {
                     return a.program < b.program;
                   });
  for (const StoredPosition& s : stored) {
    ShownPosition p;
    if (ps::ReadStoredPosInfo(lib.store(), h, s.program, s.occurrence,
                              &p.info) < 0)
      continue;
    p.program = ProgramName(lib, s.program);
    if (p.info.Ctrl & ps::kCtrlLocked) {
      p.locked = true;
      ps::LockRecord lock;
      if (ps::ReadLockRecord(lib.store(), h, s.program, p.info.id, &lock) >= 0) {
        p.holder = LockHolder(lock);
        p.since = DateText(lock.time, true);
      } else {
        p.holder = "(bit without lock record)";
      }
    }
    shown->push_back(p);
  }
  DBClose(h);
  return true;
}

std::string PagesText(const rs::PosInfoExt& info) {
  if (info.page_start == 0) return "-";
  if (info.page_count <= 1) return std::to_string(info.page_start);
  return std::to_string(info.page_start) + "-" +
         std::to_string(info.page_start + info.page_count - 1);
}

}  // namespace

int PositionsCommand(const std::string& typed_folder,
                     const std::string& typed_project, const Streams& io) {
  zb::api::Library& lib = zb::api::TheLibrary();
  const char* command = "positions";
  const std::string folder = PathText(typed_folder);
  const std::string project = LibraryText(typed_project);
  FoundProject found;
  if (!UsableFolder(lib, io, command, folder) ||
      !FindProjectOrFail(lib, io, command, folder, project, &found))
    return kExitFailed;
  std::vector<ShownPosition> shown;
  int32_t error = 0;
  if (!ReadShownPositions(lib, found.path, &shown, &error)) {
    Fail(io, command, ShownPath(found.path) + ": " + OpenFailure(error));
    return kExitFailed;
  }
  Table table({"Name", "Short", "Program", "Id", "Recs", "Locked by", "Since"});
  table.RightAlign(3);
  table.RightAlign(4);
  int locked = 0;
  for (const ShownPosition& p : shown) {
    locked += p.locked ? 1 : 0;
    table.Add({Field(p.info.PosNameLong, sizeof p.info.PosNameLong),
               Field(p.info.PosName, sizeof p.info.PosName), p.program,
               std::to_string(p.info.id), std::to_string(p.info.Recs),
               p.holder, p.since});
  }
  const size_t listed = shown.size();
  Say(io, "Project " +
              Quoted(Field(found.info.szProject, sizeof found.info.szProject)) +
              ", " + RelativeToFolder(folder, found.path) + ": " +
              std::to_string(listed) + " position" + (listed == 1 ? "" : "s") +
              ", " + std::to_string(locked) + " locked");
  if (listed > 0) {
    Say(io, "");
    table.Print(io);
  }
  return std::ferror(io.out) ? kExitFailed : kExitOk;
}

int ExploreCommand(const std::string& typed_folder, const Streams& io) {
  zb::api::Library& lib = zb::api::TheLibrary();
  const std::string folder = PathText(typed_folder);
  std::vector<PROINFO> entries;
  bool had_list = false;
  if (!ReadProjectEntries(lib, io, "explore", folder, &entries, &had_list))
    return kExitFailed;
  Say(io, "Data folder " + ShownPath(folder) + ": " +
              std::to_string(entries.size()) + " project" +
              (entries.size() == 1 ? "" : "s"));
  for (const PROINFO& e : entries) {
    const std::string name =
        ps::DosUmlautsToWindows(Field(e.szProject, sizeof e.szProject));
    std::string path;
    if (ps::FindProject(lib.store(), folder, Field(e.szProject, sizeof e.szProject),
                        nullptr, &path) < 0)
      path = ps::ProjectFilePath(lib.store(), folder, e.number);
    Say(io, "");
    Say(io, "Project " + Quoted(name) + " (No. " + std::to_string(e.number) +
                ", " + ps::DosUmlautsToWindows(Field(e.szAuthor, sizeof e.szAuthor)) +
                ", changed " + DateText(e.changed, false) + ", " +
                RelativeToFolder(folder, path) + ")");
    std::vector<ShownPosition> shown;
    int32_t error = 0;
    if (!ReadShownPositions(lib, path, &shown, &error)) {
      Say(io, "  " + std::string(OpenFailure(error)));
      continue;
    }
    if (shown.empty()) {
      Say(io, "  no positions");
      continue;
    }
    Table table({"  Position", "Program", "State", "Changed", "Created",
                 "Printed", "Pages"});
    for (const ShownPosition& p : shown)
      table.Add({"  " + Field(p.info.PosNameLong, sizeof p.info.PosNameLong),
                 p.program,
                 p.locked ? "locked by " + p.holder + " since " + p.since
                          : "free",
                 DateText(p.info.saved, false), DateText(p.info.created, false),
                 p.info.page_time ? DateText(p.info.page_time, false) : "-",
                 PagesText(p.info)});
    table.Print(io);
  }
  return std::ferror(io.out) ? kExitFailed : kExitOk;
}

int NewProjectCommand(const std::string& typed_folder,
                      const std::string& typed_name,
                      const std::string& typed_author, const Streams& io) {
  zb::api::Library& lib = zb::api::TheLibrary();
  const char* command = "new-project";
  const std::string folder = PathText(typed_folder);
  const std::string name = ps::TrimProjectName(LibraryText(typed_name));
  const std::string author = LibraryText(typed_author);
  if (name.size() < kMinProjectName || name == "    ") {
    Fail(io, command, "a project name needs at least 3 characters");
    return kExitUsage;
  }
  if (name.size() > kMaxProjectName) {
    Fail(io, command, "a project name has at most 40 characters");
    return kExitUsage;
  }
  if (author.size() > kMaxAuthor) {
    Fail(io, command, "an author has at most 29 characters");
    return kExitUsage;
  }
  if (!UsableFolder(lib, io, command, folder)) return kExitFailed;
  PROINFO existing;
  if (ps::FindProject(lib.store(), folder, name, &existing, nullptr) >= 0) {
    Fail(io, command,
         "project " + Quoted(name) + " exists already (number " +
             std::to_string(existing.number) + "); nothing changed");
    return kExitFailed;
  }
  int32_t number = ps::CreateProject(lib.store(), folder, name, author);
  if (number == 0) {
    // The file of the list's next number exists without an entry: the
    // list no longer agrees with the folder. Bring it up to date, once.
    ps::CheckListAgainstFolder(lib.store(), folder);
    number = ps::CreateProject(lib.store(), folder, name, author);
  }
  if (number <= 0) {
    Fail(io, command,
         "project " + Quoted(name) + " could not be created in " +
             ShownPath(folder) + " (" + std::to_string(number) + ")");
    return kExitFailed;
  }
  Say(io, "Project " + Quoted(name) + " created: number " +
              std::to_string(number) + ", file " +
              RelativeToFolder(
                  folder, ps::ProjectFilePath(lib.store(), folder, number)));
  return kExitOk;
}

int UnlockCommand(const PositionName& which, const Streams& io) {
  zb::api::Library& lib = zb::api::TheLibrary();
  const char* command = "unlock";
  const std::string folder = PathText(which.folder);
  const std::string project = LibraryText(which.project);
  const std::string position = LibraryText(which.position);
  int16_t program = 0;
  FoundProject found;
  if (!ProgramOf(lib, io, command, LibraryText(which.program), &program) ||
      !UsableFolder(lib, io, command, folder) ||
      !FindProjectOrFail(lib, io, command, folder, project, &found) ||
      RefuseFolderProject(io, command, project, found))
    return kExitFailed;

  // Who holds it, read without keeping other programs out while the
  // question is open.
  const int32_t reader = DBOpenReadOnly(found.path.c_str());
  if (reader < 0) {
    Fail(io, command, ShownPath(found.path) + ": " + OpenFailure(reader));
    return kExitFailed;
  }
  rs::PosInfoExt info{};
  ps::LockRecord shown{};
  const bool exists =
      ps::FindPosition(lib.store(), reader, position, program, &info) >= 0;
  const bool has_record =
      exists &&
      ps::ReadLockRecord(lib.store(), reader, program, info.id, &shown) >= 0;
  DBClose(static_cast<int16_t>(reader));
  if (!exists) {
    Fail(io, command,
         "no position " + Quoted(position) + " (" + ProgramName(lib, program) +
             ") in project " + Quoted(project));
    return kExitFailed;
  }
  const std::string what =
      "position " + Quoted(Field(info.PosNameLong, sizeof info.PosNameLong)) +
      " (" + ProgramName(lib, program) + ") of project " + Quoted(project);
  if (!(info.Ctrl & ps::kCtrlLocked)) {
    Say(io, "The " + what + " is not locked; nothing to do.");
    return kExitOk;
  }
  Say(io, "The " + what + " is locked " + LockText(has_record, shown) + ".");
  const env::Answer answer = lib.ui().Ask(
      "zbdb unlock",
      "Remove the lock? Whoever holds it can then no longer save the "
      "position under its name.",
      env::Buttons::kYesNo, env::Icon::kQuestion);
  if (answer != env::Answer::kYes) {
    Say(io, "Nothing changed; the position stays locked.");
    return kExitFailed;
  }
  return ClearShownLock(lib, io, found.path, position, program,
                        has_record ? &shown : nullptr, what);
}

}  // namespace zb::tool

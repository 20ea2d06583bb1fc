#include "exchange_commands.h"

#include <cstdint>
#include <string>

#include "api/library.h"
#include "command_support.h"
#include "exchange/mail.h"
#include "platform/platform.h"
#include "projectstore/position_exchange.h"
#include "projectstore/position_locks.h"
#include "projectstore/positions.h"
#include "recordstore/inspect.h"
#include "recordstore/typed_records.h"
#include "zbdb900.h"

namespace zb::tool {

namespace ps = zb::projectstore;
namespace rs = zb::recordstore;

namespace {

// An import counts the working file's header records into its result.
constexpr int32_t kImportHeaderRecords = 3;

std::string Code(int32_t code) {
  return " (result " + std::to_string(code) + ")";
}

// The folder part of a path of the library.
std::string FolderOf(const std::string& path) {
  const size_t cut = path.find_last_of("\\/");
  return cut == std::string::npos ? std::string(".") : path.substr(0, cut);
}

// Why an export failed: the project file's state, else the target's, else
// what the code says.
std::string ExportFailure(zb::api::Library& lib, const std::string& project,
                          const std::string& target, int32_t code) {
  platform::Platform& os = lib.os();
  const std::string problem = ProjectFileProblem(lib, project);
  if (!problem.empty()) return problem + Code(code);
  if (code == -4) {
    const std::string folder = FolderOf(target);
    bool read_only = false;
    if (!os.IsFolder(folder))
      return "the folder " + ShownPath(folder) + " does not exist" + Code(code);
    if (os.FileExists(target) && os.IsReadOnly(target, &read_only).ok() &&
        read_only)
      return "the file exists and is write-protected" + Code(code);
    return "the file cannot be created in " + ShownPath(folder) +
           " (no write permission?)" + Code(code);
  }
  if (code == -3)
    return "the file was created, but its position header could not be "
           "written (disk full?)" + Code(code);
  if (code == -5) return "the position holds no records" + Code(code);
  if (code == -1)
    return "the project file " + ShownPath(project) +
           " cannot be opened (in use by another program?)" + Code(code);
  return "the library gave up" + Code(code);
}

// Who holds the lock of the exchange file's position in the project, when
// someone does. The failed import leaves the request without the names.
std::string LockHolderOf(zb::api::Library& lib, const std::string& file,
                         const std::string& project) {
  // The file keeps its POSINFO under (program, 30002), the long form last.
  rs::PosInfoExt info{};
  int16_t program = 0, key2 = 0;
  const int32_t exchange = DBOpenReadOnly(file.c_str());
  if (exchange < 0) return std::string();
  bool named = false;
  for (int32_t i = 0; !named; ++i) {
    const int32_t n = DBRead(static_cast<int16_t>(exchange), ps::kAllPrograms,
                             ps::kKeyPosInfo, i, sizeof info, &info);
    if (n < 0) break;
    DBGetKeys(&program, &key2);
    named = n == rs::kPosInfoExtFileSize;
  }
  DBClose(static_cast<int16_t>(exchange));
  const std::string name = Field(info.PosNameLong, sizeof info.PosNameLong);
  const int32_t h = named ? DBOpenReadOnly(project.c_str()) : -1;
  if (h < 0) return std::string();
  ps::LockRecord lock{};
  std::string holder;
  if (ps::FindPosition(lib.store(), h, name, program, &info) >= 0 &&
      (info.Ctrl & ps::kCtrlLocked) &&
      ps::ReadLockRecord(lib.store(), h, program, info.id, &lock) >= 0)
    holder = "the position " + Quoted(name) + " is locked by " +
             Field(lock.user, sizeof lock.user) + "@" +
             Field(lock.computer, sizeof lock.computer) + " since " +
             DateText(lock.time, true);
  DBClose(static_cast<int16_t>(h));
  return holder;
}

// Why an import failed: the exchange file's state, the project file's, the
// position's lock, else what the code says.
std::string ImportFailure(zb::api::Library& lib, const std::string& file,
                          const std::string& project, int32_t code) {
  const rs::FileReport report = rs::InspectRecordFile(lib.os(), file);
  if (report.state == rs::FileState::kMissing)
    return ShownPath(file) + " cannot be read (no permission?)" + Code(code);
  if (report.state == rs::FileState::kNotRecordFile)
    return ShownPath(file) + " is no exchange file: not a record file (" +
           report.problem + ")" + Code(code);
  if (code == -2)
    return ShownPath(file) + " holds no position (no position header)" +
           Code(code);
  const std::string problem = ProjectFileProblem(lib, project);
  if (!problem.empty()) return problem + Code(code);
  if (code == -5 || code == -7) {
    const std::string holder = LockHolderOf(lib, file, project);
    return (holder.empty() ? "the project file " + ShownPath(project) +
                                 " is in use by another program"
                           : holder) +
           Code(code);
  }
  if (code == -6)
    return "the project file " + ShownPath(project) + " cannot be opened" +
           Code(code);
  return "the library gave up" + Code(code);
}

}  // namespace

int ExportCommand(const PositionName& which, const std::string& to,
                  const Streams& io) {
  zb::api::Library& lib = zb::api::TheLibrary();
  const char* command = "export";
  const std::string folder = PathText(which.folder);
  const std::string project = LibraryText(which.project);
  const std::string position = LibraryText(which.position);
  int16_t program = 0;
  FoundProject found;
  if (!ProgramOf(lib, io, command, LibraryText(which.program), &program) ||
      !UsableFolder(lib, io, command, folder) ||
      !FindProjectOrFail(lib, io, command, folder, project, &found))
    return kExitFailed;
  const std::string key = ProgramName(lib, program);
  // The file names its program by key, so the catalogue must know it.
  if (lib.catalogue().FindNumber(program) < 0) {
    Fail(io, command,
         "program " + Quoted(LibraryText(which.program)) +
             " is not in the program catalogue ('zbdb programs')");
    return kExitFailed;
  }
  // A damaged project file holds no position that could be found.
  const std::string problem = ProjectFileProblem(lib, found.path);
  if (!problem.empty() &&
      problem.find("write-protected") == std::string::npos) {
    Fail(io, command, problem + "; nothing written");
    return kExitFailed;
  }
  // The exchange writes an empty new position for a name it does not find.
  if (ps::PositionStateOfFile(lib.store(), found.path, program, position,
                              nullptr) == 0) {
    Fail(io, command,
         "no position " + Quoted(position) + " (" + key + ") in project " +
             Quoted(project));
    return kExitFailed;
  }
  ZBPROPOS_L request;
  if (!FillRequest(io, command, folder, project, &request)) return kExitFailed;
  rs::CopyTextField(request.szPrgName, key.substr(0, 5).c_str(),
                    sizeof request.szPrgName);
  rs::CopyTextField(request.szPosNameLong, position.substr(0, 41).c_str(),
                    sizeof request.szPosNameLong);
  const std::string target = PathText(to.empty() ? "." : to);
  const bool into_folder = lib.os().IsFolder(target);
  if (!PutRequestPath(io, command, target,
                      into_folder ? request.szTmpPfad : request.szTmpDatei))
    return kExitFailed;
  const int32_t records = ps::ExportPositionFile(lib.store(), &request);
  const std::string file = Field(request.szTmpDatei, sizeof request.szTmpDatei);
  if (records <= 0) {
    const std::string written = file.empty() ? target : file;
    Fail(io, command,
         "position " + Quoted(position) + " could not be written to " +
             ShownPath(written) + ": " +
             ExportFailure(lib, found.path, written, records));
    return kExitFailed;
  }
  Say(io, "Position " + Quoted(position) + " (" + key + ") written to " +
              ShownPath(file) + ": " + std::to_string(records) + " records");
  return kExitOk;
}

int ImportCommand(const std::string& typed_folder,
                  const std::string& typed_project, const std::string& file,
                  const Streams& io) {
  zb::api::Library& lib = zb::api::TheLibrary();
  const char* command = "import";
  const std::string folder = PathText(typed_folder);
  const std::string project = LibraryText(typed_project);
  const std::string path = PathText(file);
  FoundProject found;
  if (!UsableFolder(lib, io, command, folder) ||
      !FindProjectOrFail(lib, io, command, folder, project, &found) ||
      RefuseFolderProject(io, command, project, found))
    return kExitFailed;
  platform::Platform& os = lib.os();
  if (!os.FileExists(path) || os.IsFolder(path)) {
    Fail(io, command, ShownPath(path) + ": no such file");
    return kExitFailed;
  }
  // Windows' exclusive open waits for a write protection to go away.
  const std::string problem = ProjectFileProblem(lib, found.path);
  if (!problem.empty()) {
    Fail(io, command, problem + "; nothing imported");
    return kExitFailed;
  }
  ZBPROPOS_L request;
  if (!FillRequest(io, command, folder, project, &request) ||
      !PutRequestPath(io, command, path, request.szTmpDatei))
    return kExitFailed;
  const int32_t result = ps::ImportPositionFile(lib.store(), &request);
  if (result == -101) {
    Fail(io, command, "nothing imported (declined, or no program chosen)");
    return kExitFailed;
  }
  if (result <= 0) {
    Fail(io, command,
         ShownPath(path) + " could not be read into project " +
             Quoted(project) + ": " +
             ImportFailure(lib, path, found.path, result));
    return kExitFailed;
  }
  Say(io,
      "Position " +
          Quoted(Field(request.szPosNameLong, sizeof request.szPosNameLong)) +
          " (" + Field(request.szPrgName, sizeof request.szPrgName) +
          ") stored in project " + Quoted(project) + ": " +
          std::to_string(result - kImportHeaderRecords) + " records");
  return kExitOk;
}

int MailCommand(const std::string& typed_folder, const std::string& typed_project,
                const std::string& to, const Streams& io) {
  zb::api::Library& lib = zb::api::TheLibrary();
  const char* command = "mail";
  const std::string folder = PathText(typed_folder);
  FoundProject found;
  if (!UsableFolder(lib, io, command, folder) ||
      !FindProjectOrFail(lib, io, command, folder, LibraryText(typed_project),
                         &found))
    return kExitFailed;
  exchange::MailOrder order;
  order.flags = exchange::kMailProtocol | exchange::kMailReport |
                exchange::kMailProject;
  if (!FillRequest(io, command, folder, LibraryText(typed_project),
                   &order.request))
    return kExitFailed;
  order.project_number = found.info.number;
  const std::string target = PathText(to);
  const int32_t copied =
      exchange::SaveMailAttachments(lib.store(), order, target);
  if (copied < 0) {
    Fail(io, command, ShownPath(target) + ": the folder cannot be made");
    return kExitFailed;
  }
  Say(io, std::to_string(copied) + " files for the support saved in " +
              ShownPath(target) + " (the project as PRO00900.PRO)");
  return copied > 0 ? kExitOk : kExitFailed;
}

}  // namespace zb::tool

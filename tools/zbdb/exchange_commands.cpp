#include "exchange_commands.h"

#include <cstdint>
#include <string>

#include "api/library.h"
#include "command_support.h"
#include "platform/platform.h"
#include "projectstore/position_exchange.h"
#include "projectstore/positions.h"
#include "recordstore/typed_records.h"
#include "zbdb900.h"

namespace zb::tool {

namespace ps = zb::projectstore;
namespace rs = zb::recordstore;

// An import counts the working file's header records into its result.
constexpr int32_t kImportHeaderRecords = 3;

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
    Fail(io, command,
         "position " + Quoted(position) + " could not be written to " +
             ShownPath(file.empty() ? target : file) + " (" +
             std::to_string(records) + ")");
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
             Quoted(project) + " (" + std::to_string(result) + ")");
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

}  // namespace zb::tool

// The position transfer exports: copy and move a position into another
// project, and the ".POS" exchange files. ZB_PositionCopy asks for what
// its target request leaves open.
#include <cstring>
#include <string>

#include "api/frame.h"
#include "api/library.h"
#include "environment/strings.h"
#include "environment/ui.h"
#include "projectstore/position_copy.h"
#include "projectstore/position_exchange.h"
#include "projectstore/positions.h"
#include "projectstore/project_catalogue.h"
#include "recordstore/typed_records.h"
#include "zbdb900.h"

namespace {

using zb::api::Library;

namespace env = zb::environment;
namespace ps = zb::projectstore;

// The message box answers as the calling programs know them.
constexpr int32_t kAnswerOk = 1;
constexpr int32_t kAnswerCancel = 2;
constexpr int32_t kAnswerYes = 6;
constexpr int32_t kAnswerNo = 7;

constexpr int kCopyQuestion = 35314;
constexpr int kOverwriteQuestion = 35331;
constexpr int kCopyAsTitle = 35396;

bool PositionExists(Library& lib, const ZBPROPOS_L& request,
                    const std::string& long_name) {
  std::string path;
  if (ps::FindProject(
          lib.store(), zb::recordstore::FieldText(request.szDataPfad),
          zb::recordstore::FieldText(request.szProName), nullptr, &path) < 0)
    return false;
  const int16_t key = lib.catalogue().NumberByKey(
      zb::recordstore::FieldText(request.szPrgName));
  return ps::PositionStateOfFile(lib.store(), path, key, long_name, nullptr) !=
         0;
}

bool Blank(const std::string& text) {
  return text.find_first_not_of(' ') == std::string::npos;
}

env::Answer Ask(Library& lib, const std::string& text) {
  return lib.ui().Ask(env::kMessageTitle, text, env::Buttons::kYesNo,
                      env::Icon::kQuestion);
}

int32_t ZBAPI PositionCopyL(ZBPROPOS_L* source, ZBPROPOS_L* target) {
  zb::api::Library& lib = zb::api::TheLibrary();
  if (target->szProName[0] != 0 && target->szPosNameLong[0] != 0)
    return ps::CopyPosition(lib.store(), source, target);

  // The questions: which project, whether to copy, and under which name
  // when the position exists there already.
  env::Ui& ui = lib.ui();
  if (target->szDataPfad[0] == 0)
    std::memcpy(target->szDataPfad, source->szDataPfad,
                sizeof target->szDataPfad);
  std::memcpy(target->szPrgName, source->szPrgName, sizeof target->szPrgName);
  std::string project = zb::recordstore::FieldText(target->szProName);
  if (project.empty()) {
    if (!ui.SelectProject(zb::recordstore::FieldText(target->szDataPfad), &project) ||
        Blank(project))
      return 0;
    zb::recordstore::SetFieldText(target->szProName, project);
  }
  std::string long_name = zb::recordstore::FieldText(target->szPosNameLong);
  if (long_name.empty()) long_name = zb::recordstore::FieldText(source->szPosNameLong);
  if (Ask(lib, env::SystemText(kCopyQuestion, long_name, project)) !=
      env::Answer::kYes)
    return kAnswerNo;
  int32_t answer = kAnswerYes;
  if (PositionExists(lib, *target, long_name) &&
      Ask(lib, env::SystemText(kOverwriteQuestion,
                               zb::recordstore::FieldText(source->szPrgName) +
                                   ":" + long_name)) != env::Answer::kYes) {
    const std::string title =
        env::SystemText(kCopyAsTitle, zb::recordstore::FieldText(source->szProName), project);
    for (;;) {
      std::string name = long_name;
      if (!ui.PositionName(title, &name)) return kAnswerCancel;
      if (!Blank(name) && !PositionExists(lib, *target, name)) {
        long_name = name;
        answer = kAnswerOk;
        break;
      }
    }
  }
  zb::recordstore::SetFieldText(target->szPosNameLong, long_name);
  ps::CopyPosition(lib.store(), source, target);
  return answer;
}

int32_t ZBAPI PositionMoveL(ZBPROPOS_L* source, ZBPROPOS_L* target) {
  zb::api::Library& lib = zb::api::TheLibrary();
  if (target->szProName[0] == 0 || target->szPosNameLong[0] == 0) return -1;
  return ps::MovePosition(lib.store(), source, target);
}

int32_t ZBAPI PositionExportL(ZBPROPOS_L* request) {
  zb::api::Library& lib = zb::api::TheLibrary();
  return ps::ExportPositionFile(lib.store(), request);
}

int32_t ZBAPI PositionImportL(ZBPROPOS_L* request) {
  zb::api::Library& lib = zb::api::TheLibrary();
  return ps::ImportPositionFile(lib.store(), request);
}

}  // namespace

extern "C" {

int32_t ZBAPI ZB_PositionCopy(ZBPROPOS* source, ZBPROPOS* target) {
  return zb::api::PlainPairFrame({}, source, target, &PositionCopyL);
}

int32_t ZBAPI ZB_PositionMove(ZBPROPOS* source, ZBPROPOS* target) {
  return zb::api::PlainPairFrame({}, source, target, &PositionMoveL);
}

int32_t ZBAPI ZB_PositionExport(ZBPROPOS* request) {
  return zb::api::PlainFrame({}, request, &PositionExportL);
}

int32_t ZBAPI ZB_PositionImport(ZBPROPOS* request) {
  return zb::api::PlainFrame({}, request, &PositionImportL);
}

}  // extern "C"

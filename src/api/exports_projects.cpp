// The project exports: create, look up, tell apart, rename, copy, move and
// delete the projects of a data folder.
//
// They are not wrapped by the plain frame: each brings its request into
// Zero form, logs in on first use and works on the fields it names; the
// _L and B forms convert to the plain one. A data folder that is no folder
// is refused before the project list is touched, since opening a list
// there would try to build one and tell the user it cannot.
#include <algorithm>
#include <cstring>
#include <string>

#include "api/frame.h"
#include "api/library.h"
#include "api/request_records.h"
#include "environment/library_context.h"
#include "environment/login.h"
#include "environment/strings.h"
#include "environment/ui.h"
#include "platform/platform.h"
#include "projectstore/project_catalogue.h"
#include "projectstore/project_copy.h"
#include "recordstore/typed_records.h"
#include "zbdb900.h"

namespace {

using zb::api::Library;

namespace env = zb::environment;
namespace ps = zb::projectstore;

constexpr int32_t kDirUndefined = -103;   // ERR_DIR_UNDEF
constexpr int32_t kDirNotExist = -104;    // ERR_DIR_NOTEXIST
constexpr int32_t kNameTaken = -201;      // ERR_PRO_NOTNEW
constexpr int32_t kNoAccess = -209;       // ERR_PRO_NOACCES
constexpr size_t kDialogNameLength = 40;
constexpr size_t kDialogAuthorLength = 30;
constexpr size_t kShortestName = 3;

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool IsFolder(Library& lib, const std::string& folder) {
  return !folder.empty() && lib.os().IsFolder(folder);
}

// Folder projects belong to another product: this library only reads them.
bool IsFolderProject(const PROINFO& entry, const std::string& path) {
  return ps::ListKind(entry) == 1 || ps::IsFolderProjectPath(path);
}

// The project dialog until it gives a name of at least three characters;
// false when it was cancelled.
bool AskProjectName(Library& lib, const std::string& title, std::string* name,
                    std::string* author) {
  for (;;) {
    if (!lib.ui().ProjectDialog(title, name, author)) return false;
    *name = Trimmed(*name).substr(0, kDialogNameLength);
    *author = author->substr(0, kDialogAuthorLength);
    if (name->size() >= kShortestName) return true;
    lib.ui().Ask(lib.context().message_title,
                 "Projektname muß mindestens 3 Zeichnen lang sein.",
                 env::Buttons::kOk, env::Icon::kWarning);
  }
}

// The copy and move of a project into the target's data folder, with the
// questions about the target's name. *name_out and *author_out receive the
// target's name and author once the target exists.
int32_t TransferProject(Library& lib, int32_t mode, bool check_source_folder,
                        const std::string& source_folder,
                        const std::string& source_name,
                        const std::string& source_program,
                        const std::string& target_folder,
                        const std::string& target_name,
                        const std::string& target_author,
                        const std::string& target_program,
                        std::string* name_out, std::string* author_out) {
  if (source_folder.empty()) return -1;
  if ((check_source_folder && !IsFolder(lib, source_folder)) ||
      !IsFolder(lib, target_folder)) {
    lib.log().Append("\n*** result: -3 , DataPath false ");
    return -3;
  }
  // Where no folder is, no project is either.
  if (!IsFolder(lib, source_folder)) return -1;
  PROINFO source_entry;
  std::string source_path;
  const std::string from = ps::TrimProjectName(source_name);
  if (ps::FindProject(lib.store(), source_folder, from, &source_entry,
                      &source_path) < 0)
    return -1;
  // A copy only reads the other product's project; a move would take its
  // data file away from it.
  if (mode == ps::kMoveProject && IsFolderProject(source_entry, source_path))
    return kNoAccess;

  std::string name = ps::TrimProjectName(target_name);
  const bool named_after_source = name.empty() || name == from;
  if (named_after_source) name = from;
  std::string author = target_author.empty()
                           ? zb::recordstore::FieldText(source_entry.szAuthor)
                           : target_author;
  PROINFO existing;
  std::string existing_path;
  bool exists = ps::FindProject(lib.store(), target_folder, name, &existing,
                                &existing_path) >= 0;
  // Overwriting would destroy the other product's data file.
  if (exists && IsFolderProject(existing, existing_path)) return kNoAccess;
  // A name the caller gave explicitly is the project to overwrite; only the
  // name taken over from the source is asked about.
  if (exists && named_after_source) {
    const bool copy = mode == ps::kCopyProject;
    const env::Answer answer =
        lib.ui().Ask(copy ? "PROJEKT KOPIEREN" : "PROJEKT VERSCHIEBEN",
                     env::SystemText(35439, name), env::Buttons::kYesNo,
                     env::Icon::kQuestion);
    if (answer != env::Answer::kYes) {
      const std::string title =
          env::SystemText(copy ? 35400 : 35402, from, target_folder);
      do {
        if (!AskProjectName(lib, title, &name, &author)) return 0;
      } while (ps::FindProject(lib.store(), target_folder, name, nullptr,
                               nullptr) >= 0);
      exists = false;
    }
  }
  // A target that could not be made is not found by the transfer, which
  // then fails on its own.
  if (!exists) ps::CreateProject(lib.store(), target_folder, name, author);
  *name_out = name;
  *author_out = author;

  ps::TransferredProject project;
  const int32_t result = ps::CopyOrMoveProjectFile(
      lib.store(), mode, {source_folder, from, source_program},
      {target_folder, name, target_program}, &project);
  if (project.done) ps::FollowCompanions(lib.store(), mode, project);
  return result;
}

// The frame part of the copy and move exports, on either request record.
template <typename Request>
int32_t TransferExport(Library& lib, int32_t mode, const char* export_name,
                       bool check_source_folder, const Request& source,
                       Request* target) {
  std::string name;
  std::string author;
  const int32_t result = TransferProject(
      lib, mode, check_source_folder,
      zb::recordstore::FieldText(source.szDataPfad),
      zb::recordstore::FieldText(source.szProName),
      zb::recordstore::FieldText(source.szPrgName),
      zb::recordstore::FieldText(target->szDataPfad),
      zb::recordstore::FieldText(target->szProName),
      zb::recordstore::FieldText(target->szAuthor),
      zb::recordstore::FieldText(target->szPrgName), &name, &author);
  if (!name.empty()) {
    zb::recordstore::SetFieldText(target->szProName, name);
    zb::recordstore::SetFieldText(target->szAuthor, author);
  }
  lib.log().Printf("\n*** %s: iRet %d", export_name, result);
  return result;
}

void Enter(Library& lib, ZBPROPOS* request) {
  zb::api::ZeroTerminateRequest(request);
  env::EnsureLoggedIn(lib.session());
}

// A Zero-form copy of a long request; the caller's record is left as it
// is apart from the fields an export hands back.
ZBPROPOS_L EnterLong(Library& lib, const ZBPROPOS_L& request) {
  ZBPROPOS_L copy = request;
  zb::api::ZeroTerminateRequest(&copy);
  env::EnsureLoggedIn(lib.session());
  return copy;
}

}  // namespace

extern "C" {

int32_t ZBAPI ZB_ProjectNew(ZBPROPOS* request) {
  zb::api::Library& lib = zb::api::TheLibrary();
  if (!request) return -1;
  Enter(lib, request);
  const std::string folder = zb::recordstore::FieldText(request->szDataPfad);
  if (folder.empty()) return kDirUndefined;
  if (!IsFolder(lib, folder)) return kDirNotExist;
  std::string name = ps::TrimProjectName(zb::recordstore::FieldText(request->szProName));
  std::string author = zb::recordstore::FieldText(request->szAuthor);
  if (name.empty()) {
    if (!AskProjectName(lib, env::SystemText(35418), &name, &author)) return -1;
    zb::recordstore::SetFieldText(request->szProName, name);
    zb::recordstore::SetFieldText(request->szAuthor, author);
  }
  return ps::CreateProject(lib.store(), folder, name, author);
}

int32_t ZBAPI ZB_ProjectNew_L(ZBPROPOS_L* request) {
  zb::api::Library& lib = zb::api::TheLibrary();
  if (!request) return -1;
  ZBPROPOS plain;
  zb::api::RequestFromLong(EnterLong(lib, *request), &plain);
  const int32_t result = ZB_ProjectNew(&plain);
  std::memcpy(request->szProName, plain.szProName, sizeof plain.szProName);
  std::memcpy(request->szAuthor, plain.szAuthor, sizeof plain.szAuthor);
  return result;
}

int32_t ZBAPI ZB_ProjectExist(ZBPROPOS* request) {
  zb::api::Library& lib = zb::api::TheLibrary();
  if (!request) return ps::kProjectNotFound;
  Enter(lib, request);
  const std::string folder = zb::recordstore::FieldText(request->szDataPfad);
  PROINFO entry;
  if (!IsFolder(lib, folder) ||
      ps::FindProject(lib.store(), folder,
                      zb::recordstore::FieldText(request->szProName), &entry,
                      nullptr) < 0)
    return ps::kProjectNotFound;
  return entry.number;
}

int32_t ZBAPI ZB_ProjectProperty_L(ZBPROPOS_L* request, PROINFO* info) {
  zb::api::Library& lib = zb::api::TheLibrary();
  if (info) std::memset(info, 0, sizeof *info);
  if (!request) return ps::kProjectNotFound;
  const ZBPROPOS_L copy = EnterLong(lib, *request);
  const std::string folder = zb::recordstore::FieldText(copy.szDataPfad);
  PROINFO entry;
  if (!IsFolder(lib, folder) ||
      ps::FindProject(lib.store(), folder,
                      zb::recordstore::FieldText(copy.szProName), &entry,
                      nullptr) < 0)
    return ps::kProjectNotFound;
  if (info) *info = entry;
  return entry.number;
}

int32_t ZBAPI ZB_ProjectVersion(ZBPROPOS* request) {
  zb::api::Library& lib = zb::api::TheLibrary();
  if (!request) return -1;
  Enter(lib, request);
  const std::string name = zb::recordstore::FieldText(request->szProName);
  if (Trimmed(name).empty()) return -1;
  const std::string folder = zb::recordstore::FieldText(request->szDataPfad);
  if (!IsFolder(lib, folder)) return -3;
  const int32_t kind = ps::ProjectKind(lib.store(), folder, name);
  return kind < 0 ? ps::kProjectNotFound : kind;
}

int32_t ZBAPI ZB_ProjectVersionB(ZBPROPOS* request) {
  return zb::api::BasicFrame(request, &ZB_ProjectVersion);
}

int32_t ZBAPI ZB_ProjectRename(ZBPROPOS* source, ZBPROPOS* target) {
  zb::api::Library& lib = zb::api::TheLibrary();
  if (!source || !target) return -1;
  Enter(lib, source);
  zb::api::ZeroTerminateRequest(target);
  const std::string folder = zb::recordstore::FieldText(source->szDataPfad);
  PROINFO entry;
  std::string path;
  const int32_t index =
      IsFolder(lib, folder)
          ? ps::FindProject(lib.store(), folder,
                            zb::recordstore::FieldText(source->szProName),
                            &entry, &path)
          : ps::kProjectNotFound;
  if (index < 0) return ps::kProjectNotFound;
  if (IsFolderProject(entry, path)) return kNoAccess;

  std::string name = ps::TrimProjectName(zb::recordstore::FieldText(target->szProName));
  std::string author = zb::recordstore::FieldText(target->szAuthor);
  if (name.empty()) {
    *target = *source;
    name = ps::TrimProjectName(zb::recordstore::FieldText(source->szProName));
    author = zb::recordstore::FieldText(source->szAuthor);
    if (!AskProjectName(lib, env::SystemText(35300), &name, &author)) return 0;
  }
  // The new name must not be another project's: name lookups would find
  // only one of the two.
  const int32_t other =
      ps::FindProject(lib.store(), folder, name, nullptr, nullptr);
  if (other >= 0 && other != index) return kNameTaken;
  const int32_t result =
      ps::RenameProject(lib.store(), folder, index, name, author);
  if (result == 1) {
    zb::recordstore::SetFieldText(target->szProName, name);
    zb::recordstore::SetFieldText(target->szAuthor, author);
  }
  return result;
}

int32_t ZBAPI ZB_ProjectCopy(ZBPROPOS* source, ZBPROPOS* target) {
  zb::api::Library& lib = zb::api::TheLibrary();
  if (!source || !target) return -1;
  Enter(lib, source);
  zb::api::ZeroTerminateRequest(target);
  return TransferExport(lib, ps::kCopyProject, "ZB_ProjectCopy", false, *source,
                        target);
}

int32_t ZBAPI ZB_ProjectMove(ZBPROPOS* source, ZBPROPOS* target) {
  zb::api::Library& lib = zb::api::TheLibrary();
  if (!source || !target) return -1;
  Enter(lib, source);
  zb::api::ZeroTerminateRequest(target);
  return TransferExport(lib, ps::kMoveProject, "ZB_ProjectMove", false, *source,
                        target);
}

int32_t ZBAPI ZB_CopyProject_L(ZBPROPOS_L* source, ZBPROPOS_L* target) {
  zb::api::Library& lib = zb::api::TheLibrary();
  if (!source || !target) return -1;
  const ZBPROPOS_L from = EnterLong(lib, *source);
  ZBPROPOS_L to = EnterLong(lib, *target);
  const int32_t result = TransferExport(lib, ps::kCopyProject,
                                        "ZB_CopyProject_L", true, from, &to);
  std::memcpy(target->szProName, to.szProName, sizeof to.szProName);
  std::memcpy(target->szAuthor, to.szAuthor, sizeof to.szAuthor);
  return result;
}

int32_t ZBAPI ZB_ProjectDelete(ZBPROPOS* request) {
  zb::api::Library& lib = zb::api::TheLibrary();
  if (!request) return -2;
  Enter(lib, request);
  const std::string folder = zb::recordstore::FieldText(request->szDataPfad);
  if (!IsFolder(lib, folder)) return -2;
  PROINFO entry;
  std::string path;
  const std::string name = zb::recordstore::FieldText(request->szProName);
  const int32_t index =
      ps::FindProject(lib.store(), folder, name, &entry, &path);
  if (index == ps::kListNotOpenable) return -2;
  if (index < 0) return ps::kProjectNotFound;
  if (IsFolderProject(entry, path)) return kNoAccess;
  return ps::DeleteProject(lib.store(), folder, name);
}

void ZBAPI ZB_ProjectsGetStreamPRO(ZBPROPOS*) {
  zb::api::Library& lib = zb::api::TheLibrary();
  lib.log().Append("Dummy Function");
}

}  // extern "C"

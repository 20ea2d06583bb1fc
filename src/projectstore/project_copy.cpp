#include "projectstore/project_copy.h"

#include <memory>
#include <vector>

#include "environment/library_context.h"
#include "environment/string_utils.h"
#include "environment/strings.h"
#include "platform/platform.h"
#include "projectstore/file_copy.h"
#include "projectstore/position_locks.h"
#include "projectstore/project_catalogue.h"
#include "projectstore/record_file.h"
#include "projectstore/store.h"
#include "recordstore/engine.h"
#include "recordstore/write_batch.h"

namespace zb::projectstore {
namespace {

using environment::Ui;
using recordstore::Engine;

constexpr int kShellCancelled = 7;

bool SamePath(const std::string& a, const std::string& b) {
  std::string x = environment::UpperText(a);
  std::string y = environment::UpperText(b);
  for (char& c : x) c = c == '/' ? '\\' : c;
  for (char& c : y) c = c == '/' ? '\\' : c;
  return x == y;
}

bool IsEmptyRecordFile(Store& store, const std::string& path) {
  RecordFile file = RecordFile::OpenReadOnly(store.engine(), path);
  return file.is_open() && store.engine().NumRecords(file.handle()) == 0;
}

// Unlocks the copied positions and gives the file its own header: locks
// and header of the source mean nothing in the target.
bool AdoptTarget(Store& store, const std::string& path, const PROINFO& header,
                 const std::string& program_key) {
  if (!store.os().FileExists(path)) return false;
  RecordFile file = RecordFile::OpenExclusive(store.engine(), path);
  if (!file.is_open()) return false;
  recordstore::WriteBatch batch(store.engine(), file.handle());
  UnlockAll(store, file.handle(), store.catalogue().NumberByKey(program_key));
  batch.End();  // the header's write below reports its own result
  return store.engine().WriteBin(file.handle(), 0, sizeof header, &header) ==
         int32_t(sizeof header);
}

// The source list after a move: checked against its folder (a rebuild
// when the counts differ). A folder whose list disagreed with it before
// can come out even, so an entry still naming the file that left is taken
// out: a later project would otherwise share its number and file.
// Negative when the list could not be opened.
int32_t ForgetMovedSource(Store& store, const ProjectSide& source,
                          const std::string& moved_file) {
  const int32_t checked = CheckListAgainstFolder(store, source.folder);
  if (checked < 0) return checked;
  std::string path;
  if (FindProject(store, source.folder, source.name, nullptr, &path) < 0 ||
      !SamePath(path, moved_file) || store.os().FileExists(path))
    return 0;
  return RemoveListEntry(store, source.folder, source.name);
}

const char* FailureText(int32_t result) {
  return result == 0 ? "interrupted" : "failed";
}

// One companion of the project (".ERG" or ".PRV") after the project file.
void FollowCompanion(Store& store, int32_t mode,
                     const TransferredProject& project, const char* extension,
                     const char* label) {
  platform::Platform& os = store.os();
  const std::string from = CompanionPath(project.source_file, extension);
  const std::string to = CompanionPath(project.target_file, extension);
  if (SamePath(from, to)) return;
  if (!os.FileExists(from)) {
    os.RemoveFile(to);
    return;
  }
  const bool copy = mode == kCopyProject;
  if (copy)
    store.log().Printf("\n%10s Copy %s file  from: %s\n%25sto  : %s ", " ",
                       label, from.c_str(), " ", to.c_str());
  else
    store.log().Printf("\n%10s Move %s file from: %s\n%25sto  : %s ", " ",
                       label, from.c_str(), " ", to.c_str());
  const std::string title = std::string(copy ? "Copy " : "Move ") + label;
  int32_t result = ProjectFileOperation(
      store, copy ? Ui::FileOperation::kCopy : Ui::FileOperation::kMove, from,
      to, title);
  if (result == 1 && os.FileExists(to)) {
    RecordFile companion = RecordFile::OpenExclusive(store.engine(), to);
    if (companion.is_open())
      store.engine().WriteBin(companion.handle(), 0,
                              sizeof project.target_header,
                              &project.target_header);
    else
      result = -1;
  }
  const std::string text =
      result == 1   ? std::string(label) + " Copy/Move done"
      : result == 0 ? std::string("interrupted")
                    : std::string(label) + " Copy/Move failed";
  store.log().Printf("\n%10s ..... %s!!\n", " ", text.c_str());
}

}  // namespace

int32_t ProjectFileOperation(Store& store, Ui::FileOperation operation,
                             const std::string& from, const std::string& to,
                             const std::string& progress_title) {
  if (store.context().dialog_parent != 0) {
    const int shell =
        store.ui().ShellFileOperation(operation, from, to, progress_title);
    if (shell != Ui::kNoShell) {
      if (shell == 0) return 1;
      return shell == kShellCancelled ? 0 : -1;
    }
  }
  switch (operation) {
    case Ui::FileOperation::kCopy:
      return CopyFileReplacing(store.os(), from, to) ? 1 : -1;
    case Ui::FileOperation::kMove:
      return MoveFileReplacing(store.os(), from, to) ? 1 : -1;
    case Ui::FileOperation::kDelete:
      return RemoveFileFully(store.os(), from) ? 1 : -1;
  }
  return -1;
}

int32_t CopyOrMoveProjectFile(Store& store, int32_t mode,
                              const ProjectSide& source,
                              const ProjectSide& target,
                              TransferredProject* out) {
  TransferredProject local;
  TransferredProject& project = out ? *out : local;
  project = TransferredProject();
  if (mode == kCopyProject)
    store.log().Printf("\n%8s COPY project  from: %s//%s\n%25s to: %s//%s ",
                       " ", source.folder.c_str(), source.name.c_str(), " ",
                       target.folder.c_str(), target.name.c_str());
  else if (mode == kMoveProject)
    store.log().Printf("\n\n%8s MOVE project from: %s//%s\n%25sto: %s//%s ",
                       " ", source.folder.c_str(), source.name.c_str(), " ",
                       target.folder.c_str(), target.name.c_str());
  else
    return 0;

  int32_t result = -1;
  if (FindProject(store, source.folder, source.name, nullptr,
                  &project.source_file) >= 0 &&
      FindProject(store, target.folder, target.name, &project.target_header,
                  &project.target_file) >= 0 &&
      !SamePath(project.source_file, project.target_file)) {
    // A target made just now holds nothing worth keeping.
    if (IsEmptyRecordFile(store, project.target_file))
      store.os().RemoveFile(project.target_file);
    const bool copy = mode == kCopyProject;
    result = ProjectFileOperation(
        store, copy ? Ui::FileOperation::kCopy : Ui::FileOperation::kMove,
        project.source_file, project.target_file,
        environment::SystemText(copy ? 35400 : 35402, source.name,
                                target.folder));
    if (result == 1) {
      project.done = true;
      if (!AdoptTarget(store, project.target_file, project.target_header,
                       target.program))
        result = -1;
      else if (!copy &&
               ForgetMovedSource(store, source, project.source_file) < 0)
        result = -2;
    }
  }
  if (result < 1)
    store.log().Printf("\n%8s ..... %s!!\n", " ", FailureText(result));
  return result;
}

void FollowCompanions(Store& store, int32_t mode,
                      const TransferredProject& project) {
  if (!project.done || (mode != kCopyProject && mode != kMoveProject)) return;
  FollowCompanion(store, mode, project,
                  environment::ConfigSettings::kResultExtension, "Result");
  FollowCompanion(store, mode, project,
                  environment::ConfigSettings::kPreviewExtension, "Preview");
}

}  // namespace zb::projectstore

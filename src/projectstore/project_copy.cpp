#include "projectstore/project_copy.h"

#include <memory>
#include <vector>

#include "environment/library_context.h"
#include "environment/string_utils.h"
#include "environment/strings.h"
#include "platform/platform.h"
#include "projectstore/position_locks.h"
#include "projectstore/project_catalogue.h"
#include "projectstore/store.h"
#include "recordstore/engine.h"
#include "recordstore/write_batch.h"

namespace zb::projectstore {
namespace {

using environment::Ui;
using recordstore::Engine;

constexpr int kShellCancelled = 7;
constexpr size_t kCopyChunk = 64 * 1024;

bool SamePath(const std::string& a, const std::string& b) {
  std::string x = environment::UpperText(a);
  std::string y = environment::UpperText(b);
  for (char& c : x) c = c == '/' ? '\\' : c;
  for (char& c : y) c = c == '/' ? '\\' : c;
  return x == y;
}

// The bytes of `from` into a new file `to`; false leaves `to` behind.
bool CopyBytes(Store& store, const std::string& from, const std::string& to) {
  platform::Platform& os = store.os();
  std::unique_ptr<platform::File> in;
  std::unique_ptr<platform::File> out;
  if (!os.OpenFile(from, platform::Access::kRead, platform::Share::kDenyNone,
                   &in)
           .ok() ||
      !os.NewFile(to, platform::Share::kDenyReadWrite, &out).ok())
    return false;
  std::vector<char> buffer(kCopyChunk);
  for (uint64_t at = 0;;) {
    size_t got = 0;
    if (!in->ReadAt(at, buffer.data(), buffer.size(), &got).ok()) return false;
    if (got == 0) return true;
    size_t written = 0;
    if (!out->WriteAt(at, buffer.data(), got, &written).ok() || written != got)
      return false;
    at += got;
  }
}

// Copied beside the target first, so that a failing copy leaves an
// existing target as it was.
bool CopyDirectly(Store& store, const std::string& from,
                  const std::string& to) {
  platform::Platform& os = store.os();
  const std::string partial = to + ".$$$";
  if (!CopyBytes(store, from, partial)) {
    os.RemoveFile(partial);
    return false;
  }
  if (os.FileExists(to)) os.RemoveFile(to);
  if (!os.RenameFile(partial, to).ok()) {
    os.RemoveFile(partial);
    return false;
  }
  return true;
}

bool MoveDirectly(Store& store, const std::string& from,
                  const std::string& to) {
  platform::Platform& os = store.os();
  if (!os.FileExists(from)) return false;
  if (os.FileExists(to) && !os.RemoveFile(to).ok()) return false;
  if (os.RenameFile(from, to).ok()) return true;
  // Another drive: copy, then give up the source; a source that stays
  // takes its copy back, so the project exists exactly once.
  if (!CopyDirectly(store, from, to)) return false;
  if (os.RemoveFile(from).ok()) return true;
  os.RemoveFile(to);
  return false;
}

bool DeleteDirectly(Store& store, const std::string& path) {
  platform::Platform& os = store.os();
  os.RemoveFile(path);
  return !os.FileExists(path);
}

bool IsEmptyRecordFile(Store& store, const std::string& path) {
  Engine& engine = store.engine();
  const int32_t h = engine.OpenReadOnly(path.c_str());
  if (h <= 0) return false;
  const bool empty = engine.NumRecords(h) == 0;
  engine.Close(h);
  return empty;
}

// Unlocks the copied positions and gives the file its own header: locks
// and header of the source mean nothing in the target.
bool AdoptTarget(Store& store, const std::string& path, const PROINFO& header,
                 const std::string& program_key) {
  if (!store.os().FileExists(path)) return false;
  Engine& engine = store.engine();
  const int32_t h = engine.OpenExclusive(path.c_str());
  if (h <= 0) return false;
  recordstore::WriteBatch batch(engine, h);
  UnlockAll(store, h, store.catalogue().NumberByKey(program_key));
  batch.End();  // the header's write below reports its own result
  const bool written =
      engine.WriteBin(h, 0, sizeof header, &header) == int32_t(sizeof header);
  engine.Close(h);
  return written;
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
    Engine& engine = store.engine();
    const int32_t h = engine.OpenExclusive(to.c_str());
    if (h > 0) {
      engine.WriteBin(h, 0, sizeof project.target_header,
                      &project.target_header);
      engine.Close(h);
    } else {
      result = -1;
    }
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
      return CopyDirectly(store, from, to) ? 1 : -1;
    case Ui::FileOperation::kMove:
      return MoveDirectly(store, from, to) ? 1 : -1;
    case Ui::FileOperation::kDelete:
      return DeleteDirectly(store, from) ? 1 : -1;
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

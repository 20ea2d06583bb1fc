// Copying, moving and deleting the files of a project. While the calling
// program has named a dialog parent, files go through the shell's file
// operation (its progress window, undo through the recycle bin); without
// one, or where there is no shell, the library does the work itself.
#ifndef ZBDB_PROJECTSTORE_PROJECT_COPY_H_
#define ZBDB_PROJECTSTORE_PROJECT_COPY_H_

#include <cstdint>
#include <string>

#include "environment/ui.h"
#include "zbdb900_types.h"

namespace zb::projectstore {

class Store;

// The modes of a project transfer, as the exports and the explorer pass
// them.
constexpr int32_t kMoveProject = 1;
constexpr int32_t kCopyProject = 2;

// One file copied (an existing target is replaced), moved or deleted (`to`
// unused). 1 done, 0 interrupted by the user (shell result 7), -1 failed.
int32_t ProjectFileOperation(Store& store,
                             environment::Ui::FileOperation operation,
                             const std::string& from, const std::string& to,
                             const std::string& progress_title);

// One side of a transfer: data folder, project name, program key.
struct ProjectSide {
  std::string folder;
  std::string name;
  std::string program;
};

// What a transfer touched, for the companions that follow it.
struct TransferredProject {
  bool done = false;        // the project file reached the target
  std::string source_file;  // paths as found in the lists
  std::string target_file;
  PROINFO target_header{};  // the target's own list entry
};

// Copies (kCopyProject) or moves (kMoveProject) the project file of
// `source` onto that of `target`, whose list entry must exist already.
// Afterwards the target file carries its own list entry as header and no
// position of the target's program is locked in it; after a move the
// source folder's list is checked against the folder, and an entry that
// still names the moved file is taken out.
// 1 done; 0 interrupted, or an unknown mode; -1 failed (either project
// missing, both the same file, the file operation failed); -2 moved, but
// the source list could not be checked. `out` may be null.
int32_t CopyOrMoveProjectFile(Store& store, int32_t mode,
                              const ProjectSide& source,
                              const ProjectSide& target,
                              TransferredProject* out);

// The result file (".ERG") and the preview file (".PRV") follow a project
// that was copied or moved: each is copied or moved beside the target and
// given the target's header. A companion the source lacks is removed from
// the target, where it belonged to the project that was overwritten.
// Companions are optional: nothing here fails the transfer.
void FollowCompanions(Store& store, int32_t mode,
                      const TransferredProject& project);

}  // namespace zb::projectstore

#endif  // ZBDB_PROJECTSTORE_PROJECT_COPY_H_

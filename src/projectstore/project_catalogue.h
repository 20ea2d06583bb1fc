// The project catalogue of a data folder: the project list file (a record
// file naming every project with its number and path), the naming of
// project files, lookup, creation, renaming, deletion, the rebuild of the
// list from the files in the folder, and the compaction of project files.
//
// Folders are Windows path text; a trailing backslash is added where
// missing. Every operation opens the list once and closes it again before
// it returns, so no handle is held between calls.
#ifndef ZBDB_PROJECTSTORE_PROJECT_CATALOGUE_H_
#define ZBDB_PROJECTSTORE_PROJECT_CATALOGUE_H_

#include <cstdint>
#include <string>

#include "projectstore/project_list.h"
#include "projectstore/project_names.h"
#include "zbdb900_types.h"

namespace zb::projectstore {

class Store;

constexpr int16_t kWriteCounterKey = 30005;  // in a project file, Key2 0

// The list entry whose trimmed, umlaut-converted name equals `name`
// exactly; its index, or kProjectNotFound / kListNotOpenable. `info` and
// `path` (relocated into `folder`) may be null.
int32_t FindProject(Store& store, const std::string& folder,
                    const std::string& name, PROINFO* info, std::string* path);

// The PROINFO header of the project file at `path`; false (out untouched)
// when the file does not open or has no header.
bool ReadProjectHeader(Store& store, const std::string& path, PROINFO* out);

// The first number 1..29999 without a project file; 1 when all exist.
int32_t FirstFreeNumber(Store& store, const std::string& folder);

// Creates the project (or gives an existing one the author); its number,
// 0 when the file of the next number exists already, negative on failure.
int32_t CreateProject(Store& store, const std::string& folder,
                      const std::string& name, const std::string& author);

// New name and author for list entry `index`, in the project file, its
// companions and the list. 1, kProjectNoAccess, kProjectNotFound, or
// kListNotOpenable.
int32_t RenameProject(Store& store, const std::string& folder, int32_t index,
                      const std::string& name, const std::string& author);
int32_t RenameProject(ProjectList& list, int32_t index,
                      const std::string& name, const std::string& author);

// 0 file project, 1 folder project, negative when not found.
int32_t ProjectKind(Store& store, const std::string& folder,
                    const std::string& name);

// Before positions of a project are read: a folder project is managed by
// another product and only readable here, so the user is asked (Yes/No)
// whether to read it anyway. True to go on: a project file, a folder
// project when `ask` is false or the answer is Yes, and a project whose
// kind is unknown (logged; reading it fails on its own).
bool MayReadProject(Store& store, const std::string& folder,
                    const std::string& name, bool ask);

// Builds the list anew from the folder's files; the number of entries or a
// negative record engine code.
int32_t RebuildProjectList(Store& store, const std::string& folder);

// Rebuilds the list when its entry count differs from the projects in the
// folder. The rebuild's result, 0 when none was needed, or negative when
// the list could not be opened.
int32_t CheckListAgainstFolder(Store& store, const std::string& folder);

// Compacts a project file whose write counter is 0 or above 499 and resets
// the counter; the compaction's result, 0 when none was due.
int32_t CompactWhenDue(Store& store, const std::string& project_file);

// Takes the project's entry out of the list (the path records of the
// entries behind it move up with them) and rewrites the next free number.
// 1 removed, 0 not in the list, -2 list not openable.
int32_t RemoveListEntry(Store& store, const std::string& folder,
                        const std::string& name);

// Deletes the project file (through the shell while a dialog parent is
// set), then its companions and its list entry; a deletion that failed
// still takes the entry out of the list, an interrupted one leaves it.
// 1 entry removed, 0 not removed, -1 interrupted, -2 list not openable,
// kProjectNotFound.
int32_t DeleteProject(Store& store, const std::string& folder,
                      const std::string& name);

}  // namespace zb::projectstore

#endif  // ZBDB_PROJECTSTORE_PROJECT_CATALOGUE_H_

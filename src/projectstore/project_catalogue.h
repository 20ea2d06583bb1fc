// The project catalogue of a data folder: the project list file (a record
// file naming every project with its number and path), the naming of
// project files, lookup, creation, renaming, deletion, the rebuild of the
// list from the files in the folder, and the compaction of project files.
//
// Folders are Windows path text; a trailing backslash is added where
// missing. Every operation opens the list and closes it again before it
// returns, so no handle is held between calls.
#ifndef ZBDB_PROJECTSTORE_PROJECT_CATALOGUE_H_
#define ZBDB_PROJECTSTORE_PROJECT_CATALOGUE_H_

#include <cstdint>
#include <string>

#include "zbdb900_types.h"

namespace zb::projectstore {

class Store;

// Keys of the project list.
constexpr int16_t kListKey = 30003;        // with kListKey: entry i
constexpr int16_t kNextNumberKey = 30001;  // (kListKey, this): next number
constexpr int16_t kPathKey = 30008;        // (this, i): path of entry i
constexpr int16_t kFolderMarkerKey = 901;  // (901, 901): folder projects seen
constexpr int16_t kWriteCounterKey = 30005;  // in a project file, Key2 0
constexpr int kPathRecordSize = 260;
constexpr int kHighestNumber = 29999;

// Result codes (those of the interface exports).
constexpr int32_t kProjectNotFound = -202;  // ERR_PRO_NOTFOUND
constexpr int32_t kProjectNoAccess = -209;  // ERR_PRO_NOACCES
constexpr int32_t kListNotOpenable = -211;

// PROINFO bytes the list uses for its own purposes.
uint32_t ListCreationCopy(const PROINFO& info);  // u32 at 46
uint16_t ListKind(const PROINFO& info);          // u16 at 50
void SetListCreationCopy(PROINFO* info, uint32_t value);
void SetListKind(PROINFO* info, uint16_t kind);

std::string WithBackslash(const std::string& folder);
// Folder + the configured list name ("ZBPROS.ZB").
std::string ProjectListPath(Store& store, const std::string& folder);
// Folder + "PRO" + number as %05d + the project extension.
std::string ProjectFilePath(Store& store, const std::string& folder,
                            int number);
// The project file's name with ".ERG" or ".PRV".
std::string CompanionPath(const std::string& project_file,
                          const char* extension);

// DOS (code page 437/850) umlauts and sharp s to Windows-1252.
std::string DosUmlautsToWindows(std::string text);
// Leading and trailing blanks removed, except that a name of exactly four
// blanks stays as it is.
std::string TrimProjectName(const std::string& name);

// The list entry whose trimmed, umlaut-converted name equals `name`
// exactly; its index, or kProjectNotFound / kListNotOpenable. `info` and
// `path` (relocated into `folder`) may be null.
int32_t FindProject(Store& store, const std::string& folder,
                    const std::string& name, PROINFO* info, std::string* path);

// A record handle on the list, shared. A missing list is rebuilt first; a
// write-protected one ends the process after telling the user.
int32_t OpenProjectList(Store& store, const std::string& folder);

// The first number 1..29999 without a project file; 1 when all exist.
int32_t FirstFreeNumber(Store& store, const std::string& folder);

// Creates the project (or gives an existing one the author); its number,
// 0 when the file of the next number exists already, negative on failure.
int32_t CreateProject(Store& store, const std::string& folder,
                      const std::string& name, const std::string& author);

// New name and author for list entry `index`, in the project file, its
// companions and the list. 1, kProjectNoAccess, or kListNotOpenable.
int32_t RenameProject(Store& store, const std::string& folder, int32_t index,
                      const std::string& name, const std::string& author);

// 0 file project, 1 folder project, negative when not found.
int32_t ProjectKind(Store& store, const std::string& folder,
                    const std::string& name);
// True for the path of a folder project's data file ("ProjectData.ZBDB").
bool IsFolderProjectPath(const std::string& path);

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
// Gives clashing list names the project number; true when any changed.
bool MakeNamesUnique(Store& store, int32_t list_handle);

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

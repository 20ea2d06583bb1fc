// Names and paths of a data folder's projects: the list file, the project
// files and their companions, and the forms a project name is compared in.
// Folders are Windows path text; a trailing backslash is added where
// missing.
#ifndef ZBDB_PROJECTSTORE_PROJECT_NAMES_H_
#define ZBDB_PROJECTSTORE_PROJECT_NAMES_H_

#include <cstdint>
#include <string>

#include "zbdb900_types.h"

namespace zb::projectstore {

class Store;

constexpr char kFolderProjectPrefix[] = "ZBProjekt_";
constexpr char kFolderProjectFile[] = "ProjectData.ZBDB";

std::string WithBackslash(const std::string& folder);
// Separators unified and letters upper-cased, for path comparisons.
std::string PathKey(const std::string& path);
// Folder + the configured list name ("ZBPROS.ZB").
std::string ProjectListPath(Store& store, const std::string& folder);
// Folder + "PRO" + number as %05d + the project extension.
std::string ProjectFilePath(Store& store, const std::string& folder,
                            int number);
// The project file's name with ".ERG" or ".PRV".
std::string CompanionPath(const std::string& project_file,
                          const char* extension);
// The five digits before the dot of "PRO00017.PRO"; -1 when not digits.
int NumberFromFileName(const std::string& name);
// True for the path of a folder project's data file ("ProjectData.ZBDB").
bool IsFolderProjectPath(const std::string& path);

// DOS (code page 437/850) umlauts and sharp s to Windows-1252.
std::string DosUmlautsToWindows(std::string text);
// Leading and trailing blanks removed, except that a name of exactly four
// blanks stays as it is.
std::string TrimProjectName(const std::string& name);
// The project name of a PROINFO, up to its first zero.
std::string NameOf(const PROINFO& info);

// PROINFO bytes the list uses for its own purposes.
uint32_t ListCreationCopy(const PROINFO& info);  // u32 at 46
uint16_t ListKind(const PROINFO& info);          // u16 at 50
void SetListCreationCopy(PROINFO* info, uint32_t value);
void SetListKind(PROINFO* info, uint16_t kind);

}  // namespace zb::projectstore

#endif  // ZBDB_PROJECTSTORE_PROJECT_NAMES_H_

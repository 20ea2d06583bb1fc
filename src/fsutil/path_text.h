// Windows path text: splitting and composing the paths the library stores.
// '\' is the separator; on POSIX builds '/' counts as one too, so paths a
// user typed with slashes split the same way.
#ifndef ZBDB_FSUTIL_PATH_TEXT_H_
#define ZBDB_FSUTIL_PATH_TEXT_H_

#include <string>

namespace zb::fsutil {

bool IsSeparator(char c);
// The part before the last separator, with it ("D:\Daten\" of
// "D:\Daten\PRO1.PRO"); empty when there is none.
std::string FolderOf(const std::string& path);
// The part after the last separator.
std::string FileNameOf(const std::string& path);
// Replaces the extension of the file name (the part from its last dot) by
// `extension` (given with its dot); appends it when there is none.
std::string ReplaceExtension(const std::string& path,
                             const std::string& extension);
// folder + name with exactly one separator between them.
std::string Join(const std::string& folder, const std::string& name);
// Windows wildcard match of a file name ('*', '?'), ignoring case.
bool MatchesWildcard(const std::string& pattern, const std::string& name);

}  // namespace zb::fsutil

#endif  // ZBDB_FSUTIL_PATH_TEXT_H_

// Turning the library's Windows path text into a POSIX path.
//
//  - '\' becomes '/'.
//  - A drive letter "X:" maps to the folder named by the environment
//    setting ZBDB_DRIVE_X (for example ZBDB_DRIVE_D=/srv/d); an unmapped
//    drive letter maps to the root folder.
//  - Windows-1252 text becomes UTF-8.
//  - A component that does not exist under its exact name is looked up
//    case-insensitively in its folder, so data folders copied from Windows
//    keep working. Components that exist in no spelling stay as given.
#ifndef ZBDB_PLATFORM_POSIX_PATH_MAP_H_
#define ZBDB_PLATFORM_POSIX_PATH_MAP_H_

#include <string>

namespace zb::platform::posix {

std::string Cp1252ToUtf8(const std::string& text);
// Falls back to the bytes as they are when text is not valid UTF-8 or has
// characters outside Windows-1252.
std::string Utf8ToCp1252(const std::string& text);

// Syntactic mapping only (separators, drive, encoding).
std::string MapPathText(const std::string& windows_path);
// MapPathText, then the case-insensitive resolution of missing components.
std::string ToNativePath(const std::string& windows_path);

}  // namespace zb::platform::posix

#endif  // ZBDB_PLATFORM_POSIX_PATH_MAP_H_

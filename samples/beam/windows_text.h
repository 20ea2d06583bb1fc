// The library keeps its texts in Windows-1252; a Linux terminal speaks
// UTF-8. Windows hands the program its ANSI code page, taken as it is.
#ifndef ZBDB_SAMPLES_BEAM_WINDOWS_TEXT_H_
#define ZBDB_SAMPLES_BEAM_WINDOWS_TEXT_H_

#include <string>

namespace beam {

// The typed text as Windows-1252; false when it is no valid UTF-8 or holds
// a character Windows-1252 lacks (an emoji, Greek), which the library
// could only store mangled.
bool ToLibraryText(const std::string& typed, std::string* library_text);
// Windows-1252 text for the terminal.
std::string ShownText(const std::string& library_text);
// A library path for the terminal and the file system: '\' as '/'.
std::string ShownPath(const std::string& library_path);

}  // namespace beam

#endif  // ZBDB_SAMPLES_BEAM_WINDOWS_TEXT_H_

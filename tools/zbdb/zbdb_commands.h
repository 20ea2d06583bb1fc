// The commands of the zbdb support tool, apart from the parsing of the
// command line, so that the test suite can run them in-process.
//
// File arguments are taken as the user typed them: UTF-8 on Linux, the ANSI
// code page on Windows. The commands turn them into the library's path text
// themselves and show them as given in their messages.
#ifndef ZBDB_TOOLS_ZBDB_COMMANDS_H_
#define ZBDB_TOOLS_ZBDB_COMMANDS_H_

#include <cstdint>
#include <cstdio>
#include <string>

namespace zb::tool {

enum ExitStatus {
  kExitOk = 0,
  kExitFailed = 1,  // the command failed, or the file is not sound
  kExitUsage = 2,   // unknown command, missing or surplus argument
};

struct Streams {
  std::FILE* out = stdout;
  std::FILE* err = stderr;
  // Text from files (Windows-1252) as it is, instead of UTF-8 with control
  // characters shown as '.'. Windows consoles always get it as it is.
  bool raw = false;
};

// The record listing of the file, opened read-only.
int ListCommand(const std::string& file, const Streams& io);
// State, record count, end of data and deleted records; never writes.
// Exit 1 unless the file is a sound record file (one that only needs
// re-indexing is sound; a closed one whose index disagrees with its
// records is not).
int CheckCommand(const std::string& file, const Streams& io);
// Drops the deleted records; the old file is kept as "<name>.xxx". Says
// whether a file without deleted records changed all the same (the open
// re-indexes a file left unclosed).
int CompactCommand(const std::string& file, const Streams& io);
// Writes a small project-like record file; never overwrites a file. Given
// a data folder, creates the project "Demoprojekt" in it instead, through
// the project store (list entry, two positions, the second one locked by
// this user); refused when the folder holds that project already.
int DemoCommand(const std::string& file, const Streams& io);

// The typed text (UTF-8 on POSIX, the ANSI code page on Windows) as the
// library's Windows-1252 text.
std::string LibraryText(const std::string& typed);
// Whether the typed text converts to Windows-1252 and back unchanged: no
// emoji, no character the code page lacks, valid UTF-8. The library could
// store other text only mangled.
bool IsWindows1252Text(const std::string& typed);
// The library's Windows-1252 text as the terminal's.
std::string ShownText(const std::string& library_text);
// Why an open of the record engine failed, in words for support people.
const char* OpenFailure(int32_t code);

// Windows-1252 text for a terminal: UTF-8 on POSIX, and every control
// character except line feed and tab shown as '.', so that bytes from a
// damaged record cannot drive the terminal. Unchanged when raw.
std::string TerminalText(const std::string& cp1252, bool raw);

}  // namespace zb::tool

#endif  // ZBDB_TOOLS_ZBDB_COMMANDS_H_

// What the project, position and exchange commands of zbdb share: typed
// arguments turned into library text, the checks every command on a data
// folder makes first, and aligned tables and dates for the terminal.
// Every check reports its failure on io.err ("zbdb COMMAND: ...") and
// returns false.
#ifndef ZBDB_TOOLS_COMMAND_SUPPORT_H_
#define ZBDB_TOOLS_COMMAND_SUPPORT_H_

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "zbdb900.h"
#include "zbdb_commands.h"

namespace zb::api {
class Library;
}  // namespace zb::api

namespace zb::tool {

// Columns padded in Windows-1252 (one byte a character) before a line is
// converted for the terminal, where an umlaut takes two bytes.
class Table {
 public:
  explicit Table(std::vector<std::string> header);
  // Numbers: the column's texts end at its right edge.
  void RightAlign(size_t column);
  void Add(std::vector<std::string> row);
  void Print(const Streams& io) const;

 private:
  std::vector<std::vector<std::string>> rows_;
  std::vector<bool> right_;
};

// A fixed-width text field up to its first zero.
std::string Field(const char* field, size_t width);
// Dates as the library's lists show them: UTC, "%d.%m.%Y", with the time
// "%d.%m.%Y,%H:%M"; empty for a time never set (0).
std::string DateText(uint32_t seconds, bool with_time);
// Library text between single quotes, for messages.
std::string Quoted(const std::string& text);

// "zbdb COMMAND: what" on io.err, converted for the terminal.
void Fail(const Streams& io, const char* command, const std::string& what);
// A line of library text on io.out, converted for the terminal.
void Say(const Streams& io, const std::string& text);

// A path of the library for the reader: with '/' on POSIX.
std::string ShownPath(const std::string& path);
// A typed path as the library's path text, made absolute (the project
// list stores the paths it is given).
std::string PathText(const std::string& typed);

// The folder exists and its project list, when there is one, is not
// write-protected (the library ends a program that meets one).
bool UsableFolder(zb::api::Library& lib, const Streams& io, const char* command,
                  const std::string& folder);

// A data folder holds a project list, project files or folder projects,
// or is the installation's data folder (which may still be empty).
bool IsDataFolder(zb::api::Library& lib, const std::string& folder);

// Why the project file cannot be worked with, seen from outside the
// library: missing, unreadable, damaged (not a record file, or its index
// disagrees with its records) or write-protected; empty when none of these.
std::string ProjectFileProblem(zb::api::Library& lib, const std::string& path);

struct FoundProject {
  PROINFO info{};
  std::string path;  // the project file, relocated into the folder
};
// The project of that name in the folder's list.
bool FindProjectOrFail(zb::api::Library& lib, const Streams& io,
                       const char* command, const std::string& folder,
                       const std::string& name, FoundProject* out);
// A folder project: another product's data, read-only for the library.
bool IsFolderProject(const std::string& path);
bool RefuseFolderProject(const Streams& io, const char* command,
                         const std::string& name, const FoundProject& project);
// The path relative to the folder when it lies there, else whole; shown.
std::string RelativeToFolder(const std::string& folder,
                             const std::string& path);

// The number of a program given by its catalogue key ("DLT") or as a
// number ("101"); "ALLE" and other non-programs are refused.
bool ProgramOf(zb::api::Library& lib, const Streams& io, const char* command,
               const std::string& text, int16_t* program);
// The catalogue's key of the number, or the number as "%05d".
std::string ProgramName(zb::api::Library& lib, int16_t program);

// A zeroed request naming data folder and project; false when the folder
// does not fit its field.
bool FillRequest(const Streams& io, const char* command,
                 const std::string& folder, const std::string& project,
                 ZBPROPOS_L* request);
// Copies a path into a request field of 100 characters; false (reported)
// when it does not fit.
bool PutRequestPath(const Streams& io, const char* command,
                    const std::string& path, char field[100]);

// A bar on a terminal's error stream for a long copy of `size` bytes
// ("copying [####      ]  40%"); nothing for small files or elsewhere.
class ProgressBar {
 public:
  ProgressBar(std::FILE* out, uint64_t size, const char* label);
  ~ProgressBar();
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;
  void Show(int32_t percent);

 private:
  std::FILE* out_;
  const char* label_;
  bool on_;
  int32_t shown_ = -1;
};

}  // namespace zb::tool

#endif  // ZBDB_TOOLS_COMMAND_SUPPORT_H_

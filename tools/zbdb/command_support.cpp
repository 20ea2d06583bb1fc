#include "command_support.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <ctime>

#ifdef _WIN32
#include <io.h>
#define ZBDB_ISATTY _isatty
#define ZBDB_FILENO _fileno
#else
#include <unistd.h>
#define ZBDB_ISATTY isatty
#define ZBDB_FILENO fileno
#endif

#include "api/library.h"
#include "environment/library_context.h"
#include "index_check.h"
#include "platform/platform.h"
#include "projectstore/positions.h"
#include "projectstore/project_catalogue.h"
#include "projectstore/project_names.h"
#include "recordstore/inspect.h"
#include "recordstore/typed_records.h"


namespace zb::tool {

namespace env = zb::environment;
namespace ps = zb::projectstore;

namespace {

constexpr size_t kRequestPathWidth = 100;

char Unified(char c) {
  return static_cast<char>(
      std::tolower(static_cast<unsigned char>(c == '/' ? '\\' : c)));
}

bool SameText(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Unified(a[i]) != Unified(b[i])) return false;
  return true;
}

}  // namespace

Table::Table(std::vector<std::string> header) : right_(header.size(), false) {
  rows_.push_back(std::move(header));
}

void Table::RightAlign(size_t column) {
  if (column < right_.size()) right_[column] = true;
}

void Table::Add(std::vector<std::string> row) {
  row.resize(rows_[0].size());
  rows_.push_back(std::move(row));
}

void Table::Print(const Streams& io) const {
  std::vector<size_t> width(rows_[0].size(), 0);
  for (const auto& row : rows_)
    for (size_t c = 0; c < row.size(); ++c)
      width[c] = std::max(width[c], row[c].size());
  for (const auto& row : rows_) {
    std::string line;
    for (size_t c = 0; c < row.size(); ++c) {
      if (c > 0) line += "  ";
      const std::string pad(width[c] - row[c].size(), ' ');
      line += right_[c] ? pad + row[c] : row[c] + pad;
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    Say(io, line);
  }
}

std::string Field(const char* field, size_t width) {
  return std::string(field, strnlen(field, width));
}

std::string DateText(uint32_t seconds, bool with_time) {
  if (seconds == 0) return std::string();
  const std::tm tm = platform::CalendarTime(seconds, false);
  char text[32] = {};
  std::strftime(text, sizeof text, with_time ? "%d.%m.%Y,%H:%M" : "%d.%m.%Y",
                &tm);
  return text;
}

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

void Fail(const Streams& io, const char* command, const std::string& what) {
  std::fprintf(io.err, "zbdb %s: %s\n", command,
               TerminalText(what, io.raw).c_str());
}

void Say(const Streams& io, const std::string& text) {
  std::fprintf(io.out, "%s\n", TerminalText(text, io.raw).c_str());
}

std::string ShownPath(const std::string& path) {
  std::string text = path;
#ifndef _WIN32
  for (char& c : text)
    if (c == '\\') c = '/';
#endif
  return text;
}

std::string PathText(const std::string& typed) {
  return LibraryText(zb::api::TheLibrary().os().AbsolutePath(typed));
}

bool UsableFolder(zb::api::Library& lib, const Streams& io, const char* command,
                  const std::string& folder) {
  platform::Platform& os = lib.os();
  if (!os.IsFolder(folder)) {
    Fail(io, command, ShownPath(folder) + ": no such folder");
    return false;
  }
  const std::string list = ps::ProjectListPath(lib.store(), folder);
  bool read_only = false;
  if (os.FileExists(list) && os.IsReadOnly(list, &read_only).ok() &&
      read_only) {
    Fail(io, command,
         ShownPath(list) +
             ": the project list is write-protected; the library works in "
             "this folder only when the protection is removed");
    return false;
  }
  return true;
}

bool IsDataFolder(zb::api::Library& lib, const std::string& folder) {
  platform::Platform& os = lib.os();
  if (os.FileExists(ps::ProjectListPath(lib.store(), folder))) return true;
  const std::string base = ps::WithBackslash(folder);
  const std::string installed = lib.context().folders.data;
  if (!installed.empty() && SameText(ps::WithBackslash(installed), base))
    return true;
  std::vector<platform::DirEntry> entries;
  os.FindFiles(base + "*" + lib.context().config.project_extension, &entries);
  for (const platform::DirEntry& entry : entries)
    if (!entry.is_folder) return true;
  entries.clear();
  os.FindFiles(base + ps::kFolderProjectPrefix + "*", &entries);
  for (const platform::DirEntry& entry : entries)
    if (entry.is_folder &&
        os.FileExists(base + entry.name + "\\" + ps::kFolderProjectFile))
      return true;
  return false;
}

std::string ProjectFileProblem(zb::api::Library& lib, const std::string& path) {
  platform::Platform& os = lib.os();
  const std::string shown = "the project file " + ShownPath(path);
  if (!os.FileExists(path)) return shown + " is missing";
  const recordstore::FileReport report =
      recordstore::InspectRecordFile(os, path);
  if (report.state == recordstore::FileState::kMissing)
    return shown + " cannot be read (no permission?)";
  if (report.state == recordstore::FileState::kNotRecordFile)
    return shown + " is damaged: " + report.problem +
           " ('zbdb check' tells more)";
  const std::string disagreement = IndexDisagreement(os, path, report);
  if (!disagreement.empty())
    return shown + " is damaged: its index disagrees with its records (" +
           disagreement + ")";
  bool read_only = false;
  if (os.IsReadOnly(path, &read_only).ok() && read_only)
    return shown + " is write-protected (read-only)";
  return std::string();
}

bool FindProjectOrFail(zb::api::Library& lib, const Streams& io,
                       const char* command, const std::string& folder,
                       const std::string& name, FoundProject* out) {
  const int32_t index =
      ps::FindProject(lib.store(), folder, name, &out->info, &out->path);
  if (index >= 0 && !out->path.empty()) return true;
  if (index == ps::kListNotOpenable)
    Fail(io, command,
         "the project list of " + ShownPath(folder) + " cannot be opened");
  else if (index >= 0)
    Fail(io, command, "project " + Quoted(name) + " has no file in the list");
  else
    Fail(io, command,
         "no project " + Quoted(name) + " in " + ShownPath(folder) +
             " ('zbdb projects' lists them)");
  return false;
}

bool IsFolderProject(const std::string& path) {
  std::string upper = path;
  for (char& c : upper)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper.find("PROJECTDATA.ZBDB") != std::string::npos;
}

bool RefuseFolderProject(const Streams& io, const char* command,
                         const std::string& name, const FoundProject& project) {
  if (!IsFolderProject(project.path)) return false;
  Fail(io, command,
       "project " + Quoted(name) +
           " is a folder project of ZB-Manager: read-only; nothing changed");
  return true;
}

std::string RelativeToFolder(const std::string& folder,
                             const std::string& path) {
  const std::string base = ps::WithBackslash(folder);
  if (path.size() <= base.size()) return ShownPath(path);
  for (size_t i = 0; i < base.size(); ++i)
    if (Unified(path[i]) != Unified(base[i])) return ShownPath(path);
  return ShownPath(path.substr(base.size()));
}

bool ProgramOf(zb::api::Library& lib, const Streams& io, const char* command,
               const std::string& text, int16_t* program) {
  const env::ProgramCatalogue& catalogue = lib.catalogue();
  const int index = catalogue.FindKey(text);
  long number = -1;
  if (index >= 0) {
    number = catalogue.entry(index).line.number;
  } else if (!text.empty() && text.size() <= 5 &&
             std::all_of(text.begin(), text.end(),
                         [](char c) { return c >= '0' && c <= '9'; })) {
    number = std::stol(text);
  } else {
    Fail(io, command,
         "unknown program " + Quoted(text) +
             ": neither a key of the program catalogue ('zbdb programs') nor "
             "a program number");
    return false;
  }
  if (number <= 0 || number >= ps::kAllPrograms) {
    Fail(io, command, "program " + Quoted(text) + " names no single program");
    return false;
  }
  *program = static_cast<int16_t>(number);
  return true;
}

std::string ProgramName(zb::api::Library& lib, int16_t program) {
  return lib.catalogue().KeyByNumber(program);
}

bool PutRequestPath(const Streams& io, const char* command,
                    const std::string& path, char field[100]) {
  if (path.size() >= kRequestPathWidth) {
    Fail(io, command,
         ShownPath(path) +
             ": too long; the library takes paths of at most 99 "
             "characters");
    return false;
  }
  recordstore::CopyTextField(field, path.c_str(), kRequestPathWidth);
  return true;
}

bool FillRequest(const Streams& io, const char* command,
                 const std::string& folder, const std::string& project,
                 ZBPROPOS_L* request) {
  std::memset(request, 0, sizeof *request);
  if (!PutRequestPath(io, command, ps::WithBackslash(folder),
                      request->szDataPfad))
    return false;
  recordstore::CopyTextField(request->szProName,
                             ps::TrimProjectName(project).substr(0, 41).c_str(),
                             sizeof request->szProName);
  return true;
}

namespace {
constexpr uint64_t kBarFrom = 4u * 1024 * 1024;  // smaller files are quick
}  // namespace

ProgressBar::ProgressBar(std::FILE* out, uint64_t size, const char* label)
    : out_(out),
      label_(label),
      on_(size >= kBarFrom && ZBDB_ISATTY(ZBDB_FILENO(out))) {}

ProgressBar::~ProgressBar() {
  if (on_ && shown_ >= 0) std::fputs("\n", out_);
}

void ProgressBar::Show(int32_t percent) {
  if (!on_ || percent == shown_) return;
  shown_ = percent;
  const int filled = percent / 5;
  std::fprintf(out_, "\r%s [%.*s%*s] %3d%%", label_, filled,
               "####################", 20 - filled, "", percent);
  std::fflush(out_);
}

}  // namespace zb::tool

#include "beam_program.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace beam {
namespace {

constexpr int16_t kAnyKey = DB_WILDCARD;

void SetField(char* field, size_t width, const std::string& text) {
  std::memset(field, 0, width);
  std::memcpy(field, text.data(), text.size() < width ? text.size() : width - 1);
}

std::string FieldText(const char* field, size_t width) {
  size_t n = 0;
  while (n < width && field[n] != '\0') ++n;
  return std::string(field, n);
}

bool IsFolder(const std::string& path) {
  std::error_code error;
  return !path.empty() && std::filesystem::is_directory(path, error);
}

// The installation keeps TMP beside the data folder (ZBStatik/Daten and
// ZBStatik/TMP).
std::string TmpBesideDataFolder(std::string data) {
  while (data.size() > 1 && (data.back() == '/' || data.back() == '\\'))
    data.pop_back();
  const size_t cut = data.find_last_of("/\\");
  if (cut == std::string::npos) return {};
  return data.substr(0, cut + 1) + "TMP";
}

// The records of the program's own keys are read with the handle the open
// gave; the engine counts handles per process, at most nine.
class RecordFile {
 public:
  RecordFile(const std::string& path, bool writable)
      : h_(writable ? DBOpen(path.c_str()) : DBOpenReadOnly(path.c_str())) {}
  ~RecordFile() {
    if (h_ > 0) DBClose(static_cast<int16_t>(h_));
  }
  RecordFile(const RecordFile&) = delete;
  RecordFile& operator=(const RecordFile&) = delete;
  int32_t error() const { return h_ > 0 ? 0 : h_; }
  int16_t h() const { return static_cast<int16_t>(h_); }

 private:
  int32_t h_;
};

template <typename T>
int32_t ReadRecord(const std::string& path, int16_t k1, int16_t k2, T* out) {
  RecordFile file(path, false);
  if (file.error() < 0) return file.error();
  const int32_t n = DBRead(file.h(), k1, k2, 0, sizeof *out, out);
  return n == static_cast<int32_t>(sizeof *out) ? 1 : 0;
}

}  // namespace

BeamResults Calculate(const BeamInput& input) {
  // Simply supported, uniform load: each support carries half the load,
  // the moment peaks at mid-span with q l^2 / 8.
  BeamResults r;
  const double total = input.load_kn_per_m * input.span_m;
  r.reaction_a_kn = total / 2;
  r.reaction_b_kn = total / 2;
  r.max_moment_knm = input.load_kn_per_m * input.span_m * input.span_m / 8;
  r.max_moment_at_m = input.span_m / 2;
  return r;
}

std::string ResultName(int32_t code) {
  const char* what = nullptr;
  switch (code) {
    case 0: what = "nothing done"; break;
    case -1: what = "the data folder is missing or the program key is unknown"; break;
    case -2: what = "the working file has no position header (or: access denied)"; break;
    case -3: what = "the working file is empty, or a folder is not a folder"; break;
    case -4: what = "the working file cannot be opened"; break;
    case -5: what = "access denied, or the position is empty"; break;
    case -6: what = "the project file cannot be opened or created"; break;
    case -7: what = "the position is locked by another program (no write permission)"; break;
    case -8: what = "record size out of range"; break;
    case -14: what = "the project is kept by ZB-Manager (read only)"; break;
    case -101: what = "refused"; break;
    case -102: what = "the program key is not in the catalogue"; break;
    case -103: what = "the data or temporary folder does not exist"; break;
    case -200: what = "no project name"; break;
    case -202: what = "no such project"; break;
    case -1111: what = "not available in this library"; break;
  }
  return std::to_string(code) + " (" + (what ? what : "library error") + ")";
}

Session::Session(const std::string& data_folder, const std::string& tmp,
                 const std::string& project, const std::string& position)
    : data_(data_folder), tmp_(tmp), project_(project), position_(position) {
  // A folder the caller names is taken as it is; the library tells when
  // it is no folder.
  if (!tmp_.empty()) return;
  ZBPROPOS_L history;
  std::memset(&history, 0, sizeof history);
  ZB_ReadDBHistory_L(&history);
  tmp_ = FieldText(history.szTmpPfad, sizeof history.szTmpPfad);
  if (!IsFolder(tmp_)) tmp_ = TmpBesideDataFolder(data_);
  if (!IsFolder(tmp_)) {
    std::error_code error;
    tmp_ = std::filesystem::temp_directory_path(error).string();
  }
}

Session::~Session() { Close(); }

bool Session::LastUsed(std::string* data_folder, std::string* project,
                       std::string* position) {
  ZBPROPOS_L history;
  std::memset(&history, 0, sizeof history);
  ZB_ReadDBHistory_L(&history);
  const std::string program =
      FieldText(history.szPrgName, sizeof history.szPrgName);
  if (data_folder->empty())
    *data_folder = FieldText(history.szDataPfad, sizeof history.szDataPfad);
  if (project->empty())
    *project = FieldText(history.szProName, sizeof history.szProName);
  // Another program's position is no beam.
  if (position->empty() && program == kProgramKey)
    *position = FieldText(history.szPosNameLong, sizeof history.szPosNameLong);
  return !project->empty() && !position->empty();
}

ZBPROPOS_L Session::Request() const {
  ZBPROPOS_L r;
  std::memset(&r, 0, sizeof r);
  SetField(r.szDataPfad, sizeof r.szDataPfad, data_);
  SetField(r.szTmpPfad, sizeof r.szTmpPfad, tmp_);
  SetField(r.szTmpDatei, sizeof r.szTmpDatei,
           working_file_.empty() ? tmp_ : working_file_);
  SetField(r.szPrgName, sizeof r.szPrgName, kProgramKey);
  SetField(r.szProName, sizeof r.szProName, project_);
  SetField(r.szPosNameLong, sizeof r.szPosNameLong, position_);
  return r;
}

int32_t Session::FindProgram() {
  char line[402];
  std::memset(line, 0, sizeof line);
  ZB_GetPrgZeile(kProgramKey, line);
  // An unknown key answers the line of "ALLE".
  if (FieldText(line + 6, 12) != kProgramKey) return -1;
  std::memcpy(&program_, line + 4, sizeof program_);
  return program_;
}

int32_t Session::ProjectNumber() {
  ZBPROPOS_L r = Request();
  PROINFO info;
  return ZB_ProjectProperty_L(&r, &info);
}

int32_t Session::PositionState() {
  ZBPROPOS_L r = Request();
  return ZB_PositionExist_L(&r);
}

ProjectFileState Session::CheckProjectFile(std::string* path) {
  ZBPROPOS_L r = Request();
  char file[260];
  std::memset(file, 0, sizeof file);
  const bool listed = ZB_GetProDatei_L(&r, file) == 1;
  *path = FieldText(file, sizeof file);
  // A project not in the list yet is made by the save: nothing to tell.
  if (!listed) return ProjectFileState::kUsable;
  // The library's own open takes the path text, and reads only.
  const int32_t h = DBOpenReadOnly(path->c_str());
  if (h == DB_EOF) return ProjectFileState::kMissing;
  if (h < 0) return ProjectFileState::kDamaged;
  DBClose(static_cast<int16_t>(h));
  std::string native = *path;
#ifndef _WIN32
  for (char& c : native)
    if (c == '\\') c = '/';
#endif
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::perms perms = fs::status(native, error).permissions();
  const fs::perms write =
      fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
  if (!error && (perms & write) == fs::perms::none)
    return ProjectFileState::kWriteProtected;
  return ProjectFileState::kUsable;
}

int32_t Session::Open(bool create_project) {
  ZBPROPOS_L r = Request();
  int32_t result;
  if (PositionState() == 0) {
    // A new position: an empty working file, named into the project by the
    // first save.
    result = ZB_New_L(&r);
  } else {
    // Bit 1: the project becomes the active one and the history names it.
    result = ZB_SilentOpenEx_L(&r, static_cast<int16_t>(create_project ? 3 : 1));
  }
  if (result > 0) working_file_ = FieldText(r.szTmpDatei, sizeof r.szTmpDatei);
  return result;
}

int32_t Session::ReadInput(BeamInput* input) {
  return ReadRecord(working_file_, program_, kInputKey, input);
}

int32_t Session::ReadResults(BeamResults* results) {
  return ReadRecord(working_file_, program_, kResultsKey, results);
}

int32_t Session::Store(const BeamInput& input, const BeamResults& results) {
  RecordFile file(working_file_, true);
  if (file.error() < 0) return file.error();
  // Occurrence 0 is overwritten when there, appended otherwise.
  int32_t n = DBWriteAdd(file.h(), program_, kInputKey, 0, sizeof input, &input);
  if (n < 0) return n;
  n = DBWriteAdd(file.h(), program_, kResultsKey, 0, sizeof results, &results);
  return n < 0 ? n : 1;
}

int32_t Session::Save() {
  ZBPROPOS_L r = Request();
  return ZB_SilentSaveEx_L(&r, 3);
}

int32_t Session::PositionId() {
  ZBPROPOS_L r = Request();
  uint8_t info[248];
  std::memset(info, 0, sizeof info);
  if (ZB_PositionProperty_L(&r, info) <= 0) return -1;
  uint16_t id;
  std::memcpy(&id, info, sizeof id);
  return id;
}

int32_t Session::WriteResultFile(const BeamInput& input,
                                 const BeamResults& results,
                                 std::string* path) {
  ZBPROPOS_L r = Request();
  const int32_t project = ZB_GetErgDateiEx_L(&r);
  if (project <= 0) return project < 0 ? project : -1;
  *path = FieldText(r.szTmpDatei, sizeof r.szTmpDatei);
  const int32_t id = PositionId();
  if (id <= 0) return -1;
  ResultRecord record;
  std::memset(&record, 0, sizeof record);
  SetField(record.position, sizeof record.position, position_);
  record.input = input;
  record.results = results;
  RecordFile file(*path, true);
  if (file.error() < 0) return file.error();
  const int32_t n = DBWriteAdd(file.h(), program_, static_cast<int16_t>(id), 0,
                               sizeof record, &record);
  return n < 0 ? n : project;
}

int32_t Session::Pages(int16_t* first_page, int16_t* count) {
  ZBPROPOS_L r = Request();
  *first_page = 0;
  *count = 0;
  return ZB_GetStartPageNr_L(&r, first_page, count);
}

int32_t Session::RecordPrintout(int16_t* first_page) {
  int16_t count = 0;
  const int32_t found = Pages(first_page, &count);
  if (found < 0) return found;
  if (*first_page <= 0) *first_page = 1;
  // The request names the working file, so its POSINFO gets the pages too.
  ZBPROPOS_L r = Request();
  const int32_t id = ZB_SetStartPageNr_L(&r, *first_page, kPrintedPages);
  return id > 0 ? id : (id == 0 ? -101 : id);
}

void Session::Close() {
  if (closed_) return;
  closed_ = true;
  ZBDB_Logout();
}

}  // namespace beam

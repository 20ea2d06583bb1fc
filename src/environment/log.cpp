#include "environment/log.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

#include "environment/time_text.h"
#include "fsutil/path_text.h"
#include "platform/platform.h"
#include "recordstore/typed_records.h"

namespace zb::environment {
namespace {

const std::string kDashLine(63, '-');
const std::string kStarLine(63, '*');

constexpr uint32_t kMaxAgeSeconds = 48u * 3600u;
constexpr uint64_t kMaxSize = 56000;

std::string VFormat(const char* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  const int n = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (n <= 0) return {};
  std::vector<char> buf(static_cast<size_t>(n) + 1);
  std::vsnprintf(buf.data(), buf.size(), format, args);
  return std::string(buf.data(), static_cast<size_t>(n));
}

std::string Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = VFormat(format, args);
  va_end(args);
  return text;
}

// A request field as far as it goes: fields of a damaged record may lack
// their terminator.
// Opens, appends at the end and closes; the stream is in text mode.
void AppendToFile(platform::Platform& os, const std::string& path,
                  const std::string& text) {
  if (path.empty() || text.empty()) return;
  std::FILE* f = os.OpenStream(path, "a+");
  if (!f) return;
  std::fseek(f, 0, SEEK_END);
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
}

}  // namespace

Log::Log(platform::Platform& os, std::string path)
    : os_(os), path_(std::move(path)) {}

std::string Log::journal_path() const {
  if (path_.empty()) return {};
  return fsutil::FolderOf(path_) + "DBHistory.log";
}

uint32_t Log::Now() const { return clock_ ? clock_() : os_.Now(); }

std::string Log::TimeStamp() const { return LogTimeStamp(LocalTimeOf(Now())); }

void Log::Append(const std::string& text) { AppendToFile(os_, path_, text); }

void Log::Printf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  const std::string text = VFormat(format, args);
  va_end(args);
  Append(text);
}

void Log::Title(const std::string& title) {
  Append(Format("\n \n%s \n%s \n%s \n", kDashLine.c_str(),
                ("***" + title + TimeStamp()).c_str(), kDashLine.c_str()));
}

void Log::Request(const ZBPROPOS_L& r) {
  const std::pair<const char*, std::string> lines[] = {
      {"Data      ", recordstore::FieldText(r.szDataPfad)},
      {"TmpPfad   ", recordstore::FieldText(r.szTmpPfad)},
      {"TmpDatei  ", recordstore::FieldText(r.szTmpDatei)},
      {"PrgName   ", recordstore::FieldText(r.szPrgName)},
      {"ProName   ", recordstore::FieldText(r.szProName)},
      {"Autor     ", recordstore::FieldText(r.szAuthor)},
      {"PosName(L)", recordstore::FieldText(r.szPosNameLong)},
      {"PosName   ", recordstore::FieldText(r.szPosName)},
      {"Msg       ", recordstore::FieldText(r.szMsg)},
      {"Bezeich.  ", recordstore::FieldText(r.szProBezeichnung)},
  };
  std::string text;
  for (const auto& line : lines)
    text += Format("\n\t%s:'%s'", line.first, line.second.c_str());
  text += "\n";
  Append(text);
}

std::string Log::OpenCodeText(int code) {
  switch (code) {
    case -4: return "No correct EOF";
    case -3: return "To many open Files (>10!)";
    case -2: return "Cannot open the File";
    case -1: return "File not found";
    default: return Format("DB-error Nr :%d", code);
  }
}

void Log::RecordFileError(const std::string& routine, const std::string& file,
                          int code) {
  std::string text = "\n###ERROR###\n";
  text += Format("Error Routine %s \n DBOpen(%s):%s", routine.c_str(),
                 file.c_str(), OpenCodeText(code).c_str());
  text += "###\n";
  Append(text);
}

void Log::StartAnewIfOldOrLarge() {
  if (path_.empty()) return;
  platform::Platform& os = os_;
  std::vector<platform::DirEntry> found;
  if (!os.FindFiles(path_, &found).ok() || found.empty()) return;
  const platform::DirEntry& entry = found.front();
  if (entry.is_folder) return;
  const uint32_t now = Now();
  const bool old = now > entry.modified && now - entry.modified > kMaxAgeSeconds;
  if (old || entry.size > kMaxSize) os.RemoveFile(path_);
}

void Log::LoginHeader(const LoginInfo& info) {
  StartAnewIfOldOrLarge();
  if (info.file_version.empty()) return;
  Append(Format("\n \n%s \n%s \n%s \n%s \n%s \n", kStarLine.c_str(),
                kDashLine.c_str(),
                Format("*** ZBDB.dll ***  FileVersion: %s",
                       info.file_version.c_str()).c_str(),
                TimeStamp().c_str(), kDashLine.c_str()));
  Append(Format(
      "%s \n%s \n%s \n%s \n%s \n%s\n",
      Format("*** ProgramPath   %s", info.program_folder.c_str()).c_str(),
      Format("*** DataPath      %s", info.data_folder.c_str()).c_str(),
      Format("*** TempPath      %s", info.temp_folder.c_str()).c_str(),
      Format("*** UserPath      %s", info.user_folder.c_str()).c_str(),
      Format("*** Benutzer:\t %s", info.user.c_str()).c_str(),
      kDashLine.c_str()));
}

void Log::LogoutFooter() {
  Append(Format("\n \n%s \n%s%s \n%s \n", kDashLine.c_str(),
                "*** LOGOUT ZBDB *** ", TimeStamp().c_str(),
                kStarLine.c_str()));
}

void Log::Journal(const ZBPROPOS_L& r, const std::string& mode) {
  const std::string path = journal_path();
  if (path.empty()) return;
  char format[64];
  std::snprintf(format, sizeof format,
                "%%-%ds  %%-%ds  %%-%ds  %%-%ds  %%-%ds  %%s\n", 6, 15, 6, 21,
                42);
  const std::string when = FormatGermanTime("%d.%m.%y %H:%M", LocalTimeOf(Now()));
  std::FILE* f = os_.OpenStream(path, "a+");
  if (!f) return;
  std::fseek(f, 0, SEEK_END);
  std::fprintf(f, format, recordstore::FieldText(r.szPrgName).c_str(), when.c_str(),
               mode.c_str(), recordstore::FieldText(r.szPosNameLong).c_str(),
               recordstore::FieldText(r.szProName).c_str(), recordstore::FieldText(r.szDataPfad).c_str());
  std::fclose(f);
}

}  // namespace zb::environment

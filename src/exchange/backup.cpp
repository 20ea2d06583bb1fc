#include "exchange/backup.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <memory>
#include <new>
#include <vector>

#include "environment/ui.h"
#include "exchange/archive_file.h"
#include "exchange/archive_result.h"
#include "exchange/run_length.h"
#include "platform/platform.h"
#include "projectstore/project_names.h"
#include "projectstore/store.h"

namespace zb::exchange {

const char kBackupCaption[] = "Fehlermeldung";

namespace backup_internal {

std::string Formatted(const char* format, ...) {
  char text[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  return text;
}

std::string Joined2(const std::string& a, const std::string& b) {
  return " " + a + "\n " + b;
}

std::string Joined3(const std::string& a, const std::string& b,
                    const std::string& c) {
  return " " + a + "\n " + b + "\n " + c;
}

void ShowCannotOpen(environment::Ui& ui, const std::string& path) {
  ui.Ask(kBackupCaption,
         Joined2(Formatted("Kann die Datei %s nicht \xF6" "ffnen. ",
                           path.c_str()),
                 "Der Vorgang wird abgebrochen. "),
         environment::Buttons::kOk, environment::Icon::kError);
}

char DriveLetterOf(const std::string& path) {
  if (path.size() < 2 || path[1] != ':') return 0;
  const char c = path[0];
  if (c >= 'a' && c <= 'z') return char(c - 'a' + 'A');
  return c >= 'A' && c <= 'Z' ? c : 0;
}

}  // namespace backup_internal

namespace {

using namespace backup_internal;
using environment::Answer;
using environment::Buttons;
using environment::Icon;
using platform::Access;
using platform::File;
using platform::Share;

constexpr size_t kMaxListedArchives = 50;
constexpr size_t kFolderTextLimit = 99;

bool WriteAll(File& file, uint64_t offset, const void* data, size_t n) {
  size_t written = 0;
  return file.WriteAt(offset, data, n, &written).ok() && written == n;
}

bool ReadAll(File& file, uint64_t offset, void* buf, size_t n) {
  size_t got = 0;
  return file.ReadAt(offset, buf, n, &got).ok() && got == n;
}

// The archive and run list of the volume being written, with their ends.
struct VolumeFiles {
  std::unique_ptr<File> archive;
  std::unique_ptr<File> run_list;
  uint64_t archive_end = kArchiveHeaderSize;
  uint64_t run_list_end = 0;

  void Close() {
    archive.reset();
    run_list.reset();
  }
};

// An existing archive is replaced only when the user agrees; its run list
// goes without asking. False: refused, or a file did not open.
bool OpenVolumeFiles(platform::Platform& os, environment::Ui& ui,
                     const std::string& archive_path, VolumeFiles* files) {
  if (os.FileExists(archive_path)) {
    const std::string text = Joined3(
        Formatted("Die Sicherungsdatei %s existiert schon. ",
                  archive_path.c_str()),
        "Wenn Sie die Datei nicht l\xF6schen wird der Vorgang abgebrochen. ",
        "Wollen Sie die Datei l\xF6schen? ");
    if (ui.Ask(kBackupCaption, text, Buttons::kYesNo, Icon::kWarning) !=
        Answer::kYes) {
      return false;
    }
    os.RemoveFile(archive_path);
  }
  const std::string run_list_path = RunListPathOf(archive_path);
  if (os.FileExists(run_list_path)) os.RemoveFile(run_list_path);
  if (!os.NewFile(archive_path, Share::kDenyReadWrite, &files->archive).ok() ||
      !os.NewFile(run_list_path, Share::kDenyReadWrite, &files->run_list)
           .ok()) {
    ShowCannotOpen(ui, files->archive ? run_list_path : archive_path);
    files->Close();
    return false;
  }
  files->archive_end = kArchiveHeaderSize;
  files->run_list_end = 0;
  return true;
}

bool WriteHeader(VolumeFiles& files, const ArchiveHeader& header) {
  uint8_t bytes[kArchiveHeaderSize];
  BuildArchiveHeader(header, bytes);
  return WriteAll(*files.archive, 0, bytes, kArchiveHeaderSize);
}

uint64_t FreeSpaceOf(platform::Platform& os, const std::string& folder) {
  platform::Platform::DiskSpace space;
  return os.GetDiskSpace(folder, &space) ? space.available : 0;
}

template <typename T>
bool Allocate(std::vector<T>* buffer, size_t n) {
  try {
    buffer->resize(n);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

// The state of one backup while its blocks go to the volumes.
class Backup {
 public:
  Backup(projectstore::Store& store, std::string project_path,
         std::string folder, VolumeSource* volumes, const Progress& progress)
      : os_(store.os()),
        ui_(store.ui()),
        project_path_(std::move(project_path)),
        folder_(std::move(folder)),
        ui_volumes_(store.ui(), folder_),
        volumes_(volumes),
        progress_(progress) {}

  bool Run();

 private:
  bool Start(uint64_t project_size);
  bool WriteBlock(const uint8_t* block, size_t length);
  bool NextVolume();

  platform::Platform& os_;
  environment::Ui& ui_;
  const std::string project_path_;
  std::string folder_;
  UiVolumes ui_volumes_;
  VolumeSource* volumes_;
  const Progress& progress_;
  char drive_ = 0;
  bool diskettes_ = false;
  uint64_t capacity_ = 0;
  ArchiveHeader header_;
  VolumeFiles files_;
  uint64_t volume_bytes_ = 0;
  size_t volume_runs_ = 0;
  std::vector<uint8_t> literals_;
  std::vector<RunRecord> runs_;
  std::vector<uint8_t> run_bytes_;
};

bool Backup::Run() {
  std::unique_ptr<File> project;
  if (!os_.OpenFile(project_path_, Access::kRead, Share::kDenyNone, &project)
           .ok()) {
    ShowCannotOpen(ui_, project_path_);
    return false;
  }
  uint64_t size = 0;
  if (!project->Size(&size).ok()) return false;
  if (!os_.IsFolder(folder_)) return false;  // the drive is not ready
  drive_ = DriveLetterOf(folder_);
  diskettes_ = volumes_ != nullptr || drive_ == 'A' || drive_ == 'B';
  if (diskettes_ && volumes_ == nullptr) volumes_ = &ui_volumes_;
  const uint64_t free_space = FreeSpaceOf(os_, folder_);
  if (!diskettes_ && free_space < size / 2) {
    ui_.Ask(kBackupCaption,
            Joined3("Das Ziellaufwerk ist zu klein. ",
                    "Um das gew\xE4hlte Projekt zu sichern, m\xFCssen ",
                    Formatted("mindestens %ld Bytes frei sein. ",
                              long(size / 2))),
            Buttons::kOk, Icon::kWarning);
    return false;
  }
  capacity_ = volumes_ != nullptr && volumes_->VolumeSize() != 0
                  ? volumes_->VolumeSize()
                  : free_space;

  uint8_t index_header[12];
  if (!ReadAll(*project, 0, header_.project_header, kProjectHeaderCopySize) ||
      !ReadAll(*project, 488, index_header, sizeof index_header)) {
    return false;
  }
  std::vector<uint8_t> in;
  if (!Allocate(&in, kArchiveReadSize) ||
      !Allocate(&literals_, kMaxBlockLength)) {
    return false;
  }
  if (!Start(size)) return false;
  for (uint64_t at = 0; at < size;) {
    const size_t want = size_t(std::min<uint64_t>(kArchiveReadSize, size - at));
    size_t got = 0;
    if (!project->ReadAt(at, in.data(), want, &got).ok()) return false;
    if (got == 0) break;
    for (size_t block = 0; block < got; block += kMaxBlockLength) {
      if (!WriteBlock(in.data() + block,
                      std::min(kMaxBlockLength, got - block))) {
        return false;
      }
    }
    at += got;
    if (progress_) progress_(int32_t(at * 100 / size));
  }
  files_.Close();
  return true;
}

bool Backup::Start(uint64_t project_size) {
  if (!OpenVolumeFiles(os_, ui_, ArchivePathFor(folder_, project_path_),
                       &files_)) {
    return false;
  }
  header_.volume = 1;
  header_.continuation = 0;
  header_.project_size = uint32_t(project_size >> 10);
  header_.folder = ArchiveFolderText(project_path_, os_.AbsolutePath("."));
  volume_bytes_ = kArchiveHeaderSize;
  volume_runs_ = 0;
  return WriteHeader(files_, header_);
}

bool Backup::WriteBlock(const uint8_t* block, size_t length) {
  runs_.clear();
  const int literal_count =
      CompressBlock(block, length, literals_.data(), &runs_);
  if (literal_count < 0) {
    ui_.Ask(kBackupCaption,
            Joined2("Fehler bei der Komprimierung! ",
                    "Der Vorgang wird abgebrochen "),
            Buttons::kOk, Icon::kError);
    return false;
  }
  const uint64_t needed = volume_bytes_ + uint64_t(literal_count) +
                          kRunRecordSize * (volume_runs_ + runs_.size());
  if (needed >= capacity_) {
    const bool volume_empty = volume_bytes_ == kArchiveHeaderSize;
    if (!diskettes_ || volume_empty) {
      // A block that fills even an empty diskette would ask forever.
      ui_.Ask(kBackupCaption,
              Formatted("%s\n  %s",
                        Formatted("Auf dem Laufwerk %c ist kein Platz mehr! ",
                                  drive_ ? drive_ : '?')
                            .c_str(),
                        "Der Vorgang wird abgebrochen. "),
              Buttons::kOk, Icon::kNone);
      return false;
    }
    if (!NextVolume()) return false;
  }
  run_bytes_.resize(runs_.size() * kRunRecordSize);
  EncodeRunRecords(runs_.data(), runs_.size(), run_bytes_.data());
  if (!WriteAll(*files_.archive, files_.archive_end, literals_.data(),
                size_t(literal_count)) ||
      !WriteAll(*files_.run_list, files_.run_list_end, run_bytes_.data(),
                run_bytes_.size())) {
    return false;
  }
  files_.archive_end += size_t(literal_count);
  files_.run_list_end += run_bytes_.size();
  volume_bytes_ += size_t(literal_count);
  volume_runs_ += runs_.size();
  return true;
}

// The volume that ran full says so in its header; the block that did not
// fit opens the next one.
bool Backup::NextVolume() {
  header_.continuation = 1;
  const bool marked = WriteHeader(files_, header_);
  files_.Close();
  if (!marked) return false;
  const std::string prompt = Joined3(
      Formatted("Auf der Diskette %d ist kein Platz mehr! ",
                int(header_.volume)),
      "Legen Sie bitte eine neue Diskette ein, und ",
      Formatted("schlie\xDF"
                "en Sie das Laufwerk %c. ",
                drive_ ? drive_ : '?'));
  if (!volumes_->NextVolume(header_.volume + 1, prompt, &folder_)) return false;
  if (!os_.IsFolder(folder_)) return false;
  ++header_.volume;
  header_.continuation = 0;
  if (!OpenVolumeFiles(os_, ui_, ArchivePathFor(folder_, project_path_),
                       &files_)) {
    return false;
  }
  const uint64_t free_space = FreeSpaceOf(os_, folder_);
  capacity_ = volumes_->VolumeSize() != 0 ? volumes_->VolumeSize() : free_space;
  volume_runs_ = 0;
  volume_bytes_ = kArchiveHeaderSize;
  return WriteHeader(files_, header_);
}

}  // namespace

bool UiVolumes::NextVolume(int, const std::string& prompt,
                           std::string* folder) {
  if (ui_.Ask(kBackupCaption, prompt, Buttons::kOkCancel, Icon::kWarning) !=
      Answer::kOk) {
    return false;
  }
  *folder = folder_;
  return true;
}

bool FolderVolumes::NextVolume(int number, const std::string&,
                               std::string* folder) {
  const size_t index = size_t(number) - 2;
  if (number < 2 || index >= folders_.size()) return false;
  *folder = folders_[index];
  return true;
}

std::string ArchivePathFor(const std::string& folder,
                           const std::string& project_path) {
  const size_t slash = project_path.find_last_of("\\/:");
  const std::string name =
      slash == std::string::npos ? project_path : project_path.substr(slash + 1);
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos || !IsPlainFileName(name)) return std::string();
  return projectstore::WithBackslash(folder) + name.substr(0, dot + 1) + "SAV";
}

int BackupProject(projectstore::Store& store, const std::string& project_path,
                  const std::string& target_folder, VolumeSource* volumes,
                  const Progress& progress) {
  if (project_path.empty()) return 0;
  std::string folder = target_folder;
  if (folder.empty() &&
      !store.ui().ChooseFolder("Die Sicherung befindet sich im:", &folder)) {
    return 0;
  }
  if (folder.empty() || ArchivePathFor(folder, project_path).empty()) return 0;
  Backup backup(store, project_path, folder, volumes, progress);
  return backup.Run() ? 1 : 0;
}

std::vector<ArchiveEntry> ListArchives(projectstore::Store& store,
                                       const std::string& folder) {
  platform::Platform& os = store.os();
  std::string base = folder.substr(0, kFolderTextLimit);
  while (!base.empty() && base.back() == ' ') base.pop_back();
  base = projectstore::WithBackslash(base);
  std::vector<platform::DirEntry> found;
  os.FindFiles(base + "*.SAV", &found);
  std::sort(found.begin(), found.end(),
            [](const platform::DirEntry& a, const platform::DirEntry& b) {
              return a.name < b.name;
            });
  std::vector<ArchiveEntry> archives;
  size_t names = 0;
  for (const platform::DirEntry& entry : found) {
    if (entry.is_folder) continue;
    if (++names > kMaxListedArchives) break;
    std::unique_ptr<File> file;
    if (!os.OpenFile(base + entry.name, Access::kRead, Share::kDenyNone, &file)
             .ok()) {
      continue;
    }
    uint8_t bytes[kArchiveHeaderSize];
    ArchiveEntry archive;
    archive.name = entry.name;
    if (!ReadAll(*file, 0, bytes, sizeof bytes) ||
        ParseArchiveHeader(bytes, sizeof bytes, &archive.header) !=
            kArchiveOk) {
      continue;
    }
    archives.push_back(std::move(archive));
  }
  return archives;
}

bool IsPlainFileName(const std::string& name) {
  return !name.empty() && name.find_first_of("\\/:") == std::string::npos &&
         name.find("..") == std::string::npos;
}

}  // namespace zb::exchange

// Restoring a project from the volumes of its archive.
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "environment/ui.h"
#include "exchange/archive_file.h"
#include "exchange/archive_result.h"
#include "exchange/backup.h"
#include "platform/platform.h"
#include "projectstore/project_catalogue.h"
#include "projectstore/project_names.h"
#include "projectstore/store.h"

namespace zb::exchange {

namespace {

using namespace backup_internal;
using environment::Answer;
using environment::Buttons;
using environment::Icon;
using platform::Access;
using platform::File;
using platform::Share;

void ShowAbort(environment::Ui& ui, const std::string& line1,
               const std::string& line2) {
  ui.Ask(kBackupCaption,
         Joined3(line1, line2, "Der Vorgang wird abgebrochen. "), Buttons::kOk,
         Icon::kError);
}

// Appends the whole file `from` to `to` at *end.
bool AppendFile(platform::Platform& os, const std::string& from, File& to,
                uint64_t* end, std::vector<uint8_t>* buffer) {
  std::unique_ptr<File> piece;
  if (!os.OpenFile(from, Access::kRead, Share::kDenyNone, &piece).ok()) {
    return false;
  }
  uint64_t at = 0;
  for (;;) {
    size_t got = 0;
    if (!piece->ReadAt(at, buffer->data(), buffer->size(), &got).ok()) {
      return false;
    }
    if (got == 0) return true;
    size_t written = 0;
    if (!to.WriteAt(*end, buffer->data(), got, &written).ok() ||
        written != got) {
      return false;
    }
    at += got;
    *end += got;
  }
}

// The restore of one archive into a new file beside the project.
class Restore {
 public:
  Restore(projectstore::Store& store, std::string archive_folder,
          std::string archive_name, std::string fresh_path,
          VolumeSource* volumes, const Progress& progress)
      : store_(store),
        os_(store.os()),
        ui_(store.ui()),
        folder_(std::move(archive_folder)),
        name_(std::move(archive_name)),
        fresh_path_(std::move(fresh_path)),
        piece_path_(fresh_path_ + "V"),
        ui_volumes_(store.ui(), folder_),
        volumes_(volumes != nullptr ? volumes : &ui_volumes_),
        progress_(progress) {}
  ~Restore() {
    fresh_.reset();
    os_.RemoveFile(piece_path_);
    if (!kept_) os_.RemoveFile(fresh_path_);
  }

  // Writes every volume into the new file, closed again on success.
  bool Run();
  // The new file is the project from now on.
  void Keep() { kept_ = true; }

 private:
  bool ReadHeader(const std::string& archive_path, ArchiveHeader* header);

  projectstore::Store& store_;
  platform::Platform& os_;
  environment::Ui& ui_;
  std::string folder_;
  const std::string name_;
  const std::string fresh_path_;
  const std::string piece_path_;
  UiVolumes ui_volumes_;
  VolumeSource* volumes_;
  const Progress& progress_;
  std::unique_ptr<File> fresh_;
  bool kept_ = false;
};

bool Restore::ReadHeader(const std::string& archive_path,
                         ArchiveHeader* header) {
  std::unique_ptr<File> archive;
  if (!os_.OpenFile(archive_path, Access::kRead, Share::kDenyNone, &archive)
           .ok()) {
    ShowCannotOpen(ui_, archive_path);
    return false;
  }
  uint8_t bytes[kArchiveHeaderSize];
  size_t got = 0;
  if (!archive->ReadAt(0, bytes, sizeof bytes, &got).ok() ||
      ParseArchiveHeader(bytes, got, header) != kArchiveOk) {
    ShowAbort(ui_, Formatted("Sicherungsdatei: %s ", archive_path.c_str()),
              "Die Kopfzeilen k\xF6nnen nicht gelesen werden! ");
    return false;
  }
  return true;
}

bool Restore::Run() {
  if (!os_.NewFile(fresh_path_, Share::kDenyReadWrite, &fresh_).ok()) {
    ShowCannotOpen(ui_, fresh_path_);
    return false;
  }
  std::vector<uint8_t> buffer(kArchiveReadSize);
  uint64_t written = 0;
  uint64_t expected_size = 0;
  bool current_variant = true;
  for (int expected = 1;;) {
    const std::string archive_path =
        projectstore::WithBackslash(folder_) + name_;
    ArchiveHeader header;
    if (!ReadHeader(archive_path, &header)) return false;
    if (header.volume != expected) {
      const std::string prompt = Joined2(
          Formatted("Falsche Diskette (Nr.%d) ! ", int(header.volume)),
          Formatted("Legen Sie bitte Diskette Nr.%d ein. ", expected));
      if (!volumes_->NextVolume(expected, prompt, &folder_) ||
          !os_.IsFolder(folder_)) {
        return false;
      }
      continue;
    }
    if (expected == 1) {
      current_variant = header.variant == ArchiveVariant::kCurrent;
      expected_size = header.project_size;
    }
    // Each volume is checked whole before a byte of it is taken.
    os_.RemoveFile(piece_path_);
    const int rc = UnpackProjectFile(os_, archive_path,
                                     RunListPathOf(archive_path), piece_path_);
    if (rc != kArchiveOk ||
        !AppendFile(os_, piece_path_, *fresh_, &written, &buffer)) {
      ShowAbort(ui_, Formatted("Sicherungsdatei: %s ", archive_path.c_str()),
                rc == kArchiveOk ? "" : "Die Datei ist besch\xE4" "digt. ");
      return false;
    }
    os_.RemoveFile(piece_path_);
    const uint64_t total = current_variant ? expected_size << 10 : expected_size;
    if (progress_ && total > 0)
      progress_(int32_t(std::min<uint64_t>(100, written * 100 / total)));
    if (header.continuation == 0) break;
    ++expected;
    const char drive = DriveLetterOf(folder_);
    const std::string prompt = Joined2(
        Formatted("Legen Sie bitte die Sicherungsdiskette %d in Laufwerk %c "
                  "ein ",
                  expected, drive ? drive : '?'),
        "und schlie\xDF" "en Sie das Laufwerk. ");
    if (!volumes_->NextVolume(expected, prompt, &folder_) ||
        !os_.IsFolder(folder_)) {
      return false;
    }
  }
  fresh_.reset();
  // The header knows the project's length: a volume cut short or left
  // out shows here.
  const uint64_t got_size = current_variant ? written >> 10 : written;
  if (got_size != expected_size) {
    ShowAbort(ui_,
              Formatted("Sicherungsdatei: %s ",
                        (projectstore::WithBackslash(folder_) + name_).c_str()),
              "Die Datei ist besch\xE4" "digt. ");
    return false;
  }
  const int32_t h = store_.engine().OpenReadOnly(fresh_path_.c_str());
  if (h <= 0) {
    ShowAbort(ui_,
              Formatted("Die Projektdatei %s wurde neu erzeugt. ",
                        fresh_path_.c_str()),
              "Die Datei kann nicht ge\xF6" "ffnet werden. ");
    return false;
  }
  store_.engine().Close(h);
  return true;
}

// Puts the new file in the project's place; an existing project goes only
// once the new file has its name.
bool Replace(platform::Platform& os, const std::string& fresh,
             const std::string& project) {
  if (!os.FileExists(project)) return os.RenameFile(fresh, project).ok();
  const std::string old = fresh + "O";
  os.RemoveFile(old);
  if (!os.RenameFile(project, old).ok()) return false;
  if (!os.RenameFile(fresh, project).ok()) {
    os.RenameFile(old, project);
    return false;
  }
  os.RemoveFile(old);
  return true;
}

// A restored project shows a "*" behind its name (the header's PROINFO,
// its name at byte 4), so that the list tells it from the original.
void MarkRestoredName(platform::Platform& os, const std::string& path) {
  constexpr size_t kHeader = 104, kNameAt = 4, kNameWidth = 42;
  std::unique_ptr<File> file;
  if (!os.OpenFile(path, Access::kReadWrite, Share::kDenyReadWrite, &file).ok())
    return;
  uint8_t header[kHeader];
  size_t got = 0;
  if (!file->ReadAt(0, header, sizeof header, &got).ok() || got != kHeader)
    return;
  char* name = reinterpret_cast<char*>(header + kNameAt);
  const size_t length = strnlen(name, kNameWidth);
  if (length + 1 >= kNameWidth) return;
  name[length] = '*';
  name[length + 1] = '\0';
  size_t written = 0;
  file->WriteAt(0, header, sizeof header, &written);
}

}  // namespace

int RestoreProject(projectstore::Store& store,
                   const std::string& archive_folder,
                   const std::string& project_folder,
                   const std::string& archive_name, VolumeSource* volumes,
                   const Progress& progress) {
  platform::Platform& os = store.os();
  environment::Ui& ui = store.ui();
  const size_t dot = archive_name.rfind('.');
  if (!IsPlainFileName(archive_name) || dot == std::string::npos || dot == 0) {
    return 0;
  }
  if (!os.IsFolder(project_folder)) return 0;  // the drive is not ready
  // The restored project gets a number of its own: the fifth character
  // before the extension becomes "1" (the archive of PRO00012 is restored
  // as PRO10012), so that it never meets the project it was made from.
  std::string stem = archive_name.substr(0, dot);
  if (stem.size() >= 5) stem[stem.size() - 5] = '1';
  const std::string base = projectstore::WithBackslash(project_folder) + stem;
  const std::string project_path =
      base + store.context().config.project_extension;
  if (os.FileExists(project_path)) {
    const std::string text = Joined3(
        Formatted("Die Projektdatei %s existiert schon. ",
                  project_path.c_str()),
        "Wenn Sie die Datei nicht ersetzen wird der Vorgang abgebrochen. ",
        "Wollen Sie die Datei ersetzen? ");
    if (ui.Ask(kBackupCaption, text, Buttons::kYesNo, Icon::kWarning) !=
        Answer::kYes) {
      return 0;
    }
  }
  Restore restore(store, archive_folder, archive_name, base + ".RST", volumes,
                  progress);
  if (!restore.Run()) return 0;
  if (!Replace(os, base + ".RST", project_path)) {
    ShowCannotOpen(ui, project_path);
    return 0;
  }
  restore.Keep();
  MarkRestoredName(os, project_path);
  projectstore::CheckListAgainstFolder(store, project_folder);
  return 1;
}

}  // namespace zb::exchange

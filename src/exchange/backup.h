// Backing up one project file into an archive ("*.SAV") on a hard disk or
// across a series of volumes (diskettes), listing the archives of a folder,
// and restoring a project from them. Every question and message goes
// through the store's Ui, captioned "Fehlermeldung".
//
// A volume holds its own archive and, beside it, its run list ("*.LST"), so
// that each volume expands on its own: a block never straddles two volumes.
// The backup covers the whole project file, so a restore gives it back byte
// for byte.
#ifndef ZBDB_EXCHANGE_BACKUP_H_
#define ZBDB_EXCHANGE_BACKUP_H_

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "exchange/archive_header.h"

namespace zb::projectstore {
class Store;
}  // namespace zb::projectstore

namespace zb::environment {
class Ui;
}  // namespace zb::environment

namespace zb::exchange {

// Supplies the folder of each volume after the first: the drive of a
// diskette in the DLL (the user changes the diskette), a folder per volume
// in the tool.
class VolumeSource {
 public:
  virtual ~VolumeSource() = default;
  // The folder that holds volume `number` (2, 3, ...) now; `prompt` is the
  // message that asks for it. False: cancelled, or there is no such volume.
  virtual bool NextVolume(int number, const std::string& prompt,
                          std::string* folder) = 0;
  // Bytes one volume may hold; 0 for the free space of its drive.
  virtual uint64_t VolumeSize() const { return 0; }
};

// Asks for every volume with the prompt (OK and Cancel) and finds it in
// the same folder, as a diskette drive does.
class UiVolumes final : public VolumeSource {
 public:
  UiVolumes(environment::Ui& ui, std::string folder)
      : ui_(ui), folder_(std::move(folder)) {}
  bool NextVolume(int number, const std::string& prompt,
                  std::string* folder) override;

 private:
  environment::Ui& ui_;
  std::string folder_;
};

// The folders of volumes 2, 3, ... given in advance, each of at most
// `volume_size` bytes (0: the free space of its drive).
class FolderVolumes final : public VolumeSource {
 public:
  FolderVolumes(std::vector<std::string> later_folders, uint64_t volume_size)
      : folders_(std::move(later_folders)), volume_size_(volume_size) {}
  bool NextVolume(int number, const std::string& prompt,
                  std::string* folder) override;
  uint64_t VolumeSize() const override { return volume_size_; }

 private:
  std::vector<std::string> folders_;
  uint64_t volume_size_;
};

// How far a backup or restore has come, in percent of the project's bytes;
// called as it goes, for a progress bar.
using Progress = std::function<void(int32_t percent)>;

// "Fehlermeldung", the caption of every box of backup and restore.
extern const char kBackupCaption[];

// The archive of `project_path` in `folder`: the folder ended with '\' and
// the file name with "SAV" behind its last '.'; empty without a '.'.
std::string ArchivePathFor(const std::string& folder,
                           const std::string& project_path);

// Backs the project file up into `target_folder` (asked for with a folder
// dialog when empty). Without `volumes` the target is a hard disk (a full
// disk ends the backup) unless it is drive A: or B:, whose diskettes are
// asked for through UiVolumes. Returns 1 on success, 0 on failure or
// cancel; a failed backup leaves the volumes as far as written.
int BackupProject(projectstore::Store& store, const std::string& project_path,
                  const std::string& target_folder,
                  VolumeSource* volumes = nullptr,
                  const Progress& progress = {});

struct ArchiveEntry {
  std::string name;  // the archive's file name
  ArchiveHeader header;
};
// The archives ("*.SAV", at most 50) of `folder` with their headers; files
// too short for a header are skipped. Empty when there are none.
std::vector<ArchiveEntry> ListArchives(projectstore::Store& store,
                                       const std::string& folder);

// Restores the archive `archive_name` of `archive_folder` as the project
// file of the same name (the project extension behind its last '.') in
// `project_folder`, and updates that folder's project list. An existing
// project file is replaced only after the user agrees. The volumes are
// written into a new file beside the project, which replaces it only when
// all of them were read, so a failed restore leaves the project as it was.
// Later volumes come from `volumes` (UiVolumes on the archive folder when
// null). Returns 1 on success, 0 on failure or cancel.
int RestoreProject(projectstore::Store& store,
                   const std::string& archive_folder,
                   const std::string& project_folder,
                   const std::string& archive_name,
                   VolumeSource* volumes = nullptr,
                   const Progress& progress = {});

// Whether `name` may be used as a file name inside a folder: not empty,
// no '\', '/', ':' and no "..".
bool IsPlainFileName(const std::string& name);

// Shared by backup and restore.
namespace backup_internal {
std::string Formatted(const char* format, ...);
// The message forms " %s\n %s" and " %s\n %s\n %s".
std::string Joined2(const std::string& a, const std::string& b);
std::string Joined3(const std::string& a, const std::string& b,
                    const std::string& c);
// "Kann die Datei %s nicht öffnen. " with the stop icon.
void ShowCannotOpen(environment::Ui& ui, const std::string& path);
// The upper-cased drive letter of "X:..."; 0 for a path without one.
char DriveLetterOf(const std::string& path);
}  // namespace backup_internal

}  // namespace zb::exchange

#endif  // ZBDB_EXCHANGE_BACKUP_H_

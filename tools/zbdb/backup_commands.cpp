#include "backup_commands.h"

#include <memory>
#include <string>
#include <vector>

#include "api/library.h"
#include "command_support.h"
#include "exchange/archive_header.h"
#include "exchange/backup.h"
#include "platform/platform.h"
#include "project_commands.h"

namespace zb::tool {

namespace ex = zb::exchange;

namespace {

// The project name in an archive's copy of the project header.
std::string ProjectNameOf(const ex::ArchiveHeader& header) {
  return Field(reinterpret_cast<const char*>(header.project_header) + 4, 42);
}

bool ReadHeader(platform::Platform& os, const std::string& archive,
                ex::ArchiveHeader* header) {
  std::unique_ptr<platform::File> file;
  if (!os.OpenFile(archive, platform::Access::kRead,
                   platform::Share::kDenyNone, &file)
           .ok()) {
    return false;
  }
  uint8_t bytes[ex::kArchiveHeaderSize];
  size_t got = 0;
  return file->ReadAt(0, bytes, sizeof bytes, &got).ok() &&
         ex::ParseArchiveHeader(bytes, got, header) == 0;
}

// The last '\' or '/' of a path of the library.
size_t CutOf(const std::string& path) { return path.find_last_of("\\/"); }

std::string Volumes(int count) {
  return std::to_string(count) + (count == 1 ? " volume" : " volumes");
}

}  // namespace

int BackupCommand(const std::string& file, const std::string& project,
                  const std::vector<std::string>& to, uint64_t volume_size,
                  const Streams& io) {
  const char* command = "backup";
  zb::api::Library& lib = zb::api::TheLibrary();
  platform::Platform& os = lib.os();
  std::string path = PathText(file);
  std::string name;
  if (!project.empty()) {
    FoundProject found;
    name = LibraryText(project);
    if (!UsableFolder(lib, io, command, path) ||
        !FindProjectOrFail(lib, io, command, path, name, &found)) {
      return kExitFailed;
    }
    path = found.path;
  } else if (!os.FileExists(path) || os.IsFolder(path)) {
    Fail(io, command, ShownPath(path) + ": no such project file");
    return kExitFailed;
  }
  std::vector<std::string> folders;
  for (const std::string& typed : to) {
    folders.push_back(PathText(typed));
    if (!os.IsFolder(folders.back())) {
      Fail(io, command, ShownPath(folders.back()) + ": no such folder");
      return kExitFailed;
    }
  }
  // A write-protected project is read only, so it can be backed up.
  bool read_only = false;
  const std::string problem =
      os.IsReadOnly(path, &read_only).ok() && read_only
          ? std::string()
          : ProjectFileProblem(lib, path);
  if (!problem.empty()) {
    Fail(io, command, problem + "; nothing backed up");
    return kExitFailed;
  }
  std::unique_ptr<ex::FolderVolumes> volumes;
  if (folders.size() > 1 || volume_size != 0) {
    volumes = std::make_unique<ex::FolderVolumes>(
        std::vector<std::string>(folders.begin() + 1, folders.end()),
        volume_size);
  }
  std::vector<platform::DirEntry> project_entry;
  os.FindFiles(path, &project_entry);
  int32_t backed_up = 0;
  {
    ProgressBar bar(io.err, project_entry.empty() ? 0 : project_entry.front().size,
                    "backing up");
    backed_up = ex::BackupProject(lib.store(), path, folders.front(),
                                  volumes.get(),
                                  [&bar](int32_t percent) { bar.Show(percent); });
  }
  if (backed_up == 0) {
    Fail(io, command,
         "not backed up (declined, no room on the volumes, or a file could "
         "not be written); the volumes are left as far as written");
    return kExitFailed;
  }
  // The volumes written, followed through their continuation flags.
  int count = 0;
  uint64_t bytes = 0;
  ex::ArchiveHeader header;
  for (const std::string& folder : folders) {
    const std::string archive = ex::ArchivePathFor(folder, path);
    if (!ReadHeader(os, archive, &header)) break;
    std::vector<platform::DirEntry> entry;
    os.FindFiles(archive, &entry);
    if (!entry.empty()) bytes += entry.front().size;
    ++count;
    if (header.continuation == 0) break;
  }
  Say(io, "Project " + Quoted(ProjectNameOf(header)) + " backed up into " +
              Volumes(count) + " (" + std::to_string(bytes) +
              " bytes of archive) from " + ShownPath(path));
  return kExitOk;
}

int RestoreCommand(const std::string& archive,
                   const std::vector<std::string>& later,
                   const std::string& into, const Streams& io) {
  const char* command = "restore";
  zb::api::Library& lib = zb::api::TheLibrary();
  platform::Platform& os = lib.os();
  const std::string path = PathText(archive);
  ex::ArchiveHeader header;
  if (os.IsFolder(path) || !ReadHeader(os, path, &header)) {
    Fail(io, command, ShownPath(path) + ": not a backup archive");
    return kExitFailed;
  }
  const size_t cut = CutOf(path);
  const std::string folder = cut == std::string::npos ? "." : path.substr(0, cut);
  const std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
  const std::string target =
      into.empty() ? lib.context().folders.data : PathText(into);
  if (target.empty()) {
    Fail(io, command, "no data folder: name one with --into");
    return kExitFailed;
  }
  if (!UsableFolder(lib, io, command, target)) return kExitFailed;
  std::vector<std::string> folders;
  for (const std::string& typed : later) folders.push_back(PathText(typed));
  ex::FolderVolumes volumes(folders, 0);
  int32_t restored = 0;
  {
    ProgressBar bar(io.err, uint64_t(header.project_size) << 10, "restoring");
    restored = ex::RestoreProject(lib.store(), folder, target, name, &volumes,
                                  [&bar](int32_t percent) { bar.Show(percent); });
  }
  if (restored == 0) {
    Fail(io, command,
         "not restored (declined, a volume missing or damaged); the data "
         "folder is as it was");
    return kExitFailed;
  }
  int count = 1;
  for (const std::string& next : folders) {
    ex::ArchiveHeader read;
    if (header.continuation == 0 ||
        !ReadHeader(os, next + "\\" + name, &read)) {
      break;
    }
    header.continuation = read.continuation;
    ++count;
  }
  Say(io, "Project " + Quoted(ProjectNameOf(header)) + " restored from " +
              Volumes(count) + " into " + ShownPath(target));
  return kExitOk;
}

int ArchiveListCommand(const std::string& folder_or_archive,
                       const Streams& io) {
  zb::api::Library& lib = zb::api::TheLibrary();
  platform::Platform& os = lib.os();
  std::string folder = PathText(folder_or_archive);
  std::string only;
  if (!os.IsFolder(folder)) {
    const size_t cut = CutOf(folder);
    if (!os.FileExists(folder) || cut == std::string::npos) {
      Fail(io, "archive-list", ShownPath(folder) + ": no such folder or file");
      return kExitFailed;
    }
    only = folder.substr(cut + 1);
    folder = folder.substr(0, cut);
  }
  Table table({"Archive", "Project", "Volume", "Goes on", "Size KiB"});
  table.RightAlign(2);
  table.RightAlign(4);
  int count = 0;
  for (const ex::ArchiveEntry& entry : ex::ListArchives(lib.store(), folder)) {
    if (!only.empty() && entry.name != only) continue;
    const bool plain = entry.header.variant == ex::ArchiveVariant::kPlain;
    table.Add({entry.name, ProjectNameOf(entry.header),
               std::to_string(entry.header.volume),
               entry.header.continuation ? "yes" : "no",
               std::to_string(plain ? entry.header.project_size >> 10
                                    : entry.header.project_size)});
    ++count;
  }
  if (count > 0) table.Print(io);
  Say(io, std::to_string(count) + (count == 1 ? " archive" : " archives") +
              " in " + ShownPath(folder));
  return kExitOk;
}

}  // namespace zb::tool

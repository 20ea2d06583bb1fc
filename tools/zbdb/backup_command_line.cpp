// backup, restore and archive-list on the command line.
#include <CLI/CLI.hpp>

#include <cstdint>
#include <string>
#include <vector>

#include "api/library.h"
#include "backup_commands.h"
#include "command_line.h"

namespace zb::tool {

namespace {

// What only these commands take; Options holds the shared fields.
struct BackupOptions {
  std::string project;
  std::vector<std::string> to;
  std::vector<std::string> later;
  uint64_t volume_size = 0;
  std::string into;
};

}  // namespace

void AddBackupCommands(CLI::App& app, Options& options, Dispatcher& commands) {
  static BackupOptions backup_options;
  BackupOptions& own = backup_options;

  CLI::App* backup = app.add_subcommand(
      "backup",
      "back up the project FILE (or PROJECT of the data folder FILE) into "
      "the archive <name>.SAV with its run list <name>.LST in the folder "
      "--to; more --to folders, or --volume-size, spread it over volumes, "
      "one folder each");
  backup->add_option("FILE", options.file,
                     "the project file, or the data folder with PROJECT")
      ->required();
  backup->add_option("PROJECT", own.project,
                     "the project's name in the data folder FILE");
  backup->add_option("--to", own.to,
                     "the folder of volume 1, then of volumes 2, 3, ...")
      ->allow_extra_args(false)
      ->required();
  backup->add_option("--volume-size", own.volume_size,
                     "bytes one volume may hold (default: its free space)");
  commands.Add(backup, [&options, &own](zb::api::Library& library,
                                        const Streams& io) {
    PrepareLibrary(library);
    return BackupCommand(options.file, own.project, own.to, own.volume_size,
                         io);
  });

  CLI::App* restore = app.add_subcommand(
      "restore",
      "restore the project of the backup ARCHIVE (volume 1) into a data "
      "folder, as a project of its own beside the original (PRO00012 comes "
      "back as PRO10012, '*' behind its name); one restored before is "
      "replaced only after asking, and only once every volume was read "
      "whole");
  restore->add_option("ARCHIVE", options.file, "the .SAV file of volume 1")
      ->required();
  restore->add_option("--into", own.into,
                      "the data folder (default: the installation's)");
  restore->add_option("--from", own.later,
                      "the folder of volume 2, then of volumes 3, ...")
      ->allow_extra_args(false);
  commands.Add(restore, [&options, &own](zb::api::Library& library,
                                         const Streams& io) {
    PrepareLibrary(library);
    return RestoreCommand(options.file, own.later, own.into, io);
  });

  CLI::App* list = app.add_subcommand(
      "archive-list",
      "list the backup archives (*.SAV) of a folder, or the one named, with "
      "their project, volume and size");
  list->add_option("FOLDER_OR_ARCHIVE", options.folder,
                   "a folder, or one archive")
      ->required();
  commands.Add(list, [&options](zb::api::Library& library, const Streams& io) {
    PrepareLibrary(library);
    return ArchiveListCommand(options.folder, io);
  });
}

}  // namespace zb::tool

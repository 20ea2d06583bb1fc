// zbdb backup, restore and archive-list: a project file saved into archive
// volumes (one folder a volume), read back into a data folder, and the
// archives of a folder listed.
#ifndef ZBDB_TOOLS_BACKUP_COMMANDS_H_
#define ZBDB_TOOLS_BACKUP_COMMANDS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "zbdb_commands.h"

namespace CLI {
class App;
}  // namespace CLI

namespace zb::tool {

struct Options;
class Dispatcher;

// backup, restore, archive-list.
void AddBackupCommands(CLI::App& app, Options& options, Dispatcher& commands);

// Backs up the project file `file` (or, with `project`, the project of
// that name in the data folder `file`) into `to`: the first folder holds
// volume 1, the others the later volumes. With `volume_size` (bytes, 0:
// the free space) or more than one folder a full volume goes on in the
// next folder; else a full disk ends the backup.
int BackupCommand(const std::string& file, const std::string& project,
                  const std::vector<std::string>& to, uint64_t volume_size,
                  const Streams& io);
// Restores the archive into the data folder `into` (default: the
// installation's); `later` are the folders of volumes 2, 3, ...
int RestoreCommand(const std::string& archive,
                   const std::vector<std::string>& later,
                   const std::string& into, const Streams& io);
// The archives of a folder, or the one archive named.
int ArchiveListCommand(const std::string& folder_or_archive,
                       const Streams& io);

}  // namespace zb::tool

#endif  // ZBDB_TOOLS_BACKUP_COMMANDS_H_

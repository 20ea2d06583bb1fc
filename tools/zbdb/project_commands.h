// zbdb commands on the projects and positions of a data folder: the
// project list, the positions of a project with their locks, a new
// project, and the removal of a lock left behind.
//
// The commands work through the project store as the calculation programs
// do, so they see (and leave) the folder exactly as a program would: a
// missing project list is rebuilt from the project files. Folders, project
// and position names are taken as the user typed them (see
// zbdb_commands.h) and shown converted for the terminal.
#ifndef ZBDB_TOOLS_PROJECT_COMMANDS_H_
#define ZBDB_TOOLS_PROJECT_COMMANDS_H_

#include <string>

#include "zbdb_commands.h"

namespace zb::api {
class Library;
}  // namespace zb::api

namespace zb::tool {

// Fills what a login would, without its dialogs and without giving up when
// the installation is incomplete: user and computer name, the folders (for
// the log and the temporary folder), ZBDB.CFG and the program catalogue.
// The commands below run without it too, with the catalogue as it stands.
void PrepareLibrary(zb::api::Library& lib);

// One position of a project, as the position commands name it. `program`
// is a catalogue key ("DLT") or a program number ("101").
struct PositionName {
  std::string folder;
  std::string project;
  std::string position;
  std::string program;
};

// Every entry of the project list: number, name, author, creation and
// change date, file (relative to the folder when it lies there) and kind.
// A folder that is no data folder (see IsDataFolder) is refused unchanged.
int ProjectsCommand(const std::string& folder, const Streams& io);
// What the explorer shows of the data folder DIR, as text: every project
// with its positions, their state and lock holder, dates and pages.
int ExploreCommand(const std::string& folder, const Streams& io);
// Every position of every program in the project: long and short name,
// program, id, records, and who holds its lock since when.
int PositionsCommand(const std::string& folder, const std::string& project,
                     const Streams& io);
// Creates the project; refuses a name that exists already or that the
// project dialog would refuse (fewer than 3 or more than 40 characters).
int NewProjectCommand(const std::string& folder, const std::string& name,
                      const std::string& author, const Streams& io);
// Shows who holds the position's lock since when, asks through the Ui,
// and clears the lock with the project opened exclusively. Exit 0 also
// when the position was not locked; 1 when not found, declined or failed.
int UnlockCommand(const PositionName& which, const Streams& io);

}  // namespace zb::tool

#endif  // ZBDB_TOOLS_PROJECT_COMMANDS_H_

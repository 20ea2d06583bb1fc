// zbdb commands about the installation rather than one file: the folders
// and settings the library would use, and the program catalogue.
#ifndef ZBDB_TOOLS_ENVIRONMENT_COMMANDS_H_
#define ZBDB_TOOLS_ENVIRONMENT_COMMANDS_H_

#include "zbdb_commands.h"

namespace zb::tool {

// The six folders with their validation flags, and the ZBDB.CFG settings.
// Exit 1 when the folders cannot be read or one is invalid.
int ConfigCommand(const Streams& io);
// The catalogue: key, number, title, group, installed. Exit 1 when it
// holds no program besides the built-in entries.
int ProgramsCommand(const Streams& io);

}  // namespace zb::tool

#endif  // ZBDB_TOOLS_ENVIRONMENT_COMMANDS_H_

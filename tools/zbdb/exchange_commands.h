// zbdb commands for ".POS" exchange files: a position written out of its
// project into a file of its own, and such a file read into a project
// (also on another computer).
#ifndef ZBDB_TOOLS_EXCHANGE_COMMANDS_H_
#define ZBDB_TOOLS_EXCHANGE_COMMANDS_H_

#include <string>

#include "project_commands.h"

namespace zb::tool {

// Writes the position into a ".POS" file: `to` names the file, or a folder
// in which the file is named after program and position (empty: the
// current folder). Never takes the position's lock.
int ExportCommand(const PositionName& which, const std::string& to,
                  const Streams& io);
// Reads a ".POS" file into an existing project; an existing position of
// the same name is overwritten only when the user agrees (--yes).
int ImportCommand(const std::string& folder, const std::string& project,
                  const std::string& file, const Streams& io);

// The mail to the support as files in a folder (the form without a mail
// client): the project file as PRO00900.PRO, the library's log, and the
// installation protocol when there is one.
int MailCommand(const std::string& folder, const std::string& project,
                const std::string& to, const Streams& io);

}  // namespace zb::tool

#endif  // ZBDB_TOOLS_EXCHANGE_COMMANDS_H_

// zbdb repair, previews and autosave: the store's care of damaged files,
// the previews of a project and the autosave copies and templates.
#ifndef ZBDB_TOOLS_CARE_COMMANDS_H_
#define ZBDB_TOOLS_CARE_COMMANDS_H_

#include <string>

#include "zbdb_commands.h"

namespace zb::tool {

// Repairs FILE after asking (unless it is sound): the damaged file kept as
// .OLD, the listing in the temporary folder. 0 repaired or sound, 1 not.
int RepairCommand(const std::string& file, const Streams& io);
// The positions of PROJECT in DIR that have a preview, with its size.
int PreviewsCommand(const std::string& folder, const std::string& project,
                    const Streams& io);
// The autosave copies in DIR (default: the temporary folder) and the
// templates of the configuration folder.
int AutosaveCommand(const std::string& folder, const Streams& io);
// The findings of the library's project check, for `zbdb check` of a
// project file; false when there was one.
bool ReportProjectCheck(const std::string& path, const Streams& io);

}  // namespace zb::tool

#endif  // ZBDB_TOOLS_CARE_COMMANDS_H_

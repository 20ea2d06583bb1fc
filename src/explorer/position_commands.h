// The position commands the explorer and the position dialog share: rename
// through the properties dialog and delete after a question, each telling
// the user in a message box why a position was left as it was.
#ifndef ZBDB_EXPLORER_POSITION_COMMANDS_H_
#define ZBDB_EXPLORER_POSITION_COMMANDS_H_

#include <string>
#include <vector>

#include "zbdb900_types.h"

namespace zb::api {
class Library;
}  // namespace zb::api

namespace zb::explorer {

// Renames the position `source` names through the properties dialog
// "Position umbenennen"; returns its long name afterwards (the old one when
// the user cancelled or the rename failed).
std::string RenamePositionAsked(api::Library& lib, const ZBPROPOS_L& source);

// Asks "Position '%1' löschen?" (or, for several, "Die %1 markierten
// Positionen löschen?") with `caption`, then deletes each position; returns
// the number deleted.
int DeletePositionsAsked(api::Library& lib, const std::string& caption,
                         const std::vector<ZBPROPOS_L>& positions);

}  // namespace zb::explorer

#endif  // ZBDB_EXPLORER_POSITION_COMMANDS_H_

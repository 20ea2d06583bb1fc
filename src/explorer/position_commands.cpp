#include "explorer/position_commands.h"

#include <cstring>

#include "api/library.h"
#include "environment/strings.h"
#include "environment/ui.h"
#include "explorer/texts.h"
#include "zbdb900.h"

namespace zb::explorer {

namespace {

namespace env = zb::environment;

constexpr int32_t kPositionNotFound = -302;  // ERR_POS_NOTFOUND
constexpr int32_t kPositionLocked = -303;    // ERR_POS_LOCKED

void Tell(api::Library& lib, const std::string& caption,
          const std::string& text) {
  lib.ui().Ask(caption, text, env::Buttons::kOk, env::Icon::kInformation);
}

}  // namespace

std::string RenamePositionAsked(api::Library& lib, const ZBPROPOS_L& source) {
  const std::string old_name = Text(source.szPosNameLong);
  ZBPROPOS_L from = source;
  ZBPROPOS_L target = source;
  std::memset(target.szPosNameLong, 0, sizeof target.szPosNameLong);
  const int32_t result = ZB_PositionRename_L(&from, &target);
  if (result == kPositionNotFound)
    Tell(lib, env::kMessageTitle, "Position nicht gefunden");
  else if (result == kPositionLocked)
    Tell(lib, env::kMessageTitle,
         env::FillPlaceholders("Position '%1' ist gesperrt.", old_name));
  else if (result < 0)
    Tell(lib, env::kMessageTitle,
         env::FillPlaceholders("Position '%1' kann nicht umbenannt werden.",
                               old_name));
  const std::string new_name = Text(target.szPosNameLong);
  return result > 0 && !new_name.empty() ? new_name : old_name;
}

int DeletePositionsAsked(api::Library& lib, const std::string& caption,
                         const std::vector<ZBPROPOS_L>& positions) {
  if (positions.empty()) return 0;
  const std::string question =
      positions.size() > 1
          ? env::FillPlaceholders("Die %1 markierten Positionen l\xF6schen?",
                                  Number(static_cast<int>(positions.size())))
          : env::FillPlaceholders("Position '%1' l\xF6schen?",
                                  Text(positions[0].szPosNameLong));
  if (lib.ui().Ask(caption, question, env::Buttons::kYesNo,
                   env::Icon::kQuestion) != env::Answer::kYes)
    return 0;
  int deleted = 0;
  for (ZBPROPOS_L request : positions) {
    if (ZB_PositionDelete(&request) > 0) {
      ++deleted;
      continue;
    }
    Tell(lib, caption,
         env::FillPlaceholders(
             "Position '%1' ist gesperrt oder schreibgesch\xFCtzt und wurde "
             "nicht gel\xF6scht.",
             Text(request.szPosNameLong)));
  }
  return deleted;
}

}  // namespace zb::explorer

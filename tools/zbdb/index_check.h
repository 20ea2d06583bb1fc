// Whether the index of a cleanly closed record file agrees with its
// records. The engine finds records by the index alone, so a file whose
// record headers were overwritten after its last close reads wrong
// although it ends with the closed mark; inspecting it does not compare.
#ifndef ZBDB_TOOLS_INDEX_CHECK_H_
#define ZBDB_TOOLS_INDEX_CHECK_H_

#include <string>

#include "platform/platform.h"
#include "recordstore/inspect.h"

namespace zb::tool {

// For a file `report` found closed: walks the records from the first one
// to the end of data and compares them with the index (as many records,
// each entry's keys those of the record at its offset). Empty when they
// agree, else what disagrees first, and how many entries do. Reads only.
std::string IndexDisagreement(platform::Platform& os, const std::string& path,
                              const recordstore::FileReport& report);

}  // namespace zb::tool

#endif  // ZBDB_TOOLS_INDEX_CHECK_H_

// DBHISTORY.INI in the configuration folder: the last request of the
// calling programs (section "ZB_PROPOS") and the data folders used before
// (section "ZB_DATAPATH").
#ifndef ZBDB_ENVIRONMENT_HISTORY_FILE_H_
#define ZBDB_ENVIRONMENT_HISTORY_FILE_H_

#include <string>
#include <vector>

#include "environment/folders.h"
#include "platform/platform.h"
#include "zbdb900_types.h"

namespace zb::environment {

std::string HistoryPath(const std::string& configuration_folder);

// Fills szDataPfad, szTmpPfad, szPrgName, szProName, szPosNameLong and,
// for a long name of fewer than 11 characters, szPosName (which a stored
// short name then overrides). Empty folders become the configured ones.
void ReadHistory(platform::Platform& os, const Folders& folders,
                 ZBPROPOS_L* request);
// Writes the request back; the folders only when they exist (the data
// folder is then also handed to set_data_folder, when given).
void WriteHistory(platform::Platform& os, const Folders& folders,
                  const ZBPROPOS_L& request,
                  void (*set_data_folder)(const std::string&) = nullptr);

// The data folders used before, at most max_entries, keeping only those
// that are existing folders, in key order.
std::vector<std::string> ReadDataFolderList(platform::Platform& os,
                                            const Folders& folders,
                                            size_t max_entries);
void WriteDataFolderList(platform::Platform& os, const Folders& folders,
                         const std::vector<std::string>& list);

}  // namespace zb::environment

#endif  // ZBDB_ENVIRONMENT_HISTORY_FILE_H_

// ZBDB.CFG in the configuration folder: the installation's settings,
// section "PROJEKTE:". Read at login, written back on request.
#ifndef ZBDB_ENVIRONMENT_CONFIG_FILE_H_
#define ZBDB_ENVIRONMENT_CONFIG_FILE_H_

#include <cstdint>
#include <string>

#include "platform/platform.h"
#include "recordstore/log_sink.h"

namespace zb::environment {

struct ConfigSettings {
  std::string program_keys_file = "ZBKEYS.DAT";
  std::string project_list_file = "ZBPROS.ZB";
  std::string project_extension = ".PRO";
  std::string project_extension2 = "ZBDB";
  int reread_project_list = 1;
  int more_icons = 0;
  int data_folder_in_config = 0;
  int offer_all_programs = 0;
  int previews_enabled = 1;
  int previews_shown = 1;
  int date_time_column = 0;
  uint32_t cool_look = 0;  // kept for the explorer (per-user store)

  // Fixed, not read from the file.
  static constexpr const char* kResultExtension = ".ERG";
  static constexpr const char* kPreviewExtension = ".PRV";
};

// Reads the file in configuration_folder (missing keys keep their
// defaults) and the "CoolLook" value. Logs the ReadIni line.
ConfigSettings ReadConfig(platform::Platform& os, recordstore::LogSink& log,
                          const std::string& configuration_folder);
// Writes every key back. Logs the WriteIni line. Failures are not reported.
void WriteConfig(platform::Platform& os, recordstore::LogSink& log,
                 const std::string& configuration_folder,
                 const ConfigSettings& settings);
std::string ConfigPath(const std::string& configuration_folder);

}  // namespace zb::environment

#endif  // ZBDB_ENVIRONMENT_CONFIG_FILE_H_

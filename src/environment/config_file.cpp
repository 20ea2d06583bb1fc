#include "environment/config_file.h"

#include <cstdio>

#include "environment/folders.h"
#include "platform/platform.h"
#include "recordstore/log_sink.h"

namespace zb::environment {
namespace {

const char kSection[] = "PROJEKTE:";

struct IntKey {
  const char* key;
  int ConfigSettings::*field;
};
// "DataPfad_inCfg " carries its trailing blank in every existing file.
const IntKey kIntKeys[] = {
    {"ListeNeuLesen", &ConfigSettings::reread_project_list},
    {"MoreIcons", &ConfigSettings::more_icons},
    {"DataPfad_inCfg ", &ConfigSettings::data_folder_in_config},
    {"PrgDlg_AlleProgramme", &ConfigSettings::offer_all_programs},
    {"Preview_Enabled", &ConfigSettings::previews_enabled},
    {"Preview_On", &ConfigSettings::previews_shown},
    {"DateTime", &ConfigSettings::date_time_column},
};

struct TextKey {
  const char* key;
  std::string ConfigSettings::*field;
};
const TextKey kTextKeys[] = {
    {"PrgKeys_Datei", &ConfigSettings::program_keys_file},
    {"Listen_Datei", &ConfigSettings::project_list_file},
    {"Projektdatei_Ext", &ConfigSettings::project_extension},
    {"Projektdatei_Ext2", &ConfigSettings::project_extension2},
};

void LogLine(recordstore::LogSink& log, const char* format,
             const std::string& path) {
  char line[600];
  std::snprintf(line, sizeof line, format, path.c_str());
  log.Append(line);
}

}  // namespace

std::string ConfigPath(const std::string& configuration_folder) {
  return NormaliseFolder(configuration_folder) + "ZBDB.CFG";
}

ConfigSettings ReadConfig(platform::Platform& os, recordstore::LogSink& log,
                          const std::string& configuration_folder) {
  const std::string path = ConfigPath(configuration_folder);
  LogLine(log, "\n        ======> ReadIni: %s ", path);
  ConfigSettings settings;
  for (const TextKey& k : kTextKeys)
    settings.*k.field =
        os.ReadProfileText(path, kSection, k.key, settings.*k.field);
  for (const IntKey& k : kIntKeys) {
    // Read as text and converted, so a value that is no number keeps the
    // default.
    const std::string text = os.ReadProfileText(
        path, kSection, k.key, std::to_string(settings.*k.field));
    int value = 0;
    if (std::sscanf(text.c_str(), "%d", &value) == 1) settings.*k.field = value;
  }
  if (!settings.project_extension.empty() &&
      settings.project_extension[0] != '.')
    settings.project_extension = "." + settings.project_extension;
  uint32_t cool_look = 0;
  if (os.ReadUserNumber("\\ToolBars", "CoolLook", &cool_look))
    settings.cool_look = cool_look;
  return settings;
}

void WriteConfig(platform::Platform& os, recordstore::LogSink& log,
                 const std::string& configuration_folder,
                 const ConfigSettings& settings) {
  const std::string path = ConfigPath(configuration_folder);
  LogLine(log, "\n        ======> WriteIni: %s ", path);
  for (const TextKey& k : kTextKeys)
    os.WriteProfileText(path, kSection, k.key, settings.*k.field);
  for (const IntKey& k : kIntKeys) {
    char text[16];
    std::snprintf(text, sizeof text, "%-d", settings.*k.field);
    os.WriteProfileText(path, kSection, k.key, text);
  }
}

}  // namespace zb::environment

#include "environment_commands.h"

#include <cstdio>
#include <string>
#include <vector>

#include "api/library.h"
#include "environment/companion.h"
#include "environment/config_file.h"
#include "environment/folders.h"
#include "environment/library_context.h"
#include "environment/login.h"
#include "environment/program_catalogue.h"
#include "platform/platform.h"

namespace zb::tool {
namespace env = zb::environment;

namespace {

// Folders are Windows text; a Linux terminal user reads them with '/'.
std::string Shown(const std::string& path, bool raw) {
  std::string text = path;
#ifndef _WIN32
  for (char& c : text)
    if (c == '\\') c = '/';
#endif
  return TerminalText(text, raw);
}

void PrintFolder(const Streams& io, const char* label,
                 const std::string& folder, int flags) {
  std::fprintf(io.out, "%-15s %s", label,
               folder.empty() ? "(none)" : Shown(folder, io.raw).c_str());
  if (flags) std::fprintf(io.out, "   invalid (%d)", flags);
  std::fprintf(io.out, "\n");
}

// The file the catalogue was read from: the INI form (zbkeys.ini) when
// there is one, unless it gave too few entries for the older ZBKEYS.DAT
// to be read in its place.
std::string CatalogueFile(platform::Platform& os,
                          const env::ProgramCatalogue& catalogue) {
  const std::string dat = catalogue.file_path();
  const std::string folder = catalogue.program_folder();
  std::vector<platform::DirEntry> ini;
  os.FindFiles(folder + "zbkeys.ini", &ini);
  const bool dat_read = os.FileExists(dat) && catalogue.count() < 2 + 3;
  if (!ini.empty() && !dat_read) return folder + ini.front().name;
  if (os.FileExists(dat)) return dat;
  return dat + " (missing, and so is zbkeys.ini)";
}

}  // namespace

int ConfigCommand(const Streams& io) {
  zb::api::Library& lib = zb::api::TheLibrary();
  if (env::RegInit(lib.context()) != 1) {
    std::fprintf(io.err,
                 "zbdb: the folders cannot be read from the companion "
                 "library%s%s\n",
                 lib.context().companions().error().empty() ? "" : ": ",
                 lib.context().companions().error().c_str());
    return kExitFailed;
  }
  const env::Folders& f = lib.context().folders;
  const int data = env::ValidateDataFolder(lib.os(), f.data, f.program);
  const int temporary =
      env::ValidateTemporaryFolder(lib.os(), lib.log(), f.temporary);
  const int user = env::ValidateUserFolder(lib.os(), lib.log(), f.user);
  const int configuration =
      env::ValidateConfigurationFolder(lib.os(), lib.log(), f.configuration);
  PrintFolder(io, "Program:", f.program, 0);
  PrintFolder(io, "Data:", f.data, data);
  PrintFolder(io, "Temporary:", f.temporary, temporary);
  PrintFolder(io, "User:", f.user, user);
  PrintFolder(io, "Configuration:", f.configuration, configuration);
  PrintFolder(io, "Base:", f.base, 0);
  std::fprintf(io.out, "Validation:     %d\n",
               data + temporary + user + configuration);

  const env::ConfigSettings c =
      env::ReadConfig(lib.os(), lib.log(), f.configuration);
  std::fprintf(io.out, "\n%s\n",
               Shown(env::ConfigPath(f.configuration), io.raw).c_str());
  const struct {
    const char* key;
    std::string value;
  } settings[] = {
      {"PrgKeys_Datei", c.program_keys_file},
      {"Listen_Datei", c.project_list_file},
      {"Projektdatei_Ext", c.project_extension},
      {"Projektdatei_Ext2", c.project_extension2},
      {"ListeNeuLesen", std::to_string(c.reread_project_list)},
      {"MoreIcons", std::to_string(c.more_icons)},
      {"DataPfad_inCfg", std::to_string(c.data_folder_in_config)},
      {"PrgDlg_AlleProgramme", std::to_string(c.offer_all_programs)},
      {"Preview_Enabled", std::to_string(c.previews_enabled)},
      {"Preview_On", std::to_string(c.previews_shown)},
      {"DateTime", std::to_string(c.date_time_column)},
  };
  for (const auto& s : settings)
    std::fprintf(io.out, "  %-22s %s\n", s.key,
                 TerminalText(s.value, io.raw).c_str());
  return data + temporary + user + configuration ? kExitFailed : kExitOk;
}

int ProgramsCommand(const Streams& io) {
  zb::api::Library& lib = zb::api::TheLibrary();
  if (env::RegInit(lib.context()) != 1) {
    std::fprintf(io.err,
                 "zbdb: the program folder cannot be read from the "
                 "companion library\n");
    return kExitFailed;
  }
  env::ProgramCatalogue catalogue(lib.os(), lib.context().companions());
  catalogue.Load(lib.context().folders.program);
  std::fprintf(io.out, "%s\n\n",
               Shown(CatalogueFile(lib.os(), catalogue), io.raw).c_str());
  std::fprintf(io.out, "%-6s %6s  %-40s %-20s %s\n", "Key", "Number", "Title",
               "Group", "Installed");
  for (int i = 0; i < catalogue.count(); ++i) {
    const env::ProgramCatalogue::Entry& e = catalogue.entry(i);
    std::string group;
    for (int g = 0; g < catalogue.group_count(); ++g)
      if (catalogue.group(g).number == e.line.group)
        group = catalogue.group(g).name;
    std::fprintf(io.out, "%-6s %6d  %-40s %-20s %s\n",
                 TerminalText(e.line.key, io.raw).c_str(), e.line.number,
                 TerminalText(e.line.title, io.raw).c_str(),
                 TerminalText(group, io.raw).c_str(),
                 e.installed ? "yes" : "no");
  }
  return catalogue.count() > 2 ? kExitOk : kExitFailed;
}

}  // namespace zb::tool
